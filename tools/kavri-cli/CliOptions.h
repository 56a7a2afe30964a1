#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The "--name value" (or "--name=value") options after a subcommand. Each subcommand says which
// names it takes; anything else, a name given twice, a name without its value or a bare
// argument is refused with a message that names it.
class CliOptions
{
public:
    // False with `error` set when `args` holds something the subcommand does not take.
    // `flagNames` are options that take no value ("--open-ended"); has() tells they were given.
    bool parse(const QStringList& args, const QStringList& allowedNames, QString* error,
               const QStringList& flagNames = {});

    bool has(const QString& name) const { return m_values.contains(name); }
    // The option's value; empty when it was not given.
    QString value(const QString& name) const { return m_values.value(name); }

private:
    QHash<QString, QString> m_values;
};
