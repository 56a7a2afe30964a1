#include "register/RegisterCsv.h"

#include "register/IdMask.h"

namespace Register {

QString csvField(const QString& text)
{
    // A spreadsheet program reads a cell that starts with one of these as a formula (or, with
    // tab and CR, loses the start); an apostrophe in front makes it text, and is not shown.
    const bool formulaLike =
        !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
    const QString value = formulaLike ? QLatin1Char('\'') + text : text;
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
                       value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
                       value != value.trimmed();
    if (!quote) {
        return value;
    }
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString statusLabel(const EntrySummary& row)
{
    return row.issued ? QStringLiteral("已出具") : QStringLiteral("未出具");
}

QString lastEventLabel(const EntrySummary& row)
{
    const std::optional<EventKind> kind = eventKindFromKey(row.lastEventKey);
    if (!kind) {
        return {};
    }
    return eventKindLabel(*kind) + QLatin1Char(' ') +
           row.lastEventAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QByteArray registerCsv(const QList<EntrySummary>& rows, bool fullIds)
{
    const QStringList header = {
        QStringLiteral("证明编号"), QStringLiteral("姓名"),     QStringLiteral("身份证号"),
        QStringLiteral("公司名称"), QStringLiteral("离职日期"), QStringLiteral("状态"),
        QStringLiteral("最后事件"), QStringLiteral("生成时间"),
    };
    QString text = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const EntrySummary& r : rows) {
        const QStringList fields = {
            r.number,
            r.name,
            fullIds ? r.idNumber : maskIdNumber(r.idNumber),
            r.company,
            r.leaveDate,
            statusLabel(r),
            lastEventLabel(r),
            r.createdAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        };
        QStringList quoted;
        for (const QString& f : fields) {
            quoted << csvField(f);
        }
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace Register
