#include "pages/CCompDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <map>
#include <string>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "eq/CCompressPanelPlus.h"
#include "eq/CXBmpSlider.h"
#include "pages/CNavigationBar.h"
#include "ui/PageStyle.h"
#include "ui/UiText.h"

namespace kv {

namespace {

struct BlockInfo {
    const fld::OutputFields* out;
    const char* name;  // the output's part of the compressor's addresses
    int enableId;
    const char* enableCaption;
};
const BlockInfo kInfo[CCompDlg::kBlocks] = {
    {&fld::kMain, "main", 1026, "前置压限启用"},     {&fld::kRear, "rear", 1027, "后置压限启用"},
    {&fld::kCenter, "center", 1031, "中置压限启用"}, {&fld::kSub, "sub", 1033, "超低压限启用"},
    {&fld::kTop, "top", 1034, "顶置压限启用"},
};

struct SliderInfo {
    int captionId;
    const char* caption;
    const char* address;
};
const SliderInfo kSliderInfo[CCompDlg::kSliders] = {
    {1005, "阀(阈)", "{out}.comp.threshold"},
    {1006, "衰减比例", "{out}.comp.ratio"},
    {1007, "启动时间", "{out}.comp.attack"},
    {1008, "释放时间", "{out}.comp.release"},
};
constexpr int kSliderId = 300;

}  // namespace

CCompDlg::CCompDlg(PageContext& context, int kind, QWidget* parent)
    : CPageBase(context, PageId::Compressor, kDialog, parent) {
    setObjectName(QStringLiteral("compressorPage"));
    style::ApplyPageLook(this);
    m_nav = new CNavigationBar(*this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setSpacing(8);
    grid->addWidget(m_nav, 0, 0, 1, kBlocks);
    for (int b = 0; b < kBlocks; ++b) {
        grid->addWidget(BuildBlock(b), 1, b);
        grid->setColumnStretch(b, 1);
        AddRows(b);
    }
    grid->setRowStretch(1, 1);
    connect(&Bind(), &Binder::issued, this, [this](int handle, int) {
        for (int b = 0; b < kBlocks; ++b) {
            const int first = m_blocks[static_cast<std::size_t>(b)].firstHandle;
            if (handle >= first && handle <= first + kSliders) SyncPanel(b);
        }
    });
    Open(kind);
    m_nav->Mark();
}

QWidget* CCompDlg::BuildBlock(int b) {
    Block& blk = m_blocks[static_cast<std::size_t>(b)];
    QWidget* box = style::Section(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(4);
    blk.enable = new QCheckBox(QString::fromUtf8(kInfo[b].enableCaption), box);
    blk.enable->setObjectName(QStringLiteral("compEnable%1").arg(b));
    SetControlId(blk.enable, kInfo[b].enableId);
    v->addWidget(blk.enable);
    blk.panel = new CCompressPanelPlus(box);
    blk.panel->setObjectName(QStringLiteral("compPanel%1").arg(b));
    blk.panel->SetFloor(kFloorDb);
    v->addWidget(blk.panel, 1);
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(4);
    for (int s = 0; s < kSliders; ++s) {
        const auto u = static_cast<std::size_t>(s);
        auto* caption = new QLabel(QString::fromUtf8(kSliderInfo[s].caption), box);
        SetControlId(caption, kSliderInfo[s].captionId);
        caption->setFont(style::TextFont(11));
        g->addWidget(caption, 2 * s, 0, 1, 2);
        auto* slider = new CXBmpSlider(kSliderId + 10 * b + s, Qt::Horizontal, box);
        slider->setObjectName(QStringLiteral("comp%1_%2").arg(b).arg(s));
        slider->setMinimumHeight(20);
        slider->SetBackground(style::kPanelBackground);
        g->addWidget(slider, 2 * s + 1, 0);
        // Read-only value boxes.
        auto* value = new QLabel(box);
        value->setAlignment(Qt::AlignCenter);
        value->setFixedWidth(58);
        value->setStyleSheet(QStringLiteral(
            "background: rgb(20,20,20); color: rgb(255,200,0); border: 1px solid rgb(70,74,80); border-radius: 2px;"));
        g->addWidget(value, 2 * s + 1, 1);
        blk.sliders[u] = slider;
        blk.values[u] = value;
    }
    g->setColumnStretch(0, 1);
    v->addLayout(g);
    return box;
}

void CCompDlg::AddRows(int b) {
    Block& blk = m_blocks[static_cast<std::size_t>(b)];
    const std::map<std::string, std::string, std::less<>> names{{"out", kInfo[b].name}};
    blk.firstHandle = Bind().Add(AddressRow(FillAddress("{out}.comp", names)), {blk.enable});
    // Each slider sends the whole compressor: its own new value with the others as stored.
    for (int s = 0; s < kSliders; ++s) {
        BindRow row = AddressRow(FillAddress(kSliderInfo[s].address, names));
        if (!row.setting) continue;
        // A moving slider shows its position; a refresh shows the stored value itself.
        const Setting* setting = row.setting;
        row.text = [this, setting](int p, LabelUse use) {
            const double v = use == LabelUse::Moving ? p * setting->step : setting->read(Context().Device());
            return QString::fromStdString(FormatSetting(*setting, v));
        };
        Bind().Add(row, {blk.sliders[static_cast<std::size_t>(s)]}, {blk.values[static_cast<std::size_t>(s)]});
    }
}

void CCompDlg::SyncPanel(int b) {
    const Block& blk = m_blocks[static_cast<std::size_t>(b)];
    const fld::OutputFields& out = *kInfo[b].out;
    const ParameterStore& store = Context().Device().store;
    blk.panel->SetEnabled(store.Int(out.compBypass()) == 0 ? 1 : 0);
    blk.panel->SetThreshold(store.Float(out.compThreshold()));
    blk.panel->SetRatio(store.Float(out.compRatio()));
}

void CCompDlg::OnReload() {
    for (int b = 0; b < kBlocks; ++b) SyncPanel(b);
}

}  // namespace kv
