#include "store/pg/PgConnection.h"

#include "store/pg/PgRecordSet.h"

#include <algorithm>
#include <libpq-fe.h>
#include <mutex>
#include <vector>

const QString PgConnection::kNotConnected = QStringLiteral("没有打开的资料库连接。");
const QString PgConnection::kInvalidText =
    QStringLiteral("语句文本中含有无效的字符（空字符或不成对的代理项），未执行。");
const QString PgConnection::kConnectionLost =
    QStringLiteral("与资料库服务器的连接已中断，本次操作未完成，没有写入任何内容。");
const QString PgConnection::kServerBusy = QStringLiteral(
    "资料库服务器上的资料正被其他人修改，等待几秒后仍无法完成，本次没有写入任何内容。");
const QString PgConnection::kRolledBack =
    QStringLiteral("本次操作中有语句失败，服务器已撤销全部更改。");

namespace {

QString trimmedMessage(const char* text)
{
    return QString::fromUtf8(text ? text : "").trimmed();
}

// The server's own words for a failed statement: its primary message, or libpq's text when the
// failure never reached the server (connection lost).
QString resultError(pg_conn* conn, const pg_result* result)
{
    if (result) {
        if (const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) {
            return QString::fromUtf8(primary);
        }
    }
    const QString text = trimmedMessage(PQerrorMessage(conn));
    return text.isEmpty() ? PgConnection::kConnectionLost : text;
}

bool resultOk(const pg_result* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
}

QString serviceName(const QString& conninfo)
{
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &parseError);
    PQfreemem(parseError);
    QString service;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, "service") == 0 && o->val) {
            service = QString::fromUtf8(o->val);
        }
    }
    PQconninfoFree(options);
    return service;
}

} // namespace

void PgConnection::useDefaultConnectTimeout()
{
    // Set once for the process, before the first connection; a value the user's environment
    // gives stays.
    static std::once_flag once;
    std::call_once(once, [] {
        if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT")) {
            qputenv("PGCONNECT_TIMEOUT", QByteArray::number(kConnectTimeoutSeconds));
        }
    });
}

QString PgConnection::setting(const char* keyword) const
{
    QString value;
    PQconninfoOption* options = m_conn ? PQconninfo(m_conn) : nullptr;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0 && o->val) {
            value = QString::fromUtf8(o->val);
        }
    }
    PQconninfoFree(options);
    return value;
}

PgConnection::PgConnection(pg_conn* conn, const QString& conninfo)
    : m_conn(conn), m_conninfo(conninfo)
{
    m_libraryName = serviceName(conninfo);
    if (m_libraryName.isEmpty()) {
        m_libraryName = QString::fromUtf8(PQdb(m_conn));
    }
}

PgConnection::~PgConnection()
{
    close();
}

std::shared_ptr<PgConnection> PgConnection::open(const QString& conninfo, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    const QByteArray info = conninfo.toUtf8();
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(info.constData(), &parseError);
    if (!parsed) {
        *error =
            parseError ? trimmedMessage(parseError) : QStringLiteral("invalid connection text");
        PQfreemem(parseError);
        return nullptr;
    }
    PQconninfoFree(parsed);

    // The connection settings are the administrator's: whatever the connection text, the
    // service it names (pg_service.conf) or the environment says wins over kavri's defaults.
    // libpq takes a service's values only for settings nothing set before, so kavri's connect
    // timeout enters where libpq itself looks last, as the environment's PGCONNECT_TIMEOUT.
    useDefaultConnectTimeout();
    // The encoding comes last because every text crosses the wire as UTF-8.
    // Over TCP, a server whose machine vanished is noticed by keepalives while idle and by
    // tcp_user_timeout while a request is unanswered, instead of after the system's quarter of
    // an hour. A Unix socket ignores both.
    const QByteArray userTimeout = QByteArray::number(kTcpUserTimeoutMs);
    const char* keywords[] = {"tcp_user_timeout", "keepalives_idle", "keepalives_interval",
                              "keepalives_count", "dbname",          "client_encoding",
                              "application_name", nullptr};
    const char* values[] = {
        userTimeout.constData(), "30", "5", "3", info.constData(), "UTF8", "kavri", nullptr};
    pg_conn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        *error = conn ? trimmedMessage(PQerrorMessage(conn)) : QStringLiteral("out of memory");
        PQfinish(conn);
        return nullptr;
    }
    error->clear();
    // Notices (a role that already exists, an implicit index) are no failures; nothing of
    // them goes to stderr.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    return std::shared_ptr<PgConnection>(new PgConnection(conn, conninfo));
}

