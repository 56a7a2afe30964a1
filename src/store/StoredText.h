#pragma once

#include <QString>
#include <QStringDecoder>

// A text value as the database holds it (UTF-8), decoded character for character.
// QString::fromUtf8 drops a byte order mark at the start, so a value that begins with U+FEFF
// (an invisible character that comes along when text is pasted from some files) would be read
// back one character short of what was stored.
inline QString storedText(const char* utf8, qsizetype size)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8, size));
}
