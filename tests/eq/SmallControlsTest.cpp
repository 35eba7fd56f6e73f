#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <array>

#include "eq/CGdipButton.h"
#include "eq/CPeakMeterCtrl.h"
#include "eq/CXBmpSlider.h"
#include "tests/common/Focus.h"

using namespace kv;

namespace {

using kv::test::GiveFocus;

void Wheel(QWidget& w, int delta) {
    GiveFocus(w);
    QWheelEvent event(QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

void Key(QWidget& w, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void Mouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, w.mapToGlobal(QPointF(pos)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

}  // namespace

class SmallControlsTest : public QObject {
    Q_OBJECT

private:
    static std::unique_ptr<CPeakMeterCtrl> Meter(int channels, int segments) {
        auto m = std::make_unique<CPeakMeterCtrl>(nullptr, channels, segments);
        m->SetAutoDecay(false);  // ticks are driven by hand
        return m;
    }
    static void RunOut(CPeakMeterCtrl& m) {
        for (int i = 0; i < 200 && m.IsDecaying(); ++i) m.Tick();
        QVERIFY(!m.IsDecaying());
    }

private Q_SLOTS:
    void meterStartsFullAndFallsOnce() {
        auto m = Meter(2, 8);
        QCOMPARE(m->Level(1), CPeakMeterCtrl::kMaxLevel);
        QCOMPARE(m->Peak(1), CPeakMeterCtrl::kMaxLevel);
        m->Tick();
        QCOMPARE(m->Level(0), 230 - 28);  // one segment's worth
        RunOut(*m);
        QCOMPARE(m->Level(0), 0);
        QCOMPARE(m->Peak(0), 0);
    }

    void meterClampsLevels() {
        auto m = Meter(3, 15);
        RunOut(*m);
        const std::array<int, 2> levels = {300, -20};
        m->SetLevels(levels, 1);
        QVERIFY(m->IsDecaying());
        QCOMPARE(m->Level(0), 0);  // untouched
        QCOMPARE(m->Level(1), 230);
        QCOMPARE(m->LitSegments(m->Level(1)), 15);
        QCOMPARE(m->Level(2), 0);
        QCOMPARE(m->LitSegments(m->Level(2)), 0);
        QCOMPARE(m->LitSegments(1), 1);  // any signal lights the first segment
        const std::array<int, 5> tooMany = {10, 10, 10, 10, 10};
        m->SetLevels(tooMany, 2);  // extra values past the last channel are dropped
        QCOMPARE(m->Level(2), 10);
    }

    void meterZones() {
        auto m = Meter(1, 15);
        QCOMPARE(m->SegmentColor(11, true), QColor(0, 255, 0));
        QCOMPARE(m->SegmentColor(12, true), QColor(255, 255, 0));
        QCOMPARE(m->SegmentColor(13, true), QColor(255, 255, 0));
        QCOMPARE(m->SegmentColor(14, true), QColor(255, 0, 0));
        QCOMPARE(m->SegmentColor(13, false), QColor(2, 60, 2));
        QCOMPARE(m->SegmentColor(14, false), QColor(60, 2, 2));
    }

    void peakHoldsTenTicks() {
        auto m = Meter(1, 15);
        RunOut(*m);
        const std::array<int, 1> loud = {200};
        m->SetLevels(loud);
        for (int tick = 1; tick < CPeakMeterCtrl::kPeakHoldTicks; ++tick) {
            m->Tick();
            QCOMPARE(m->Peak(0), 200);
        }
        QCOMPARE(m->Level(0), 200 - 9 * (230 / 15));
        m->Tick();
        QCOMPARE(m->Peak(0), 200 - 7);  // then half a segment per tick
        m->Tick();
        QCOMPARE(m->Peak(0), 200 - 14);
        // A louder value restarts the hold; a quieter one does not touch the peak.
        const std::array<int, 1> quiet = {50};
        m->SetLevels(quiet);
        QCOMPARE(m->Peak(0), 186);
        RunOut(*m);

        auto single = Meter(1, 1);  // fewer than 2 segments: 23 per tick, peak 5
        single->Tick();
        QCOMPARE(single->Level(0), 230 - 23);
    }

    void sliderWheelAtMaximumStillNotifies() {
        CXBmpSlider s(42, Qt::Horizontal);
        s.resize(200, 26);
        s.SetRange(0, 10);
        s.SetPosition(10);
        QSignalSpy changed(&s, &CXBmpSlider::changed);
        Wheel(s, 120);
        QCOMPARE(changed.count(), 0);  // posted, not sent
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0), (QList<QVariant>{42, 10}));
        Wheel(s, -120);
        Wheel(s, -120);
        QCoreApplication::processEvents();
        QCOMPARE(s.Position(), 8);
        QCOMPARE(changed.count(), 3);
        s.SetPosition(99);  // the page's own setting is clamped and not echoed
        QCOMPARE(s.Position(), 10);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 3);
    }

    void sliderPressDragAndKeys() {
        CXBmpSlider s(7, Qt::Horizontal);
        s.resize(200, 26);
        s.SetRange(0, 100);
        s.SetPosition(50);
        QSignalSpy changed(&s, &CXBmpSlider::changed);
        const QRect thumb = s.ThumbRect();
        Mouse(s, QEvent::MouseButtonPress, QPoint(5, 13), Qt::LeftButton);  // left of the thumb
        Mouse(s, QEvent::MouseButtonRelease, QPoint(5, 13), Qt::NoButton);
        QCOMPARE(s.Position(), 49);
        Mouse(s, QEvent::MouseButtonPress, QPoint(195, 13), Qt::LeftButton);
        Mouse(s, QEvent::MouseButtonRelease, QPoint(195, 13), Qt::NoButton);
        QCOMPARE(s.Position(), 50);

        Mouse(s, QEvent::MouseButtonPress, thumb.center(), Qt::LeftButton);
        QVERIFY(s.IsDragging());
        Mouse(s, QEvent::MouseMove, QPoint(400, 13), Qt::LeftButton);
        QCOMPARE(s.Position(), 100);
        Mouse(s, QEvent::MouseMove, QPoint(100, 13), Qt::LeftButton);  // the travel's middle
        QCOMPARE(s.Position(), 50);
        Mouse(s, QEvent::MouseButtonRelease, QPoint(100, 13), Qt::NoButton);
        QVERIFY(!s.IsDragging());

        Key(s, Qt::Key_Right);
        Key(s, Qt::Key_Up);
        Key(s, Qt::Key_Down);
        QCOMPARE(s.Position(), 51);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 2 + 1 + 2 + 3);
        QCOMPARE(changed.last(), (QList<QVariant>{7, 51}));
    }

