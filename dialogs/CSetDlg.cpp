#include "dialogs/CSetDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "eq/CXBmpSlider.h"
#include "model/Fields.h"
#include "model/SettingsRecord.h"
#include "ui/LockLook.h"
#include "ui/UiText.h"
#include "ui/WindowLook.h"
#include "ui/WindowParts.h"

namespace kv {

namespace {
constexpr int kModes = 4;
// The power-on rows' position for a volume that is not set ("none").
constexpr int kNone = record::kPowerOnMax + 1;

// The numbers are the controls' keys in the language tables.
// A check box bound to a setting, added to its group's row.
QCheckBox* Check(const QString& text, int id, QGroupBox* group, Binder& bind, BindRow row, int* handle = nullptr) {
    auto* b = WithId(new QCheckBox(text, group), id);
    group->layout()->addWidget(b);
    const int h = bind.Add(std::move(row), {b});
    if (handle) *handle = h;
    return b;
}
// A level slider and the label of its value.
CXBmpSlider* Slider(int id, QWidget* parent) {
    auto* s = new CXBmpSlider(id, Qt::Horizontal, parent);
    s->SetBackground(kWindowBackground);
    s->setMinimumWidth(180);
    return s;
}
QLabel* ValueLabel(int id, QWidget* parent) {
    QLabel* l = IdLabel(QString(), id, parent);
    l->setMinimumWidth(40);
    return l;
}
}  // namespace

// The record's controls stage their values in the edited copy; "Apply" sends it whole.
CSetDlg::CSetDlg(AuxContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_host(context, *this, kDialogId) {
    Binder& bind = m_host.Bind();
    const int lang = context.Language();
    MakeModeless(*this);
    setWindowTitle(Bi(lang, "机器设置", "Device settings"));
    PaintWindowBackground(*this);

    // Power-on volumes and limits.
    static const struct {
        int name, check, slider, value, maxName, maxSlider, maxValue;
        const char *zh, *en, *maxZh, *maxEn, *powerOnAddress, *maxAddress;
    } kIds[2] = {{1041, 1039, 1014, 1145, 1043, 1016, 1147, "话筒开机音量", "Mic power-on vol", "话筒最大音量",
                  "Mic max vol", "settings.mic.power-on", "settings.mic.max"},
                 {1042, 1040, 1015, 1146, 1044, 1019, 1150, "音乐开机音量", "Music power-on vol", "音乐最大音量",
                  "Music max vol", "settings.music.power-on", "settings.music.max"}};
    auto* powerOn = WithId(new QGroupBox(Bi(lang, "开机音量设置", "Power-on volume"), this), 1002);
    auto* limits = WithId(new QGroupBox(Bi(lang, "限制最大音量", "Volume limits"), this), 1005);
    auto* powerGrid = new QGridLayout(powerOn);
    auto* limitGrid = new QGridLayout(limits);
    for (int ch = 0; ch < 2; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        const auto& id = kIds[ch];
        m_powerOnCheck[i] = WithId(new QCheckBox(Bi(lang, "启用", "Enable"), powerOn), id.check);
        m_powerOnSlider[i] = Slider(id.slider, powerOn);
        m_powerOnLabel[i] = ValueLabel(id.value, powerOn);
        powerGrid->addWidget(IdLabel(Bi(lang, id.zh, id.en), id.name, powerOn), ch, 0);
        powerGrid->addWidget(m_powerOnCheck[i], ch, 1);
        powerGrid->addWidget(m_powerOnSlider[i], ch, 2);
        powerGrid->addWidget(m_powerOnLabel[i], ch, 3);
        m_maxSlider[i] = Slider(id.maxSlider, limits);
        m_maxLabel[i] = ValueLabel(id.maxValue, limits);
        limitGrid->addWidget(IdLabel(Bi(lang, id.maxZh, id.maxEn), id.maxName, limits), ch, 0);
        limitGrid->addWidget(m_maxSlider[i], ch, 1);
        limitGrid->addWidget(m_maxLabel[i], ch, 2);
        // The power-on slider also sets the live level, so the window issues its moves itself.
        m_powerOnRow[i] = bind.Add(StagedAddressRow(id.powerOnAddress), {m_powerOnSlider[i]}, {}, false);
        const int max = bind.Add(StagedAddressRow(id.maxAddress), {m_maxSlider[i]}, {m_maxLabel[i]});
        connect(m_powerOnCheck[i], &QCheckBox::clicked, this, [this, ch](bool on) { OnPowerOnChecked(ch, on); });
        connect(m_powerOnSlider[i], &CXBmpSlider::changed, this, [this, ch](int, int v) { OnPowerOnMoved(ch, v); });
        connect(&bind, &Binder::issued, this, [this, ch, max](int handle, int v) {
            if (handle == max) OnMaxMoved(ch, v);
        });
    }

    // How the master volume is kept.
    auto* saveMode = RowGroup(Bi(lang, "主音量保存模式", "Master volume saving"), 1006, this);
    m_saveMode[0] = WithId(new QRadioButton(Bi(lang, "随开关机保存", "Kept across power cycles"), saveMode), 1190);
    m_saveMode[1] = WithId(new QRadioButton(Bi(lang, "随模式保存", "Kept with the mode"), saveMode), 1191);
    for (QRadioButton* r : m_saveMode) saveMode->layout()->addWidget(r);
    // A radio pair's first button stands for 1: kept with the mode.
    bind.Add(StagedAddressRow("settings.save-mode"), {m_saveMode[1], m_saveMode[0]});

    // Front-panel locks: the volume and mode locks only mean something with the panel locked.
    auto* locks = RowGroup(Bi(lang, "面板锁定", "Panel lock"), 1045, this);
    int panel = -1;
    m_panelLock =
        Check(Bi(lang, "锁定面板", "Lock panel"), 1046, locks, bind, StagedAddressRow("settings.panel-lock"), &panel);
    m_volumeLock =
        Check(Bi(lang, "锁定音量", "Lock volume"), 1047, locks, bind, StagedAddressRow("settings.volume-lock"));
    m_modeLock = Check(Bi(lang, "锁定模式", "Lock mode"), 1048, locks, bind, StagedAddressRow("settings.mode-lock"));
    connect(&bind, &Binder::issued, this, [this, panel](int handle) {
        if (handle == panel) UpdateLockEnables();
    });

    auto* mode = RowGroup(Bi(lang, "开机指定模式", "Power-on mode"), 1023, this);
    m_powerOnMode = WithId(new QComboBox(mode), 1134);
    m_powerOnMode->addItems({QStringLiteral("Auto"), QStringLiteral("M1"), QStringLiteral("M2"), QStringLiteral("M3"),
                             QStringLiteral("M4")});
    mode->layout()->addWidget(m_powerOnMode);
    bind.Add(StagedAddressRow("settings.power-on-mode"), {m_powerOnMode});

    // Microphone phase: a parameter, sent at once.
    auto* phase = RowGroup(Bi(lang, "话筒反相", "Mic phase"), 1013, this);
    m_phase[0] = Check(Bi(lang, "话筒1组反向", "Invert mic group 1"), 1193, phase, bind, AddressRow("mic.phase.1"));
    m_phase[1] = Check(Bi(lang, "话筒2组反向", "Invert mic group 2"), 1194, phase, bind, AddressRow("mic.phase.2"));

    // Resetting a user mode of the box.
    auto* reset = RowGroup(Bi(lang, "重置机器模式", "Reset device mode"), 1012, this);
    for (int slot = 0; slot < kModes; ++slot) {
        auto* b = WindowButton(QStringLiteral("M%1").arg(slot + 1), kResetFirstCommand + slot, reset);
        m_reset[static_cast<std::size_t>(slot)] = b;
        reset->layout()->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, slot] { ResetMode(slot); });
    }

