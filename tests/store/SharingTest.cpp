#include "LibraryFixture.h"
#include "store/SqlConnection.h"

#include <QCryptographicHash>
#include <QFile>
#include <chrono>
#include <future>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(Sharing, TwoConnectionsToOneFileBothWrite)
{
    TempLibrary library;
    RecordingNotifier notes;
    CDbVisit first;
    CDbVisit second;
    first.m_pConnection = first.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    second.m_pConnection = second.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(first.m_pConnection && second.m_pConnection);
    for (int i = 0; i < 5; ++i) {
        first.AddRecord("company_item_table", "item3", QString("甲%1").arg(i), "item8", "");
        second.AddRecord("company_item_table", "item3", QString("乙%1").arg(i), "item8", "");
    }
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(second.FindRecordId("company_item_table", "item3", QString("甲%1").arg(i)), 0);
        EXPECT_GT(first.FindRecordId("company_item_table", "item3", QString("乙%1").arg(i)), 0);
    }
}

TEST(Sharing, AWriteWaitsForAnotherProgramsLockInsteadOfFailing)
{
    TempLibrary library;
    RecordingNotifier notes;
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    ASSERT_TRUE(db.m_pConnection);

    std::promise<void> locked;
    std::thread other([&library, &locked] {
        QString error;
        auto connection = SqlConnection::open(library.path(), CDbVisit::kPassword, &error);
        connection->execute("BEGIN IMMEDIATE", &error);
        connection->execute("insert into company_item_table (item3) values ('别的程序')", &error);
        locked.set_value();
        // Well inside the busy timeout, long enough for the write below to meet the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        connection->execute("COMMIT", &error);
    });
    locked.get_future().wait();
    db.AddRecord("company_item_table", "item3", "这个程序", "item8", "");
    other.join();
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
    EXPECT_GT(db.FindRecordId("company_item_table", "item3", "别的程序"), 0);
    EXPECT_GT(db.FindRecordId("company_item_table", "item3", "这个程序"), 0);
}

TEST(Sharing, ConnectWaitsForAnotherProgramsExclusiveLock)
{
    TempLibrary library;
    RecordingNotifier notes;
    std::promise<void> locked;
    std::thread other([&library, &locked] {
        QString error;
        auto connection = SqlConnection::open(library.path(), CDbVisit::kPassword, &error);
        connection->execute("BEGIN EXCLUSIVE", &error);
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        connection->execute("COMMIT", &error);
    });
    locked.get_future().wait();
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
    other.join();
    EXPECT_TRUE(db.m_pConnection);
    EXPECT_TRUE(notes.notices().isEmpty()) << notes.texts().join('\n').toStdString();
}

// While alive, the process obeys file modes even when it runs as root (as CI often does): the
// capability to override them is taken out of the effective set and put back afterwards.
class FileModesObeyed
{
public:
    FileModesObeyed()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FileModesObeyed()
    {
        if (m_changed) {
            syscall(SYS_capset, &m_header, m_saved);
        }
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

QByteArray sha256Of(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

TEST(Sharing, ReadOnlyFileReadsButEveryWriteFailsAndNothingIsLost)
{
    TempLibrary library;
    ASSERT_TRUE(QFile::setPermissions(library.path(), QFile::ReadOwner | QFile::ReadUser));
    const QByteArray before = sha256Of(library.path());
    {
        FileModesObeyed obeyed;
        QFile probe(library.path());
        if (probe.open(QIODevice::ReadWrite)) {
            GTEST_SKIP() << "this process can write a read-only file";
        }
        RecordingNotifier notes;
        CDbVisit db;
        db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
        ASSERT_TRUE(db.m_pConnection);
        EXPECT_TRUE(db.m_pConnection->isReadOnly());
        EXPECT_TRUE(notes.notices().isEmpty());

        const int id = db.FindRecordId("company_item_table", "item1", "默认");
        EXPECT_GT(id, 0);
        const QString name = db.GetRecordValue("company_item_table", "item3", id);
        EXPECT_FALSE(name.isEmpty());

        db.SetRecordValue("company_item_table", "item1", "", id);
        db.AddRecord("company_item_table", "item3", "新", "item8", "");
        db.AddItemRecord("company_item_table", 10, QStringList(10), -1);
        db.DeleteRecord("company_item_table", id);
        ASSERT_EQ(notes.notices().size(), 4);
        EXPECT_TRUE(notes.notices()[0].text.startsWith("attempt to write a readonly database"));
        EXPECT_TRUE(notes.notices()[3].text.endsWith(
            QString("delete from company_item_table where itemid=%1").arg(id)));

        EXPECT_EQ(db.FindRecordId("company_item_table", "item1", "默认"), id);
        EXPECT_EQ(db.GetRecordValue("company_item_table", "item3", id), name);
        EXPECT_EQ(db.FindRecordId("company_item_table", "item3", "新"), -1);
    }
    EXPECT_EQ(sha256Of(library.path()), before);
}

} // namespace
