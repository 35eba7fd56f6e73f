#pragma once
// A/B on the frame: "store as A", "store as B" and the switch (also F9, from any window) in
// the status bar, a pane with the memory on show and how many settings differ, which opens
// the A/B window.

#include <QObject>
#include <QPointer>

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

    QToolButton* StoreButton(int memory) const { return memory == 1 ? m_storeB : m_storeA; }
    QToolButton* SwitchButton() const { return m_switch; }
    QToolButton* Pane() const { return m_pane; }
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
    QToolButton* m_storeA = nullptr;
    QToolButton* m_storeB = nullptr;
    QToolButton* m_switch = nullptr;
    QToolButton* m_pane = nullptr;
    QPointer<AbCompareWindow> m_window;
};

}  // namespace kv
