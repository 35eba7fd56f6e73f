#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "bench/QtBenchMain.h"
#include "eq/CEqPanel.h"

using namespace kv;

namespace {

// The MAIN equaliser at full-screen size: 24 bands with a few edited, one selected.
void FillPanel(CEqPanel& panel) {
    panel.resize(1920, 1080);
    panel.SetBandCount(24);
    for (int i = 0; i < 24; i += 3) panel.SetGain(i, (i % 2 ? 1 : -1) * (2.0 + i % 7));
    panel.SetCode(0, 3);
    panel.SetCode(23, 5);
    panel.SetGain(23, -6.0);
    panel.SetSelectedBand(9);
}

void BM_EqPanelRepaint(benchmark::State& state) {
    CEqPanel panel;
    FillPanel(panel);
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    panel.render(&image);  // builds the cached grid once, as the first paint does
    for (auto _ : state) {
        panel.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_EqPanelRepaint)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("median_ms", [](const std::vector<double>& v) {
        std::vector<double> s = v;
        std::nth_element(s.begin(), s.begin() + s.size() / 2, s.end());
        return s[s.size() / 2];
    });

// The phase and group-delay views at the same size: range(0) the view, range(1) 1 when a band
// changed before each repaint, so that the complex response and the delay axis's grid are
// computed again as after an edit.
void BM_EqPanelRepaintView(benchmark::State& state) {
    CEqPanel panel;
    FillPanel(panel);
    panel.SetView(static_cast<kv::eq::EqView>(state.range(0)));
    const bool edited = state.range(1) != 0;
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    panel.render(&image);
    int step = 0;
    for (auto _ : state) {
        if (edited) panel.SetGain(9, (++step % 2) ? 3.0 : -3.0);
        panel.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_EqPanelRepaintView)
    ->ArgNames({"view", "edited"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

// The SUB page's graph: its bands (a 24 dB low-pass at 90 Hz), MAIN's 24 (a high-pass at 90 Hz
// among them) arriving 4 ms later, and their sum at the listener, all computed again after an
// edit before each repaint, in the view range(0).
void BM_EqPanelRepaintSum(benchmark::State& state) {
    CEqPanel main;
    FillPanel(main);
    main.SetCode(0, kv::eq::kCodeHighPass);
    main.Band(0).frequency = 90.0f;
    main.EvaluateBand(0);
    const kv::eq::ListenerPath mainPath{kv::eq::EqualiserSections(main.Bands(), false), 0.004};
    CEqPanel panel;
    panel.resize(1920, 1080);
    panel.SetKind(CEqPanel::kSubKind);
    panel.SetBandCount(20);
    panel.SetCode(1, kv::eq::kCodeLowPass);
    panel.Band(1).frequency = 90.0f;
    panel.ApplyAlignment(1, 1);
    panel.SetView(static_cast<kv::eq::EqView>(state.range(0)));
    panel.SetListenerSum([&mainPath](std::span<const kv::eq::ComplexPoint> sub, std::span<const double> f) {
        return kv::eq::SumAtListener(sub, mainPath, f);
    });
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    panel.render(&image);
    int step = 0;
    for (auto _ : state) {
        panel.SetGain(2, (++step % 2) ? 3.0 : -3.0);
        panel.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_EqPanelRepaintSum)->ArgName("view")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One drag step: the pointer moves, the band is re-evaluated, the page is told.
void BM_EqPanelDragStep(benchmark::State& state) {
    CEqPanel panel;
    FillPanel(panel);
    int notified = 0;
    QObject::connect(&panel, &CEqPanel::bandChanged, [&notified](int) { ++notified; });
    const auto& band = panel.Band(9);
    const QPointF start(36 + band.x, 16 + band.y);
    QMouseEvent press(QEvent::MouseButtonPress, start, start, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &press);
    int step = 0;
    for (auto _ : state) {
        const QPointF pos = start + QPointF(step % 200, -(step % 150));
        ++step;
        QMouseEvent move(QEvent::MouseMove, pos, pos, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&panel, &move);
    }
    benchmark::DoNotOptimize(notified);
}
BENCHMARK(BM_EqPanelDragStep)->Unit(benchmark::kMicrosecond);

}  // namespace

KV_QT_BENCHMARK_MAIN()
