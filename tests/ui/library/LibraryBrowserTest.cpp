#include "BrowserFixture.h"

#include <QLabel>

namespace {

const QString kCompanies = QStringLiteral("company_item_table");
const QString kTemplates = QStringLiteral("moban_item_table");
const QString kReasons = QStringLiteral("reason_item_bable");
const QString kNoSelectionModify = QStringLiteral("请先在库中选中一个需要修改的项目！");
const QString kNoSelectionDelete = QStringLiteral("请先在库中选中一个需要删除的项目！");
const QString kNothingToSave = QStringLiteral("大侠，您得填写点啥内容才能保存哦！");

using LibraryBrowserTest = BrowserFixture;

TEST_F(LibraryBrowserTest, OpensWithItsTextsAndTheTopLevelEntriesInItemIdOrder)
{
    open(LibraryConfiguration::company());
    EXPECT_EQ(browser->windowTitle(), QStringLiteral("公司名称库"));
    EXPECT_EQ(button(1070)->text(), QStringLiteral("添加"));
    EXPECT_EQ(button(1071)->text(), QStringLiteral("修改"));
    EXPECT_EQ(button(1072)->text(), QStringLiteral("删除"));
    // The dialog has no default button: none is drawn as one.
    for (int id : {1070, 1071, 1072}) {
        EXPECT_FALSE(button(id)->isDefault()) << id;
    }
    const QStringList expected = topLevelNames(kCompanies);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(treeLabels(), expected);
    EXPECT_EQ(tree()->topLevelItem(0)->data(0, Qt::UserRole).toInt(), rows(kCompanies)[0].itemId);
    EXPECT_EQ(tree()->topLevelItem(0)->childCount(), 0);
}

TEST_F(LibraryBrowserTest, TheTreeSelectsItsFirstEntryWhenFocusedWithoutSelection)
{
    // As a Windows tree view does, and the browser treats it as the user's selection.
    open(LibraryConfiguration::department());
    const QString first = treeLabels().at(0);
    tree()->setFocus();
    EXPECT_EQ(browser->m_nSelectedId, idOf("department_item_table", first));
    EXPECT_EQ(preview()->toPlainText(), QStringLiteral("   \n\n") + first);

    // After a change the tree has no selection; focusing it again selects the first entry.
    whenModal<CAddXxxDlg>([](CAddXxxDlg* editor) { fillAndConfirm(editor, "后勤部"); });
    clickAdd();
    ASSERT_EQ(browser->m_nSelectedId, -1);
    // The offscreen platform does not give the activation back when the editor closes.
    browser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    tree()->setFocus();
    EXPECT_EQ(browser->m_nSelectedId, idOf("department_item_table", first));
    EXPECT_TRUE(tree()->topLevelItem(0)->isSelected());
}

TEST_F(LibraryBrowserTest, EntriesAreListedByItemIdNotAlphabetically)
{
    // Names in reverse alphabetical order of insertion.
    ASSERT_TRUE(db.ExecuteSql("delete from " + kReasons));
    for (const char* name : {"丙", "乙", "甲"}) {
        db.AddRecord(kReasons, "item3", QString::fromUtf8(name), "item8", "");
    }
    open(LibraryConfiguration::reason());
    EXPECT_EQ(treeLabels(), (QStringList{"丙", "乙", "甲"}));
}

TEST_F(LibraryBrowserTest, EntriesRecordedByGenerateAreNeverListed)
{
    ASSERT_TRUE(db.ExecuteSql("update " + kCompanies + " set item1=''"));
    QStringList texts(10, QString());
    texts[0] = QStringLiteral("默认");
    texts[2] = QStringLiteral("表单里输入的公司");
    db.AddItemRecord(kCompanies, 10, texts, -1);
    ASSERT_GT(idOf(kCompanies, QStringLiteral("表单里输入的公司")), 0);

    open(LibraryConfiguration::company());
    EXPECT_FALSE(treeLabels().contains(QStringLiteral("表单里输入的公司")));
    EXPECT_EQ(treeLabels(), topLevelNames(kCompanies));
}

TEST_F(LibraryBrowserTest, EmptyLibraryStillAddsButHasNothingToModifyOrDelete)
{
    ASSERT_TRUE(db.ExecuteSql("delete from " + kReasons));
    open(LibraryConfiguration::reason());
    EXPECT_EQ(tree()->topLevelItemCount(), 0);

    clickModify();
    clickDelete();
    EXPECT_EQ(notes.texts(), (QStringList{kNoSelectionModify, kNoSelectionDelete}));
    for (const auto& notice : notes.notices()) {
        EXPECT_EQ(notice.caption, QStringLiteral("提示"));
        EXPECT_EQ(notice.icon, Notifier::Icon::Information);
    }
    notes.clear();

    whenModal<CAddXxxDlg>([](CAddXxxDlg* editor) { fillAndConfirm(editor, "家庭原因"); });
    clickAdd();
    EXPECT_EQ(notes.texts(), QStringList{"添加成功！"});
    EXPECT_EQ(treeLabels(), QStringList{"家庭原因"});
}

TEST_F(LibraryBrowserTest, AddListsTheNewEntryLastAndLeavesNothingSelected)
{
    open(LibraryConfiguration::company());
    select(treeLabels().at(1));
    const int before = tree()->topLevelItemCount();

    QString title, prompt;
    bool textShown = true;
    whenModal<CAddXxxDlg>([&](CAddXxxDlg* editor) {
        title = editor->windowTitle();
        prompt = child<QLabel>(editor, 1001)->text();
        textShown = textBox(editor)->isVisible();
        fillAndConfirm(editor, "新开的公司");
    });
    clickAdd();

    EXPECT_EQ(title, QStringLiteral("添加公司名称"));
    EXPECT_EQ(prompt, QStringLiteral("提示：在以下的空格中填写新增的公司名称"));
    EXPECT_FALSE(textShown);
    EXPECT_EQ(notes.texts(), QStringList{"添加成功！"});
    ASSERT_EQ(tree()->topLevelItemCount(), before + 1);
    EXPECT_EQ(treeLabels().last(), QStringLiteral("新开的公司"));

    const Row added = rows(kCompanies).last();
    EXPECT_EQ(added.item3, QStringLiteral("新开的公司"));
    EXPECT_EQ(added.upId, 0);
    EXPECT_EQ(added.item1, QString());
    EXPECT_EQ(added.item8, QString());

    EXPECT_EQ(browser->m_nSelectedId, -1);
    EXPECT_EQ(tree()->currentItem(), nullptr);
    EXPECT_TRUE(tree()->selectedItems().isEmpty());
    EXPECT_TRUE(preview()->toPlainText().isEmpty());

    notes.clear();
    clickModify();
    EXPECT_EQ(notes.texts(), QStringList{kNoSelectionModify});
}

TEST_F(LibraryBrowserTest, AddTemplateWritesNameAndText)
{
    open(LibraryConfiguration::certificateTemplate());
    bool textShown = false;
    whenModal<CAddXxxDlg>([&](CAddXxxDlg* editor) {
        textShown = textBox(editor)->isVisible();
        fillAndConfirm(editor, "试用期离职证明", "兹证明【姓名】试用期满离职。<br>特此证明。");
    });
    clickAdd();
    EXPECT_TRUE(textShown);
    const Row added = rows(kTemplates).last();
    EXPECT_EQ(added.item3, QStringLiteral("试用期离职证明"));
    EXPECT_EQ(added.item8, QStringLiteral("兹证明【姓名】试用期满离职。<br>特此证明。"));
    EXPECT_EQ(treeLabels().last(), QStringLiteral("试用期离职证明"));
}

TEST_F(LibraryBrowserTest, RefusedAndCancelledEditorsWriteNothing)
{
    open(LibraryConfiguration::certificateTemplate());
    const auto before = rows(kTemplates);
    bool stayedOpen = false;
    whenModal<CAddXxxDlg>([&](CAddXxxDlg* editor) {
        fillAndConfirm(editor, "只有名字");
        stayedOpen = editor->isVisible();
        QTest::mouseClick(cancelButton(editor), Qt::LeftButton);
    });
    clickAdd();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(notes.texts(), QStringList{kNothingToSave});
    EXPECT_EQ(rows(kTemplates).size(), before.size());

    notes.clear();
    select(before[1].item3);
    const qint32 selected = browser->m_nSelectedId;
    whenModal<CModXxxDlg>([](CModXxxDlg* editor) {
        nameBox(editor)->setText("不会保存");
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    clickModify();
    EXPECT_TRUE(notes.notices().isEmpty());
    EXPECT_EQ(row(kTemplates, selected).item3, before[1].item3);
    EXPECT_EQ(browser->m_nSelectedId, selected);
    EXPECT_EQ(tree()->currentItem()->text(0), before[1].item3);
}

TEST_F(LibraryBrowserTest, SelectingShowsTheContentAfterTwoLines)
{
    open(LibraryConfiguration::company());
    const QString name = treeLabels().at(2);
    select(name);
    EXPECT_EQ(browser->m_nSelectedId, idOf(kCompanies, name));
    EXPECT_EQ(preview()->toPlainText(), QStringLiteral("   \n\n") + name);
}

TEST_F(LibraryBrowserTest, TemplatePreviewShowsTheTextNotTheName)
{
    const qint32 id = rows(kTemplates)[0].itemId;
    db.SetRecordValue(kTemplates, "item8", "第一段\r\n第二段", id);
    open(LibraryConfiguration::certificateTemplate());
    select(rows(kTemplates)[0].item3);
    EXPECT_EQ(preview()->toPlainText(), QStringLiteral("   \n\n第一段\n第二段"));
}

TEST_F(LibraryBrowserTest, ModifyCompanyWritesTheNameAndKeepsItem8)
{
    const Row target = rows(kCompanies)[1];
    db.SetRecordValue(kCompanies, "item8", "备注\r\n保留", target.itemId);
    open(LibraryConfiguration::company());
    select(target.item3);

    QString title, prompt, presetName;
    whenModal<CModXxxDlg>([&](CModXxxDlg* editor) {
        title = editor->windowTitle();
        prompt = child<QLabel>(editor, 1045)->text();
        presetName = nameBox(editor)->text();
        fillAndConfirm(editor, "改过名的公司");
    });
    clickModify();

    EXPECT_EQ(title, QStringLiteral("修改公司名称"));
    EXPECT_EQ(prompt, QStringLiteral("提示：在以下的空格中修改公司名称"));
    EXPECT_EQ(presetName, target.item3);
    EXPECT_EQ(notes.texts(), QStringList{"修改成功！"});
    const Row changed = row(kCompanies, target.itemId);
    EXPECT_EQ(changed.item3, QStringLiteral("改过名的公司"));
    EXPECT_EQ(changed.item8, QStringLiteral("备注\r\n保留"));
    EXPECT_EQ(treeLabels().at(1), QStringLiteral("改过名的公司"));
    EXPECT_EQ(browser->m_nSelectedId, -1);
    EXPECT_TRUE(preview()->toPlainText().isEmpty());
}

TEST_F(LibraryBrowserTest, ModifyTemplateChangesItsText)
{
    const Row target = rows(kTemplates)[2];
    open(LibraryConfiguration::certificateTemplate());
    select(target.item3);
    QString presetText;
    whenModal<CModXxxDlg>([&](CModXxxDlg* editor) {
        presetText = textBox(editor)->toPlainText();
        fillAndConfirm(editor, target.item3, "新的正文【姓名】");
    });
    clickModify();
    EXPECT_EQ(presetText, target.item8);
    const Row changed = row(kTemplates, target.itemId);
    EXPECT_EQ(changed.item3, target.item3);
    EXPECT_EQ(changed.item8, QStringLiteral("新的正文【姓名】"));
}

TEST_F(LibraryBrowserTest, DeleteAsksAndNoKeepsEntryAndSelection)
{
    const Row target = rows(kCompanies)[3];
    ASSERT_NE(target.item1, QStringLiteral("默认"));
    open(LibraryConfiguration::company());
    select(target.item3);

    notes.queueAnswer(Notifier::Answer::No);
    clickDelete();
    ASSERT_EQ(notes.notices().size(), 1);
    const Notifier::Notice question = notes.notices()[0];
    EXPECT_EQ(question.text, QStringLiteral("确实要将“") + target.item3 +
                                 QStringLiteral("”删除吗？ （注意：删除后将无法恢复）"));
    EXPECT_EQ(question.caption, QStringLiteral("提示"));
    EXPECT_EQ(question.icon, Notifier::Icon::None);
    EXPECT_EQ(question.buttons, Notifier::Buttons::YesNo);
    EXPECT_EQ(row(kCompanies, target.itemId).item3, target.item3);
    EXPECT_EQ(browser->m_nSelectedId, target.itemId);
    EXPECT_EQ(tree()->currentItem()->text(0), target.item3);

    notes.clear();
    notes.queueAnswer(Notifier::Answer::Yes);
    clickDelete();
    ASSERT_EQ(notes.notices().size(), 2);
    EXPECT_EQ(notes.notices()[1].text, QStringLiteral("删除成功！"));
    EXPECT_EQ(row(kCompanies, target.itemId).itemId, 0) << "the row must be gone";
    EXPECT_FALSE(treeLabels().contains(target.item3));
    EXPECT_EQ(treeLabels(), topLevelNames(kCompanies));
    EXPECT_EQ(browser->m_nSelectedId, -1);
    EXPECT_TRUE(preview()->toPlainText().isEmpty());
}

TEST_F(LibraryBrowserTest, TheDefaultEntryCannotBeDeletedButCanBeModified)
{
    Row defaultRow;
    for (const Row& r : rows(kCompanies)) {
        if (r.item1 == QStringLiteral("默认")) {
            defaultRow = r;
        }
    }
    ASSERT_GT(defaultRow.itemId, 0);
    open(LibraryConfiguration::company());
    select(defaultRow.item3);
    clickDelete();
    EXPECT_EQ(notes.texts(), QStringList{"当前待删除的项目是默认项，默认项是无法删除的！"});
    EXPECT_EQ(row(kCompanies, defaultRow.itemId).item3, defaultRow.item3);
    EXPECT_EQ(browser->m_nSelectedId, defaultRow.itemId);

    notes.clear();
    whenModal<CModXxxDlg>([](CModXxxDlg* editor) { fillAndConfirm(editor, "默认公司新名"); });
    clickModify();
    EXPECT_EQ(notes.texts(), QStringList{"修改成功！"});
    const Row changed = row(kCompanies, defaultRow.itemId);
    EXPECT_EQ(changed.item3, QStringLiteral("默认公司新名"));
    EXPECT_EQ(changed.item1, QStringLiteral("默认"));
}

TEST_F(LibraryBrowserTest, TheDefaultMarkerIsReadAtTheMomentOfDeleting)
{
    const Row target = rows(kCompanies)[4];
    open(LibraryConfiguration::company());
    select(target.item3);
    // Marked as the default after it was selected, e.g. by Generate in the main window.
    db.SetRecordValue(kCompanies, "item1", "默认", target.itemId);
    clickDelete();
    EXPECT_EQ(notes.texts(), QStringList{"当前待删除的项目是默认项，默认项是无法删除的！"});
    EXPECT_EQ(row(kCompanies, target.itemId).itemId, target.itemId);
}

TEST_F(LibraryBrowserTest, ANameOfOnlySpacesIsStoredAsTyped)
{
    open(LibraryConfiguration::position());
    whenModal<CAddXxxDlg>([](CAddXxxDlg* editor) { fillAndConfirm(editor, "   "); });
    clickAdd();
    EXPECT_EQ(notes.texts(), QStringList{"添加成功！"});
    EXPECT_EQ(rows("position_item_table").last().item3, QStringLiteral("   "));
}

} // namespace
