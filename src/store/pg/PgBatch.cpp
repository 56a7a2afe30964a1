// The transactions of a server connection that go to the server in one round trip each: the
// statements are sent together and answered together (libpq's pipeline), and every text is
// prepared once per connection, so that the server only executes it from then on.
#include "store/pg/PgConnection.h"

#include "store/pg/PgRecordSet.h"

#include <algorithm>
#include <libpq-fe.h>

namespace {

const PgConnection::Statement kCommit{"COMMIT", {}};

// The first statement whose parameters cannot reach the server as they are (a NUL would end the
// text early, half a surrogate pair has no UTF-8 form); -1 when all can.
int firstInvalid(const QList<PgConnection::Statement>& statements)
{
    for (int i = 0; i < statements.size(); ++i) {
        for (const PgConnection::Param& p : statements[i].params) {
            if (p && (p->contains(QChar(0)) || !QStringView(*p).isValidUtf16())) {
                return i;
            }
        }
    }
    return -1;
}

} // namespace

QList<PgConnection::Statement> PgConnection::beginStatements(const QStringList& lockTables,
                                                             Commit commit)
{
    QStringList tables = lockTables;
    tables.sort();
    tables.removeDuplicates();
    // The waits are set for this transaction only (is_local): a clerk waits a few seconds for
    // another one's lock at most and then gets a message instead of a frozen window. So is the
    // commit's, in the same statement.
    const QList<Param> waits{QString::number(kLockTimeoutMs), QString::number(kStatementTimeoutMs),
                             QString::number(kIdleInTransactionMs)};
    QByteArray settings = "select set_config('lock_timeout', $1, true),"
                          " set_config('statement_timeout', $2, true),"
                          " set_config('idle_in_transaction_session_timeout', $3, true)";
    if (commit == Commit::Asynchronous) {
        settings += ", set_config('synchronous_commit', 'off', true)";
    }
    QList<Statement> statements{{"BEGIN", {}}, {settings, waits}};
    // SHARE ROW EXCLUSIVE conflicts with itself and with every write, not with reads; LOCK takes
    // the tables in the order named.
    if (!tables.isEmpty()) {
        statements.append({"LOCK TABLE " + tables.join(QStringLiteral(", ")).toUtf8() +
                               " IN SHARE ROW EXCLUSIVE MODE",
                           {}});
    }
    return statements;
}

