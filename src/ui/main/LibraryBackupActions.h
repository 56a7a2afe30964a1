#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QWidget;

// 备份资料库 and 恢复资料库 of the main window's context menu: a file dialog, the backup or
// restore of the library file, and one notice with the outcome.
class LibraryBackupActions : public QObject
{
    Q_OBJECT
public:
    // libraryPath gives the library file the window has open, at the moment of the command.
    LibraryBackupActions(QWidget* window, std::function<QString()> libraryPath);

    QAction* backupAction() const { return m_backup; }
    QAction* restoreAction() const { return m_restore; }

    void OnBackupLibrary();
    void OnRestoreLibrary();

    static const QString kBackupText;  // "备份资料库"
    static const QString kRestoreText; // "恢复资料库"

private:
    QWidget* m_window;
    std::function<QString()> m_libraryPath;
    QAction* m_backup;
    QAction* m_restore;
};
