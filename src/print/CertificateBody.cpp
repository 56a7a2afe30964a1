#include "print/CertificateBody.h"

#include "compose/CertificateComposer.h"

QString CertificateBody(const QString& resultText)
{
    const QString& title = Compose::kTitle;
    const qsizetype at = resultText.indexOf(title);
    return at < 0 ? resultText : resultText.mid(at + title.size());
}
