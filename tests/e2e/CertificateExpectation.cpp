#include "CertificateExpectation.h"

#include <algorithm>

namespace {

const QChar kIdeographicSpace(0x3000);
const QString kFloatRight = QStringLiteral("<div style=\"float: right;\">");
const QString kBr = QStringLiteral("<br>");
const QString kCrLf = QStringLiteral("\r\n");

} // namespace

CertificateExpectation CertificateExpectation::build(const QString& templateText,
                                                     const Values& values, int width)
{
    QString filled = templateText;
    for (const auto& [placeholder, value] : values) {
        filled.replace(placeholder, value);
    }

    CertificateExpectation expected;
    expected.titleLine =
        QString(std::max(0, (width - 4) / 2), kIdeographicSpace) + QStringLiteral("离职证明");

    const qsizetype blockStart = filled.indexOf(kFloatRight);
    QString head = blockStart < 0 ? filled : filled.left(blockStart);
    head.replace(kBr, kCrLf);
    QString block;
    if (blockStart >= 0) {
        QString rest = filled.mid(blockStart);
        rest.remove(kFloatRight);
        rest.remove(QStringLiteral("</div>"));
        const QStringList lines = rest.split(kBr);
        qsizetype longest = 0;
        for (const QString& line : lines) {
            longest = std::max(longest, line.size());
        }
        const QString pad(std::max<qsizetype>(0, width - longest), kIdeographicSpace);
        for (const QString& line : lines) {
            expected.blockLines.append(pad + line);
        }
        block = expected.blockLines.join(kCrLf);
    }
    expected.text = expected.titleLine + kCrLf + kCrLf + kCrLf + head + block;
    return expected;
}
