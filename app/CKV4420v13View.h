#pragma once
// The main view: carries out the master controls of the ribbon (volumes, mutes, sources,
// pitch, noise gate, user-mode slots, mode files, device reset), keeps the status-bar
// panes, hosts one processing page at a time and owns the connection lifecycle.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "app/CMyMFCRibbonBar.h"
#include "app/ConnectionLifecycle.h"
#include "device/StoreCheck.h"
#include "model/ModeFile.h"
#include "pages/CPageBase.h"
#include "ui/Binder.h"
#include "ui/EditHistory.h"
#include "ui/PageContext.h"

namespace kv {

class CKV4420v13App;
class CMFCMyRibbonStatusBar;

class CKV4420v13View : public QWidget, public PageContext {
    Q_OBJECT
public:
    static constexpr int kMinPageWidth = 1024;
    static constexpr int kMinPageHeight = 520;
    static constexpr int kSavingNoticeMs = 2500;
    static constexpr int kSavingNoticeDelayMs = 500;
    static constexpr int kRestartNoticeMs = 20000;
    static constexpr int kModeNameChars = 20;
    static constexpr int kPaneUpdateMs = 200;

    CKV4420v13View(CKV4420v13App& app, CMyMFCRibbonBar& ribbon, CMFCMyRibbonStatusBar& status,
                   QWidget* parent = nullptr);

    ConnectionLifecycle& Connection() { return m_connection; }
    EditHistory& History() { return *m_history; }
    void Edited() override;
    void EditedAs(const QString& chinese, const QString& english) override;
    bool Connected() const { return m_connection.Connected(); }

    // Every control from the store, after an accepted synchronisation.
    void RefreshFromStore();
    // The ribbon's controls from the store, sending nothing (a level set from another window).
    void ReloadRibbon();
    void OnLanguageChanged();
    void OnCategoryChanged(int category);
    void UpdateConnectionPane();
    void UpdateModePane();
    void UpdateMusicSourceCaption();

    // Page host: exactly one page at a time, sized to the page rectangle. A page of the id
    // on show only changes its kind; another one replaces it (deleted later, as the request
    // may come from a button of the page itself).
    void ShowPage(PageId id, int kind) override;
    CPageBase* Page() const { return m_page; }
    // The words for a box present whose node this user may not open, and showing them.
    static QString PermissionText(const QString& path, int language);
    // Why a mode file was refused, and the question a file with values out of range asks.
    static QString ModeFileRefusalText(const QString& path, const ModeFileResult& result, int language);
    static QString OutOfRangeQuestionText(const QString& path, const std::vector<OutOfRange>& values, int language);
    static constexpr std::size_t kOutOfRangeLines = 12;  // a longer list ends with "and N more"
    void ShowPermissionProblem(const QString& path);
    QRect PageRect() const;

    // What the pages see of the application.
    DeviceContext& Device() override;
    int Language() const override;
    void ApplyTable(QWidget* window, int dialog) const override;
    void Notice(const QString& text, int durationMs = kNoticeMs) override;
    PageState& State() override { return m_pageState; }

    // Master controls. Sliders read the copy in the category on show.
    void OnSlider(RibbonSlider id);
    void OnCheck(RibbonCheck id, bool checked);
    void OnWheel(const QPoint& globalPos, int steps);
    void OnButton(RibbonButton id);
    void LoadUserMode(int slot);
    void SaveUserMode(int slot);
    void LoadModeFile();
    void SaveModeFile();
    // Reads a mode file chosen on the ribbon or the application menu: its title names the
    // current slot and may pick the slot the mode is stored to after the write-all.
    bool LoadModeFileFrom(const QString& path);
    // Reads a mode file from the recent-file list or the command line and sends it; the
    // slots and their names are left as they are.
    bool OpenModeFile(const QString& path);
    // Saves to the current user slot and to the file; false when the file could not be written.
    bool SaveModeFileTo(const QString& path);
    void ResetDevice();

    // The lock: while set no control of the window or its windows changes a setting.
    bool Locked() const { return m_pageState.locked; }
    void SetLocked(bool locked);
    void ToggleLock() { SetLocked(!Locked()); }
    // Before a load replaces changed settings: true when nothing changed or the user said Yes.
    // False (and nothing asked) while locked.
    bool ConfirmLoadOverChanges();
    bool AskDestructive(const QString& caption, const QString& text) override;
    QString ChooseOpenFile(const QString& caption, const QString& filter) override;
    QString ChooseSaveFile(const QString& caption, const QString& defaultSuffix, const QString& filter) override;
    void ShowMessage(const QString& caption, const QString& text, MessageKind kind) override;

    static int TargetSlotFromTitle(const QString& title);
    // Value labels read slightly differently depending on who writes them.
    QString ValueLabelText(RibbonLabel id, int value, LabelUse use) const;
    QString PitchCaption(int pitch, LabelUse use) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BindRibbon();
    void UpdateModeItems();
    void UpdateAgcButton();
    // The status bar's equaliser items follow the hosted page.
    void UpdateEqItems();
    void OnBypassClicked();
    void OnResetEqClicked();
    void Notice(const char* chinese, const char* english, int durationMs = kNoticeMs);
    bool ReadModeFileIntoStore(const QString& path);
    int ClampToMaximum(int value, int maxByte, const char* chinese, const char* english);
    int CurrentSlot() const;

    CKV4420v13App& m_app;
    CMyMFCRibbonBar& m_ribbon;
    CMFCMyRibbonStatusBar& m_status;
    ConnectionLifecycle m_connection;
    Binder m_ribbonBinder;
    std::array<int, kRibbonSliderCount> m_sliderRows{};
    std::array<int, kRibbonCheckCount> m_checkRows{};
    PageState m_pageState;
    QPointer<CPageBase> m_page;
    QTimer m_paneTimer;
    EditHistory* m_history = nullptr;
    bool m_writeAllOfStep = false;  // the running write-all carries out the last step
};

}  // namespace kv
