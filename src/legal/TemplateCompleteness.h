#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace Legal {

// The four things a certificate of resignation has to state (劳动合同法实施条例 第二十四条).
enum class RequiredItem
{
    ContractTerm, // 合同期限: 【合同期限】
    LeaveDate,    // 离职日期: 【离职日期】
    Post,         // 工作岗位: 【职位】
    ServiceYears, // 工作年限: 【工作年限】, or 【入职日期】 together with 【离职日期】
};

// The items a template text does not state, in the order above; empty when it states all four.
QList<RequiredItem> missingItems(QStringView templateText);

// "合同期限", "离职日期", "工作岗位", "工作年限".
QString requiredItemName(RequiredItem item);

// One line for the clerk: "模板未写明：合同期限、工作年限"; empty when nothing is missing.
QString missingItemsHint(const QList<RequiredItem>& missing);

} // namespace Legal
