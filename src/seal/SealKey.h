#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

// An SM2 key (GB/T 32918) through the system's OpenSSL: the installation's own signing key, or
// a public key another company published. Signatures are SM2 over SM3 (GB/T 32905) with the
// distinguishing identifier set to the GM/T 0009 default "1234567812345678" on every call:
// OpenSSL 3.0 takes an empty identifier when none is given, and a signature made with one
// identifier never verifies with the other.
//
// A signature leaves this class as 64 bytes: r and s, 32 bytes each, big-endian (the DER form
// OpenSSL makes is 70 to 72 bytes and of varying length).
namespace Seal {

inline constexpr char kDistinguishingId[] = "1234567812345678";
inline constexpr int kSignatureBytes = 64;
inline constexpr int kKeyIdBytes = 8;

class SealKey
{
public:
    SealKey();

    // A new key pair from the system's generator.
    static std::optional<SealKey> generate(QString* error);
    // A private key (PKCS #8 PEM) or a public key (SubjectPublicKeyInfo PEM); only SM2 keys
    // are taken.
    static std::optional<SealKey> fromPem(const QByteArray& pem, QString* error);

    bool isNull() const;
    bool hasPrivateKey() const { return m_private; }

    // The public key as SubjectPublicKeyInfo, DER and PEM.
    QByteArray publicDer() const;
    QByteArray publicPem() const;
    // The private key as unencrypted PKCS #8 PEM (empty for a public key).
    QByteArray privatePem() const;

    // The first 8 bytes of SHA-256 over the DER SubjectPublicKeyInfo.
    QByteArray keyId() const { return m_keyId; }

    // SM2-with-SM3 signature of message as r || s; empty on failure (or without a private key).
    QByteArray sign(const QByteArray& message) const;
    // Whether signature (r || s) is this key's over message.
    bool verify(const QByteArray& message, const QByteArray& signature) const;

private:
    struct Pkey;
    void adopt(void* evpPkey, bool isPrivate);

    // Copies share the one OpenSSL key, which is never changed after it is made.
    std::shared_ptr<Pkey> m_key;
    bool m_private = false;
    QByteArray m_keyId;
};

// Converts between r || s (64 bytes) and the DER SEQUENCE { r INTEGER, s INTEGER } that OpenSSL
// and other tools write; empty when the input is not one.
QByteArray signatureToDer(const QByteArray& raw);
QByteArray signatureFromDer(const QByteArray& der);

// The key id written as 16 lower-case hex digits, in groups of four ("1a2b 3c4d 5e6f 7081").
QString keyIdText(const QByteArray& keyId);

} // namespace Seal
