#pragma once
// The limiter page: for each of the five outputs an enable box, threshold, ratio, attack and
// release sliders with their values, and the static curve they give.

#include <array>

#include "pages/CPageBase.h"

class QCheckBox;
class QLabel;

namespace kv {

class CCompressPanelPlus;
class CNavigationBar;
class CXBmpSlider;

class CCompDlg : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 346;
    static constexpr int kBlocks = 5;  // MAIN, REAR, Center, SUB, TOP
    enum Slider { kThreshold, kRatio, kAttack, kRelease, kSliders };
    static constexpr double kFloorDb = -90.0;

    CCompDlg(PageContext& context, int kind = 0, QWidget* parent = nullptr);

    CNavigationBar* Navigation() const { return m_nav; }
    QCheckBox* EnableBox(int block) const { return m_blocks[static_cast<std::size_t>(block)].enable; }
    CXBmpSlider* SliderOf(int block, int slider) const {
        return m_blocks[static_cast<std::size_t>(block)].sliders[static_cast<std::size_t>(slider)];
    }
    QLabel* ValueOf(int block, int slider) const {
        return m_blocks[static_cast<std::size_t>(block)].values[static_cast<std::size_t>(slider)];
    }
    CCompressPanelPlus* Panel(int block) const { return m_blocks[static_cast<std::size_t>(block)].panel; }

protected:
    void OnReload() override;

private:
    struct Block {
        QCheckBox* enable = nullptr;
        std::array<CXBmpSlider*, kSliders> sliders{};
        std::array<QLabel*, kSliders> values{};
        CCompressPanelPlus* panel = nullptr;
        int firstHandle = 0;  // binder rows: enable, then the four sliders
    };
    QWidget* BuildBlock(int block);
    void AddRows(int block);
    void SyncPanel(int block);

    CNavigationBar* m_nav = nullptr;
    std::array<Block, kBlocks> m_blocks{};
};

}  // namespace kv
