#include "RegisterCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "RegisterArchive.h"
#include "SealCommand.h"
#include "store/LibraryFilePath.h"
#include "register/CertificateRegister.h"
#include "register/DueList.h"
#include "register/DutyRecords.h"
#include "register/IdMask.h"
#include "register/RegisterCsv.h"
#include "register/RegisterFiles.h"
#include "register/RegisterText.h"
#include "register/VerifyReport.h"
#include "store/pg/TeamConfig.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <memory>

using namespace Register;

namespace RegisterCommand {

namespace {

const QStringList kSearchOptions = {
    QStringLiteral("name"), QStringLiteral("id"), QStringLiteral("number"),
    QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("by"),
};

std::unique_ptr<CertificateRegister> openRegister(const CliOptions& options, QString* error)
{
    // A team's register is the one on its server, as for the program.
    if (!options.has(QStringLiteral("register"))) {
        if (const TeamConfig::Choice team = TeamConfig::read(); team.team) {
            return CertificateRegister::openServer(team.conninfo, error);
        }
    }
    const bool named = options.has(QStringLiteral("register"));
    const QString path = named ? options.value(QStringLiteral("register"))
                               : registerPathBeside(DefaultLibraryFilePath());
    if (!QFileInfo::exists(path)) {
        // A script that names a register that is not there learns so.
        if (named) {
            *error = QStringLiteral("没有登记簿“%1”").arg(path);
            return nullptr;
        }
        // The register of a new installation has not been made yet: it holds no entries, and
        // asking about it makes no file.
        return CertificateRegister::openEmpty(error);
    }
    return CertificateRegister::open(path, error);
}

std::optional<QDate> dateOption(const CliOptions& options, const QString& name, QString* error)
{
    if (!options.has(name)) {
        return QDate();
    }
    const QDate d = QDate::fromString(options.value(name), Qt::ISODate);
    if (!d.isValid()) {
        *error = QStringLiteral("--%1“%2”不是有效的日期（可写作 2026-01-31）")
                     .arg(name, options.value(name));
        return std::nullopt;
    }
    return d;
}

std::optional<SearchQuery> searchQuery(const CliOptions& options, QString* error)
{
    SearchQuery q;
    q.name = options.value(QStringLiteral("name"));
    q.idNumber = options.value(QStringLiteral("id"));
    q.number = options.value(QStringLiteral("number"));
    const QString by = options.value(QStringLiteral("by"));
    if (by == QLatin1String("created")) {
        q.dateField = DateField::Created;
    } else if (!by.isEmpty() && by != QLatin1String("leaving")) {
        *error = QStringLiteral("--by 只能是 leaving（按离职日期）或 created（按生成日期）");
        return std::nullopt;
    }
    const std::optional<QDate> from = dateOption(options, QStringLiteral("from"), error);
    const std::optional<QDate> to =
        from ? dateOption(options, QStringLiteral("to"), error) : std::nullopt;
    if (!to) {
        return std::nullopt;
    }
    q.from = *from;
    q.to = *to;
    q.undeliveredOnly = options.has(QStringLiteral("undelivered"));
    q.limit = 0;
    return q;
}

int list(CertificateRegister& reg, const CliOptions& options)
{
    QString error;
    const std::optional<SearchQuery> q = searchQuery(options, &error);
    if (!q) {
        return CliInput::refuse(error);
    }
    const auto rows = reg.search(*q, &error);
    if (!rows) {
        return CliInput::refuse(error);
    }
    const bool full = options.has(QStringLiteral("full-ids"));
    QString text;
    for (const EntrySummary& r : *rows) {
        text +=
            QStringList{r.number,         r.name,      full ? r.idNumber : maskIdNumber(r.idNumber),
                        r.company,        r.leaveDate, statusLabel(r),
                        lastEventLabel(r)}
                .join(u'\t') +
            QStringLiteral("\r\n");
    }
    return CliInput::writeResult(text) ? 0 : 1;
}

int show(CertificateRegister& reg, const CliOptions& options)
{
    if (!options.has(QStringLiteral("number"))) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("number")));
    }
    QString error;
    const auto e = reg.entryByNumber(options.value(QStringLiteral("number")), &error);
    if (!e) {
        return CliInput::refuse(error);
    }
    const bool full = options.has(QStringLiteral("full-ids"));
    QString text =
        QStringLiteral("证明编号：%1\r\n姓名：%2\r\n身份证号：%3\r\n公司名称：%4\r\n"
                       "离职日期：%5\r\n状态：%6\r\n生成时间：%7\r\n操作员：%8\r\n模板：%9\r\n")
            .arg(e->summary.number, e->summary.name,
                 full ? e->summary.idNumber : maskIdNumber(e->summary.idNumber), e->summary.company,
                 e->summary.leaveDate, statusLabel(e->summary),
                 e->summary.createdAt.toLocalTime().toString(Qt::ISODate), e->operatorName,
                 e->templateName);
    if (e->summary.delivery) {
        text += QStringLiteral("送达：%1\r\n").arg(deliveryLabel(*e->summary.delivery));
    }
    if (e->summary.transferDay.isValid()) {
        text += QStringLiteral("档案社保转移：%1\r\n")
                    .arg(e->summary.transferDay.toString(Qt::ISODate));
    }
    for (const Event& ev : e->events) {
        text += QStringLiteral("事件：%1 %2 第%3版 %4")
                    .arg(ev.at.toLocalTime().toString(Qt::ISODate), eventKindLabel(ev.kind))
                    .arg(ev.versionNo)
                    .arg(ev.sha256);
        if (const QString detail = eventDetailLabel(ev); !detail.isEmpty()) {
            text += QLatin1Char(' ') + detail;
        }
        text += QStringLiteral("\r\n");
    }
    // The recorded texts hold the number too: masked there as in the lines above.
    const QString& id = e->summary.idNumber;
    for (const Version& v : e->versions) {
        QString recorded = v.text;
        if (!full && !id.isEmpty()) {
            recorded.replace(id, maskIdNumber(id), Qt::CaseInsensitive);
        }
        text += QStringLiteral("\r\n—— 第%1版 ——\r\n").arg(v.versionNo) + recorded;
    }
    return CliInput::writeResult(text) ? 0 : 1;
}

