// Widget tests of the effects equaliser page: the four reverb and echo equalisers each send
// their bands to their own module and slots, load their own stored bands, switch in place,
// return to the input page they came from, and bypass and reset their own equaliser.

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

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CSmallEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "eq/EqMath.h"
#include "pages/CDialogEfx.h"
#include "pages/CDialogMusic.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"

namespace kv::test {

namespace {

// Where each effect equaliser keeps its 7 bands, its bypass switch and the input page it
// belongs to.
struct Kind {
    int kind;
    int module;
    int firstSlot;
    int firstByte;
    int bypassField;
    int bypassParameter;
    int inputCode;
    const char* english;
    const char* chinese;
    EqPlace Place() const { return {module, firstSlot, firstByte}; }
};
constexpr Kind kKinds[] = {
    {6, 3, 0, 308, 72, 14, 1, "CH A Reverb EQ", "混响通道A均衡"},
    {7, 2, 0, 210, 56, 14, 1, "CH A Echo EQ", "回声通道A均衡"},
    {9, 3, 7, 357, 77, 20, 8, "CH B Reverb EQ", "混响通道B均衡"},
    {10, 2, 7, 259, 63, 21, 8, "CH B Echo EQ", "回声通道B均衡"},
};
const Kind& KindOf(int kind) {
    for (const Kind& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds[0];
}

constexpr int kDefaultHz[7] = {31, 62, 125, 250, 500, 1000, 2000};

CDialogEfx* Efx(PageHost& host) { return qobject_cast<CDialogEfx*>(host.page.data()); }

}  // namespace

class EffectsPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opens_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("language");
        for (const Kind& k : kKinds) {
            QTest::addRow("%s", k.english) << k.kind << 1;
            QTest::addRow("%s, Chinese", k.english) << k.kind << 0;
        }
    }
    void opens() {
        QFETCH(int, kind);
        QFETCH(int, language);
        const Kind& k = KindOf(kind);
        PageHost host(language);
        host.ShowPage(PageId::Effects, kind);
        CDialogEfx* page = Efx(host);
        QVERIFY(page);
        CEqPanel* panel = page->Equaliser()->Panel();
        QCOMPARE(page->Kind(), kind);
        QCOMPARE(panel->Kind(), kind);
        QCOMPARE(panel->Language(), language);
        QCOMPARE(CEqPanel::KindTitle(panel->Kind(), panel->Language()),
                 QString::fromUtf8(language ? k.english : k.chinese));
        QCOMPARE(panel->BandCount(), 7);
        QCOMPARE(page->Equaliser()->List()->RowCount(), 7);
        QCOMPARE(page->Equaliser()->SelectedBand(), -1);
        QCOMPARE(page->Equaliser()->Stack()->currentWidget(), static_cast<QWidget*>(page->Equaliser()->List()));
        for (int b = 0; b < 7; ++b) QCOMPARE(panel->Band(b).frequency, float(kDefaultHz[b]));
        QCOMPARE(host.Writes().size(), std::size_t(0));  // opening sends nothing
    }

