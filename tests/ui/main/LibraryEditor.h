#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class SqlConnection;

// A second connection to a test's library copy, to set the library up before a window opens
// and to read back what the window did, without going through the window's own CDbVisit.
class LibraryEditor
{
public:
    explicit LibraryEditor(const QString& path);
    ~LibraryEditor();

    bool isOpen() const { return m_connection != nullptr; }
    // Runs one statement; false (and the reason in lastError()) when it failed.
    bool run(const QString& statement);
    // One column of every row the query returns, in the order returned.
    QStringList column(const QString& query, const QString& column);
    const QString& lastError() const { return m_error; }

private:
    // Declared first: the connection's constructor writes into it.
    QString m_error;
    std::shared_ptr<SqlConnection> m_connection;
};
