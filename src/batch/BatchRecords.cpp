#include "batch/BatchRecords.h"

#include "batch/BatchDates.h"
#include "compose/CertificateComposer.h"
#include "compose/FormFields.h"
#include "compose/ValueCharacters.h"
#include "legal/ContractTerm.h"
#include "legal/IdNumberCheck.h"
#include "legal/LegalPlaceholders.h"
#include "legal/LongDate.h"
#include "legal/ServiceYears.h"

#include <QRegularExpression>

namespace {

QString& slot(std::array<QString, kBatchFieldCount>& values, BatchField field)
{
    return values[field.index()];
}

// A number written the way a spreadsheet shows a long number in a general cell.
bool looksLikeScientific(const QString& text)
{
    static const QRegularExpression scientific(
        QStringLiteral("^[+-]?\\d+(?:\\.\\d+)?[eE][+-]?\\d+$"));
    return scientific.match(text).hasMatch();
}

const QString kDateForms =
    QStringLiteral("可写作 2024-05-31、2024/5/31、2024.5.31 或 2024年5月31日");

std::optional<bool> openEndedFlag(const QString& text)
{
    static const QStringList yes = {QStringLiteral("是"),  QStringLiteral("Y"),
                                    QStringLiteral("YES"), QStringLiteral("TRUE"),
                                    QStringLiteral("1"),   QStringLiteral("√")};
    static const QStringList no = {QStringLiteral("否"), QStringLiteral("N"),
                                   QStringLiteral("NO"), QStringLiteral("FALSE"),
                                   QStringLiteral("0"),  QString()};
    const QString upper = text.trimmed().toUpper();
    if (yes.contains(upper)) {
        return true;
    }
    if (no.contains(upper)) {
        return false;
    }
    return std::nullopt;
}

// A date the row holds in the long form; an invalid date when it holds none.
QDate dateOf(const BatchRecord& record, BatchField field)
{
    return BatchDates::parse(record.value(field)).value_or(QDate());
}

bool isOpenEnded(const BatchRecord& record)
{
    return record.value(BatchField::OpenEnded) == u"是";
}

// What the placeholders beyond the nine need from the row: the contract's start and its end (or
// 无固定期限), and both dates for the years of service.
void checkLegalValues(BatchRecord* record, const QString& templateText)
{
    const auto missing = [record](BatchField field, const QString& note) {
        const QString header = batchFieldHeader(field);
        for (const QString& problem : record->problems) {
            if (problem.startsWith(header)) {
                return; // already said why the value is not there
            }
        }
        record->problems << QStringLiteral("缺少%1%2").arg(header, note);
    };
    if (templateText.contains(Legal::kContractTermMarker)) {
        if (record->value(BatchField::ContractStart).isEmpty()) {
            missing(BatchField::ContractStart, QString());
        }
        if (!isOpenEnded(*record) && record->value(BatchField::ContractEnd).isEmpty()) {
            missing(BatchField::ContractEnd, QStringLiteral("（无固定期限的合同在“无固定期限”列填“是”）"));
        }
        const QString hint = Legal::contractTermHint(dateOf(*record, BatchField::ContractStart),
                                                     dateOf(*record, BatchField::ContractEnd),
                                                     isOpenEnded(*record));
        if (!hint.isEmpty()) {
            record->problems << hint;
        }
    }
    if (templateText.contains(Legal::kServiceYearsMarker)) {
        for (BatchField field : {Compose::FieldIndex::JoinDate, Compose::FieldIndex::LeaveDate}) {
            const QString marker = QStringLiteral("【%1】").arg(batchFieldHeader(field));
            // Reported already when the template uses the date itself.
            if (record->value(field).isEmpty() && !templateText.contains(marker)) {
                missing(field, QStringLiteral("（工作年限由入职日期和离职日期算出）"));
            }
        }
    }
}

// The ID-card number's check, as the main window's hint says it.
void checkIdNumber(BatchRecord* record)
{
    const QString& number = record->value(Compose::FieldIndex::IdNumber);
    const Legal::IdCheck check = Legal::checkIdNumber(number);
    const QString verdict = Legal::idVerdictText(check.verdict);
    if (!verdict.isEmpty()) {
        record->warnings << QStringLiteral("身份证号“%1”%2").arg(number, verdict);
    }
    const QString mismatch = Legal::sexMismatchHint(check, record->value(Compose::FieldIndex::Gender));
    if (!mismatch.isEmpty()) {
        record->warnings << mismatch;
    }
}

} // namespace

Legal::LegalDates BatchRecord::legalDates(QDate issued) const
{
    return {dateOf(*this, BatchField::ContractStart),
            dateOf(*this, BatchField::ContractEnd),
            isOpenEnded(*this),
            dateOf(*this, Compose::FieldIndex::JoinDate),
            dateOf(*this, Compose::FieldIndex::LeaveDate),
            issued};
}

Issue::Request BatchRecord::request(const QString& templateName, const QString& templateText,
                                    QDate issued) const
{
    Issue::Request request;
    request.templateName = templateName;
    request.templateText = templateText;
    for (size_t i = 0; i < request.fields.size(); ++i) {
        request.fields[i] = values[i];
    }
    request.dates = legalDates(issued);
    return request;
}

CertificateValues BatchRecord::certificateValues(QDate issued) const
{
    return Issue::CertificateIssuer::valuesOf(request({}, {}, issued));
}

int BatchSheet::acceptedCount() const
{
    int count = 0;
    for (const BatchRecord& record : records) {
        count += record.accepted() ? 1 : 0;
    }
    return count;
}

