#include "pages/CDialogMusic.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>

#include "device/DeviceContext.h"
#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CPeakMeterCtrl.h"
#include "eq/CSmallEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "eq/EqMath.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "ui/PageStyle.h"
#include "ui/UiText.h"

namespace kv {

namespace {

// Language-table identifiers of the page's texts.
constexpr int kPageButtonIds[3] = {1068, 1069, 1070};  // CH A, CH B, music
constexpr int kPageCodes[3] = {CDialogMusic::kMicACode, CDialogMusic::kMicBCode, CDialogMusic::kMusicCode};
constexpr int kFirstGateNameId = 1153;   // MNG and Vol alternate: 1153, 1155, 1157, ...
constexpr int kFirstMicNameId = 1182;    // Mic 1 .. Mic 4
constexpr int kFirstMeterNameId = 1186;  // Music Peak, SPDIF, Aux 1, Aux 2
constexpr int kFirstRouteId = 1190;      // CH A, CH B of each input

constexpr int kEffectSliderId = 100;
constexpr int kGateSliderId = 110;
constexpr int kVolumeSliderId = 120;
constexpr int kEffectColumnName = 1;
constexpr int kEffectColumnValue = 2;
constexpr int kBandListWidth = 262;
constexpr int kMicMeters = 4;  // meters 0..3 stand beside the microphone inputs

const GridColumn kEffectColumns[] = {
    {" ", " ", 50, Qt::AlignCenter, GridColumn::Editor::None},
    {"参数名", "Parameter name", 130, Qt::AlignLeft | Qt::AlignVCenter, GridColumn::Editor::None},
    {"参数值", "Value", 80, Qt::AlignCenter, GridColumn::Editor::None},
};

const BindNotice kReverbMuted{fld::kReverbMute, false, true, "混响已静音", "Reverb vol is mute"};
const BindNotice kEchoMuted{fld::kEchoMute, false, true, "回声已静音", "Echo vol is mute"};
// The effect parameters of the shown microphone channel ({mic}: mica or micb).
const SettingListRow kEffects[CDialogMusic::kEffectRows] = {
    {"混响电平", "Reverb Level", "{mic}.reverb.level", kReverbMuted},
    {"混响预延时", "Reverb Predelay", "{mic}.reverb.predelay"},
    {"混响时长", "Reverb Time", "{mic}.reverb.time"},
    {"回声电平", "Echo Level", "{mic}.echo.level", kEchoMuted},
    {"回声预延时", "Echo Predelay", "{mic}.echo.predelay"},
    {"回声间隔", "Echo Time", "{mic}.echo.time"},
    {"回声起始音量", "Echo Start Vol", "{mic}.echo.start"},
    {"回声衰减比例", "Echo Vol Decay", "{mic}.echo.decay"},
    {"话筒移频", "Shift Frequency", "{mic}.shift"},
};
constexpr int kShiftRow = 8;

// The small reverb and echo curves: title, hint and the effects pages of CH A and CH B.
struct CurveInfo {
    int titleId, hintId;
    const char *title, *hint;
    int kind[2];
};
const CurveInfo kCurves[2] = {
    {1132, 1145, "混响均衡", "点击下面方框进入混响均衡调节界面", {eqkind::kReverbA, eqkind::kReverbB}},
    {1142, 1146, "回声均衡", "点击下面方框进入回声均衡调节界面", {eqkind::kEchoA, eqkind::kEchoB}},
};

struct PageLook {
    int code;
    EqId eq;
    QColor bandText;
    QRgb curve;
};
const PageLook kLooks[3] = {
    {CDialogMusic::kMusicCode, EqId::Music, QColor(255, 200, 0), 0xFF646464},
    {CDialogMusic::kMicACode, EqId::MicA, QColor(0, 200, 255), 0xFF00C8FF},
    {CDialogMusic::kMicBCode, EqId::MicB, QColor(0, 220, 0), 0xFF00DC00},
};
const PageLook& LookOf(int code) {
    for (const PageLook& l : kLooks)
        if (l.code == code) return l;
    return kLooks[0];
}

const QColor kMicEffectText(0, 200, 255);
const QColor kMusicEffectText(100, 100, 100);

QLabel* TextLabel(QWidget* parent, int id, const char* chinese, Qt::Alignment align = Qt::AlignCenter) {
    auto* l = new QLabel(QString::fromUtf8(chinese), parent);
    if (id) SetControlId(l, id);
    l->setAlignment(align);
    return l;
}

}  // namespace

CDialogMusic::CDialogMusic(PageContext& context, int pageCode, QWidget* parent)
    : CPageBase(context, PageId::Music, kDialog, parent) {
    setObjectName(QStringLiteral("musicPage"));
    style::ApplyPageLook(this);
    m_editor = new CEqEditor(context, this);
    SetEqualiser(m_editor);

    // Equaliser above, inputs and effects below, the small effect curves beside the panel and
    // the band list down the right-hand side.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(8);
    grid->addWidget(BuildPageButtons(), 0, 0, 1, 3);
    grid->addWidget(m_editor->Panel(), 1, 0);
    grid->addWidget(BuildCurves(), 1, 1);
    m_editor->Stack()->setFixedWidth(kBandListWidth);
    grid->addWidget(m_editor->Stack(), 1, 2, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    bottom->addWidget(BuildMicInputs());
    bottom->addWidget(BuildMeters());
    bottom->addWidget(BuildEffects(), 1);
    grid->addLayout(bottom, 2, 0, 1, 2);
    grid->setRowStretch(1, 3);
    grid->setRowStretch(2, 2);
    grid->setColumnStretch(0, 1);
    m_editor->Panel()->setMinimumSize(480, 220);

    AddWheelTarget(m_effectRows->Slider());

    m_meterTimer.setInterval(kMeterPollMs);
    connect(&m_meterTimer, &QTimer::timeout, this, &CDialogMusic::FeedMeters);
    m_meterTimer.start();

    Open(pageCode);
}

QWidget* CDialogMusic::BuildPageButtons() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);
    const char* names[3] = {"话筒通道A", "话筒通道B", "音乐"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new CGdipButton(row);
        b->setText(QString::fromUtf8(names[i]));
        SetControlId(b, kPageButtonIds[i]);
        b->setFixedSize(110, 30);
        b->setObjectName(QStringLiteral("pageButton%1").arg(kPageCodes[i]));
        const int code = kPageCodes[i];
        connect(b, &CGdipButton::clicked, this, [this, code] { Context().ShowPage(PageId::Music, code); });
        h->addWidget(b);
        m_pageButtons[static_cast<std::size_t>(i)] = b;
    }
    h->addStretch(1);
    return row;
}

