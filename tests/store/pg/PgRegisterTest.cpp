// The register of a team on its server: entries, versions and events, numbers from the server
// for several clerks at once, and deleting left to the administrator.
#include "PgTestCluster.h"

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

QDateTime at(int y, int m, int d)
{
    return QDateTime(QDate(y, m, d), QTime(10, 0), Qt::UTC);
}

class PgRegisterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        QString error;
        ASSERT_TRUE(m_db.openInitialized(&error)) << error.toStdString();
        // The passwords are where a clerk keeps them, never in the connection text.
        const QString clerk =
            m_db.addLogin(QStringLiteral("clerk"), QStringLiteral("c"), PgSchema::kClerkRole);
        const QString admin =
            m_db.addLogin(QStringLiteral("admin"), QStringLiteral("a"), PgSchema::kAdminRole);
        ASSERT_TRUE(m_home.isValid());
        QFile pgpass(m_home.filePath(QStringLiteral("pgpass")));
        ASSERT_TRUE(pgpass.open(QIODevice::WriteOnly));
        pgpass.write(QStringLiteral("*:*:*:%1:c\n*:*:*:%2:a\n").arg(clerk, admin).toUtf8());
        pgpass.close();
        pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(pgpass.fileName()));
        m_clerk = m_db.conninfo(clerk, QString());
        m_admin = m_db.conninfo(admin, QString());
    }

    void TearDown() override { qunsetenv("PGPASSFILE"); }

    std::unique_ptr<CertificateRegister> open(const QString& conninfo,
                                              const QDateTime& now = QDateTime())
    {
        QString error;
        auto reg = CertificateRegister::openServer(conninfo, &error);
        EXPECT_TRUE(reg) << error.toStdString();
        if (reg && now.isValid()) {
            reg->setClock([now] { return now; });
        }
        return reg;
    }

    PgTestDatabase m_db;
    QTemporaryDir m_home;
    QString m_clerk;
    QString m_admin;
};

TEST(PgTextArray, QuotesEveryItemAndEscapesQuotesAndBackslashes)
{
    EXPECT_EQ(pgTextArray({}), QStringLiteral("{}"));
    EXPECT_EQ(pgTextArray({QString(), QStringLiteral("a,b")}), QStringLiteral("{\"\",\"a,b\"}"));
    EXPECT_EQ(pgTextArray({QStringLiteral("x\"y\\z{}")}), QStringLiteral("{\"x\\\"y\\\\z{}\"}"));
}

