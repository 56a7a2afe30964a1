#include "legal/WordingCheck.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>

namespace Legal {

namespace {

// Where a clause ends: the phrase's own clause is all an absence can be stated in.
bool endsClause(QChar c)
{
    // The markup of a template (<br>, <div ...>) breaks lines, and so clauses.
    static const QString marks = QStringLiteral("，。；！？：,.;!?:\r\n<>");
    return marks.contains(c);
}

// Words that state an absence of what follows in their clause.
const QStringList& negations()
{
    static const QStringList words = {
        QStringLiteral("无"),     QStringLiteral("没有"),   QStringLiteral("不存在"),
        QStringLiteral("未发生"), QStringLiteral("未曾"),   QStringLiteral("不涉及"),
        QStringLiteral("未有"),   QStringLiteral("从未"),   QStringLiteral("没发生"),
    };
    return words;
}

// Words that begin with a negation but state no absence: 无故旷工 is a fault, not its absence.
const QStringList& falseNegations()
{
    static const QStringList words = {
        QStringLiteral("无故"), QStringLiteral("无法"), QStringLiteral("无视"),
        QStringLiteral("无理"), QStringLiteral("无正当"), QStringLiteral("无端"),
    };
    return words;
}

// True when the clause before the phrase at `position` states that there is none of it.
bool statesAbsence(const QString& text, qsizetype position)
{
    qsizetype start = position;
    while (start > 0 && !endsClause(text[start - 1])) {
        --start;
    }
    const QString clause = text.mid(start, position - start);
    for (const QString& word : negations()) {
        for (qsizetype at = clause.indexOf(word); at >= 0; at = clause.indexOf(word, at + 1)) {
            const QStringView rest = QStringView(clause).sliced(at);
            const bool falseOne = std::any_of(
                falseNegations().cbegin(), falseNegations().cend(),
                [&](const QString& f) { return rest.startsWith(f); });
            if (!falseOne) {
                return true;
            }
        }
    }
    return false;
}

QString contextOf(const QString& text, qsizetype position, qsizetype length)
{
    constexpr qsizetype kAround = 10;
    const qsizetype from = std::max<qsizetype>(0, position - kAround);
    const qsizetype to = std::min(text.size(), position + length + kAround);
    // On one line: line breaks and the blanks of a title or an indent become one space each run.
    QString context = text.mid(from, to - from).simplified();
    if (from > 0) {
        context.prepend(QStringLiteral("……"));
    }
    if (to < text.size()) {
        context.append(QStringLiteral("……"));
    }
    return context;
}

} // namespace

QString defaultWordingListText()
{
    return QStringLiteral(
        "# 离职证明措辞检查：每行一个词语。证明文本中出现这些词语时，kavri 在证明交出前提示，\n"
        "# 由经办人决定是否继续（不会阻止出具）。以 # 开头的行和空行不算。\n"
        "# “无未了结的劳动争议”“没有纠纷”这类说明不存在某事的句子不算命中。\n"
        "辞退\n"
        "开除\n"
        "除名\n"
        "违纪\n"
        "违反劳动纪律\n"
        "违反规章制度\n"
        "严重失职\n"
        "旷工\n"
        "处分\n"
        "劳动争议\n"
        "劳动纠纷\n"
        "纠纷\n"
        "仲裁\n"
        "诉讼\n"
        "能力不足\n"
        "不胜任\n"
        "不能胜任\n"
        "未办理交接\n"
        "未完成交接\n"
        "交接未完成\n"
        "表现不佳\n"
        "追究责任\n"
        "赔偿损失\n");
}

QStringList parseWordingList(const QString& fileText)
{
    QStringList phrases;
    for (const QString& line : fileText.split(u'\n')) {
        const QString phrase = line.trimmed();
        if (phrase.isEmpty() || phrase.startsWith(u'#') || phrases.contains(phrase)) {
            continue;
        }
        phrases.append(phrase);
    }
    return phrases;
}

QString wordingListPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kavri/wording.txt");
}

QStringList loadWordingList(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists()) {
        return parseWordingList(defaultWordingListText());
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("无法读取措辞检查词表 %1：%2。本次使用 kavri 自带的词表。")
                         .arg(path, file.errorString());
        }
        return parseWordingList(defaultWordingListText());
    }
    // A list is a few hundred bytes; a megabyte is more than any office writes.
    constexpr qint64 kMaxBytes = 1 << 20;
    return parseWordingList(QString::fromUtf8(file.read(kMaxBytes)));
}

QList<WordingHit> checkWording(const QString& text, const QStringList& phrases)
{
    QList<WordingHit> hits;
    qsizetype coveredTo = 0; // a phrase inside a longer hit is no hit of its own
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QString* longest = nullptr;
        for (const QString& phrase : phrases) {
            if (!phrase.isEmpty() && QStringView(text).sliced(at).startsWith(phrase) &&
                (!longest || phrase.size() > longest->size())) {
                longest = &phrase;
            }
        }
        if (!longest || at < coveredTo) {
            continue;
        }
        coveredTo = at + longest->size();
        if (statesAbsence(text, at)) {
            continue;
        }
        hits.append({*longest, at, contextOf(text, at, longest->size())});
    }
    return hits;
}

QStringList wordingLines(const QList<WordingHit>& hits)
{
    QStringList lines;
    for (const WordingHit& hit : hits) {
        lines.append(QStringLiteral("“%1”：%2").arg(hit.phrase, hit.context));
    }
    return lines;
}

QString describeWordingHits(const QList<WordingHit>& hits)
{
    return wordingLines(hits).join(u'\n');
}

QString wordingNote(const QList<WordingHit>& hits)
{
    QStringList phrases;
    for (const WordingHit& hit : hits) {
        if (!phrases.contains(hit.phrase)) {
            phrases.append(hit.phrase);
        }
    }
    return phrases.isEmpty() ? QString()
                             : QStringLiteral("措辞提示：") + phrases.join(QStringLiteral("、"));
}

QString wordingQuestion(const QList<WordingHit>& hits)
{
    return QStringLiteral("证明中有新单位可能读作过错或争议的措辞：\n%1\n\n"
                          "若确有依据（如按第三十九条解除）可以照写。仍要继续吗？继续将记入登记簿。")
        .arg(describeWordingHits(hits));
}

} // namespace Legal
