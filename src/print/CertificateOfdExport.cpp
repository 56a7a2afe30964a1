#include "print/CertificateOfdExport.h"

#include "compose/CertificateComposer.h"
#include "print/CertificatePageLayout.h"
#include "print/CertificatePdfExport.h"
#include "print/FontSubset.h"
#include "print/RecordingPageCanvas.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGlyphRun>
#include <QHash>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSet>
#include <QTextLayout>

#include <algorithm>

namespace {

// Room around each line's cell inside its boundary, for strokes that reach past the advance
// (a synthetic bold, an italic overhang).
constexpr double kBoundaryMargin = 1.0; // mm

// A font as the pages use it: the face and every character and glyph drawn with it.
struct UsedFont
{
    QRawFont raw;
    QSet<char32_t> codepoints;
    QSet<quint32> glyphs;
};

struct CodePoint
{
    qsizetype index;  // in UTF-16 units
    qsizetype length; // 1 or 2
    char32_t value;
};

// The characters of a line that the document keeps: control characters (a line feed left at
// the end of a text) draw nothing and are left out; the ones after them keep their places.
QList<CodePoint> codePoints(const QString& text)
{
    QList<CodePoint> points;
    points.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points.append({i, 2, QChar::surrogateToUcs4(c, text.at(i + 1))});
            i += 2;
        } else {
            if (c.category() != QChar::Other_Control) {
                points.append({i, 1, c.unicode()});
            }
            ++i;
        }
    }
    return points;
}

} // namespace

struct CertificateOfd::State
{
    // Measured as the PDF export measures: the same writer settings, the same resolution, the
    // same page. Nothing is ever painted on this writer.
    State() : writer(&sink), canvas(&setUp(writer)) {}

    static QPdfWriter& setUp(QPdfWriter& pdf)
    {
        SetUpCertificatePdfWriter(pdf);
        return pdf;
    }

    double mm(double deviceUnits) const { return deviceUnits * 25.4 / writer.logicalDpiX(); }
    double mmY(double deviceUnits) const { return deviceUnits * 25.4 / writer.logicalDpiY(); }

    int fontIndex(const QRawFont& raw);
    void appendLine(Ofd::Page* page, const PlacedText& placed);

    QBuffer sink;
    QPdfWriter writer;
    RecordingPageCanvas canvas;
    QList<Ofd::Page> pages;
    QList<UsedFont> fonts;
    QHash<QString, int> fontByKey;
};

int CertificateOfd::State::fontIndex(const QRawFont& raw)
{
    const QString key = FontFaceKey(raw);
    auto it = fontByKey.constFind(key);
    if (it != fontByKey.constEnd()) {
        return *it;
    }
    fonts.append(UsedFont{raw, {}, {}});
    return fontByKey.insert(key, int(fonts.size() - 1)).value();
}

void CertificateOfd::State::appendLine(Ofd::Page* page, const PlacedText& placed)
{
    // The line shaped as the painter shapes it for the PDF: the same font on the same device.
    QTextLayout layout(placed.text, placed.font, &writer);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return;
    }

    const QList<CodePoint> points = codePoints(placed.text);
    const QList<QGlyphRun> runs = layout.glyphRuns();
    // Which face draws each character, and at what size: one run for the whole line unless some
    // character had to come from a fallback face.
    QList<QRawFont> rawOf(points.size());
    if (runs.size() == 1) {
        rawOf.fill(runs.first().rawFont());
    } else {
        QRawFont previous = runs.isEmpty() ? QRawFont() : runs.first().rawFont();
        for (qsizetype k = 0; k < points.size(); ++k) {
            const QList<QGlyphRun> own =
                layout.glyphRuns(int(points[k].index), int(points[k].length));
            if (!own.isEmpty()) {
                previous = own.first().rawFont();
            }
            rawOf[k] = previous;
        }
    }
    QList<int> fontOf(points.size(), -1);
    for (qsizetype k = 0; k < points.size(); ++k) {
        if (rawOf[k].isValid()) {
            fontOf[k] = (k > 0 && rawOf[k] == rawOf[k - 1]) ? fontOf[k - 1] : fontIndex(rawOf[k]);
        }
    }
    for (const QGlyphRun& run : runs) {
        UsedFont& used = fonts[fontIndex(run.rawFont())];
        for (quint32 glyph : run.glyphIndexes()) {
            used.glyphs.insert(glyph);
        }
    }

    // Each character's pen position, once: the text objects' boundaries and DeltaX all read them.
    QList<double> xOf(points.size() + 1);
    for (qsizetype k = 0; k < points.size(); ++k) {
        xOf[k] = line.cursorToX(int(points[k].index));
    }
    xOf[points.size()] = line.cursorToX(int(placed.text.size()));

    const int weight = placed.font.weight() >= QFont::DemiBold ? 700 : 400;
    for (qsizetype first = 0; first < points.size();) {
        const int font = fontOf[first];
        qsizetype last = first;
        while (last + 1 < points.size() && fontOf[last + 1] == font &&
               rawOf[last + 1].pixelSize() == rawOf[first].pixelSize()) {
            ++last;
        }
        if (font >= 0) {
            UsedFont& used = fonts[font];
            Ofd::TextObject object;
            object.font = font;
            object.weight = weight;
            object.size = mmY(rawOf[first].pixelSize());
            const double startX = xOf[first];
            const double endX = xOf[last + 1];
            for (qsizetype k = first; k <= last; ++k) {
                object.text += QStringView(placed.text).mid(points[k].index, points[k].length);
                used.codepoints.insert(points[k].value);
                if (k > first) {
                    object.deltaX << mm(xOf[k] - xOf[k - 1]);
                }
            }
            object.boundary = QRectF(mm(placed.topLeft.x() + startX) - kBoundaryMargin,
                                     mmY(placed.topLeft.y()) - kBoundaryMargin,
                                     mm(endX - startX) + 2 * kBoundaryMargin,
                                     mmY(placed.cellHeight) + 2 * kBoundaryMargin);
            object.origin = QPointF(kBoundaryMargin, kBoundaryMargin + mmY(placed.ascent));
            page->texts.append(std::move(object));
        }
        first = last + 1;
    }
}

