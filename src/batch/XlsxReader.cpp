#include "batch/XlsxReader.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QHash>
#include <algorithm>
#include <QXmlStreamReader>
#include <cmath>

namespace XlsxReader {

namespace {

const QString kRelationshipsNs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// The whole of one small member of the archive (the workbook, its relationships); nullopt when
// it is missing, unreadable or inflates beyond SheetLimits::kMaxPartBytes (then `tooBig`).
std::optional<QByteArray> readMember(QuaZip& zip, const QString& name, bool* tooBig = nullptr)
{
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive)) {
        return std::nullopt;
    }
    QuaZipFile member(&zip);
    if (!member.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    SheetLimits::BoundedDevice bounded(&member, SheetLimits::kMaxPartBytes);
    QByteArray bytes = bounded.readAll();
    if (bounded.overLimit()) {
        if (tooBig) {
            *tooBig = true;
        }
        return std::nullopt;
    }
    const bool failed = member.getZipError() != UNZ_OK;
    member.close();
    if (failed || member.getZipError() != UNZ_OK) {
        return std::nullopt;
    }
    return bytes;
}

// Appends `more` to `text` up to one character past the longest cell, so that a cell too long
// is seen as such without its whole text ever being held.
void appendCapped(QString& text, QStringView more)
{
    const qsizetype room = SheetLimits::kMaxCellLength + 1 - text.size();
    if (room > 0) {
        text += more.first(std::min(room, more.size()));
    }
}

// The text of the element the reader stands on, to its end, capped as appendCapped caps it.
QString readCappedText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters()) {
            appendCapped(text, xml.text());
        }
    }
    return text;
}

// The text of a shared-string item or an inline string: every <t> of the item, runs joined,
// without the phonetic guides (<rPh>) that Japanese and Chinese Excel may add.
QString readStringItem(QXmlStreamReader& xml)
{
    const QString endName = xml.name().toString();
    QString text;
    int phoneticDepth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh") {
                ++phoneticDepth;
            } else if (xml.name() == u"t" && phoneticDepth == 0) {
                appendCapped(text, readCappedText(xml));
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh") {
                --phoneticDepth;
            } else if (xml.name() == endName) {
                break;
            }
        }
    }
    return text;
}

QStringList readSharedStrings(QIODevice* device, QString* error)
{
    QStringList strings;
    QXmlStreamReader xml(device);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si") {
            strings << readStringItem(xml);
        }
    }
    if (xml.hasError() && error) {
        *error = QStringLiteral("共享字符串表损坏：%1").arg(xml.errorString());
    }
    return strings;
}

struct SheetEntry
{
    QString name;
    QString relationId;
};

struct Workbook
{
    QList<SheetEntry> sheets;
    bool date1904 = false;
};

Workbook readWorkbook(const QByteArray& bytes)
{
    Workbook workbook;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"workbookPr") {
            const QStringView flag = xml.attributes().value(QStringLiteral("date1904"));
            workbook.date1904 = flag == u"1" || flag == u"true";
        } else if (xml.name() == u"sheet") {
            const QXmlStreamAttributes attributes = xml.attributes();
            SheetEntry entry;
            entry.name = attributes.value(QStringLiteral("name")).toString();
            entry.relationId = attributes.value(kRelationshipsNs, QStringLiteral("id")).toString();
            if (entry.relationId.isEmpty()) {
                entry.relationId = attributes.value(QStringLiteral("r:id")).toString();
            }
            workbook.sheets << entry;
        }
    }
    return workbook;
}

// Relationship id -> member name inside the archive, for the workbook's relationships.
QHash<QString, QString> readRelationships(const QByteArray& bytes)
{
    QHash<QString, QString> targets;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const QXmlStreamAttributes attributes = xml.attributes();
            QString target = attributes.value(QStringLiteral("Target")).toString();
            // Targets are relative to xl/ unless they start at the archive's root.
            target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
            targets.insert(attributes.value(QStringLiteral("Id")).toString(), target);
        }
    }
    return targets;
}