CGdipButton* CDialogMusic::PageButton(int code) const {
    for (int i = 0; i < 3; ++i)
        if (kPageCodes[i] == code) return m_pageButtons[static_cast<std::size_t>(i)];
    return nullptr;
}

QRadioButton* CDialogMusic::Route(int input, int channel) const {
    return m_route[static_cast<std::size_t>(input)][static_cast<std::size_t>(channel)];
}

QWidget* CDialogMusic::BuildMicInputs() {
    QWidget* box = style::Section(this);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(6, 6, 6, 6);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(3);
    for (int i = 0; i < kMicInputs; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const int col = i * 4;
        auto* name = TextLabel(box, kFirstMicNameId + i, "话筒口");
        name->setText(QStringLiteral("话筒口%1").arg(i + 1));
        name->setFont(style::CaptionFont(12));
        g->addWidget(name, 0, col, 1, 3, Qt::AlignLeft);
        auto* group = new QButtonGroup(box);
        for (int ch = 0; ch < 2; ++ch) {
            auto* r = new QRadioButton(QString::fromUtf8(ch ? "通道B" : "通道A"), box);
            SetControlId(r, kFirstRouteId + 2 * i + ch);
            r->setObjectName(QStringLiteral("route%1%2").arg(i + 1).arg(ch ? 'B' : 'A'));
            group->addButton(r);
            g->addWidget(r, 1 + ch, col, 1, 3, Qt::AlignLeft);
            m_route[u][static_cast<std::size_t>(ch)] = r;
        }
        const std::string input = "mic." + std::to_string(i + 1);
        // The first of the radio pair is CH A.
        Bind().Add(AddressRow(input + ".route"), {m_route[u][0], m_route[u][1]});
        CXBmpSlider** sliders[2] = {&m_gate[u], &m_volume[u]};
        QLabel** values[2] = {&m_gateLabel[u], &m_volumeLabel[u]};
        for (int k = 0; k < 2; ++k) {
            auto* caption = TextLabel(box, kFirstGateNameId + 4 * i + 2 * k, k ? "音量" : "噪声门");
            caption->setFont(style::TextFont(10));
            g->addWidget(caption, 3, col + 1 + k);
            auto* s = new CXBmpSlider((k ? kVolumeSliderId : kGateSliderId) + i, Qt::Vertical, box);
            s->setMinimumSize(22, 90);
            s->SetBackground(style::kPanelBackground);
            g->addWidget(s, 4, col + 1 + k, Qt::AlignHCenter);
            auto* v = TextLabel(box, 0, "0");
            v->setFont(style::TextFont(10));
            g->addWidget(v, 5, col + 1 + k);
            *sliders[k] = s;
            *values[k] = v;
            Bind().Add(AddressRow(input + (k ? ".level" : ".gate")), {s}, {v});
        }
        auto* meter = new CPeakMeterCtrl(box, 1, 20);
        meter->SetBackground(style::kListBackground);
        meter->setFixedWidth(8);
        g->addWidget(meter, 4, col, Qt::AlignHCenter);
        m_meters[u] = meter;
        g->setColumnMinimumWidth(col + 1, 30);
        g->setColumnMinimumWidth(col + 2, 30);
        if (i + 1 < kMicInputs) g->setColumnMinimumWidth(col + 3, 4);
    }
    g->setRowStretch(4, 1);
    return box;
}

