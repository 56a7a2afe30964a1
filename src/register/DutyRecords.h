#pragma once

#include "register/RegisterTypes.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

// The duties the office records about a leaver besides the certificate's leavings: how the
// certificate was delivered and when it was received, and the day the personnel file and the
// social insurance were transferred. Each is stored as an event of the entry whose detail is
// the record in a fixed text form, so that the same record always reads as the same bytes.
namespace Register {

inline constexpr std::array kDeliveryMethods = {DeliveryMethod::InPerson, DeliveryMethod::Post,
                                                DeliveryMethod::Email, DeliveryMethod::Other};

// Stored names ("in-person", "post", "email", "other") and the words the user sees
// ("当面签收", "邮寄", "电子邮件", "其他").
QString deliveryMethodKey(DeliveryMethod method);
QString deliveryMethodLabel(DeliveryMethod method);
// A stored name or a label; empty when it is neither.
std::optional<DeliveryMethod> deliveryMethodFrom(const QString& text);

// A delivery record as the event's detail: one line of JSON with its keys in order and the
// empty fields left out ({"method":"post","received":"2026-04-05","waybill":"SF1"}), and back;
// empty when the text is no delivery record.
QString deliveryDetail(const Delivery& delivery);
std::optional<Delivery> deliveryFromDetail(const QString& detail);

// How the list shows it: "邮寄 SF1234567890，2026-04-05 签收", "电子邮件，未确认签收".
QString deliveryLabel(const Delivery& delivery);

// A duty as the storage records it: the event's kind and detail, and the day the entry's list
// columns take from it (the receipt of a delivery, invalid while unconfirmed; the transfer day).
struct DutyRecord
{
    EventKind kind = EventKind::Delivered;
    QString detail;
    QDate day;
};
DutyRecord deliveryRecord(const Delivery& delivery);
DutyRecord transferRecord(const QDate& day);

inline constexpr qsizetype kMaxWaybillLength = 40;
inline constexpr qsizetype kMaxDutyNoteLength = 200;

// What is wrong with a delivery record, as one Chinese sentence; empty when nothing. A posted
// certificate needs its waybill (letters, digits and hyphens); only a posted one has one; the
// receipt can lie neither after `today` nor before the day the certificate first left kavri.
QString deliveryProblem(const Delivery& delivery, const QDate& firstIssued, const QDate& today);
// Likewise for a transfer day, which cannot lie after `today`.
QString transferProblem(const QDate& day, const QDate& today);

// The list's transfer column: "2026-04-10 已转移", "逾期 3 天未转移" (past the 15 days),
// "待转移，截止 2026-04-15"; empty without a leaving day and without a transfer.
QString transferStatusText(const QDate& leaveDay, const QDate& transferDay, const QDate& today);

// The day the certificate first left kavri: the oldest leaving among the entry's events (a
// delivery or a transfer is none); invalid for a draft.
QDate firstLeavingDay(const Entry& entry);

} // namespace Register
