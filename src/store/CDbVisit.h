#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class SqlConnection;
class RecordSet;

// One row of a library tree: an entry's listed text and its itemid.
struct TreeRecord
{
    QString text;
    qint32 itemId = 0;
};

// The one data-access object of the program: holds the connection to the library file and
// offers every record operation. Each operation builds one statement, runs it and copies what
// it needs out of the result; nothing is cached. A failing statement is reported to the user
// here (through StoreFeedback: error description followed by the statement text) and the
// operation then returns its empty result, so callers carry on as after success.
//
// The reads hand back texts and rows; putting them into a combo box, list view or tree is the
// business of the adapters in ui/controls/RecordControls.h, which keep these operations' names.
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
    // The column's non-empty texts of every row, in the order returned: what a combo gets.
    QStringList FillRecordCombo(const QString& table, const QString& column);
    // The column's texts of every row, empty ones included: what a list view gets.
    QStringList FillRecordList(const QString& table, const QString& column);
    // The column's text and the itemid of every top-level row (upid 0) by ascending itemid.
    QList<TreeRecord> FillRecordTree(const QString& column, const QString& table);
    QString GetRecordValue(const QString& table, const QString& column, qint32 itemId);
    QString FindRecordValue(const QString& table, const QString& keyColumn, const QString& keyValue,
                            const QString& column);
    qint32 FindRecordId(const QString& table, const QString& column, const QString& value);
    // The text a window is set to, and the text of the list row to select: both are
    // FindRecordValue's result.
    QString ShowRecordValue(const QString& table, const QString& keyColumn, const QString& keyValue,
                            const QString& column);
    QString SelectRecordRow(const QString& table, const QString& keyColumn, const QString& keyValue,
                            const QString& column);

    // Writing operations; they return 1 whether or not the statement succeeded.
    int AddRecord(const QString& table, const QString& firstColumn, const QString& firstValue,
                  const QString& secondColumn, const QString& secondValue);
    int AddItemRecord(const QString& table, int count, const QStringList& texts, qint32 upid);
    int SetRecordValue(const QString& table, const QString& column, const QString& value,
                       qint32 itemId);
    void DeleteRecord(const QString& table, qint32 itemId);

    // What Generate does with each value it used: value becomes the default entry of table.
    // The old default loses its marker; an entry named value gets it, or a new entry recorded
    // with upid -1 is added with the marker. Four statements, in this order.
    void RememberLibraryValue(const QString& table, const QString& value);

    std::shared_ptr<SqlConnection> m_pConnection;
};
