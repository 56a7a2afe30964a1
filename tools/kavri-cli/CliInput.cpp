#include "CliInput.h"

#include "CliOptions.h"
#include "compose/CertificateComposer.h"
#include "compose/FormFields.h"
#include "compose/ValueCharacters.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace CliInput {

namespace {

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    // The default flags drop one leading byte-order mark, which is what a template saved by a
    // Windows editor starts with.
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

QStringList valueOptionNames()
{
    QStringList names;
    for (const Compose::FormField& field : Compose::kFormFields) {
        names << field.key.toString();
    }
    return names;
}

std::optional<QString> decodeArgument(const QByteArray& bytes)
{
    return decodeUtf8(bytes);
}

std::optional<QString> readTextFile(const QString& path, const QString& what, QString* error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = QStringLiteral("%1“%2”是文件夹，不是文件").arg(what, path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = !info.exists()       ? QStringLiteral("文件不存在")
                               : !info.isReadable() ? QStringLiteral("没有读取权限")
                                                    : file.errorString();
        *error = QStringLiteral("无法读取%1“%2”（%3）").arg(what, path, reason);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("无法读取%1“%2”（%3）").arg(what, path, file.errorString());
        return std::nullopt;
    }
    std::optional<QString> text = decodeUtf8(bytes);
    if (!text) {
        *error = QStringLiteral("%1“%2”不是 UTF-8 编码的文字").arg(what, path);
    }
    return text;
}

std::optional<QString> readTemplateFile(const QString& path, QString* error)
{
    return readTextFile(path, QStringLiteral("模板文件"), error);
}

QString missingOption(const QString& name)
{
    return QStringLiteral("缺少选项“--%1”").arg(name);
}

std::optional<int> parseWidth(const QString& text, QString* error)
{
    int width = 0;
    bool digitsOnly = !text.isEmpty();
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            digitsOnly = false;
            break;
        }
        // Stop counting once past the limit so that a long run of digits cannot overflow.
        width = std::min(width * 10 + (c.unicode() - u'0'), Compose::kMaxLineWidth + 1);
    }
    if (!digitsOnly) {
        *error = QStringLiteral("宽度“%1”不是整数").arg(text);
        return std::nullopt;
    }
    if (width > Compose::kMaxLineWidth) {
        *error =
            QStringLiteral("宽度“%1”超出范围（0 到 %2）").arg(text).arg(Compose::kMaxLineWidth);
        return std::nullopt;
    }
    return width;
}

std::optional<TemplateJob> templateJob(const CliOptions& options, QString* error,
                                       std::optional<int> defaultWidth)
{
    for (const QString& name : {QStringLiteral("template"), QStringLiteral("width")}) {
        if (!options.has(name) && !(name == u"width" && defaultWidth)) {
            *error = missingOption(name);
            return std::nullopt;
        }
    }
    const std::optional<int> width = options.has(QStringLiteral("width"))
                                         ? parseWidth(options.value(QStringLiteral("width")), error)
                                         : defaultWidth;
    if (!width) {
        return std::nullopt;
    }
    std::optional<QString> text =
        readTemplateFile(options.value(QStringLiteral("template")), error);
    if (!text) {
        return std::nullopt;
    }
    return TemplateJob{std::move(*text), *width};
}

Compose::FieldValues fieldValues(const CliOptions& options)
{
    Compose::FieldValues values;
    for (size_t i = 0; i < Compose::kFormFields.size(); ++i) {
        values[i] = options.value(Compose::kFormFields[i].key.toString());
    }
    return values;
}

bool checkValueCharacters(const CliOptions& options, QString* error)
{
    for (const QString& name : valueOptionNames()) {
        const QString problem = Compose::valueCharacterProblem(
            options.value(name), QStringLiteral("选项“--%1”").arg(name));
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
    }
    return true;
}

bool writeResult(const QString& text)
{
    // On a terminal no control character of a recorded text reaches it raw; into a file or a
    // pipe the text goes as it is.
    const QByteArray bytes =
        (isatty(STDOUT_FILENO) ? Compose::escapeControlCharacters(text) : text).toUtf8();
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (written == size_t(bytes.size()) && std::fflush(stdout) == 0) {
        return true;
    }
    say(QStringLiteral("无法写出结果：标准输出不接受（%1）")
            .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return false;
}

QString whyNotWritten(const QString& path, const QString& systemText)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("文件夹不存在");
    }
    if (!folder.isWritable()) {
        return QStringLiteral("没有写入文件夹的权限");
    }
    return systemText;
}

void say(const QString& message)
{
    // One line, whatever the message holds, so that scripts can read it as one.
    QString line = Compose::escapeControlCharacters(message);
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    std::fprintf(stderr, "kavri-cli: %s\n", line.toUtf8().constData());
}

int refuse(const QString& message)
{
    say(message);
    return kBadInput;
}

} // namespace CliInput
