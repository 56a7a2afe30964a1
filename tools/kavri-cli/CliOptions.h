#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

// A subcommand's command line, read by QCommandLineParser: "--name value", "--name=value" and
// flags ("--open-ended"), then the subcommand's own arguments. "--help" (or "-h") prints the
// subcommand's usage. Anything else that starts with "-", an option given twice, an option
// without its value, a flag with one and an argument the subcommand does not take are refused
// with a Chinese message that names it.
class CliOptions
{
public:
    // `valueNames` take a value, `flagNames` take none; at most `maxArguments` arguments that
    // are no option follow.
    CliOptions(const QStringList& valueNames, const QStringList& flagNames = {},
               int maxArguments = 0);

    // Reads `args` (the words after the subcommand). Returns the exit status when the command
    // ends here: 0 after printing `usage` for --help, 2 after saying what was refused; nothing
    // when the command goes on.
    std::optional<int> parse(const QStringList& args, const QString& usage);

    bool has(const QString& name) const { return m_parser.isSet(name); }
    // The option's value; empty when it was not given.
    QString value(const QString& name) const { return m_parser.value(name); }
    // The arguments that are no option, in order.
    QStringList arguments() const { return m_parser.positionalArguments(); }

    // Prints "Usage: kavri-cli <usage>" on stdout.
    static void printUsage(const QString& usage);

private:
    QString refusal(const QStringList& args) const;

    QCommandLineParser m_parser;
    QStringList m_valueNames;
    QStringList m_flagNames;
    int m_maxArguments;
};
