#pragma once

#include "PgTestCluster.h"

#include "store/pg/PgConnection.h"

#include <gtest/gtest.h>

// A test on a database of its own on the fixture's cluster, set up as a team's server is, with
// one connection to it as the superuser.
class PgServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.isValid()) << "no test cluster (fixture pg_cluster)";
        QString error;
        m_connection = m_db.openInitialized(&error);
        ASSERT_TRUE(m_connection) << error.toStdString();
    }

    PgTestDatabase m_db;
    std::shared_ptr<PgConnection> m_connection;
};
