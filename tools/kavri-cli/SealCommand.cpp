#include "SealCommand.h"

#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "store/LibraryFilePath.h"
#include "register/RegisterFiles.h"
#include "seal/SealFiles.h"

#include <memory>

namespace SealCommand {

QString registerPath(const CliOptions& options)
{
    return options.has(QStringLiteral("register")) ? options.value(QStringLiteral("register"))
                                                   : Register::registerPathBeside(DefaultLibraryFilePath());
}

QString verifyScanSynopsis()
{
    return QStringLiteral(
        "verify-scan FILE [--register FILE]\n"
        "    Checks the signed QR code on a certificate: FILE is a PNG or JPEG scan or photo, or\n"
        "    a PDF. Prints the verdict, the facts the code carries and, where the register holds\n"
        "    the number, whether its certificate agrees. Exit 0 genuine, 1 signature invalid or\n"
        "    facts altered, 2 no code found, 3 signed by an unknown key (see trust-key).");
}

QString trustKeySynopsis()
{
    return QStringLiteral(
        "trust-key FILE [--name COMPANY] [--register FILE] | trust-key --remove KEYID\n"
        "    Adds the public key another company published (PEM) to the keys verify-scan and\n"
        "    查验 know, under the company's name; --remove takes one away again.");
}

int trustKey(const QStringList& args)
{
    CliOptions options(
        {QStringLiteral("name"), QStringLiteral("register"), QStringLiteral("remove")}, {}, 1);
    if (const std::optional<int> end = options.parse(args, trustKeySynopsis())) {
        return *end;
    }
    QString error;
    const QString file = options.arguments().value(0);
    if (file.isEmpty() == !options.has(QStringLiteral("remove"))) {
        return CliInput::refuse(QStringLiteral("trust-key 后面要写公钥文件，或“--remove 密钥编号”"));
    }
    const std::unique_ptr<QCoreApplication> app = CliApplication::core();
    const QString folder = Seal::trustFolderBeside(registerPath(options));
    if (options.has(QStringLiteral("remove"))) {
        const QString id = options.value(QStringLiteral("remove"));
        if (!Seal::removeTrustedKey(folder, id)) {
            return CliInput::refuse(QStringLiteral("受信任的公钥中没有编号为 %1 的密钥").arg(id));
        }
        return CliInput::writeResult(QStringLiteral("已删除受信任的公钥 %1。\r\n").arg(id)) ? 0 : 1;
    }
    const std::optional<QByteArray> id =
        Seal::addTrustedKey(folder, file, options.value(QStringLiteral("name")), &error);
    if (!id) {
        return CliInput::refuse(error);
    }
    return CliInput::writeResult(
               QStringLiteral("已添加受信任的公钥，密钥编号 %1。\r\n").arg(Seal::keyIdText(*id)))
               ? 0
               : 1;
}

int publicKey(const QStringList& args)
{
    CliOptions options({QStringLiteral("register"), QStringLiteral("name")});
    if (const std::optional<int> end = options.parse(
            args, QStringLiteral("register public-key [--name COMPANY] [--register FILE]\n"
                                 "    This installation's certificate signing key (made on first\n"
                                 "    use) as PEM with its key id, for the company to publish."))) {
        return *end;
    }
    QString error;
    const std::unique_ptr<QCoreApplication> app = CliApplication::core();
    const QString keyPath = Seal::sealKeyPathBeside(registerPath(options));
    const std::optional<Seal::SealKey> key = Seal::loadOrCreateSealKey(keyPath, true, &error);
    if (!key) {
        return CliInput::refuse(error);
    }
    const QString text = QStringLiteral("# 密钥编号 %1\n").arg(Seal::keyIdText(key->keyId())) +
                         QString::fromUtf8(
                             Seal::labelledPublicPem(*key, options.value(QStringLiteral("name"))));
    return CliInput::writeResult(text) ? 0 : 1;
}

} // namespace SealCommand