int exportCsv(CertificateRegister& reg, const CliOptions& options)
{
    if (!options.has(QStringLiteral("out"))) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("out")));
    }
    QString error;
    const std::optional<SearchQuery> q = searchQuery(options, &error);
    if (!q) {
        return CliInput::refuse(error);
    }
    const auto rows = reg.exportCsv(options.value(QStringLiteral("out")), *q,
                                    options.has(QStringLiteral("full-ids")), &error);
    return rows ? 0 : CliInput::refuse(error);
}

int archive(CertificateRegister& reg, const CliOptions& options)
{
    if (!options.has(QStringLiteral("out"))) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("out")));
    }
    QString error;
    std::optional<SearchQuery> q = searchQuery(options, &error);
    if (!q) {
        return CliInput::refuse(error);
    }
    // The period is that of issuing unless --by says otherwise.
    if (!options.has(QStringLiteral("by"))) {
        q->dateField = DateField::Created;
    }
    const QString folder = options.value(QStringLiteral("out"));
    const std::optional<qint64> archived = WriteRegisterArchive(reg, *q, folder, &error);
    if (!archived) {
        return CliInput::refuse(error);
    }
    CliInput::say(QStringLiteral("已归档 %1 份离职证明到“%2”，索引为 %3")
                      .arg(*archived)
                      .arg(folder, kArchiveIndexName));
    return 0;
}

