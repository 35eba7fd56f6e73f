#pragma once
// An (x, y) pair of settings typed into two edit boxes, each with spin buttons that hold the
// value in steps: the room's size and every point of the speaker page. Enter in either box
// reads both; a spin press steps its own axis. What a value means is the page's business.

#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "ui/NumberText.h"

class QGridLayout;
class QLineEdit;

namespace kv {

class CSpinButtons;
class PageContext;

class PointBoxes : public QObject {
    Q_OBJECT
public:
    using TextOf = QString (*)(double value);
    // `stepsPerUnit` spin positions make one unit of the settings' values.
    PointBoxes(QWidget* owner, const std::array<QString, 2>& names, const std::array<const Setting*, 2>& settings,
               TextOf text, int stepsPerUnit);

    QLineEdit* Edit(int axis) const { return m_edit[static_cast<std::size_t>(axis)]; }
    CSpinButtons* Spin(int axis) const { return m_spin[static_cast<std::size_t>(axis)]; }
    // The axis whose box is `w`, or -1.
    int AxisOf(const QWidget* w) const;
    // Box `axis` at column `column` of `row`, its spin buttons beside it.
    void Place(QGridLayout& grid, int row, int axis, int column) const;

    // The box's text and the spin buttons' position for a value.
    void Show(int axis, double value);
    void ShowText(int axis, double value);
    // One spin step (the sign of `delta`) within the spin range: the box shows it, the value
    // is returned.
    double StepAxis(int axis, int delta);
    // A box read as its setting reads it; a refused text's reason shown on it.
    BoxValue Read(int axis, PageContext& context);
    // The box's value, or `fallback` (then shown in it) when its text is refused.
    double ReadOr(int axis, PageContext& context, double fallback);
    // Both boxes; nothing when either is refused.
    std::optional<std::array<double, 2>> ReadBoth(PageContext& context);

Q_SIGNALS:
    void typed();
    void stepped(int axis, int delta);

private:
    std::array<QLineEdit*, 2> m_edit{};
    std::array<CSpinButtons*, 2> m_spin{};
    std::array<const Setting*, 2> m_setting{};
    TextOf m_text;
    int m_steps;
};

}  // namespace kv
