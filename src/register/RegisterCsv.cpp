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

QStringList listHeadings()
{
    QStringList headings{QStringLiteral("证明编号")};
    for (const Compose::FormField& field : Compose::kFormFields) {
        if (field.column != Compose::RegisterColumn::None) {
            headings << Compose::fieldLabel(field);
        }
    }
    return headings << QStringLiteral("状态") << QStringLiteral("最后事件");
}

QStringList listCells(const EntrySummary& row, bool fullIds)
{
    QStringList cells{row.number};
    for (const Compose::FormField& field : Compose::kFormFields) {
        switch (field.column) {
        case Compose::RegisterColumn::None:
            break;
        case Compose::RegisterColumn::Name:
            cells << row.name;
            break;
        case Compose::RegisterColumn::IdNumber:
            cells << (fullIds ? row.idNumber : maskIdNumber(row.idNumber));
            break;
        case Compose::RegisterColumn::Company:
            cells << row.company;
            break;
        case Compose::RegisterColumn::LeaveDate:
            cells << row.leaveDate;
            break;
        }
    }
    return cells << statusLabel(row) << lastEventLabel(row);
}

QByteArray registerCsv(const QList<EntrySummary>& rows, bool fullIds)
{
    const QStringList header = listHeadings() << QStringLiteral("生成时间");
    QString text = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const EntrySummary& r : rows) {
        const QStringList fields =
            listCells(r, fullIds)
            << r.createdAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QStringList quoted;
        for (const QString& f : fields) {
            quoted << csvField(f);
        }
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace Register
