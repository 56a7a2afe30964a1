// The hover button repaints on every hover change, press and focus change; a paint should stay
// a single block copy. Also measured: loading the four bitmaps of one button, done five times
// at start-up.

#include "ui/controls/CButtonXp.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {
void BM_PaintButton(benchmark::State& state)
{
    CButtonXp button;
    button.LoadBitmaps(146, 144, 145, 147);
    button.resize(button.bitmapSize());
    button.m_bHover = static_cast<int>(state.range(0));
    QImage target(button.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        button.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PaintButton)->Arg(0)->Arg(1);

void BM_LoadBitmaps(benchmark::State& state)
{
    for (auto _ : state) {
        CButtonXp button;
        benchmark::DoNotOptimize(button.LoadBitmaps(146, 144, 145, 147));
    }
}
BENCHMARK(BM_LoadBitmaps);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
