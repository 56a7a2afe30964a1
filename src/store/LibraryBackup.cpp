#include "store/LibraryBackup.h"

#include "store/DatabaseBackup.h"
#include "store/LibraryFile.h"
#include "store/LibraryTables.h"

#include <QDir>

namespace LibraryBackup {

DatabaseBackup::Expectation expectation()
{
    // The library file has SQLCipher's default page size.
    return {LibraryFile::kPassword, LibraryTables::kAll, {}};
}

bool backupLibrary(const QString& libraryPath, const QString& target, QString* message)
{
    QString error;
    if (!DatabaseBackup::backup(libraryPath, expectation(), target, &error)) {
        *message = QStringLiteral("资料库未能备份：%1").arg(error);
        return false;
    }
    *message = QStringLiteral("资料库已备份到 %1。").arg(QDir::toNativeSeparators(target));
    return true;
}

bool restoreLibrary(const QString& backupFile, const QString& libraryPath, QString* message)
{
    QString error;
    QString kept;
    if (!DatabaseBackup::restore(backupFile, libraryPath, expectation(), &kept, &error)) {
        *message = QStringLiteral("资料库未恢复，原来的资料库未作更改：%1").arg(error);
        return false;
    }
    *message = QStringLiteral("资料库已从 %1 恢复。").arg(QDir::toNativeSeparators(backupFile));
    if (!kept.isEmpty()) {
        *message += QStringLiteral("原来的资料库保存为 %1。").arg(QDir::toNativeSeparators(kept));
    }
    return true;
}

} // namespace LibraryBackup
