// Prints, for 1,000 and 10,000 rows: the time per certificate of one PDF per row, the time per
// page of one combined PDF, and the peak resident memory (VmHWM) of each run. Every run is a
// child process of its own, so that each peak belongs to that run alone.
//
//   batch_benchmark                 every case, then 1,000 runs of `kavri-cli pdf`
//   batch_benchmark perrow N [T]    one case, in this process (T worker threads)
//   batch_benchmark register N [T]  one PDF per row, every certificate entered in a register
//   batch_benchmark combined N
//   batch_benchmark perrow-ofd N [T], combined-ofd N   the same, written as OFD documents
//   batch_benchmark cli N           N runs of `kavri-cli pdf`, with the median of one run

#include "issue/CertificateIssuer.h"
#include "batch/BatchWriter.h"
#include "print/FontSubstitutions.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

const QString kTemplate = QStringLiteral(
    "　　兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）于【入职日期】进入【公司名称】，"
    "在【部门】担任【职位】一职，于【离职日期】因【离职原因】离职，离职交接手续已全部办妥。<br>"
    "　　自离职之日起，本公司与其之间的劳动关系即告解除。<br>　　特此证明。<br><br>"
    "<div style=\"float: right;\">【公司名称】（盖章）<br>【离职日期】</div>");

QList<BatchRecord> makeRecords(int count)
{
    static const QStringList surnames = {"张", "李", "王", "赵", "陈", "刘", "杨", "黄"};
    static const QStringList given = {"伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "艳"};
    QList<BatchRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        BatchRecord r;
        r.line = i + 2;
        auto set = [&r](BatchField f, const QString& v) { r.values[f.index()] = v; };
        set(Compose::FieldIndex::Name,
            surnames[i % surnames.size()] + given[(i / 8) % given.size()] + QString::number(i));
        set(Compose::FieldIndex::Gender, i % 2 ? QStringLiteral("女") : QStringLiteral("男"));
        set(Compose::FieldIndex::IdNumber, QStringLiteral("1101011990%1").arg(i, 8, 10, QChar(u'0')));
        set(Compose::FieldIndex::Company, QStringLiteral("北京星辰科技有限公司"));
        set(Compose::FieldIndex::Department, QStringLiteral("研发部"));
        set(Compose::FieldIndex::Position, QStringLiteral("软件工程师"));
        set(Compose::FieldIndex::JoinDate, QStringLiteral("2019年3月%1日").arg(1 + i % 28));
        set(Compose::FieldIndex::LeaveDate, QStringLiteral("2024年5月%1日").arg(1 + i % 31));
        set(Compose::FieldIndex::Reason, QStringLiteral("个人原因"));
        records << r;
    }
    return records;
}

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// CPU time of this process so far (every thread, user and system), in milliseconds. On a
// machine that other work shares, wall time / rows depends on the load; CPU time / rows / cores
// is what the batch itself costs.
double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

int runCase(const QString& modeName, int count, int threads)
{
    // "-ofd" writes the same certificates as OFD documents.
    const bool ofd = modeName.endsWith(QStringLiteral("-ofd"));
    const QString mode = ofd ? modeName.chopped(4) : modeName;
    const BatchOutput::Format format = ofd ? BatchOutput::Format::Ofd : BatchOutput::Format::Pdf;
    const QString extension = ofd ? QStringLiteral("ofd") : QStringLiteral("pdf");
    QTemporaryDir dir;
    const QList<BatchRecord> records = makeRecords(count);
    BatchWriter writer(kTemplate, 32);
    writer.setThreadCount(threads);
    // The register as kavri-cli batch uses it: beside the output, entries made on this thread.
    // Without it, the run is unregistered.
    std::unique_ptr<Register::CertificateRegister> reg;
    Issue::CertificateIssuer issuer;
    if (mode == u"register") {
        QString error;
        reg =
            Register::CertificateRegister::open(dir.filePath(Register::kRegisterFileName), &error);
        if (!reg) {
            std::fprintf(stderr, "no register: %s\n", qPrintable(error));
            return 1;
        }
        issuer.useRegister(reg.get());
        issuer.setRegisterUse(Issue::RegisterUse::Required);
        writer.setIssuer(&issuer);
    }
    const BatchOutput output =
        mode == u"combined"
            ? BatchOutput::combined(dir.filePath(QStringLiteral("all.") + extension), format)
            : BatchOutput::perRow(dir.path(), {}, format);
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    const BatchReport report = writer.run(records, output);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const double cpu = cpuMs() - cpuBefore;
    if (report.written.size() != count) {
        std::fprintf(stderr, "only %lld of %d written\n", qlonglong(report.written.size()), count);
        return 1;
    }
    qint64 bytes = 0;
    for (const QFileInfo& info :
         QDir(dir.path()).entryInfoList({QStringLiteral("*.") + extension})) {
        bytes += info.size();
    }
    std::printf("%-12s %6d rows  %8.0f ms  %6.2f ms/%s  (CPU %6.2f ms/%s)  peak %6.1f MiB  "
                "output %.1f MiB\n",
                qPrintable(modeName), count, ms, ms / count, mode == u"combined" ? "page" : "cert",
                cpu / count, mode == u"combined" ? "page" : "cert", double(peakKiB()) / 1024.0,
                double(bytes) / (1024.0 * 1024.0));
    return 0;
}

