// The main window's inputs for the contract term and the years of service, the hint beside the
// ID-card number and the mark on a template that leaves out what a certificate must state, on a
// private copy of the delivered library.
#include "LibraryEditor.h"
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "register/CertificateRegister.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/main/LegalFormIds.h"
#include "ui/main/MainDialogIds.h"
#include "ui/register/RegisterSession.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace MainIds;
using namespace LegalIds;

namespace {

const QString kEveryField =
    QStringLiteral("【姓名】|【性别】|【身份证号】|【公司名称】|【部门】|【职位】|【入职日期】|"
                   "【离职日期】|【离职原因】|【合同期限】|【工作年限】|【出具日期】");

const int kNewPairs[][2] = {
    {kContractStartLabel, kContractStart},
    {kContractEndLabel, kContractEnd},
    {kServiceYearsLabel, kServiceYears},
};

class LegalFormTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid());
        m_editor = std::make_unique<LibraryEditor>(m_library.path());
        ASSERT_TRUE(m_editor->isOpen()) << m_editor->lastError().toStdString();
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        m_editor.reset();
    }

    // A window that shows `text` as its default template.
    CkavriDlg* openWithTemplate(const QString& text)
    {
        EXPECT_TRUE(m_editor->run(QStringLiteral("update moban_item_table set item1=''")));
        EXPECT_TRUE(m_editor->run(QStringLiteral("insert into moban_item_table (item1, item3, "
                                                 "item8) values ('默认', '测试模板', '%1')")
                                      .arg(text)));
        CkavriDlg* window = openWindow(m_library.path());
        EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
        EXPECT_EQ(window->m_strTemplateText, text);
        return window;
    }

    static void clickRow(CkavriDlg* window, int row)
    {
        ListViewCtrl* list = window->m_listTemplates;
        const QRect r = list->visualItemRect(list->item(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }

    static QString result(CkavriDlg* window)
    {
        return window->control<QPlainTextEdit>(kResult)->toPlainText();
    }

    // Picks the contract's term and the employment's two dates on the form.
    static void pickDates(CkavriDlg* window, QDate contractStart, QDate contractEnd, QDate joined,
                          QDate left)
    {
        window->control<QDateEdit>(kContractStart)->setDate(contractStart);
        window->control<QDateEdit>(kContractEnd)->setDate(contractEnd);
        window->control<QDateEdit>(kJoinDate)->setDate(joined);
        window->control<QDateEdit>(kLeaveDate)->setDate(left);
    }

    // Where the form's grid puts the pair in `slot` (0 = row 0 column 0, 1 = row 0 column 1, …).
    static QRect labelPlace(CkavriDlg* window, int slot)
    {
        const QRect b = window->control(kBannerStep2)->geometry();
        const int bw = b.width();
        const int h = window->control(kDepartment)->height();
        const int x = b.x() + (slot % 2) * bw * 51 / 100 + bw * 7 / 100;
        const int y = b.y() + b.height() + b.height() / 3 + (slot / 2) * h * 4 / 3;
        return QRect(x, y, bw * 14 / 100, h);
    }

    TempLibrary m_library;
    std::unique_ptr<LibraryEditor> m_editor;
};

TEST_F(LegalFormTest, ATemplateWithoutTheNewPlaceholdersShowsNoneOfTheNewFields)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【姓名】【入职日期】【离职日期】【职位】"));
    for (const auto& pair : kNewPairs) {
        EXPECT_FALSE(window->control(pair[0])->isVisible()) << pair[0];
        EXPECT_FALSE(window->control(pair[1])->isVisible()) << pair[1];
    }
    EXPECT_FALSE(window->control(kOpenEnded)->isVisible());
    // The four pairs the template uses fill rows 0 and 1 exactly as before.
    EXPECT_EQ(window->control(kNameLabel)->geometry(), labelPlace(window, 0));
    EXPECT_EQ(window->control(kPositionLabel)->geometry(), labelPlace(window, 1));
    EXPECT_EQ(window->control(kJoinDateLabel)->geometry(), labelPlace(window, 2));
    EXPECT_EQ(window->control(kLeaveDateLabel)->geometry(), labelPlace(window, 3));
}

