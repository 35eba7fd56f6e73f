#include "dialogs/CDialogNG.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "ui/UiText.h"
#include "eq/CXBmpSlider.h"
#include "model/Fields.h"
#include "ui/PageContext.h"

namespace kv {

namespace {
// The field holds 101 - p, so the top of the slider is the shortest time; the wire table
// scales it (1e-5 for opening, 1e-7 for closing).
constexpr int kFlip = range::kGateTimeFlip;
constexpr int kSliderFirstId = 1000;

struct GateRow {
    int field;
    int captionId;
    const char* chinese;
    const char* english;
};
constexpr GateRow kRows[CDialogNG::kSliderCount] = {
    {fld::kMicGateOpen, 1123, "启动时间", "Attack time"},
    {fld::kMicGateClose, 1124, "关闭时间", "Release time"},
    {fld::kMusicGateOpen, 1125, "启动时间", "Attack time"},
    {fld::kMusicGateClose, 1126, "关闭时间", "Release time"},
};
}  // namespace

CDialogNG::CDialogNG(PageContext& context, QWidget* parent) : QDialog(parent), m_binder(context, this) {
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
            grid->addWidget(caption, i, 0);
            grid->addWidget(slider, i, 1);
            grid->addWidget(value, i, 2);
            m_sliders[static_cast<std::size_t>(s)] = slider;
            m_values[static_cast<std::size_t>(s)] = value;

            BindRow row;
            row.field = r.field;
            row.minimum = range::kGateTimeMin;
            row.maximum = range::kGateTimeMax;
            row.read = [field = r.field](const DeviceContext& dev) {
                return std::clamp(kFlip - dev.store.Int(field), range::kGateTimeMin, range::kGateTimeMax);
            };
            row.apply = [field = r.field](DeviceContext& dev, int p) {
                dev.store.SetInt(field, kFlip - p);
                dev.encoders.SendField(field);
            };
            row.text = Format("%d");
            m_binder.Add(std::move(row), {slider}, {value});
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

    context.ApplyTable(this, kDialogId);
    m_binder.Reload();
    m_binder.ShowLocked(context.Locked());
}

void CDialogNG::wheelEvent(QWheelEvent* event) {
    // The wheel belongs to the focused slider wherever the pointer is.
    QWidget* focus = QApplication::focusWidget();
    if (m_binder.TakesWheel(focus)) {
        QWheelEvent copy(event->position(), event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                         event->buttons(), event->modifiers(), event->phase(), event->inverted());
        QApplication::sendEvent(focus, &copy);
        return;
    }
    QDialog::wheelEvent(event);
}

}  // namespace kv
