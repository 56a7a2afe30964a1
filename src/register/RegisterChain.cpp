#include "register/RegisterChain.h"

#include "register/CertificateNumber.h"
#include "register/RegisterText.h"

#include <QStringEncoder>
#include <QtEndian>

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

void Audit::addRow(qint64 position, const QString& storedLink, const QStringList& fields,
                   std::initializer_list<QByteArrayView> encodedTail,
                   const std::function<QString()>& name, const QString& contentProblem)
{
    if (m_chainBroken) {
        return;
    }
    if (position <= 0 || position < m_expected) {
        fail(position > 0 ? position : m_expected,
             QStringLiteral("%1 的链位置 %2 重复或无效").arg(name()).arg(position));
        m_chainBroken = true;
        return;
    }
    // Rows a deletion record took out are passed over with the link it noted for each.
    while (m_expected < position) {
        const auto it = m_removed.constFind(m_expected);
        if (it == m_removed.cend()) {
            fail(m_expected, QStringLiteral("第 %1 条记录不见了，也没有删除记录说明它").arg(m_expected));
            m_chainBroken = true;
            return;
        }
        m_previous = *it;
        ++m_expected;
    }
    if (m_removed.contains(position)) {
        fail(position, QStringLiteral("%1 仍在登记簿中，删除记录却说它已删除").arg(name()));
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
    if (!m_since.isEmpty() && computed == m_since) {
        m_sinceSeen = true;
    }
    m_previous = computed;
    ++m_expected;
    ++m_rows;
}

void Audit::addNumber(int year, qint64 sequence, const QString& number)
{
    Q_UNUSED(number);
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

// What the audit keeps of an entry while it walks the chain. The form values are kept only in
// the chain's encoding (all that version 1's link needs) and the four the list repeats.
struct AuditEntry
{
    QString number;
    int year = 0;
    qint64 seq = 0;
    QString createdAt;
    QString operatorName;
    qint64 templateId = 0;
    QString name;
    QString idNumber;
    QString company;
    QString leaveDate;
    QString lastEventKind;
    QString lastEventAt;
    QByteArray encodedValues;
    // The first form value of each key the list repeats (empty when there is none).
    QString formName;
    QString formIdNumber;
    QString formCompany;
    QString formLeaveDate;
    unsigned formSeen = 0;
    // The entry's latest event as the chain holds it, and the position of its version 1.
    QString latestKind;
    QString latestAt;
    qint64 latestPosition = 0;
    qint64 firstVersionPosition = 0;
};

// What the list columns of an entry repeat from its form values must agree with them.
QString listColumnsProblem(const AuditEntry& e)
{
    if (e.name != e.formName || e.idNumber != e.formIdNumber.trimmed().toUpper() ||
        e.company != e.formCompany || e.leaveDate != e.formLeaveDate) {
        return QStringLiteral("列表中的姓名、身份证号、公司或离职日期与登记的表单值不符");
    }
    return {};
}

// One form value of an entry: into its encoding, and into the list's four when it is one.
void addFormValue(AuditEntry& entry, QByteArrayView key, QByteArrayView value)
{
    static const QByteArray listKeys[] = {Keys::kName.toUtf8(), Keys::kIdNumber.toUtf8(),
                                          Keys::kCompany.toUtf8(), Keys::kLeaveDate.toUtf8()};
    appendField(entry.encodedValues, key);
    appendField(entry.encodedValues, value);
    QString* const formSlots[] = {&entry.formName, &entry.formIdNumber, &entry.formCompany,
                              &entry.formLeaveDate};
    for (unsigned k = 0; k < 4; ++k) {
        if (key == listKeys[k] && !(entry.formSeen & (1u << k))) {
            entry.formSeen |= 1u << k;
            *formSlots[k] = QString::fromUtf8(value);
        }
    }
}

} // namespace

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
    QHash<qint64, AuditEntry> entries;
    AuditCursor& e = in.entries;
    while (e.next()) {
        AuditEntry a;
        a.number = e.text(1);
        a.year = int(e.integer(2));
        a.seq = e.integer(3);
        a.createdAt = e.text(4);
        a.operatorName = e.text(5);
        a.templateId = e.integer(6);
        a.name = e.text(7);
        a.idNumber = e.text(8);
        a.company = e.text(9);
        a.leaveDate = e.text(10);
        a.lastEventKind = e.text(11);
        a.lastEventAt = e.text(12);
        walk.addNumber(a.year, a.seq, a.number);
        entries.insert(e.integer(0), std::move(a));
    }
    AuditCursor& values = in.values;
    AuditEntry* current = nullptr;
    qint64 currentId = 0;
    while (values.next()) {
        // Values come by entry: one look-up per entry, not per value.
        const qint64 id = values.integer(0);
        if (!current || id != currentId) {
            const auto it = entries.find(id);
            current = it != entries.end() ? &it.value() : nullptr;
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

    // The three kinds of rows merged by position.
    AuditCursor& versions = in.versions;
    AuditCursor& events = in.events;
    bool haveVersion = versions.next();
    bool haveEvent = events.next();
    qsizetype nextDeletion = 0;
    const auto positionOf = [](const AuditCursor& s, int column) {
        return s.isNull(column) ? qint64(0) : s.integer(column);
    };
    Sha256 hash;
    while (haveVersion || haveEvent || nextDeletion < deletions.size()) {
        const qint64 vp = haveVersion ? positionOf(versions, 8) : INT64_MAX;
        const qint64 ep = haveEvent ? positionOf(events, 7) : INT64_MAX;
        const qint64 dp = nextDeletion < deletions.size() ? deletions[nextDeletion].position
                                                          : INT64_MAX;
        if (vp <= ep && vp <= dp) {
            const qint64 entryId = versions.integer(1);
            const int versionNo = int(versions.integer(2));
            const QByteArrayView text = versions.bytes(3);
            const QString sha = versions.text(4);
            const auto found = entries.find(entryId);
            AuditEntry* entry = found != entries.end() ? &found.value() : nullptr;
            const QString number = entry ? entry->number : QString();
            QStringList fields = versionFields(vp, number, versionNo, versions.text(6),
                                               versions.text(7), sha);
            QString problem;
            if (!entry) {
                problem = QStringLiteral("所属条目不见了");
            } else {
                // The stored bytes are hashed as they are; a text without CR is its own
                // normalized form.
                hash.add(text);
                const QString plain = hash.resultHex();
                const QString normalized =
                    text.contains('\r')
                        ? sha256Hex(normalizeLineBreaks(QString::fromUtf8(text)))
                        : plain;
                if (plain != sha || normalized != versions.text(5)) {
                    problem = QStringLiteral("文本与记录的 SHA-256 不符");
                }
            }
            QByteArrayView templateEncoded;
            QByteArrayView valuesEncoded;
            if (entry && versionNo == 1) {
                fields << entry->createdAt << entry->operatorName;
                const auto tpl = templates.constFind(entry->templateId);
                templateEncoded = tpl != templates.cend() ? QByteArrayView(*tpl)
                                                          : QByteArrayView(noTemplate);
                valuesEncoded = entry->encodedValues;
                entry->firstVersionPosition = vp;
                if (problem.isEmpty()) {
                    problem = listColumnsProblem(*entry);
                }
            }
            walk.addRow(vp, versions.text(9), fields, {templateEncoded, valuesEncoded},
                        [&number, versionNo] {
                            return QStringLiteral("%1 第 %2 版").arg(number).arg(versionNo);
                        },
                        problem);
            haveVersion = versions.next();
        } else if (ep <= dp) {
            const qint64 entryId = events.integer(0);
            const auto found = entries.find(entryId);
            AuditEntry* entry = found != entries.end() ? &found.value() : nullptr;
            const QString number = entry ? entry->number : QString();
            const QString kind = events.text(2);
            const QString at = events.text(3);
            QString problem;
            if (!entry || events.isNull(1)) {
                problem = QStringLiteral("所属条目或版本不见了");
            } else if (events.bytes(5) != events.bytes(6)) {
                problem = QStringLiteral("记录的 SHA-256 与其版本的文本不符");
            }
            // The list shows the latest time the certificate left kavri; a duty recorded for
            // the leaver (a delivery, a transfer) is no leaving.
            const auto known = eventKindFromKey(kind);
            const bool leaving = !known || leavesKavri(*known);
            if (entry && leaving && (at >= entry->latestAt || entry->latestPosition == 0)) {
                entry->latestKind = kind;
                entry->latestAt = at;
                entry->latestPosition = ep;
            }
            walk.addRow(ep, events.text(8),
                        eventFields(ep, number, int(events.integer(1)), kind, at,
                                    events.text(4), events.text(5), events.text(9)),
                        {},
                        [&number, &kind] {
                            return QStringLiteral("%1 的出具记录（%2）").arg(number, kind);
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
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const AuditEntry& a = it.value();
        if (a.firstVersionPosition == 0) {
            walk.problem(QStringLiteral("条目 %1 没有链中的第 1 版").arg(a.number));
        } else if (a.lastEventKind != a.latestKind || a.lastEventAt != a.latestAt) {
            walk.entryProblem(a.latestPosition ? a.latestPosition : a.firstVersionPosition,
                              QStringLiteral("%1 列表中的最近出具与出具记录不符").arg(a.number));
        }
    }
    return walk.finish();
}

} // namespace Register::Chain
