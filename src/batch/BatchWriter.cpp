#include "batch/BatchWriter.h"

#include "batch/BatchFileNames.h"
#include "batch/CombinedCertificateOfd.h"
#include "batch/CombinedCertificatePdf.h"
#include "compose/CertificateComposer.h"
#include "issue/CertificateIssuer.h"
#include "issue/StagedFile.h"
#include "legal/WordingCheck.h"
#include "print/CertificateBody.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePdfExport.h"

#include <QDir>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
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
                       const QString& reason = {}, const QString& number = {},
                       const QStringList& wording = {})
{
    return BatchOutcome{record.line, record.value(Compose::FieldIndex::Name), file, reason, number, wording};
}

// One certificate on its way to a file on a worker thread.
struct PendingFile
{
    const BatchRecord* record = nullptr;
    qint64 entryId = 0;
    QString number;
    QString text;
    Register::LeavingNote note;
    std::shared_ptr<StagedFile> file;
    std::future<QString> error; // empty when the file was written
};

// Why a row was not written when the register stopped the batch.
const QString kRegisterStopReason = QStringLiteral("登记簿无法使用，未写入");

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

int BatchReport::numberedCount() const
{
    int count = 0;
    for (const BatchOutcome& o : written) {
        count += o.number.isEmpty() ? 0 : 1;
    }
    return count;
}

int BatchReport::wordingCount() const
{
    int count = 0;
    for (const BatchOutcome& o : written) {
        count += o.wording.isEmpty() ? 0 : 1;
    }
    return count;
}

QStringList batchWordingRows(const BatchReport& report)
{
    QList<const BatchOutcome*> rows;
    for (const BatchOutcome& o : report.written) {
        if (!o.wording.isEmpty()) {
            rows.append(&o);
        }
    }
    // Per-row files are finished in the order they are written, not always the sheet's.
    std::stable_sort(rows.begin(), rows.end(), [](const BatchOutcome* a, const BatchOutcome* b) {
        return a->line < b->line;
    });
    QStringList lines;
    for (const BatchOutcome* o : rows) {
        lines.append(QStringLiteral("第 %1 行（%2）：%3")
                         .arg(o->line)
                         .arg(o->name, o->wording.join(QStringLiteral("；"))));
    }
    return lines;
}

BatchWriter::BatchWriter(QString templateText, int width)
    : m_templateText(std::move(templateText)),
      m_phrases(Legal::parseWordingList(Legal::defaultWordingListText())), m_width(width)
{
}

BatchWriter::~BatchWriter() = default;

QDate BatchWriter::issueDate() const
{
    return m_issueDate.isValid() ? m_issueDate : QDate::currentDate();
}

QString BatchWriter::certificateFor(const BatchRecord& record) const
{
    const QDate issued = m_runIssueDate.isValid() ? m_runIssueDate : issueDate();
    return Compose::ComposeCertificate(m_templateText, record.certificateValues(issued), m_width);
}

Issue::SealSubject BatchWriter::sealSubjectOf(const Issue::Issued& issued) const
{
    return Issue::SealSubject{m_templateText, issued.values, m_runIssueDate};
}

Issue::Issued BatchWriter::issue(const BatchRecord& record)
{
    if (m_rowStarting) {
        m_rowStarting(record.line);
    }
    return m_issuer->issue(record.request(m_templateName, m_templateText, m_runIssueDate),
                           m_width);
}

bool BatchWriter::refuse(const BatchRecord& record, const Issue::Issued& issued,
                         BatchReport* report)
{
    if (issued.refusal == Issue::Issued::Refusal::Register) {
        report->registerStop = issued.problems.join(u'\n');
        return true;
    }
    report->rejected << outcomeOf(record, {}, issued.problems.join(QStringLiteral("；")));
    return false;
}

