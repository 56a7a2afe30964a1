#include "batch/CsvReader.h"
#include "BatchFixtures.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QList<QStringList> parsed(const QString& text, QChar separator = u',')
{
    QString error;
    const std::optional<QList<QStringList>> records = CsvReader::parse(text, separator, &error);
    EXPECT_TRUE(records.has_value()) << error.toStdString();
    return records.value_or(QList<QStringList>{});
}

TEST(CsvParse, QuotedFieldsHoldSeparatorsQuotesAndLineBreaks)
{
    const QList<QStringList> records =
        parsed(QStringLiteral("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",x,\n"));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], (QStringList{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(records[1], (QStringList{"two\r\nlines", "x", ""}));
}

TEST(CsvParse, LineEndsOfEveryKindAndNoFinalLineEnd)
{
    const QList<QStringList> records = parsed(QStringLiteral("a;b\rc;d\ne;f"), u';');
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[2], (QStringList{"e", "f"}));
}

TEST(CsvParse, AnUnclosedQuoteIsAnErrorNamingItsRecord)
{
    QString error;
    EXPECT_FALSE(CsvReader::parse(QStringLiteral("a,b\r\nc,\"d\r\n"), u',', &error));
    EXPECT_TRUE(error.contains(QStringLiteral("第 2 行"))) << error.toStdString();
}

TEST(CsvSeparator, TheMostFrequentOutsideQuotesOnTheFirstRecord)
{
    EXPECT_EQ(CsvReader::detectSeparator(u"姓名,性别,部门"), u',');
    EXPECT_EQ(CsvReader::detectSeparator(u"姓名;性别;部门"), u';');
    EXPECT_EQ(CsvReader::detectSeparator(u"姓名\t性别\t部门"), u'\t');
    EXPECT_EQ(CsvReader::detectSeparator(u"\"a,b,c\";性别\n1,2,3,4"), u';');
    EXPECT_EQ(CsvReader::detectSeparator(u"姓名"), u',');
}

TEST(CsvDecode, Utf8WithAndWithoutByteOrderMark)
{
    QString error;
    EXPECT_EQ(CsvReader::decode(QByteArray("\xEF\xBB\xBF") + QStringLiteral("姓名").toUtf8(),
                                CsvReader::Encoding::Detect, &error),
              QStringLiteral("姓名"));
    EXPECT_EQ(
        CsvReader::decode(QStringLiteral("姓名").toUtf8(), CsvReader::Encoding::Detect, &error),
        QStringLiteral("姓名"));
}

TEST(CsvDecode, Gb18030IsAvailableAndDetectedFromInvalidUtf8)
{
    // Qt reads GB18030 only when it was built with ICU; the program depends on that.
    QStringEncoder encoder("GB18030");
    ASSERT_TRUE(encoder.isValid());
    const QByteArray bytes = encoder.encode(QStringLiteral("姓名,离职原因\r\n张三,个人原因"));
    ASSERT_FALSE(encoder.hasError());
    QString error;
    EXPECT_EQ(CsvReader::decode(bytes, CsvReader::Encoding::Detect, &error),
              QStringLiteral("姓名,离职原因\r\n张三,个人原因"));
    EXPECT_EQ(CsvReader::decode(bytes, CsvReader::Encoding::Gb18030, &error),
              QStringLiteral("姓名,离职原因\r\n张三,个人原因"));
    // Chosen as UTF-8, the same bytes are refused rather than misread.
    EXPECT_FALSE(CsvReader::decode(bytes, CsvReader::Encoding::Utf8, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("UTF-8")));
}

TEST(CsvDecode, EncodingNames)
{
    EXPECT_EQ(CsvReader::encodingFromName(QStringLiteral("GBK")), CsvReader::Encoding::Gb18030);
    EXPECT_EQ(CsvReader::encodingFromName(QStringLiteral("gb18030")), CsvReader::Encoding::Gb18030);
    EXPECT_EQ(CsvReader::encodingFromName(QStringLiteral("UTF-8")), CsvReader::Encoding::Utf8);
    EXPECT_FALSE(CsvReader::encodingFromName(QStringLiteral("big5")));
}

TEST(CsvRead, TheGb18030FixtureAsExcelSavesIt)
{
    QString error;
    const std::optional<SheetTable> table =
        CsvReader::read(FixturePath("leavers-gb18030.csv"), CsvReader::Encoding::Detect, &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_EQ(table->header.size(), 10);
    EXPECT_EQ(table->header.first(), QStringLiteral(" 姓名 "));
    // Empty rows are counted, not kept: the one of commas and the last one.
    ASSERT_EQ(table->rows.size(), 3);
    EXPECT_EQ(table->blankRows, 2);
    EXPECT_EQ(table->rows[1].line, 4);
    EXPECT_EQ(table->rows[1].cell(0).text, QStringLiteral("李\"小\"四"));
    EXPECT_EQ(table->rows[1].cell(8).text, QStringLiteral("合同到期\r\n不再续签"));
    EXPECT_EQ(table->rows[2].line, 5); // the two-line record counts as one row
    EXPECT_EQ(table->rows[2].cell(2).text, QStringLiteral("1.10101E+17"));
    EXPECT_FALSE(table->rows[2].cell(2).isNumber);
}

TEST(CsvRead, AMissingFileIsAnErrorInChinese)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(CsvReader::read(dir.filePath(QStringLiteral("none.csv")),
                                 CsvReader::Encoding::Detect, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法打开文件"))) << error.toStdString();
}

} // namespace
