#include "BatchFixtures.h"
#include "FakeSaveFileDialog.h"
#include "OfficeWordingList.h"
#include "PdfText.h"
#include "RecordingNotifier.h"
#include "register/CertificateRegister.h"
#include "ui/batch/BatchFileChooser.h"
#include "ui/batch/CBatchDlg.h"
#include "ui/common/OpenFileDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Answers for the sheet's open-file dialog and for the output folder's chooser.
class FakeChooser : public OpenFileDialog::Backend, public BatchFileChooser::Backend
{
public:
    FakeChooser()
    {
        OpenFileDialog::setBackend(this);
        BatchFileChooser::setBackend(this);
    }
    ~FakeChooser() override
    {
        OpenFileDialog::setBackend(nullptr);
        BatchFileChooser::setBackend(nullptr);
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return sheet;
    }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override
    {
        return folder;
    }
    void openFolder(const QString& path) override { opened << path; }

    QString sheet;
    QString folder;
    QStringList opened;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

template <typename W> W* child(QWidget& parent, const char* name)
{
    W* widget = parent.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class BatchDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        chooser.sheet = dir.filePath(QStringLiteral("名单.csv"));
        chooser.folder = dir.filePath(QStringLiteral("证明"));
        // Valid ID-card numbers: a doubtful one would add a note to the problem list.
        writeFile(chooser.sheet,
                  QStringLiteral(
                      "姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因,工号\r\n"
                      "张三,男,110101199003071233,星辰公司,研发部,工程师,2019-03-01,2024/5/"
                      "31,个人原因,A1\r\n"
                      "李四,女,110101199205152349,,市场部,专员,2020-07-15,2024/6/30,合同到期,A2\r\n"
                      "王五,男,110101198501013015,星辰公司,财务部,会计,2018-04-02,2024-02-30,"
                      "个人原因,A3\r\n")
                      .toUtf8());
        setup.templateName = QStringLiteral("通用模板");
        setup.templateText = EveryFieldTemplate();
        setup.windowValues[int(Compose::FieldIndex::Company)] = QStringLiteral("窗口公司");
    }

    QTemporaryDir dir;
    FakeChooser chooser;
    FakeSaveFileDialog saveDialog;
    RecordingNotifier notifier;
    CBatchDlg::Setup setup;
};

TEST_F(BatchDialogTest, ProblemListNamesFiftyRowsAndCountsTheRest)
{
    QByteArray sheet = "姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因\r\n";
    for (int i = 0; i < 57; ++i) {
        sheet += QStringLiteral("员工%1,男,110101199003071233,星辰公司,研发部,工程师,2019-03-01,"
                                "2024-02-30,个人原因\r\n")
                     .arg(i)
                     .toUtf8();
    }
    writeFile(chooser.sheet, sheet);
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseSheet"), Qt::LeftButton);

    auto* problems = child<QListWidget>(dialog, "batchProblems");
    ASSERT_EQ(problems->count(), 51);
    EXPECT_TRUE(problems->item(0)->text().startsWith(QStringLiteral("第 2 行（员工0）：离职日期")))
        << problems->item(0)->text().toStdString();
    EXPECT_TRUE(problems->item(49)->text().startsWith(QStringLiteral("第 51 行（员工49）")));
    EXPECT_EQ(problems->item(50)->text(), QStringLiteral("另有 7 行有同样的问题"));
}

