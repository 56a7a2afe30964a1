#pragma once

#include "register/RegisterTypes.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <memory>

// Text helpers of the register: hashes, line-break normalising, the first difference between a
// recorded and a presented text, and reading the form's leaving date.
namespace Register {

// SHA-256 over bytes given piece by piece, through OpenSSL (which uses the processor's SHA
// instructions where it has them). One object hashes many messages: result() starts the next.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(QByteArrayView bytes);
    // The 32 bytes of the digest of everything added since the last result().
    QByteArray result();
    // The same as 64 lower-case hex digits.
    QString resultHex();
    // The same written into `hex` (64 characters, no terminating NUL), nothing allocated.
    void resultHexInto(char* hex);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

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
