#include "register/RegisterChain.h"

#include "register/CertificateNumber.h"
#include "register/RegisterText.h"

#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace Register::Chain {

namespace {

const QString kZeroLink = QString(64, QLatin1Char('0'));

void append(QByteArray& out, const QString& field)
{
    const QByteArray bytes = field.toUtf8();
    char length[4];
    qToBigEndian<quint32>(quint32(bytes.size()), length);
    out.append(length, 4);
    out.append(bytes);
}

} // namespace

QString genesis()
{
    return kZeroLink;
}

QByteArray encode(const QStringList& fields)
{
    QByteArray out;
    for (const QString& f : fields) {
        append(out, f);
    }
    return out;
}

void appendField(QByteArray& out, QByteArrayView utf8)
{
    char length[4];
    qToBigEndian<quint32>(quint32(utf8.size()), length);
    out.append(length, 4);
    out.append(utf8);
}

QString link(const QString& previous, const QStringList& fields)
{
    return link(previous, fields, {});
}

QString link(const QString& previous, const QStringList& fields,
             std::initializer_list<QByteArrayView> encodedTail)
{
    // The audit links every row of the register: one hash object and one buffer per thread,
    // each field's UTF-8 bytes written into the buffer behind its length, nothing else copied.
    thread_local Sha256 hash;
    thread_local QByteArray buffer;
    thread_local QStringEncoder utf8(QStringEncoder::Utf8);
    const QByteArray previousBytes = QByteArray::fromHex(previous.toLatin1());
    hash.add(previousBytes);
    for (const QString& f : fields) {
        const qsizetype room = 4 + qsizetype(utf8.requiredSpace(f.size()));
        if (buffer.size() < room) {
            buffer.resize(room);
        }
        char* const start = buffer.data();
        char* const end = utf8.appendToBuffer(start + 4, f);
        qToBigEndian<quint32>(quint32(end - start - 4), start);
        hash.add(QByteArrayView(start, end - start));
    }
    for (const QByteArrayView encoded : encodedTail) {
        hash.add(encoded);
    }
    return hash.resultHex();
}

