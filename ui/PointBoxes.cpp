#include "ui/PointBoxes.h"

#include <QGridLayout>
#include <QLineEdit>

#include "model/Rounding.h"
#include "ui/CSpinButtons.h"
#include "ui/PageContext.h"

namespace kv {

PointBoxes::PointBoxes(QWidget* owner, const std::array<QString, 2>& names,
                       const std::array<const Setting*, 2>& settings, TextOf text, int stepsPerUnit)
    : QObject(owner), m_setting(settings), m_text(text), m_steps(stepsPerUnit) {
    for (std::size_t a = 0; a < 2; ++a) {
        auto* e = new QLineEdit(owner);
        e->setObjectName(names[a]);
        e->setFixedWidth(62);
        e->setAlignment(Qt::AlignCenter);
        m_edit[a] = e;
        m_spin[a] = new CSpinButtons(owner);
        connect(e, &QLineEdit::returnPressed, this, &PointBoxes::typed);
        connect(m_spin[a], &CSpinButtons::stepped, this, [this, a](int d) { Q_EMIT stepped(static_cast<int>(a), d); });
    }
}

int PointBoxes::AxisOf(const QWidget* w) const { return w == m_edit[0] ? 0 : w == m_edit[1] ? 1 : -1; }

void PointBoxes::Place(QGridLayout& grid, int row, int axis, int column) const {
    grid.addWidget(Edit(axis), row, column);
    grid.addWidget(Spin(axis), row, column + 1);
}

void PointBoxes::Show(int axis, double value) {
    ShowText(axis, value);
    Spin(axis)->SetPosition(RoundedPosition(value * m_steps));
}

void PointBoxes::ShowText(int axis, double value) { Edit(axis)->setText(m_text(value)); }

double PointBoxes::StepAxis(int axis, int delta) {
    CSpinButtons* spin = Spin(axis);
    spin->SetPosition(spin->Position() + (delta > 0 ? 1 : delta < 0 ? -1 : 0));
    const double v = static_cast<double>(spin->Position()) / m_steps;
    ShowText(axis, v);
    return v;
}

BoxValue PointBoxes::Read(int axis, PageContext& context) {
    QLineEdit* box = Edit(axis);
    const QString text = box->text();
    BoxValue v = ReadBox(*m_setting[static_cast<std::size_t>(axis)], text, context.Language());
    if (v)
        ClearRefused(box);
    else
        ShowRefused(context, box, text, v.reason);
    return v;
}

double PointBoxes::ReadOr(int axis, PageContext& context, double fallback) {
    const BoxValue v = Read(axis, context);
    if (v) return *v.value;
    ShowText(axis, fallback);
    return fallback;
}

std::optional<std::array<double, 2>> PointBoxes::ReadBoth(PageContext& context) {
    const BoxValue x = Read(0, context);
    const BoxValue y = Read(1, context);
    if (!x || !y) return std::nullopt;
    return std::array<double, 2>{*x.value, *y.value};
}

}  // namespace kv