BatchColumns matchBatchColumns(const QStringList& header)
{
    BatchColumns columns;
    for (int i = 0; i < header.size(); ++i) {
        const QString& text = header.at(i);
        const std::optional<BatchField> field = batchFieldOfHeader(text);
        if (!field) {
            if (!text.trimmed().isEmpty()) {
                columns.unknown << text.trimmed();
            }
        } else if (columns.has(*field)) {
            columns.duplicates << text.trimmed();
        } else {
            columns.columnOf[field->index()] = i;
        }
    }
    return columns;
}

BatchRecord prepareBatchRecord(const SheetRow& row, const BatchColumns& columns, bool date1904,
                               const QString& templateText, const BatchFallback& fallback)
{
    BatchRecord record;
    record.line = row.line;
    std::optional<QDate> joinDate;
    std::optional<QDate> leaveDate;

    for (BatchField field : kBatchFields) {
        const int column = columns.column(field);
        const SheetCell& cell = row.cell(column);
        const QString header = batchFieldHeader(field);
        QString text = cell.text.trimmed();

        // Checked before the trim, which would take a control character at either end away
        // unseen.
        if (const QString problem = Compose::valueCharacterProblem(cell.text, header);
            !problem.isEmpty()) {
            record.problems << problem;
            continue;
        }
        if (text.isEmpty() && fallback.useForEmpty[field.index()]) {
            const QString& borrowed = fallback.values[field.index()];
            if (const QString problem = Compose::valueCharacterProblem(borrowed, header);
                !problem.isEmpty()) {
                record.problems << problem;
                continue;
            }
            slot(record.values, field) = borrowed;
            if (field == Compose::FieldIndex::JoinDate) {
                joinDate = BatchDates::parse(slot(record.values, field));
            } else if (field == Compose::FieldIndex::LeaveDate) {
                leaveDate = BatchDates::parse(slot(record.values, field));
            }
            continue;
        }

        if (field == Compose::FieldIndex::IdNumber && (cell.isNumber || looksLikeScientific(text))) {
            record.problems << QStringLiteral("身份证号“%1”存成了数字，末几位已丢失：请把表格中"
                                              "身份证号一列设置为文本格式，重新填写后再导入")
                                   .arg(text);
            continue;
        }

        if (isDateField(field) && !text.isEmpty()) {
            const std::optional<QDate> date = cell.isNumber
                                                  ? BatchDates::fromSerial(cell.number, date1904)
                                                  : BatchDates::parse(text);
            if (!date) {
                record.problems
                    << QStringLiteral("%1“%2”不是有效的日期（%3）").arg(header, text, kDateForms);
                continue;
            }
            text = BatchDates::longForm(*date);
            if (field == Compose::FieldIndex::JoinDate) {
                joinDate = date;
            } else if (field == Compose::FieldIndex::LeaveDate) {
                leaveDate = date;
            }
        } else if (field == Compose::FieldIndex::Gender && !text.isEmpty() && text != u"男" &&
                   text != u"女") {
            record.problems << QStringLiteral("性别“%1”应为“男”或“女”").arg(text);
            continue;
        } else if (field == BatchField::OpenEnded) {
            const std::optional<bool> flag = openEndedFlag(text);
            if (!flag) {
                record.problems << QStringLiteral("无固定期限“%1”应为“是”或“否”").arg(text);
                continue;
            }
            text = *flag ? QStringLiteral("是") : QString();
        } else if (field == Compose::FieldIndex::Reason) {
            text = Compose::TrimReasonText(text);
        }
        slot(record.values, field) = text;
    }

    // A value the template asks for must be there: a certificate with a gap is no use.
    for (int i = 0; i < Compose::kFormFieldCount; ++i) {
        const BatchField field = kBatchFields[size_t(i)];
        const QString marker = QStringLiteral("【%1】").arg(batchFieldHeader(field));
        if (record.value(field).isEmpty() && templateText.contains(marker)) {
            bool alreadyReported = false;
            for (const QString& problem : record.problems) {
                alreadyReported = alreadyReported || problem.startsWith(batchFieldHeader(field));
            }
            if (!alreadyReported) {
                record.problems << QStringLiteral("缺少%1").arg(batchFieldHeader(field));
            }
        }
    }
    if (joinDate && leaveDate && *leaveDate < *joinDate) {
        record.problems << QStringLiteral("离职日期早于入职日期");
    }
    checkLegalValues(&record, templateText);
    checkIdNumber(&record);
    return record;
}

std::optional<BatchSheet> prepareBatchSheet(const SheetTable& table, const QString& templateText,
                                            const BatchFallback& fallback, QString* error)
{
    BatchSheet sheet;
    sheet.columns = matchBatchColumns(table.header);
    if (!sheet.columns.has(Compose::FieldIndex::Name)) {
        if (error) {
            *error = QStringLiteral("表头（第一行）中没有“%1”列。表头应写作：%2")
                         .arg(batchFieldHeader(Compose::FieldIndex::Name),
                              Compose::fieldLabels(QStringLiteral("、")));
        }
        return std::nullopt;
    }
    sheet.blankRows = table.blankRows;
    sheet.records.reserve(table.rows.size());
    for (const SheetRow& row : table.rows) {
        if (row.isBlank()) {
            ++sheet.blankRows;
            continue;
        }
        sheet.records << prepareBatchRecord(row, sheet.columns, table.date1904, templateText,
                                            fallback);
    }
    return sheet;
}
