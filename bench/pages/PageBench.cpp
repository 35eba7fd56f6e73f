// Page switching and reloading, each measured as the user sees it: the page changes and
// is painted once. Target: one frame (16 ms) each.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "bench/QtBenchMain.h"
#include "eq/CCompressPanelPlus.h"
#include "pages/CCompDlg.h"
#include "pages/CDialogMusic.h"
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

}  // namespace

KV_QT_BENCHMARK_MAIN()
