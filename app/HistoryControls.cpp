#include "app/HistoryControls.h"

#include <QAction>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolButton>
#include <QUndoView>

#include "ui/EditHistory.h"
#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kHistoryWidth = 320;
constexpr int kHistoryHeight = 420;
}  // namespace

HistoryControls::HistoryControls(QMainWindow& frame, QStatusBar& bar, EditHistory& history,
                                 std::function<int()> language)
    : QObject(&frame), m_frame(frame), m_history(history), m_language(std::move(language)) {
    // Actions rather than shortcuts: the frame's one shortcut object is the lock's.
    const auto shortcut = [this](QKeySequence keys, void (EditHistory::*action)()) {
        auto* a = new QAction(this);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        m_frame.addAction(a);
        connect(a, &QAction::triggered, &m_history, action);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &EditHistory::Undo);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &EditHistory::Redo);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &EditHistory::Redo);

    const auto button = [&bar](const char* name, const QString& text) {
        auto* b = new QToolButton(&bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setAutoRaise(true);
        bar.addPermanentWidget(b);
        return b;
    };
    m_undo = button("undoButton", QStringLiteral("↶"));
    m_redo = button("redoButton", QStringLiteral("↷"));
    m_list = button("historyButton", QStringLiteral("☰"));
    connect(m_undo, &QToolButton::clicked, &m_history, &EditHistory::Undo);
    connect(m_redo, &QToolButton::clicked, &m_history, &EditHistory::Redo);
    connect(m_list, &QToolButton::clicked, this, [this] { ShowHistory(); });
    QUndoStack& stack = m_history.Stack();
    connect(&stack, &QUndoStack::canUndoChanged, m_undo, &QWidget::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, m_redo, &QWidget::setEnabled);
    connect(&stack, &QUndoStack::undoTextChanged, this, &HistoryControls::Relabel);
    connect(&stack, &QUndoStack::redoTextChanged, this, &HistoryControls::Relabel);
    m_undo->setEnabled(stack.canUndo());
    m_redo->setEnabled(stack.canRedo());
    Relabel();
}

void HistoryControls::Relabel() {
    const bool en = m_language() == kLanguageEnglish;
    const QUndoStack& stack = m_history.Stack();
    const auto tip = [en](const char* zh, const char* eng, const QString& step) {
        const QString what = QString::fromUtf8(en ? eng : zh);
        return step.isEmpty() ? what : what + QStringLiteral(": ") + step;
    };
    m_undo->setToolTip(tip("撤销 (Ctrl+Z)", "Undo (Ctrl+Z)", stack.undoText()));
    m_redo->setToolTip(tip("重做 (Ctrl+Y)", "Redo (Ctrl+Y)", stack.redoText()));
    m_list->setToolTip(QString::fromUtf8(en ? "Edit history" : "操作记录"));
    if (m_view) {
        m_view->setWindowTitle(QString::fromUtf8(en ? "Edit history" : "操作记录"));
        m_view->setEmptyLabel(QString::fromUtf8(en ? "<as read from the box>" : "<设备原有参数>"));
    }
}

QUndoView* HistoryControls::ShowHistory() {
    if (!m_view) {
        m_view = new QUndoView(&m_history.Stack(), &m_frame);
        m_view->setObjectName(QStringLiteral("historyWindow"));
        m_view->setWindowFlags(Qt::Tool);
        m_view->resize(kHistoryWidth, kHistoryHeight);
        Relabel();
    }
    m_view->show();
    m_view->raise();
    return m_view;
}

}  // namespace kv
