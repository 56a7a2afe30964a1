#include "register/RegisterSql.h"

namespace Register::Sql {

const char* const kSchemaV1 = R"sql(
CREATE TABLE templates (
    id      INTEGER PRIMARY KEY,
    name    TEXT NOT NULL,
    text    TEXT NOT NULL
);
CREATE INDEX templates_name ON templates(name);

-- One issued (or drafted) certificate. name, id_number, company and leave_date repeat the form
-- values the list shows and searches, so that a list page never reads entry_values.
CREATE TABLE entries (
    id              INTEGER PRIMARY KEY,
    number          TEXT NOT NULL UNIQUE,
    year            INTEGER NOT NULL,
    seq             INTEGER NOT NULL,
    created_at      TEXT NOT NULL,          -- UTC, ISO 8601 with milliseconds
    operator        TEXT NOT NULL,
    template_id     INTEGER NOT NULL REFERENCES templates(id),
    name            TEXT NOT NULL,
    id_number       TEXT NOT NULL,
    company         TEXT NOT NULL,
    leave_date      TEXT NOT NULL,          -- as the form held it
    last_event_kind TEXT,                   -- NULL: never left kavri (a draft)
    last_event_at   TEXT,
    UNIQUE (year, seq)
);
CREATE INDEX entries_name ON entries(name);
CREATE INDEX entries_id_number ON entries(id_number);
CREATE INDEX entries_created ON entries(created_at);

-- Every form value, in form order, under its placeholder's name.
CREATE TABLE entry_values (
    entry_id INTEGER NOT NULL REFERENCES entries(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    key      TEXT NOT NULL,
    value    TEXT NOT NULL,
    PRIMARY KEY (entry_id, position)
) WITHOUT ROWID;

-- The texts of an entry: version 1 is what Generate made, each different text that left kavri
-- afterwards is the next one. norm_sha256 is taken over the text with LF line breaks, so that a
-- pasted text finds its entry whatever line breaks the paste brought.
CREATE TABLE versions (
    id          INTEGER PRIMARY KEY,
    entry_id    INTEGER NOT NULL REFERENCES entries(id) ON DELETE CASCADE,
    version_no  INTEGER NOT NULL,
    text        TEXT NOT NULL,
    sha256      TEXT NOT NULL,
    norm_sha256 TEXT NOT NULL,
    created_at  TEXT NOT NULL,
    UNIQUE (entry_id, version_no),
    UNIQUE (entry_id, sha256)
);
CREATE INDEX versions_norm_sha256 ON versions(norm_sha256);

-- Each time a text left kavri: printed, exported to PDF, copied.
CREATE TABLE events (
    id         INTEGER PRIMARY KEY,
    entry_id   INTEGER NOT NULL REFERENCES entries(id) ON DELETE CASCADE,
    version_id INTEGER NOT NULL REFERENCES versions(id) ON DELETE CASCADE,
    kind       TEXT NOT NULL,               -- printed | pdf | copied
    at         TEXT NOT NULL,
    sha256     TEXT NOT NULL
);
CREATE INDEX events_entry ON events(entry_id);
CREATE INDEX events_version ON events(version_id);

-- The last sequence number given per year; never lowered, also when entries are deleted.
CREATE TABLE sequences (
    year INTEGER PRIMARY KEY,
    last INTEGER NOT NULL
);
)sql";

const char* const kMigrateV1toV2 = R"sql(
ALTER TABLE entries ADD COLUMN leave_day TEXT;  -- yyyy-MM-dd, NULL when leave_date is no date
CREATE INDEX entries_leave_day ON entries(leave_day);
)sql";

const char* const kMigrateV2toV3 = R"sql(
ALTER TABLE events ADD COLUMN detail TEXT NOT NULL DEFAULT '';  -- kinds delivered, transferred
ALTER TABLE entries ADD COLUMN delivery TEXT;      -- the newest delivery record; NULL: none
ALTER TABLE entries ADD COLUMN received_day TEXT;  -- yyyy-MM-dd; NULL: receipt not confirmed
ALTER TABLE entries ADD COLUMN transfer_day TEXT;  -- yyyy-MM-dd; NULL: not transferred yet
)sql";

