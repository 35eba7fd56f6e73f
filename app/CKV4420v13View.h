#pragma once
// The main view: carries out the master controls of the ribbon (volumes, mutes, sources,
// pitch, noise gate, user-mode slots, mode files, device reset), keeps the status-bar
// panes, hosts one processing page at a time and owns the connection lifecycle.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/CMyMFCRibbonBar.h"
#include "app/ConnectionLifecycle.h"

namespace kv {

class CKV4420v13App;
class CMFCMyRibbonStatusBar;

class CKV4420v13View : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinPageWidth = 1024;
    static constexpr int kMinPageHeight = 520;
    static constexpr int kNoticeMs = 1100;
    static constexpr int kSavingNoticeMs = 2500;
    static constexpr int kSavingNoticeDelayMs = 500;
    static constexpr int kRestartNoticeMs = 20000;
    static constexpr int kModeNameChars = 20;
    static constexpr int kPaneUpdateMs = 200;

    // Value labels are formatted slightly differently depending on who sets them.
    enum class LabelStyle { Moving, Refresh, LanguageChange };

    CKV4420v13View(CKV4420v13App& app, CMyMFCRibbonBar& ribbon, CMFCMyRibbonStatusBar& status,
                   QWidget* parent = nullptr);

    ConnectionLifecycle& Connection() { return m_connection; }
    bool Connected() const { return m_connection.Connected(); }

    // Every control from the store, after an accepted synchronisation.
    void RefreshFromStore();
    void OnLanguageChanged();
    void OnCategoryChanged(int category);
    void UpdateConnectionPane();
    void UpdateModePane();
    void UpdateMusicSourceCaption();

    // Page host: exactly one page at a time, sized to the page rectangle.
    void SetPage(QWidget* page);
    QWidget* Page() const { return m_page; }
    QRect PageRect() const;

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

    static int TargetSlotFromTitle(const QString& title);
    QString ValueLabelText(RibbonLabel id, int value, LabelStyle style) const;
    QString PitchCaption(int pitch, LabelStyle style) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SetSliderCopies(RibbonSlider id, int value);
    void SetCheckCopies(RibbonCheck id, bool checked);
    void SetValueLabels(RibbonLabel id, int value, LabelStyle style);
    void SetAllLabels(LabelStyle style);
    void UpdateModeItems();
    void UpdateAgcButton();
    void Notice(const char* chinese, const char* english, int durationMs = kNoticeMs);
    bool ReadModeFileIntoStore(const QString& path);
    int ClampToMaximum(int value, int maxByte, const char* chinese, const char* english);
    void OnEffectVolume(RibbonSlider id, RibbonLabel label, int field, int muteField, int module, int parameter,
                        int value);
    int SliderValue(RibbonSlider id) const;
    int CurrentSlot() const;

    CKV4420v13App& m_app;
    CMyMFCRibbonBar& m_ribbon;
    CMFCMyRibbonStatusBar& m_status;
    ConnectionLifecycle m_connection;
    QPointer<QWidget> m_page;
    QTimer m_paneTimer;
};

}  // namespace kv
