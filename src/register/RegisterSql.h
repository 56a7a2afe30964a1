#pragma once

#include <QList>

// Every SQL text of the register, in one place: the schema of each version, the steps that
// carry a file from one version to the next, and the statements the storage runs. Another
// back end (a server database) starts from here.
namespace Register::Sql {

// The schema version a new file gets, and the one the program works with (PRAGMA user_version).
inline constexpr int kCurrentVersion = 4;

// The whole schema of version 1 (the first release of the register). Kept so that the step to
// version 2 can be tested on a real version-1 file.
extern const char* const kSchemaV1;

// From version 1 to 2: the leaving date as a real date (leave_day, yyyy-MM-dd) for date ranges
// and retention. The column is filled by the program after this runs, since the form's date text
// ("2024年3月5日") is not something SQL parses.
extern const char* const kMigrateV1toV2;
extern const char* const kSelectLeaveDatesForV2; // id, leave_date
extern const char* const kSetLeaveDay;           // leave_day = ?1 where id = ?2

// From version 2 to 3: the duties around a leaver. An event may carry a detail (a delivery
// record, a transfer day, a note); the entry keeps its newest delivery record, the day the
// receipt was confirmed and the transfer day for its list and the 未确认送达 search.
extern const char* const kMigrateV2toV3;
// From version 3 to 4: the hash chain (see RegisterChain.h). Every version and event gets its
// operator, its position in the chain and its link; deletions are recorded in a table of their
// own; chain_head keeps the last position and link for appending. The rows a file already
// holds are linked by the program after this runs, oldest first.
extern const char* const kMigrateV3toV4;
extern const char* const kSelectUnlinkedForV4; // kind (0 version, 1 event), id, in time order
extern const char* const kSetVersionLink;      // chain_pos ?1, link ?2 where id ?3
extern const char* const kSetEventLink;        // chain_pos ?1, link ?2 where id ?3

extern const char* const kCountTables;

// The chain.
extern const char* const kSelectHead;  // pos, link
extern const char* const kUpsertHead;  // pos ?1, link ?2
extern const char* const kInsertDeletion; // pos, link, at, operator, reason, numbers, removed
// Of the entries that [WHERE] (a retention clause) selects: their chain rows, their numbers.
extern const char* const kSelectChainOfExpired; // pos, link
extern const char* const kSelectNumbersOfExpired;
extern const char* const kVersionChainData;   // number, entry time, entry operator, template
extern const char* const kSelectSequenceRow;  // last of year ?1 in sequences only

// Numbers.
extern const char* const kSelectSequence; // last for year ?1 (also max(seq) of entries)
extern const char* const kUpsertSequence; // year ?1, last ?2

// Templates are stored once per (name, text).
extern const char* const kFindTemplate;   // id where name ?1 and text ?2
extern const char* const kInsertTemplate; // name ?1, text ?2

extern const char* const kInsertEntry;
extern const char* const kInsertValue; // entry ?1, position ?2, key ?3, value ?4
extern const char* const kInsertVersion; // ... created_at ?6, operator ?7, chain_pos ?8, link ?9
extern const char* const kFindVersion; // id, version_no where entry ?1 and sha256 ?2
extern const char* const kMaxVersionNo;
// ... sha256 ?5, detail ?6, operator ?7, chain_pos ?8, link ?9
extern const char* const kInsertEvent;
extern const char* const kUpdateLastEvent; // kind ?1, at ?2 where id ?3
// Duties: the newest version (id, sha256) of entry ?1; the event with its detail; the entry's
// columns of a delivery (detail ?1, receipt day ?2 where id ?3) and of a transfer (day ?1, id ?2).
extern const char* const kNewestVersion;
extern const char* const kUpdateDelivery;
extern const char* const kUpdateTransfer;

// Reading.
extern const char* const kSummaryColumns; // the column list of EntrySummary, prefixed e.
extern const char* const kSelectEntryDetail;
extern const char* const kSelectValues;
extern const char* const kSelectVersions;
extern const char* const kSelectEvents;
extern const char* const kFindByNumber;
extern const char* const kFindByNormalizedHash;

// Retention: entries whose leaving day and last activity are both before ?1 (yyyy-MM-dd, and
// the same as a time text).
extern const char* const kRetentionWhere;

// The audit reads everything once.
extern const char* const kAuditTemplates;
extern const char* const kAuditEntries;
extern const char* const kAuditValues;
extern const char* const kAuditSequences;
extern const char* const kAuditDeletions;
extern const char* const kAuditVersions;
constexpr int kAuditVersionColumns = 10;
// The text, then its SHA-256 and its normalized SHA-256.
constexpr int kAuditVersionTextColumn = 3;
extern const char* const kAuditEvents;
extern const char* const kAuditVersion;

} // namespace Register::Sql
