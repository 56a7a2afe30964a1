// The browser reads its whole tree when it opens and again after every change. This measures
// both on a library of 10,000 entries; the target is under 300 ms for each.

#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "ui/common/MessageStoreFeedback.h"
#include "ui/common/Notifier.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/LibraryConfiguration.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kEntries = 10000;
const QString kTable = QStringLiteral("company_item_table");

// Answers every question with Yes and shows nothing.
class SilentNotifier : public Notifier::Backend
{
public:
    Notifier::Answer show(QWidget*, const Notifier::Notice& notice) override
    {
        return notice.buttons == Notifier::Buttons::YesNo ? Notifier::Answer::Yes
                                                          : Notifier::Answer::Ok;
    }
};

// A copy of the delivered library with the company table grown to kEntries top-level rows.
struct BigLibrary
{
    QTemporaryDir dir;
    CDbVisit db;
    bool ready = false;

    BigLibrary()
    {
        const QString source =
            QDir(QCoreApplication::applicationDirPath()).filePath(CDbVisit::kLibraryFileName);
        const QString copy = QDir(dir.path()).filePath(CDbVisit::kLibraryFileName);
        if (!QFile::copy(source, copy)) {
            std::fprintf(stderr, "no library file at %s\n", qPrintable(source));
            return;
        }
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        db.m_pConnection = db.ConnectAccessDb(copy, CDbVisit::kPassword);
        if (!db.m_pConnection) {
            return;
        }
        db.ExecuteSql(QStringLiteral("delete from ") + kTable);
        // One transaction for the filling: the browser itself commits every change alone.
        db.ExecuteSql(QStringLiteral("begin"));
        for (int i = 0; i < kEntries; ++i) {
            db.AddRecord(kTable, QStringLiteral("item3"),
                         QStringLiteral("测试公司第%1号有限责任公司").arg(i),
                         QStringLiteral("item8"), QString());
        }
        db.ExecuteSql(QStringLiteral("commit"));
        ready = true;
    }
};

BigLibrary* g_library = nullptr;

void openBrowser(CBasicdatasetDlg& browser)
{
    LibraryConfiguration::company().applyTo(browser);
    browser.show();
    QCoreApplication::processEvents();
}

// Construct, fill the tree from the database and show: what the user waits for after
// pressing a library button.
void BM_OpenBrowser(benchmark::State& state)
{
    for (auto _ : state) {
        CBasicdatasetDlg browser(g_library->db);
        openBrowser(browser);
        auto* tree = browser.findChild<QTreeWidget*>(QStringLiteral("527"));
        if (tree->topLevelItemCount() < kEntries - 100) {
            state.SkipWithError("the tree is not filled");
        }
        state.PauseTiming();
        browser.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenBrowser)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// Delete through the real command (question answered Yes): two reads, one delete, the tree
// read again and the preview emptied. Each round deletes one of the entries.
void BM_DeleteAndRefresh(benchmark::State& state)
{
    CBasicdatasetDlg browser(g_library->db);
    openBrowser(browser);
    auto* tree = browser.findChild<QTreeWidget*>(QStringLiteral("527"));
    auto* deleteButton = browser.findChild<QPushButton*>(QStringLiteral("1072"));
    for (auto _ : state) {
        state.PauseTiming();
        // Any entry but the first: pick one from the middle.
        tree->setCurrentItem(tree->topLevelItem(tree->topLevelItemCount() / 2));
        state.ResumeTiming();
        deleteButton->click();
    }
    state.counters["entries_left"] = tree->topLevelItemCount();
}
BENCHMARK(BM_DeleteAndRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    SilentNotifier notifier;
    Notifier::setBackend(&notifier);
    const MessageStoreFeedback storeFeedback;
    BigLibrary library;
    if (!library.ready) {
        return 1;
    }
    g_library = &library;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Notifier::setBackend(nullptr);
    return 0;
}
