#include "store/CDbVisit.h"

#include "app/Notifier.h"
#include "app/WaitCursor.h"
#include "store/ConnectionString.h"
#include "store/LibraryFile.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/Statements.h"
#include "store/WidgetText.h"
#include "ui/controls/SortedComboBox.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QTableWidget>
#include <QTreeWidget>

const QString CDbVisit::kLibraryFileName = LibraryFile::kFileName;
const QString CDbVisit::kPassword = LibraryFile::kPassword;

namespace {
const QString kConnectFailed = QStringLiteral("无法连接到资料库，您的本地数据被破坏或无法找到！");
const QString kItemId = QStringLiteral("itemid");

// The tree keeps the image index of each item beside its itemid.
constexpr int kImageRole = Qt::UserRole + 1;

void reportStatementFailure(const QString& description, const QString& statement)
{
    Notifier::applicationWarning(nullptr, description + statement);
}

// A record set may stop early when a later row cannot be fetched; that is a failed statement
// too, reported like one.
void reportFetchFailure(const RecordSet& records, const QString& statement)
{
    if (!records.error().isEmpty()) {
        reportStatementFailure(records.error(), statement);
    }
}

// Reading a column the result does not have fails like the statement itself.
bool checkColumn(const RecordSet& records, const QString& column, const QString& statement)
{
    if (records.isEof() || records.hasColumn(column)) {
        return true;
    }
    reportStatementFailure(QStringLiteral("no such column: ") + column, statement);
    return false;
}
} // namespace

CDbVisit::CDbVisit() = default;

CDbVisit::~CDbVisit() = default;

std::shared_ptr<SqlConnection> CDbVisit::ConnectAccessDb(const QString& path,
                                                         const QString& password)
{
    const QString connectionString = BuildConnectionString(path, password);
    QString error;
    std::shared_ptr<SqlConnection> connection = SqlConnection::open(path, password, &error);
    if (!connection) {
        Notifier::information(nullptr, kConnectFailed);
        return nullptr;
    }
    connection->setConnectionString(connectionString);
    return connection;
}

std::unique_ptr<RecordSet> CDbVisit::ExecuteSql(const QString& statement)
{
    // Hold the connection for the whole call, whatever happens to the member meanwhile.
    const std::shared_ptr<SqlConnection> connection = m_pConnection;
    if (m_unit && !AdmitToUnit(connection.get(), statement)) {
        return nullptr;
    }
    if (!connection || !connection->isOpen()) {
        reportStatementFailure(FailureText(SqlConnection::kNotConnected), statement);
        return nullptr;
    }
    QString error;
    std::unique_ptr<RecordSet> records = connection->execute(statement, &error);
    if (!records) {
        reportStatementFailure(FailureText(error), statement);
    }
    return records;
}

void CDbVisit::CloseConnection(std::shared_ptr<SqlConnection>& connection)
{
    if (!connection) {
        return;
    }
    if (connection->isOpen()) {
        connection->close();
    }
    connection.reset();
}

void CDbVisit::FillRecordCombo(QComboBox* combo, const QString& table, const QString& column)
{
    const QString statement = Statements::selectAll(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || !combo || !checkColumn(*records, column, statement)) {
        return;
    }
    QStringList names;
    for (; !records->isEof(); records->moveNext()) {
        const QString name = records->collect(column);
        if (!name.isEmpty()) {
            names.append(name);
        }
    }
    reportFetchFailure(*records, statement);
    if (auto* sorted = qobject_cast<SortedComboBox*>(combo)) {
        sorted->addSortedItems(names);
    } else {
        combo->addItems(names);
    }
}

