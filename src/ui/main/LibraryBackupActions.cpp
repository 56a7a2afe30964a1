#include "ui/main/LibraryBackupActions.h"

#include "backup/KavriBackup.h"
#include "ui/common/Notifier.h"
#include "ui/common/OpenFileDialog.h"
#include "ui/common/SaveFileDialog.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QStandardPaths>
#include <QWidget>

const QString LibraryBackupActions::kBackupText = QStringLiteral("备份资料库");
const QString LibraryBackupActions::kRestoreText = QStringLiteral("恢复资料库");

namespace {

const QString kFilter = QStringLiteral("资料库备份 (*.zip *.dll *.bak);;所有文件 (*)");

// Documents where the account has that folder, else the home folder: always a folder that
// exists, given as an absolute path.
QString backupFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) {
        return documents;
    }
    return QDir::homePath();
}

} // namespace

LibraryBackupActions::LibraryBackupActions(QWidget* window, std::function<QString()> libraryPath)
    : QObject(window), m_window(window), m_libraryPath(std::move(libraryPath)),
      m_backup(new QAction(kBackupText, this)), m_restore(new QAction(kRestoreText, this))
{
    connect(m_backup, &QAction::triggered, this, &LibraryBackupActions::OnBackupLibrary);
    connect(m_restore, &QAction::triggered, this, &LibraryBackupActions::OnRestoreLibrary);
}

void LibraryBackupActions::OnBackupLibrary()
{
    const QString suggested =
        QDir(backupFolder())
            .filePath(QStringLiteral("kavri-资料库备份-%1.zip")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString target =
        SaveFileDialog::getSaveFileName(m_window, kBackupText, suggested, kFilter);
    if (target.isEmpty()) {
        return;
    }
    QString message;
    KavriBackup::backup(m_libraryPath(), target, &message);
    Notifier::information(m_window, message);
}

void LibraryBackupActions::OnRestoreLibrary()
{
    const QString backup =
        OpenFileDialog::getOpenFileName(m_window, kRestoreText, backupFolder(), kFilter);
    if (backup.isEmpty()) {
        return;
    }
    if (!Notifier::askYesNo(
            m_window, QStringLiteral("恢复将用所选的备份替换现在的资料库（备份中有出具登记簿时"
                                     "也替换登记簿），现在的文件会另存一份。是否继续？"))) {
        return;
    }
    QString message;
    if (KavriBackup::restore(backup, m_libraryPath(), &message)) {
        // The lists were filled at start-up, as after any change to the libraries.
        message += QStringLiteral("下次启动时，各列表显示恢复后的内容。");
    }
    Notifier::information(m_window, message);
}
