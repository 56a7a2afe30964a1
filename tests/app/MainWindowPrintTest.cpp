#include "FakePrinterServices.h"
#include "FakeSaveFileDialog.h"
#include "PdfCommand.h"
#include "PdfText.h"
#include "RecordingNotifier.h"
#include "SampleCertificate.h"
#include "TempLibrary.h"
#include "app/CkavriApp.h"
#include "store/CDbVisit.h"
#include "ui/common/CtrlText.h"
#include "ui/controls/LineWidth.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/CMyFrame.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace MainIds;

namespace {

// The real main window on a copy of the delivered library, with printers, file dialog and
// message boxes answered by the test.
class MainWindowPrint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid());
        m_app = CkavriApp::instance();
        m_app->m_strCertText = QStringLiteral("上一次的正文");
        // Built and connected as InitInstance does it.
        m_window =
            std::make_unique<CkavriDlg>(m_app->m_dbVisit, m_app->m_strCertText, m_library.path());
        m_app->ConnectMainWindow(*m_window);
        m_window->OnInitDialog();
        m_app->m_pMainWnd = m_window.get();
        m_notifier.clear(); // whatever start-up had to say is not the printing's business
    }

    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<CMyFrame*>(w)) {
                delete frame;
            }
        }
        m_window->close();
        m_window.reset();
        m_app->m_pMainWnd = nullptr;
        m_app->m_strCertText.clear();
    }

    QPushButton* button(int id) const { return m_window->control<QPushButton>(id); }

    void click(int id)
    {
        QPushButton* b = button(id);
        ASSERT_NE(b, nullptr) << id;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    CMyFrame* openFrame() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<CMyFrame*>(w); frame && frame->isVisible()) {
                return frame;
            }
        }
        return nullptr;
    }

    TempLibrary m_library;
    RecordingNotifier m_notifier;
    FakePrinterServices m_printers;
    FakeSaveFileDialog m_files;
    QTemporaryDir m_dir;
    CkavriApp* m_app = nullptr;
    std::unique_ptr<CkavriDlg> m_window;
};

} // namespace

TEST_F(MainWindowPrint, ExportButtonSitsInTheCommandRowWithoutOverlapping)
{
    QPushButton* exportButton = button(kExportPdf);
    ASSERT_NE(exportButton, nullptr);
    EXPECT_EQ(exportButton->text(), QStringLiteral("导出PDF"));
    EXPECT_TRUE(exportButton->isVisibleTo(m_window.get()));
    for (int id : {kGenerate, kCopyText, kPrintPreview}) {
        ASSERT_NE(button(id), nullptr) << id;
        EXPECT_FALSE(exportButton->geometry().intersects(button(id)->geometry())) << id;
        EXPECT_EQ(exportButton->parentWidget(), button(id)->parentWidget()) << id;
        EXPECT_NEAR(exportButton->geometry().center().y(), button(id)->geometry().center().y(), 4)
            << id;
    }
    EXPECT_GT(exportButton->geometry().left(), button(kGenerate)->geometry().right());
    EXPECT_LT(exportButton->geometry().right(), button(kCopyText)->geometry().left());
}

TEST_F(MainWindowPrint, PrintPreviewWithoutPrinterShowsTheNoticeOnly)
{
    m_printers.defaultPrinter = false;
    SetCtrlText(m_window.get(), kResult, SampleCertificate());
    click(kPrintPreview);
    ASSERT_EQ(m_notifier.notices().size(), 1);
    EXPECT_EQ(m_notifier.notices().first().caption, QStringLiteral("提示"));
    EXPECT_EQ(m_notifier.notices().first().text,
              QStringLiteral("没有默认打印机，或者没有安装打印机！无法执行打印相关操作"));
    EXPECT_EQ(openFrame(), nullptr);
    EXPECT_EQ(m_app->m_strCertText, QStringLiteral("上一次的正文"));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_app->m_pMainWnd.data(), m_window.get());
}

TEST_F(MainWindowPrint, PrintPreviewHandsOverTheBodyAndClosesBackToTheWindow)
{
    SetCtrlText(m_window.get(), kResult, SampleCertificate());
    click(kPrintPreview);
    EXPECT_TRUE(m_notifier.notices().isEmpty());
    EXPECT_EQ(m_app->m_strCertText, SampleBody());
    CMyFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(m_app->m_pMainWnd.data(), frame);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(frame->windowIcon().pixmap(32).toImage(),
              m_window->windowIcon().pixmap(32).toImage());

    frame->closeAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return openFrame() == nullptr; }));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_app->m_pMainWnd.data(), m_window.get());
    // The body stays for the next preview.
    EXPECT_EQ(m_app->m_strCertText, SampleBody());
}

TEST_F(MainWindowPrint, PrintPreviewTakesTheBoxAsEdited)
{
    SetCtrlText(m_window.get(), kResult, QStringLiteral("兹证明张三\r\n特此证明"));
    click(kPrintPreview);
    // The title was edited away: the whole text is the body.
    EXPECT_EQ(m_app->m_strCertText, QStringLiteral("兹证明张三\r\n特此证明"));
    ASSERT_NE(openFrame(), nullptr);
    openFrame()->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return openFrame() == nullptr; }));

    SetCtrlText(m_window.get(), kResult, QString());
    click(kPrintPreview);
    EXPECT_TRUE(m_app->m_strCertText.isEmpty());
}

TEST_F(MainWindowPrint, ExportWritesThePdfUnderTheSuggestedName)
{
    SetCtrlText(m_window.get(), kName, QStringLiteral("张三"));
    SetCtrlText(m_window.get(), kResult, SampleCertificate());
    m_files.answer = m_dir.filePath(QStringLiteral("离职证明-张三.pdf"));
    click(kExportPdf);
    ASSERT_EQ(m_files.suggested.size(), 1);
    EXPECT_TRUE(m_files.suggested.first().endsWith(QStringLiteral("/离职证明-张三.pdf")));
    EXPECT_TRUE(m_notifier.notices().isEmpty());
    ASSERT_TRUE(QFile::exists(m_files.answer));
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(PdfText(m_files.answer), SampleBody(), &missing))
        << missing.toStdString();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(openFrame(), nullptr);
}

TEST_F(MainWindowPrint, ExportToAnUnwritablePlaceSaysSo)
{
    SetCtrlText(m_window.get(), kResult, SampleCertificate());
    m_files.answer = m_dir.filePath(QStringLiteral("无此目录/证明.pdf"));
    click(kExportPdf);
    ASSERT_EQ(m_notifier.notices().size(), 1);
    EXPECT_TRUE(m_notifier.notices().first().text.contains(QStringLiteral("证明.pdf")));
    EXPECT_FALSE(QFile::exists(m_files.answer));
}

TEST_F(MainWindowPrint, CommandLineComposesAtTheResultBoxWidth)
{
    // kavri-cli pdf keeps the width that this box has at the window's default size.
    auto* result = m_window->control<QPlainTextEdit>(kResult);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(MeasureLineWidth(result), PdfCommand::kResultBoxWidth);
}
