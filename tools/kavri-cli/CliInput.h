#pragma once

#include "compose/FormFields.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class CliOptions;

// The checks and conversions that every subcommand shares: the template file, the width, the
// form values, and how results and complaints leave the program.
namespace CliInput {

// Exit status for input the program refuses.
inline constexpr int kBadInput = 2;

// The value options of a certificate, in the form's order.
QStringList valueOptionNames();

// An argument as text; nullopt when its bytes are not UTF-8.
std::optional<QString> decodeArgument(const QByteArray& bytes);

// A text file's text (UTF-8, a leading byte-order mark skipped); nullopt with `error` set, naming
// the file as `what` ("模板文件"), when it cannot be read or is not valid UTF-8.
std::optional<QString> readTextFile(const QString& path, const QString& what, QString* error);
// readTextFile for the template.
std::optional<QString> readTemplateFile(const QString& path, QString* error);

// The complaint for an option a command cannot do without.
QString missingOption(const QString& name);

// A line width: a whole number from 0 to 330 written in decimal digits.
std::optional<int> parseWidth(const QString& text, QString* error);

// What every template subcommand needs: the text of --template and the number of --width, both
// required unless a default width is given.
struct TemplateJob
{
    QString templateText;
    int width = 0;
};
std::optional<TemplateJob> templateJob(const CliOptions& options, QString* error,
                                       std::optional<int> defaultWidth = std::nullopt);

// The form values as the options give them, untrimmed; a missing option empty.
Compose::FieldValues fieldValues(const CliOptions& options);

// false with `error` when a value option holds a control or text-direction character, naming
// the option.
bool checkValueCharacters(const CliOptions& options, QString* error);

// Writes `text` to stdout as UTF-8, CR LF kept; false, and said on stderr, when stdout refuses
// it.
bool writeResult(const QString& text);

// Why the file at `path` could not be written, in a clerk's words where they are plain (its
// folder is missing or closed to us), else `systemText`.
QString whyNotWritten(const QString& path, const QString& systemText);

// Prints "kavri-cli: <message>" on stderr as one line, control and text-direction characters
// written out as \u{XXXX}.
void say(const QString& message);

// say()s the message and returns kBadInput.
int refuse(const QString& message);

} // namespace CliInput
