#include "ui/common/WordingPrompt.h"

#include "legal/WordingCheck.h"
#include "ui/common/Notifier.h"

namespace WordingPrompt {

QStringList officePhrases(QWidget* parent, const QString& phrasesFile)
{
    QString error;
    const QStringList phrases = Legal::loadWordingList(
        phrasesFile.isEmpty() ? Legal::wordingListPath() : phrasesFile, &error);
    // An unreadable list is said once in a run, not at every print.
    static bool told = false;
    if (!error.isEmpty() && !told) {
        told = true;
        Notifier::information(parent, error);
    }
    return phrases;
}

std::optional<QStringList> confirm(QWidget* parent, const QString& text, const QString& phrasesFile)
{
    const QList<Legal::WordingHit> hits =
        Legal::checkWording(text, officePhrases(parent, phrasesFile));
    if (hits.isEmpty()) {
        return QStringList();
    }
    if (!Notifier::askYesNo(parent, Legal::wordingQuestion(hits))) {
        return std::nullopt;
    }
    return Legal::wordingLines(hits);
}

} // namespace WordingPrompt
