// Page switching and reloading, each measured as the user sees it: the page changes and
// is painted once. Target: one frame (16 ms) each.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>

#include "bench/QtBenchMain.h"
#include "eq/CCompressPanelPlus.h"
#include "eq/CDelayPanel.h"
#include "eq/CEqPanel.h"
#include "eq/CSSVolumePanel.h"
#include "pages/CCompDlg.h"
#include "pages/CDelayDlg.h"
#include "pages/CDialogMusic.h"
#include "pages/CEqEditor.h"
#include "pages/CSSVCDlg.h"
#include "tests/pages/PageFixture.h"

using namespace kv;

namespace {

constexpr int kCodes[3] = {CDialogMusic::kMicACode, CDialogMusic::kMicBCode, CDialogMusic::kMusicCode};

void Paint(QWidget& w, QImage& image) {
    w.render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

// The three page buttons in turn: the page switches its code in place and repaints; at the
// smallest window and at full-screen size, where the panels have the most to draw.
void BM_SwitchInputPages(benchmark::State& state) {
    test::PageHost host;
    host.window.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    host.ShowPage(PageId::Music, CDialogMusic::kMicACode);
    QImage image(host.window.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(*host.page, image);
    int i = 0;
    for (auto _ : state) {
        host.ShowPage(PageId::Music, kCodes[++i % 3]);
        Paint(*host.page, image);
    }
}
BENCHMARK(BM_SwitchInputPages)->Args({1170, 565})->Args({1920, 960})->Unit(benchmark::kMillisecond);

// What follows every synchronisation: every control of the hosted page from the store.
void BM_ReloadAfterSync(benchmark::State& state) {
    test::PageHost host;
    host.ShowPage(PageId::Music, CDialogMusic::kMicACode);
    QImage image(host.window.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(*host.page, image);
    for (auto _ : state) {
        host.page->Reload();
        Paint(*host.page, image);
    }
}
BENCHMARK(BM_ReloadAfterSync)->Unit(benchmark::kMillisecond);

// The navigation bar's output buttons: MAIN, SUB, TOP in turn, switched in place and painted.
void BM_SwitchOutputTypes(benchmark::State& state) {
    constexpr int kTypes[3] = {eqkind::kMain, eqkind::kSub, eqkind::kTop};
    test::PageHost host;
    host.window.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    host.ShowPage(PageId::Output, eqkind::kMain);
    QImage image(host.window.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(*host.page, image);
    int i = 0;
    for (auto _ : state) {
        host.ShowPage(PageId::Output, kTypes[++i % 3]);
        Paint(*host.page, image);
    }
}
BENCHMARK(BM_SwitchOutputTypes)->Args({1170, 565})->Args({1920, 960})->Unit(benchmark::kMillisecond);

// One limiter curve filling a 1920 x 1080 window, its grid cached as after the first paint:
// what each slider step costs the screen.
void BM_CompressorPanelRepaint(benchmark::State& state) {
    CCompressPanelPlus panel;
    panel.resize(1920, 1080);
    panel.SetFloor(CCompDlg::kFloorDb);
    panel.SetEnabled(1);
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(panel, image);
    int t = 0;
    for (auto _ : state) {
        panel.SetThreshold(-(++t % 60));
        Paint(panel, image);
    }
}
BENCHMARK(BM_CompressorPanelRepaint)->Unit(benchmark::kMillisecond);

void Mouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// One drag step on each panel, from the mouse move to the reports handed to the link (the
// in-process box answers at once): a delay, and a dragged listener with its eight levels.
void BM_DragDelayHandle(benchmark::State& state) {
    test::PageHost host;
    host.ShowPage(PageId::Delay, 0);
    auto* panel = static_cast<CDelayDlg*>(host.page.data())->Panel();
    panel->resize(900, 500);
    const QPointF start = panel->HandleCentre(3);
    Mouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton);
    int i = 0;
    for (auto _ : state) Mouse(panel, QEvent::MouseMove, start + QPointF(++i % 200, 0), Qt::LeftButton);
}
BENCHMARK(BM_DragDelayHandle)->Unit(benchmark::kMicrosecond);

void BM_DragSpeaker(benchmark::State& state) {
    test::PageHost host;
    host.ShowPage(PageId::SpeakerPosition, 0);
    auto* panel = static_cast<CSSVCDlg*>(host.page.data())->Panel();
    panel->resize(700, 700);
    const QPointF start = panel->PixelOf(static_cast<int>(state.range(0)));
    Mouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton);
    int i = 0;
    for (auto _ : state) Mouse(panel, QEvent::MouseMove, start + QPointF(++i % 50, 0), Qt::LeftButton);
}
BENCHMARK(BM_DragSpeaker)->Arg(5)->Arg(0)->Unit(benchmark::kMicrosecond);

// One step of an equaliser drag on the music page as the interface thread pays for it,
// against the box at the product's link timings: the argument is the box's answer latency
// in microseconds, -1 a box that never answers. Each step sends the band (descriptor and
// coefficients). max_ms is the longest step: the longest the window's event loop was held.
void BM_EqDragStepOverLink(benchmark::State& state) {
    test::PageHost host(0, LinkTimings{});
    if (state.range(0) < 0)
        host.box->SetSilent(true);
    else
        host.box->SetLatency(std::chrono::microseconds(state.range(0)));
    host.ShowPage(PageId::Music, CDialogMusic::kMusicCode);
    CEqPanel* panel = static_cast<CDialogMusic*>(host.page.data())->Equaliser()->Panel();
    const int band = 3;
    const QPointF start(eq::EqPanelGeometry::kInsetLeft + panel->Band(band).x,
                        eq::EqPanelGeometry::kPointerTop + panel->Band(band).y);
    Mouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton);
    double longest = 0.0;
    int i = 0;
    for (auto _ : state) {
        ++i;
        const QPointF to = start + QPointF(i % 120, (i % 30) - 15);
        const auto t0 = std::chrono::steady_clock::now();
        Mouse(panel, QEvent::MouseMove, to, Qt::LeftButton);
        const std::chrono::duration<double> step = std::chrono::steady_clock::now() - t0;
        state.SetIterationTime(step.count());
        longest = std::max(longest, step.count() * 1e3);
    }
    state.counters["max_ms"] = longest;
    Mouse(panel, QEvent::MouseButtonRelease, start, Qt::NoButton);
}
BENCHMARK(BM_EqDragStepOverLink)
    ->ArgName("latency_us")
    ->Arg(0)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(-1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The music's unmute as the interface thread pays for it: nine steps of a fade-in, 30 ms
// apart on the wire, against a prompt box at the product's link timings.
void BM_MusicUnmuteOverLink(benchmark::State& state) {
    test::PageHost host(0, LinkTimings{});
    Encoders& encoders = host.Device().encoders;
    encoders.SetTimings(EncoderTimings{});  // the product's fade pace
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        encoders.MusicMute(0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - t0;
        state.SetIterationTime(took.count());
        state.PauseTiming();
        host.Device().link.Flush();
        state.ResumeTiming();
    }
}
// Each unmute keeps the box busy for its 270 ms of fade, so the count is fixed.
BENCHMARK(BM_MusicUnmuteOverLink)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// A full repaint of each panel at 1920 x 1080 with its background cached.
template <typename Panel>
void BM_RepaintPanel(benchmark::State& state) {
    Panel panel;
    panel.resize(1920, 1080);
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(panel, image);
    for (auto _ : state) Paint(panel, image);
}
BENCHMARK(BM_RepaintPanel<CDelayPanel>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintPanel<CSSVolumePanel>)->Unit(benchmark::kMillisecond);

}  // namespace

KV_QT_BENCHMARK_MAIN()
