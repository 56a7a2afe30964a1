// Every certificate leaves kavri through the issuer: a file appears only together with the
// register's record of it, and neither when either fails.
#include "IssueFixture.h"
#include "RegisterLock.h"

#include "issue/StagedFile.h"

#include <QFile>

namespace {

using Issue::LeavingKind;

const QString kTemplate = QStringLiteral("编号【证明编号】<br>兹证明【姓名】离职。");

bool writeBytes(StagedFile& file, const QByteArray& bytes)
{
    QString error;
    return file.write([&bytes](QFile& device, QString*) { return device.write(bytes) == bytes.size(); },
                      &error);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

class LeavingTest : public IssueFixture
{
protected:
    // Files still waiting under a temporary name.
    QStringList stagedFiles() const { return files().filter(QStringLiteral(".part")); }

    Issue::Issued issueOne(const QString& name)
    {
        Issue::Request request = TypedRequest(kTemplate);
        request.fields[0] = name;
        Issue::Issued issued = issuer.issue(request, 30);
        EXPECT_TRUE(issued.made());
        return issued;
    }
};

TEST_F(LeavingTest, AStagedFileIsInvisibleUntilPlacedAndGoesWhenNeverPlaced)
{
    const QString target = path(QStringLiteral("张三.pdf"));
    {
        StagedFile file(target);
        ASSERT_TRUE(writeBytes(file, "第一份"));
        EXPECT_TRUE(file.isStaged());
        EXPECT_FALSE(QFileInfo::exists(target));
        EXPECT_EQ(stagedFiles().size(), 1);
        EXPECT_TRUE(QFileInfo::exists(file.stagedPath()));
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(stagedFiles().isEmpty());

    // Placed, it replaces what stood under the name.
    StagedFile second(target);
    ASSERT_TRUE(writeBytes(second, "第二份"));
    QString error;
    ASSERT_TRUE(second.place(&error)) << error.toStdString();
    EXPECT_EQ(contentOf(target), QByteArray("第二份"));
    StagedFile third(target);
    ASSERT_TRUE(writeBytes(third, "第三份"));
    ASSERT_TRUE(third.place(&error));
    EXPECT_EQ(contentOf(target), QByteArray("第三份"));
}

TEST_F(LeavingTest, APdfLeavesWithItsRecordAndTheEntryIsIssued)
{
    const Issue::Issued issued = issueOne(QStringLiteral("张三"));
    StagedFile file(path(QStringLiteral("张三.pdf")));
    ASSERT_TRUE(writeBytes(file, "%PDF"));
    const Issue::Left left = issuer.leave(issued.entryId, LeavingKind::Pdf, issued.text, &file);
    ASSERT_TRUE(left) << left.error.toStdString();
    EXPECT_EQ(contentOf(path(QStringLiteral("张三.pdf"))), QByteArray("%PDF"));
    const Register::Entry e = entries().value(0);
    EXPECT_TRUE(e.summary.issued);
    ASSERT_EQ(e.events.size(), 1);
    EXPECT_EQ(e.events[0].kind, Register::EventKind::PdfExported);

    // Printed and copied leave without a file, recorded all the same.
    ASSERT_TRUE(issuer.leave(issued.entryId, LeavingKind::Printed, issued.text));
    ASSERT_TRUE(issuer.leave(issued.entryId, LeavingKind::Copied, issued.text));
    EXPECT_EQ(entries().value(0).events.size(), 3);
}

TEST_F(LeavingTest, AFileThatCannotBePutInPlaceLeavesTheEntryADraftAndNoFile)
{
    const Issue::Issued issued = issueOne(QStringLiteral("张三"));
    // A folder that holds a file stands at the target: the rename onto it is refused.
    const QString target = path(QStringLiteral("张三.pdf"));
    ASSERT_TRUE(QDir().mkpath(target));
    QFile keep(target + QStringLiteral("/keep"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.close();
    StagedFile file(target);
    ASSERT_TRUE(writeBytes(file, "%PDF"));
    const Issue::Left left = issuer.leave(issued.entryId, LeavingKind::Pdf, issued.text, &file);
    EXPECT_FALSE(left);
    EXPECT_FALSE(left.registerFailed);
    EXPECT_TRUE(left.error.startsWith(
        QStringLiteral("无法写入文件“%1”：").arg(QDir::toNativeSeparators(target))))
        << left.error.toStdString();
    EXPECT_FALSE(left.reason.isEmpty());
    const Register::Entry e = entries().value(0);
    EXPECT_FALSE(e.summary.issued);
    EXPECT_TRUE(e.events.isEmpty());
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_TRUE(stagedFiles().isEmpty());
}

TEST_F(LeavingTest, ARegisterThatIsLockedKeepsTheFileBackAndSaysSo)
{
    const Issue::Issued issued = issueOne(QStringLiteral("张三"));
    StagedFile file(path(QStringLiteral("张三.pdf")));
    ASSERT_TRUE(writeBytes(file, "%PDF"));
    RegisterLock lock(registerPath());
    ASSERT_TRUE(lock.take());
    const Issue::Left left = issuer.leave(issued.entryId, LeavingKind::Pdf, issued.text, &file);
    lock.release();
    EXPECT_FALSE(left);
    EXPECT_TRUE(left.registerFailed);
    EXPECT_TRUE(left.error.startsWith(QStringLiteral("登记簿记录导出PDF失败："))) << left.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("张三.pdf"))));
    EXPECT_TRUE(stagedFiles().isEmpty());
    EXPECT_FALSE(entries().value(0).summary.issued);
}

TEST_F(LeavingTest, ThePagesOfOneFileAreRecordedTogetherOrNotAtAll)
{
    const Issue::Issued a = issueOne(QStringLiteral("张三"));
    const Issue::Issued b = issueOne(QStringLiteral("李四"));
    const QList<Issue::CertificateIssuer::Page> pages = {{a.entryId, a.text, {}},
                                                         {b.entryId, b.text, {}}};

    // The rename fails: neither page is recorded.
    const QString blocked = path(QStringLiteral("全部.pdf"));
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    StagedFile first(blocked);
    ASSERT_TRUE(writeBytes(first, "%PDF"));
    EXPECT_FALSE(issuer.leaveTogether(pages, LeavingKind::Batch, &first));
    for (const Register::Entry& e : entries()) {
        EXPECT_FALSE(e.summary.issued) << e.summary.name.toStdString();
    }

    StagedFile second(path(QStringLiteral("合并.pdf")));
    ASSERT_TRUE(writeBytes(second, "%PDF"));
    ASSERT_TRUE(issuer.leaveTogether(pages, LeavingKind::Batch, &second));
    for (const Register::Entry& e : entries()) {
        EXPECT_TRUE(e.summary.issued) << e.summary.name.toStdString();
        EXPECT_EQ(e.events.size(), 1);
    }
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("合并.pdf"))));
}

