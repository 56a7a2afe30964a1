// The limits of a sheet of leavers: what is refused (and how it is said), what is kept, and that
// nothing right of the named columns is.
#include "HostileSheets.h"
#include "batch/CsvReader.h"
#include "batch/SheetFile.h"
#include "batch/SheetLimits.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Writer = std::function<bool(const QString& path)>;

struct RefusedCase
{
    const char* label;
    const char* fileName;
    Writer write;
    QString error; // the whole message
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.label;
}

bool header257Csv(const QString& path)
{
    QFile file(path);
    QByteArray header;
    for (int i = 1; i <= 257; ++i) {
        header += (i == 1 ? QByteArray("姓名") : "列" + QByteArray::number(i)) + (i < 257 ? "," : "\r\n");
    }
    return file.open(QIODevice::WriteOnly) && file.write(header + "张三\r\n") > 0;
}

std::vector<RefusedCase> refusedCases()
{
    using namespace HostileSheets;
    return {
        {"RowsPastTheLimitCsv", "rows.csv", [](const QString& p) { return manyRowsCsv(p, 100001); },
         QStringLiteral("表格超过 100000 行（第 100002 行是第 100001 行数据）：一次最多处理 "
                        "100000 行，请分成几个表格")},
        {"RowsPastTheLimitXlsx", "rows.xlsx",
         [](const QString& p) { return manyRowsXlsx(p, 100001); },
         QStringLiteral("表格超过 100000 行（第 100002 行是第 100001 行数据）：一次最多处理 "
                        "100000 行，请分成几个表格")},
        {"HeaderCellInColumn257", "iw.xlsx",
         [](const QString& p) { return farCellXlsx(p, 3, "IW", true); },
         QStringLiteral("表头超过 256 列（第 IW 列“备注”有内容）：表格最多只能有 256 列")},
        {"HeaderCellInColumnXfd", "xfd.xlsx",
         [](const QString& p) { return farCellXlsx(p, 3, "XFD", true); },
         QStringLiteral("表头超过 256 列（第 XFD 列“备注”有内容）：表格最多只能有 256 列")},
        {"CsvHeaderOf257Names", "wide.csv", header257Csv,
         QStringLiteral("表头超过 256 列（第 IW 列“列257”有内容）：表格最多只能有 256 列")},
        {"CellOf2001CharactersCsv", "long.csv",
         [](const QString& p) { return longCellCsv(p, 2001); },
         QStringLiteral("第 2 行 B 列（离职原因）的内容超过 2000 个字符：一格最多 2000 个字符")},
        {"CellOfAMegabyteXlsx", "long.xlsx",
         [](const QString& p) { return longCellXlsx(p, 1 << 20); },
         QStringLiteral("第 2 行 B 列（离职原因）的内容超过 2000 个字符：一格最多 2000 个字符")},
        // Blank space packs a thousand to one: 300 MiB of it from a file of a few hundred KiB.
        {"WorksheetInflatingPastItsBound", "inflating.xlsx",
         [](const QString& p) { return inflatingXlsx(p, qint64(300) << 20); },
         QStringLiteral("工作表“Sheet1”解压后超过 256 MiB，已停止读取：请分成几个较小的表格")},
    };
}

class RefusedSheet : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedSheet, IsRefusedWithTheLimitNamed)
{
    const RefusedCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(c.fileName));
    ASSERT_TRUE(c.write(path));
    QString error;
    EXPECT_FALSE(SheetFile::read(path, {}, &error));
    EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(Limits, RefusedSheet, ::testing::ValuesIn(refusedCases()),
                         [](const auto& info) { return std::string(info.param.label); });

std::optional<SheetTable> readWritten(const QTemporaryDir& dir, const char* name,
                                      const Writer& write)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(write(path));
    QString error;
    std::optional<SheetTable> table = SheetFile::read(path, {}, &error);
    EXPECT_TRUE(table) << error.toStdString();
    return table;
}

TEST(SheetWithinLimits, TheMostRowsAndTheLongestCellAreTaken)
{
    QTemporaryDir dir;
    const auto rows = readWritten(dir, "rows.csv", [](const QString& p) {
        return HostileSheets::manyRowsCsv(p, 100000);
    });
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->rows.size(), 100000);
    EXPECT_EQ(rows->rows.last().line, 100001);
    const auto cell = readWritten(dir, "long.csv", [](const QString& p) {
        return HostileSheets::longCellCsv(p, 2000);
    });
    ASSERT_TRUE(cell);
    ASSERT_EQ(cell->rows.size(), 1);
    EXPECT_EQ(cell->rows[0].cell(1).text, QString(2000, u'x'));
}

