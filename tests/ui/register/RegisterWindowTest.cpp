#include "FakePrinterServices.h"
#include "FakeSaveFileDialog.h"
#include "OfdReader.h"
#include "OfficeWordingList.h"
#include "RecordingNotifier.h"
#include "register/RegisterFixture.h"

#include "register/LeavingNote.h"
#include "register/RegisterText.h"
#include "ui/register/CRegisterDlg.h"
#include "ui/register/CVerifyDlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Register;

class RegisterWindowTest : public RegisterFixture
{
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        clock = QDateTime(QDate(2023, 3, 1), QTime(9, 0));
        old = add(person("王老五", "110101198001011111", "2023年2月28日"));
        clock = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
        first = add(person("张三", "110101199001011234"));
        QString error;
        ASSERT_TRUE(reg->recordEvent(first.id, EventKind::Copied, first.text, &error));
        second = add(person("李四", "320102198805052222"));
    }

    QString cell(CRegisterDlg& dlg, int row, int column)
    {
        QTableWidgetItem* item = dlg.list()->item(row, column);
        return item ? item->text() : QString();
    }
    void click(QWidget& dlg, const char* name)
    {
        auto* b = dlg.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_TRUE(b) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    IssuedEntry old;
    IssuedEntry first;
    IssuedEntry second;
    RecordingNotifier notifier;
};

TEST_F(RegisterWindowTest, ListsEveryEntryNewestFirstWithMaskedIds)
{
    CRegisterDlg dlg(reg.get());
    ASSERT_EQ(dlg.list()->rowCount(), 3);
    EXPECT_EQ(cell(dlg, 0, 0), QStringLiteral("LZ2026-000002"));
    EXPECT_EQ(cell(dlg, 0, 1), QStringLiteral("李四"));
    EXPECT_EQ(cell(dlg, 0, 2), QStringLiteral("320102********2222"));
    EXPECT_EQ(cell(dlg, 0, 5), QStringLiteral("未出具"));
    EXPECT_EQ(cell(dlg, 1, 5), QStringLiteral("已出具"));
    EXPECT_TRUE(cell(dlg, 1, 6).startsWith(QStringLiteral("复制 ")));
    EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("pageLabel"))->text(),
              QStringLiteral("共 3 条，第 1–3 条"));
    // The newest entry is shown at once.
    EXPECT_EQ(dlg.textView()->toPlainText(), normalizeLineBreaks(second.text));
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST_F(RegisterWindowTest, SearchesByNameAndShowsTheEntryWithItsEvents)
{
    CRegisterDlg dlg(reg.get());
    dlg.findChild<QLineEdit*>(QStringLiteral("searchName"))->setText(QStringLiteral("张"));
    click(dlg, "searchButton");
    ASSERT_EQ(dlg.list()->rowCount(), 1);
    EXPECT_EQ(dlg.shownEntry(), first.id);
    EXPECT_EQ(dlg.textView()->toPlainText(), normalizeLineBreaks(first.text));
    ASSERT_EQ(dlg.eventList()->rowCount(), 1);
    EXPECT_EQ(dlg.eventList()->item(0, 1)->text(), QStringLiteral("复制"));
    EXPECT_EQ(dlg.eventList()->item(0, 2)->text(), QStringLiteral("第 1 版"));
    click(dlg, "clearSearchButton");
    EXPECT_EQ(dlg.list()->rowCount(), 3);
    // An ID number typed on the keyboard, Return starts the search.
    QLineEdit* id = dlg.findChild<QLineEdit*>(QStringLiteral("searchIdNumber"));
    QTest::keyClicks(id, QStringLiteral("2222"));
    QTest::keyClick(id, Qt::Key_Return);
    ASSERT_EQ(dlg.list()->rowCount(), 1);
    EXPECT_EQ(cell(dlg, 0, 1), QStringLiteral("李四"));
}

