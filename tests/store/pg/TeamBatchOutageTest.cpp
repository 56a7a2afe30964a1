// kavri-cli batch on a team library whose server stops while the batch runs: the batch stops
// with status 1, every PDF it wrote is an issued entry on the server, and no entry is issued
// whose file is not there.
#include "PdfText.h"
#include "PgTestCluster.h"
#include "TeamCli.h"
#include "TempLibrary.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Enough rows that the batch is still running when its first files appear.
constexpr int kRows = 1500;
const QString kFileSuffix = QStringLiteral("-2025年6月30日.pdf");

QString leaverName(int row)
{
    return QStringLiteral("员工%1").arg(row, 4, 10, QLatin1Char('0'));
}

// The server's entries by name: its number, and whether it left kavri (an event: issued) or
// not (a draft).
struct ServerEntry
{
    QString number;
    bool issued = false;
};

QMap<QString, ServerEntry> serverEntries(PgConnection& connection, QString* error)
{
    QMap<QString, ServerEntry> entries;
    for (auto rows = connection.execute(
             QStringLiteral("select e.name, e.number, "
                            "(select count(*) from register_event ev where ev.entry_id = e.id) "
                            "as events from register_entry e"),
             error);
         rows && !rows->isEof(); rows->moveNext()) {
        entries.insert(rows->collect(QStringLiteral("name")),
                       {rows->collect(QStringLiteral("number")),
                        rows->collectInt(QStringLiteral("events")) > 0});
    }
    return entries;
}

TEST(TeamBatchOutage, AServerStoppedHalfWayStopsTheBatchAndEveryWrittenFileIsIssued)
{
    // A server of the test's own: stopping it disturbs no other test.
    PgOwnCluster cluster;
    ASSERT_TRUE(cluster.isValid()) << cluster.output().toStdString();
    PgTestDatabase db(cluster.info());
    ASSERT_TRUE(db.isValid());
    QString error;
    ASSERT_TRUE(db.openInitialized(&error)) << error.toStdString();

    QTemporaryDir dir;
    TempLibrary library;
    ASSERT_TRUE(dir.isValid() && library.isValid());
    QSettings(dir.filePath(QStringLiteral("kavri/kavri.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("library/server"), db.conninfo());
    QByteArray sheet = "姓名,离职日期\n";
    for (int row = 1; row <= kRows; ++row) {
        sheet += leaverName(row).toUtf8() + ",2025-06-30\n";
    }
    const QString data = dir.filePath(QStringLiteral("leavers.csv"));
    const QString templateFile = dir.filePath(QStringLiteral("template.txt"));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(writeFile(data, sheet));
    ASSERT_TRUE(writeFile(templateFile, "【证明编号】|【姓名】"));

    QProcess process;
    process.setProcessEnvironment(withConfigHome(dir.path()).environment);
    process.start(QStringLiteral(KAVRI_CLI_PATH),
                  {QStringLiteral("batch"), QStringLiteral("--data"), data,
                   QStringLiteral("--encoding"), QStringLiteral("utf-8"),
                   QStringLiteral("--template"), templateFile, QStringLiteral("--out"), out,
                   QStringLiteral("--library"), library.path()});
    ASSERT_TRUE(process.waitForStarted());

    // The server stops once the first certificates are in place.
    const QStringList pdfs{QStringLiteral("*.pdf")};
    QDeadlineTimer firstFiles(60000);
    while (QDir(out).entryList(pdfs, QDir::Files).size() < 5 && !firstFiles.hasExpired() &&
           process.state() == QProcess::Running) {
        QThread::msleep(5);
    }
    ASSERT_TRUE(cluster.halt());
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("登记簿无法使用，已停止"))) << err.toStdString();

    // What is in the folder: finished certificates only, no temporary file left behind.
    const QStringList everything = QDir(out).entryList(QDir::Files | QDir::Hidden);
    QSet<QString> written;
    for (const QString& file : everything) {
        ASSERT_TRUE(file.endsWith(kFileSuffix)) << file.toStdString();
        written.insert(file.chopped(kFileSuffix.size()));
    }
    ASSERT_GE(written.size(), 5) << err.toStdString();
    ASSERT_LT(written.size(), kRows) << "the batch ended before the server stopped";

    ASSERT_TRUE(cluster.resume());
    const std::shared_ptr<PgConnection> admin = PgConnection::open(db.conninfo(), &error);
    ASSERT_TRUE(admin) << error.toStdString();
    const QMap<QString, ServerEntry> entries = serverEntries(*admin, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    // Every file written is an issued entry, and carries that entry's number.
    for (const QString& name : written) {
        ASSERT_TRUE(entries.contains(name)) << name.toStdString();
        EXPECT_TRUE(entries[name].issued) << name.toStdString();
    }
    QStringList sorted = written.values();
    sorted.sort();
    for (const QString& name : {sorted.first(), sorted.last()}) {
        EXPECT_TRUE(WithoutSpaces(PdfText(QDir(out).filePath(name + kFileSuffix)))
                        .contains(entries[name].number))
            << name.toStdString();
    }
    // No entry is issued without its file; a certificate numbered when the server went away
    // stays a draft.
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        if (entry->issued) {
            EXPECT_TRUE(written.contains(entry.key())) << entry.key().toStdString();
        }
    }
    // The report names the rows not written: the ones after the last file.
    EXPECT_TRUE(err.contains(QStringLiteral("行未写入"))) << err.toStdString();
}

} // namespace
