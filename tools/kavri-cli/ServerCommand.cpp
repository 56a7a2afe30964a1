#include "ServerCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "register/PgRegisterImport.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgRegisterSchema.h"
#include "store/pg/PgSchema.h"
#include "store/pg/TeamConfig.h"

namespace ServerCommand {

namespace {

// Exit status when the server refused or could not be reached.
constexpr int kServerFailed = 1;

int fail(const QString& message)
{
    CliInput::refuse(message);
    return kServerFailed;
}

// The server named by --server, else the one of kavri.conf.
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
        conninfo = choice.conninfo;
    }
    QString error;
    auto connection = PgConnection::open(conninfo, &error);
    if (!connection) {
        *status = fail(QStringLiteral("无法连接服务器：") + error);
    }
    return connection;
}

int init(QStringList args)
{
    // --upgrade is a switch: given without a value it would take the next option as one.
    const bool upgrade = args.removeAll(QStringLiteral("--upgrade")) > 0;
    CliOptions options;
    QString error;
    if (!options.parse(args, {QStringLiteral("server")}, &error)) {
        return CliInput::refuse(error);
    }
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
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
    CliOptions options;
    QString error;
    if (!options.parse(
            args, {QStringLiteral("server"), QStringLiteral("library"), QStringLiteral("register")},
            &error)) {
        return CliInput::refuse(error);
    }
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

} // namespace

QString synopsis()
{
    return QStringLiteral(
        "server init [--upgrade] [--server CONNINFO]\n"
        "    Creates the team library's tables and the roles kavri_clerk and kavri_admin on\n"
        "    the server (default: the one kavri.conf names). Run once, as the database owner.\n"
        "    --upgrade brings a database set up by an older kavri to the current register\n"
        "    (clerks write through the server's functions; the hash chain) in one transaction.\n"
        "  kavri-cli server import [--library FILE] [--register FILE] [--server CONNINFO]\n"
        "    Copies a local library file and/or register up to the server's empty tables in\n"
        "    one transaction, keeping the order of the entries, their default marks and the\n"
        "    register's numbers; new numbers continue above the highest one copied.");
}

int run(const QStringList& args)
{
    const QString action = args.value(0);
    if (action == QLatin1String("init")) {
        return init(args.mid(1));
    }
    if (action == QLatin1String("import")) {
        return import(args.mid(1));
    }
    return CliInput::refuse(
        QStringLiteral("server 后面要写 init 或 import（用法见 kavri-cli --help）"));
}

} // namespace ServerCommand
