#include "seal/SealKey.h"

#include <QCryptographicHash>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace Seal {

struct SealKey::Pkey
{
    EVP_PKEY* key = nullptr;
    ~Pkey() { EVP_PKEY_free(key); }
};

namespace {

QString openSslError(const char* what)
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    char text[256] = {};
    if (code != 0) {
        ERR_error_string_n(code, text, sizeof text);
    }
    return code != 0 ? QStringLiteral("%1（%2）").arg(QString::fromUtf8(what), QString::fromUtf8(text))
                     : QString::fromUtf8(what);
}

QByteArray bioBytes(BIO* bio)
{
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? QByteArray(data, int(size)) : QByteArray();
}

bool isSm2(EVP_PKEY* key)
{
    return key != nullptr && EVP_PKEY_is_a(key, "SM2");
}

// A digest context for SM2 with SM3 and the GM/T 0009 identifier, for signing or verifying.
struct Sm2Context
{
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pkey = nullptr;

    explicit Sm2Context(EVP_PKEY* key) : pkey(EVP_PKEY_CTX_new(key, nullptr)) {}
    ~Sm2Context()
    {
        EVP_MD_CTX_free(md);
        EVP_PKEY_CTX_free(pkey);
    }
    Sm2Context(const Sm2Context&) = delete;
    Sm2Context& operator=(const Sm2Context&) = delete;

    bool ready() const
    {
        return md != nullptr && pkey != nullptr &&
               EVP_PKEY_CTX_set1_id(pkey, kDistinguishingId, sizeof kDistinguishingId - 1) > 0;
    }
};

} // namespace

SealKey::SealKey() = default;

void SealKey::adopt(void* evpPkey, bool isPrivate)
{
    m_key = std::make_shared<Pkey>();
    m_key->key = static_cast<EVP_PKEY*>(evpPkey);
    m_private = isPrivate;
    const QByteArray der = publicDer();
    m_keyId = QCryptographicHash::hash(der, QCryptographicHash::Sha256).left(kKeyIdBytes);
}

bool SealKey::isNull() const
{
    return !m_key || m_key->key == nullptr;
}

std::optional<SealKey> SealKey::generate(QString* error)
{
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2");
    if (key == nullptr) {
        *error = openSslError("无法生成 SM2 密钥");
        return std::nullopt;
    }
    SealKey made;
    made.adopt(key, true);
    return made;
}

std::optional<SealKey> SealKey::fromPem(const QByteArray& pem, QString* error)
{
    const auto read = [&pem](bool privateKey) -> EVP_PKEY* {
        BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
        EVP_PKEY* key = privateKey ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr)
                                   : PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr);
        BIO_free(bio);
        return key;
    };
    bool isPrivate = pem.contains("PRIVATE KEY-----");
    EVP_PKEY* key = read(isPrivate);
    ERR_clear_error();
    if (key == nullptr) {
        *error = QStringLiteral("文件中没有可读的 PEM 格式密钥");
        return std::nullopt;
    }
    if (!isSm2(key)) {
        EVP_PKEY_free(key);
        *error = QStringLiteral("密钥不是 SM2 密钥");
        return std::nullopt;
    }
    SealKey made;
    made.adopt(key, isPrivate);
    return made;
}

QByteArray SealKey::publicDer() const
{
    if (isNull()) {
        return {};
    }
    unsigned char* der = nullptr;
    const int size = i2d_PUBKEY(m_key->key, &der);
    if (size <= 0) {
        return {};
    }
    QByteArray bytes(reinterpret_cast<const char*>(der), size);
    OPENSSL_free(der);
    return bytes;
}

QByteArray SealKey::publicPem() const
{
    if (isNull()) {
        return {};
    }
    BIO* bio = BIO_new(BIO_s_mem());
    QByteArray pem;
    if (PEM_write_bio_PUBKEY(bio, m_key->key) == 1) {
        pem = bioBytes(bio);
    }
    BIO_free(bio);
    return pem;
}