int runCli(int count)
{
#ifdef KAVRI_CLI_PATH
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("template.txt"));
    QFile file(templatePath);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(kTemplate.toUtf8());
    file.close();
    const QList<BatchRecord> records = makeRecords(count);
    // Each run as a script meets it: the whole process, start to exit.
    std::vector<double> runs;
    runs.reserve(records.size());
    QElapsedTimer timer;
    timer.start();
    for (const BatchRecord& r : records) {
        QElapsedTimer run;
        run.start();
        const QStringList args = {QStringLiteral("pdf"),
                                  QStringLiteral("--template"),
                                  templatePath,
                                  QStringLiteral("--out"),
                                  dir.filePath(QStringLiteral("%1.pdf").arg(r.line)),
                                  QStringLiteral("--name"),
                                  r.value(Compose::FieldIndex::Name),
                                  QStringLiteral("--gender"),
                                  r.value(Compose::FieldIndex::Gender),
                                  QStringLiteral("--id"),
                                  r.value(Compose::FieldIndex::IdNumber),
                                  QStringLiteral("--company"),
                                  r.value(Compose::FieldIndex::Company),
                                  QStringLiteral("--department"),
                                  r.value(Compose::FieldIndex::Department),
                                  QStringLiteral("--position"),
                                  r.value(Compose::FieldIndex::Position),
                                  QStringLiteral("--joined"),
                                  r.value(Compose::FieldIndex::JoinDate),
                                  QStringLiteral("--left"),
                                  r.value(Compose::FieldIndex::LeaveDate),
                                  QStringLiteral("--reason"),
                                  r.value(Compose::FieldIndex::Reason)};
        if (QProcess::execute(QStringLiteral(KAVRI_CLI_PATH), args) != 0) {
            std::fprintf(stderr, "kavri-cli pdf failed\n");
            return 1;
        }
        runs.push_back(double(run.nsecsElapsed()) / 1e6);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::sort(runs.begin(), runs.end());
    std::printf("%-9s %6d runs  %9.0f ms  %6.2f ms/cert (one process per certificate)\n",
                "kavri-cli", count, ms, ms / count);
    if (!runs.empty()) {
        std::printf("%-9s one run: median %.1f ms  min %.1f ms  max %.1f ms\n", "kavri-cli",
                    runs[runs.size() / 2], runs.front(), runs.back());
    }
    return 0;
#else
    (void)count;
    std::printf("kavri-cli not built\n");
    return 0;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "cli") {
        QCoreApplication app(argc, argv);
        return runCli(QByteArray(argv[2]).toInt());
    }
    if (argc == 3 || argc == 4) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        InstallFontSubstitutions();
        return runCase(QString::fromLatin1(argv[1]), QByteArray(argv[2]).toInt(),
                       argc == 4 ? QByteArray(argv[3]).toInt() : 0);
    }
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    int status = 0;
    for (const char* mode : {"perrow", "perrow-ofd", "register", "combined", "combined-ofd"}) {
        for (const char* count : {"1000", "10000"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(self, {QString::fromLatin1(mode), QString::fromLatin1(count)});
            child.waitForFinished(-1);
            status |= child.exitCode();
        }
    }
    status |= runCli(1000);
    return status;
}
