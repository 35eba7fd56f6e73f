#include "eq/CEqViewSwitch.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

#include "eq/PanelFonts.h"

namespace kv {

namespace {
constexpr const char* kNames[3][2] = {{"幅度", "Magnitude"}, {"相位", "Phase"}, {"群延时", "Group delay"}};
constexpr const char* kObjectNames[3] = {"viewMagnitude", "viewPhase", "viewGroupDelay"};
}  // namespace

CEqViewSwitch::CEqViewSwitch(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("eqViewSwitch"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    // Dark like the plot, the chosen view lit like the panel's title.
    setStyleSheet(QStringLiteral(
        "QToolButton { color: #A0A0A0; background: #202020; border: 1px solid #505050; padding: 0px 4px; }"
        "QToolButton:checked { color: #FFFF00; background: #383838; border-color: #808080; }"));
    for (int v = 0; v < 3; ++v) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(kObjectNames[v]));
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFont(eq::ArialFont(8.0));
        b->setFixedHeight(15);
        group->addButton(b, v);
        row->addWidget(b);
        m_buttons[static_cast<std::size_t>(v)] = b;
    }
    m_buttons[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { Q_EMIT viewChosen(static_cast<eq::EqView>(id)); });
    SetLanguage(0);
}

void CEqViewSwitch::SetLanguage(int language) {
    for (int v = 0; v < 3; ++v)
        m_buttons[static_cast<std::size_t>(v)]->setText(QString::fromUtf8(kNames[v][language == 1 ? 1 : 0]));
    adjustSize();
}

void CEqViewSwitch::SetView(eq::EqView view) { Button(view)->setChecked(true); }

}  // namespace kv
