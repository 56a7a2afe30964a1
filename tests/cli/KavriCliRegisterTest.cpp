// kavri-cli register on a register made here: list, show, export and verify with their exit
// codes.
#include "CliRun.h"
#include "OfdReader.h"
#include "ProgramCopy.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Register;

namespace {

class KavriCliRegisterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QString error;
        auto reg = CertificateRegister::open(path(), &error);
        ASSERT_TRUE(reg) << error.toStdString();
        for (const auto& [name, id] :
             {std::pair{"张三", "110101199001011234"}, std::pair{"李四", "320102198805052222"}}) {
            NewEntry e;
            e.templateName = QStringLiteral("模板");
            e.values = {{QStringLiteral("姓名"), QString::fromUtf8(name)},
                        {QStringLiteral("身份证号"), QString::fromLatin1(id)}};
            const auto made = reg->addEntry(
                e,
                [&](const QString& n) {
                    return QStringLiteral("证明编号：%1\r\n兹证明%2（身份证号：%3）离职。\r\n")
                        .arg(n, QString::fromUtf8(name), QString::fromLatin1(id));
                },
                &error);
            ASSERT_TRUE(made) << error.toStdString();
            m_texts << made->text;
            m_numbers << made->number;
        }
        ASSERT_TRUE(reg->recordEvent(1, EventKind::Copied, m_texts[0], &error));
    }

    QString path() const { return m_dir.filePath(kRegisterFileName); }

    // kavri-cli register with `args`, on this test's register.
    CliRun run(QStringList args, const QByteArray& input = {})
    {
        args.prepend(QStringLiteral("register"));
        args << QStringLiteral("--register") << path();
        CliSetup setup;
        setup.input = input;
        return runCli(args, setup);
    }

    QTemporaryDir m_dir;
    QStringList m_texts;
    QStringList m_numbers;
};

} // namespace

TEST_F(KavriCliRegisterTest, ListsNewestFirstWithMaskedIds)
{
    const CliRun r = run({QStringLiteral("list")});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    const QStringList lines = r.outText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(m_numbers[1] + QStringLiteral("\t李四\t320102********2222\t")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\t已出具\t复制 ")));
    const CliRun full = run({QStringLiteral("list"), QStringLiteral("--name"), QStringLiteral("张"),
                             QStringLiteral("--full-ids")});
    EXPECT_TRUE(
        full.outText().startsWith(m_numbers[0] + QStringLiteral("\t张三\t110101199001011234")));
}

TEST_F(KavriCliRegisterTest, AuditPrintsTheHeadOrNamesTheFirstChangedRow)
{
    const CliRun whole = run({QStringLiteral("audit")});
    ASSERT_EQ(whole.status, 0) << whole.errText().toStdString();
    const QString out = whole.outText();
    EXPECT_TRUE(out.startsWith(QStringLiteral("完整：链中 3 条记录，链头 "))) << out.toStdString();
    const QString head = out.trimmed().right(64);
    // The head noted now is still in the chain later; a head that never was is refused.
    EXPECT_EQ(run({QStringLiteral("audit"), QStringLiteral("--since"), head}).status, 0);
    const CliRun unknown =
        run({QStringLiteral("audit"), QStringLiteral("--since"), QString(64, QLatin1Char('b'))});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.outText().startsWith(QStringLiteral("被改动：先前记下的链头")))
        << unknown.outText().toStdString();
    EXPECT_EQ(run({QStringLiteral("audit"), QStringLiteral("--name"), QStringLiteral("x")}).status,
              2);

    // The copy event's time moved with the sqlcipher shell and the key.
    QFile keyFile(keyPathFor(path()));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {path()});
    ASSERT_TRUE(shell.waitForStarted());
    shell.write("PRAGMA key = \"x'" + keyFile.readAll().trimmed() +
                "'\";\nPRAGMA cipher_page_size = 4096;\nUPDATE events SET at = '2020-01-01T00:00:00.000Z';\n");
    shell.closeWriteChannel();
    ASSERT_TRUE(shell.waitForFinished());
    const CliRun changed = run({QStringLiteral("audit")});
    EXPECT_EQ(changed.status, 1);
    EXPECT_TRUE(changed.outText().startsWith(QStringLiteral("在第 3 条处被改动：")))
        << changed.outText().toStdString();
}

