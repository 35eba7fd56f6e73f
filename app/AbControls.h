#pragma once
// A/B on the frame: one status-bar button that shows the memory on show and how many
// settings differ, switches when clicked (or F9, from any window), and whose menu stores the
// settings as A or B and opens the A/B window. One button: the status bar has little room.

#include <QObject>
#include <QPointer>

class QAction;
class QMainWindow;
class QToolButton;

namespace kv {

class AbCompareWindow;
class AbMemories;
class CKV4420v13App;
class CKV4420v13View;
class CMFCMyRibbonStatusBar;

class AbControls : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoticeMs = 4000;
    AbControls(QMainWindow& frame, CMFCMyRibbonStatusBar& bar, CKV4420v13View& view, CKV4420v13App& app);

    QToolButton* SwitchButton() const { return m_switch; }
    QToolButton* Pane() const { return m_switch; }
    QAction* StoreAction(int memory) const { return memory == 1 ? m_storeB : m_storeA; }
    // The A/B window, created on first use.
    AbCompareWindow* ShowWindow();
    void Store(int memory);
    void Switch();
    void Relabel();

private:
    QMainWindow& m_frame;
    CMFCMyRibbonStatusBar& m_bar;
    CKV4420v13View& m_view;
    CKV4420v13App& m_app;
    AbMemories& m_memories;
    QToolButton* m_switch = nullptr;
    QAction* m_storeA = nullptr;
    QAction* m_storeB = nullptr;
    QAction* m_list = nullptr;
    QPointer<AbCompareWindow> m_window;
};

}  // namespace kv
