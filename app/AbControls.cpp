#include "app/AbControls.h"

#include <QAction>
#include <QMainWindow>
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
    const auto button = [&bar](const char* name, const QString& text) {
        auto* b = new QToolButton(&bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setAutoRaise(true);
        bar.addPermanentWidget(b);
        return b;
    };
    m_storeA = button("abStoreA", QStringLiteral("→A"));
    m_storeB = button("abStoreB", QStringLiteral("→B"));
    m_switch = button("abSwitch", QStringLiteral("A⇄B"));
    m_pane = button("abPane", QString());
    connect(m_storeA, &QToolButton::clicked, this, [this] { Store(AbMemories::kA); });
    connect(m_storeB, &QToolButton::clicked, this, [this] { Store(AbMemories::kB); });
    connect(m_switch, &QToolButton::clicked, this, &AbControls::Switch);
    connect(m_pane, &QToolButton::clicked, this, [this] { ShowWindow(); });
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
    m_storeA->setToolTip(en ? QStringLiteral("Store the settings as memory A")
                            : QStringLiteral("把当前参数存为记忆 A"));
    m_storeB->setToolTip(en ? QStringLiteral("Store the settings as memory B")
                            : QStringLiteral("把当前参数存为记忆 B"));
    m_switch->setToolTip(en ? QStringLiteral("Switch between A and B (F9): sends only the settings that differ")
                            : QStringLiteral("在 A 与 B 之间切换 (F9): 只发送不同的参数"));
    const int active = m_memories.Active();
    QString shown = active == AbMemories::kNone ? QStringLiteral("A/B") : AbMemories::MemoryName(active);
    if (m_memories.Modified()) shown += QLatin1Char('*');
    const int count = m_memories.DifferingCount();
    QString text;
    if (count < 0)
        text = en ? QStringLiteral("%1 · one memory empty").arg(shown) : QStringLiteral("%1 · 有记忆为空").arg(shown);
    else
        text = en ? QStringLiteral("%1 · %2 differ").arg(shown).arg(count)
                  : QStringLiteral("%1 · %2 项不同").arg(shown).arg(count);
    m_pane->setText(text);
    m_pane->setToolTip(
        en ? QStringLiteral("The memory on show and the settings in which A and B differ: click to list them")
           : QStringLiteral("当前记忆及 A、B 不同的参数数目: 点击列出"));
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
