// Widget tests of the speaker-position page: each way of moving a point (typed, stepped,
// dragged speaker, dragged listener), centring and resetting, with the levels the box gets
// and which speakers each path recomputes; the room size and its limits.

#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CSSVolumePanel.h"
#include "pages/CSSVCDlg.h"
#include "ui/CSpinButtons.h"

namespace kv::test {

namespace {

// Channel-gain addresses of speakers 1..8.
constexpr int kGainModule[9] = {0, 5, 7, 5, 6, 8, 6, 9, 9};
constexpr int kGainParameter[9] = {0, 42, 23, 43, 28, 33, 29, 28, 29};

// The channel gain of a speaker at a level (a single-precision value), as the box takes it.
Report Gain(int speaker, double level) {
    const double db = static_cast<float>(level);
    const double c = std::pow(10.0, (0.0022594517 * db * db + 0.7999020 * db) / 20.0);
    const double d = std::pow(10.0, db / 20.0);
    const ParamValue f[6] = {ParamValue::FromFloat(float(c)), ParamValue::FromFloat(float(d)),
                             ParamValue{0x3F7EFF25u},         ParamValue{0xBFFF7EF1u},
                             ParamValue::FromFloat(float(c)), ParamValue::FromFloat(float(d))};
    return BuildParamWrite(kGainModule[speaker], kGainParameter[speaker], f);
}
double Level(double lx, double ly, double sx, double sy) { return 3.0 - 3.0 * std::hypot(lx - sx, ly - sy); }

// Parameter writes only: the channel gains, in the order sent.
QStringList Gains(PageHost& host) {
    std::vector<Report> p;
    for (const Report& r : host.Writes())
        if (r[1] == cmd::kParamWrite) p.push_back(r);
    return Hex(p);
}
int BlockWrites(PageHost& host) {
    int n = 0;
    for (const Report& r : host.Writes())
        if (r[1] == cmd::kMemoryWrite && ((r[2] << 8) | r[3]) == kSpeakerPosOffset) ++n;
    return n;
}

// Default positions of points 0..8.
constexpr double kDefaults[9][2] = {{0, 0}, {-1, 1}, {0, 1}, {1, 1}, {-1, -1}, {0, -1}, {1, -1}, {-0.5, 0}, {0.5, 0}};

// The gains sent after point `point` moved to (x, y), the others at their defaults: a speaker
// sends its own level, the listener those of speakers 1..reach.
QStringList LevelsSent(int point, double x, double y, int reach) {
    QStringList want;
    if (point != 0) return {HexOf(Gain(point, Level(0, 0, x, y)))};
    for (int s = 1; s <= reach; ++s) want << HexOf(Gain(s, Level(x, y, kDefaults[s][0], kDefaults[s][1])));
    return want;
}

CSSVCDlg* Page(PageHost& host) { return qobject_cast<CSSVCDlg*>(host.page.data()); }

void Type(QLineEdit* e, const QString& text) {
    e->setText(text);
    Q_EMIT e->returnPressed();
}

}  // namespace

class SpeakerPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_host = std::make_unique<PageHost>(); }
    void cleanup() { m_host.reset(); }

    void levelFormula_data() {
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("level");
        QTest::addRow("at the listener") << 0.0 << 3.0;
        QTest::addRow("1 m") << 1.0 << 0.0;
        QTest::addRow("2 m") << 2.0 << -3.0;
        QTest::addRow("7 m, no floor") << 7.0 << -18.0;
    }
    void levelFormula() {
        QFETCH(double, distance);
        QFETCH(double, level);
        QCOMPARE(double(CSSVCDlg::LevelAt(distance)), level);
    }

    void typedPosition_data() {
        QTest::addColumn<int>("point");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<double>("wantX");
        QTest::addColumn<double>("wantY");
        QTest::addRow("speaker 3 inside") << 3 << "1.5"
                                          << "0.5" << 1.5 << 0.5;
        QTest::addRow("X beyond a 4 m room") << 3 << "9"
                                             << "1" << 2.0 << 1.0;
        QTest::addRow("Y beyond the front") << 5 << "0"
                                            << "-7" << 0.0 << -2.0;
        QTest::addRow("listener") << 0 << "1"
                                  << "1" << 1.0 << 1.0;
    }
    void typedPosition() {
        QFETCH(int, point);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(double, wantX);
        QFETCH(double, wantY);
        PageHost& host = *m_host;
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        host.Clear();
        page->Edit(point, 0)->setText(x);
        Type(page->Edit(point, 1), y);
        QCOMPARE(page->Edit(point, 0)->text(), QString::asprintf("%+-.1fm", wantX));
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(point)), float(wantX));
        QCOMPARE(host.core->store.Float(CSSVCDlg::YField(point)), float(wantY));
        QCOMPARE(page->Spin(point, 0)->Position(), int(std::lround(wantX * 10)));
        QCOMPARE(BlockWrites(host), 1);
        // A speaker sends its own level; the listener those of speakers 1..6, not the TOPs.
        QCOMPARE(Gains(host), LevelsSent(point, wantX, wantY, 6));
    }

    void steppedPosition_data() {
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("axis");
        QTest::addColumn<int>("delta");
        QTest::addColumn<double>("wantX");
        QTest::addColumn<double>("wantY");
        QTest::addRow("speaker 1 right") << 1 << 0 << 1 << -0.9 << 1.0;
        QTest::addRow("speaker 4 back") << 4 << 1 << -1 << -1.0 << -1.1;
        QTest::addRow("listener forward") << 0 << 1 << 1 << 0.0 << 0.1;
    }
    void steppedPosition() {
        QFETCH(int, point);
        QFETCH(int, axis);
        QFETCH(int, delta);
        QFETCH(double, wantX);
        QFETCH(double, wantY);
        PageHost& host = *m_host;
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        host.Clear();
        page->Spin(point, axis)->stepped(delta);
        QCOMPARE(page->Edit(point, axis)->text(), QString::asprintf("%+-.1fm", axis ? wantY : wantX));
        QVERIFY(std::fabs(host.core->store.Float(CSSVCDlg::XField(point)) - wantX) < 1e-6);
        QVERIFY(std::fabs(host.core->store.Float(CSSVCDlg::YField(point)) - wantY) < 1e-6);
        QCOMPARE(Gains(host), LevelsSent(point, wantX, wantY, 6));
    }

    void stepStopsAtTheWall() {
        PageHost& host = *m_host;
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        for (int i = 0; i < 15; ++i) page->Spin(3, 0)->stepped(1);  // from +1.0 m in a 4 m room
        QCOMPARE(page->Edit(3, 0)->text(), QStringLiteral("+2.0m"));
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(3)), 2.0f);
    }

    // Real mouse events on the panel: the point under the pointer follows it; a speaker sends
    // its own level, the listener all eight in order.
    void drag_data() {
        QTest::addColumn<int>("point");
        QTest::addColumn<double>("toX");
        QTest::addColumn<double>("toY");
        QTest::addRow("SUB to the right") << 5 << 1.0 << -1.0;
        QTest::addRow("MAIN left past the wall") << 1 << -3.0 << 1.0;
        QTest::addRow("listener forward") << 0 << 0.0 << 1.0;
    }
    void drag() {
        QFETCH(int, point);
        QFETCH(double, toX);
        QFETCH(double, toY);
        PageHost& host = *m_host;
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        CSSVolumePanel* panel = page->Panel();
        panel->resize(460, 460);
        const eq::RoomGeometry g = panel->Geometry();
        const double wantX = std::clamp(toX, -2.0, 2.0), wantY = std::clamp(toY, -2.0, 2.0);
        const eq::RoomPoint to = g.Pixel(toX, toY);
        SendMouse(panel, QEvent::MouseButtonPress, panel->PixelOf(point) + QPointF(3, -3), Qt::LeftButton,
                  Qt::LeftButton);
        QCOMPARE(panel->DraggedPoint(), point);
        host.Clear();
        SendMouse(panel, QEvent::MouseMove, QPointF(to.x, to.y), Qt::NoButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseButtonRelease, QPointF(to.x, to.y), Qt::LeftButton, Qt::NoButton);
        QVERIFY(std::fabs(host.core->store.Float(CSSVCDlg::XField(point)) - wantX) < 1e-6);
        QVERIFY(std::fabs(host.core->store.Float(CSSVCDlg::YField(point)) - wantY) < 1e-6);
        QCOMPARE(page->Edit(point, 1)->text(), QString::asprintf("%+-.1fm", wantY));
        QCOMPARE(BlockWrites(host), 1);
        QCOMPARE(Gains(host), LevelsSent(point, wantX, wantY, 8));
        QCOMPARE(panel->DraggedPoint(), -1);
    }

    void centre() {
        PageHost& host = *m_host;
        host.core->store.SetFloat(CSSVCDlg::XField(0), 1.0f);
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        host.Clear();
        page->CentreButton()->click();
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(0)), 0.0f);
        QStringList want;
        for (int s = 1; s <= 8; ++s) want << HexOf(Gain(s, Level(0, 0, kDefaults[s][0], kDefaults[s][1])));
        QCOMPARE(Gains(host), want);
        QCOMPARE(BlockWrites(host), 1);
        // The boxes show the centre, and the next step starts from it.
        QCOMPARE(page->Edit(0, 0)->text(), QStringLiteral("+0.0m"));
        QCOMPARE(page->Edit(0, 1)->text(), QStringLiteral("+0.0m"));
        QCOMPARE(page->Spin(0, 0)->Position(), 0);
        page->Spin(0, 0)->stepped(1);
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(0)), 0.1f);
    }

    void resetAll() {
        PageHost& host = *m_host;
        host.core->store.SetFloat(CSSVCDlg::XField(2), 1.7f);
        host.core->store.SetInt(23, 8);
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        host.Clear();
        page->ResetButton()->click();
        // 0 dB for every speaker, not the levels of the default positions.
        QStringList want;
        for (int s = 1; s <= 8; ++s) want << HexOf(Gain(s, 0.0));
        QCOMPARE(Gains(host), want);
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(2)), 0.0f);
        QCOMPARE(page->Edit(2, 0)->text(), QStringLiteral("+0.0m"));
        QCOMPARE(page->RoomEdit(0)->text(), QStringLiteral("4m"));
        // The default positions as the block encoder writes them: a position of 0 as 0x80.
        QCOMPARE(host.Delivered().Memory(kSpeakerPosOffset, kSpeakerPosSize),
                 (std::vector<std::uint8_t>{0x04, 0x04, 0x80, 0x80, 0x8A, 0x0A, 0x80, 0x0A, 0x0A, 0x0A,
                                            0x8A, 0x8A, 0x80, 0x8A, 0x0A, 0x8A, 0x85, 0x80, 0x05, 0x80}));
    }

    void roomSize_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("wantWidth");
        QTest::addColumn<int>("wantLength");
        QTest::addRow("as typed") << "6"
                                  << "5" << 6 << 5;
        QTest::addRow("above 10") << "12"
                                  << "10" << 10 << 10;
        QTest::addRow("below 1") << "0"
                                 << "2" << 1 << 2;
    }
    void roomSize() {
        QFETCH(QString, width);
        QFETCH(QString, length);
        QFETCH(int, wantWidth);
        QFETCH(int, wantLength);
        PageHost& host = *m_host;
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        host.Clear();
        page->RoomEdit(0)->setText(width);
        page->RoomEdit(1)->setText(length);
        page->ApplyRoomButton()->click();
        QCOMPARE(host.core->store.Int(23), wantWidth);
        QCOMPARE(host.core->store.Int(22), wantLength);
        QCOMPARE(page->RoomEdit(0)->text(), QStringLiteral("%1m").arg(wantWidth));
        QCOMPARE(page->Spin(1, 0)->Maximum(), wantWidth * 10 / 2);
        QCOMPARE(page->Panel()->RoomWidth(), double(wantWidth));
        QCOMPARE(BlockWrites(host), 1);
        QVERIFY(Gains(host).isEmpty());  // levels are not recomputed
    }

    void shrinkingKeepsAPointOutside() {
        PageHost& host = *m_host;
        host.core->store.SetInt(23, 10);
        host.core->store.SetFloat(CSSVCDlg::XField(3), 4.0f);
        host.ShowPage(PageId::SpeakerPosition, 0);
        CSSVCDlg* page = Page(host);
        page->RoomEdit(0)->setText(QStringLiteral("2"));
        page->ApplyRoomButton()->click();
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(3)), 4.0f);
        QCOMPARE(page->Panel()->Point(3).x, 4.0);
        // Drawn flagged on the wall, with the level its stored place gives it, as the box gets it.
        QVERIFY(page->Panel()->Outside(3));
        QVERIFY(!page->Panel()->Outside(1));
        const double dy = host.core->store.Float(CSSVCDlg::YField(3)) - host.core->store.Float(CSSVCDlg::YField(0));
        const double dx = 4.0 - host.core->store.Float(CSSVCDlg::XField(0));
        QCOMPARE(page->Panel()->Level(3), double(CSSVCDlg::LevelAt(std::hypot(dx, dy))));
    }

private:
    std::unique_ptr<PageHost> m_host;
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SpeakerPageTest)
#include "SpeakerPageTest.moc"
