// Write transactions of the data-access object, and Generate's bookkeeping that runs in one.
#include "store/CDbVisit.h"

#include "store/LibraryTables.h"
#include "store/SqlConnection.h"
#include "store/Statements.h"
#include "store/StoreFeedback.h"
#include "store/pg/PgBookkeeping.h"
#include "store/pg/PgConnection.h"

namespace {

// The refusal of a value that cannot be stored, in the words of the form's label.
const QString kRefusedValue =
    QStringLiteral("%1中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。");

// A Generate on a team library whose server was out of reach from the start.
const QString kServerAway =
    QStringLiteral("无法连接到团队资料库的服务器，本次操作未完成，没有写入任何内容。");

// What the entries of the four libraries that Generate keeps are called on the form.
QString subjectOf(const QString& table)
{
    if (table == LibraryTables::kCompany) {
        return QStringLiteral("公司名称");
    }
    if (table == LibraryTables::kDepartment) {
        return QStringLiteral("部门");
    }
    if (table == LibraryTables::kPosition) {
        return QStringLiteral("职位");
    }
    if (table == LibraryTables::kReason) {
        return QStringLiteral("离职原因");
    }
    return QStringLiteral("填写的内容");
}

void report(const QString& description, const QString& statement)
{
    StoreFeedback::statementFailed(description + statement);
}

} // namespace

bool CDbVisit::AdmitToUnit(SqlConnection* connection, const QString& statement)
{
    if (m_unit->failed) {
        return false;
    }
    m_unit->lastStatement = statement;
    if (m_unit->begun || !connection || !connection->isOpen()) {
        return true;
    }
    // Taken before the first read: what the unit reads stays true until it commits.
    QString error;
    if (!connection->beginWrite(&error)) {
        report(FailureText(error), statement);
        return false;
    }
    m_unit->begun = true;
    return true;
}

QString CDbVisit::FailureText(const QString& error)
{
    if (!m_unit) {
        return error;
    }
    m_unit->failed = true;
    if (error == SqlConnection::kInvalidText && !m_unit->subject.isEmpty()) {
        return kRefusedValue.arg(m_unit->subject);
    }
    return error;
}

bool CDbVisit::RunWriteTransaction(const std::function<void()>& body)
{
    if (m_unit) {
        body();
        return !m_unit->failed;
    }
    m_unit.emplace();
    body();
    const WriteUnit unit = *m_unit;
    m_unit.reset();
    if (!unit.begun) {
        return !unit.failed;
    }
    const std::shared_ptr<SqlConnection> connection = m_pConnection;
    if (!connection) {
        return false;
    }
    if (unit.failed) {
        connection->rollback();
        return false;
    }
    // A full disk often shows only here, when the changes go to the log.
    QString error;
    if (!connection->commit(&error)) {
        report(error, unit.lastStatement);
        return false;
    }
    return true;
}

bool CDbVisit::RememberOnServer(SqlConnection* connection,
                                const QList<std::pair<QString, QString>>& values)
{
    if (!connection || !connection->isOpen()) {
        // The team's server could not be reached when the program started.
        StoreFeedback::statementFailed(kServerAway);
        return false;
    }
    // The statements of the file, all sent at once: the clerks' bookkeeping holds the server's
    // locks for the time the server needs to run it, not for a round trip per statement.
    QList<PgBookkeeping::LibraryValue> list;
    for (const auto& [table, value] : values) {
        if (value.isEmpty()) {
            continue;
        }
        if (value.contains(QChar(0)) || !QStringView(value).isValidUtf16()) {
            // Refused as the file refuses it: at the lookup of the value, nothing written.
            report(kRefusedValue.arg(subjectOf(table)),
                   Statements::selectByValue(table, LibraryTables::kNameColumn, value));
            return true;
        }
        list.append({table, value});
    }
    const PgBookkeeping::Outcome outcome = PgBookkeeping::remember(*connection->server(), list, 0);
    if (!outcome.ok) {
        report(outcome.error, outcome.failedStatement);
    }
    return outcome.ok || outcome.error != PgConnection::kConnectionLost;
}

bool CDbVisit::RememberLibraryValues(const QList<std::pair<QString, QString>>& values)
{
    const std::shared_ptr<SqlConnection> connection = m_pConnection;
    const bool onServer = connection ? connection->isServer() : !m_strTeamConninfo.isEmpty();
    if (onServer && !m_unit) {
        return RememberOnServer(connection.get(), values);
    }
    RunWriteTransaction([&] {
        for (const auto& [table, value] : values) {
            if (value.isEmpty()) {
                continue;
            }
            if (m_unit) {
                m_unit->subject = subjectOf(table);
            }
            RememberLibraryValue(table, value);
        }
    });
    return true;
}
