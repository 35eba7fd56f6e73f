#pragma once
// The modeless auxiliary windows of the application, at most one of each: created on
// first use, centred over the main window, refreshed and relabelled when opened, their
// slot cleared when they are destroyed, all destroyed when a box is plugged in. Also runs
// the modal noise-gate dialog and hands a learned remote key to the learning dialog.
// It is the windows' view of the application.

#include <QObject>
#include <QPointer>

#include "dialogs/AuxContext.h"

namespace kv {

class CAutoMusicVolDlg;
class CAutoSubDlg;
class CDialogNG;
class CKV4420v13App;
class CRemoteDlg;
class CSetDlg;

class AuxWindows : public QObject, public AuxContext {
    Q_OBJECT
public:
    explicit AuxWindows(CKV4420v13App& app, QObject* parent = nullptr);
    ~AuxWindows() override;

    void OpenDeviceSettings();
    void OpenRemoteControl();
    void OpenAutoSub();
    void OpenMusicAgc();
    // Modal; a request while it is open is ignored.
    void RunNoiseGate();

    void DestroyAll();
    // The automatic windows from the store, after a synchronisation.
    void RefreshAutomatic();
    // Every open window in the new language.
    void Relabel();
    void KeyLearned(int keyCode);
    // Every open window locked or usable, as the application's state says.
    void ApplyLock();

    CSetDlg* DeviceSettings() const;
    CRemoteDlg* RemoteControl() const;
    CAutoSubDlg* AutoSub() const;
    CAutoMusicVolDlg* MusicAgc() const;
    CDialogNG* NoiseGate() const;

    // What the windows see of the application.
    DeviceContext& Device() override;
    int Language() const override;
    void ApplyTable(QWidget* window, int dialog) const override;
    void Notice(const QString& text, int durationMs) override;
    void ShowPage(PageId id, int kind) override;
    PageState& State() override;
    void Message(const QString& caption, const QString& text, Icon icon) override;
    bool AskYes(const QString& caption, const QString& text) override;
    bool AskDestructive(const QString& caption, const QString& text) override;
    QString OpenFile(const QString& filter) override;
    QString SaveFile(const QString& defaultSuffix, const QString& filter) override;
    void ReadBack() override;
    QWidget* MainWindow() override;

private:
    template <typename Window>
    Window* Show(QPointer<Window>& slot, bool refreshOpen);

    CKV4420v13App& m_app;
    PageState m_fallbackState;
    QPointer<CSetDlg> m_settings;
    QPointer<CRemoteDlg> m_remote;
    QPointer<CAutoSubDlg> m_autoSub;
    QPointer<CAutoMusicVolDlg> m_agc;
    QPointer<CDialogNG> m_noiseGate;
};

}  // namespace kv
