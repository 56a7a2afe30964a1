#pragma once

#include "batch/BatchRecords.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

namespace Issue {
class CertificateIssuer;
struct Issued;
struct SealSubject;
} // namespace Issue

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
    QString number; // the register's number of a certificate written; empty for none
    // The wording check's hits in the certificate, each in its context ("“辞退”：……予以辞退。");
    // recorded with its leaving in the register.
    QStringList wording;
};

struct BatchReport
{
    QList<BatchOutcome> written;
    QList<BatchOutcome> rejected;   // rows whose values failed the checks
    QList<BatchOutcome> failed;     // rows whose file could not be written
    QList<BatchOutcome> notWritten; // rows left when 取消 or the register stopped the batch
    bool cancelled = false;
    // Why the register stopped the batch (in Chinese); empty when it did not.
    QString registerStop;
    // The run asked for no register: nothing was numbered or recorded.
    bool unregistered = false;

    // How many certificates written carry a number of the register.
    int numberedCount() const;
    // How many certificates written hold wording the check found.
    int wordingCount() const;

    bool allWritten() const
    {
        return rejected.isEmpty() && failed.isEmpty() && notWritten.isEmpty();
    }
};

// The certificates written with wording hits, one line each in the sheet's order:
// "第 3 行（张三）：“辞退”：……予以辞退。；“开除”：……".
QStringList batchWordingRows(const BatchReport& report);

// Writes the certificates of the accepted records, each page exactly as 导出PDF and
// `kavri-cli pdf` draw it, as PDF or OFD, every one issued through a CertificateIssuer
// (numbered and recorded in its register, unless the issuer uses none). One file per row uses a
// pool of worker threads (two per core); every file appears whole or not at all, and only once
// the register holds it: a row whose file fails does not stop the others, a register that
// cannot be used stops the batch (the rows left are listed as not written). cancel() may be
// called from any thread: no new certificate is started, those being written are finished, and
// the report lists what was not written. A combined file is one file: on 取消 or a failure it is
// not written at all. An OFD document names the company as its author and keeps the
// certificate numbers of its pages.
class BatchWriter
{
public:
    BatchWriter(QString templateText, int width);
    ~BatchWriter();

    // The issuer the certificates go through; without one they are issued unregistered. The
    // issuer is used on the thread that runs run().
    void setIssuer(Issue::CertificateIssuer* issuer) { m_issuer = issuer; }
    // The template's name as the library lists it, for the register.
    void setTemplateName(const QString& name) { m_templateName = name; }
    void setThreadCount(int threads) { m_threads = threads; }
    // The phrases of the wording check every certificate passes before it leaves (the office's
    // list); kavri's own list unless set. A hit never stops a certificate: it is recorded with
    // its leaving and listed in the report.
    void setWordingPhrases(QStringList phrases) { m_phrases = std::move(phrases); }
    // The date every certificate of a run states as its date of issue, and the register keeps:
    // the day the run starts unless set.
    void setIssueDate(QDate date) { m_issueDate = date; }
    // Called on the running thread after every row that is done (written, failed or skipped).
    void setProgress(std::function<void(int done, int total)> progress)
    {
        m_progress = std::move(progress);
    }

    // Called on the running thread as each accepted row is begun, with its line.
    void setRowStarting(std::function<void(int line)> starting)
    {
        m_rowStarting = std::move(starting);
    }

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    BatchReport run(const QList<BatchRecord>& records, const BatchOutput& output);

    // The certificate of one record as Generate composes it, without a number.
    QString certificateFor(const BatchRecord& record) const;

private:
    void writePerRow(const QList<BatchRecord>& records, const BatchOutput& output,
                     BatchReport* report);
    void writeCombined(const QList<BatchRecord>& records, const BatchOutput& output,
                       BatchReport* report);
    Issue::Issued issue(const BatchRecord& record);
    // A row the issuer refused: listed as rejected with its problems, or, when the register
    // could not be used, noted as what stops the batch (true: stop here).
    static bool refuse(const BatchRecord& record, const Issue::Issued& issued, BatchReport* report);
    Issue::SealSubject sealSubjectOf(const Issue::Issued& issued) const;
    void reportProgress();
    QDate issueDate() const;
    // The wording check's hits in a certificate's text, each in its context.
    QStringList wordingOf(const QString& text) const;

    QString m_templateText;
    QString m_templateName;
    QStringList m_phrases;
    QDate m_issueDate;
    QDate m_runIssueDate; // the date of the run under way
    int m_width;
    int m_threads = 0;
    Issue::CertificateIssuer* m_issuer = nullptr;
    std::unique_ptr<Issue::CertificateIssuer> m_unregistered;
    std::function<void(int, int)> m_progress;
    std::function<void(int)> m_rowStarting;
    std::atomic<bool> m_cancelled{false};
    int m_done = 0;
    int m_total = 0;
};
