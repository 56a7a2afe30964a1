// Every window as a screen reader and a keyboard user meet it: each control that takes focus
// speaks a name, no two controls of a window speak the same one, and Tab reaches them all.
#include "ControlWalk.h"
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "register/CertificateRegister.h"
#include "ui/batch/CBatchDlg.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/CModXxxDlg.h"
#include "ui/library/LibraryConfiguration.h"
#include "ui/main/CAboutDlg.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/CMyFrame.h"
#include "ui/register/CRegisterDlg.h"
#include "ui/register/CVerifyDlg.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace ControlWalk;

namespace {

std::string listed(const QStringList& list)
{
    return list.join(QStringLiteral("; ")).toStdString();
}

// What a screen reader misses of what the window shows: labels whose text it does not hear and
// drop-downs it cannot name.
void expectShownTextSpoken(QWidget* window)
{
    const std::string title = window->windowTitle().toStdString();
    EXPECT_EQ(listed(unspokenLabels(window)), "") << title;
    EXPECT_EQ(listed(unlabelledDropDowns(window)), "") << title;
}

// The checks every window must pass.
void expectSpokenAndReachable(QWidget* window)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const std::string title = window->windowTitle().toStdString();
    EXPECT_EQ(listed(unnamed(window)), "") << title;
    EXPECT_EQ(listed(sharedNames(window)), "") << title;
    EXPECT_EQ(listed(unreachedByTab(window)), "") << title;
    expectShownTextSpoken(window);
}

std::string nameOf(QWidget* window, const char* objectName)
{
    QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(objectName));
    return (w ? spokenName(w) : QStringLiteral("<no control %1>").arg(objectName)).toStdString();
}

class AccessibleNames : public MainWindowFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(m_library.isValid()); }
    CkavriDlg* openOnCopy() { return openWindow(m_library.path()); }

    TempLibrary m_library;
};

TEST_F(AccessibleNames, MainWindowWithTheDefaultTemplate)
{
    CkavriDlg* window = openOnCopy();
    expectSpokenAndReachable(window);
    EXPECT_EQ(nameOf(window, "1029"), "生成离职证明");
    EXPECT_EQ(nameOf(window, "1033"), "导出PDF");
    // The text box inside the editable company box speaks the box's label too.
    auto* company = window->control<QComboBox>(MainIds::kCompany);
    ASSERT_TRUE(company->lineEdit());
    EXPECT_EQ(spokenName(company->lineEdit()).toStdString(), "公司名称");
}

TEST_F(AccessibleNames, MainWindowWithTheLegalFields)
{
    CkavriDlg* window = openOnCopy();
    ListViewCtrl* list = window->m_listTemplates;
    int row = -1;
    for (int r = 0; r < list->rowCount(); ++r) {
        if (list->item(r, 0)->text() == QStringLiteral("协商解除劳动合同证明（法定事项齐全）")) {
            row = r;
        }
    }
    ASSERT_GE(row, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row, 0)).center());
    expectSpokenAndReachable(window);
    EXPECT_EQ(nameOf(window, "1061"), "合同起始日期");
}

