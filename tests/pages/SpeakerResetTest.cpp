// "Reset all" on the speaker page: the default positions reach the box as the block encoder
// writes every position block, a position of 0 with its sign bit set (0x80), once, after the
// eight speaker levels; the store's copy of the block is what the box got.

#include <QPushButton>

#include "PageFixture.h"
#include "pages/CSSVCDlg.h"

namespace kv::test {

namespace {

// Moved away from the defaults so that the reset has to write every byte.
void MoveEverything(PageHost& host) {
    ParameterStore& s = host.core->store;
    s.SetInt(fld::kRoomWidth, 8);
    s.SetInt(fld::kRoomLength, 6);
    for (int p = 0; p < CSSVCDlg::kPoints; ++p) {
        s.SetFloat(CSSVCDlg::XField(p), 0.3f * static_cast<float>(p + 1));
        s.SetFloat(CSSVCDlg::YField(p), -0.2f * static_cast<float>(p + 1));
    }
}

}  // namespace

class SpeakerResetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_host = std::make_unique<PageHost>();
        MoveEverything(*m_host);
        m_host->ShowPage(PageId::SpeakerPosition, 0);
        m_host->Clear();
    }
    void cleanup() { m_host.reset(); }

    // Each byte of the block the box holds after the reset: width, length, listener X and Y,
    // then X and Y of speakers 1..8.
    void blockBytes_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("want");
        QTest::addRow("room width 4") << 0 << 0x04;
        QTest::addRow("room length 4") << 1 << 0x04;
        QTest::addRow("listener X 0") << 2 << 0x80;
        QTest::addRow("listener Y 0") << 3 << 0x80;
        QTest::addRow("MAIN left X -1") << 4 << 0x8A;
        QTest::addRow("MAIN left Y +1") << 5 << 0x0A;
        QTest::addRow("Center X 0") << 6 << 0x80;
        QTest::addRow("MAIN right X +1") << 8 << 0x0A;
        QTest::addRow("SUB X 0") << 12 << 0x80;
        QTest::addRow("SUB Y -1") << 13 << 0x8A;
        QTest::addRow("TOP left X -0.5") << 16 << 0x85;
        QTest::addRow("TOP left Y 0") << 17 << 0x80;
        QTest::addRow("TOP right X +0.5") << 18 << 0x05;
        QTest::addRow("TOP right Y 0") << 19 << 0x80;
    }
    void blockBytes() {
        QFETCH(int, byte);
        QFETCH(int, want);
        qobject_cast<CSSVCDlg*>(m_host->page.data())->ResetButton()->click();
        const std::vector<std::uint8_t> block = m_host->Delivered().Memory(kSpeakerPosOffset, kSpeakerPosSize);
        QCOMPARE(int(block[static_cast<std::size_t>(byte)]), want);
    }

    // One block write, after the eight levels; the store keeps the block as it was sent, so a
    // mode file saved next holds the same bytes as the box.
    void oneWriteAfterTheLevels() {
        qobject_cast<CSSVCDlg*>(m_host->page.data())->ResetButton()->click();
        std::vector<int> blockAt;
        int levels = 0;
        const std::vector<Report> writes = m_host->Writes();
        for (const Report& r : writes) {
            if (r[1] == cmd::kParamWrite) ++levels;
            if (r[1] == cmd::kMemoryWrite && ((r[2] << 8) | r[3]) == kSpeakerPosOffset) blockAt.push_back(levels);
        }
        QCOMPARE(blockAt, std::vector<int>{8});
        const auto mirror = m_host->core->store.GetSpeakerPositions();
        QCOMPARE(m_host->Delivered().Memory(kSpeakerPosOffset, kSpeakerPosSize),
                 std::vector<std::uint8_t>(mirror.begin(), mirror.end()));
        QCOMPARE(m_host->core->store.Float(CSSVCDlg::XField(0)), 0.0f);
        QCOMPARE(m_host->core->store.Int(fld::kRoomWidth), 4);
    }

    void declinedSendsNothing() {
        m_host->answerYes = false;
        qobject_cast<CSSVCDlg*>(m_host->page.data())->ResetButton()->click();
        QVERIFY(m_host->Writes().empty());
        QCOMPARE(m_host->core->store.Int(fld::kRoomWidth), 8);
    }

private:
    std::unique_ptr<PageHost> m_host;
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SpeakerResetTest)
#include "SpeakerResetTest.moc"
