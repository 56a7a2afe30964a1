#pragma once

#include "register/RegisterTypes.h"

#include <QString>
#include <optional>

namespace Register {
class CertificateRegister;
}

// The register as the package an archivist files: every issued certificate that `query` finds,
// as the OFD document of the text that last left kavri, named by its number ("LZ2026-000123.ofd"),
// and an index beside them (归档索引.csv, UTF-8 with a byte-order mark, CR LF): number, name,
// masked ID number, leaving date, file, the SHA-256 of the file's bytes and the register's head
// link when the register keeps a chain. Each file is written whole or not at all; the index is
// written last, so that an index always describes files that are there. Returns how many
// certificates were archived; nullopt with the reason in `error`.
std::optional<qint64> WriteRegisterArchive(Register::CertificateRegister& reg,
                                           const Register::SearchQuery& query,
                                           const QString& folder, QString* error);

inline const QString kArchiveIndexName = QStringLiteral("归档索引.csv");
