#include "FakePrinterServices.h"
#include "PdfText.h"
#include "SampleCertificate.h"
#include "ui/print/CMyFrame.h"
#include "ui/print/CMyPreviewView.h"
#include "ui/print/CMyView.h"
#include "print/FontSubstitutions.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

class PreviewFrame : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    void SetUp() override
    {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::darkGreen);
        dialog.setWindowIcon(QIcon(pixmap));
        dialog.setWindowTitle(QStringLiteral("kavri"));
        dialog.show();
        mainWindow = &dialog;
        certText = SampleBody();
    }

    void TearDown() override
    {
        if (frame) {
            delete frame.data();
        }
    }

    CMyFrame* open()
    {
        frame = new CMyFrame(&dialog, &certText);
        // What the application does with the frame: it stands for the program until it says
        // it is closing.
        mainWindow = frame.data();
        QObject::connect(frame, &CMyFrame::previewClosed, &dialog, [this] {
            mainWindow = &dialog;
            ++closings;
        });
        return frame;
    }

    QWidget dialog;
    QPointer<QWidget> mainWindow;
    int closings = 0;
    QString certText;
    QPointer<CMyFrame> frame;
    FakePrinterServices printers;
    QTemporaryDir dir;
};

} // namespace

TEST_F(PreviewFrame, OpensMaximisedInPlaceOfTheDialog)
{
    CMyFrame* f = open();
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("打印预览"));
    EXPECT_EQ(f->windowIcon().pixmap(32).toImage(), dialog.windowIcon().pixmap(32).toImage());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(mainWindow.data(), f);
    ASSERT_NE(f->previewView(), nullptr);
    EXPECT_EQ(f->centralWidget(), f->previewView());
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->previewView()->pageCount() == 1; }));
    ASSERT_NE(f->printAction(), nullptr);
    ASSERT_NE(f->closeAction(), nullptr);
}

TEST_F(PreviewFrame, PreviewPageIsAtPrinterResolution)
{
    CMyFrame* f = open();
    EXPECT_GE(f->view()->printer()->resolution(), 300);
}

TEST_F(PreviewFrame, CloseCommandGivesTheDialogBack)
{
    QSignalSpy lastWindow(qApp, &QGuiApplication::lastWindowClosed);
    open()->closeAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(mainWindow.data(), &dialog);
    EXPECT_EQ(closings, 1);
    // Closing the preview is not the end of the program.
    EXPECT_EQ(lastWindow.count(), 0);
}

TEST_F(PreviewFrame, WindowCloseGivesTheDialogBack)
{
    CMyFrame* f = open();
    // As the window manager's close button or Alt+F4 does it.
    ASSERT_NE(f->windowHandle(), nullptr);
    EXPECT_TRUE(f->windowHandle()->close());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(mainWindow.data(), &dialog);
    EXPECT_EQ(closings, 1);
}

TEST_F(PreviewFrame, ClosePreviewProcClosesLikeTheCommand)
{
    CMyFrame::ClosePreviewProc(open());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(mainWindow.data(), &dialog);
}

TEST_F(PreviewFrame, PrintCommandPrintsThePageAndStaysOpen)
{
    CMyFrame* f = open();
    const QString first = dir.filePath(QStringLiteral("first.pdf"));
    printers.nextOutputFile = first;
    f->printAction()->trigger();
    EXPECT_EQ(printers.dialogsShown, 1);
    ASSERT_TRUE(QFile::exists(first));
    EXPECT_EQ(PdfPageCount(first), 1);
    QString missing;
    const QString text = PdfText(first);
    EXPECT_TRUE(WithoutSpaces(text).startsWith(QStringLiteral("离职证明"))) << text.toStdString();
    EXPECT_TRUE(HoldsLinesInOrder(text, certText, &missing)) << missing.toStdString();
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(dialog.isVisible());

    // Printing again prints the same page again.
    const QString second = dir.filePath(QStringLiteral("second.pdf"));
    printers.nextOutputFile = second;
    f->printAction()->trigger();
    ASSERT_TRUE(QFile::exists(second));
    EXPECT_EQ(PdfText(second), text);
    EXPECT_FALSE(frame.isNull());
}

TEST_F(PreviewFrame, CancelledPrinterDialogPrintsNothing)
{
    CMyFrame* f = open();
    printers.nextOutputFile.clear();
    f->printAction()->trigger();
    EXPECT_EQ(printers.dialogsShown, 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(mainWindow.data(), f);
    EXPECT_EQ(f->previewView()->pageCount(), 1);
}

TEST_F(PreviewFrame, PageIsDrawnFromTheSharedTextAtEveryPass)
{
    CMyFrame* f = open();
    certText = QStringLiteral("\r\n\r\n\r\n后来改过的正文");
    const QString path = dir.filePath(QStringLiteral("changed.pdf"));
    printers.nextOutputFile = path;
    f->printAction()->trigger();
    const QString text = WithoutSpaces(PdfText(path));
    EXPECT_TRUE(text.contains(QStringLiteral("后来改过的正文"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("兹证明")));
}

TEST_F(PreviewFrame, SecondOpeningStartsFresh)
{
    CMyFrame* firstFrame = open();
    QPointer<CMyView> firstView = firstFrame->view();
    firstFrame->closeAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_TRUE(firstView.isNull());

    CMyFrame* second = open();
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(mainWindow.data(), second);
    EXPECT_TRUE(QTest::qWaitFor([&] { return second->previewView()->pageCount() == 1; }));
    second->closeAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.isNull(); }));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PreviewFrame, EmptyTextGivesATitleOnlyPage)
{
    certText.clear();
    CMyFrame* f = open();
    const QString path = dir.filePath(QStringLiteral("empty.pdf"));
    printers.nextOutputFile = path;
    f->printAction()->trigger();
    EXPECT_EQ(WithoutSpaces(PdfText(path)), QStringLiteral("离职证明"));
}
