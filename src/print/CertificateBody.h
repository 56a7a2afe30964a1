#pragma once

#include <QString>

// What the page prints below its own title: the certificate text after its first "离职证明", or
// all of it when the title was edited away. The page draws the title itself.
QString CertificateBody(const QString& resultText);
