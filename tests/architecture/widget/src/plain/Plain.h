// A room that uses no widget, yet includes one.
#pragma once
#include <QString>
#include <QWidget>