const char* const kMigrateV3toV4 = R"sql(
ALTER TABLE versions ADD COLUMN operator TEXT NOT NULL DEFAULT '';
ALTER TABLE versions ADD COLUMN chain_pos INTEGER;
ALTER TABLE versions ADD COLUMN link TEXT;
ALTER TABLE events ADD COLUMN operator TEXT NOT NULL DEFAULT '';
ALTER TABLE events ADD COLUMN chain_pos INTEGER;
ALTER TABLE events ADD COLUMN link TEXT;
CREATE UNIQUE INDEX versions_chain ON versions(chain_pos);
CREATE UNIQUE INDEX events_chain ON events(chain_pos);

-- Entries taken out of the register, and numbers given that never reached it: who, when,
-- which numbers, and the position and link of every chain row that went with them.
CREATE TABLE deletions (
    id        INTEGER PRIMARY KEY,
    chain_pos INTEGER NOT NULL UNIQUE,
    link      TEXT NOT NULL,
    at        TEXT NOT NULL,
    operator  TEXT NOT NULL,
    reason    TEXT NOT NULL,              -- retention | skipped | imported
    numbers   TEXT NOT NULL,              -- separated by spaces
    removed   TEXT NOT NULL               -- "position link" pairs, separated by spaces
);

-- The chain's last position and link, so that appending reads one row.
CREATE TABLE chain_head (
    id   INTEGER PRIMARY KEY CHECK (id = 1),
    pos  INTEGER NOT NULL,
    link TEXT NOT NULL
);
)sql";

const char* const kSelectUnlinkedForV4 =
    "SELECT 0, id, created_at FROM versions UNION ALL SELECT 1, id, at FROM events"
    " ORDER BY 3, 1, 2";
const char* const kSetVersionLink = "UPDATE versions SET chain_pos = ?1, link = ?2 WHERE id = ?3";
const char* const kSetEventLink = "UPDATE events SET chain_pos = ?1, link = ?2 WHERE id = ?3";

const char* const kSelectHead = "SELECT pos, link FROM chain_head WHERE id = 1";
const char* const kUpsertHead = "INSERT OR REPLACE INTO chain_head(id, pos, link) VALUES (1, ?1, ?2)";
const char* const kInsertDeletion =
    "INSERT INTO deletions(chain_pos, link, at, operator, reason, numbers, removed)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";
const char* const kVersionChainData =
    "SELECT e.number, e.created_at, e.operator, t.name, t.text FROM entries e"
    " JOIN templates t ON t.id = e.template_id WHERE e.id = ?1";
const char* const kSelectSequenceRow = "SELECT last FROM sequences WHERE year = ?1";

const char* const kSelectLeaveDatesForV2 = "SELECT id, leave_date FROM entries";
const char* const kSetLeaveDay = "UPDATE entries SET leave_day = ?1 WHERE id = ?2";

const char* const kCountTables = "SELECT count(*) FROM sqlite_master WHERE type = 'table'";

const char* const kSelectSequence =
    "SELECT max(coalesce((SELECT last FROM sequences WHERE year = ?1), 0),"
    "           coalesce((SELECT max(seq) FROM entries WHERE year = ?1), 0))";
const char* const kUpsertSequence = "INSERT OR REPLACE INTO sequences(year, last) VALUES (?1, ?2)";

const char* const kFindTemplate = "SELECT id FROM templates WHERE name = ?1 AND text = ?2";
const char* const kInsertTemplate = "INSERT INTO templates(name, text) VALUES (?1, ?2)";

const char* const kInsertEntry =
    "INSERT INTO entries(number, year, seq, created_at, operator, template_id, name, id_number,"
    " company, leave_date, leave_day) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)";
const char* const kInsertValue =
    "INSERT INTO entry_values(entry_id, position, key, value) VALUES (?1, ?2, ?3, ?4)";
const char* const kInsertVersion =
    "INSERT INTO versions(entry_id, version_no, text, sha256, norm_sha256, created_at, operator,"
    " chain_pos, link) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
const char* const kFindVersion =
    "SELECT id, version_no FROM versions WHERE entry_id = ?1 AND sha256 = ?2";
