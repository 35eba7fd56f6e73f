#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "OverlayText.h"
#include "eq/CEqPanel.h"
#include "eq/CEqViewSwitch.h"
#include "eq/EqMath.h"
#include "eq/PanelFonts.h"
#include "tests/common/Focus.h"

using namespace kv;

using kv::eq::EqPanelGeometry;

namespace {

void Send(QWidget& w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, w.mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}
void Press(QWidget& w, QPointF pos, Qt::MouseButton b = Qt::LeftButton) {
    Send(w, QEvent::MouseButtonPress, pos, b, b);
}
void Move(QWidget& w, QPointF pos, Qt::MouseButtons b = Qt::LeftButton) {
    Send(w, QEvent::MouseMove, pos, Qt::NoButton, b);
}
void Release(QWidget& w, QPointF pos, Qt::MouseButton b = Qt::LeftButton) {
    Send(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton);
}
using kv::test::GiveFocus;

void Wheel(QWidget& w, QPointF pos, int delta) {
    GiveFocus(w);
    QWheelEvent event(pos, w.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}
void Key(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(&w, &event);
}

QList<int> Indices(const QSignalSpy& spy) {
    QList<int> out;
    for (const QList<QVariant>& args : spy) out << args.at(0).toInt();
    return out;
}

}  // namespace

class CEqPanelTest : public QObject {
    Q_OBJECT

private:
    // Plot of 800 x 400 pixels at (36, 18).
    std::unique_ptr<CEqPanel> MakePanel(int bands = 10, int kind = 0) {
        auto panel = std::make_unique<CEqPanel>();
        panel->resize(842, 438);
        panel->SetKind(kind);
        panel->SetBandCount(bands);
        panel->SetMenuChooser([this](const QStringList& items, const QPoint&) {
            m_menuItems = items;
            ++m_menuOpened;
            return m_menuAnswer;
        });
        m_menuOpened = 0;
        m_menuAnswer = 0;
        return panel;
    }
    // Where the pointer must be to sit exactly on a marker (the pointer's y is
    // measured from two pixels above the plot).
    static QPointF MarkerPoint(const CEqPanel& p, int i) {
        return {EqPanelGeometry::kInsetLeft + p.Band(i).x, EqPanelGeometry::kPointerTop + p.Band(i).y};
    }
    void Select(CEqPanel& p, int i) {
        Press(p, MarkerPoint(p, i));
        Release(p, MarkerPoint(p, i));
        QCOMPARE(p.SelectedBand(), i);
    }

    QStringList m_menuItems;
    int m_menuOpened = 0;
    int m_menuAnswer = 0;

private Q_SLOTS:
    void gainLabelsFitBesideThePlot() {
        // "+15dB" in the axis font is wider than the inset: drawn smaller, not cut to "-15dB".
        const QFont axis = kv::eq::ArialFont(8.4);
        const int room = EqPanelGeometry::kInsetLeft - 3;
        QVERIFY(QFontMetrics(axis).horizontalAdvance(QStringLiteral("+15dB")) > room);
        const QFont fitted = kv::eq::FittingFont(axis, {QStringLiteral("+15dB"), QStringLiteral("-12dB")}, room);
        QVERIFY(QFontMetrics(fitted).horizontalAdvance(QStringLiteral("+15dB")) <= room);
        QCOMPARE(kv::eq::FittingFont(axis, {QStringLiteral("0")}, room).pixelSize(), axis.pixelSize());
    }

    void defaultsAndSetters() {
        auto p = MakePanel(4);
        QCOMPARE(p->Band(0).code, 3);
        QCOMPARE(p->Band(3).code, 2);
        QCOMPARE(p->Band(2).frequency, 125.0f);
        QCOMPARE(p->Band(1).q, 0.707f);
        p->SetBandCount(24);
        QCOMPARE(p->Band(23).frequency, 4000.0f);
        QCOMPARE(p->Band(15).frequency, 100.0f);
        QCOMPARE(p->Band(23).index, 23);

        p->SetGain(3, 9.0);  // band 3 was left a low-pass by the count of 4
        p->SetCode(3, 1);
        QCOMPARE(p->Band(3).q, 1.41f);
        p->SetGain(3, 22.0);
        QCOMPARE(p->Band(3).gain, 15.0f);
        p->SetCode(3, 4);
        QCOMPARE(p->Band(3).gain, 0.0f);
        QCOMPARE(p->Band(3).q, 0.7f);
        p->SetGain(3, -20.0);
        QCOMPARE(p->Band(3).gain, -15.0f);
        p->SetCode(3, 2);
        p->SetGain(3, 5.0);
        QCOMPARE(p->Band(3).gain, 0.0f);
        p->SetQ(3, 9.0);
        QCOMPARE(p->Band(3).q, 2.0f);
        p->SetQ(3, 1e-9);  // ignored
        QCOMPARE(p->Band(3).q, 2.0f);
        p->SetCode(3, 1);
        p->SetQ(3, 99.0);
        QCOMPARE(p->Band(3).q, 30.0f);
        p->SetQ(3, -4.0);
        QCOMPARE(p->Band(3).q, 0.1f);

        p->SetKind(7);
        QCOMPARE(p->CurveColor(), QRgb(0xFF00DC00));
        QCOMPARE(CEqPanel::KindTitle(2, 1), QString("SUB EQ"));
        QCOMPARE(CEqPanel::KindTitle(11, 0), QString::fromUtf8("顶置均衡"));
    }

