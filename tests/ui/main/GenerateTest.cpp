// Generate, Copy and the information panel on a private copy of the delivered library.
#include "LibraryEditor.h"
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "compose/CertificateComposer.h"
#include "store/CDbVisit.h"
#include "ui/common/CtrlText.h"
#include "ui/controls/LineWidth.h"
#include "ui/controls/PictureLabel.h"
#include "ui/main/MainDialogIds.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

using namespace MainIds;

namespace {

// Every placeholder, separated so that the certificate shows each value on its own.
const QString kAllFields = QStringLiteral("【姓名】|【性别】|【身份证号】|【公司名称】|【部门】|"
                                          "【职位】|【入职日期】|【离职日期】|【离职原因】");

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class GenerateTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid());
        m_editor = std::make_unique<LibraryEditor>(m_library.path());
        ASSERT_TRUE(m_editor->isOpen());
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        m_editor.reset();
    }

    // The default template becomes one that shows every value.
    void useTemplateWithAllFields()
    {
        ASSERT_TRUE(m_editor->run(QStringLiteral("update moban_item_table set item1=''")));
        ASSERT_TRUE(m_editor->run(QStringLiteral("insert into moban_item_table (item1, item3, "
                                                 "item8) values ('默认', '全部字段', '%1')")
                                      .arg(kAllFields)));
    }

    CkavriDlg* open()
    {
        CkavriDlg* window = openWindow(m_library.path());
        EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
        return window;
    }

    static void type(CkavriDlg* window, int id, const QString& text)
    {
        if (auto* combo = window->control<QComboBox>(id)) {
            combo->setEditText(text);
        } else {
            window->control<QLineEdit>(id)->setText(text);
        }
    }

    static QString result(CkavriDlg* window) { return GetCtrlText(window, kResult); }

    // Rows of a table as "item1|upid|item3" in itemid order, plus the other item columns.
    QStringList rows(const QString& table)
    {
        return m_editor->column(
            QStringLiteral("select item1 || '|' || upid || '|' || item3 || '|' || item2 || item4 "
                           "|| item5 || item6 || item7 || item8 || item9 || item10 as r from %1 "
                           "order by itemid")
                .arg(table),
            QStringLiteral("r"));
    }

    QStringList defaults(const QString& table)
    {
        return m_editor->column(
            QStringLiteral("select item3 from %1 where item1='默认'").arg(table),
            QStringLiteral("item3"));
    }

    TempLibrary m_library;
    std::unique_ptr<LibraryEditor> m_editor;
};

TEST_F(GenerateTest, BeforeAnyTemplateWasShownTheCertificateIsTheTitleAndThreeEmptyLines)
{
    ASSERT_TRUE(m_editor->run(QStringLiteral("update moban_item_table set item1=''")));
    CkavriDlg* window = open();
    ASSERT_EQ(window->m_nShownTemplate, -1);
    window->OnGenerate();
    const QString text = result(window);

    auto* box = window->control<QPlainTextEdit>(kResult);
    const int width = MeasureLineWidth(box);
    ASSERT_GT(width, 4);
    const QString expected = QString((width - 4) / 2, QChar(0x3000)) + QStringLiteral("离职证明") +
                             QStringLiteral("\r\n\r\n\r\n");
    EXPECT_EQ(text, expected);
}

TEST_F(GenerateTest, TheCertificateHoldsTheFormsValuesWithDatesAsTheyRead)
{
    useTemplateWithAllFields();
    CkavriDlg* window = open();
    ASSERT_EQ(window->m_strTemplateText, kAllFields);
    type(window, kName, QStringLiteral("张三"));
    type(window, kGender, QStringLiteral("女"));
    type(window, kIdNumber, QStringLiteral("110101199001011234"));
    type(window, kCompany, QStringLiteral("北京某某科技有限公司"));
    type(window, kDepartment, QStringLiteral("研发部"));
    type(window, kPosition, QStringLiteral("工程师"));
    window->control<QDateEdit>(kJoinDate)->setDate(QDate(2024, 5, 1));
    window->control<QDateEdit>(kLeaveDate)->setDate(QDate(2025, 12, 31));
    type(window, kReason, QStringLiteral("个人原因（照顾家庭）"));

    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    const QString text = result(window);
    EXPECT_TRUE(text.contains(QStringLiteral("离职证明\r\n\r\n\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("张三|女|110101199001011234|北京某某科技有限公司|"
                                             "研发部|工程师|2024年5月1日|2025年12月31日|个人原因")))
        << text.toStdString();

    // The reason is remembered with its note.
    EXPECT_EQ(defaults(QStringLiteral("reason_item_bable")),
              QStringList{QStringLiteral("个人原因（照顾家庭）")});
}

