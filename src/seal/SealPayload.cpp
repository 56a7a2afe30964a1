#include "seal/SealPayload.h"

#include "seal/SealKey.h"

#include <QCryptographicHash>
#include <QStringView>

namespace Seal {

namespace {

constexpr int kHashBytes = 16;
constexpr int kFixedBytes = 32;
constexpr int kStringBudget = kMaxPayloadBytes - kFixedBytes - 5 - kSignatureBytes; // 112
constexpr quint16 kNoDate = 0xFFFF;
const QDate kEpoch(1950, 1, 1);

enum Flag : unsigned char { kCompanyShort = 1, kNameShort = 2, kPostShort = 4 };

void putDate(QByteArray& out, const QDate& date)
{
    quint16 days = kNoDate;
    if (date.isValid()) {
        days = quint16(kEpoch.daysTo(date));
    }
    out.append(char(days >> 8)).append(char(days & 0xFF));
}

bool dateFits(const QDate& date)
{
    if (!date.isValid()) {
        return true;
    }
    const qint64 days = kEpoch.daysTo(date);
    return days >= 0 && days < kNoDate;
}

QDate getDate(const unsigned char* at)
{
    const quint16 days = quint16((at[0] << 8) | at[1]);
    return days == kNoDate ? QDate() : kEpoch.addDays(days);
}

int utf8Size(const QString& text)
{
    return int(text.toUtf8().size());
}

// Drops the last character (a whole surrogate pair where there is one).
void dropLastCharacter(QString& text)
{
    int cut = 1;
    if (text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() &&
        text.at(text.size() - 2).isHighSurrogate()) {
        cut = 2;
    }
    text.chop(cut);
}

} // namespace

QByteArray certificateTextHash(const QString& text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).left(kHashBytes);
}

QString idNumberTail(const QString& idNumber)
{
    const QString trimmed = idNumber.trimmed();
    return trimmed.right(4);
}

std::optional<SealFacts> fitFacts(SealFacts facts, QString* error)
{
    if (utf8Size(facts.number) > kMaxNumberBytes) {
        *error = QStringLiteral("证明编号过长，无法放入查验码");
        return std::nullopt;
    }
    if (facts.idLast4.size() > 4 || utf8Size(facts.idLast4) > 16) {
        *error = QStringLiteral("身份证号码末四位有误");
        return std::nullopt;
    }
    if (!dateFits(facts.joined) || !dateFits(facts.left) || !dateFits(facts.issued)) {
        *error = QStringLiteral("日期超出查验码可记录的范围（1950 年至 2129 年）");
        return std::nullopt;
    }
    if (facts.keyId.size() != kKeyIdBytes || facts.textHash.size() != kHashBytes) {
        *error = QStringLiteral("查验码缺少密钥编号或证明文字的摘要");
        return std::nullopt;
    }
    const int fixed = utf8Size(facts.number) + utf8Size(facts.idLast4);
    int company = utf8Size(facts.company);
    int name = utf8Size(facts.name);
    int post = utf8Size(facts.post);
    // Each of the three also fits its own length byte.
    while (fixed + company + name + post > kStringBudget || company > 255 || name > 255 ||
           post > 255) {
        if (company >= post && company >= name) {
            dropLastCharacter(facts.company);
            facts.companyShortened = true;
            company = utf8Size(facts.company);
        } else if (post >= name) {
            dropLastCharacter(facts.post);
            facts.postShortened = true;
            post = utf8Size(facts.post);
        } else {
            dropLastCharacter(facts.name);
            facts.nameShortened = true;
            name = utf8Size(facts.name);
        }
    }
    return facts;
}

QByteArray encodeSignedPart(const SealFacts& facts)
{
    QString error;
    const std::optional<SealFacts> fitted = fitFacts(facts, &error);
    if (!fitted || !(*fitted == facts)) {
        return {};
    }
    QByteArray out;
    out.reserve(kMaxPayloadBytes);
    out.append(char(kFormat));
    out.append(char((facts.companyShortened ? kCompanyShort : 0) |
                    (facts.nameShortened ? kNameShort : 0) |
                    (facts.postShortened ? kPostShort : 0)));
    out.append(facts.keyId);
    out.append(facts.textHash);
    putDate(out, facts.joined);
    putDate(out, facts.left);
    putDate(out, facts.issued);
    for (const QString* text :
         {&facts.number, &facts.idLast4, &facts.name, &facts.post, &facts.company}) {
        const QByteArray utf8 = text->toUtf8();
        out.append(char(utf8.size())).append(utf8);
    }
    return out;
}

std::optional<DecodedPayload> decodePayload(const QByteArray& payload)
{
    const int size = int(payload.size());
    if (size < kFixedBytes + 5 + kSignatureBytes || size > kMaxPayloadBytes ||
        static_cast<unsigned char>(payload.at(0)) != kFormat) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(payload.constData());
    const unsigned char flags = bytes[1];
    if ((flags & ~(kCompanyShort | kNameShort | kPostShort)) != 0) {
        return std::nullopt;
    }
    DecodedPayload decoded;
    SealFacts& facts = decoded.facts;
    facts.companyShortened = (flags & kCompanyShort) != 0;
    facts.nameShortened = (flags & kNameShort) != 0;
    facts.postShortened = (flags & kPostShort) != 0;
    facts.keyId = payload.mid(2, kKeyIdBytes);
    facts.textHash = payload.mid(2 + kKeyIdBytes, kHashBytes);
    facts.joined = getDate(bytes + 26);
    facts.left = getDate(bytes + 28);
    facts.issued = getDate(bytes + 30);
    const int end = size - kSignatureBytes;
    int at = kFixedBytes;
    for (QString* text : {&facts.number, &facts.idLast4, &facts.name, &facts.post, &facts.company}) {
        if (at >= end) {
            return std::nullopt;
        }
        const int length = bytes[at++];
        if (at + length > end) {
            return std::nullopt;
        }
        const QByteArray utf8 = payload.mid(at, length);
        *text = QString::fromUtf8(utf8);
        if (text->toUtf8() != utf8) { // not UTF-8
            return std::nullopt;
        }
        at += length;
    }
    if (at != end) {
        return std::nullopt;
    }
    decoded.signedPart = payload.left(end);
    decoded.signature = payload.mid(end);
    return decoded;
}

} // namespace Seal
