#include "register/LeavingNote.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Register {

QString leavingDetail(const LeavingNote& note)
{
    if (note.isEmpty()) {
        return {};
    }
    QJsonObject o;
    if (!note.seal.isEmpty()) {
        o.insert(QStringLiteral("seal"), note.seal);
    }
    if (!note.wording.isEmpty()) {
        o.insert(QStringLiteral("wording"), QJsonArray::fromStringList(note.wording));
    }
    // QJsonObject keeps its keys sorted: the same note is always the same text.
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

std::optional<LeavingNote> leavingNoteFromDetail(const QString& detail)
{
    if (detail.isEmpty()) {
        return LeavingNote{};
    }
    QJsonParseError parsed;
    const QJsonDocument doc = QJsonDocument::fromJson(detail.toUtf8(), &parsed);
    if (parsed.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() != QLatin1String("seal") && it.key() != QLatin1String("wording")) {
            return std::nullopt;
        }
    }
    const QJsonValue seal = o.value(QStringLiteral("seal"));
    const QJsonValue wording = o.value(QStringLiteral("wording"));
    if ((!seal.isUndefined() && !seal.isString()) ||
        (!wording.isUndefined() && !wording.isArray()) || o.isEmpty()) {
        return std::nullopt;
    }
    LeavingNote note;
    note.seal = seal.toString();
    for (const QJsonValue& phrase : wording.toArray()) {
        if (!phrase.isString()) {
            return std::nullopt;
        }
        note.wording << phrase.toString();
    }
    return note;
}

} // namespace Register
