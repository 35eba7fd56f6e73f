// Widget tests of the input page: every way of editing a band reaches the box with the right
// module, slot and bytes on each of the three channels; effect rows, microphone inputs,
// bypass and reset, loading rules, page switching and the texts of both languages.

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStackedWidget>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <numbers>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CSmallEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "eq/EqMath.h"
#include "pages/CDialogMusic.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "ui/UiText.h"

namespace kv::test {

using TextOf = std::function<QString(CDialogMusic&)>;

}  // namespace kv::test

Q_DECLARE_METATYPE(kv::test::TextOf)

namespace kv::test {

namespace {

// Where each input page keeps its 15 bands: module, first slot in the module and first
// byte in the equaliser image.
struct Channel {
    int code;
    int module;
    int firstSlot;
    int firstByte;
    int bypassField;
    int bypassModule;
    int bypassParameter;
    EqPlace Place() const { return {module, firstSlot, firstByte}; }
};
constexpr Channel kChannels[] = {
    {0, 4, 0, 406, 89, 4, 20},
    {1, 1, 0, 0, 31, 1, 37},
    {8, 1, 15, 105, 39, 1, 50},
};
const Channel& ChannelOf(int code) {
    for (const Channel& c : kChannels)
        if (c.code == code) return c;
    return kChannels[0];
}

constexpr int kDefaultHz[15] = {25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000};

CDialogMusic* Music(PageHost& host) { return qobject_cast<CDialogMusic*>(host.page.data()); }

QWidget* WithControlId(QWidget* root, int id) {
    for (QWidget* w : root->findChildren<QWidget*>())
        if (ControlId(w) == id) return w;
    return nullptr;
}

float Hundredth(int v) { return static_cast<float>(v / 100.0); }
std::int32_t Samples(double ms) { return static_cast<std::int32_t>(std::trunc(ms * 48000.0 / 1000.0 + 0.5)); }

// What the box must receive when effect row `row` of channel `ch` becomes v.
std::vector<Report> EffectSent(int ch, int row, int v) {
    switch (row) {
        case 0:
            return {Floats(3, ch ? 21 : 15, {Hundredth(v)})};
        case 3:
            return {Floats(2, ch ? 22 : 15, {Hundredth(v)})};
        case 6:
            return {Floats(2, ch ? 26 : 19, {Hundredth(v)})};
        case 7:
            return {Floats(2, ch ? 27 : 20, {Hundredth(v)})};
        case 1: {
            const std::int32_t s = Samples(std::max(v, 3) / 2.0);
            return {Ints(3, ch ? 22 : 16, {s}), Ints(3, ch ? 23 : 17, {s})};
        }
        case 4: {
            const std::int32_t s = Samples(std::max(v, 3) / 2.0);
            return {Ints(2, ch ? 23 : 16, {s}), Ints(2, ch ? 24 : 17, {s})};
        }
        case 2:
            return {Floats(3, ch ? 24 : 18, {Hundredth(v)}), Floats(3, ch ? 25 : 19, {Hundredth(v)})};
        case 5:
            return {Ints(2, ch ? 25 : 18, {Samples(std::max(v, 40))})};
        case 8: {
            if (v == 1) return {Ints(1, ch ? 53 : 40, {1})};
            const double delays[6] = {0.0, 0.0, 100.0, 58.333, 37.5, 25.0};
            return {Ints(1, ch ? 53 : 40, {0}),
                    Floats(1, ch ? 51 : 38, {static_cast<float>(v * 2.0 * std::numbers::pi / 48000.0)}),
                    Ints(1, ch ? 52 : 39, {Samples(delays[v])})};
        }
        default:
            return {};
    }
}

// Stores a starting value for an effect row the way its fields hold it.
void StoreEffect(PageHost& host, int ch, int row, int v) {
    ParameterStore& s = host.core->store;
    switch (row) {
        case 0:
            s.SetInt(ch ? 78 : 73, v);
            break;
        case 1:
            s.SetFloat(ch ? 79 : 74, v / 2.0f);
            s.SetFloat(ch ? 80 : 75, v / 2.0f);
            break;
        case 2:
            s.SetFloat(ch ? 81 : 76, static_cast<float>(v));
            break;
        case 3:
            s.SetInt(ch ? 64 : 57, v);
            break;
        case 4:
            s.SetFloat(ch ? 65 : 58, v / 2.0f);
            s.SetFloat(ch ? 66 : 59, v / 2.0f);
            break;
        case 5:
            s.SetFloat(ch ? 67 : 60, static_cast<float>(v));
            break;
        case 6:
            s.SetInt(ch ? 68 : 61, v);
            break;
        case 7:
            s.SetInt(ch ? 69 : 62, v);
            break;
        case 8:
            s.SetInt(ch ? 41 : 33, v);
            break;
        default:
            break;
    }
}

// The row's value read back from its fields as the page shows it.
double StoredEffect(PageHost& host, int ch, int row) {
    const ParameterStore& s = host.core->store;
    switch (row) {
        case 0:
            return s.Int(ch ? 78 : 73);
        case 1:
            return s.Float(ch ? 79 : 74) + s.Float(ch ? 80 : 75);
        case 2:
            return s.Float(ch ? 81 : 76);
        case 3:
            return s.Int(ch ? 64 : 57);
        case 4:
            return s.Float(ch ? 65 : 58) + s.Float(ch ? 66 : 59);
        case 5:
            return s.Float(ch ? 67 : 60);
        case 6:
            return s.Int(ch ? 68 : 61);
        case 7:
            return s.Int(ch ? 69 : 62);
        case 8:
            return s.Int(ch ? 41 : 33);
        default:
            return -1;
    }
}

}  // namespace

class MusicPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // ---- Bands ----

