#include "legal/ContractTerm.h"

#include "legal/LongDate.h"

namespace Legal {

QString contractTermText(QDate start, QDate end, bool openEnded)
{
    if (openEnded) {
        return QStringLiteral("自%1起无固定期限").arg(longDate(start));
    }
    return QStringLiteral("%1至%2").arg(longDate(start), longDate(end));
}

QString contractTermHint(QDate start, QDate end, bool openEnded)
{
    if (!openEnded && start.isValid() && end.isValid() && end < start) {
        return QStringLiteral("合同终止日期早于起始日期");
    }
    return QString();
}

} // namespace Legal
