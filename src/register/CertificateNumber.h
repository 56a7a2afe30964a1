#pragma once

#include <QString>
#include <optional>

// Certificate numbers: a prefix of capital letters, the year and a sequence per year of at least
// six digits, e.g. "LZ2026-000123".
namespace Register {

inline const QString kDefaultNumberPrefix = QStringLiteral("LZ");

QString formatNumber(const QString& prefix, int year, qint64 sequence);

struct ParsedNumber
{
    QString prefix;
    int year = 0;
    qint64 sequence = 0;
};
// The whole text must be one number (blanks around it allowed).
std::optional<ParsedNumber> parseNumber(const QString& text);
// The first number that appears anywhere in a text (a pasted certificate); empty when none.
QString findNumberInText(const QString& text);

} // namespace Register
