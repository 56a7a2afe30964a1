// One Generate of the main window, library bookkeeping included, on a private copy of the
// delivered library: with values the libraries hold (four default marks moved) and with a
// company the library lacks (one entry added per Generate).
#include "app/CkavriApp.h"
#include "ui/common/Notifier.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/MainDialogIds.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

// Statement failures would open message boxes; a benchmark counts them instead.
class CountingNotifier : public Notifier::Backend
{
public:
    Notifier::Answer show(QWidget*, const Notifier::Notice&) override
    {
        ++count;
        return Notifier::Answer::Ok;
    }
    int count = 0;
};

CountingNotifier g_notices;
CkavriDlg* g_window = nullptr;

void BM_GenerateKnownValues(benchmark::State& state)
{
    for (auto _ : state) {
        g_window->OnGenerate();
    }
    state.counters["notices"] = g_notices.count;
}
BENCHMARK(BM_GenerateKnownValues)->Unit(benchmark::kMillisecond);

void BM_GenerateNewCompany(benchmark::State& state)
{
    auto* company = g_window->control<QComboBox>(MainIds::kCompany);
    const QString original = company->currentText();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        company->setEditText(QStringLiteral("基准测试公司%1").arg(++n));
        state.ResumeTiming();
        g_window->OnGenerate();
    }
    company->setEditText(original);
    state.counters["notices"] = g_notices.count;
}
BENCHMARK(BM_GenerateNewCompany)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    CkavriApp app(argc, argv);
    Notifier::setBackend(&g_notices);
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("bdsj_conn.dll"));
    if (!QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/bdsj_conn.dll"),
                     copy)) {
        std::fprintf(stderr, "no delivered library beside the benchmark\n");
        return 1;
    }
    CkavriDlg window(app.m_dbVisit, app.m_strCertText, copy);
    window.OnInitDialog();
    g_window = &window;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window.close();
    Notifier::setBackend(nullptr);
    return g_notices.count == 0 ? 0 : 1;
}
