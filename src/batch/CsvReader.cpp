#include "batch/CsvReader.h"

#include <QFile>
#include <QStringDecoder>

namespace CsvReader {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::optional<QString> decodeStrictly(QByteArrayView bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

std::optional<QString> decodeGb18030(QByteArrayView bytes)
{
    QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        return std::nullopt;
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::optional<Encoding> encodingFromName(const QString& name)
{
    const QString lower = name.trimmed().toLower();
    if (lower == u"gb18030" || lower == u"gbk" || lower == u"gb2312") {
        return Encoding::Gb18030;
    }
    if (lower == u"utf-8" || lower == u"utf8") {
        return Encoding::Utf8;
    }
    return std::nullopt;
}

std::optional<QString> decode(const QByteArray& bytes, Encoding encoding, QString* error)
{
    QByteArrayView view(bytes);
    const bool hasBom = view.startsWith(kUtf8Bom);
    if (encoding == Encoding::Utf8 || (encoding == Encoding::Detect && hasBom)) {
        if (hasBom) {
            view = view.sliced(3);
        }
        if (std::optional<QString> text = decodeStrictly(view, QStringDecoder::Utf8)) {
            return text;
        }
        if (error) {
            *error = QStringLiteral("文件不是有效的 UTF-8 文本");
        }
        return std::nullopt;
    }
    if (encoding == Encoding::Detect) {
        if (std::optional<QString> text = decodeStrictly(view, QStringDecoder::Utf8)) {
            return text;
        }
    }
    if (std::optional<QString> text = decodeGb18030(view)) {
        return text;
    }
    if (error) {
        *error = encoding == Encoding::Detect
                     ? QStringLiteral("无法识别文件的编码（既不是 UTF-8 也不是 GB18030/GBK）")
                     : QStringLiteral("文件不是有效的 GB18030/GBK 文本");
    }
    return std::nullopt;
}

QChar detectSeparator(QStringView text)
{
    int comma = 0;
    int semicolon = 0;
    int tab = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u'\n' || c == u'\r')) {
            break;
        } else if (!quoted && c == u',') {
            ++comma;
        } else if (!quoted && c == u';') {
            ++semicolon;
        } else if (!quoted && c == u'\t') {
            ++tab;
        }
    }
    if (tab > comma && tab >= semicolon) {
        return u'\t';
    }
    if (semicolon > comma) {
        return u';';
    }
    return u',';
}

std::optional<QList<QStringList>> parse(QStringView text, QChar separator, QString* error)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool fieldDirty = false; // the current record has begun (a field or a separator seen)
    int quoteStartRecord = 0;

    const auto endField = [&] {
        record << field;
        field.clear();
    };
    const auto endRecord = [&] {
        endField();
        records << record;
        record.clear();
        fieldDirty = false;
    };

    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"' && field.isEmpty()) {
            quoted = true;
            fieldDirty = true;
            quoteStartRecord = int(records.size()) + 1;
        } else if (c == separator) {
            endField();
            fieldDirty = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            endRecord();
        } else {
            // A quote inside an unquoted field is kept as it stands, as spreadsheet programs
            // read it.
            field += c;
            fieldDirty = true;
        }
    }
    if (quoted) {
        if (error) {
            *error = QStringLiteral("第 %1 行的引号没有闭合").arg(quoteStartRecord);
        }
        return std::nullopt;
    }
    if (fieldDirty || !field.isEmpty()) {
        endRecord();
    }
    return records;
}

std::optional<SheetTable> read(const QString& path, Encoding encoding, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("无法打开文件：%1").arg(file.errorString());
        }
        return std::nullopt;
    }
    const std::optional<QString> text = decode(file.readAll(), encoding, error);
    if (!text) {
        return std::nullopt;
    }
    std::optional<QList<QStringList>> records = parse(*text, detectSeparator(*text), error);
    if (!records) {
        return std::nullopt;
    }
    SheetTable table;
    if (records->isEmpty()) {
        return table;
    }
    table.header = records->takeFirst();
    table.rows.reserve(records->size());
    int line = 1;
    for (const QStringList& record : *records) {
        SheetRow row;
        row.line = ++line;
        row.cells.reserve(record.size());
        for (const QString& value : record) {
            row.cells << SheetCell::fromText(value);
        }
        table.rows << std::move(row);
    }
    return table;
}

} // namespace CsvReader
