#include "print/CertificatePageLayout.h"

#include "compose/CertificateComposer.h"
#include "print/ParagraphBreaker.h"

const PageFont CertificatePageLayout::kTitleFont{QStringLiteral("宋体"), 31, 0, 700};
const PageFont CertificatePageLayout::kBodyFont{QStringLiteral("宋体"), 20, 0, 400};

// The page breaks the composed text where the composer broke it.
using Compose::kLineBreak;

PageFont CertificatePageLayout::scaledFont(const PageFont& font, int dpiX, int dpiY)
{
    // The factor is formed first and the product truncated: 31 at 600 dpi gives 193, not 194.
    const double factorX = double(dpiX) / kReferenceDpi;
    const double factorY = double(dpiY) / kReferenceDpi;
    PageFont scaled = font;
    scaled.height = int(font.height * factorY);
    scaled.width = int(font.width * factorX);
    return scaled;
}

namespace {

// Measures through the real device and records where each line's ink would go (its leading
// ideographic spaces, which only push right-aligned lines over, left out) and what is drawn,
// instead of drawing: the code's place is known only once the whole body is laid out, and the
// body is then drawn from the record without being laid out again.
class InkRecorder : public PageCanvas
{
public:
    explicit InkRecorder(PageCanvas& device) : m_device(device) {}

    int dpiX() const override { return m_device.dpiX(); }
    int dpiY() const override { return m_device.dpiY(); }
    void selectFont(const PageFont& font) override
    {
        m_device.selectFont(font);
        m_steps.append(Step{true, font, 0, 0, {}});
    }
    int textWidth(QStringView text) const override { return m_device.textWidth(text); }
    int textHeight() const override { return m_device.textHeight(); }
    int externalLeading() const override { return m_device.externalLeading(); }
    void drawText(int x, int y, QStringView text) override
    {
        m_steps.append(Step{false, {}, x, y, text.toString()});
        qsizetype lead = 0;
        while (lead < text.size() && (text[lead] == Compose::kFiller || text[lead] == u' ')) {
            ++lead;
        }
        if (lead == text.size()) {
            return;
        }
        const int indent = lead > 0 ? m_device.textWidth(text.first(lead)) : 0;
        const int width = m_device.textWidth(text.sliced(lead));
        inked.append(QRect(x + indent, y, width, m_device.textHeight()));
    }
    void fillRect(int, int, int, int) override {}

    // Draws what was recorded on the device, in the order it came.
    void replay()
    {
        for (const Step& step : std::as_const(m_steps)) {
            if (step.isFont) {
                m_device.selectFont(step.font);
            } else {
                m_device.drawText(step.x, step.y, step.text);
            }
        }
    }

    QList<QRect> inked;

private:
    struct Step
    {
        bool isFont;
        PageFont font;
        int x;
        int y;
        QString text;
    };
    PageCanvas& m_device;
    QList<Step> m_steps;
};

// A line with nothing to see: empty, or the padding of a right-aligned block's empty line.
bool isBlank(QStringView line)
{
    for (const QChar c : line) {
        if (c != Compose::kFiller && c != u' ') {
            return false;
        }
    }
    return true;
}

} // namespace

void CertificatePageLayout::draw(PageCanvas& canvas, QStringView certText)
{
    m_codeRect = QRect();
    if (m_code.isNull()) {
        drawBody(canvas, certText);
        return;
    }
    InkRecorder recorder(canvas);
    drawBody(recorder, certText);
    const QRect code = placeCode(canvas, recorder.inked);
    recorder.replay();
    drawCode(canvas, m_code, code.x(), code.y(), code.width());
    m_codeRect = code;
}

QRect CertificatePageLayout::placeCode(const PageCanvas& canvas,
                                       const QList<QRect>& inked) const
{
    const int side = int(kCodeSideMm / 25.4 * canvas.dpiX() + 0.5);
    const int quiet = (side * Seal::kQuietZoneModules + m_code.size - 1) / m_code.size;
    const int left = int(kColumnLeft * scaleX());
    const auto clear = [&](const QRect& code) {
        const QRect zone = code.adjusted(-quiet, -quiet, quiet, quiet);
        for (const QRect& ink : inked) {
            if (zone.intersects(ink)) {
                return false;
            }
        }
        return true;
    };
    if (m_blockTopY >= 0) {
        const QRect beside(left, int(m_blockTopY * scaleY()), side, side);
        if (clear(beside)) {
            return beside;
        }
    }
    int bottom = 0;
    for (const QRect& ink : inked) {
        bottom = std::max(bottom, ink.bottom() + 1);
    }
    const QRect below(left, bottom + quiet, side, side);
    if (below.bottom() + quiet < m_rcPage.height()) {
        return below;
    }
    return QRect(left, std::max(0, m_rcPage.height() - quiet - side), side, side);
}