    void editSendsBand_data() {
        AddEditColumns("kind");
        const float nan = std::nanf("");  // taken from the panel after the drag
        const EditWay ways[] = {
            {"panel drag", Drag, "", 1, 0.0f, nan, 2.0f},
            {"panel Right key", PanelKeyRight, "", 1, 6.0f, 1235.0f, 2.0f},
            {"panel Up key", PanelKeyUp, "", 1, 6.1f, 1234.0f, 2.0f},
            {"panel wheel", PanelWheel, "", 1, 6.1f, 1234.0f, 2.0f},
            {"gain slider Right", GainSliderKey, "", 1, 6.1f, 1234.0f, 2.0f},
            {"freq slider wheel up", FreqSliderWheel, "", 1, 6.0f, 1235.0f, 2.0f},
            {"Q slider Left", QSliderKey, "", 1, 6.0f, 1234.0f, 1.99f},
            {"gain box -7.5", GainEnter, "-7.5", 1, -7.5f, 1234.0f, 2.0f},
            {"freq box 5 sets 20", FreqEnter, "5", 1, 6.0f, 20.0f, 2.0f},
            {"freq box 30000 sets 20000", FreqEnter, "30000", 1, 6.0f, 20000.0f, 2.0f},
            {"Q box 0.05 sets 0.1", QEnter, "0.05", 1, 6.0f, 1234.0f, 0.1f},
            {"LP button", TypeButton, "2", 2, 0.0f, 1234.0f, 0.7f},
            {"LS button", TypeButton, "4", 4, 0.0f, 1234.0f, 0.7f},
            {"list gain", ListGain, "2.5", 1, 2.5f, 1234.0f, 2.0f},
            {"list freq 30000 sets 20000", ListFreq, "30000", 1, 6.0f, 20000.0f, 2.0f},
            {"list Q", ListQ, "3", 1, 6.0f, 1234.0f, 3.0f},
            {"list type HS", ListType, "5", 5, 0.0f, 1234.0f, 0.7f},
        };
        int n = 0;
        for (const Kind& k : kKinds) {
            for (const EditWay& w : ways) {
                const int band = n++ % 7;
                QTest::addRow("%s band %d, %s", k.english, band, w.name)
                    << k.kind << band << int(w.way) << QString(w.typed) << w.sentCode << w.gain << w.hz << w.q;
            }
        }
        // Every band index of every equaliser through one way.
        for (const Kind& k : kKinds)
            for (int band = 0; band < 7; ++band)
                QTest::addRow("%s band %d, gain box", k.english, band)
                    << k.kind << band << int(GainEnter) << QString("1.5") << 1 << 1.5f << 1234.0f << 2.0f;
    }
    void editSendsBand() {
        QFETCH(int, kind);
        QFETCH(int, band);
        QFETCH(int, way);
        QFETCH(QString, typed);
        QFETCH(int, sentCode);
        QFETCH(float, gain);
        QFETCH(float, hz);
        QFETCH(float, q);
        const Kind& k = KindOf(kind);
        PageHost host(1);
        StoreBand(host, k.firstByte, band, kStartGainCode, kStartHz, kStartQCode, 1);
        QVERIFY(ShowOnScreen(host, PageId::Effects, kind));
        CDialogEfx* page = Efx(host);
        QVERIFY(page);
        CEqEditor* ed = page->Equaliser();
        CEqPanel* panel = ed->Panel();
        QCOMPARE(panel->Band(band).frequency, float(kStartHz));
        const bool inList = way >= ListGain;
        if (way != Drag && !inList) {
            ClickMarker(host, panel, band);
            QCOMPARE(ed->SelectedBand(), band);
            QCOMPARE(ed->Stack()->currentWidget(), ed->Editor());
        }
        host.Clear();
        EditAndCheckBand(host, ed, k.Place(), band, way, typed, sentCode, gain, hz, q);
        if (QTest::currentTestFailed()) return;
        if (way == Drag) QCOMPARE(ed->NumberLabel()->text(), QString::number(band + 1));
    }

