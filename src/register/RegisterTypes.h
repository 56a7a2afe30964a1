#pragma once

#include "compose/FormFields.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Plain records of the certificate register (出具登记簿). Times are UTC; texts are as they were
// shown or sent, CR LF line breaks included.
namespace Register {

// One form value under the name of its placeholder without the brackets ("姓名", "身份证号",
// "离职日期" ...). Fields the form grows later are stored the same way.
struct FormValue
{
    QString key;
    QString value;
    bool operator==(const FormValue&) const = default;
};
using FormValues = QList<FormValue>;

// The keys the register reads for its list and search columns: the labels of the form's fields
// that the list shows.
namespace Keys {
inline const QString kName =
    Compose::fieldOfColumn(Compose::RegisterColumn::Name).label.toString();
inline const QString kIdNumber =
    Compose::fieldOfColumn(Compose::RegisterColumn::IdNumber).label.toString();
inline const QString kCompany =
    Compose::fieldOfColumn(Compose::RegisterColumn::Company).label.toString();
inline const QString kLeaveDate =
    Compose::fieldOfColumn(Compose::RegisterColumn::LeaveDate).label.toString();
} // namespace Keys

// What Generate knows before the number is given.
struct NewEntry
{
    QString templateName;
    QString templateText;
    FormValues values;
};

// What adding an entry gives back.
struct IssuedEntry
{
    qint64 id = 0;
    QString number;
    QString text;
};

enum class EventKind
{
    Printed,
    PdfExported,
    Copied,
    OfdExported,
    // Duties done for the leaver after the certificate was made, recorded as events of the entry
    // like its leavings: how the certificate reached the person, and the day the personnel file
    // and the social insurance were transferred.
    Delivered,
    Transferred,
};

// Stored names of the event kinds, and the words the user sees.
QString eventKindKey(EventKind kind);
std::optional<EventKind> eventKindFromKey(const QString& key);
QString eventKindLabel(EventKind kind);
// Whether the event is the certificate's text leaving kavri (printed, exported, copied), as
// opposed to a duty recorded about it; only those make a draft issued.
bool leavesKavri(EventKind kind);

// How a certificate reached the person who left.
enum class DeliveryMethod
{
    InPerson, // 当面签收
    Post,     // 邮寄, with the waybill number
    Email,    // 电子邮件
    Other,    // 其他
};

// One delivery record: how, the waybill of a posted one, and the day the person received it
// (invalid while the receipt is not confirmed).
struct Delivery
{
    DeliveryMethod method = DeliveryMethod::InPerson;
    QString waybill;
    QDate received;
    QString note;
    bool operator==(const Delivery&) const = default;
};

// One line of the list.
struct EntrySummary
{
    qint64 id = 0;
    QString number;
    QDateTime createdAt;
    QString name;
    QString idNumber; // in full; mask it for display
    QString company;
    QString leaveDate;    // as the form held it
    QDate leaveDay;       // parsed, invalid when the text was no date
    bool issued = false;  // false: a draft (未出具)
    QString lastEventKey; // empty for drafts
    QDateTime lastEventAt;
    std::optional<Delivery> delivery; // the newest delivery record, if any
    QDate transferDay; // the personnel file and social insurance transferred; invalid: not yet
};

struct Version
{
    qint64 id = 0;
    int versionNo = 0;
    QString text;
    QString sha256; // hex, of the text's UTF-8 bytes
    QDateTime createdAt;
    QString operatorName; // who recorded it; empty in registers older than the chain
};

struct Event
{
    qint64 id = 0;
    EventKind kind = EventKind::Copied;
    QDateTime at;
    int versionNo = 0;
    QString sha256;
    QString operatorName; // who recorded it; empty in registers older than the chain
    // What the event records besides the text: a delivery record or a transfer day (see
    // DutyRecords.h), or a note the user confirmed with the leaving; empty when nothing.
    QString detail;
};

struct Entry
{
    EntrySummary summary;
    QString operatorName;
    QString templateName;
    QString templateText;
    FormValues values;
    QList<Version> versions; // oldest first; versions[0] is the text Generate made
    QList<Event> events;     // oldest first
};

enum class DateField
{
    Leaving, // the 离职日期 of the form
    Created, // when the entry was made
};

struct SearchQuery
{
    QString name;     // part of the name
    QString idNumber; // part of the ID number
    QString number;   // part of the certificate number
    DateField dateField = DateField::Leaving;
    QDate from; // inclusive; invalid = open
    QDate to;   // inclusive; invalid = open
    // Only certificates that left kavri and whose receipt is not confirmed (未确认送达).
    bool undeliveredOnly = false;
    int offset = 0;
    int limit = 100; // <= 0: no limit
    bool isEmpty() const
    {
        return name.isEmpty() && idNumber.isEmpty() && number.isEmpty() && !from.isValid() &&
               !to.isValid() && !undeliveredOnly;
    }
};

// Where a presented text first differs from the recorded one (1-based line and column, counted in
// UTF-16 characters, lines ending at LF).
struct Difference
{
    int line = 0;
    int column = 0;
    qsizetype offset = 0; // in the recorded text
    QString recordedExcerpt;
    QString presentedExcerpt;
};

struct VerifyResult
{
    enum class Outcome
    {
        NotFound,  // the register holds no such certificate
        Match,     // held, and the text is exactly one of the texts that left
        Mismatch,  // held (by number), but the text differs
        NumberOnly // held; only a number was given, nothing to compare
    };
    // How the entry was found.
    enum class FoundBy
    {
        Number,            // typed in, or printed in the text
        WholeText,         // a text without a number, word for word a text that left
        NameAndIdNumber,   // a text without a number holding an entry's name and ID number
        NameAndLeaveDate,  // ... or its name and leaving date
    };
    Outcome outcome = Outcome::NotFound;
    FoundBy foundBy = FoundBy::Number;
    int otherCandidates = 0; // found by the content like the entry, but further from the text
    QString number; // the number looked up or found in the text
    std::optional<Entry> entry;
    int matchedVersion = 0;               // for Match
    std::optional<Difference> difference; // for Mismatch, against the closest version
};

// The verdict of walking the register's hash chain and its numbers (register audit).
struct AuditResult
{
    bool intact = false;
    qint64 rows = 0; // rows of the chain walked
    QString head;    // the last link (hex); what a later audit can be given as "since"
    qint64 failedRow = 0; // position of the first row that fails; 0 when it is no row
    QString problem;      // what failed, in Chinese; empty when intact
};

} // namespace Register
