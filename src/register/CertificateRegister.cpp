#include "register/CertificateRegister.h"

#include "register/CertificateNumber.h"
#include "register/DutyRecords.h"
#include "register/PgRegisterStorage.h"
#include "register/RegisterCsv.h"
#include "register/RegisterText.h"
#include "register/SqliteRegisterStorage.h"
#include "store/pg/TeamConfig.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <pwd.h>
#include <unistd.h>

namespace Register {

namespace {

template <typename T>
std::optional<T> worded(std::optional<T> result, QString* error, const QString& doing)
{
    if (!result) {
        *error = QStringLiteral("登记簿%1失败：%2").arg(doing, *error);
    }
    return result;
}

QString valueOf(const FormValues& values, const QString& key)
{
    for (const FormValue& v : values) {
        if (v.key == key) {
            return v.value;
        }
    }
    return {};
}

} // namespace

QString currentLoginName()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) {
        return QString::fromLocal8Bit(pw->pw_name);
    }
    return qEnvironmentVariable("USER");
}

std::unique_ptr<CertificateRegister> CertificateRegister::open(const QString& path, QString* error)
{
    QString reason;
    std::unique_ptr<SqliteRegisterStorage> storage = SqliteRegisterStorage::open(path, &reason);
    if (!storage) {
        if (error) {
            *error = QStringLiteral("无法打开出具登记簿（%1）：%2。").arg(path, reason);
        }
        return nullptr;
    }
    return std::make_unique<CertificateRegister>(std::move(storage));
}

std::unique_ptr<CertificateRegister> CertificateRegister::openEmpty(QString* error)
{
    QString reason;
    std::unique_ptr<SqliteRegisterStorage> storage = SqliteRegisterStorage::openEmpty(&reason);
    if (!storage) {
        *error = QStringLiteral("无法打开出具登记簿：%1。").arg(reason);
        return nullptr;
    }
    return std::make_unique<CertificateRegister>(std::move(storage));
}

std::unique_ptr<CertificateRegister> CertificateRegister::openServer(const QString& conninfo,
                                                                     QString* error)
{
    // A password never comes from kavri's own configuration, for the register no more than for
    // the library.
    QString reason = TeamConfig::checkConninfo(conninfo);
    std::unique_ptr<PgRegisterStorage> storage =
        reason.isEmpty() ? PgRegisterStorage::open(conninfo, &reason) : nullptr;
    if (!storage) {
        if (error) {
            *error = QStringLiteral("无法打开服务器 %1 上的出具登记簿：%2。")
                         .arg(TeamConfig::displayName(conninfo), reason);
        }
        return nullptr;
    }
    return std::make_unique<CertificateRegister>(std::move(storage));
}

CertificateRegister::CertificateRegister(std::unique_ptr<RegisterStorage> storage)
    : m_storage(std::move(storage)), m_operator(currentLoginName()), m_prefix(kDefaultNumberPrefix)
{
    m_storage->setOperatorName(m_operator);
}

void CertificateRegister::setOperatorName(const QString& name)
{
    m_operator = name;
    m_storage->setOperatorName(name);
}

std::optional<AuditResult> CertificateRegister::audit(const QString& since, QString* error)
{
    return worded(m_storage->audit(since, error), error, QStringLiteral("校验"));
}

QDateTime CertificateRegister::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

std::optional<IssuedEntry> CertificateRegister::addEntry(const NewEntry& entry,
                                                         const Composer& compose, QString* error)
{
    RegisterStorage::EntryRecord r;
    r.entry = entry;
    r.numberPrefix = m_prefix;
    r.createdAt = now();
    r.year = r.createdAt.date().year();
    r.operatorName = m_operator;
    r.name = valueOf(entry.values, Keys::kName);
    r.idNumber = valueOf(entry.values, Keys::kIdNumber).trimmed().toUpper();
    r.company = valueOf(entry.values, Keys::kCompany);
    r.leaveDate = valueOf(entry.values, Keys::kLeaveDate);
    r.leaveDay = parseFormDate(r.leaveDate);
    return worded(m_storage->addEntry(r, compose, error), error, QStringLiteral("登记"));
}

std::optional<int> CertificateRegister::recordEvent(qint64 entryId, EventKind kind,
                                                    const QString& text, QString* error)
{
    const std::optional<QList<int>> versions =
        recordEvents({Leaving{entryId, kind, text, QString()}}, {}, error);
    if (!versions) {
        return std::nullopt;
    }
    return versions->value(0);
}

std::optional<QList<int>>
CertificateRegister::recordEvents(const QList<Leaving>& leavings,
                                  const RegisterStorage::BeforeCommit& beforeCommit, QString* error)
{
    const EventKind kind = leavings.isEmpty() ? EventKind::Copied : leavings.first().kind;
    return worded(m_storage->recordEvents(leavings, now(), beforeCommit, error), error,
                  QStringLiteral("记录") + eventKindLabel(kind));
}

QDate CertificateRegister::today() const
{
    return now().toLocalTime().date();
}

