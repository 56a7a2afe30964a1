#pragma once

#include <QString>
#include <memory>

struct sqlite3;
class RecordSet;

// One open, keyed connection to the library file through SQLCipher. Every statement commits on
// its own (no transaction is ever opened here), so SQLite's journal keeps the file whole.
class SqlConnection
{
public:
    // How long a statement waits for another program's lock before it fails.
    static constexpr int kBusyTimeoutMs = 5000;

    // Opens an existing file (never creates one), read-write where allowed and read-only
    // otherwise, keys it and reads its schema once so that a missing, damaged or wrongly keyed
    // file fails here. On failure returns null and puts SQLite's reason into *error.
    static std::shared_ptr<SqlConnection> open(const QString& path, const QString& password,
                                               QString* error);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    bool isReadOnly() const;
    void close();

    // Runs exactly one statement, translated from the Jet dialect first. A text holding a
    // second statement is refused without running anything. Null on failure, with *error set.
    std::unique_ptr<RecordSet> execute(const QString& statement, QString* error);

    static const QString kNotConnected;
    static const QString kSecondStatement;
    static const QString kInvalidText;
    static const QString kNotALibrary;

private:
    explicit SqlConnection(sqlite3* db);

    sqlite3* m_db;
};