    void pressOnEmptyPlotSendsNoBand() {
        auto p = MakePanel();
        QSignalSpy changed(p.get(), &CEqPanel::bandChanged);
        QSignalSpy none(p.get(), &CEqPanel::noBand);
        Select(*p, 2);
        QCOMPARE(Indices(changed), (QList<int>{2, 2}));  // on press and on release
        Press(*p, QPointF(400, 380));
        QCOMPARE(p->SelectedBand(), -1);
        QCOMPARE(none.count(), 0);
        Release(*p, QPointF(400, 380));
        QCOMPARE(none.count(), 1);
        QCOMPARE(changed.count(), 2);
    }

    void dragPeakingMarker() {
        auto p = MakePanel();
        QSignalSpy changed(p.get(), &CEqPanel::bandChanged);
        const int band = 5;                                           // 1000 Hz
        const QPointF start = MarkerPoint(*p, band) + QPointF(4, 3);  // grabbed off centre
        Press(*p, start);
        Move(*p, start);  // the grab offset keeps the gain where it was
        QCOMPARE(p->Band(band).gain, 0.0f);

        const EqPanelGeometry& g = p->Geometry();
        Move(*p, QPointF(g.XOfFrequency(2000.0), start.y() - 84));  // 84 px = 6.3 dB
        QVERIFY(qAbs(p->Band(band).frequency - 2000.0f) < 0.01f);
        QCOMPARE(p->Band(band).gain, 6.3f);
        Move(*p, QPointF(g.XOfFrequency(2000.0), start.y() - 85));  // 6.375 rounds to one decimal
        QCOMPARE(p->Band(band).gain, 6.4f);
        // The response follows every step, its pinned point showing the gain exactly.
        QCOMPARE(p->Band(band).response[kv::eq::PinnedIndex(p->Band(band).frequency, 800.0f)], 6.4f);

        Move(*p, QPointF(2000, -300));
        QCOMPARE(p->Band(band).frequency, 20000.0f);
        QCOMPARE(p->Band(band).gain, 15.0f);
        Move(*p, QPointF(-50, 900));
        QCOMPARE(p->Band(band).frequency, 20.0f);
        QCOMPARE(p->Band(band).gain, -15.0f);
        Release(*p, QPointF(-50, 900));
        const QList<int> indices = Indices(changed);
        QCOMPARE(indices.size(), 1 + 5 + 1);
        QVERIFY(std::all_of(indices.begin(), indices.end(), [](int i) { return i == 5; }));
    }

    // A dragged band sits between whole hertz; the box keeps the whole hertz below it, and the
    // read-out shows that, not the nearest.
    void readoutShowsTheHeldFrequency_data() {
        QTest::addColumn<float>("frequency");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1516.7") << 1516.7f << "1516Hz";
        QTest::newRow("1516.5") << 1516.5f << "1516Hz";
        QTest::newRow("whole") << 1516.0f << "1516Hz";
        QTest::newRow("just below 100") << 99.9f << "99Hz";
        QTest::newRow("top") << 19999.6f << "19999Hz";
    }
    void readoutShowsTheHeldFrequency() {
        QFETCH(float, frequency);
        QFETCH(QString, shown);
        auto p = MakePanel();
        p->Band(5).frequency = frequency;
        QCOMPARE(p->ReadoutValues(5)[0], shown);
    }

