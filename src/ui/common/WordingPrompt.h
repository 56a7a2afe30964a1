#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The wording check a certificate passes just before it leaves kavri (printed, exported,
// copied): its text against the office's phrase list. Without a hit nothing is asked. With
// hits the clerk sees each phrase in its context and decides; going on is never refused, since
// a termination may have to state its ground, and the decision goes into the register with the
// leaving.
namespace WordingPrompt {

// The office's phrases (`phrasesFile`, empty: the usual place). A list that cannot be read is
// said once in a run, to `parent`, and kavri's own list is used.
QStringList officePhrases(QWidget* parent, const QString& phrasesFile = QString());

// An empty list: go on, nothing to record. Hits ("“辞退”：……予以辞退。"): the clerk chose to go
// on, and they are recorded with the leaving. Nothing: the clerk stopped, the certificate does
// not leave.
std::optional<QStringList> confirm(QWidget* parent, const QString& text,
                                   const QString& phrasesFile = QString());

} // namespace WordingPrompt
