// The speaker page's alignment table: the delays it proposes from the positions, and that
// applying them sends the box exactly what typing those delays into the delay page (and
// switching an off row on) sends.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>

#include "EqEditing.h"
#include "PageFixture.h"
#include "device/SettingTable.h"
#include "pages/CAlignDlg.h"
#include "pages/CDelayDlg.h"
#include "pages/CSSVCDlg.h"

namespace kv::test {

namespace {

// Delay fields of the delay page's rows (MAIN L, MAIN R, Center, SUB, REAR L, REAR R, TOP L,
// TOP R) and of their on/off switches, which hold 1 while the row is off.
constexpr int kDelayField[8] = {107, 108, 161, 175, 125, 126, 143, 144};
constexpr int kOnOffField[8] = {109, 110, 162, 176, 127, 128, 145, 146};
// The delay-page row of speakers 1..8 of the speaker page.
constexpr int kRowOfSpeaker[8] = {0, 2, 1, 4, 3, 5, 6, 7};

struct Room {
    double listener[2];
    double speakers[8][2];
    int offRows;           // bit r: delay-page row r switched off
    double mainLeftNowMs;  // MAIN left's delay before aligning
};

const double kDefaults[8][2] = {{-1, 1}, {0, 1}, {1, 1}, {-1, -1}, {0, -1}, {1, -1}, {-0.5, 0}, {0.5, 0}};

void Prepare(PageHost& host, const Room& room) {
    ParameterStore& s = host.core->store;
    s.SetFloat(PositionXField(0), float(room.listener[0]));
    s.SetFloat(PositionYField(0), float(room.listener[1]));
    for (int k = 0; k < 8; ++k) {
        s.SetFloat(PositionXField(k + 1), float(room.speakers[k][0]));
        s.SetFloat(PositionYField(k + 1), float(room.speakers[k][1]));
    }
    for (int r = 0; r < 8; ++r) s.SetFloat(kDelayField[r], r ? 1.5f : float(room.mainLeftNowMs));
    for (int r = 0; r < 8; ++r) s.SetInt(kOnOffField[r], (room.offRows >> r) & 1);
}

// 1.5 ms for the farthest speaker, the lead of every nearer one added, at 20 C, in tenths.
std::array<double, 8> Expected(const Room& room) {
    const double c = 331.3 * std::sqrt(1.0 + 20.0 / 273.15);
    std::array<double, 8> d{}, ms{};
    for (int k = 0; k < 8; ++k)
        d[k] = std::hypot(room.speakers[k][0] - room.listener[0], room.speakers[k][1] - room.listener[1]);
    const double far = *std::max_element(d.begin(), d.end());
    for (int k = 0; k < 8; ++k) ms[k] = std::min(100.0, std::round((1.5 + (far - d[k]) / c * 1000.0) * 10.0) / 10.0);
    return ms;
}

}  // namespace
}  // namespace kv::test

Q_DECLARE_METATYPE(kv::test::Room)

namespace kv::test {

class AlignDelaysTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void applySendsTheDelayPagesEdits_data() {
        QTest::addColumn<Room>("room");
        Room defaults{{0, 0}, {}, 0, 1.5};
        std::copy(&kDefaults[0][0], &kDefaults[0][0] + 16, &defaults.speakers[0][0]);
        QTest::addRow("default room") << defaults;
        Room moved = defaults;
        moved.listener[0] = 0.6;
        moved.listener[1] = -1.4;
        moved.offRows = 1 << 3;  // SUB
        moved.mainLeftNowMs = 30.0;
        QTest::addRow("listener moved, SUB off") << moved;
        Room big{{4.5, 4.5}, {{-5, 5}, {0, 5}, {5, 5}, {-5, -5}, {4.5, 4.5}, {5, -5}, {-2, 0}, {2, 0}}, 0xC0, 2.0};
        QTest::addRow("SUB at the listener, TOPs off") << big;
    }
    void applySendsTheDelayPagesEdits() {
        QFETCH(Room, room);
        const std::array<double, 8> ms = Expected(room);

        PageHost typed;
        Prepare(typed, room);
        typed.ShowPage(PageId::Delay, 0);
        auto* delay = qobject_cast<CDelayDlg*>(typed.page.data());
        typed.Clear();
        for (int k = 0; k < 8; ++k) {
            const int row = kRowOfSpeaker[k];
            delay->DelayEdit(row)->setText(QString::asprintf("%.1f", ms[k]));
            Q_EMIT delay->DelayEdit(row)->returnPressed();
            if ((room.offRows >> row) & 1) delay->OnOff(row)->click();
        }

        PageHost aligned;
        Prepare(aligned, room);
        aligned.ShowPage(PageId::SpeakerPosition, 0);
        auto* page = qobject_cast<CSSVCDlg*>(aligned.page.data());
        page->AlignButton()->click();
        CAlignDlg* window = page->AlignWindow();
        QVERIFY(window && window->isVisible());
        for (int k = 0; k < 8; ++k)
            QCOMPARE(window->Table()->item(k, CAlignDlg::kProposed)->text(), QString::asprintf("%.1fms", ms[k]));
        aligned.Clear();
        window->ApplyButton()->click();

        QVERIFY(!typed.Writes().empty());
        QCOMPARE(Hex(aligned.Writes()), Hex(typed.Writes()));
        QVERIFY(aligned.Delivered().Violations().empty());
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::AlignDelaysTest)
#include "AlignDelaysTest.moc"