TEST_F(RegisterWindowTest, ShowsFullIdNumbersOnlyOnRequest)
{
    QString error;
    const auto withId = reg->addEntry(
        person("孙七", "11010519870315231x"),
        [](const QString& n) { return n + QStringLiteral("\r\n身份证号：11010519870315231x\r\n"); },
        &error);
    ASSERT_TRUE(withId);
    CRegisterDlg dlg(reg.get());
    auto* label = dlg.findChild<QLabel*>(QStringLiteral("entryLabel"));
    EXPECT_EQ(cell(dlg, 0, 2), QStringLiteral("110105********231X"));
    EXPECT_TRUE(
        dlg.textView()->toPlainText().endsWith(QStringLiteral("身份证号：110105********231X\n")));
    EXPECT_FALSE(label->text().contains(QStringLiteral("11010519870315231X")));
    click(dlg, "showFullIdButton");
    EXPECT_EQ(cell(dlg, 0, 2), QStringLiteral("11010519870315231X"));
    EXPECT_EQ(dlg.textView()->toPlainText(), normalizeLineBreaks(withId->text));
    EXPECT_TRUE(label->text().contains(QStringLiteral("11010519870315231X")));
    click(dlg, "showFullIdButton");
    EXPECT_EQ(cell(dlg, 1, 2), QStringLiteral("320102********2222"));
}

TEST_F(RegisterWindowTest, ReprintingRecordsAPrintEventOfTheRecordedText)
{
    FakePrinterServices printer;
    printer.nextOutputFile = dirPath() + QStringLiteral("/printed.pdf");
    CRegisterDlg dlg(reg.get());
    click(dlg, "reprintButton");
    EXPECT_EQ(printer.dialogsShown, 1);
    EXPECT_GT(QFile(printer.nextOutputFile).size(), 0);
    QString error;
    const auto e = reg->entry(second.id, &error);
    ASSERT_TRUE(e);
    ASSERT_EQ(e->events.size(), 1);
    EXPECT_EQ(e->events[0].kind, EventKind::Printed);
    EXPECT_EQ(e->versions.size(), 1);
    EXPECT_EQ(cell(dlg, 0, 5), QStringLiteral("已出具"));
}

TEST_F(RegisterWindowTest, ACancelledPrinterDialogRecordsNothing)
{
    FakePrinterServices printer; // no output file: the dialog is cancelled
    CRegisterDlg dlg(reg.get());
    click(dlg, "reprintButton");
    QString error;
    EXPECT_TRUE(reg->entry(second.id, &error)->events.isEmpty());
}

TEST_F(RegisterWindowTest, ReexportingAPdfRecordsItsEvent)
{
    FakeSaveFileDialog save;
    save.answer = dirPath() + QStringLiteral("/again.pdf");
    CRegisterDlg dlg(reg.get());
    dlg.list()->selectRow(1);
    ASSERT_EQ(dlg.shownEntry(), first.id);
    click(dlg, "reexportPdfButton");
    EXPECT_TRUE(QFile::exists(save.answer));
    QString error;
    const auto e = reg->entry(first.id, &error);
    ASSERT_EQ(e->events.size(), 2);
    EXPECT_EQ(e->events[1].kind, EventKind::PdfExported);
    EXPECT_EQ(dlg.eventList()->rowCount(), 2);
}

