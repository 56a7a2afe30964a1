#include "RegisterArchive.h"

#include "print/CertificateBody.h"
#include "print/CertificateOfdExport.h"
#include "register/CertificateRegister.h"
#include "register/IdMask.h"
#include "register/RegisterCsv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>

using namespace Register;

namespace {

// A number as a file name: it is letters, digits and a hyphen, but a register may hold anything.
QString fileNameFor(const QString& number)
{
    QString name = number.trimmed();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c)) {
            c = u'_';
        }
    }
    return (name.isEmpty() ? QStringLiteral("未编号") : name) + QStringLiteral(".ofd");
}

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    *error = QStringLiteral("无法写入“%1”（%2）").arg(path, file.errorString());
    return false;
}

// The last link of the register's hash chain, which a later audit can be given (--since) to
// show that nothing before it changed. Noted only from a register whose audit is intact: a head
// of a register already changed would vouch for the change. Empty otherwise.
QString RegisterHeadLink(CertificateRegister& reg)
{
    QString ignored;
    const std::optional<AuditResult> audited = reg.audit(QString(), &ignored);
    return audited && audited->intact ? audited->head : QString();
}

} // namespace

std::optional<qint64> WriteRegisterArchive(CertificateRegister& reg, const SearchQuery& query,
                                           const QString& folder, QString* error)
{
    SearchQuery all = query;
    all.offset = 0;
    all.limit = 0;
    const std::optional<QList<EntrySummary>> rows = reg.search(all, error);
    if (!rows) {
        return std::nullopt;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("无法创建文件夹“%1”").arg(folder);
        return std::nullopt;
    }
    const QDir dir(folder);
    const QString head = RegisterHeadLink(reg);

    QString index =
        QStringList{QStringLiteral("证明编号"),  QStringLiteral("姓名"), QStringLiteral("身份证号"),
                    QStringLiteral("离职日期"),  QStringLiteral("文件"), QStringLiteral("SHA-256"),
                    QStringLiteral("登记簿链头")}
            .join(u',') +
        QStringLiteral("\r\n");
    qint64 archived = 0;
    // Oldest first: the order the certificates were issued in.
    for (auto it = rows->crbegin(); it != rows->crend(); ++it) {
        const EntrySummary& row = *it;
        if (!row.issued) {
            continue;
        }
        const std::optional<Entry> entry = reg.entry(row.id, error);
        if (!entry) {
            return std::nullopt;
        }
        if (entry->versions.isEmpty()) {
            continue;
        }
        CertificateOfd document;
        document.addPage(CertificateBody(entry->versions.last().text));
        const QByteArray bytes = document.package(
            CertificateOfdInfo{row.company, {row.number}, row.createdAt.toLocalTime().date()},
            error);
        if (bytes.isEmpty()) {
            *error = QStringLiteral("无法生成 %1 的 OFD 文件（%2）").arg(row.number, *error);
            return std::nullopt;
        }
        const QString name = fileNameFor(row.number);
        if (!writeWhole(dir.filePath(name), bytes, error)) {
            return std::nullopt;
        }
        index +=
            QStringList{csvField(row.number),
                        csvField(row.name),
                        csvField(maskIdNumber(row.idNumber)),
                        csvField(row.leaveDate),
                        csvField(name),
                        QString::fromLatin1(
                            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
                        csvField(head)}
                .join(u',') +
            QStringLiteral("\r\n");
        ++archived;
    }
    if (!writeWhole(dir.filePath(kArchiveIndexName), QByteArray("\xEF\xBB\xBF") + index.toUtf8(),
                    error)) {
        return std::nullopt;
    }
    return archived;
}
