#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class PgConnection;

// The private test cluster that pg-cluster.sh started (the CTest fixture "pg_cluster"), read
// from its information file.
namespace PgTestCluster {

struct Info
{
    QString host; // the folder of the Unix socket
    QString port;
    QString superuser;
    QString folder;
    QString bin; // the server's programs
};

// The running cluster of the fixture; empty host when none is running.
Info fixture();
// Starts another private cluster into infoFile with the same script (for tests that stop and
// start their own server); stopCluster stops it and removes its folder.
bool startCluster(const QString& infoFile, QString* output);
void stopCluster(const QString& infoFile);
// "halt" stops a cluster at once keeping its data, "resume" starts it again on its socket.
bool runScript(const QString& action, const QString& infoFile);
Info readInfo(const QString& infoFile);

// The connection text for a database of a cluster as the given role.
QString conninfo(const Info& info, const QString& database, const QString& user = QString(),
                 const QString& password = QString());

} // namespace PgTestCluster

// An empty database of its own for one test, on the fixture's cluster (or the one given),
// dropped again at the end. Login roles made through it are dropped too.
class PgTestDatabase
{
public:
    PgTestDatabase();
    explicit PgTestDatabase(const PgTestCluster::Info& cluster);
    ~PgTestDatabase();
    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    bool isValid() const { return !m_name.isEmpty(); }
    const QString& name() const { return m_name; }
    const PgTestCluster::Info& cluster() const { return m_cluster; }
    // As the cluster's superuser.
    QString conninfo() const;
    // As a login role made by addLogin.
    QString conninfo(const QString& user, const QString& password) const;

    // A login role with a password, member of the given group role; gives the role's name
    // (the database's name, "_", user), empty on failure.
    QString addLogin(const QString& user, const QString& password, const QString& group);
    // Runs statements as the superuser on this database; false on the first failure.
    bool run(const QStringList& statements, QString* error = nullptr);

private:
    PgTestCluster::Info m_cluster;
    QString m_name;
    QStringList m_logins;
};

// A private cluster of one test's own, for tests that stop and start their server without
// disturbing the others: started by the constructor, stopped and removed by the destructor.
class PgOwnCluster
{
public:
    PgOwnCluster();
    ~PgOwnCluster();
    PgOwnCluster(const PgOwnCluster&) = delete;
    PgOwnCluster& operator=(const PgOwnCluster&) = delete;

    bool isValid() const { return m_started; }
    // What the start script said (why it failed).
    const QString& output() const { return m_output; }
    PgTestCluster::Info info() const { return PgTestCluster::readInfo(m_infoFile); }
    // Stops the server at once, keeping its data; resume starts it again on the same socket.
    bool halt() { return PgTestCluster::runScript(QStringLiteral("halt"), m_infoFile); }
    bool resume() { return PgTestCluster::runScript(QStringLiteral("resume"), m_infoFile); }

private:
    QTemporaryDir m_dir;
    QString m_infoFile;
    QString m_output;
    bool m_started = false;
};
