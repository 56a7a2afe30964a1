#pragma once

#include "register/RegisterTypes.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace Register {

class CertificateRegister;

// One line of the duties' lists: the entry, the day its certificate first left kavri (invalid
// for a draft) and the days it is late by (a draft: the days since the leaving day).
struct DueLine
{
    EntrySummary summary;
    QDate firstIssued;
    int daysLate = 0;
};

// What the office has not done on time, as of `today`: drafts whose leaving day has passed
// (待出具), oldest leaving day first; certificates that first left after the leaving day
// (逾期), most days late first; and entries more than 15 days past the leaving day with no
// transfer of the personnel file and social insurance recorded, most days past first (their
// daysLate counts from the last day of the 15).
struct DueLists
{
    QList<DueLine> drafts;
    QList<DueLine> late;
    QList<DueLine> transfers;
};

// The register's entries read whole (every entry's first event is needed); a failure is a
// Chinese sentence in *error.
std::optional<DueLists> dueLists(CertificateRegister& reg, const QDate& today, QString* error);

// The three lists as text, tab-separated lines under a heading each, ID numbers left out (the
// number names the entry).
QString dueListsText(const DueLists& lists);

} // namespace Register
