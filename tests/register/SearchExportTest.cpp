#include "RegisterFixture.h"

#include "register/IdMask.h"
#include "register/RegisterCsv.h"

#include <QFile>
#include <QFileInfo>

using namespace Register;

TEST(IdMaskTest, KeepsRegionAndLastFour)
{
    EXPECT_EQ(maskIdNumber(QStringLiteral("110101199003071234")),
              QStringLiteral("110101********1234"));
    EXPECT_EQ(maskIdNumber(QStringLiteral("11010119900307123X")),
              QStringLiteral("110101********123X"));
    EXPECT_EQ(maskIdNumber(QStringLiteral("110101900307123")), QStringLiteral("110101*****7123"));
    EXPECT_EQ(maskIdNumber(QStringLiteral("12345678")), QStringLiteral("12****78"));
    EXPECT_EQ(maskIdNumber(QStringLiteral("123")), QStringLiteral("***"));
    EXPECT_EQ(maskIdNumber(QString()), QString());
}

TEST(CsvTest, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(csvField(QStringLiteral("张三")), QStringLiteral("张三"));
    EXPECT_EQ(csvField(QStringLiteral("A,B")), QStringLiteral("\"A,B\""));
    EXPECT_EQ(csvField(QStringLiteral("说\"好\"")), QStringLiteral("\"说\"\"好\"\"\""));
    EXPECT_EQ(csvField(QStringLiteral("a\nb")), QStringLiteral("\"a\nb\""));
    EXPECT_EQ(csvField(QStringLiteral(" a")), QStringLiteral("\" a\""));
}

// A spreadsheet program runs a cell starting with '=', '+', '-' or '@' as a formula; with an
// apostrophe in front it shows the text.
TEST(CsvTest, FormulaLikeFieldsStartWithAnApostrophe)
{
    const std::pair<const char*, const char*> cases[] = {
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"=1,2", "\"'=1,2\""},
        {"张-三", "张-三"},
        {"a=b", "a=b"},
        {"'", "'"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(csvField(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
    }
}

class SearchExportTest : public RegisterFixture
{
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        add(person("张三", "110101199001011234", "2025年3月5日"));
        clock = clock.addDays(1);
        add(person("张三丰", "320102198805052222", "2026年1月20日", "南京\"云\",有限公司"));
        clock = clock.addDays(1);
        add(person("李四", "11010119900101333X", "2026年7月1日"));
    }
    QStringList names(const SearchQuery& q)
    {
        QString error;
        const auto rows = reg->search(q, &error);
        EXPECT_TRUE(rows) << error.toStdString();
        QStringList out;
        for (const EntrySummary& r : rows.value_or(QList<EntrySummary>{})) {
            out << r.name;
        }
        return out;
    }
};

TEST_F(SearchExportTest, FindsByNameIdNumberAndNumberNewestFirst)
{
    SearchQuery q;
    EXPECT_EQ(names(q), (QStringList{"李四", "张三丰", "张三"}));
    q.name = QStringLiteral("张三");
    EXPECT_EQ(names(q), (QStringList{"张三丰", "张三"}));
    q = {};
    q.idNumber = QStringLiteral("333x");
    EXPECT_EQ(names(q), (QStringList{"李四"}));
    q.idNumber = QStringLiteral(" 11010119900101333x ");
    EXPECT_EQ(names(q), (QStringList{"李四"}));
    q.idNumber = QStringLiteral("110101199001011234");
    EXPECT_EQ(names(q), (QStringList{"张三"}));
    q = {};
    q.number = QStringLiteral("LZ2026-000002");
    EXPECT_EQ(names(q), (QStringList{"张三丰"}));
    q.limit = 1;
    q.number.clear();
    q.offset = 1;
    EXPECT_EQ(names(q), (QStringList{"张三丰"}));
}

TEST_F(SearchExportTest, FindsByLeavingOrCreationDateRange)
{
    SearchQuery q;
    q.from = QDate(2026, 1, 1);
    q.to = QDate(2026, 1, 20);
    EXPECT_EQ(names(q), (QStringList{"张三丰"}));
    q.dateField = DateField::Created;
    q.from = QDate(2026, 12, 8);
    q.to = QDate(2026, 12, 8);
    EXPECT_EQ(names(q), (QStringList{"张三丰"}));
    q.to = QDate();
    EXPECT_EQ(names(q), (QStringList{"李四", "张三丰"}));
}

TEST_F(SearchExportTest, ExportsCsvWithBomQuotingAndMaskedIds)
{
    const QString file = dirPath() + QStringLiteral("/导出.csv");
    QString error;
    SearchQuery q;
    q.name = QStringLiteral("张三丰");
    ASSERT_EQ(reg->exportCsv(file, q, false, &error), 1) << error.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3); // header, one row, the empty rest after the last CR LF
    EXPECT_EQ(lines[0],
              QStringLiteral("证明编号,姓名,身份证号,公司名称,离职日期,状态,最后事件,生成时间"));
    EXPECT_EQ(lines[1], QStringLiteral("LZ2026-000002,张三丰,320102********2222,"
                                       "\"南京\"\"云\"\",有限公司\",2026年1月20日,未出具,,"
                                       "2026-12-08 09:30:00"));
    ASSERT_EQ(reg->exportCsv(file, {}, true, &error), 3);
    ASSERT_TRUE(f.seek(0) || (f.close(), f.open(QIODevice::ReadOnly)));
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("11010119900101333X"));
}

TEST_F(SearchExportTest, FormulaLikeNamesAreExportedAsText)
{
    add(person("=HYPERLINK(\"http://evil\",\"点我\")", "110101199001014444"));
    const QString file = dirPath() + QStringLiteral("/公式.csv");
    QString error;
    SearchQuery q;
    q.name = QStringLiteral("HYPERLINK");
    ASSERT_EQ(reg->exportCsv(file, q, false, &error), 1) << error.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].contains(
        QStringLiteral(",\"'=HYPERLINK(\"\"http://evil\"\",\"\"点我\"\")\",")))
        << lines[1].toStdString();
}

TEST_F(SearchExportTest, AnExportWithFullIdNumbersIsTheOwnersAlone)
{
    constexpr auto kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                             QFileDevice::ReadOther | QFileDevice::WriteOther;
    QString error;
    const QString full = dirPath() + QStringLiteral("/full.csv");
    ASSERT_EQ(reg->exportCsv(full, {}, true, &error), 3) << error.toStdString();
    EXPECT_EQ(QFileInfo(full).permissions() & kOthers, QFileDevice::Permissions());
    EXPECT_TRUE(QFileInfo(full).permissions() & QFileDevice::ReadOwner);

    // Written again over a file that others could read, it becomes private too.
    QFile::setPermissions(full, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_EQ(reg->exportCsv(full, {}, true, &error), 3) << error.toStdString();
    EXPECT_EQ(QFileInfo(full).permissions() & kOthers, QFileDevice::Permissions());
}

TEST_F(SearchExportTest, AnUnwritableTargetLeavesNothingAndSaysSoInChinese)
{
    QString error;
    EXPECT_FALSE(reg->exportCsv(dirPath() + QStringLiteral("/无此目录/x.csv"), {}, false, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件"))) << error.toStdString();
}