    void editSendsBand_data() {
        AddEditColumns("code");
        // NaN: taken from the panel after the drag (only the drag lands on a pixel-made value).
        const float nan = std::nanf("");
        const EditWay ways[] = {
            {"panel drag", Drag, "", 1, 0.0f, nan, 2.0f},
            // The stored Q 0.700 is kept to its thousandth: the float just above 0.7.
            {"panel drag of LP band", DragPass, "", 2, 0.0f, nan, std::nextafter(0.7f, 1.0f)},
            {"panel Right key", PanelKeyRight, "", 1, 6.0f, 1235.0f, 2.0f},
            {"panel Up key", PanelKeyUp, "", 1, 6.1f, 1234.0f, 2.0f},
            {"panel wheel", PanelWheel, "", 1, 6.1f, 1234.0f, 2.0f},
            {"gain slider Right", GainSliderKey, "", 1, 6.1f, 1234.0f, 2.0f},
            {"freq slider wheel up", FreqSliderWheel, "", 1, 6.0f, 1235.0f, 2.0f},
            {"Q slider Left", QSliderKey, "", 1, 6.0f, 1234.0f, 1.99f},
            {"gain box -4.5", GainEnter, "-4.5", 1, -4.5f, 1234.0f, 2.0f},
            {"gain box 40 clamps", GainEnter, "40", 1, 15.0f, 1234.0f, 2.0f},
            {"freq box 440", FreqEnter, "440", 1, 6.0f, 440.0f, 2.0f},
            {"freq box 5 sets 20", FreqEnter, "5", 1, 6.0f, 20.0f, 2.0f},
            {"freq box 30000 sets 20000", FreqEnter, "30000", 1, 6.0f, 20000.0f, 2.0f},
            {"Q box 12.5", QEnter, "12.5", 1, 6.0f, 1234.0f, 12.5f},
            {"Q box 45 clamps to 30", QEnter, "45", 1, 6.0f, 1234.0f, 30.0f},
            {"LP button", TypeButton, "2", 2, 0.0f, 1234.0f, 0.7f},
            {"HS button", TypeButton, "5", 5, 0.0f, 1234.0f, 0.7f},
            {"PEQ button", TypeButton, "1", 1, 6.0f, 1234.0f, 1.41f},
            {"list gain", ListGain, "-3", 1, -3.0f, 1234.0f, 2.0f},
            {"list freq", ListFreq, "800", 1, 6.0f, 800.0f, 2.0f},
            {"list freq 5 sets 20", ListFreq, "5", 1, 6.0f, 20.0f, 2.0f},
            {"list Q", ListQ, "0.5", 1, 6.0f, 1234.0f, 0.5f},
            {"list type HP", ListType, "3", 3, 0.0f, 1234.0f, 0.7f},
            {"list type LS", ListType, "4", 4, 0.0f, 1234.0f, 0.7f},
        };
        const char* pages[] = {"music", "CH A", "", "", "", "", "", "", "CH B"};
        int n = 0;
        for (const Channel& c : kChannels) {
            for (const EditWay& w : ways) {
                const int band = (n++ * 4) % 15;  // walks over the first, last and middle bands
                QTest::addRow("%s band %d, %s", pages[c.code], band, w.name)
                    << c.code << band << int(w.way) << QString(w.typed) << w.sentCode << w.gain << w.hz << w.q;
            }
        }
        // The first and last band of every channel through the common way.
        for (const Channel& c : kChannels)
            for (int band : {0, 14})
                QTest::addRow("%s band %d, gain box, edge band", pages[c.code], band)
                    << c.code << band << int(GainEnter) << QString("1.5") << 1 << 1.5f << 1234.0f << 2.0f;
    }
    void editSendsBand() {
        QFETCH(int, code);
        QFETCH(int, band);
        QFETCH(int, way);
        QFETCH(QString, typed);
        QFETCH(int, sentCode);
        QFETCH(float, gain);
        QFETCH(float, hz);
        QFETCH(float, q);
        const Channel& c = ChannelOf(code);
        PageHost host(1);
        StoreBand(host, c.firstByte, band, kStartGainCode, kStartHz, way == DragPass ? 700 : kStartQCode,
                  way == DragPass ? 2 : 1);
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        CDialogMusic* page = Music(host);
        QVERIFY(page);
        CEqEditor* ed = page->Equaliser();
        CEqPanel* panel = ed->Panel();
        QCOMPARE(panel->Band(band).frequency, float(kStartHz));
        const bool inList = way >= ListGain;
        if (way != Drag && way != DragPass && !inList) {
            ClickMarker(host, panel, band);
            QCOMPARE(ed->SelectedBand(), band);
            QCOMPARE(ed->Stack()->currentWidget(), ed->Editor());
            QCOMPARE(ed->NumberLabel()->text(), QString::number(band + 1));
        }
        host.Clear();
        EditAndCheckBand(host, ed, c.Place(), band, way, typed, sentCode, gain, hz, q);
        if (QTest::currentTestFailed()) return;
        if (!inList) QCOMPARE(ed->NumberLabel()->text(), QString::number(band + 1));
    }