int verify(CertificateRegister& reg, const CliOptions& options)
{
    QString input;
    QString error;
    if (options.has(QStringLiteral("number")) == options.has(QStringLiteral("text"))) {
        return CliInput::refuse(
            QStringLiteral("请给出“--number 编号”或“--text 文件”（- 为标准输入），只给其中一个"));
    }
    if (options.has(QStringLiteral("number"))) {
        input = options.value(QStringLiteral("number"));
    } else if (options.value(QStringLiteral("text")) == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            return CliInput::refuse(QStringLiteral("无法读取标准输入"));
        }
        input = QString::fromUtf8(in.readAll());
    } else {
        const auto text = CliInput::readTextFile(options.value(QStringLiteral("text")),
                                                 QStringLiteral("证明文本文件"), &error);
        if (!text) {
            return CliInput::refuse(error);
        }
        input = *text;
    }
    const auto result = reg.verify(input, &error);
    if (!result) {
        return CliInput::refuse(error);
    }
    QString report = verifyReport(*result);
    report.replace(u'\n', QStringLiteral("\r\n"));
    if (!CliInput::writeResult(report + QStringLiteral("\r\n"))) {
        return 1;
    }
    switch (result->outcome) {
    case VerifyResult::Outcome::Match:
    case VerifyResult::Outcome::NumberOnly:
        return 0;
    case VerifyResult::Outcome::Mismatch:
        return kTextDiffers;
    case VerifyResult::Outcome::NotFound:
        break;
    }
    return kNotHeld;
}

// The verdict as one line: what the register window shows, with the row and what failed.
int audit(CertificateRegister& reg, const CliOptions& options)
{
    QString error;
    const auto result = reg.audit(options.value(QStringLiteral("since")), &error);
    if (!result) {
        return CliInput::refuse(error);
    }
    if (!CliInput::writeResult(auditReport(*result) + QStringLiteral("\r\n"))) {
        return 1;
    }
    return result->intact ? 0 : kTampered;
}

int due(CertificateRegister& reg, const CliOptions& options)
{
    QString error;
    const std::optional<QDate> given = dateOption(options, QStringLiteral("today"), &error);
    if (!given) {
        return CliInput::refuse(error);
    }
    const QDate today = given->isValid() ? *given : QDate::currentDate();
    const std::optional<DueLists> lists = dueLists(reg, today, &error);
    if (!lists) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(dueListsText(*lists)) ? 0 : 1;
}

// The entry --number names, for a duty to be recorded on it; 0 (after the message) when none.
qint64 entryNamed(CertificateRegister& reg, const CliOptions& options, QString* error)
{
    if (!options.has(QStringLiteral("number"))) {
        *error = CliInput::missingOption(QStringLiteral("number"));
        return 0;
    }
    const std::optional<Entry> e = reg.entryByNumber(options.value(QStringLiteral("number")), error);
    return e ? e->summary.id : 0;
}

int deliver(CertificateRegister& reg, const CliOptions& options)
{
    QString error;
    const qint64 id = entryNamed(reg, options, &error);
    if (id == 0) {
        return CliInput::refuse(error);
    }
    if (!options.has(QStringLiteral("method"))) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("method")));
    }
    const std::optional<DeliveryMethod> method =
        deliveryMethodFrom(options.value(QStringLiteral("method")));
    if (!method) {
        return CliInput::refuse(
            QStringLiteral("--method“%1”不是送达方式（可用 当面签收、邮寄、电子邮件、其他，或 "
                           "in-person、post、email、other）")
                .arg(options.value(QStringLiteral("method"))));
    }
    const std::optional<QDate> received = dateOption(options, QStringLiteral("received"), &error);
    if (!received) {
        return CliInput::refuse(error);
    }
    const Delivery d{*method, options.value(QStringLiteral("waybill")), *received,
                     options.value(QStringLiteral("note"))};
    if (!reg.recordDelivery(id, d, &error)) {
        return CliInput::refuse(error);
    }
    const std::optional<Entry> e = reg.entry(id, &error);
    if (!e || !e->summary.delivery) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(QStringLiteral("%1 送达：%2\r\n")
                                     .arg(e->summary.number, deliveryLabel(*e->summary.delivery)))
               ? 0
               : 1;
}

int transfer(CertificateRegister& reg, const CliOptions& options)
{
    QString error;
    const qint64 id = entryNamed(reg, options, &error);
    if (id == 0) {
        return CliInput::refuse(error);
    }
    if (!options.has(QStringLiteral("on"))) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("on")));
    }
    const std::optional<QDate> day = dateOption(options, QStringLiteral("on"), &error);
    if (!day) {
        return CliInput::refuse(error);
    }
    if (!reg.recordTransfer(id, *day, &error)) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(QStringLiteral("%1 档案社保转移：%2\r\n")
                                     .arg(options.value(QStringLiteral("number")).trimmed().toUpper(),
                                          day->toString(Qt::ISODate)))
               ? 0
               : 1;
}

} // namespace

