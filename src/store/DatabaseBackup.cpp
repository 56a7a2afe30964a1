#include "store/DatabaseBackup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace DatabaseBackup {

namespace {

// How long a backup or restore waits for another program to finish writing.
constexpr int kWaitMs = 5000;

const QString kCannotOpen =
    QStringLiteral("无法用资料库的密码打开文件 %1，它不是本程序的资料库或其备份。");
const QString kDamaged = QStringLiteral("文件 %1 已损坏（%2）。");
const QString kMissingTables = QStringLiteral("文件 %1 中缺少资料库的表：%2。");
const QString kSameFile = QStringLiteral("备份文件不能是资料库文件本身。");
const QString kCannotWrite = QStringLiteral("无法写入文件 %1（%2）。");
const QString kCannotCopy = QStringLiteral("复制资料库时出错（%1）。");

// One sqlite3 handle, closed with the object.
class Handle
{
public:
    Handle() = default;
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // Opens path keyed with key and, when pageSize > 0, that cipher page size; create: a
    // missing file becomes a new empty database.
    bool open(const QString& path, const QString& key, bool create, int pageSize = 0)
    {
        close();
        const QByteArray file = QFile::encodeName(path);
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
        if (create) {
            flags |= SQLITE_OPEN_CREATE;
        }
        int rc = sqlite3_open_v2(file.constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK && !create) {
            // A file without write permission can still be read (and backed up).
            close();
            rc = sqlite3_open_v2(file.constData(), &m_db,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        }
        if (rc != SQLITE_OK) {
            m_openError = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                               : QString::fromUtf8(sqlite3_errstr(rc));
            close();
            return false;
        }
        sqlite3_busy_timeout(m_db, kWaitMs);
        m_pageSize = pageSize;
        const QByteArray k = key.toUtf8();
        if (k.isEmpty()) {
            return true;
        }
        const QByteArray pragma = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
        return sqlite3_key(m_db, k.constData(), k.size()) == SQLITE_OK &&
               (pageSize <= 0 || exec(pragma.constData()));
    }

    // The cipher page size it was opened with (0: SQLCipher's default).
    int pageSize() const { return m_pageSize; }

    void close()
    {
        if (m_db) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
    }

    // The first column of every row of statement; false when it fails.
    bool rows(const char* statement, QStringList* out)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, statement, -1, &stmt, nullptr) != SQLITE_OK) {
            return false;
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            out->append(QString::fromUtf8(text ? text : ""));
        }
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }

    bool exec(const char* statement)
    {
        return sqlite3_exec(m_db, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    QString error() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_openError; }

    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    QString m_openError;
    int m_pageSize = 0;
};

// Opens file with the key and reads its schema: a wrong key or no database shows here. Each
// cipher page size expected is tried in turn; a wrong one does not decrypt the first page.
bool openReadable(Handle& handle, const QString& file, const Expectation& expected,
                  QString* error)
{
    QStringList ignored;
    const QList<int> sizes =
        expected.cipherPageSizes.isEmpty() ? QList<int>{0} : expected.cipherPageSizes;
    for (const int size : sizes) {
        if (QFileInfo(file).isFile() && handle.open(file, expected.key, false, size) &&
            handle.rows("select count(*) from sqlite_master", &ignored)) {
            return true;
        }
    }
    handle.close();
    *error = kCannotOpen.arg(QDir::toNativeSeparators(file));
    return false;
}

// Copies every page of from into to in one step: one read transaction on from, one write
// transaction on to, so that to ends as a whole copy or as it was.
bool copyPages(sqlite3* from, sqlite3* to, QString* error)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        *error = kCannotCopy.arg(QString::fromUtf8(sqlite3_errmsg(to)));
        return false;
    }
    int rc = sqlite3_backup_step(backup, -1);
    for (int waited = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited < kWaitMs;
         waited += 50) {
        sqlite3_sleep(50);
        rc = sqlite3_backup_step(backup, -1);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        *error = kCannotCopy.arg(QString::fromUtf8(sqlite3_errstr(rc)));
        return false;
    }
    return true;
}

// The files SQLite keeps beside a database while it is in use.
QStringList companions(const QString& file)
{
    return {file + QStringLiteral("-wal"), file + QStringLiteral("-shm"),
            file + QStringLiteral("-journal")};
}

void removeWithCompanions(const QString& file)
{
    QFile::remove(file);
    for (const QString& companion : companions(file)) {
        QFile::remove(companion);
    }
}

