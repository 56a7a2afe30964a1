// Many clerks against one team server: each client does what a Generate does on a team library
// again and again: the bookkeeping of four libraries (one transaction) and the register entry
// with its number (on the register's own connection, as in the program: the reservation, the
// entry, the link into the chain). Prints the latency of a Generate (and of its bookkeeping
// alone) and then checks what the server holds: exactly one default per library, every value
// used present exactly once, register numbers unique and without gaps, and the register's audit
// intact.
//
//   kavri_pg_load [--clients N] [--generates M] [--fsync on|off] [--conninfo TEXT [--init]]
//
// Without --conninfo it starts a private cluster of its own with a real server's durability:
// fsync and synchronous_commit on (--fsync off for comparison), so that every commit of a
// Generate waits for this machine's disk. --init sets up the tables in the (empty) database that
// --conninfo names.
#include "PgTestCluster.h"

#include "register/CertificateNumber.h"
#include "register/CertificateRegister.h"
#include "register/PgRegisterStorage.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgLibraryStore.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

#include <QCoreApplication>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace {

const QStringList kLibraries{
    QStringLiteral("company_item_table"), QStringLiteral("department_item_table"),
    QStringLiteral("position_item_table"), QStringLiteral("reason_item_bable")};

struct ClientResult
{
    std::vector<double> latenciesMs;
    std::vector<double> bookkeepingMs;
    std::map<int, std::vector<int>> seqsByYear;
    QList<QSet<QString>> used{QSet<QString>(), QSet<QString>(), QSet<QString>(), QSet<QString>()};
    int failures = 0;
    QString firstError;
};

void runClient(const QString& conninfo, int client, int generates, ClientResult* result)
{
    QString error;
    const auto connection = PgConnection::open(conninfo, &error);
    auto storage = connection ? Register::PgRegisterStorage::open(conninfo, &error) : nullptr;
    if (!connection || !storage) {
        result->failures = generates;
        result->firstError = error;
        return;
    }
    Register::CertificateRegister reg(std::move(storage));
    std::mt19937 random(1000 + client);
    std::uniform_int_distribution<int> pick(0, 39);
    for (int i = 0; i < generates; ++i) {
        QList<PgLibraryStore::LibraryValue> values;
        for (int lib = 0; lib < kLibraries.size(); ++lib) {
            // A pool of 40 names per library: early Generates add, later ones mostly re-mark;
            // a quote in some names goes through the doubling.
            const int n = pick(random);
            const QString value = n % 7 == 0 ? QStringLiteral("O'值%1-%2").arg(lib).arg(n)
                                             : QStringLiteral("值%1-%2").arg(lib).arg(n);
            values.append({kLibraries.at(lib), value});
            result->used[lib].insert(value);
        }
        Register::NewEntry entry;
        entry.templateName = QStringLiteral("负载模板");
        entry.templateText = QStringLiteral("【姓名】【证明编号】");
        entry.values = {{QStringLiteral("姓名"), QStringLiteral("客户%1-%2").arg(client).arg(i)},
                        {QStringLiteral("公司名称"), values.first().value}};
        const auto start = std::chrono::steady_clock::now();
        const auto outcome = PgLibraryStore::remember(*connection, values, 0);
        const auto kept = std::chrono::steady_clock::now();
        const auto made = outcome.ok
                              ? reg.addEntry(
                                    entry, [](const QString& number) { return number; }, &error)
                              : std::nullopt;
        const auto end = std::chrono::steady_clock::now();
        if (!made) {
            if (result->failures++ == 0) {
                result->firstError = outcome.ok ? error : outcome.error;
            }
            continue;
        }
        result->latenciesMs.push_back(
            std::chrono::duration<double, std::milli>(end - start).count());
        result->bookkeepingMs.push_back(
            std::chrono::duration<double, std::milli>(kept - start).count());
        const auto number = Register::parseNumber(made->number);
        result->seqsByYear[number->year].push_back(int(number->sequence));
    }
}