// The value of one <c> element, positioned on its start.
SheetCell readCell(QXmlStreamReader& xml, const QStringList& sharedStrings)
{
    const QString type = xml.attributes().value(QStringLiteral("t")).toString();
    QString value;
    QString inlineText;
    bool hasInline = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"v") {
                value = readCappedText(xml);
            } else if (xml.name() == u"is") {
                inlineText = readStringItem(xml);
                hasInline = true;
            } else {
                xml.skipCurrentElement();
            }
        } else if (xml.isEndElement() && xml.name() == u"c") {
            break;
        }
    }
    if (type == u"s") {
        bool ok = false;
        const int index = value.trimmed().toInt(&ok);
        return SheetCell::fromText(
            ok && index >= 0 && index < sharedStrings.size() ? sharedStrings.at(index) : QString());
    }
    if (type == u"inlineStr" || hasInline) {
        return SheetCell::fromText(inlineText);
    }
    if (type == u"str" || type == u"e" || type == u"d") {
        return SheetCell::fromText(value);
    }
    if (type == u"b") {
        return SheetCell::fromText(value == u"1" ? QStringLiteral("TRUE")
                                                 : QStringLiteral("FALSE"));
    }
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok) {
        return SheetCell::fromText(value);
    }
    return SheetCell::fromNumber(number, numberText(number));
}

// Hands the rows to `collector` as they are read; false when it refused the sheet.
bool readRows(QXmlStreamReader& xml, const QStringList& sharedStrings,
              SheetLimits::Collector& collector)
{
    int lastLine = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"row") {
            continue;
        }
        bool lineOk = false;
        int line = xml.attributes().value(QStringLiteral("r")).toInt(&lineOk);
        if (!lineOk || line <= lastLine) {
            line = lastLine + 1;
        }
        lastLine = line;
        collector.beginRow(line);
        int nextColumn = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == u"row") {
                break;
            }
            if (!xml.isStartElement()) {
                continue;
            }
            if (xml.name() != u"c") {
                xml.skipCurrentElement();
                continue;
            }
            int column = columnOfReference(xml.attributes().value(QStringLiteral("r")));
            if (column < nextColumn) {
                column = nextColumn;
            }
            nextColumn = column + 1;
            // Beyond the widest sheet Excel writes, or a column nobody asked for: not read.
            if (column > 16383 || !collector.wants(column)) {
                xml.skipCurrentElement();
                continue;
            }
            if (!collector.add(column, readCell(xml, sharedStrings))) {
                return false;
            }
        }
        if (!collector.endRow()) {
            return false;
        }
    }
    return true;
}

} // namespace

int columnOfReference(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z') {
            column = column * 26 + (u - u'A' + 1);
        } else if (u >= u'a' && u <= u'z') {
            column = column * 26 + (u - u'a' + 1);
        } else {
            break;
        }
        if (++letters > 3) {
            return -1;
        }
    }
    return letters == 0 ? -1 : column - 1;
}

QString numberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        return QString::number(static_cast<long long>(value));
    }
    return QString::number(value, 'g', 15);
}

