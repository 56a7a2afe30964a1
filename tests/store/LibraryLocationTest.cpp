#include "store/LibraryLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QByteArray kDelivered("delivered library contents\n");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// An executable folder with the delivered file, and an empty place for the user's data.
class LibraryLocation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("bin")));
        exeDir = root.filePath(QStringLiteral("bin"));
        delivered = exeDir + QStringLiteral("/bdsj_conn.dll");
        ASSERT_TRUE(Write(delivered, kDelivered));
        dataDir = root.filePath(QStringLiteral("data/kavri"));
        userCopy = dataDir + QStringLiteral("/bdsj_conn.dll");
    }

    QStringList DataFolderEntries() const
    {
        return QDir(dataDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir root;
    QString exeDir, delivered, dataDir, userCopy;
};
} // namespace

TEST_F(LibraryLocation, WritableFolderUsesTheFileBesideTheExecutable)
{
    EXPECT_EQ(LocateLibraryFile(exeDir, true, dataDir), delivered);
    EXPECT_FALSE(QFileInfo::exists(dataDir)) << "no per-user copy where none is needed";
}

TEST_F(LibraryLocation, WritableFolderWithoutTheFileStillNamesIt)
{
    ASSERT_TRUE(QFile::remove(delivered));
    EXPECT_EQ(LocateLibraryFile(exeDir, true, dataDir), delivered);
    EXPECT_FALSE(QFileInfo::exists(dataDir));
}

TEST_F(LibraryLocation, ReadOnlyFolderMakesAPerUserCopyOnce)
{
    EXPECT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(ReadAll(userCopy), kDelivered);
    EXPECT_EQ(DataFolderEntries(), QStringList{QStringLiteral("bdsj_conn.dll")})
        << "no temporary file is left behind";
    EXPECT_EQ(ReadAll(delivered), kDelivered) << "the delivered file is left alone";
}

TEST_F(LibraryLocation, TheDataFolderIsTheUsersAlone)
{
    ASSERT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(QFileInfo(dataDir).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                   QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
              QFileDevice::Permissions());
    EXPECT_TRUE(QFileInfo(dataDir).permissions() & QFileDevice::ExeOwner);
}

TEST_F(LibraryLocation, PerUserCopyIsNeverOverwritten)
{
    ASSERT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    // The user's libraries change, then a new version of the program is installed.
    ASSERT_TRUE(Write(userCopy, "the user's own entries"));
    ASSERT_TRUE(Write(delivered, "a newer delivered file"));

    EXPECT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(ReadAll(userCopy), QByteArray("the user's own entries"));
}

TEST_F(LibraryLocation, ReadOnlyFolderWithoutDeliveredFileCopiesNothing)
{
    ASSERT_TRUE(QFile::remove(delivered));
    EXPECT_EQ(LocateLibraryFile(exeDir, false, dataDir), delivered);
    EXPECT_FALSE(QFileInfo::exists(userCopy)) << "no empty library may stand in for the real one";
}

TEST_F(LibraryLocation, ExistingPerUserCopyIsUsedEvenWithoutDeliveredFile)
{
    ASSERT_TRUE(QDir().mkpath(dataDir));
    ASSERT_TRUE(Write(userCopy, "kept"));
    ASSERT_TRUE(QFile::remove(delivered));
    EXPECT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(ReadAll(userCopy), QByteArray("kept"));
}

TEST_F(LibraryLocation, LeftoverPartialCopyDoesNotCount)
{
    // A copy interrupted earlier leaves only a temporary name; the real name is made afresh.
    ASSERT_TRUE(QDir().mkpath(dataDir));
    ASSERT_TRUE(Write(dataDir + QStringLiteral("/bdsj_conn.dll.AbCdEf.part"), "half"));
    EXPECT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(ReadAll(userCopy), kDelivered);
}

TEST_F(LibraryLocation, UnusableDataFolderFallsBackToTheDeliveredFile)
{
    // A plain file where the data folder should be: the folder cannot be made.
    const QString blocked = root.filePath(QStringLiteral("blocked"));
    ASSERT_TRUE(Write(blocked, "not a folder"));
    EXPECT_EQ(LocateLibraryFile(exeDir, false, blocked + QStringLiteral("/kavri")), delivered);
}

TEST_F(LibraryLocation, LargeFileIsCopiedWhole)
{
    QByteArray big;
    for (int i = 0; i < 200000; ++i) {
        big.append(char('a' + i % 26));
    }
    ASSERT_TRUE(Write(delivered, big));
    ASSERT_EQ(LocateLibraryFile(exeDir, false, dataDir), userCopy);
    EXPECT_EQ(ReadAll(userCopy), big);
}

TEST(LibraryLocationFolders, WritabilityIsTriedForReal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(IsWritableFolder(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "the probe file is removed";
    EXPECT_FALSE(IsWritableFolder(dir.filePath(QStringLiteral("missing"))));
    // Nothing can be created in /proc, not even by root.
    EXPECT_FALSE(IsWritableFolder(QStringLiteral("/proc")));
}

TEST(LibraryLocationFolders, WritableExecutableFolderDecidesOnItsOwn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(Write(dir.filePath(QStringLiteral("bdsj_conn.dll")), kDelivered));
    EXPECT_EQ(LocateLibraryFile(dir.path(), dir.filePath(QStringLiteral("data"))),
              dir.filePath(QStringLiteral("bdsj_conn.dll")));
}
