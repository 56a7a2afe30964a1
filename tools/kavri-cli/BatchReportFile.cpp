#include "BatchReportFile.h"

#include "register/RegisterCsv.h"

#include <QSaveFile>
#include <algorithm>

QString CsvField(const QString& text)
{
    return Register::csvField(text);
}

bool WriteBatchReportFile(const QString& path, const BatchReport& report, QString* error)
{
    struct Line
    {
        const BatchOutcome* outcome;
        QString result;
    };
    QList<Line> lines;
    for (const BatchOutcome& o : report.written) {
        lines << Line{&o, QStringLiteral("已写入")};
    }
    // A certificate written with wording hits has them as its reason, every one of them.
    const auto reasonOf = [](const BatchOutcome& o) {
        return o.wording.isEmpty()
                   ? o.reason
                   : QStringLiteral("措辞提示：") + o.wording.join(QStringLiteral("；"));
    };
    for (const BatchOutcome& o : report.rejected) {
        lines << Line{&o, QStringLiteral("已跳过")};
    }
    for (const BatchOutcome& o : report.failed) {
        lines << Line{&o, QStringLiteral("写入失败")};
    }
    for (const BatchOutcome& o : report.notWritten) {
        lines << Line{&o, QStringLiteral("未写入")};
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.outcome->line < b.outcome->line;
    });

    QString text = QStringLiteral("行号,姓名,结果,原因,文件\r\n");
    for (const Line& line : lines) {
        text += QStringList{QString::number(line.outcome->line), CsvField(line.outcome->name),
                            line.result, CsvField(reasonOf(*line.outcome)),
                            CsvField(line.outcome->file)}
                    .join(u',') +
                QStringLiteral("\r\n");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    file.write("\xEF\xBB\xBF");
    file.write(text.toUtf8());
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}
