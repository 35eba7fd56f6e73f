#pragma once
// The noise-gate settings: opening and closing speed of the microphone and the music gate.
// Modal; every slider step is stored and sent at once, so its buttons only close it.

#include <QDialog>
#include <array>

#include "ui/BindHost.h"

class QLabel;

namespace kv {

class CXBmpSlider;
class PageContext;

class CDialogNG : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 423;
    enum Slider { kMicOpen, kMicClose, kMusicOpen, kMusicClose, kSliderCount };

    explicit CDialogNG(PageContext& context, QWidget* parent = nullptr);

    CXBmpSlider* SliderAt(int slider) const { return m_sliders[static_cast<std::size_t>(slider)]; }
    QLabel* ValueAt(int slider) const { return m_values[static_cast<std::size_t>(slider)]; }

private:
    BindHost m_host;
    std::array<CXBmpSlider*, kSliderCount> m_sliders{};
    std::array<QLabel*, kSliderCount> m_values{};
};

}  // namespace kv