void CDbVisit::FillRecordList(const QString& table, QTableWidget* list, const QString& column,
                              int subItem, int firstRow)
{
    const WaitCursor wait;
    const QString statement = Statements::selectAll(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || !list || !checkColumn(*records, column, statement)) {
        return;
    }
    QStringList texts;
    for (; !records->isEof(); records->moveNext()) {
        texts.append(records->collect(column));
    }
    reportFetchFailure(*records, statement);
    if (texts.isEmpty()) {
        return;
    }

    int row = firstRow == -1 ? list->rowCount() : firstRow;
    const bool sorting = list->isSortingEnabled();
    list->setSortingEnabled(false);
    if (subItem == 0) {
        // A row number past the end appends, as inserting into a list view does.
        row = std::clamp(row, 0, list->rowCount());
        // One insertion of all rows instead of a shift of the rows below per new row.
        list->model()->insertRows(row, int(texts.size()));
        for (const QString& text : texts) {
            list->setItem(row++, 0, new QTableWidgetItem(text));
        }
    } else if (subItem > 0 && subItem < list->columnCount()) {
        // Setting a sub-item's text only touches rows that exist.
        for (const QString& text : texts) {
            if (row >= 0 && row < list->rowCount()) {
                if (QTableWidgetItem* item = list->item(row, subItem)) {
                    item->setText(text);
                } else {
                    list->setItem(row, subItem, new QTableWidgetItem(text));
                }
            }
            ++row;
        }
    }
    list->setSortingEnabled(sorting);
}

void CDbVisit::FillRecordTree(QTreeWidget* tree, const QString& column, const QString& table,
                              int image)
{
    const QString statement = Statements::selectTopLevel(table);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || !tree || !checkColumn(*records, column, statement)) {
        return;
    }
    QList<QTreeWidgetItem*> items;
    for (; !records->isEof(); records->moveNext()) {
        auto* item = new QTreeWidgetItem(QStringList{records->collect(column)});
        item->setData(0, Qt::UserRole, records->collectInt(kItemId));
        item->setData(0, kImageRole, image);
        items.append(item);
    }
    reportFetchFailure(*records, statement);
    tree->addTopLevelItems(items);
}

QString CDbVisit::GetRecordValue(const QString& table, const QString& column, qint32 itemId)
{
    const WaitCursor wait;
    const QString statement = Statements::selectById(table, itemId);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, column, statement)) {
        return QString();
    }
    return records->collect(column);
}

QString CDbVisit::FindRecordValue(const QString& table, const QString& keyColumn,
                                  const QString& keyValue, const QString& column)
{
    const WaitCursor wait;
    const QString statement = Statements::selectByValue(table, keyColumn, keyValue);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, column, statement)) {
        return QString();
    }
    return records->collect(column);
}

qint32 CDbVisit::FindRecordId(const QString& table, const QString& column, const QString& value)
{
    const WaitCursor wait;
    const QString statement = Statements::selectByValue(table, column, value);
    const std::unique_ptr<RecordSet> records = ExecuteSql(statement);
    if (!records || records->isEof() || !checkColumn(*records, kItemId, statement)) {
        return -1;
    }
    return records->collectInt(kItemId);
}

void CDbVisit::ShowRecordValue(QWidget* window, const QString& table, const QString& keyColumn,
                               const QString& keyValue, const QString& column)
{
    const QString text = FindRecordValue(table, keyColumn, keyValue, column);
    SetWidgetText(window, text);
}

void CDbVisit::SelectRecordRow(QTableWidget* list, const QString& table, const QString& keyColumn,
                               const QString& keyValue, const QString& column)
{
    const QString text = FindRecordValue(table, keyColumn, keyValue, column);
    if (!list) {
        return;
    }
    for (int row = 0; row < list->rowCount(); ++row) {
        const QTableWidgetItem* item = list->item(row, 0);
        const QString rowText = item ? item->text() : QString();
        if (rowText == text) {
            // Selected and focused; other rows keep their selection and nothing scrolls.
            QItemSelectionModel* selection = list->selectionModel();
            const QModelIndex index = list->model()->index(row, 0);
            selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            return;
        }
    }
}

int CDbVisit::AddRecord(const QString& table, const QString& firstColumn, const QString& firstValue,
                        const QString& secondColumn, const QString& secondValue)
{
    ExecuteSql(Statements::insertPair(table, firstColumn, firstValue, secondColumn, secondValue));
    return 1;
}

int CDbVisit::AddItemRecord(const QString& table, int count, const QStringList& texts, qint32 upid)
{
    ExecuteSql(Statements::insertItems(table, count, texts, upid));
    return 1;
}

int CDbVisit::SetRecordValue(const QString& table, const QString& column, const QString& value,
                             qint32 itemId)
{
    ExecuteSql(Statements::update(table, column, value, itemId));
    return 1;
}

void CDbVisit::DeleteRecord(const QString& table, qint32 itemId)
{
    ExecuteSql(Statements::deleteById(table, itemId));
}
