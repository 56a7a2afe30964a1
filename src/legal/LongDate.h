#pragma once

#include <QDate>
#include <QString>

namespace Legal {

// A date in the long form of a Chinese desktop, "2026年12月7日": no leading zeros, no weekday.
// The same form the form's date pickers show. An invalid date gives the empty text.
QString longDate(QDate date);

} // namespace Legal
