#pragma once
// The page of the three input channels: microphone channels A and B and the music input.
// It shows the channel's 15-band equaliser, the four microphone inputs, the microphone
// effect parameters with the two small effect curves that open the effects page, and ten
// level meters.

#include <QTimer>
#include <array>

#include "pages/CPageBase.h"
#include "ui/SettingList.h"

class QLabel;
class QRadioButton;

namespace kv {

class CGdipButton;
class CGridListCtrlEx;
class CPeakMeterCtrl;
class CSmallEqPanel;
class CXBmpSlider;

class CDialogMusic : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 313;
    static constexpr int kMusicCode = 0;
    static constexpr int kMicACode = 1;
    static constexpr int kMicBCode = 8;
    static constexpr int kMicInputs = 4;
    static constexpr int kEffectRows = 9;
    static constexpr int kMeters = 10;
    static constexpr int kMeterPollMs = 300;

    CDialogMusic(PageContext& context, int pageCode, QWidget* parent = nullptr);

    bool IsMicPage() const { return Kind() != kMusicCode; }
    int Channel() const { return Kind() == kMicBCode ? 1 : 0; }

    CGdipButton* PageButton(int code) const;
    CGridListCtrlEx* EffectList() const { return m_effectList; }
    CXBmpSlider* EffectSlider() const { return m_effectRows->Slider(); }
    QLabel* EffectName() const { return m_effectRows->NameLabel(); }
    QLabel* EffectValue() const { return m_effectRows->ValueLabel(); }
    int SelectedEffectRow() const { return m_effectRows->Selected(); }
    QRadioButton* Route(int input, int channel) const;
    CXBmpSlider* GateSlider(int input) const { return m_gate[static_cast<std::size_t>(input)]; }
    CXBmpSlider* VolumeSlider(int input) const { return m_volume[static_cast<std::size_t>(input)]; }
    QLabel* GateLabel(int input) const { return m_gateLabel[static_cast<std::size_t>(input)]; }
    QLabel* VolumeLabel(int input) const { return m_volumeLabel[static_cast<std::size_t>(input)]; }
    CSmallEqPanel* ReverbCurve() const { return m_reverbCurve; }
    CSmallEqPanel* EchoCurve() const { return m_echoCurve; }
    CPeakMeterCtrl* Meter(int i) const { return m_meters[static_cast<std::size_t>(i)]; }
    // Feeds the meters from the last level-meter reply, as the page's timer does.
    void FeedMeters();
    // Selects an effect row as a click on it does.
    void SelectEffectRow(int row) { m_effectRows->Select(row); }

protected:
    void OnKindChanged() override;
    void OnReload() override;
    void OnRelabel() override;
    void OnLock(bool locked) override;
    bool OnWheel(int steps) override { return m_effectRows->Wheel(steps); }

private:
    QWidget* BuildPageButtons();
    QWidget* BuildMicInputs();
    QWidget* BuildMeters();
    QWidget* BuildEffects();
    QWidget* BuildCurves();
    void LoadCurves();
    // The effect settings of the shown microphone channel.
    AddressNames MicNames() const;

    CEqEditor* m_editor = nullptr;
    std::array<CGdipButton*, 3> m_pageButtons{};
    CGridListCtrlEx* m_effectList = nullptr;
    SettingList* m_effectRows = nullptr;
    std::array<std::array<QRadioButton*, 2>, kMicInputs> m_route{};
    std::array<CXBmpSlider*, kMicInputs> m_gate{};
    std::array<CXBmpSlider*, kMicInputs> m_volume{};
    std::array<QLabel*, kMicInputs> m_gateLabel{};
    std::array<QLabel*, kMicInputs> m_volumeLabel{};
    CSmallEqPanel* m_reverbCurve = nullptr;
    CSmallEqPanel* m_echoCurve = nullptr;
    QWidget* m_effects = nullptr;
    QWidget* m_curves = nullptr;
    std::array<CPeakMeterCtrl*, kMeters> m_meters{};
    QTimer m_meterTimer;
};

}  // namespace kv
