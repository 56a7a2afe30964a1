#pragma once

#include "register/RegisterTypes.h"

#include <QDate>
#include <QString>

// Text helpers of the register: hashes, line-break normalising, the first difference between a
// recorded and a presented text, and reading the form's leaving date.
namespace Register {

// SHA-256 of the text's UTF-8 bytes, lower-case hex.
QString sha256Hex(const QString& text);
// CR LF and lone CR become LF: a text pasted from a mail or a PDF viewer rarely keeps CR LF.
QString normalizeLineBreaks(const QString& text);

// Where `presented` first differs from `recorded`, both taken with LF line breaks; empty when
// they are equal. The line and column are those of the presented text; the excerpts show a few
// characters of each text from a little before the place on.
std::optional<Difference> firstDifference(const QString& recorded, const QString& presented);

// How an event's detail reads in the register window and in `register show`: a delivery as
// deliveryLabel with its note in brackets, a leaving's wording note as
// "措辞提示：“辞退”：……予以辞退。；…", any other detail as stored; empty without one.
QString eventDetailLabel(const Event& event);

// The leaving date as the form held it ("2024年3月5日", "2024-03-05", "2024/3/5"); invalid
// when the text holds no date.
QDate parseFormDate(const QString& text);

} // namespace Register
