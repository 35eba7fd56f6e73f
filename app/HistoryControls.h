#pragma once
// Undo and redo on the frame: Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y from any window, two buttons
// whose tooltips name the step, and a window listing the history.

#include <QObject>
#include <QPointer>
#include <functional>

class QMainWindow;
class QToolButton;
class QUndoView;
class QStatusBar;

namespace kv {

class EditHistory;

class HistoryControls : public QObject {
    Q_OBJECT
public:
    HistoryControls(QMainWindow& frame, QStatusBar& bar, EditHistory& history, std::function<int()> language);

    QToolButton* UndoButton() const { return m_undo; }
    QToolButton* RedoButton() const { return m_redo; }
    QToolButton* HistoryButton() const { return m_list; }
    // The history window, created on first use.
    QUndoView* ShowHistory();
    void Relabel();

private:
    QMainWindow& m_frame;
    EditHistory& m_history;
    std::function<int()> m_language;
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
    QToolButton* m_list = nullptr;
    QPointer<QUndoView> m_view;
};

}  // namespace kv