TEST_F(LegalFormTest, EveryFieldFlowsIntoTheGridWithTheNewOnesAfterTheNine)
{
    CkavriDlg* window = openWithTemplate(kEveryField);
    const int labels[] = {kNameLabel,          kGenderLabel,       kIdNumberLabel,
                          kCompanyLabel,       kDepartmentLabel,   kPositionLabel,
                          kJoinDateLabel,      kLeaveDateLabel,    kReasonLabel,
                          kContractStartLabel, kContractEndLabel,  kServiceYearsLabel};
    for (int slot = 0; slot < 12; ++slot) {
        QWidget* label = window->control(labels[slot]);
        ASSERT_NE(label, nullptr) << labels[slot];
        EXPECT_TRUE(label->isVisible()) << labels[slot];
        EXPECT_EQ(label->geometry(), labelPlace(window, slot)) << labels[slot];
    }
    // Each input stands right of its label with the input width.
    const QRect label = window->control(kServiceYearsLabel)->geometry();
    const int bw = window->control(kBannerStep2)->width();
    EXPECT_EQ(window->control(kServiceYears)->geometry(),
              QRect(label.x() + label.width(), label.y(), bw * 21 / 100, label.height()));
    // 无固定期限 stands right of the end date, in its row, without a pair of its own.
    QWidget* openEnded = window->control(kOpenEnded);
    EXPECT_TRUE(openEnded->isVisible());
    EXPECT_GT(openEnded->x(), window->control(kContractEnd)->geometry().right());
    EXPECT_EQ(openEnded->y(), window->control(kContractEnd)->y());
    // Every row lies above the step-3 banner.
    EXPECT_LT(window->control(kServiceYears)->geometry().bottom(),
              window->control(1002)->y()); // the step-3 banner
}

TEST_F(LegalFormTest, TheYearsOfServiceAloneTakeTheNextFreePlace)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【姓名】在职【工作年限】"));
    EXPECT_EQ(window->control(kServiceYearsLabel)->geometry(), labelPlace(window, 1));
    EXPECT_TRUE(window->control(kServiceYears)->isVisible());
    for (int id : {kContractStartLabel, kContractStart, kContractEnd, kOpenEnded}) {
        EXPECT_FALSE(window->control(id)->isVisible()) << id;
    }
}

TEST_F(LegalFormTest, TheYearsOfServiceFollowTheTwoDatesAndAreNotTyped)
{
    CkavriDlg* window = openWithTemplate(kEveryField);
    auto* years = window->control<QLineEdit>(kServiceYears);
    EXPECT_TRUE(years->isReadOnly());
    window->control<QDateEdit>(kJoinDate)->setDate(QDate(2020, 2, 29));
    window->control<QDateEdit>(kLeaveDate)->setDate(QDate(2021, 2, 28));
    EXPECT_EQ(years->text(), QStringLiteral("1年"));
    // The day after leaving reaches the 29th again: the month is complete.
    window->control<QDateEdit>(kLeaveDate)->setDate(QDate(2025, 5, 28));
    EXPECT_EQ(years->text(), QStringLiteral("5年3个月"));
    window->control<QDateEdit>(kLeaveDate)->setDate(QDate(2025, 5, 27));
    EXPECT_EQ(years->text(), QStringLiteral("5年2个月"));

    // Leaving before joining: no value, and the box says why.
    window->control<QDateEdit>(kLeaveDate)->setDate(QDate(2020, 2, 28));
    EXPECT_TRUE(years->text().isEmpty());
    EXPECT_EQ(years->placeholderText(), QStringLiteral("离职日期早于入职日期，无法计算工作年限"));
}

TEST_F(LegalFormTest, GeneratePutsTheTermTheYearsAndTheIssueDateIn)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【合同期限】|【工作年限】|【出具日期】"));
    pickDates(window, QDate(2021, 3, 1), QDate(2024, 2, 29), QDate(2021, 3, 1), QDate(2024, 2, 29));
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    const QDate today = QDate::currentDate();
    const QString issued = QStringLiteral("%1年%2月%3日")
                               .arg(today.year())
                               .arg(today.month())
                               .arg(today.day());
    EXPECT_TRUE(result(window).endsWith(
        QStringLiteral("\n2021年3月1日至2024年2月29日|3年|") + issued))
        << result(window).toStdString();

    // An open-ended contract has no end to pick, and the certificate says so.
    QTest::mouseClick(window->control(kOpenEnded), Qt::LeftButton);
    EXPECT_TRUE(window->control<QCheckBox>(kOpenEnded)->isChecked());
    EXPECT_FALSE(window->control(kContractEnd)->isEnabled());
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_TRUE(result(window).endsWith(QStringLiteral("\n自2021年3月1日起无固定期限|3年|") +
                                        issued))
        << result(window).toStdString();
}

