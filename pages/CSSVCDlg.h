#pragma once
// The speaker-position page: the room's size, the listener and the eight speakers, typed,
// stepped or dragged on the room drawn to scale; each speaker's level follows its distance
// from the listener.

#include <array>

#include "device/SettingTable.h"
#include "pages/AlignEntry.h"
#include "pages/CPageBase.h"
#include "ui/NumberText.h"
#include "ui/PointBoxes.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class CNavigationBar;
class CSpinButtons;
class CSSVolumePanel;

class CSSVCDlg : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 334;
    static constexpr int kPoints = 9;  // 0 the listener, 1..8 the speakers
    static constexpr int kMinRoom = range::kRoomMin;
    static constexpr int kMaxRoom = range::kRoomMax;

    CSSVCDlg(PageContext& context, int kind = 0, QWidget* parent = nullptr);

    // The level of a speaker at distance d from the listener: 3 dB at the listener, 0 at 1 m,
    // 3 dB less for every further metre.
    static float LevelAt(double distanceMetres) { return SpeakerLevelAt(distanceMetres); }
    static int XField(int point) { return PositionXField(point); }
    static int YField(int point) { return PositionYField(point); }

    CNavigationBar* Navigation() const { return m_nav; }
    CSSVolumePanel* Panel() const { return m_panel; }
    QLineEdit* Edit(int point, int axis) const { return Points(point).Edit(axis); }
    CSpinButtons* Spin(int point, int axis) const { return Points(point).Spin(axis); }
    QLineEdit* RoomEdit(int axis) const { return m_room->Edit(axis); }
    CSpinButtons* RoomSpin(int axis) const { return m_room->Spin(axis); }
    QPushButton* ApplyRoomButton() const { return m_applyRoom; }
    QPushButton* CentreButton() const { return m_centre; }
    QPushButton* ResetButton() const { return m_reset; }
    QPushButton* AlignButton() const { return m_align->Button(); }
    // The alignment table, while it is open.
    CAlignDlg* AlignWindow() const { return m_align->Window(); }
    void OpenAlignment() { m_align->Open(); }

    // Enter in one of a point's boxes.
    void TypePosition(int point);

protected:
    void OnReload() override;
    void OnRelabel() override;
    void OnLock(bool locked) override;
    bool OnWheel(int steps) override;

private:
    QWidget* BuildRoom();
    QWidget* BuildPoints();
    void StepPosition(int point, int axis, int delta);
    double StoredPosition(int point, int axis);
    // Panel, fields and the speaker-position block; then the levels of speakers 1..listenerReach
    // for the listener, or of the speaker itself. `show` writes the boxes and spin buttons too.
    void MovePoint(int point, double x, double y, int listenerReach, bool show);
    void StepRoom(int axis, int delta);
    void ApplyRoomBoxes();
    // The panel and the position spin ranges for the room the spin buttons hold.
    void ShowRoom();
    void ResetAll();

    CNavigationBar* m_nav = nullptr;
    CSSVolumePanel* m_panel = nullptr;
    PointBoxes& Points(int point) const { return *m_points[static_cast<std::size_t>(point)]; }

    std::array<PointBoxes*, kPoints> m_points{};
    std::array<QLabel*, kPoints> m_captions{};
    PointBoxes* m_room = nullptr;
    QPushButton* m_applyRoom = nullptr;
    QPushButton* m_centre = nullptr;
    QPushButton* m_reset = nullptr;
    AlignEntry* m_align = nullptr;
};

}  // namespace kv