TEST_F(KavriCliRegisterTest, VerifiesByNumberAndByText)
{
    EXPECT_EQ(run({QStringLiteral("verify"), QStringLiteral("--number"), m_numbers[0]}).status, 0);
    const CliRun unknown = run(
        {QStringLiteral("verify"), QStringLiteral("--number"), QStringLiteral("LZ1999-000001")});
    EXPECT_EQ(unknown.status, 3);
    EXPECT_EQ(unknown.outText(), QStringLiteral("登记簿中没有编号为 LZ1999-000001 的证明。\r\n"));
    QString forged = m_texts[1];
    forged.replace(QStringLiteral("李四"), QStringLiteral("李五"));
    const CliRun differs = run(
        {QStringLiteral("verify"), QStringLiteral("--text"), QStringLiteral("-")}, forged.toUtf8());
    EXPECT_EQ(differs.status, 1);
    EXPECT_TRUE(differs.outText().contains(QStringLiteral("第 2 行第 5 列起不同")))
        << differs.outText().toStdString();
    EXPECT_EQ(run({QStringLiteral("verify"), QStringLiteral("--text"), QStringLiteral("-")},
                  m_texts[1].toUtf8())
                  .status,
              0);
}

TEST_F(KavriCliRegisterTest, ShowsAndExports)
{
    const CliRun shown = run({QStringLiteral("show"), QStringLiteral("--number"), m_numbers[0]});
    ASSERT_EQ(shown.status, 0);
    EXPECT_TRUE(shown.outText().contains(QStringLiteral("身份证号：110101********1234\r\n")));
    // The recorded text is masked as the summary is, and whole on request.
    QString masked = m_texts[0];
    masked.replace(QStringLiteral("110101199001011234"), QStringLiteral("110101********1234"));
    EXPECT_TRUE(shown.outText().contains(masked)) << shown.outText().toStdString();
    EXPECT_FALSE(shown.outText().contains(QStringLiteral("110101199001011234")));
    const CliRun full = run({QStringLiteral("show"), QStringLiteral("--number"), m_numbers[0],
                             QStringLiteral("--full-ids")});
    ASSERT_EQ(full.status, 0);
    EXPECT_TRUE(full.outText().contains(m_texts[0]));

    constexpr auto kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                             QFileDevice::ReadOther | QFileDevice::WriteOther;
    const QString csv = m_dir.filePath(QStringLiteral("out.csv"));
    ASSERT_EQ(run({QStringLiteral("export"), QStringLiteral("--out"), csv}).status, 0);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("\xEF\xBB\xBF证明编号,"));
    const QString fullCsv = m_dir.filePath(QStringLiteral("full.csv"));
    ASSERT_EQ(
        run({QStringLiteral("export"), QStringLiteral("--out"), fullCsv, QStringLiteral("--full-ids")})
            .status,
        0);
    EXPECT_EQ(QFileInfo(fullCsv).permissions() & kOthers, QFileDevice::Permissions());
}