TEST_F(RegisterWindowTest, ReexportingAsOfdRecordsAnOfdEventAndNamesNumberAndCompany)
{
    FakeSaveFileDialog save;
    save.answer = dirPath() + QStringLiteral("/again.ofd");
    CRegisterDlg dlg(reg.get());
    dlg.list()->selectRow(1);
    ASSERT_EQ(dlg.shownEntry(), first.id);
    click(dlg, "reexportPdfButton");
    // The dialog offers both kinds of file.
    ASSERT_EQ(save.filters.size(), 1);
    EXPECT_TRUE(save.filters.first().contains(QStringLiteral("OFD 文件 (*.ofd)")));
    EXPECT_TRUE(save.filters.first().contains(QStringLiteral("*.pdf")));

    const OfdRead::Archive archive = OfdRead::ReadArchive(save.answer);
    ASSERT_TRUE(archive.error.isEmpty());
    const QString ofd = QString::fromUtf8(archive.files.value(QStringLiteral("OFD.xml")));
    EXPECT_TRUE(ofd.contains(QStringLiteral(">北京星河科技有限公司</ofd:Author>")))
        << ofd.toStdString();
    EXPECT_TRUE(ofd.contains(QStringLiteral("Name=\"证明编号\">%1<").arg(first.number)))
        << ofd.toStdString();
    QString error;
    const auto e = reg->entry(first.id, &error);
    ASSERT_EQ(e->events.size(), 2);
    EXPECT_EQ(e->events[1].kind, EventKind::OfdExported);
    EXPECT_EQ(eventKindLabel(e->events[1].kind), QStringLiteral("导出OFD"));
}

TEST_F(RegisterWindowTest, DeletingOldEntriesAsksWithTheirCount)
{
    CRegisterDlg dlg(reg.get());
    notifier.queueAnswer(Notifier::Answer::No);
    click(dlg, "deleteExpiredButton");
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_TRUE(notifier.notices()[0].text.startsWith(QStringLiteral("将删除 1 条离职日期在")));
    EXPECT_EQ(dlg.list()->rowCount(), 3);
    notifier.queueAnswer(Notifier::Answer::Yes);
    click(dlg, "deleteExpiredButton");
    EXPECT_EQ(notifier.texts().last(), QStringLiteral("已删除 1 条记录。"));
    EXPECT_EQ(dlg.list()->rowCount(), 2);
    click(dlg, "deleteExpiredButton");
    EXPECT_TRUE(notifier.texts().last().startsWith(QStringLiteral("没有可以删除的记录")));
}

// 校验完整性 shows the audit's verdict; a text changed with the sqlcipher shell and the key is
// named by its row.
TEST_F(RegisterWindowTest, TheAuditButtonShowsWhetherTheRegisterIsWhole)
{
    {
        CRegisterDlg dlg(reg.get());
        click(dlg, "auditButton");
        ASSERT_EQ(notifier.texts().size(), 1);
        EXPECT_TRUE(notifier.texts()[0].startsWith(QStringLiteral("登记簿完整：链中 4 条记录，链头 ")))
            << notifier.texts()[0].toStdString();
    }
    reg.reset();
    QFile keyFile(keyPathFor(path()));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {path()});
    ASSERT_TRUE(shell.waitForStarted());
    shell.write("PRAGMA key = \"x'" + keyFile.readAll().trimmed() +
                "'\";\nPRAGMA cipher_page_size = 4096;\nUPDATE versions SET text = replace(text, '张三', '张叁');\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished());
    ASSERT_EQ(shell.exitCode(), 0);
    reopen();
    CRegisterDlg dlg(reg.get());
    click(dlg, "auditButton");
    ASSERT_EQ(notifier.texts().size(), 2);
    EXPECT_TRUE(notifier.texts()[1].startsWith(QStringLiteral("登记簿在第 2 条处被改动：")))
        << notifier.texts()[1].toStdString();
}

TEST_F(RegisterWindowTest, ExportsTheSearchResultAsCsv)
{
    FakeSaveFileDialog save;
    save.answer = dirPath() + QStringLiteral("/list.csv");
    CRegisterDlg dlg(reg.get());
    dlg.findChild<QLineEdit*>(QStringLiteral("searchName"))->setText(QStringLiteral("李"));
    click(dlg, "searchButton");
    click(dlg, "exportCsvButton");
    EXPECT_TRUE(save.suggested.value(0).endsWith(QStringLiteral(".csv")));
    EXPECT_TRUE(notifier.texts().value(0).startsWith(QStringLiteral("已将 1 条记录导出到")));
    QFile f(save.answer);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(csv.contains(QStringLiteral("320102********2222")));
    EXPECT_FALSE(csv.contains(QStringLiteral("张三")));
}