TEST(SheetWithinLimits, CellsRightOfTheNamedColumnsAreNeverKept)
{
    QTemporaryDir dir;
    const auto far = readWritten(dir, "far.xlsx", [](const QString& p) {
        return HostileSheets::farCellXlsx(p, 1000, "XFD");
    });
    ASSERT_TRUE(far);
    EXPECT_EQ(far->header, QStringList{QStringLiteral("姓名")});
    ASSERT_EQ(far->rows.size(), 1000);
    for (const SheetRow& row : far->rows) {
        ASSERT_EQ(row.cells.size(), 1) << "line " << row.line;
    }

    // A long cell right of the names is not even looked at.
    const auto wide = readWritten(dir, "wide.csv", [](const QString& p) {
        return HostileSheets::emptyColumnsCsv(p, 10, 100000);
    });
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->header, QStringList{QStringLiteral("姓名")});
    ASSERT_EQ(wide->rows.size(), 10);
    EXPECT_EQ(wide->rows[9].cells.size(), 1);
    EXPECT_EQ(wide->rows[9].cell(0).text, QStringLiteral("张三"));
}

TEST(SheetWithinLimits, ABatchKeepsOnlyTheFirstColumnOfEachField)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("备注,姓名,姓名,部门\r\n很长的备注,张三,李四,研发部\r\n,,,\r\n").toUtf8());
    file.close();
    QString error;
    const auto batch = SheetFile::read(path, {}, &error);
    ASSERT_TRUE(batch) << error.toStdString();
    ASSERT_EQ(batch->rows.size(), 1);
    EXPECT_EQ(batch->blankRows, 1);
    ASSERT_EQ(batch->rows[0].cells.size(), 2);
    EXPECT_EQ(batch->rows[0].cell(1).text, QStringLiteral("张三"));
    EXPECT_EQ(batch->rows[0].cell(3).text, QStringLiteral("研发部"));
    // Read as a sheet of its own, every named column is kept.
    const auto all = CsvReader::read(path, CsvReader::Encoding::Detect, &error);
    ASSERT_TRUE(all) << error.toStdString();
    EXPECT_EQ(all->rows[0].cells.size(), 4);
}

TEST(BoundedDevice, ReadsUpToItsLimitAndReportsWhatLiesBeyond)
{
    QByteArray bytes(100, 'a');
    for (const auto& [limit, over] : {std::pair{100, false}, std::pair{101, false},
                                      std::pair{99, true}, std::pair{0, true}}) {
        QBuffer source(&bytes);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        SheetLimits::BoundedDevice bounded(&source, limit);
        const QByteArray got = bounded.readAll();
        EXPECT_EQ(bounded.overLimit(), over) << "limit " << limit;
        if (!over) {
            EXPECT_EQ(got, bytes);
        }
        EXPECT_LE(bounded.bytesRead(), qint64(limit) + 1);
    }
}

TEST(BoundedDevice, ALongTextIsCutBetweenCharactersAndTheXmlStaysWhole)
{
    const qsizetype run = SheetLimits::kMaxTextRun;
    struct Case
    {
        const char* label;
        QByteArray text; // between <t> and </t>
        QByteArray kept;
    };
    const QByteArray xs(run - 1, 'x');
    const QByteArray han = QStringLiteral("张").toUtf8();
    const Case cases[] = {
        {"Short", "abc", "abc"},
        {"Exactly", QByteArray(run, 'x'), QByteArray(run, 'x')},
        {"Long", QByteArray(5 * run, 'x'), QByteArray(run, 'x')},
        {"CharacterAcrossTheCut", xs + han + han, xs + han},
        {"EntityAcrossTheCut", xs + "&amp;&amp;", xs + "&amp;"},
    };
    for (const Case& c : cases) {
        QByteArray bytes = "<r><t>" + c.text + "</t><t>ok</t></r>";
        QBuffer source(&bytes);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        SheetLimits::BoundedDevice bounded(&source, 1 << 30);
        EXPECT_EQ(bounded.readAll(), "<r><t>" + c.kept + "</t><t>ok</t></r>") << c.label;
        source.seek(0);
        SheetLimits::BoundedDevice again(&source, 1 << 30);
        QXmlStreamReader xml(&again);
        while (!xml.atEnd()) {
            xml.readNext();
        }
        EXPECT_FALSE(xml.hasError()) << c.label << ": " << xml.errorString().toStdString();
    }
}

TEST(SheetColumnNames, AsASpreadsheetNamesThem)
{
    const std::pair<int, const char*> names[] = {
        {0, "A"}, {25, "Z"}, {26, "AA"}, {255, "IV"}, {256, "IW"}, {16383, "XFD"}};
    for (const auto& [column, name] : names) {
        EXPECT_EQ(SheetLimits::columnName(column), QString::fromLatin1(name));
    }
}

} // namespace