    // Choosing a kind sets the gain and Q the kind needs, the Q range and the gain controls.
    void kindButtons_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("kind");  // 1 PEQ .. 5 HS
        QTest::addColumn<float>("gain");
        QTest::addColumn<float>("q");
        QTest::addColumn<bool>("gainEnabled");
        QTest::addColumn<int>("qMax");
        for (int code : {0, 1, 8}) {
            QTest::addRow("page %d, PEQ keeps +6 dB", code) << code << 1 << 6.0f << 1.41f << true << 3000;
            QTest::addRow("page %d, LP on +6 dB", code) << code << 2 << 0.0f << 0.7f << false << 200;
            QTest::addRow("page %d, HP", code) << code << 3 << 0.0f << 0.7f << false << 200;
            QTest::addRow("page %d, LS", code) << code << 4 << 0.0f << 0.7f << true << 200;
            QTest::addRow("page %d, HS", code) << code << 5 << 0.0f << 0.7f << true << 200;
        }
    }
    void kindButtons() {
        QFETCH(int, code);
        QFETCH(int, kind);
        QFETCH(float, gain);
        QFETCH(float, q);
        QFETCH(bool, gainEnabled);
        QFETCH(int, qMax);
        const Channel& c = ChannelOf(code);
        PageHost host;
        StoreBand(host, c.firstByte, 4, kStartGainCode, kStartHz, kStartQCode, 1);
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        CEqEditor* ed = Music(host)->Equaliser();
        ClickMarker(host, ed->Panel(), 4);
        ed->TypeButton(kind - 1)->click();
        QCOMPARE(ed->Panel()->Band(4).gain, gain);
        QCOMPARE(ed->Panel()->Band(4).q, q);
        QCOMPARE(ed->GainSlider()->isEnabled(), gainEnabled);
        QCOMPARE(ed->GainEdit()->isEnabled(), gainEnabled);
        QCOMPARE(ed->QSlider()->Maximum(), qMax);
        QCOMPARE(ed->QSlider()->Minimum(), 10);
        QCOMPARE(ed->GainSlider()->Position(), qRound(gain * 10));
        QCOMPARE(ed->QSlider()->Position(), qRound(q * 100));
        QVERIFY(ed->TypeButton(kind - 1)->isChecked());
        QCOMPARE(ed->GainEdit()->text(), QString::asprintf("%+-.1fdB", double(gain)));
        QCOMPARE(ed->QEdit()->text(), QString::asprintf("%.2f", double(q)));
    }

    // Pressing on empty plot leaves the editor for the list; the band list follows.
    void noBandShowsList() {
        PageHost host;
        QVERIFY(ShowOnScreen(host, PageId::Music, 1));
        CEqEditor* ed = Music(host)->Equaliser();
        ClickMarker(host, ed->Panel(), 8);
        QCOMPARE(ed->Stack()->currentWidget(), ed->Editor());
        host.Clear();
        const QPointF empty(ed->Panel()->width() / 2.0, ed->Panel()->height() - 24.0);
        SendMouse(ed->Panel(), QEvent::MouseButtonPress, empty, Qt::LeftButton, Qt::LeftButton);
        SendMouse(ed->Panel(), QEvent::MouseButtonRelease, empty, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(ed->SelectedBand(), -1);
        QCOMPARE(ed->Stack()->currentWidget(), static_cast<QWidget*>(ed->List()));
        QCOMPARE(host.Writes().size(), std::size_t(0));
    }

    // ---- Loading ----

    void loadBand_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("gainCode");
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("qCode");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("kind");
        QTest::addColumn<float>("gain");
        QTest::addColumn<float>("freq");
        QTest::addColumn<float>("q");
        QTest::addColumn<QString>("kindText");
        for (int code : {0, 1, 8}) {
            QTest::addRow("page %d, code 9 loads as OFF", code)
                << code << 1 << 150 << 1000 << 1410 << 9 << 0 << 0.0f << 1000.0f << 1.41f << "OFF";
            QTest::addRow("page %d, code 9 loads as OFF, Chinese", code)
                << code << 0 << 150 << 1000 << 1410 << 9 << 0 << 0.0f << 1000.0f << 1.41f << "关闭";
            QTest::addRow("page %d, code 6 loads as OFF", code)
                << code << 1 << 150 << 500 << 1410 << 6 << 0 << 0.0f << 500.0f << 1.41f << "OFF";
            QTest::addRow("page %d, 30000 Hz loads as 20000", code)
                << code << 1 << 180 << 30000 << 1000 << 1 << 1 << 3.0f << 20000.0f << 1.0f << "PEQ";
            QTest::addRow("page %d, 10 Hz loads as 20", code)
                << code << 1 << 150 << 10 << 1000 << 4 << 4 << 0.0f << 20.0f << 1.0f << "LS";
            QTest::addRow("page %d, gain code 0 is -15 dB", code)
                << code << 1 << 0 << 2000 << 500 << 1 << 1 << -15.0f << 2000.0f << 0.5f << "PEQ";
            QTest::addRow("page %d, gain above +15 dB clamps", code)
                << code << 1 << 400 << 2000 << 500 << 5 << 5 << 15.0f << 2000.0f << 0.5f << "HS";
            QTest::addRow("page %d, a pass band drops its gain", code)
                << code << 1 << 250 << 2000 << 500 << 3 << 3 << 0.0f << 2000.0f << 0.5f << "HP";
            QTest::addRow("page %d, PEQ Q 40 loads as 30", code)
                << code << 1 << 150 << 2000 << 40000 << 1 << 1 << 0.0f << 2000.0f << 30.0f << "PEQ";
            QTest::addRow("page %d, LP Q 5 loads as 2", code)
                << code << 1 << 150 << 2000 << 5000 << 2 << 2 << 0.0f << 2000.0f << 2.0f << "LP";
            QTest::addRow("page %d, Q 0.05 loads as 0.1", code)
                << code << 1 << 150 << 2000 << 50 << 1 << 1 << 0.0f << 2000.0f << 0.1f << "PEQ";
            QTest::addRow("page %d, Q 0 keeps the kind's Q", code)
                << code << 1 << 150 << 2000 << 0 << 4 << 4 << 0.0f << 2000.0f << 0.7f << "LS";
        }
    }
    void loadBand() {
        QFETCH(int, code);
        QFETCH(int, language);
        QFETCH(int, gainCode);
        QFETCH(int, hz);
        QFETCH(int, qCode);
        QFETCH(int, stored);
        QFETCH(int, kind);
        QFETCH(float, gain);
        QFETCH(float, freq);
        QFETCH(float, q);
        QFETCH(QString, kindText);
        PageHost host(language);
        const int band = code == 8 ? 14 : code == 1 ? 0 : 6;
        StoreBand(host, ChannelOf(code).firstByte, band, gainCode, hz, qCode, stored);
        host.ShowPage(PageId::Music, code);
        CEqEditor* ed = Music(host)->Equaliser();
        const eq::BandRecord& b = ed->Panel()->Band(band);
        QCOMPARE(b.code, kind);
        QCOMPARE(b.gain, gain);
        QCOMPARE(b.frequency, freq);
        QCOMPARE(b.q, q);
        QCOMPARE(ed->List()->CellText(band, 1), kindText);
        QCOMPARE(ed->List()->CellText(band, 2), QString::asprintf("%+-.1fdB", double(gain)));
        QCOMPARE(ed->List()->CellText(band, 3), QString::asprintf("%.0fHz", double(freq)));
        QCOMPARE(ed->List()->CellText(band, 4), QString::asprintf("%.2f", double(q)));
        QCOMPARE(ed->List()->RowCount(), 15);
        QCOMPARE(ed->Panel()->BandCount(), 15);
        QCOMPARE(host.Writes().size(), std::size_t(0));  // loading sends nothing
    }

    // A stored frequency of 0 leaves the panel's own default for the band.
    void zeroFrequencyKeepsPanelDefault_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("band");
        QTest::addColumn<float>("freq");
        QTest::newRow("music band 0") << 0 << 0 << 100.0f;
        QTest::newRow("CH A band 3") << 1 << 3 << 400.0f;
        QTest::newRow("CH B band 14") << 8 << 14 << 20000.0f;
    }
    void zeroFrequencyKeepsPanelDefault() {
        QFETCH(int, code);
        QFETCH(int, band);
        QFETCH(float, freq);
        PageHost host;
        StoreBand(host, ChannelOf(code).firstByte, band, 160, 0, 1000, 1);
        host.ShowPage(PageId::Music, code);
        const eq::BandRecord& b = Music(host)->Equaliser()->Panel()->Band(band);
        QCOMPARE(b.frequency, freq);
        QCOMPARE(b.gain, 1.0f);
    }

    // ---- Bypass and reset ----

    void bypass_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("stored");
        for (int code : {0, 1, 8}) {
            QTest::addRow("page %d, on to bypassed", code) << code << 0;
            QTest::addRow("page %d, bypassed to on", code) << code << 1;
        }
    }
    void bypass() {
        QFETCH(int, code);
        QFETCH(int, stored);
        const Channel& c = ChannelOf(code);
        PageHost host;
        // The other channels' switches set, so that a page reading the wrong field shows.
        for (const Channel& o : kChannels) host.core->store.SetInt(o.bypassField, o.code == code ? stored : 1 - stored);
        host.ShowPage(PageId::Music, code);
        CDialogMusic* page = Music(host);
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored != 0);
        QCOMPARE(page->EqBypassed(), stored != 0);
        host.Clear();
        page->ToggleEqBypass();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(c.bypassModule, c.bypassParameter, {1 - stored})}));
        QCOMPARE(host.core->store.Int(c.bypassField), 1 - stored);
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored == 0);
        host.Clear();
        page->ToggleEqBypass();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(c.bypassModule, c.bypassParameter, {stored})}));
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored != 0);
    }

    void reset_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("music") << 0;
        QTest::newRow("CH A") << 1;
        QTest::newRow("CH B") << 8;
    }
    void reset() {
        QFETCH(int, code);
        const Channel& c = ChannelOf(code);
        PageHost host;
        for (int b = 0; b < 15; ++b) StoreBand(host, c.firstByte, b, 200, kDefaultHz[b] + 7, 500, 4);
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        CDialogMusic* page = Music(host);
        CEqEditor* ed = page->Equaliser();
        ClickMarker(host, ed->Panel(), 2);
        QCOMPARE(ed->SelectedBand(), 2);
        host.Clear();
        page->ResetEq();
        std::vector<Report> expected;
        for (int b = 0; b < 15; ++b)
            for (const Report& r : BandRaw(c.module, c.firstSlot + b, c.firstByte + 7 * b, 1, 150, kDefaultHz[b], 1410,
                                           eq::DesignSection(1, 0.0, kDefaultHz[b], 1.41, 0.0, 48000.0)))
                expected.push_back(r);
        QCOMPARE(Hex(host.Writes()), Hex(expected));
        QCOMPARE(ed->SelectedBand(), -1);
        QCOMPARE(ed->Stack()->currentWidget(), static_cast<QWidget*>(ed->List()));
        for (int b : {0, 7, 14}) {
            QCOMPARE(ed->Panel()->Band(b).frequency, float(kDefaultHz[b]));
            QCOMPARE(ed->Panel()->Band(b).code, 1);
            QCOMPARE(ed->List()->CellText(b, 3), QString::asprintf("%dHz", kDefaultHz[b]));
            QCOMPARE(ed->List()->CellText(b, 4), QString("1.41"));
        }
    }

    // ---- Effect rows ----

    void effectRowSends_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");  // the value after the step
        struct R {
            int row, start, step;
            const char* text;
        };
        const R rows[] = {
            {0, 40, 1, "41%"},  {1, 20, 1, "21ms"}, {2, 50, 1, "2570ms"}, {2, 3, -1, "139ms"}, {3, 40, -1, "39%"},
            {4, 20, 1, "21ms"}, {4, 4, -1, "3ms"},  {5, 217, 1, "218ms"}, {6, 60, 1, "61%"},   {7, 50, -1, "49%"},
            {8, 2, 1, "3Hz"},   {8, 2, -1, "Off"},  {8, 4, 1, "5Hz"},
        };
        for (int ch : {0, 1})
            for (const R& r : rows)
                QTest::addRow("%s row %d from %d by %+d", ch ? "CH B" : "CH A", r.row, r.start, r.step)
                    << ch << r.row << r.start << r.step << QString(r.text);
    }
    void effectRowSends() {
        QFETCH(int, channel);
        QFETCH(int, row);
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(QString, text);
        PageHost host(1);
        StoreEffect(host, channel, row, start);
        StoreEffect(host, 1 - channel, row, start + 2 * step);  // the other channel differs
        QVERIFY(ShowOnScreen(host, PageId::Music, channel ? 8 : 1));
        CDialogMusic* page = Music(host);
        page->SelectEffectRow(row);
        QCOMPARE(page->EffectSlider()->Position(), start);
        host.Clear();
        QTest::keyClick(page->EffectSlider(), step > 0 ? Qt::Key_Right : Qt::Key_Left);
        const std::vector<Report> expected = EffectSent(channel, row, start + step);
        QCOMPARE(Hex(WritesAfter(host, expected.size())), Hex(expected));
        QCOMPARE(StoredEffect(host, channel, row), double(start + step));
        QCOMPARE(page->EffectList()->CellText(row, 2), text);
        QCOMPARE(page->EffectValue()->text(), text);
    }

    // Arrow keys and the wheel with the effect list focused step the selected row.
    void effectListKeys_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");  // 0: wheel up, 1: wheel down
        QTest::addColumn<int>("value");
        const struct {
            const char* name;
            int key, step;
        } keys[] = {{"Left", Qt::Key_Left, -1},  {"Down", Qt::Key_Down, -1}, {"Up", Qt::Key_Up, 1},
                    {"Right", Qt::Key_Right, 1}, {"wheel up", 0, 1},         {"wheel down", 1, -1}};
        for (int ch : {0, 1})
            for (const auto& k : keys) {
                QTest::addRow("%s level, %s", ch ? "CH B" : "CH A", k.name) << ch << 0 << 50 << k.key << 50 + k.step;
                QTest::addRow("%s echo start vol, %s", ch ? "CH B" : "CH A", k.name)
                    << ch << 6 << 70 << k.key << 70 + k.step;
            }
        QTest::newRow("CH A decay at its top, Up") << 0 << 7 << 90 << int(Qt::Key_Up) << 90;
        QTest::newRow("CH B start vol at its bottom, Down") << 1 << 6 << 40 << int(Qt::Key_Down) << 40;
        QTest::newRow("CH A shift at its bottom, wheel down") << 0 << 8 << 1 << 1 << 1;
    }
    void effectListKeys() {
        QFETCH(int, channel);
        QFETCH(int, row);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, value);
        PageHost host;
        StoreEffect(host, channel, row, start);
        QVERIFY(ShowOnScreen(host, PageId::Music, channel ? 8 : 1));
        CDialogMusic* page = Music(host);
        page->SelectEffectRow(row);
        page->EffectList()->setFocus();
        QTRY_VERIFY(page->EffectList()->hasFocus());
        host.Clear();
        if (key == 0 || key == 1)
            SendWheel(page->EffectList()->viewport(), key == 0 ? 120 : -120);
        else
            QTest::keyClick(page->EffectList(), Qt::Key(key));
        QTest::qWait(30);
        QCOMPARE(page->EffectSlider()->Position(), value);
        QCOMPARE(StoredEffect(host, channel, row), double(value));
        QCOMPARE(page->SelectedEffectRow(), row);  // the keys do not move the selection
        if (value != start) QCOMPARE(Hex(host.Writes()), Hex(EffectSent(channel, row, value)));
    }

    void effectTexts_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        for (int ch : {0, 1}) {
            const char* c = ch ? "CH B" : "CH A";
            QTest::addRow("%s reverb level", c) << ch << 1 << 0 << 45 << "45%";
            QTest::addRow("%s reverb predelay", c) << ch << 1 << 1 << 22 << "22ms";
            QTest::addRow("%s reverb time 50", c) << ch << 1 << 2 << 50 << "2520ms";
            QTest::addRow("%s reverb time 0", c) << ch << 1 << 2 << 0 << "40ms";
            QTest::addRow("%s echo level", c) << ch << 1 << 3 << 12 << "12%";
            QTest::addRow("%s echo predelay", c) << ch << 1 << 4 << 150 << "150ms";
            QTest::addRow("%s echo time", c) << ch << 1 << 5 << 217 << "217ms";
            QTest::addRow("%s echo start vol", c) << ch << 1 << 6 << 60 << "60%";
            QTest::addRow("%s echo decay", c) << ch << 1 << 7 << 33 << "33%";
            QTest::addRow("%s shift 0", c) << ch << 1 << 8 << 0 << "Off";
            QTest::addRow("%s shift 1", c) << ch << 1 << 8 << 1 << "Off";
            QTest::addRow("%s shift 1, Chinese", c) << ch << 0 << 8 << 1 << "关闭";
            QTest::addRow("%s shift 0, Chinese", c) << ch << 0 << 8 << 0 << "关闭";
            QTest::addRow("%s shift 3", c) << ch << 1 << 8 << 3 << "3Hz";
            QTest::addRow("%s shift 5, Chinese", c) << ch << 0 << 8 << 5 << "5Hz";
        }
    }
    void effectTexts() {
        QFETCH(int, channel);
        QFETCH(int, language);
        QFETCH(int, row);
        QFETCH(int, value);
        QFETCH(QString, text);
        PageHost host(language);
        StoreEffect(host, channel, row, value);
        StoreEffect(host, 1 - channel, row, row == 8 ? 4 : value + 1);
        host.ShowPage(PageId::Music, channel ? 8 : 1);
        CDialogMusic* page = Music(host);
        QCOMPARE(page->EffectList()->CellText(row, 2), text);
        page->SelectEffectRow(row);
        QCOMPARE(page->EffectValue()->text(), text);
    }

    // Selecting a row shows its name, range and value beside the slider.
    void effectSelection_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("0") << 0 << 0 << 100 << "Reverb Level"
                           << "混响电平";
        QTest::newRow("1") << 1 << 3 << 200 << "Reverb Predelay"
                           << "混响预延时";
        QTest::newRow("2") << 2 << 0 << 100 << "Reverb Time"
                           << "混响时长";
        QTest::newRow("3") << 3 << 0 << 100 << "Echo Level"
                           << "回声电平";
        QTest::newRow("4") << 4 << 3 << 200 << "Echo Predelay"
                           << "回声预延时";
        QTest::newRow("5") << 5 << 180 << 260 << "Echo Time"
                           << "回声间隔";
        QTest::newRow("6") << 6 << 40 << 100 << "Echo Start Vol"
                           << "回声起始音量";
        QTest::newRow("7") << 7 << 20 << 90 << "Echo Vol Decay"
                           << "回声衰减比例";
        QTest::newRow("8") << 8 << 1 << 5 << "Shift Frequency"
                           << "话筒移频";
    }
    void effectSelection() {
        QFETCH(int, row);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        PageHost host;
        QVERIFY(ShowOnScreen(host, PageId::Music, 1));
        CDialogMusic* page = Music(host);
        CGridListCtrlEx* list = page->EffectList();
        // A click on the row, as the user selects it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 1)).center());
        QTRY_COMPARE(page->SelectedEffectRow(), row);
        QCOMPARE(page->EffectSlider()->Minimum(), minimum);
        QCOMPARE(page->EffectSlider()->Maximum(), maximum);
        QCOMPARE(page->EffectName()->text(), chinese);
        QCOMPARE(list->CellText(row, 1), chinese);
        QCOMPARE(list->CellText(row, 0), QString::number(row + 1));
        host.SetLanguage(1);
        QCOMPARE(page->EffectName()->text(), english);
        QCOMPARE(list->CellText(row, 1), english);
    }

    void muteNotices_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("muteField");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("notice");  // empty: none
        for (int ch : {0, 1}) {
            const char* c = ch ? "CH B" : "CH A";
            QTest::addRow("%s reverb 0 to 1, muted", c) << ch << 1 << 0 << 83 << 0 << 1 << "Reverb vol is mute";
            QTest::addRow("%s reverb 0 to 1, muted, Chinese", c) << ch << 0 << 0 << 83 << 0 << 1 << "混响已静音";
            QTest::addRow("%s reverb 5 to 6, muted", c) << ch << 1 << 0 << 83 << 5 << 1 << "Reverb vol is mute";
            QTest::addRow("%s reverb 1 to 0, muted", c) << ch << 1 << 0 << 83 << 1 << -1 << "";
            QTest::addRow("%s reverb 0 to 1, not muted", c) << ch << 1 << 0 << -1 << 0 << 1 << "";
            QTest::addRow("%s reverb 0 to 1, only echo muted", c) << ch << 1 << 0 << 71 << 0 << 1 << "";
            QTest::addRow("%s echo 0 to 1, muted", c) << ch << 1 << 3 << 71 << 0 << 1 << "Echo vol is mute";
            QTest::addRow("%s echo 0 to 1, muted, Chinese", c) << ch << 0 << 3 << 71 << 0 << 1 << "回声已静音";
            QTest::addRow("%s echo 1 to 0, muted", c) << ch << 1 << 3 << 71 << 1 << -1 << "";
            QTest::addRow("%s echo 0 to 1, only reverb muted", c) << ch << 1 << 3 << 83 << 0 << 1 << "";
            QTest::addRow("%s echo start vol, both muted", c) << ch << 1 << 6 << -2 << 50 << 1 << "";
        }
    }
    void muteNotices() {
        QFETCH(int, channel);
        QFETCH(int, language);
        QFETCH(int, row);
        QFETCH(int, muteField);
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(QString, notice);
        PageHost host(language);
        if (muteField >= 0) host.core->store.SetInt(muteField, 1);
        if (muteField == -2) {
            host.core->store.SetInt(83, 1);
            host.core->store.SetInt(71, 1);
        }
        StoreEffect(host, channel, row, start);
        QVERIFY(ShowOnScreen(host, PageId::Music, channel ? 8 : 1));
        CDialogMusic* page = Music(host);
        page->SelectEffectRow(row);
        host.Clear();
        QTest::keyClick(page->EffectSlider(), step > 0 ? Qt::Key_Right : Qt::Key_Left);
        WritesAfter(host, 1);  // the value is sent whether or not it is heard
        QCOMPARE(StoredEffect(host, channel, row), double(start + step));
        if (notice.isEmpty())
            QCOMPARE(host.notices.size(), std::size_t(0));
        else
            QCOMPARE(QStringList(host.notices.begin(), host.notices.end()), QStringList{notice});
    }

    // ---- Microphone inputs ----

    void micInputs_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("control");
        for (int code : {0, 1, 8})
            for (int i = 0; i < 4; ++i)
                for (const char* c : {"CH A", "CH B", "gate", "volume"})
                    QTest::addRow("page %d, Mic %d, %s", code, i + 1, c) << code << i << QString(c);
    }
    void micInputs() {
        QFETCH(int, code);
        QFETCH(int, input);
        QFETCH(QString, control);
        PageHost host;
        ParameterStore& s = host.core->store;
        const bool toA = control == "CH A";
        for (int i = 0; i < 4; ++i) {
            s.SetInt(27 + i, toA ? 0 : 100);  // start on the other channel
            s.SetInt(35 + i, toA ? 100 : 0);
            s.SetInt(48 + i, 20 + i);
            s.SetInt(44 + i, 50 + i);
        }
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        CDialogMusic* page = Music(host);
        QVERIFY(page->Route(input, toA ? 1 : 0)->isChecked());
        QCOMPARE(page->GateLabel(input)->text(), QString::number(20 + input));
        QCOMPARE(page->VolumeLabel(input)->text(), QString::number(50 + input));
        QCOMPARE(page->GateSlider(input)->Position(), 20 + input);
        QCOMPARE(page->VolumeSlider(input)->Position(), 50 + input);
        host.Clear();
        if (control == "CH A" || control == "CH B") {
            page->Route(input, toA ? 0 : 1)->click();
            QCOMPARE(Hex(WritesAfter(host, 2)),
                     Hex({Floats(1, 33 + input, {toA ? 1.0f : 0.0f}), Floats(1, 46 + input, {toA ? 0.0f : 1.0f})}));
            QCOMPARE(s.Int(27 + input), toA ? 100 : 0);
            QCOMPARE(s.Int(35 + input), toA ? 0 : 100);
            QVERIFY(page->Route(input, toA ? 0 : 1)->isChecked());
            QVERIFY(!page->Route(input, toA ? 1 : 0)->isChecked());
        } else if (control == "gate") {
            QTest::keyClick(page->GateSlider(input), Qt::Key_Up);
            const int v = 21 + input;
            QCOMPARE(Hex(WritesAfter(host, 1)), Hex({Floats(1, 60 + input, {static_cast<float>(v / 10000.0)})}));
            QCOMPARE(s.Int(48 + input), v);
            QCOMPARE(page->GateLabel(input)->text(), QString::number(v));
        } else {
            QTest::keyClick(page->VolumeSlider(input), Qt::Key_Down);
            const int v = 49 + input;
            QCOMPARE(Hex(WritesAfter(host, 1)), Hex({Floats(1, 56 + input, {static_cast<float>(v / 100.0)})}));
            QCOMPARE(s.Int(44 + input), v);
            QCOMPARE(page->VolumeLabel(input)->text(), QString::number(v));
        }
    }

    // The routing buttons read any non-zero CH A share as CH A.
    void routeLoads_data() {
        QTest::addColumn<int>("share");
        QTest::addColumn<bool>("chA");
        QTest::newRow("100") << 100 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("0") << 0 << false;
    }
    void routeLoads() {
        QFETCH(int, share);
        QFETCH(bool, chA);
        PageHost host;
        for (int i = 0; i < 4; ++i) host.core->store.SetInt(27 + i, i == 2 ? share : 100 - share);
        host.ShowPage(PageId::Music, 1);
        QCOMPARE(Music(host)->Route(2, 0)->isChecked(), chA);
        QCOMPARE(Music(host)->Route(2, 1)->isChecked(), !chA);
    }

    // ---- Page look and switching ----

    void microphoneControls_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("mic");
        QTest::newRow("music") << 0 << false;
        QTest::newRow("CH A") << 1 << true;
        QTest::newRow("CH B") << 8 << true;
    }
    void microphoneControls() {
        QFETCH(int, code);
        QFETCH(bool, mic);
        PageHost host;
        host.ShowPage(PageId::Music, 8 - code);  // arrive by switching
        host.ShowPage(PageId::Music, code);
        CDialogMusic* page = Music(host);
        QCOMPARE(page->EffectList()->isEnabled(), mic);
        QCOMPARE(page->EffectSlider()->isEnabled(), mic);
        QCOMPARE(page->ReverbCurve()->isEnabled(), mic);
        QCOMPARE(page->EchoCurve()->isEnabled(), mic);
        QCOMPARE(page->EffectList()->TextColor(), mic ? QColor(0, 200, 255) : QColor(100, 100, 100));
        for (int i = 0; i < 4; ++i) {
            QVERIFY(page->GateSlider(i)->isEnabled());
            QVERIFY(page->VolumeSlider(i)->isEnabled());
        }
    }

    void curveOpensEffects_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("kind");  // -1: nothing opens
        QTest::newRow("CH A reverb") << 1 << false << 6;
        QTest::newRow("CH A echo") << 1 << true << 7;
        QTest::newRow("CH B reverb") << 8 << false << 9;
        QTest::newRow("CH B echo") << 8 << true << 10;
        QTest::newRow("music reverb") << 0 << false << -1;
        QTest::newRow("music echo") << 0 << true << -1;
    }
    void curveOpensEffects() {
        QFETCH(int, code);
        QFETCH(bool, echo);
        QFETCH(int, kind);
        PageHost host;
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        CDialogMusic* page = Music(host);
        CSmallEqPanel* curve = echo ? page->EchoCurve() : page->ReverbCurve();
        QTest::mouseClick(curve, Qt::LeftButton, {}, curve->rect().center());
        if (kind < 0) {
            QTest::qWait(20);
            QCOMPARE(host.page.data(), static_cast<CPageBase*>(page));
            QCOMPARE(host.page->Id(), PageId::Music);
            return;
        }
        QTRY_VERIFY(host.page && host.page->Id() == PageId::Effects);
        QCOMPARE(host.page->Kind(), kind);
        QCOMPARE(host.page->Equaliser()->Panel()->Kind(), kind);
        QCOMPARE(host.State().inputPageCode, code);
    }

    // The small curves show the channel's own reverb and echo bands in the channel's colour.
    void curvesLoad_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("reverbByte");
        QTest::addColumn<int>("echoByte");
        QTest::addColumn<uint>("color");
        QTest::newRow("CH A") << 1 << 308 << 210 << uint(0xFF00C8FF);
        QTest::newRow("CH B") << 8 << 357 << 259 << uint(0xFF00DC00);
    }
    void curvesLoad() {
        QFETCH(int, code);
        QFETCH(int, reverbByte);
        QFETCH(int, echoByte);
        QFETCH(uint, color);
        PageHost host;
        const Channel reverb{0, 3, 0, reverbByte, 0, 0, 0};
        const Channel echo{0, 2, 0, echoByte, 0, 0, 0};
        StoreBand(host, reverb.firstByte, 2, 200, 777, 2000, 4);
        StoreBand(host, echo.firstByte, 5, 100, 3333, 0, 2);
        host.ShowPage(PageId::Music, code);
        CDialogMusic* page = Music(host);
        QCOMPARE(page->ReverbCurve()->BandAt(2).code, 4);
        QCOMPARE(page->EchoCurve()->BandAt(5).code, 2);
        QCOMPARE(page->EchoCurve()->BandAt(5).q, 0.7f);  // Q 0 keeps the kind's Q
        QCOMPARE(page->ReverbCurve()->BandAt(2).q, 2.0f);
        QCOMPARE(page->ReverbCurve()->CurveColor(), QRgb(color));
        QCOMPARE(page->EchoCurve()->CurveColor(), QRgb(color));
    }

    void pageButtons_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int from : {0, 1, 8})
            for (int to : {0, 1, 8}) QTest::addRow("%d to %d", from, to) << from << to;
    }
    void pageButtons() {
        QFETCH(int, from);
        QFETCH(int, to);
        PageHost host(1);
        StoreBand(host, ChannelOf(to).firstByte, 5, 230, 4321, 1000, 1);
        QVERIFY(ShowOnScreen(host, PageId::Music, from));
        CDialogMusic* page = Music(host);
        page->PageButton(to)->click();
        QCOMPARE(host.page.data(), static_cast<CPageBase*>(page));  // switched in place
        QCOMPARE(page->Kind(), to);
        QCOMPARE(host.State().inputPageCode, to);
        for (int c : {0, 1, 8}) QCOMPARE(page->PageButton(c)->IsLatched(), c == to);
        const QColor colors[] = {
            QColor(255, 200, 0), QColor(0, 200, 255), QColor(), QColor(), QColor(), QColor(), QColor(), QColor(),
            QColor(0, 220, 0)};
        CEqEditor* ed = page->Equaliser();
        QCOMPARE(ed->List()->TextColor(), colors[to]);
        QCOMPARE(ed->List()->BackgroundColor(), QColor(20, 20, 20));
        QCOMPARE(ed->Panel()->Kind(), to);
        QCOMPARE(ed->Panel()->Band(5).frequency, 4321.0f);  // the new channel's bands
        QCOMPARE(ed->List()->CellText(5, 2), QString("+8.0dB"));
        QCOMPARE(ed->SelectedBand(), -1);
        QCOMPARE(ed->Stack()->currentWidget(), static_cast<QWidget*>(ed->List()));
        // Edits now go to the new channel.
        host.Clear();
        ClickMarker(host, ed->Panel(), 5);
        const Channel& c = ChannelOf(to);
        std::vector<Report> twice = BandSent(c.Place(), 5, 1, 8.0f, 4321.0f, 1.0f);
        for (const Report& r : BandSent(c.Place(), 5, 1, 8.0f, 4321.0f, 1.0f)) twice.push_back(r);
        QCOMPARE(Hex(host.Writes()), Hex(twice));
    }

    void panelTitle_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("music") << 0 << 1 << "Music EQ";
        QTest::newRow("CH A") << 1 << 1 << "CH A Mic EQ";
        QTest::newRow("CH B") << 8 << 1 << "CH B Mic EQ";
        QTest::newRow("music, Chinese") << 0 << 0 << "音乐均衡";
        QTest::newRow("CH A, Chinese") << 1 << 0 << "话筒通道A均衡";
        QTest::newRow("CH B, Chinese") << 8 << 0 << "话筒通道B均衡";
    }
    void panelTitle() {
        QFETCH(int, code);
        QFETCH(int, language);
        QFETCH(QString, title);
        PageHost host(language);
        host.ShowPage(PageId::Music, code);
        CEqPanel* panel = Music(host)->Equaliser()->Panel();
        QCOMPARE(panel->Kind(), code);
        QCOMPARE(panel->Language(), language);
        QCOMPARE(CEqPanel::KindTitle(panel->Kind(), panel->Language()), title);
    }

    // ---- Texts of both languages ----

    void texts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<TextOf>("text");
        QTest::addColumn<QString>("expected");
        auto header = [](int column, bool bands) {
            return TextOf([column, bands](CDialogMusic& p) {
                QAbstractItemModel* m = bands ? p.Equaliser()->List()->model() : p.EffectList()->model();
                return m->headerData(column, Qt::Horizontal).toString();
            });
        };
        auto id = [](int controlId) {
            return TextOf([controlId](CDialogMusic& p) {
                QWidget* w = WithControlId(&p, controlId);
                if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
                if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
                if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
                return QString("<no control %1>").arg(controlId);
            });
        };
        struct T {
            const char* name;
            TextOf text;
            const char* english;
            const char* chinese;
        };
        const T texts[] = {
            {"route 1 A", [](CDialogMusic& p) { return p.Route(0, 0)->text(); }, "CH A", "通道A"},
            {"route 1 B", [](CDialogMusic& p) { return p.Route(0, 1)->text(); }, "CH B", "通道B"},
            {"route 4 A", [](CDialogMusic& p) { return p.Route(3, 0)->text(); }, "CH A", "通道A"},
            {"route 4 B", [](CDialogMusic& p) { return p.Route(3, 1)->text(); }, "CH B", "通道B"},
            {"page button CH A", [](CDialogMusic& p) { return p.PageButton(1)->text(); }, "Mic CH A", "话筒通道A"},
            {"page button CH B", [](CDialogMusic& p) { return p.PageButton(8)->text(); }, "Mic CH B", "话筒通道B"},
            {"page button music", [](CDialogMusic& p) { return p.PageButton(0)->text(); }, "Music", "音乐"},
            {"effect header name", header(1, false), "Parameter name", "参数名"},
            {"effect header value", header(2, false), "Value", "参数值"},
            {"band header type", header(1, true), "Type", "类型"},
            {"band header gain", header(2, true), "Gain", "增益"},
            {"band header freq", header(3, true), "Freq", "频率"},
            {"band header Q", header(4, true), "Q", "Q值"},
            {"effect row 0", [](CDialogMusic& p) { return p.EffectList()->CellText(0, 1); }, "Reverb Level",
             "混响电平"},
            {"effect row 5", [](CDialogMusic& p) { return p.EffectList()->CellText(5, 1); }, "Echo Time", "回声间隔"},
            {"effect row 8", [](CDialogMusic& p) { return p.EffectList()->CellText(8, 1); }, "Shift Frequency",
             "话筒移频"},
            {"effect shift value", [](CDialogMusic& p) { return p.EffectList()->CellText(8, 2); }, "Off", "关闭"},
            {"band kind cell", [](CDialogMusic& p) { return p.Equaliser()->List()->CellText(3, 1); }, "PEQ", "参量"},
            {"PEQ button", [](CDialogMusic& p) { return p.Equaliser()->TypeButton(0)->text(); }, "PEQ", "参量"},
            {"LP button", [](CDialogMusic& p) { return p.Equaliser()->TypeButton(1)->text(); }, "LP", "低通"},
            {"HS button", [](CDialogMusic& p) { return p.Equaliser()->TypeButton(4)->text(); }, "HS", "高架"},
            {"type group", id(1202), "EQ Type", "类型"},
            {"gain caption", id(1199), "Gain", "增益"},
            {"freq caption", id(1200), "F", "频率"},
            {"Q caption", id(1201), "Q", "Q值"},
            {"Mic 1", id(1182), "Mic 1", "话筒口1"},
            {"Mic 4", id(1185), "Mic 4", "话筒口4"},
            {"gate caption", id(1153), "MNG", "噪声门"},
            {"volume caption", id(1155), "Vol", "音量"},
            {"reverb curve title", id(1132), "Reverb EQ", "混响均衡"},
            {"echo curve title", id(1142), "Echo EQ", "回声均衡"},
            {"reverb hint", id(1145), "Click to enter reverb EQ", "点击下面方框进入混响均衡调节界面"},
            {"echo hint", id(1146), "Click to enter echo EQ", "点击下面方框进入回声均衡调节界面"},
        };
        for (const T& t : texts) {
            QTest::addRow("%s, English", t.name) << 1 << t.text << QString::fromUtf8(t.english);
            QTest::addRow("%s, Chinese", t.name) << 0 << t.text << QString::fromUtf8(t.chinese);
        }
    }
    void texts() {
        QFETCH(int, language);
        QFETCH(TextOf, text);
        QFETCH(QString, expected);
        PageHost host(1 - language);  // opened in the other language, then switched
        host.ShowPage(PageId::Music, 1);
        host.SetLanguage(language);
        QCOMPARE(text(*Music(host)), expected);
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::MusicPageTest)
#include "MusicPageTest.moc"
