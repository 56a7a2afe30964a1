#include "register/RegisterText.h"

#include "register/DutyRecords.h"
#include "register/LeavingNote.h"

#include <QRegularExpression>

#include <openssl/evp.h>

namespace Register {

namespace {
constexpr qsizetype kExcerptBefore = 8;
constexpr qsizetype kExcerptLength = 24;

QString excerpt(const QString& text, qsizetype at)
{
    const qsizetype from = std::max<qsizetype>(0, at - kExcerptBefore);
    QString piece = text.mid(from, kExcerptLength);
    piece.replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    if (at >= text.size()) {
        piece += QStringLiteral("〔文本结束〕");
    }
    return piece;
}
} // namespace

namespace {

// The algorithm is looked up once for the process, not at every message.
const EVP_MD* sha256Algorithm()
{
    static EVP_MD* const md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return md;
}

} // namespace

struct Sha256::Context
{
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : m_context(std::make_unique<Context>())
{
    if (!m_context->ctx || !sha256Algorithm() ||
        EVP_DigestInit_ex(m_context->ctx, sha256Algorithm(), nullptr) != 1) {
        qFatal("OpenSSL cannot compute SHA-256");
    }
}

Sha256::~Sha256() = default;

void Sha256::add(QByteArrayView bytes)
{
    if (!bytes.isEmpty()) {
        EVP_DigestUpdate(m_context->ctx, bytes.data(), size_t(bytes.size()));
    }
}

QByteArray Sha256::result()
{
    QByteArray digest(32, Qt::Uninitialized);
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->ctx, reinterpret_cast<unsigned char*>(digest.data()), &length);
    EVP_DigestInit_ex(m_context->ctx, sha256Algorithm(), nullptr);
    return digest;
}

void Sha256::resultHexInto(char* hex)
{
    static const char kHex[] = "0123456789abcdef";
    unsigned char digest[32];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest, &length);
    EVP_DigestInit_ex(m_context->ctx, sha256Algorithm(), nullptr);
    for (const unsigned char b : digest) {
        *hex++ = kHex[b >> 4];
        *hex++ = kHex[b & 15];
    }
}

QString Sha256::resultHex()
{
    static const char kHex[] = "0123456789abcdef";
    const QByteArray digest = result();
    QString hex(64, Qt::Uninitialized);
    QChar* out = hex.data();
    for (const char c : digest) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QLatin1Char(kHex[b >> 4]);
        *out++ = QLatin1Char(kHex[b & 15]);
    }
    return hex;
}

QString sha256Hex(const QString& text)
{
    thread_local Sha256 hash;
    hash.add(text.toUtf8());
    return hash.resultHex();
}

QString normalizeLineBreaks(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

std::optional<Difference> firstDifference(const QString& recorded, const QString& presented)
{
    const QString a = normalizeLineBreaks(recorded);
    const QString b = normalizeLineBreaks(presented);
    if (a == b) {
        return std::nullopt;
    }
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype at = 0;
    while (at < common && a[at] == b[at]) {
        ++at;
    }
    Difference d;
    d.offset = at;
    d.line = static_cast<int>(QStringView(b).first(at).count(QLatin1Char('\n'))) + 1;
    const qsizetype lineStart = at == 0 ? 0 : b.lastIndexOf(QLatin1Char('\n'), at - 1) + 1;
    d.column = static_cast<int>(at - lineStart) + 1;
    d.recordedExcerpt = excerpt(a, at);
    d.presentedExcerpt = excerpt(b, at);
    return d;
}

QDate parseFormDate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("(\\d{4})\\s*[年/.\\-]\\s*(\\d{1,2})\\s*[月/.\\-]\\s*(\\d{1,2})"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return {};
    }
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QString eventDetailLabel(const Event& event)
{
    if (event.detail.isEmpty()) {
        return {};
    }
    if (event.kind == EventKind::Delivered) {
        const std::optional<Delivery> d = deliveryFromDetail(event.detail);
        if (!d) {
            return {};
        }
        return deliveryLabel(*d) +
               (d->note.isEmpty() ? QString() : QStringLiteral("（%1）").arg(d->note));
    }
    if (leavesKavri(event.kind)) {
        // The seal a note also holds is the page's own code, read by 查验, not by people.
        const std::optional<LeavingNote> note = leavingNoteFromDetail(event.detail);
        if (!note) {
            return event.detail;
        }
        return note->wording.isEmpty()
                   ? QString()
                   : QStringLiteral("措辞提示：") + note->wording.join(QStringLiteral("；"));
    }
    return event.detail;
}

} // namespace Register
