// Widget tests of the delay page: every row's delay in samples, on/off switch, mode switch
// and crossover with the slots they rewrite, the delay limits, the spin control, the row
// enabling, and handles dragged with real mouse events.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CDelayPanel.h"
#include "eq/CXBmpSlider.h"
#include "pages/CDelayDlg.h"
#include "ui/CSpinButtons.h"

namespace kv::test {

namespace {

// Per row: module, delay, on/off and mode parameters, delay field, first crossover slot and
// the first byte of the module's bands.
struct Row {
    const char* name;
    int module;
    int delay;
    int onOff;
    int mode;
    int field;
    int slot;
    int firstByte;
};
constexpr Row kRows[] = {
    {"MAIN left", 5, 35, 37, 39, 107, 24, 511}, {"MAIN right", 5, 36, 38, 40, 108, 26, 511},
    {"Center", 7, 19, 20, 21, 161, 10, 805},    {"SUB", 8, 29, 30, 31, 175, 20, 889},
    {"REAR left", 6, 21, 23, 25, 125, 10, 707}, {"REAR right", 6, 22, 24, 26, 126, 12, 707},
    {"TOP left", 9, 21, 23, 25, 143, 10, 1043}, {"TOP right", 9, 22, 24, 26, 144, 12, 1043},
};

CDelayDlg* Delay(PageHost& host) { return qobject_cast<CDelayDlg*>(host.page.data()); }

std::int32_t Samples(double ms) { return static_cast<std::int32_t>(std::trunc(ms * 48.0 + 0.5)); }

// Offsets and codes of the descriptor writes among the reports.
QList<QPair<int, int>> Descriptors(const std::vector<Report>& writes) {
    QList<QPair<int, int>> out;
    for (const Report& r : writes)
        if (r[1] == cmd::kMemoryWrite) out.append({(r[2] << 8) | r[3], r[5 + 6]});
    return out;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->returnPressed();
}

}  // namespace

class DelayPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedDelay_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("ms");
        for (int r = 0; r < 8; ++r) QTest::addRow("%s", kRows[r].name) << r << QStringLiteral("12.5") << 12.5;
        QTest::addRow("below the least") << 3 << QStringLiteral("0.5") << 1.5;
        QTest::addRow("above the most") << 3 << QStringLiteral("250") << 100.0;
        QTest::addRow("tenths kept") << 0 << QStringLiteral("33.3ms") << 33.3;
    }
    void typedDelay() {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(double, ms);
        const Row& r = kRows[row];
        PageHost host;
        host.ShowPage(PageId::Delay, 0);
        host.Clear();
        Type(Delay(host)->DelayEdit(row), typed);
        QCOMPARE(Hex(host.Writes()), Hex({Ints(r.module, r.delay, {Samples(ms)})}));
        QCOMPARE(Delay(host)->DelayEdit(row)->text(), QString::asprintf("%.1fms", ms));
        QCOMPARE(Delay(host)->Spin(row)->Position(), std::max(15, int(std::lround(ms * 10))));  // its own range
        QCOMPARE(Delay(host)->Panel()->Value(row), ms);
        QCOMPARE(host.core->store.Float(r.field), float(ms));
    }

    void unchangedDelaySendsNothing() {
        PageHost host;
        host.core->store.SetFloat(kRows[2].field, 20.0f);
        host.ShowPage(PageId::Delay, 0);
        host.Clear();
        Type(Delay(host)->DelayEdit(2), QStringLiteral("20"));
        QVERIFY(host.Writes().empty());
    }

    void spinStops_data() {
        QTest::addColumn<float>("stored");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QList<int>>("samples");  // one press after the other
        QTest::addRow("down to the least and no further") << 1.6f << -1 << QList<int>{72};
        QTest::addRow("up a tenth twice") << 10.0f << 1 << QList<int>{485, 490};
        QTest::addRow("up from the least a tenth at a time") << 1.5f << 1 << QList<int>{77, 82};
        QTest::addRow("up at the most") << 100.0f << 1 << QList<int>{};
    }
    void spinStops() {
        QFETCH(float, stored);
        QFETCH(int, delta);
        QFETCH(QList<int>, samples);
        PageHost host;
        host.core->store.SetFloat(kRows[0].field, stored);
        host.ShowPage(PageId::Delay, 0);
        host.Clear();
        Delay(host)->Spin(0)->stepped(delta);
        host.Settle();
        Delay(host)->Spin(0)->stepped(delta);  // the second press from the limit sends nothing
        std::vector<Report> want;
        for (int s : samples) want.push_back(Ints(5, 35, {s}));
        QCOMPARE(Hex(host.Writes()), Hex(want));
    }

    // A key in a focused delay box steps it as a notch of the wheel and the spin buttons do.
    void keysStepAsTheSpin_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("delta");
        QTest::addRow("up") << int(Qt::Key_Up) << 1;
        QTest::addRow("page up") << int(Qt::Key_PageUp) << 1;
        QTest::addRow("down") << int(Qt::Key_Down) << -1;
        QTest::addRow("page down") << int(Qt::Key_PageDown) << -1;
    }
    void keysStepAsTheSpin() {
        QFETCH(int, key);
        QFETCH(int, delta);
        PageHost spun;
        spun.core->store.SetFloat(kRows[2].field, 10.0f);
        spun.ShowPage(PageId::Delay, 0);
        spun.Clear();
        Delay(spun)->Spin(2)->stepped(delta);
        PageHost keyed;
        keyed.core->store.SetFloat(kRows[2].field, 10.0f);
        keyed.ShowPage(PageId::Delay, 0);
        keyed.Clear();
        QTest::keyClick(Delay(keyed)->DelayEdit(2), static_cast<Qt::Key>(key));
        QVERIFY(!spun.Writes().empty());
        QCOMPARE(Hex(keyed.Writes()), Hex(spun.Writes()));
        QCOMPARE(Delay(keyed)->DelayEdit(2)->text(), Delay(spun)->DelayEdit(2)->text());
    }

    void onOff_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("turnOn");
        for (int r = 0; r < 8; ++r) {
            QTest::addRow("%s on", kRows[r].name) << r << true;
            QTest::addRow("%s off", kRows[r].name) << r << false;
        }
    }
    void onOff() {
        QFETCH(int, row);
        QFETCH(bool, turnOn);
        const Row& r = kRows[row];
        PageHost host;
        host.core->store.SetInt(r.field + (r.onOff - r.delay), turnOn ? 1 : 0);
        host.core->store.SetFloat(r.field, 30.0f);
        host.ShowPage(PageId::Delay, 0);
        CDelayDlg* page = Delay(host);
        QCOMPARE(page->OnOff(row)->isChecked(), !turnOn);
        host.Clear();
        page->OnOff(row)->click();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(r.module, r.onOff, {turnOn ? 0 : 1})}));
        QCOMPARE(page->DelayEdit(row)->isEnabled(), turnOn);
        QCOMPARE(page->Spin(row)->isEnabled(), turnOn);
        QCOMPARE(page->WholeRadio(row)->isEnabled(), turnOn);
        QCOMPARE(page->Crossover(row)->isEnabled(), turnOn);  // the high-frequency mode is on
        QCOMPARE(host.core->store.Float(r.field), 30.0f);     // the delay itself stays
    }

    // The mode switch sends its two values and rewrites the row's crossover slots: pass
    // filters for the high-frequency part, flat sections for the whole channel.
    void modeSwitch_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("whole");
        for (int r = 0; r < 8; ++r) {
            QTest::addRow("%s whole channel", kRows[r].name) << r << true;
            QTest::addRow("%s high part", kRows[r].name) << r << false;
        }
    }
    void modeSwitch() {
        QFETCH(int, row);
        QFETCH(bool, whole);
        const Row& r = kRows[row];
        PageHost host;
        host.core->store.SetInt(r.field + (r.mode - r.delay), whole ? 0 : 1);
        host.ShowPage(PageId::Delay, 0);
        CDelayDlg* page = Delay(host);
        host.Clear();
        (whole ? page->WholeRadio(row) : page->HighRadio(row))->click();
        const std::vector<Report> writes = host.Writes();
        QVERIFY(!writes.empty());
        QCOMPARE(HexOf(writes.front()), HexOf(Floats(r.module, r.mode, {1.0f, whole ? 0.0f : 1.0f})));
        const int base = r.firstByte + 7 * r.slot;
        const QList<QPair<int, int>> want =
            whole ? QList<QPair<int, int>>{{base, 1}, {base + 7, 1}} : QList<QPair<int, int>>{{base, 3}, {base + 7, 2}};
        QCOMPARE(Descriptors(writes), want);
        QCOMPARE(host.core->store.Int(r.field + (r.mode - r.delay)), whole ? 1 : 0);
        // The crossover means nothing for the whole channel.
        QCOMPARE(page->Crossover(row)->isEnabled(), !whole);
        QVERIFY(page->OnOff(row)->isChecked());
    }

    void crossover_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("index");
        for (int r = 0; r < 8; ++r) QTest::addRow("%s", kRows[r].name) << r << 7;
        QTest::addRow("lowest") << 3 << 0;
        QTest::addRow("highest") << 3 << 25;
    }
    void crossover() {
        QFETCH(int, row);
        QFETCH(int, index);
        const Row& r = kRows[row];
        PageHost host;
        host.ShowPage(PageId::Delay, 0);
        CDelayDlg* page = Delay(host);
        host.Clear();
        page->Crossover(row)->changed(0, index);
        const int base = r.firstByte + 7 * r.slot;
        QCOMPARE(Descriptors(host.Writes()), (QList<QPair<int, int>>{{base, 3}, {base + 7, 2}}));
        const int hz = 500 + 100 * index;
        QCOMPARE(host.core->store.ReadBand(r.module, r.slot).frequencyHz, hz);
        QCOMPARE(page->CrossoverText(row)->text(), QStringLiteral("%1Hz").arg(hz));
    }

    void crossoverReadBack_data() {
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addRow("in the table") << 1800 << 13 << QStringLiteral("1800Hz");
        QTest::addRow("not in the table") << 1850 << 0 << QStringLiteral("500Hz");
    }
    void crossoverReadBack() {
        QFETCH(int, hz);
        QFETCH(int, position);
        QFETCH(QString, text);
        PageHost host;
        StoreBand(host, 889, 20, 150, hz, 707, 3);  // SUB's first crossover slot
        host.ShowPage(PageId::Delay, 0);
        QCOMPARE(Delay(host)->Crossover(3)->Position(), position);
        QCOMPARE(Delay(host)->CrossoverText(3)->text(), text);
    }

    // A handle taken with the mouse and dragged: the row under the pointer follows it and
    // the page sends that row's delay.
    void dragHandle_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("toMs");
        QTest::addColumn<double>("wantMs");
        QTest::addRow("SUB to 50 ms") << 3 << 50.0 << 50.0;
        QTest::addRow("TOP right past the end") << 7 << 104.0 << 100.0;
        QTest::addRow("MAIN left below the least") << 0 << 0.2 << 1.5;
    }
    void dragHandle() {
        QFETCH(int, row);
        QFETCH(double, toMs);
        QFETCH(double, wantMs);
        PageHost host;
        host.core->store.SetFloat(kRows[row].field, 20.0f);
        host.ShowPage(PageId::Delay, 0);
        CDelayPanel* panel = Delay(host)->Panel();
        panel->resize(600, 300);
        QSignalSpy dragged(panel, &CDelayPanel::delayDragged);
        host.Clear();
        const QPointF start = panel->HandleCentre(row);
        const QPointF to(panel->Geometry().X(toMs) + CDelayPanel::kHandleSize / 2.0, start.y() + 4);
        SendMouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(dragged.size(), 1);
        QCOMPARE(dragged[0][0].toInt(), row);
        QVERIFY(std::fabs(dragged[0][1].toDouble() - wantMs) < 1e-6);
        const Row& r = kRows[row];
        QCOMPARE(Hex(host.Writes()), Hex({Ints(r.module, r.delay, {Samples(wantMs)})}));
        QCOMPARE(Delay(host)->DelayEdit(row)->text(), QString::asprintf("%.1fms", wantMs));
        QCOMPARE(panel->DraggedRow(), -1);
    }

    void pressAwayFromHandlesDragsNothing() {
        PageHost host;
        host.ShowPage(PageId::Delay, 0);
        CDelayPanel* panel = Delay(host)->Panel();
        panel->resize(600, 300);
        host.Clear();
        const QPointF away(panel->Geometry().X(80), panel->HandleCentre(1).y());
        SendMouse(panel, QEvent::MouseButtonPress, away, Qt::LeftButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseMove, away + QPointF(30, 0), Qt::NoButton, Qt::LeftButton);
        QVERIFY(host.Writes().empty());
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::DelayPageTest)
#include "DelayPageTest.moc"
