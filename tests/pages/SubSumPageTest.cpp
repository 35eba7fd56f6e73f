// The SUB page draws MAIN and the two summed at the listener over its own curve, and marks a
// sum that cancels at the crossover.

#include "PageFixture.h"
#include "device/EqBands.h"
#include "device/SettingTable.h"
#include "eq/CEqPanel.h"
#include "eq/Crossover.h"
#include "pages/CDialogOutput.h"
#include "pages/CEqEditor.h"

namespace kv::test {

namespace {

constexpr int kLr24 = 1;  // LinkwitzRiely 24dB
constexpr double kCrossoverHz = 100.0;

// SUB's first row low-passes and MAIN's first four bands high-pass at 100 Hz, both 24 dB
// Linkwitz-Riley; the listener and the speakers where a reset puts them (MAIN left 1.414 m,
// SUB 1 m away).
void Crossover(PageHost& host, double mainDelayMs, double subDelayMs, bool subOn, bool subWhole) {
    DeviceContext& d = *host.core;
    ResetSpeakers(d);
    auto sub = LoadEqBands(d.encoders, EqId::Sub);
    sub[0].frequency = static_cast<float>(kCrossoverHz);
    sub[0].q = 0.7f;
    eq::SetRowCodes(sub, 0, eq::AlignmentCodes(eq::kCodeLowPass, kLr24));
    // The other rows off, so that the crossover is the one row's.
    for (int r = 1; r < eq::kCrossoverRows; ++r)
        eq::SetRowCodes(sub, r, {eq::kCodeOff, eq::kCodeOff, eq::kCodeOff, eq::kCodeOff});
    for (int r = 0; r < eq::kCrossoverRows; ++r) SendEqRow(d.encoders, EqId::Sub, sub, r);
    const eq::RowCodes high = eq::AlignmentCodes(eq::kCodeHighPass, kLr24);
    for (int b = 0; b < 4; ++b)
        d.encoders.EqBand(EqId::Main, b, high[static_cast<std::size_t>(b)], 0.0, kCrossoverHz, 0.7);
    const std::pair<const char*, double> delays[] = {{"delay.main.l", mainDelayMs},
                                                     {"delay.main.l.on", 1.0},
                                                     {"delay.main.l.mode", 1.0},  // whole
                                                     {"delay.sub", subDelayMs},
                                                     {"delay.sub.on", subOn ? 1.0 : 0.0},
                                                     {"delay.sub.mode", subWhole ? 1.0 : 0.0}};
    for (auto [address, value] : delays) FindSetting(address)->apply(d, value);
}

}  // namespace

class SubSumPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dipMarkedOnlyWhenTheSidesCancel_data() {
        QTest::addColumn<double>("mainDelayMs");
        QTest::addColumn<double>("subDelayMs");
        QTest::addColumn<bool>("subOn");
        QTest::addColumn<bool>("subWhole");
        QTest::addColumn<bool>("dip");
        // 0.414 m further to MAIN left is 1.2 ms at 20 C: SUB waits as long more.
        QTest::addRow("aligned") << 5.0 << 6.2 << true << true << false;
        QTest::addRow("SUB half a period late") << 1.5 << 7.7 << true << true << true;
        // A delay that is off, or delays only the part above its split, leaves SUB early.
        QTest::addRow("SUB's delay switched off") << 5.0 << 6.2 << false << true << true;
        QTest::addRow("SUB delaying its high part only") << 5.0 << 6.2 << true << false << true;
    }
    void dipMarkedOnlyWhenTheSidesCancel() {
        QFETCH(double, mainDelayMs);
        QFETCH(double, subDelayMs);
        QFETCH(bool, subOn);
        QFETCH(bool, subWhole);
        QFETCH(bool, dip);
        PageHost host;
        Crossover(host, mainDelayMs, subDelayMs, subOn, subWhole);
        host.ShowPage(PageId::Output, eqkind::kSub);
        CEqPanel* panel = host.page->Equaliser()->Panel();
        const eq::CrossoverSum& sum = panel->ListenerSumNow();
        QCOMPARE(int(sum.sum.size()), eq::kGridPoints);
        QVERIFY(sum.crossoverHz && std::fabs(*sum.crossoverHz - kCrossoverHz) < 3.0);
        QCOMPARE(sum.dip.has_value(), dip);
        if (dip) QVERIFY(std::fabs(sum.dip->frequencyHz - kCrossoverHz) < 20.0);
    }

    void mainPageDrawsNoSum() {
        PageHost host;
        Crossover(host, 1.5, 7.7, true, true);
        host.ShowPage(PageId::Output, eqkind::kSub);
        host.ShowPage(PageId::Output, eqkind::kMain);  // the same page, switched
        QVERIFY(host.page->Equaliser()->Panel()->ListenerSumNow().sum.empty());
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SubSumPageTest)
#include "SubSumPageTest.moc"
