#include "ui/library/LibraryConfiguration.h"

#include "ui/library/CBasicdatasetDlg.h"

namespace {

const QString kName = QStringLiteral("item3");

} // namespace

LibraryConfiguration LibraryConfiguration::company()
{
    return {QStringLiteral("公司名称库"), QStringLiteral("公司名称"),
            QStringLiteral("company_item_table"), kName, kName};
}

LibraryConfiguration LibraryConfiguration::department()
{
    return {QStringLiteral("部门库"), QStringLiteral("部门"),
            QStringLiteral("department_item_table"), kName, kName};
}

LibraryConfiguration LibraryConfiguration::position()
{
    return {QStringLiteral("职位库"), QStringLiteral("职位"), QStringLiteral("position_item_table"),
            kName, kName};
}

LibraryConfiguration LibraryConfiguration::reason()
{
    // The table's name is spelt "bable" in the delivered file.
    return {QStringLiteral("离职原因库"), QStringLiteral("离职原因"),
            QStringLiteral("reason_item_bable"), kName, kName};
}

LibraryConfiguration LibraryConfiguration::certificateTemplate()
{
    return {QStringLiteral("离职模板库"), QStringLiteral("离职模板"),
            QStringLiteral("moban_item_table"), kName, QStringLiteral("item8")};
}

QList<LibraryConfiguration> LibraryConfiguration::all()
{
    return {company(), department(), position(), reason(), certificateTemplate()};
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
