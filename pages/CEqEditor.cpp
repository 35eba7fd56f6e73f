#include "pages/CEqEditor.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "eq/CEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "eq/Crossover.h"
#include "eq/EqMath.h"
#include "eq/FilterText.h"
#include "model/AtomicFile.h"
#include "pages/CGridListCtrlEx.h"
#include "ui/LockLook.h"
#include "ui/NumberText.h"
#include "ui/PageContext.h"
#include "ui/PageStyle.h"
#include "ui/UiText.h"

namespace kv {

namespace {

enum SliderId { kGainSliderId = 1, kFreqSliderId, kQSliderId };

constexpr int kCodeOff = 0;
constexpr int kLastKindCode = 5;  // codes above are the crossover sections
constexpr double kFreqMinHz = eqband::kMinFrequency;
constexpr double kFreqMaxHz = eqband::kMaxFrequency;
constexpr double kMinStoredQ = eqband::kMinQ;
constexpr double kMaxStoredPeakingQ = eqband::kMaxPeakingQ;
constexpr double kMaxStoredOtherQ = eqband::kMaxOtherQ;
constexpr double kZero = 1e-7;

constexpr const char* kKindNames[2][kLastKindCode + 1] = {{"关闭", "参量", "低通", "高通", "低架", "高架"},
                                                          {"OFF", "PEQ", "LP", "HP", "LS", "HS"}};

const GridColumn kBandColumns[] = {
    {" ", " ", 30, Qt::AlignCenter, GridColumn::Editor::None},
    {"类型", "Type", 55, Qt::AlignCenter, GridColumn::Editor::Combo},
    {"增益", "Gain", 60, Qt::AlignCenter, GridColumn::Editor::Text},
    {"频率", "Freq", 60, Qt::AlignCenter, GridColumn::Editor::Text},
    {"Q值", "Q", 50, Qt::AlignCenter, GridColumn::Editor::Text},
};

QString GainText(double gain) { return QString::asprintf("%+-.1fdB", gain); }
QString FreqText(double hz) { return QString::asprintf("%.0fHz", eq::HeldFrequency(hz)); }
QString QText(double q) { return QString::asprintf("%.2f", q); }

}  // namespace

CEqEditor::CEqEditor(PageContext& context, QWidget* page, EqEditorRules rules)
    : QObject(page), m_context(context), m_rules(rules) {
    m_panel = new CEqPanel(page);
    m_panel->setObjectName(QStringLiteral("eqPanel"));
    m_stack = new QStackedWidget(page);
    m_list = new CGridListCtrlEx(m_stack);
    m_list->setObjectName(QStringLiteral("bandList"));
    GridColumn columns[std::size(kBandColumns)];
    std::copy(std::begin(kBandColumns), std::end(kBandColumns), columns);
    columns[kTypeColumn].width = m_rules.typeColumnWidth;
    m_list->SetColumns(columns);
    m_stack->addWidget(m_list);
    BuildEditor();
    m_stack->addWidget(m_editor);
    m_stack->setCurrentWidget(m_list);

    m_alignBox = new QWidget(page);
    m_alignBox->setObjectName(QStringLiteral("alignmentBox"));
    auto* align = new QHBoxLayout(m_alignBox);
    align->setContentsMargins(0, 0, 0, 0);
    m_alignLabel = new QLabel(Bi(m_context.Language(), "类型", "Type"), m_alignBox);
    SetControlId(m_alignLabel, kAlignmentLabelId);
    m_alignCombo = new QComboBox(m_alignBox);
    m_alignCombo->setObjectName(QStringLiteral("alignmentCombo"));
    for (std::string_view name : eq::kAlignmentNames)
        m_alignCombo->addItem(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    align->addWidget(m_alignLabel);
    align->addWidget(m_alignCombo, 1);
    m_alignBox->hide();
    connect(m_alignCombo, &QComboBox::activated, this, &CEqEditor::OnAlignment);
    connect(m_list, &CGridListCtrlEx::rowSelected, this, &CEqEditor::ShowAlignment);

    // Filters computed by a measurement program, in and out through the list's menu.
    m_importAction = new QAction(m_list);
    m_exportAction = new QAction(m_list);
    m_list->addAction(m_importAction);
    m_list->addAction(m_exportAction);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_importAction, &QAction::triggered, this, &CEqEditor::AskImport);
    connect(m_exportAction, &QAction::triggered, this, &CEqEditor::AskExport);

    connect(m_panel, &CEqPanel::bandChanged, this, &CEqEditor::OnBandChanged);
    connect(m_panel, &CEqPanel::noBand, this, &CEqEditor::OnNoBand);
    connect(m_list, &CGridListCtrlEx::cellEdited, this, &CEqEditor::OnCellEdited);
    connect(m_list, &CGridListCtrlEx::comboChosen, this, &CEqEditor::OnComboChosen);
    Relabel();
}

void CEqEditor::BuildEditor() {
    m_editor = new QWidget(m_stack);
    m_editor->setObjectName(QStringLiteral("bandEditor"));
    auto* layout = new QVBoxLayout(m_editor);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(6);

    m_number = new QLabel(m_editor);
    m_number->setObjectName(QStringLiteral("bandNumber"));
    m_number->setAlignment(Qt::AlignCenter);
    m_number->setFont(style::CaptionFont(16));
    layout->addWidget(m_number);

    const int lang = m_context.Language();
    m_typeGroup = new QGroupBox(Bi(lang, "类型", "EQ Type"), m_editor);
    SetControlId(m_typeGroup, kTypeGroupId);
    auto* types = new QGridLayout(m_typeGroup);
    types->setContentsMargins(6, 4, 6, 4);
    for (int k = 0; k < kKinds; ++k) {
        auto* b = new QRadioButton(KindName(k + 1, lang), m_typeGroup);
        SetControlId(b, kFirstTypeId + k);
        b->setObjectName(QStringLiteral("type%1").arg(k + 1));
        types->addWidget(b, k / 3, k % 3);
        connect(b, &QRadioButton::clicked, this, [this, k] { OnType(k); });
        m_types[static_cast<std::size_t>(k)] = b;
    }
    layout->addWidget(m_typeGroup);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    const char* names[3][2] = {{"增益", "Gain"}, {"频率", "F"}, {"Q值", "Q"}};
    const int ids[3] = {kGainLabelId, kFreqLabelId, kQLabelId};
    CXBmpSlider** sliders[3] = {&m_gainSlider, &m_freqSlider, &m_qSlider};
    QLineEdit** edits[3] = {&m_gainEdit, &m_freqEdit, &m_qEdit};
    const int ranges[3][2] = {{kGainMin, kGainMax}, {kFreqMin, kFreqMax}, {kQMin, kQMaxPeaking}};
    for (int i = 0; i < 3; ++i) {
        auto* name = new QLabel(Bi(lang, names[i][0], names[i][1]), m_editor);
        SetControlId(name, ids[i]);
        m_valueNames[static_cast<std::size_t>(i)] = name;
        auto* slider = new CXBmpSlider(kGainSliderId + i, Qt::Horizontal, m_editor);
        slider->SetRange(ranges[i][0], ranges[i][1]);
        slider->setMinimumHeight(22);
        connect(slider, &CXBmpSlider::changed, this, &CEqEditor::OnSlider);
        *sliders[i] = slider;
        auto* edit = new QLineEdit(m_editor);
        edit->setFixedWidth(72);
        edit->setAlignment(Qt::AlignCenter);
        connect(edit, &QLineEdit::returnPressed, this, [this] { ApplyBoxes(false); });
        *edits[i] = edit;
        grid->addWidget(name, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(edit, i, 2);
    }
    m_gainSlider->setObjectName(QStringLiteral("gainSlider"));
    m_freqSlider->setObjectName(QStringLiteral("freqSlider"));
    m_qSlider->setObjectName(QStringLiteral("qSlider"));
    m_gainEdit->setObjectName(QStringLiteral("gainEdit"));
    m_freqEdit->setObjectName(QStringLiteral("freqEdit"));
    m_qEdit->setObjectName(QStringLiteral("qEdit"));
    layout->addLayout(grid);
    layout->addStretch(1);
}

QString CEqEditor::KindName(int code, int language) {
    const int c = code >= kCodeOff && code <= kLastKindCode ? code : kCodeOff;
    return QString::fromUtf8(kKindNames[language == kLanguageEnglish ? 1 : 0][c]);
}

void CEqEditor::Relabel() {
    const int lang = m_context.Language();
    m_list->SetLanguage(lang);
    QStringList items;
    for (int k = 1; k <= kKinds; ++k) items.append(KindName(k, lang));
    m_list->SetComboItems(kTypeColumn, items);
    m_panel->SetLanguage(lang);
    m_importAction->setText(Bi(lang, "导入滤波器...", "Import filters..."));
    m_exportAction->setText(Bi(lang, "导出滤波器...", "Export filters..."));
    for (int b = 0; b < RowCount(); ++b) ShowRow(b);
}

int CEqEditor::RowCount() const { return IsSub() ? eq::kCrossoverRows : m_panel->BandCount(); }

int CEqEditor::DeviceBand(int band) const { return EqDeviceBand(m_eq, band); }

int CEqEditor::KindOf(int band) const {
    if (band < 0 || band >= m_panel->BandCount()) return kCodeOff;
    const std::span<const eq::BandRecord> bands(&m_panel->Band(0), static_cast<std::size_t>(m_panel->BandCount()));
    return EqRowKind(bands, m_eq, band);
}

void CEqEditor::SetListColors(const QColor& text, const QColor& background) { m_list->SetColors(text, background); }

// ---- Loading ----

void CEqEditor::Load(EqId eq) {
    m_eq = eq;
    const EqInfo& info = Info();
    DeviceContext& dev = m_context.Device();
    m_selected = -1;
    m_panel->SetSelectedBand(-1);
    m_stack->setCurrentWidget(m_list);
    m_panel->SetKind(info.panelKind);
    m_panel->SetLanguage(m_context.Language());
    m_panel->SetBandCount(info.bands);
    m_list->SetRowCount(RowCount());
    ShowAlignment(-1);
    for (int b = 0; b < info.bands; ++b) {
        const BandDescriptor d = dev.encoders.ReadBand(eq, DeviceBand(b));
        // A code this page does not take (crossover sections on the inputs, garbage) loads as off.
        const int code = d.code >= kCodeOff && d.code <= m_rules.highestCode ? d.code : kCodeOff;
        m_panel->SetCode(b, code);
        m_panel->SetGain(b, d.gainDb);
        eq::BandRecord& band = m_panel->Band(b);
        if (std::fabs(static_cast<double>(d.frequencyHz)) >= kZero)
            band.frequency = static_cast<float>(std::clamp<double>(d.frequencyHz, kFreqMinHz, kFreqMaxHz));
        if (std::fabs(d.q) >= kZero) {
            const double maxQ = code == eq::kCodePeaking ? kMaxStoredPeakingQ : kMaxStoredOtherQ;
            band.q = KeptQ(std::clamp(d.q, kMinStoredQ, maxQ));
        }
    }
    // Crossover rows hand their frequency and Q to their stages, so all bands are in first.
    m_panel->EvaluateAllBands();
    for (int b = 0; b < RowCount(); ++b) ShowRow(b);
    SyncBypass();
    m_panel->update();
}

void CEqEditor::SyncBypass() { m_panel->SetBypass(Bypassed()); }

bool CEqEditor::Bypassed() const { return m_context.Device().store.Int(Info().bypassField) != 0; }

void CEqEditor::ToggleBypass() {
    if (RefuseLocked()) return;
    m_context.Device().encoders.EqBypass(m_eq, Bypassed() ? 0 : 1);
    SyncBypass();
}

void CEqEditor::Reset() {
    if (RefuseLocked()) return;
    m_context.Device().encoders.ResetEq(m_eq);
    Load(m_eq);
}

void CEqEditor::ShowLocked(bool locked) {
    m_panel->SetReadOnly(locked);
    m_list->SetEditable(!locked);
    for (QWidget* w : std::initializer_list<QWidget*>{m_gainSlider, m_freqSlider, m_qSlider, m_gainEdit, m_freqEdit,
                                                      m_qEdit, m_alignCombo})
        SetLockLook(w, locked);
    for (QRadioButton* b : m_types) SetLockLook(b, locked);
    if (m_importAction) m_importAction->setEnabled(!locked);
}

bool CEqEditor::RefuseLocked() {
    if (!m_context.Locked()) return false;
    // The control that moved shows the stored band again.
    for (int r = 0; r < RowCount(); ++r) ShowRow(r);
    if (IsRow(m_selected)) ShowEditor(m_selected);
    ShowAlignment(m_selected);
    return true;
}

bool CEqEditor::TakesWheel(const QWidget* widget) const {
    return widget == m_panel || widget == m_gainSlider || widget == m_freqSlider || widget == m_qSlider;
}

// ---- Rows and the editor ----

void CEqEditor::ShowRow(int b) {
    if (!IsRow(b)) return;
    const eq::BandRecord& band = m_panel->Band(b);
    const int lang = m_context.Language();
    m_list->SetCellText(b, kNumberColumn, QString::number(b + 1));
    m_list->SetCellText(b, kTypeColumn, KindName(KindOf(b), lang));
    m_list->SetCellText(b, kGainColumn, GainText(band.gain));
    m_list->SetCellText(b, kFreqColumn, FreqText(band.frequency));
    m_list->SetCellText(b, kQColumn, QText(band.q));
}

void CEqEditor::SetQRange(int kind) {
    m_qSlider->SetRange(kQMin, kind == eq::kCodePeaking ? kQMaxPeaking : kQMaxOther);
}

void CEqEditor::ShowEditor(int b) {
    const eq::BandRecord& band = m_panel->Band(b);
    m_number->setText(QString::number(b + 1));
    m_gainEdit->setText(GainText(band.gain));
    m_freqEdit->setText(FreqText(band.frequency));
    m_qEdit->setText(QText(band.q));
    const int kind = KindOf(b);
    SetQRange(kind);
    m_gainSlider->SetPosition(std::clamp(static_cast<int>(std::lround(band.gain * 10.0)), kGainMin, kGainMax));
    m_freqSlider->SetPosition(std::clamp(static_cast<int>(std::lround(band.frequency)), kFreqMin, kFreqMax));
    m_qSlider->SetPosition(
        std::clamp(static_cast<int>(std::lround(band.q * 100.0)), m_qSlider->Minimum(), m_qSlider->Maximum()));
    for (int k = 0; k < kKinds; ++k) {
        QRadioButton* r = m_types[static_cast<std::size_t>(k)];
        // An off band checks none of the kinds; exclusivity would keep one checked.
        r->setAutoExclusive(false);
        r->setChecked(kind == k + 1);
        r->setAutoExclusive(true);
    }
    const bool gain = eq::TakesGain(kind);
    m_gainSlider->setEnabled(gain);
    m_gainEdit->setEnabled(gain);
}

void CEqEditor::SendBand(int b) {
    SendEqRow(m_context.Device().encoders, m_eq, m_panel->Bands(), b);
    Q_EMIT bandSent(b);
}

void CEqEditor::ShowAlignment(int row) {
    m_alignRow = -1;
    const bool shown = IsSub() && IsRow(row) &&
                       (KindOf(row) == eq::kCodeLowPass || KindOf(row) == eq::kCodeHighPass ||
                        m_panel->Band(row).code > kLastKindCode);
    m_alignBox->setVisible(shown);
    if (!shown) return;
    m_alignRow = row;
    eq::RowCodes codes{m_panel->Band(row).code};
    for (int s = 0; s < eq::kStagesPerRow; ++s) codes[s + 1] = m_panel->Band(eq::StageBand(row, s)).code;
    // Codes outside the known patterns leave the drop-down as it was.
    const auto pattern = eq::FindRowPattern(codes);
    if (pattern && pattern->alignment >= 0) {
        const QSignalBlocker block(m_alignCombo);
        m_alignCombo->setCurrentIndex(pattern->alignment);
    }
}

void CEqEditor::OnAlignment(int index) {
    const int row = m_alignRow;
    if (!IsSub() || !IsRow(row) || index < 0 || index >= eq::kAlignmentCount || RefuseLocked()) return;
    m_panel->ApplyAlignment(row, index);
    SendBand(row);
    ShowRow(row);
    if (row == m_selected) ShowEditor(row);
}

void CEqEditor::SetBandKind(int b, int kind) {
    if (!IsRow(b) || kind < eq::kCodePeaking || kind > kLastKindCode || RefuseLocked()) return;
    if (IsSub()) {
        SetRowKind(m_panel->Bands(), m_eq, b, kind);
        m_panel->EvaluateBand(b);
        m_panel->update();
    } else {
        m_panel->SetCode(b, kind);
    }
    ShowAlignment(b);
    SendBand(b);
    ShowRow(b);
    if (b == m_selected) ShowEditor(b);
}

void CEqEditor::OnBandChanged(int b) {
    if (!IsRow(b)) return;
    ShowRow(b);
    ShowEditor(b);
    SendBand(b);
    const bool wasSelected = m_selected >= 0;
    m_selected = b;
    m_list->SelectRowQuietly(b);
    ShowAlignment(b);
    if (!wasSelected) m_stack->setCurrentWidget(m_editor);
}

void CEqEditor::OnNoBand() {
    m_selected = -1;
    ShowAlignment(-1);
    m_list->SelectRowQuietly(-1);
    m_stack->setCurrentWidget(m_list);
}

void CEqEditor::OnSlider(int id, int position) {
    switch (id) {
        case kGainSliderId:
            m_gainEdit->setText(GainText(position / 10.0));
            break;
        case kFreqSliderId:
            m_freqEdit->setText(QString::asprintf("%dHz", position));
            break;
        case kQSliderId:
            m_qEdit->setText(QText(position / 100.0));
            break;
        default:
            return;
    }
    ApplyBoxes(true);
}

void CEqEditor::ApplyEdits() { ApplyBoxes(false); }

const Setting& CEqEditor::BandSetting(int band, int column) const {
    const char* value = column == kGainColumn ? ".gain" : column == kFreqColumn ? ".freq" : ".q";
    return SettingAt("eq." + std::string(EqName(m_eq)) + "." + std::to_string(band + 1) + value);
}

void CEqEditor::ApplyBoxes(bool sliderMoved) {
    const int b = m_selected;
    if (!IsRow(b)) return;
    QLineEdit* boxes[3] = {m_gainEdit, m_freqEdit, m_qEdit};
    constexpr int kColumns[3] = {kGainColumn, kFreqColumn, kQColumn};
    const eq::BandRecord& band = m_panel->Band(b);
    double values[3] = {band.gain, band.frequency, band.q};
    bool refused = false;
    const QString shown[3] = {GainText(band.gain), FreqText(band.frequency), QText(band.q)};
    for (int i = 0; i < 3; ++i) {
        const QString text = boxes[i]->text();
        // A box left as the band shows it keeps the band's exact value, not the rounded text.
        if (text == shown[i]) {
            ClearRefused(boxes[i]);
            continue;
        }
        const BoxValue v = ReadBox(BandSetting(b, kColumns[i]), text, m_context.Language());
        if (v) {
            values[i] = *v.value;
            ClearRefused(boxes[i]);
            continue;
        }
        // The band keeps what it has; a slider move still goes out with it.
        refused = true;
        ShowRefused(m_context, boxes[i], text, v.reason);
    }
    if (refused && !sliderMoved) {
        ShowEditor(b);
        return;
    }
    ApplyValues(b, values[0], values[1], values[2]);
}

void CEqEditor::ApplyValues(int b, double gain, double freq, double q) {
    if (RefuseLocked()) return;
    m_panel->SetGain(b, gain);
    // Below the lowest frequency the band sits at the lowest.
    m_panel->Band(b).frequency = static_cast<float>(std::clamp(freq, kFreqMinHz, kFreqMaxHz));
    m_panel->EvaluateBand(b);
    m_panel->SetQ(b, q);
    m_panel->update();
    SendBand(b);
    ShowRow(b);
    if (b == m_selected) ShowEditor(b);
}

void CEqEditor::OnType(int kind) {
    SetQRange(kind + 1);
    if (m_selected >= 0) SetBandKind(m_selected, kind + 1);
}

void CEqEditor::OnCellEdited(int row, int column, const QString& text) {
    if (!IsRow(row) || (column != kGainColumn && column != kFreqColumn && column != kQColumn)) return;
    const BoxValue v = ReadBox(BandSetting(row, column), text, m_context.Language());
    if (!v) {
        // The cell was never changed: the row shows the band as it stands, the cell says why.
        m_list->SetCellToolTip(row, column, v.reason);
        ShowRefused(m_context, nullptr, text, v.reason);
        ShowRow(row);
        return;
    }
    m_list->SetCellToolTip(row, column, QString());
    const eq::BandRecord& band = m_panel->Band(row);
    // Only the edited cell changes the band: the others show rounded values of what it holds.
    double gain = band.gain;
    double freq = band.frequency;
    double q = band.q;
    (column == kGainColumn ? gain : column == kFreqColumn ? freq : q) = *v.value;
    // There a frequency of 0 leaves the band's own.
    if (m_rules.outputList && column == kFreqColumn && std::fabs(v.typed) < kZero) freq = band.frequency;
    ApplyValues(row, gain, freq, q);
}

// ---- Filter files ----

bool CEqEditor::ImportFilters(const QString& path, QString* message) {
    const int lang = m_context.Language();
    if (IsSub()) {
        *message =
            Bi(lang, "超低的各行是分频器，请用类型设置。", "The SUB rows are crossovers: set them by alignment.");
        return false;
    }
    QFile file(path);
    // A filter file is a page of text; anything far larger is not one.
    constexpr qint64 kMaxBytes = 1 << 20;
    if (!file.open(QIODevice::ReadOnly)) {
        *message = Bi(lang, "无法读取文件：", "Cannot read the file: ") + path + QLatin1Char('\n') + file.errorString();
        return false;
    }
    if (file.size() > kMaxBytes) {
        *message = Bi(lang, "无法读取文件：", "Cannot read the file: ") + path + QLatin1Char('\n') +
                   Bi(lang, "文件超过 1 MB，不是滤波器文件", "larger than 1 MB, not a filter file");
        return false;
    }
    const eq::FilterFile filters = eq::ReadFilters(file.read(kMaxBytes).toStdString(), m_panel->BandCount());
    if (!filters.error.empty()) {
        *message = QString::fromStdString(filters.error);
        return false;
    }
    ApplyFilterFile(std::span(&m_panel->Band(0), static_cast<std::size_t>(m_panel->BandCount())), filters);
    for (int b = 0; b < m_panel->BandCount(); ++b) {
        m_panel->EvaluateBand(b);
        SendBand(b);
        ShowRow(b);
    }
    m_context.EditedAs(QStringLiteral("导入滤波器"), QStringLiteral("filters imported"));
    OnNoBand();
    m_panel->SetSelectedBand(-1);
    m_panel->update();
    QStringList notes;
    const bool chinese = lang == 0 && filters.notesZh.size() == filters.notes.size();
    for (const std::string& n : chinese ? filters.notesZh : filters.notes) notes << QString::fromStdString(n);
    *message = notes.join(QLatin1Char('\n'));
    return true;
}

bool CEqEditor::ExportFilters(const QString& path, QString* message) const {
    const std::span<const eq::BandRecord> bands(&m_panel->Band(0), static_cast<std::size_t>(m_panel->BandCount()));
    const std::string text = FilterFileText(bands, m_eq);
    int error = 0;
    // As the command line writes it: a failed export leaves the previous file as it was.
    if (!WriteFileAtomically(QFile::encodeName(path).toStdString(),
                             std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), &error)) {
        *message = Bi(m_context.Language(), "无法写入文件：", "Cannot write the file: ") + path +
                   (error ? QLatin1Char('\n') + QString::fromLocal8Bit(std::strerror(error)) : QString());
        return false;
    }
    message->clear();
    return true;
}

void CEqEditor::AskImport() {
    if (RefuseLocked()) return;
    const int lang = m_context.Language();
    const QString path = m_context.ChooseOpenFile(
        m_importAction->text(), Bi(lang, "滤波器文件 (*.txt);;所有文件 (*)", "Filter files (*.txt);;All files (*)"));
    if (path.isEmpty()) return;
    QString message;
    if (!ImportFilters(path, &message))
        m_context.ShowMessage(m_importAction->text(), message, PageContext::MessageKind::Warning);
    else if (!message.isEmpty())
        m_context.ShowMessage(m_importAction->text(), message, PageContext::MessageKind::Information);
}

void CEqEditor::AskExport() {
    const int lang = m_context.Language();
    const QString path = m_context.ChooseSaveFile(m_exportAction->text(), QStringLiteral("txt"),
                                                  Bi(lang, "滤波器文件 (*.txt)", "Filter files (*.txt)"));
    if (path.isEmpty()) return;
    QString message;
    if (!ExportFilters(path, &message))
        m_context.ShowMessage(m_exportAction->text(), message, PageContext::MessageKind::Warning);
}

void CEqEditor::OnComboChosen(int row, int column, int index) {
    if (column != kTypeColumn || index < 0 || index >= kKinds) return;
    SetBandKind(row, index + 1);
}

}  // namespace kv
