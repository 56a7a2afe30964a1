#include "register/IdMask.h"

namespace Register {

QString maskIdNumber(const QString& idNumber)
{
    const QString id = idNumber.trimmed();
    const qsizetype n = id.size();
    qsizetype head = 6;
    qsizetype tail = 4;
    if (n < 15) {
        // Not a resident ID (18) or an old one (15): keep at most a quarter at each end.
        head = n / 4;
        tail = n / 4;
    }
    return id.first(head) + QString(n - head - tail, QLatin1Char('*')) + id.last(tail);
}

QString maskIdNumberIn(QString text, const QString& idNumber)
{
    const QString id = idNumber.trimmed();
    if (!id.isEmpty()) {
        text.replace(id, maskIdNumber(id), Qt::CaseInsensitive);
    }
    return text;
}

} // namespace Register