PgConnection::BatchOutcome PgConnection::pipeline(const QList<Statement>& opening,
                                                  const QList<Statement>& statements, bool commits,
                                                  int* answered, const QList<Statement>& then)
{
    BatchOutcome outcome;
    outcome.rows.resize(size_t(statements.size()));
    *answered = 0;
    QList<const Statement*> all;
    for (const Statement& s : opening) {
        all << &s;
    }
    for (const Statement& s : statements) {
        all << &s;
    }
    if (commits) {
        all << &kCommit;
    }
    const int first = int(opening.size());
    const int commitAt = int(statements.size());

    // Each message sent: which statement, and the name it is being prepared under (empty for
    // its execution).
    struct Sent
    {
        int index;
        QByteArray preparing;
    };
    std::vector<Sent> sent;
    std::vector<Sent> sentThen;
    QHash<QByteArray, QByteArray> preparing;
    // Sends one statement (prepared first when this connection has not prepared its text yet).
    const auto send = [&](const Statement& s, int index, std::vector<Sent>& into) {
        QByteArray name = m_prepared.value(s.text, preparing.value(s.text));
        bool ok = true;
        if (name.isEmpty()) {
            name = "kavri_" + QByteArray::number(++m_preparedNames);
            preparing.insert(s.text, name);
            ok = PQsendPrepare(m_conn, name.constData(), s.text.constData(),
                               int(s.params.size()), nullptr) == 1;
            into.push_back({index, name});
        }
        std::vector<QByteArray> texts;
        std::vector<const char*> values;
        texts.reserve(size_t(s.params.size()));
        for (const Param& p : s.params) {
            texts.push_back(p ? p->toUtf8() : QByteArray());
            values.push_back(p ? texts.back().constData() : nullptr);
        }
        // libpq copies the values into its buffer here.
        ok = ok && PQsendQueryPrepared(m_conn, name.constData(), int(values.size()),
                                       values.data(), nullptr, nullptr, 0) == 1;
        into.push_back({index, QByteArray()});
        return ok;
    };
    bool sending = PQenterPipelineMode(m_conn) == 1;
    for (int i = 0; sending && i < all.size(); ++i) {
        sending = send(*all[i], i, sent);
    }
    sending = sending && PQpipelineSync(m_conn) == 1;
    // The follow-up after a sync of its own: the server runs it as one implicit transaction once
    // the batch committed (after a failed one it finds the transaction aborted), and a failure
    // in it stops there.
    bool sendingThen = sending && !then.isEmpty();
    for (int i = 0; sendingThen && i < then.size(); ++i) {
        sendingThen = send(then[i], i, sentThen);
    }
    sendingThen = sendingThen && PQpipelineSync(m_conn) == 1;

    bool committed = false;
    outcome.thenOk = then.isEmpty();
    if (!sending) {
        outcome.error = failure(nullptr);
        outcome.failedAt = -1;
    }
    // One result per message, each followed by a null; after a failure the server skips the
    // rest up to the sync and libpq reports them as aborted.
    for (size_t m = 0; sending && m < sent.size() && PQstatus(m_conn) == CONNECTION_OK; ++m) {
        const int at = sent[m].index - first; // <0: opening, commitAt: the commit
        while (pg_result* result = PQgetResult(m_conn)) {
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_FATAL_ERROR) {
                if (outcome.error.isEmpty()) {
                    outcome.error = failure(result);
                    outcome.failedAt = std::clamp(at, -1, commitAt);
                }
            } else if (status == PGRES_PIPELINE_ABORTED || !outcome.error.isEmpty()) {
                // skipped
            } else if (!sent[m].preparing.isEmpty()) {
                m_prepared.insert(all[sent[m].index]->text, sent[m].preparing);
            } else {
                ++*answered;
                if (status == PGRES_TUPLES_OK && at >= 0 && at < commitAt) {
                    outcome.rows[size_t(at)] = std::make_unique<PgRecordSet>(result);
                    continue;
                }
                committed = at == commitAt && status == PGRES_COMMAND_OK &&
                            qstrcmp(PQcmdStatus(result), "COMMIT") == 0;
            }
            PQclear(result);
        }
    }
    const auto drainToSync = [this] {
        while (pg_result* result = PQgetResult(m_conn)) {
            const bool sync = PQresultStatus(result) == PGRES_PIPELINE_SYNC;
            PQclear(result);
            if (sync) {
                break;
            }
        }
    };
    drainToSync();
    if (sendingThen) {
        // What it prepared is kept, its rows are not; the first failure is its outcome.
        int thenAnswered = 0;
        for (size_t m = 0; m < sentThen.size() && PQstatus(m_conn) == CONNECTION_OK; ++m) {
            while (pg_result* result = PQgetResult(m_conn)) {
                const ExecStatusType status = PQresultStatus(result);
                if (status == PGRES_FATAL_ERROR && outcome.thenError.isEmpty()) {
                    outcome.thenError = failure(result);
                } else if (!sentThen[m].preparing.isEmpty() && status == PGRES_COMMAND_OK) {
                    m_prepared.insert(then[sentThen[m].index].text, sentThen[m].preparing);
                } else if (sentThen[m].preparing.isEmpty() &&
                           (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)) {
                    ++thenAnswered;
                }
                PQclear(result);
            }
        }
        drainToSync();
        outcome.thenOk = outcome.thenError.isEmpty() && thenAnswered == int(then.size());
        if (!outcome.thenOk && outcome.thenError.isEmpty()) {
            outcome.thenError = isBroken() ? kConnectionLost : kRolledBack;
        }
    }
    if (!then.isEmpty() && !sendingThen) {
        outcome.thenError = kConnectionLost;
    }
    if (PQpipelineStatus(m_conn) != PQ_PIPELINE_OFF && PQstatus(m_conn) == CONNECTION_OK) {
        PQexitPipelineMode(m_conn);
    }
    if (outcome.error.isEmpty() && isBroken()) {
        outcome.error = kConnectionLost;
        outcome.failedAt = commitAt;
    }
    if (outcome.error.isEmpty() && commits && !committed) {
        outcome.error = kRolledBack;
        outcome.failedAt = commitAt;
    }
    outcome.ok = outcome.error.isEmpty();
    if (!outcome.ok) {
        outcome.rows.clear();
        outcome.rows.resize(size_t(statements.size()));
    }
    return outcome;
}

