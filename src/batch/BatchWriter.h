#pragma once

#include "batch/BatchRecords.h"

#include <QDate>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

class BatchIssueRecorder;

// Where the certificates go: one file per row into a folder, file names from a pattern, or all
// of them, a page each, into one file; as PDF, or as OFD documents (GB/T 33190).
struct BatchOutput
{
    enum class Kind
    {
        PerRow,
        Combined
    };
    enum class Format
    {
        Pdf,
        Ofd
    };
    Kind kind = Kind::PerRow;
    QString folder;       // PerRow
    QString pattern;      // PerRow; empty for BatchFileNames::kDefaultPattern
    QString combinedPath; // Combined
    Format format = Format::Pdf;

    static BatchOutput perRow(const QString& folder, const QString& pattern = {},
                              Format format = Format::Pdf)
    {
        return BatchOutput{Kind::PerRow, folder, pattern, {}, format};
    }
    static BatchOutput combined(const QString& path, Format format = Format::Pdf)
    {
        return BatchOutput{Kind::Combined, {}, {}, path, format};
    }
    // ".pdf" or ".ofd".
    QString extension() const
    {
        return format == Format::Ofd ? QStringLiteral(".ofd") : QStringLiteral(".pdf");
    }
};

// What became of one row.
struct BatchOutcome
{
    int line = 0;
    QString name;
    QString file;   // the file written (PerRow) or the combined file
    QString reason; // why it was not written
};

struct BatchReport
{
    QList<BatchOutcome> written;
    QList<BatchOutcome> rejected;   // rows whose values failed the checks
    QList<BatchOutcome> failed;     // rows whose file could not be written
    QList<BatchOutcome> notWritten; // rows left when 取消 stopped the batch
    bool cancelled = false;

    bool allWritten() const
    {
        return rejected.isEmpty() && failed.isEmpty() && notWritten.isEmpty();
    }
};

// Writes the certificates of the accepted records, each page exactly as 导出PDF and
// `kavri-cli pdf` draw it, as PDF or OFD. One file per row uses a pool of worker threads (two
// per core); every file appears whole or not at all, and a row that fails does not stop the
// others. cancel() may be called from any thread: no new certificate is started, those being
// written are finished, and the report lists what was not written. A combined file is one
// file: on 取消 or a failure it is not written at all. An OFD document names the company as its
// author and keeps the certificate numbers of its pages.
class BatchWriter
{
public:
    BatchWriter(QString templateText, int width);

    void setRecorder(BatchIssueRecorder* recorder) { m_recorder = recorder; }
    // The template's name as the library lists it, for the recorder.
    void setTemplateName(const QString& name) { m_templateName = name; }
    void setThreadCount(int threads) { m_threads = threads; }
    // The date every certificate of a run states as its date of issue, and the register keeps:
    // the day the run starts unless set.
    void setIssueDate(QDate date) { m_issueDate = date; }
    // Called on the running thread after every row that is done (written, failed or skipped).
    void setProgress(std::function<void(int done, int total)> progress)
    {
        m_progress = std::move(progress);
    }

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    BatchReport run(const QList<BatchRecord>& records, const BatchOutput& output);

    // The certificate of one record as Generate composes it, with its number (empty for none).
    QString certificateFor(const BatchRecord& record, const QString& number) const;
    // The certificate's text and, through the recorder when there is one, its number (left
    // empty without one).
    QString issueText(const BatchRecord& record, QString* number = nullptr);

private:
    void writePerRow(const QList<BatchRecord>& records, const BatchOutput& output,
                     BatchReport* report);
    void writeCombined(const QList<BatchRecord>& records, const BatchOutput& output,
                       BatchReport* report);
    void reportProgress();
    QDate issueDate() const;

    QString m_templateText;
    QString m_templateName;
    QDate m_issueDate;
    QDate m_runIssueDate; // the date of the run under way
    int m_width;
    int m_threads = 0;
    BatchIssueRecorder* m_recorder = nullptr;
    std::function<void(int, int)> m_progress;
    std::atomic<bool> m_cancelled{false};
    int m_done = 0;
    int m_total = 0;
};
