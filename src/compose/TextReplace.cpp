#include "compose/TextReplace.h"

namespace Compose {

qsizetype findText(QStringView text, QStringView needle, qsizetype from)
{
    if (needle.isEmpty()) {
        return -1;
    }
    // Jump from one occurrence of the needle's first character to the next (a vectorised scan
    // in Qt) and compare only there. The markers start with characters that ordinary text
    // rarely holds ('【', '<'), so this is much faster than a general substring search, and never
    // worse than the needle's length per character.
    const QChar first = needle.front();
    const qsizetype last = text.size() - needle.size();
    while (from <= last) {
        const qsizetype pos = text.indexOf(first, from);
        if (pos < 0 || pos > last) {
            return -1;
        }
        if (text.sliced(pos, needle.size()) == needle) {
            return pos;
        }
        from = pos + 1;
    }
    return -1;
}

void appendReplaced(QString& out, QStringView text, QStringView before, QStringView after)
{
    qsizetype from = 0;
    for (qsizetype pos = findText(text, before); pos >= 0; pos = findText(text, before, from)) {
        out.append(text.sliced(from, pos - from));
        out.append(after);
        from = pos + before.size();
    }
    out.append(text.sliced(from));
}

QString replaceAll(const QString& text, QStringView before, QStringView after)
{
    const qsizetype first = findText(text, before);
    if (first < 0) {
        return text;
    }
    QString out;
    out.reserve(text.size() + (after.size() > before.size() ? text.size() / 8 : 0));
    out.append(QStringView(text).first(first));
    appendReplaced(out, QStringView(text).sliced(first), before, after);
    return out;
}

} // namespace Compose
