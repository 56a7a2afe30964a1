#pragma once

#include "PgTestCluster.h"

#include "register/CertificateRegister.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A team database set up by server init, with a clerk's and an administrator's login whose
// passwords are in a pgpass file of the test's own, as a desk keeps them.
class PgRegisterFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        QString error;
        m_owner = m_db.openInitialized(&error);
        ASSERT_TRUE(m_owner) << error.toStdString();
        m_clerkRole = m_db.addLogin(QStringLiteral("clerk"), QStringLiteral("c"),
                                    PgSchema::kClerkRole);
        m_adminRole = m_db.addLogin(QStringLiteral("admin"), QStringLiteral("a"),
                                    PgSchema::kAdminRole);
        ASSERT_TRUE(m_home.isValid());
        QFile pgpass(m_home.filePath(QStringLiteral("pgpass")));
        ASSERT_TRUE(pgpass.open(QIODevice::WriteOnly));
        pgpass.write(
            QStringLiteral("*:*:*:%1:c\n*:*:*:%2:a\n").arg(m_clerkRole, m_adminRole).toUtf8());
        pgpass.close();
        pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(pgpass.fileName()));
        m_clerk = m_db.conninfo(m_clerkRole, QString());
        m_admin = m_db.conninfo(m_adminRole, QString());
    }

    void TearDown() override { qunsetenv("PGPASSFILE"); }

    std::unique_ptr<Register::CertificateRegister> open(const QString& conninfo)
    {
        QString error;
        auto reg = Register::CertificateRegister::openServer(conninfo, &error);
        EXPECT_TRUE(reg) << error.toStdString();
        return reg;
    }

    std::shared_ptr<PgConnection> connect(const QString& conninfo)
    {
        QString error;
        auto connection = PgConnection::open(conninfo, &error);
        EXPECT_TRUE(connection) << error.toStdString();
        return connection;
    }

    // One value of a query as the owner.
    QString scalar(const QString& sql)
    {
        QString error;
        const auto rows = m_owner->query(sql.toUtf8(), {}, &error);
        EXPECT_TRUE(rows && !rows->isEof()) << sql.toStdString() << ": " << error.toStdString();
        return rows && !rows->isEof() ? rows->text(0) : QString();
    }

    // Changes the tables as only the cluster's superuser can: with the triggers off (replication
    // role), as somebody who got hold of the server would. With `relink`, every row is then
    // linked again, as an attacker who also rewrites the chain would do (and as a test needs who
    // makes entries look years old).
    void asSuperuser(const QString& sql, bool relink)
    {
        QString error;
        QStringList statements{QStringLiteral("set session_replication_role = replica")};
        statements << sql.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (relink) {
            statements << QStringLiteral("update register_version set chain_pos = null, link = null")
                       << QStringLiteral("update register_event set chain_pos = null, link = null")
                       << QStringLiteral(
                              "update register_deletion set chain_pos = null, link = null")
                       << QStringLiteral(
                              "update register_chain_head set pos = 0, link = repeat('0', 64)");
        }
        statements << QStringLiteral("set session_replication_role = origin");
        if (relink) {
            statements << QStringLiteral("select register_seal()");
        }
        ASSERT_TRUE(m_db.run(statements, &error)) << error.toStdString();
    }

    PgTestDatabase m_db;
    std::shared_ptr<PgConnection> m_owner;
    QTemporaryDir m_home;
    QString m_clerkRole;
    QString m_adminRole;
    QString m_clerk;
    QString m_admin;
};
