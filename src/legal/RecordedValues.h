#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringView>
#include <utility>

namespace Legal {

// The dates the placeholders beyond the nine are made from, as the form's pickers or a sheet's
// row give them (an invalid date where there is none).
struct LegalDates
{
    QDate contractStart;
    QDate contractEnd;
    bool openEnded = false;
    QDate joined;
    QDate left;
    QDate issued;
};

// What the register keeps of them for a certificate of `templateText`, keyed by the
// placeholders' names: 合同起始日期, 合同终止日期 (empty when open-ended) and 无固定期限 (是/否)
// when it states the contract term, 工作年限 and 出具日期 when it states those; nothing for a
// template without them. The main window and a batch record the same for the same inputs.
QList<std::pair<QString, QString>> recordedValues(QStringView templateText,
                                                  const LegalDates& dates);

} // namespace Legal
