// The main window's issuing session: what it records, what it keeps for printing and copying,
// and what it says, once, when the register cannot be used.
#include "RecordingNotifier.h"

#include "issue/StagedFile.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "ui/register/RegisterSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Register;

namespace {

Issue::Request someone(const QString& templateText)
{
    Issue::Request request;
    request.templateName = QStringLiteral("模板");
    request.templateText = templateText;
    request.fields[0] = QStringLiteral("张三");
    return request;
}

const QString kNumbered = QStringLiteral("编号：【证明编号】<br>兹证明【姓名】离职。");
const QString kPlain = QStringLiteral("兹证明【姓名】离职。");

void damage(const QString& path)
{
    {
        QString error;
        ASSERT_TRUE(CertificateRegister::open(path, &error));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, '\x5a'));
}

} // namespace

TEST(RegisterSessionTest, GenerateRecordsAnEntryAndEveryLeaving)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    RegisterSession session(dir.filePath(kRegisterFileName));
    // Before any Generate there is nothing to record against.
    EXPECT_TRUE(session.leave(nullptr, Issue::LeavingKind::Copied, QStringLiteral("早")));
    ASSERT_TRUE(session.issue(nullptr, someone(kNumbered), 20));
    const QString text = session.currentText();
    EXPECT_TRUE(text.contains(QStringLiteral("编号：LZ"))) << text.toStdString();
    ASSERT_NE(session.currentEntry(), 0);
    EXPECT_TRUE(session.leave(nullptr, Issue::LeavingKind::Copied, text));
    EXPECT_TRUE(session.leave(nullptr, Issue::LeavingKind::Printed, text + QStringLiteral("改")));
    QString error;
    const auto e = session.reg(nullptr)->entry(session.currentEntry(), &error);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->events.size(), 2);
    EXPECT_EQ(e->versions.size(), 2);
    EXPECT_EQ(e->summary.name, QStringLiteral("张三"));
    EXPECT_EQ(session.reg(nullptr)->count({}, &error), 1);
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST(RegisterSessionTest, TheKeptCertificateFollowsTheUsersEditsAndAFailedGenerateKeepsIt)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    RegisterSession session(dir.filePath(kRegisterFileName));
    ASSERT_TRUE(session.issue(nullptr, someone(kPlain), 20));
    const qint64 first = session.currentEntry();
    session.setCurrentText(session.currentText() + QStringLiteral("（改）"));

    // A contract that ends before it starts makes nothing: the edited certificate stays.
    Issue::Request bad = someone(QStringLiteral("【合同期限】") + kPlain);
    bad.dates.contractStart = QDate(2024, 5, 1);
    bad.dates.contractEnd = QDate(2023, 5, 1);
    EXPECT_FALSE(session.issue(nullptr, bad, 20));
    ASSERT_EQ(notifier.texts(), (QStringList{QStringLiteral(
                                    "合同终止日期早于起始日期，请改正后再生成离职证明。")}));
    EXPECT_EQ(session.currentEntry(), first);
    EXPECT_TRUE(session.currentText().endsWith(QStringLiteral("（改）")));
}

TEST(RegisterSessionTest, ADamagedRegisterIsReportedOnceAndAPlainTemplateIsStillMade)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kRegisterFileName);
    damage(path);

    RecordingNotifier notifier;
    RegisterSession session(path);
    ASSERT_TRUE(session.issue(nullptr, someone(kPlain), 20));
    EXPECT_TRUE(session.currentText().endsWith(QStringLiteral("兹证明张三离职。")));
    ASSERT_TRUE(session.issue(nullptr, someone(kPlain), 20));
    EXPECT_TRUE(session.leave(nullptr, Issue::LeavingKind::Copied, QStringLiteral("x")));
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_TRUE(notifier.notices()[0].text.startsWith(QStringLiteral("无法打开出具登记簿")));
    EXPECT_TRUE(notifier.notices()[0].text.endsWith(QStringLiteral("\n证明照常生成，但本次不登记。")));
    EXPECT_EQ(session.currentEntry(), 0);
}

TEST(RegisterSessionTest, ADamagedRegisterRefusesATemplateThatPrintsTheNumberEveryTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kRegisterFileName);
    damage(path);

    RecordingNotifier notifier;
    RegisterSession session(path);
    EXPECT_FALSE(session.issue(nullptr, someone(kNumbered), 20));
    EXPECT_FALSE(session.issue(nullptr, someone(kNumbered), 20));
    EXPECT_TRUE(session.currentText().isEmpty());
    ASSERT_EQ(notifier.notices().size(), 2);
    for (const Notifier::Notice& n : notifier.notices()) {
        EXPECT_TRUE(n.text.endsWith(
            QStringLiteral("模板中有【证明编号】，登记簿无法使用时不能生成离职证明。")))
            << n.text.toStdString();
    }
}

TEST(RegisterSessionTest, AnExportedFileIsPutInPlaceOnlyWithItsRecord)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    RegisterSession session(dir.filePath(kRegisterFileName));
    ASSERT_TRUE(session.issue(nullptr, someone(kNumbered), 20));
    const QString target = dir.filePath(QStringLiteral("张三.pdf"));
    StagedFile file(target);
    QString error;
    ASSERT_TRUE(file.write(
        [](QFile& device, QString*) { return device.write("%PDF-1.4\n") > 0; }, &error));
    EXPECT_FALSE(QFileInfo::exists(target));
    ASSERT_TRUE(session.leave(nullptr, Issue::LeavingKind::Pdf, session.currentText(), &file));
    EXPECT_TRUE(QFileInfo::exists(target));
    const auto e = session.reg(nullptr)->entry(session.currentEntry(), &error);
    ASSERT_TRUE(e);
    ASSERT_EQ(e->events.size(), 1);
    EXPECT_EQ(e->events[0].kind, EventKind::PdfExported);
    EXPECT_TRUE(notifier.notices().isEmpty());
}
