// Composing certificates from templates of growing size. Run build/bin/compose_bench; the
// median of each size is what matters (a 100 KB template should compose well under 5 ms, and
// ten times the text should cost about ten times as much).
#include "SampleCertificate.h"
#include "compose/CertificateComposer.h"

#include <benchmark/benchmark.h>

namespace {

const QString kOpen = QStringLiteral("<div style=\"float: right;\">");

// A template of about `bodyChars` characters of running text holding `placeholders`
// placeholders (cycling through all nine) and a line break every 60 characters or so,
// followed by a right block of `blockLines` lines.
QString makeTemplate(int bodyChars, int placeholders, int blockLines)
{
    static const QString kFillerText =
        QStringLiteral("兹证明该员工在职期间工作认真负责，表现良好，");
    QString text;
    text.reserve(bodyChars + blockLines * 16 + 64);
    const int textPerPlaceholder = bodyChars / std::max(1, placeholders);
    qsizetype sinceBreak = 0;
    for (int i = 0; i < placeholders; ++i) {
        const QStringView marker = Compose::kPlaceholders[i % 9].marker;
        text += marker;
        for (int n = 0; n < textPerPlaceholder - marker.size();) {
            const int take =
                std::min<int>(kFillerText.size(), textPerPlaceholder - marker.size() - n);
            text += QStringView(kFillerText).left(take);
            n += take;
            sinceBreak += take;
            if (sinceBreak >= 60) {
                text += QStringLiteral("<br>");
                sinceBreak = 0;
            }
        }
    }
    text += kOpen;
    for (int i = 0; i < blockLines; ++i) {
        text += (i % 2 == 0) ? QStringLiteral("【公司名称】（盖章）")
                             : QStringLiteral("日期：【离职日期】");
        if (i + 1 < blockLines) {
            text += QStringLiteral("<br>");
        }
    }
    text += QStringLiteral("</div>");
    return text;
}

void composeTemplate(benchmark::State& state, const QString& templateText)
{
    const CertificateValues values = SampleValues();
    qsizetype outputSize = 0;
    for (auto _ : state) {
        const QString certificate = Compose::ComposeCertificate(templateText, values, 30);
        outputSize = certificate.size();
        benchmark::DoNotOptimize(certificate.constData());
    }
    state.counters["template_chars"] = double(templateText.size());
    state.counters["output_chars"] = double(outputSize);
    state.SetBytesProcessed(state.iterations() * templateText.size() * qsizetype(sizeof(QChar)));
}

void BM_ComposeTypical1500(benchmark::State& state)
{
    static const QString text = makeTemplate(1450, 12, 2);
    composeTemplate(state, text);
}

void BM_Compose100KB(benchmark::State& state)
{
    static const QString text = makeTemplate(92000, 1000, 500);
    composeTemplate(state, text);
}

void BM_Compose1MB(benchmark::State& state)
{
    static const QString text = makeTemplate(920000, 10000, 5000);
    composeTemplate(state, text);
}

void BM_Preview100KB(benchmark::State& state)
{
    static const QString text = makeTemplate(92000, 1000, 500);
    for (auto _ : state) {
        const QString preview = Compose::RenderTemplatePreview(text, 30);
        benchmark::DoNotOptimize(preview.constData());
    }
}

void BM_AlignTenThousandLineBlock(benchmark::State& state)
{
    static const QString text = makeTemplate(0, 0, 10000);
    for (auto _ : state) {
        const QString aligned = Compose::AlignRightBlock(text, 30);
        benchmark::DoNotOptimize(aligned.constData());
    }
}

} // namespace

BENCHMARK(BM_ComposeTypical1500)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_Compose100KB)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Compose1MB)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Preview100KB)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_AlignTenThousandLineBlock)->Unit(benchmark::kMillisecond)->Repetitions(5);

BENCHMARK_MAIN();
