#include "legal/IdNumberCheck.h"

#include <array>

namespace Legal {

namespace {

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

int digitAt(QStringView text, qsizetype index)
{
    return text[index].unicode() - u'0';
}

int number(QStringView digits)
{
    int value = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        value = value * 10 + digitAt(digits, i);
    }
    return value;
}

IdCheck verdict(IdVerdict v)
{
    IdCheck check;
    check.verdict = v;
    return check;
}

} // namespace

QChar idCheckDigit(QStringView first17)
{
    // Weight of position i is 2^(17-i) mod 11; the remainder of the weighted sum picks the
    // character that makes the whole number's sum 1 modulo 11.
    static constexpr std::array<int, 17> kWeights = {7, 9, 10, 5,  8, 4, 2, 1, 6,
                                                     3, 7, 9,  10, 5, 8, 4, 2};
    static constexpr char16_t kDigits[] = u"10X98765432";
    int sum = 0;
    for (qsizetype i = 0; i < 17; ++i) {
        sum += digitAt(first17, i) * kWeights[i];
    }
    return QChar(kDigits[sum % 11]);
}

IdCheck checkIdNumber(QStringView typed, QDate today)
{
    const QStringView text = typed.trimmed();
    if (text.isEmpty()) {
        return verdict(IdVerdict::Empty);
    }
    if (text.size() != 18 && text.size() != 15) {
        return verdict(IdVerdict::WrongLength);
    }
    const bool oldForm = text.size() == 15;
    const QStringView body = oldForm ? text : text.first(17);
    if (!allDigits(body)) {
        return verdict(IdVerdict::NotDigits);
    }
    const QChar last = text.back();
    if (!oldForm && !(last.isDigit() && last.unicode() < 128) && last != u'X' && last != u'x') {
        return verdict(IdVerdict::NotDigits);
    }

    const int year = oldForm ? 1900 + number(text.sliced(6, 2)) : number(text.sliced(6, 4));
    const int at = oldForm ? 8 : 10;
    const QDate birth(year, number(text.sliced(at, 2)), number(text.sliced(at + 2, 2)));
    if (!birth.isValid() || (today.isValid() && birth > today)) {
        return verdict(IdVerdict::NoSuchBirthDate);
    }

    IdCheck check;
    check.oldForm = oldForm;
    check.birthDate = birth;
    if (!oldForm && idCheckDigit(body) != last.toUpper()) {
        check.verdict = IdVerdict::WrongCheckDigit;
        return check;
    }
    check.verdict = IdVerdict::Valid;
    check.sex = digitAt(text, oldForm ? 14 : 16) % 2 == 1 ? IdSex::Male : IdSex::Female;
    return check;
}

QString idVerdictText(IdVerdict verdict)
{
    switch (verdict) {
    case IdVerdict::Valid:
    case IdVerdict::Empty:
        return QString();
    case IdVerdict::WrongLength:
        return QStringLiteral("位数不对");
    case IdVerdict::NotDigits:
        return QStringLiteral("只能是数字（末位可为X）");
    case IdVerdict::NoSuchBirthDate:
        return QStringLiteral("出生日期不存在");
    case IdVerdict::WrongCheckDigit:
        return QStringLiteral("校验位不符");
    }
    return QString();
}

QString sexMismatchHint(const IdCheck& check, const QString& gender)
{
    if (check.verdict != IdVerdict::Valid) {
        return QString();
    }
    const QString g = gender.trimmed();
    const QString fromNumber =
        check.sex == IdSex::Male ? QStringLiteral("男") : QStringLiteral("女");
    if ((g != QStringLiteral("男") && g != QStringLiteral("女")) || g == fromNumber) {
        return QString();
    }
    return QStringLiteral("身份证号为%1性，与性别“%2”不符").arg(fromNumber, g);
}

} // namespace Legal