TEST_F(LeavingTest, EachPageKeepsItsOwnNoteWithItsEvent)
{
    const Issue::Issued a = issueOne(QStringLiteral("张三"));
    const Issue::Issued b = issueOne(QStringLiteral("李四"));
    Register::LeavingNote noted{QStringLiteral("U0VBTA=="), {QStringLiteral("……予以辞退。")}};
    StagedFile file(path(QStringLiteral("合并.pdf")));
    ASSERT_TRUE(writeBytes(file, "%PDF"));
    ASSERT_TRUE(issuer.leaveTogether({{a.entryId, a.text, noted}, {b.entryId, b.text, {}}},
                                     LeavingKind::Batch, &file));
    ASSERT_TRUE(issuer.leave(a.entryId, LeavingKind::Printed, a.text));

    const QList<Register::Entry> all = entries();
    ASSERT_EQ(all.size(), 2);
    for (const Register::Entry& e : all) {
        SCOPED_TRACE(e.summary.name.toStdString());
        const bool first = e.summary.name == QStringLiteral("张三");
        ASSERT_EQ(e.events.size(), first ? 2 : 1);
        EXPECT_EQ(Register::leavingNoteFromDetail(e.events[0].detail),
                  first ? noted : Register::LeavingNote{});
        // A leaving without a note stores what it always did.
        EXPECT_TRUE(e.events.back().detail.isEmpty());
    }
}

TEST_F(LeavingTest, WithoutAnEntryTheFileIsSimplyPutInPlace)
{
    issuer.setRegisterUse(Issue::RegisterUse::None);
    StagedFile file(path(QStringLiteral("无编号.pdf")));
    ASSERT_TRUE(writeBytes(file, "%PDF"));
    ASSERT_TRUE(issuer.leave(0, LeavingKind::Pdf, QStringLiteral("文本"), &file));
    EXPECT_EQ(contentOf(path(QStringLiteral("无编号.pdf"))), QByteArray("%PDF"));
    EXPECT_TRUE(entries().isEmpty());
}

} // namespace
