#pragma once

// Holds a register file's write lock through a connection of its own, as another copy of kavri
// in the middle of a write would, until released. The test that includes it links SQLCipher and
// defines SQLITE_HAS_CODEC.
#include "register/RegisterFiles.h"
#include "register/SqliteRegisterStorage.h"

#include <QFile>
#include <QString>
#include <sqlite3.h>

class RegisterLock
{
public:
    explicit RegisterLock(QString path) : m_path(std::move(path)) {}
    ~RegisterLock() { release(); }
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    // True once the lock is held.
    bool take()
    {
        QString error;
        const std::optional<QByteArray> key =
            Register::loadOrCreateKey(Register::keyPathFor(m_path), false, &error);
        if (key) {
            m_db = Register::SqliteRegisterStorage::openFile(m_path, *key, &error);
        }
        return m_db && sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    void release()
    {
        if (m_db) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};
