#pragma once

#include "store/CDbVisit.h"

#include <QApplication>
#include <QPointer>
#include <QString>

class QWidget;

// The one application object. It holds what more than one window needs: the data-access
// object with the connection to the library file, and the certificate text that the main
// window hands to the printing side. Members are destroyed before the QApplication base:
// first m_strCertText, then m_dbVisit.
class CkavriApp : public QApplication
{
    Q_OBJECT
public:
    CkavriApp(int& argc, char** argv);
    ~CkavriApp() override;

    // The application object, as windows reach it; null when none exists.
    static CkavriApp* instance();

    // Runs the main dialog until it closes; returns 0 (the program then ends).
    int InitInstance();

    // The library file the main window opens: DefaultLibraryFilePath() unless a test chose
    // another one.
    QString libraryFilePath() const;
    void setLibraryFilePath(const QString& path) { m_strLibraryPath = path; }

    CDbVisit m_dbVisit;
    QString m_strCertText;
    // The window that currently stands for the application: the main dialog, or the print
    // preview while it is open.
    QPointer<QWidget> m_pMainWnd;

private:
    QString m_strLibraryPath;
};