    void dragPassMarkerKeepsZeroGain() {
        auto p = MakePanel();
        p->SetCode(3, 2);
        const QPointF start = MarkerPoint(*p, 3);
        Press(*p, start);
        Move(*p, start + QPointF(30, -120));
        QCOMPARE(p->Band(3).gain, 0.0f);
        QVERIFY(p->Band(3).frequency > 250.0f);
        Release(*p, start + QPointF(30, -120));
    }

    void rightDragChangesQ() {
        auto p = MakePanel();
        const QPointF start = MarkerPoint(*p, 4);  // PEQ, Q 1.41
        Press(*p, start, Qt::RightButton);
        Move(*p, start + QPointF(24, 5), Qt::RightButton);  // 12 px per unit of Q
        QVERIFY(qAbs(p->Band(4).q - 3.41f) < 1e-4f);
        Move(*p, start + QPointF(2000, 5), Qt::RightButton);
        QCOMPARE(p->Band(4).q, 30.0f);
        Move(*p, start + QPointF(-2000, 5), Qt::RightButton);
        QCOMPARE(p->Band(4).q, 0.1f);
        Release(*p, start + QPointF(-2000, 5), Qt::RightButton);
        QCOMPARE(m_menuOpened, 0);  // a drag opens no menu

        p->SetCode(6, 3);  // high-pass: 80 px per unit, at most 2
        const QPointF hp = MarkerPoint(*p, 6);
        Press(*p, hp, Qt::RightButton);
        Move(*p, hp + QPointF(40, 4), Qt::RightButton);
        QVERIFY(qAbs(p->Band(6).q - 1.2f) < 1e-4f);
        Move(*p, hp + QPointF(400, 4), Qt::RightButton);
        QCOMPARE(p->Band(6).q, 2.0f);
        Release(*p, hp + QPointF(400, 4), Qt::RightButton);

        // Moving along one axis only still counts as a click.
        Press(*p, hp, Qt::RightButton);
        Move(*p, hp + QPointF(-8, 0), Qt::RightButton);
        Release(*p, hp + QPointF(-8, 0), Qt::RightButton);
        QCOMPARE(m_menuOpened, 1);
    }

    void rightClickMenuSetsKind() {
        auto p = MakePanel();
        p->SetLanguage(1);
        p->SetGain(2, 4.0);
        QSignalSpy changed(p.get(), &CEqPanel::bandChanged);
        m_menuAnswer = CEqPanel::kFirstMenuCommand + 2;  // HP
        Press(*p, MarkerPoint(*p, 2), Qt::RightButton);
        Release(*p, MarkerPoint(*p, 2), Qt::RightButton);
        QCOMPARE(m_menuOpened, 1);
        QCOMPARE(m_menuItems, (QStringList{"PEQ", "LP", "HP", "LS", "HS"}));
        QCOMPARE(p->Band(2).code, 3);
        QCOMPARE(p->Band(2).gain, 0.0f);
        QCOMPARE(p->Band(2).q, 0.7f);
        QCOMPARE(Indices(changed), (QList<int>{2, 2, 2}));  // press, release, menu choice

        // The right button reaches further than the left and also finds bands that are off.
        m_menuAnswer = 0;  // dismissed
        p->Band(7).code = 0;
        Press(*p, MarkerPoint(*p, 7) + QPointF(13, 0), Qt::RightButton);
        QCOMPARE(p->SelectedBand(), 7);
        Release(*p, MarkerPoint(*p, 7) + QPointF(13, 0), Qt::RightButton);
        Press(*p, MarkerPoint(*p, 7), Qt::LeftButton);
        QCOMPARE(p->SelectedBand(), -1);
        Release(*p, MarkerPoint(*p, 7), Qt::LeftButton);

        QCOMPARE(p->Band(7).code, 0);
        p->SetLanguage(0);
        Press(*p, QPointF(420, 400), Qt::RightButton);
        Release(*p, QPointF(420, 400), Qt::RightButton);
        QCOMPARE(m_menuItems.first(), QString::fromUtf8("参量(PEQ)"));
    }

