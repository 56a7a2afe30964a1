#include "SampleCertificate.h"
#include "print/CertificateOfdExport.h"
#include "print/CertificatePageLayout.h"
#include "print/CertificatePagePainting.h"
#include "print/CertificatePdfExport.h"
#include "print/FontSubstitutions.h"
#include "print/PainterCanvas.h"
#include "print/ParagraphBreaker.h"

#include <QGuiApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Measures like the PDF page at 600 dpi but draws nothing: the cost of the layout alone.
class MeasuringCanvas : public PageCanvas
{
public:
    explicit MeasuringCanvas(PainterCanvas& real) : m_real(real) {}
    int dpiX() const override { return m_real.dpiX(); }
    int dpiY() const override { return m_real.dpiY(); }
    void selectFont(const PageFont& font) override { m_real.selectFont(font); }
    int textWidth(QStringView text) const override { return m_real.textWidth(text); }
    int textHeight() const override { return m_real.textHeight(); }
    int externalLeading() const override { return m_real.externalLeading(); }
    void drawText(int, int, QStringView text) override { benchmark::DoNotOptimize(text.size()); }
    void fillRect(int, int, int width, int) override { benchmark::DoNotOptimize(width); }

private:
    PainterCanvas& m_real;
};

struct PdfPage
{
    PdfPage() : writer(&buffer)
    {
        buffer.open(QIODevice::WriteOnly);
        writer.setResolution(kPdfResolution);
        painter.begin(&writer);
    }
    ~PdfPage() { painter.end(); }

    QBuffer buffer;
    QPdfWriter writer;
    QPainter painter;
};

QString longParagraph(int length)
{
    const QString pattern =
        QStringLiteral("兹证明某某同志在我公司工作期间表现良好，现因个人原因离职，");
    return pattern.repeated(length / pattern.size() + 1).left(length);
}

// Trying every prefix in turn, as the plain reading of the wrapping rule does; for comparison.
int naiveLineCount(const PageCanvas& canvas, QStringView paragraph, qint64 avail)
{
    int lines = 1;
    while (canvas.textWidth(paragraph) > avail) {
        qsizetype n = 1;
        while (canvas.textWidth(paragraph.first(n)) < avail) {
            ++n;
        }
        paragraph = paragraph.sliced(std::max<qsizetype>(n - 1, 1));
        ++lines;
    }
    return lines;
}

void BM_DrawPage(benchmark::State& state)
{
    const QString body = SampleBody();
    PdfPage page;
    for (auto _ : state) {
        CertificatePageLayout layout;
        PaintCertificatePage(page.painter, layout, body);
        page.writer.newPage();
    }
}
BENCHMARK(BM_DrawPage)->Unit(benchmark::kMillisecond);

void BM_ExportPdf(benchmark::State& state)
{
    const QString body = SampleBody();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("离职证明.pdf"));
    for (auto _ : state) {
        if (!ExportCertificatePdf(path, body)) {
            state.SkipWithError("export failed");
            break;
        }
    }
}
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond);

// The same page as an OFD document: layout, glyph positions, font subset, XML and zip.
void BM_ExportOfd(benchmark::State& state)
{
    const QString body = SampleBody();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("离职证明.ofd"));
    const CertificateOfdInfo info{
        QStringLiteral("示例公司"), {QStringLiteral("LZ2026-000001")}, {}};
    for (auto _ : state) {
        if (!ExportCertificateOfd(path, body, info)) {
            state.SkipWithError("export failed");
            break;
        }
    }
}
BENCHMARK(BM_ExportOfd)->Unit(benchmark::kMillisecond);

void BM_LayoutLongParagraph(benchmark::State& state)
{
    const QString paragraph = longParagraph(int(state.range(0)));
    PdfPage page;
    PainterCanvas real(page.painter);
    MeasuringCanvas canvas(real);
    for (auto _ : state) {
        CertificatePageLayout layout;
        layout.setPageRect(PageRect{0, 0, page.writer.width(), page.writer.height()});
        layout.draw(canvas, paragraph);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LayoutLongParagraph)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The body font on a PDF page, and the width a body line may take there.
struct BodyLines
{
    BodyLines()
    {
        canvas.selectFont(
            CertificatePageLayout::scaledFont(CertificatePageLayout::kBodyFont, 600, 600));
    }

    PdfPage page;
    PainterCanvas canvas{page.painter};
    const qint64 avail = qint64(page.writer.width()) * 473 / 581;
};

void BM_NaiveBreak(benchmark::State& state)
{
    const QString paragraph = longParagraph(int(state.range(0)));
    BodyLines body;
    for (auto _ : state) {
        benchmark::DoNotOptimize(naiveLineCount(body.canvas, paragraph, body.avail));
    }
}
BENCHMARK(BM_NaiveBreak)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_FastBreak(benchmark::State& state)
{
    const QString paragraph = longParagraph(int(state.range(0)));
    BodyLines body;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BreakParagraph(body.canvas, paragraph, body.avail).size());
    }
}
BENCHMARK(BM_FastBreak)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
