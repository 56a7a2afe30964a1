#include "EditorDriving.h"
#include "RecordingNotifier.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CModXxxDlg.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kEmpty = QStringLiteral("大侠，您得填写点啥内容才能保存哦！");

// Opens an editor without a modal loop: show() runs the same initialisation as exec(), and
// 确定 or 取消 end it with the result a modal run would return.
template <typename Editor> class EditorTest : public ::testing::Test
{
protected:
    void open(const QString& title, const QString& prompt = QStringLiteral("提示"))
    {
        editor.m_strTitle = title;
        editor.m_strPrompt = prompt;
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    bool stillOpen() const { return editor.isVisible() && editor.result() == QDialog::Rejected; }

    RecordingNotifier notes;
    Editor editor;
};

using AddEditorTest = EditorTest<CAddXxxDlg>;
using ModifyEditorTest = EditorTest<CModXxxDlg>;

TEST_F(AddEditorTest, OpensWithTitleHintAndFocusOnOk)
{
    open(QStringLiteral("添加公司名称"), QStringLiteral("提示：在以下的空格中填写新增的公司名称"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("添加公司名称"));
    EXPECT_EQ(child<QLabel>(&editor, 1001)->text(),
              QStringLiteral("提示：在以下的空格中填写新增的公司名称"));
    EXPECT_EQ(editor.focusWidget(), okButton(&editor));
    EXPECT_TRUE(nameBox(&editor)->text().isEmpty());
    EXPECT_FALSE(textBox(&editor)->isVisible());
    // The default button that takes Enter from the boxes is there but never seen.
    QPushButton* hidden = child<QPushButton>(&editor, 1003);
    nameBox(&editor)->setFocus();
    EXPECT_TRUE(hidden->isDefault());
    EXPECT_FALSE(hidden->isVisible());
}

TEST_F(AddEditorTest, TemplateModeOnlyForTheExactTitle)
{
    open(QStringLiteral("添加离职模板"));
    EXPECT_TRUE(textBox(&editor)->isVisible());
    // The Add editor scrolls its text sideways instead of wrapping.
    EXPECT_EQ(textBox(&editor)->lineWrapMode(), QPlainTextEdit::NoWrap);

    for (const QString& title : {QStringLiteral("添加离职模板 "), QStringLiteral("修改离职模板"),
                                 QStringLiteral("添加离职")}) {
        CAddXxxDlg other;
        other.m_strTitle = title;
        other.show();
        EXPECT_FALSE(textBox(&other)->isVisible()) << title.toStdString();
        other.reject();
    }
}

TEST_F(AddEditorTest, EmptyNameIsRefusedAndTheEditorKeepsItsContents)
{
    open(QStringLiteral("添加公司名称"));
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_TRUE(stillOpen());
    ASSERT_EQ(notes.notices().size(), 1);
    EXPECT_EQ(notes.notices()[0].text, kEmpty);
    EXPECT_EQ(notes.notices()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(notes.notices()[0].icon, Notifier::Icon::Information);
}

TEST_F(AddEditorTest, NameOfOnlySpacesIsAcceptedUntrimmed)
{
    open(QStringLiteral("添加部门"));
    fillAndConfirm(&editor, QStringLiteral("  "));
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.m_strName, QStringLiteral("  "));
    EXPECT_TRUE(editor.m_strText.isEmpty());
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(AddEditorTest, TemplateNeedsBothNameAndText)
{
    open(QStringLiteral("添加离职模板"));
    typeText(nameBox(&editor), QStringLiteral("新模板"));
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(notes.texts(), QStringList{kEmpty});
    EXPECT_EQ(nameBox(&editor)->text(), QStringLiteral("新模板"));

    nameBox(&editor)->clear();
    typeText(textBox(&editor), QStringLiteral("兹证明【姓名】"));
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(notes.texts(), (QStringList{kEmpty, kEmpty}));

    typeText(nameBox(&editor), QStringLiteral("新模板"));
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.m_strName, QStringLiteral("新模板"));
    EXPECT_EQ(editor.m_strText, QStringLiteral("兹证明【姓名】"));
}

TEST_F(AddEditorTest, EnterInEitherBoxNeitherClosesNorBreaksTheLine)
{
    open(QStringLiteral("添加离职模板"));
    typeText(nameBox(&editor), QStringLiteral("名"));
    nameBox(&editor)->setFocus();
    QTest::keyClick(nameBox(&editor), Qt::Key_Return);
    QTest::keyClick(nameBox(&editor), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(stillOpen());

    typeText(textBox(&editor), QStringLiteral("ab"));
    QTest::keyClick(textBox(&editor), Qt::Key_Return);
    QTest::keyClick(textBox(&editor), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(textBox(&editor)->toPlainText(), QStringLiteral("ab"));
    EXPECT_TRUE(notes.notices().isEmpty()) << "Enter must not even try OK";

    // Ctrl+Enter types the line break; it is handed back as CR LF.
    QTest::keyClick(textBox(&editor), Qt::Key_Return, Qt::ControlModifier);
    typeText(textBox(&editor), QStringLiteral("cd"));
    EXPECT_TRUE(stillOpen());
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.m_strText, QStringLiteral("ab\r\ncd"));
}

TEST_F(AddEditorTest, EnterOnTheFocusedOkSubmits)
{
    open(QStringLiteral("添加职位"));
    typeText(nameBox(&editor), QStringLiteral("工程师"));
    okButton(&editor)->setFocus();
    QTest::keyClick(okButton(&editor), Qt::Key_Return);
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.m_strName, QStringLiteral("工程师"));
}

TEST_F(AddEditorTest, CancelEscapeAndCloseNeverValidate)
{
    open(QStringLiteral("添加公司名称"));
    QTest::mouseClick(cancelButton(&editor), Qt::LeftButton);
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_FALSE(editor.isVisible());

    CAddXxxDlg escaped;
    escaped.m_strTitle = QStringLiteral("添加离职模板");
    escaped.show();
    QTest::keyClick(nameBox(&escaped), Qt::Key_Escape);
    EXPECT_FALSE(escaped.isVisible());
    EXPECT_EQ(escaped.result(), QDialog::Rejected);

    CAddXxxDlg closed;
    closed.show();
    closed.close();
    EXPECT_FALSE(closed.isVisible());
    EXPECT_EQ(closed.result(), QDialog::Rejected);
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(ModifyEditorTest, ShowsThePresetValuesAndWrapsTemplateText)
{
    editor.m_strName = QStringLiteral("通用离职证明");
    editor.m_strText = QStringLiteral("第一行\r\n第二行");
    open(QStringLiteral("修改离职模板"), QStringLiteral("提示：在以下的空格中修改离职模板"));
    EXPECT_EQ(child<QLabel>(&editor, 1045)->text(),
              QStringLiteral("提示：在以下的空格中修改离职模板"));
    EXPECT_EQ(nameBox(&editor)->text(), QStringLiteral("通用离职证明"));
    EXPECT_TRUE(textBox(&editor)->isVisible());
    EXPECT_EQ(textBox(&editor)->toPlainText(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(textBox(&editor)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(editor.focusWidget(), okButton(&editor));
}

TEST_F(ModifyEditorTest, HiddenTextComesBackExactlyAsGiven)
{
    // Characters a text box would normalise (CR LF, no-break space) must survive untouched.
    const QString stored = QStringLiteral("旧\r\n内容\u00a0尾");
    editor.m_strName = QStringLiteral("财务部");
    editor.m_strText = stored;
    open(QStringLiteral("修改部门"));
    EXPECT_FALSE(textBox(&editor)->isVisible());
    fillAndConfirm(&editor, QStringLiteral("财务中心"));
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.m_strName, QStringLiteral("财务中心"));
    EXPECT_EQ(editor.m_strText, stored);
}

TEST_F(ModifyEditorTest, ClearedNameIsRefused)
{
    editor.m_strName = QStringLiteral("会计");
    open(QStringLiteral("修改职位"));
    nameBox(&editor)->clear();
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(notes.texts(), QStringList{kEmpty});
}

TEST_F(ModifyEditorTest, ClearedTemplateTextIsRefused)
{
    editor.m_strName = QStringLiteral("简明离职证明");
    editor.m_strText = QStringLiteral("兹证明");
    open(QStringLiteral("修改离职模板"));
    textBox(&editor)->clear();
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(notes.texts(), QStringList{kEmpty});
}

TEST_F(ModifyEditorTest, EmptyTextIsFineOutsideTemplateMode)
{
    // The exact comparison: the Add editor's template title does not count here.
    editor.m_strName = QStringLiteral("个人原因");
    open(QStringLiteral("添加离职模板"));
    EXPECT_FALSE(textBox(&editor)->isVisible());
    QTest::mouseClick(okButton(&editor), Qt::LeftButton);
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_TRUE(notes.notices().isEmpty());
}

} // namespace
