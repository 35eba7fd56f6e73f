// Editing while the box is behind: the window never waits, and once the box catches up it
// holds exactly what the controls show. The box's answers are held while the user edits,
// so the cases do not depend on how fast the link's thread runs.

#include <QElapsedTimer>
#include <optional>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CXBmpSlider.h"
#include "model/Bytes.h"
#include "pages/CDialogMusic.h"

namespace kv::test {

namespace {
// A permit wait far longer than any case: only the box's answers let reports out.
constexpr LinkTimings kHeldTimings{60000, 300, 5};
constexpr int kMicA = CDialogMusic::kMicACode;
constexpr EqPlace kMicAPlace{module::kMic, 0, 0};
constexpr int kInput = 1;  // second microphone input
constexpr int kVolumeField = 44 + kInput;
constexpr int kVolumeParameter = 56 + kInput;

// One report goes out and its answer is held: every edit after it waits in the queue.
bool FallBehind(PageHost& host) {
    host.box->SetAnswersHeld(true);
    host.core->encoders.PollLevelMeter();
    if (!host.core->link.Flush()) return false;
    host.Clear();
    return true;
}
}  // namespace

class QueuedEditTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Many drag steps and slider steps over a box that answers nothing meanwhile: no step
    // waits for it, and the box ends with the final band and the final level, each sent once.
    void fastDragEndsWithTheFinalBandAndLevel_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("steps");
        QTest::newRow("first band, 40 steps") << 0 << 40;
        QTest::newRow("band 7, 200 steps") << 7 << 200;
    }
    void fastDragEndsWithTheFinalBandAndLevel() {
        QFETCH(int, band);
        QFETCH(int, steps);
        PageHost host(0, kHeldTimings);
        host.core->store.SetInt(kVolumeField, 90);
        QVERIFY(ShowOnScreen(host, PageId::Music, kMicA));
        auto* page = qobject_cast<CDialogMusic*>(host.page.data());
        CEqPanel* panel = page->Equaliser()->Panel();
        QVERIFY(FallBehind(host));

        QElapsedTimer held;
        held.start();
        const QPointF start = MarkerPoint(panel, band);
        SendMouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= steps; ++i) {
            SendMouse(panel, QEvent::MouseMove, start + QPointF(i % 97, (i % 23) - 11), Qt::NoButton, Qt::LeftButton);
            if (i % 4 == 0) QTest::keyClick(page->VolumeSlider(kInput), Qt::Key_Down);
        }
        const QPointF end = start + QPointF(steps % 97, (steps % 23) - 11);
        SendMouse(panel, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
        QTest::qWait(20);  // the sliders' posted notifications
        // Far less than one answer's worth of waiting: nothing above waited for the box.
        QVERIFY2(held.elapsed() < kHeldTimings.permitWaitMs / 10, qPrintable(QString::number(held.elapsed())));
        QVERIFY(host.box->Received().empty());
        QCOMPARE(host.core->link.Backlog(), std::size_t{3});  // descriptor, coefficients, level

        host.box->SetAnswersHeld(false);
        QVERIFY(host.core->link.Flush());
        const eq::BandRecord& b = panel->Band(band);
        const int level = 90 - steps / 4;
        QCOMPARE(host.core->store.Int(kVolumeField), level);
        std::vector<Report> expected = BandSent(kMicAPlace, band, b.code, b.gain, b.frequency, b.q);
        expected.push_back(Floats(module::kMic, kVolumeParameter, {static_cast<float>(level / 100.0)}));
        QCOMPARE(Hex(host.Writes()), Hex(expected));
        // The box holds the band as the store has it.
        const auto image = host.core->store.GetEqImage();
        const auto at = image.begin() + kMicAPlace.firstByte + 7 * band;
        QCOMPARE(host.box->Memory(kMicAPlace.firstByte + 7 * band, 7), std::vector<std::uint8_t>(at, at + 7));
        QVERIFY(host.box->Violations().empty());
    }

    // Closing after edits the box has not taken yet delivers them before the notice.
    void closeDeliversWhatIsQueued() {
        PageHost host(0, kHeldTimings);
        QVERIFY(ShowOnScreen(host, PageId::Music, kMicA));
        auto* page = qobject_cast<CDialogMusic*>(host.page.data());
        // Slower than the edits, so that some of them are still queued when the window closes.
        host.box->SetLatency(std::chrono::milliseconds(50));
        CEqPanel* panel = page->Equaliser()->Panel();
        const QPointF start = MarkerPoint(panel, 2);
        SendMouse(panel, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseMove, start + QPointF(30, -20), Qt::NoButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseButtonRelease, start + QPointF(30, -20), Qt::LeftButton, Qt::NoButton);
        for (int i = 0; i < 5; ++i) QTest::keyClick(page->VolumeSlider(kInput), Qt::Key_Down);
        QTest::qWait(5);  // the sliders' posted notifications
        const int level = host.core->store.Int(kVolumeField);
        const eq::BandRecord b = panel->Band(2);
        host.core->link.Close(true);
        const auto received = host.box->Received();
        QVERIFY(!received.empty());
        QCOMPARE(HexOf(received.back()), HexOf(BuildCommand({cmd::kDisconnect})));
        QCOMPARE(host.box->ParamFloat(module::kMic, kVolumeParameter), static_cast<float>(level / 100.0));
        const auto band = BandSent(kMicAPlace, 2, b.code, b.gain, b.frequency, b.q);
        QCOMPARE(
            host.box->Memory(kMicAPlace.firstByte + 14, 7),
            std::vector<std::uint8_t>(band[0].begin() + kMemoryDataOffset, band[0].begin() + kMemoryDataOffset + 7));
        std::optional<Report> coefficients;  // the last the box took for the band
        for (const Report& r : received)
            if (r[1] == cmd::kParamWrite && r[3] == module::kMic && r[4] == 2) coefficients = r;
        QVERIFY(coefficients);
        QCOMPARE(HexOf(*coefficients), HexOf(band[1]));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::QueuedEditTest)
#include "QueuedEditTest.moc"
