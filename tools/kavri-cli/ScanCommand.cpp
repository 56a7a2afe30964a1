#include "SealCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "register/CertificateRegister.h"
#include "register/PgDeskKeys.h"
#include "scan/ScanVerify.h"
#include "seal/SealFiles.h"
#include "store/pg/PgConnection.h"
#include "store/pg/TeamConfig.h"

#include <QFileInfo>
#include <memory>

namespace SealCommand {

namespace {

// The register to compare a scanned certificate with, when there is one; never made anew.
std::unique_ptr<Register::CertificateRegister> openRegisterIfAny(const CliOptions& options)
{
    QString error;
    if (!options.has(QStringLiteral("register"))) {
        if (const TeamConfig::Choice team = TeamConfig::read(); team.team) {
            return Register::CertificateRegister::openServer(team.conninfo, &error);
        }
    }
    const QString path = registerPath(options);
    if (!QFileInfo::exists(path)) {
        return nullptr;
    }
    return Register::CertificateRegister::open(path, &error);
}

// In a team, the desks' keys the server lists: each desk signs with its own.
void addTeamKeys(const CliOptions& options, QList<Seal::TrustedKey>* trusted)
{
    if (options.has(QStringLiteral("register"))) {
        return;
    }
    const TeamConfig::Choice team = TeamConfig::read();
    if (!team.team) {
        return;
    }
    QString error;
    const auto server = PgConnection::open(team.conninfo, &error);
    const auto keys = server ? Register::PgDeskKeys::list(*server, &error) : std::nullopt;
    if (!keys) {
        CliInput::say(QStringLiteral("无法读取服务器上各工作站的公钥：") + error);
        return;
    }
    for (const Register::PgDeskKeys::DeskKey& desk : *keys) {
        if (auto key = Seal::SealKey::fromPem(desk.pem.toLatin1(), &error)) {
            trusted->append({desk.label, std::move(*key)});
        }
    }
}

} // namespace

int verifyScan(const QStringList& args)
{
    CliOptions options({QStringLiteral("register")}, {}, 1);
    if (const std::optional<int> end = options.parse(args, verifyScanSynopsis())) {
        return *end == 0 ? 0 : kNoCode;
    }
    const QString file = options.arguments().value(0);
    if (file.isEmpty()) {
        CliInput::say(QStringLiteral("verify-scan 后面要写图片或 PDF 文件"));
        return kNoCode;
    }
    QString error;
    const std::unique_ptr<QGuiApplication> app = CliApplication::offscreen();
    const QString regPath = registerPath(options);
    std::optional<Seal::SealKey> own =
        Seal::loadOrCreateSealKey(Seal::sealKeyPathBeside(regPath), false, &error);
    QList<Seal::TrustedKey> trusted = Seal::readTrustFolder(Seal::trustFolderBeside(regPath));
    addTeamKeys(options, &trusted);
    const Seal::SealChecker checker(own ? &*own : nullptr, &trusted);
    const std::unique_ptr<Register::CertificateRegister> reg = openRegisterIfAny(options);
    const Scan::ScanReport report = Scan::verifyFile(file, checker, reg.get());
    if (!report.error.isEmpty()) {
        CliInput::say(report.error);
        return kNoCode;
    }
    if (!CliInput::writeResult(Scan::reportLines(report).join(QStringLiteral("\r\n")) +
                               QStringLiteral("\r\n"))) {
        return kAltered;
    }
    return int(report.outcome);
}

} // namespace SealCommand