QWidget* CDialogMusic::BuildMeters() {
    QWidget* box = style::Section(this);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(6, 6, 6, 6);
    g->setHorizontalSpacing(6);
    // After the microphones: the music peak (two meters), SPDIF (two), Aux 1 and Aux 2.
    struct Group {
        int count, id;
        const char* chinese;
    };
    const Group groups[] = {{2, kFirstMeterNameId, "音乐电平"},
                            {2, kFirstMeterNameId + 1, "光纤/同轴"},
                            {1, kFirstMeterNameId + 2, "模拟输入1"},
                            {1, kFirstMeterNameId + 3, "模拟输入2"}};
    int meter = kMicMeters;
    for (int col = 0; col < 4; ++col) {
        const Group& grp = groups[col];
        auto* bars = new QHBoxLayout;
        bars->setSpacing(2);
        for (int k = 0; k < grp.count; ++k, ++meter) {
            auto* m = new CPeakMeterCtrl(box, 1, 20);
            m->SetBackground(style::kListBackground);
            m->setFixedWidth(9);
            m->setMinimumHeight(110);
            m_meters[static_cast<std::size_t>(meter)] = m;
            bars->addWidget(m);
        }
        g->addLayout(bars, 0, col, Qt::AlignHCenter);
        auto* l = TextLabel(box, grp.id, grp.chinese);
        l->setFont(style::TextFont(10));
        // One line each: a name broken inside a word ("光纤/同\n轴") reads as two names.
        l->setMinimumWidth(40);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        g->addWidget(l, 1, col, Qt::AlignHCenter | Qt::AlignTop);
    }
    g->setRowStretch(0, 1);
    return box;
}

QWidget* CDialogMusic::BuildEffects() {
    m_effects = style::Section(this);
    auto* v = new QVBoxLayout(m_effects);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(4);
    m_effectList = new CGridListCtrlEx(m_effects);
    m_effectList->setObjectName(QStringLiteral("effectList"));
    m_effectList->SetColumns(kEffectColumns);
    m_effectList->SetRowCount(kEffectRows);
    for (int r = 0; r < kEffectRows; ++r) m_effectList->SetCellText(r, 0, QString::number(r + 1));
    m_effectList->setMinimumWidth(276);
    // Every parameter in sight: the list is short, and a scroll bar hides the last ones.
    m_effectList->setMinimumHeight(m_effectList->horizontalHeader()->sizeHint().height() +
                                   kEffectRows * m_effectList->verticalHeader()->defaultSectionSize() +
                                   2 * m_effectList->frameWidth());
    v->addWidget(m_effectList, 1);
    CGridListCtrlEx* list = m_effectList;
    const SettingList::View view{list, [list](int r, const QString& t) { list->SetCellText(r, kEffectColumnName, t); },
                                 [list](int r, const QString& t) { list->SetCellText(r, kEffectColumnValue, t); },
                                 [list](int r) { list->SelectRowQuietly(r); }};
    m_effectRows = new SettingList(Bind(), Context(), view, m_effects, kEffectSliderId, QStringLiteral("effect"));
    v->addWidget(m_effectRows->Bar());
    std::vector<SettingListRow> rows(std::begin(kEffects), std::end(kEffects));
    // Settings 0 and 1 both leave the shifter out, worded in the interface's language.
    rows[kShiftRow].text = [this](int v, LabelUse) {
        return v <= 1 ? Context().Text("关闭", "Off") : QString::asprintf("%dHz", v);
    };
    m_effectRows->SetRows(rows, MicNames());
    connect(list, &CGridListCtrlEx::rowSelected, m_effectRows, &SettingList::Select);
    return m_effects;
}