TEST_F(RegisterWindowTest, VerifyShowsWhereAPastedTextDiffers)
{
    CVerifyDlg dlg(reg.get());
    QString forged = first.text;
    forged.replace(QStringLiteral("张三"), QStringLiteral("张叁"));
    dlg.input()->setPlainText(forged);
    click(dlg, "verifyButton");
    EXPECT_TRUE(dlg.report()->toPlainText().contains(QStringLiteral("第 4 行第 5 列起不同")))
        << dlg.report()->toPlainText().toStdString();
    EXPECT_EQ(dlg.recorded()->toPlainText(), normalizeLineBreaks(first.text));
    dlg.input()->setPlainText(QStringLiteral("LZ2026-000009"));
    click(dlg, "verifyButton");
    EXPECT_EQ(dlg.report()->toPlainText(),
              QStringLiteral("登记簿中没有编号为 LZ2026-000009 的证明。"));
    EXPECT_TRUE(dlg.recorded()->toPlainText().isEmpty());
    dlg.input()->setPlainText(QStringLiteral("  "));
    click(dlg, "verifyButton");
    EXPECT_EQ(notifier.texts().value(0), QStringLiteral("请输入证明编号，或粘贴证明全文。"));
}

TEST_F(RegisterWindowTest, VerifyOfATextWithoutANumberShowsTheClosestWithTheIdMasked)
{
    QString error;
    const auto made = reg->addEntry(
        person("赵六", "11010519491231002X", "2026年3月31日"),
        [](const QString&) {
            return QStringLiteral("离职证明\r\n\r\n兹证明赵六（身份证号：11010519491231002X）"
                                  "于2026年3月31日离职。\r\n");
        },
        &error);
    ASSERT_TRUE(made) << error.toStdString();
    CVerifyDlg dlg(reg.get());
    dlg.input()->setPlainText(QStringLiteral(
        "离职证明\n\n兹证明赵六（身份证号：11010519491231002X）于2026年3月30日离职。\n"));
    click(dlg, "verifyButton");
    const QString report = dlg.report()->toPlainText();
    EXPECT_TRUE(report.startsWith(QStringLiteral("文本中没有证明编号。按文本中的姓名和身份证号，"
                                                 "最接近的是编号为 LZ2026-000003 的证明")))
        << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("11010519491231002X")));
    EXPECT_EQ(dlg.recorded()->toPlainText(),
              QStringLiteral("离职证明\n\n兹证明赵六（身份证号：110105********002X）"
                             "于2026年3月31日离职。\n"));

    click(dlg, "showFullIdButton");
    EXPECT_EQ(dlg.recorded()->toPlainText(),
              QStringLiteral("离职证明\n\n兹证明赵六（身份证号：11010519491231002X）"
                             "于2026年3月31日离职。\n"));
    EXPECT_TRUE(dlg.report()->toPlainText().contains(QStringLiteral("身份证号：11010519491231002X")));
    click(dlg, "showFullIdButton");
    EXPECT_TRUE(dlg.recorded()->toPlainText().contains(QStringLiteral("110105********002X")));
    EXPECT_TRUE(notifier.notices().isEmpty());
}

