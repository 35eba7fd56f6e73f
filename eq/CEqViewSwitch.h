#pragma once
// The three views of the equaliser graph as a row of small buttons in the panel's top margin:
// magnitude, phase and group delay.

#include <QWidget>
#include <array>

#include "eq/EqPanelGeometry.h"

class QToolButton;

namespace kv {

class CEqViewSwitch : public QWidget {
    Q_OBJECT
public:
    explicit CEqViewSwitch(QWidget* parent = nullptr);

    void SetLanguage(int language);
    void SetView(eq::EqView view);
    QToolButton* Button(eq::EqView view) const { return m_buttons[static_cast<std::size_t>(view)]; }

Q_SIGNALS:
    void viewChosen(eq::EqView view);

private:
    std::array<QToolButton*, 3> m_buttons{};
};

}  // namespace kv
