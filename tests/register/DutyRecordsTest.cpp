// The duties recorded about a leaver: delivery records and the transfer day, as texts, as checks,
// and in the register (events, list columns, the 未确认送达 search, an older file carried forward).
#include "RegisterFixture.h"

#include "register/DueList.h"
#include "register/DutyRecords.h"
#include "register/RegisterSql.h"
#include "register/SqliteRegisterStorage.h"

#include <QFile>
#include <sqlite3.h>

using namespace Register;

namespace {

QDate isoDay(const char* iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

} // namespace

TEST(DutyRecords, ADeliveryIsStoredAsOneFixedLineAndReadBack)
{
    struct Case
    {
        Delivery delivery;
        const char16_t* detail;
        const char16_t* label;
    };
    const Case cases[] = {
        {{DeliveryMethod::InPerson, {}, isoDay("2026-04-02"), {}},
         u"{\"method\":\"in-person\",\"received\":\"2026-04-02\"}", u"当面签收，2026-04-02 签收"},
        {{DeliveryMethod::Post, QStringLiteral("SF1234567890"), QDate(), {}},
         u"{\"method\":\"post\",\"waybill\":\"SF1234567890\"}", u"邮寄 SF1234567890，未确认签收"},
        {{DeliveryMethod::Email, {}, QDate(), QStringLiteral("发至 \"zhang@example.com\"")},
         u"{\"method\":\"email\",\"note\":\"发至 \\\"zhang@example.com\\\"\"}",
         u"电子邮件，未确认签收"},
        {{DeliveryMethod::Other, {}, isoDay("2028-02-29"), QStringLiteral("由家属代收")},
         u"{\"method\":\"other\",\"note\":\"由家属代收\",\"received\":\"2028-02-29\"}",
         u"其他，2028-02-29 签收"},
    };
    for (const Case& c : cases) {
        const QString detail = deliveryDetail(c.delivery);
        EXPECT_EQ(detail, QString::fromUtf16(c.detail));
        EXPECT_EQ(deliveryFromDetail(detail), c.delivery) << detail.toStdString();
        EXPECT_EQ(deliveryLabel(c.delivery), QString::fromUtf16(c.label));
    }
    // Not a delivery record: no record, not a default one.
    for (const char* bad : {"", "2026-04-10", "{\"method\":\"pigeon\"}", "[1,2]", "{\"waybill\":1"}) {
        EXPECT_FALSE(deliveryFromDetail(QString::fromLatin1(bad))) << bad;
    }
}

TEST(DutyRecords, MethodsAreNamedByTheirKeyOrTheirLabel)
{
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral("post")), DeliveryMethod::Post);
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral(" 邮寄 ")), DeliveryMethod::Post);
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral("当面签收")), DeliveryMethod::InPerson);
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral("in-person")), DeliveryMethod::InPerson);
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral("电子邮件")), DeliveryMethod::Email);
    EXPECT_EQ(deliveryMethodFrom(QStringLiteral("其他")), DeliveryMethod::Other);
    EXPECT_FALSE(deliveryMethodFrom(QStringLiteral("快递")));
    EXPECT_FALSE(deliveryMethodFrom(QString()));
}