    // Each kind shows its own stored bands, not those of the other channel or effect.
    void loadsOwnBands_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("language");
        for (const Kind& k : kKinds) {
            QTest::addRow("%s", k.english) << k.kind << 1;
            QTest::addRow("%s, Chinese", k.english) << k.kind << 0;
        }
    }
    void loadsOwnBands() {
        QFETCH(int, kind);
        QFETCH(int, language);
        PageHost host(language);
        // Every equaliser gets different bands; band 2 holds a code the page does not offer.
        for (const Kind& o : kKinds) {
            const int tag = o.kind * 100;
            for (int b = 0; b < 7; ++b) StoreBand(host, o.firstByte, b, 100 + o.kind * 10 + b, tag + 50 * b, 900, 1);
            StoreBand(host, o.firstByte, 2, 250, 777, 500, 7);
        }
        host.ShowPage(PageId::Effects, kind);
        CEqEditor* ed = Efx(host)->Equaliser();
        for (int b = 0; b < 7; ++b) {
            const eq::BandRecord& band = ed->Panel()->Band(b);
            if (b == 2) {
                QCOMPARE(band.code, 0);
                QCOMPARE(ed->List()->CellText(b, 1), QString::fromUtf8(language ? "OFF" : "关闭"));
                QCOMPARE(band.frequency, 777.0f);
                continue;
            }
            QCOMPARE(band.code, 1);
            QCOMPARE(band.frequency, float(kind * 100 + 50 * b));
            QCOMPARE(band.gain, float((100 + kind * 10 + b) / 10.0 - 15.0));
            QCOMPARE(band.q, 0.9f);
            QCOMPARE(ed->List()->CellText(b, 1), QString::fromUtf8(language ? "PEQ" : "参量"));
            QCOMPARE(ed->List()->CellText(b, 3), QString::asprintf("%dHz", kind * 100 + 50 * b));
        }
    }

    void loadRules_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("gainCode");
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("qCode");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("code");
        QTest::addColumn<float>("gain");
        QTest::addColumn<float>("freq");
        QTest::addColumn<float>("q");
        for (const Kind& k : kKinds) {
            QTest::addRow("%s, code 7 is OFF", k.english)
                << k.kind << 150 << 1000 << 1410 << 7 << 0 << 0.0f << 1000.0f << 1.41f;
            QTest::addRow("%s, 30000 Hz is 20000", k.english)
                << k.kind << 200 << 30000 << 1000 << 1 << 1 << 5.0f << 20000.0f << 1.0f;
            QTest::addRow("%s, frequency 0 keeps the default", k.english)
                << k.kind << 150 << 0 << 1000 << 1 << 1 << 0.0f << 250.0f << 1.0f;
            QTest::addRow("%s, HP Q 3 is 2", k.english)
                << k.kind << 150 << 800 << 3000 << 3 << 3 << 0.0f << 800.0f << 2.0f;
            QTest::addRow("%s, PEQ Q 0 keeps 1.41", k.english)
                << k.kind << 150 << 800 << 0 << 1 << 1 << 0.0f << 800.0f << 1.41f;
        }
    }
    void loadRules() {
        QFETCH(int, kind);
        QFETCH(int, gainCode);
        QFETCH(int, hz);
        QFETCH(int, qCode);
        QFETCH(int, stored);
        QFETCH(int, code);
        QFETCH(float, gain);
        QFETCH(float, freq);
        QFETCH(float, q);
        PageHost host;
        StoreBand(host, KindOf(kind).firstByte, 3, gainCode, hz, qCode, stored);
        host.ShowPage(PageId::Effects, kind);
        const eq::BandRecord& b = Efx(host)->Equaliser()->Panel()->Band(3);
        QCOMPARE(b.code, code);
        QCOMPARE(b.gain, gain);
        QCOMPARE(b.frequency, freq);
        QCOMPARE(b.q, q);
    }

    // From the input page's small curve to the effects page and back to the same input page.
    void backReturnsToInputPage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("kind");
        QTest::newRow("CH A reverb") << 1 << false << 6;
        QTest::newRow("CH A echo") << 1 << true << 7;
        QTest::newRow("CH B reverb") << 8 << false << 9;
        QTest::newRow("CH B echo") << 8 << true << 10;
    }
    void backReturnsToInputPage() {
        QFETCH(int, code);
        QFETCH(bool, echo);
        QFETCH(int, kind);
        PageHost host;
        QVERIFY(ShowOnScreen(host, PageId::Music, code));
        auto* music = qobject_cast<CDialogMusic*>(host.page.data());
        QVERIFY(music);
        CSmallEqPanel* curve = echo ? music->EchoCurve() : music->ReverbCurve();
        QTest::mouseClick(curve, Qt::LeftButton, {}, curve->rect().center());
        QTRY_VERIFY(host.page && host.page->Id() == PageId::Effects);
        QCOMPARE(host.page->Kind(), kind);
        QTRY_VERIFY(!host.page->isHidden());
        Efx(host)->BackButton()->click();
        QTRY_VERIFY(host.page && host.page->Id() == PageId::Music);
        QCOMPARE(host.page->Kind(), code);
        QCOMPARE(host.State().inputPageCode, code);
        auto* back = qobject_cast<CDialogMusic*>(host.page.data());
        QVERIFY(back);
        QVERIFY(back->PageButton(code)->IsLatched());
        QCOMPARE(back->Equaliser()->Panel()->Kind(), code);
    }

    // The back button follows the stored page code, whatever the effect kind.
    void backFollowsState_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("CH B reverb to CH B") << 9 << 8;
        QTest::newRow("CH A echo to CH A") << 7 << 1;
        QTest::newRow("CH B echo to CH B") << 10 << 8;
    }
    void backFollowsState() {
        QFETCH(int, kind);
        QFETCH(int, code);
        PageHost host;
        host.state.inputPageCode = code;
        host.ShowPage(PageId::Effects, kind);
        Efx(host)->BackButton()->click();
        QTRY_VERIFY(host.page && host.page->Id() == PageId::Music);
        QCOMPARE(host.page->Kind(), code);
        QCOMPARE(host.State().inputPageCode, code);
    }

    void switchesInPlace_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (const Kind& a : kKinds)
            for (const Kind& b : kKinds)
                if (a.kind != b.kind) QTest::addRow("%d to %d", a.kind, b.kind) << a.kind << b.kind;
    }
    void switchesInPlace() {
        QFETCH(int, from);
        QFETCH(int, to);
        const Kind& k = KindOf(to);
        PageHost host;
        StoreBand(host, KindOf(from).firstByte, 4, 250, 3000, 1000, 1);
        StoreBand(host, k.firstByte, 4, 100, 700, 1000, 1);
        QVERIFY(ShowOnScreen(host, PageId::Effects, from));
        CPageBase* first = host.page;
        ClickMarker(host, first->Equaliser()->Panel(), 4);
        QCOMPARE(first->Equaliser()->SelectedBand(), 4);
        host.ShowPage(PageId::Effects, to);
        QCOMPARE(host.page.data(), first);
        QCOMPARE(first->Kind(), to);
        CEqEditor* ed = first->Equaliser();
        QCOMPARE(ed->Panel()->Kind(), to);
        QCOMPARE(ed->SelectedBand(), -1);
        QCOMPARE(ed->Stack()->currentWidget(), static_cast<QWidget*>(ed->List()));
        QCOMPARE(ed->Panel()->Band(4).frequency, 700.0f);
        QCOMPARE(ed->Panel()->Band(4).gain, -5.0f);
        const bool chB = to == 9 || to == 10;
        QCOMPARE(ed->List()->TextColor(), chB ? QColor(0, 220, 0) : QColor(0, 200, 255));
        host.Clear();
        ClickMarker(host, ed->Panel(), 4);
        std::vector<Report> twice = BandSent(k.Place(), 4, 1, -5.0f, 700.0f, 1.0f);
        for (const Report& r : BandSent(k.Place(), 4, 1, -5.0f, 700.0f, 1.0f)) twice.push_back(r);
        QCOMPARE(Hex(host.Writes()), Hex(twice));
    }

    void bypass_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("stored");
        for (const Kind& k : kKinds) {
            QTest::addRow("%s, on to bypassed", k.english) << k.kind << 0;
            QTest::addRow("%s, bypassed to on", k.english) << k.kind << 1;
        }
    }
    void bypass() {
        QFETCH(int, kind);
        QFETCH(int, stored);
        const Kind& k = KindOf(kind);
        PageHost host;
        // The other switches set the other way, so that reading the wrong field shows.
        for (const Kind& o : kKinds) host.core->store.SetInt(o.bypassField, o.kind == kind ? stored : 1 - stored);
        host.ShowPage(PageId::Effects, kind);
        CPageBase* page = host.page;
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored != 0);
        QCOMPARE(page->EqBypassed(), stored != 0);
        host.Clear();
        page->ToggleEqBypass();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(k.module, k.bypassParameter, {1 - stored})}));
        QCOMPARE(host.core->store.Int(k.bypassField), 1 - stored);
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored == 0);
        for (const Kind& o : kKinds)
            if (o.kind != kind) QCOMPARE(host.core->store.Int(o.bypassField), 1 - stored);
        host.Clear();
        page->ToggleEqBypass();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(k.module, k.bypassParameter, {stored})}));
        QCOMPARE(page->Equaliser()->Panel()->Bypass(), stored != 0);
    }

    void reset_data() {
        QTest::addColumn<int>("kind");
        for (const Kind& k : kKinds) QTest::addRow("%s", k.english) << k.kind;
    }
    void reset() {
        QFETCH(int, kind);
        const Kind& k = KindOf(kind);
        PageHost host;
        for (int b = 0; b < 7; ++b) StoreBand(host, k.firstByte, b, 220, kDefaultHz[b] + 9, 600, 5);
        QVERIFY(ShowOnScreen(host, PageId::Effects, kind));
        CPageBase* page = host.page;
        CEqEditor* ed = page->Equaliser();
        ClickMarker(host, ed->Panel(), 3);
        QCOMPARE(ed->SelectedBand(), 3);
        host.Clear();
        page->ResetEq();
        std::vector<Report> expected;
        for (int b = 0; b < 7; ++b)
            for (const Report& r : BandRaw(k.module, k.firstSlot + b, k.firstByte + 7 * b, 1, 150, kDefaultHz[b], 1410,
                                           eq::DesignSection(1, 0.0, kDefaultHz[b], 1.41, 0.0, 48000.0)))
                expected.push_back(r);
        QCOMPARE(Hex(host.Writes()), Hex(expected));
        QCOMPARE(ed->SelectedBand(), -1);
        QCOMPARE(ed->Stack()->currentWidget(), static_cast<QWidget*>(ed->List()));
        for (int b = 0; b < 7; ++b) {
            QCOMPARE(ed->Panel()->Band(b).frequency, float(kDefaultHz[b]));
            QCOMPARE(ed->Panel()->Band(b).code, 1);
            QCOMPARE(ed->List()->CellText(b, 2), QString("+0.0dB"));
            QCOMPARE(ed->List()->CellText(b, 4), QString("1.41"));
        }
    }

    // The back button keeps 2 pixels from the top-right corner; the panel reaches the
    // bottom-right corner.
    void placement_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("host size") << QSize(1170, 565);
        QTest::newRow("small") << QSize(800, 420);
        QTest::newRow("large") << QSize(1600, 900);
    }
    void placement() {
        QFETCH(QSize, size);
        PageHost host;
        QVERIFY(ShowOnScreen(host, PageId::Effects, 9));
        CDialogEfx* page = Efx(host);
        page->resize(size);
        QTRY_COMPARE(page->size(), size);
        const QRect back = page->BackButton()->geometry();
        QCOMPARE(back.right(), size.width() - 1 - 2);
        QCOMPARE(back.top(), 2);
        const QRect panel = page->Equaliser()->Panel()->geometry();
        QCOMPARE(panel.right(), size.width() - 1);
        QCOMPARE(panel.bottom(), size.height() - 1);
    }

    void texts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("expected");
        const char* en[] = {"Type", "Gain", "Freq", "Q", "PEQ", "LP", "HP", "LS", "HS", "EQ Type", "PEQ"};
        const char* zh[] = {"类型", "增益", "频率", "Q值", "参量", "低通", "高通", "低架", "高架", "类型", "参量"};
        const char* names[] = {"header type", "header gain", "header freq", "header Q",   "PEQ button", "LP button",
                               "HP button",   "LS button",   "HS button",   "type group", "kind cell"};
        for (int i = 0; i < 11; ++i) {
            QTest::addRow("%s, English", names[i]) << 1 << i << QString::fromUtf8(en[i]);
            QTest::addRow("%s, Chinese", names[i]) << 0 << i << QString::fromUtf8(zh[i]);
        }
    }
    void texts() {
        QFETCH(int, language);
        QFETCH(int, what);
        QFETCH(QString, expected);
        PageHost host(1 - language);  // opened in the other language, then switched
        host.ShowPage(PageId::Effects, 10);
        host.SetLanguage(language);
        CEqEditor* ed = Efx(host)->Equaliser();
        QString got;
        if (what < 4)
            got = ed->List()->model()->headerData(what + 1, Qt::Horizontal).toString();
        else if (what < 9)
            got = ed->TypeButton(what - 4)->text();
        else if (what == 9)
            got = ed->TypeButton(0)->parentWidget()->property("title").toString();
        else
            got = ed->List()->CellText(0, 1);
        QCOMPARE(got, expected);
        QCOMPARE(CEqPanel::KindTitle(ed->Panel()->Kind(), ed->Panel()->Language()),
                 QString::fromUtf8(language ? "CH B Echo EQ" : "回声通道B均衡"));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::EffectsPageTest)
#include "EffectsPageTest.moc"
