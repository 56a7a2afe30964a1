#pragma once

#include "store/LibraryStore.h"

// The library's operations on the library file: exactly the statements the program has always
// sent to it (Statements), one at a time, each committing on its own unless a write unit is
// open. Failures name the statement as the program writes it (Statements' Jet text).
class SqliteLibraryStore : public LibraryStore
{
public:
    // `connection` may be null or closed: every statement then fails as not connected.
    SqliteLibraryStore(SqlConnection* connection, WriteUnit& unit);

    StoreResult<QStringList> listValues(const QString& table, const QString& column) override;
    StoreResult<QList<TreeRecord>> listTopLevel(const QString& table,
                                                const QString& column) override;
    StoreResult<QString> valueOf(const QString& table, const QString& column,
                                 qint32 itemId) override;
    StoreResult<QString> findValue(const QString& table, const QString& keyColumn,
                                   const QString& keyValue, const QString& column) override;
    StoreResult<qint32> findId(const QString& table, const QString& column,
                               const QString& value) override;
    StoreResult<bool> addEntry(const QString& table, const QString& firstColumn,
                               const QString& firstValue, const QString& secondColumn,
                               const QString& secondValue) override;
    StoreResult<bool> addItems(const QString& table, int count, const QStringList& texts,
                               qint32 upid) override;
    StoreResult<bool> modify(const QString& table, const QString& column, const QString& value,
                             qint32 itemId) override;
    StoreResult<bool> remove(const QString& table, qint32 itemId) override;
    // Four statements, in this order: find the default, clear its marker, find the value's
    // entry, then mark it or add the new entry. Each runs whatever the one before gave.
    StoreResult<bool> rememberValue(const QString& table, const QString& value) override;
    // rememberValue for each value in one write unit; a refused value is named by its label.
    StoreResult<bool> rememberValues(const QList<std::pair<QString, QString>>& values) override;

private:
    // A write of one statement: its failures, and true when it ran without one.
    StoreResult<bool> write(const QString& statement);
};