QString timeText(const QDateTime& t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QStringList versionFields(qint64 position, const QString& number, int versionNo,
                          const QString& at, const QString& operatorName, const QString& sha256)
{
    return {QStringLiteral("version"), QString::number(position), number,
            QString::number(versionNo), at, operatorName, sha256};
}

void addEntryFields(QStringList& fields, const QString& entryAt, const QString& entryOperator,
                    const QString& templateName, const QString& templateText,
                    const FormValues& values)
{
    fields << entryAt << entryOperator << templateName << templateText;
    for (const FormValue& v : values) {
        fields << v.key << v.value;
    }
}

QStringList eventFields(qint64 position, const QString& number, int versionNo,
                        const QString& kind, const QString& at, const QString& operatorName,
                        const QString& sha256, const QString& detail)
{
    return {QStringLiteral("event"), QString::number(position), number, QString::number(versionNo),
            kind, at, operatorName, sha256, detail};
}

QStringList deletionFields(const Deletion& d)
{
    QStringList fields{QStringLiteral("deletion"), QString::number(d.position), d.at,
                       d.operatorName, d.reason, QString::number(d.numbers.size())};
    fields << d.numbers;
    for (const RemovedRow& r : d.removed) {
        fields << QString::number(r.position) << r.link;
    }
    return fields;
}

QString numbersText(const QStringList& numbers)
{
    return numbers.join(u' ');
}

QString removedText(const QList<RemovedRow>& removed)
{
    QStringList parts;
    for (const RemovedRow& r : removed) {
        parts << QString::number(r.position) << r.link;
    }
    return parts.join(u' ');
}

QStringList numbersFrom(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

QList<RemovedRow> removedFrom(const QString& text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    QList<RemovedRow> rows;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        rows << RemovedRow{parts[i].toLongLong(), parts[i + 1]};
    }
    return rows;
}

Audit::Audit(QString since) : m_since(std::move(since).trimmed().toLower()), m_previous(kZeroLink)
{
}

void Audit::addDeletion(const Deletion& d)
{
    for (const RemovedRow& r : d.removed) {
        m_removed.insert(r.position, r.link);
    }
    for (const QString& n : d.numbers) {
        if (const auto parsed = parseNumber(n)) {
            m_accounted[parsed->year].insert(parsed->sequence);
        }
    }
}

void Audit::fail(qint64 position, const QString& problem)
{
    if (m_failure.isEmpty() || (position > 0 && (m_failedAt == 0 || position < m_failedAt))) {
        m_failedAt = position;
        m_failure = problem;
    }
}

void Audit::rowProblem(qint64 position, const QString& problem)
{
    fail(position, problem);
}

void Audit::entryProblem(qint64 position, const QString& problem)
{
    if (m_entryProblem.isEmpty() || position < m_entryProblemAt) {
        m_entryProblemAt = position;
        m_entryProblem = problem;
    }
}

void Audit::addRow(qint64 position, const QString& storedLink, const QStringList& fields,
                   const QString& name, const QString& contentProblem)
{
    addRow(position, storedLink, fields, {}, [&name] { return name; }, contentProblem);
}

bool Audit::skipTo(qint64 position, const std::function<QString()>& name)
{
    if (position <= 0 || position < m_expected) {
        fail(position > 0 ? position : m_expected,
             QStringLiteral("%1 的链位置 %2 重复或无效").arg(name()).arg(position));
        m_chainBroken = true;
        return false;
    }
    // Rows a deletion record took out are passed over with the link it noted for each.
    while (m_expected < position) {
        const auto it = m_removed.constFind(m_expected);
        if (it == m_removed.cend()) {
            fail(m_expected, QStringLiteral("第 %1 条记录不见了，也没有删除记录说明它").arg(m_expected));
            m_chainBroken = true;
            return false;
        }
        m_previous = *it;
        ++m_expected;
    }
    if (!m_removed.isEmpty() && m_removed.contains(position)) {
        fail(position, QStringLiteral("%1 仍在登记簿中，删除记录却说它已删除").arg(name()));
    }
    return true;
}

void Audit::linked(QLatin1StringView computed)
{
    if (!m_since.isEmpty() && m_since == computed) {
        m_sinceSeen = true;
    }
    // Written over in place: one string for the whole walk.
    if (m_previous.size() != computed.size()) {
        m_previous.resize(computed.size());
    }
    QChar* out = m_previous.data();
    for (const char c : computed) {
        *out++ = QLatin1Char(c);
    }
    ++m_expected;
    ++m_rows;
}

void Audit::addRow(qint64 position, const QString& storedLink, const QStringList& fields,
                   std::initializer_list<QByteArrayView> encodedTail,
                   const std::function<QString()>& name, const QString& contentProblem)
{
    if (m_chainBroken || !skipTo(position, name)) {
        return;
    }
    const QString computed = link(m_previous, fields, encodedTail);
    if (!contentProblem.isEmpty()) {
        fail(position, QStringLiteral("%1：%2").arg(name(), contentProblem));
    }
    if (computed != storedLink) {
        fail(position, QStringLiteral("%1 的链接值与内容不符（它或它之前的记录被改动过）").arg(name()));
        m_chainBroken = true;
        return;
    }
    const QByteArray latin1 = computed.toLatin1();
    linked(QLatin1StringView(latin1));
}

namespace {

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

} // namespace

void Audit::addEncodedRow(qint64 position, QByteArrayView storedLink, QByteArrayView encoded,
                          const std::function<QString()>& name, const QString& contentProblem)
{
    if (m_chainBroken || !skipTo(position, name)) {
        return;
    }
    thread_local Sha256 hash;
    // The previous link as its 32 bytes; a link that is not 64 hex digits (a deletion record's,
    // changed) is read as link() reads it.
    unsigned char previous[32];
    bool plain = m_previous.size() == 64;
    for (int i = 0; plain && i < 32; ++i) {
        const int high = hexDigit(m_previous[2 * i].unicode());
        const int low = hexDigit(m_previous[2 * i + 1].unicode());
        plain = high >= 0 && low >= 0;
        previous[i] = static_cast<unsigned char>(high << 4 | low);
    }
    if (plain) {
        hash.add(QByteArrayView(previous, 32));
    } else {
        hash.add(QByteArray::fromHex(m_previous.toLatin1()));
    }
    hash.add(encoded);
    char computed[64];
    hash.resultHexInto(computed);
    if (!contentProblem.isEmpty()) {
        fail(position, QStringLiteral("%1：%2").arg(name(), contentProblem));
    }
    if (storedLink != QByteArrayView(computed, 64)) {
        fail(position, QStringLiteral("%1 的链接值与内容不符（它或它之前的记录被改动过）").arg(name()));
        m_chainBroken = true;
        return;
    }
    linked(QLatin1StringView(computed, 64));
}

void Audit::addNumber(int year, qint64 sequence)
{
    m_numbers[year] << sequence;
}

void Audit::setCounter(int year, qint64 last)
{
    m_counters[year] = last;
}

void Audit::setStoredHead(qint64 position, const QString& link)
{
    m_storedHead = std::make_pair(position, link);
}

void Audit::problem(const QString& text)
{
    m_otherProblems << text;
}

AuditResult Audit::finish()
{
    // Removed rows after the last row that is left.
    if (!m_chainBroken) {
        while (m_removed.contains(m_expected)) {
            m_previous = m_removed.value(m_expected);
            ++m_expected;
        }
    }
    AuditResult r;
    r.rows = m_rows;
    r.head = m_chainBroken ? QString() : m_previous;
    if (m_failure.isEmpty() && m_storedHead &&
        (m_storedHead->first != m_expected - 1 || m_storedHead->second != m_previous)) {
        fail(m_storedHead->first > m_expected - 1 ? m_expected : m_storedHead->first,
             QStringLiteral("链的末尾记在第 %1 条，链却到第 %2 条为止（末尾的记录被删除或添加过）")
                 .arg(m_storedHead->first)
                 .arg(m_expected - 1));
    }
    if (m_failure.isEmpty() && !m_entryProblem.isEmpty()) {
        fail(m_entryProblemAt, m_entryProblem);
    }
    if (m_failure.isEmpty() && !m_since.isEmpty() && !m_sinceSeen) {
        fail(0, QStringLiteral("先前记下的链头 %1 不在链中：它之前的记录被改动或删除过")
                    .arg(m_since));
    }
    // Every number of a year from 1 to its counter is an entry or accounted for by a deletion
    // record, once; the counter stands at the highest.
    if (m_failure.isEmpty()) {
        QSet<int> years;
        for (auto it = m_numbers.cbegin(); it != m_numbers.cend(); ++it) {
            years.insert(it.key());
        }
        for (auto it = m_counters.cbegin(); it != m_counters.cend(); ++it) {
            years.insert(it.key());
        }
        QList<int> ordered(years.cbegin(), years.cend());
        std::sort(ordered.begin(), ordered.end());
        for (int year : ordered) {
            QList<qint64> seqs = m_numbers.value(year);
            std::sort(seqs.begin(), seqs.end());
            const QSet<qint64> accounted = m_accounted.value(year);
            qint64 highest = seqs.isEmpty() ? 0 : seqs.last();
            for (qint64 a : accounted) {
                highest = std::max(highest, a);
            }
            const qint64 counter = m_counters.value(year, 0);
            QString found;
            for (qsizetype i = 1; i < seqs.size() && found.isEmpty(); ++i) {
                if (seqs[i] == seqs[i - 1]) {
                    found = QStringLiteral("%1 年的编号 %2 出现了两次").arg(year).arg(seqs[i]);
                }
            }
            const qint64 top = std::max(highest, counter);
            qsizetype at = 0;
            for (qint64 s = 1; s <= top && found.isEmpty(); ++s) {
                while (at < seqs.size() && seqs[at] < s) {
                    ++at;
                }
                const bool present = at < seqs.size() && seqs[at] == s;
                if (!present && !accounted.contains(s)) {
                    found = QStringLiteral("%1 年的第 %2 号不在登记簿中，也没有删除记录说明它")
                                .arg(year)
                                .arg(s);
                } else if (present && accounted.contains(s)) {
                    found = QStringLiteral("%1 年的第 %2 号仍在登记簿中，删除记录却说它已删除")
                                .arg(year)
                                .arg(s);
                }
            }
            if (found.isEmpty() && counter < highest) {
                found = QStringLiteral("%1 年的计数器为 %2，低于已给出的最大编号 %3（计数器被改动过）")
                            .arg(year)
                            .arg(counter)
                            .arg(highest);
            }
            if (!found.isEmpty()) {
                fail(0, found);
                break;
            }
        }
    }
    if (m_failure.isEmpty() && !m_otherProblems.isEmpty()) {
        fail(0, m_otherProblems.first());
    }
    r.intact = m_failure.isEmpty();
    r.failedRow = m_failedAt;
    r.problem = m_failure;
    return r;
}

namespace {

// What the audit keeps of an entry while it walks the chain, as the chain's encoding (a 4-byte
// length before each field) wherever it can: few allocations for each of a large register's
// entries, and version 1's fields appended as they are.
struct AuditEntry
{
    qint64 id = 0;
    // The certificate number's UTF-8 bytes.
    QByteArray number;
    int year = 0;
    qint64 seq = 0;
    qint64 templateId = 0;
    // Created at, operator: what version 1 adds after its own fields.
    QByteArray own;
    // The list's columns: name, ID number, company, leaving date, last event's kind and time.
    QByteArray listed;
    // The form values as key, value pairs, and where the first value of each key the list
    // repeats lies in it (-1: none).
    QByteArray encodedValues;
    qsizetype formAt[4] = {-1, -1, -1, -1};
    // The entry's latest leaving as the chain holds it, and the position of its version 1.
    QByteArray latestKind;
    QByteArray latestAt;
    qint64 latestPosition = 0;
    qint64 firstVersionPosition = 0;
    // The entry's version walked last, which its events mostly refer to.
    qint64 lastVersionId = -1;
    int lastVersionNo = 0;
    QByteArray lastVersionSha256;
};

enum ListedField { kListedName, kListedId, kListedCompany, kListedLeaveDate, kListedKind,
                   kListedAt };

// Field `index` of an encoding made by appendField.
QByteArrayView encodedField(const QByteArray& encoded, int index)
{
    qsizetype at = 0;
    for (int i = 0;; ++i) {
        if (at + 4 > encoded.size()) {
            return {};
        }
        const qsizetype length = qFromBigEndian<quint32>(encoded.constData() + at);
        if (i == index) {
            return QByteArrayView(encoded.constData() + at + 4, length);
        }
        at += 4 + length;
    }
}

// The form value at `at` in encodedValues (empty for -1).
QByteArrayView formValue(const AuditEntry& e, int k)
{
    if (e.formAt[k] < 0) {
        return {};
    }
    const qsizetype length = qFromBigEndian<quint32>(e.encodedValues.constData() + e.formAt[k]);
    return QByteArrayView(e.encodedValues.constData() + e.formAt[k] + 4, length);
}

// What the list columns of an entry repeat from its form values must agree with them. The ID
// number is listed trimmed and in capitals.
QString listColumnsProblem(const AuditEntry& e)
{
    const QByteArrayView id = encodedField(e.listed, kListedId);
    const QByteArrayView formId = formValue(e, 1);
    // A form value of digits and capitals only is its own trimmed, upper-case form.
    const bool plainId = std::all_of(formId.begin(), formId.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
    });
    const bool idAgrees = plainId ? id == formId
                                  : QString::fromUtf8(id) ==
                                        QString::fromUtf8(formId).trimmed().toUpper();
    if (encodedField(e.listed, kListedName) != formValue(e, 0) || !idAgrees ||
        encodedField(e.listed, kListedCompany) != formValue(e, 2) ||
        encodedField(e.listed, kListedLeaveDate) != formValue(e, 3)) {
        return QStringLiteral("列表中的姓名、身份证号、公司或离职日期与登记的表单值不符");
    }
    return {};
}

// One form value of an entry: into its encoding, and noted when it is one the list repeats.
void addFormValue(AuditEntry& entry, QByteArrayView key, QByteArrayView value)
{
    static const QByteArray listKeys[] = {Keys::kName.toUtf8(), Keys::kIdNumber.toUtf8(),
                                          Keys::kCompany.toUtf8(), Keys::kLeaveDate.toUtf8()};
    appendField(entry.encodedValues, key);
    const qsizetype valueAt = entry.encodedValues.size();
    appendField(entry.encodedValues, value);
    for (unsigned k = 0; k < 4; ++k) {
        if (entry.formAt[k] < 0 && key == listKeys[k]) {
            entry.formAt[k] = valueAt;
        }
    }
}

void appendNumber(QByteArray& out, qint64 n)
{
    // Decimal, as QString::number writes it.
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    const bool negative = n < 0;
    quint64 rest = negative ? 0 - quint64(n) : quint64(n);
    do {
        *--at = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative) {
        *--at = '-';
    }
    appendField(out, QByteArrayView(at, end - at));
}

void setBytes(QByteArray& to, QByteArrayView from)
{
    to.resize(from.size());
    if (!from.isEmpty()) {
        std::memcpy(to.data(), from.data(), size_t(from.size()));
    }
}

// The entries by id; looked up mostly in id order, so the last place found is tried first.
class EntryIndex
{
public:
    std::vector<AuditEntry> entries;

    void sort()
    {
        if (!std::is_sorted(entries.begin(), entries.end(), byId)) {
            std::stable_sort(entries.begin(), entries.end(), byId);
        }
    }
    AuditEntry* find(qint64 id)
    {
        const size_t n = entries.size();
        for (size_t guess : {m_last, m_last + 1}) {
            if (guess < n && entries[guess].id == id) {
                m_last = guess;
                return &entries[guess];
            }
        }
        const auto it = std::lower_bound(
            entries.begin(), entries.end(), id,
            [](const AuditEntry& e, qint64 wanted) { return e.id < wanted; });
        if (it == entries.end() || it->id != id) {
            return nullptr;
        }
        m_last = size_t(it - entries.begin());
        return &*it;
    }

private:
    static bool byId(const AuditEntry& a, const AuditEntry& b) { return a.id < b.id; }
    size_t m_last = 0;
};

// A version as its events need it: its number and its text's SHA-256.
struct KnownVersion
{
    int number = 0;
    QByteArray sha256;
};

} // namespace

