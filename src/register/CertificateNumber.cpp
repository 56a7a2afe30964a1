#include "register/CertificateNumber.h"

#include <QRegularExpression>

namespace Register {

namespace {
// Half-width only: that is how the number is composed. The sequence has at least six digits and
// grows beyond them when a year issues a million certificates.
const QRegularExpression& numberPattern()
{
    static const QRegularExpression pattern(QStringLiteral("([A-Z]{1,8})(\\d{4})-(\\d{6,12})"));
    return pattern;
}
} // namespace

QString formatNumber(const QString& prefix, int year, qint64 sequence)
{
    return QStringLiteral("%1%2-%3")
        .arg(prefix)
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(sequence, 6, 10, QLatin1Char('0'));
}

std::optional<ParsedNumber> parseNumber(const QString& text)
{
    const QRegularExpressionMatch m =
        numberPattern().match(text.trimmed(), 0, QRegularExpression::NormalMatch,
                              QRegularExpression::AnchorAtOffsetMatchOption);
    if (!m.hasMatch() || m.capturedLength(0) != text.trimmed().size()) {
        return std::nullopt;
    }
    return ParsedNumber{m.captured(1), m.captured(2).toInt(), m.captured(3).toLongLong()};
}

QString findNumberInText(const QString& text)
{
    return numberPattern().match(text).captured(0);
}

} // namespace Register
