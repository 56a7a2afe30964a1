#pragma once

#include "batch/BatchField.h"
#include "batch/SheetTable.h"
#include "compose/CertificateValues.h"
#include "issue/CertificateIssuer.h"
#include "legal/RecordedValues.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// Which column of the sheet holds which field, found by the header.
struct BatchColumns
{
    std::array<int, kBatchFieldCount> columnOf; // -1 where the sheet has no such column
    QStringList unknown;    // headers that name no field, as written (never an error)
    QStringList duplicates; // a field's header seen again; the first column counts

    BatchColumns() { columnOf.fill(-1); }
    int column(BatchField field) const { return columnOf[field.index()]; }
    bool has(BatchField field) const { return column(field) >= 0; }
};

BatchColumns matchBatchColumns(const QStringList& header);

// What the rows may borrow from the main window: its current values (dates in the long form),
// used for a field only when the clerk ticked that field and only where a row leaves it empty.
struct BatchFallback
{
    std::array<QString, kBatchFieldCount> values;
    std::array<bool, kBatchFieldCount> useForEmpty{};

    void set(BatchField field, const QString& value)
    {
        values[field.index()] = value;
        useForEmpty[field.index()] = true;
    }
};

// One row of the sheet made ready for a certificate: values trimmed, dates in the long form,
// the reason trimmed as Generate trims it. A row with problems is not written.
struct BatchRecord
{
    int line = 0; // the row's number in the sheet
    std::array<QString, kBatchFieldCount> values;
    QStringList problems; // in Chinese, one sentence each
    // Worth a look but never a reason to skip the row, as the main window's hints never stop
    // Generate: an ID-card number that fails its check, or whose sex contradicts 性别.
    QStringList warnings;

    bool accepted() const { return problems.isEmpty(); }
    const QString& value(BatchField field) const { return values[field.index()]; }
    // The composer's values: the nine, the contract term, the years of service computed from the
    // two dates, and `issued` as the date of issue.
    CertificateValues certificateValues(QDate issued = QDate::currentDate()) const;
    // What the row asks the issuer for: a certificate of the template with its values.
    Issue::Request request(const QString& templateName, const QString& templateText,
                           QDate issued) const;
    // The row's contract and service dates, with `issued` as the date of issue.
    Legal::LegalDates legalDates(QDate issued) const;
};

// The whole sheet made ready: every non-blank row, accepted or not.
struct BatchSheet
{
    BatchColumns columns;
    QList<BatchRecord> records;
    int blankRows = 0;

    int acceptedCount() const;
};

// Checks the header: nullopt when the sheet cannot be used at all (no 姓名 column), with the
// reason in `error`.
std::optional<BatchSheet> prepareBatchSheet(const SheetTable& table, const QString& templateText,
                                            const BatchFallback& fallback, QString* error);

// The values of one row, checked. Fields whose placeholder the template uses must not be empty.
BatchRecord prepareBatchRecord(const SheetRow& row, const BatchColumns& columns, bool date1904,
                               const QString& templateText, const BatchFallback& fallback);
