#include "LibraryFixture.h"
#include "store/SqlConnection.h"

namespace {

struct Awkward
{
    const char* label;
    QString value;
};

std::ostream& operator<<(std::ostream& out, const Awkward& a)
{
    return out << a.label;
}

class Quoting : public LibraryFixture, public ::testing::WithParamInterface<Awkward>
{
};

// Every value goes in and comes back exactly as typed, and nothing else in the table moves.
TEST_P(Quoting, ValueIsStoredAndReadBackIntact)
{
    const QString table = "company_item_table";
    const QString value = GetParam().value;
    const QStringList before = snapshot(table);

    db.AddRecord(table, "item3", value, "item8", value);
    ASSERT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    ASSERT_EQ(rowCount(table), before.size() + 1);
    EXPECT_EQ(snapshot(table).mid(0, before.size()), before);

    const int id = db.FindRecordId(table, "item3", value);
    ASSERT_GT(id, 0);
    EXPECT_EQ(db.GetRecordValue(table, "item3", id), value);
    EXPECT_EQ(db.FindRecordValue(table, "item3", value, "item8"), value);

    db.SetRecordValue(table, "item8", value + value, id);
    EXPECT_EQ(db.GetRecordValue(table, "item8", id), value + value);

    QStringList texts(10);
    texts[2] = value;
    texts[7] = value;
    db.AddItemRecord(table, 10, texts, -1);
    EXPECT_EQ(values(table, "item3").last(), value);
    EXPECT_EQ(values(table, "item8").last(), value);
    EXPECT_EQ(snapshot(table).mid(0, before.size()), before);
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardValues, Quoting,
    ::testing::Values(Awkward{"apostrophe", "O'Brien 的公司"}, Awkward{"only quotes", "''"},
                      Awkward{"single quote", "'"},
                      Awkward{"injection", "'; delete from company_item_table; --"},
                      Awkward{"always true", "' or '1'='1"}, Awkward{"semicolons", "a;b;;c;"},
                      Awkward{"crlf", "第一行\r\n第二行\r\n"}, Awkward{"emoji", "笑脸😀公司👍"},
                      Awkward{"rare cjk", "𠀀𪚥𰻞有限公司"},
                      Awkward{"markers", "[TABLE_NAME] [FIELD_VALUE] [VALUES] %d %ld \\ \" <br>"},
                      Awkward{"select top", "select top 1 * from moban_item_table"},
                      Awkward{"empty", ""},
                      // Invisible, and what a decoder takes for a byte order mark.
                      Awkward{"byte order mark first", QChar(0xFEFF) + QStringLiteral("北京星辰")}),
    [](const ::testing::TestParamInfo<Awkward>& info) {
        return QString::fromLatin1(info.param.label).replace(' ', '_').toStdString();
    });

using QuotingFailures = LibraryFixture;

TEST_F(QuotingFailures, NulCharacterFailsAndIsReportedWithNothingWritten)
{
    const QString table = "company_item_table";
    const QStringList before = snapshot(table);
    const QString value =
        QString("前") + QChar(0) + QString("'); delete from company_item_table; --");
    db.AddRecord(table, "item3", value, "item8", "");
    db.SetRecordValue(table, "item3", value, 1);
    db.AddItemRecord(table, 3, {value, value, value}, -1);
    EXPECT_EQ(db.FindRecordId(table, "item3", value), -1);
    EXPECT_EQ(snapshot(table), before);
    ASSERT_EQ(notes.notices().size(), 4);
    // The report shows the statement as built, the quote of the value doubled.
    const QString asBuilt = QString(value).replace("'", "''");
    for (const auto& notice : notes.notices()) {
        EXPECT_EQ(notice.icon, Notifier::Icon::Warning);
        EXPECT_TRUE(notice.text.contains(asBuilt)) << notice.text.toStdString();
    }
}

TEST_F(QuotingFailures, HalfASurrogatePairIsRefusedRatherThanAltered)
{
    const QString table = "company_item_table";
    const QStringList before = snapshot(table);
    const QString value = QString("半个") + QChar(0xD83D) + QString("表情");
    db.AddRecord(table, "item3", value, "item8", "");
    EXPECT_EQ(snapshot(table), before);
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_TRUE(notes.notices()[0].text.startsWith(SqlConnection::kInvalidText));
    EXPECT_TRUE(notes.notices()[0].text.endsWith(value + "','')"));
}

TEST_F(QuotingFailures, InjectedConditionFindsNothing)
{
    EXPECT_EQ(db.FindRecordId("company_item_table", "item3", "' or '1'='1"), -1);
    EXPECT_EQ(db.FindRecordValue("moban_item_table", "item3", "x' or item1='默认", "item8"), "");
    EXPECT_TRUE(notes.notices().isEmpty());
}

} // namespace