    void verticalSliderHasMaximumOnTop() {
        CXBmpSlider s(3, Qt::Vertical);
        s.resize(26, 200);
        s.SetRange(0, 20);
        s.SetPosition(10);
        Mouse(s, QEvent::MouseButtonPress, QPoint(13, 195), Qt::LeftButton);  // below: down one
        QCOMPARE(s.Position(), 9);
        Mouse(s, QEvent::MouseButtonRelease, QPoint(13, 195), Qt::NoButton);
        Mouse(s, QEvent::MouseButtonPress, s.ThumbRect().center(), Qt::LeftButton);
        Mouse(s, QEvent::MouseMove, QPoint(13, -50), Qt::LeftButton);
        QCOMPARE(s.Position(), 20);
        QVERIFY(s.ThumbRect().top() < 10);
    }

    void sliderPostsFocus() {
        CXBmpSlider s(9, Qt::Horizontal);
        QSignalSpy focused(&s, &CXBmpSlider::focused);
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&s, &in);
        QCOMPARE(focused.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(focused.count(), 1);
        QCOMPARE(focused.at(0).at(0).toInt(), 9);
    }

    void imageButtonLooks() {
        CGdipButton b;
        b.resize(60, 24);
        QImage standard(60, 24, QImage::Format_ARGB32_Premultiplied);
        standard.fill(QColor(200, 200, 200));
        QImage alternate(60, 24, QImage::Format_ARGB32_Premultiplied);
        alternate.fill(QColor(0, 0, 200));
        b.SetImages(standard, alternate);
        QSignalSpy clicked(&b, &CGdipButton::clicked);
        auto pixel = [&b] {
            QImage out(b.size(), QImage::Format_ARGB32_Premultiplied);
            out.fill(Qt::black);
            b.render(&out);
            return out.pixelColor(2, 2);
        };
        QCOMPARE(pixel(), QColor(200, 200, 200));
        b.SetLatched(true);
        QCOMPARE(pixel(), QColor(0, 0, 200));
        b.SetLatched(false);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&b, &enter);
        QVERIFY(b.IsHovered());
        QVERIFY(pixel().red() > 200);  // the hover look is lighter
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&b, &leave);
        QVERIFY(!b.IsHovered());
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 1);
    }
};

QTEST_MAIN(SmallControlsTest)
#include "SmallControlsTest.moc"
