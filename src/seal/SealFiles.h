#pragma once

#include "seal/SealKey.h"

#include <QList>
#include <QString>
#include <optional>

// Where the installation's signing key and the keys it trusts live: beside the certificate
// register and its key, in kavri's data folder.
//   kavri_seal.key        the installation's SM2 private key (PKCS #8 PEM), user-only (0600)
//   kavri_trusted_keys/   public keys of other companies (or desks), one PEM file each, named
//                         <key id in hex>.pem, the company's name on a "# " line before the PEM
namespace Seal {

inline const QString kSealKeyFileName = QStringLiteral("kavri_seal.key");
inline const QString kTrustFolderName = QStringLiteral("kavri_trusted_keys");

QString sealKeyPathBeside(const QString& registerPath);
QString trustFolderBeside(const QString& registerPath);

// The installation's key. When the file is missing and `create` is true, a new key pair is
// made and written first (mode 0600, under a temporary name and renamed; when another process
// made one meanwhile, that one is used). nullopt and *error (Chinese) on failure.
std::optional<SealKey> loadOrCreateSealKey(const QString& keyPath, bool create, QString* error);

struct TrustedKey
{
    QString label; // the company's (or desk's) name
    SealKey key;
};

// Every readable SM2 public key in the folder; files that hold none are passed over.
QList<TrustedKey> readTrustFolder(const QString& folder);

// Adds the public key in pemFile to the folder (made when missing) under label; the key's id
// on success, nullopt and *error (Chinese) when the file holds no SM2 key or cannot be written.
std::optional<QByteArray> addTrustedKey(const QString& folder, const QString& pemFile,
                                        const QString& label, QString* error);
// Removes the key with this id (hex) from the folder; false when it holds none.
bool removeTrustedKey(const QString& folder, const QString& keyIdHex);

// "# <label>\n" and the public key PEM: the form trusted keys are kept in and published.
QByteArray labelledPublicPem(const SealKey& key, const QString& label);

} // namespace Seal