QStringList BatchWriter::wordingOf(const QString& text) const
{
    return Legal::wordingLines(Legal::checkWording(text, m_phrases));
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
    if (!m_issuer) {
        if (!m_unregistered) {
            m_unregistered = std::make_unique<Issue::CertificateIssuer>();
            m_unregistered->setRegisterUse(Issue::RegisterUse::None);
        }
        m_issuer = m_unregistered.get();
    }
    report.unregistered = m_issuer->registerUse() == Issue::RegisterUse::None;
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
    if (m_issuer == m_unregistered.get()) {
        m_issuer = nullptr;
    }
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
    // Two workers per core: every finished file is synced to disk, and while one worker waits
    // for that, the other keeps the core busy.
    const int threads = m_threads > 0 ? m_threads : 2 * qMax(1, QThread::idealThreadCount());
    pool.setMaxThreadCount(threads);
    // A few certificates queued per worker keeps every core busy while the memory held stays
    // the same however long the sheet is.
    const size_t maxInFlight = size_t(threads) * 2;
    std::deque<PendingFile> inFlight;
    bool stopped = false;
    const bool ofd = output.format == BatchOutput::Format::Ofd;
    const Issue::LeavingKind leaving = ofd ? Issue::LeavingKind::Ofd : Issue::LeavingKind::Batch;

    // A written file goes in place only together with its record in the register.
    const auto finishOldest = [&] {
        PendingFile& pending = inFlight.front();
        const QString error = pending.error.get();
        const BatchRecord& record = *pending.record;
        if (!error.isEmpty()) {
            // The entry stays a draft: its number was given once, and no certificate left
            // with it.
            report->failed << outcomeOf(record, {}, error);
        } else if (stopped) {
            report->notWritten << outcomeOf(record, {}, kRegisterStopReason);
        } else {
            const Issue::Left left = m_issuer->leave(pending.entryId, leaving, pending.text,
                                                     pending.file.get(), pending.note);
            if (left) {
                report->written << outcomeOf(record, pending.file->target(), {}, pending.number,
                                             pending.note.wording);
            } else if (left.registerFailed) {
                stopped = true;
                report->registerStop = left.error;
                report->notWritten << outcomeOf(record, {}, kRegisterStopReason);
            } else {
                report->failed << outcomeOf(record, {}, left.error);
            }
        }
        inFlight.pop_front();
        reportProgress();
    };

    qsizetype next = 0;
    for (; next < records.size() && !isCancelled() && !stopped; ++next) {
        const BatchRecord& record = records.at(next);
        const Issue::Issued issued = issue(record);
        if (!issued.made()) {
            if (refuse(record, issued, report)) {
                stopped = true;
                break;
            }
            reportProgress();
            continue;
        }
        // Signed here, once, with the text as it leaves; the worker draws the code.
        const Issue::Sealed sealed = m_issuer->seal(sealSubjectOf(issued), issued.text);
        if (sealed.failed()) {
            report->failed << outcomeOf(record, {}, sealed.error);
            reportProgress();
            continue;
        }
        PendingFile pending;
        pending.record = &record;
        pending.entryId = issued.entryId;
        pending.number = issued.number;
        pending.text = issued.text;
        pending.note.seal = sealed.seal;
        pending.note.wording = wordingOf(issued.text);
        pending.file = std::make_shared<StagedFile>(folder.filePath(names.takeNameFor(record)));
        auto task = std::make_shared<std::packaged_task<QString()>>(
            [file = pending.file, body = CertificateBody(pending.text), ofd, code = sealed.code,
             info = CertificateOfdInfo{record.value(Compose::FieldIndex::Company), {issued.number},
                                       m_runIssueDate}] {
                QString error;
                const bool written =
                    ofd ? file->writeAt(
                              [&](const QString& path, QString* why) {
                                  return ExportCertificateOfd(path, body, info, why, code);
                              },
                              &error)
                        : file->write(
                              [&body, &code](QFile& device, QString* why) {
                                  return WriteCertificatePdf(&device, body, why, code);
                              },
                              &error);
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
        report->notWritten << outcomeOf(records.at(next), {},
                                        stopped ? kRegisterStopReason : kCancelledReason);
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
    bool open(StagedFile* file, QString* error)
    {
        return m_ofd ? m_ofdFile.open(file, error) : m_pdfFile.open(file, error);
    }
    void addPage(QStringView body, const QString& number, const QString& company,
                 const Seal::QrMatrix& code)
    {
        if (m_ofd) {
            m_ofdFile.addPage(body, number, company, code);
        } else {
            m_pdfFile.addPage(body, code);
        }
    }
    // Ends the document and writes it whole to the staged file.
    bool finish(QString* error)
    {
        return m_ofd ? m_ofdFile.finish(m_created, error) : m_pdfFile.finish(error);
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
    StagedFile file(output.combinedPath);
    CombinedFile pdf(output.format, m_runIssueDate);
    QString error;
    if (!pdf.open(&file, &error)) {
        for (const BatchRecord& record : records) {
            report->failed << outcomeOf(
                record, {}, QStringLiteral("无法写入 %1：%2").arg(output.combinedPath, error));
            reportProgress();
        }
        return;
    }
    // The rows that get a page, with their issued certificates.
    QList<const BatchRecord*> paged;
    QList<Issue::CertificateIssuer::Page> pages;
    QStringList numbers;
    bool stopped = false;
    QString sealError; // a page could not be signed: the file cannot be made
    qsizetype next = 0;
    for (; next < records.size() && !isCancelled(); ++next) {
        const BatchRecord& record = records.at(next);
        const Issue::Issued issued = issue(record);
        if (!issued.made()) {
            if (refuse(record, issued, report)) {
                stopped = true;
                break;
            }
            ++m_done;
            continue;
        }
        const Issue::Sealed sealed = m_issuer->seal(sealSubjectOf(issued), issued.text);
        if (sealed.failed()) {
            // One file: without this page's code it cannot be made at all.
            sealError = sealed.error;
            paged << &record;
            numbers << issued.number;
            ++next;
            break;
        }
        paged << &record;
        Issue::CertificateIssuer::Page page{issued.entryId, issued.text, {}};
        page.note.seal = sealed.seal;
        page.note.wording = wordingOf(issued.text);
        pages << page;
        numbers << issued.number;
        pdf.addPage(CertificateBody(issued.text), issued.number, record.value(Compose::FieldIndex::Company),
                    sealed.code);
        if (m_progress) {
            m_progress(m_done + int(paged.size()), m_total);
        }
    }

    // One file: it is written whole with every page, and put in place together with the
    // register's record of every page, or not at all.
    const bool cancelled = isCancelled() && !stopped;
    bool written = false;
    bool registerFailed = false;
    if (!sealError.isEmpty()) {
        error = QStringLiteral("无法写入 %1：%2").arg(output.combinedPath, sealError);
    } else if (!stopped && !cancelled) {
        if (pdf.finish(&error)) {
            const Issue::Left left =
                m_issuer->leaveTogether(pages,
                                        output.format == BatchOutput::Format::Ofd
                                            ? Issue::LeavingKind::Ofd
                                            : Issue::LeavingKind::Batch,
                                        &file);
            written = bool(left);
            registerFailed = left.registerFailed;
            if (!left) {
                error = left.error;
                if (registerFailed) {
                    report->registerStop = left.error;
                }
            }
        } else {
            error = QStringLiteral("无法写入 %1：%2").arg(output.combinedPath, error);
        }
    }
    for (qsizetype i = 0; i < paged.size(); ++i) {
        const BatchRecord& record = *paged.at(i);
        if (written) {
            report->written << outcomeOf(record, output.combinedPath, {}, numbers.at(i),
                                         pages.at(i).note.wording);
        } else if (stopped || registerFailed) {
            report->notWritten << outcomeOf(record, {}, kRegisterStopReason);
        } else if (cancelled) {
            report->notWritten << outcomeOf(record, {}, kCancelledReason);
        } else {
            report->failed << outcomeOf(record, {}, error);
        }
    }
    for (; next < records.size(); ++next) {
        if (!sealError.isEmpty()) {
            report->failed << outcomeOf(records.at(next), {}, error);
        } else {
            report->notWritten << outcomeOf(records.at(next), {},
                                            stopped ? kRegisterStopReason : kCancelledReason);
        }
    }
    // Every row has been counted, whether it was paged, refused or left.
    m_done = m_total;
}
