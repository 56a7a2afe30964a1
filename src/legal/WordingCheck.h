#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The wording check of a certificate's text: phrases that state or suggest a fault or a dispute
// (辞退, 开除, 劳动争议 ...) read as negative to the next employer and start disputes. The check
// never blocks; it shows each hit in its context so that the clerk can decide.
namespace Legal {

// One phrase found in the text.
struct WordingHit
{
    QString phrase;
    qsizetype position = 0; // of the phrase in the text, in UTF-16 characters
    QString context;        // the phrase with a few characters either side, on one line, each
                            // run of blanks and line breaks one space

    bool operator==(const WordingHit&) const = default;
};

// The phrases kavri delivers, one per line as the office's file holds them (with its comment
// lines); the office's own file starts as a copy of it.
QString defaultWordingListText();

// The phrases of a list file's text: one per line, blanks around a phrase dropped, empty lines
// and lines starting with '#' skipped, each phrase once.
QStringList parseWordingList(const QString& fileText);

// Where the office's list is kept: kavri's folder under the user's configuration folder.
QString wordingListPath();

// The phrases of the office's list at `path`, or the delivered ones when there is no such file.
// A file that exists but cannot be read gives the delivered phrases and a Chinese sentence in
// *error (the caller shows it once).
QStringList loadWordingList(const QString& path, QString* error);

// Every place in `text` where one of `phrases` occurs, in the order of the text. A phrase whose
// clause states an absence ("无未了结的劳动争议", "没有纠纷", "不存在劳动争议") is no hit. Where
// phrases overlap (纠纷 inside 劳动纠纷) only the longest one found at a place counts.
QList<WordingHit> checkWording(const QString& text, const QStringList& phrases);

// Each hit as the clerk reads it and the register keeps it: "“劳动争议”：……双方存在劳动争议，……".
QStringList wordingLines(const QList<WordingHit>& hits);

// The hits one a line (wordingLines joined by line breaks).
QString describeWordingHits(const QList<WordingHit>& hits);

// What is recorded with a leaving the clerk let go on despite hits: "措辞提示：辞退、劳动争议"
// (each phrase once, in the order of the text); empty when there are no hits.
QString wordingNote(const QList<WordingHit>& hits);

// The question put to the clerk before a certificate with hits leaves kavri.
QString wordingQuestion(const QList<WordingHit>& hits);

} // namespace Legal
