#include "legal/RecordedValues.h"

#include "legal/LegalPlaceholders.h"
#include "legal/LongDate.h"
#include "legal/ServiceYears.h"

namespace Legal {

QList<std::pair<QString, QString>> recordedValues(QStringView templateText, const LegalDates& dates)
{
    QList<std::pair<QString, QString>> out;
    if (templateText.contains(kContractTermMarker)) {
        out.append({QStringLiteral("合同起始日期"), longDate(dates.contractStart)});
        out.append({QStringLiteral("合同终止日期"),
                    dates.openEnded ? QString() : longDate(dates.contractEnd)});
        out.append({QStringLiteral("无固定期限"),
                    dates.openEnded ? QStringLiteral("是") : QStringLiteral("否")});
    }
    if (templateText.contains(kServiceYearsMarker)) {
        out.append({QStringLiteral("工作年限"), serviceYears(dates.joined, dates.left).text});
    }
    if (templateText.contains(kIssueDateMarker)) {
        out.append({QStringLiteral("出具日期"), longDate(dates.issued)});
    }
    return out;
}

} // namespace Legal
