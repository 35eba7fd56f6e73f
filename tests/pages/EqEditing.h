// Helpers shared by the page tests that edit equaliser bands: report texts, band encodings,
// pointer and wheel events, and one routine that edits a band in a chosen way and checks
// what reaches the box and what the panel and the band's row then show.

#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStackedWidget>
#include <QWheelEvent>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "PageFixture.h"
#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CXBmpSlider.h"
#include "eq/EqMath.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"

namespace kv::test {

// Where an equaliser keeps its bands: module, first slot in the module and first byte in the
// equaliser image.
struct EqPlace {
    int module;
    int firstSlot;
    int firstByte;
};

inline QString HexOf(const Report& r) {
    std::size_t n = r.size();
    while (n > 2 && r[n - 1] == 0) --n;  // trailing zeros say nothing
    return QString::fromStdString(ToHex(std::span<const std::uint8_t>(r.data(), n)));
}
inline QStringList Hex(const std::vector<Report>& reports) {
    QStringList out;
    for (const Report& r : reports) out << HexOf(r);
    return out;
}

inline void Put16(std::uint8_t* p, int v) {
    p[0] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    p[1] = static_cast<std::uint8_t>(v & 0xFF);
}

// A band as the box receives it: its 7-byte descriptor, then its five coefficients.
inline std::vector<Report> BandRaw(int module, int slot, int offset, int code, int gainCode, int hz, int qCode,
                                   const eq::Biquad& s) {
    std::uint8_t d[7];
    Put16(d, gainCode);
    Put16(d + 2, hz);
    Put16(d + 4, qCode);
    d[6] = static_cast<std::uint8_t>(code);
    // A zero coefficient travels as +0.0.
    return {BuildMemoryWrite(offset, d),
            Floats(module, slot,
                   {static_cast<float>(0.0 - s.a1), static_cast<float>(0.0 - s.a2), static_cast<float>(s.b0),
                    static_cast<float>(s.b1), static_cast<float>(s.b2)})};
}
// The band as the page holds it (single precision), encoded with the descriptor rules.
inline std::vector<Report> BandSent(const EqPlace& p, int band, int code, float gain, float hz, float q) {
    const double g = gain, f = hz, qq = q;
    return BandRaw(p.module, p.firstSlot + band, p.firstByte + 7 * band, code,
                   static_cast<int>(std::trunc((g + 0.05 + 15.0) * 10.0)), static_cast<int>(f),
                   static_cast<int>(std::trunc(qq * 1000.0)), eq::DesignSection(code, g, f, qq, 0.0, 48000.0));
}

// Writes a descriptor straight into the store's image, as a read-back would.
inline void StoreBand(PageHost& host, int firstByte, int band, int gainCode, int hz, int qCode, int code) {
    std::uint8_t d[7];
    Put16(d, gainCode);
    Put16(d + 2, hz);
    Put16(d + 4, qCode);
    d[6] = static_cast<std::uint8_t>(code);
    host.core->store.WriteEqBytes(firstByte + 7 * band, d, 7);
}

// Keys, wheel and focus need a shown, active window.
inline bool ShowOnScreen(PageHost& host, PageId id, int kind) {
    host.ShowPage(id, kind);
    if (!host.page) return false;
    host.window.show();
    host.window.activateWindow();
    return QTest::qWaitForWindowActive(&host.window);
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void SendWheel(QWidget* w, int delta) {
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}
// The pointer sitting on a band's marker (pointer y is measured from two pixels above the plot).
inline QPointF MarkerPoint(const CEqPanel* p, int band) {
    return {eq::EqPanelGeometry::kInsetLeft + p->Band(band).x, eq::EqPanelGeometry::kPointerTop + p->Band(band).y};
}
// The box keeps up between press and release, so both send the band.
inline void ClickMarker(PageHost& host, CEqPanel* p, int band) {
    SendMouse(p, QEvent::MouseButtonPress, MarkerPoint(p, band), Qt::LeftButton, Qt::LeftButton);
    host.Settle();
    SendMouse(p, QEvent::MouseButtonRelease, MarkerPoint(p, band), Qt::LeftButton, Qt::NoButton);
}

// Waits for queued slider notifications, then a little longer so that extra sends show.
inline std::vector<Report> WritesAfter(PageHost& host, std::size_t expected) {
    QElapsedTimer t;
    t.start();
    while (host.Writes().size() < expected && t.elapsed() < 2000) QTest::qWait(5);
    QTest::qWait(30);
    return host.Writes();
}

enum Way {
    Drag,
    DragPass,  // a drag of a pass band, which starts at 0 dB
    PanelKeyRight,
    PanelKeyUp,
    PanelWheel,
    GainSliderKey,
    FreqSliderWheel,
    QSliderKey,
    GainEnter,
    FreqEnter,
    QEnter,
    TypeButton,
    ListGain,
    ListFreq,
    ListQ,
    ListType,
};

// One way of editing a band and what the box must then receive.
struct EditWay {
    const char* name;
    Way way;
    const char* typed;
    int sentCode;
    float gain, hz, q;
};

// The columns of a band-editing table, after the one naming the page or kind.
inline void AddEditColumns(const char* pageColumn) {
    QTest::addColumn<int>(pageColumn);
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("sentCode");
    QTest::addColumn<float>("gain");
    QTest::addColumn<float>("hz");
    QTest::addColumn<float>("q");
}

// The band under test starts as PEQ +6 dB at 1234 Hz, Q 2 (away from every default marker).
constexpr int kStartGainCode = 210;
constexpr int kStartHz = 1234;
constexpr int kStartQCode = 2000;

// Edits `band` in the given way, then checks the box received the band as `sentCode`, `gain`,
// `hz` and `q` and that the panel and the band's row show it. A NaN `hz` for a drag is taken
// from the panel afterwards, as only the drag lands on a pixel-made value. Callers check
// QTest::currentTestFailed() before going on.
inline void EditAndCheckBand(PageHost& host, CEqEditor* ed, const EqPlace& place, int band, int way,
                             const QString& typed, int sentCode, float gain, float hz, float q) {
    CEqPanel* panel = ed->Panel();
    std::vector<Report> expected;
    switch (way) {
        case Drag:
        case DragPass: {
            const QPointF start = MarkerPoint(panel, band);
            const eq::EqPanelGeometry& g = panel->Geometry();
            const QPointF to(g.XOfFrequency(2000.0), eq::EqPanelGeometry::kPointerTop + g.YOfGain(0.0) - g.Top());
            // The box keeps up between the steps, so each step's band reaches it.
            SendMouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
            host.Settle();
            SendMouse(panel, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            host.Settle();
            SendMouse(panel, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
            hz = panel->Band(band).frequency;
            QVERIFY2(std::fabs(hz - 2000.0f) < 3.0f, qPrintable(QString::number(hz)));
            const float startGain = way == Drag ? 6.0f : 0.0f;
            // Press, move, release: each sends the band.
            for (const Report& r : BandSent(place, band, sentCode, startGain, float(kStartHz), q))
                expected.push_back(r);
            for (int k = 0; k < 2; ++k)
                for (const Report& r : BandSent(place, band, sentCode, gain, hz, q)) expected.push_back(r);
            break;
        }
        case PanelKeyRight:
        case PanelKeyUp:
            QTest::keyClick(panel, way == PanelKeyRight ? Qt::Key_Right : Qt::Key_Up);
            break;
        case PanelWheel:
            QVERIFY(panel->hasFocus());
            SendWheel(panel, 120);
            break;
        case GainSliderKey:
            QTest::keyClick(ed->GainSlider(), Qt::Key_Right);
            break;
        case FreqSliderWheel:
            ed->FreqSlider()->setFocus();
            QTRY_VERIFY(ed->FreqSlider()->hasFocus());
            SendWheel(ed->FreqSlider(), 120);
            break;
        case QSliderKey:
            QTest::keyClick(ed->QSlider(), Qt::Key_Left);
            break;
        case GainEnter:
        case FreqEnter:
        case QEnter: {
            QLineEdit* e = way == GainEnter ? ed->GainEdit() : way == FreqEnter ? ed->FreqEdit() : ed->QEdit();
            e->clear();
            QTest::keyClicks(e, typed);
            QTest::keyClick(e, Qt::Key_Return);
            break;
        }
        case TypeButton:
            ed->TypeButton(typed.toInt() - 1)->click();
            break;
        case ListGain:
        case ListFreq:
        case ListQ: {
            const int column = way == ListGain ? 2 : way == ListFreq ? 3 : 4;
            auto* e = qobject_cast<QLineEdit*>(ed->List()->EditCell(band, column));
            QVERIFY(e);
            e->clear();
            QTest::keyClicks(e, typed);
            QTest::keyClick(e, Qt::Key_Return);
            break;
        }
        case ListType: {
            auto* combo = qobject_cast<QComboBox*>(ed->List()->EditCell(band, 1));
            QVERIFY(combo);
            QTRY_VERIFY(combo->view()->isVisible());
            for (int k = 1; k < typed.toInt(); ++k) QTest::keyClick(combo->view(), Qt::Key_Down);
            QTest::keyClick(combo->view(), Qt::Key_Return);
            break;
        }
        default:
            QFAIL("unknown way");
    }
    if (expected.empty()) expected = BandSent(place, band, sentCode, gain, hz, q);
    QCOMPARE(Hex(WritesAfter(host, expected.size())), Hex(expected));

    // The panel and the band's row show what was sent.
    const eq::BandRecord& b = panel->Band(band);
    QCOMPARE(b.code, sentCode);
    QCOMPARE(b.gain, gain);
    QCOMPARE(b.q, q);
    CGridListCtrlEx* list = ed->List();
    const char* names[] = {"OFF", "PEQ", "LP", "HP", "LS", "HS"};
    QCOMPARE(list->CellText(band, 1), QString(names[sentCode]));
    QCOMPARE(list->CellText(band, 2), QString::asprintf("%+-.1fdB", double(gain)));
    QCOMPARE(list->CellText(band, 3), QString::asprintf("%.0fHz", double(hz)));
    QCOMPARE(list->CellText(band, 4), QString::asprintf("%.2f", double(q)));
}

}  // namespace kv::test
