// What a clerk's, the administrator's and the owner's own SQL can do to a team's register on the
// server, statement by statement as psql would send them: every way of changing it behind
// kavri's back is refused by the server, and the functions the clerks write through do their
// work with the operator and the time the server gives. Then the hash chain on the server: the
// audit finds what only the cluster's superuser could still change, and names the row.
#include "PgRegisterFixture.h"

#include "register/CertificateRegister.h"
#include "register/RegisterText.h"
#include "register/VerifyReport.h"
#include "store/pg/PgRegisterSchema.h"

#include <QDate>
#include <QProcess>

using namespace Register;

namespace {

class PgRegisterGuardTest : public PgRegisterFixture
{
protected:
    void SetUp() override
    {
        PgRegisterFixture::SetUp();
        // Two certificates made through kavri by the clerk, one printed twice, one copied.
        const auto reg = open(m_clerk);
        ASSERT_TRUE(reg);
        QString error;
        for (const char* name : {"张三", "李四"}) {
            NewEntry e;
            e.templateName = QStringLiteral("标准模板");
            e.templateText = QStringLiteral("兹证明【姓名】已离职。【证明编号】");
            e.values = {{QStringLiteral("姓名"), QString::fromUtf8(name)},
                        {QStringLiteral("离职日期"), QStringLiteral("2026年1月5日")}};
            const auto made = reg->addEntry(
                e, [name](const QString& n) { return QString::fromUtf8(name) + n; }, &error);
            ASSERT_TRUE(made) << error.toStdString();
            m_entries << *made;
        }
        ASSERT_TRUE(reg->recordEvent(m_entries[0].id, EventKind::Printed, m_entries[0].text, &error))
            << error.toStdString();
        ASSERT_TRUE(reg->recordEvent(m_entries[0].id, EventKind::Printed, m_entries[0].text + "！",
                                     &error));
        ASSERT_TRUE(reg->recordEvent(m_entries[1].id, EventKind::Copied, m_entries[1].text, &error));
        // The chain: 1 张三 v1, 2 李四 v1, 3 printed v1, 4 v2, 5 printed v2, 6 copied.
    }

    // The statement is refused, and nothing of it happened.
    void expectRefused(const QString& conninfo, const QString& sql)
    {
        const auto connection = connect(conninfo);
        ASSERT_TRUE(connection);
        const QString before = fingerprint();
        QString error;
        EXPECT_FALSE(connection->query(sql.toUtf8(), {}, &error)) << sql.toStdString();
        EXPECT_EQ(connection->lastSqlState(), QStringLiteral("42501"))
            << sql.toStdString() << ": " << error.toStdString();
        EXPECT_EQ(fingerprint(), before) << sql.toStdString();
    }

    // Everything the register holds, as one hash.
    QString fingerprint()
    {
        return scalar(QStringLiteral(
            "select md5(concat((select string_agg(c::text, ',' order by year) from register_counter c),"
            " (select string_agg(e::text, ',' order by id) from register_entry e),"
            " (select string_agg(v::text, ',' order by entry_id, position) from register_value v),"
            " (select string_agg(v::text, ',' order by id) from register_version v),"
            " (select string_agg(v::text, ',' order by id) from register_event v),"
            " (select string_agg(d::text, ',' order by id) from register_deletion d)))"));
    }

    AuditResult audit(const QString& conninfo)
    {
        const auto reg = open(conninfo);
        QString error;
        const auto result = reg ? reg->audit({}, &error) : std::nullopt;
        EXPECT_TRUE(result) << error.toStdString();
        return result.value_or(AuditResult{});
    }

    // A certificate for `name` made through kavri by the clerk, numbered as the template asks.
    std::optional<IssuedEntry> addAsClerk(const QString& name, const QString& templateText,
                                          QString* error)
    {
        const auto reg = open(m_clerk);
        if (!reg) {
            return std::nullopt;
        }
        NewEntry e;
        e.templateName = QStringLiteral("标准模板");
        e.templateText = templateText;
        e.values = {{QStringLiteral("姓名"), name}};
        return reg->addEntry(e, [name](const QString& n) { return name + n; }, error);
    }

    // How many versions wait outside the chain; -1 when the server could not say.
    int unlinkedVersions()
    {
        bool counted = false;
        const int n =
            scalar("select count(*) from register_version where chain_pos is null").toInt(&counted);
        return counted ? n : -1;
    }