TEST_F(LegalFormTest, TheRegisterKeepsTheNewValuesOnlyForATemplateThatStatesThem)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【姓名】【合同期限】【工作年限】【出具日期】"));
    pickDates(window, QDate(2019, 1, 31), QDate(2022, 1, 30), QDate(2019, 1, 31),
              QDate(2019, 2, 26));
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);

    QString error;
    Register::CertificateRegister* reg = window->registerSession().reg(window);
    ASSERT_TRUE(reg);
    const auto entry = reg->entry(window->registerSession().currentEntry(), &error);
    ASSERT_TRUE(entry) << error.toStdString();
    ASSERT_EQ(entry->values.size(), 14);
    const QDate today = QDate::currentDate();
    const Register::FormValues legal = entry->values.mid(9);
    EXPECT_EQ(legal, (Register::FormValues{
                         {QStringLiteral("合同起始日期"), QStringLiteral("2019年1月31日")},
                         {QStringLiteral("合同终止日期"), QStringLiteral("2022年1月30日")},
                         {QStringLiteral("无固定期限"), QStringLiteral("否")},
                         {QStringLiteral("工作年限"), QStringLiteral("不足一个月")},
                         {QStringLiteral("出具日期"), QStringLiteral("%1年%2月%3日")
                                                          .arg(today.year())
                                                          .arg(today.month())
                                                          .arg(today.day())},
                     }));

    // Open-ended: no end date is kept.
    QTest::mouseClick(window->control(kOpenEnded), Qt::LeftButton);
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    const auto second = reg->entry(window->registerSession().currentEntry(), &error);
    ASSERT_TRUE(second) << error.toStdString();
    EXPECT_EQ(second->values.value(10),
              (Register::FormValue{QStringLiteral("合同终止日期"), QString()}));
    EXPECT_EQ(second->values.value(11),
              (Register::FormValue{QStringLiteral("无固定期限"), QStringLiteral("是")}));
}

// How far the box's text had to scroll for its cursor to reach the end of `text`: 0 when the
// box shows the whole text. The box places its text when it paints.
int scrolledToShowTheEnd(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
    box->grab();
    const int start = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
    box->setCursorPosition(int(text.size()));
    box->grab();
    const int end = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
    // Fractional advances may round a pixel either way.
    return std::max(0, QFontMetrics(box->font()).horizontalAdvance(text) - (end - start) - 1);
}

// An 18-character ID number is seen whole, and its box leaves the next column's label alone.
void expectWholeIdNumbers(CkavriDlg* window)
{
    auto* id = window->control<QLineEdit>(kIdNumber);
    ASSERT_TRUE(id->isVisible());
    for (const QString& number : {QStringLiteral("11010519491231002X"),
                                  QStringLiteral("888888888888888888"),
                                  QStringLiteral("44444444444444444X")}) {
        EXPECT_EQ(scrolledToShowTheEnd(id, number), 0)
            << number.toStdString() << " in a box " << id->width() << " wide";
    }
    // Beside it, or below: the company's label starts right of the box.
    QWidget* company = window->control(kCompanyLabel);
    if (company->y() == id->y()) {
        EXPECT_GT(company->x(), id->geometry().right());
    }
    // The hint beside it ends where the next column starts.
    id->setText(QStringLiteral("1101051949"));
    auto* hint = window->control<QLabel>(kIdHint);
    ASSERT_TRUE(hint->isVisible());
    EXPECT_GE(hint->x(), id->geometry().right());
    if (company->y() == id->y()) {
        EXPECT_LE(hint->geometry().right(), company->x());
    }
}

TEST_F(LegalFormTest, AnEighteenCharacterIdNumberIsSeenWholeInTheFirstColumn)
{
    expectWholeIdNumbers(openWithTemplate(QStringLiteral("【姓名】【性别】【身份证号】【公司名称】")));
}

TEST_F(LegalFormTest, AnEighteenCharacterIdNumberIsSeenWholeInTheSecondColumn)
{
    expectWholeIdNumbers(openWithTemplate(QStringLiteral("【姓名】【身份证号】【公司名称】")));
}

