#include "BrowserFixture.h"
#include "ui/library/DialogReturnKey.h"
#include "ui/library/TypedTextLimit.h"

namespace {

const QString kTemplateTable = QStringLiteral("moban_item_table");

// The typed-text limit on a bare box, small enough to count by hand.
class TypedTextLimitTest : public ::testing::Test
{
protected:
    QPlainTextEdit edit;
    TypedTextLimit limit{&edit, 5};
};

TEST_F(TypedTextLimitTest, TypingStopsAtTheLimit)
{
    QTest::keyClicks(&edit, "abcdefgh");
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("abcde"));
    EXPECT_EQ(limit.length(), 5);
}

TEST_F(TypedTextLimitTest, PastedTextIsCutToWhatFits)
{
    QTest::keyClicks(&edit, "ab");
    edit.insertPlainText(QStringLiteral("123456"));
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("ab123"));
}

TEST_F(TypedTextLimitTest, ALineBreakCountsTwo)
{
    edit.insertPlainText(QStringLiteral("ab\ncdef"));
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("ab\nc"));
    EXPECT_EQ(limit.length(), 5);
}

TEST_F(TypedTextLimitTest, ProgramTextMayBeLongerButTakesNoMoreTyping)
{
    limit.setProgramText(QStringLiteral("0123456789"));
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("0123456789"));
    edit.moveCursor(QTextCursor::End);
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("0123456789"));
    // Deleting still works, and once under the limit typing fills up to it again.
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(&edit, Qt::Key_Backspace);
    }
    QTest::keyClicks(&edit, "xyz");
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("012xy"));
}

TEST(DialogReturnKeyTest, EnterGoesToTheWindowAndCtrlEnterBreaksTheLine)
{
    QDialog dialog;
    auto* edit = new QPlainTextEdit(&dialog);
    new DialogReturnKey(edit);
    // A visible default button shows whether the dialog received Enter.
    auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
    button->setDefault(true);
    int pressed = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
    dialog.show();
    edit->setFocus();

    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("ab"));

    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(edit, "c");
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("ab\nc"));
}

using PreviewBoxTest = BrowserFixture;

TEST_F(PreviewBoxTest, TypedTextIsNeverStored)
{
    const auto before = rows(kTemplateTable);
    open(LibraryConfiguration::certificateTemplate());
    select(before[0].item3);
    preview()->moveCursor(QTextCursor::End);
    QTest::keyClicks(preview(), "typed");
    QTest::keyClick(preview(), Qt::Key_Return);
    EXPECT_FALSE(browser->isVisible()) << "Enter in the preview box is the dialog's OK";
    EXPECT_EQ(browser->result(), QDialog::Accepted);
    EXPECT_TRUE(notes.notices().isEmpty());
    const auto after = rows(kTemplateTable);
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].item8, before[i].item8);
        EXPECT_EQ(after[i].item3, before[i].item3);
    }
}

TEST_F(PreviewBoxTest, EnterInTheTreeClosesTheBrowser)
{
    open(LibraryConfiguration::department());
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_Return);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(PreviewBoxTest, EnterOnAButtonPressesTheButtonInstead)
{
    open(LibraryConfiguration::department());
    select(treeLabels().at(1));
    bool editorOpened = false;
    whenModal<CModXxxDlg>([&](CModXxxDlg* editor) {
        editorOpened = true;
        editor->reject();
    });
    button(1071)->setFocus();
    QTest::keyClick(button(1071), Qt::Key_Return);
    EXPECT_TRUE(editorOpened);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(notes.notices().isEmpty());
}

TEST_F(PreviewBoxTest, ALongTemplateKeepsTheBrowserOpenOnEnterButNotOnEscape)
{
    const Row target = rows(kTemplateTable)[1];
    db.SetRecordValue(kTemplateTable, "item8", QString(6000, QChar(u'字')), target.itemId);
    open(LibraryConfiguration::certificateTemplate());
    select(target.item3);
    // The program may put more into the box than may be typed; the user can add nothing.
    EXPECT_EQ(preview()->toPlainText().size(), 6000 + 5);
    preview()->moveCursor(QTextCursor::End);
    QTest::keyClicks(preview(), "more");
    EXPECT_EQ(preview()->toPlainText().size(), 6000 + 5);

    QTest::keyClick(preview(), Qt::Key_Return);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(notes.texts(), QStringList{CBasicdatasetDlg::kTooLongMessage});

    notes.clear();
    QTest::keyClick(preview(), Qt::Key_Escape);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(browser->result(), QDialog::Rejected);
    EXPECT_TRUE(notes.notices().isEmpty());
    EXPECT_EQ(row(kTemplateTable, target.itemId).item8, QString(6000, QChar(u'字')));
}

TEST_F(PreviewBoxTest, ExactlyAtTheLimitStillCloses)
{
    const Row target = rows(kTemplateTable)[1];
    // Three spaces and two line breaks (four characters as counted) come before the text.
    db.SetRecordValue(kTemplateTable, "item8", QString(5000 - 7, QChar(u'字')), target.itemId);
    open(LibraryConfiguration::certificateTemplate());
    select(target.item3);
    browser->accept();
    EXPECT_FALSE(browser->isVisible());
    EXPECT_TRUE(notes.notices().isEmpty());
}

} // namespace