// The last column: how long after its leaving day a certificate first left, or how long a
// draft has been due.
TEST_F(RegisterWindowTest, TheListSaysHowLateEachCertificateFirstLeft)
{
    QString error;
    clock = QDateTime(QDate(2026, 3, 30), QTime(10, 0));
    const IssuedEntry late = add(person("赵六", "110101199001015678", "2026年3月31日"));
    clock = QDateTime(QDate(2026, 4, 2), QTime(10, 0));
    ASSERT_TRUE(reg->recordEvent(late.id, EventKind::Printed, late.text, &error));
    clock = QDateTime(QDate(2026, 4, 9), QTime(10, 0));
    ASSERT_TRUE(reg->recordEvent(late.id, EventKind::Printed, late.text, &error));
    clock = QDateTime(QDate(2026, 12, 7), QTime(9, 30));

    CRegisterDlg dlg(reg.get());
    dlg.setToday(QDate(2026, 12, 8));
    ASSERT_EQ(dlg.list()->rowCount(), 4);
    // The list is in the order of the numbers, newest first.
    const QStringList expected = {
        QStringLiteral("LZ2026-000003|逾期 2 天"),           // 赵六, printed on 2026-04-02 first
        QStringLiteral("LZ2026-000002|待出具，已过 278 天"), // 李四, leaving 2026-03-05
        QStringLiteral("LZ2026-000001|逾期 277 天"),         // 张三, copied on 2026-12-07
        QStringLiteral("LZ2023-000001|待出具，已过 1379 天"), // 王老五, leaving 2023-02-28
    };
    QStringList shown;
    for (int row = 0; row < 4; ++row) {
        shown << cell(dlg, row, 0) + u'|' + cell(dlg, row, 7);
    }
    EXPECT_EQ(shown, expected) << shown.join(u' ').toStdString();
    EXPECT_EQ(dlg.list()->horizontalHeaderItem(7)->text(), QStringLiteral("出具时间"));
}

// Delivery and transfer from the window: the two columns, the 未确认送达 filter, the records.
TEST_F(RegisterWindowTest, RecordsDeliveriesAndTransfersAndFiltersTheUndelivered)
{
    CRegisterDlg dlg(reg.get());
    dlg.setToday(QDate(2026, 12, 8));
    EXPECT_EQ(dlg.list()->horizontalHeaderItem(8)->text(), QStringLiteral("送达"));
    EXPECT_EQ(dlg.list()->horizontalHeaderItem(9)->text(), QStringLiteral("档案社保转移"));
    auto row = [&](int r) {
        return QStringList{cell(dlg, r, 1), cell(dlg, r, 8), cell(dlg, r, 9)}.join(u'|');
    };
    ASSERT_EQ(dlg.list()->rowCount(), 3);
    EXPECT_EQ(row(0), QStringLiteral("李四||逾期 263 天未转移"));
    EXPECT_EQ(row(1), QStringLiteral("张三|未确认送达|逾期 263 天未转移"));
    EXPECT_EQ(row(2), QStringLiteral("王老五||逾期 1364 天未转移"));

    auto* undelivered = dlg.findChild<QCheckBox*>(QStringLiteral("searchUndelivered"));
    ASSERT_TRUE(undelivered);
    undelivered->setChecked(true);
    ASSERT_EQ(dlg.list()->rowCount(), 1);
    EXPECT_EQ(dlg.shownEntry(), first.id);

    // Posted: still unconfirmed.
    auto* method = dlg.findChild<QComboBox*>(QStringLiteral("deliveryMethod"));
    auto* waybill = dlg.findChild<QLineEdit*>(QStringLiteral("deliveryWaybill"));
    auto* received = dlg.findChild<QCheckBox*>(QStringLiteral("deliveryReceivedKnown"));
    auto* receivedOn = dlg.findChild<QDateEdit*>(QStringLiteral("deliveryReceived"));
    ASSERT_TRUE(method && waybill && received && receivedOn);
    EXPECT_FALSE(waybill->isEnabled());
    method->setCurrentText(QStringLiteral("邮寄"));
    EXPECT_TRUE(waybill->isEnabled());
    waybill->setText(QStringLiteral("SF1234567890"));
    click(dlg, "recordDeliveryButton");
    ASSERT_EQ(dlg.list()->rowCount(), 1);
    EXPECT_EQ(row(0), QStringLiteral("张三|邮寄 SF1234567890，未确认签收|逾期 263 天未转移"));

    // A receipt after today is refused and nothing is recorded.
    method->setCurrentText(QStringLiteral("邮寄"));
    waybill->setText(QStringLiteral("SF1234567890"));
    received->setChecked(true);
    receivedOn->setDate(QDate(2026, 12, 9));
    click(dlg, "recordDeliveryButton");
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_EQ(notifier.notices()[0].text,
              QStringLiteral("LZ2026-000001 不能记录送达：签收日期 2026-12-09 晚于今天。"));
    EXPECT_EQ(dlg.list()->rowCount(), 1);

    // Received: the entry leaves the filtered list and stays shown with both records.
    receivedOn->setDate(QDate(2026, 12, 7));
    click(dlg, "recordDeliveryButton");
    EXPECT_EQ(dlg.list()->rowCount(), 0);
    EXPECT_EQ(dlg.shownEntry(), first.id);
    ASSERT_EQ(dlg.eventList()->rowCount(), 3);
    EXPECT_EQ(dlg.eventList()->item(2, 1)->text(), QStringLiteral("送达"));
    EXPECT_EQ(dlg.eventList()->item(2, 3)->text(),
              QStringLiteral("邮寄 SF1234567890，2026-12-07 签收"));

    // A draft: no delivery, but the transfer is recorded.
    undelivered->setChecked(false);
    ASSERT_EQ(dlg.list()->rowCount(), 3);
    dlg.list()->selectRow(0);
    EXPECT_EQ(dlg.shownEntry(), second.id);
    EXPECT_FALSE(dlg.findChild<QPushButton*>(QStringLiteral("recordDeliveryButton"))->isEnabled());
    dlg.findChild<QDateEdit*>(QStringLiteral("transferDay"))->setDate(QDate(2026, 12, 1));
    click(dlg, "recordTransferButton");
    EXPECT_EQ(row(0), QStringLiteral("李四||2026-12-01 已转移"));
    EXPECT_EQ(row(1), QStringLiteral("张三|邮寄 SF1234567890，2026-12-07 签收|逾期 263 天未转移"));
    EXPECT_EQ(dlg.list()->item(0, 5)->text(), QStringLiteral("未出具"));
    EXPECT_EQ(notifier.notices().size(), 1);
}

