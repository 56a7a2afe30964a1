// The register with 100,000 entries: what the register window needs to open (the count and the
// first page of the list), a search by name, a search by ID number, one Generate's entry, and
// the audit of the whole register (register audit: every link, every text, every number).
// The register is filled once, in one transaction, as the release before the hash chain wrote
// its file, with certificate texts of the usual length; every entry has been printed once. The
// first opening then links its 200,000 rows into the chain; the time it took is printed. The
// audit is measured on a second register too, the same rows in a file with the 1 KB cipher
// pages of the releases before 4 KB pages.
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "register/RegisterSql.h"
#include "register/RegisterText.h"
#include "register/SqliteRegisterStorage.h"
#include "register/SqliteStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kEntries = 100000;
constexpr int kPage = 100;

QString nameFor(int i)
{
    static const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华");
    return QString(surnames[i % surnames.size()]) + given[(i / 20) % given.size()] +
           given[(i * 7 + 3) % given.size()];
}

QString idFor(int i)
{
    return QStringLiteral("%1%2%3")
        .arg(110101 + (i % 50) * 100)
        .arg(19600101 + (i % 40) * 10000 + (i % 12) * 100 + i % 28)
        .arg(i % 10000, 4, 10, QLatin1Char('0'));
}

void die(const char* what)
{
    std::fprintf(stderr, "register benchmark setup failed: %s\n", what);
    std::abort();
}

// Rewrites the file with 1 KB cipher pages, as releases before 4 KB pages made it.
void keepFormerPages(const QString& path, const QByteArray& key)
{
    QString error;
    sqlite3* const db = Register::SqliteRegisterStorage::openFile(path, key, &error);
    const QString former = path + QStringLiteral(".former");
    const QByteArray sql = "ATTACH DATABASE '" + QFile::encodeName(former) + "' AS former KEY \"" +
                           key +
                           "\"; PRAGMA former.cipher_page_size = 1024;"
                           " SELECT sqlcipher_export('former'); PRAGMA former.user_version = 2;"
                           " DETACH DATABASE former;";
    if (!db || !Register::sqliteExec(db, sql.constData(), &error)) {
        die(qPrintable(error));
    }
    sqlite3_close(db);
    if (!QFile::remove(path) || !QFile::rename(former, path)) {
        die("could not replace the register with its 1 KB copy");
    }
}

