#include "LibraryFixture.h"
#include "store/SqlConnection.h"

#include <QRegularExpression>
#include <QSet>

namespace {

const QStringList kTables{"moban_item_table", "company_item_table", "department_item_table",
                          "position_item_table", "reason_item_bable"};
const QStringList kChoiceTables = kTables.mid(1);
const QString kBlockOpen = QStringLiteral("<div style=\"float: right;\">");

using DeliveredLibrary = LibraryFixture;

TEST_F(DeliveredLibrary, HasTheFiveTablesWithTheSameColumns)
{
    QStringList expected{"itemid", "upid"};
    for (int i = 1; i <= 10; ++i) {
        expected.append(QString("item%1").arg(i));
    }
    for (const QString& table : kTables) {
        QStringList columns;
        auto records = db.ExecuteSql(
            onServer() ? "select column_name as name from information_schema.columns where "
                         "table_name='" + table + "' order by ordinal_position"
                       : "pragma table_info(" + table + ")");
        for (; records && !records->isEof(); records->moveNext()) {
            columns.append(records->collect("name"));
        }
        EXPECT_EQ(columns, expected) << table.toStdString();
    }
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

TEST_F(DeliveredLibrary, EachTableHasExactlyOneDefaultAndTopLevelEntriesFromOne)
{
    for (const QString& table : kTables) {
        const QStringList marks = values(table, "item1");
        EXPECT_EQ(marks.count("默认"), 1) << table.toStdString();
        EXPECT_EQ(values(table, "itemid").first(), "1") << table.toStdString();
        EXPECT_EQ(values(table, "upid").count("0"), marks.size()) << table.toStdString();
        for (const QString& name : values(table, "item3")) {
            EXPECT_FALSE(name.isEmpty()) << table.toStdString();
        }
    }
}

TEST_F(DeliveredLibrary, ChoiceLibrariesHoldFiveToTenEntries)
{
    for (const QString& table : kChoiceTables) {
        EXPECT_GE(rowCount(table), 5) << table.toStdString();
        EXPECT_LE(rowCount(table), 10) << table.toStdString();
    }
    bool noteInParentheses = false;
    for (const QString& reason : values("reason_item_bable", "item3")) {
        noteInParentheses |= reason.indexOf(QChar(0xFF08)) > 0 && reason.endsWith(QChar(0xFF09));
    }
    EXPECT_TRUE(noteInParentheses);
}

TEST_F(DeliveredLibrary, TemplatesAreCompleteCertificatesWithDifferentFields)
{
    static const QRegularExpression placeholder(QStringLiteral("【[^】]+】"));
    static const QSet<QString> known{"【姓名】",     "【性别】",     "【身份证号】",
                                     "【公司名称】", "【部门】",     "【职位】",
                                     "【入职日期】", "【离职日期】", "【离职原因】",
                                     "【合同期限】", "【工作年限】", "【出具日期】"};
    const QStringList texts = values("moban_item_table", "item8");
    ASSERT_GE(texts.size(), 3);
    QSet<QString> layouts;
    for (const QString& text : texts) {
        QSet<QString> fields;
        for (auto it = placeholder.globalMatch(text); it.hasNext();) {
            const QString marker = it.next().captured();
            EXPECT_TRUE(known.contains(marker)) << marker.toStdString();
            fields.insert(marker);
        }
        EXPECT_TRUE(fields.contains("【姓名】"));
        EXPECT_TRUE(fields.contains("【职位】"));
        EXPECT_TRUE(fields.contains("【入职日期】"));
        EXPECT_TRUE(fields.contains("【离职日期】"));
        QStringList sorted(fields.begin(), fields.end());
        sorted.sort();
        layouts.insert(sorted.join(','));

        const qsizetype block = text.indexOf(kBlockOpen);
        ASSERT_GT(block, 0) << text.toStdString();
        EXPECT_LT(text.indexOf("特此证明。"), block);
        EXPECT_GT(text.indexOf("【公司名称】", block), block);
        EXPECT_GT(text.indexOf("<br>", block), block);
        EXPECT_TRUE(text.endsWith("</div>"));
    }
    EXPECT_EQ(layouts.size(), texts.size());
}

TEST(DeliveredFile, CannotBeReadWithoutTheKey)
{
    TempLibrary library;
    QString error;
    EXPECT_FALSE(SqlConnection::open(library.path(), QString(), &error));
    EXPECT_EQ(error, "file is encrypted or is not a database");
    EXPECT_FALSE(SqlConnection::open(library.path(), "하늘의 구름은", &error));
    EXPECT_TRUE(SqlConnection::open(library.path(), CDbVisit::kPassword, &error));
}

} // namespace
