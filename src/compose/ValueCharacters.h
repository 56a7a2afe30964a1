#pragma once

#include "compose/CertificateValues.h"

#include <QString>
#include <QStringView>

// Characters a value of a certificate may not hold. A value is printed, registered and named in
// file names as it stands, so a character that is invisible there and yet changes what is seen is
// refused wherever a value comes in (the form, kavri-cli, a sheet's rows):
//   - the C0 and C1 control characters (U+0000-U+001F, U+007F-U+009F) except the tab: a NUL is
//     kept by the register while the page shows a space, ESC and BEL reach a terminal;
//   - the bidirectional embeddings, overrides and isolates (U+202A-U+202E, U+2066-U+2069): one of
//     them reverses the rest of a printed line and makes "张\u202E三四fdp.exe.pdf" read as an .exe.
namespace Compose {

bool isRefusedValueCharacter(char32_t c);

// Empty when `value` may be used; otherwise the one sentence that says which value (`label`,
// "姓名" or "第 3 行的姓名") holds which character, in Chinese.
QString valueCharacterProblem(QStringView value, QStringView label);

// valueCharacterProblem for each value of a certificate, the nine and those added since, each
// named by its placeholder ("姓名", "合同期限"); the first problem found, or empty.
QString certificateValuesProblem(const CertificateValues& values);

// `text` with every control character except tab, line feed and carriage return, and every
// bidirectional control, written as "\u{XXXX}" (a backslash is left alone), for text that goes
// to a terminal.
QString escapeControlCharacters(QStringView text);

} // namespace Compose
