// Speed of the library database on big tables. Each table is filled once, in a private copy of
// the delivered file, with names of several CJK characters and a running number.
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "ui/common/MessageStoreFeedback.h"
#include "ui/common/Notifier.h"
#include "ui/controls/RecordControls.h"
#include "ui/controls/SortedComboBox.h"

#include <QApplication>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

// Any notice during a benchmark means the figures are not worth reading.
class FailOnNotice : public Notifier::Backend
{
public:
    Notifier::Answer show(QWidget*, const Notifier::Notice& notice) override
    {
        std::fprintf(stderr, "unexpected notice: %s\n", qPrintable(notice.text));
        std::abort();
    }
};

struct Library
{
    QTemporaryDir dir;
    CDbVisit db;

    Library()
    {
        const QString path = dir.filePath("bdsj_conn.dll");
        QFile::copy(QStringLiteral(KAVRI_DELIVERED_LIBRARY), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db.m_pConnection = db.ConnectAccessDb(path, CDbVisit::kPassword);
    }

    // Replaces the table's rows by `rows` generated ones. Setup only: one statement builds
    // them all.
    void fill(const QString& table, int rows, bool longText)
    {
        db.ExecuteSql("delete from " + table);
        const QString text = longText ? QStringLiteral("replace(hex(zeroblob(1500)), '0', '证')")
                                      : QStringLiteral("''");
        db.ExecuteSql(
            QStringLiteral("with recursive n(x) as (select 1 union all select x + 1 from n "
                           "where x < %1) insert into %2 (upid, item1, item3, item8) select 0, '', "
                           "char(19968 + (x * 7919) % 20000, 19968 + (x * 104729) % 20000, "
                           "19968 + (x * 31) % 20000) || x, %3 from n")
                .arg(rows)
                .arg(table, text));
    }
};

Library& library()
{
    static Library instance;
    return instance;
}

void BM_FillRecordCombo(benchmark::State& state)
{
    const int rows = int(state.range(0));
    library().fill("company_item_table", rows, false);
    for (auto _ : state) {
        auto combo = std::make_unique<SortedComboBox>();
        FillRecordCombo(library().db, combo.get(), "company_item_table", "item3");
        benchmark::DoNotOptimize(combo->count());
        state.PauseTiming();
        if (combo->count() != rows) {
            state.SkipWithError("wrong item count");
        }
        combo.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_FillRecordCombo)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FillRecordListOfTemplates(benchmark::State& state)
{
    const int rows = int(state.range(0));
    library().fill("moban_item_table", rows, true);
    for (auto _ : state) {
        auto list = std::make_unique<QTableWidget>(0, 1);
        FillRecordList(library().db, "moban_item_table", list.get(), "item3", 0, 0);
        benchmark::DoNotOptimize(list->rowCount());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_FillRecordListOfTemplates)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FindRecordId(benchmark::State& state)
{
    const int rows = int(state.range(0));
    library().fill("department_item_table", rows, false);
    // The last row: a lookup without an index reads the whole table.
    auto last = library().db.ExecuteSql(
        "select item3 from department_item_table order by itemid desc limit 1");
    const QString name = last->collect("item3");
    for (auto _ : state) {
        benchmark::DoNotOptimize(library().db.FindRecordId("department_item_table", "item3", name));
    }
}
BENCHMARK(BM_FindRecordId)->Arg(100000)->Unit(benchmark::kMillisecond);

// What Generate does for one library value: clear the old default, look the value up, then mark
// it or add it. Alternates between a known name and a new one, as use does.
void BM_RememberLibraryValue(benchmark::State& state)
{
    CDbVisit& db = library().db;
    const QString table = "position_item_table";
    int round = 0;
    for (auto _ : state) {
        const QString value =
            (round++ % 2) ? QStringLiteral("软件工程师") : QStringLiteral("新职位%1").arg(round);
        db.RememberLibraryValue(table, value);
    }
}
BENCHMARK(BM_RememberLibraryValue)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    FailOnNotice failOnNotice;
    Notifier::setBackend(&failOnNotice);
    // A failed statement reaches the notifier, as in the program.
    const MessageStoreFeedback storeFeedback;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Notifier::setBackend(nullptr);
    return 0;
}
