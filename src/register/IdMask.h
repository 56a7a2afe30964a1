#pragma once

#include <QString>

namespace Register {

// An ID number for lists and exports: the first six characters (the region) and the last four
// stay, everything between becomes '*': "110101********1234". Shorter texts keep less, so that at
// least half of any text is hidden; an empty text stays empty.
QString maskIdNumber(const QString& idNumber);

} // namespace Register
