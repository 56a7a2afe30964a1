// The register of a team on its server: entries, versions and events, numbers from the server
// for several clerks at once, and deleting left to the administrator.
#include "PgRegisterFixture.h"

#include "register/CertificateRegister.h"
#include "register/PgRegisterStorage.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <thread>

using namespace Register;

namespace {

NewEntry leaver(const QString& name, const QString& id, const QString& leaveDate)
{
    NewEntry e;
    e.templateName = QStringLiteral("标准模板");
    e.templateText = QStringLiteral("兹证明【姓名】于【离职日期】离职。【证明编号】");
    e.values = {{QStringLiteral("姓名"), name},
                {QStringLiteral("身份证号"), id},
                {QStringLiteral("公司名称"), QStringLiteral("甲公司")},
                {QStringLiteral("离职日期"), leaveDate},
                {QStringLiteral("备注"), QStringLiteral("含\"引号\"与\\反斜杠,逗号{}")}};
    return e;
}

CertificateRegister::Composer certificate(const QString& name)
{
    return [name](const QString& number) {
        return QStringLiteral("离职证明\r\n\r\n兹证明%1已离职。编号：%2").arg(name, number);
    };
}

const QString kYear = QString::number(QDate::currentDate().year());

class PgRegisterTest : public PgRegisterFixture
{
};

TEST(PgTextArray, QuotesEveryItemAndEscapesQuotesAndBackslashes)
{
    EXPECT_EQ(pgTextArray({}), QStringLiteral("{}"));
    EXPECT_EQ(pgTextArray({QString(), QStringLiteral("a,b")}), QStringLiteral("{\"\",\"a,b\"}"));
    EXPECT_EQ(pgTextArray({QStringLiteral("x\"y\\z{}")}), QStringLiteral("{\"x\\\"y\\\\z{}\"}"));
}

TEST_F(PgRegisterTest, ClerkAddsEntriesAndEventsAndFindsThemAgain)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const auto reg = open(m_clerk);
    ASSERT_TRUE(reg);
    QString error;
    const auto first =
        reg->addEntry(leaver(QStringLiteral("张三"), QStringLiteral("11010119900101123x"),
                             QStringLiteral("2026年2月28日")),
                      certificate(QStringLiteral("张三")), &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(first->number, QStringLiteral("LZ%1-000001").arg(kYear));
    EXPECT_EQ(first->text,
              QStringLiteral("离职证明\r\n\r\n兹证明张三已离职。编号：LZ%1-000001").arg(kYear));
    const auto second =
        reg->addEntry(leaver(QStringLiteral("李四"), QStringLiteral("123"), QStringLiteral("不详")),
                      certificate(QStringLiteral("李四")), &error);
    ASSERT_TRUE(second) << error.toStdString();
    EXPECT_EQ(second->number, QStringLiteral("LZ%1-000002").arg(kYear));

    // Drafts until a text leaves; the same text again is an event only, an edited one a version.
    auto stored = reg->entry(first->id, &error);
    ASSERT_TRUE(stored) << error.toStdString();
    EXPECT_FALSE(stored->summary.issued);
    EXPECT_EQ(stored->summary.idNumber, QStringLiteral("11010119900101123X"));
    EXPECT_EQ(stored->summary.leaveDay, QDate(2026, 2, 28));
    // The server's clock, not the desk's.
    EXPECT_GE(stored->summary.createdAt, before);
    EXPECT_LE(stored->summary.createdAt, QDateTime::currentDateTimeUtc().addSecs(1));
    EXPECT_EQ(stored->templateName, QStringLiteral("标准模板"));
    ASSERT_EQ(stored->values.size(), 5);
    EXPECT_EQ(stored->values[4].value, QStringLiteral("含\"引号\"与\\反斜杠,逗号{}"));
    const QString edited = first->text + QStringLiteral("（已盖章）");
    EXPECT_EQ(reg->recordEvent(first->id, EventKind::Copied, first->text, &error), 1);
    EXPECT_EQ(reg->recordEvent(first->id, EventKind::Printed, edited, &error), 2);
    EXPECT_EQ(reg->recordEvent(first->id, EventKind::PdfExported, edited, &error), 2);
    EXPECT_FALSE(reg->recordEvent(999999, EventKind::Copied, edited, &error));

    stored = reg->entry(first->id, &error);
    ASSERT_TRUE(stored) << error.toStdString();
    EXPECT_TRUE(stored->summary.issued);
    EXPECT_EQ(stored->summary.lastEventKey, QStringLiteral("pdf"));
    ASSERT_EQ(stored->versions.size(), 2);
    EXPECT_EQ(stored->versions[1].text, edited);
    ASSERT_EQ(stored->events.size(), 3);
    EXPECT_EQ(stored->events[0].versionNo, 1);
    EXPECT_EQ(stored->events[2].versionNo, 2);
    EXPECT_EQ(stored->events[1].kind, EventKind::Printed);

    SearchQuery byName;
    byName.name = QStringLiteral("张");
    const auto hits = reg->search(byName, &error);
    ASSERT_TRUE(hits) << error.toStdString();
    ASSERT_EQ(hits->size(), 1);
    EXPECT_EQ(hits->at(0).number, QStringLiteral("LZ%1-000001").arg(kYear));
    SearchQuery byWholeId;
    byWholeId.idNumber = QStringLiteral("11010119900101123x");
    EXPECT_EQ(reg->count(byWholeId, &error), 1);
    SearchQuery byLeaving;
    byLeaving.from = QDate(2026, 2, 1);
    byLeaving.to = QDate(2026, 2, 28);
    EXPECT_EQ(reg->count(byLeaving, &error), 1); // 李四's date is no date
    SearchQuery all;
    const auto newestFirst = reg->search(all, &error);
    ASSERT_TRUE(newestFirst);
    ASSERT_EQ(newestFirst->size(), 2);
    EXPECT_EQ(newestFirst->at(0).number, QStringLiteral("LZ%1-000002").arg(kYear));

    // 查验 on the server's entries: the edited text matches its version, line breaks aside.
    auto verified = reg->verify(QString(edited).replace(QStringLiteral("\r\n"), "\n"), &error);
    ASSERT_TRUE(verified) << error.toStdString();
    EXPECT_EQ(verified->outcome, VerifyResult::Outcome::Match);
    EXPECT_EQ(verified->matchedVersion, 2);
    verified = reg->verify(QStringLiteral("LZ2026-000777"), &error);
    ASSERT_TRUE(verified);
    EXPECT_EQ(verified->outcome, VerifyResult::Outcome::NotFound);
}

// A clerk records how a certificate was delivered and when the file was transferred, as on the
// desk: events with their detail, the list's columns, the 未确认送达 search.
TEST_F(PgRegisterTest, ClerkRecordsDeliveriesAndTransfers)
{
    // The server's clock gives the events their times; the days recorded are the ones given.
    const QDate today = QDate::currentDate();
    QString error;
    const auto reg = CertificateRegister::openServer(m_clerk, &error);
    ASSERT_TRUE(reg) << error.toStdString();
    const auto posted = reg->addEntry(leaver(QStringLiteral("张三"), QStringLiteral("1"),
                                             QStringLiteral("2026年3月31日")),
                                      certificate(QStringLiteral("张三")), &error);
    const auto draft = reg->addEntry(leaver(QStringLiteral("李四"), QStringLiteral("2"),
                                            QStringLiteral("2026年3月31日")),
                                     certificate(QStringLiteral("李四")), &error);
    const auto handed = reg->addEntry(leaver(QStringLiteral("王五"), QStringLiteral("3"),
                                             QStringLiteral("2026年3月31日")),
                                      certificate(QStringLiteral("王五")), &error);
    ASSERT_TRUE(posted && draft && handed) << error.toStdString();
    for (const auto& e : {*posted, *handed}) {
        ASSERT_TRUE(reg->recordEvent(e.id, EventKind::Printed, e.text, &error))
            << error.toStdString();
    }
    ASSERT_TRUE(reg->recordDelivery(
        posted->id, {DeliveryMethod::Post, QStringLiteral("SF1234567890"), QDate(), {}}, &error))
        << error.toStdString();
    ASSERT_TRUE(reg->recordDelivery(
        handed->id, {DeliveryMethod::InPerson, {}, today, QStringLiteral("本人")},
        &error))
        << error.toStdString();
    EXPECT_FALSE(reg->recordDelivery(draft->id, {}, &error));
    ASSERT_TRUE(reg->recordTransfer(draft->id, today, &error)) << error.toStdString();

    SearchQuery undelivered;
    undelivered.undeliveredOnly = true;
    const auto rows = reg->search(undelivered, &error);
    ASSERT_TRUE(rows) << error.toStdString();
    ASSERT_EQ(rows->size(), 1);
    EXPECT_EQ(rows->at(0).name, QStringLiteral("张三"));
    ASSERT_TRUE(rows->at(0).delivery);
    EXPECT_EQ(rows->at(0).delivery->waybill, QStringLiteral("SF1234567890"));

    const auto entry = reg->entry(handed->id, &error);
    ASSERT_TRUE(entry) << error.toStdString();
    EXPECT_EQ(entry->summary.delivery,
              (Delivery{DeliveryMethod::InPerson, {}, today, QStringLiteral("本人")}));
    EXPECT_EQ(entry->summary.lastEventKey, QStringLiteral("printed"));
    EXPECT_EQ(entry->templateName, QStringLiteral("标准模板"));
    ASSERT_EQ(entry->events.size(), 2);
    EXPECT_EQ(entry->events[1].kind, EventKind::Delivered);
    EXPECT_EQ(entry->events[1].detail,
              QStringLiteral("{\"method\":\"in-person\",\"note\":\"本人\",\"received\":\"%1\"}")
                  .arg(today.toString(Qt::ISODate)));
    const auto stillDraft = reg->entry(draft->id, &error);
    ASSERT_TRUE(stillDraft);
    EXPECT_FALSE(stillDraft->summary.issued);
    EXPECT_EQ(stillDraft->summary.transferDay, today);
    ASSERT_EQ(stillDraft->events.size(), 1);
    EXPECT_EQ(stillDraft->events[0].kind, EventKind::Transferred);
    EXPECT_EQ(stillDraft->events[0].versionNo, 1);
    // Written through the server's functions and chained like every event.
    const auto audited = reg->audit({}, &error);
    ASSERT_TRUE(audited) << error.toStdString();
    EXPECT_TRUE(audited->intact) << audited->problem.toStdString();
    EXPECT_EQ(audited->rows, 8); // three versions, two printings, two deliveries, one transfer
}

// What left with a text (the page's signed code, the phrases let go) is kept with its event.
TEST_F(PgRegisterTest, ALeavingKeepsItsNoteWithTheEvent)
{
    QString error;
    const auto reg = CertificateRegister::openServer(m_clerk, &error);
    ASSERT_TRUE(reg) << error.toStdString();
    const auto made = reg->addEntry(leaver(QStringLiteral("张三"), QStringLiteral("1"),
                                           QStringLiteral("2026年3月31日")),
                                    certificate(QStringLiteral("张三")), &error);
    ASSERT_TRUE(made) << error.toStdString();
    const QString detail = QStringLiteral(R"({"seal":"U0VBTA==","wording":["予以辞退"]})");
    ASSERT_TRUE(reg->recordEvents({{made->id, EventKind::PdfExported, made->text, detail},
                                   {made->id, EventKind::Printed, made->text, {}}},
                                  {}, &error))
        << error.toStdString();
    const auto entry = reg->entry(made->id, &error);
    ASSERT_TRUE(entry) << error.toStdString();
    ASSERT_EQ(entry->events.size(), 2);
    EXPECT_EQ(entry->events[0].detail, detail);
    EXPECT_TRUE(entry->events[1].detail.isEmpty());
}

TEST_F(PgRegisterTest, TwoClerksIssuingAtOnceGetDistinctNumbersWithoutGaps)
{
    constexpr int kEach = 40;
    std::vector<QStringList> numbers(2);
    std::vector<QString> errors(2);
    auto clerk = [&](int who) {
        QString error;
        auto reg = CertificateRegister::openServer(m_clerk, &error);
        if (!reg) {
            errors[who] = error;
            return;
        }
        for (int i = 0; i < kEach; ++i) {
            const auto made = reg->addEntry(leaver(QStringLiteral("王五"), QString(), QString()),
                                            certificate(QStringLiteral("王五")), &error);
            if (!made) {
                errors[who] = error;
                return;
            }
            numbers[who] << made->number;
        }
    };
    std::thread a(clerk, 0);
    std::thread b(clerk, 1);
    a.join();
    b.join();
    ASSERT_TRUE(errors[0].isEmpty() && errors[1].isEmpty())
        << errors[0].toStdString() << errors[1].toStdString();
    QSet<QString> given;
    for (const QStringList& list : numbers) {
        ASSERT_EQ(list.size(), kEach);
        for (const QString& n : list) {
            EXPECT_FALSE(given.contains(n)) << "given twice: " << n.toStdString();
            given.insert(n);
        }
    }
    QSet<QString> expected;
    for (int i = 1; i <= 2 * kEach; ++i) {
        expected.insert(QStringLiteral("LZ%1-%2").arg(kYear).arg(i, 6, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(given, expected);
    QString error;
    const auto audited = open(m_clerk)->audit({}, &error);
    ASSERT_TRUE(audited) << error.toStdString();
    EXPECT_TRUE(audited->intact) << audited->problem.toStdString();
    EXPECT_EQ(audited->rows, 2 * kEach);
}

TEST_F(PgRegisterTest, OnlyTheAdministratorDeletesAndOnlyEntriesPastTheirTwoYears)
{
    const auto clerk = open(m_clerk);
    ASSERT_TRUE(clerk);
    QString error;
    const auto expired = clerk->addEntry(leaver(QStringLiteral("赵六"), QString(), QString()),
                                         certificate(QStringLiteral("赵六")), &error);
    const auto reprinted = clerk->addEntry(leaver(QStringLiteral("钱七"), QString(), QString()),
                                           certificate(QStringLiteral("钱七")), &error);
    ASSERT_TRUE(expired && reprinted) << error.toStdString();
    ASSERT_TRUE(clerk->recordEvent(reprinted->id, EventKind::Printed, reprinted->text, &error));
    // Both made and left four years ago; 钱七's printed again last year.
    asSuperuser(QStringLiteral(
                    "update register_entry set created_at = created_at - interval '4 years',"
                    " leave_day = current_date - 1500;"
                    " update register_version set created_at = created_at - interval '4 years';"
                    " update register_event set at = at - interval '1 year';"
                    " update register_entry e set last_event_at = ev.at from register_event ev"
                    " where ev.entry_id = e.id"),
                true);
    EXPECT_EQ(clerk->countExpired(&error), 1);
    EXPECT_FALSE(clerk->deleteExpired(1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kavri_admin"))) << error.toStdString();
    EXPECT_EQ(clerk->count({}, &error), 2);

    const auto admin = open(m_admin);
    ASSERT_TRUE(admin);
    EXPECT_FALSE(admin->deleteExpired(2, &error)); // the user confirmed a count that is not so
    EXPECT_EQ(admin->deleteExpired(1, &error), 1) << error.toStdString();
    EXPECT_FALSE(admin->entry(expired->id, &error));
    EXPECT_TRUE(admin->entry(reprinted->id, &error));

    // The server itself refuses a young entry, whatever the program asks.
    const auto direct = PgConnection::open(m_db.conninfo(), &error);
    ASSERT_TRUE(direct);
    EXPECT_FALSE(
        direct->query("delete from register_entry where number = $1", {reprinted->number}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("未满两年"))) << error.toStdString();

    // The deleted number (the year's first) is never given again.
    const auto next = clerk->addEntry(leaver(QStringLiteral("孙八"), QString(), QString()),
                                      certificate(QStringLiteral("孙八")), &error);
    ASSERT_TRUE(next) << error.toStdString();
    EXPECT_EQ(expired->number.right(7), QStringLiteral("-000001"));
    EXPECT_EQ(next->number.right(7), QStringLiteral("-000003"));
    const auto audited = clerk->audit({}, &error);
    ASSERT_TRUE(audited) << error.toStdString();
    EXPECT_TRUE(audited->intact) << audited->problem.toStdString();
}

TEST_F(PgRegisterTest, ServerWithoutRegisterTablesIsNamedInTheMessage)
{
    PgTestDatabase empty;
    ASSERT_TRUE(empty.isValid());
    QString error;
    EXPECT_FALSE(CertificateRegister::openServer(empty.conninfo(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kavri-cli server init"))) << error.toStdString();
    // Whether a certificate is made all the same is for the caller to say.
    EXPECT_FALSE(error.contains(QStringLiteral("证明照常生成"))) << error.toStdString();
}

TEST_F(PgRegisterTest, PasswordInTheConnectionTextIsRefusedWithoutConnecting)
{
    QString error;
    EXPECT_FALSE(CertificateRegister::openServer(m_clerk + QStringLiteral(" password=c"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("pgpass"))) << error.toStdString();
}

} // namespace
