#include "compose/ValueCharacters.h"

#include "compose/ExtraPlaceholders.h"

namespace Compose {

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool isBidiControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString hexDigits(char32_t c)
{
    return QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

QString codePoint(char32_t c)
{
    return QStringLiteral("U+") + hexDigits(c);
}

QString characterName(char32_t c)
{
    switch (c) {
    case 0x00:
        return QStringLiteral("空字符");
    case 0x0A:
        return QStringLiteral("换行符");
    case 0x0D:
        return QStringLiteral("回车符");
    case 0x1B:
        return QStringLiteral("转义符");
    default:
        break;
    }
    return isBidiControl(c) ? QStringLiteral("文字方向控制符") : QStringLiteral("控制字符");
}

} // namespace

bool isRefusedValueCharacter(char32_t c)
{
    return (isControl(c) && c != u'\t') || isBidiControl(c);
}

QString valueCharacterProblem(QStringView value, QStringView label)
{
    // Every refused character is in the Basic Multilingual Plane, so UTF-16 units will do.
    for (QChar ch : value) {
        const char32_t c = ch.unicode();
        if (isRefusedValueCharacter(c)) {
            return QStringLiteral("%1中有不可见的%2（%3），请删去后再试")
                .arg(label, characterName(c), codePoint(c));
        }
    }
    return {};
}

QString certificateValuesProblem(const CertificateValues& values)
{
    const auto check = [&values](const Placeholder& p) {
        // The marker without its brackets: 【姓名】 -> 姓名.
        return valueCharacterProblem(values.*p.value, p.marker.sliced(1, p.marker.size() - 2));
    };
    for (const Placeholder& p : kPlaceholders) {
        if (QString problem = check(p); !problem.isEmpty()) {
            return problem;
        }
    }
    for (const Placeholder& p : kExtraPlaceholders) {
        if (QString problem = check(p); !problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

QString escapeControlCharacters(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char32_t c = ch.unicode();
        if ((isControl(c) && c != u'\t' && c != u'\n' && c != u'\r') || isBidiControl(c)) {
            out += QStringLiteral("\\u{") + hexDigits(c) + u'}';
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace Compose
