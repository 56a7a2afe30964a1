#include "LegalOptions.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "legal/ContractTerm.h"
#include "legal/LegalPlaceholders.h"
#include "legal/LongDate.h"
#include "legal/ServiceYears.h"

#include <QRegularExpression>

namespace LegalOptions {

namespace {

const QString kContractStart = QStringLiteral("contract-start");
const QString kContractEnd = QStringLiteral("contract-end");
const QString kOpenEnded = QStringLiteral("open-ended");
const QString kIssued = QStringLiteral("issued");

// Reads the option's date; nullopt (no error) when the option is absent.
bool optionDate(const CliOptions& options, const QString& name, std::optional<QDate>* date,
                QString* error)
{
    if (!options.has(name)) {
        *date = std::nullopt;
        return true;
    }
    *date = parseDate(options.value(name));
    if (!*date) {
        *error = QStringLiteral("--%1“%2”不是有效的日期（可写作 2021-03-01 或 2021年3月1日）")
                     .arg(name, options.value(name));
        return false;
    }
    return true;
}

} // namespace

QStringList valueOptionNames()
{
    return {kContractStart, kContractEnd, kIssued};
}

QStringList flagNames()
{
    return {kOpenEnded};
}

std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression longForm(
        QStringLiteral("^(\\d{4})年(\\d{1,2})月(\\d{1,2})日$"));
    for (const QRegularExpression* form : {&iso, &longForm}) {
        const QRegularExpressionMatch match = form->match(text.trimmed());
        if (match.hasMatch()) {
            const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                             match.captured(3).toInt());
            if (date.isValid()) {
                return date;
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool fillDates(const CliOptions& options, const QString& templateText, QDate today,
               Legal::LegalDates* dates, QStringList* notes, QString* error)
{
    std::optional<QDate> start;
    std::optional<QDate> end;
    std::optional<QDate> issued;
    if (!optionDate(options, kContractStart, &start, error) ||
        !optionDate(options, kContractEnd, &end, error) ||
        !optionDate(options, kIssued, &issued, error)) {
        return false;
    }
    const bool openEnded = options.has(kOpenEnded);
    if ((end || openEnded) && !start) {
        *error = QStringLiteral("给了 --contract-end 或 --open-ended，还要给 --contract-start");
        return false;
    }
    if (start && !end && !openEnded) {
        *error = QStringLiteral("给了 --contract-start，还要给 --contract-end 或 --open-ended");
        return false;
    }
    if (start) {
        dates->contractStart = *start;
        dates->contractEnd = end.value_or(QDate());
        dates->openEnded = openEnded;
        // A term no certificate can state is bad input, as in the form and the batch.
        const QString problem = Legal::contractTermHint(*start, end.value_or(QDate()), openEnded);
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
    }

    // --joined and --left are free text for the nine (trimmed like picker texts); they only
    // have to be dates when the template states the years of service.
    const QString joinedName = QStringLiteral("joined");
    const QString leftName = QStringLiteral("left");
    if (templateText.contains(Legal::kServiceYearsMarker) && options.has(joinedName) &&
        options.has(leftName)) {
        std::optional<QDate> joined;
        std::optional<QDate> left;
        if (!optionDate(options, joinedName, &joined, error) ||
            !optionDate(options, leftName, &left, error)) {
            return false;
        }
        const Legal::ServiceYears years = Legal::serviceYears(*joined, *left);
        dates->joined = *joined;
        dates->left = *left;
        if (!years.hint.isEmpty()) {
            notes->append(years.hint);
        }
    }

    dates->issued = issued.value_or(today);
    return true;
}

bool completeDates(const CliOptions& options, const QString& templateText,
                   Legal::LegalDates* dates, QString* error)
{
    QStringList notes;
    if (!fillDates(options, templateText, QDate::currentDate(), dates, &notes, error)) {
        return false;
    }
    for (const QString& note : notes) {
        CliInput::say(note);
    }
    return true;
}

} // namespace LegalOptions