TEST(DutyRecords, ADeliveryRecordIsCheckedBeforeItIsKept)
{
    const QDate issued = isoDay("2026-04-02");
    const QDate today = isoDay("2026-04-10");
    struct Case
    {
        Delivery delivery;
        QDate firstIssued;
        const char16_t* problem; // empty: accepted
    };
    const QString longWaybill(kMaxWaybillLength + 1, u'1');
    const Case cases[] = {
        {{DeliveryMethod::Post, QStringLiteral("SF-1234"), isoDay("2026-04-05"), {}}, issued, u""},
        {{DeliveryMethod::InPerson, {}, issued, {}}, issued, u""},   // received the day it left
        {{DeliveryMethod::InPerson, {}, today, {}}, issued, u""},    // received today
        {{DeliveryMethod::Email, {}, QDate(), {}}, issued, u""},     // receipt not confirmed yet
        {{DeliveryMethod::Post, {}, QDate(), {}}, issued, u"邮寄的证明要填写运单号。"},
        {{DeliveryMethod::Email, QStringLiteral("SF1"), QDate(), {}},
         issued,
         u"只有邮寄的证明才有运单号，电子邮件不填运单号。"},
        {{DeliveryMethod::Post, QStringLiteral("SF 123"), QDate(), {}},
         issued,
         u"运单号“SF 123”只能由字母、数字和连字符组成，最多 40 个字符。"},
        {{DeliveryMethod::Post, longWaybill, QDate(), {}},
         issued,
         u"运单号“1111111111111111111111111111111111111111”只能由字母、数字和连字符组成，最多 40 "
         u"个字符。"},
        {{DeliveryMethod::Other, {}, QDate(), QStringLiteral("代收\u202E人")},
         issued,
         u"备注含有控制字符或文字方向控制符，请删去后再记录。"},
        {{DeliveryMethod::Other, {}, QDate(), QString(kMaxDutyNoteLength + 1, u'注')},
         issued,
         u"备注最多 200 个字符。"},
        {{DeliveryMethod::InPerson, {}, QDate(), {}},
         QDate(),
         u"这份证明还没有出具（打印、导出或复制），没有可送达的证明。"},
        {{DeliveryMethod::InPerson, {}, isoDay("2026-04-11"), {}},
         issued,
         u"签收日期 2026-04-11 晚于今天。"},
        {{DeliveryMethod::InPerson, {}, isoDay("2026-04-01"), {}},
         issued,
         u"签收日期 2026-04-01 早于证明首次出具的日期 2026-04-02。"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(deliveryProblem(c.delivery, c.firstIssued, today), QString::fromUtf16(c.problem))
            << deliveryDetail(c.delivery).toStdString();
    }
    EXPECT_EQ(transferProblem(isoDay("2026-04-10"), today), QString());
    EXPECT_EQ(transferProblem(isoDay("2026-04-11"), today), QStringLiteral("转移日期 2026-04-11 晚于今天。"));
    EXPECT_EQ(transferProblem(QDate(), today),
              QStringLiteral("请给出档案和社会保险关系转移完成的日期。"));
}

TEST(DutyRecords, TheTransferColumnCountsFifteenDaysFromTheLeavingDay)
{
    struct Case
    {
        const char* leave;
        const char* transferred;
        const char* today;
        const char16_t* text;
    };
    const Case cases[] = {
        {"2026-01-31", "", "2026-02-15", u"待转移，截止 2026-02-15"}, // the last day itself
        {"2026-01-31", "", "2026-02-16", u"逾期 1 天未转移"},
        {"2028-02-20", "", "2028-03-06", u"待转移，截止 2028-03-06"}, // across 29 February
        {"2028-02-20", "", "2028-03-07", u"逾期 1 天未转移"},
        {"2026-03-31", "", "2026-05-01", u"逾期 16 天未转移"},
        {"2026-03-31", "2026-05-01", "2026-06-01", u"2026-05-01 已转移"}, // late, but done
        {"", "", "2026-06-01", u""},
        {"", "2026-05-01", "2026-06-01", u"2026-05-01 已转移"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(transferStatusText(isoDay(c.leave), isoDay(c.transferred), isoDay(c.today)),
                  QString::fromUtf16(c.text))
            << c.leave << " " << c.transferred << " " << c.today;
    }
}

class DutyRegisterTest : public RegisterFixture
{
protected:
    // An entry leaving on `leave`, its certificate printed on `printed` (a draft when null).
    IssuedEntry leaver(const QString& name, const QString& leave, const char* printed)
    {
        const IssuedEntry e = add(person(name, QStringLiteral("110101199001011234"), leave));
        if (printed) {
            at(printed);
            QString error;
            EXPECT_TRUE(reg->recordEvent(e.id, EventKind::Printed, e.text, &error))
                << error.toStdString();
        }
        return e;
    }
    void at(const char* iso) { clock = QDateTime(isoDay(iso), QTime(16, 0)); }
    EntrySummary summary(qint64 id)
    {
        QString error;
        const std::optional<Entry> e = reg->entry(id, &error);
        EXPECT_TRUE(e) << error.toStdString();
        return e ? e->summary : EntrySummary{};
    }
    QStringList undelivered()
    {
        SearchQuery q;
        q.undeliveredOnly = true;
        q.limit = 0;
        QString error;
        const auto rows = reg->search(q, &error);
        EXPECT_TRUE(rows) << error.toStdString();
        QStringList names;
        for (const EntrySummary& r : rows.value_or(QList<EntrySummary>{})) {
            names << r.name;
        }
        return names;
    }
};

TEST_F(DutyRegisterTest, ADeliveryIsAnEventAndTheListShowsTheNewestRecord)
{
    const IssuedEntry e = leaver(QStringLiteral("张三"), QStringLiteral("2026年3月31日"), "2026-04-02");
    QString error;
    at("2026-04-03");
    const Delivery posted{DeliveryMethod::Post, QStringLiteral(" sf1234567890 "), QDate(), {}};
    ASSERT_TRUE(reg->recordDelivery(e.id, posted, &error)) << error.toStdString();
    EntrySummary s = summary(e.id);
    ASSERT_TRUE(s.delivery);
    EXPECT_EQ(deliveryLabel(*s.delivery), QStringLiteral("邮寄 SF1234567890，未确认签收"));
    EXPECT_FALSE(s.delivery->received.isValid());

    at("2026-04-06");
    const Delivery received{DeliveryMethod::Post, QStringLiteral("SF1234567890"),
                            isoDay("2026-04-05"), QStringLiteral("本人签收")};
    ASSERT_TRUE(reg->recordDelivery(e.id, received, &error)) << error.toStdString();
    const std::optional<Entry> entry = reg->entry(e.id, &error);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->summary.delivery, received);
    // Both records stay, after the printing, each against the text that was delivered; the
    // entry's status and last leaving are the printing's.
    ASSERT_EQ(entry->events.size(), 3);
    EXPECT_EQ(entry->events[1].kind, EventKind::Delivered);
    EXPECT_EQ(entry->events[1].detail,
              QStringLiteral("{\"method\":\"post\",\"waybill\":\"SF1234567890\"}"));
    EXPECT_EQ(entry->events[2].detail, deliveryDetail(received));
    EXPECT_EQ(entry->events[2].versionNo, 1);
    EXPECT_EQ(entry->events[2].sha256, entry->versions[0].sha256);
    EXPECT_EQ(entry->summary.lastEventKey, QStringLiteral("printed"));
    EXPECT_EQ(entry->summary.lastEventAt.toLocalTime().date(), isoDay("2026-04-02"));
}

TEST_F(DutyRegisterTest, ADraftHasNothingToDeliverAndABadRecordIsNotKept)
{
    const IssuedEntry draft = leaver(QStringLiteral("李四"), QStringLiteral("2026年3月31日"), nullptr);
    const IssuedEntry issued =
        leaver(QStringLiteral("王五"), QStringLiteral("2026年3月31日"), "2026-04-02");
    at("2026-04-10");
    QString error;
    EXPECT_FALSE(reg->recordDelivery(draft.id, {DeliveryMethod::InPerson, {}, QDate(), {}}, &error));
    EXPECT_EQ(error, QStringLiteral("LZ2026-000001 不能记录送达：这份证明还没有出具（打印、导出或"
                                    "复制），没有可送达的证明。"));
    EXPECT_FALSE(reg->recordDelivery(issued.id,
                                     {DeliveryMethod::InPerson, {}, isoDay("2026-04-01"), {}}, &error));
    EXPECT_EQ(error, QStringLiteral("LZ2026-000002 不能记录送达：签收日期 2026-04-01 早于证明首次"
                                    "出具的日期 2026-04-02。"));
    EXPECT_FALSE(reg->recordDelivery(issued.id, {DeliveryMethod::Post, {}, QDate(), {}}, &error));
    EXPECT_FALSE(reg->recordTransfer(issued.id, isoDay("2026-04-11"), &error));
    EXPECT_EQ(error, QStringLiteral("LZ2026-000002 不能记录转移：转移日期 2026-04-11 晚于今天。"));
    EXPECT_EQ(reg->entry(draft.id, &error)->events.size(), 0);
    EXPECT_EQ(reg->entry(issued.id, &error)->events.size(), 1);
    EXPECT_FALSE(summary(issued.id).delivery);
    EXPECT_FALSE(summary(issued.id).transferDay.isValid());
}

TEST_F(DutyRegisterTest, TheUndeliveredSearchListsWhatLeftWithoutAConfirmedReceipt)
{
    leaver(QStringLiteral("草稿"), QStringLiteral("2026年3月31日"), nullptr);
    leaver(QStringLiteral("未记录"), QStringLiteral("2026年3月31日"), "2026-04-01");
    const IssuedEntry posted =
        leaver(QStringLiteral("已寄出"), QStringLiteral("2026年3月31日"), "2026-04-01");
    const IssuedEntry signedFor =
        leaver(QStringLiteral("已签收"), QStringLiteral("2026年3月31日"), "2026-04-01");
    at("2026-04-08");
    QString error;
    ASSERT_TRUE(reg->recordDelivery(
        posted.id, {DeliveryMethod::Post, QStringLiteral("YT9"), QDate(), {}}, &error));
    ASSERT_TRUE(reg->recordDelivery(
        signedFor.id, {DeliveryMethod::InPerson, {}, isoDay("2026-04-01"), {}}, &error));
    EXPECT_EQ(undelivered(), (QStringList{QStringLiteral("已寄出"), QStringLiteral("未记录")}));
    SearchQuery q;
    q.undeliveredOnly = true;
    q.name = QStringLiteral("寄");
    EXPECT_EQ(reg->count(q, &error), 1);
    EXPECT_FALSE(q.isEmpty());
}

TEST_F(DutyRegisterTest, ATransferOnADraftLeavesItADraftAndTheFirstIssueUnchanged)
{
    const IssuedEntry e = leaver(QStringLiteral("赵六"), QStringLiteral("2026年3月31日"), nullptr);
    at("2026-04-01");
    QString error;
    ASSERT_TRUE(reg->recordTransfer(e.id, isoDay("2026-04-01"), &error)) << error.toStdString();
    EntrySummary s = summary(e.id);
    EXPECT_FALSE(s.issued);
    EXPECT_EQ(s.transferDay, isoDay("2026-04-01"));
    // Printed two days late: the transfer before it is no leaving.
    at("2026-04-02");
    ASSERT_TRUE(reg->recordEvent(e.id, EventKind::Printed, e.text, &error));
    const std::optional<Entry> entry = reg->entry(e.id, &error);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->events.first().kind, EventKind::Transferred);
    EXPECT_EQ(entry->events.first().detail, QStringLiteral("2026-04-01"));
    EXPECT_EQ(firstLeavingDay(*entry), isoDay("2026-04-02"));
    const std::optional<DueLists> due = dueLists(*reg, isoDay("2026-05-01"), &error);
    ASSERT_TRUE(due) << error.toStdString();
    ASSERT_EQ(due->late.size(), 1);
    EXPECT_EQ(due->late[0].daysLate, 2);
    EXPECT_TRUE(due->transfers.isEmpty());
}

