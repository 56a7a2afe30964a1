// The register's hash chain on a desk: an untouched register is intact with a head that a later
// audit can start from; every way of changing the file behind kavri's back (SQL on the opened
// file, or the sqlcipher shell with the key) is found and the first row it touched is named;
// what kavri itself takes out (retention, numbers that never reached the file) is accounted for.
#include "RegisterFixture.h"

#include "register/RegisterChain.h"
#include "register/RegisterSql.h"
#include "register/SqliteRegisterStorage.h"
#include "register/VerifyReport.h"

#include <QFile>
#include <QProcess>
#include <sqlite3.h>

using namespace Register;

namespace {

// Three certificates; the chain's rows, in order:
//   1 LZ2026-000001 v1   2 copied v1   3 v2 (edited)   4 printed v2
//   5 LZ2026-000002 v1   6 pdf v1
//   7 LZ2026-000003 v1   8 printed v1   9 copied v1
class AuditTest : public RegisterFixture
{
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        QString error;
        const IssuedEntry a = add(person("张三", "110101199001011234"));
        ASSERT_TRUE(reg->recordEvent(a.id, EventKind::Copied, a.text, &error));
        tick();
        ASSERT_TRUE(reg->recordEvent(a.id, EventKind::Printed, a.text + "（盖章）", &error));
        tick();
        const IssuedEntry b = add(person("李四", "110101199001012345"));
        ASSERT_TRUE(reg->recordEvent(b.id, EventKind::PdfExported, b.text, &error));
        tick();
        const IssuedEntry c = add(person("王五", "110101199001013456"));
        ASSERT_TRUE(reg->recordEvent(c.id, EventKind::Printed, c.text, &error));
        tick();
        ASSERT_TRUE(reg->recordEvent(c.id, EventKind::Copied, c.text, &error));
    }

    void tick() { clock = clock.addSecs(60); }

    AuditResult audit(const QString& since = QString())
    {
        QString error;
        const auto result = reg->audit(since, &error);
        EXPECT_TRUE(result) << error.toStdString();
        return result.value_or(AuditResult{});
    }

    // Runs SQL on the register file behind kavri's back, as anyone holding the key can.
    void tamper(const char* sql)
    {
        reg.reset();
        QString error;
        const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
        ASSERT_TRUE(key) << error.toStdString();
        sqlite3* db = SqliteRegisterStorage::openFile(path(), *key, &error);
        ASSERT_TRUE(db) << error.toStdString();
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
        const QString why = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << why.toStdString();
        reopen();
    }
};

TEST_F(AuditTest, AnUntouchedRegisterIsIntactAndItsHeadIsTheLastLink)
{
    const AuditResult r = audit();
    EXPECT_TRUE(r.intact) << r.problem.toStdString();
    EXPECT_EQ(r.rows, 9);
    EXPECT_EQ(r.head.size(), 64);
    EXPECT_EQ(auditVerdict(r), QStringLiteral("完整"));
    EXPECT_TRUE(auditReport(r).contains(r.head));
    // A head noted earlier is still in the chain as it grows.
    QString error;
    ASSERT_TRUE(reg->recordEvent(1, EventKind::Copied, QStringLiteral("再复制"), &error));
    const AuditResult later = audit(r.head);
    EXPECT_TRUE(later.intact) << later.problem.toStdString();
    EXPECT_EQ(later.rows, 11);
    EXPECT_NE(later.head, r.head);
    // A head the chain never had is no head of it.
    const AuditResult unknown = audit(QString(64, QLatin1Char('a')));
    EXPECT_FALSE(unknown.intact);
    EXPECT_EQ(unknown.failedRow, 0);
}

