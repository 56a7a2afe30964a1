#include "BatchCommand.h"

#include "BatchReportFile.h"
#include "CliApplication.h"
#include "CliInput.h"
#include "CliOptions.h"
#include "PdfCommand.h"
#include "store/LibraryFilePath.h"
#include "batch/BatchDates.h"
#include "batch/BatchFileNames.h"
#include "batch/BatchRecords.h"
#include "batch/BatchWriter.h"
#include "batch/SheetFile.h"
#include "compose/ValueCharacters.h"
#include "issue/CertificateIssuer.h"
#include "legal/WordingCheck.h"
#include "seal/SealFiles.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "store/StoreFeedback.h"
#include "store/pg/TeamConfig.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace BatchCommand {

namespace {

// Ctrl-C asks the writer to stop after the certificates being written; a second one ends the
// program at once.
BatchWriter* g_running = nullptr;

extern "C" void stopOnInterrupt(int)
{
    if (g_running) {
        g_running->cancel();
    }
    std::signal(SIGINT, SIG_DFL);
}

// The value options of compose fill what a row leaves empty, as the main window's values do
// in the batch dialog: "--company 某公司" gives every row without a company that one.
std::optional<BatchFallback> fallbackFrom(const CliOptions& options, QString* error)
{
    BatchFallback fallback;
    for (size_t i = 0; i < Compose::kFormFields.size(); ++i) {
        const QString name = Compose::kFormFields[i].key.toString();
        const BatchField field = kBatchFields[i];
        if (!options.has(name)) {
            continue;
        }
        QString value = options.value(name);
        if (const QString problem = Compose::valueCharacterProblem(
                value, QStringLiteral("选项“--%1”").arg(name));
            !problem.isEmpty()) {
            *error = problem;
            return std::nullopt;
        }
        value = value.trimmed();
        if (isDateField(field)) {
            const std::optional<QDate> date = BatchDates::parse(value);
            if (!date) {
                *error = QStringLiteral("--%1“%2”不是有效的日期（可写作 2024-05-31、2024/5/31、"
                                        "2024.5.31 或 2024年5月31日）")
                             .arg(name, value);
                return std::nullopt;
            }
            value = BatchDates::longForm(*date);
        }
        fallback.set(field, value);
    }
    return fallback;
}

// Rows said one a line up to this many of a kind; the rest in one line (the report file, when
// asked for, has them all).
constexpr int kRowsShown = 50;

void sayRows(const QStringList& lines)
{
    for (qsizetype i = 0; i < lines.size() && i < kRowsShown; ++i) {
        CliInput::say(lines.at(i));
    }
    if (lines.size() > kRowsShown) {
        CliInput::say(QStringLiteral("另有 %1 行有同样的问题").arg(lines.size() - kRowsShown));
    }
}

// Certificates with wording hits said one a line up to this many; they were written, so a
// few show what to look at and the register has them all.
constexpr int kWordingRowsShown = 10;

// What the library says when it cannot be opened or a statement fails, as one line on stderr.
class SayStoreFeedback : public StoreFeedback::Backend
{
public:
    void connectFailed(const QString& text) override { CliInput::say(text); }
    void statementFailed(const QString& text) override { CliInput::say(text); }
    void busy(bool) override {}
};

// The text of the template the library lists under `name`, looked up as the main window does.
std::optional<QString> templateFromLibrary(const QString& libraryPath, const QString& name,
                                           QString* error)
{
    SayStoreFeedback feedback;
    StoreFeedback::setBackend(&feedback);
    CDbVisit library;
    library.m_pConnection = library.ConnectLibrary(libraryPath);
    std::optional<QString> text;
    if (!library.m_pConnection) {
        *error = QStringLiteral("无法打开资料库 %1").arg(libraryPath);
    } else if (library.FindRecordId(LibraryTables::kTemplate, LibraryTables::kNameColumn, name) <
               0) {
        *error = QStringLiteral("资料库中没有名为“%1”的模板").arg(name);
    } else {
        text = library.FindRecordValue(LibraryTables::kTemplate, LibraryTables::kNameColumn, name,
                                       LibraryTables::kContentColumn);
    }
    library.CloseConnection(library.m_pConnection);
    StoreFeedback::setBackend(nullptr);
    return text;
}

} // namespace

