// 批量生成 from the main window: the context menu's entry opens the batch dialog with the
// template shown and the form's current values.
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "batch/BatchField.h"
#include "ui/batch/CBatchDlg.h"
#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

using namespace MainIds;

namespace {

class MainWindowBatchTest : public MainWindowFixture
{
protected:
    TempLibrary m_library;
};

TEST_F(MainWindowBatchTest, TheDialogStartsFromTheTemplateShownAndTheFormsValues)
{
    ASSERT_TRUE(m_library.isValid());
    CkavriDlg* window = openWindow(m_library.path());
    ASSERT_NE(window, nullptr);
    SetCtrlText(window, kCompany, QStringLiteral("示例科技有限公司"));
    SetCtrlText(window, kReason, QStringLiteral("个人原因（家庭）"));

    const CBatchDlg::Setup setup = window->BatchSetup();
    EXPECT_FALSE(setup.templateText.isEmpty());
    EXPECT_EQ(setup.templateText, window->m_strTemplateText);
    EXPECT_EQ(setup.templateName, GetCtrlText(window, kTemplateName));
    EXPECT_EQ(setup.windowValues[int(Compose::FieldIndex::Company)], QStringLiteral("示例科技有限公司"));
    EXPECT_EQ(setup.windowValues[int(Compose::FieldIndex::Reason)], QStringLiteral("个人原因"));
    EXPECT_TRUE(setup.windowValues[int(Compose::FieldIndex::Name)].isEmpty());

    QString openedTitle;
    QTimer::singleShot(0, [&openedTitle] {
        if (auto* dialog = qobject_cast<CBatchDlg*>(QApplication::activeModalWidget())) {
            openedTitle = dialog->windowTitle();
            dialog->reject();
        }
    });
    QAction* action = window->batchAction();
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("批量生成(&B)..."));
    action->trigger();
    EXPECT_EQ(openedTitle, QStringLiteral("批量生成"));
}

} // namespace
