// The device settings record by address: what `kv4420ctl set` sends for each setting of the
// record (the box's record with one byte changed, sent whole), what it refuses, and the bind
// host that hands the wheel only to the focused bound control.

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "device/SettingTable.h"
#include "device/TypedValue.h"
#include "eq/CXBmpSlider.h"
#include "tests/dialogs/AuxFixture.h"
#include "ui/BindHost.h"

namespace kv::test {

namespace {
using Record = ParameterStore::Settings;

// The box's record: mic power-on 80, music 40, limits 99 and 90, lock bits 0x10, mode M2.
Record Box() {
    Record r{};
    r[1] = 80;
    r[2] = 40;
    r[3] = 99;
    r[4] = 90;
    r[6] = 0x10;
    r[12] = 2;
    return r;
}
void SendWheel(QWidget* w, int delta) {
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}
}  // namespace

class SettingsRecordTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // address=value, the lock bits the box holds, and the bytes (index, value) that change.
    void setSendsTheRecord_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("lockBits");
        QTest::addColumn<QList<int>>("changes");
        QTest::addRow("save mode with the mode") << "settings.save-mode=mode" << 0x10 << QList<int>{0, 1};
        QTest::addRow("save mode across power") << "settings.save-mode=power-cycle" << 0x10 << QList<int>{0, 0};
        QTest::addRow("mic power-on none") << "settings.mic.power-on=none" << 0x10 << QList<int>{1, 255};
        QTest::addRow("mic power-on 0") << "settings.mic.power-on=0" << 0x10 << QList<int>{1, 0};
        QTest::addRow("music power-on at its limit") << "settings.music.power-on=90" << 0x10 << QList<int>{2, 90};
        QTest::addRow("mic max above power-on") << "settings.mic.max=85" << 0x10 << QList<int>{3, 85};
        QTest::addRow("mic max below power-on takes it down")
            << "settings.mic.max=50" << 0x10 << QList<int>{3, 50, 1, 50};
        QTest::addRow("music max 1") << "settings.music.max=1" << 0x10 << QList<int>{4, 1, 2, 1};
        QTest::addRow("panel lock on") << "settings.panel-lock=on" << 0x10 << QList<int>{5, 1};
        QTest::addRow("volume lock on mode lock") << "settings.volume-lock=on" << 0x10 << QList<int>{6, 0x93};
        QTest::addRow("volume lock off keeps others") << "settings.volume-lock=off" << 0xD7 << QList<int>{6, 0x54};
        QTest::addRow("mode lock off") << "settings.mode-lock=off" << 0x93 << QList<int>{6, 0x83};
        QTest::addRow("mode lock on from nothing") << "settings.mode-lock=on" << 0x00 << QList<int>{6, 0x10};
        QTest::addRow("power-on mode M4") << "settings.power-on-mode=M4" << 0x10 << QList<int>{12, 4};
        QTest::addRow("power-on mode auto") << "settings.power-on-mode=auto" << 0x10 << QList<int>{12, 0};
    }
    void setSendsTheRecord() {
        QFETCH(QString, item);
        QFETCH(int, lockBits);
        QFETCH(QList<int>, changes);
        AuxHost host;
        Record box = Box();
        box[6] = static_cast<std::uint8_t>(lockBits);
        host.core->store.SetAppliedSettings(box);
        // A window has staged a panel lock that was never applied: it must not go out.
        Record staged = box;
        staged[5] = 1;
        staged[7] = 0x55;
        host.core->store.SetEditedSettings(staged);

        const QStringList parts = item.split('=');
        const Setting* s = FindSetting(parts[0].toStdString());
        QVERIFY(s);
        const TypedValue v = ReadTyped(*s, parts[1].toStdString(), TypedMode::Exact);
        QVERIFY(v);
        QVERIFY(!s->refuse || s->refuse(*host.core, *v.value).empty());
        host.Clear();
        s->apply(*host.core, *v.value);
        host.Settle();

        Record expected = box;
        for (int i = 0; i + 1 < changes.size(); i += 2) {
            expected[static_cast<std::size_t>(changes[i])] = static_cast<std::uint8_t>(changes[i + 1]);
            staged[static_cast<std::size_t>(changes[i])] = static_cast<std::uint8_t>(changes[i + 1]);
        }
        QCOMPARE(host.Sent(cmd::kSettingsWrite), AuxHost::Hex({SettingsWrite(expected)}));
        QVERIFY(QTest::qWaitFor([&] { return host.Delivered().Settings() == expected; }, 2000));
        QCOMPARE(host.core->store.AppliedSettings(), expected);
        // The edited copy takes the change and keeps what was staged.
        QCOMPARE(host.core->store.EditedSettings(), staged);
        // Read back as it was set.
        QCOMPARE(FormatSetting(*s, s->read(*host.core)), FormatSetting(*s, *v.value));
    }

    void setRefuses_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("parses");
        QTest::addRow("music power-on above its limit") << "settings.music.power-on=91" << true;
        QTest::addRow("power-on 100") << "settings.mic.power-on=100" << false;
        QTest::addRow("power-on 255") << "settings.mic.power-on=255" << false;
        QTest::addRow("max 0") << "settings.mic.max=0" << false;
        QTest::addRow("max 100") << "settings.music.max=100" << false;
        QTest::addRow("power-on mode M5") << "settings.power-on-mode=M5" << false;
        QTest::addRow("save mode number") << "settings.save-mode=2" << false;
    }
    void setRefuses() {
        QFETCH(QString, item);
        QFETCH(bool, parses);
        AuxHost host;
        host.core->store.SetAppliedSettings(Box());
        const QStringList parts = item.split('=');
        const Setting* s = FindSetting(parts[0].toStdString());
        QVERIFY(s);
        const TypedValue v = ReadTyped(*s, parts[1].toStdString(), TypedMode::Exact);
        QCOMPARE(bool(v), parses);
        if (parses) QVERIFY(s->refuse && !s->refuse(*host.core, *v.value).empty());
    }

    // A window's row stages: the edited copy changes, nothing is sent.
    void stagedRowSendsNothing() {
        AuxHost host;
        host.core->store.SetAppliedSettings(Box());
        host.core->store.SetEditedSettings(Box());
        QWidget root;
        CXBmpSlider slider(1000, Qt::Horizontal, &root);
        BindHost bind(host, root, 0);
        const int h = bind.Bind().Add(StagedAddressRow("settings.music.max"), {&slider});
        host.Clear();
        bind.Bind().Issue(h, 70);
        host.Settle();
        QCOMPARE(int(host.core->store.EditedSettings()[4]), 70);
        QCOMPARE(int(host.core->store.AppliedSettings()[4]), 90);
        QVERIFY(host.Delivered().Transcript().empty());
    }

    // The wheel over any part of the host goes to the focused bound slider, and only to it.
    void hostRoutesTheWheel_data() {
        QTest::addColumn<int>("focus");  // 0 the bound slider, 1 an unbound slider, 2 the label
        QTest::addColumn<int>("over");   // 0 the bound slider, 1 the unbound slider, 2 the label
        QTest::addColumn<int>("ratio");  // the stored ratio afterwards, from 40
        QTest::addRow("focused, over the label") << 0 << 2 << 41;
        QTest::addRow("focused, over another slider") << 0 << 1 << 41;
        QTest::addRow("focused, over itself") << 0 << 0 << 41;
        QTest::addRow("other slider focused, over the bound one") << 1 << 0 << 40;
        QTest::addRow("label focused, over the bound one") << 2 << 0 << 40;
    }
    void hostRoutesTheWheel() {
        QFETCH(int, focus);
        QFETCH(int, over);
        QFETCH(int, ratio);
        AuxHost host;
        host.core->store.SetInt(fld::kAutoSubRatio, 40);
        QWidget root;
        auto* layout = new QVBoxLayout(&root);
        auto* bound = new CXBmpSlider(1000, Qt::Horizontal, &root);
        auto* other = new CXBmpSlider(1001, Qt::Horizontal, &root);
        auto* label = new QLabel(QStringLiteral("x"), &root);
        label->setFocusPolicy(Qt::StrongFocus);
        for (QWidget* w : {static_cast<QWidget*>(bound), static_cast<QWidget*>(other), static_cast<QWidget*>(label)})
            layout->addWidget(w);
        BindHost bind(host, root, 0);
        bind.Bind().Add(AddressRow("autosub.ratio"), {bound});
        bind.Reload();
        bind.RouteWheel();
        root.show();
        root.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&root));
        QWidget* widgets[3] = {bound, other, label};
        widgets[focus]->setFocus();
        QCOMPARE(QApplication::focusWidget(), widgets[focus]);
        host.Clear();
        SendWheel(widgets[over], 120);
        host.Settle();
        QTest::qWait(50);  // the slider posts its moves
        QCOMPARE(host.core->store.Int(fld::kAutoSubRatio), ratio);
        QCOMPARE(bound->Position(), ratio);
        QCOMPARE(host.ParamWrites().isEmpty(), ratio == 40);
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SettingsRecordTest)
#include "SettingsRecordTest.moc"
