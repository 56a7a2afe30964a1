#pragma once

#include <QString>

namespace Register {

// An ID number for lists and exports: the first six characters (the region) and the last four
// stay, everything between becomes '*': "110101********1234". Shorter texts keep less, so that at
// least half of any text is hidden; an empty text stays empty.
QString maskIdNumber(const QString& idNumber);

// `text` with every occurrence of `idNumber` (in either case of a final X) masked as above; the
// text itself when the ID number is empty.
QString maskIdNumberIn(QString text, const QString& idNumber);

} // namespace Register
