#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>

// What a certificate's QR code carries: its key facts, the id of the key that signed them, a
// fingerprint of the whole certificate text, and the signature over all of that, in one fixed
// compact binary form (format 1) that fits a QR code of version 10 at error-correction level M
// (213 bytes in byte mode):
//
//   offset  bytes  field
//   0       1      format: 0xA1
//   1       1      flags: bit 0 company, bit 1 name, bit 2 post shortened to fit (see below)
//   2       8      key id: first 8 bytes of SHA-256 over the signer's DER SubjectPublicKeyInfo
//   10      16     SHA-256 of the certificate text as issued (UTF-8), first 16 bytes
//   26      2      joining date   (each date: days since 1950-01-01, unsigned big-endian;
//   28      2      leaving date    0xFFFF = no date)
//   30      2      issue date
//   32      ...    five strings, each one length byte and that many bytes of UTF-8:
//                  number, last four characters of the ID number, name, post, company
//   end-64  64     SM2 signature (SM3, identifier "1234567812345678") over every byte before
//                  it, as r || s, 32 bytes each, big-endian
//
// The strings may take 112 bytes together. The number (at most 24 bytes) and the ID's last four
// characters are carried whole; when company, name and post do not fit the rest, the longest of
// the three (by bytes; on a tie company before post before name) loses its last character, again
// and again until they fit, and its flag is set. A shortened fact is checked as the beginning
// of the full one.
namespace Seal {

inline constexpr int kMaxPayloadBytes = 213;
inline constexpr int kMaxNumberBytes = 24;
inline constexpr unsigned char kFormat = 0xA1;

struct SealFacts
{
    QString number;
    QString company;
    QString name;
    QString idLast4;
    QDate joined;
    QDate left;
    QString post;
    QDate issued;
    QByteArray textHash; // 16 bytes
    QByteArray keyId;    // 8 bytes
    bool companyShortened = false;
    bool nameShortened = false;
    bool postShortened = false;

    bool operator==(const SealFacts&) const = default;
};

// The first 16 bytes of SHA-256 over the text's UTF-8.
QByteArray certificateTextHash(const QString& text);
// The last four characters of an ID number (all of it when shorter).
QString idNumberTail(const QString& idNumber);

// Facts shortened to fit as described above (flags set); nullopt and *error when the number is
// too long or the facts cannot fit in any other way.
std::optional<SealFacts> fitFacts(SealFacts facts, QString* error);

// The signed part of the payload for facts that fit (see fitFacts); empty when they do not.
QByteArray encodeSignedPart(const SealFacts& facts);

struct DecodedPayload
{
    SealFacts facts;
    QByteArray signedPart;
    QByteArray signature;
};

// Reads a payload; nullopt when the bytes are not one (of this format).
std::optional<DecodedPayload> decodePayload(const QByteArray& payload);

} // namespace Seal
