#include "legal/WordingCheck.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Legal;

namespace {

QStringList delivered() { return parseWordingList(defaultWordingListText()); }

QStringList phrasesHit(const QString& text)
{
    QStringList found;
    for (const WordingHit& hit : checkWording(text, delivered())) {
        found.append(hit.phrase);
    }
    return found;
}

struct WordingCase
{
    const char16_t* text;
    QStringList hits;
};

} // namespace

// Phrases that state a fault or a dispute are hits; the same phrases in a clause that states
// their absence are not.
TEST(WordingCheck, FaultAndDisputeAreHitsAndTheirAbsenceIsNot)
{
    const WordingCase cases[] = {
        {u"因能力不足，予以辞退。", {QStringLiteral("能力不足"), QStringLiteral("辞退")}},
        {u"双方存在劳动争议。", {QStringLiteral("劳动争议")}},
        {u"该员工无故旷工，公司予以开除。", {QStringLiteral("旷工"), QStringLiteral("开除")}},
        {u"该员工尚未了结的劳动纠纷正在仲裁。",
         {QStringLiteral("劳动纠纷"), QStringLiteral("仲裁")}},
        {u"因违纪被开除，与公司无劳动争议。", {QStringLiteral("违纪"), QStringLiteral("开除")}},
        {u"该员工在职期间与我公司无未了结的劳动争议。", {}},
        {u"双方没有纠纷。", {}},
        {u"双方不存在劳动争议，亦未发生仲裁或诉讼。", {}},
        {u"该员工已办妥工作交接手续。", {}},
        {u"", {}},
    };
    for (const WordingCase& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(phrasesHit(text), c.hits) << text.toStdString();
    }
}

TEST(WordingCheck, AHitShowsThePhraseInItsContext)
{
    const QString text =
        QStringLiteral("兹证明张三自2020年3月1日起在我公司任职。\r\n因严重违反规章制度，公司予以辞退。");
    const QList<WordingHit> hits = checkWording(text, delivered());
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].phrase, QStringLiteral("违反规章制度"));
    EXPECT_EQ(hits[0].position, 28);
    EXPECT_EQ(hits[0].context, QStringLiteral("……公司任职。 因严重违反规章制度，公司予以辞退。"));
    EXPECT_EQ(hits[1].phrase, QStringLiteral("辞退"));
    EXPECT_EQ(describeWordingHits(hits),
              QStringLiteral("“违反规章制度”：……公司任职。 因严重违反规章制度，公司予以辞退。\n"
                             "“辞退”：……反规章制度，公司予以辞退。"))
        << describeWordingHits(hits).toStdString();
}

// The context is one line: the blanks of a title, an indent and the blank lines under a title
// become one space each run, and none at either end.
TEST(WordingCheck, TheContextIsOneLineWithoutRunsOfBlanks)
{
    const struct
    {
        const char16_t* text;
        QStringList lines;
    } cases[] = {
        {u"　　　　离职证明\r\n\r\n\r\n张三因违纪被辞退。",
         {QStringLiteral("“违纪”：……明 张三因违纪被辞退。"),
          QStringLiteral("“辞退”：……张三因违纪被辞退。")}},
        {u"　　兹证明张三被开除。", {QStringLiteral("“开除”：兹证明张三被开除。")}},
        {u"张三\t\t被开除\n\n", {QStringLiteral("“开除”：张三 被开除")}},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(wordingLines(checkWording(text, delivered())), c.lines) << text.toStdString();
    }
}

TEST(WordingCheck, TheNoteRecordedWithALeavingNamesEachPhraseOnce)
{
    const QString text = QStringLiteral("双方存在劳动争议。公司予以辞退。双方的劳动争议仍在处理。");
    const QList<WordingHit> hits = checkWording(text, delivered());
    ASSERT_EQ(hits.size(), 3);
    EXPECT_EQ(wordingNote(hits), QStringLiteral("措辞提示：劳动争议、辞退"));
    EXPECT_EQ(wordingNote({}), QString());
    EXPECT_TRUE(wordingQuestion(hits).contains(describeWordingHits(hits)));
    EXPECT_TRUE(wordingQuestion(hits).endsWith(QStringLiteral("仍要继续吗？继续将记入登记簿。")));
}

