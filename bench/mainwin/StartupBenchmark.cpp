// Measures the program's start-up: from constructing CkavriApp to the main window shown and
// filled. Every sample runs in a fresh process (one application object per process, fonts and
// resources loaded cold as at a real start), on the delivered library file and on a copy
// whose four choice tables hold 100,000 entries each. Prints median, minimum and maximum.
#include "app/CkavriApp.h"
#include "store/LibraryFile.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "ui/main/CkavriDlg.h"

#include <QTest>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 100000;

// One sample, in this process: prints the milliseconds to stdout.
int measureOnce(int argc, char** argv, const char* library)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const auto start = std::chrono::steady_clock::now();
    CkavriApp app(argc, argv);
    CkavriDlg dlg(app.m_dbVisit, app.m_strCertText, QString::fromLocal8Bit(library));
    app.m_pMainWnd = &dlg;
    dlg.OnInitDialog();
    if (!QTest::qWaitForWindowExposed(&dlg)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.3f\n", std::chrono::duration<double, std::milli>(end - start).count());
    dlg.close();
    return 0;
}

bool fillChoiceTables(const fs::path& file)
{
    QString error;
    auto connection =
        SqlConnection::open(QString::fromStdString(file.string()), LibraryFile::kPassword, &error);
    if (!connection) {
        std::fprintf(stderr, "cannot open %s: %s\n", file.c_str(), qPrintable(error));
        return false;
    }
    for (const char* table : {"company_item_table", "department_item_table", "position_item_table",
                              "reason_item_bable"}) {
        // Names in a scattered order, so that the sorted combos have real sorting to do.
        const QString statement =
            QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n "
                           "where i < %1) insert into %2 (upid, item1, item2, item3, item4, item5, "
                           "item6, item7, item8, item9, item10) select 0, '', '', "
                           "'条目' || printf('%06d', (i * 7919) % %1), '', '', '', '', '', '', '' "
                           "from n")
                .arg(kEntries)
                .arg(QString::fromLatin1(table));
        if (!connection->execute(statement, &error)) {
            std::fprintf(stderr, "cannot fill %s: %s\n", table, qPrintable(error));
            return false;
        }
    }
    return true;
}

struct Figures
{
    double median = 0;
    double min = 0;
    double max = 0;
};

bool sample(const fs::path& self, const fs::path& library, int runs, Figures* figures)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const std::string command = "'" + self.string() + "' --once '" + library.string() + "'";
        FILE* pipe = popen(command.c_str(), "r");
        double ms = -1;
        if (!pipe || std::fscanf(pipe, "%lf", &ms) != 1) {
            if (pipe) {
                pclose(pipe);
            }
            return false;
        }
        if (pclose(pipe) != 0) {
            return false;
        }
        samples.push_back(ms);
    }
    std::sort(samples.begin(), samples.end());
    figures->median = samples[samples.size() / 2];
    figures->min = samples.front();
    figures->max = samples.back();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--once") {
        return measureOnce(argc, argv, argv[2]);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const fs::path self = fs::canonical("/proc/self/exe");
    const fs::path delivered = self.parent_path() / LibraryFile::kFileName.toStdString();
    if (!fs::exists(delivered)) {
        std::fprintf(stderr, "no delivered library at %s\n", delivered.c_str());
        return 1;
    }
    char pattern[] = "/tmp/kavri-startup-XXXXXX";
    if (!mkdtemp(pattern)) {
        return 1;
    }
    const fs::path dir(pattern);
    const fs::path small = dir / "delivered.dll";
    const fs::path large = dir / "large.dll";
    fs::copy_file(delivered, small);
    fs::copy_file(delivered, large);
    if (!fillChoiceTables(large)) {
        return 1;
    }

    std::printf("start-up to the main window shown, %d runs each, fresh process per run\n", runs);
    const std::pair<const char*, fs::path> cases[] = {
        {"delivered library", small},
        {"4 x 100,000 choice entries", large},
    };
    int status = 0;
    for (const auto& [name, file] : cases) {
        Figures f;
        if (!sample(self, file, runs, &f)) {
            std::fprintf(stderr, "%s: a run failed\n", name);
            status = 1;
            continue;
        }
        std::printf("%-28s median %8.1f ms   min %8.1f ms   max %8.1f ms\n", name, f.median, f.min,
                    f.max);
    }
    fs::remove_all(dir);
    return status;
}