void fill(const QString& path, int cipherPageSize)
{
    QString error;
    if (!Register::SqliteRegisterStorage::open(path, &error, 2)) {
        die(qPrintable(error));
    }
    const auto key = Register::loadOrCreateKey(Register::keyPathFor(path), false, &error);
    sqlite3* const db = key ? Register::SqliteRegisterStorage::openFile(path, *key, &error)
                            : nullptr;
    if (!db) {
        die(qPrintable(error));
    }
    const QString body =
        QStringLiteral("兹证明【姓名】，身份证号【身份证号】，自【入职日期】起在我公司"
                       "【部门】担任【职位】一职，于【离职日期】因【离职原因】离职。")
            .repeated(4);
    Register::sqliteExec(db, "BEGIN", &error);
    Register::SqliteStatement(db, Register::Sql::kInsertTemplate)
        .bind(1, QStringLiteral("标准模板"))
        .bind(2, body)
        .run();
    for (int i = 1; i <= kEntries; ++i) {
        const QString number = QStringLiteral("LZ2026-%1").arg(i, 6, 10, QLatin1Char('0'));
        const QDate leave = QDate(2020, 1, 1).addDays(i % 2500);
        const QString at = QDateTime(leave, QTime(9, 0)).toUTC().toString(Qt::ISODateWithMs);
        Register::SqliteStatement e(db, Register::Sql::kInsertEntry);
        e.bind(1, number)
            .bind(2, qint64(2026))
            .bind(3, qint64(i))
            .bind(4, at)
            .bind(5, QStringLiteral("hr01"))
            .bind(6, qint64(1))
            .bind(7, nameFor(i))
            .bind(8, idFor(i))
            .bind(9, QStringLiteral("北京星河科技有限公司%1").arg(i % 30))
            .bind(10, leave.toString(QStringLiteral("yyyy年M月d日")))
            .bind(11, leave.toString(Qt::ISODate));
        if (!e.run()) {
            die("entry");
        }
        const qint64 id = sqlite3_last_insert_rowid(db);
        const QString text = number + body;
        Register::SqliteStatement v(db, "INSERT INTO versions(entry_id, version_no, text, sha256,"
                                        " norm_sha256, created_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        v.bind(1, id).bind(2, qint64(1)).bind(3, text).bind(4, Register::sha256Hex(text));
        v.bind(5, Register::sha256Hex(text)).bind(6, at).run();
        const qint64 vid = sqlite3_last_insert_rowid(db);
        Register::SqliteStatement ev(db, "INSERT INTO events(entry_id, version_id, kind, at, sha256)"
                                         " VALUES (?1, ?2, ?3, ?4, ?5)");
        ev.bind(1, id).bind(2, vid).bind(3, QStringLiteral("printed")).bind(4, at);
        ev.bind(5, Register::sha256Hex(text)).run();
        Register::SqliteStatement last(db, Register::Sql::kUpdateLastEvent);
        last.bind(1, QStringLiteral("printed")).bind(2, at).bind(3, id).run();
        // The nine form values; those the list repeats say what the list says.
        const QString company = QStringLiteral("北京星河科技有限公司%1").arg(i % 30);
        const QString keys[] = {QStringLiteral("姓名"),     QStringLiteral("性别"),
                                QStringLiteral("身份证号"), QStringLiteral("公司名称"),
                                QStringLiteral("部门"),     QStringLiteral("职位"),
                                QStringLiteral("入职日期"), QStringLiteral("离职日期"),
                                QStringLiteral("离职原因")};
        const QString values[] = {nameFor(i), QStringLiteral("男"), idFor(i), company,
                                  QStringLiteral("研发部"), QStringLiteral("工程师"),
                                  QStringLiteral("2015年3月1日"),
                                  leave.toString(QStringLiteral("yyyy年M月d日")),
                                  QStringLiteral("个人原因")};
        for (int k = 0; k < 9; ++k) {
            Register::SqliteStatement value(db, Register::Sql::kInsertValue);
            value.bind(1, id).bind(2, qint64(k)).bind(3, keys[k]).bind(4, values[k]).run();
        }
    }
    Register::sqliteExec(db, "PRAGMA user_version = 2", &error);
    Register::sqliteExec(db, "INSERT INTO sequences VALUES (2026, 100000)", &error);
    if (!Register::sqliteExec(db, "COMMIT", &error)) {
        die(qPrintable(error));
    }
    sqlite3_close(db);
    if (cipherPageSize != Register::kCipherPageSize) {
        keepFormerPages(path, *key);
    }
    const auto start = std::chrono::steady_clock::now();
    if (!Register::SqliteRegisterStorage::open(path, &error)) {
        die(qPrintable(error));
    }
    std::printf("linking the 200,000 rows of a register made before the chain: %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

// KAVRI_REGISTER_BENCH_DIR names a folder that keeps the filled register between runs (filled
// on the first); without it the register is filled in a temporary folder every run.
struct Filled
{
    QTemporaryDir dir;
    QString path;
    explicit Filled(int cipherPageSize)
    {
        const QString kept = qEnvironmentVariable("KAVRI_REGISTER_BENCH_DIR");
        QString folder = kept.isEmpty() ? dir.path() : kept;
        if (cipherPageSize != Register::kCipherPageSize) {
            folder += QStringLiteral("/pages-%1").arg(cipherPageSize);
            QDir().mkpath(folder);
        }
        path = folder + u'/' + Register::kRegisterFileName;
        if (kept.isEmpty() || !QFile::exists(path)) {
            fill(path, cipherPageSize);
        }
    }
};

Filled& filled()
{
    static Filled f(Register::kCipherPageSize);
    return f;
}

Filled& filledWithFormerPages()
{
    static Filled f(Register::kFormerCipherPageSize);
    return f;
}

// Opening the register window: open the file, count the entries, read the first page.
void BM_OpenFirstPage(benchmark::State& state)
{
    const QString path = filled().path;
    for (auto _ : state) {
        QString error;
        auto reg = Register::CertificateRegister::open(path, &error);
        const auto total = reg->count({}, &error);
        const auto rows = reg->search({}, &error);
        if (!total || !rows || rows->size() != kPage || *total < kEntries) {
            state.SkipWithError("wrong first page");
        }
    }
}
BENCHMARK(BM_OpenFirstPage)->Unit(benchmark::kMillisecond);

void search(benchmark::State& state, const Register::SearchQuery& query, qint64 expected)
{
    QString error;
    auto reg = Register::CertificateRegister::open(filled().path, &error);
    for (auto _ : state) {
        const auto total = reg->count(query, &error);
        const auto rows = reg->search(query, &error);
        if (!rows || !total || (expected >= 0 && *total != expected)) {
            state.SkipWithError("wrong result");
        }
    }
}

// A name that a few hundred entries share, and one that no entry has (the whole table is read).
void BM_SearchByName(benchmark::State& state)
{
    Register::SearchQuery q;
    q.name = state.range(0) ? nameFor(4242) : QStringLiteral("欧阳无名");
    search(state, q, state.range(0) ? -1 : 0);
}
BENCHMARK(BM_SearchByName)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A whole ID number (one entry), the last four digits of one (ten entries, every entry read),
// and a birth date part (many).
void BM_SearchByIdNumber(benchmark::State& state)
{
    Register::SearchQuery q;
    const QString parts[] = {idFor(77777), idFor(77777).right(4), QStringLiteral("19630")};
    q.idNumber = parts[state.range(0)];
    search(state, q, state.range(0) == 0 ? 1 : -1);
}
BENCHMARK(BM_SearchByIdNumber)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// register audit of the untouched register: every link, every text against its hashes, every
// entry's values and the numbers of the year.
void BM_Audit(benchmark::State& state)
{
    QString error;
    const QString path =
        state.range(0) == Register::kCipherPageSize ? filled().path : filledWithFormerPages().path;
    auto reg = Register::CertificateRegister::open(path, &error);
    for (auto _ : state) {
        const auto result = reg->audit({}, &error);
        if (!result || !result->intact || result->rows < 2 * kEntries) {
            state.SkipWithError(result ? qPrintable(result->problem) : qPrintable(error));
        }
    }
}
// The argument: the file's cipher page size.
BENCHMARK(BM_Audit)
    ->Arg(Register::kCipherPageSize)
    ->Arg(Register::kFormerCipherPageSize)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One Generate's entry in the full register, number and all.
void BM_AddEntry(benchmark::State& state)
{
    QString error;
    auto reg = Register::CertificateRegister::open(filled().path, &error);
    Register::NewEntry e;
    e.templateName = QStringLiteral("标准模板");
    e.templateText = QStringLiteral("兹证明【姓名】于【离职日期】离职。").repeated(8);
    for (const char* key : {"姓名", "性别", "身份证号", "公司名称", "部门", "职位", "入职日期",
                            "离职日期", "离职原因"}) {
        e.values << Register::FormValue{QString::fromUtf8(key), QStringLiteral("一个值")};
    }
    const QString text = e.templateText.repeated(3);
    for (auto _ : state) {
        if (!reg->addEntry(
                e, [&text](const QString& n) { return n + text; }, &error)) {
            state.SkipWithError("add failed");
        }
    }
}
BENCHMARK(BM_AddEntry)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    filled();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
