#include "app/AbControls.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include "app/AbCompareWindow.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "device/DeviceContext.h"
#include "ui/AbMemories.h"
#include "ui/UiText.h"

namespace kv {

AbControls::AbControls(QMainWindow& frame, CMFCMyRibbonStatusBar& bar, CKV4420v13View& view, CKV4420v13App& app)
    : QObject(&frame), m_frame(frame), m_bar(bar), m_view(view), m_app(app), m_memories(view.Memories()) {
    m_switch = new QToolButton(&bar);
    m_switch->setObjectName(QStringLiteral("abSwitch"));
    m_switch->setAutoRaise(true);
    m_switch->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(m_switch);
    m_storeA = menu->addAction(QString(), this, [this] { Store(AbMemories::kA); });
    m_storeB = menu->addAction(QString(), this, [this] { Store(AbMemories::kB); });
    menu->addSeparator();
    m_list = menu->addAction(QString(), this, [this] { ShowWindow(); });
    m_switch->setMenu(menu);
    bar.addPermanentWidget(m_switch);
    connect(m_switch, &QToolButton::clicked, this, &AbControls::Switch);
    // An action, as the undo keys: the frame's one shortcut object is the lock's.
    auto* f9 = new QAction(this);
    f9->setShortcut(QKeySequence(Qt::Key_F9));
    f9->setShortcutContext(Qt::ApplicationShortcut);
    m_frame.addAction(f9);
    connect(f9, &QAction::triggered, this, &AbControls::Switch);
    connect(&m_memories, &AbMemories::changed, this, &AbControls::Relabel);
    // A read-back may bring the settings of a memory.
    connect(&m_view.Connection(), &ConnectionLifecycle::accepted, &m_memories, &AbMemories::Follow);

    for (const QString& problem : m_memories.Load(m_app.Language())) m_bar.ShowNotice(problem, kNoticeMs);
    Relabel();
}

void AbControls::Store(int memory) {
    QString problem;
    if (!m_memories.StoreCurrent(memory, &problem, m_app.Language())) {
        m_bar.ShowNotice(problem, kNoticeMs);
        return;
    }
    m_bar.ShowNotice(m_app.Language() == kLanguageEnglish
                         ? QStringLiteral("The settings are stored as memory %1").arg(AbMemories::MemoryName(memory))
                         : QStringLiteral("当前参数已存为记忆 %1").arg(AbMemories::MemoryName(memory)),
                     kNoticeMs);
}

void AbControls::Switch() {
    // A switch changes settings: not while locked, and not into a box that is not there.
    if (m_view.Locked()) {
        m_bar.ShowNotice(m_app.Text("已锁定: 不能切换 A/B", "Locked: A/B does not switch"), kNoticeMs);
        return;
    }
    if (!m_view.Connected()) {
        m_bar.ShowNotice(m_app.Text("请先连接设备!", "Please connect device!"), kNoticeMs);
        return;
    }
    if (m_app.Device().sync.Running()) {
        m_bar.ShowNotice(m_app.Text("正在同步，请稍后再切换", "Synchronising: switch when it has ended"), kNoticeMs);
        return;
    }
    QString problem;
    m_memories.Switch(&problem, m_app.Language());
    if (!problem.isEmpty()) m_bar.ShowNotice(problem, kNoticeMs);
}

void AbControls::Relabel() {
    const bool en = m_app.Language() == kLanguageEnglish;
    m_storeA->setText(en ? QStringLiteral("Store the settings as memory A") : QStringLiteral("把当前参数存为记忆 A"));
    m_storeB->setText(en ? QStringLiteral("Store the settings as memory B") : QStringLiteral("把当前参数存为记忆 B"));
    m_list->setText(en ? QStringLiteral("Settings that differ...") : QStringLiteral("不同的参数..."));
    const int active = m_memories.Active();
    QString shown = active == AbMemories::kNone ? QStringLiteral("A/B") : AbMemories::MemoryName(active);
    if (m_memories.Modified()) shown += QLatin1Char('*');
    const int count = m_memories.DifferingCount();
    QString text;
    const bool hasA = m_memories.Has(AbMemories::kA), hasB = m_memories.Has(AbMemories::kB);
    if (!hasA && !hasB)
        text = en ? QStringLiteral("A/B empty") : QStringLiteral("A/B 空");
    else if (count < 0)
        text = (en ? QStringLiteral("%1 · %2 empty") : QStringLiteral("%1 · %2 空"))
                   .arg(shown, AbMemories::MemoryName(hasA ? AbMemories::kB : AbMemories::kA));
    else
        text = en ? QStringLiteral("%1 · %2 differ").arg(shown).arg(count)
                  : QStringLiteral("%1 · %2 项不同").arg(shown).arg(count);
    m_switch->setText(text);
    m_switch->setToolTip(en ? QStringLiteral("A/B: the memory on show (* tuned since) and the settings in which A and "
                                             "B differ.\nClick or F9 switches, sending only those; the arrow stores "
                                             "the settings as A or B and lists the differences.")
                            : QStringLiteral("A/B: 当前记忆(* 表示之后已调整)及 A、B 不同的参数数目。\n单击或 F9 "
                                             "切换，只发送不同的参数；箭头菜单可存为 A 或 B，并列出不同的参数。"));
    if (m_window && m_window->isVisible()) m_window->Refresh();
}

AbCompareWindow* AbControls::ShowWindow() {
    if (!m_window)
        m_window = new AbCompareWindow(
            m_memories, [this] { return m_app.Language(); }, &m_frame);
    m_window->show();
    m_window->raise();
    return m_window;
}

}  // namespace kv
