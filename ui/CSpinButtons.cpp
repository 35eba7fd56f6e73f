#include "ui/CSpinButtons.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kv {

CSpinButtons::CSpinButtons(QWidget* parent) : QWidget(parent) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    for (auto [button, arrow, delta] : {std::tuple{&m_up, Qt::UpArrow, 1}, std::tuple{&m_down, Qt::DownArrow, -1}}) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, d = delta] { Q_EMIT stepped(d); });
        v->addWidget(b);
        *button = b;
    }
    setFixedWidth(16);
}

void CSpinButtons::SetRange(int minimum, int maximum) {
    m_min = std::min(minimum, maximum);
    m_max = std::max(minimum, maximum);
    SetPosition(m_position);
}

void CSpinButtons::SetPosition(int position) { m_position = std::clamp(position, m_min, m_max); }

}  // namespace kv