TEST_F(RegisterWindowTest, EveryControlHasAnAccessibleName)
{
    CRegisterDlg dlg(reg.get());
    CVerifyDlg verify(reg.get());
    for (QWidget* w : {static_cast<QWidget*>(&dlg), static_cast<QWidget*>(&verify)}) {
        const QList<QWidget*> controls = w->findChildren<QWidget*>();
        int checked = 0;
        for (QWidget* c : controls) {
            if (qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
                qobject_cast<QComboBox*>(c) || qobject_cast<QDateEdit*>(c) ||
                qobject_cast<QTableWidget*>(c) || qobject_cast<QPlainTextEdit*>(c)) {
                // The line edits inside combo boxes and date edits belong to those.
                if (qobject_cast<QComboBox*>(c->parentWidget()) ||
                    qobject_cast<QDateEdit*>(c->parentWidget()) ||
                    qobject_cast<QTableWidget*>(c->parentWidget()) ||
                    c->parentWidget()->inherits("QAbstractScrollArea") ||
                    c->inherits("QTableCornerButton")) {
                    continue;
                }
                EXPECT_FALSE(c->accessibleName().isEmpty())
                    << c->metaObject()->className() << " " << c->objectName().toStdString();
                ++checked;
            }
        }
        EXPECT_GT(checked, 4);
    }
}