std::optional<SheetTable> read(const QString& path, const QString& sheetName, QString* error,
                               const SheetLimits::ColumnChoice& columns)
{
    const auto fail = [error](const QString& message) -> std::optional<SheetTable> {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    const auto tooBig = [](const QString& what, qint64 limit) {
        return QStringLiteral("%1解压后超过 %2 MiB，已停止读取：请分成几个较小的表格")
            .arg(what)
            .arg(limit >> 20);
    };

    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        return fail(QStringLiteral("无法打开 XLSX 文件（不是有效的 zip 压缩包）"));
    }
    bool partTooBig = false;
    const std::optional<QByteArray> workbookBytes =
        readMember(zip, QStringLiteral("xl/workbook.xml"), &partTooBig);
    const std::optional<QByteArray> relationBytes =
        readMember(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &partTooBig);
    if (partTooBig) {
        return fail(tooBig(QStringLiteral("工作簿的目录"), SheetLimits::kMaxPartBytes));
    }
    if (!workbookBytes || !relationBytes) {
        return fail(QStringLiteral("文件中没有工作簿（xl/workbook.xml），不是 XLSX 表格"));
    }
    const Workbook workbook = readWorkbook(*workbookBytes);
    if (workbook.sheets.isEmpty()) {
        return fail(QStringLiteral("工作簿中没有工作表"));
    }
    const SheetEntry* chosen = &workbook.sheets.first();
    if (!sheetName.isEmpty()) {
        chosen = nullptr;
        QStringList names;
        for (const SheetEntry& entry : workbook.sheets) {
            names << entry.name;
            if (entry.name == sheetName) {
                chosen = &entry;
            }
        }
        if (!chosen) {
            return fail(QStringLiteral("工作簿中没有名为“%1”的工作表（有：%2）")
                            .arg(sheetName, names.join(QStringLiteral("、"))));
        }
    }
    const QString member = readRelationships(*relationBytes).value(chosen->relationId);
    if (member.isEmpty()) {
        return fail(QStringLiteral("找不到工作表“%1”的内容").arg(chosen->name));
    }

    // The shared strings and the sheet are read as they inflate, each up to its limit.
    QStringList sharedStrings;
    if (zip.setCurrentFile(QStringLiteral("xl/sharedStrings.xml"), QuaZip::csInsensitive)) {
        QuaZipFile strings(&zip);
        if (strings.open(QIODevice::ReadOnly)) {
            SheetLimits::BoundedDevice bounded(&strings, SheetLimits::kMaxPartBytes);
            QString stringsError;
            sharedStrings = readSharedStrings(&bounded, &stringsError);
            if (bounded.overLimit()) {
                return fail(tooBig(QStringLiteral("共享字符串表"), SheetLimits::kMaxPartBytes));
            }
            if (!stringsError.isEmpty()) {
                return fail(stringsError);
            }
        }
    }

    QuaZipFile sheet(&zip);
    if (!zip.setCurrentFile(member, QuaZip::csInsensitive) || !sheet.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("无法读取工作表“%1”").arg(chosen->name));
    }
    SheetLimits::BoundedDevice bounded(&sheet, SheetLimits::kMaxWorksheetBytes);
    SheetLimits::Collector collector(SheetLimits::Collector::HeaderRow::FirstNotBlank, columns);
    QXmlStreamReader xml(&bounded);
    const bool whole = readRows(xml, sharedStrings, collector);
    if (!whole) {
        return fail(collector.error());
    }
    if (bounded.overLimit()) {
        return fail(tooBig(QStringLiteral("工作表“%1”").arg(chosen->name),
                           SheetLimits::kMaxWorksheetBytes));
    }
    if (xml.hasError()) {
        return fail(QStringLiteral("工作表“%1”损坏：%2").arg(chosen->name, xml.errorString()));
    }
    SheetTable table = collector.take();
    table.date1904 = workbook.date1904;
    return table;
}

std::optional<QStringList> sheetNames(const QString& path, QString* error)
{
    QuaZip zip(path);
    std::optional<QByteArray> bytes;
    if (zip.open(QuaZip::mdUnzip)) {
        bytes = readMember(zip, QStringLiteral("xl/workbook.xml"));
    }
    if (!bytes) {
        if (error) {
            *error = QStringLiteral("文件中没有工作簿（xl/workbook.xml），不是 XLSX 表格");
        }
        return std::nullopt;
    }
    QStringList names;
    for (const SheetEntry& entry : readWorkbook(*bytes).sheets) {
        names << entry.name;
    }
    return names;
}

} // namespace XlsxReader
