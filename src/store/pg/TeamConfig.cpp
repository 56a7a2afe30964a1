#include "store/pg/TeamConfig.h"

#include <QSettings>
#include <QStandardPaths>
#include <libpq-fe.h>

namespace TeamConfig {

namespace {

Choice fromSettings(const QSettings& settings)
{
    Choice choice;
    const QString conninfo = settings.value(kServerKey).toString().trimmed();
    if (conninfo.isEmpty()) {
        return choice;
    }
    choice.team = true;
    choice.conninfo = conninfo;
    choice.error = checkConninfo(conninfo);
    return choice;
}

} // namespace

QString checkConninfo(const QString& conninfo)
{
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &parseError);
    if (!options) {
        const QString reason = QString::fromUtf8(parseError ? parseError : "").trimmed();
        PQfreemem(parseError);
        return QStringLiteral("kavri.conf 中的服务器连接文字无法读懂：") + reason;
    }
    bool hasPassword = false;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val) {
            hasPassword = true;
        }
    }
    PQconninfoFree(options);
    if (hasPassword) {
        return QStringLiteral("kavri.conf 中不能写密码：请把密码写在 ~/.pgpass 或 "
                              "pg_service.conf 中。");
    }
    return QString();
}

QString displayName(const QString& conninfo)
{
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), nullptr);
    QString service;
    QString database;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (o->val && qstrcmp(o->keyword, "service") == 0) {
            service = QString::fromUtf8(o->val);
        } else if (o->val && qstrcmp(o->keyword, "dbname") == 0) {
            database = QString::fromUtf8(o->val);
        }
    }
    PQconninfoFree(options);
    return service.isEmpty() ? database : service;
}

QStringList configFiles()
{
    // QSettings' own search path would look for kavri.ini; the file is kavri.conf, in the XDG
    // configuration folders ($XDG_CONFIG_HOME or ~/.config first, then $XDG_CONFIG_DIRS or
    // /etc/xdg).
    QStringList files;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        files << folder + QStringLiteral("/kavri/kavri.conf");
    }
    return files;
}

Choice read()
{
    // The first file that names a server wins: the user's own over the one for all users.
    for (const QString& file : configFiles()) {
        const Choice choice = readFile(file);
        if (choice.team) {
            return choice;
        }
    }
    return Choice();
}

Choice readFile(const QString& path)
{
    const QSettings settings(path, QSettings::IniFormat);
    return fromSettings(settings);
}

} // namespace TeamConfig
