// A second program on the library file, for the tests that need a real other process:
//   library-probe generate FILE COUNT TAG   COUNT Generates' bookkeeping; prints each notice as
//                                           "notice N: ..." (N: the Generate that showed it) and
//                                           then "done <ms of the slowest Generate>"
//   library-probe crash FILE COUNT TAG      as generate, then ends at once without closing the
//                                           library, as a crash or a kill would
//   library-probe hold FILE MS              holds the file under BEGIN EXCLUSIVE for MS ms;
//                                           prints "locked" once it has the lock
// The values come from small pools shared by every copy, so that copies mark and add the same
// entries, and from names of the copy's own (TAG), so that every copy adds rows of its own.
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"
#include "store/StoreFeedback.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace {

// Every notice the data-access object would show, printed with the Generate it came from.
class PrintingFeedback : public StoreFeedback::Backend
{
public:
    int generate = 0;

    void connectFailed(const QString& text) override { print(text); }
    void statementFailed(const QString& text) override { print(text); }
    void busy(bool) override {}

private:
    void print(const QString& text) const
    {
        std::printf("notice %d: %s\n", generate, QString(text).replace('\n', ' ').toUtf8().constData());
        std::fflush(stdout);
    }
};

int generate(const QString& file, int count, const QString& tag, bool crash)
{
    PrintingFeedback notifier;
    StoreFeedback::setBackend(&notifier);
    CDbVisit db;
    db.m_pConnection = db.ConnectAccessDb(file, CDbVisit::kPassword);
    qint64 slowest = 0;
    for (int i = 0; i < count; ++i) {
        // Every third Generate uses a name of this copy's own, first seen here.
        const QString company = i % 3 == 0 ? QStringLiteral("公司%1-%2").arg(tag).arg(i)
                                           : QStringLiteral("共用公司%1").arg(i % 5);
        notifier.generate = i;
        QElapsedTimer timer;
        timer.start();
        db.RememberLibraryValues({
            {QStringLiteral("company_item_table"), company},
            {QStringLiteral("department_item_table"), QStringLiteral("共用部门%1").arg(i % 4)},
            {QStringLiteral("position_item_table"), QStringLiteral("共用职位%1").arg(i % 6)},
            {QStringLiteral("reason_item_bable"), QStringLiteral("共用原因%1").arg(i % 3)},
        });
        slowest = std::max(slowest, timer.elapsed());
    }
    std::printf("done %lld\n", static_cast<long long>(slowest));
    std::fflush(stdout);
    if (crash) {
        std::_Exit(0);
    }
    db.CloseConnection(db.m_pConnection);
    StoreFeedback::setBackend(nullptr);
    return 0;
}

int hold(const QString& file, int ms)
{
    QString error;
    const auto connection = SqlConnection::open(file, CDbVisit::kPassword, &error);
    if (!connection || !connection->execute(QStringLiteral("BEGIN EXCLUSIVE"), &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    QThread::msleep(ms);
    connection->execute(QStringLiteral("COMMIT"), &error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && (args[1] == u"generate" || args[1] == u"crash")) {
        return generate(args[2], args[3].toInt(), args[4], args[1] == u"crash");
    }
    if (args.size() == 4 && args[1] == u"hold") {
        return hold(args[2], args[3].toInt());
    }
    std::fprintf(stderr, "usage: library-probe generate|crash FILE COUNT TAG | hold FILE MS\n");
    return 2;
}
