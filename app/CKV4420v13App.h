#pragma once
// The application object: owns the core (store, link, synchronisation), the settings, the
// language table, the prompts, the main window, the progress dialog and the transient
// notice, and the application-wide function keys.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTranslator>
#include <functional>
#include <memory>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/SocketHotplugWatcher.h"
#include "connect/TransportUri.h"
#include "device/DeviceContext.h"
#include "dialogs/CInfoDlg.h"
#include "dialogs/CSynDlg.h"
#include "ui/LanguageTable.h"

namespace kv {

class AuxWindows;
class CAboutDlg;
class CKV4420v13View;
class HotplugWatcher;
class OfflineEditing;
class SimBox;
class UiPrompts;

struct AppOptions {
    TransportUri uri;                // the real box unless told otherwise
    std::shared_ptr<SimBox> simBox;  // serves "sim"; created when not given
    TransportOpener opener;          // replaces the URI's opener when set
    // While a mode file is edited (uri file:PATH): the box that may arrive; hid unless told.
    TransportUri boxUri;
    LinkTimings linkTimings;
    SyncTimings syncTimings;
    EncoderTimings encoderTimings;
    int startDelayMs = 250;    // look for the box this long after start
    int syncGiveUpMs = 20000;  // the progress dialog gives up after this
    int socketPollMs = SocketHotplugWatcher::kPollMs;
    std::shared_ptr<UiPrompts> prompts;  // message boxes and file dialogs; real ones when not given
};

class CKV4420v13App : public QObject {
    Q_OBJECT
public:
    static constexpr char kCaption[] = "DSP-4420-v3.1.1";
    static constexpr char kInstanceName[] = "DSP-Audio-K4420";
    static constexpr char kShellAppId[] = "DSP_4420_V2.8";

    explicit CKV4420v13App(AppOptions options = {});
    const AppOptions& Options() const { return m_options; }
    ~CKV4420v13App() override;

    // Creates the main window, opens a mode file given on the command line, shows the window.
    // With no box found at start, that file is edited in the box's place.
    void Start(const QString& modeFile = {});
    // Closes the link (telling the box) and joins a running synchronisation.
    void Shutdown();
    // Once shut down, the box is never opened again.
    bool ShutDown() const { return m_shutDown; }

    CMainFrame* Frame() const { return m_frame; }
    CKV4420v13View* View() const;
    DeviceContext& Device() { return *m_device; }
    SimBox* Sim() const { return m_sim.get(); }
    HotplugWatcher* Watcher() const { return m_watcher.get(); }
    // Editing a mode file in the box's place.
    OfflineEditing& Offline() { return *m_offline; }
    UiPrompts& Prompts() { return *m_prompts; }
    AppSettings& Settings() { return m_settings; }

    int Language() const { return m_language; }
    // Inverts the language, stores it and re-labels everything that is open.
    void ToggleLanguage();
    QString Text(const char* chinese, const char* english) const;
    // The dialog texts of the current language.
    const LanguageTable& Table() const { return m_table; }

    int TargetSlot() const { return m_targetSlot; }
    void SetTargetSlot(int slot) { m_targetSlot = slot; }

    // Runs the progress dialog modally unless one is open; returns when it ended.
    void RunSyncProgress();
    void CloseSyncProgress();
    CSynDlg* SyncDialog() const { return m_syncDlg; }

    void ShowInformation(const QString& text, int durationMs);
    CInfoDlg* InfoWindow() const { return m_info; }
    // The about box, modal; the returned pointer is only valid inside aboutShown handlers.
    void ShowAbout();
    // A mode file from the recent-file list or the command line.
    void OpenDocument(const QString& path);
    // Also remembers the file's folder for the next file dialog.
    void AddRecentFile(const QString& path);
    // Where the mode-file dialogs start: the folder last used, or the home folder.
    QString ModeFolder() const;
    void DestroyAuxWindows();

    // The modeless auxiliary windows and the noise-gate dialog.
    AuxWindows& Aux() { return *m_aux; }

Q_SIGNALS:
    void aboutShown(kv::CAboutDlg* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppOptions m_options;
    std::shared_ptr<SimBox> m_sim;
    std::unique_ptr<DeviceContext> m_device;
    std::unique_ptr<HotplugWatcher> m_watcher;
    std::unique_ptr<OfflineEditing> m_offline;
    std::shared_ptr<UiPrompts> m_prompts;
    std::unique_ptr<AuxWindows> m_aux;
    AppSettings m_settings;
    LanguageTable m_table;
    int m_language = 0;
    int m_targetSlot = -1;
    QPointer<CMainFrame> m_frame;
    QPointer<CSynDlg> m_syncDlg;
    QPointer<CInfoDlg> m_info;
    bool m_shutDown = false;
    // Qt's own texts (standard buttons, file dialogs) in the interface's language.
    QTranslator m_qtTexts;
    void ApplyQtTexts();
};

}  // namespace kv
