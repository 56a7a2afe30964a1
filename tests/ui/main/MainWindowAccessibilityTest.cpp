// Keyboard order and the names a screen reader speaks, read through Qt's accessibility
// interface as a screen reader would.
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "ui/main/MainDialogIds.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

using namespace MainIds;

namespace {

class MainWindowAccessibility : public MainWindowFixture
{
protected:
    QString spokenName(int id)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_window->control(id));
        return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
    }

    // On Linux a combo box's name is its current text; its label comes as a relation.
    QString labelOf(int id)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_window->control(id));
        if (!iface) {
            return QStringLiteral("<no interface>");
        }
        const auto labels = iface->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
};

TEST_F(MainWindowAccessibility, EveryControlAPersonUsesHasASpokenName)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    openWindow(library.path());
    const std::pair<int, QString> expected[] = {
        {kName, QStringLiteral("姓名")},
        {kIdNumber, QStringLiteral("身份证号")},
        {kJoinDate, QStringLiteral("入职日期")},
        {kLeaveDate, QStringLiteral("离职日期")},
        {kCompanyLibrary, QStringLiteral("公司名称库管理")},
        {kDepartmentLibrary, QStringLiteral("部门库管理")},
        {kPositionLibrary, QStringLiteral("职位库管理")},
        {kReasonLibrary, QStringLiteral("离职原因库管理")},
        {kTemplateLibrary, QStringLiteral("离职模板库管理")},
        {1000, QStringLiteral("选择离职证明模板")},
        {kBannerStep2, QStringLiteral("填写表单")},
        {1002, QStringLiteral("点击“生成离职证明”按钮")},
        {kInfoPanel, QStringLiteral("kavri 版本 1.0 使用说明 · README")},
        {kGenerate, QStringLiteral("生成离职证明")},
        {kExportPdf, QStringLiteral("导出PDF")},
        {kCopyText, QStringLiteral("复制文本")},
        {kPrintPreview, QStringLiteral("打印预览")},
        {kResult, QStringLiteral("离职证明")},
        {kTemplateList, QStringLiteral("离职证明模板")},
    };
    for (const auto& [id, name] : expected) {
        EXPECT_EQ(spokenName(id), name) << "control " << id;
    }
    const std::pair<int, QString> combos[] = {
        {kGender, QStringLiteral("性别：")},       {kCompany, QStringLiteral("公司名称：")},
        {kDepartment, QStringLiteral("部门：")},   {kPosition, QStringLiteral("职位：")},
        {kReason, QStringLiteral("离职原因：")},
    };
    for (const auto& [id, label] : combos) {
        EXPECT_EQ(labelOf(id), label) << "combo " << id;
    }
}

TEST_F(MainWindowAccessibility, TabFollowsTheButtonsOnTheScreenAndSkipsTheMargins)
{
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    openWindow(library.path());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QWidget* generate = m_window->control(kGenerate);
    generate->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return generate->hasFocus(); }));
    QStringList reached;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(reached, (QStringList{QStringLiteral("1033"), QStringLiteral("1030"),
                                    QStringLiteral("1031"), QStringLiteral("1008")}));
    EXPECT_EQ(m_window->control(1010)->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(m_window->control(1032)->focusPolicy(), Qt::NoFocus);
}

} // namespace
