#include "ui/print/PrintCommands.h"
#include "FakePrinterServices.h"
#include "FakeSaveFileDialog.h"
#include "PdfText.h"
#include "RecordingNotifier.h"
#include "SampleCertificate.h"
#include "print/FontSubstitutions.h"
#include "ui/print/CMyFrame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PrintCommandsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    void SetUp() override { dialog.show(); }

    void TearDown() override
    {
        if (frame) {
            delete frame.data();
        }
    }

    QWidget dialog;
    QString certText = QStringLiteral("上一次的正文");
    QPointer<CMyFrame> frame;
    RecordingNotifier notifier;
    FakePrinterServices printers;
    FakeSaveFileDialog files;
    QTemporaryDir dir;
};

} // namespace

TEST_F(PrintCommandsTest, NoDefaultPrinterGivesTheNoticeAndNothingElse)
{
    printers.defaultPrinter = false;
    frame = PrintCommands::OpenPrintPreview(&dialog, SampleCertificate(), &certText);
    EXPECT_TRUE(frame.isNull());
    ASSERT_EQ(notifier.notices().size(), 1);
    const auto& notice = notifier.notices().first();
    EXPECT_EQ(notice.caption, QStringLiteral("提示"));
    EXPECT_EQ(notice.text,
              QStringLiteral("没有默认打印机，或者没有安装打印机！无法执行打印相关操作"));
    EXPECT_EQ(notice.icon, Notifier::Icon::Information);
    EXPECT_EQ(certText, QStringLiteral("上一次的正文"));
    EXPECT_TRUE(dialog.isVisible());
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<CMyFrame*>(w), nullptr);
    }
}

TEST_F(PrintCommandsTest, PreviewTakesTheBodyAndOpensTheFrame)
{
    frame = PrintCommands::OpenPrintPreview(&dialog, SampleCertificate(), &certText);
    ASSERT_FALSE(frame.isNull());
    EXPECT_TRUE(notifier.notices().isEmpty());
    EXPECT_EQ(certText, SampleBody());
    EXPECT_TRUE(certText.startsWith(QStringLiteral("\r\n\r\n\r\n")));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PrintCommandsTest, PreviewOfAnEmptyBoxHandsOverAnEmptyBody)
{
    frame = PrintCommands::OpenPrintPreview(&dialog, QString(), &certText);
    ASSERT_FALSE(frame.isNull());
    EXPECT_TRUE(certText.isEmpty());
}