    // Upgrades are done by other means; the buttons are kept where users expect them.
    auto* upgrade = RowGroup(Bi(lang, "机器升级", "Upgrade"), 1022, this);
    upgrade->layout()->addWidget(WindowButton(Bi(lang, "单片机升级", "MCU upgrade"), 1068, upgrade));
    upgrade->layout()->addWidget(WindowButton(Bi(lang, "内核升级", "DSP upgrade"), 1069, upgrade));

    m_apply = WindowButton(Bi(lang, "应用设置", "Apply"), kApplyId, this);
    m_cancel = WindowButton(Bi(lang, "取消设置", "Cancel"), kCancelId, this);
    connect(m_apply, &QPushButton::clicked, this, &CSetDlg::Apply);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);

    auto* grid = new QGridLayout(this);
    const QList<QWidget*> groups = {powerOn, limits, saveMode, locks, mode, phase, reset, upgrade};
    for (int g = 0; g < groups.size(); ++g) grid->addWidget(groups[g], g / 2, g % 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    m_host.RouteWheel();
    Refresh();
}

QString CSetDlg::InvalidText() const { return Bi(m_context.Language(), "无效", "Invalid"); }

void CSetDlg::Refresh() {
    // Edits start from what the box holds; an edited copy left over from start-up would
    // otherwise send limits of 0.
    Restore();
    m_host.Relabel();
    // The limits bound the power-on sliders before these show their values.
    for (std::size_t i = 0; i < 2; ++i)
        m_powerOnSlider[i]->SetRange(0, m_host.Bind().Position(m_host.Bind().HandleOf(m_maxSlider[i])));
    m_host.Reload();
    for (int ch = 0; ch < 2; ++ch) ShowPowerOn(ch, true);
    UpdateLockEnables();
    ApplyLock();
}