const char* const kMaxVersionNo =
    "SELECT coalesce(max(version_no), 0) FROM versions WHERE entry_id = ?1";
const char* const kInsertEvent =
    "INSERT INTO events(entry_id, version_id, kind, at, sha256, detail, operator, chain_pos, link)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
const char* const kUpdateLastEvent =
    "UPDATE entries SET last_event_kind = ?1, last_event_at = ?2 WHERE id = ?3";

const char* const kNewestVersion =
    "SELECT id, version_no, sha256 FROM versions WHERE entry_id = ?1 ORDER BY version_no DESC"
    " LIMIT 1";
const char* const kUpdateDelivery =
    "UPDATE entries SET delivery = ?1, received_day = ?2 WHERE id = ?3";
const char* const kUpdateTransfer = "UPDATE entries SET transfer_day = ?1 WHERE id = ?2";

const char* const kSummaryColumns =
    "e.id, e.number, e.created_at, e.name, e.id_number, e.company, e.leave_date, e.leave_day,"
    " e.last_event_kind, e.last_event_at, e.delivery, e.transfer_day";
const char* const kSelectEntryDetail =
    "SELECT e.operator, t.name, t.text FROM entries e JOIN templates t ON t.id = e.template_id"
    " WHERE e.id = ?1";
const char* const kSelectValues =
    "SELECT key, value FROM entry_values WHERE entry_id = ?1 ORDER BY position";
const char* const kSelectVersions =
    "SELECT id, version_no, text, sha256, created_at, operator FROM versions WHERE entry_id = ?1"
    " ORDER BY version_no";
const char* const kSelectEvents =
    "SELECT ev.id, ev.kind, ev.at, v.version_no, ev.sha256, ev.operator, ev.detail FROM events ev"
    " JOIN versions v ON v.id = ev.version_id WHERE ev.entry_id = ?1 ORDER BY ev.id";
const char* const kFindByNumber = "SELECT id FROM entries WHERE number = ?1";
const char* const kFindByNormalizedHash =
    "SELECT entry_id, version_no FROM versions WHERE norm_sha256 = ?1 ORDER BY entry_id DESC"
    " LIMIT 1";

const char* const kRetentionWhere =
    " WHERE leave_day IS NOT NULL AND leave_day < ?1 AND created_at < ?1"
    " AND coalesce(last_event_at, '') < ?1";

const char* const kSelectChainOfExpired =
    "SELECT v.chain_pos, v.link FROM versions v JOIN entries e ON e.id = v.entry_id"
    " WHERE e.id IN (SELECT id FROM entries [WHERE])"
    " UNION ALL SELECT ev.chain_pos, ev.link FROM events ev"
    " WHERE ev.entry_id IN (SELECT id FROM entries [WHERE]) ORDER BY 1";
const char* const kSelectNumbersOfExpired = "SELECT number FROM entries [WHERE] ORDER BY year, seq";

const char* const kAuditTemplates = "SELECT id, name, text FROM templates";
const char* const kAuditEntries =
    "SELECT id, number, year, seq, created_at, operator, template_id, name, id_number, company,"
    " leave_date, last_event_kind, last_event_at FROM entries ORDER BY id";
const char* const kAuditValues =
    "SELECT entry_id, key, value FROM entry_values ORDER BY entry_id, position";
const char* const kAuditSequences = "SELECT year, last FROM sequences";
const char* const kAuditDeletions =
    "SELECT chain_pos, link, at, operator, reason, numbers, removed FROM deletions"
    " ORDER BY chain_pos";
const char* const kAuditVersions =
    "SELECT id, entry_id, version_no, text, sha256, norm_sha256, created_at, operator, chain_pos,"
    " link FROM versions ORDER BY chain_pos";
// An event's version is known from the versions read before it, so the events are read alone:
// joining them to their versions would decrypt every version's text a second time.
const char* const kAuditEvents =
    "SELECT entry_id, version_id, kind, at, operator, sha256, chain_pos, link, detail FROM events"
    " ORDER BY chain_pos";
const char* const kAuditVersion = "SELECT version_no, sha256 FROM versions WHERE id = ?1";

} // namespace Register::Sql