bool CertificateRegister::recordDelivery(qint64 entryId, const Delivery& delivery,
                                         QString* error)
{
    Delivery d = delivery;
    d.waybill = d.waybill.trimmed().toUpper();
    d.note = d.note.trimmed();
    const std::optional<Entry> e = entry(entryId, error);
    if (!e) {
        return false;
    }
    if (const QString problem = deliveryProblem(d, firstLeavingDay(*e), today());
        !problem.isEmpty()) {
        *error = QStringLiteral("%1 不能记录送达：%2").arg(e->summary.number, problem);
        return false;
    }
    return worded(m_storage->recordDuty(entryId, deliveryRecord(d), now(), error), error,
                  QStringLiteral("记录送达"))
        .has_value();
}

bool CertificateRegister::recordTransfer(qint64 entryId, const QDate& day, QString* error)
{
    const std::optional<Entry> e = entry(entryId, error);
    if (!e) {
        return false;
    }
    if (const QString problem = transferProblem(day, today()); !problem.isEmpty()) {
        *error = QStringLiteral("%1 不能记录转移：%2").arg(e->summary.number, problem);
        return false;
    }
    return worded(m_storage->recordDuty(entryId, transferRecord(day), now(), error), error,
                  QStringLiteral("记录档案社保转移"))
        .has_value();
}

std::optional<QList<EntrySummary>> CertificateRegister::search(const SearchQuery& query,
                                                               QString* error)
{
    return worded(m_storage->search(query, error), error, QStringLiteral("查询"));
}

std::optional<qint64> CertificateRegister::count(const SearchQuery& query, QString* error)
{
    return worded(m_storage->count(query, error), error, QStringLiteral("查询"));
}

std::optional<Entry> CertificateRegister::entry(qint64 id, QString* error)
{
    return worded(m_storage->entry(id, error), error, QStringLiteral("读取"));
}

std::optional<Entry> CertificateRegister::entryByNumber(const QString& number, QString* error)
{
    const std::optional<qint64> id =
        worded(m_storage->findByNumber(number, error), error, QStringLiteral("查询"));
    if (!id) {
        return std::nullopt;
    }
    if (*id == 0) {
        *error = QStringLiteral("登记簿中没有编号为 %1 的证明。").arg(number.trimmed());
        return std::nullopt;
    }
    return entry(*id, error);
}

std::optional<VerifyResult> CertificateRegister::verifyNumber(const QString& number, QString* error)
{
    VerifyResult result;
    result.number = number.trimmed().toUpper();
    const std::optional<qint64> id =
        worded(m_storage->findByNumber(result.number, error), error, QStringLiteral("查验"));
    if (!id) {
        return std::nullopt;
    }
    if (*id != 0) {
        result.entry = entry(*id, error);
        if (!result.entry) {
            return std::nullopt;
        }
        result.outcome = VerifyResult::Outcome::NumberOnly;
    }
    return result;
}

std::optional<VerifyResult> CertificateRegister::verifyText(const QString& text, QString* error)
{
    const QString number = findNumberInText(text);
    if (number.isEmpty()) {
        return verifyUnnumberedText(text, error);
    }
    std::optional<VerifyResult> result = verifyNumber(number, error);
    if (result && result->entry) {
        compareWithVersions(*result, text);
    }
    return result;
}

void CertificateRegister::compareWithVersions(VerifyResult& result, const QString& text)
{
    // The text is compared with every version that was recorded; when none is equal, the
    // difference is shown against the version that agrees with it longest.
    if (result.entry->versions.isEmpty()) {
        return; // nothing recorded to compare with
    }
    qsizetype closestAt = -1;
    result.difference.reset();
    result.matchedVersion = 0;
    for (const Version& v : result.entry->versions) {
        const std::optional<Difference> d = firstDifference(v.text, text);
        if (!d) {
            result.outcome = VerifyResult::Outcome::Match;
            result.matchedVersion = v.versionNo;
            result.difference.reset();
            return;
        }
        if (d->offset >= closestAt) {
            closestAt = d->offset;
            result.matchedVersion = v.versionNo;
            result.difference = d;
        }
    }
    result.outcome = VerifyResult::Outcome::Mismatch;
}

namespace {

// ID numbers as a certificate prints them: 18 characters (the last may be X) or the old 15
// digits, not part of a longer run of digits.
QStringList idNumbersIn(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("(?<![0-9])([0-9]{17}[0-9Xx]|[0-9]{15})(?![0-9Xx])"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QString id = it.next().captured(1).toUpper();
        if (!found.contains(id)) {
            found.append(id);
        }
    }
    return found;
}

// Every date the text names, in the forms the form's dates are written in.
QList<QDate> datesIn(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("(\\d{4})\\s*[年/.\\-]\\s*(\\d{1,2})\\s*[月/.\\-]\\s*(\\d{1,2})"));
    QList<QDate> found;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (date.isValid() && !found.contains(date)) {
            found.append(date);
        }
    }
    return found;
}

// A pasted text names few people and few dates; these bound what one paste can make the
// register look through.
constexpr int kMaxLookups = 8;
constexpr int kMaxCandidates = 50;

} // namespace