TEST_F(DutyRegisterTest, DueListsTheMissingTransfersPastTheirFifteenDays)
{
    leaver(QStringLiteral("月末"), QStringLiteral("2026年1月31日"), "2026-01-30");   // 2026-02-15
    leaver(QStringLiteral("闰日"), QStringLiteral("2028年2月20日"), "2028-02-20");   // 2028-03-06
    const IssuedEntry done = leaver(QStringLiteral("已转移"), QStringLiteral("2026年1月1日"), "2026-01-01");
    at("2026-01-20");
    QString error;
    ASSERT_TRUE(reg->recordTransfer(done.id, isoDay("2026-01-20"), &error));
    auto transfers = [&](const char* today) {
        QStringList lines;
        const std::optional<DueLists> due = dueLists(*reg, isoDay(today), &error);
        EXPECT_TRUE(due) << error.toStdString();
        for (const DueLine& l : due.value_or(DueLists{}).transfers) {
            lines << QStringLiteral("%1 %2").arg(l.summary.name).arg(l.daysLate);
        }
        return lines;
    };
    EXPECT_EQ(transfers("2026-02-15"), QStringList{});
    EXPECT_EQ(transfers("2026-02-16"), QStringList{QStringLiteral("月末 1")});
    EXPECT_EQ(transfers("2028-03-06"), QStringList{QStringLiteral("月末 750")});
    EXPECT_EQ(transfers("2028-03-07"),
              (QStringList{QStringLiteral("月末 751"), QStringLiteral("闰日 1")}));
}