TEST_F(KavriCliRegisterTest, RecordsDeliveriesAndTransfersAndListsTheUndelivered)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    auto lines = [](const CliRun& r) {
        return r.outText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    };
    // 张三's certificate was copied, 李四's is a draft: only the first is awaiting delivery.
    CliRun r = run({QStringLiteral("list"), QStringLiteral("--undelivered")});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    ASSERT_EQ(lines(r).size(), 1);
    EXPECT_TRUE(lines(r)[0].startsWith(m_numbers[0] + QStringLiteral("\t张三\t")));

    struct Refused
    {
        QStringList args;
        QString message;
    };
    const Refused refused[] = {
        {{QStringLiteral("--method"), QStringLiteral("邮寄")},
         m_numbers[0] + QStringLiteral(" 不能记录送达：邮寄的证明要填写运单号。")},
        {{QStringLiteral("--method"), QStringLiteral("快递")},
         QStringLiteral("--method“快递”不是送达方式（可用 当面签收、邮寄、电子邮件、其他，或 "
                        "in-person、post、email、other）")},
        {{QStringLiteral("--method"), QStringLiteral("email"), QStringLiteral("--received"),
          QStringLiteral("2026-02-30")},
         QStringLiteral("--received“2026-02-30”不是有效的日期（可写作 2026-01-31）")},
        {{QStringLiteral("--waybill"), QStringLiteral("SF1")}, QStringLiteral("缺少选项“--method”")},
    };
    for (const Refused& c : refused) {
        const CliRun bad =
            run(QStringList{QStringLiteral("deliver"), QStringLiteral("--number"), m_numbers[0]}
                << c.args);
        EXPECT_EQ(bad.status, 2) << c.args.join(u' ').toStdString();
        EXPECT_EQ(bad.errText(), QStringLiteral("kavri-cli: ") + c.message + u'\n');
    }
    const CliRun draft = run({QStringLiteral("deliver"), QStringLiteral("--number"), m_numbers[1],
                              QStringLiteral("--method"), QStringLiteral("当面签收")});
    EXPECT_EQ(draft.status, 2);
    EXPECT_EQ(draft.errText(), QStringLiteral("kavri-cli: %1 不能记录送达：这份证明还没有出具（打印、"
                                              "导出或复制），没有可送达的证明。\n")
                                   .arg(m_numbers[1]));

    // Posted: still awaiting the receipt; then received today.
    r = run({QStringLiteral("deliver"), QStringLiteral("--number"), m_numbers[0],
             QStringLiteral("--method"), QStringLiteral("post"), QStringLiteral("--waybill"),
             QStringLiteral("sf123")});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_EQ(r.outText(), m_numbers[0] + QStringLiteral(" 送达：邮寄 SF123，未确认签收\r\n"));
    EXPECT_EQ(lines(run({QStringLiteral("list"), QStringLiteral("--undelivered")})).size(), 1);
    r = run({QStringLiteral("deliver"), QStringLiteral("--number"), m_numbers[0],
             QStringLiteral("--method"), QStringLiteral("邮寄"), QStringLiteral("--waybill"),
             QStringLiteral("SF123"), QStringLiteral("--received"), today});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_EQ(r.outText(),
              m_numbers[0] + QStringLiteral(" 送达：邮寄 SF123，%1 签收\r\n").arg(today));
    r = run({QStringLiteral("list"), QStringLiteral("--undelivered")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.outText(), QString());

    r = run({QStringLiteral("transfer"), QStringLiteral("--number"), m_numbers[1],
             QStringLiteral("--on"), QStringLiteral("2026-01-05")});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    const CliRun shownDraft = run({QStringLiteral("show"), QStringLiteral("--number"), m_numbers[1]});
    EXPECT_TRUE(shownDraft.outText().contains(QStringLiteral("\r\n档案社保转移：2026-01-05\r\n")))
        << shownDraft.outText().toStdString();
    EXPECT_TRUE(shownDraft.outText().contains(QStringLiteral(" 档案社保转移 第1版 ")));
    const CliRun shown = run({QStringLiteral("show"), QStringLiteral("--number"), m_numbers[0]});
    EXPECT_TRUE(shown.outText().contains(
        QStringLiteral("送达：邮寄 SF123，%1 签收\r\n").arg(today)))
        << shown.outText().toStdString();
    EXPECT_EQ(shown.outText().count(QStringLiteral(" 送达 第1版 ")), 2);
}

TEST_F(KavriCliRegisterTest, RefusesAMissingRegisterAndBadOptions)
{
    const QString none = m_dir.filePath(QStringLiteral("none.db"));
    const CliRun missing = runCli(
        {QStringLiteral("register"), QStringLiteral("list"), QStringLiteral("--register"), none});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.errText(), QStringLiteral("kavri-cli: 没有登记簿“%1”\n").arg(none));
    EXPECT_FALSE(QFile::exists(none));
    const CliRun badDate =
        run({QStringLiteral("list"), QStringLiteral("--from"), QStringLiteral("2026-13-01")});
    EXPECT_EQ(badDate.status, 2);
    EXPECT_EQ(badDate.errText(),
              QStringLiteral("kavri-cli: --from“2026-13-01”不是有效的日期（可写作 2026-01-31）\n"));
    const CliRun verify = run({QStringLiteral("verify")});
    EXPECT_EQ(verify.status, 2);
    EXPECT_EQ(verify.errText(), QStringLiteral("kavri-cli: 请给出“--number 编号”或“--text 文件”"
                                               "（- 为标准输入），只给其中一个\n"));
    const CliRun action = run({QStringLiteral("delete")});
    EXPECT_EQ(action.status, 2);
    EXPECT_EQ(action.errText(),
              QStringLiteral("kavri-cli: register 没有“delete”这个操作（可用 list、show、export、"
                             "archive、verify、due、deliver、transfer、audit）\n"));
}

