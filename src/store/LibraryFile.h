#pragma once

#include <QString>

// The delivered library file: its name beside the executable and the fixed key it is
// encrypted with. The seeding tool and the data-access object share these.
namespace LibraryFile {

inline const QString kFileName = QStringLiteral("bdsj_conn.dll");
inline const QString kPassword = QStringLiteral("하늘의 구름은 언제나 자유롭게 흐름");

} // namespace LibraryFile
