#include "batch/BatchWriter.h"

#include "batch/BatchFileNames.h"
#include "batch/BatchIssueRecorder.h"
#include "batch/CombinedCertificateOfd.h"
#include "batch/CombinedCertificatePdf.h"
#include "compose/CertificateComposer.h"
#include "print/CertificateBody.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"

#include <QDir>
#include <QThread>
#include <QThreadPool>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const QString kCancelledReason = QStringLiteral("已取消，未写入");

BatchOutcome outcomeOf(const BatchRecord& record, const QString& file = {},
                       const QString& reason = {})
{
    return BatchOutcome{record.line, record.value(BatchField::Name), file, reason};
}

// One certificate on its way to a file on a worker thread.
struct PendingFile
{
    const BatchRecord* record = nullptr;
    QString text;
    QString path;
    std::future<QString> error; // empty when the file was written
};

// Every PDF document allocates and frees large blocks inside Qt's PDF engine: to embed the
// font subset it copies the face's whole glyph table (17 MiB for AR PL UMing), besides the
// compressor's state and the map from glyphs back to characters. With glibc's defaults blocks
// that large are mapped afresh for each document and given back at each free, so every
// document faults its megabytes in again, zeroed: about a fifth of a certificate's time.
// Blocks up to 32 MiB (glibc's largest threshold) now come from the heap and freed memory stays
// there for the next document; the peak stays what the workers' documents need at once.
void keepFreedMemoryForReuse()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    });
#endif
}

} // namespace

BatchWriter::BatchWriter(QString templateText, int width)
    : m_templateText(std::move(templateText)), m_width(width)
{
}

QDate BatchWriter::issueDate() const
{
    return m_issueDate.isValid() ? m_issueDate : QDate::currentDate();
}

QString BatchWriter::certificateFor(const BatchRecord& record, const QString& number) const
{
    CertificateValues values =
        record.certificateValues(m_runIssueDate.isValid() ? m_runIssueDate : issueDate());
    values.certificateNumber = number;
    return Compose::ComposeCertificate(m_templateText, values, m_width);
}

QString BatchWriter::issueText(const BatchRecord& record, QString* number)
{
    if (number) {
        number->clear();
    }
    if (!m_recorder) {
        return certificateFor(record, QString());
    }
    return m_recorder->reserve(record, [this, &record, number](const QString& given) {
        if (number) {
            *number = given;
        }
        return certificateFor(record, given);
    });
}

void BatchWriter::reportProgress()
{
    ++m_done;
    if (m_progress) {
        m_progress(m_done, m_total);
    }
}

BatchReport BatchWriter::run(const QList<BatchRecord>& records, const BatchOutput& output)
{
    BatchReport report;
    m_done = 0;
    m_total = int(records.size());
    m_runIssueDate = issueDate();
    if (m_recorder) {
        m_recorder->begin(m_templateName, m_templateText, m_runIssueDate);
    }
    QList<BatchRecord> accepted;
    for (const BatchRecord& record : records) {
        if (record.accepted()) {
            accepted << record;
        } else {
            report.rejected << outcomeOf(record, {}, record.problems.join(QStringLiteral("；")));
            reportProgress();
        }
    }
    if (output.kind == BatchOutput::Kind::PerRow) {
        writePerRow(accepted, output, &report);
    } else {
        writeCombined(accepted, output, &report);
    }
    report.cancelled = isCancelled();
    return report;
}