// rename(2): replaces an existing target in one step, unlike QFile::rename.
bool replaceFile(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool samePath(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

bool check(const QString& file, const Expectation& expected, QString* error)
{
    Handle handle;
    if (!openReadable(handle, file, expected, error)) {
        return false;
    }
    QStringList verdict;
    if (!handle.rows("PRAGMA quick_check", &verdict) || verdict.value(0) != u"ok") {
        *error = kDamaged.arg(QDir::toNativeSeparators(file),
                              verdict.isEmpty() ? handle.error() : verdict.join(u'；'));
        return false;
    }
    QStringList tables;
    handle.rows("select name from sqlite_master where type='table'", &tables);
    const QSet<QString> present(tables.cbegin(), tables.cend());
    QStringList missing;
    for (const QString& table : expected.tables) {
        if (!present.contains(table)) {
            missing.append(table);
        }
    }
    if (!missing.isEmpty()) {
        *error = kMissingTables.arg(QDir::toNativeSeparators(file), missing.join(u'、'));
        return false;
    }
    return true;
}

bool backup(const QString& source, const Expectation& expected, const QString& target,
            QString* error)
{
    if (samePath(source, target)) {
        *error = kSameFile;
        return false;
    }
    if (!QFileInfo(target).absoluteDir().exists()) {
        *error = kCannotWrite.arg(QDir::toNativeSeparators(target), QStringLiteral("文件夹不存在"));
        return false;
    }
    Handle from;
    if (!openReadable(from, source, expected, error)) {
        return false;
    }
    const QString part =
        QStringLiteral("%1.%2.part").arg(target).arg(QCoreApplication::applicationPid());
    removeWithCompanions(part);
    bool ok;
    {
        Handle to;
        // An encrypted copy takes its pages only at its source's page size.
        ok = to.open(part, expected.key, true, from.pageSize());
        if (!ok) {
            *error = kCannotWrite.arg(QDir::toNativeSeparators(target), to.error());
        } else if ((ok = copyPages(from.get(), to.get(), error))) {
            // The pages say "write-ahead log" when the source keeps one; the backup is a file on
            // its own.
            to.exec("PRAGMA journal_mode=DELETE");
        }
    }
    from.close();
    if (ok && !check(part, expected, error)) {
        ok = false;
    }
    if (ok && !replaceFile(part, target)) {
        *error = kCannotWrite.arg(QDir::toNativeSeparators(target),
                                  QString::fromLocal8Bit(std::strerror(errno)));
        ok = false;
    }
    if (!ok) {
        removeWithCompanions(part);
    }
    return ok;
}

QString keptCopyName(const QString& live, const QDateTime& when)
{
    const QString stem = live + u'.' + when.toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    QString name = stem + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = QStringLiteral("%1-%2.bak").arg(stem).arg(n);
    }
    return name;
}

bool restore(const QString& backupFile, const QString& live, const Expectation& expected,
             QString* keptCopy, QString* error)
{
    keptCopy->clear();
    if (samePath(backupFile, live)) {
        *error = kSameFile;
        return false;
    }
    if (!check(backupFile, expected, error)) {
        return false;
    }
    if (!QFileInfo::exists(live)) {
        // A log or index file without its database belongs to nothing.
        removeWithCompanions(live);
        return backup(backupFile, expected, live, error);
    }

    QString liveError;
    const Expectation anyTables{expected.key, {}, expected.cipherPageSizes};
    Handle from;
    Handle to;
    if (check(live, anyTables, &liveError) && openReadable(from, backupFile, expected, error) &&
        openReadable(to, live, expected, error) && from.pageSize() == to.pageSize()) {
        // Intact: the replaced content is kept first, then the backup's pages go in through
        // the live file's own connection, log and locks.
        const QString kept = keptCopyName(live, QDateTime::currentDateTime());
        if (!backup(live, anyTables, kept, error)) {
            return false;
        }
        if (!copyPages(from.get(), to.get(), error)) {
            QFile::remove(kept);
            return false;
        }
        to.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        *keptCopy = kept;
        return true;
    }
    from.close();
    to.close();

    // Damaged or unreadable, or of another page size than the backup (pages copy only between
    // files of one size): set it aside together with its log, then put a fresh copy in its
    // place.
    const QString kept = keptCopyName(live, QDateTime::currentDateTime());
    if (!QFile::rename(live, kept)) {
        *error = kCannotWrite.arg(QDir::toNativeSeparators(kept),
                                  QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QFile::rename(live + QStringLiteral("-wal"), kept + QStringLiteral("-wal"));
    QFile::remove(live + QStringLiteral("-shm"));
    QFile::remove(live + QStringLiteral("-journal"));
    if (!backup(backupFile, expected, live, error)) {
        QFile::rename(kept, live);
        QFile::rename(kept + QStringLiteral("-wal"), live + QStringLiteral("-wal"));
        return false;
    }
    *keptCopy = kept;
    return true;
}

} // namespace DatabaseBackup