void PgConnection::endFailedBatch(BatchOutcome* outcome, int statementCount)
{
    if (outcome->error.isEmpty()) {
        outcome->error = isBroken() ? kConnectionLost : kRolledBack;
        outcome->failedAt = statementCount;
    }
    if (!isBroken() && PQtransactionStatus(m_conn) != PQTRANS_IDLE) {
        PQclear(PQexec(m_conn, "ROLLBACK"));
    }
    m_inTransaction = false;
}

bool PgConnection::begin(const QStringList& lockTables, QString* error)
{
    BatchOutcome outcome = beginBatch(lockTables, {});
    if (error) {
        *error = outcome.error;
    }
    return outcome.ok;
}

PgConnection::BatchOutcome PgConnection::runBatch(const QStringList& lockTables,
                                                  const QList<Statement>& statements, bool mayRetry,
                                                  Commit commit)
{
    return openingBatch(lockTables, statements, true, mayRetry, commit);
}

PgConnection::BatchOutcome PgConnection::beginBatch(const QStringList& lockTables,
                                                    const QList<Statement>& statements)
{
    // Nothing of an unfinished transaction stays on the server: it may always go once more.
    return openingBatch(lockTables, statements, false, true, Commit::WaitsForDisk);
}

PgConnection::BatchOutcome PgConnection::runBatchThen(const QStringList& lockTables,
                                                      const QList<Statement>& statements,
                                                      const QList<Statement>& then,
                                                      Commit commit, Commit thenCommit)
{
    // The follow-up waits no longer than the batch may.
    QList<Statement> bounded{beginStatements({}, thenCommit).at(1)};
    bounded += then;
    return openingBatch(lockTables, statements, true, false, commit, bounded);
}

PgConnection::BatchOutcome PgConnection::openingBatch(const QStringList& lockTables,
                                                      const QList<Statement>& statements,
                                                      bool commits, bool mayRetry,
                                                      Commit commit,
                                                      const QList<Statement>& then)
{
    BatchOutcome outcome;
    if (m_inTransaction) {
        rollback();
    }
    if (const int invalid = firstInvalid(statements); invalid >= 0) {
        outcome.failedAt = invalid;
        outcome.error = kInvalidText;
        return outcome;
    }
    if (!ensureConnected(&outcome.error)) {
        return outcome;
    }
    for (int attempt = 0;; ++attempt) {
        int answered = 0;
        outcome =
            pipeline(beginStatements(lockTables, commit), statements, commits, &answered, then);
        if (outcome.ok) {
            m_inTransaction = !commits;
            return outcome;
        }
        endFailedBatch(&outcome, int(statements.size()));
        // The server went away since the last statement (restarted, say) and answered nothing.
        if (!isBroken() || !mayRetry || attempt > 0 || answered > 0 || !reconnect(&outcome.error)) {
            return outcome;
        }
    }
}

PgConnection::BatchOutcome PgConnection::commitBatch(const QList<Statement>& statements)
{
    BatchOutcome outcome;
    outcome.failedAt = int(statements.size());
    if (!m_inTransaction || !m_conn || isBroken()) {
        m_inTransaction = false;
        outcome.error = kConnectionLost;
        return outcome;
    }
    if (const int invalid = firstInvalid(statements); invalid >= 0) {
        rollback();
        outcome.failedAt = invalid;
        outcome.error = kInvalidText;
        return outcome;
    }
    int answered = 0;
    outcome = pipeline({}, statements, true, &answered);
    if (outcome.ok) {
        m_inTransaction = false;
        return outcome;
    }
    endFailedBatch(&outcome, int(statements.size()));
    return outcome;
}