TEST_F(LegalFormTest, TheIdHintAppearsAndVanishesAsTheNumberIsTyped)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【姓名】【性别】【身份证号】"));
    auto* id = window->control<QLineEdit>(kIdNumber);
    auto* hint = window->control<QLabel>(kIdHint);
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->isVisible());

    window->control<QComboBox>(kGender)->setEditText(QStringLiteral("女"));
    QTest::keyClicks(id, QStringLiteral("11010519491231"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("位数不对"));
    QTest::keyClicks(id, QStringLiteral("002x"));
    EXPECT_FALSE(hint->isVisible());
    QTest::keyClick(id, Qt::Key_Backspace);
    QTest::keyClicks(id, QStringLiteral("3"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("校验位不符"));

    // A valid number whose sex the gender field contradicts, and back.
    QTest::keyClick(id, Qt::Key_Backspace);
    QTest::keyClicks(id, QStringLiteral("X"));
    EXPECT_FALSE(hint->isVisible());
    window->control<QComboBox>(kGender)->setEditText(QStringLiteral("男"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("身份证号为女性，与性别“男”不符"));
    window->control<QComboBox>(kGender)->setEditText(QStringLiteral("女"));
    EXPECT_FALSE(hint->isVisible());

    id->clear();
    QTest::keyClicks(id, QStringLiteral("110105198002300016"));
    EXPECT_EQ(hint->text(), QStringLiteral("出生日期不存在"));
    // Beside the field, not over it, and no message box.
    EXPECT_GE(hint->x(), id->geometry().right());
    EXPECT_EQ(hint->y(), id->y());
    EXPECT_TRUE(m_notifier.notices().isEmpty());
}

TEST_F(LegalFormTest, AWrongIdNumberNeverStopsGenerate)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("号码【身份证号】"));
    QTest::keyClicks(window->control<QLineEdit>(kIdNumber), QStringLiteral("12345"));
    EXPECT_TRUE(window->control(kIdHint)->isVisible());
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_TRUE(result(window).endsWith(QStringLiteral("号码12345")));
    EXPECT_TRUE(m_notifier.notices().isEmpty());
}

TEST_F(LegalFormTest, TheIdHintHidesWithTheIdField)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【身份证号】"));
    QTest::keyClicks(window->control<QLineEdit>(kIdNumber), QStringLiteral("12345"));
    EXPECT_TRUE(window->control(kIdHint)->isVisible());
    // The delivered 简明离职证明 holds no ID number.
    for (int row = 0; row < window->m_listTemplates->rowCount(); ++row) {
        if (window->m_listTemplates->item(row, 0)->text() == QStringLiteral("简明离职证明")) {
            clickRow(window, row);
        }
    }
    ASSERT_FALSE(window->control(kIdNumber)->isVisible());
    EXPECT_FALSE(window->control(kIdHint)->isVisible());
}

// A delivered template that states all four items, with a mistyped ID-card number. When
// KAVRI_SCREENSHOT_DIR names a folder, the form is left there as legal-form.png for the README
// (scripts/screenshots.sh runs it so under Xvfb).
TEST_F(LegalFormTest, ADeliveredCompleteTemplateShowsEveryNewInput)
{
    CkavriDlg* window = openWindow(m_library.path());
    int row = -1;
    for (int r = 0; r < window->m_listTemplates->rowCount(); ++r) {
        if (window->m_listTemplates->item(r, 0)->text() ==
            QStringLiteral("协商解除劳动合同证明（法定事项齐全）")) {
            row = r;
        }
    }
    ASSERT_GE(row, 0);
    clickRow(window, row);
    for (const auto& pair : kNewPairs) {
        EXPECT_TRUE(window->control(pair[0])->isVisible()) << pair[0];
        EXPECT_TRUE(window->control(pair[1])->isVisible()) << pair[1];
    }
    EXPECT_TRUE(window->control(kOpenEnded)->isVisible());
    EXPECT_FALSE(window->control(kCompletenessMark)->isVisible());
    window->control<QLineEdit>(kName)->setText(QStringLiteral("王晓明"));
    window->control<QComboBox>(kGender)->setEditText(QStringLiteral("男"));
    pickDates(window, QDate(2021, 3, 1), QDate(2024, 2, 29), QDate(2019, 3, 1), QDate(2024, 2, 29));
    QTest::keyClicks(window->control<QLineEdit>(kIdNumber), QStringLiteral("110105198506154573"));
    EXPECT_EQ(window->control<QLabel>(kIdHint)->text(), QStringLiteral("校验位不符"));
    EXPECT_EQ(window->control<QLineEdit>(kServiceYears)->text(), QStringLiteral("5年"));

    const QString dir = qEnvironmentVariable("KAVRI_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        // From the template list down to the step-3 banner.
        const QRect list = window->control(kTemplateList)->geometry();
        const QRect banner = window->control(kGenerate)->geometry();
        const QRect part(0, list.top() - 8, window->control(kInfoPanel)->geometry().right() + 8,
                         banner.bottom() + 8 - (list.top() - 8));
        EXPECT_TRUE(window->content()->grab(part).save(QDir(dir).filePath("legal-form.png")));
    }
}

