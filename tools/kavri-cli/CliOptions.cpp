#include "CliOptions.h"

#include "CliInput.h"

#include <QRegularExpression>
#include <cstdio>

namespace {

const QString kHelp = QStringLiteral("help");

// The option as the user wrote it: "--name" or "-n".
QString written(const QStringList& args, const QString& name)
{
    for (const QString& arg : args) {
        const QString bare = arg.section(u'=', 0, 0);
        if (bare == QStringLiteral("--") + name || bare == QStringLiteral("-") + name) {
            return bare;
        }
    }
    return QStringLiteral("--") + name;
}

} // namespace

CliOptions::CliOptions(const QStringList& valueNames, const QStringList& flagNames,
                       int maxArguments)
    : m_valueNames(valueNames), m_flagNames(flagNames), m_maxArguments(maxArguments)
{
    // "-abc" is one option named "abc", never three one-letter ones; options may follow the
    // arguments ("backup FILE --library PATH").
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), kHelp}));
    for (const QString& name : valueNames) {
        m_parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    }
    for (const QString& name : flagNames) {
        m_parser.addOption(QCommandLineOption(name));
    }
}

void CliOptions::printUsage(const QString& usage)
{
    const QString text = QStringLiteral("Usage: kavri-cli ") + usage + u'\n';
    std::fputs(text.toUtf8().constData(), stdout);
}

std::optional<int> CliOptions::parse(const QStringList& args, const QString& usage)
{
    // The parser takes the first word for the program's name.
    const bool parsed = m_parser.parse(QStringList{QStringLiteral("kavri-cli")} + args);
    if (parsed && m_parser.isSet(kHelp)) {
        printUsage(usage);
        return 0;
    }
    const QString problem = parsed ? refusal(args) : QString();
    if (parsed && problem.isEmpty()) {
        return std::nullopt;
    }
    if (!problem.isEmpty()) {
        return CliInput::refuse(problem);
    }
    // QCommandLineParser says what is wrong in English: its three complaints, in Chinese.
    const QStringList unknown = m_parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        return CliInput::refuse(
            QStringLiteral("没有“%1”这个选项").arg(written(args, unknown.first())));
    }
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const QString error = m_parser.errorText();
    const QString option = quoted.match(error).captured(1);
    if (error.startsWith(QLatin1String("Unexpected value"))) {
        return CliInput::refuse(QStringLiteral("选项“%1”不带值").arg(option));
    }
    if (error.startsWith(QLatin1String("Missing value"))) {
        return CliInput::refuse(QStringLiteral("选项“%1”缺少值").arg(option));
    }
    return CliInput::refuse(error);
}

QString CliOptions::refusal(const QStringList& args) const
{
    QStringList seen;
    for (const QString& name : m_parser.optionNames()) {
        if (seen.contains(name)) {
            return QStringLiteral("选项“%1”给了两次").arg(written(args, name));
        }
        seen << name;
    }
    const QStringList arguments = m_parser.positionalArguments();
    if (arguments.size() > m_maxArguments) {
        return QStringLiteral("多余的参数“%1”").arg(arguments.at(m_maxArguments));
    }
    return QString();
}