TEST_F(GenerateTest, ANewCompanyIsAddedAsTheDefaultOnceAndTheOldDefaultLosesItsMark)
{
    CkavriDlg* window = open();
    const QString table = QStringLiteral("company_item_table");
    const QStringList before = rows(table);
    const QStringList oldDefault = defaults(table);
    ASSERT_EQ(oldDefault.size(), 1);

    type(window, kCompany, QStringLiteral("新开张贸易有限公司"));
    window->OnGenerate();
    QStringList after = rows(table);
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.last(), QStringLiteral("默认|-1|新开张贸易有限公司|"));
    EXPECT_EQ(defaults(table), QStringList{QStringLiteral("新开张贸易有限公司")});

    // The second Generate only clears and sets the mark again.
    window->OnGenerate();
    EXPECT_EQ(rows(table), after);

    // Everything but the old default's mark is as it was.
    after.removeLast();
    for (int i = 0; i < before.size(); ++i) {
        if (before[i].startsWith(QStringLiteral("默认|"))) {
            EXPECT_EQ(after[i], before[i].mid(2)) << i;
        } else {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
}

TEST_F(GenerateTest, AnExistingEntryBecomesTheDefaultWithoutANewRow)
{
    CkavriDlg* window = open();
    const QString table = QStringLiteral("department_item_table");
    const QStringList names = m_editor->column(
        QStringLiteral("select item3 from %1 where item1 <> '默认' or item1 is null").arg(table),
        QStringLiteral("item3"));
    ASSERT_FALSE(names.isEmpty());
    const int count = rows(table).size();
    type(window, kDepartment, names.first());
    window->OnGenerate();
    EXPECT_EQ(rows(table).size(), count);
    EXPECT_EQ(defaults(table), QStringList{names.first()});
}

TEST_F(GenerateTest, AnEmptyCompanyLeavesTheCompanyLibraryUntouched)
{
    CkavriDlg* window = open();
    const QStringList before = rows(QStringLiteral("company_item_table"));
    type(window, kCompany, QString());
    window->OnGenerate();
    EXPECT_EQ(rows(QStringLiteral("company_item_table")), before);
    EXPECT_TRUE(m_notifier.notices().isEmpty());
}

TEST_F(GenerateTest, ACompanyWithAnApostropheIsStoredExactlyAndPrinted)
{
    useTemplateWithAllFields();
    CkavriDlg* window = open();
    const QString name = QStringLiteral("O'Brien 贸易'); delete from company_item_table; --");
    const int count = rows(QStringLiteral("company_item_table")).size();
    type(window, kCompany, name);
    window->OnGenerate();
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    EXPECT_EQ(defaults(QStringLiteral("company_item_table")), QStringList{name});
    EXPECT_EQ(rows(QStringLiteral("company_item_table")).size(), count + 1);
    EXPECT_TRUE(result(window).contains(QStringLiteral("|") + name + QStringLiteral("|")));
}

TEST_F(GenerateTest, AfterARestartTheCombosOfferTheValuesJustUsed)
{
    CkavriDlg* window = open();
    type(window, kCompany, QStringLiteral("重启测试公司"));
    type(window, kDepartment, QStringLiteral("重启测试部"));
    type(window, kPosition, QStringLiteral("重启测试岗"));
    type(window, kReason, QStringLiteral("合同到期（不再续签）"));
    window->OnGenerate();
    window->close();

    CkavriDlg* again = open();
    EXPECT_EQ(again->control<QComboBox>(kCompany)->currentText(), QStringLiteral("重启测试公司"));
    EXPECT_EQ(again->control<QComboBox>(kDepartment)->currentText(), QStringLiteral("重启测试部"));
    EXPECT_EQ(again->control<QComboBox>(kPosition)->currentText(), QStringLiteral("重启测试岗"));
    EXPECT_EQ(again->control<QComboBox>(kReason)->currentText(),
              QStringLiteral("合同到期（不再续签）"));
    EXPECT_GE(again->control<QComboBox>(kCompany)->findText(QStringLiteral("重启测试公司")), 0);
}

TEST_F(GenerateTest, CopyPutsTheBoxsCurrentTextOnTheClipboardAndSaysSo)
{
    CkavriDlg* window = open();
    window->OnGenerate();
    auto* box = window->control<QPlainTextEdit>(kResult);
    box->setPlainText(box->toPlainText() + QStringLiteral("\n（已修改）"));
    const QString edited = result(window);
    ASSERT_TRUE(edited.endsWith(QStringLiteral("\r\n（已修改）")));

    QTest::mouseClick(window->control(kCopyText), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), edited);
    EXPECT_EQ(window->m_strResult, edited);
    ASSERT_EQ(m_notifier.notices().size(), 1);
    EXPECT_EQ(m_notifier.notices()[0].text, QStringLiteral("已将生成的离职证明复制到剪切板上！"));
    EXPECT_EQ(m_notifier.notices()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(m_notifier.notices()[0].icon, Notifier::Icon::Information);

    // An empty box copies empty text and still reports.
    box->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
    window->OnCopyText();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_EQ(m_notifier.notices().size(), 2);
}

TEST_F(GenerateTest, TheInformationPanelOpensTheReadme)
{
    CkavriDlg* window = open();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QTest::mouseClick(window->control(kInfoPanel), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.urls.size(), 1);
    const QUrl url = catcher.urls[0];
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_TRUE(url.toLocalFile().endsWith(QStringLiteral("/share/doc/kavri/README.md")));
    EXPECT_EQ(QFileInfo(url.toLocalFile()).absolutePath(),
              QDir::cleanPath(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../share/doc/kavri")));
}

} // namespace

#include "GenerateTest.moc"