// Points HOME at a fresh folder for one test, and puts the old one back.
class TemporaryHome
{
public:
    TemporaryHome() : m_home(qgetenv("HOME")), m_config(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", m_dir.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~TemporaryHome()
    {
        qputenv("HOME", m_home);
        if (m_config.isEmpty()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", m_config);
        }
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_config;
};

TEST_F(PrintCommandsTest, SuggestedFileIsNamedForThePersonInTheDocumentsFolder)
{
    TemporaryHome home;
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    const QString documents = home.path() + QStringLiteral("/Documents");
    EXPECT_EQ(PrintCommands::SuggestedPdfPath(QStringLiteral("张三")),
              documents + QStringLiteral("/离职证明-张三.pdf"));
    EXPECT_EQ(PrintCommands::SuggestedPdfPath(QStringLiteral(" ")),
              documents + QStringLiteral("/离职证明.pdf"));
    EXPECT_EQ(QFileInfo(PrintCommands::SuggestedPdfPath(QStringLiteral("a/../b"))).fileName(),
              QStringLiteral("离职证明-a_.._b.pdf"));
}

TEST_F(PrintCommandsTest, SuggestionIsAnAbsolutePathInAFolderThatExists)
{
    TemporaryHome home;
    // An account without a documents folder: the home folder itself.
    const QString withoutDocuments = PrintCommands::SuggestedPdfPath(QStringLiteral("张三"));
    EXPECT_EQ(withoutDocuments, home.path() + QStringLiteral("/离职证明-张三.pdf"));
    EXPECT_TRUE(withoutDocuments.startsWith(u'/'));

    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(PrintCommands::SuggestedPdfPath(QString()),
              home.path() + QStringLiteral("/Documents/离职证明.pdf"));
}

TEST_F(PrintCommandsTest, ExportOnAnAccountWithoutDocumentsSuggestsTheHomeFolder)
{
    TemporaryHome home;
    files.answer = QDir(home.path()).filePath(QStringLiteral("离职证明-张三.pdf"));
    EXPECT_TRUE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    ASSERT_EQ(files.suggested.size(), 1);
    EXPECT_EQ(files.suggested.first(), files.answer);
    EXPECT_TRUE(QFile::exists(files.answer));
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST_F(PrintCommandsTest, ExportWritesThePageWhereTheUserChose)
{
    files.answer = dir.filePath(QStringLiteral("证明.pdf"));
    EXPECT_TRUE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    ASSERT_EQ(files.suggested.size(), 1);
    EXPECT_TRUE(files.suggested.first().endsWith(QStringLiteral("/离职证明-张三.pdf")));
    EXPECT_EQ(files.captions.first(), QStringLiteral("导出PDF"));
    EXPECT_TRUE(files.filters.first().contains(QStringLiteral("*.pdf")));
    EXPECT_TRUE(notifier.notices().isEmpty());
    EXPECT_EQ(PdfPageCount(files.answer), 1);
    const QString text = PdfText(files.answer);
    EXPECT_EQ(WithoutSpaces(text).count(QStringLiteral("离职证明")), 1);
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(text, SampleBody(), &missing)) << missing.toStdString();
    // Exporting needs no printer and leaves the window as it was.
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PrintCommandsTest, ExportOffersOfdBesidePdfAndWritesItForAnOfdName)
{
    files.answer = dir.filePath(QStringLiteral("证明.OFD"));
    const CertificateOfdInfo info{
        QStringLiteral("示例公司"), {QStringLiteral("LZ2026-000007")}, {}};
    const std::optional<PrintCommands::ExportFormat> format =
        PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三"), info);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(*format, PrintCommands::ExportFormat::Ofd);
    EXPECT_EQ(files.filters.first(), QStringLiteral("PDF 文件 (*.pdf);;OFD 文件 (*.ofd)"));
    // The suggestion stays a PDF: choosing OFD is the user's.
    EXPECT_TRUE(files.suggested.first().endsWith(QStringLiteral(".pdf")));
    EXPECT_TRUE(notifier.notices().isEmpty());
    QFile written(files.answer);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(4) == QByteArrayLiteral("PK\x03\x04")); // a zip package
    EXPECT_EQ(PrintCommands::ExportFormatOf(QStringLiteral("a.pdf")),
              PrintCommands::ExportFormat::Pdf);
    EXPECT_EQ(PrintCommands::ExportFormatOf(QStringLiteral("a.ofd.pdf")),
              PrintCommands::ExportFormat::Pdf);
    EXPECT_EQ(PrintCommands::ExportFormatOf(QStringLiteral("a")), PrintCommands::ExportFormat::Pdf);
}

TEST_F(PrintCommandsTest, AnOfdThatCannotBeWrittenGetsANoticeAndReportsNothingWritten)
{
    files.answer = dir.filePath(QStringLiteral("没有这个文件夹/证明.ofd"));
    EXPECT_FALSE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_TRUE(notifier.notices().first().text.contains(QDir::toNativeSeparators(files.answer)));
}

TEST_F(PrintCommandsTest, ExportWorksWithoutAnyPrinter)
{
    printers.defaultPrinter = false;
    files.answer = dir.filePath(QStringLiteral("无打印机.pdf"));
    EXPECT_TRUE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    EXPECT_TRUE(QFile::exists(files.answer));
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST_F(PrintCommandsTest, CancelledExportWritesNothingAndSaysNothing)
{
    files.answer.clear();
    EXPECT_FALSE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    EXPECT_EQ(files.suggested.size(), 1);
    EXPECT_TRUE(notifier.notices().isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(PrintCommandsTest, UnwritableFileGetsANoticeNamingIt)
{
    files.answer = dir.filePath(QStringLiteral("没有这个文件夹/证明.pdf"));
    EXPECT_FALSE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_EQ(notifier.notices().first().caption, QStringLiteral("提示"));
    EXPECT_TRUE(notifier.notices().first().text.contains(QDir::toNativeSeparators(files.answer)))
        << notifier.notices().first().text.toStdString();
    EXPECT_FALSE(QFile::exists(files.answer));
}

TEST_F(PrintCommandsTest, FailedRenameLeavesNoHalfWrittenFile)
{
    // The page is written but cannot take the name: no temporary file is left beside it.
    files.answer = dir.filePath(QStringLiteral("busy.pdf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("busy.pdf")));
    EXPECT_FALSE(PrintCommands::ExportPdf(&dialog, SampleCertificate(), QStringLiteral("张三")));
    EXPECT_EQ(notifier.notices().size(), 1);
    EXPECT_TRUE(QFileInfo(files.answer).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("busy.pdf")});
}
