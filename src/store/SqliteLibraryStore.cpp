#include "store/SqliteLibraryStore.h"

#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/Statements.h"

namespace {

// Collects what one step of a composed operation handed back.
void collect(StoreOutcome& into, const StoreOutcome& step)
{
    into.failures += step.failures;
}

} // namespace

SqliteLibraryStore::SqliteLibraryStore(SqlConnection* connection, WriteUnit& unit)
    : LibraryStore(connection, unit)
{
}

StoreResult<QStringList> SqliteLibraryStore::listValues(const QString& table, const QString& column)
{
    StoreResult<QStringList> result;
    const QString statement = Statements::selectAll(table);
    result.value = readColumn(run(statement, statement, result), column, statement, result);
    return result;
}

StoreResult<QList<TreeRecord>> SqliteLibraryStore::listTopLevel(const QString& table,
                                                                const QString& column)
{
    StoreResult<QList<TreeRecord>> result;
    const QString statement = Statements::selectTopLevel(table);
    result.value = readTree(run(statement, statement, result), column, statement, result);
    return result;
}

StoreResult<QString> SqliteLibraryStore::valueOf(const QString& table, const QString& column,
                                                 qint32 itemId)
{
    StoreResult<QString> result;
    const QString shown = Statements::selectById(table, itemId);
    result.value = readFirst(run(shown, Statements::fileSelectById(table, itemId), result), column,
                             shown, result);
    return result;
}

StoreResult<QString> SqliteLibraryStore::findValue(const QString& table, const QString& keyColumn,
                                                   const QString& keyValue, const QString& column)
{
    StoreResult<QString> result;
    const QString shown = Statements::selectByValue(table, keyColumn, keyValue);
    const QString text = Statements::fileSelectByValue(table, keyColumn, keyValue);
    result.value = readFirst(run(shown, text, result), column, shown, result);
    return result;
}

StoreResult<qint32> SqliteLibraryStore::findId(const QString& table, const QString& column,
                                               const QString& value)
{
    StoreResult<qint32> result;
    const QString shown = Statements::selectByValue(table, column, value);
    const QString text = Statements::fileSelectByValue(table, column, value);
    result.value = readFirstId(run(shown, text, result), shown, result);
    return result;
}

StoreResult<bool> SqliteLibraryStore::write(const QString& statement)
{
    StoreResult<bool> result;
    result.value = run(statement, statement, result) != nullptr;
    return result;
}

StoreResult<bool> SqliteLibraryStore::addEntry(const QString& table, const QString& firstColumn,
                                               const QString& firstValue,
                                               const QString& secondColumn,
                                               const QString& secondValue)
{
    return write(Statements::insertPair(table, firstColumn, firstValue, secondColumn, secondValue));
}

StoreResult<bool> SqliteLibraryStore::addItems(const QString& table, int count,
                                               const QStringList& texts, qint32 upid)
{
    return write(Statements::insertItems(table, count, texts, upid));
}

StoreResult<bool> SqliteLibraryStore::modify(const QString& table, const QString& column,
                                             const QString& value, qint32 itemId)
{
    return write(Statements::update(table, column, value, itemId));
}

StoreResult<bool> SqliteLibraryStore::remove(const QString& table, qint32 itemId)
{
    return write(Statements::deleteById(table, itemId));
}

StoreResult<bool> SqliteLibraryStore::rememberValue(const QString& table, const QString& value)
{
    using namespace LibraryTables;
    StoreResult<bool> result;
    const StoreResult<qint32> oldDefault = findId(table, kDefaultColumn, kDefaultMarker);
    collect(result, oldDefault);
    collect(result, modify(table, kDefaultColumn, QString(), oldDefault.value));
    const StoreResult<qint32> entry = findId(table, kNameColumn, value);
    collect(result, entry);
    if (entry.value > 0) {
        collect(result, modify(table, kDefaultColumn, kDefaultMarker, entry.value));
    } else {
        QStringList texts(10);
        texts[0] = kDefaultMarker;
        texts[2] = value;
        collect(result, addItems(table, 10, texts, -1));
    }
    result.value = result.failures.isEmpty();
    return result;
}

StoreResult<bool>
SqliteLibraryStore::rememberValues(const QList<std::pair<QString, QString>>& values)
{
    StoreResult<bool> result;
    const StoreResult<bool> unit = runWriteTransaction([&] {
        for (const auto& [table, value] : values) {
            if (value.isEmpty()) {
                continue;
            }
            m_unit.subject = subjectOf(table);
            collect(result, rememberValue(table, value));
        }
    });
    collect(result, unit);
    // The file is always at hand: a failure here is reported like any other.
    result.value = true;
    return result;
}
