#pragma once

#include "batch/BatchRecords.h"

#include <QString>

// Where a batch reports the certificates it issues, e.g. a register of issued certificates.
// The batch calls it on the thread that runs BatchWriter::run(), one certificate at a time, in
// the sheet's order:
//   reserve()  before the certificate is composed; the returned text (empty for none) is the
//              certificate's number, which the certificate carries;
//   issued()   once the certificate's file is whole on disk;
//   withdraw() when a reserved certificate was not written after all (a write failure, 取消).
class BatchIssueRecorder
{
public:
    virtual ~BatchIssueRecorder() = default;

    virtual QString reserve(const BatchRecord& record) = 0;
    virtual void issued(const BatchRecord& record, const QString& number, const QString& file) = 0;
    virtual void withdraw(const BatchRecord& record, const QString& number) = 0;
};
