#pragma once

#include "batch/BatchRecords.h"

#include <QDate>
#include <QString>
#include <functional>

// Where a batch reports the certificates it issues, e.g. a register of issued certificates.
// The batch calls it on the thread that runs BatchWriter::run() (the dialog's worker thread,
// kavri-cli's main thread), one certificate at a time, in the sheet's order:
//   begin()    once at the start of every run, with the template the certificates are made of
//              and the date they are issued on (their 【出具日期】);
//   reserve()  before the certificate is written. `compose` makes the whole certificate text
//              (title included) for a certificate number, "" for none; the recorder calls it
//              with the number it allocates and returns the text, which is then written;
//   issued()   once the certificate's file is whole on disk, with the text it holds;
//   withdraw() when a reserved certificate was not written after all (a write failure, 取消).
class BatchIssueRecorder
{
public:
    using Composer = std::function<QString(const QString& number)>;

    virtual ~BatchIssueRecorder() = default;

    virtual void begin(const QString& templateName, const QString& templateText, QDate issued)
    {
        (void)templateName;
        (void)templateText;
        (void)issued;
    }
    virtual QString reserve(const BatchRecord& record, const Composer& compose) = 0;
    virtual void issued(const BatchRecord& record, const QString& text, const QString& file) = 0;
    virtual void withdraw(const BatchRecord& record) = 0;
};