TEST_F(KavriCliRegisterTest, ArchiveWritesEveryIssuedCertificateOfThePeriodAsOfdWithAnIndex)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QString folder = m_dir.filePath(QStringLiteral("归档"));
    const CliRun r = run({QStringLiteral("archive"), QStringLiteral("--from"), today,
                          QStringLiteral("--to"), today, QStringLiteral("--out"), folder});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains(QStringLiteral("已归档 1 份离职证明")))
        << r.errText().toStdString();
    // 李四's entry is a draft: nothing of it left kavri, so nothing of it is archived.
    const QString file = m_numbers[0] + QStringLiteral(".ofd");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              (QStringList{file, QStringLiteral("归档索引.csv")}));

    QFile index(QDir(folder).filePath(QStringLiteral("归档索引.csv")));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QByteArray bytes = index.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 3); // header, one row, the empty rest after the last CR LF
    EXPECT_EQ(rows[0], QStringLiteral("证明编号,姓名,身份证号,离职日期,文件,SHA-256,登记簿链头"));
    const QStringList fields = rows[1].split(u',');
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[0], m_numbers[0]);
    EXPECT_EQ(fields[1], QStringLiteral("张三"));
    EXPECT_EQ(fields[2], QStringLiteral("110101********1234"));
    EXPECT_EQ(fields[4], file);
    // The index notes the register's head as the audit gives it, for a later audit --since.
    const CliRun audited = run({QStringLiteral("audit")});
    ASSERT_EQ(audited.status, 0);
    EXPECT_EQ(fields[6], audited.outText().trimmed().right(64));
    EXPECT_EQ(run({QStringLiteral("audit"), QStringLiteral("--since"), fields[6]}).status, 0);
    QFile ofd(QDir(folder).filePath(file));
    ASSERT_TRUE(ofd.open(QIODevice::ReadOnly));
    EXPECT_EQ(fields[5],
              QString::fromLatin1(
                  QCryptographicHash::hash(ofd.readAll(), QCryptographicHash::Sha256).toHex()));
    EXPECT_TRUE(rows[2].isEmpty());

    // The file is the certificate's page, with its number kept in the document.
    const OfdRead::Archive archive = OfdRead::ReadArchive(ofd.fileName());
    const OfdRead::Document document = OfdRead::ReadDocument(archive);
    ASSERT_TRUE(document.problems.isEmpty());
    ASSERT_EQ(document.pages.size(), 1);
    QStringList texts;
    for (const OfdRead::Text& t : document.pages[0].texts) {
        texts << t.text;
    }
    // The fixture's certificate: its number line, then the sentence about 张三.
    EXPECT_EQ(texts.value(1), QStringLiteral("证明编号：") + m_numbers[0]);
    EXPECT_TRUE(texts.value(2).startsWith(QStringLiteral("兹证明张三")))
        << texts.join(u'|').toStdString();
    EXPECT_TRUE(QString::fromUtf8(archive.files.value(QStringLiteral("OFD.xml")))
                    .contains(QStringLiteral(">%1</ofd:CustomData>").arg(m_numbers[0])));
}

TEST_F(KavriCliRegisterTest, ArchiveOfAPeriodWithoutCertificatesIsAnIndexWithItsHeaderOnly)
{
    const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    const QString folder = m_dir.filePath(QStringLiteral("空"));
    const CliRun r = run({QStringLiteral("archive"), QStringLiteral("--from"), tomorrow,
                          QStringLiteral("--out"), folder});
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("归档索引.csv")});
    const CliRun noOut = run({QStringLiteral("archive")});
    EXPECT_EQ(noOut.status, 2);
    const CliRun badDate = run({QStringLiteral("archive"), QStringLiteral("--from"),
                                QStringLiteral("昨天"), QStringLiteral("--out"), folder});
    EXPECT_EQ(badDate.status, 2);
    EXPECT_TRUE(badDate.errText().contains(QStringLiteral("--from“昨天”不是有效的日期")))
        << badDate.errText().toStdString();
}