namespace {

// 打印 and 重新导出 in the register window, each driven as the clerk does it; true when the
// page was printed or the file written.
struct RegisterWayOut
{
    const char* name;
    EventKind kind;
    bool (*send)(CRegisterDlg& dlg, const QString& folder);
};

bool reprintOut(CRegisterDlg& dlg, const QString& folder)
{
    FakePrinterServices printer;
    printer.nextOutputFile = folder + QStringLiteral("/printed.pdf");
    QTest::mouseClick(dlg.findChild<QAbstractButton*>(QStringLiteral("reprintButton")),
                      Qt::LeftButton);
    // Stopped at the question, the printer dialog never opens.
    EXPECT_EQ(printer.dialogsShown, QFile::exists(printer.nextOutputFile) ? 1 : 0);
    return QFile(printer.nextOutputFile).size() > 0;
}

bool reexportOut(CRegisterDlg& dlg, const QString& folder)
{
    FakeSaveFileDialog save;
    save.answer = folder + QStringLiteral("/again.pdf");
    QTest::mouseClick(dlg.findChild<QAbstractButton*>(QStringLiteral("reexportPdfButton")),
                      Qt::LeftButton);
    EXPECT_EQ(save.suggested.size(), QFile::exists(save.answer) ? 1 : 0);
    return QFile::exists(save.answer);
}

const RegisterWayOut kRegisterWaysOut[] = {
    {"reprint", EventKind::Printed, reprintOut},
    {"reexport", EventKind::PdfExported, reexportOut},
};

} // namespace

// The recorded text is checked again each time it leaves from the register window: No prints
// or writes nothing and records nothing; Yes records the phrases with the event, and the event
// list shows them.
TEST_F(RegisterWindowTest, PrintingOrExportingAgainAsksAboutWordingAndKeepsTheAnswer)
{
    OfficeWordingList kavrisOwnList;
    for (const RegisterWayOut& way : kRegisterWaysOut) {
        for (const bool goOn : {false, true}) {
            SCOPED_TRACE(std::string(way.name) + (goOn ? " yes" : " no"));
            QString error;
            clock = clock.addSecs(60); // the newest entry, shown when the window opens
            const auto fired = reg->addEntry(
                person("赵六", "110101198503031234"),
                [](const QString& n) {
                    return QStringLiteral("赵六因旷工被开除。\r\n编号：%1").arg(n);
                },
                &error);
            ASSERT_TRUE(fired) << error.toStdString();
            const QString folder = dirPath() + QStringLiteral("/%1-%2").arg(way.name).arg(goOn);
            ASSERT_TRUE(QDir().mkpath(folder));
            CRegisterDlg dlg(reg.get());
            ASSERT_EQ(dlg.shownEntry(), fired->id);
            notifier.clear();
            notifier.queueAnswer(goOn ? Notifier::Answer::Yes : Notifier::Answer::No);

            EXPECT_EQ(way.send(dlg, folder), goOn);

            ASSERT_GE(notifier.notices().size(), 1);
            EXPECT_EQ(notifier.notices()[0].buttons, Notifier::Buttons::YesNo);
            const auto e = reg->entry(fired->id, &error);
            ASSERT_TRUE(e) << error.toStdString();
            if (!goOn) {
                EXPECT_TRUE(e->events.isEmpty());
                EXPECT_EQ(dlg.eventList()->rowCount(), 0);
                continue;
            }
            const QStringList expected = {
                QStringLiteral("“旷工”：赵六因旷工被开除。 编号：L……"),
                QStringLiteral("“开除”：赵六因旷工被开除。 编号：LZ20……"),
            };
            ASSERT_EQ(e->events.size(), 1);
            EXPECT_EQ(e->events[0].kind, way.kind);
            const std::optional<LeavingNote> note = leavingNoteFromDetail(e->events[0].detail);
            ASSERT_TRUE(note) << e->events[0].detail.toStdString();
            EXPECT_EQ(note->wording, expected);
            ASSERT_EQ(dlg.eventList()->rowCount(), 1);
            EXPECT_EQ(dlg.eventList()->item(0, 3)->text(),
                      QStringLiteral("措辞提示：“旷工”：赵六因旷工被开除。 编号：L……；"
                                     "“开除”：赵六因旷工被开除。 编号：LZ20……"));
        }
    }
}
