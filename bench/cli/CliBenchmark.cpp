// Prints how long kavri-cli takes as a whole process, the way a script meets it:
//
//   cli_benchmark [RUNS] [ROWS]     (20 and 1000 unless given)
//
// `kavri-cli pdf` of one certificate RUNS times after one run that is not counted (it warms the
// page cache): median, fastest and slowest wall time, and the median processor time. Then
// `kavri-cli batch` of a sheet of ROWS leavers, per certificate: one PDF per row without the
// register, the same with every certificate numbered in a register, and one combined PDF. Each
// figure comes with the load average when it was taken: on a machine that other work shares,
// wall time follows the load.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

const char kTemplate[] =
    "　　兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）于【入职日期】进入【公司名称】，"
    "在【部门】担任【职位】一职，于【离职日期】因【离职原因】离职，离职交接手续已全部办妥。<br>"
    "　　自离职之日起，本公司与其之间的劳动关系即告解除。<br>　　特此证明。<br><br>"
    "<div style=\"float: right;\">【公司名称】（盖章）<br>【离职日期】</div>";

struct Run
{
    int status = -1;
    double wallMs = 0;
    double cpuMs = 0;
};

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double cpuOf(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// One kavri-cli process, its output thrown away.
Run runCli(const QStringList& args)
{
    std::vector<QByteArray> bytes{QByteArray(KAVRI_CLI_PATH)};
    for (const QString& arg : args) {
        bytes.push_back(arg.toUtf8());
    }
    std::vector<char*> argv;
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallMs = nowMs() - start;
    run.cpuMs = cpuOf(usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("?");
    }
    return QString::fromLatin1(file.readAll().split(' ').value(0));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QStringList kValues = {
    QStringLiteral("--name"),       QStringLiteral("张伟"),
    QStringLiteral("--gender"),     QStringLiteral("男"),
    QStringLiteral("--id"),         QStringLiteral("110101199003071234"),
    QStringLiteral("--company"),    QStringLiteral("北京星辰科技有限公司"),
    QStringLiteral("--department"), QStringLiteral("研发部"),
    QStringLiteral("--position"),   QStringLiteral("软件工程师"),
    QStringLiteral("--joined"),     QStringLiteral("2019年3月1日"),
    QStringLiteral("--left"),       QStringLiteral("2024年5月31日"),
    QStringLiteral("--reason"),     QStringLiteral("个人原因"),
};

int benchPdf(const QTemporaryDir& dir, const QString& templatePath, int runs)
{
    const QStringList args = QStringList{QStringLiteral("pdf"), QStringLiteral("--template"),
                                         templatePath, QStringLiteral("--out"),
                                         dir.filePath(QStringLiteral("one.pdf"))} +
                             kValues;
    if (runCli(args).status != 0) {
        std::fprintf(stderr, "kavri-cli pdf failed\n");
        return 1;
    }
    const QString loadBefore = loadAverage();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const Run run = runCli(args);
        if (run.status != 0) {
            std::fprintf(stderr, "kavri-cli pdf failed (exit %d)\n", run.status);
            return 1;
        }
        wall.push_back(run.wallMs);
        cpu.push_back(run.cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("kavri-cli pdf, one certificate, %d runs: median %.1f ms  min %.1f ms  max %.1f ms"
                "  (processor time: median %.1f ms)  load %s -> %s\n",
                runs, wall[wall.size() / 2], wall.front(), wall.back(), cpu[cpu.size() / 2],
                qPrintable(loadBefore), qPrintable(loadAverage()));
    return 0;
}

int benchBatch(const QTemporaryDir& dir, const QString& templatePath, int rows)
{
    static const char* const surnames[] = {"张", "李", "王", "赵", "陈", "刘", "杨", "黄"};
    QByteArray csv = "姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因\n";
    for (int i = 0; i < rows; ++i) {
        csv += QStringLiteral("%1伟%2,%3,1101011990%4,北京星辰科技有限公司,研发部,软件工程师,"
                              "2019年3月%5日,2024年5月%6日,个人原因\n")
                   .arg(QString::fromUtf8(surnames[i % 8]))
                   .arg(i)
                   .arg(i % 2 ? QStringLiteral("女") : QStringLiteral("男"))
                   .arg(i, 8, 10, QChar(u'0'))
                   .arg(1 + i % 28)
                   .arg(1 + i % 31)
                   .toUtf8();
    }
    const QString data = dir.filePath(QStringLiteral("rows.csv"));
    if (!writeFile(data, csv)) {
        return 1;
    }
    struct Case
    {
        const char* name;
        QStringList args;
        const char* unit;
    };
    const QString registerFile = dir.filePath(QStringLiteral("register.db"));
    const QList<Case> cases = {
        {"one PDF per row, no register",
         {QStringLiteral("--out"), dir.filePath(QStringLiteral("plain")),
          QStringLiteral("--no-register")},
         "certificate"},
        {"one PDF per row, numbered in a register",
         {QStringLiteral("--out"), dir.filePath(QStringLiteral("numbered")),
          QStringLiteral("--register"), registerFile},
         "certificate"},
        {"one combined PDF, no register",
         {QStringLiteral("--combined"), dir.filePath(QStringLiteral("all.pdf")),
          QStringLiteral("--no-register")},
         "page"},
    };
    int status = 0;
    for (const Case& c : cases) {
        const QString loadBefore = loadAverage();
        const Run run = runCli(QStringList{QStringLiteral("batch"), QStringLiteral("--data"),
                                           data, QStringLiteral("--template"), templatePath} +
                               c.args);
        if (run.status != 0) {
            std::fprintf(stderr, "kavri-cli batch (%s) failed (exit %d)\n", c.name, run.status);
            status = 1;
            continue;
        }
        std::printf("kavri-cli batch, %d rows, %s: %.0f ms, %.2f ms per %s  (processor time "
                    "%.2f ms per %s)  load %s -> %s\n",
                    rows, c.name, run.wallMs, run.wallMs / rows, c.unit, run.cpuMs / rows, c.unit,
                    qPrintable(loadBefore), qPrintable(loadAverage()));
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("template.txt"));
    if (!dir.isValid() || !writeFile(templatePath, QByteArray(kTemplate))) {
        std::fprintf(stderr, "cannot write the template\n");
        return 1;
    }
    int status = benchPdf(dir, templatePath, runs);
    status |= benchBatch(dir, templatePath, rows);
    return status;
}