// register due on a register with drafts, late and on-time certificates: exactly the drafts whose
// leaving day has passed and the certificates that first left after it.
TEST(KavriCliRegisterDue, ListsTheOverdueDraftsAndTheLateCertificates)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(kRegisterFileName);
    QString error;
    auto reg = CertificateRegister::open(path, &error);
    ASSERT_TRUE(reg) << error.toStdString();
    QDateTime now;
    reg->setClock([&now] { return now; });
    auto add = [&](const char* name, const char* leave, const char* madeOn) {
        now = QDateTime(QDate::fromString(QString::fromLatin1(madeOn), Qt::ISODate), QTime(10, 0));
        NewEntry e;
        e.templateName = QStringLiteral("模板");
        e.values = {{QStringLiteral("姓名"), QString::fromUtf8(name)},
                    {QStringLiteral("离职日期"), QString::fromUtf8(leave)}};
        const auto made = reg->addEntry(
            e, [](const QString& n) { return QStringLiteral("证明 ") + n; }, &error);
        EXPECT_TRUE(made) << error.toStdString();
        return made.value_or(IssuedEntry{});
    };
    auto leaves = [&](const IssuedEntry& entry, const char* on, EventKind kind) {
        now = QDateTime(QDate::fromString(QString::fromLatin1(on), Qt::ISODate), QTime(15, 0));
        EXPECT_TRUE(reg->recordEvent(entry.id, kind, entry.text, &error)) << error.toStdString();
    };
    // Late by two days, then printed again: the first time counts.
    const IssuedEntry zhang = add("张三", "2026-03-31", "2026-03-30");
    leaves(zhang, "2026-04-02", EventKind::PdfExported);
    leaves(zhang, "2026-04-09", EventKind::Printed);
    // On the leaving day and before it: on time.
    leaves(add("李四", "2026-03-31", "2026-03-31"), "2026-03-31", EventKind::Printed);
    leaves(add("王五", "2026-04-30", "2026-03-31"), "2026-04-01", EventKind::Copied);
    // Late by 17 days.
    leaves(add("赵六", "2026-02-28", "2026-03-01"), "2026-03-17", EventKind::Printed);
    // Drafts: leaving day passed, leaving day today, leaving day to come, no leaving day.
    add("钱七", "2026-04-01", "2026-03-20");
    add("孙八", "2026-04-10", "2026-04-01");
    add("周九", "2026-05-31", "2026-04-01");
    add("吴十", "", "2026-04-01");
    add("郑一", "2026年3月15日", "2026-03-02");
    reg.reset();

    CliSetup setup;
    const CliRun r = runCli({QStringLiteral("register"), QStringLiteral("due"),
                             QStringLiteral("--register"), path, QStringLiteral("--today"),
                             QStringLiteral("2026-04-10")},
                            setup);
    ASSERT_EQ(r.status, 0) << r.errText().toStdString();
    EXPECT_EQ(r.outText(),
              QStringLiteral("待出具（离职日期已过，证明尚未交出）：2 份\r\n"
                             "LZ2026-000009\t郑一\t2026-03-15\t已过 26 天\r\n"
                             "LZ2026-000005\t钱七\t2026-04-01\t已过 9 天\r\n"
                             "逾期出具：2 份\r\n"
                             "LZ2026-000004\t赵六\t2026-02-28\t2026-03-17\t逾期 17 天\r\n"
                             "LZ2026-000001\t张三\t2026-03-31\t2026-04-02\t逾期 2 天\r\n"
                             "档案和社保转移逾期（离职满 15 天仍未记录转移）：2 份\r\n"
                             "LZ2026-000004\t赵六\t2026-02-28\t截止 2026-03-15\t逾期 26 天\r\n"
                             "LZ2026-000009\t郑一\t2026-03-15\t截止 2026-03-30\t逾期 11 天\r\n"))
        << r.outText().toStdString();

    // The transfer recorded from outside takes the entry off the third list.
    const CliRun transferred =
        runCli({QStringLiteral("register"), QStringLiteral("transfer"), QStringLiteral("--register"),
                path, QStringLiteral("--number"), QStringLiteral("lz2026-000004"),
                QStringLiteral("--on"), QStringLiteral("2026-03-20")},
               setup);
    ASSERT_EQ(transferred.status, 0) << transferred.errText().toStdString();
    EXPECT_EQ(transferred.outText(), QStringLiteral("LZ2026-000004 档案社保转移：2026-03-20\r\n"));
    const CliRun after = runCli({QStringLiteral("register"), QStringLiteral("due"),
                                 QStringLiteral("--register"), path, QStringLiteral("--today"),
                                 QStringLiteral("2026-04-10")},
                                setup);
    ASSERT_EQ(after.status, 0) << after.errText().toStdString();
    EXPECT_TRUE(after.outText().endsWith(
        QStringLiteral("档案和社保转移逾期（离职满 15 天仍未记录转移）：1 份\r\n"
                       "LZ2026-000009\t郑一\t2026-03-15\t截止 2026-03-30\t逾期 11 天\r\n")))
        << after.outText().toStdString();

    const CliRun bad = runCli({QStringLiteral("register"), QStringLiteral("due"),
                               QStringLiteral("--register"), path, QStringLiteral("--today"),
                               QStringLiteral("2026-02-30")},
                              setup);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.errText(),
              QStringLiteral("kavri-cli: --today“2026-02-30”不是有效的日期（可写作 2026-01-31）\n"));
}

