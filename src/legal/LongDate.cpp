#include "legal/LongDate.h"

namespace Legal {

QString longDate(QDate date)
{
    if (!date.isValid()) {
        return QString();
    }
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

} // namespace Legal