void CertificatePageLayout::drawCode(PageCanvas& canvas, const Seal::QrMatrix& code, int x, int y,
                                     int side)
{
    if (code.isNull() || side <= 0) {
        return;
    }
    if (canvas.drawModules(code, QRect(x, y, side, side))) {
        return;
    }
    // Module edges are rounded from exact fractions, so that the modules tile the square
    // without gaps and differ in size by one device unit at most.
    const auto edge = [&](int origin, int i) {
        return origin + int((qint64(i) * side + code.size / 2) / code.size);
    };
    QList<QRect> runs;
    for (int row = 0; row < code.size; ++row) {
        const int top = edge(y, row);
        const int height = edge(y, row + 1) - top;
        for (int col = 0; col < code.size;) {
            if (!code.dark(col, row)) {
                ++col;
                continue;
            }
            int end = col;
            while (end < code.size && code.dark(end, row)) {
                ++end;
            }
            runs.append(QRect(edge(x, col), top, edge(x, end) - edge(x, col), height));
            col = end;
        }
    }
    canvas.fillRects(runs);
}

void CertificatePageLayout::drawBody(PageCanvas& canvas, QStringView certText)
{
    const float sx = scaleX();
    const float sy = scaleY();
    drawTextBlock(canvas, int(kTitleX * sx), int(kTitleY * sy), kTitleFont, Compose::kTitle);

    int y = kFirstLineY;
    m_blockTopY = -1;
    bool afterEmptyLine = true;
    QStringView text = certText;
    // The body starts with the line breaks that followed the title; the title is drawn above.
    while (text.startsWith(kLineBreak)) {
        text = text.sliced(kLineBreak.size());
    }
    for (qsizetype end = text.indexOf(kLineBreak); end >= 0; end = text.indexOf(kLineBreak)) {
        const QStringView paragraph = text.first(end);
        text = text.sliced(end + kLineBreak.size());
        if (isBlank(paragraph)) {
            afterEmptyLine = true;
        } else {
            if (afterEmptyLine) {
                m_blockTopY = y;
            }
            afterEmptyLine = false;
        }
        if (!paragraph.isEmpty()) {
            y = drawParagraph(canvas, y, paragraph);
        }
        // An empty line takes one advance like any other.
        y += m_nLineAdvance;
    }
    if (!isBlank(text) && afterEmptyLine) {
        m_blockTopY = y;
    }
    drawParagraph(canvas, y, text);
}

void CertificatePageLayout::drawTextBlock(PageCanvas& canvas, int x, int y, const PageFont& font,
                                          QStringView text)
{
    canvas.selectFont(scaledFont(font, canvas.dpiX(), canvas.dpiY()));
    const int step = canvas.textHeight() + 2 * canvas.externalLeading();
    for (qsizetype end = text.indexOf(kLineBreak); end >= 0; end = text.indexOf(kLineBreak)) {
        canvas.drawText(x, y, text.first(end));
        text = text.sliced(end + kLineBreak.size());
        y += step;
    }
    canvas.drawText(x, y, text);
}

int CertificatePageLayout::drawParagraph(PageCanvas& canvas, int y, QStringView paragraph)
{
    const float sx = scaleX();
    const float sy = scaleY();
    const PageFont body = scaledFont(kBodyFont, canvas.dpiX(), canvas.dpiY());
    canvas.selectFont(body);

    // About two text heights between body lines, in page units. The text height is the cell
    // height the font was asked for at this resolution, not what a font engine makes of it: an
    // engine fits the cell to whole pixels of its own, a unit or two off at printer resolutions,
    // and one unit less per line is a line less on a page of the same certificate. A printable
    // area without height has no page units to speak of; it gets no advance rather than a
    // division by zero.
    const qint64 height = m_rcPage.height();
    if (height != 0) {
        const qint64 deviceAdvance = 2 * qint64(body.height) + canvas.externalLeading();
        m_nLineAdvance = int(deviceAdvance * m_nUnitsHigh / height);
    } else {
        m_nLineAdvance = 0;
    }
    if (paragraph.isEmpty()) {
        return y;
    }

    const qint64 avail = qint64(m_rcPage.width()) * (kColumnRight - kColumnLeft) / m_nUnitsWide;
    const int x = int(kColumnLeft * sx);
    const QList<QStringView> lines = BreakParagraph(canvas, paragraph, avail);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        canvas.drawText(x, int(y * sy), lines[i]);
        y += m_nLineAdvance;
    }
    canvas.drawText(x, int(y * sy), lines.last());
    return y;
}
