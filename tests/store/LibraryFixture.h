#pragma once

#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

#ifdef KAVRI_STORE_ON_SERVER
#include "PgTestCluster.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgSchema.h"
#endif

// A connected CDbVisit on a private copy of the delivered library, with every notice recorded.
// Built with KAVRI_STORE_ON_SERVER, the copy is a team library on the PostgreSQL test cluster
// (the delivered file imported into a database of its own), and the same tests run there.
class LibraryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.isValid())
            << "no copy of " << TempLibrary::deliveredFile().toStdString();
#ifdef KAVRI_STORE_ON_SERVER
        server = std::make_unique<PgTestDatabase>();
        ASSERT_TRUE(server->isValid()) << "no test cluster (fixture pg_cluster)";
        QString error;
        const auto admin = PgConnection::open(server->conninfo(), &error);
        ASSERT_TRUE(admin) << error.toStdString();
        ASSERT_TRUE(PgSchema::init(*admin, &error)) << error.toStdString();
        const PgImport::Result copied =
            PgImport::importLibrary(*admin, library.path(), LibraryFile::kPassword);
        ASSERT_TRUE(copied.ok) << copied.error.toStdString();
        db.m_pConnection = db.ConnectServer(server->conninfo());
#else
        db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
#endif
        ASSERT_TRUE(db.m_pConnection);
        ASSERT_TRUE(notes.notices().isEmpty());
    }

    static constexpr bool onServer()
    {
#ifdef KAVRI_STORE_ON_SERVER
        return true;
#else
        return false;
#endif
    }

    // Runs a statement of the test's own that must succeed.
    void run(const QString& statement)
    {
        const qsizetype before = notes.notices().size();
        db.ExecuteSql(statement);
        ASSERT_EQ(notes.notices().size(), before) << notes.texts().join('\n').toStdString();
    }

    // One column of every row of a table, in itemid order; NULL reads as "".
    QStringList values(const QString& table, const QString& column)
    {
        QStringList result;
        auto records = db.ExecuteSql("select * from " + table + " order by itemid");
        for (; records && !records->isEof(); records->moveNext()) {
            result.append(records->collect(column));
        }
        return result;
    }

    // Every column of every row, one text per row, to see that nothing else changed.
    QStringList snapshot(const QString& table)
    {
        QStringList result;
        auto records = db.ExecuteSql("select * from " + table + " order by itemid");
        for (; records && !records->isEof(); records->moveNext()) {
            QStringList row;
            for (const char* column : {"itemid", "upid", "item1", "item2", "item3", "item4",
                                       "item5", "item6", "item7", "item8", "item9", "item10"}) {
                const QString name = QString::fromLatin1(column);
                // Tell NULL from "" apart: the row text shows which one a column holds.
                auto isNull = db.ExecuteSql("select " + name + " is null as n from " + table +
                                            " where itemid=" + records->collect("itemid"));
                row.append((isNull && isNull->collectInt("n") ? "<null>" : "") +
                           records->collect(name));
            }
            result.append(row.join('|'));
        }
        return result;
    }

    int rowCount(const QString& table)
    {
        auto records = db.ExecuteSql("select count(*) as n from " + table);
        return records ? records->collectInt("n") : -1;
    }

    TempLibrary library;
#ifdef KAVRI_STORE_ON_SERVER
    std::unique_ptr<PgTestDatabase> server;
#endif
    RecordingNotifier notes;
    CDbVisit db;
};
