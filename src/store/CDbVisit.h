#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QComboBox;
class QTableWidget;
class QTreeWidget;
class QWidget;
class SqlConnection;
class RecordSet;

// The one data-access object of the program: holds the connection to the library file and
// offers every record operation. Each operation builds one statement, runs it and copies what
// it needs out of the result; nothing is cached. A failing statement is reported to the user
// here (application message box: error description followed by the statement text) and the
// operation then returns its empty result, so callers carry on as after success.
class CDbVisit
{
public:
    CDbVisit();
    ~CDbVisit();
    CDbVisit(const CDbVisit&) = delete;
    CDbVisit& operator=(const CDbVisit&) = delete;

    static const QString kLibraryFileName; // "bdsj_conn.dll"
    static const QString kPassword;        // the fixed key of the library file

    // Opens the library file read-write (never creates it) with the password; on failure shows
    // "无法连接到资料库，您的本地数据被破坏或无法找到！" and returns null.
    std::shared_ptr<SqlConnection> ConnectAccessDb(const QString& path, const QString& password);
    // Runs one statement on m_pConnection; null after a failure (already reported).
    std::unique_ptr<RecordSet> ExecuteSql(const QString& statement);
    // Closes the connection if open; the pointer is null afterwards.
    void CloseConnection(std::shared_ptr<SqlConnection>& connection);

    // Reading operations.
    void FillRecordCombo(QComboBox* combo, const QString& table, const QString& column);
    void FillRecordList(const QString& table, QTableWidget* list, const QString& column,
                        int subItem, int firstRow);
    void FillRecordTree(QTreeWidget* tree, const QString& column, const QString& table, int image);
    QString GetRecordValue(const QString& table, const QString& column, qint32 itemId);
    QString FindRecordValue(const QString& table, const QString& keyColumn, const QString& keyValue,
                            const QString& column);
    qint32 FindRecordId(const QString& table, const QString& column, const QString& value);
    void ShowRecordValue(QWidget* window, const QString& table, const QString& keyColumn,
                         const QString& keyValue, const QString& column);
    void SelectRecordRow(QTableWidget* list, const QString& table, const QString& keyColumn,
                         const QString& keyValue, const QString& column);

    // Writing operations; they return 1 whether or not the statement succeeded.
    int AddRecord(const QString& table, const QString& firstColumn, const QString& firstValue,
                  const QString& secondColumn, const QString& secondValue);
    int AddItemRecord(const QString& table, int count, const QStringList& texts, qint32 upid);
    int SetRecordValue(const QString& table, const QString& column, const QString& value,
                       qint32 itemId);
    void DeleteRecord(const QString& table, qint32 itemId);

    // Runs the record operations that body calls as one unit: the write lock is taken before
    // the unit's first statement, the first failing statement is reported (once) and every later
    // one skipped, and the unit is then undone as a whole; otherwise it is committed. A unit
    // started inside another one is part of it. True when the unit was committed (or ran no
    // statement).
    bool RunWriteTransaction(const std::function<void()>& body);

    // Generate's bookkeeping: value becomes the one default entry ("默认" in item1) of the
    // library in table, added (upid -1) when the library lacks it.
    void RememberLibraryValue(const QString& table, const QString& value);
    // The bookkeeping of one Generate, in the order given, in one write transaction; pairs of
    // table and value whose value is empty are left out.
    void RememberLibraryValues(const QList<std::pair<QString, QString>>& values);

    std::shared_ptr<SqlConnection> m_pConnection;

private:
    struct WriteUnit
    {
        bool begun = false;
        bool failed = false;
        QString lastStatement;
        // What the statements at hand carry, named for a person ("公司名称"); empty for none.
        QString subject;
    };
    // Lets a statement of the open unit run (taking the write lock first); false when it is
    // skipped, the failure already reported.
    bool AdmitToUnit(SqlConnection* connection, const QString& statement);
    // The text to report for a failed statement; marks the open unit failed.
    QString FailureText(const QString& error);

    std::optional<WriteUnit> m_unit;
};

// The text of a dialog's child control, found by its numeric id (its objectName). Works on
// line edits, plain-text edits, combo boxes (their edit text), date edits, labels and buttons.
void SetCtrlText(QWidget* dialog, int id, const QString& text);
QString GetCtrlText(QWidget* window, int id);