    QList<IssuedEntry> m_entries;
};

const QString kThisYear = QString::number(QDate::currentDate().year());

TEST_F(PgRegisterGuardTest, ClerkCanChangeNothingDirectly)
{
    const QString first = QString::number(m_entries[0].id);
    for (const QString& sql : {
             QStringLiteral("update register_counter set last_seq = 1"),
             QStringLiteral("update register_counter set last_seq = last_seq + 5"),
             QStringLiteral("insert into register_counter values (2099, 7)"),
             QStringLiteral("update register_entry set last_event_kind = 'printed',"
                            " last_event_at = now() - interval '5 years'"),
             QStringLiteral("insert into register_entry (number, year, seq, operator_name)"
                            " values ('LZ2031-000001', 2031, 1, 'somebody_else')"),
             QStringLiteral("update register_entry set operator_name = 'somebody_else'"),
             QStringLiteral("update register_version set text = 'x' where entry_id = ") + first,
             QStringLiteral("delete from register_event"),
             QStringLiteral("delete from register_version where entry_id = ") + first,
             QStringLiteral("delete from register_entry"),
             QStringLiteral("insert into register_event (entry_id, version_id, kind, at, sha256)"
                            " select entry_id, id, 'printed', now(), sha256 from register_version"),
             QStringLiteral("update register_chain_head set pos = 0"),
             QStringLiteral("select register_delete_expired(current_date - 3650, 0)"),
         }) {
        expectRefused(m_clerk, sql);
    }
}

TEST_F(PgRegisterGuardTest, AdministratorChangesNothingYoungerThanTwoYears)
{
    const QString first = QString::number(m_entries[0].id);
    for (const QString& sql : {
             QStringLiteral("delete from register_version where entry_id = ") + first,
             QStringLiteral("delete from register_value where entry_id = ") + first,
             QStringLiteral("delete from register_event where entry_id = ") + first,
             QStringLiteral("delete from register_entry where id = ") + first,
             QStringLiteral("update register_event set at = at - interval '5 years'"),
             QStringLiteral("update register_counter set last_seq = 1"),
             QStringLiteral("delete from register_deletion"),
             // The function refuses a cutoff within the two years.
             QStringLiteral("select register_delete_expired(current_date, 0)"),
         }) {
        expectRefused(m_admin, sql);
    }
}

TEST_F(PgRegisterGuardTest, EvenTheOwnerCannotRewriteEventsOrMoveTheCounter)
{
    const QString first = QString::number(m_entries[0].id);
    for (const QString& sql : {
             QStringLiteral("update register_event set at = at - interval '5 years'"),
             QStringLiteral("update register_event set kind = 'copied'"),
             QStringLiteral("delete from register_event where entry_id = ") + first,
             QStringLiteral("delete from register_version where entry_id = ") + first,
             QStringLiteral("update register_version set text = 'x'"),
             QStringLiteral("update register_value set value = 'x'"),
             QStringLiteral("update register_counter set last_seq = 1"),
             QStringLiteral("update register_counter set last_seq = last_seq + 5"),
             QStringLiteral("delete from register_counter"),
             QStringLiteral("delete from register_entry where id = ") + first,
             QStringLiteral("update register_entry set last_event_at = now() - interval '5 years'"),
             QStringLiteral("update register_entry set name = '王五' where id = ") + first,
             QStringLiteral("update register_entry set operator_name = 'x'"),
             QStringLiteral("update register_version set link = repeat('0', 64)"),
         }) {
        expectRefused(m_db.conninfo(), sql);
    }
}

TEST_F(PgRegisterGuardTest, TheClerksFunctionsSetTheOperatorAndTheServersTime)
{
    const auto clerk = connect(m_clerk);
    ASSERT_TRUE(clerk);
    QString error;
    // Whatever the desk's clock says, the server's is the one recorded.
    const auto reserved = clerk->query("select reserved_id, reserved_number from"
                                       " register_reserve('AB')",
                                       {}, &error);
    ASSERT_TRUE(reserved && !reserved->isEof()) << error.toStdString();
    EXPECT_EQ(reserved->text(1), QStringLiteral("AB%1-000003").arg(kThisYear));
    const QString id = reserved->text(0);
    EXPECT_EQ(scalar("select operator_name || ' ' || (now() - created_at < interval '1 minute')"
                     " || ' ' || (template_id is null) from register_entry where id = " + id),
              m_clerkRole + QStringLiteral(" true true"));
    EXPECT_TRUE(clerk->query("select register_record($1::bigint, '模板', '【姓名】',"
                             " '{姓名}', '{王五}', '王五', '', '', '', null, '王五的证明')",
                             {id}, &error))
        << error.toStdString();
    // Recorded once: a second text for the same draft is refused.
    EXPECT_FALSE(clerk->query("select register_record($1::bigint, '模板', '【姓名】',"
                              " '{姓名}', '{赵六}', '赵六', '', '', '', null, '别的')",
                              {id}, &error));
    const auto version = clerk->query("select register_event($1::bigint, 'pdf', '王五的证明', '')",
                                      {id}, &error);
    ASSERT_TRUE(version && !version->isEof()) << error.toStdString();
    EXPECT_EQ(version->int64(0), 1);
    EXPECT_EQ(scalar("select string_agg(operator_name || ' ' || kind, ',') from register_event"
                     " where entry_id = " + id),
              m_clerkRole + QStringLiteral(" pdf"));
    EXPECT_EQ(scalar("select sha256 from register_version where entry_id = " + id),
              sha256Hex(QStringLiteral("王五的证明")));
    EXPECT_EQ(scalar("select last_event_kind from register_entry where id = " + id),
              QStringLiteral("pdf"));
    // The version is linked as it is recorded; the event waits outside the chain until the
    // clerk (or anyone) seals.
    EXPECT_EQ(unlinkedVersions(), 0);
    EXPECT_EQ(scalar("select count(*) from register_event where chain_pos is null"),
              QStringLiteral("1"));
    EXPECT_TRUE(clerk->query("select register_seal()", {}, &error)) << error.toStdString();
    EXPECT_EQ(scalar("select count(*) from register_event where chain_pos is null"),
              QStringLiteral("0"));
    EXPECT_TRUE(clerk->query("select register_flush()", {}, &error)) << error.toStdString();
    // Another clerk cannot record a text for this clerk's reservation.
    const QString other = m_db.addLogin(QStringLiteral("other"), QStringLiteral("o"),
                                        PgSchema::kClerkRole);
    const auto otherClerk = connect(m_db.conninfo(other, QStringLiteral("o")));
    ASSERT_TRUE(otherClerk);
    const auto draft = clerk->query("select reserved_id from register_reserve('LZ')", {}, &error);
    ASSERT_TRUE(draft && !draft->isEof());
    EXPECT_FALSE(otherClerk->query("select register_record($1::bigint, '模板', '', '{}', '{}',"
                                   " '', '', '', '', null, 'x')",
                                   {draft->text(0)}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("预留"))) << error.toStdString();
}

// A draft reserved with its template and list columns holds them from the start: recording its
// text adds the values and the linked version and leaves the entry's row as it was.
TEST_F(PgRegisterGuardTest, ADraftReservedWholeIsNotWrittenAgainWhenItsTextIsRecorded)
{
    const auto clerk = connect(m_clerk);
    ASSERT_TRUE(clerk);
    QString error;
    const auto reserved = clerk->query(
        "select reserved_id from register_reserve_entry('AB', '整页模板', '【姓名】',"
        " '王五', '', '', '', null)",
        {}, &error);
    ASSERT_TRUE(reserved && !reserved->isEof()) << error.toStdString();
    const QString id = reserved->text(0);
    const QString row = "select xmin || ' ' || name || ' ' || (template_id is not null)"
                        " from register_entry where id = " +
                        id;
    const QString drafted = scalar(row);
    EXPECT_TRUE(drafted.endsWith(QStringLiteral(" 王五 true"))) << drafted.toStdString();
    ASSERT_TRUE(clerk->query("select register_record_linked($1::bigint, '整页模板', '【姓名】',"
                             " '{姓名}', '{王五}', '王五', '', '', '', null, '王五的证明')",
                             {id}, &error))
        << error.toStdString();
    EXPECT_EQ(scalar(row), drafted);
    EXPECT_EQ(scalar("select count(*) from register_template where name = '整页模板'"),
              QStringLiteral("1"));
    EXPECT_EQ(unlinkedVersions(), 0);
    EXPECT_FALSE(clerk->query("select register_record_linked($1::bigint, '整页模板', '【姓名】',"
                              " '{姓名}', '{赵六}', '赵六', '', '', '', null, '别的')",
                              {id}, &error));
    const AuditResult after = audit(m_clerk);
    EXPECT_TRUE(after.intact) << after.problem.toStdString();
    EXPECT_EQ(after.rows, 7);
}

// While one clerk links the events of the chain another's Generate does not wait for that
// clerk's turn: its version is linked as it is written.
TEST_F(PgRegisterGuardTest, AGenerateLinksItsVersionWhileAnotherClerkLinks)
{
    const auto linking = connect(m_clerk);
    ASSERT_TRUE(linking);
    QString error;
    ASSERT_TRUE(linking->begin({}, &error)) << error.toStdString();
    ASSERT_TRUE(linking->query("select pg_advisory_xact_lock(7316033477161305)", {}, &error))
        << error.toStdString();
    const auto first =
        addAsClerk(QStringLiteral("王五"), QStringLiteral("【姓名】【证明编号】"), &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(unlinkedVersions(), 0);
    linking->rollback();
    const auto next =
        addAsClerk(QStringLiteral("赵六"), QStringLiteral("【姓名】【证明编号】"), &error);
    ASSERT_TRUE(next) << error.toStdString();
    EXPECT_EQ(scalar("select string_agg(chain_pos::text, ',' order by entry_id) from"
                     " register_version where entry_id in (" +
                     QString::number(first->id) + "," + QString::number(next->id) + ")"),
              QStringLiteral("7,8"));
    EXPECT_TRUE(audit(m_clerk).intact);
}

// Events whose clerk never linked them (the desk lost its connection in between): the Generate
// whose version takes a position that is a multiple of 128 sweeps them in.
TEST_F(PgRegisterGuardTest, RowsLeftUnlinkedAreSweptInByTheGenerateAtEvery128thPosition)
{
    const auto clerk = connect(m_clerk);
    ASSERT_TRUE(clerk);
    QString error;
    const QString entry = QString::number(m_entries[0].id);
    const auto leave = [&](int times) {
        return clerk->query(QByteArray("do $$ begin for g in 1..") + QByteArray::number(times) +
                                " loop perform register_event(" + entry.toUtf8() +
                                ", 'copied', (select text from register_version where entry_id = " +
                                entry.toUtf8() + " and version_no = 1), '');"
                                " end loop; end $$",
                            {}, &error) != nullptr;
    };
    // The set-up's six rows and 120 more linked: the chain's head at 126.
    ASSERT_TRUE(leave(120)) << error.toStdString();
    ASSERT_TRUE(clerk->query("select register_seal()", {}, &error)) << error.toStdString();
    ASSERT_TRUE(leave(5)) << error.toStdString();
    const auto unlinkedEvents = [this] {
        return scalar("select count(*) from register_event where chain_pos is null");
    };
    ASSERT_EQ(unlinkedEvents(), QStringLiteral("5"));
    // At 127: nothing swept.
    ASSERT_TRUE(addAsClerk(QStringLiteral("王五"), QStringLiteral("【姓名】"), &error))
        << error.toStdString();
    EXPECT_EQ(unlinkedEvents(), QStringLiteral("5"));
    // At 128: swept.
    ASSERT_TRUE(addAsClerk(QStringLiteral("赵六"), QStringLiteral("【姓名】"), &error))
        << error.toStdString();
    EXPECT_EQ(unlinkedEvents(), QStringLiteral("0"));
    const AuditResult after = audit(m_clerk);
    EXPECT_TRUE(after.intact) << after.problem.toStdString();
    EXPECT_EQ(after.rows, 133);
}

TEST_F(PgRegisterGuardTest, TheEntriesShowTheClerksLoginAsOperator)
{
    const auto reg = open(m_clerk);
    ASSERT_TRUE(reg);
    // What the desk thinks its user is called does not matter.
    reg->setOperatorName(QStringLiteral("root"));
    QString error;
    const auto e = reg->entry(m_entries[1].id, &error);
    ASSERT_TRUE(e) << error.toStdString();
    EXPECT_EQ(e->operatorName, m_clerkRole);
    ASSERT_EQ(e->events.size(), 1);
    EXPECT_EQ(e->events[0].operatorName, m_clerkRole);
}

TEST_F(PgRegisterGuardTest, AdministratorDeletesOldEntriesWholeThroughTheFunctionOnly)
{
    // 张三's entry made and printed four years ago (only the superuser can make it so).
    const QString first = QString::number(m_entries[0].id);
    asSuperuser(QStringLiteral("update register_entry set created_at = created_at - interval"
                               " '4 years', leave_day = current_date - 1500,"
                               " last_event_at = last_event_at - interval '4 years' where id = ") +
                    first +
                    QStringLiteral("; update register_version set created_at = created_at -"
                                   " interval '4 years' where entry_id = ") +
                    first +
                    QStringLiteral("; update register_event set at = at - interval '4 years'"
                                   " where entry_id = ") +
                    first,
                true);
    ASSERT_TRUE(audit(m_clerk).intact);
    const auto clerk = open(m_clerk);
    QString error;
    ASSERT_EQ(clerk->countExpired(&error), 1) << error.toStdString();
    EXPECT_FALSE(clerk->deleteExpired(1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kavri_admin"))) << error.toStdString();
    const auto admin = open(m_admin);
    EXPECT_EQ(admin->deleteExpired(1, &error), 1) << error.toStdString();
    EXPECT_EQ(scalar("select count(*) from register_version where entry_id = " + first),
              QStringLiteral("0"));
    // Who, when, which number, and the rows that went with it.
    EXPECT_EQ(scalar("select operator_name || ' ' || reason || ' ' || numbers || ' ' ||"
                     " (now() - at < interval '1 minute') from register_deletion"),
              m_adminRole + QStringLiteral(" retention %1 true").arg(m_entries[0].number));
    EXPECT_EQ(scalar("select array_length(string_to_array(removed, ' '), 1) from"
                     " register_deletion"),
              QStringLiteral("8")); // four rows: two versions, two events
    const AuditResult after = audit(m_clerk);
    EXPECT_TRUE(after.intact) << after.problem.toStdString();
    EXPECT_EQ(after.rows, 3); // 李四's version and event, the deletion record
}

TEST_F(PgRegisterGuardTest, AnUpgradedDatabaseIsRefusedASecondUpgrade)
{
    QString error;
    EXPECT_FALSE(PgRegisterSchema::upgrade(*m_owner, &error) >= 0);
    EXPECT_TRUE(error.contains(QStringLiteral("无需升级"))) << error.toStdString();
}

TEST_F(PgRegisterGuardTest, AnUpgradedDatabaseGetsThisReleasesFunctionsAndKeepsItsRules)
{
    // A function body as an earlier release may have left it: here one that links wrongly, so
    // that only a replaced body makes the next entry's link right.
    QString error;
    ASSERT_TRUE(m_owner->query("create or replace function register_link(previous text,"
                               " fields text[]) returns text language sql immutable as"
                               " $$ select repeat('f', 64) $$",
                               {}, &error))
        << error.toStdString();
    ASSERT_TRUE(PgRegisterSchema::refreshFunctions(*m_owner, &error)) << error.toStdString();
    EXPECT_EQ(scalar("select l.lanname from pg_proc p join pg_language l on l.oid = p.prolang"
                     " where p.proname = 'register_link'"),
              QStringLiteral("plpgsql"));

    // The clerk still writes through the functions, and only through them.
    const auto made = addAsClerk(QStringLiteral("王五"),
                                 QStringLiteral("兹证明【姓名】已离职。【证明编号】"), &error);
    ASSERT_TRUE(made) << error.toStdString();
    expectRefused(m_clerk, QStringLiteral("update register_counter set last_seq = 1"));
    expectRefused(m_clerk, QStringLiteral("select register_delete_expired(current_date - 3650, 0)"));
    const AuditResult after = audit(m_clerk);
    EXPECT_TRUE(after.intact) << after.problem.toStdString();
    EXPECT_EQ(after.rows, 7); // the six rows of the set-up and 王五's version
}

TEST_F(PgRegisterGuardTest, ADatabaseFromBeforeLinkingTheNewestRowsStillLinksAndGetsItOnUpgrade)
{
    QString error;
    // Without the functions that link the newest rows and wait for the disk after an entry
    // committed without waiting, kavri records and seals as it did before them.
    ASSERT_TRUE(m_owner->query("drop function register_seal_recent()", {}, &error))
        << error.toStdString();
    ASSERT_TRUE(m_owner->query("drop function register_flush()", {}, &error))
        << error.toStdString();
    // This release's kavri against it: every Generate's rows are linked all the same.
    const auto before =
        addAsClerk(QStringLiteral("王五"), QStringLiteral("【姓名】【证明编号】"), &error);
    ASSERT_TRUE(before) << error.toStdString();
    EXPECT_EQ(unlinkedVersions(), 0);
    ASSERT_TRUE(PgRegisterSchema::refreshFunctions(*m_owner, &error)) << error.toStdString();
    const auto clerk = connect(m_clerk);
    ASSERT_TRUE(clerk);
    EXPECT_TRUE(clerk->query("select register_seal_recent()", {}, &error)) << error.toStdString();
    EXPECT_TRUE(clerk->query("select register_flush()", {}, &error)) << error.toStdString();
    // The helpers that write the links are the functions' alone.
    expectRefused(m_clerk, QStringLiteral("select register_chain_add(0, 1, 99, repeat('0', 64))"));
    expectRefused(m_clerk, QStringLiteral("select register_link_unlinked(0, 0)"));
    expectRefused(m_clerk, QStringLiteral("select register_template_id('模板', '别的')"));
    const auto after =
        addAsClerk(QStringLiteral("赵六"), QStringLiteral("【姓名】【证明编号】"), &error);
    ASSERT_TRUE(after) << error.toStdString();
    EXPECT_EQ(unlinkedVersions(), 0);
    EXPECT_TRUE(audit(m_clerk).intact);
}

struct ServerTampering
{
    const char* what;
    const char* sql; // %1: the first entry's id
    bool relink;
    qint64 row;
    const char* message;
};

class PgAuditTamperingTest : public PgRegisterGuardTest,
                             public ::testing::WithParamInterface<ServerTampering>
{
};

TEST_P(PgAuditTamperingTest, IsFoundAndNamed)
{
    const AuditResult before = audit(m_clerk);
    ASSERT_TRUE(before.intact) << before.problem.toStdString();
    EXPECT_EQ(before.rows, 6);
    asSuperuser(QString::fromUtf8(GetParam().sql).arg(m_entries[0].id), GetParam().relink);
    const AuditResult r = audit(m_clerk);
    EXPECT_FALSE(r.intact) << GetParam().what;
    EXPECT_EQ(r.failedRow, GetParam().row) << GetParam().what << ": " << r.problem.toStdString();
    EXPECT_TRUE(r.problem.contains(QString::fromUtf8(GetParam().message)))
        << GetParam().what << ": " << r.problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Server, PgAuditTamperingTest,
    ::testing::Values(
        ServerTampering{"one character of a text",
                        "update register_version set text = replace(text, '张三', '张叁')"
                        " where entry_id = %1 and version_no = 1",
                        false, 1, "文本与记录的 SHA-256 不符"},
        ServerTampering{"one event's time",
                        "update register_event set at = at - interval '1 day' where chain_pos = 5",
                        false, 5, "链接值与内容不符"},
        ServerTampering{"a version deleted", "delete from register_version where chain_pos = 4",
                        false, 4, "第 4 条记录不见了"},
        ServerTampering{"two events swapped",
                        "update register_event set chain_pos = -chain_pos where chain_pos in (3, 5);"
                        " update register_event set chain_pos = 5 where chain_pos = -3;"
                        " update register_event set chain_pos = 3 where chain_pos = -5",
                        false, 3, "链接值与内容不符"},
        ServerTampering{"the counter reset", "update register_counter set last_seq = 1", false, 0,
                        "计数器为 1"},
        ServerTampering{"marked issued five years ago",
                        "update register_entry set last_event_at = now() - interval '5 years'"
                        " where id = %1",
                        false, 5, "最近出具与出具记录不符"},
        ServerTampering{"an entry deleted and the chain rewritten",
                        "delete from register_event where entry_id = %1;"
                        " delete from register_version where entry_id = %1;"
                        " delete from register_value where entry_id = %1;"
                        " delete from register_entry where id = %1",
                        true, 0,
                        "不在登记簿中"}),
    [](const ::testing::TestParamInfo<ServerTampering>& info) {
        return "Case" + std::to_string(info.index);
    });

// The Python of README.md reads the server's tables through psql and agrees with the audit.
TEST_F(PgRegisterGuardTest, ThePythonInTheReadmeChecksTheServersChain)
{
    const AuditResult r = audit(m_clerk);
    ASSERT_TRUE(r.intact) << r.problem.toStdString();
    const auto python = [this](int* status) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"),
                   m_db.cluster().bin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("python3"),
                {QStringLiteral(KAVRI_CHECK_CHAIN), QStringLiteral(KAVRI_README),
                 QStringLiteral("server"), m_db.conninfo()});
        EXPECT_TRUE(p.waitForFinished(30000));
        *status = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed() +
               QString::fromUtf8(p.readAllStandardError());
    };
    int status = -1;
    EXPECT_EQ(python(&status).toStdString(), ("intact " + r.head).toStdString());
    EXPECT_EQ(status, 0);
    asSuperuser(QStringLiteral("update register_event set kind = 'pdf' where chain_pos = 6"), false);
    EXPECT_EQ(python(&status).toStdString(), "changed 6");
    EXPECT_EQ(status, 1);
}

} // namespace
