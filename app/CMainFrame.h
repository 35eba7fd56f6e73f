#pragma once
// The top-level window: ribbon above, status bar below, the main view between. Asks
// whether to save changed parameters before it closes, then closes the link.

#include <QMainWindow>

namespace kv {

class CKV4420v13App;
class CKV4420v13View;
class CMFCMyRibbonStatusBar;
class CMyMFCRibbonBar;
class HistoryControls;
class AbControls;
class RemoteAccess;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 1170;
    static constexpr int kMinHeight = 700;
    static constexpr char kWindowProperty[] = "DSP-Audio-K4420";

    explicit CMainFrame(CKV4420v13App& app, QWidget* parent = nullptr);

    CMyMFCRibbonBar* Ribbon() const { return m_ribbon; }
    CMFCMyRibbonStatusBar* Status() const { return m_status; }
    CKV4420v13View* View() const { return m_view; }
    HistoryControls* History() const { return m_history; }
    AbControls* Ab() const { return m_ab; }
    RemoteAccess* Remote() const { return m_remote; }

    void OnLanguageChanged();
    // Brings the window to the front, restoring it when minimised.
    void Raise();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCategoryChanged(int category);

    CKV4420v13App& m_app;
    CMyMFCRibbonBar* m_ribbon = nullptr;
    CMFCMyRibbonStatusBar* m_status = nullptr;
    CKV4420v13View* m_view = nullptr;
    HistoryControls* m_history = nullptr;
    AbControls* m_ab = nullptr;
    RemoteAccess* m_remote = nullptr;
};

}  // namespace kv