TEST_F(DutyRegisterTest, AVersionTwoFileIsCarriedForwardWithItsEvents)
{
    // A register as the release before the duties wrote it: an entry printed once.
    reg.reset();
    ASSERT_TRUE(QFile::remove(path()));
    QString error;
    qint64 id = 0;
    {
        auto v2 = SqliteRegisterStorage::open(path(), &error, 2);
        ASSERT_TRUE(v2) << error.toStdString();
        EXPECT_EQ(v2->schemaVersion(), 2);
    }
    {
        // The rows as that release wrote them (its statements, not this one's).
        const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
        ASSERT_TRUE(key) << error.toStdString();
        sqlite3* db = SqliteRegisterStorage::openFile(path(), *key, &error);
        ASSERT_TRUE(db) << error.toStdString();
        const char* rows =
            "INSERT INTO templates VALUES (1, '模板', '证明 【证明编号】');"
            "INSERT INTO entries(id, number, year, seq, created_at, operator, template_id, name,"
            " id_number, company, leave_date, leave_day) VALUES (1, 'LZ2026-000001', 2026, 1,"
            " '2026-04-02T09:00:00.000Z', 'hr', 1, '孙八', '', '', '2026年3月31日', '2026-03-31');"
            "INSERT INTO entry_values VALUES (1, 0, '姓名', '孙八');"
            "INSERT INTO versions VALUES (1, 1, 1, '证明 LZ2026-000001',"
            " 'a1', 'a1', '2026-04-02T09:00:00.000Z');"
            "INSERT INTO events VALUES (1, 1, 1, 'printed', '2026-04-02T09:00:00.000Z', 'a1');"
            "UPDATE entries SET last_event_kind = 'printed', last_event_at ="
            " '2026-04-02T09:00:00.000Z' WHERE id = 1;"
            "INSERT INTO sequences VALUES (2026, 1);";
        ASSERT_EQ(sqlite3_exec(db, rows, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        id = 1;
    }
    {
        auto storage = SqliteRegisterStorage::open(path(), &error);
        ASSERT_TRUE(storage) << error.toStdString();
        EXPECT_EQ(storage->schemaVersion(), Sql::kCurrentVersion);
    }
    reopen();
    EXPECT_EQ(undelivered(), QStringList{QStringLiteral("孙八")});
    at("2026-04-09");
    ASSERT_TRUE(reg->recordDelivery(id, {DeliveryMethod::Email, {}, isoDay("2026-04-03"), {}}, &error))
        << error.toStdString();
    EXPECT_EQ(undelivered(), QStringList{});
    const std::optional<Entry> entry = reg->entry(id, &error);
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->events.size(), 2);
    EXPECT_EQ(entry->events[0].kind, EventKind::Printed);
    EXPECT_EQ(entry->events[0].detail, QString());
    EXPECT_EQ(firstLeavingDay(*entry), isoDay("2026-04-02"));
}
