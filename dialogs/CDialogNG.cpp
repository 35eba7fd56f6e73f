#include "dialogs/CDialogNG.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "eq/CXBmpSlider.h"
#include "ui/PageContext.h"
#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kSliderFirstId = 1000;

struct GateRow {
    const char* address;
    int captionId;
    const char* chinese;
    const char* english;
};
constexpr GateRow kRows[CDialogNG::kSliderCount] = {
    {"mic.gate.attack", 1123, "启动时间", "Attack time"},
    {"mic.gate.release", 1124, "关闭时间", "Release time"},
    {"music.gate.attack", 1125, "启动时间", "Attack time"},
    {"music.gate.release", 1126, "关闭时间", "Release time"},
};
}  // namespace

CDialogNG::CDialogNG(PageContext& context, QWidget* parent) : QDialog(parent), m_host(context, *this, kDialogId) {
    const int lang = context.Language();
    setModal(true);
    setWindowTitle(Bi(lang, "噪声门设置", "Noise gate"));

    auto* layout = new QVBoxLayout(this);
    for (int group = 0; group < 2; ++group) {
        auto* box = new QGroupBox(group == 0 ? Bi(lang, "话筒噪声门(启动时间过短容易产生噪声）",
                                                  "Mic noise gate (a short attack time may cause noise)")
                                             : Bi(lang, "音乐噪声门(启动时间过短容易产生噪声）",
                                                  "Music noise gate (a short attack time may cause noise)"),
                                  this);
        SetControlId(box, group == 0 ? 1178 : 1179);
        auto* grid = new QGridLayout(box);
        for (int i = 0; i < 2; ++i) {
            const int s = group * 2 + i;
            const GateRow& r = kRows[s];
            auto* caption = new QLabel(Bi(lang, r.chinese, r.english), box);
            SetControlId(caption, r.captionId);
            auto* slider = new CXBmpSlider(kSliderFirstId + s, Qt::Horizontal, box);
            slider->setMinimumWidth(220);
            auto* value = new QLabel(box);
            value->setMinimumWidth(32);
            // The position is a time: the low end opens or closes fastest.
            auto* fast = new QLabel(Bi(lang, "快", "fast"), box);
            auto* slow = new QLabel(Bi(lang, "慢", "slow"), box);
            fast->setObjectName(QStringLiteral("gateFast%1").arg(s));
            slow->setObjectName(QStringLiteral("gateSlow%1").arg(s));
            grid->addWidget(caption, i, 0);
            grid->addWidget(fast, i, 1);
            grid->addWidget(slider, i, 2);
            grid->addWidget(slow, i, 3);
            grid->addWidget(value, i, 4);
            m_sliders[static_cast<std::size_t>(s)] = slider;
            m_values[static_cast<std::size_t>(s)] = value;
            m_host.Bind().Add(AddressRow(r.address), {slider}, {value});
        }
        layout->addWidget(box);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Bi(lang, "确定", "OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(Bi(lang, "取消", "Cancel"), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_host.Relabel();
    m_host.Reload();
    m_host.ShowLocked();
    m_host.RouteWheel();
}

}  // namespace kv
