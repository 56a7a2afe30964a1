#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

namespace Legal {

// What is wrong with a resident ID-card number (GB 11643-1999), checked in this order.
enum class IdVerdict
{
    Valid,
    Empty,           // nothing typed: nothing to say
    WrongLength,     // neither 18 nor 15 characters
    NotDigits,       // a character other than a digit (or a final X in the 18-character form)
    NoSuchBirthDate, // the birth date it holds is not a day of the calendar, or lies ahead
    WrongCheckDigit, // the 18th character does not match the first 17 (ISO 7064 MOD 11-2)
};

enum class IdSex
{
    Female,
    Male
};

struct IdCheck
{
    IdVerdict verdict = IdVerdict::Empty;
    bool oldForm = false;      // the 15-digit form of the first-generation cards
    QDate birthDate;           // valid whenever the birth date could be read
    IdSex sex = IdSex::Female; // meaningful only when the verdict is Valid
};

// Checks a typed number; spaces around it are ignored. `today` bounds the birth date.
// The 15-digit form is accepted as it is: its birth year is 19yy and it has no check digit.
// The final X of the 18-character form may be typed in either case.
IdCheck checkIdNumber(QStringView typed, QDate today = QDate::currentDate());

// The check digit (0-9 or X) that the first 17 digits call for; the digits must be 17 ASCII
// digits.
QChar idCheckDigit(QStringView first17);

// The verdict in words a clerk understands: "位数不对", "出生日期不存在", "校验位不符", …
// Empty for Valid and Empty.
QString idVerdictText(IdVerdict verdict);

// When a valid number's sex (17th digit, 15th in the old form: odd for men) disagrees with the
// gender field ("男" or "女"), a sentence that says so; empty otherwise, and for any other
// gender text.
QString sexMismatchHint(const IdCheck& check, const QString& gender);

} // namespace Legal
