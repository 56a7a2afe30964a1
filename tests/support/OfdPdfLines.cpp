#include "OfdPdfLines.h"

#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerPoint = 25.4 / 72;

// Pieces of one line overlap for most of their height (a piece in a fallback face has a box of
// its own height); a piece that overlaps no line starts a new one.
void gather(QList<PageLine>& lines, const PageLine& piece)
{
    auto same = std::find_if(lines.begin(), lines.end(), [&](const PageLine& line) {
        const double overlap = std::min(line.yMax, piece.yMax) - std::max(line.yMin, piece.yMin);
        return overlap > 0.5 * std::min(line.yMax - line.yMin, piece.yMax - piece.yMin);
    });
    if (same == lines.end()) {
        lines.append(piece);
        return;
    }
    if (piece.xMin < same->xMin) {
        same->text = piece.text + same->text;
    } else {
        same->text += piece.text;
    }
    same->xMin = std::min(same->xMin, piece.xMin);
    same->xMax = std::max(same->xMax, piece.xMax);
    same->yMin = std::min(same->yMin, piece.yMin);
    same->yMax = std::max(same->yMax, piece.yMax);
}

void sortByTop(QList<PageLine>& lines)
{
    std::sort(lines.begin(), lines.end(),
              [](const PageLine& a, const PageLine& b) { return a.yMin < b.yMin; });
}

} // namespace

QString WithoutBlanks(const QString& text)
{
    QString result;
    for (QChar c : text) {
        if (!c.isSpace() && c != QChar(0x3000)) {
            result += c;
        }
    }
    return result;
}

QList<QList<PageLine>> PdfPageLines(const QString& pdfPath, QString* error)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                   pdfPath, QStringLiteral("-")});
    QList<QList<PageLine>> pages;
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        if (error) {
            *error = QStringLiteral("pdftotext failed on ") + pdfPath;
        }
        return pages;
    }
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression token(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            pages.append(QList<PageLine>());
            continue;
        }
        if (pages.isEmpty()) {
            pages.append(QList<PageLine>());
        }
        const PageLine word{WithoutBlanks(m.captured(5)), m.captured(1).toDouble() * kMmPerPoint,
                            m.captured(2).toDouble() * kMmPerPoint,
                            m.captured(3).toDouble() * kMmPerPoint,
                            m.captured(4).toDouble() * kMmPerPoint};
        gather(pages.last(), word);
    }
    for (QList<PageLine>& lines : pages) {
        sortByTop(lines);
    }
    return pages;
}

QList<QList<PageLine>> OfdPageLines(const OfdRead::Archive& archive,
                                    const OfdRead::Document& document)
{
    QList<QList<PageLine>> pages;
    for (const OfdRead::Page& page : document.pages) {
        QList<PageLine> lines;
        for (const OfdRead::Text& text : page.texts) {
            // Measured with the embedded font at 1000 units to the em.
            const QRawFont font(archive.files.value(text.fontFile), 1000);
            const auto visible = [](const OfdRead::Glyph& g) {
                return !WithoutBlanks(g.character).isEmpty();
            };
            const auto first = std::find_if(text.glyphs.cbegin(), text.glyphs.cend(), visible);
            const auto last = std::find_if(text.glyphs.crbegin(), text.glyphs.crend(), visible);
            if (first == text.glyphs.cend() || !font.isValid()) {
                continue;
            }
            const double em = text.size / 1000;
            const QList<quint32> glyph = font.glyphIndexesForString(last->character);
            const double advance =
                glyph.isEmpty() ? 0 : font.advancesForGlyphIndexes(glyph).value(0).x() * em;
            const double baseline = first->origin.y();
            gather(lines,
                   {WithoutBlanks(text.text), first->origin.x(), baseline - font.ascent() * em,
                    last->origin.x() + advance, baseline + font.descent() * em});
        }
        sortByTop(lines);
        pages.append(lines);
    }
    return pages;
}
