// The README's pictures of the register window and of a 查验 result. When KAVRI_SCREENSHOT_DIR
// names a folder (scripts/screenshots.sh runs this under Xvfb), the windows are saved there.
#include "RecordingNotifier.h"
#include "compose/CertificateComposer.h"
#include "legal/WordingCheck.h"
#include "register/LeavingNote.h"
#include "register/RegisterFixture.h"

#include "ui/register/CRegisterDlg.h"
#include "ui/register/CVerifyDlg.h"

#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Register;

namespace {
const QString kTemplate = QStringLiteral(
    "证明编号：【证明编号】<br><br>"
    "　　兹证明【姓名】（身份证号：【身份证号】）自【入职日期】起在我公司【部门】担任【职位】，"
    "于【离职日期】因【离职原因】离职，已办妥离职手续。<br><br>特此证明。<br><br>"
    "<div style=\"float: right;\">【公司名称】<br>【离职日期】</div>");

void saveForReadme(QWidget& widget, const QString& fileName)
{
    const QString dir = qEnvironmentVariable("KAVRI_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        widget.show();
        QTest::qWait(200);
        EXPECT_TRUE(widget.grab().save(QDir(dir).filePath(fileName))) << fileName.toStdString();
    }
}
} // namespace

using ReadmePicturesTest = RegisterFixture;

TEST_F(ReadmePicturesTest, RegisterWindowAndAVerifyResult)
{
    RecordingNotifier notifier;
    struct Person
    {
        const char16_t* name;
        const char* id;
        const char16_t* leave;
        const char16_t* company;
        int leaves; // 0 draft, 1 printed, 2 printed and copied
        // A ground a new employer reads as fault: printed after the wording check was let go.
        const char16_t* reason = u"个人原因";
    };
    const Person people[] = {
        {u"陈思远", "110105198703152318", u"2026年11月30日", u"北京星河科技有限公司", 2},
        {u"林晓雯", "310104199210086424", u"2026年11月15日", u"上海青禾文化传媒有限公司", 1,
         u"严重违纪"},
        {u"王建国", "440106198501237719", u"2026年10月31日", u"广州南岭贸易有限公司", 1},
        {u"赵敏", "510107199407264826", u"2026年10月8日", u"成都锦江软件有限公司", 0},
        {u"周子航", "330106199011300035", u"2026年9月30日", u"杭州西溪网络科技有限公司", 2},
        {u"吴佳怡", "32010219960518262X", u"2026年9月1日", u"南京云锦设计有限公司", 1},
    };
    clock = QDateTime(QDate(2026, 12, 1), QTime(9, 0));
    IssuedEntry shown;
    for (const Person& p : people) {
        clock = clock.addSecs(3600);
        NewEntry e = person(QString::fromUtf16(p.name), QString::fromLatin1(p.id),
                            QString::fromUtf16(p.leave), QString::fromUtf16(p.company));
        CertificateValues values;
        values.name = QString::fromUtf16(p.name);
        values.gender = QStringLiteral("女");
        values.idNumber = QString::fromLatin1(p.id);
        values.company = QString::fromUtf16(p.company);
        values.department = QStringLiteral("市场部");
        values.position = QStringLiteral("市场专员");
        values.joinDate = QStringLiteral("2021年3月1日");
        values.leaveDate = QString::fromUtf16(p.leave);
        values.reason = QString::fromUtf16(p.reason);
        QString error;
        const auto made = reg->addEntry(
            e,
            [&values](const QString& number) {
                QString text = kTemplate;
                text.replace(QStringLiteral("【证明编号】"), number);
                return Compose::ComposeCertificate(text, values, 36);
            },
            &error);
        ASSERT_TRUE(made) << error.toStdString();
        // The phrases the clerk let go when it was printed go with the print.
        LeavingNote note;
        note.wording = Legal::wordingLines(Legal::checkWording(
            made->text, Legal::parseWordingList(Legal::defaultWordingListText())));
        for (int i = 0; i < p.leaves; ++i) {
            clock = clock.addSecs(120);
            ASSERT_TRUE(
                reg->recordEvents({{made->id, i == 0 ? EventKind::Printed : EventKind::Copied,
                                    made->text, leavingDetail(note)}},
                                  {}, &error))
                << error.toStdString();
        }
        shown = *made;
    }
    // What the office did afterwards: deliveries, some received, and two transfers.
    clock = QDateTime(QDate(2026, 12, 5), QTime(17, 0));
    struct Duty
    {
        const char* number;
        Delivery delivery;
        QDate transferred;
    };
    const Duty duties[] = {
        {"LZ2026-000001", {DeliveryMethod::InPerson, {}, QDate(2026, 12, 1), {}}, QDate()},
        {"LZ2026-000002",
         {DeliveryMethod::Post, QStringLiteral("SF1402881937"), QDate(), {}},
         QDate()},
        {"LZ2026-000003",
         {DeliveryMethod::Post, QStringLiteral("YT8826410035"), QDate(2026, 12, 4), {}},
         QDate(2026, 11, 12)},
        {"LZ2026-000005",
         {DeliveryMethod::Email, {}, QDate(2026, 12, 2), {}},
         QDate(2026, 10, 10)},
    };
    for (const Duty& d : duties) {
        QString error;
        const auto e = reg->entryByNumber(QString::fromLatin1(d.number), &error);
        ASSERT_TRUE(e) << error.toStdString();
        ASSERT_TRUE(reg->recordDelivery(e->summary.id, d.delivery, &error)) << error.toStdString();
        if (d.transferred.isValid()) {
            ASSERT_TRUE(reg->recordTransfer(e->summary.id, d.transferred, &error))
                << error.toStdString();
        }
    }
    CRegisterDlg window(reg.get());
    window.resize(1400, 760);
    window.setToday(QDate(2026, 12, 8));
    EXPECT_EQ(window.list()->rowCount(), 6);
    EXPECT_EQ(window.list()->item(4, 8)->text(), QStringLiteral("邮寄 SF1402881937，未确认签收"));
    EXPECT_EQ(window.list()->item(3, 9)->text(), QStringLiteral("2026-11-12 已转移"));
    EXPECT_EQ(window.list()->item(0, 9)->text(), QStringLiteral("逾期 83 天未转移"));
    window.list()->selectRow(4);
    ASSERT_EQ(window.eventList()->rowCount(), 2);
    EXPECT_EQ(window.eventList()->item(0, 3)->text(),
              QStringLiteral("措辞提示：“违纪”：……年11月15日因严重违纪离职，已办妥离职手续……"));
    saveForReadme(window, QStringLiteral("register-window.png"));

    // A presented certificate whose name was changed by hand.
    CVerifyDlg verify(reg.get());
    verify.resize(760, 700);
    QString forged = shown.text;
    forged.replace(QStringLiteral("吴佳怡"), QStringLiteral("吴佳仪"));
    verify.input()->setPlainText(forged);
    QTest::mouseClick(verify.findChild<QPushButton*>(QStringLiteral("verifyButton")),
                      Qt::LeftButton);
    EXPECT_TRUE(verify.report()->toPlainText().contains(QStringLiteral("但文本与登记的不一致")));
    saveForReadme(verify, QStringLiteral("register-verify.png"));
    EXPECT_TRUE(notifier.notices().isEmpty());
}