// A new installation: kavri-cli in a folder of its own, with no library and no register beside
// it. Its register has not been made yet and reads as an empty one; nothing is made by asking.
TEST(KavriCliNewInstallation, AnEmptyRegisterListsNothingAndIsNoError)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString cli = CopyProgramInto(QStringLiteral(KAVRI_CLI_PATH), folder.path());
    ASSERT_FALSE(cli.isEmpty());
    const auto run = [&cli](const QStringList& args) {
        QProcess process;
        process.start(cli, QStringList{QStringLiteral("register")} + args);
        CliRun r;
        if (process.waitForFinished(30000)) {
            r.status = process.exitCode();
            r.out = process.readAllStandardOutput();
            r.err = process.readAllStandardError();
        }
        return r;
    };
    const QString csv = folder.filePath(QStringLiteral("all.csv"));
    const struct
    {
        QStringList args;
        int status;
        QString out;
    } cases[] = {
        {{QStringLiteral("list")}, 0, QString()},
        {{QStringLiteral("list"), QStringLiteral("--name"), QStringLiteral("张")}, 0, QString()},
        {{QStringLiteral("export"), QStringLiteral("--out"), csv}, 0, QString()},
        {{QStringLiteral("verify"), QStringLiteral("--number"), QStringLiteral("LZ2026-000001")},
         3,
         QStringLiteral("登记簿中没有编号为 LZ2026-000001 的证明。\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.errText().toStdString();
        EXPECT_EQ(r.outText(), c.out);
        EXPECT_EQ(r.errText(), QString());
    }
    // The export holds the heading line only.
    QFile exported(csv);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_EQ(exported.readAll().count('\n'), 1);
    const CliRun shown =
        run({QStringLiteral("show"), QStringLiteral("--number"), QStringLiteral("LZ2026-000001")});
    EXPECT_EQ(shown.status, 2);
    EXPECT_EQ(shown.errText(), QStringLiteral("kavri-cli: 登记簿中没有编号为 LZ2026-000001 的证明。\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("all.csv"), QStringLiteral("kavri")}));
}

// A register that cannot be read is an error for register list, and one about the register
// alone: nothing of a certificate made all the same.
TEST_F(KavriCliRegisterTest, AnUnreadableRegisterFailsWithoutGeneratesSentence)
{
    QFile key(keyPathFor(path()));
    ASSERT_TRUE(key.open(QIODevice::WriteOnly | QIODevice::Truncate));
    key.write(QByteArray(64, 'a') + '\n');
    key.close();
    const CliRun r = run({QStringLiteral("list")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.errText().startsWith(QStringLiteral("kavri-cli: 无法打开出具登记簿（%1）：").arg(path())))
        << r.errText().toStdString();
    EXPECT_FALSE(r.errText().contains(QStringLiteral("证明照常生成"))) << r.errText().toStdString();
    EXPECT_TRUE(r.outText().isEmpty());
}
