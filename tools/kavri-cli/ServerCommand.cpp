#include "ServerCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "register/PgRegisterImport.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
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
        "server init [--server CONNINFO]\n"
        "    Creates the team library's tables and the roles kavri_clerk and kavri_admin on\n"
        "    the server (default: the one kavri.conf names). Run once, as the database owner.");
}

QString importUsage()
{
    return QStringLiteral(
        "server import [--library FILE] [--register FILE] [--server CONNINFO]\n"
        "    Copies a local library file and/or register up to the server's empty tables in\n"
        "    one transaction, keeping the order of the entries, their default marks and the\n"
        "    register's numbers; new numbers continue above the highest one copied.");
}

const QString kPasswordNote = QStringLiteral(
    "\n    CONNINFO holds no password: it belongs in ~/.pgpass or pg_service.conf.");

int init(const QStringList& args)
{
    CliOptions options({QStringLiteral("server")});
    if (const std::optional<int> end = options.parse(args, initUsage() + kPasswordNote)) {
        return *end;
    }
    QString error;
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
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

} // namespace

QString synopsis()
{
    return initUsage() + QStringLiteral("\n  kavri-cli ") + importUsage() + kPasswordNote;
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
    return CliInput::refuse(
        QStringLiteral("server 后面要写 init 或 import（用法见 kavri-cli --help）"));
}

} // namespace ServerCommand
