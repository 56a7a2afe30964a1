#include "RecordingNotifier.h"

#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "ui/register/RegisterSession.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Register;

namespace {
QString composeWith(const QString& number)
{
    return QStringLiteral("离职证明\r\n编号：") + number + QStringLiteral("\r\n");
}
NewEntry someone()
{
    NewEntry e;
    e.templateName = QStringLiteral("模板");
    e.values = {{QStringLiteral("姓名"), QStringLiteral("张三")}};
    return e;
}
} // namespace

TEST(RegisterSessionTest, GenerateRecordsAnEntryAndEveryLeaving)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    RegisterSession session(dir.filePath(kRegisterFileName));
    session.recordLeaving(nullptr, EventKind::Copied, QStringLiteral("before any Generate"));
    const QString text = session.issue(nullptr, someone(), composeWith);
    EXPECT_TRUE(text.startsWith(QStringLiteral("离职证明\r\n编号：LZ")));
    ASSERT_NE(session.currentEntry(), 0);
    session.recordLeaving(nullptr, EventKind::Copied, text);
    session.recordLeaving(nullptr, EventKind::Printed, text + QStringLiteral("改"));
    QString error;
    const auto e = session.reg(nullptr)->entry(session.currentEntry(), &error);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->events.size(), 2);
    EXPECT_EQ(e->versions.size(), 2);
    EXPECT_EQ(session.reg(nullptr)->count({}, &error), 1);
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST(RegisterSessionTest, ADamagedRegisterIsReportedOnceAndIssuingGoesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kRegisterFileName);
    {
        QString error;
        ASSERT_TRUE(CertificateRegister::open(path, &error));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, '\x5a'));
    f.close();

    RecordingNotifier notifier;
    RegisterSession session(path);
    EXPECT_EQ(session.issue(nullptr, someone(), composeWith),
              QStringLiteral("离职证明\r\n编号：\r\n"));
    EXPECT_EQ(session.issue(nullptr, someone(), composeWith),
              QStringLiteral("离职证明\r\n编号：\r\n"));
    session.recordLeaving(nullptr, EventKind::Copied, QStringLiteral("x"));
    ASSERT_EQ(notifier.notices().size(), 1);
    EXPECT_TRUE(notifier.notices()[0].text.startsWith(QStringLiteral("无法打开出具登记簿")));
    EXPECT_TRUE(notifier.notices()[0].text.contains(QStringLiteral("证明照常生成")));
    EXPECT_EQ(session.currentEntry(), 0);
}
