#include "RegisterFixture.h"

#include "register/CertificateNumber.h"

#include <QFile>

using namespace Register;

TEST(CertificateNumberTest, FormatsPrefixYearAndSixDigits)
{
    EXPECT_EQ(formatNumber(QStringLiteral("LZ"), 2026, 123), QStringLiteral("LZ2026-000123"));
    EXPECT_EQ(formatNumber(QStringLiteral("LZ"), 2027, 1234567), QStringLiteral("LZ2027-1234567"));
}

TEST(CertificateNumberTest, ParsesOnlyAWholeNumber)
{
    const auto n = parseNumber(QStringLiteral("  LZ2026-000123 "));
    ASSERT_TRUE(n);
    EXPECT_EQ(n->prefix, QStringLiteral("LZ"));
    EXPECT_EQ(n->year, 2026);
    EXPECT_EQ(n->sequence, 123);
    EXPECT_FALSE(parseNumber(QStringLiteral("编号 LZ2026-000123")));
    EXPECT_FALSE(parseNumber(QStringLiteral("LZ2026-12")));
    EXPECT_FALSE(parseNumber(QString()));
}

TEST(CertificateNumberTest, FindsTheNumberInsideACertificate)
{
    EXPECT_EQ(findNumberInText(QStringLiteral("离职证明\r\n证明编号：LZ2026-000042\r\n兹证明")),
              QStringLiteral("LZ2026-000042"));
    EXPECT_EQ(findNumberInText(QStringLiteral("兹证明张三于2026年离职")), QString());
}

using NumberingTest = RegisterFixture;

TEST_F(NumberingTest, CountsPerYearFromOne)
{
    EXPECT_EQ(add(person("张三", "110101199001011234")).number, QStringLiteral("LZ2026-000001"));
    EXPECT_EQ(add(person("李四", "110101199001012345")).number, QStringLiteral("LZ2026-000002"));
    clock = QDateTime(QDate(2027, 1, 1), QTime(0, 5));
    EXPECT_EQ(add(person("王五", "110101199001013456")).number, QStringLiteral("LZ2027-000001"));
    clock = QDateTime(QDate(2026, 12, 31), QTime(23, 0));
    EXPECT_EQ(add(person("赵六", "110101199001014567")).number, QStringLiteral("LZ2026-000003"));
}

TEST_F(NumberingTest, ComposesWithTheNumberItGives)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    EXPECT_EQ(made.text, QStringLiteral("离职证明\r\n\r\n编号：LZ2026-000001\r\n姓名：张三\r\n"));
    QString error;
    const auto entry = reg->entry(made.id, &error);
    ASSERT_TRUE(entry) << error.toStdString();
    ASSERT_EQ(entry->versions.size(), 1);
    EXPECT_EQ(entry->versions[0].text, made.text);
}

TEST_F(NumberingTest, NeverReusesANumberAfterDeletingEntries)
{
    clock = QDateTime(QDate(2023, 6, 1), QTime(10, 0));
    add(person("张三", "110101199001011234", "2023年5月31日"));
    add(person("李四", "110101199001012345", "2023年5月31日"));
    clock = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
    QString error;
    ASSERT_EQ(reg->countExpired(&error), 2);
    ASSERT_EQ(reg->deleteExpired(2, &error), 2) << error.toStdString();
    clock = QDateTime(QDate(2023, 12, 31), QTime(10, 0)); // the clock set back into that year
    EXPECT_EQ(add(person("王五", "110101199001013456", "2023年12月1日")).number,
              QStringLiteral("LZ2023-000003"));
}

TEST_F(NumberingTest, NeverReusesANumberAfterRestoringAnOlderRegister)
{
    add(person("张三", "110101199001011234"));
    add(person("李四", "110101199001012345"));
    reg.reset();
    const QString backup = dirPath() + QStringLiteral("/backup.db");
    ASSERT_TRUE(QFile::copy(path(), backup));
    reopen();
    add(person("王五", "110101199001013456"));
    add(person("赵六", "110101199001014567"));
    reg.reset();
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QFile::copy(backup, path()));
    reopen();
    QString error;
    EXPECT_EQ(reg->count({}, &error), 2); // the restored register
    EXPECT_EQ(add(person("孙七", "110101199001015678")).number, QStringLiteral("LZ2026-000005"));
}

TEST_F(NumberingTest, TheDatabaseCountsOnWhenTheMarkFileIsLost)
{
    add(person("张三", "110101199001011234"));
    add(person("李四", "110101199001012345"));
    ASSERT_TRUE(QFile::remove(sequencePathFor(path())));
    EXPECT_EQ(add(person("王五", "110101199001013456")).number, QStringLiteral("LZ2026-000003"));
    EXPECT_EQ(readHighWaterMarks(sequencePathFor(path())).value(2026), 3);
}