QString synopsis()
{
    return QStringLiteral(
               "batch --data FILE (--template FILE | --template-name NAME)\n"
               "      (--out DIR [--pattern P] | --combined FILE.pdf) [--format pdf|ofd]\n"
               "      [--width W] [--sheet NAME]\n"
               "      [--encoding gb18030|utf-8] [--report FILE.csv] [--library PATH]\n"
               "      [--register PATH | --no-register] [value options of compose]\n"
               "    One certificate per row of an .xlsx or .csv sheet whose first row names the\n"
               "    columns (%3). --out writes one PDF per row named by the pattern (default\n"
               "    %1); --combined one PDF with a page per row. --format ofd writes OFD\n"
               "    documents (GB/T 33190) instead, named .ofd. A value option fills\n"
               "    what a row leaves empty. Rows with problems are skipped and listed on\n"
               "    stderr and in the report. --template-name takes the template from the\n"
               "    library (PATH, default: the one kavri opens). Every certificate written\n"
               "    is numbered and recorded in the register beside the library (or the one\n"
               "    --register names); when the register cannot be used the batch stops.\n"
               "    --no-register writes them without numbers and records nothing.\n"
               "    Certificates holding phrases of the office's wording list are written all\n"
               "    the same; the phrases go into the register with each one's leaving, and\n"
               "    the summary names the first ten of them.\n"
               "    Exit 0: every row written; 1: some were not; 2: bad input.\n"
               "    Width %2 unless given.")
        .arg(BatchFileNames::kDefaultPattern)
        .arg(PdfCommand::kResultBoxWidth)
        .arg(Compose::fieldLabels(u", "));
}

