#pragma once

#include "store/LibraryStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

class SqlConnection;
class RecordSet;

// The data-access object the windows share: holds the connection to the library and offers
// every record operation. Each operation is the library store's (LibraryStore: the file's
// SqliteLibraryStore or a team server's PgLibraryStore, chosen by the connection); nothing is
// cached. What the store hands back as failed goes to the user through StoreFeedback (the
// window's message box; error description followed by the statement text), once, and the
// operation then returns its empty result, so callers carry on as after success. Code that
// wants the failures itself uses store() directly.
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
    // Connects to a team library on a server (libpq connection text); on failure shows the same
    // notice as ConnectAccessDb and returns null. Never falls back to the file.
    std::shared_ptr<SqlConnection> ConnectServer(const QString& conninfo);
    // The library the configuration names (kavri.conf): the server when one is named, else the
    // file at filePath with the fixed key, exactly as ConnectAccessDb opens it.
    std::shared_ptr<SqlConnection> ConnectLibrary(const QString& filePath);
    // For the window title: "团队资料库 <name>" while a team library is chosen, else "".
    const QString& LibraryTitle() const { return m_strLibraryTitle; }
    // The server's connection text while the configuration names a team library (whether or
    // not the connect worked), else "".
    const QString& TeamConninfo() const { return m_strTeamConninfo; }

    // The library's operations on m_pConnection as part of this object's write unit: they hand
    // back their failures instead of reporting them. With no connection every statement fails
    // as not connected.
    std::unique_ptr<LibraryStore> store();
    // Shows the failures of an operation (StoreFeedback), each once, in order.
    static void report(const StoreOutcome& outcome);

    // Runs one statement of the caller's own, in the back end's dialect, on m_pConnection; null
    // after a failure (already reported).
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

    // Runs the record operations that body calls as one unit: the write lock is taken before
    // the unit's first statement, the first failing statement is reported (once) and every later
    // one skipped, and the unit is then undone as a whole; otherwise it is committed. A unit
    // started inside another one is part of it. True when the unit was committed (or ran no
    // statement).
    bool RunWriteTransaction(const std::function<void()>& body);

    // What Generate does with each value it used: value becomes the default entry of table.
    // The old default loses its marker; an entry named value gets it, or a new entry recorded
    // with upid -1 is added with the marker. Four statements, in this order.
    void RememberLibraryValue(const QString& table, const QString& value);
    // The bookkeeping of one Generate, in the order given, in one write transaction; pairs of
    // table and value whose value is empty are left out. False only on a team library whose
    // server cannot be reached: nothing is written, the one notice is given, and the caller
    // leaves the rest of its action undone (the next action connects again). A failure of any
    // other kind is reported as usual and gives true.
    bool RememberLibraryValues(const QList<std::pair<QString, QString>>& values);
    // The same bookkeeping, its failures handed back instead of reported, for the caller to
    // show: value false when a team library's server cannot be reached (nothing was written).
    StoreResult<bool> rememberLibraryValues(const QList<std::pair<QString, QString>>& values);

    std::shared_ptr<SqlConnection> m_pConnection;

private:
    QString m_strLibraryTitle;
    QString m_strTeamConninfo;
    // The write transaction the operations at hand belong to.
    WriteUnit m_unit;
};
