// Widget tests of the limiter page: each slider of each output sends the whole compressor
// with the other values as stored (times in whole milliseconds), the enable boxes send an
// integer, and loading sets sliders, value boxes and curves from the store.

#include <QCheckBox>
#include <QLabel>
#include <cmath>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CCompressPanelPlus.h"
#include "eq/CXBmpSlider.h"
#include "pages/CCompDlg.h"

namespace kv::test {

namespace {

// Per block: module, compressor parameter, bypass parameter, first field (bypass).
struct Block {
    const char* name;
    int module;
    int parameter;
    int bypassParameter;
    int bypassField;
};
constexpr Block kBlocks[] = {
    {"MAIN", 5, 33, 34, 102}, {"REAR", 6, 19, 20, 120}, {"Center", 7, 17, 18, 156},
    {"SUB", 8, 27, 28, 170},  {"TOP", 9, 19, 20, 138},
};

// The box's one-pole coefficient of a time in ms at 48 kHz.
float Coeff(double ms) { return static_cast<float>(1.0 - std::exp(-1.0 / (ms * 48.0))); }

Report Sent(const Block& b, float threshold, float ratio, double attack, double release) {
    return Floats(
        b.module, b.parameter,
        {threshold, 0.0f, static_cast<float>(1.0 - 1.0 / ratio), 20.0f, 0.05f, Coeff(attack), Coeff(release)});
}

CCompDlg* Comp(PageHost& host) { return qobject_cast<CCompDlg*>(host.page.data()); }

// Stored before the page opens: -20 dB, 4:1, 12.7 ms, 250.9 ms.
void StoreCompressor(PageHost& host, const Block& b) {
    ParameterStore& s = host.core->store;
    s.SetFloat(b.bypassField + 1, -20.0f);
    s.SetFloat(b.bypassField + 2, 4.0f);
    s.SetFloat(b.bypassField + 3, 12.7f);
    s.SetFloat(b.bypassField + 4, 250.9f);
}

}  // namespace

class CompressorPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sliders_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        for (int b = 0; b < 5; ++b) {
            const char* n = kBlocks[b].name;
            QTest::addRow("%s threshold", n) << b << int(CCompDlg::kThreshold) << -33 << QStringLiteral("-33dB");
            QTest::addRow("%s ratio", n) << b << int(CCompDlg::kRatio) << 25 << QStringLiteral("2.5:1");
            QTest::addRow("%s attack", n) << b << int(CCompDlg::kAttack) << 40 << QStringLiteral("40ms");
            QTest::addRow("%s release", n) << b << int(CCompDlg::kRelease) << 900 << QStringLiteral("900ms");
        }
        QTest::addRow("ratio at 1:1") << 0 << int(CCompDlg::kRatio) << 10 << QStringLiteral("1.0:1");
        QTest::addRow("threshold at 0 dB") << 0 << int(CCompDlg::kThreshold) << 0 << QStringLiteral("0dB");
    }
    void sliders() {
        QFETCH(int, block);
        QFETCH(int, slider);
        QFETCH(int, position);
        QFETCH(QString, text);
        const Block& b = kBlocks[block];
        PageHost host;
        StoreCompressor(host, b);
        host.ShowPage(PageId::Compressor, 0);
        host.Clear();
        Comp(host)->SliderOf(block, slider)->changed(0, position);
        // The moved value, the others as stored with the times cut to whole milliseconds.
        float threshold = -20.0f, ratio = 4.0f;
        double attack = 12.0, release = 250.0;
        switch (slider) {
            case CCompDlg::kThreshold:
                threshold = static_cast<float>(position);
                break;
            case CCompDlg::kRatio:
                ratio = static_cast<float>(position / 10.0);
                break;
            case CCompDlg::kAttack:
                attack = position;
                break;
            default:
                release = position;
        }
        QCOMPARE(Hex(host.Writes()), Hex({Sent(b, threshold, ratio, attack, release)}));
        QCOMPARE(Comp(host)->ValueOf(block, slider)->text(), text);
        CCompressPanelPlus* panel = Comp(host)->Panel(block);
        QCOMPARE(panel->Threshold(), double(threshold));
        QCOMPARE(panel->SlopeAbove(), 1.0 / double(ratio));
    }

    void enableBoxes_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("enable");
        for (int b = 0; b < 5; ++b) {
            QTest::addRow("%s enabled", kBlocks[b].name) << b << true;
            QTest::addRow("%s bypassed", kBlocks[b].name) << b << false;
        }
    }
    void enableBoxes() {
        QFETCH(int, block);
        QFETCH(bool, enable);
        const Block& b = kBlocks[block];
        PageHost host;
        host.core->store.SetInt(b.bypassField, enable ? 1 : 0);
        host.ShowPage(PageId::Compressor, 0);
        QCOMPARE(Comp(host)->EnableBox(block)->isChecked(), !enable);
        host.Clear();
        Comp(host)->EnableBox(block)->click();
        // An integer, not the float 1.0: bypassed is 00 00 00 01.
        QCOMPARE(Hex(host.Writes()), Hex({Ints(b.module, b.bypassParameter, {enable ? 0 : 1})}));
        QCOMPARE(host.core->store.Int(b.bypassField), enable ? 0 : 1);
        QCOMPARE(Comp(host)->Panel(block)->Enabled(), enable ? 1 : 0);
    }

    void loads_data() {
        QTest::addColumn<float>("threshold");
        QTest::addColumn<float>("ratio");
        QTest::addColumn<float>("attack");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QStringList>("texts");
        // The values read as `get` reads them: whole units, as the next slider move sends the times.
        QTest::addRow("as stored") << -20.0f << 4.0f << 12.7f << QList<int>{-20, 40, 12, 250}
                                   << QStringList{"-20dB", "4.0:1", "12ms", "250ms"};
        QTest::addRow("ratio in tenths") << -7.6f << 2.3f << 1.0f << QList<int>{-7, 23, 1, 250}
                                         << QStringList{"-7dB", "2.3:1", "1ms", "250ms"};
        QTest::addRow("outside the sliders") << -80.0f << 50.0f << 500.0f << QList<int>{-60, 300, 100, 250}
                                             << QStringList{"-80dB", "50.0:1", "500ms", "250ms"};
        // A fresh box holds zeros: shown as the 1:1 and the quickest times that are sent.
        QTest::addRow("fresh box") << 0.0f << 0.0f << 0.0f << QList<int>{0, 10, 1, 250}
                                   << QStringList{"0dB", "1.0:1", "1ms", "250ms"};
    }
    void loads() {
        QFETCH(float, threshold);
        QFETCH(float, ratio);
        QFETCH(float, attack);
        QFETCH(QList<int>, positions);
        QFETCH(QStringList, texts);
        const Block& b = kBlocks[3];
        PageHost host;
        StoreCompressor(host, b);
        host.core->store.SetFloat(b.bypassField + 1, threshold);
        host.core->store.SetFloat(b.bypassField + 2, ratio);
        host.core->store.SetFloat(b.bypassField + 3, attack);
        host.ShowPage(PageId::Compressor, 0);
        for (int s = 0; s < CCompDlg::kSliders; ++s) {
            QCOMPARE(Comp(host)->SliderOf(3, s)->Position(), positions[s]);
            QCOMPARE(Comp(host)->ValueOf(3, s)->text(), texts[s]);
        }
        QCOMPARE(Comp(host)->Panel(3)->Threshold(), double(threshold));
        QCOMPARE(Comp(host)->Panel(3)->Floor(), -90.0);
        QVERIFY(host.Writes().empty());
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::CompressorPageTest)
#include "CompressorPageTest.moc"
