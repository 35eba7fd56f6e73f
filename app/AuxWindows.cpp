#include "app/AuxWindows.h"

#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "app/UiPrompts.h"
#include "dialogs/CAutoMusicVolDlg.h"
#include "dialogs/CAutoSubDlg.h"
#include "dialogs/CDialogNG.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSetDlg.h"

namespace kv {

AuxWindows::AuxWindows(CKV4420v13App& app, QObject* parent) : QObject(parent), m_app(app) {}

AuxWindows::~AuxWindows() = default;

template <typename Window>
Window* AuxWindows::Show(QPointer<Window>& slot, bool refreshOpen) {
    const bool created = !slot;
    if (created) {
        slot = new Window(*this, m_app.Frame());
        // Centred over the main window at the size it opens with, not at a default size.
        slot->adjustSize();
        if (QWidget* main = m_app.Frame()) slot->move(main->frameGeometry().center() - slot->rect().center());
    }
    slot->ApplyLock();
    if (!created && refreshOpen) slot->Refresh();
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

// Settings being edited are not thrown away by a second request.
void AuxWindows::OpenDeviceSettings() {
    const bool created = !m_settings;
    Show(m_settings, false);
    // The power-on sliders set the live levels too: the ribbon shows them from the store.
    if (created)
        connect(&m_settings->Bind(), &Binder::issued, this, [this] {
            if (CKV4420v13View* view = m_app.View()) view->ReloadRibbon();
        });
}
void AuxWindows::OpenRemoteControl() { Show(m_remote, true); }
void AuxWindows::OpenAutoSub() { Show(m_autoSub, true); }
void AuxWindows::OpenMusicAgc() { Show(m_agc, true); }

void AuxWindows::RunNoiseGate() {
    if (m_noiseGate) return;
    CDialogNG dialog(*this, m_app.Frame());
    m_noiseGate = &dialog;
    dialog.exec();
}

void AuxWindows::DestroyAll() {
    // Deferred: a remote window may be waiting in its learning dialog further up the stack.
    // The slots are free at once.
    if (m_remote && m_remote->Study()) m_remote->Study()->reject();
    const auto destroy = [](QWidget* window) {
        if (!window) return;
        window->hide();
        window->deleteLater();
    };
    destroy(m_settings);
    destroy(m_remote);
    destroy(m_autoSub);
    destroy(m_agc);
    m_settings = nullptr;
    m_remote = nullptr;
    m_autoSub = nullptr;
    m_agc = nullptr;
}

void AuxWindows::RefreshAutomatic() {
    if (m_autoSub) m_autoSub->Refresh();
    if (m_agc) m_agc->Refresh();
}

void AuxWindows::Relabel() {
    if (m_settings) m_settings->Relabel();
    if (m_remote) m_remote->Refresh();
    RefreshAutomatic();
}

void AuxWindows::ApplyLock() {
    if (m_settings) m_settings->ApplyLock();
    if (m_remote) m_remote->ApplyLock();
    if (m_autoSub) m_autoSub->ApplyLock();
    if (m_agc) m_agc->ApplyLock();
}

void AuxWindows::KeyLearned(int keyCode) {
    if (m_remote && m_remote->Study()) m_remote->Study()->KeyLearned(keyCode);
}

CSetDlg* AuxWindows::DeviceSettings() const { return m_settings; }
CRemoteDlg* AuxWindows::RemoteControl() const { return m_remote; }
CAutoSubDlg* AuxWindows::AutoSub() const { return m_autoSub; }
CAutoMusicVolDlg* AuxWindows::MusicAgc() const { return m_agc; }
CDialogNG* AuxWindows::NoiseGate() const { return m_noiseGate; }

DeviceContext& AuxWindows::Device() { return m_app.Device(); }
int AuxWindows::Language() const { return m_app.Language(); }
void AuxWindows::ApplyTable(QWidget* window, int dialog) const { m_app.Table().Apply(window, dialog); }
void AuxWindows::Notice(const QString& text, int durationMs) { m_app.ShowInformation(text, durationMs); }

void AuxWindows::ShowPage(PageId id, int kind) {
    if (CKV4420v13View* view = m_app.View()) view->ShowPage(id, kind);
}

PageState& AuxWindows::State() {
    CKV4420v13View* view = m_app.View();
    return view ? view->State() : m_fallbackState;
}

void AuxWindows::Message(const QString& caption, const QString& text, Icon icon) {
    m_app.Prompts().Message(m_app.Frame(), caption, text,
                            icon == Icon::Warning ? UiPrompts::Icon::Warning : UiPrompts::Icon::Information);
}

bool AuxWindows::AskYes(const QString& caption, const QString& text) {
    return m_app.Prompts().Ask(m_app.Frame(), caption, text, false) == UiPrompts::Answer::Yes;
}

bool AuxWindows::AskDestructive(const QString& caption, const QString& text) {
    return m_app.Prompts().AskDestructive(m_app.Frame(), caption, text) == UiPrompts::Answer::Yes;
}

// Remote files start where the mode files were last kept: the installer's folder for this box.
QString AuxWindows::OpenFile(const QString& filter) {
    return m_app.Prompts().OpenFile(m_app.Frame(), filter, m_app.ModeFolder());
}

QString AuxWindows::SaveFile(const QString& defaultSuffix, const QString& filter) {
    return m_app.Prompts().SaveFile(m_app.Frame(), QString(), defaultSuffix, filter, m_app.ModeFolder());
}

void AuxWindows::ReadBack() {
    if (CKV4420v13View* view = m_app.View()) view->Connection().RunReadBack();
}

QWidget* AuxWindows::MainWindow() { return m_app.Frame(); }

}  // namespace kv
