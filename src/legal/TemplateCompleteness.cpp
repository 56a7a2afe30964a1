#include "legal/TemplateCompleteness.h"

#include "legal/LegalPlaceholders.h"

#include <QStringList>

namespace Legal {

QList<RequiredItem> missingItems(QStringView templateText)
{
    const auto holds = [templateText](QStringView marker) { return templateText.contains(marker); };
    QList<RequiredItem> missing;
    if (!holds(kContractTermMarker)) {
        missing.append(RequiredItem::ContractTerm);
    }
    if (!holds(kLeaveDateMarker)) {
        missing.append(RequiredItem::LeaveDate);
    }
    if (!holds(kPositionMarker)) {
        missing.append(RequiredItem::Post);
    }
    // Both dates let the reader work the years out, which states them as well.
    if (!holds(kServiceYearsMarker) && !(holds(kJoinDateMarker) && holds(kLeaveDateMarker))) {
        missing.append(RequiredItem::ServiceYears);
    }
    return missing;
}

QString requiredItemName(RequiredItem item)
{
    switch (item) {
    case RequiredItem::ContractTerm:
        return QStringLiteral("合同期限");
    case RequiredItem::LeaveDate:
        return QStringLiteral("离职日期");
    case RequiredItem::Post:
        return QStringLiteral("工作岗位");
    case RequiredItem::ServiceYears:
        return QStringLiteral("工作年限");
    }
    return QString();
}

QString missingItemsHint(const QList<RequiredItem>& missing)
{
    if (missing.isEmpty()) {
        return QString();
    }
    QStringList names;
    for (RequiredItem item : missing) {
        names.append(requiredItemName(item));
    }
    return QStringLiteral("模板未写明：") + names.join(QStringLiteral("、"));
}

} // namespace Legal