QByteArray SealKey::privatePem() const
{
    if (isNull() || !m_private) {
        return {};
    }
    BIO* bio = BIO_new(BIO_s_mem());
    QByteArray pem;
    if (PEM_write_bio_PrivateKey(bio, m_key->key, nullptr, nullptr, 0, nullptr, nullptr) == 1) {
        pem = bioBytes(bio);
    }
    BIO_free(bio);
    return pem;
}

QByteArray SealKey::sign(const QByteArray& message) const
{
    if (isNull() || !m_private) {
        return {};
    }
    Sm2Context context(m_key->key);
    if (!context.ready()) {
        ERR_clear_error();
        return {};
    }
    EVP_MD_CTX_set_pkey_ctx(context.md, context.pkey);
    unsigned char der[128];
    size_t size = sizeof der;
    const auto* data = reinterpret_cast<const unsigned char*>(message.constData());
    if (EVP_DigestSignInit(context.md, nullptr, EVP_sm3(), nullptr, m_key->key) != 1 ||
        EVP_DigestSign(context.md, der, &size, data, size_t(message.size())) != 1) {
        ERR_clear_error();
        return {};
    }
    return signatureFromDer(QByteArray(reinterpret_cast<const char*>(der), int(size)));
}

bool SealKey::verify(const QByteArray& message, const QByteArray& signature) const
{
    const QByteArray der = signatureToDer(signature);
    if (isNull() || der.isEmpty()) {
        return false;
    }
    Sm2Context context(m_key->key);
    if (!context.ready()) {
        ERR_clear_error();
        return false;
    }
    EVP_MD_CTX_set_pkey_ctx(context.md, context.pkey);
    const auto* data = reinterpret_cast<const unsigned char*>(message.constData());
    const bool ok =
        EVP_DigestVerifyInit(context.md, nullptr, EVP_sm3(), nullptr, m_key->key) == 1 &&
        EVP_DigestVerify(context.md, reinterpret_cast<const unsigned char*>(der.constData()),
                         size_t(der.size()), data, size_t(message.size())) == 1;
    ERR_clear_error();
    return ok;
}

QByteArray signatureToDer(const QByteArray& raw)
{
    if (raw.size() != kSignatureBytes) {
        return {};
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.constData());
    ECDSA_SIG* sig = ECDSA_SIG_new();
    BIGNUM* r = BN_bin2bn(bytes, kSignatureBytes / 2, nullptr);
    BIGNUM* s = BN_bin2bn(bytes + kSignatureBytes / 2, kSignatureBytes / 2, nullptr);
    QByteArray der;
    if (sig != nullptr && r != nullptr && s != nullptr && ECDSA_SIG_set0(sig, r, s) == 1) {
        r = s = nullptr; // owned by sig now
        unsigned char* out = nullptr;
        const int size = i2d_ECDSA_SIG(sig, &out);
        if (size > 0) {
            der = QByteArray(reinterpret_cast<const char*>(out), size);
            OPENSSL_free(out);
        }
    }
    BN_free(r);
    BN_free(s);
    ECDSA_SIG_free(sig);
    return der;
}

QByteArray signatureFromDer(const QByteArray& der)
{
    const auto* in = reinterpret_cast<const unsigned char*>(der.constData());
    ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &in, long(der.size()));
    if (sig == nullptr) {
        ERR_clear_error();
        return {};
    }
    QByteArray raw(kSignatureBytes, '\0');
    auto* out = reinterpret_cast<unsigned char*>(raw.data());
    const bool ok = BN_bn2binpad(ECDSA_SIG_get0_r(sig), out, kSignatureBytes / 2) > 0 &&
                    BN_bn2binpad(ECDSA_SIG_get0_s(sig), out + kSignatureBytes / 2,
                                 kSignatureBytes / 2) > 0;
    ECDSA_SIG_free(sig);
    return ok ? raw : QByteArray();
}

QString keyIdText(const QByteArray& keyId)
{
    const QString hex = QString::fromLatin1(keyId.toHex());
    QString grouped;
    for (int i = 0; i < hex.size(); i += 4) {
        if (i > 0) {
            grouped += u' ';
        }
        grouped += hex.mid(i, 4);
    }
    return grouped;
}

} // namespace Seal
