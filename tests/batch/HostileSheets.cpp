#include "HostileSheets.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QFile>
#include <functional>

namespace HostileSheets {

namespace {

const QByteArray kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const QByteArray kRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="x" Target="worksheets/sheet1.xml"/></Relationships>)";
const QByteArray kSheetStart =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
const QByteArray kSheetEnd = "</sheetData></worksheet>";

QByteArray inlineCell(const QByteArray& reference, const QString& text)
{
    return "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + text.toUtf8() + "</t></is></c>";
}

QByteArray row(int line, const QByteArray& cells)
{
    return "<row r=\"" + QByteArray::number(line) + "\">" + cells + "</row>";
}

// Writes the workbook around a worksheet that `writeRows` streams into `out`.
bool writeXlsx(const QString& path, const std::function<bool(QIODevice& out)>& writeRows)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate)) {
        return false;
    }
    bool ok = true;
    for (const auto& [name, bytes] : {std::pair{"xl/workbook.xml", kWorkbook},
                                      std::pair{"xl/_rels/workbook.xml.rels", kRelationships}}) {
        QuaZipFile file(&zip);
        ok = ok && file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(name))) &&
             file.write(bytes) == bytes.size();
        file.close();
    }
    QuaZipFile sheet(&zip);
    ok = ok && sheet.open(QIODevice::WriteOnly,
                          QuaZipNewInfo(QStringLiteral("xl/worksheets/sheet1.xml")));
    ok = ok && sheet.write(kSheetStart) == kSheetStart.size() && writeRows(sheet) &&
         sheet.write(kSheetEnd) == kSheetEnd.size();
    sheet.close();
    zip.close();
    return ok && zip.getZipError() == ZIP_OK;
}

bool writeText(const QString& path, const std::function<bool(QIODevice& out)>& write)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && write(file) && file.flush();
}

bool put(QIODevice& out, const QByteArray& bytes)
{
    return out.write(bytes) == bytes.size();
}

} // namespace

bool inflatingXlsx(const QString& path, qint64 inflatedBytes)
{
    return writeXlsx(path, [inflatedBytes](QIODevice& out) {
        bool ok = put(out, row(1, inlineCell("A1", QStringLiteral("姓名")))) &&
                  put(out, row(2, inlineCell("A2", QStringLiteral("张三"))));
        const QByteArray blank(1 << 20, ' ');
        for (qint64 done = 0; ok && done < inflatedBytes; done += blank.size()) {
            ok = put(out, blank);
        }
        return ok;
    });
}

bool farCellXlsx(const QString& path, int rows, const char* farColumn, bool inHeader)
{
    const QByteArray far(farColumn);
    return writeXlsx(path, [&](QIODevice& out) {
        QByteArray header = inlineCell("A1", QStringLiteral("姓名"));
        if (inHeader) {
            header += inlineCell(far + "1", QStringLiteral("备注"));
        }
        bool ok = put(out, row(1, header));
        for (int line = 2; ok && line <= rows + 1; ++line) {
            const QByteArray n = QByteArray::number(line);
            ok = put(out, row(line, inlineCell("A" + n, QStringLiteral("张三")) +
                                        inlineCell(far + n, QStringLiteral("x"))));
        }
        return ok;
    });
}

bool longCellXlsx(const QString& path, qint64 cellChars)
{
    return writeXlsx(path, [cellChars](QIODevice& out) {
        bool ok = put(out, row(1, inlineCell("A1", QStringLiteral("姓名")) +
                                      inlineCell("B1", QStringLiteral("离职原因")))) &&
                  put(out, R"(<row r="2">)" + inlineCell("A2", QStringLiteral("张三")) +
                               R"(<c r="B2" t="inlineStr"><is><t>)");
        const QByteArray chunk(1 << 20, 'x');
        for (qint64 done = 0; ok && done < cellChars; done += chunk.size()) {
            ok = put(out, chunk.left(int(std::min<qint64>(chunk.size(), cellChars - done))));
        }
        return ok && put(out, "</t></is></c></row>");
    });
}

bool manyRowsXlsx(const QString& path, int rows)
{
    return writeXlsx(path, [rows](QIODevice& out) {
        bool ok = put(out, row(1, inlineCell("A1", QStringLiteral("姓名"))));
        for (int line = 2; ok && line <= rows + 1; ++line) {
            ok = put(out, row(line, inlineCell("A" + QByteArray::number(line),
                                               QStringLiteral("张三"))));
        }
        return ok;
    });
}

bool emptyColumnsCsv(const QString& path, int rows, int emptyColumns)
{
    return writeText(path, [&](QIODevice& out) {
        const QByteArray commas(emptyColumns, ',');
        bool ok = put(out, QStringLiteral("姓名").toUtf8() + commas + "\r\n");
        for (int i = 0; ok && i < rows; ++i) {
            ok = put(out, QStringLiteral("张三").toUtf8() + commas + "\r\n");
        }
        return ok;
    });
}

bool longCellCsv(const QString& path, qint64 cellChars)
{
    return writeText(path, [cellChars](QIODevice& out) {
        bool ok = put(out, QStringLiteral("姓名,离职原因\r\n张三,").toUtf8());
        const QByteArray chunk(1 << 20, 'x');
        for (qint64 done = 0; ok && done < cellChars; done += chunk.size()) {
            ok = put(out, chunk.left(int(std::min<qint64>(chunk.size(), cellChars - done))));
        }
        return ok && put(out, "\r\n");
    });
}

bool manyRowsCsv(const QString& path, int rows)
{
    return writeText(path, [rows](QIODevice& out) {
        bool ok = put(out, QStringLiteral("姓名\r\n").toUtf8());
        const QByteArray name = QStringLiteral("张三\r\n").toUtf8();
        for (int i = 0; ok && i < rows; ++i) {
            ok = put(out, name);
        }
        return ok;
    });
}

} // namespace HostileSheets