int intArg(const QStringList& args, const QString& name, int fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

int scalar(PgConnection& connection, const QString& statement)
{
    auto records = connection.execute(statement, nullptr);
    return records && !records->isEof() ? records->collectInt(QStringLiteral("n")) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clients = intArg(args, QStringLiteral("--clients"), 20);
    const int generates = intArg(args, QStringLiteral("--generates"), 500);
    const int at = args.indexOf(QStringLiteral("--conninfo"));

    const int fsyncAt = args.indexOf(QStringLiteral("--fsync"));
    const bool fsync = fsyncAt < 0 || args.value(fsyncAt + 1) != QLatin1String("off");
    std::unique_ptr<PgOwnCluster> cluster;
    std::unique_ptr<PgTestDatabase> db;
    QString conninfo;
    if (at >= 0 && at + 1 < args.size()) {
        conninfo = args.at(at + 1);
    } else {
        // The test clusters start without fsync; this one gets a production server's settings.
        qputenv("KAVRI_PG_FSYNC", fsync ? "on" : "off");
        cluster = std::make_unique<PgOwnCluster>();
        if (!cluster->isValid()) {
            std::fprintf(stderr, "no cluster: %s\n", qPrintable(cluster->output()));
            return 1;
        }
        db = std::make_unique<PgTestDatabase>(cluster->info());
        if (!db->isValid()) {
            std::fprintf(stderr, "no database on the private cluster\n");
            return 1;
        }
        conninfo = db->conninfo();
    }
    QString error;
    const auto admin = PgConnection::open(conninfo, &error);
    const bool init = db || args.contains(QStringLiteral("--init"));
    if (!admin || (init && !PgSchema::init(*admin, &error))) {
        std::fprintf(stderr, "set-up failed: %s\n", qPrintable(error));
        return 1;
    }
    // The clients log in as clerks, with the rights a clerk has.
    QString clientInfo = conninfo;
    if (db) {
        const QString clerk =
            db->addLogin(QStringLiteral("load"), QStringLiteral("load"), PgSchema::kClerkRole);
        clientInfo = db->conninfo(clerk, QStringLiteral("load"));
    }

    // A database given with --conninfo may hold numbers from an earlier run: this run's go on
    // from the counter as it is now.
    std::map<int, int> counterBefore;
    if (auto rows = admin->execute(QStringLiteral("select year, last_seq from register_counter"),
                                   nullptr)) {
        for (; !rows->isEof(); rows->moveNext()) {
            counterBefore[rows->collectInt(QStringLiteral("year"))] =
                rows->collectInt(QStringLiteral("last_seq"));
        }
    }

    std::vector<ClientResult> results(clients);
    std::vector<std::thread> threads;
    const auto start = std::chrono::steady_clock::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back(runClient, clientInfo, c, generates, &results[c]);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::vector<double> latencies;
    std::vector<double> bookkeeping;
    std::map<int, std::vector<int>> seqs;
    QList<QSet<QString>> used{QSet<QString>(), QSet<QString>(), QSet<QString>(), QSet<QString>()};
    int failures = 0;
    for (const ClientResult& r : results) {
        latencies.insert(latencies.end(), r.latenciesMs.begin(), r.latenciesMs.end());
        bookkeeping.insert(bookkeeping.end(), r.bookkeepingMs.begin(), r.bookkeepingMs.end());
        for (const auto& [year, list] : r.seqsByYear) {
            seqs[year].insert(seqs[year].end(), list.begin(), list.end());
        }
        for (int lib = 0; lib < kLibraries.size(); ++lib) {
            used[lib].unite(r.used.at(lib));
        }
        failures += r.failures;
        if (!r.firstError.isEmpty()) {
            std::printf("client error: %s\n", qPrintable(r.firstError));
        }
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(bookkeeping.begin(), bookkeeping.end());
    const auto quantile = [](const std::vector<double>& sorted, double q) {
        return sorted.empty() ? 0.0 : sorted[size_t(q * double(sorted.size() - 1))];
    };
    const auto setting = [&admin](const char* name) {
        auto rows = admin->execute(QStringLiteral("select current_setting('%1') as v")
                                       .arg(QString::fromLatin1(name)),
                                   nullptr);
        return rows && !rows->isEof() ? rows->collect(QStringLiteral("v")) : QString();
    };
    std::printf("server settings: fsync=%s synchronous_commit=%s\n", qPrintable(setting("fsync")),
                qPrintable(setting("synchronous_commit")));
    std::printf("clients %d x generates %d: %zu done, %d failed, %.1f s, %.0f Generates/s\n",
                clients, generates, latencies.size(), failures, seconds,
                double(latencies.size()) / seconds);
    std::printf("Generate latency: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                quantile(latencies, 0.5), quantile(latencies, 0.95),
                latencies.empty() ? 0.0 : latencies.back());
    std::printf("of which the libraries' bookkeeping: median %.2f ms, p95 %.2f ms\n",
                quantile(bookkeeping, 0.5), quantile(bookkeeping, 0.95));

    bool ok = failures == 0;
    for (int lib = 0; lib < kLibraries.size(); ++lib) {
        const QString& table = kLibraries.at(lib);
        const int defaults = scalar(
            *admin, QStringLiteral("select count(*) as n from %1 where item1='默认'").arg(table));
        const int rows = scalar(*admin, QStringLiteral("select count(*) as n from ") + table);
        const int distinct =
            scalar(*admin, QStringLiteral("select count(distinct item3) as n from ") + table);
        // Every value used is there: compare the set of names on the server with the used set.
        QSet<QString> onServer;
        auto records = admin->execute(QStringLiteral("select * from ") + table, nullptr);
        for (; records && !records->isEof(); records->moveNext()) {
            onServer.insert(records->collect(QStringLiteral("item3")));
        }
        const int lost = int((used.at(lib) - onServer).size());
        std::printf("%-22s defaults %d, rows %d, distinct names %d, used %lld, lost %d\n",
                    qPrintable(table), defaults, rows, distinct, qlonglong(used.at(lib).size()),
                    lost);
        ok = ok && defaults == 1 && rows == distinct && lost == 0;
    }
    for (auto& [year, list] : seqs) {
        std::sort(list.begin(), list.end());
        int gaps = 0;
        int duplicates = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            if (i > 0 && list[i] == list[i - 1]) {
                ++duplicates;
            } else if (list[i] != counterBefore[year] + int(i + 1 - size_t(duplicates))) {
                ++gaps;
            }
        }
        const int counter = scalar(
            *admin,
            QStringLiteral("select last_seq as n from register_counter where year=%1").arg(year));
        const int entries = scalar(
            *admin,
            QStringLiteral("select count(*) as n from register_entry where year=%1 and seq > %2")
                .arg(year)
                .arg(counterBefore[year]));
        std::printf("register %d: %zu numbers, first %d, last %d, duplicates %d, gaps %d, "
                    "server counter %d, entries %d\n",
                    year, list.size(), list.front(), list.back(), duplicates, gaps, counter,
                    entries);
        ok = ok && duplicates == 0 && gaps == 0 &&
             counter == counterBefore[year] + int(list.size()) && entries == int(list.size());
    }
    // The whole register through the audit, as a clerk runs it.
    {
        const auto auditStart = std::chrono::steady_clock::now();
        auto storage = Register::PgRegisterStorage::open(clientInfo, &error);
        std::optional<Register::AuditResult> audit;
        if (storage) {
            Register::CertificateRegister reg(std::move(storage));
            audit = reg.audit({}, &error);
        }
        const double auditSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - auditStart).count();
        std::printf("register audit: %s, %lld rows, %.2f s\n",
                    audit ? qPrintable(audit->intact ? QStringLiteral("intact") : audit->problem)
                          : qPrintable(error),
                    audit ? qlonglong(audit->rows) : 0LL, auditSeconds);
        ok = ok && audit && audit->intact;
    }
    std::printf("%s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
