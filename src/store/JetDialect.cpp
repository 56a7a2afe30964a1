#include "store/JetDialect.h"

#include <QRegularExpression>

QString TranslateJetStatement(const QString& statement)
{
    // Only a "top" right after the leading "select" is the Jet row limit; the word anywhere
    // else (inside a quoted value, a column named top) is left alone.
    static const QRegularExpression topClause(QStringLiteral("^(\\s*select)\\s+top\\s+(\\d+)\\s"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = topClause.match(statement);
    if (!match.hasMatch()) {
        return statement;
    }
    return match.captured(1) + QLatin1Char(' ') + statement.mid(match.capturedEnd()) +
           QStringLiteral(" limit ") + match.captured(2);
}
