#include "PgTestCluster.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

namespace PgTestCluster {

Info readInfo(const QString& infoFile)
{
    Info info;
    QFile file(infoFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return info;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0) {
            continue;
        }
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "PGHOST") {
            info.host = value;
        } else if (key == "PGPORT") {
            info.port = value;
        } else if (key == "PGUSER") {
            info.superuser = value;
        } else if (key == "KAVRI_PG_DIR") {
            info.folder = value;
        } else if (key == "KAVRI_PG_BIN") {
            info.bin = value;
        }
    }
    return info;
}

Info fixture()
{
    return readInfo(QStringLiteral(KAVRI_PG_INFO_FILE));
}

bool startCluster(const QString& infoFile, QString* output)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(KAVRI_PG_CLUSTER_SCRIPT), QStringLiteral("start"), infoFile});
    script.waitForFinished(120000);
    if (output) {
        *output = QString::fromLocal8Bit(script.readAll());
    }
    return script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

void stopCluster(const QString& infoFile)
{
    runScript(QStringLiteral("stop"), infoFile);
}

bool runScript(const QString& action, const QString& infoFile)
{
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(KAVRI_PG_CLUSTER_SCRIPT), action, infoFile});
    return script.waitForFinished(120000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
}

QString conninfo(const Info& info, const QString& database, const QString& user,
                 const QString& password)
{
    QString text = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
                       .arg(info.host, info.port, database, user.isEmpty() ? info.superuser : user);
    if (!password.isEmpty()) {
        text += QStringLiteral(" password=") + password;
    }
    return text;
}

} // namespace PgTestCluster

PgOwnCluster::PgOwnCluster() : m_infoFile(m_dir.filePath(QStringLiteral("cluster.env")))
{
    m_started = m_dir.isValid() && PgTestCluster::startCluster(m_infoFile, &m_output);
}

PgOwnCluster::~PgOwnCluster()
{
    PgTestCluster::stopCluster(m_infoFile);
}

namespace {
QAtomicInt g_counter;

bool runOn(const QString& conninfo, const QStringList& statements, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    const auto connection = PgConnection::open(conninfo, error);
    if (!connection) {
        return false;
    }
    for (const QString& statement : statements) {
        if (!connection->execute(statement, error)) {
            return false;
        }
    }
    return true;
}
} // namespace

PgTestDatabase::PgTestDatabase() : PgTestDatabase(PgTestCluster::fixture()) {}

PgTestDatabase::PgTestDatabase(const PgTestCluster::Info& cluster) : m_cluster(cluster)
{
    if (m_cluster.host.isEmpty()) {
        return;
    }
    // Test executables run side by side: the process id keeps their databases apart.
    const QString name = QStringLiteral("kavri_test_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(g_counter.fetchAndAddRelaxed(1));
    if (runOn(PgTestCluster::conninfo(m_cluster, QStringLiteral("postgres")),
              {QStringLiteral("create database ") + name}, nullptr)) {
        m_name = name;
    }
}

PgTestDatabase::~PgTestDatabase()
{
    if (m_name.isEmpty()) {
        return;
    }
    QStringList statements{QStringLiteral("drop database if exists %1 with (force)").arg(m_name)};
    for (const QString& login : m_logins) {
        statements << QStringLiteral("drop role if exists ") + login;
    }
    runOn(PgTestCluster::conninfo(m_cluster, QStringLiteral("postgres")), statements, nullptr);
}

QString PgTestDatabase::conninfo() const
{
    return PgTestCluster::conninfo(m_cluster, m_name);
}

QString PgTestDatabase::conninfo(const QString& user, const QString& password) const
{
    return PgTestCluster::conninfo(m_cluster, m_name, user, password);
}

QString PgTestDatabase::addLogin(const QString& user, const QString& password, const QString& group)
{
    // Roles belong to the whole cluster: the name carries the database's name so that tests
    // running side by side do not share one.
    const QString login = m_name + QLatin1Char('_') + user;
    if (!run({QStringLiteral("create role %1 login password '%2'").arg(login, password),
              QStringLiteral("grant %1 to %2").arg(group, login)})) {
        return QString();
    }
    m_logins << login;
    return login;
}

bool PgTestDatabase::run(const QStringList& statements, QString* error)
{
    return runOn(conninfo(), statements, error);
}