bool textAgreesWithHashes(Sha256& hash, QByteArrayView text, QByteArrayView sha,
                          QByteArrayView normalizedSha)
{
    // The stored bytes are hashed as they are; a text without CR is its own normalized form.
    char plain[64];
    hash.add(text);
    hash.resultHexInto(plain);
    const QByteArrayView plainView(plain, 64);
    const bool normalizedAgrees =
        text.contains('\r')
            ? sha256Hex(normalizeLineBreaks(QString::fromUtf8(text))).toLatin1() == normalizedSha
            : plainView == normalizedSha;
    return plainView == sha && normalizedAgrees;
}

std::optional<AuditResult> auditRegister(AuditInput& in, const QString& since)
{
    Audit walk(since);
    // Each template's name and text, encoded once for every version 1 that uses it.
    QHash<qint64, QByteArray> templates;
    AuditCursor& t = in.templates;
    while (t.next()) {
        QByteArray encoded;
        appendField(encoded, t.bytes(1));
        appendField(encoded, t.bytes(2));
        templates.insert(t.integer(0), encoded);
    }
    QByteArray noTemplate;
    appendField(noTemplate, {});
    appendField(noTemplate, {});
    EntryIndex entries;
    AuditCursor& e = in.entries;
    while (e.next()) {
        AuditEntry& a = entries.entries.emplace_back();
        a.id = e.integer(0);
        a.number = e.bytes(1).toByteArray();
        a.year = int(e.integer(2));
        a.seq = e.integer(3);
        a.templateId = e.integer(6);
        appendField(a.own, e.bytes(4));
        appendField(a.own, e.bytes(5));
        for (int column = 7; column <= 12; ++column) {
            appendField(a.listed, e.bytes(column));
        }
        walk.addNumber(a.year, a.seq);
    }
    entries.sort();
    AuditCursor& values = in.values;
    AuditEntry* current = nullptr;
    qint64 currentId = 0;
    while (values.next()) {
        // Values come by entry: one look-up per entry, not per value.
        const qint64 id = values.integer(0);
        if (!current || id != currentId) {
            current = entries.find(id);
            currentId = id;
        }
        if (current) {
            addFormValue(*current, values.bytes(1), values.bytes(2));
        }
    }
    AuditCursor& counters = in.counters;
    while (counters.next()) {
        walk.setCounter(int(counters.integer(0)), counters.integer(1));
    }
    QList<Deletion> deletions;
    AuditCursor& d = in.deletions;
    while (d.next()) {
        Deletion del;
        del.position = d.integer(0);
        del.link = d.text(1);
        del.at = d.text(2);
        del.operatorName = d.text(3);
        del.reason = d.text(4);
        del.numbers = numbersFrom(d.text(5));
        del.removed = removedFrom(d.text(6));
        walk.addDeletion(del);
        deletions << del;
    }
    AuditCursor& head = in.head;
    if (head.next()) {
        walk.setStoredHead(head.integer(0), head.text(1));
    }
    if (t.failed() || e.failed() || values.failed() || counters.failed() || d.failed() ||
        head.failed()) {
        return std::nullopt;
    }

    // The three kinds of rows merged by position. Each row's fields are encoded into one
    // buffer, from the bytes the storage holds.
    AuditCursor& versions = in.versions;
    AuditCursor& events = in.events;
    bool haveVersion = versions.next();
    bool haveEvent = events.next();
    qsizetype nextDeletion = 0;
    const auto positionOf = [](const AuditCursor& s, int column) {
        return s.isNull(column) ? qint64(0) : s.integer(column);
    };
    QHash<qint64, KnownVersion> known;
    Sha256 hash;
    QByteArray row;
    static const QByteArray kVersion = QByteArrayLiteral("version");
    static const QByteArray kEvent = QByteArrayLiteral("event");
    while (haveVersion || haveEvent || nextDeletion < deletions.size()) {
        const qint64 vp = haveVersion ? positionOf(versions, 8) : INT64_MAX;
        const qint64 ep = haveEvent ? positionOf(events, 6) : INT64_MAX;
        const qint64 dp = nextDeletion < deletions.size() ? deletions[nextDeletion].position
                                                          : INT64_MAX;
        if (vp <= ep && vp <= dp) {
            const qint64 entryId = versions.integer(1);
            const int versionNo = int(versions.integer(2));
            const QByteArrayView text = versions.bytes(3);
            const QByteArrayView sha = versions.bytes(4);
            AuditEntry* entry = entries.find(entryId);
            row.clear();
            appendField(row, kVersion);
            appendNumber(row, vp);
            appendField(row, entry ? QByteArrayView(entry->number) : QByteArrayView());
            appendNumber(row, versionNo);
            appendField(row, versions.bytes(6));
            appendField(row, versions.bytes(7));
            appendField(row, sha);
            QString problem;
            if (!entry) {
                problem = QStringLiteral("所属条目不见了");
            } else {
                const std::optional<bool> checked = versions.textAgrees();
                if (!(checked ? *checked
                              : textAgreesWithHashes(hash, text, sha, versions.bytes(5)))) {
                    problem = QStringLiteral("文本与记录的 SHA-256 不符");
                }
            }
            if (entry && versionNo == 1) {
                row.append(entry->own);
                const auto tpl = templates.constFind(entry->templateId);
                row.append(tpl != templates.cend() ? *tpl : noTemplate);
                row.append(entry->encodedValues);
                entry->firstVersionPosition = vp;
                if (problem.isEmpty()) {
                    problem = listColumnsProblem(*entry);
                }
            }
            // Each version walked is its entry's last one or kept in `known`.
            const qint64 versionId = versions.integer(0);
            if (entry) {
                if (entry->lastVersionId >= 0) {
                    known.insert(entry->lastVersionId,
                                 KnownVersion{entry->lastVersionNo, entry->lastVersionSha256});
                }
                entry->lastVersionId = versionId;
                entry->lastVersionNo = versionNo;
                setBytes(entry->lastVersionSha256, sha);
            } else {
                known.insert(versionId, KnownVersion{versionNo, sha.toByteArray()});
            }
            const QByteArrayView number = entry ? QByteArrayView(entry->number) : QByteArrayView();
            walk.addEncodedRow(vp, versions.bytes(9), row,
                               [&number, versionNo] {
                                   return QStringLiteral("%1 第 %2 版")
                                       .arg(QString::fromUtf8(number))
                                       .arg(versionNo);
                               },
                               problem);
            haveVersion = versions.next();
        } else if (ep <= dp) {
            AuditEntry* entry = entries.find(events.integer(0));
            const QByteArrayView kind = events.bytes(2);
            const QByteArrayView at = events.bytes(3);
            std::optional<KnownVersion> version;
            if (!events.isNull(1)) {
                const qint64 versionId = events.integer(1);
                const auto it = entry && entry->lastVersionId == versionId
                                    ? known.cend()
                                    : known.constFind(versionId);
                if (entry && entry->lastVersionId == versionId) {
                    version = KnownVersion{entry->lastVersionNo, entry->lastVersionSha256};
                } else if (it != known.cend()) {
                    version = *it;
                } else if (in.versionOf) {
                    if (const auto later = in.versionOf(versionId)) {
                        version = KnownVersion{later->first, later->second};
                    }
                }
            }
            QString problem;
            if (!entry || !version) {
                problem = QStringLiteral("所属条目或版本不见了");
            } else if (events.bytes(5) != QByteArrayView(version->sha256)) {
                problem = QStringLiteral("记录的 SHA-256 与其版本的文本不符");
            }
            // The list shows the latest time the certificate left kavri; a duty recorded for
            // the leaver (a delivery, a transfer) is no leaving.
            const auto knownKind = eventKindFromKey(QString::fromUtf8(kind));
            const bool leaving = !knownKind || leavesKavri(*knownKind);
            if (entry && leaving &&
                (at >= QByteArrayView(entry->latestAt) || entry->latestPosition == 0)) {
                setBytes(entry->latestKind, kind);
                setBytes(entry->latestAt, at);
                entry->latestPosition = ep;
            }
            row.clear();
            appendField(row, kEvent);
            appendNumber(row, ep);
            appendField(row, entry ? QByteArrayView(entry->number) : QByteArrayView());
            // A missing version is encoded as the empty text its number would have been read as.
            if (version) {
                appendNumber(row, version->number);
            } else {
                appendField(row, QByteArrayView("0"));
            }
            appendField(row, kind);
            appendField(row, at);
            appendField(row, events.bytes(4));
            appendField(row, events.bytes(5));
            appendField(row, events.bytes(8));
            const QByteArrayView number = entry ? QByteArrayView(entry->number) : QByteArrayView();
            walk.addEncodedRow(ep, events.bytes(7), row,
                               [&number, &kind] {
                                   return QStringLiteral("%1 的出具记录（%2）")
                                       .arg(QString::fromUtf8(number), QString::fromUtf8(kind));
                               },
                               problem);
            haveEvent = events.next();
        } else {
            const Deletion& del = deletions[nextDeletion++];
            walk.addRow(dp, del.link, deletionFields(del),
                        QStringLiteral("删除记录（%1）").arg(del.reason));
        }
    }
    if (versions.failed() || events.failed()) {
        return std::nullopt;
    }
    // Every entry has its first version, and its list shows its latest event.
    for (const AuditEntry& a : entries.entries) {
        if (a.firstVersionPosition == 0) {
            walk.problem(QStringLiteral("条目 %1 没有链中的第 1 版").arg(QString::fromUtf8(a.number)));
        } else if (encodedField(a.listed, kListedKind) != QByteArrayView(a.latestKind) ||
                   encodedField(a.listed, kListedAt) != QByteArrayView(a.latestAt)) {
            walk.entryProblem(a.latestPosition ? a.latestPosition : a.firstVersionPosition,
                              QStringLiteral("%1 列表中的最近出具与出具记录不符")
                                  .arg(QString::fromUtf8(a.number)));
        }
    }
    return walk.finish();
}

} // namespace Register::Chain
