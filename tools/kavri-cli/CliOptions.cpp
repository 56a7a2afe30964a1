#include "CliOptions.h"

bool CliOptions::parse(const QStringList& args, const QStringList& allowedNames, QString* error,
                       const QStringList& flagNames)
{
    m_values.clear();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(u"--") || arg.size() == 2) {
            *error = QStringLiteral("unexpected argument '%1'").arg(arg);
            return false;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype equals = name.indexOf(u'=');
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const bool flag = flagNames.contains(name);
        if (!flag && !allowedNames.contains(name)) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return false;
        }
        if (m_values.contains(name)) {
            *error = QStringLiteral("option '--%1' given twice").arg(name);
            return false;
        }
        if (flag && equals >= 0) {
            *error = QStringLiteral("option '--%1' takes no value").arg(name);
            return false;
        }
        if (!flag && equals < 0) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
            value = args.at(++i);
        }
        m_values.insert(name, value);
    }
    return true;
}
