#include "ui/library/LibraryConfiguration.h"

#include "store/LibraryTables.h"
#include "ui/library/CBasicdatasetDlg.h"

using namespace LibraryTables;

LibraryConfiguration LibraryConfiguration::company()
{
    return {QStringLiteral("公司名称库"), QStringLiteral("公司名称"), kCompany, kNameColumn,
            kNameColumn};
}

LibraryConfiguration LibraryConfiguration::department()
{
    return {QStringLiteral("部门库"), QStringLiteral("部门"), kDepartment, kNameColumn,
            kNameColumn};
}

LibraryConfiguration LibraryConfiguration::position()
{
    return {QStringLiteral("职位库"), QStringLiteral("职位"), kPosition, kNameColumn, kNameColumn};
}

LibraryConfiguration LibraryConfiguration::reason()
{
    return {QStringLiteral("离职原因库"), QStringLiteral("离职原因"), kReason, kNameColumn,
            kNameColumn};
}

LibraryConfiguration LibraryConfiguration::certificateTemplate()
{
    return {QStringLiteral("离职模板库"), QStringLiteral("离职模板"), kTemplate, kNameColumn,
            kContentColumn};
}

void LibraryConfiguration::applyTo(CBasicdatasetDlg& browser) const
{
    browser.m_strTitle = title;
    browser.m_strItemName = itemName;
    browser.m_strAddText = QStringLiteral("添加");
    browser.m_strModifyText = QStringLiteral("修改");
    browser.m_strDeleteText = QStringLiteral("删除");
    browser.m_strTableName = tableName;
    browser.m_strLabelField = labelField;
    browser.m_strContentField = contentField;
}
