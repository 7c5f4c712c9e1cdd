// What the strip's once-a-second gauge update and the kit's text helpers cost (not run by ctest).
#include "Flatutilitys.h"
#include "TFlatProgressBar.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// One full paint of the strip's gauge, as the window's repaint each second does.
void BM_GaugePaint(benchmark::State &state)
{
    TFlatProgressBar bar;
    bar.SetSmooth(state.range(0) != 0);
    bar.resize(147, 16);
    QImage target(bar.size(), QImage::Format_RGB32);
    int position = 0;
    for (auto _ : state) {
        bar.SetPosition(position++ % 101);
        bar.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_GaugePaint)->Arg(1)->Arg(0)->ArgNames({"smooth"});

void BM_KitDrawTextWrapMeasure(benchmark::State &state)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    const QString text = QStringLiteral(
        "Shows the time left on battery, counted down from the learned drain rate, or the time "
        "to full while charging");
    for (auto _ : state) {
        const QRect r = KitDrawText(nullptr, font, text, KitRect(0, 0, 178, 0),
                                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_KitDrawTextWrapMeasure);

void BM_CalcAdvancedColor(benchmark::State &state)
{
    TColor base = 0x00E1EAEB;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CalcAdvancedColor(base, 0, 50, darken));
        base ^= 1;
    }
}
BENCHMARK(BM_CalcAdvancedColor);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
