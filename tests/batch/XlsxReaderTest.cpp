#include "batch/XlsxReader.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>

namespace {

const char* const kRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId7" Type="x" Target="worksheets/first.xml"/>)"
    R"(<Relationship Id="rId8" Type="x" Target="/xl/worksheets/second.xml"/>)"
    R"(</Relationships>)";

QByteArray workbookXml(bool date1904)
{
    return QByteArray(
               R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
               R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)") +
           (date1904 ? R"(<workbookPr date1904="1"/>)" : "") +
           R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId7"/>)"
           R"(<sheet name="名单" sheetId="2" r:id="rId8"/></sheets></workbook>)";
}

QByteArray sheetXml(const QByteArray& rows)
{
    return R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
           "<sheetData>" +
           rows + "</sheetData></worksheet>";
}

// Writes an .xlsx as Excel lays it out, member by member.
QString writeXlsx(const QTemporaryDir& dir, const QList<std::pair<QString, QByteArray>>& members)
{
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    QuaZip zip(path);
    EXPECT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& [name, bytes] : members) {
        QuaZipFile file(&zip);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)));
        file.write(bytes);
        file.close();
    }
    zip.close();
    return path;
}

const QByteArray kSharedStrings =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    "<si><t>姓名</t></si>"
    "<si><t>离职日期</t></si>"
    // a rich-text item with a phonetic guide that is not part of the text
    "<si><r><t>张</t></r><r><t>三</t></r><rPh sb=\"0\" eb=\"1\"><t>zhang</t></rPh></si>"
    "<si><t xml:space=\"preserve\"> 身份证号 </t></si>"
    "</sst>";

TEST(XlsxRead, SharedInlineNumberAndFormulaCells)
{
    QTemporaryDir dir;
    const QByteArray rows =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
        R"(<c r="C1" t="s"><v>3</v></c></row>)"
        R"(<row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2"><v>45443</v></c>)"
        R"(<c r="C2" t="inlineStr"><is><t>110101199003071234</t></is></c></row>)"
        R"(<row r="4"><c r="A4" t="str"><f>A2</f><v>张三</v></c><c r="C4"><v>1.10101199003071E+17</v></c></row>)"
        R"(<row r="5"><c r="C5" t="b"><v>1</v></c></row>)";
    const QString path = writeXlsx(dir, {{"xl/workbook.xml", workbookXml(false)},
                                         {"xl/_rels/workbook.xml.rels", kRels},
                                         {"xl/sharedStrings.xml", kSharedStrings},
                                         {"xl/worksheets/first.xml", sheetXml(rows)}});
    QString error;
    const std::optional<SheetTable> table = XlsxReader::read(path, QString(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_FALSE(table->date1904);
    EXPECT_EQ(table->header, (QStringList{"姓名", "离职日期", " 身份证号 "}));
    ASSERT_EQ(table->rows.size(), 3);
    const SheetRow& first = table->rows[0];
    EXPECT_EQ(first.line, 2);
    EXPECT_EQ(first.cell(0).text, QStringLiteral("张三"));
    EXPECT_TRUE(first.cell(1).isNumber);
    EXPECT_EQ(first.cell(1).number, 45443.0);
    EXPECT_EQ(first.cell(2).text, QStringLiteral("110101199003071234"));
    EXPECT_FALSE(first.cell(2).isNumber);
    const SheetRow& second = table->rows[1];
    EXPECT_EQ(second.line, 4);
    EXPECT_EQ(second.cell(0).text, QStringLiteral("张三"));
    EXPECT_TRUE(second.cell(2).isNumber);
    EXPECT_EQ(second.cell(2).text, QStringLiteral("1.10101199003071e+17"));
    EXPECT_EQ(table->rows[2].cell(1).text, QString()); // C5: nothing before it
    EXPECT_EQ(table->rows[2].cell(2).text, QStringLiteral("TRUE"));
}

TEST(XlsxRead, ASheetChosenByNameAndThe1904System)
{
    QTemporaryDir dir;
    const QString path = writeXlsx(
        dir,
        {{"xl/workbook.xml", workbookXml(true)},
         {"xl/_rels/workbook.xml.rels", kRels},
         {"xl/worksheets/first.xml",
          sheetXml(R"(<row><c t="inlineStr"><is><t>甲</t></is></c></row>)")},
         {"xl/worksheets/second.xml",
          sheetXml(R"(<row><c t="inlineStr"><is><t>姓名</t></is></c>)"
                   R"(<c t="inlineStr"><is><t>离职日期</t></is></c></row>)"
                   R"(<row><c t="inlineStr"><is><t>赵六</t></is></c><c><v>43981</v></c></row>)")}});
    QString error;
    const std::optional<SheetTable> table = XlsxReader::read(path, QStringLiteral("名单"), &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_TRUE(table->date1904);
    EXPECT_EQ(table->header, (QStringList{"姓名", "离职日期"}));
    ASSERT_EQ(table->rows.size(), 1);
    EXPECT_EQ(table->rows[0].line, 2); // rows without a number count on from the one before
    EXPECT_EQ(table->rows[0].cell(1).number, 43981.0);

    EXPECT_FALSE(XlsxReader::read(path, QStringLiteral("第三批"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Sheet1、名单"))) << error.toStdString();
}

TEST(XlsxRead, FilesThatAreNoWorkbookAreRefusedInChinese)
{
    QTemporaryDir dir;
    QString error;
    const QString notZip = dir.filePath(QStringLiteral("plain.xlsx"));
    QFile file(notZip);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("姓名,性别\n");
    file.close();
    EXPECT_FALSE(XlsxReader::read(notZip, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("zip"))) << error.toStdString();

    const QString noWorkbook = writeXlsx(dir, {{"word/document.xml", "<w/>"}});
    EXPECT_FALSE(XlsxReader::read(noWorkbook, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("xl/workbook.xml"))) << error.toStdString();
}

TEST(XlsxRead, CellReferencesAndNumberTexts)
{
    EXPECT_EQ(XlsxReader::columnOfReference(u"A1"), 0);
    EXPECT_EQ(XlsxReader::columnOfReference(u"Z9"), 25);
    EXPECT_EQ(XlsxReader::columnOfReference(u"AA10"), 26);
    EXPECT_EQ(XlsxReader::columnOfReference(u"XFD1"), 16383);
    EXPECT_EQ(XlsxReader::columnOfReference(u"12"), -1);
    EXPECT_EQ(XlsxReader::numberText(42), QStringLiteral("42"));
    EXPECT_EQ(XlsxReader::numberText(2.5), QStringLiteral("2.5"));
}

} // namespace
