#pragma once
// The equaliser editor the input, effect and output pages share: the graph panel, the band
// list and the band editor (kind buttons, sliders and edit boxes for gain, frequency and Q).
// It loads an equaliser's stored bands with their clamping rules, sends a band on every
// edit, and switches between the list (no band selected) and the editor (a band selected).
// The page places the panel and the stack (and, on the SUB output, the alignment box); the
// editor owns everything else. On the SUB equaliser the list shows the five crossover rows,
// each standing for its own band and three hidden stages.

#include <QColor>
#include <QObject>
#include <array>

#include "device/EqTable.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace kv {

class CEqPanel;
class CGridListCtrlEx;
class CXBmpSlider;
class PageContext;
struct Setting;

// Where the pages' loading and list rules differ.
struct EqEditorRules {
    int highestCode = 5;      // stored section codes above this load as off
    bool outputList = false;  // a typed 0 Hz in the list keeps the band's frequency
    int typeColumnWidth = 55;
};

class CEqEditor : public QObject {
    Q_OBJECT
public:
    // Slider ranges: gain in tenths of a dB, frequency in Hz, Q in hundredths.
    static constexpr int kGainMin = -150;
    static constexpr int kGainMax = 150;
    static constexpr int kFreqMin = 20;
    static constexpr int kFreqMax = 20000;
    static constexpr int kQMin = 10;
    static constexpr int kQMaxPeaking = 3000;
    static constexpr int kQMaxOther = 200;
    static constexpr int kKinds = 5;  // PEQ, LP, HP, LS, HS: section codes 1..5
    // Columns of the band list.
    enum Column { kNumberColumn, kTypeColumn, kGainColumn, kFreqColumn, kQColumn };
    // Control identifiers of the editor's texts in the language tables.
    static constexpr int kGainLabelId = 1199;
    static constexpr int kFreqLabelId = 1200;
    static constexpr int kQLabelId = 1201;
    static constexpr int kTypeGroupId = 1202;
    static constexpr int kFirstTypeId = 1204;  // PEQ .. HS: 1204 .. 1208

    static constexpr int kAlignmentLabelId = 1215;

    CEqEditor(PageContext& context, QWidget* page, EqEditorRules rules = {});

    // Shows an equaliser: clears the selection, shows the list, loads every band.
    void Load(EqId eq);
    EqId Eq() const { return m_eq; }
    const EqInfo& Info() const { return EqInfoOf(m_eq); }
    void Relabel();
    void SetListColors(const QColor& text, const QColor& background);

    // The bypass switch of the equaliser: stored non-zero while bypassed.
    bool Bypassed() const;
    void ToggleBypass();
    // Default bands, stored and sent, then shown.
    void Reset();
    int SelectedBand() const { return m_selected; }
    // Rows of the band list: the bands, or the crossover rows on SUB.
    int RowCount() const;
    // A band's kind as its row reads (1 PEQ .. 5 HS, 0 off); SUB rows by their four codes.
    int KindOf(int band) const;
    bool TakesWheel(const QWidget* widget) const;
    // Locked: the panel is read-only, the list opens no editor, the editor's controls are
    // disabled or read-only; every edit is refused while the context is locked.
    void ShowLocked(bool locked);

    CEqPanel* Panel() const { return m_panel; }
    CGridListCtrlEx* List() const { return m_list; }
    QWidget* Editor() const { return m_editor; }
    QStackedWidget* Stack() const { return m_stack; }
    QLabel* NumberLabel() const { return m_number; }
    CXBmpSlider* GainSlider() const { return m_gainSlider; }
    CXBmpSlider* FreqSlider() const { return m_freqSlider; }
    CXBmpSlider* QSlider() const { return m_qSlider; }
    QLineEdit* GainEdit() const { return m_gainEdit; }
    QLineEdit* FreqEdit() const { return m_freqEdit; }
    QLineEdit* QEdit() const { return m_qEdit; }
    QRadioButton* TypeButton(int kind) const { return m_types[static_cast<std::size_t>(kind)]; }
    // The SUB crossover alignment: its label and drop-down, shown for low- and high-pass rows.
    QWidget* AlignmentBox() const { return m_alignBox; }
    QComboBox* AlignmentCombo() const { return m_alignCombo; }
    // Sets a band's kind (1 PEQ .. 5 HS) as the list's Type cell and the kind buttons do.
    void SetBandKind(int band, int kind);

    // Filters from a measurement program's text file into every band, each sent; the file is
    // refused whole (with the line at fault in `message`) when it does not fit. `message`
    // also tells of filters taken only as closely as a section allows.
    bool ImportFilters(const QString& path, QString* message);
    bool ExportFilters(const QString& path, QString* message) const;
    // The list's menu commands: the file dialog and the message go through the page context.
    void AskImport();
    void AskExport();

    // Enter in an edit box: the three boxes applied to the selected band.
    void ApplyEdits();
    static QString KindName(int code, int language);

Q_SIGNALS:
    // A band went to the box (index within the equaliser).
    void bandSent(int band);

private:
    void BuildEditor();
    // True (and the band shown again as stored) while the context is locked.
    bool RefuseLocked();
    void OnBandChanged(int band);
    void OnNoBand();
    void OnSlider(int id, int position);
    void OnType(int kind);
    void OnCellEdited(int row, int column, const QString& text);
    void OnComboChosen(int row, int column, int index);
    // The three boxes read and applied to the selected band; a refused text sends nothing
    // unless a slider moved, which goes out with the band's own value for that box.
    void ApplyBoxes(bool sliderMoved);
    // The setting a band's gain, frequency or Q box and cell are read as (by list column).
    const Setting& BandSetting(int band, int column) const;
    // A cell of the band's row as its text reads, or `otherwise`.
    // Applies typed gain, frequency and Q to a band with the edit-box rules.
    void ApplyValues(int band, double gain, double freq, double q);
    void SendBand(int band);
    void ShowRow(int band);
    void ShowEditor(int band);
    void SetQRange(int kind);
    void SyncBypass();
    bool IsSub() const { return m_eq == EqId::Sub; }
    bool IsRow(int band) const { return band >= 0 && band < RowCount(); }
    // The device band a panel band is stored in.
    int DeviceBand(int band) const;
    void ShowAlignment(int row);
    void OnAlignment(int index);

    PageContext& m_context;
    EqEditorRules m_rules;
    EqId m_eq = EqId::Music;
    int m_selected = -1;
    CEqPanel* m_panel = nullptr;
    QStackedWidget* m_stack = nullptr;
    CGridListCtrlEx* m_list = nullptr;
    QWidget* m_editor = nullptr;
    QLabel* m_number = nullptr;
    QGroupBox* m_typeGroup = nullptr;
    std::array<QRadioButton*, kKinds> m_types{};
    std::array<QLabel*, 3> m_valueNames{};
    CXBmpSlider* m_gainSlider = nullptr;
    CXBmpSlider* m_freqSlider = nullptr;
    CXBmpSlider* m_qSlider = nullptr;
    QLineEdit* m_gainEdit = nullptr;
    QLineEdit* m_freqEdit = nullptr;
    QLineEdit* m_qEdit = nullptr;
    QWidget* m_alignBox = nullptr;
    QLabel* m_alignLabel = nullptr;
    QComboBox* m_alignCombo = nullptr;
    int m_alignRow = -1;  // the row the alignment box stands for
    QAction* m_importAction = nullptr;
    QAction* m_exportAction = nullptr;
};

}  // namespace kv
