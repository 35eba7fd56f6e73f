#include "app/CMFCMyRibbonStatusBar.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/UiText.h"

namespace kv {

namespace {
// Panes are sized by character count like the ribbon's panes; a narrow average keeps
// both inside the window's minimum width.
int PaneWidth(const QWidget* w, int chars) { return w->fontMetrics().averageCharWidth() * chars * 2 / 3; }

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}
}  // namespace

CMFCMyRibbonStatusBar::CMFCMyRibbonStatusBar(int language, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    m_connection = new QLabel(Bi(language, "USB:未连接", "USB:Disconnected"), this);
    m_connection->setObjectName(QStringLiteral("connectionPane"));
    m_connection->setMinimumWidth(PaneWidth(m_connection, kConnectionPaneChars));
    SetTextColour(m_connection, QColor(255, 0, 0));
    addWidget(m_connection);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    addWidget(separator);

    // Until the view knows the box's slot, the pane names the first one in the language on show.
    m_mode = new QLabel(Bi(language, "当前模式：模式一", "Current Mode:Mode1"), this);
    m_mode->setObjectName(QStringLiteral("modePane"));
    FitModePane();
    SetTextColour(m_mode, QColor(255, 0, 0));
    addWidget(m_mode);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("noticePane"));
    // A long notice takes the room that is left rather than pushing the buttons on the right
    // out of the window; its tooltip holds all of it.
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_notice, 1);
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, m_notice, &QLabel::clear);

    m_lock = new QLabel(this);
    m_lock->setObjectName(QStringLiteral("lockPane"));
    SetTextColour(m_lock, QColor(200, 0, 0));
    addPermanentWidget(m_lock);

    m_bypass = new QCheckBox(this);
    m_bypass->setObjectName(QStringLiteral("bypassCheck"));
    m_bypass->setEnabled(false);
    addPermanentWidget(m_bypass);
    m_resetEq = new QPushButton(this);
    m_resetEq->setObjectName(QStringLiteral("resetEqButton"));
    m_resetEq->setFlat(true);
    m_resetEq->setEnabled(false);
    addPermanentWidget(m_resetEq);
    Relabel(language);
}

void CMFCMyRibbonStatusBar::SetConnectionText(const QString& text, const QColor& colour) {
    if (m_connection->text() != text) m_connection->setText(text);
    if (m_connection->palette().color(QPalette::WindowText) != colour) SetTextColour(m_connection, colour);
}

void CMFCMyRibbonStatusBar::SetModeText(const QString& text) {
    m_mode->setText(text);
    FitModePane();
}

void CMFCMyRibbonStatusBar::FitModePane() {
    // Sized for its text (within the 97 characters it was always sized for), not for the 97
    // themselves: the undo, A/B and remote buttons share the bar, and a pane kept wide for a
    // name it does not show cut the notice beside it to "Information: De".
    const int text =
        m_mode->fontMetrics().horizontalAdvance(m_mode->text()) + 2 * m_mode->fontMetrics().averageCharWidth();
    m_mode->setFixedWidth(std::clamp(text, PaneWidth(m_mode, kConnectionPaneChars), PaneWidth(m_mode, kModePaneChars)));
}

void CMFCMyRibbonStatusBar::ShowNotice(const QString& text, int durationMs) {
    m_notice->setText(text);
    m_notice->setToolTip(text);
    if (text.isEmpty())
        m_noticeTimer.stop();
    else
        m_noticeTimer.start(durationMs);
}

void CMFCMyRibbonStatusBar::SetLocked(bool locked, int language) {
    m_locked = locked;
    m_lock->setText(locked ? Bi(language, "已锁定：设置不可更改 (Ctrl+L 解锁)",
                                "Locked: settings cannot be changed (Ctrl+L unlocks)")
                           : QString());
}

void CMFCMyRibbonStatusBar::Relabel(int language) {
    SetLocked(m_locked, language);
    m_bypass->setText(Bi(language, "均衡旁路", "Bypass"));
    m_resetEq->setText(Bi(language, "重置均衡", "Reset EQ"));
}

}  // namespace kv
