#pragma once

#include <QDate>
#include <QString>

namespace Legal {

// The term of the labour contract as a certificate states it: "2021年3月1日至2024年2月29日",
// or "自2021年3月1日起无固定期限" for an open-ended contract (the end date is then ignored).
QString contractTermText(QDate start, QDate end, bool openEnded);

// What is wrong when the two dates cannot both be right (the contract ends before it starts);
// empty when they can. The form, a batch row and kavri-cli make no certificate of such a term.
QString contractTermHint(QDate start, QDate end, bool openEnded);

} // namespace Legal
