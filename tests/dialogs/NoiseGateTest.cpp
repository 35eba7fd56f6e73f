// The noise-gate dialog: each slider stores 101 - p and sends it scaled as its gate's
// opening or closing time; opening reads the sliders back from the store.

#include <QLabel>

#include "dialogs/CDialogNG.h"
#include "eq/CXBmpSlider.h"
#include "tests/pages/EqEditing.h"
#include "tests/pages/PageFixture.h"

namespace kv::test {

namespace {
struct Gate {
    int field;
    int module;
    int parameter;
    double scale;
};
constexpr Gate kGates[] = {{52, 1, 64, 1e5}, {53, 1, 65, 1e7}, {95, 4, 29, 1e5}, {96, 4, 30, 1e7}};
const char* const kNames[] = {"mic open", "mic close", "music open", "music close"};
}  // namespace

class NoiseGateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sliders_data() {
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("position");
        for (int s = 0; s < 4; ++s) {
            QTest::addRow("%s at the top", kNames[s]) << s << 100;
            QTest::addRow("%s at the bottom", kNames[s]) << s << 1;
            QTest::addRow("%s at 37", kNames[s]) << s << 37;
        }
    }
    void sliders() {
        QFETCH(int, slider);
        QFETCH(int, position);
        const Gate& g = kGates[slider];
        PageHost host;
        CDialogNG dialog(host);
        host.Clear();
        dialog.SliderAt(slider)->changed(0, position);
        QCOMPARE(host.core->store.Int(g.field), 101 - position);
        QCOMPARE(Hex(host.Writes()),
                 Hex({Floats(g.module, g.parameter, {static_cast<float>((101 - position) / g.scale)})}));
        QCOMPARE(dialog.ValueAt(slider)->text(), QString::number(position));
        // Cancelling keeps what was sent.
        dialog.reject();
        QCOMPARE(host.core->store.Int(g.field), 101 - position);
        QCOMPARE(host.Writes().size(), std::size_t{1});
    }

    void opensFromTheStore_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("position");
        QTest::addRow("shortest") << 1 << 100;
        QTest::addRow("longest") << 100 << 1;
        QTest::addRow("middle") << 60 << 41;
        QTest::addRow("zero clamps to the top") << 0 << 100;
        QTest::addRow("beyond clamps to the bottom") << 150 << 1;
    }
    void opensFromTheStore() {
        QFETCH(int, stored);
        QFETCH(int, position);
        PageHost host;
        for (const Gate& g : kGates) host.core->store.SetInt(g.field, stored);
        host.Clear();
        CDialogNG dialog(host);
        for (int s = 0; s < 4; ++s) {
            QCOMPARE(dialog.SliderAt(s)->Position(), position);
            QCOMPARE(dialog.ValueAt(s)->text(), QString::number(position));
        }
        QVERIFY(host.Writes().empty());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("噪声门设置"));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::NoiseGateTest)
#include "NoiseGateTest.moc"