int run(const QStringList& args)
{
    QStringList allowed = CliInput::valueOptionNames();
    allowed << QStringLiteral("data") << QStringLiteral("template")
            << QStringLiteral("template-name") << QStringLiteral("out")
            << QStringLiteral("combined") << QStringLiteral("pattern") << QStringLiteral("width")
            << QStringLiteral("sheet") << QStringLiteral("encoding") << QStringLiteral("report")
            << QStringLiteral("library") << QStringLiteral("register") << QStringLiteral("format");
    CliOptions options(allowed, {QStringLiteral("no-register")});
    if (const std::optional<int> end = options.parse(args, synopsis())) {
        return *end;
    }
    QString error;
    const QString data = options.value(QStringLiteral("data"));
    if (data.isEmpty()) {
        return CliInput::refuse(CliInput::missingOption(QStringLiteral("data")));
    }
    const bool perRow = options.has(QStringLiteral("out"));
    if (perRow == options.has(QStringLiteral("combined"))) {
        return CliInput::refuse(
            QStringLiteral("请给出“--out 文件夹”或“--combined 文件.pdf”，只给其中一个"));
    }
    const QString target =
        options.value(perRow ? QStringLiteral("out") : QStringLiteral("combined"));
    if (target.isEmpty()) {
        return CliInput::refuse(
            QStringLiteral("选项“--%1”缺少%2")
                .arg(perRow ? QStringLiteral("out") : QStringLiteral("combined"),
                     perRow ? QStringLiteral("文件夹名") : QStringLiteral("文件名")));
    }
    BatchOutput::Format format = BatchOutput::Format::Pdf;
    if (options.has(QStringLiteral("format"))) {
        const QString name = options.value(QStringLiteral("format")).toLower();
        if (name == QLatin1String("ofd")) {
            format = BatchOutput::Format::Ofd;
        } else if (name != QLatin1String("pdf")) {
            return CliInput::refuse(QStringLiteral("没有“%1”这种格式（可用 pdf 或 ofd）")
                                        .arg(options.value(QStringLiteral("format"))));
        }
    }
    const bool byName = options.has(QStringLiteral("template-name"));
    if (byName == options.has(QStringLiteral("template"))) {
        return CliInput::refuse(
            QStringLiteral("请给出“--template 文件”或“--template-name 名称”，只给其中一个"));
    }

    const std::unique_ptr<QGuiApplication> app = CliApplication::offscreen();
    const QString libraryPath = options.has(QStringLiteral("library"))
                                    ? options.value(QStringLiteral("library"))
                                    : DefaultLibraryFilePath();

    QString templateName;
    std::optional<QString> templateText;
    if (byName) {
        templateName = options.value(QStringLiteral("template-name"));
        templateText = templateFromLibrary(libraryPath, templateName, &error);
    } else {
        templateText =
            CliInput::readTemplateFile(options.value(QStringLiteral("template")), &error);
    }
    if (!templateText) {
        return CliInput::refuse(error);
    }
    // A template that prints the number is never written without one.
    const bool unregistered = options.has(QStringLiteral("no-register"));
    if (unregistered && Issue::CertificateIssuer::printsNumber(*templateText)) {
        return CliInput::refuse(
            QStringLiteral("模板中有【证明编号】，不登记就没有编号：这样的离职证明不能生成"));
    }
    int width = PdfCommand::kResultBoxWidth;
    if (options.has(QStringLiteral("width"))) {
        const std::optional<int> parsed =
            CliInput::parseWidth(options.value(QStringLiteral("width")), &error);
        if (!parsed) {
            return CliInput::refuse(error);
        }
        width = *parsed;
    }
    SheetFile::Options sheetOptions;
    sheetOptions.sheetName = options.value(QStringLiteral("sheet"));
    if (options.has(QStringLiteral("encoding"))) {
        const std::optional<CsvReader::Encoding> encoding =
            CsvReader::encodingFromName(options.value(QStringLiteral("encoding")));
        if (!encoding) {
            return CliInput::refuse(QStringLiteral("没有“%1”这种编码（可用 gb18030 或 utf-8）")
                                        .arg(options.value(QStringLiteral("encoding"))));
        }
        sheetOptions.encoding = *encoding;
    }
    const std::optional<BatchFallback> fallback = fallbackFrom(options, &error);
    if (!fallback) {
        return CliInput::refuse(error);
    }

    if (!QFileInfo::exists(data)) {
        return CliInput::refuse(QStringLiteral("找不到表格文件“%1”").arg(data));
    }
    const std::optional<SheetTable> table = SheetFile::read(data, sheetOptions, &error);
    if (!table) {
        return CliInput::refuse(QStringLiteral("无法读取表格“%1”：%2").arg(data, error));
    }
    const std::optional<BatchSheet> sheet =
        prepareBatchSheet(*table, *templateText, *fallback, &error);
    if (!sheet) {
        return CliInput::refuse(QStringLiteral("无法使用表格“%1”：%2").arg(data, error));
    }
    if (!sheet->columns.unknown.isEmpty()) {
        CliInput::say(QStringLiteral("未使用的列：%1").arg(sheet->columns.unknown.join(u'、')));
    }
    if (!sheet->columns.duplicates.isEmpty()) {
        CliInput::say(QStringLiteral("重复的列（只用第一列）：%1")
                          .arg(sheet->columns.duplicates.join(u'、')));
    }
    QStringList warned;
    for (const BatchRecord& record : sheet->records) {
        if (record.accepted() && !record.warnings.isEmpty()) {
            warned << QStringLiteral("第 %1 行（%2）：%3（仍会生成）")
                          .arg(record.line)
                          .arg(record.value(Compose::FieldIndex::Name),
                               record.warnings.join(QStringLiteral("；")));
        }
    }
    sayRows(warned);

    // The register beside the library, or a team's on its server as for the program. Every
    // certificate is numbered and recorded in it; when it cannot be used the batch stops, unless
    // the run was asked to be unregistered.
    const TeamConfig::Choice team =
        options.has(QStringLiteral("register")) ? TeamConfig::Choice{} : TeamConfig::read();
    const QString registerPath = team.team ? TeamConfig::displayName(team.conninfo)
                                 : options.has(QStringLiteral("register"))
                                     ? options.value(QStringLiteral("register"))
                                     : Register::registerPathBeside(libraryPath);
    Issue::CertificateIssuer issuer;
    if (team.team) {
        issuer.useRegisterServer(team.conninfo);
    } else {
        issuer.useRegisterFile(registerPath);
    }
    issuer.setRegisterUse(unregistered ? Issue::RegisterUse::None : Issue::RegisterUse::Required);
    // The desk's own signing key lies beside its register file, in a team as well.
    issuer.useSealKeyFile(Seal::sealKeyPathBeside(
        options.has(QStringLiteral("register")) ? options.value(QStringLiteral("register"))
                                                : Register::registerPathBeside(libraryPath)));

    BatchWriter writer(*templateText, width);
    writer.setIssuer(&issuer);
    // The office's phrase list, as the window uses it; one that cannot be read is said and
    // kavri's own list is used.
    writer.setWordingPhrases(Legal::loadWordingList(Legal::wordingListPath(), &error));
    if (!error.isEmpty()) {
        CliInput::say(error);
        error.clear();
    }
    writer.setTemplateName(templateName.isEmpty()
                               ? QFileInfo(options.value(QStringLiteral("template"))).fileName()
                               : templateName);
    // On a terminal one line counts up; in a log, a line per tenth of the rows.
    const bool terminal = isatty(STDERR_FILENO) != 0;
    int lastShown = -1;
    writer.setProgress([&](int done, int total) {
        const int percent = total > 0 ? done * 100 / total : 100;
        const int step = terminal ? percent : percent / 10;
        if (step == lastShown) {
            return;
        }
        lastShown = step;
        std::fprintf(stderr, terminal ? "\rkavri-cli: %d/%d (%d%%)%s" : "kavri-cli: %d/%d (%d%%)%s",
                     done, total, percent, terminal && done < total ? "" : "\n");
    });
    g_running = &writer;
    std::signal(SIGINT, stopOnInterrupt);
    const BatchOutput output =
        perRow ? BatchOutput::perRow(target, options.value(QStringLiteral("pattern")), format)
               : BatchOutput::combined(target, format);
    const BatchReport report = writer.run(sheet->records, output);
    std::signal(SIGINT, SIG_DFL);
    g_running = nullptr;
    if (report.cancelled && terminal) {
        std::fputc('\n', stderr);
    }

    QStringList skipped;
    for (const BatchOutcome& o : report.rejected) {
        skipped << QStringLiteral("第 %1 行（%2）已跳过：%3").arg(o.line).arg(o.name, o.reason);
    }
    sayRows(skipped);
    QStringList failed;
    for (const BatchOutcome& o : report.failed) {
        failed << QStringLiteral("第 %1 行（%2）写入失败：%3").arg(o.line).arg(o.name, o.reason);
    }
    sayRows(failed);
    if (!report.registerStop.isEmpty()) {
        CliInput::say(report.registerStop);
        CliInput::say(QStringLiteral("登记簿无法使用，已停止：从第 %1 行起，%2 行未写入")
                          .arg(report.notWritten.first().line)
                          .arg(report.notWritten.size()));
    } else if (!report.notWritten.isEmpty()) {
        CliInput::say(QStringLiteral("已中断：从第 %1 行起，%2 行未写入")
                          .arg(report.notWritten.first().line)
                          .arg(report.notWritten.size()));
    }
    CliInput::say(QStringLiteral("已写入 %1 份离职证明；跳过 %2 行，写入失败 %3 行，未写入 %4 行")
                      .arg(report.written.size())
                      .arg(report.rejected.size())
                      .arg(report.failed.size())
                      .arg(report.notWritten.size()));
    if (const QStringList wording = batchWordingRows(report); !wording.isEmpty()) {
        CliInput::say(
            QStringLiteral("%1 份离职证明有措辞提示（新单位可能读作过错或争议，已照写%2）：")
                .arg(wording.size())
                .arg(unregistered ? QString() : QStringLiteral("，记入登记簿")));
        for (qsizetype i = 0; i < wording.size() && i < kWordingRowsShown; ++i) {
            CliInput::say(wording.at(i));
        }
        if (wording.size() > kWordingRowsShown) {
            CliInput::say(
                QStringLiteral("另有 %1 份有措辞提示").arg(wording.size() - kWordingRowsShown));
        }
    }
    if (unregistered) {
        CliInput::say(QStringLiteral("本次不登记：离职证明没有编号，登记簿中没有记录"));
    } else if (report.registerStop.isEmpty() || report.numberedCount() > 0) {
        CliInput::say(QStringLiteral("%1 份已编号，记入登记簿 %2")
                          .arg(report.numberedCount())
                          .arg(registerPath));
    }

    if (options.has(QStringLiteral("report"))) {
        const QString reportPath = options.value(QStringLiteral("report"));
        if (!WriteBatchReportFile(reportPath, report, &error)) {
            CliInput::say(QStringLiteral("无法写入报告“%1”（%2）")
                              .arg(reportPath, CliInput::whyNotWritten(reportPath, error)));
            return kSomeRowsNotWritten;
        }
    }
    return report.allWritten() ? 0 : kSomeRowsNotWritten;
}

} // namespace BatchCommand
