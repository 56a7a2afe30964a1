// 查验 by scan in the 查验 window: a file chosen through the open-file seam or dropped on the
// window, and the verdict in the report box.
#include "register/RegisterFixture.h"
#include "RecordingNotifier.h"
#include "scan/ScanFixtures.h"

#include "seal/SealFiles.h"
#include "ui/common/OpenFileDialog.h"
#include "ui/register/CVerifyDlg.h"

#include <QAbstractButton>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

namespace {

class FakeOpenFile : public OpenFileDialog::Backend
{
public:
    FakeOpenFile() { OpenFileDialog::setBackend(this); }
    ~FakeOpenFile() override { OpenFileDialog::setBackend(nullptr); }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        filters << filter;
        return answer;
    }
    QString answer;
    QStringList filters;
};

class VerifyScanDialog : public RegisterFixture
{
protected:
    void SetUp() override
    {
        RegisterFixture::SetUp();
        QString error;
        const auto key = Seal::loadOrCreateSealKey(Seal::sealKeyPathBeside(path()), true, &error);
        ASSERT_TRUE(key) << error.toStdString();
        own = *key;
    }

    QString codeFile(const QByteArray& payload)
    {
        const QString file = QDir(dirPath()).filePath(QStringLiteral("扫描件.png"));
        EXPECT_TRUE(ScanTest::codeImage(Seal::encodeQr(payload)).save(file, "PNG"));
        return file;
    }

    Seal::SealKey own;
    RecordingNotifier notifier;
    FakeOpenFile chooser;
};

} // namespace

TEST_F(VerifyScanDialog, AChosenScanIsCheckedAndTheRegisterAsked)
{
    QString issuedText;
    QString error;
    const auto made = reg->addEntry(
        person(QStringLiteral("王小明"), QStringLiteral("11010519491231002X")),
        [&](const QString& number) { return issuedText = ScanTest::certificateText(number); }, &error);
    ASSERT_TRUE(made) << error.toStdString();
    chooser.answer = codeFile(ScanTest::seal(own, ScanTest::values(made->number), issuedText).payload);

    CVerifyDlg dlg(reg.get());
    dlg.setKeyFolder(path());
    auto* scan = dlg.findChild<QAbstractButton*>(QStringLiteral("verifyScanButton"));
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->accessibleName(), QStringLiteral("扫描件查验"));
    QTest::mouseClick(scan, Qt::LeftButton);
    EXPECT_EQ(chooser.filters.value(0),
              QStringLiteral("扫描件或 PDF (*.png *.jpg *.jpeg *.pdf);;所有文件 (*)"));
    const QStringList lines = dlg.report()->toPlainText().split(u'\n');
    EXPECT_EQ(lines.value(0), QStringLiteral("真实：签名有效，由本单位的密钥签署。"));
    EXPECT_TRUE(lines.contains(QStringLiteral("姓名：王小明")));
    EXPECT_EQ(lines.last(), QStringLiteral("本登记簿中的证明 %1（第 1 版）与查验码一致。").arg(made->number));
    EXPECT_EQ(dlg.recorded()->toPlainText(), issuedText.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(notifier.texts().isEmpty());

    // Cancelled: nothing changes.
    chooser.answer.clear();
    QTest::mouseClick(scan, Qt::LeftButton);
    EXPECT_EQ(dlg.report()->toPlainText().split(u'\n').value(0), lines.value(0));
}

TEST_F(VerifyScanDialog, ADroppedFileIsChecked)
{
    QString error;
    const auto stranger = Seal::SealKey::generate(&error);
    ASSERT_TRUE(stranger);
    const QString file =
        codeFile(ScanTest::seal(*stranger, ScanTest::values(), ScanTest::certificateText()).payload);
    CVerifyDlg dlg(reg.get());
    dlg.setKeyFolder(path());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &drop);
    EXPECT_TRUE(dlg.report()->toPlainText().startsWith(QStringLiteral("无法确认：查验码由未知密钥")))
        << dlg.report()->toPlainText().toStdString();

    // Text is not a file.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent notAFile(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    notAFile.setAccepted(false);
    QCoreApplication::sendEvent(&dlg, &notAFile);
    EXPECT_FALSE(notAFile.isAccepted());

    // A file that is no image: one notice.
    dlg.verifyScanFile(QDir(dirPath()).filePath(QStringLiteral("kavri_register.db")));
    EXPECT_EQ(notifier.texts().size(), 1);
    EXPECT_TRUE(notifier.texts().value(0).startsWith(QStringLiteral("无法读取图片"))) << notifier.texts().value(0).toStdString();
}