std::optional<VerifyResult> CertificateRegister::verifyUnnumberedText(const QString& text,
                                                                      QString* error)
{
    // A text the register holds word for word.
    const auto hit =
        worded(m_storage->findByNormalizedHash(sha256Hex(normalizeLineBreaks(text)), error),
               error, QStringLiteral("查验"));
    if (!hit) {
        return std::nullopt;
    }
    VerifyResult result;
    if (hit->first != 0) {
        result.entry = entry(hit->first, error);
        if (!result.entry) {
            return std::nullopt;
        }
        result.outcome = VerifyResult::Outcome::Match;
        result.foundBy = VerifyResult::FoundBy::WholeText;
        result.number = result.entry->summary.number;
        result.matchedVersion = hit->second;
        return result;
    }

    // Otherwise the entries whose person the text names: by name and ID number, else by name
    // and leaving date. The text is then compared with each of them as with a numbered one.
    QList<qint64> candidates;
    VerifyResult::FoundBy foundBy = VerifyResult::FoundBy::NameAndIdNumber;
    auto collect = [&](const SearchQuery& query, auto&& belongs) -> bool {
        const std::optional<QList<EntrySummary>> rows = search(query, error);
        if (!rows) {
            return false;
        }
        for (const EntrySummary& row : *rows) {
            if (!row.name.isEmpty() && text.contains(row.name) && belongs(row) &&
                !candidates.contains(row.id) && candidates.size() < kMaxCandidates) {
                candidates.append(row.id);
            }
        }
        return true;
    };
    for (const QString& id : idNumbersIn(text).mid(0, kMaxLookups)) {
        SearchQuery query;
        query.idNumber = id;
        query.limit = kMaxCandidates;
        if (!collect(query, [&](const EntrySummary& row) {
                return row.idNumber.compare(id, Qt::CaseInsensitive) == 0;
            })) {
            return std::nullopt;
        }
    }
    if (candidates.isEmpty()) {
        foundBy = VerifyResult::FoundBy::NameAndLeaveDate;
        for (const QDate& date : datesIn(text).mid(0, kMaxLookups)) {
            SearchQuery query;
            query.dateField = DateField::Leaving;
            query.from = date;
            query.to = date;
            query.limit = kMaxCandidates;
            if (!collect(query, [](const EntrySummary&) { return true; })) {
                return std::nullopt;
            }
        }
    }
    if (candidates.isEmpty()) {
        return result;
    }

    // The closest is the one that agrees with the text longest (a match ends the search).
    std::optional<VerifyResult> closest;
    for (qint64 id : candidates) {
        VerifyResult candidate;
        candidate.entry = entry(id, error);
        if (!candidate.entry) {
            return std::nullopt;
        }
        candidate.foundBy = foundBy;
        candidate.number = candidate.entry->summary.number;
        compareWithVersions(candidate, text);
        if (candidate.outcome == VerifyResult::Outcome::Match) {
            closest = std::move(candidate);
            break;
        }
        if (!candidate.difference) {
            continue;
        }
        if (!closest || candidate.difference->offset > closest->difference->offset) {
            closest = std::move(candidate);
        }
    }
    if (!closest) {
        return result;
    }
    closest->otherCandidates = int(candidates.size()) - 1;
    return closest;
}

std::optional<VerifyResult> CertificateRegister::verify(const QString& input, QString* error)
{
    if (parseNumber(input.trimmed().toUpper())) {
        return verifyNumber(input, error);
    }
    return verifyText(input, error);
}

QDate CertificateRegister::retentionCutoff() const
{
    return now().date().addYears(-2);
}

std::optional<qint64> CertificateRegister::countExpired(QString* error)
{
    return worded(m_storage->countExpired(retentionCutoff(), error), error, QStringLiteral("清理"));
}

std::optional<qint64> CertificateRegister::deleteExpired(qint64 confirmedCount, QString* error)
{
    if (confirmedCount <= 0) {
        *error = QStringLiteral("没有两年前的记录可以删除。");
        return std::nullopt;
    }
    return worded(m_storage->deleteExpired(retentionCutoff(), confirmedCount, error), error,
                  QStringLiteral("清理"));
}

std::optional<qint64> CertificateRegister::exportCsv(const QString& path, const SearchQuery& query,
                                                     bool fullIds, QString* error)
{
    SearchQuery all = query;
    all.offset = 0;
    all.limit = 0;
    const std::optional<QList<EntrySummary>> rows = search(all, error);
    if (!rows) {
        return std::nullopt;
    }
    QSaveFile file(path);
    const QByteArray csv = registerCsv(*rows, fullIds);
    // Full ID numbers are for the owner's eyes only, as the register itself is.
    const bool opened =
        file.open(QIODevice::WriteOnly) &&
        (!fullIds || file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    if (!opened || file.write(csv) != csv.size() || !file.commit()) {
        *error = QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString());
        return std::nullopt;
    }
    return rows->size();
}

} // namespace Register
