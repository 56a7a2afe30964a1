// kavri-cli batch on a team library: kavri.conf names the server, and every certificate the batch
// writes takes its number from the team's register on the server and is recorded there.
#include "PgServerTest.h"
#include "TeamCli.h"
#include "TempLibrary.h"

#include "register/LeavingNote.h"
#include "register/RegisterFiles.h"
#include "scan/CodeScanner.h"
#include "seal/SealCheck.h"
#include "seal/SealFiles.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using TeamBatchTest = PgServerTest;

TEST_F(TeamBatchTest, CertificatesTakeTheServersNumbersAndTheirEntriesLandOnTheServer)
{
    const auto& admin = m_connection;
    QString error;
    const int year = QDate::currentDate().year();
    // Other clerks have taken this year's first six numbers.
    ASSERT_TRUE(admin->execute(QStringLiteral("do $$ begin for i in 1..6 loop"
                                              " perform register_reserve('LZ'); end loop; end $$"),
                               &error))
        << error.toStdString();

    QTemporaryDir dir;
    TempLibrary library;
    ASSERT_TRUE(dir.isValid() && library.isValid());
    QSettings(dir.filePath(QStringLiteral("kavri/kavri.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("library/server"), m_db.conninfo());
    const QString data = dir.filePath(QStringLiteral("leavers.csv"));
    const QString templateFile = dir.filePath(QStringLiteral("template.txt"));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(writeFile(data, "姓名,离职日期\n张三,2025-06-30\n李四,2025-07-01\n"));
    ASSERT_TRUE(writeFile(templateFile, "【证明编号】|【姓名】"));

    const CliRun run = runCli({QStringLiteral("batch"), QStringLiteral("--data"), data,
                               QStringLiteral("--encoding"), QStringLiteral("utf-8"),
                               QStringLiteral("--template"), templateFile, QStringLiteral("--out"),
                               out, QStringLiteral("--library"), library.path()},
                              withConfigHome(dir.path()));
    ASSERT_EQ(run.status, 0) << run.errText().toStdString();
    EXPECT_TRUE(run.errText().contains(QStringLiteral("2 份已编号，记入登记簿 ") + m_db.name()))
        << run.errText().toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              (QStringList{QStringLiteral("张三-2025年6月30日.pdf"),
                           QStringLiteral("李四-2025年7月1日.pdf")}));

    // On the server: the next two numbers, each entry with its text and its PDF recorded.
    QStringList entries;
    for (auto rows = admin->execute(
             QStringLiteral("select e.number, e.name, v.text, ev.kind from register_entry e "
                            "join register_version v on v.entry_id = e.id "
                            "join register_event ev on ev.entry_id = e.id order by e.number"),
             &error);
         rows && !rows->isEof(); rows->moveNext()) {
        const QString text = rows->collect(QStringLiteral("text"));
        entries << rows->collect(QStringLiteral("number")) + QLatin1Char(' ') +
                       rows->collect(QStringLiteral("name")) + QLatin1Char(' ') +
                       text.mid(text.lastIndexOf(QLatin1Char('\n')) + 1) + QLatin1Char(' ') +
                       rows->collect(QStringLiteral("kind"));
    }
    const QString y = QString::number(year);
    EXPECT_EQ(entries,
              (QStringList{QStringLiteral("LZ%1-000007 张三 LZ%1-000007|张三 pdf").arg(y),
                           QStringLiteral("LZ%1-000008 李四 LZ%1-000008|李四 pdf").arg(y)}))
        << error.toStdString();
    auto counter = admin->execute(
        QStringLiteral("select last_seq from register_counter where year = %1").arg(year), &error);
    ASSERT_TRUE(counter && !counter->isEof()) << error.toStdString();
    EXPECT_EQ(counter->collectInt(QStringLiteral("last_seq")), 8);
    // Nothing of the register beside the library file.
    EXPECT_FALSE(QFile::exists(Register::registerPathBeside(library.path())));
}

TEST_F(TeamBatchTest, TheServerRecordsTheSignedCodeEachPageCarries)
{
    const auto& admin = m_connection;
    QTemporaryDir dir;
    TempLibrary library;
    ASSERT_TRUE(dir.isValid() && library.isValid());
    QSettings(dir.filePath(QStringLiteral("kavri/kavri.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("library/server"), m_db.conninfo());
    const QString data = dir.filePath(QStringLiteral("leavers.csv"));
    const QString templateFile = dir.filePath(QStringLiteral("template.txt"));
    const QString combined = dir.filePath(QStringLiteral("all.pdf"));
    ASSERT_TRUE(writeFile(data, "姓名,离职日期\n王五,2025-06-30\n赵六,2025-07-01\n"));
    ASSERT_TRUE(writeFile(templateFile, "【证明编号】|【姓名】<br>【查验码】"));

    const CliRun run = runCli({QStringLiteral("batch"), QStringLiteral("--data"), data,
                               QStringLiteral("--encoding"), QStringLiteral("utf-8"),
                               QStringLiteral("--template"), templateFile,
                               QStringLiteral("--combined"), combined, QStringLiteral("--library"),
                               library.path()},
                              withConfigHome(dir.path()));
    ASSERT_EQ(run.status, 0) << run.errText().toStdString();

    // The desk signs with its own key, beside its own register file, and the server keeps each
    // page's code with the page's leaving.
    QString error;
    const auto key = Seal::loadOrCreateSealKey(
        Seal::sealKeyPathBeside(Register::registerPathBeside(library.path())), false, &error);
    ASSERT_TRUE(key) << error.toStdString();
    QList<QByteArray> recorded;
    for (auto rows = admin->execute(
             QStringLiteral("select ev.detail from register_event ev join register_entry e "
                            "on e.id = ev.entry_id where e.name in ('王五', '赵六') "
                            "order by e.number"),
             &error);
         rows && !rows->isEof(); rows->moveNext()) {
        const auto note = Register::leavingNoteFromDetail(rows->collect(QStringLiteral("detail")));
        ASSERT_TRUE(note);
        recorded << QByteArray::fromBase64(note->seal.toLatin1());
    }
    ASSERT_EQ(recorded.size(), 2) << error.toStdString();
    const auto codes = Scan::readCodes(combined, &error);
    ASSERT_TRUE(codes) << error.toStdString();
    EXPECT_EQ(*codes, recorded);
    const QList<Seal::TrustedKey> none;
    const Seal::SealChecker checker(&*key, &none);
    for (const QByteArray& code : recorded) {
        EXPECT_EQ(checker.check(code).verdict, Seal::Verdict::Genuine);
    }
}

} // namespace
