#include "app/CMainFrame.h"

#include <QCloseEvent>
#include <QShortcut>

#include "app/AbControls.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMyMFCRibbonBar.h"
#include "app/HistoryControls.h"
#include "app/OfflineEditing.h"
#include "app/RemoteAccess.h"
#include "app/UiPrompts.h"
#include "dialogs/AppIcon.h"

namespace kv {

CMainFrame::CMainFrame(CKV4420v13App& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setObjectName(QStringLiteral("mainFrame"));
    setProperty(kWindowProperty, 1);
    setWindowIcon(AppIcon());
    setMinimumSize(kMinWidth, kMinHeight);
    // The frame always starts in the blue style and says so in the settings.
    app.Settings().SetApplicationLook(settings::kDefaultLook);

    m_ribbon = new CMyMFCRibbonBar(app.Language(), this);
    setMenuWidget(m_ribbon);
    m_status = new CMFCMyRibbonStatusBar(app.Language(), this);
    setStatusBar(m_status);
    m_view = new CKV4420v13View(app, *m_ribbon, *m_status, this);
    setCentralWidget(m_view);
    m_history = new HistoryControls(*this, *m_status, m_view->History(), [&app] { return app.Language(); });
    m_ab = new AbControls(*this, *m_status, *m_view, app);
    m_remote = new RemoteAccess(app, *m_status, this);
    m_ribbon->SetRecentFiles(app.Settings().RecentFiles());

    connect(m_ribbon, &CMyMFCRibbonBar::categoryChanged, this, &CMainFrame::OnCategoryChanged);
    connect(m_ribbon, &CMyMFCRibbonBar::openRequested, m_view, &CKV4420v13View::LoadModeFile);
    connect(m_ribbon, &CMyMFCRibbonBar::saveRequested, m_view, &CKV4420v13View::SaveModeFile);
    connect(m_ribbon, &CMyMFCRibbonBar::recentFileRequested, &app, &CKV4420v13App::OpenDocument);
    connect(m_ribbon, &CMyMFCRibbonBar::exitRequested, this, &QWidget::close);
    // The lock toggles from any window of the program, the small ones included.
    auto* lock = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    lock->setContext(Qt::ApplicationShortcut);
    connect(lock, &QShortcut::activated, m_view, &CKV4420v13View::ToggleLock);
}

void CMainFrame::OnCategoryChanged(int category) { m_view->OnCategoryChanged(category); }

void CMainFrame::OnLanguageChanged() {
    m_ribbon->Relabel(m_app.Language());
    m_view->OnLanguageChanged();
    m_history->Relabel();
    m_ab->Relabel();
    m_remote->Relabel();
}

void CMainFrame::Raise() {
    // Restoring returns to the state before minimising, maximised included.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    auto& dev = m_app.Device();
    if (dev.store.SettingsChanged()) {
        const auto answer = m_app.Prompts().Ask(
            this, m_app.Text("保存?", "Save?"),
            m_app.Text("参数已改动，请问是否需要保存?\r\n提示：保存成电脑文件并同时保存至机器的当前模式",
                       "parameter value is changed, do you want save it ?"),
            true);
        if (answer == UiPrompts::Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == UiPrompts::Answer::Yes && m_app.Offline().Active()) {
            // The file being edited is saved in place; a failed save keeps the window open.
            if (!m_app.Offline().Save()) {
                event->ignore();
                return;
            }
        } else if (answer == UiPrompts::Answer::Yes) {
            const QString path = m_app.Prompts().SaveFile(this, QStringLiteral("preset"), QStringLiteral("K4v9"),
                                                          QStringLiteral("Mode Files (*.K4v9)"), m_app.ModeFolder());
            if (!path.isEmpty()) m_view->SaveModeFileTo(path);
        }
    }
    m_app.Shutdown();
    event->accept();
}

}  // namespace kv
