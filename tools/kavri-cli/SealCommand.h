#pragma once

#include <QStringList>

class CliOptions;

// The certificate's signed QR code from scripts:
//   kavri-cli verify-scan FILE      checks the code in a scan, photo or PDF of a certificate
//   kavri-cli trust-key FILE        adds another company's published public key
//   kavri-cli register public-key   prints this installation's public key for publishing
namespace SealCommand {

// Exit status of verify-scan.
inline constexpr int kGenuine = 0;
inline constexpr int kAltered = 1;
inline constexpr int kNoCode = 2;
inline constexpr int kUnknownKey = 3;

QString verifyScanSynopsis();
// verify-scan itself (ScanCommand.cpp) is built into kavri-cli-scan, which kavri-cli hands the
// command to: the libraries that read images and PDF pages load only for it.
int verifyScan(const QStringList& args);

QString trustKeySynopsis();
int trustKey(const QStringList& args);

// The register file the keys lie beside: --register, else the one beside the library file.
QString registerPath(const CliOptions& options);

// `register public-key [--register FILE] [--name COMPANY]`.
int publicKey(const QStringList& args);

} // namespace SealCommand