CertificateOfd::CertificateOfd() : d(std::make_unique<State>()) {}

CertificateOfd::~CertificateOfd() = default;

void CertificateOfd::addPage(QStringView body, const Seal::QrMatrix& code)
{
    CertificatePageLayout layout;
    layout.setPageRect(PageRect{0, 0, d->writer.width(), d->writer.height()});
    layout.setVerificationCode(code);
    layout.draw(d->canvas, body);
    Ofd::Page page;
    for (const PlacedText& placed : d->canvas.takeTexts()) {
        d->appendLine(&page, placed);
    }
    for (const QRect& fill : d->canvas.takeFills()) {
        page.fills.append(QRectF(d->mm(fill.x()), d->mmY(fill.y()), d->mm(fill.width()),
                                 d->mmY(fill.height())));
    }
    d->pages.append(std::move(page));
}

int CertificateOfd::pageCount() const
{
    return int(d->pages.size());
}

bool CertificateOfd::document(const CertificateOfdInfo& info, Ofd::Document* document,
                              QString* error) const
{
    Ofd::Document doc;
    doc.info.title = Compose::kTitle;
    doc.info.author = info.company;
    doc.info.creationDate = info.created.isValid() ? info.created : QDate::currentDate();
    doc.info.creator = QStringLiteral("kavri");
    doc.info.creatorVersion = QCoreApplication::applicationVersion();
    for (const QString& number : info.numbers) {
        if (!number.isEmpty()) {
            doc.info.customData.append({kOfdNumberDatum, number});
        }
    }
    doc.pageSize = d->writer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    for (qsizetype i = 0; i < d->fonts.size(); ++i) {
        const UsedFont& used = d->fonts.at(i);
        QList<char32_t> codepoints(used.codepoints.cbegin(), used.codepoints.cend());
        std::sort(codepoints.begin(), codepoints.end());
        QList<quint32> glyphs(used.glyphs.cbegin(), used.glyphs.cend());
        std::sort(glyphs.begin(), glyphs.end());
        Ofd::Font font;
        font.data = SubsetFont(used.raw, codepoints, glyphs, error);
        if (font.data.isEmpty()) {
            return false;
        }
        // The names as the font file spells them; Qt's engine may hand them over lower-cased.
        const QRawFont embedded(font.data, 12);
        font.name = embedded.isValid() ? embedded.familyName() : used.raw.familyName();
        font.family = font.name;
        // OpenType with CFF outlines starts with "OTTO"; TrueType outlines with 0x00010000.
        font.fileName = QStringLiteral("font_%1%2")
                            .arg(i + 1)
                            .arg(font.data.startsWith("OTTO") ? QStringLiteral(".otf")
                                                              : QStringLiteral(".ttf"));
        doc.fonts.append(std::move(font));
    }
    doc.pages = d->pages;
    *document = std::move(doc);
    return true;
}

QByteArray CertificateOfd::package(const CertificateOfdInfo& info, QString* error) const
{
    Ofd::Document doc;
    if (!document(info, &doc, error)) {
        return {};
    }
    return Ofd::PackageBytes(doc, error);
}

bool CertificateOfd::write(const QString& path, const CertificateOfdInfo& info,
                           QString* error) const
{
    const QByteArray bytes = package(info, error);
    if (bytes.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        file.cancelWriting();
        return false;
    }
    return true;
}

bool ExportCertificateOfd(const QString& path, QStringView body, const CertificateOfdInfo& info,
                          QString* error, const Seal::QrMatrix& code)
{
    CertificateOfd ofd;
    ofd.addPage(body, code);
    return ofd.write(path, info, error);
}