QWidget* CDialogMusic::BuildCurves() {
    m_curves = style::Section(this);
    auto* v = new QVBoxLayout(m_curves);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(2);
    CSmallEqPanel** panels[2] = {&m_reverbCurve, &m_echoCurve};
    for (int i = 0; i < 2; ++i) {
        const CurveInfo& c = kCurves[i];
        auto* title = TextLabel(m_curves, c.titleId, c.title, Qt::AlignLeft | Qt::AlignVCenter);
        title->setFont(style::CaptionFont(12));
        title->setStyleSheet(QStringLiteral("color: rgb(230,40,40);"));
        auto* hint = TextLabel(m_curves, c.hintId, c.hint, Qt::AlignLeft | Qt::AlignVCenter);
        hint->setFont(style::TextFont(11));
        hint->setProperty("hint", true);
        hint->setWordWrap(true);
        auto* panel = new CSmallEqPanel(m_curves);
        panel->setMinimumSize(180, 64);
        panel->setCursor(Qt::PointingHandCursor);
        const int kindA = c.kind[0], kindB = c.kind[1];
        connect(panel, &CSmallEqPanel::clicked, this,
                [this, kindA, kindB] { Context().ShowPage(PageId::Effects, Channel() ? kindB : kindA); });
        *panels[i] = panel;
        v->addWidget(title);
        v->addWidget(hint);
        v->addWidget(panel, 1);
    }
    m_curves->setFixedWidth(200);
    return m_curves;
}

AddressNames CDialogMusic::MicNames() const { return {{"mic", Channel() ? "micb" : "mica"}}; }

// ---- Kind, reload, relabel ----

void CDialogMusic::OnKindChanged() {
    if (Kind() != kMicACode && Kind() != kMicBCode) SetKindQuietly(kMusicCode);
    Context().State().inputPageCode = Kind();
    const PageLook& look = LookOf(Kind());
    m_editor->SetListColors(look.bandText, style::kListBackground);
    m_effectList->SetColors(IsMicPage() ? kMicEffectText : kMusicEffectText, style::kListBackground);
    for (int i = 0; i < 3; ++i) m_pageButtons[static_cast<std::size_t>(i)]->SetLatched(kPageCodes[i] == Kind());
    // The effect parameters and curves belong to the microphone channels.
    for (CSmallEqPanel* curve : {m_reverbCurve, m_echoCurve}) {
        curve->setEnabled(IsMicPage());
        curve->SetCurveColor(look.curve);
    }
    m_effectRows->SetNames(MicNames());
    m_effectRows->SetActive(IsMicPage());
}

void CDialogMusic::OnReload() {
    m_editor->Load(LookOf(Kind()).eq);
    // The music page has no effects.
    m_effectRows->Refresh();
    LoadCurves();
    FeedMeters();
}

void CDialogMusic::OnLock(bool locked) { m_effectRows->ShowLocked(locked); }

void CDialogMusic::OnRelabel() {
    m_effectList->SetLanguage(Context().Language());
    m_effectRows->Relabel();
}

void CDialogMusic::LoadCurves() {
    if (!IsMicPage()) return;
    const DeviceContext& dev = Context().Device();
    const EqId reverb = Channel() ? EqId::ReverbB : EqId::ReverbA;
    const EqId echo = Channel() ? EqId::EchoB : EqId::EchoA;
    for (auto [panel, id] : {std::pair{m_reverbCurve, reverb}, std::pair{m_echoCurve, echo}}) {
        for (int b = 0; b < CSmallEqPanel::kBands; ++b) {
            const BandDescriptor d = dev.encoders.ReadBand(id, b);
            CSmallEqPanel::Band& band = panel->BandAt(b);
            band.code = d.code >= 0 && d.code <= eq::kCodeHighShelf ? d.code : 0;
            if (band.code == eq::kCodePeaking) band.q = 1.41f;
            if (band.code == eq::kCodeLowPass || band.code == eq::kCodeHighPass) band.q = 0.7f;
            panel->SetGain(b, d.gainDb);
            panel->SetFrequency(b, d.frequencyHz);
            if (std::fabs(d.q) >= 1e-7)
                band.q = static_cast<float>(std::clamp(d.q, band.code == eq::kCodePeaking ? 1.0 : 0.1, 30.0));
            panel->EvaluateBand(b);
        }
        panel->SetBypass(dev.store.Int(EqInfoOf(id).bypassField) != 0);
        panel->update();
    }
}

void CDialogMusic::FeedMeters() {
    const auto record = Context().Device().store.GetLevelMeter();
    for (int i = 0; i < kMeters; ++i) {
        const int level = record[static_cast<std::size_t>(i)];
        m_meters[static_cast<std::size_t>(i)]->SetLevels(std::span<const int>(&level, 1));
    }
}

}  // namespace kv
