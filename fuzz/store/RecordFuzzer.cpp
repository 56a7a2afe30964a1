// Writes arbitrary text values into a private copy of the delivered library through the
// data-access object and checks, after every operation, that a value is read back exactly as
// given or its statement failed (and was reported), and that no other row or table changed.
//
// Each input is one round on one table: AddRecord of two values into two text columns,
// FindRecordValue by the first, SetRecordValue of a third value, DeleteRecord of the new row.
// Values are read from the input as UTF-8 or as raw UTF-16 (so that unpaired surrogates and
// NUL characters come along); quotes, brackets and statement text are what the fuzzer is after.
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/StoreFeedback.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>

namespace {

const std::array<QString, 5> kTables = {
    QStringLiteral("moban_item_table"),      QStringLiteral("company_item_table"),
    QStringLiteral("department_item_table"), QStringLiteral("position_item_table"),
    QStringLiteral("reason_item_bable"),
};
const std::array<QString, 10> kTextColumns = {
    QStringLiteral("item1"),  QStringLiteral("item2"), QStringLiteral("item3"),
    QStringLiteral("item4"),  QStringLiteral("item5"), QStringLiteral("item6"),
    QStringLiteral("item7"),  QStringLiteral("item8"), QStringLiteral("item9"),
    QStringLiteral("item10"),
};

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "record property broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what)
{
    if (!ok) {
        fail(what);
    }
}

// Counts the notices instead of showing them; a failed statement is one notice.
class CountingFeedback : public StoreFeedback::Backend
{
public:
    void connectFailed(const QString&) override { ++count; }
    void statementFailed(const QString&) override { ++count; }
    void busy(bool) override {}
    int count = 0;
};

// One row: every column as text, NULL told apart from the empty text.
using Row = QStringList;
using Table = QList<Row>;
using Library = std::array<Table, 5>;

struct State
{
    std::unique_ptr<QTemporaryDir> dir;
    CDbVisit db;
    CountingFeedback notices;
};

State* state = nullptr;

Table readTable(const QString& table)
{
    QString statement = QStringLiteral("select itemid, upid");
    for (const QString& column : kTextColumns) {
        statement += QStringLiteral(", %1, %1 is null as null_%1").arg(column);
    }
    statement += QStringLiteral(" from ") + table + QStringLiteral(" order by itemid");
    const int before = state->notices.count;
    Table rows;
    for (auto records = state->db.ExecuteSql(statement); records && !records->isEof();
         records->moveNext()) {
        Row row{records->collect(QStringLiteral("itemid")),
                records->collect(QStringLiteral("upid"))};
        for (const QString& column : kTextColumns) {
            row.append(records->collectInt(QStringLiteral("null_") + column)
                           ? QStringLiteral("<null>")
                           : QStringLiteral("=") + records->collect(column));
        }
        rows.append(row);
    }
    check(state->notices.count == before, "reading a table back works");
    return rows;
}

Library readLibrary()
{
    Library library;
    for (size_t i = 0; i < kTables.size(); ++i) {
        library[i] = readTable(kTables[i]);
    }
    return library;
}

// The value of `column` in a row read by readTable.
QString cell(const Row& row, const QString& column)
{
    const auto at = std::find(kTextColumns.begin(), kTextColumns.end(), column);
    return row.at(2 + (at - kTextColumns.begin()));
}

QString takeValue(FuzzedDataProvider& input)
{
    const bool utf16 = input.ConsumeBool();
    const std::string bytes = input.ConsumeRandomLengthString(2048);
    if (utf16) {
        return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
    }
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Everything but the row that the round works on must be as it was.
void checkOthersUnchanged(const Library& before, const Library& after, size_t table,
                          const QString& rowId)
{
    for (size_t i = 0; i < kTables.size(); ++i) {
        if (i != table) {
            check(after[i] == before[i], "other tables unchanged");
            continue;
        }
        Table a = after[i];
        a.removeIf([&rowId](const Row& row) { return row.at(0) == rowId; });
        Table b = before[i];
        b.removeIf([&rowId](const Row& row) { return row.at(0) == rowId; });
        check(a == b, "other rows unchanged");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "record_fuzz";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);

    state = new State;
    // A folder in memory where there is one: every statement commits on its own, and a disk
    // would make the fuzzer wait for each commit.
    state->dir =
        QDir(QStringLiteral("/dev/shm")).exists()
            ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/kavri-record-fuzz-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    const QString path = state->dir->filePath(QStringLiteral("bdsj_conn.dll"));
    if (!state->dir->isValid() || !QFile::copy(QStringLiteral(KAVRI_DELIVERED_LIBRARY), path)) {
        fail("copy of the delivered library");
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    StoreFeedback::setBackend(&state->notices);
    state->db.m_pConnection = state->db.ConnectAccessDb(path, CDbVisit::kPassword);
    check(state->db.m_pConnection != nullptr && state->notices.count == 0, "connect");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const size_t t = input.ConsumeIntegralInRange<size_t>(0, kTables.size() - 1);
    const QString& table = kTables[t];
    const size_t firstIndex = input.ConsumeIntegralInRange<size_t>(0, kTextColumns.size() - 1);
    const size_t secondIndex =
        (firstIndex + 1 + input.ConsumeIntegralInRange<size_t>(0, kTextColumns.size() - 2)) %
        kTextColumns.size();
    const QString& first = kTextColumns[firstIndex];
    const QString& second = kTextColumns[secondIndex];
    const QString firstValue = takeValue(input);
    const QString secondValue = takeValue(input);
    const QString newValue = takeValue(input);

    const Library start = readLibrary();

    // AddRecord: one new row holding both values exactly, or a reported failure and no change.
    int notices = state->notices.count;
    state->db.AddRecord(table, first, firstValue, second, secondValue);
    const Library added = readLibrary();
    if (state->notices.count != notices) {
        check(added == start, "failed insert changes nothing");
        return 0;
    }
    check(added[t].size() == start[t].size() + 1, "insert adds one row");
    const Row& row = added[t].last();
    const QString rowId = row.at(0);
    check(cell(row, first) == QStringLiteral("=") + firstValue, "first value read back exactly");
    check(cell(row, second) == QStringLiteral("=") + secondValue, "second value read back exactly");
    checkOthersUnchanged(start, added, t, rowId);

    // FindRecordValue by the first value: the new row's second value when no other row holds a
    // first value that a lookup could take for it.
    bool unique = true;
    for (const Row& other : added[t]) {
        if (other.at(0) != rowId &&
            cell(other, first).compare(QStringLiteral("=") + firstValue, Qt::CaseInsensitive) ==
                0) {
            unique = false;
        }
    }
    notices = state->notices.count;
    const QString found = state->db.FindRecordValue(table, first, firstValue, second);
    if (state->notices.count == notices && unique) {
        check(found == secondValue, "lookup by the first value finds the second");
    }
    check(readLibrary() == added, "lookup changes nothing");

    // SetRecordValue: the new value in its place exactly, or a reported failure and no change.
    notices = state->notices.count;
    state->db.SetRecordValue(table, second, newValue, rowId.toInt());
    const Library updated = readLibrary();
    if (state->notices.count != notices) {
        check(updated == added, "failed update changes nothing");
    } else {
        Row expected = added[t].last();
        expected[2 + qsizetype(secondIndex)] = QStringLiteral("=") + newValue;
        check(updated[t].size() == added[t].size(), "update adds or removes no row");
        check(cell(updated[t].last(), second) == expected.at(2 + qsizetype(secondIndex)),
              "updated value read back exactly");
        check(updated[t].last() == expected, "update leaves the row's other columns");
        checkOthersUnchanged(added, updated, t, rowId);
    }

    // Leave the library as it was for the next input.
    notices = state->notices.count;
    state->db.DeleteRecord(table, rowId.toInt());
    check(state->notices.count == notices, "delete of the new row works");
    check(readLibrary() == start, "delete restores the library");
    return 0;
}
