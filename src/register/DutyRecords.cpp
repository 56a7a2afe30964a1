#include "register/DutyRecords.h"

#include "register/LeaverDuties.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace Register {

namespace {

const QString kMethod = QStringLiteral("method");
const QString kWaybill = QStringLiteral("waybill");
const QString kReceived = QStringLiteral("received");
const QString kNote = QStringLiteral("note");

QString dayText(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

// A character that is not seen where the record is shown and yet changes what is seen: the
// control characters and the bidirectional controls.
bool isHiddenCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool hasHiddenCharacter(const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (isHiddenCharacter(c)) {
            return true;
        }
    }
    return false;
}

bool isWaybillCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'-';
}

} // namespace

QString deliveryMethodKey(DeliveryMethod method)
{
    switch (method) {
    case DeliveryMethod::InPerson:
        return QStringLiteral("in-person");
    case DeliveryMethod::Post:
        return QStringLiteral("post");
    case DeliveryMethod::Email:
        return QStringLiteral("email");
    case DeliveryMethod::Other:
        return QStringLiteral("other");
    }
    return {};
}

QString deliveryMethodLabel(DeliveryMethod method)
{
    switch (method) {
    case DeliveryMethod::InPerson:
        return QStringLiteral("当面签收");
    case DeliveryMethod::Post:
        return QStringLiteral("邮寄");
    case DeliveryMethod::Email:
        return QStringLiteral("电子邮件");
    case DeliveryMethod::Other:
        return QStringLiteral("其他");
    }
    return {};
}

std::optional<DeliveryMethod> deliveryMethodFrom(const QString& text)
{
    const QString t = text.trimmed();
    for (const DeliveryMethod m : kDeliveryMethods) {
        if (t == deliveryMethodKey(m) || t == deliveryMethodLabel(m)) {
            return m;
        }
    }
    return std::nullopt;
}

QString deliveryDetail(const Delivery& delivery)
{
    QJsonObject o;
    o.insert(kMethod, deliveryMethodKey(delivery.method));
    if (!delivery.waybill.isEmpty()) {
        o.insert(kWaybill, delivery.waybill);
    }
    if (delivery.received.isValid()) {
        o.insert(kReceived, dayText(delivery.received));
    }
    if (!delivery.note.isEmpty()) {
        o.insert(kNote, delivery.note);
    }
    // QJsonObject keeps its keys sorted: the same record is always the same text.
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

std::optional<Delivery> deliveryFromDetail(const QString& detail)
{
    QJsonParseError parsed;
    const QJsonDocument doc = QJsonDocument::fromJson(detail.toUtf8(), &parsed);
    if (parsed.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    const std::optional<DeliveryMethod> method = deliveryMethodFrom(o.value(kMethod).toString());
    if (!method) {
        return std::nullopt;
    }
    Delivery d;
    d.method = *method;
    d.waybill = o.value(kWaybill).toString();
    d.received = QDate::fromString(o.value(kReceived).toString(), Qt::ISODate);
    d.note = o.value(kNote).toString();
    return d;
}

QString deliveryLabel(const Delivery& delivery)
{
    QString label = deliveryMethodLabel(delivery.method);
    if (!delivery.waybill.isEmpty()) {
        label += QLatin1Char(' ') + delivery.waybill;
    }
    label += QStringLiteral("，");
    label += delivery.received.isValid() ? dayText(delivery.received) + QStringLiteral(" 签收")
                                         : QStringLiteral("未确认签收");
    return label;
}

DutyRecord deliveryRecord(const Delivery& delivery)
{
    return {EventKind::Delivered, deliveryDetail(delivery), delivery.received};
}

DutyRecord transferRecord(const QDate& day)
{
    return {EventKind::Transferred, dayText(day), day};
}

QString deliveryProblem(const Delivery& delivery, const QDate& firstIssued, const QDate& today)
{
    if (delivery.method == DeliveryMethod::Post && delivery.waybill.isEmpty()) {
        return QStringLiteral("邮寄的证明要填写运单号。");
    }
    if (delivery.method != DeliveryMethod::Post && !delivery.waybill.isEmpty()) {
        return QStringLiteral("只有邮寄的证明才有运单号，%1不填运单号。")
            .arg(deliveryMethodLabel(delivery.method));
    }
    if (delivery.waybill.size() > kMaxWaybillLength ||
        !std::all_of(delivery.waybill.cbegin(), delivery.waybill.cend(), isWaybillCharacter)) {
        return QStringLiteral("运单号“%1”只能由字母、数字和连字符组成，最多 %2 个字符。")
            .arg(delivery.waybill.left(kMaxWaybillLength))
            .arg(kMaxWaybillLength);
    }
    if (delivery.note.size() > kMaxDutyNoteLength) {
        return QStringLiteral("备注最多 %1 个字符。").arg(kMaxDutyNoteLength);
    }
    if (hasHiddenCharacter(delivery.note)) {
        return QStringLiteral("备注含有控制字符或文字方向控制符，请删去后再记录。");
    }
    if (!firstIssued.isValid()) {
        return QStringLiteral("这份证明还没有出具（打印、导出或复制），没有可送达的证明。");
    }
    if (delivery.received.isValid() && delivery.received > today) {
        return QStringLiteral("签收日期 %1 晚于今天。").arg(dayText(delivery.received));
    }
    if (delivery.received.isValid() && delivery.received < firstIssued) {
        return QStringLiteral("签收日期 %1 早于证明首次出具的日期 %2。")
            .arg(dayText(delivery.received), dayText(firstIssued));
    }
    return {};
}

QString transferProblem(const QDate& day, const QDate& today)
{
    if (!day.isValid()) {
        return QStringLiteral("请给出档案和社会保险关系转移完成的日期。");
    }
    if (day > today) {
        return QStringLiteral("转移日期 %1 晚于今天。").arg(dayText(day));
    }
    return {};
}

QString transferStatusText(const QDate& leaveDay, const QDate& transferDay, const QDate& today)
{
    if (transferDay.isValid()) {
        return dayText(transferDay) + QStringLiteral(" 已转移");
    }
    if (!leaveDay.isValid()) {
        return {};
    }
    if (const int late = transferDaysOverdue(leaveDay, std::nullopt, today); late > 0) {
        return QStringLiteral("逾期 %1 天未转移").arg(late);
    }
    return QStringLiteral("待转移，截止 %1").arg(dayText(transferDeadline(leaveDay)));
}

QDate firstLeavingDay(const Entry& entry)
{
    for (const Event& ev : entry.events) {
        if (leavesKavri(ev.kind)) {
            return ev.at.toLocalTime().date();
        }
    }
    return {};
}

} // namespace Register
