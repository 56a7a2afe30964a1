#include "RegisterFixture.h"

#include <QProcess>
#include <QSet>

using ConcurrencyTest = RegisterFixture;

// Two programs issuing at the same moment: every number once, none lost.
TEST_F(ConcurrencyTest, TwoProcessesGetDistinctNumbers)
{
    reg.reset(); // the file and its key exist; both processes open them
    constexpr int kEach = 40;
    QProcess a;
    QProcess b;
    for (QProcess* p : {&a, &b}) {
        p->start(QStringLiteral(KAVRI_ISSUE_HELPER), {path(), QString::number(kEach)});
    }
    QSet<QString> numbers;
    for (QProcess* p : {&a, &b}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList lines =
            QString::fromUtf8(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), kEach);
        for (const QString& n : lines) {
            EXPECT_FALSE(numbers.contains(n)) << "given twice: " << n.toStdString();
            numbers.insert(n);
        }
    }
    EXPECT_EQ(numbers.size(), 2 * kEach);
    EXPECT_TRUE(numbers.contains(QStringLiteral("LZ%1-000001").arg(QDate::currentDate().year())));
    EXPECT_TRUE(numbers.contains(QStringLiteral("LZ%1-000080").arg(QDate::currentDate().year())));
    reopen();
    QString error;
    EXPECT_EQ(reg->count({}, &error), 2 * kEach);
}