TEST_F(BatchDialogTest, FromTheSheetThroughItsProblemsToTheSummary)
{
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseSheet"), Qt::LeftButton);

    auto* info = child<QLabel>(dialog, "batchSheetInfo");
    EXPECT_TRUE(info->text().contains(QStringLiteral("可生成 1 行，有问题 2 行")))
        << info->text().toStdString();
    EXPECT_TRUE(info->text().contains(QStringLiteral("未使用的列：工号")));
    auto* preview = child<QTableWidget>(dialog, "batchPreview");
    ASSERT_EQ(preview->rowCount(), 3);
    EXPECT_EQ(preview->item(0, 8)->text(), QStringLiteral("2024年5月31日"));
    EXPECT_EQ(child<QListWidget>(dialog, "batchProblems")->count(), 2);

    // One company for the rows that have none: the main window's.
    auto* fillCompany = child<QCheckBox>(dialog, "batchFill_3");
    EXPECT_EQ(fillCompany->accessibleName(), QStringLiteral("留空时使用公司名称"));
    fillCompany->setChecked(true);
    EXPECT_TRUE(info->text().contains(QStringLiteral("可生成 2 行，有问题 1 行")));
    EXPECT_EQ(preview->item(1, 4)->text(), QStringLiteral("窗口公司"));
    auto* problems = child<QListWidget>(dialog, "batchProblems");
    ASSERT_EQ(problems->count(), 1);
    EXPECT_TRUE(problems->item(0)->text().startsWith(QStringLiteral("第 4 行（王五）：离职日期")));

    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseFolder"), Qt::LeftButton);
    QSignalSpy finished(&dialog, &CBatchDlg::batchFinished);
    auto* start = child<QPushButton>(dialog, "batchStart");
    EXPECT_EQ(start->accessibleName(), QStringLiteral("开始生成"));
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));

    auto* summary = child<QLabel>(dialog, "batchSummary");
    EXPECT_TRUE(summary->isVisible());
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("已写入 2 份离职证明；跳过 1 行")))
        << summary->text().toStdString();
    auto* skipped = child<QListWidget>(dialog, "batchSkipped");
    ASSERT_EQ(skipped->count(), 1);
    EXPECT_TRUE(skipped->item(0)->text().contains(QStringLiteral("王五")));
    const QString liFile = chooser.folder + QStringLiteral("/李四-2024年6月30日.pdf");
    EXPECT_TRUE(PdfText(liFile).contains(QStringLiteral("窗口公司")));
    EXPECT_TRUE(QFileInfo::exists(chooser.folder + QStringLiteral("/张三-2024年5月31日.pdf")));

    // scripts/screenshots.sh asks for the README's picture of the dialog at this point.
    const QString screenshots = qEnvironmentVariable("KAVRI_SCREENSHOT_DIR");
    if (!screenshots.isEmpty()) {
        EXPECT_TRUE(dialog.grab().save(screenshots + QStringLiteral("/batch-dialog.png")));
    }

    auto* openFolder = child<QPushButton>(dialog, "batchOpenFolder");
    ASSERT_TRUE(openFolder->isVisible());
    QTest::mouseClick(openFolder, Qt::LeftButton);
    EXPECT_EQ(chooser.opened, QStringList{chooser.folder});
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST_F(BatchDialogTest, ACombinedFileAndAnUnreadableSheet)
{
    CBatchDlg dialog(nullptr, setup);
    saveDialog.answer = dir.filePath(QStringLiteral("全部.pdf"));
    dialog.loadSheet(chooser.sheet);
    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseCombined"), Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>(dialog, "batchCombined")->isChecked());
    QSignalSpy finished(&dialog, &CBatchDlg::batchFinished);
    QTest::mouseClick(child<QPushButton>(dialog, "batchStart"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(PdfPageCount(saveDialog.answer), 1);
    EXPECT_TRUE(PdfText(saveDialog.answer).contains(QStringLiteral("张三")));

    const QString broken = dir.filePath(QStringLiteral("坏.xlsx"));
    writeFile(broken, "not a zip");
    dialog.loadSheet(broken);
    ASSERT_EQ(notifier.texts().size(), 1);
    EXPECT_TRUE(notifier.texts()[0].startsWith(QStringLiteral("无法读取表格")));
    EXPECT_FALSE(child<QPushButton>(dialog, "batchStart")->isEnabled());
}

// Holds the batch at one row until the test lets it go, so that 取消 comes half way through
// however fast or slow the machine is.
struct RowGate
{
    explicit RowGate(int holdAtLine) : holdAt(holdAtLine) {}
    void arrive(int line)
    {
        if (line == holdAt) {
            reached.release();
            gate.acquire();
        }
    }
    int holdAt;
    QSemaphore reached;
    QSemaphore gate;
};

TEST_F(BatchDialogTest, CancelHalfWayKeepsOnlyWholeFilesAndSaysWhatWasNotWritten)
{
    // Sixty good rows, lines 2 to 61; the batch is held while it makes line 12.
    QByteArray sheet = "姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因\r\n";
    for (int i = 1; i <= 60; ++i) {
        sheet += QStringLiteral("员工%1,男,110101199003071234,星辰公司,研发部,工程师,2019-03-01,"
                                "2024/5/31,个人原因\r\n")
                     .arg(i, 2, 10, QChar(u'0'))
                     .toUtf8();
    }
    writeFile(chooser.sheet, sheet);
    RowGate recorder(12);
    setup.rowStarting = [&recorder](int line) { recorder.arrive(line); };
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    dialog.loadSheet(chooser.sheet);
    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseFolder"), Qt::LeftButton);
    QSignalSpy finished(&dialog, &CBatchDlg::batchFinished);
    auto* cancel = child<QPushButton>(dialog, "batchCancel");
    QTest::mouseClick(child<QPushButton>(dialog, "batchStart"), Qt::LeftButton);
    ASSERT_TRUE(dialog.isRunning());
    EXPECT_EQ(cancel->text(), QStringLiteral("取消"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.reached.tryAcquire(); }, 30000));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(cancel->text(), QStringLiteral("正在停止…"));
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(dialog.isVisible()); // 取消 stops the batch, not the dialog
    recorder.gate.release();
    ASSERT_TRUE(finished.wait(30000));

    // Lines 2 to 12 were started and are finished; nothing after them was begun.
    const QStringList files =
        QDir(chooser.folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    ASSERT_EQ(files.size(), 11) << files.join(u' ').toStdString();
    for (int i = 1; i <= 11; ++i) {
        const QString name = QStringLiteral("员工%1-2024年5月31日.pdf").arg(i, 2, 10, QChar(u'0'));
        ASSERT_TRUE(files.contains(name)) << name.toStdString();
        EXPECT_EQ(PdfPageCount(QDir(chooser.folder).filePath(name)), 1) << name.toStdString();
    }
    EXPECT_TRUE(
        PdfText(QDir(chooser.folder).filePath(files.last())).contains(QStringLiteral("员工11")));

    auto* summary = child<QLabel>(dialog, "batchSummary");
    EXPECT_TRUE(summary->text().startsWith(
        QStringLiteral("已写入 11 份离职证明；已取消，49 行未写入。保存在 ")))
        << summary->text().toStdString();
    auto* skipped = child<QListWidget>(dialog, "batchSkipped");
    ASSERT_EQ(skipped->count(), 49);
    EXPECT_EQ(skipped->item(0)->text(), QStringLiteral("第 13 行（员工12）：已取消，未写入"));
    EXPECT_EQ(skipped->item(48)->text(), QStringLiteral("第 61 行（员工60）：已取消，未写入"));
    EXPECT_EQ(cancel->text(), QStringLiteral("关闭"));
    EXPECT_TRUE(cancel->isEnabled());
    EXPECT_TRUE(child<QPushButton>(dialog, "batchOpenFolder")->isVisible());
    EXPECT_TRUE(notifier.notices().isEmpty());
}

// A batch asks nothing about wording: every certificate is written, the summary counts those
// with hits and the list names the first fifty with their phrases, the rest counted; each
// one's phrases are in the register with its leaving.
TEST_F(BatchDialogTest, WordingHitsAreCountedListedAndRecordedWithoutAQuestion)
{
    OfficeWordingList kavrisOwnList;
    QByteArray sheet = "姓名,离职日期,离职原因\r\n";
    for (int i = 1; i <= 52; ++i) {
        sheet += QStringLiteral("员工%1,2024/5/31,公司予以辞退\r\n").arg(i).toUtf8();
    }
    sheet += "员工53,2024/5/31,个人原因\r\n";
    writeFile(chooser.sheet, sheet);
    setup.templateText = QStringLiteral("【姓名】因【离职原因】离职。");
    setup.registerPath = dir.filePath(QStringLiteral("kavri_register.db"));
    CBatchDlg dialog(nullptr, setup);
    dialog.show();
    dialog.loadSheet(chooser.sheet);
    QTest::mouseClick(child<QPushButton>(dialog, "batchChooseFolder"), Qt::LeftButton);
    QSignalSpy finished(&dialog, &CBatchDlg::batchFinished);
    QTest::mouseClick(child<QPushButton>(dialog, "batchStart"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(60000));

    EXPECT_TRUE(notifier.notices().isEmpty()) << notifier.texts().join(u'\n').toStdString();
    auto* summary = child<QLabel>(dialog, "batchSummary");
    EXPECT_TRUE(summary->text().startsWith(
        QStringLiteral("已写入 53 份离职证明；52 份有措辞提示（已照写，记入登记簿）。保存在 ")))
        << summary->text().toStdString();
    auto* wording = child<QListWidget>(dialog, "batchWording");
    EXPECT_EQ(wording->accessibleName(), QStringLiteral("有措辞提示的证明"));
    EXPECT_TRUE(wording->isVisible());
    ASSERT_EQ(wording->count(), 51);
    EXPECT_EQ(wording->item(0)->text(),
              QStringLiteral("第 2 行（员工1）：“辞退”：……员工1因公司予以辞退离职。"));
    EXPECT_EQ(wording->item(49)->text(),
              QStringLiteral("第 51 行（员工50）：“辞退”：……员工50因公司予以辞退离职。"));
    EXPECT_EQ(wording->item(50)->text(), QStringLiteral("另有 2 份有措辞提示"));
    EXPECT_FALSE(child<QListWidget>(dialog, "batchSkipped")->isVisible());

    QString error;
    const auto reg = Register::CertificateRegister::open(setup.registerPath, &error);
    ASSERT_TRUE(reg) << error.toStdString();
    const QString year = QString::number(QDate::currentDate().year());
    const auto first = reg->entryByNumber(QStringLiteral("LZ%1-000001").arg(year), &error);
    ASSERT_TRUE(first) << error.toStdString();
    ASSERT_EQ(first->events.size(), 1);
    const auto note = Register::leavingNoteFromDetail(first->events[0].detail);
    ASSERT_TRUE(note) << first->events[0].detail.toStdString();
    EXPECT_EQ(note->wording, QStringList{QStringLiteral("“辞退”：……员工1因公司予以辞退离职。")});
    const auto plain = reg->entryByNumber(QStringLiteral("LZ%1-000053").arg(year), &error);
    ASSERT_TRUE(plain) << error.toStdString();
    ASSERT_EQ(plain->events.size(), 1);
    EXPECT_TRUE(plain->events[0].detail.isEmpty()) << plain->events[0].detail.toStdString();
}

} // namespace
