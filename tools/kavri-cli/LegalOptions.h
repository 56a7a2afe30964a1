#pragma once

#include "legal/RecordedValues.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class CliOptions;

// The options for the placeholders beyond the nine: the contract term, the years of service and
// the date of issue, turned into the texts the form would put in.
namespace LegalOptions {

// --contract-start, --contract-end, --issued take a date; --open-ended takes none.
QStringList valueOptionNames();
QStringList flagNames();

// "2021-03-01" or the long form "2021年3月1日"; nullopt when the text is neither, or names a day
// the calendar does not have.
std::optional<QDate> parseDate(const QString& text);

// Fills the dates of the contract term, the years of service and the date of issue for
// `templateText`. The years of service come from --joined and --left, read as dates only when
// the template asks for them; without both they stay invalid. The date of issue is `today`
// unless --issued names another. False with `error` set for a date that cannot be read, a term
// that lacks its end or one that ends before it starts. `notes` receives hints that do not stop
// the certificate (leaving before joining).
bool fillDates(const CliOptions& options, const QString& templateText, QDate today,
               Legal::LegalDates* dates, QStringList* notes, QString* error);

// fillDates for the date of today, with the notes written to stderr as "kavri-cli: …".
bool completeDates(const CliOptions& options, const QString& templateText,
                   Legal::LegalDates* dates, QString* error);

} // namespace LegalOptions
