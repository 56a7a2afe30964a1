// Write transactions of the data-access object, and Generate's bookkeeping that runs in one.
#include "store/CDbVisit.h"

#include "app/Notifier.h"
#include "store/SqlConnection.h"

namespace {

const QString kDefaultMarker = QStringLiteral("默认");
const QString kMarkerColumn = QStringLiteral("item1");
const QString kNameColumn = QStringLiteral("item3");

// The refusal of a value that cannot be stored, in the words of the form's label.
const QString kRefusedValue =
    QStringLiteral("%1中含有无法保存的字符（空字符或不完整的字符），资料库未作更改。");

// What the entries of the four libraries that Generate keeps are called on the form.
QString subjectOf(const QString& table)
{
    if (table == u"company_item_table") {
        return QStringLiteral("公司名称");
    }
    if (table == u"department_item_table") {
        return QStringLiteral("部门");
    }
    if (table == u"position_item_table") {
        return QStringLiteral("职位");
    }
    if (table == u"reason_item_bable") {
        return QStringLiteral("离职原因");
    }
    return QStringLiteral("填写的内容");
}

void report(const QString& description, const QString& statement)
{
    Notifier::applicationWarning(nullptr, description + statement);
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

void CDbVisit::RememberLibraryValue(const QString& table, const QString& value)
{
    const qint32 id = FindRecordId(table, kMarkerColumn, kDefaultMarker);
    SetRecordValue(table, kMarkerColumn, QString(), id);
    const qint32 id2 = FindRecordId(table, kNameColumn, value);
    if (id2 > 0) {
        SetRecordValue(table, kMarkerColumn, kDefaultMarker, id2);
    } else {
        QStringList texts(10);
        texts[0] = kDefaultMarker;
        texts[2] = value;
        AddItemRecord(table, 10, texts, -1);
    }
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