void BatchWriter::writePerRow(const QList<BatchRecord>& records, const BatchOutput& output,
                              BatchReport* report)
{
    const QDir folder(output.folder);
    if (!folder.exists() && !QDir().mkpath(output.folder)) {
        for (const BatchRecord& record : records) {
            report->failed << outcomeOf(record, {},
                                        QStringLiteral("无法创建文件夹 %1").arg(output.folder));
            reportProgress();
        }
        return;
    }
    BatchFileNames names(output.pattern, BatchFileNames::namesIn(output.folder),
                         output.extension());
    keepFreedMemoryForReuse();

    QThreadPool pool;
    // Two workers per core: QSaveFile syncs every finished file to disk, and while one worker
    // waits for that, the other keeps the core busy.
    const int threads = m_threads > 0 ? m_threads : 2 * qMax(1, QThread::idealThreadCount());
    pool.setMaxThreadCount(threads);
    // A few certificates queued per worker keeps every core busy while the memory held stays
    // the same however long the sheet is.
    const size_t maxInFlight = size_t(threads) * 2;
    std::deque<PendingFile> inFlight;

    const auto finishOldest = [&] {
        PendingFile& pending = inFlight.front();
        const QString error = pending.error.get();
        if (error.isEmpty()) {
            report->written << outcomeOf(*pending.record, pending.path);
            if (m_recorder) {
                m_recorder->issued(*pending.record, pending.text, pending.path);
            }
        } else {
            report->failed << outcomeOf(*pending.record, {}, error);
            if (m_recorder) {
                m_recorder->withdraw(*pending.record);
            }
        }
        inFlight.pop_front();
        reportProgress();
    };

    qsizetype next = 0;
    for (; next < records.size() && !isCancelled(); ++next) {
        const BatchRecord& record = records.at(next);
        PendingFile pending;
        pending.record = &record;
        QString number;
        pending.text = issueText(record, &number);
        pending.path = folder.filePath(names.takeNameFor(record));
        auto task = std::make_shared<std::packaged_task<QString()>>(
            [path = pending.path, body = CertificateBody(pending.text),
             ofd = output.format == BatchOutput::Format::Ofd,
             info =
                 CertificateOfdInfo{record.value(BatchField::Company), {number}, m_runIssueDate}] {
                QString error;
                const bool written = ofd ? ExportCertificateOfd(path, body, info, &error)
                                         : ExportCertificatePdf(path, body, &error);
                if (!written) {
                    return error.isEmpty() ? QStringLiteral("无法写入文件") : error;
                }
                return QString();
            });
        pending.error = task->get_future();
        pool.start([task] { (*task)(); });
        inFlight.push_back(std::move(pending));
        while (inFlight.size() >= maxInFlight) {
            finishOldest();
        }
    }
    while (!inFlight.empty()) {
        finishOldest();
    }
    for (; next < records.size(); ++next) {
        report->notWritten << outcomeOf(records.at(next), {}, kCancelledReason);
        reportProgress();
    }
}

namespace {

// The one file of a combined run, in the format asked for.
class CombinedFile
{
public:
    explicit CombinedFile(BatchOutput::Format format, QDate created)
        : m_ofd(format == BatchOutput::Format::Ofd), m_created(created)
    {
    }
    bool open(const QString& path, QString* error)
    {
        return m_ofd ? m_ofdFile.open(path, error) : m_pdfFile.open(path, error);
    }
    void addPage(QStringView body, const QString& number, const QString& company)
    {
        if (m_ofd) {
            m_ofdFile.addPage(body, number, company);
        } else {
            m_pdfFile.addPage(body);
        }
    }
    bool commit(QString* error)
    {
        return m_ofd ? m_ofdFile.commit(m_created, error) : m_pdfFile.commit(error);
    }

private:
    bool m_ofd;
    QDate m_created;
    CombinedCertificatePdf m_pdfFile;
    CombinedCertificateOfd m_ofdFile;
};

} // namespace

void BatchWriter::writeCombined(const QList<BatchRecord>& records, const BatchOutput& output,
                                BatchReport* report)
{
    CombinedFile pdf(output.format, m_runIssueDate);
    QString error;
    if (!pdf.open(output.combinedPath, &error)) {
        for (const BatchRecord& record : records) {
            report->failed << outcomeOf(
                record, {}, QStringLiteral("无法写入 %1：%2").arg(output.combinedPath, error));
            reportProgress();
        }
        return;
    }
    QStringList texts;
    texts.reserve(records.size());
    qsizetype next = 0;
    for (; next < records.size() && !isCancelled(); ++next) {
        const BatchRecord& record = records.at(next);
        QString number;
        texts << issueText(record, &number);
        pdf.addPage(CertificateBody(texts.back()), number, record.value(BatchField::Company));
        if (m_progress) {
            m_progress(m_done + int(next) + 1, m_total);
        }
    }

    // One file: it is written whole with every page, or not at all.
    const bool cancelled = isCancelled();
    const bool committed = !cancelled && pdf.commit(&error);
    for (qsizetype i = 0; i < records.size(); ++i) {
        const BatchRecord& record = records.at(i);
        if (committed) {
            report->written << outcomeOf(record, output.combinedPath);
            if (m_recorder) {
                m_recorder->issued(record, texts.at(i), output.combinedPath);
            }
        } else {
            if (cancelled) {
                report->notWritten << outcomeOf(record, {}, kCancelledReason);
            } else {
                report->failed << outcomeOf(
                    record, {}, QStringLiteral("无法写入 %1：%2").arg(output.combinedPath, error));
            }
            if (m_recorder && i < texts.size()) {
                m_recorder->withdraw(record);
            }
        }
    }
    m_done += int(records.size());
}
