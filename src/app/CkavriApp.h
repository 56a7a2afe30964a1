#pragma once

#include "store/CDbVisit.h"
#include "ui/common/MessageStoreFeedback.h"

#include <QApplication>
#include <QPointer>
#include <QString>

class CkavriDlg;
class QWidget;

// The one application object, and the one place that creates the windows and connects them.
// It holds what more than one window needs: the data-access object with the connection to the
// library file, and the certificate text that the main window hands to the printing side; the
// windows get both through their constructors. Members are destroyed before the QApplication
// base: first m_strCertText, then m_dbVisit.
class CkavriApp : public QApplication
{
    Q_OBJECT
public:
    CkavriApp(int& argc, char** argv);
    ~CkavriApp() override;

    // The application object; null when none exists. For app/ only: windows get what they use
    // through their constructors.
    static CkavriApp* instance();

    // Runs the main dialog until it closes; returns 0 (the program then ends).
    int InitInstance();

    // Keeps m_pMainWnd on whichever window stands for the application: the print preview while
    // one that the main window opened is open, the main window otherwise.
    void ConnectMainWindow(CkavriDlg& dlg);

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
    // Failed connects and statements as message boxes, reads with the wait cursor.
    MessageStoreFeedback m_storeFeedback;
    QString m_strLibraryPath;
};
