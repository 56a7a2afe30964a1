#pragma once

#include <QString>
#include <QStringList>
#include <memory>

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
    // Connects to a team library on a server (libpq connection text); on failure shows the same
    // notice as ConnectAccessDb and returns null. Never falls back to the file.
    std::shared_ptr<SqlConnection> ConnectServer(const QString& conninfo);
    // The library the configuration names (kavri.conf): the server when one is named, else the
    // file at filePath with the fixed key, exactly as ConnectAccessDb opens it.
    std::shared_ptr<SqlConnection> ConnectLibrary(const QString& filePath);
    // For the window title: "团队资料库 <name>" while a team library is chosen, else "".
    const QString& LibraryTitle() const { return m_strLibraryTitle; }

    // Runs one statement on m_pConnection; null after a failure (already reported).
    std::unique_ptr<RecordSet> ExecuteSql(const QString& statement);
    // Closes the connection if open; the pointer is null afterwards.
    void CloseConnection(std::shared_ptr<SqlConnection>& connection);

    // Reading operations.
    void FillRecordCombo(QComboBox* combo, const QString& table, const QString& column);
    void FillRecordList(const QString& table, QTableWidget* list, const QString& column,
                        int subItem, int firstRow);
    void FillRecordTree(QTreeWidget* tree, const QString& column, const QString& table,
                        int image);
    QString GetRecordValue(const QString& table, const QString& column, qint32 itemId);
    QString FindRecordValue(const QString& table, const QString& keyColumn,
                            const QString& keyValue, const QString& column);
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

    std::shared_ptr<SqlConnection> m_pConnection;

private:
    QString m_strLibraryTitle;
};

// The text of a dialog's child control, found by its numeric id (its objectName). Works on
// line edits, plain-text edits, combo boxes (their edit text), date edits, labels and buttons.
void SetCtrlText(QWidget* dialog, int id, const QString& text);
QString GetCtrlText(QWidget* window, int id);
