// The line under a template's text in the entry editors that names the items a certificate must
// state and the template leaves out, kept up to date as the text is typed.
#include "EditorDriving.h"
#include "RecordingNotifier.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CModXxxDlg.h"

#include <QLabel>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QLabel* completenessLine(QDialog* editor)
{
    return child<QLabel>(editor, CEntryEditorDlg::kCompletenessLineId);
}

void openEditor(QDialog* editor, CEntryEditorDlg* entry, const QString& title)
{
    entry->m_strTitle = title;
    entry->m_strPrompt = QStringLiteral("提示");
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
}

TEST(TemplateCompletenessLine, FollowsTheTextAsItIsTyped)
{
    RecordingNotifier notes;
    CAddXxxDlg editor;
    openEditor(&editor, &editor, QStringLiteral("添加离职模板"));
    QLabel* line = completenessLine(&editor);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限、离职日期、工作岗位、工作年限"));

    typeText(textBox(&editor), QStringLiteral("【姓名】任【职位】，于【离职日期】离职"));
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限、工作年限"));
    // The joining date together with the leaving date states the years of service.
    typeText(textBox(&editor), QStringLiteral("，自【入职日期】起"));
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限"));
    typeText(textBox(&editor), QStringLiteral("，合同【合同期限】"));
    EXPECT_EQ(line->text(), QStringLiteral("已写明合同期限、离职日期、工作岗位、工作年限"));

    // Deleting a character of a placeholder makes the item missing again.
    QTest::keyClick(textBox(&editor), Qt::Key_Backspace);
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限"));
    // The line lies under the text box, inside the dialog.
    EXPECT_GT(line->y(), textBox(&editor)->geometry().bottom());
    EXPECT_LE(line->geometry().bottom(), editor.height());
}

TEST(TemplateCompletenessLine, IsAHintAndNeverRefusesSaving)
{
    RecordingNotifier notes;
    CModXxxDlg editor;
    editor.m_strName = QStringLiteral("简短证明");
    editor.m_strText = QStringLiteral("兹证明【姓名】已离职。");
    openEditor(&editor, &editor, QStringLiteral("修改离职模板"));
    EXPECT_EQ(completenessLine(&editor)->text(),
              QStringLiteral("模板未写明：合同期限、离职日期、工作岗位、工作年限"));
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.m_strText, QStringLiteral("兹证明【姓名】已离职。"));
    EXPECT_TRUE(notes.notices().isEmpty());
}

// Words of the template that state fault or dispute are named on the line; stating that there
// is none is no hit.
TEST(TemplateCompletenessLine, NamesWordingThatStatesFaultOrDispute)
{
    // Not the user's own phrase list: the delivered one.
    QStandardPaths::setTestModeEnabled(true);
    RecordingNotifier notes;
    CAddXxxDlg editor;
    openEditor(&editor, &editor, QStringLiteral("添加离职模板"));
    QLabel* line = completenessLine(&editor);
    typeText(textBox(&editor), QStringLiteral("【姓名】于【离职日期】离职，与我公司无未了结的劳动争议"));
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限、工作岗位、工作年限"));
    typeText(textBox(&editor), QStringLiteral("。因能力不足予以辞退，双方存在劳动争议"));
    EXPECT_EQ(line->text(), QStringLiteral("模板未写明：合同期限、工作岗位、工作年限；"
                                           "措辞提示：“能力不足”“辞退”“劳动争议”"));
    EXPECT_TRUE(line->toolTip().contains(QStringLiteral("“辞退”：")));
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST(TemplateCompletenessLine, OnlyForTemplates)
{
    RecordingNotifier notes;
    CAddXxxDlg editor;
    openEditor(&editor, &editor, QStringLiteral("添加公司名称"));
    EXPECT_FALSE(completenessLine(&editor)->isVisible());
}

} // namespace
