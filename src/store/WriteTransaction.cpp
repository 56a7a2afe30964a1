// Write transactions of the data-access object, and Generate's bookkeeping that runs in one.
#include "store/CDbVisit.h"

#include "store/LibraryTables.h"
#include "store/SqlConnection.h"
#include "store/StoreFeedback.h"

namespace {

// The refusal of a value that cannot be stored, in the words of the form's label.
const QString kRefusedValue =
    QStringLiteral("%1中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。");

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

void CDbVisit::RememberLibraryValues(const QList<std::pair<QString, QString>>& values)
{
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
}
