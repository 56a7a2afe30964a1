#pragma once

#include <QString>
#include <QStringList>

// Which library the program uses. Read from kavri.conf (INI) through QSettings: the user's
// ~/.config/kavri/kavri.conf first, then /etc/xdg/kavri/kavri.conf for all users. Without the
// key the program uses the local library file exactly as it always has.
//
//   [library]
//   server=service=kavri-hr
//
// The value is a libpq connection text; a service name is preferred, with the server, the TLS
// settings and the password kept where PostgreSQL keeps them (pg_service.conf, ~/.pgpass).
namespace TeamConfig {

inline const QString kServerKey = QStringLiteral("library/server");

struct Choice
{
    bool team = false; // false: the local library file
    QString conninfo;  // the server's connection text when team is true
    QString error;     // set when the configuration names a server in a way it must not
};

// The configuration files in the order they are read: the user's, then the machine's.
QStringList configFiles();
// Reads the configuration of the current user.
Choice read();
// Reads one INI file only (for tests and kavri-cli's --config).
Choice readFile(const QString& path);
// The name a person knows the library by: the service name, else the database's name (empty
// when the text names neither, or cannot be read).
QString displayName(const QString& conninfo);
// Checks a connection text: it must parse, and it must not carry a password.
QString checkConninfo(const QString& conninfo);

} // namespace TeamConfig