TEST_F(PgRegisterTest, ClerkAddsEntriesAndEventsAndFindsThemAgain)
{
    const auto reg = open(m_clerk, at(2026, 3, 1));
    ASSERT_TRUE(reg);
    QString error;
    const auto first =
        reg->addEntry(leaver(QStringLiteral("张三"), QStringLiteral("11010119900101123x"),
                             QStringLiteral("2026年2月28日")),
                      certificate(QStringLiteral("张三")), &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(first->number, QStringLiteral("LZ2026-000001"));
    EXPECT_EQ(first->text, QStringLiteral("离职证明\r\n\r\n兹证明张三已离职。编号：LZ2026-000001"));
    const auto second =
        reg->addEntry(leaver(QStringLiteral("李四"), QStringLiteral("123"), QStringLiteral("不详")),
                      certificate(QStringLiteral("李四")), &error);
    ASSERT_TRUE(second) << error.toStdString();
    EXPECT_EQ(second->number, QStringLiteral("LZ2026-000002"));

    // Drafts until a text leaves; the same text again is an event only, an edited one a version.
    auto stored = reg->entry(first->id, &error);
    ASSERT_TRUE(stored) << error.toStdString();
    EXPECT_FALSE(stored->summary.issued);
    EXPECT_EQ(stored->summary.idNumber, QStringLiteral("11010119900101123X"));
    EXPECT_EQ(stored->summary.leaveDay, QDate(2026, 2, 28));
    EXPECT_EQ(stored->summary.createdAt, at(2026, 3, 1));
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
    EXPECT_EQ(hits->at(0).number, QStringLiteral("LZ2026-000001"));
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
    EXPECT_EQ(newestFirst->at(0).number, QStringLiteral("LZ2026-000002"));

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
    QDateTime now = at(2026, 4, 2);
    QString error;
    const auto reg = CertificateRegister::openServer(m_clerk, &error);
    ASSERT_TRUE(reg) << error.toStdString();
    reg->setClock([&now] { return now; });
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
    now = at(2026, 4, 3);
    ASSERT_TRUE(reg->recordDelivery(
        posted->id, {DeliveryMethod::Post, QStringLiteral("SF1234567890"), QDate(), {}}, &error))
        << error.toStdString();
    ASSERT_TRUE(reg->recordDelivery(
        handed->id, {DeliveryMethod::InPerson, {}, QDate(2026, 4, 2), QStringLiteral("本人")},
        &error))
        << error.toStdString();
    EXPECT_FALSE(reg->recordDelivery(draft->id, {}, &error));
    ASSERT_TRUE(reg->recordTransfer(draft->id, QDate(2026, 4, 3), &error)) << error.toStdString();

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
              (Delivery{DeliveryMethod::InPerson, {}, QDate(2026, 4, 2), QStringLiteral("本人")}));
    EXPECT_EQ(entry->summary.lastEventKey, QStringLiteral("printed"));
    EXPECT_EQ(entry->templateName, QStringLiteral("标准模板"));
    ASSERT_EQ(entry->events.size(), 2);
    EXPECT_EQ(entry->events[1].kind, EventKind::Delivered);
    EXPECT_EQ(entry->events[1].detail,
              QStringLiteral("{\"method\":\"in-person\",\"note\":\"本人\",\"received\":\"2026-04-02\"}"));
    const auto stillDraft = reg->entry(draft->id, &error);
    ASSERT_TRUE(stillDraft);
    EXPECT_FALSE(stillDraft->summary.issued);
    EXPECT_EQ(stillDraft->summary.transferDay, QDate(2026, 4, 3));
    ASSERT_EQ(stillDraft->events.size(), 1);
    EXPECT_EQ(stillDraft->events[0].kind, EventKind::Transferred);
    EXPECT_EQ(stillDraft->events[0].versionNo, 1);
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
            // Every fourth one falls into the next year, whose numbers start again at 1.
            const QDateTime now = at(i % 4 == 0 ? 2027 : 2026, 6, 1);
            reg->setClock([now] { return now; });
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
    for (int i = 1; i <= 60; ++i) {
        expected.insert(QStringLiteral("LZ2026-%1").arg(i, 6, 10, QLatin1Char('0')));
    }
    for (int i = 1; i <= 20; ++i) {
        expected.insert(QStringLiteral("LZ2027-%1").arg(i, 6, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(given, expected);
}

TEST_F(PgRegisterTest, OnlyTheAdministratorDeletesAndOnlyEntriesPastTheirTwoYears)
{
    // Made by the owner long ago: one left alone since, one printed again last year.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto old = open(m_db.conninfo(), now.addYears(-4));
    ASSERT_TRUE(old);
    QString error;
    const auto expired = old->addEntry(
        leaver(QStringLiteral("赵六"), QString(), now.addYears(-4).date().toString(Qt::ISODate)),
        certificate(QStringLiteral("赵六")), &error);
    const auto reprinted = old->addEntry(
        leaver(QStringLiteral("钱七"), QString(), now.addYears(-4).date().toString(Qt::ISODate)),
        certificate(QStringLiteral("钱七")), &error);
    ASSERT_TRUE(expired && reprinted) << error.toStdString();
    old->setClock([now] { return now.addYears(-1); });
    ASSERT_TRUE(old->recordEvent(reprinted->id, EventKind::Printed, reprinted->text, &error));

    const auto clerk = open(m_clerk);
    ASSERT_TRUE(clerk);
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
    const auto direct = PgConnection::open(m_admin, &error);
    ASSERT_TRUE(direct);
    EXPECT_FALSE(
        direct->query("delete from register_entry where number = $1", {reprinted->number}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("未满两年"))) << error.toStdString();

    // The deleted number (the year's first) is never given again.
    old->setClock([now] { return now.addYears(-4); });
    const auto next = old->addEntry(leaver(QStringLiteral("孙八"), QString(), QString()),
                                    certificate(QStringLiteral("孙八")), &error);
    ASSERT_TRUE(next) << error.toStdString();
    EXPECT_EQ(expired->number.right(7), QStringLiteral("-000001"));
    EXPECT_EQ(next->number.right(7), QStringLiteral("-000003"));
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