// While another program holds the file's write lock the audit does not wait for it: it reads
// what was committed, on one connection. A text with CR LF line breaks agrees with both its
// hashes either way.
TEST_F(AuditTest, AnotherProgramWritingDoesNotHoldTheAuditUp)
{
    QString error;
    ASSERT_TRUE(reg->recordEvent(1, EventKind::Copied, QStringLiteral("第一行\r\n第二行"), &error))
        << error.toStdString();
    const AuditResult alone = audit();
    EXPECT_TRUE(alone.intact) << alone.problem.toStdString();
    EXPECT_EQ(alone.rows, 11);
    const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
    ASSERT_TRUE(key) << error.toStdString();
    sqlite3* other = SqliteRegisterStorage::openFile(path(), *key, &error);
    ASSERT_TRUE(other) << error.toStdString();
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE sequences SET last = last;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    const AuditResult meanwhile = audit();
    EXPECT_TRUE(meanwhile.intact) << meanwhile.problem.toStdString();
    EXPECT_EQ(meanwhile.head, alone.head);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

// A delivery and a transfer are events like any other: chained with their detail, so that a
// changed delivery record is found like a changed text.
TEST_F(AuditTest, DutiesAreChainedWithTheirDetail)
{
    QString error;
    ASSERT_TRUE(reg->recordDelivery(
        1, {DeliveryMethod::Post, QStringLiteral("SF1234567890"), clock.date(), {}},
        &error))
        << error.toStdString();
    tick();
    ASSERT_TRUE(reg->recordTransfer(2, clock.date(), &error)) << error.toStdString();
    const AuditResult r = audit();
    EXPECT_TRUE(r.intact) << r.problem.toStdString();
    EXPECT_EQ(r.rows, 11);
    tamper("UPDATE events SET detail = replace(detail, 'SF1234567890', 'SF0000000000')"
           " WHERE chain_pos = 10");
    const AuditResult changed = audit();
    EXPECT_FALSE(changed.intact);
    EXPECT_EQ(changed.failedRow, 10);
    EXPECT_TRUE(changed.problem.contains(QStringLiteral("delivered"))) << changed.problem.toStdString();
}

TEST_F(AuditTest, AnEmptyRegisterIsIntact)
{
    reg.reset();
    QTemporaryDir other;
    QString error;
    auto empty = CertificateRegister::open(other.filePath(kRegisterFileName), &error);
    ASSERT_TRUE(empty) << error.toStdString();
    const auto r = empty->audit({}, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_TRUE(r->intact) << r->problem.toStdString();
    EXPECT_EQ(r->rows, 0);
    EXPECT_EQ(r->head, Chain::genesis());
}

struct Tampering
{
    const char* what;
    const char* sql;
    qint64 row;          // the row named; 0: no row (a number or a counter)
    const char* message; // part of what is said
};

class AuditTamperingTest : public AuditTest, public ::testing::WithParamInterface<Tampering>
{
};

TEST_P(AuditTamperingTest, IsFoundAndTheFirstRowItTouchedIsNamed)
{
    tamper(GetParam().sql);
    const AuditResult r = audit();
    EXPECT_FALSE(r.intact) << GetParam().what;
    EXPECT_EQ(r.failedRow, GetParam().row) << GetParam().what << ": " << r.problem.toStdString();
    EXPECT_TRUE(r.problem.contains(QString::fromUtf8(GetParam().message)))
        << GetParam().what << ": " << r.problem.toStdString();
    EXPECT_EQ(auditVerdict(r), GetParam().row ? QStringLiteral("在第 %1 条处被改动").arg(GetParam().row)
                                              : QStringLiteral("被改动"));
}

INSTANTIATE_TEST_SUITE_P(
    DeskFile, AuditTamperingTest,
    ::testing::Values(
        Tampering{"one character of a text",
                  "UPDATE versions SET text = replace(text, '李四', '李泗') WHERE chain_pos = 5", 5,
                  "文本与记录的 SHA-256 不符"},
        Tampering{"a text with its hashes made to fit",
                  "UPDATE versions SET text = 'x', sha256 = "
                  "'2d711642b726b04401627ca9fbac32f5c8530fb1903cc4db02258717921a4881',"
                  " norm_sha256 = '2d711642b726b04401627ca9fbac32f5c8530fb1903cc4db02258717921a4881'"
                  " WHERE chain_pos = 7",
                  7, "链接值与内容不符"},
        Tampering{"one event's time",
                  "UPDATE events SET at = '2021-06-01T08:00:00.000Z' WHERE chain_pos = 6", 6,
                  "链接值与内容不符"},
        Tampering{"a version deleted (its event goes with it)",
                  "PRAGMA foreign_keys = ON; DELETE FROM versions WHERE chain_pos = 3", 3,
                  "第 3 条记录不见了"},
        Tampering{"two events swapped",
                  "UPDATE events SET chain_pos = -1 WHERE chain_pos = 8;"
                  " UPDATE events SET chain_pos = 8 WHERE chain_pos = 9;"
                  " UPDATE events SET chain_pos = 9 WHERE chain_pos = -1",
                  8, "链接值与内容不符"},
        // An event's version is read from the versions walked before it, or looked up when it
        // comes later in the chain or not at all.
        Tampering{"an event moved onto a version linked after it",
                  "UPDATE events SET version_id = (SELECT id FROM versions WHERE chain_pos = 7)"
                  " WHERE chain_pos = 6",
                  6, "记录的 SHA-256 与其版本的文本不符"},
        Tampering{"an event moved onto a version that is not there",
                  "UPDATE events SET version_id = 999 WHERE chain_pos = 6", 6,
                  "所属条目或版本不见了"},
        Tampering{"the counter reset", "UPDATE sequences SET last = 1", 0, "计数器为 1"},
        Tampering{"the counter moved on, leaving a gap", "UPDATE sequences SET last = 7", 0,
                  "第 4 号不在登记簿中"},
        Tampering{"a form value changed", "UPDATE entry_values SET value = '李泗'"
                                          " WHERE value = '李四'",
                  5, "与登记的表单值不符"},
        Tampering{"a form value and the list changed together",
                  "UPDATE entry_values SET value = '李泗' WHERE value = '李四';"
                  " UPDATE entries SET name = '李泗' WHERE seq = 2",
                  5, "链接值与内容不符"},
        Tampering{"the list's name changed", "UPDATE entries SET name = '李泗' WHERE seq = 2", 5,
                  "与登记的表单值不符"},
        Tampering{"marked issued five years ago",
                  "UPDATE entries SET last_event_kind = 'printed',"
                  " last_event_at = '2021-01-01T00:00:00.000Z' WHERE seq = 2",
                  6, "最近出具与出具记录不符"},
        Tampering{"an entry deleted whole",
                  "PRAGMA foreign_keys = ON; DELETE FROM entries WHERE seq = 2", 5,
                  "第 5 条记录不见了"},
        Tampering{"the last event deleted", "DELETE FROM events WHERE chain_pos = 9", 9,
                  "链的末尾记在第 9 条"},
        Tampering{"an entry added without kavri",
                  "INSERT INTO entries(number, year, seq, created_at, operator, template_id, name,"
                  " id_number, company, leave_date) SELECT 'LZ2026-000004', 2026, 4, created_at,"
                  " 'someone', template_id, name, id_number, company, leave_date FROM entries"
                  " WHERE seq = 1; UPDATE sequences SET last = 4",
                  0, "LZ2026-000004 没有链中的第 1 版"}),
    [](const ::testing::TestParamInfo<Tampering>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST_F(AuditTest, TheSqlcipherShellWithTheKeyIsFoundToo)
{
    reg.reset();
    QFile keyFile(keyPathFor(path()));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    const QByteArray key = keyFile.readAll().trimmed();
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {path()});
    ASSERT_TRUE(shell.waitForStarted()) << "sqlcipher shell not installed";
    shell.write("PRAGMA key = \"x'" + key + "'\";\nPRAGMA cipher_page_size = 4096;\n"
                "UPDATE versions SET text = replace(text, '王五', '王伍') WHERE chain_pos = 7;\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished());
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    reopen();
    const AuditResult r = audit();
    EXPECT_FALSE(r.intact);
    EXPECT_EQ(auditVerdict(r), QStringLiteral("在第 7 条处被改动"));
}

// The Python of README.md, reading the tables through the sqlcipher shell, agrees with the
// audit: the same head on the untouched file, the same first row after a change.
TEST_F(AuditTest, ThePythonInTheReadmeChecksTheSameChain)
{
    const QString head = audit().head;
    const auto python = [this](int* exitCode) {
        QProcess p;
        p.start(QStringLiteral("python3"),
                {QStringLiteral(KAVRI_CHECK_CHAIN), QStringLiteral(KAVRI_README),
                 QStringLiteral("desk"), path(), keyPathFor(path())});
        EXPECT_TRUE(p.waitForFinished(30000));
        *exitCode = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed() +
               QString::fromUtf8(p.readAllStandardError());
    };
    reg.reset();
    int status = -1;
    EXPECT_EQ(python(&status).toStdString(), ("intact " + head).toStdString());
    EXPECT_EQ(status, 0);
    tamper("UPDATE events SET at = '2021-06-01T08:00:00.000Z' WHERE chain_pos = 6");
    reg.reset();
    EXPECT_EQ(python(&status).toStdString(), "changed 6");
    EXPECT_EQ(status, 1);
}

TEST_F(AuditTest, ARewrittenChainIsFoundOnlyByTheHeadNotedBefore)
{
    const QString noted = audit().head;
    // Rewrite event 9's time and relink it as kavri would have.
    reg.reset();
    QString error;
    const auto key = loadOrCreateKey(keyPathFor(path()), false, &error);
    sqlite3* db = SqliteRegisterStorage::openFile(path(), *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT ev.sha256, ev.operator, (SELECT link FROM events WHERE"
                                 " chain_pos = 8) FROM events ev WHERE chain_pos = 9",
                                 -1, &s, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    const QString sha = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    const QString op = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    const QString prev = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)));
    sqlite3_finalize(s);
    const QString at = QStringLiteral("2030-01-01T00:00:00.000Z");
    const QString link = Chain::link(
        prev, Chain::eventFields(9, QStringLiteral("LZ2026-000003"), 1, QStringLiteral("copied"),
                                 at, op, sha, QString()));
    const QByteArray sql = QStringLiteral("UPDATE events SET at = '%1', link = '%2' WHERE chain_pos"
                                          " = 9; UPDATE chain_head SET link = '%2';"
                                          " UPDATE entries SET last_event_at = '%1' WHERE seq = 3")
                               .arg(at, link)
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    reopen();
    // Consistent in itself, the rewritten chain passes on its own ...
    EXPECT_TRUE(audit().intact) << audit().problem.toStdString();
    // ... but not against the head noted before.
    const AuditResult r = audit(noted);
    EXPECT_FALSE(r.intact);
    EXPECT_TRUE(r.problem.contains(noted)) << r.problem.toStdString();
}

TEST_F(AuditTest, RetentionDeletionsAreRecordedAndAccountedFor)
{
    // A register of 2021 whose first entry has passed its two years.
    reg.reset();
    QTemporaryDir other;
    QString error;
    reg = CertificateRegister::open(other.filePath(kRegisterFileName), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    reg->setClock([this] { return clock; });
    clock = QDateTime(QDate(2021, 3, 1), QTime(9, 0));
    const IssuedEntry old = add(person("赵六", "1", "2021年2月1日"));
    ASSERT_TRUE(reg->recordEvent(old.id, EventKind::Printed, old.text, &error));
    add(person("钱七", "2", "2026年2月1日"));
    clock = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
    ASSERT_EQ(reg->deleteExpired(1, &error), 1) << error.toStdString();
    const AuditResult r = audit();
    EXPECT_TRUE(r.intact) << r.problem.toStdString();
    EXPECT_EQ(r.rows, 2); // 钱七's version and the deletion record; rows 1 and 2 went

    // A deletion record that says more than was deleted is a change like any other.
    reg.reset();
    const auto key = loadOrCreateKey(keyPathFor(other.filePath(kRegisterFileName)), false, &error);
    sqlite3* db = SqliteRegisterStorage::openFile(other.filePath(kRegisterFileName), *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
    ASSERT_EQ(sqlite3_exec(db, "UPDATE deletions SET numbers = numbers || ' LZ2021-000002'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    reg = CertificateRegister::open(other.filePath(kRegisterFileName), &error);
    ASSERT_TRUE(reg);
    const auto forged = reg->audit({}, &error);
    ASSERT_TRUE(forged);
    EXPECT_FALSE(forged->intact);
    EXPECT_EQ(forged->failedRow, 4) << forged->problem.toStdString();
}

TEST_F(AuditTest, NumbersGivenButNeverStoredAreRecordedAsSkipped)
{
    // The high-water file is ahead of the file (a commit that failed, an older copy put back).
    QString error;
    ASSERT_TRUE(raiseHighWaterMark(sequencePathFor(path()), 2026, 5, &error));
    EXPECT_EQ(add(person("孙八", "4")).number, QStringLiteral("LZ2026-000006"));
    const AuditResult r = audit();
    EXPECT_TRUE(r.intact) << r.problem.toStdString();
    EXPECT_EQ(r.rows, 11); // the record of 000004 and 000005, then 孙八's version
}

TEST_F(AuditTest, AnOlderFileIsLinkedInTimeOrderAndSaysSoOnce)
{
    reg.reset();
    QTemporaryDir other;
    const QString file = other.filePath(kRegisterFileName);
    QString error;
    {
        auto v2 = SqliteRegisterStorage::open(file, &error, 2);
        ASSERT_TRUE(v2) << error.toStdString();
    }
    const auto key = loadOrCreateKey(keyPathFor(file), false, &error);
    sqlite3* db = SqliteRegisterStorage::openFile(file, *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
    // Written as a version-2 file holds them: the event of the first entry after the second
    // entry was made.
    const char* rows =
        "INSERT INTO templates VALUES (1, '模板', '【姓名】');"
        "INSERT INTO entries(id, number, year, seq, created_at, operator, template_id, name,"
        " id_number, company, leave_date) VALUES"
        " (1, 'LZ2025-000001', 2025, 1, '2025-01-02T03:04:05.000Z', 'hr', 1, '张三', '', '', ''),"
        " (2, 'LZ2025-000002', 2025, 2, '2025-01-02T03:05:00.000Z', 'hr', 1, '李四', '', '', '');"
        "INSERT INTO entry_values VALUES (1, 0, '姓名', '张三'), (2, 0, '姓名', '李四');"
        "INSERT INTO versions VALUES"
        " (1, 1, 1, '张三', '1d841bc0ee98309cb7916670b7f0fdef5f4c35150711a41405ef3633b56322cf',"
        "  '1d841bc0ee98309cb7916670b7f0fdef5f4c35150711a41405ef3633b56322cf',"
        "  '2025-01-02T03:04:05.000Z'),"
        " (2, 2, 1, '李四', '808b4f6221599eee052ba9c7a1a1c6374b96bb1a5f172f305dcd19bc8b7bc9a8',"
        "  '808b4f6221599eee052ba9c7a1a1c6374b96bb1a5f172f305dcd19bc8b7bc9a8',"
        "  '2025-01-02T03:05:00.000Z');"
        "INSERT INTO events VALUES (1, 1, 1, 'printed', '2025-01-03T00:00:00.000Z',"
        " '1d841bc0ee98309cb7916670b7f0fdef5f4c35150711a41405ef3633b56322cf');"
        "UPDATE entries SET last_event_kind = 'printed', last_event_at ="
        " '2025-01-03T00:00:00.000Z' WHERE id = 1;"
        "INSERT INTO sequences VALUES (2025, 2);";
    ASSERT_EQ(sqlite3_exec(db, rows, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto first = CertificateRegister::open(file, &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_TRUE(first->openingNotice().contains(QStringLiteral("3 条"))) << first->openingNotice().toStdString();
    first.reset();
    auto second = CertificateRegister::open(file, &error);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->openingNotice().isEmpty());
    const auto r = second->audit({}, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_TRUE(r->intact) << r->problem.toStdString();
    EXPECT_EQ(r->rows, 3);
    // Linked oldest first: the first entry's version, the second's, then the event.
    second.reset();
    db = SqliteRegisterStorage::openFile(file, *key, &error);
    ASSERT_TRUE(db) << error.toStdString();
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT (SELECT group_concat(chain_pos) FROM versions),"
                                 " (SELECT chain_pos FROM events)",
                                 -1, &s, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "1,2");
    EXPECT_EQ(sqlite3_column_int(s, 1), 3);
    sqlite3_finalize(s);
    sqlite3_close(db);
}

} // namespace
