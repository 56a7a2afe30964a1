#include "CliOptions.h"

bool CliOptions::parse(const QStringList& args, const QStringList& allowedNames, QString* error,
                       const QStringList& flagNames)
{
    m_values.clear();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(u"--") || arg.size() == 2) {
            *error = QStringLiteral("多余的参数“%1”").arg(arg);
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
            *error = QStringLiteral("没有“--%1”这个选项").arg(name);
            return false;
        }
        if (m_values.contains(name)) {
            *error = QStringLiteral("选项“--%1”给了两次").arg(name);
            return false;
        }
        if (flag && equals >= 0) {
            *error = QStringLiteral("选项“--%1”不带值").arg(name);
            return false;
        }
        if (!flag && equals < 0) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("选项“--%1”缺少值").arg(name);
                return false;
            }
            value = args.at(++i);
        }
        m_values.insert(name, value);
    }
    return true;
}
