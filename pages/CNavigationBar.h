#pragma once
// The row of eight buttons along the top of the output and dynamics pages: the five outputs,
// then the speaker positions, the delays and the limiters. The hosted page's button is drawn
// pressed. An output button switches the output page in place; the others replace the page,
// and the button of the page already shown does nothing.

#include <QWidget>
#include <array>

#include "ui/PageContext.h"

namespace kv {

class CGdipButton;
class CPageBase;

class CNavigationBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtons = 8;
    static constexpr int kFirstButtonId = 1069;  // language-table identifiers 1069 .. 1076

    struct Target {
        PageId page;
        int kind;  // the output type of an output button
        const char* chinese;
    };
    static const std::array<Target, kButtons>& Targets();

    explicit CNavigationBar(CPageBase& page);

    // Draws the button of the page's id and kind pressed.
    void Mark();
    CGdipButton* Button(int index) const { return m_buttons[static_cast<std::size_t>(index)]; }
    // The button of a page (and output type), or -1.
    static int IndexOf(PageId page, int kind);

private:
    void Go(int index);

    CPageBase& m_page;
    std::array<CGdipButton*, kButtons> m_buttons{};
};

}  // namespace kv
