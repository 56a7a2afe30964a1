#include "batch/CsvReader.h"

#include <QFile>
#include <QStringDecoder>
#include <functional>
#include <optional>

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

namespace {

// Splits text into fields and records as it comes, a piece at a time; a field's text is kept up
// to `maxField` characters (all of it when negative) and the rest only counted as cut.
class CsvSplitter
{
public:
    using FieldSink = std::function<bool(int column, QString&& text, bool cut)>;
    using RecordSink = std::function<bool()>;

    CsvSplitter(QChar separator, qsizetype maxField, FieldSink field, RecordSink record)
        : m_separator(separator), m_maxField(maxField), m_field(std::move(field)),
          m_record(std::move(record))
    {
    }

    // False when a sink said to stop.
    bool feed(QStringView text)
    {
        for (const QChar c : text) {
            if (m_crSeen) {
                m_crSeen = false;
                if (c == u'\n') {
                    continue;
                }
            }
            if (m_quoteSeen) {
                m_quoteSeen = false;
                if (c == u'"') {
                    append(c);
                    continue;
                }
                m_quoted = false;
            }
            if (m_quoted) {
                if (c == u'"') {
                    m_quoteSeen = true;
                } else {
                    append(c);
                }
                continue;
            }
            if (c == u'"' && m_text.isEmpty() && !m_cut) {
                m_quoted = true;
                m_started = true;
                m_quoteStartRecord = m_records + 1;
            } else if (c == m_separator) {
                if (!endField()) {
                    return false;
                }
                m_started = true;
            } else if (c == u'\r' || c == u'\n') {
                m_crSeen = c == u'\r';
                if (!endRecord()) {
                    return false;
                }
            } else {
                // A quote inside an unquoted field is kept as it stands, as spreadsheet
                // programs read it.
                append(c);
                m_started = true;
            }
        }
        return true;
    }

    // The end of the text: the last record, or the error of a quote never closed.
    bool finish(QString* error)
    {
        if (m_quoteSeen) {
            m_quoted = false;
        }
        if (m_quoted) {
            if (error) {
                *error = QStringLiteral("第 %1 行的引号没有闭合").arg(m_quoteStartRecord);
            }
            return false;
        }
        if (m_started || !m_text.isEmpty()) {
            return endRecord();
        }
        return true;
    }

private:
    void append(QChar c)
    {
        if (m_maxField < 0 || m_text.size() < m_maxField) {
            m_text += c;
        } else {
            m_cut = true;
        }
    }

    bool endField()
    {
        const bool go = m_field(m_column++, std::move(m_text), m_cut);
        m_text = QString();
        m_cut = false;
        return go;
    }

    bool endRecord()
    {
        const bool go = endField() && m_record();
        ++m_records;
        m_column = 0;
        m_started = false;
        return go;
    }

    QChar m_separator;
    qsizetype m_maxField;
    FieldSink m_field;
    RecordSink m_record;
    QString m_text;
    bool m_cut = false;
    bool m_quoted = false;
    bool m_quoteSeen = false; // a quote inside a quoted field: doubled, or the field's end
    bool m_crSeen = false;    // a CR ended a record: an LF right after it belongs to it
    bool m_started = false;   // the current record has begun (a field or a separator seen)
    int m_column = 0;
    int m_records = 0;
    int m_quoteStartRecord = 0;
};

constexpr qint64 kChunkBytes = 1 << 20;

// Whether the whole of the file is UTF-8, read a piece at a time.
bool isUtf8Throughout(QFile& file)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            break;
        }
        // The decoder decodes when its result is taken, not before.
        const QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            return false;
        }
    }
    // A sequence cut off at the end of the file is no UTF-8 either.
    const QString rest = decoder.decode(QByteArrayView());
    return !decoder.hasError() && rest.isEmpty();
}

} // namespace

std::optional<QList<QStringList>> parse(QStringView text, QChar separator, QString* error)
{
    QList<QStringList> records;
    QStringList record;
    CsvSplitter splitter(
        separator, -1,
        [&record](int, QString&& field, bool) {
            record << std::move(field);
            return true;
        },
        [&records, &record] {
            records << std::move(record);
            record = QStringList();
            return true;
        });
    splitter.feed(text);
    if (!splitter.finish(error)) {
        return std::nullopt;
    }
    return records;
}

std::optional<SheetTable> read(const QString& path, Encoding encoding, QString* error,
                               const SheetLimits::ColumnChoice& columns)
{
    const auto fail = [error](const QString& message) -> std::optional<SheetTable> {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("无法打开文件：%1").arg(file.errorString()));
    }
    // The file is read a megabyte at a time, never whole: its size is no measure of what it costs.
    const bool hasBom = file.peek(3) == QByteArrayView(kUtf8Bom);
    bool utf8 = encoding == Encoding::Utf8 || (encoding == Encoding::Detect && hasBom);
    if (encoding == Encoding::Detect && !hasBom) {
        utf8 = isUtf8Throughout(file);
        file.seek(0);
    }
    if (utf8 && hasBom) {
        file.read(3);
    }
    QStringDecoder decoder = utf8 ? QStringDecoder(QStringDecoder::Utf8)
                                  : QStringDecoder("GB18030");
    if (!decoder.isValid()) {
        return fail(QStringLiteral("无法读取 GB18030/GBK 文本"));
    }
    const QString badText = utf8 ? QStringLiteral("文件不是有效的 UTF-8 文本")
                            : encoding == Encoding::Detect
                                ? QStringLiteral("无法识别文件的编码（既不是 UTF-8 也不是 GB18030/GBK）")
                                : QStringLiteral("文件不是有效的 GB18030/GBK 文本");

    SheetLimits::Collector collector(SheetLimits::Collector::HeaderRow::First, columns);
    int line = 1;
    collector.beginRow(line);
    std::optional<CsvSplitter> splitter;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                return fail(QStringLiteral("无法读取文件：%1").arg(file.errorString()));
            }
            break;
        }
        const QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            return fail(badText);
        }
        if (!splitter) {
            splitter.emplace(
                detectSeparator(text), SheetLimits::kMaxCellLength,
                [&collector](int column, QString&& field, bool cut) {
                    return collector.add(column, SheetCell::fromText(field), cut);
                },
                [&collector, &line] {
                    const bool go = collector.endRow();
                    collector.beginRow(++line);
                    return go;
                });
        }
        if (!splitter->feed(text)) {
            return fail(collector.error());
        }
    }
    const QString rest = decoder.decode(QByteArrayView());
    if (decoder.hasError() || !rest.isEmpty()) {
        return fail(badText);
    }
    if (splitter && !splitter->finish(error)) {
        return collector.refused() ? fail(collector.error()) : std::nullopt;
    }
    return collector.take();
}

} // namespace CsvReader
