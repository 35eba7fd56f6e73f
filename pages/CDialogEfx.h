#pragma once
// The page of one of the four effect-path equalisers (reverb and echo of microphone
// channels A and B), opened from a microphone page's small curves; its back button returns
// to the input page.

#include "pages/CPageBase.h"

namespace kv {

class CGdipButton;

class CDialogEfx : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 421;
    static constexpr int kBackMargin = 2;

    CDialogEfx(PageContext& context, int kind, QWidget* parent = nullptr);

    // The effect kinds: the graph panel's kinds of the four equalisers.
    static bool IsEffectKind(int kind);
    CGdipButton* BackButton() const { return m_back; }

protected:
    void OnKindChanged() override;
    void OnReload() override;
    void OnRelabel() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();

    CEqEditor* m_editor = nullptr;
    CGdipButton* m_back = nullptr;
};

}  // namespace kv