TEST(WordingCheck, TheLongestPhraseAtAPlaceCountsOnce)
{
    const QList<WordingHit> hits =
        checkWording(QStringLiteral("双方存在劳动纠纷。"),
                     {QStringLiteral("纠纷"), QStringLiteral("劳动纠纷"), QStringLiteral("劳动")});
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].phrase, QStringLiteral("劳动纠纷"));
    EXPECT_EQ(hits[0].position, 4);
}

TEST(WordingCheck, TheOfficesListIsOnePhrasePerLine)
{
    EXPECT_EQ(parseWordingList(QStringLiteral("# 注释\r\n辞退\r\n\r\n  开除 \n辞退\n#违纪\n")),
              (QStringList{QStringLiteral("辞退"), QStringLiteral("开除")}));
    const QStringList list = delivered();
    for (const char16_t* phrase : {u"辞退", u"开除", u"违纪", u"劳动争议", u"纠纷", u"能力不足",
                                   u"不胜任", u"未办理交接"}) {
        EXPECT_TRUE(list.contains(QString::fromUtf16(phrase)))
            << QString::fromUtf16(phrase).toStdString();
    }
    EXPECT_FALSE(list.contains(QStringLiteral("#")));
}

TEST(WordingCheck, TheOfficesFileReplacesTheDeliveredList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("wording.txt"));
    QString error;
    // No file yet: the delivered list.
    EXPECT_EQ(loadWordingList(path, &error), delivered());
    EXPECT_TRUE(error.isEmpty());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("# 本公司\n试用期不合格\n").toUtf8());
    }
    EXPECT_EQ(loadWordingList(path, &error), QStringList{QStringLiteral("试用期不合格")});
    EXPECT_TRUE(error.isEmpty());
    // A folder where the file should be cannot be read: the delivered list, and a sentence.
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(loadWordingList(folder, &error), delivered());
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法读取措辞检查词表"))) << error.toStdString();
}

// None of the templates kavri delivers raises a hit.
TEST(WordingCheck, NoDeliveredTemplateRaisesAHit)
{
    QFile sql(QStringLiteral(KAVRI_LIBRARY_SQL));
    ASSERT_TRUE(sql.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(sql.readAll());
    static const QRegularExpression quoted(QStringLiteral("'([^']*兹证明[^']*)'"));
    int templates = 0;
    for (auto it = quoted.globalMatch(script); it.hasNext();) {
        const QString text = it.next().captured(1);
        ++templates;
        EXPECT_EQ(describeWordingHits(checkWording(text, delivered())), QString())
            << text.toStdString();
    }
    EXPECT_GE(templates, 6);
}

// What else kavri delivers into a certificate raises none either: the sample template and the
// library's entries (reasons, companies, departments, positions), which fill its placeholders.
TEST(WordingCheck, NoDeliveredSampleOrLibraryEntryRaisesAHit)
{
    QFile sample(QStringLiteral(KAVRI_SAMPLE_TEMPLATE));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QString sampleText = QString::fromUtf8(sample.readAll());
    EXPECT_TRUE(sampleText.contains(QStringLiteral("兹证明")));
    EXPECT_EQ(describeWordingHits(checkWording(sampleText, delivered())), QString());

    QFile sql(QStringLiteral(KAVRI_LIBRARY_SQL));
    ASSERT_TRUE(sql.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(sql.readAll());
    // VALUES (0, '默认', '', 'the entry', ...
    static const QRegularExpression entry(
        QStringLiteral("INSERT INTO (\\w+) .*VALUES \\(0, '[^']*', '[^']*', '([^']*)'"));
    QMap<QString, int> perTable;
    for (auto it = entry.globalMatch(script); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        ++perTable[m.captured(1)];
        EXPECT_EQ(describeWordingHits(checkWording(m.captured(2), delivered())), QString())
            << m.captured(2).toStdString();
    }
    for (const char* table : {"company_item_table", "department_item_table", "position_item_table",
                              "reason_item_bable"}) {
        EXPECT_GE(perTable.value(QString::fromLatin1(table)), 5) << table;
    }
}
