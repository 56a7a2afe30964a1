#pragma once

#include <QString>

// The program's string table (resources/strings/strings.json): the text of string resource
// `id`, empty when there is none.
QString LoadStringResource(int id);