namespace {

// Each operation's options and usage.
struct Operation
{
    const char* name;
    QStringList valueNames;
    QStringList flagNames;
    const char* usage;
};

const QString kCommonNote = QStringLiteral(
    "\n    ID numbers are masked unless --full-ids; D is yyyy-MM-dd; FILE defaults to the\n"
    "    register beside the library file.");

const std::array<Operation, 9>& operations()
{
    static const QStringList search = kSearchOptions;
    static const std::array<Operation, 9> all = {{
        {"list", QStringList{QStringLiteral("register")} + search,
         {QStringLiteral("full-ids"), QStringLiteral("undelivered")},
         "register list [--register FILE] [--name X] [--id X] [--number X] [--from D] [--to D]\n"
         "         [--by leaving|created] [--undelivered] [--full-ids]\n"
         "    The register's entries, newest first, tab-separated; --undelivered: only those\n"
         "    whose receipt is not confirmed."},
        {"show", {QStringLiteral("register"), QStringLiteral("number")},
         {QStringLiteral("full-ids")},
         "register show --number N [--register FILE] [--full-ids]\n"
         "    One entry with its events and texts."},
        {"export",
         QStringList{QStringLiteral("register"), QStringLiteral("out")} + search,
         {QStringLiteral("full-ids"), QStringLiteral("undelivered")},
         "register export --out FILE.csv [--register FILE] [search options of list]\n"
         "         [--full-ids]\n"
         "    The entries as CSV (UTF-8, BOM)."},
        {"archive",
         {QStringLiteral("register"), QStringLiteral("out"), QStringLiteral("from"),
          QStringLiteral("to"), QStringLiteral("by")},
         {},
         "register archive --out DIR [--from D] [--to D] [--by created|leaving] [--register FILE]\n"
         "    Every issued certificate of the period (issued in it, unless --by leaving) as an\n"
         "    OFD file named by its number, and 归档索引.csv (UTF-8, BOM) with number, name,\n"
         "    masked ID, leaving date, file, the file's SHA-256 and the head link."},
        {"verify",
         {QStringLiteral("register"), QStringLiteral("number"), QStringLiteral("text")},
         {},
         "register verify --number N | --text FILE|- [--register FILE]\n"
         "    Whether the register holds the certificate; exit 0 held, 1 held but the text\n"
         "    differs, 3 not held."},
        {"due",
         {QStringLiteral("register"), QStringLiteral("today")},
         {},
         "register due [--today D] [--register FILE]\n"
         "    Drafts whose leaving date has passed (待出具), certificates that first left\n"
         "    after the leaving date (逾期, with the days), and entries 15 days past the leaving\n"
         "    date without the file and insurance transfer."},
        {"deliver",
         {QStringLiteral("register"), QStringLiteral("number"), QStringLiteral("method"),
          QStringLiteral("waybill"), QStringLiteral("received"), QStringLiteral("note")},
         {},
         "register deliver --number N --method 当面签收|邮寄|电子邮件|其他 [--waybill W]\n"
         "         [--received D] [--note X] [--register FILE]\n"
         "    How the certificate was delivered (邮寄 needs the waybill) and the day it was\n"
         "    received."},
        {"transfer",
         {QStringLiteral("register"), QStringLiteral("number"), QStringLiteral("on")},
         {},
         "register transfer --number N --on D [--register FILE]\n"
         "    The day the personnel file and social insurance were transferred."},
        {"audit",
         {QStringLiteral("register"), QStringLiteral("since")},
         {},
         "register audit [--since LINK] [--register FILE]\n"
         "    Walks the register's hash chain, every text against its SHA-256 and each year's\n"
         "    numbers; exit 0 and the head link when intact, exit 1 naming the first row that\n"
         "    fails. --since: a head noted earlier must still be in the chain."},
    }};
    return all;
}

} // namespace