// Each delivered template, as the main window marks it.
TEST_F(LegalFormTest, TheCompletenessMarkOfEachDeliveredTemplate)
{
    CkavriDlg* window = openWindow(m_library.path());
    const struct
    {
        const char* name;
        const char* missing; // the mark's tooltip; empty when the mark is hidden
    } kDelivered[] = {
        {"通用离职证明", "模板未写明：合同期限"},
        {"劳动合同期满离职证明", "模板未写明：合同期限"},
        {"协商一致解除劳动合同证明", "模板未写明：合同期限"},
        {"简明离职证明", "模板未写明：合同期限"},
        {"合同期满终止证明（法定事项齐全）", ""},
        {"协商解除劳动合同证明（法定事项齐全）", ""},
    };
    ASSERT_EQ(window->m_listTemplates->rowCount(), 6);
    QWidget* mark = window->control(kCompletenessMark);
    ASSERT_NE(mark, nullptr);
    const QRect nameBox = window->control(kTemplateName)->geometry();
    for (const auto& delivered : kDelivered) {
        const QString name = QString::fromUtf8(delivered.name);
        int row = -1;
        for (int r = 0; r < window->m_listTemplates->rowCount(); ++r) {
            if (window->m_listTemplates->item(r, 0)->text() == name) {
                row = r;
            }
        }
        ASSERT_GE(row, 0) << delivered.name;
        if (row != window->m_nShownTemplate) {
            clickRow(window, row);
        }
        ASSERT_EQ(window->m_nShownTemplate, row);
        const QString missing = QString::fromUtf8(delivered.missing);
        EXPECT_EQ(mark->isVisible(), !missing.isEmpty()) << delivered.name;
        if (!missing.isEmpty()) {
            EXPECT_EQ(mark->toolTip(), missing);
            EXPECT_EQ(window->control(kTemplateName)->toolTip(), missing);
        }
        // The name box stays where the window put it.
        EXPECT_EQ(window->control(kTemplateName)->geometry(), nameBox);
    }
}

TEST_F(LegalFormTest, AContractEndingBeforeItStartsMakesNoCertificate)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("【公司名称】【合同期限】"));
    Register::CertificateRegister* reg = window->registerSession().reg(window);
    ASSERT_TRUE(reg);
    const auto entries = [reg] {
        QString error;
        return reg->count(Register::SearchQuery(), &error).value_or(-1);
    };
    const auto companiesNamed = [this](const char* name) {
        return m_editor->column(
            QStringLiteral("select item1 from company_item_table where item3='%1'")
                .arg(QString::fromUtf8(name)),
            QStringLiteral("item1"));
    };
    window->control<QComboBox>(kCompany)->setEditText(QStringLiteral("甲乙丙贸易有限公司"));
    window->control<QDateEdit>(kContractStart)->setDate(QDate(2024, 3, 1));
    window->control<QDateEdit>(kContractEnd)->setDate(QDate(2024, 2, 29));
    const QString before = result(window);

    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_EQ(m_notifier.texts(),
              QStringList{QStringLiteral("合同终止日期早于起始日期，请改正后再生成离职证明。")});
    EXPECT_EQ(result(window), before);
    EXPECT_EQ(entries(), 0);
    EXPECT_EQ(companiesNamed("甲乙丙贸易有限公司"), QStringList());

    // An open-ended contract from that start has no end to contradict it.
    m_notifier.clear();
    QTest::mouseClick(window->control(kOpenEnded), Qt::LeftButton);
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    EXPECT_TRUE(
        result(window).endsWith(QStringLiteral("甲乙丙贸易有限公司自2024年3月1日起无固定期限")))
        << result(window).toStdString();
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(companiesNamed("甲乙丙贸易有限公司"), QStringList{QStringLiteral("默认")});
}

TEST_F(LegalFormTest, ContractDatesATemplateDoesNotStateStopNothing)
{
    CkavriDlg* window = openWithTemplate(QStringLiteral("在职【工作年限】"));
    pickDates(window, QDate(2024, 3, 1), QDate(2024, 2, 29), QDate(2021, 3, 1), QDate(2024, 2, 29));
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    EXPECT_TRUE(result(window).endsWith(QStringLiteral("在职3年"))) << result(window).toStdString();
}

} // namespace
