#include "ServerCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "store/LibraryFile.h"
#include "store/pg/PgConnection.h"
#include "store/pg/PgImport.h"
#include "store/pg/PgSchema.h"
#include "store/pg/TeamConfig.h"

#include <cstdio>

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
                "no server: give --server 'service=NAME' or name one in kavri.conf"));
            return nullptr;
        }
        conninfo = choice.conninfo;
    }
    QString error;
    auto connection = PgConnection::open(conninfo, &error);
    if (!connection) {
        *status = fail(QStringLiteral("cannot connect to the server: ") + error);
    }
    return connection;
}

int init(const QStringList& args)
{
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
    if (!PgSchema::init(*server, &error)) {
        return fail(QStringLiteral("set-up refused, nothing created: ") + error);
    }
    std::printf("created the five library tables, the register tables and the roles %s and %s "
                "in %s\n",
                qPrintable(PgSchema::kClerkRole), qPrintable(PgSchema::kAdminRole),
                qPrintable(server->libraryName()));
    return 0;
}

int import(const QStringList& args)
{
    CliOptions options;
    QString error;
    if (!options.parse(args,
                       {QStringLiteral("server"), QStringLiteral("library"),
                        QStringLiteral("register")},
                       &error)) {
        return CliInput::refuse(error);
    }
    if (!options.has(QStringLiteral("library"))) {
        return CliInput::refuse(QStringLiteral("--library FILE is required"));
    }
    if (options.has(QStringLiteral("register"))) {
        return CliInput::refuse(QStringLiteral("--register is not available yet"));
    }
    int status = 0;
    const auto server = connect(options, &status);
    if (!server) {
        return status;
    }
    const PgImport::Result result = PgImport::importLibrary(
        *server, options.value(QStringLiteral("library")), LibraryFile::kPassword);
    if (!result.ok) {
        return fail(QStringLiteral("import refused, nothing copied: ") + result.error);
    }
    std::printf("copied %d entries to %s\n", result.rows, qPrintable(server->libraryName()));
    return 0;
}

} // namespace

QString synopsis()
{
    return QStringLiteral(
        "server init [--server CONNINFO]\n"
        "    Creates the team library's tables and the roles kavri_clerk and kavri_admin on\n"
        "    the server (default: the one kavri.conf names). Run once, as the database owner.\n"
        "  kavri-cli server import --library FILE [--server CONNINFO]\n"
        "    Copies a local library file up to the server's empty tables, keeping the order\n"
        "    of the entries and their default marks.");
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
    return CliInput::refuse(QStringLiteral("server: say init or import (see kavri-cli --help)"));
}

} // namespace ServerCommand