void PgConnection::close()
{
    if (m_conn) {
        PQfinish(m_conn);
        m_conn = nullptr;
    }
    m_prepared.clear();
    m_inTransaction = false;
}

bool PgConnection::ensureConnected(QString* error)
{
    if (!m_conn) {
        *error = kNotConnected;
        return false;
    }
    if (!isBroken()) {
        return true;
    }
    if (m_inTransaction) {
        *error = kConnectionLost;
        return false;
    }
    return reconnect(error);
}

bool PgConnection::isBroken() const
{
    return m_broken || PQstatus(m_conn) != CONNECTION_OK;
}

bool PgConnection::reconnect(QString* error)
{
    PQreset(m_conn);
    m_prepared.clear();
    m_broken = PQstatus(m_conn) != CONNECTION_OK;
    if (m_broken) {
        *error = kConnectionLost;
    }
    return !m_broken;
}

QString PgConnection::failure(const pg_result* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    m_lastSqlState = QString::fromLatin1(state ? state : "");
    // An error without SQLSTATE comes from libpq itself, not from the server: the connection
    // broke (libpq may still call it open until the next call); so does a server that shuts
    // down (class 57P) or a failed link (class 08). The next statement connects again.
    if (m_conn && (PQstatus(m_conn) != CONNECTION_OK || m_lastSqlState.isEmpty() ||
                   m_lastSqlState.startsWith(QLatin1String("57P")) ||
                   m_lastSqlState.startsWith(QLatin1String("08")))) {
        m_broken = true;
        return kConnectionLost;
    }
    // lock_not_available (lock_timeout) and query_canceled (statement_timeout).
    if (m_lastSqlState == QLatin1String("55P03") || m_lastSqlState == QLatin1String("57014")) {
        return kServerBusy;
    }
    return resultError(m_conn, result);
}

std::unique_ptr<PgRecordSet> PgConnection::execute(const QString& statement, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    // A NUL would end the text early, and half a surrogate pair has no UTF-8 form: either way
    // the server would see a statement other than the one given.
    if (statement.contains(QChar(0)) || !QStringView(statement).isValidUtf16()) {
        *error = kInvalidText;
        return nullptr;
    }
    if (!ensureConnected(error)) {
        return nullptr;
    }
    const QByteArray text = statement.toUtf8();
    // The extended protocol takes one statement only: a second one in the text is refused.
    pg_result* result =
        PQexecParams(m_conn, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (!result || !resultOk(result)) {
        *error = failure(result);
        PQclear(result);
        return nullptr;
    }
    error->clear();
    return std::make_unique<PgRecordSet>(result);
}

std::unique_ptr<PgRecordSet> PgConnection::query(const QByteArray& statement,
                                                 const QList<Param>& params, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    for (const Param& p : params) {
        if (p && (p->contains(QChar(0)) || !QStringView(*p).isValidUtf16())) {
            *error = kInvalidText;
            return nullptr;
        }
    }
    if (!ensureConnected(error)) {
        return nullptr;
    }
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
    texts.reserve(size_t(params.size()));
    values.reserve(size_t(params.size()));
    for (const Param& p : params) {
        if (p) {
            texts.push_back(p->toUtf8());
            values.push_back(texts.back().constData());
        } else {
            values.push_back(nullptr);
        }
    }
    pg_result* result = PQexecParams(m_conn, statement.constData(), int(values.size()), nullptr,
                                     values.data(), nullptr, nullptr, 0);
    if (!result || !resultOk(result)) {
        *error = failure(result);
        PQclear(result);
        return nullptr;
    }
    error->clear();
    return std::make_unique<PgRecordSet>(result);
}

bool PgConnection::commit(QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (!m_inTransaction) {
        return true;
    }
    m_inTransaction = false;
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        *error = kConnectionLost;
        return false;
    }
    pg_result* result = PQexec(m_conn, "COMMIT");
    // A transaction in which a statement failed ends with ROLLBACK instead: COMMIT says so by
    // its command tag, not by an error.
    const bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK &&
                    qstrcmp(PQcmdStatus(result), "COMMIT") == 0;
    if (!ok) {
        *error =
            result && PQresultStatus(result) == PGRES_COMMAND_OK ? kRolledBack : failure(result);
    }
    PQclear(result);
    return ok;
}

void PgConnection::rollback()
{
    if (!m_inTransaction) {
        return;
    }
    m_inTransaction = false;
    if (m_conn && PQstatus(m_conn) == CONNECTION_OK) {
        PQclear(PQexec(m_conn, "ROLLBACK"));
    }
}
