#include "CheckIdCommand.h"

#include "CliInput.h"
#include "CliOptions.h"
#include "legal/IdNumberCheck.h"

namespace CheckIdCommand {

QString synopsis()
{
    return QStringLiteral(
        "check-id NUMBER\n"
        "    Checks a resident ID-card number (18 characters, or the old 15\n"
        "    digits) and prints the verdict with the birth date and sex it holds.\n"
        "    Exit status 0 when the number is valid, 1 when it is not.");
}

int run(const QStringList& args)
{
    // Any count of numbers is read; all but one are refused below.
    CliOptions options({}, {}, int(args.size()));
    if (const std::optional<int> end = options.parse(args, synopsis())) {
        return *end;
    }
    if (options.arguments().size() != 1) {
        return CliInput::refuse(QStringLiteral("check-id 后面要有一个号码，且只要一个"));
    }
    const Legal::IdCheck check = Legal::checkIdNumber(options.arguments().at(0));
    QString line;
    if (check.verdict == Legal::IdVerdict::Valid) {
        line =
            QStringLiteral("有效%1：出生日期%2年%3月%4日，%5性")
                .arg(check.oldForm ? QStringLiteral("（15位旧号码）") : QString())
                .arg(check.birthDate.year())
                .arg(check.birthDate.month())
                .arg(check.birthDate.day())
                .arg(check.sex == Legal::IdSex::Male ? QStringLiteral("男") : QStringLiteral("女"));
    } else if (check.verdict == Legal::IdVerdict::Empty) {
        line = QStringLiteral("无效：位数不对");
    } else {
        line = QStringLiteral("无效：") + Legal::idVerdictText(check.verdict);
    }
    line += u'\n';
    if (!CliInput::writeResult(line)) {
        return CliInput::kBadInput;
    }
    return check.verdict == Legal::IdVerdict::Valid ? 0 : 1;
}

} // namespace CheckIdCommand
