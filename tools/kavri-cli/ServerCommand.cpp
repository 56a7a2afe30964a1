#include "ServerCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "register/PgDeskKeys.h"
#include "register/PgRegisterImport.h"
#include "seal/SealKey.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgRegisterSchema.h"
#include "store/pg/PgSchema.h"
#include "store/pg/TeamConfig.h"

#include <QFileInfo>

namespace ServerCommand {

namespace {

// Exit status when the server refused or could not be reached.
constexpr int kServerFailed = 1;

int fail(const QString& message)
{
    CliInput::refuse(message);
    return kServerFailed;
}

// The server named by --server, else the one of kavri.conf. A password is never taken from
// either: it belongs in ~/.pgpass or pg_service.conf, where the program finds it too.
std::shared_ptr<PgConnection> connect(const CliOptions& options, int* status)
{
    QString conninfo = options.value(QStringLiteral("server"));
    if (conninfo.isEmpty()) {
        const TeamConfig::Choice choice = TeamConfig::read();
        if (!choice.team) {
            *status = CliInput::refuse(QStringLiteral(
                "没有指定服务器：请用 --server 'service=名称' 给出，或在 kavri.conf 中写明"));
            return nullptr;
        }
        if (!choice.error.isEmpty()) {
            *status = CliInput::refuse(choice.error);
            return nullptr;
        }
        conninfo = choice.conninfo;
    } else if (QString problem = TeamConfig::checkConninfo(conninfo); !problem.isEmpty()) {
        problem.replace(QStringLiteral("kavri.conf 中"), QStringLiteral("--server 中"));
        *status = CliInput::refuse(problem);
        return nullptr;
    }
    QString error;
    auto connection = PgConnection::open(conninfo, &error);
    if (!connection) {
        *status = fail(QStringLiteral("无法连接服务器：") + error);
    }
    return connection;
}

QString initUsage()
{
    return QStringLiteral(
        "server init [--upgrade] [--server CONNINFO]\n"
        "    Creates the team library's tables and the roles kavri_clerk and kavri_admin on\n"
        "    the server (default: the one kavri.conf names). Run once, as the database owner.\n"
        "    --upgrade brings a database set up by an older kavri to the current register\n"
        "    (clerks write through the server's functions; the hash chain) in one transaction;\n"
        "    on a database that has them, it replaces the functions with this release's.");
}

QString importUsage()
{
    return QStringLiteral(
        "server import [--library FILE] [--register FILE] [--server CONNINFO]\n"
        "    Copies a local library file and/or register up to the server's empty tables in\n"
        "    one transaction, keeping the order of the entries, their default marks and the\n"
        "    register's numbers; new numbers continue above the highest one copied.");
}

QString keysUsage()
{
    return QStringLiteral(
        "server trust-key FILE [--name DESK] | untrust-key KEYID | keys [--server CONNINFO]\n"
        "    The administrator lists (or takes off) a desk's certificate signing key on the\n"
        "    server; every desk's verify-scan and 查验 then know it. keys prints the list.");
}

const QString kPasswordNote = QStringLiteral(
    "\n    CONNINFO holds no password: it belongs in ~/.pgpass or pg_service.conf.");

int init(const QStringList& args)
{
    CliOptions options({QStringLiteral("server")}, {QStringLiteral("upgrade")});
    if (const std::optional<int> end = options.parse(args, initUsage() + kPasswordNote)) {
        return *end;
    }
    const bool upgrade = options.has(QStringLiteral("upgrade"));
    QString error;
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    if (upgrade && PgRegisterSchema::isCurrent(*server, &error)) {
        // Set up by a release that already had the chain: only the functions' bodies change.
        if (!PgRegisterSchema::refreshFunctions(*server, &error)) {
            return fail(QStringLiteral("升级被拒绝，什么也没有改变：") + error);
        }
        CliInput::writeResult(
            QStringLiteral("%1 的登记簿结构已是最新，服务器函数已换成本版本的写法（规则不变）\n")
                .arg(server->libraryName()));
        return 0;
    }
    if (upgrade) {
        const qint64 linked = PgRegisterSchema::upgrade(*server, &error);
        if (linked < 0) {
            return fail(QStringLiteral("升级被拒绝，什么也没有改变：") + error);
        }
        CliInput::writeResult(
            QStringLiteral("已将 %1 的登记簿升级：职员只能通过服务器函数登记，原有的 %2 条版本和"
                           "出具记录已按时间顺序连入链中\n")
                .arg(server->libraryName())
                .arg(linked));
        return 0;
    }
    if (!PgSchema::init(*server, &error)) {
        return fail(QStringLiteral("建立被拒绝，什么也没有创建：") + error);
    }
    CliInput::writeResult(
        QStringLiteral("已在 %1 中建立五个资料库表、登记簿的表和角色 %2、%3\n")
            .arg(server->libraryName(), PgSchema::kClerkRole, PgSchema::kAdminRole));
    return 0;
}

int import(const QStringList& args)
{
    CliOptions options(
        {QStringLiteral("server"), QStringLiteral("library"), QStringLiteral("register")});
    if (const std::optional<int> end = options.parse(args, importUsage() + kPasswordNote)) {
        return *end;
    }
    QString error;
    const QString library = options.value(QStringLiteral("library"));
    const QString registerFile = options.value(QStringLiteral("register"));
    if (library.isEmpty() && registerFile.isEmpty()) {
        return CliInput::refuse(
            QStringLiteral("请说明要复制什么：--library 文件、--register 文件，或两者都给"));
    }
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    // The library and the register go up in one transaction: both or neither.
    if (!server->begin(library.isEmpty() ? QStringList() : PgSchema::itemTables(), &error)) {
        return fail(QStringLiteral("导入被拒绝，什么也没有复制：") + error);
    }
    PgImport::Result copied;
    if (!library.isEmpty() &&
        !PgImport::copyLibrary(*server, library, LibraryFile::kPassword, copied)) {
        return fail(QStringLiteral("导入被拒绝，什么也没有复制：") + copied.error);
    }
    Register::PgRegisterImport::Result entries;
    if (!registerFile.isEmpty() &&
        !Register::PgRegisterImport::copyRegister(*server, registerFile, entries)) {
        return fail(QStringLiteral("导入被拒绝，什么也没有复制：") + entries.error);
    }
    if (!server->commit(&error)) {
        return fail(QStringLiteral("导入被拒绝，什么也没有复制：") + error);
    }
    if (!library.isEmpty()) {
        CliInput::writeResult(QStringLiteral("已将 %1 条资料复制到 %2\n")
                                  .arg(copied.rows)
                                  .arg(server->libraryName()));
    }
    if (!registerFile.isEmpty()) {
        CliInput::writeResult(QStringLiteral("已将 %1 条登记复制到 %2\n")
                                  .arg(entries.entries)
                                  .arg(server->libraryName()));
    }
    return 0;
}

// server trust-key FILE [--name DESK]: lists a desk's public key for every desk of the team.
int trustKey(const QStringList& args)
{
    CliOptions options({QStringLiteral("server"), QStringLiteral("name")}, {}, 1);
    if (const std::optional<int> end = options.parse(args, keysUsage() + kPasswordNote)) {
        return *end;
    }
    QString error;
    const QString file = options.arguments().value(0);
    if (file.isEmpty()) {
        return CliInput::refuse(QStringLiteral("server trust-key 后面要写公钥文件"));
    }
    const std::optional<QString> pem =
        CliInput::readTextFile(file, QStringLiteral("公钥文件"), &error);
    if (!pem) {
        return CliInput::refuse(error);
    }
    const std::optional<Seal::SealKey> key = Seal::SealKey::fromPem(pem->toUtf8(), &error);
    if (!key) {
        return CliInput::refuse(QStringLiteral("文件 %1 中没有可用的公钥：%2").arg(file, error));
    }
    QString label = options.value(QStringLiteral("name")).trimmed();
    if (label.isEmpty()) {
        label = QFileInfo(file).completeBaseName();
    }
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    const Register::PgDeskKeys::DeskKey desk{QString::fromLatin1(key->keyId().toHex()), label,
                                             QString::fromLatin1(key->publicPem())};
    if (!Register::PgDeskKeys::ensureTable(*server, &error) ||
        !Register::PgDeskKeys::add(*server, desk, &error)) {
        return fail(QStringLiteral("服务器拒绝登记该公钥：") + error);
    }
    CliInput::writeResult(QStringLiteral("已在服务器上登记“%1”的公钥，密钥编号 %2。\n")
                              .arg(label, Seal::keyIdText(key->keyId())));
    return 0;
}

// server untrust-key KEYID: takes a desk's key off the server's list.
int untrustKey(const QStringList& args)
{
    CliOptions options({QStringLiteral("server")}, {}, 1);
    if (const std::optional<int> end = options.parse(args, keysUsage() + kPasswordNote)) {
        return *end;
    }
    QString error;
    const QString id = options.arguments().value(0);
    if (id.isEmpty()) {
        return CliInput::refuse(QStringLiteral("server untrust-key 后面要写密钥编号"));
    }
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    bool found = false;
    const QString hex = id.toLower().remove(u' ');
    if (!Register::PgDeskKeys::remove(*server, hex, &found, &error)) {
        return fail(QStringLiteral("服务器拒绝删除该公钥：") + error);
    }
    if (!found) {
        return fail(QStringLiteral("服务器上没有编号为 %1 的公钥").arg(id));
    }
    CliInput::writeResult(QStringLiteral("已从服务器上删除公钥 %1。\n").arg(id));
    return 0;
}

// server keys: the desks' keys the server lists.
int listKeys(const QStringList& args)
{
    CliOptions options({QStringLiteral("server")});
    if (const std::optional<int> end = options.parse(args, keysUsage() + kPasswordNote)) {
        return *end;
    }
    QString error;
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    const auto keys = Register::PgDeskKeys::list(*server, &error);
    if (!keys) {
        return fail(QStringLiteral("无法读取服务器上的公钥：") + error);
    }
    QString text;
    for (const Register::PgDeskKeys::DeskKey& key : *keys) {
        text += Seal::keyIdText(QByteArray::fromHex(key.keyId.toLatin1())) + u'\t' + key.label +
                u'\n';
    }
    CliInput::writeResult(text);
    return 0;
}

} // namespace

QString synopsis()
{
    return initUsage() + QStringLiteral("\n  kavri-cli ") + importUsage() +
           QStringLiteral("\n  kavri-cli ") + keysUsage() + kPasswordNote;
}

int run(const QStringList& args)
{
    const QString action = args.value(0);
    if (args.size() == 1 && (action == u"--help" || action == u"-h")) {
        CliOptions::printUsage(synopsis());
        return 0;
    }
    if (action == QLatin1String("init")) {
        return init(args.mid(1));
    }
    if (action == QLatin1String("import")) {
        return import(args.mid(1));
    }
    if (action == QLatin1String("trust-key")) {
        return trustKey(args.mid(1));
    }
    if (action == QLatin1String("untrust-key")) {
        return untrustKey(args.mid(1));
    }
    if (action == QLatin1String("keys")) {
        return listKeys(args.mid(1));
    }
    return CliInput::refuse(QStringLiteral(
        "server 后面要写 init、import、trust-key、untrust-key 或 keys（用法见 kavri-cli --help）"));
}

} // namespace ServerCommand
