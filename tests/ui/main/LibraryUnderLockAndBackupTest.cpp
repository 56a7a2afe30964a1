// The main window with the library locked by another program, and its backup and restore
// commands in the context menu.
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "ui/common/OpenFileDialog.h"
#include "ui/common/SaveFileDialog.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "ui/common/CtrlText.h"
#include "ui/main/LibraryBackupActions.h"
#include "ui/main/MainDialogIds.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace MainIds;

namespace {

class FixedFileDialogs : public SaveFileDialog::Backend, public OpenFileDialog::Backend
{
public:
    FixedFileDialogs()
    {
        SaveFileDialog::setBackend(this);
        OpenFileDialog::setBackend(this);
    }
    ~FixedFileDialogs() override
    {
        SaveFileDialog::setBackend(nullptr);
        OpenFileDialog::setBackend(nullptr);
    }
    QString getSaveFileName(QWidget*, const QString&, const QString& suggestedPath,
                            const QString&) override
    {
        suggested = suggestedPath;
        return answer;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return answer;
    }

    QString answer;
    QString suggested;
};

class LibraryWindowTest : public MainWindowFixture
{
protected:
    QStringList companies()
    {
        CDbVisit db;
        db.m_pConnection = db.ConnectAccessDb(m_library.path(), CDbVisit::kPassword);
        QStringList names;
        auto records = db.ExecuteSql("select item3 from company_item_table order by itemid");
        for (; records && !records->isEof(); records->moveNext()) {
            names.append(records->collect("item3"));
        }
        return names;
    }

    TempLibrary m_library;
    QTemporaryDir m_elsewhere;
};

TEST_F(LibraryWindowTest, GenerateOnALockedLibraryShowsOneMessageAndStillComposes)
{
    CkavriDlg* window = openWindow(m_library.path());
    ASSERT_TRUE(m_notifier.notices().isEmpty());
    QProcess holder;
    holder.start(KAVRI_LIBRARY_PROBE, {"hold", m_library.path(), "60000"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));

    window->control<QComboBox>(kCompany)->setEditText("锁住时的公司");
    window->control<QComboBox>(kDepartment)->setEditText("锁住时的部门");
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    holder.kill();
    holder.waitForFinished(10000);

    ASSERT_EQ(m_notifier.notices().size(), 1) << m_notifier.texts().join('\n').toStdString();
    EXPECT_EQ(m_notifier.notices()[0].text,
              SqlConnection::kLocked + "select top 1 * from company_item_table where item1='默认'");
    EXPECT_TRUE(GetCtrlText(window, kResult).contains("离职证明"));
    EXPECT_FALSE(companies().contains("锁住时的公司"));
}

TEST_F(LibraryWindowTest, ContextMenuOffersBackupAndRestoreAfterTheAboutBox)
{
    CkavriDlg* window = openWindow(m_library.path());
    QStringList texts;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) {
                texts.append(action->text());
            }
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            window->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(window, &event);
    // The about box, then the two library commands right after it.
    const qsizetype about = texts.indexOf("关于 kavri(&A)...");
    ASSERT_GE(about, 0) << texts.join(' ').toStdString();
    EXPECT_EQ(texts.mid(about), QStringList({"关于 kavri(&A)...", "备份资料库", "恢复资料库"}));
}

TEST_F(LibraryWindowTest, BackupThenRestoreFromTheMenu)
{
    CkavriDlg* window = openWindow(m_library.path());
    FixedFileDialogs dialogs;
    dialogs.answer = m_elsewhere.filePath("备份.dll");
    window->backupActions()->backupAction()->trigger();
    ASSERT_EQ(m_notifier.texts(), QStringList{"资料库已备份到 " + dialogs.answer + "。"});
    EXPECT_TRUE(QFileInfo(dialogs.suggested).isAbsolute());
    EXPECT_TRUE(QFileInfo(dialogs.suggested).dir().exists()) << dialogs.suggested.toStdString();
    EXPECT_TRUE(dialogs.suggested.endsWith(".zip"));

    window->control<QComboBox>(kCompany)->setEditText("备份之后的公司");
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    ASSERT_TRUE(companies().contains("备份之后的公司"));

    // Declined: nothing happens.
    m_notifier.clear();
    m_notifier.queueAnswer(Notifier::Answer::No);
    window->backupActions()->restoreAction()->trigger();
    ASSERT_EQ(m_notifier.notices().size(), 1);
    EXPECT_TRUE(companies().contains("备份之后的公司"));

    m_notifier.clear();
    m_notifier.queueAnswer(Notifier::Answer::Yes);
    window->backupActions()->restoreAction()->trigger();
    ASSERT_EQ(m_notifier.notices().size(), 2) << m_notifier.texts().join('\n').toStdString();
    EXPECT_TRUE(m_notifier.notices()[1].text.startsWith("资料库已从 " + dialogs.answer + " 恢复。"))
        << m_notifier.notices()[1].text.toStdString();
    EXPECT_TRUE(m_notifier.notices()[1].text.endsWith("下次启动时，各列表显示恢复后的内容。"));
    EXPECT_FALSE(companies().contains("备份之后的公司"));

    // The window's own connection carries on with the restored library.
    m_notifier.clear();
    window->control<QComboBox>(kCompany)->setEditText("恢复之后的公司");
    QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    EXPECT_TRUE(companies().contains("恢复之后的公司"));

    // Generate made the register beside the library: the next backup holds it too.
    dialogs.answer = m_elsewhere.filePath("备份2.zip");
    window->backupActions()->backupAction()->trigger();
    ASSERT_EQ(m_notifier.texts(),
              QStringList{"资料库已备份到 " + dialogs.answer +
                          "。出具登记簿及其密钥已一并备份，请妥善保管备份文件。"});

    // Cancelled dialogs do nothing at all.
    m_notifier.clear();
    dialogs.answer.clear();
    window->backupActions()->backupAction()->trigger();
    window->backupActions()->restoreAction()->trigger();
    EXPECT_TRUE(m_notifier.notices().isEmpty());
}

} // namespace
