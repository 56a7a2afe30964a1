// The five library buttons of the main window, driven for real: each opens the browser on its
// library; changes made there reach the main window's lists only at the next start.
#include "EditorDriving.h"
#include "ModalDriver.h"
#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/CModXxxDlg.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/MainDialogIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTableWidget>
#include <memory>

namespace {

struct LibraryButton
{
    int button;
    const char* title;
    int list;                // the combo, or the template list
    const char* defaultName; // the delivered default entry
};

const LibraryButton kButtons[] = {
    {MainIds::kCompanyLibrary, "公司名称库", MainIds::kCompany, "上海启明信息技术有限公司"},
    {MainIds::kDepartmentLibrary, "部门库", MainIds::kDepartment, "行政部"},
    {MainIds::kPositionLibrary, "职位库", MainIds::kPosition, "行政专员"},
    {MainIds::kReasonLibrary, "离职原因库", MainIds::kReason, "个人原因"},
    {MainIds::kTemplateLibrary, "离职模板库", MainIds::kTemplateList, "通用离职证明"},
};

class MainWindowLibrariesTest : public ::testing::TestWithParam<LibraryButton>
{
protected:
    void SetUp() override { ASSERT_TRUE(library.isValid()); }
    void TearDown() override { closeWindow(); }

    // Starts the main window on the test's library, as a start of the program does.
    CkavriDlg* start()
    {
        closeWindow();
        window = std::make_unique<CkavriDlg>(dbVisit, certText, library.path());
        window->OnInitDialog();
        return window.get();
    }
    void closeWindow()
    {
        if (window) {
            window->close();
            window.reset();
        }
    }

    // The strings the main window offers for the library: combo items or template rows.
    QStringList offered(int listId) const
    {
        QStringList names;
        if (auto* combo = window->control<QComboBox>(listId)) {
            for (int i = 0; i < combo->count(); ++i) {
                names.append(combo->itemText(i));
            }
        } else if (auto* list = window->control<QTableWidget>(listId)) {
            for (int i = 0; i < list->rowCount(); ++i) {
                names.append(list->item(i, 0) ? list->item(i, 0)->text() : QString());
            }
        }
        return names;
    }

    void pressLibraryButton(int id)
    {
        auto* button = window->control<QAbstractButton>(id);
        ASSERT_TRUE(button);
        button->click();
    }

    RecordingNotifier notes;
    TempLibrary library;
    CDbVisit dbVisit;
    QString certText;
    std::unique_ptr<CkavriDlg> window;
};

TEST_P(MainWindowLibrariesTest, AddModifyRefuseAndDeleteShowAfterTheNextStart)
{
    const LibraryButton& lib = GetParam();
    const bool templates = lib.button == MainIds::kTemplateLibrary;
    start();
    const QStringList before = offered(lib.list);
    ASSERT_TRUE(before.contains(QString::fromUtf8(lib.defaultName)));

    QString title;
    QStringList labelsAfterAll;
    bool browserRan = false;
    whenModal<CBasicdatasetDlg>([&](CBasicdatasetDlg* browser) {
        browserRan = true;
        title = browser->windowTitle();
        auto* tree = child<QTreeWidget>(browser, 527);
        auto press = [&](int id) {
            QTest::mouseClick(child<QPushButton>(browser, id), Qt::LeftButton);
        };
        const QString text = templates ? QStringLiteral("兹证明【姓名】已离职。") : QString();

        // Add an entry, then change its name.
        whenModal<CAddXxxDlg>([&](CAddXxxDlg* editor) { fillAndConfirm(editor, "新条目", text); });
        press(1070);
        EXPECT_TRUE(clickTreeRow(tree, "新条目"));
        whenModal<CModXxxDlg>([&](CModXxxDlg* editor) { fillAndConfirm(editor, "改名后的条目"); });
        press(1071);

        // The default entry stays.
        EXPECT_TRUE(clickTreeRow(tree, QString::fromUtf8(lib.defaultName)));
        press(1072);

        // A second new entry, deleted again.
        whenModal<CAddXxxDlg>(
            [&](CAddXxxDlg* editor) { fillAndConfirm(editor, "临时条目", text); });
        press(1070);
        EXPECT_TRUE(clickTreeRow(tree, "临时条目"));
        notes.queueAnswer(Notifier::Answer::Yes);
        press(1072);

        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            labelsAfterAll.append(tree->topLevelItem(i)->text(0));
        }
        browser->reject();
    });
    pressLibraryButton(lib.button);

    ASSERT_TRUE(browserRan);
    EXPECT_EQ(title, QString::fromUtf8(lib.title));
    EXPECT_EQ(notes.texts(),
              (QStringList{"添加成功！", "修改成功！",
                           "当前待删除的项目是默认项，默认项是无法删除的！", "添加成功！",
                           "确实要将“临时条目”删除吗？ （注意：删除后将无法恢复）", "删除成功！"}));
    EXPECT_TRUE(labelsAfterAll.contains(QStringLiteral("改名后的条目")));
    EXPECT_TRUE(labelsAfterAll.contains(QString::fromUtf8(lib.defaultName)));
    EXPECT_FALSE(labelsAfterAll.contains(QStringLiteral("临时条目")));

    // The open main window keeps what it showed.
    EXPECT_EQ(offered(lib.list), before);

    start();
    const QStringList afterRestart = offered(lib.list);
    EXPECT_TRUE(afterRestart.contains(QStringLiteral("改名后的条目")));
    EXPECT_FALSE(afterRestart.contains(QStringLiteral("新条目")));
    EXPECT_FALSE(afterRestart.contains(QStringLiteral("临时条目")));
    EXPECT_TRUE(afterRestart.contains(QString::fromUtf8(lib.defaultName)));
    EXPECT_EQ(afterRestart.size(), before.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(FiveButtons, MainWindowLibrariesTest, ::testing::ValuesIn(kButtons),
                         [](const ::testing::TestParamInfo<LibraryButton>& info) {
                             return "Button" + std::to_string(info.param.button);
                         });

} // namespace
