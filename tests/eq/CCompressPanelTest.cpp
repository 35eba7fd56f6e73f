// The limiter curve as drawn: "OFF" over the plot exactly while bypassed, the threshold dot
// where the geometry puts it, and the grid redrawn after a resize.

#include <QImage>
#include <QTest>

#include "eq/CCompressPanelPlus.h"
#include "eq/CompressorCurve.h"

namespace kv::test {

namespace {
QImage Render(CCompressPanelPlus& p) {
    QImage image(p.size(), QImage::Format_ARGB32_Premultiplied);
    p.render(&image);
    return image;
}
// Pixels in the "OFF" blue (0, 150, 255), allowing for the edges of the letters.
int OffPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() < 30 && std::abs(c.green() - 150) < 20 && c.blue() > 230;
        }
    return n;
}
}  // namespace

class CCompressPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offOverlay_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("block of the page") << QSize(220, 260);
        QTest::newRow("full screen") << QSize(1200, 700);
    }
    void offOverlay() {
        QFETCH(QSize, size);
        CCompressPanelPlus p;
        p.resize(size);
        p.SetFloor(-90);
        p.SetEnabled(0);
        QVERIFY2(OffPixels(Render(p)) > 100, "no OFF while bypassed");
        p.SetEnabled(1);
        QCOMPARE(OffPixels(Render(p)), 0);
    }

    void thresholdDot_data() {
        QTest::addColumn<double>("threshold");
        QTest::newRow("0 dB, on the grid crossing") << 0.0;
        QTest::newRow("-40 dB") << -40.0;
    }
    void thresholdDot() {
        QFETCH(double, threshold);
        CCompressPanelPlus p;
        p.resize(400, 300);
        p.SetFloor(-90);
        p.SetEnabled(1);
        p.SetThreshold(threshold);
        p.SetRatio(4.0);
        const eq::CompressorCurve g(400, 300);
        const QColor c = Render(p).pixelColor(int(g.X(threshold)), int(g.Y(threshold)));
        QVERIFY2(c.red() > 150 && c.green() < 90, qPrintable(c.name()));
    }

    void gridFollowsTheSize() {
        CCompressPanelPlus p;
        p.resize(300, 200);
        Render(p);
        QVERIFY(p.GridCached());
        p.resize(500, 300);
        QVERIFY(!p.GridCached());
        Render(p);
        QVERIFY(p.GridCached());
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::CCompressPanelTest)
#include "CCompressPanelTest.moc"