void CSetDlg::Relabel() {
    m_host.Relabel();
    for (int ch = 0; ch < 2; ++ch) ShowPowerOn(ch);
}

// Check box, enables and label from the staged power-on volume (the slider stays within its
// limit); an unset volume's thumb rests at 0 when the window opens, as a new slider's does.
void CSetDlg::ShowPowerOn(int channel, bool opening) {
    const auto i = static_cast<std::size_t>(channel);
    const bool set = m_host.Bind().Position(m_powerOnRow[i]) != kNone;
    m_powerOnCheck[i]->setChecked(set);
    if (!set && opening) m_powerOnSlider[i]->SetPosition(0);
    m_powerOnSlider[i]->setEnabled(set);
    m_powerOnLabel[i]->setEnabled(set);
    m_powerOnLabel[i]->setText(set ? QString::number(m_powerOnSlider[i]->Position()) : InvalidText());
}

void CSetDlg::OnPowerOnChecked(int channel, bool checked) {
    if (m_context.Locked()) return Refresh();
    const auto i = static_cast<std::size_t>(channel);
    // Set: the present live level, kept within the limit so that the box never powers on above it.
    const int live = m_context.Device().store.Int(channel == kMic ? fld::kMicVolume : fld::kMusicVolume);
    const int v = checked ? std::clamp(live, 0, m_powerOnSlider[i]->Maximum()) : kNone;
    m_host.Bind().Issue(m_powerOnRow[i], v);
    ShowPowerOn(channel);
}

void CSetDlg::OnPowerOnMoved(int channel, int v) {
    // The live level follows this slider, so a locked window sends nothing and shows the box.
    if (m_context.Locked()) return Refresh();
    const auto i = static_cast<std::size_t>(channel);
    v = std::clamp(v, 0, m_powerOnSlider[i]->Maximum());
    // The user hears the level; it is stored before the row's notice so the ribbon reads it.
    Encoders& send = m_context.Device().encoders;
    channel == kMic ? send.MicLevel(v) : send.MusicLevel(v);
    m_host.Bind().Issue(m_powerOnRow[i], v);
    m_powerOnLabel[i]->setText(QString::number(v));
}

void CSetDlg::OnMaxMoved(int channel, int v) {
    const auto i = static_cast<std::size_t>(channel);
    CXBmpSlider* power = m_powerOnSlider[i];
    const int before = power->Position();
    power->SetRange(0, v);
    if (before <= v) return;
    // A power-on volume that is not set stays not set; only the thumb follows the limit.
    if (m_powerOnCheck[i]->isChecked())
        OnPowerOnMoved(channel, v);
    else
        power->SetPosition(v);
}

void CSetDlg::UpdateLockEnables() {
    m_volumeLock->setEnabled(m_panelLock->isChecked());
    m_modeLock->setEnabled(m_panelLock->isChecked());
}

void CSetDlg::ApplyLock() { SetLockLookAll(this, m_context.Locked(), {m_cancel}); }

bool CSetDlg::Usable() {
    if (m_context.Locked()) return false;
    if (m_context.Device().link.IsOpen()) return true;
    m_context.Notice(m_context.Text("请先连接设备!", "Please connect device!"));
    return false;
}

void CSetDlg::Apply() {
    if (!Usable()) return;
    DeviceContext& dev = m_context.Device();
    dev.encoders.WriteSettings(dev.store.EditedSettings());
    m_context.Notice(m_context.Text("机器设置已生效!", "Setting valid"));
}

void CSetDlg::ResetMode(int slot) {
    if (!Usable()) return;
    // The slot's stored mode is lost: asked, with No as the default.
    const QString text =
        m_context.Text("您确定要重置机器模式%1吗?", "Are you sure reset machine mode %1?").arg(slot + 1);
    if (!m_context.AskDestructive(m_context.Text("提示", "Information"), text)) return;
    m_context.Device().encoders.ResetUserMode(slot);
    m_context.ReadBack();
}

void CSetDlg::Restore() {
    ParameterStore& store = m_context.Device().store;
    store.SetEditedSettings(store.AppliedSettings());
}

void CSetDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    if (event->key() == Qt::Key_Escape) Restore();
    QDialog::keyPressEvent(event);
}

void CSetDlg::closeEvent(QCloseEvent* event) {
    Restore();
    QDialog::closeEvent(event);
}

}  // namespace kv
