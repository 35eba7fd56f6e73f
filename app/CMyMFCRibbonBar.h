#pragma once
// The ribbon: a tab row with the application button, the two categories "Input" and
// "Output" and the right-hand buttons, above the panels of the category on show. Both
// categories carry the same eight panels; each element exists once per category.
// The ribbon only shows and reports; the main view carries out every command.

#include <QFrame>
#include <QPoint>
#include <QStringList>
#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace kv {

class CMFCRibbonStepSlider;

enum class RibbonSlider { Mic, Reverb, Echo, Music, Spdif, Aux1, Aux2, NoiseGate, Pitch };
enum class RibbonCheck { MicMute, ReverbMute, EchoMute, MusicMute, SpdifOn, Aux1On, Aux2On };
enum class RibbonLabel { Mic, Reverb, Echo, Music, Spdif, Aux1, Aux2, NoiseGate };
enum class RibbonPanel { Mic, Reverb, Echo, Music, Source, Pitch, Load, Save };
enum class RibbonButton { MusicAgc, Reset, Remote, AutoSub, Language, About };
enum class RibbonFileButton { LoadMode, LoadFile, SaveMode, SaveFile };

constexpr int kRibbonSliderCount = 9;
constexpr int kRibbonCheckCount = 7;
constexpr int kRibbonLabelCount = 8;
constexpr int kRibbonPanelCount = 8;
constexpr int kRibbonButtonCount = 6;
constexpr int kCategoryInput = 0;
constexpr int kCategoryOutput = 1;
constexpr int kCategoryCount = 2;

class CMyMFCRibbonBar : public QFrame {
    Q_OBJECT
public:
    explicit CMyMFCRibbonBar(int language, QWidget* parent = nullptr);

    CMFCRibbonStepSlider* Slider(int category, RibbonSlider id) const;
    QCheckBox* Check(int category, RibbonCheck id) const;
    QLabel* ValueLabel(int category, RibbonLabel id) const;
    QWidget* Panel(int category, RibbonPanel id) const;
    QToolButton* FileButton(int category, RibbonFileButton id) const;
    QToolButton* Button(RibbonButton id) const;
    // The lock button: checked while the window is locked.
    QToolButton* LockButton() const { return m_lockButton; }
    QTabBar* Tabs() const { return m_tabs; }
    QToolButton* ApplicationButton() const { return m_appButton; }
    QMenu* ApplicationMenu() const { return m_appMenu; }
    QMenu* ModeMenu(int category, bool save) const;

    int ActiveCategory() const;
    void SetActiveCategory(int category);

    // Sets the caption of a panel in both categories.
    void SetPanelCaption(RibbonPanel id, const QString& caption);
    QString PanelCaption(RibbonPanel id) const;
    // Items "M1: name" .. "M4: name"; the current slot's item is checked.
    void SetModeItems(const QStringList& names, int currentSlot);
    void SetRecentFiles(const QStringList& files);

    // Every static label from the built-in pairs; value labels are the view's.
    void Relabel(int language);
    // Locked: the slot and file loads, the saves to a slot and the reset look unusable and
    // the lock button is checked. The view refuses them as well.
    void ShowLocked(bool locked);

    // The slider a wheel notch at this point moves: the volume panels as a whole, the
    // other sliders only under the cursor, and only while that slider has the focus.
    std::optional<RibbonSlider> WheelTarget(const QPoint& globalPos) const;

Q_SIGNALS:
    void categoryChanged(int category);
    void sliderIssued(int category, RibbonSlider id);
    void checkClicked(int category, RibbonCheck id, bool checked);
    void buttonClicked(RibbonButton id);
    void loadModeRequested(int slot);
    void saveModeRequested(int slot);
    void loadFileRequested();
    void saveFileRequested();
    void openRequested();
    void saveRequested();
    void recentFileRequested(const QString& path);
    void exitRequested();
    void wheelTurned(const QPoint& globalPos, int steps);
    void lockToggled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Category {
        QWidget* page = nullptr;
        std::array<CMFCRibbonStepSlider*, kRibbonSliderCount> sliders{};
        std::array<QCheckBox*, kRibbonCheckCount> checks{};
        std::array<QLabel*, kRibbonLabelCount> labels{};
        std::array<QFrame*, kRibbonPanelCount> panels{};
        std::array<QLabel*, kRibbonPanelCount> captions{};
        std::array<QToolButton*, 4> fileButtons{};
        QMenu* loadMenu = nullptr;
        QMenu* saveMenu = nullptr;
    };

    void BuildTabRow(QWidget* row);
    void BuildCategory(int index);
    void FillModeMenu(QMenu* menu, const QStringList& names, int currentSlot, bool save);
    void InstallWheelFilter(QWidget* root);

    QTabBar* m_tabs = nullptr;
    QToolButton* m_appButton = nullptr;
    QMenu* m_appMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_recentTitle = nullptr;
    QAction* m_exitAction = nullptr;
    QList<QAction*> m_recentActions;
    QStackedWidget* m_stack = nullptr;
    std::array<QToolButton*, kRibbonButtonCount> m_buttons{};
    QToolButton* m_lockButton = nullptr;
    bool m_locked = false;
    int m_language = 0;
    std::array<Category, kCategoryCount> m_categories;
    QStringList m_modeNames;
    int m_currentSlot = 0;
};

}  // namespace kv
