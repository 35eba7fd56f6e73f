#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "OverlayText.h"
#include "eq/CSmallEqPanel.h"

using namespace kv;

class CSmallEqPanelTest : public QObject {
    Q_OBJECT

private:
    static std::unique_ptr<CSmallEqPanel> MakePanel() {
        auto p = std::make_unique<CSmallEqPanel>();
        p->resize(116, 64);  // plot 112 x 60, 0 dB at y 32
        return p;
    }

private Q_SLOTS:
    void flatBandsDrawStraightZeroLine() {
        auto p = MakePanel();
        for (const QPoint& pt : p->Curve()) QCOMPARE(pt.y(), 32);
        QCOMPARE(p->Curve().front().x(), 2);
        QCOMPARE(p->Curve().back().x(), 112);  // 2 + 112 * 55 / 56
    }

    void curveSumsRoundedBands() {
        auto p = MakePanel();
        p->SetGain(5, 12.0);  // 1000 Hz
        const auto boosted = p->Curve();
        // The point nearest 1 kHz is near the top (12 dB of 15 = 24 px above 0 dB).
        const int peak =
            std::min_element(boosted.begin(), boosted.end(), [](QPoint a, QPoint b) { return a.y() < b.y(); })->y();
        QVERIFY(peak <= 32 - 22);
        QCOMPARE(p->BandAt(5).y, 8);  // marker at 12 dB

        // A band that is off leaves the curve as if it were absent.
        p->SetGain(2, -9.0);
        p->BandAt(2).code = 0;
        p->EvaluateBand(2);
        QCOMPARE(p->Curve(), boosted);
    }

    void setterClamps() {
        auto p = MakePanel();
        p->SetGain(0, 20.0);
        QCOMPARE(p->BandAt(0).gain, 15.0f);
        p->SetGain(0, -40.0);
        QCOMPARE(p->BandAt(0).gain, -15.0f);
        p->SetFrequency(1, 1e-9);  // ignored
        QCOMPARE(p->BandAt(1).frequency, 62.0f);
        p->SetFrequency(1, 50000.0);
        QCOMPARE(p->BandAt(1).frequency, 20000.0f);
        p->SetFrequency(1, 3.0);
        QCOMPARE(p->BandAt(1).frequency, 20.0f);
        QCOMPARE(p->BandAt(1).x, 2 + static_cast<int>(std::log10(2.0) * 112 / 3.4));
    }

    void passFiltersIgnoreGain() {
        auto p = MakePanel();
        p->BandAt(6).code = 2;
        p->BandAt(6).q = 0.7f;
        p->BandAt(6).gain = 9.0f;  // a stored gain on a low-pass does not lift its pass band
        p->EvaluateBand(6);
        QCOMPARE(p->Curve().front().y(), 32);
        QVERIFY(p->Curve().back().y() > 40);
    }

    // "PASS" is drawn centred in a 32-pixel font while the equaliser is off, over the hover
    // shading too, and is gone once it is on again.
    void passOverlay_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("hovered");
        QTest::newRow("page size") << QSize(116, 64) << false;
        QTest::newRow("page size, hovered") << QSize(116, 64) << true;
        QTest::newRow("larger") << QSize(240, 120) << false;
    }
    void passOverlay() {
        QFETCH(QSize, size);
        QFETCH(bool, hovered);
        auto p = MakePanel();
        p->resize(size);
        if (hovered) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(p.get(), &enter);
        }
        QCOMPARE(test::FindWhiteText(*p).pixels, 0);
        p->SetBypass(true);
        const test::WhiteText on = test::FindWhiteText(*p);
        QVERIFY2(on.pixels > 100, "no overlay text");
        QVERIFY2(std::abs(on.box.center().x() - size.width() / 2) <= 4, "not centred across");
        QVERIFY2(std::abs(on.box.center().y() - size.height() / 2) <= 5, "not centred down");
        QVERIFY2(on.box.height() >= 16 && on.box.height() <= 32, "not the 32-pixel font");
        QVERIFY2(on.box.width() > 2 * on.box.height(), "not four letters");
        p->SetBypass(false);
        QCOMPARE(test::FindWhiteText(*p).pixels, 0);
    }

    void hoverAndClick() {
        auto p = MakePanel();
        QSignalSpy clicked(p.get(), &CSmallEqPanel::clicked);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(p.get(), &enter);
        QVERIFY(p->IsHovered());
        QImage image(p->size(), QImage::Format_ARGB32_Premultiplied);
        p->render(&image);
        QCOMPARE(image.pixelColor(0, 0), QColor(0, 255, 255));  // the hover frame
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(p.get(), &leave);
        QVERIFY(!p->IsHovered());

        QTest::mouseClick(p.get(), Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(clicked.count(), 1);
        QTest::mouseClick(p.get(), Qt::RightButton, {}, QPoint(40, 30));
        QCOMPARE(clicked.count(), 1);
    }
};

QTEST_MAIN(CSmallEqPanelTest)
#include "CSmallEqPanelTest.moc"