    void wheelAndKeysStep() {
        auto p = MakePanel();
        GiveFocus(*p);
        Select(*p, 1);
        QSignalSpy changed(p.get(), &CEqPanel::bandChanged);
        Wheel(*p, QPointF(300, 200), 120);
        QVERIFY(qAbs(p->Band(1).gain - 0.1f) < 1e-5f);
        Wheel(*p, QPointF(300, 200), -120);
        Wheel(*p, QPointF(300, 200), -240);  // one step per message, whatever the delta
        QVERIFY(qAbs(p->Band(1).gain + 0.1f) < 1e-5f);

        Key(*p, Qt::Key_Right);
        QCOMPARE(p->Band(1).frequency, 63.0f);
        Key(*p, Qt::Key_Left);
        Key(*p, Qt::Key_Left);
        QCOMPARE(p->Band(1).frequency, 61.0f);
        Key(*p, Qt::Key_Up);
        Key(*p, Qt::Key_Up);
        QVERIFY(qAbs(p->Band(1).gain - 0.1f) < 1e-5f);
        Key(*p, Qt::Key_Plus, Qt::KeypadModifier);
        QVERIFY(qAbs(p->Band(1).q - 1.42f) < 1e-5f);
        Key(*p, Qt::Key_Plus);  // the main keyboard's plus does nothing
        Key(*p, Qt::Key_A);
        QVERIFY(qAbs(p->Band(1).q - 1.42f) < 1e-5f);
        QCOMPARE(changed.count(), 3 + 6);

        p->Band(1).frequency = 19999.5f;
        Key(*p, Qt::Key_Right);
        QCOMPARE(p->Band(1).frequency, 20000.0f);

        p->SetCode(1, 2);  // no gain to nudge on a low-pass
        changed.clear();
        Wheel(*p, QPointF(300, 200), 120);
        QCOMPARE(changed.count(), 0);
        Key(*p, Qt::Key_Up);
        QCOMPARE(p->Band(1).gain, 0.0f);
        for (int i = 0; i < 300; ++i) Key(*p, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(p->Band(1).q, 2.0f);
    }

    void subPanelRowsAndMenu() {
        auto p = MakePanel(20, CEqPanel::kSubKind);
        p->Band(1).frequency = 80.0f;
        p->Band(1).code = 2;
        p->EvaluateBand(1);
        p->ApplyAlignment(1, 3);
        QCOMPARE(p->Band(1).code, 18);
        QCOMPARE(p->Band(8).code, 20);
        QCOMPARE(p->Band(10).code, 20);
        QCOMPARE(p->Band(9).frequency, 80.0f);  // stages follow their row

        // Only the five rows take hits: a stage sitting on the plot is never found.
        p->Band(7).frequency = 1000.0f;
        p->Band(7).x = static_cast<float>(p->Geometry().XOfFrequency(1000.0) - 36);
        Press(*p, MarkerPoint(*p, 7));
        QCOMPARE(p->SelectedBand(), -1);
        Release(*p, MarkerPoint(*p, 7));

        m_menuAnswer = CEqPanel::kFirstMenuCommand + 2;  // HP
        p->Band(1).gain = 3.0f;                          // a row's kind changes its codes, never its gain
        p->EvaluateBand(1);
        QSignalSpy changed(p.get(), &CEqPanel::bandChanged);
        Press(*p, MarkerPoint(*p, 1), Qt::RightButton);
        Release(*p, MarkerPoint(*p, 1), Qt::RightButton);
        QCOMPARE(p->Band(1).code, 19);
        QCOMPARE(p->Band(1).gain, 3.0f);
        QCOMPARE(p->Band(8).code, 21);
        QCOMPARE(p->Band(9).code, 1);
        QCOMPARE(p->Band(10).code, 1);
        QCOMPARE(Indices(changed), (QList<int>{1, 1, 1}));
        m_menuAnswer = CEqPanel::kFirstMenuCommand + 3;  // LS
        Press(*p, MarkerPoint(*p, 1), Qt::RightButton);
        Release(*p, MarkerPoint(*p, 1), Qt::RightButton);
        QCOMPARE(p->Band(1).code, 4);
        QCOMPARE(p->Band(8).code, 1);
        // The selected row is shaded with its stages; the whole sum uses all 20 records.
        p->ApplyAlignment(1, 1);
        QCOMPARE(p->Band(1).code, 12);  // an even code keeps the low-pass side
    }

    void bypassOverlay_data();
    void bypassOverlay();

    void paintsCurveUnderBypass() {
        auto p = MakePanel();
        const EqPanelGeometry& g = p->Geometry();
        const QPoint onCurve(static_cast<int>(g.XOfGridPoint(40)), static_cast<int>(g.YOfGain(0.0)));
        for (bool bypass : {false, true}) {
            p->SetBypass(bypass);
            QImage image(p->size(), QImage::Format_ARGB32_Premultiplied);
            p->render(&image);
            // The flat overall curve runs along the 0 dB line in its colour.
            bool found = false;
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor c = image.pixelColor(onCurve + QPoint(0, dy));
                found |= c.blue() > 200 && c.green() > 150 && c.red() < 60;
            }
            QVERIFY2(found, bypass ? "curve hidden by bypass" : "curve missing");
            QCOMPARE(image.pixelColor(2, image.height() - 2), QColor(20, 20, 20));
        }
    }

