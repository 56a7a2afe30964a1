#include "print/ParagraphBreaker.h"

#include <algorithm>
#include <vector>

namespace {

// Smallest k in [lo, hi] for which reaches(k) holds, hi + 1 when none does. reaches() must be
// false up to some point and true from there on. The search starts at `guess` and widens its
// step on each probe, then halves the bracket it found.
template <typename Predicate>
qsizetype firstReaching(qsizetype lo, qsizetype hi, qsizetype guess, Predicate reaches)
{
    guess = std::clamp(guess, lo, hi);
    qsizetype below; // known not to reach (or lo - 1)
    qsizetype above; // known to reach (or hi + 1)
    if (reaches(guess)) {
        above = guess;
        for (qsizetype step = 1;; step *= 2) {
            const qsizetype probe = above - step;
            if (probe < lo) {
                below = lo - 1;
                break;
            }
            if (!reaches(probe)) {
                below = probe;
                break;
            }
            above = probe;
        }
    } else {
        below = guess;
        for (qsizetype step = 1;; step *= 2) {
            const qsizetype probe = below + step;
            if (probe > hi) {
                above = hi + 1;
                break;
            }
            if (reaches(probe)) {
                above = probe;
                break;
            }
            below = probe;
        }
    }
    while (above - below > 1) {
        const qsizetype mid = below + (above - below) / 2;
        if (reaches(mid)) {
            above = mid;
        } else {
            below = mid;
        }
    }
    return above;
}

// End offset of every character (code point) of the text, in UTF-16 units.
std::vector<qsizetype> characterEnds(QStringView text)
{
    std::vector<qsizetype> ends;
    ends.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        i += pair ? 2 : 1;
        ends.push_back(i);
    }
    return ends;
}

} // namespace

QList<QStringView> BreakParagraph(const PageCanvas& canvas, QStringView paragraph, qint64 avail)
{
    QList<QStringView> lines;
    if (avail <= 0 || paragraph.isEmpty()) {
        lines.append(paragraph);
        return lines;
    }

    const std::vector<qsizetype> ends = characterEnds(paragraph);
    const qsizetype last = qsizetype(ends.size()) - 1;
    qsizetype first = 0;     // index of the first character of what is left
    qsizetype lineCount = 0; // characters on the previous line: where the next search starts
    qsizetype start = 0;     // offset of what is left
    auto width = [&](qsizetype k) {
        return canvas.textWidth(paragraph.sliced(start, ends[k] - start));
    };

    for (;;) {
        // k: the shortest prefix of what is left that reaches the column width.
        const qsizetype k = firstReaching(first, last, first + lineCount,
                                          [&](qsizetype i) { return width(i) >= avail; });
        if (k > last) {
            break; // narrower than the column: the last piece
        }
        if (width(k) == avail) {
            // It reaches the column exactly; the rest is drawn whole if nothing after k adds
            // width. Look one character further before measuring all of it.
            if (k == last || (width(k + 1) == avail && width(last) == avail)) {
                break;
            }
        }
        // The line stops before character k, but holds at least one character.
        const qsizetype lineLast = k > first ? k - 1 : first;
        if (lineLast == last) {
            break; // one character wider than the column, and nothing after it
        }
        lines.append(paragraph.sliced(start, ends[lineLast] - start));
        lineCount = lineLast - first + 1;
        first = lineLast + 1;
        start = ends[lineLast];
    }
    lines.append(paragraph.sliced(start));
    return lines;
}