QString synopsis()
{
    return QStringLiteral(
        "register list|show|export|archive|verify|due|deliver|transfer|audit|public-key\n"
        "    [--register FILE] ...\n"
        "    list [--name X] [--id X] [--number X] [--from D] [--to D] [--by leaving|created]\n"
        "         [--undelivered] [--full-ids]: the register's entries, newest first,\n"
        "         tab-separated; --undelivered: only those whose receipt is not confirmed.\n"
        "    show --number N [--full-ids]: one entry with its events and texts.\n"
        "    export --out FILE.csv [search options of list] [--full-ids]: CSV (UTF-8, BOM).\n"
        "    archive --out DIR [--from D] [--to D] [--by created|leaving]: every issued\n"
        "         certificate of the period (issued in it, unless --by leaving) as an OFD\n"
        "         file named by its number, and 归档索引.csv (UTF-8, BOM) with number, name,\n"
        "         masked ID, leaving date, file, the file's SHA-256 and the head link.\n"
        "    verify --number N | --text FILE|-: whether the register holds the certificate;\n"
        "         exit 0 held, 1 held but the text differs, 3 not held.\n"
        "    audit [--since LINK]: walks the register's hash chain, every text against its\n"
        "         SHA-256 and each year's numbers; exit 0 and the head link when intact, exit 1\n"
        "         naming the first row that fails. --since: a head noted earlier must still\n"
        "         be in the chain.\n"
        "    due [--today D]: drafts whose leaving date has passed (待出具) and certificates\n"
        "         that first left after the leaving date (逾期, with the days), entries 15 days\n"
        "         past the leaving date without the file and insurance transfer.\n"
        "    deliver --number N --method 当面签收|邮寄|电子邮件|其他 [--waybill W] [--received D]\n"
        "         [--note X]: how the certificate was delivered (邮寄 needs the waybill) and the\n"
        "         day it was received.\n"
        "    transfer --number N --on D: the day the personnel file and social insurance were\n"
        "         transferred.\n"
        "    public-key [--name COMPANY]: this installation's certificate signing key (made on\n"
        "         first use) as PEM with its key id, for the company to publish.") +
           kCommonNote;
}

int run(const QStringList& args)
{
    const QString action = args.value(0);
    if (args.size() == 1 && (action == u"--help" || action == u"-h")) {
        CliOptions::printUsage(synopsis());
        return 0;
    }
    if (args.isEmpty()) {
        return CliInput::refuse(
            QStringLiteral("register 后面要写 list、show、export、archive、verify、due、deliver、"
                           "transfer、audit 或 public-key"));
    }
    if (action == QLatin1String("public-key")) {
        return SealCommand::publicKey(args.mid(1));
    }
    const Operation* operation = nullptr;
    for (const Operation& o : operations()) {
        if (action == QLatin1String(o.name)) {
            operation = &o;
        }
    }
    if (!operation) {
        return CliInput::refuse(
            QStringLiteral(
                "register 没有“%1”这个操作（可用 list、show、export、archive、verify、due、deliver、"
                "transfer、audit）")
                .arg(action));
    }
    CliOptions options(operation->valueNames, operation->flagNames);
    if (const std::optional<int> end =
            options.parse(args.mid(1), QString::fromUtf8(operation->usage) + kCommonNote)) {
        return *end;
    }
    QString error;
    // The archive lays pages out, which needs fonts.
    const std::unique_ptr<QCoreApplication> app =
        action == QLatin1String("archive") ? CliApplication::offscreen() : CliApplication::core();
    std::unique_ptr<CertificateRegister> reg = openRegister(options, &error);
    if (!reg) {
        return CliInput::refuse(error);
    }
    if (const QString notice = reg->openingNotice(); !notice.isEmpty()) {
        CliInput::say(notice);
    }
    if (action == QLatin1String("list")) {
        return list(*reg, options);
    }
    if (action == QLatin1String("show")) {
        return show(*reg, options);
    }
    if (action == QLatin1String("export")) {
        return exportCsv(*reg, options);
    }
    if (action == QLatin1String("audit")) {
        return audit(*reg, options);
    }
    if (action == QLatin1String("archive")) {
        return archive(*reg, options);
    }
    if (action == QLatin1String("due")) {
        return due(*reg, options);
    }
    if (action == QLatin1String("deliver")) {
        return deliver(*reg, options);
    }
    if (action == QLatin1String("transfer")) {
        return transfer(*reg, options);
    }
    return verify(*reg, options);
}

} // namespace RegisterCommand
