// The list-of-settings editor: rows by address or template, one shared slider. A row chosen
// and moved sends what its setting sends, its cell and the value beside the slider show the
// setting's text, and the rows follow new names when the page switches kind.

#include <QLabel>
#include <QTest>

#include "EqEditing.h"
#include "PageFixture.h"
#include "device/SettingTable.h"
#include "eq/CXBmpSlider.h"
#include "ui/SettingList.h"

namespace kv::test {

namespace {
const SettingListRow kRows[] = {
    {"话筒2噪声门", "Mic 2 gate", "mic.2.gate"},      {"回声间隔", "Echo Time", "{mic}.echo.time"},
    {"混响时长", "Reverb Time", "{mic}.reverb.time"}, {"移频", "Shift", "{mic}.shift"},
    {"音乐音量", "Music", "{out}.mix.music"},
};
const AddressNames kFirst{{"mic", "mica"}, {"out", "main"}};
const AddressNames kSecond{{"mic", "micb"}, {"out", "sub"}};
}  // namespace

class SettingListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void movesTheChosenRow_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("rebound");  // the names switched before the row was chosen
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("address");  // the setting that must be sent
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("text");
        QTest::addRow("plain address") << 0 << false << 30 << false << "mic.2.gate" << 0 << 100 << "30";
        QTest::addRow("plain address, rebound") << 0 << true << 31 << false << "mic.2.gate" << 0 << 100 << "31";
        QTest::addRow("echo time, CH A") << 1 << false << 200 << false << "mica.echo.time" << 180 << 260 << "200ms";
        QTest::addRow("echo time, CH B") << 1 << true << 240 << false << "micb.echo.time" << 180 << 260 << "240ms";
        QTest::addRow("reverb time, CH B") << 2 << true << 10 << false << "micb.reverb.time" << 0 << 100 << "536ms";
        QTest::addRow("shift, CH A") << 3 << false << 4 << false << "mica.shift" << 1 << 5 << "4Hz";
        QTest::addRow("SUB music, a third stored") << 4 << true << 50 << false << "sub.mix.music" << 0 << 100 << "50%";
        QTest::addRow("locked") << 1 << true << 240 << true << "" << 180 << 260 << "";
    }
    void movesTheChosenRow() {
        QFETCH(int, row);
        QFETCH(bool, rebound);
        QFETCH(int, position);
        QFETCH(bool, locked);
        QFETCH(QString, address);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QString, text);
        PageHost host(1);
        Binder binder(host);
        QWidget list;
        QStringList names(std::size(kRows)), values(std::size(kRows));
        SettingList::View view;
        view.list = &list;
        view.name = [&](int r, const QString& t) { names[r] = t; };
        view.value = [&](int r, const QString& t) { values[r] = t; };
        SettingList editor(binder, host, view, &list, 1, QStringLiteral("test"));
        CXBmpSlider& slider = *editor.Slider();
        QLabel& name = *editor.NameLabel();
        QLabel& value = *editor.ValueLabel();
        editor.SetRows(kRows, kFirst);
        if (rebound) editor.SetNames(kSecond);
        editor.Refresh();
        const QStringList before = values;
        host.state.locked = locked;
        host.Clear();

        editor.Select(row);
        QCOMPARE(name.text(), QString::fromUtf8(kRows[row].english));
        QCOMPARE(slider.Minimum(), minimum);
        QCOMPARE(slider.Maximum(), maximum);
        const int stored = slider.Position();
        slider.SetPosition(position);
        slider.changed(1, position);

        if (locked) {
            QVERIFY(host.Writes().empty());
            QCOMPARE(slider.Position(), stored);  // back to the stored value
            QCOMPARE(values, before);
            return;
        }
        // The bytes of the setting itself, and only of it.
        const Setting* s = FindSetting(address.toStdString());
        QVERIFY(s);
        PageHost direct(1);
        direct.Clear();
        s->apply(direct.Device(), position * s->step);
        QCOMPARE(Hex(host.Writes()), Hex(direct.Writes()));
        QVERIFY(!direct.Writes().empty());
        QCOMPARE(value.text(), text);
        QStringList want = before;
        want[row] = text;
        QCOMPARE(values, want);  // the other rows' cells stand
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SettingListTest)
#include "SettingListTest.moc"