TEST_F(AccessibleNames, LibraryBrowserAndItsEditors)
{
    m_dbVisit.m_pConnection = m_dbVisit.ConnectAccessDb(m_library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(m_dbVisit.m_pConnection);
    for (const LibraryConfiguration& config :
         {LibraryConfiguration::company(), LibraryConfiguration::certificateTemplate()}) {
        CBasicdatasetDlg browser(m_dbVisit);
        config.applyTo(browser);
        browser.show();
        expectSpokenAndReachable(&browser);
        EXPECT_EQ(nameOf(&browser, "527"), config.title.toStdString());
        EXPECT_EQ(nameOf(&browser, "1070"), "添加");
        EXPECT_EQ(nameOf(&browser, "529"), "预览");
    }

    // An entry of the company library: a name only.
    CAddXxxDlg add;
    add.m_strTitle = QStringLiteral("添加公司名称");
    add.m_strPrompt = QStringLiteral("提示：在以下的空格中填写新增的公司名称");
    add.show();
    expectSpokenAndReachable(&add);
    EXPECT_EQ(nameOf(&add, "529"), "名称");
    add.close();

    // A template: name and text.
    CModXxxDlg modify;
    modify.m_strTitle = CModXxxDlg::kTemplateTitle;
    modify.m_strName = QStringLiteral("标准模板");
    modify.m_strText = QStringLiteral("兹证明【姓名】于【离职日期】离职。");
    modify.show();
    expectSpokenAndReachable(&modify);
    EXPECT_EQ(nameOf(&modify, "1033"), "模板内容");
    modify.close();
}

TEST_F(AccessibleNames, RegisterAndVerify)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    auto reg =
        Register::CertificateRegister::open(dir.filePath(QStringLiteral("register.db")), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    // Rows in the list: Tab must leave it rather than walk its cells.
    for (const char16_t* name : {u"张三", u"李四"}) {
        Register::NewEntry entry;
        entry.templateName = QStringLiteral("标准模板");
        entry.templateText = QStringLiteral("兹证明【姓名】离职。编号：【证明编号】");
        entry.values = {{QStringLiteral("姓名"), QString::fromUtf16(name)}};
        const auto made = reg->addEntry(
            entry, [](const QString& number) { return QStringLiteral("证明 ") + number; }, &error);
        ASSERT_TRUE(made) << error.toStdString();
    }
    {
        CRegisterDlg window(reg.get());
        window.show();
        ASSERT_EQ(window.list()->rowCount(), 2);
        window.list()->selectRow(0);
        expectSpokenAndReachable(&window);
        EXPECT_EQ(nameOf(&window, "searchName"), "姓名");
    }
    CVerifyDlg verify(reg.get());
    verify.show();
    expectSpokenAndReachable(&verify);
}

TEST_F(AccessibleNames, BatchDialog)
{
    CBatchDlg::Setup setup;
    setup.templateName = QStringLiteral("通用模板");
    setup.templateText = QStringLiteral("兹证明【姓名】于【离职日期】离职。");
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    expectSpokenAndReachable(&dialog);
    EXPECT_EQ(nameOf(&dialog, "batchChooseSheet"), "选择表格");
}

// Labels whose text changes while the window is open say the new text: the sheet's summary,
// the result of a run, the register's count and the selected entry; the bottom button of the
// batch dialog is named by what it shows.
TEST_F(AccessibleNames, LabelsSpeakTheirTextAsItChanges)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    auto reg =
        Register::CertificateRegister::open(dir.filePath(QStringLiteral("register.db")), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    for (const char16_t* name : {u"张三", u"李四"}) {
        Register::NewEntry entry;
        entry.templateName = QStringLiteral("标准模板");
        entry.templateText = QStringLiteral("兹证明【姓名】离职。");
        entry.values = {{QStringLiteral("姓名"), QString::fromUtf16(name)}};
        ASSERT_TRUE(reg->addEntry(
            entry, [](const QString& number) { return QStringLiteral("证明 ") + number; },
            &error))
            << error.toStdString();
    }
    {
        CRegisterDlg window(reg.get());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(nameOf(&window, "pageLabel"), "共 2 条，第 1–2 条");
        for (int row : {0, 1}) {
            window.list()->selectRow(row);
            const QString name = window.list()->item(row, 1)->text();
            EXPECT_NE(QString::fromStdString(nameOf(&window, "entryLabel")).indexOf(name), -1)
                << name.toStdString();
            expectShownTextSpoken(&window);
        }
        auto* search = window.findChild<QLineEdit*>(QStringLiteral("searchName"));
        ASSERT_TRUE(search);
        search->setText(QStringLiteral("李四"));
        QTest::keyClick(search, Qt::Key_Return);
        EXPECT_EQ(nameOf(&window, "pageLabel"), "共 1 条，第 1–1 条");
    }

    const QString sheet = dir.filePath(QStringLiteral("名单.csv"));
    {
        QFile file(sheet);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("姓名,离职日期\r\n张三,2024-05-31\r\n李四,2024-06-30\r\n"
                                  "王五,2024-02-30\r\n赵六,2024-07-31\r\n钱七,2024-08-31\r\n")
                       .toUtf8());
    }
    CBatchDlg::Setup setup;
    setup.templateName = QStringLiteral("通用模板");
    setup.templateText = QStringLiteral("兹证明【姓名】于【离职日期】离职。");
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(nameOf(&dialog, "batchSheetInfo"), "请选择表格文件。");
    dialog.loadSheet(sheet);
    EXPECT_NE(nameOf(&dialog, "batchSheetInfo").find("可生成 4 行，有问题 1 行"), std::string::npos)
        << nameOf(&dialog, "batchSheetInfo");
    expectShownTextSpoken(&dialog);

    auto* folder = dialog.findChild<QLineEdit*>(QStringLiteral("batchFolder"));
    ASSERT_TRUE(folder);
    folder->setText(dir.filePath(QStringLiteral("证明")));
    QSignalSpy finished(&dialog, &CBatchDlg::batchFinished);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("batchStart")), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(nameOf(&dialog, "batchSummary").rfind("已写入 4 份离职证明；跳过 1 行", 0), 0u)
        << nameOf(&dialog, "batchSummary");
    EXPECT_EQ(nameOf(&dialog, "batchCancel"), "关闭");
    expectShownTextSpoken(&dialog);
}

TEST_F(AccessibleNames, PrintPreviewAndAboutBox)
{
    QWidget owner;
    owner.show();
    m_certText = QStringLiteral("离职证明\r\n\r\n兹证明张三于2024年5月31日离职。\r\n");
    QPointer<CMyFrame> frame = new CMyFrame(&owner, &m_certText);
    expectSpokenAndReachable(frame);
    EXPECT_EQ(nameOf(frame, "previewPage"), "打印预览页面");
    delete frame.data();

    CAboutDlg about;
    about.show();
    expectSpokenAndReachable(&about);
    EXPECT_EQ(nameOf(&about, "1"), "确定");
}

} // namespace
