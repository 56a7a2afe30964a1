#pragma once

#include <QString>
#include <optional>

class QWidget;

// The wording check a certificate passes just before it leaves kavri (printed, exported,
// copied): its text against the office's phrase list. Without a hit nothing is asked. With
// hits the clerk sees each phrase in its context and decides; going on is never refused, since
// a termination may have to state its ground, and the decision goes into the register with the
// leaving.
namespace WordingPrompt {

// Empty string: go on, nothing to record. A note ("措辞提示：辞退"): go on and record it with the
// leaving. Nothing: the clerk stopped, the certificate does not leave. `phrasesFile` is the
// office's list (empty: the usual place); a list that cannot be read is said once and kavri's
// own list is used.
std::optional<QString> confirm(QWidget* parent, const QString& text,
                               const QString& phrasesFile = QString());

} // namespace WordingPrompt
