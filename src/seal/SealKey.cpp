#include "seal/SealKey.h"

#include <QCryptographicHash>
#include <mutex>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace Seal {

// The OpenSSL key, and what signing with it needs made once rather than per signature: the
// SM3 digest, the signer's hash Z (over the identifier, the curve and the public key) and a
// signing context. A batch signs hundreds of certificates with one key; fetching the digest
// and the signature implementation and hashing Z again for each took most of the time.
struct SealKey::Pkey
{
    EVP_PKEY* key = nullptr;
    std::mutex signing; // guards the members below
    bool prepared = false;
    EVP_MD* sm3 = nullptr;
    EVP_MD_CTX* digest = nullptr;
    EVP_PKEY_CTX* signer = nullptr;
    unsigned char z[32] = {};

    ~Pkey()
    {
        EVP_PKEY_CTX_free(signer);
        EVP_MD_CTX_free(digest);
        EVP_MD_free(sm3);
        EVP_PKEY_free(key);
    }
    bool prepare();
    bool signDigest(const QByteArray& message, unsigned char* der, size_t* size);
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


// A big number as exactly `bytes` big-endian bytes.
bool appendPadded(QByteArray& out, const BIGNUM* n, int bytes)
{
    const qsizetype at = out.size();
    out.resize(at + bytes);
    return BN_bn2binpad(n, reinterpret_cast<unsigned char*>(out.data() + at), bytes) == bytes;
}

// The signer's hash of GB/T 32918.2: Z = SM3(ENTL || ID || a || b || xG || yG || xA || yA),
// ENTL being the identifier's length in bits as two bytes, every coordinate 32 bytes.
bool signerHash(EVP_PKEY* key, const EVP_MD* sm3, unsigned char* z)
{
    constexpr int kCoordinate = 32;
    constexpr int kIdBits = (sizeof kDistinguishingId - 1) * 8;
    QByteArray input;
    input.append(char(kIdBits >> 8)).append(char(kIdBits & 0xff));
    input.append(kDistinguishingId, sizeof kDistinguishingId - 1);

    EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sm2);
    BN_CTX* bn = BN_CTX_new();
    BIGNUM* p = BN_new();
    BIGNUM* a = BN_new();
    BIGNUM* b = BN_new();
    BIGNUM* gx = BN_new();
    BIGNUM* gy = BN_new();
    BIGNUM* x = nullptr;
    BIGNUM* y = nullptr;
    bool ok = group != nullptr && bn != nullptr && p != nullptr && a != nullptr && b != nullptr &&
              gx != nullptr && gy != nullptr &&
              EC_GROUP_get_curve(group, p, a, b, bn) == 1 &&
              EC_POINT_get_affine_coordinates(group, EC_GROUP_get0_generator(group), gx, gy, bn) == 1 &&
              EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_X, &x) == 1 &&
              EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_Y, &y) == 1;
    for (const BIGNUM* n : {static_cast<const BIGNUM*>(a), static_cast<const BIGNUM*>(b),
                            static_cast<const BIGNUM*>(gx), static_cast<const BIGNUM*>(gy),
                            static_cast<const BIGNUM*>(x), static_cast<const BIGNUM*>(y)}) {
        ok = ok && appendPadded(input, n, kCoordinate);
    }
    unsigned int size = 0;
    ok = ok && EVP_Digest(input.constData(), size_t(input.size()), z, &size, sm3, nullptr) == 1 &&
         size == kCoordinate;
    for (BIGNUM* n : {p, a, b, gx, gy, x, y}) {
        BN_free(n);
    }
    BN_CTX_free(bn);
    EC_GROUP_free(group);
    return ok;
}

} // namespace

bool SealKey::Pkey::prepare()
{
    if (prepared) {
        return true;
    }
    sm3 = EVP_MD_fetch(nullptr, "SM3", nullptr);
    digest = EVP_MD_CTX_new();
    signer = EVP_PKEY_CTX_new(key, nullptr);
    prepared = sm3 != nullptr && digest != nullptr && signer != nullptr &&
               EVP_PKEY_sign_init(signer) == 1 && signerHash(key, sm3, z);
    return prepared;
}

// e = SM3(Z || message), signed as it stands: the same signature EVP_DigestSign makes with the
// identifier set, without setting the context up again for each message.
bool SealKey::Pkey::signDigest(const QByteArray& message, unsigned char* der, size_t* size)
{
    const std::lock_guard lock(signing);
    unsigned char e[32];
    unsigned int eSize = 0;
    return prepare() && EVP_DigestInit_ex(digest, sm3, nullptr) == 1 &&
           EVP_DigestUpdate(digest, z, sizeof z) == 1 &&
           EVP_DigestUpdate(digest, message.constData(), size_t(message.size())) == 1 &&
           EVP_DigestFinal_ex(digest, e, &eSize) == 1 && eSize == sizeof e &&
           EVP_PKEY_sign(signer, der, size, e, sizeof e) == 1;
}

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
    unsigned char der[128];
    size_t size = sizeof der;
    if (!m_key->signDigest(message, der, &size)) {
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