    // The switch picks the view; phase is wrapped, delay in ms; markers sit on the curve.
    void viewSwitch_data() {
        QTest::addColumn<int>("view");
        QTest::addRow("phase") << int(kv::eq::EqView::Phase);
        QTest::addRow("group delay") << int(kv::eq::EqView::GroupDelay);
    }
    void viewSwitch() {
        QFETCH(int, view);
        auto panel = MakePanel(24, CEqPanel::kSubKind);
        // A steep low-pass turns the phase through many half turns.
        panel->ApplyAlignment(0, 3);  // LinkwitzRiely 48dB
        panel->Band(0).frequency = 200.0f;
        panel->EvaluateBand(0);
        panel->SetGain(6, 0.0);
        QSignalSpy changed(panel.get(), &CEqPanel::viewChanged);
        panel->ViewSwitch()->Button(static_cast<kv::eq::EqView>(view))->click();
        QCOMPARE(int(panel->View()), view);
        QCOMPARE(changed.count(), 1);
        const kv::eq::ValueAxis axis = panel->Axis();
        double largest = -1e9, lowest = 1e9;
        for (int k = 0; k < kv::eq::kGridPoints; ++k) {
            largest = std::max(largest, panel->CurveValue(k));
            lowest = std::min(lowest, panel->CurveValue(k));
        }
        if (view == int(kv::eq::EqView::Phase)) {
            QVERIFY(largest <= 180.0 && lowest >= -180.0);
            QVERIFY(largest - lowest > 300.0);  // it did wrap
            QCOMPARE(axis.low, -180.0);
        } else {
            // Eight second-order low-pass stages at 200 Hz: several ms at the low end.
            QVERIFY(largest > 2.0 && largest <= axis.high);
            QVERIFY(lowest >= axis.low);
        }
    }

    void dragInPhaseViewKeepsTheGain() {
        auto panel = MakePanel(10, 0);
        panel->SetGain(4, 6.0);
        panel->SetView(kv::eq::EqView::Phase);
        const float gain = panel->Band(4).gain;
        const float freq = panel->Band(4).frequency;
        // The marker stands on the phase curve at its frequency: the peak's phase there is 0.
        const QPointF marker(panel->Geometry().XOfFrequency(freq),
                             panel->Geometry().YOfValue(0.0, kv::eq::PhaseAxis()));
        Press(*panel, marker);
        QCOMPARE(panel->SelectedBand(), 4);
        Move(*panel, marker + QPointF(60, 90));
        Release(*panel, marker + QPointF(60, 90));
        QCOMPARE(panel->Band(4).gain, gain);
        QVERIFY(panel->Band(4).frequency > freq * 1.2f);
    }
};

void CEqPanelTest::bypassOverlay_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("bands");
    QTest::addColumn<QSize>("size");
    QTest::newRow("music EQ") << 0 << 15 << QSize(842, 438);
    QTest::newRow("SUB EQ, small") << 2 << 20 << QSize(600, 300);
    QTest::newRow("MAIN EQ, wide") << 5 << 24 << QSize(1000, 400);
}

// "BYPASS" is drawn centred in the client area in a 72-pixel font while the flag is set,
// and is gone once it is cleared.
void CEqPanelTest::bypassOverlay() {
    QFETCH(int, kind);
    QFETCH(int, bands);
    QFETCH(QSize, size);
    auto p = MakePanel(bands, kind);
    p->resize(size);
    QCOMPARE(test::FindWhiteText(*p).pixels, 0);
    p->SetBypass(true);
    const test::WhiteText on = test::FindWhiteText(*p);
    QVERIFY2(on.pixels > 500, "no overlay text");
    QVERIFY2(std::abs(on.box.center().x() - size.width() / 2) <= 6, "not centred across");
    QVERIFY2(std::abs(on.box.center().y() - size.height() / 2) <= 8, "not centred down");
    QVERIFY2(on.box.height() >= 40 && on.box.height() <= 72, "not the 72-pixel font");
    QVERIFY2(on.box.width() > 3 * on.box.height(), "not six letters");
    p->SetBypass(false);
    QCOMPARE(test::FindWhiteText(*p).pixels, 0);
}

QTEST_MAIN(CEqPanelTest)
#include "CEqPanelTest.moc"
