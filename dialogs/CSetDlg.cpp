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
#include <QVBoxLayout>
#include <algorithm>

#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "eq/CXBmpSlider.h"
#include "model/Fields.h"
#include "model/SettingsRecord.h"
#include "ui/LockLook.h"
#include "ui/UiText.h"
#include "ui/WindowLook.h"

namespace kv {

namespace {
constexpr int kModes = 4;
// The power-on rows' position for a volume that is not set ("none").
constexpr int kNone = record::kPowerOnMax + 1;
const char* const kPowerOnAddress[2] = {"settings.mic.power-on", "settings.music.power-on"};
const char* const kMaxAddress[2] = {"settings.mic.max", "settings.music.max"};

QPushButton* Button(const QString& text, int id, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    SetControlId(b, id);
    // Enter must not press anything: the dialog stays open on Enter.
    b->setAutoDefault(false);
    return b;
}
QGroupBox* Group(const QString& title, int id, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    SetControlId(g, id);
    return g;
}
QLabel* Label(const QString& text, int id, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    SetControlId(l, id);
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
    static const int kPowerOnCheckIds[2] = {1039, 1040};
    static const int kPowerOnSliderIds[2] = {1014, 1015};
    static const int kPowerOnLabelIds[2] = {1145, 1146};
    static const int kMaxSliderIds[2] = {1016, 1019};
    static const int kMaxLabelIds[2] = {1147, 1150};
    static const char* const kPowerOnZh[2] = {"话筒开机音量", "音乐开机音量"};
    static const char* const kPowerOnEn[2] = {"Mic power-on vol", "Music power-on vol"};
    static const char* const kMaxZh[2] = {"话筒最大音量", "音乐最大音量"};
    static const char* const kMaxEn[2] = {"Mic max vol", "Music max vol"};
    auto* powerOn = Group(Bi(lang, "开机音量设置", "Power-on volume"), 1002, this);
    auto* limits = Group(Bi(lang, "限制最大音量", "Volume limits"), 1005, this);
    auto* powerGrid = new QGridLayout(powerOn);
    auto* limitGrid = new QGridLayout(limits);
    for (int ch = 0; ch < 2; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        powerGrid->addWidget(Label(Bi(lang, kPowerOnZh[ch], kPowerOnEn[ch]), 1041 + ch, powerOn), ch, 0);
        m_powerOnCheck[i] = new QCheckBox(Bi(lang, "启用", "Enable"), powerOn);
        SetControlId(m_powerOnCheck[i], kPowerOnCheckIds[ch]);
        m_powerOnSlider[i] = new CXBmpSlider(kPowerOnSliderIds[ch], Qt::Horizontal, powerOn);
        m_powerOnSlider[i]->SetBackground(kWindowBackground);
        m_powerOnSlider[i]->setMinimumWidth(180);
        m_powerOnLabel[i] = Label(QString(), kPowerOnLabelIds[ch], powerOn);
        m_powerOnLabel[i]->setMinimumWidth(40);
        powerGrid->addWidget(m_powerOnCheck[i], ch, 1);
        powerGrid->addWidget(m_powerOnSlider[i], ch, 2);
        powerGrid->addWidget(m_powerOnLabel[i], ch, 3);

        limitGrid->addWidget(Label(Bi(lang, kMaxZh[ch], kMaxEn[ch]), 1043 + ch, limits), ch, 0);
        m_maxSlider[i] = new CXBmpSlider(kMaxSliderIds[ch], Qt::Horizontal, limits);
        m_maxSlider[i]->SetBackground(kWindowBackground);
        m_maxSlider[i]->setMinimumWidth(180);
        m_maxLabel[i] = Label(QString(), kMaxLabelIds[ch], limits);
        m_maxLabel[i]->setMinimumWidth(40);
        limitGrid->addWidget(m_maxSlider[i], ch, 1);
        limitGrid->addWidget(m_maxLabel[i], ch, 2);

        // The power-on slider also sets the live level, so the window issues its moves itself.
        m_powerOnRow[i] = bind.Add(StagedAddressRow(kPowerOnAddress[ch]), {m_powerOnSlider[i]}, {}, false);
        const int max = bind.Add(StagedAddressRow(kMaxAddress[ch]), {m_maxSlider[i]}, {m_maxLabel[i]});
        connect(m_powerOnCheck[i], &QCheckBox::clicked, this, [this, ch](bool on) { OnPowerOnChecked(ch, on); });
        connect(m_powerOnSlider[i], &CXBmpSlider::changed, this, [this, ch](int, int v) { OnPowerOnMoved(ch, v); });
        connect(&bind, &Binder::issued, this, [this, ch, max](int handle, int v) {
            if (handle == max) OnMaxMoved(ch, v);
        });
    }

    // How the master volume is kept.
    auto* saveMode = Group(Bi(lang, "主音量保存模式", "Master volume saving"), 1006, this);
    auto* saveRow = new QHBoxLayout(saveMode);
    m_saveMode[0] = new QRadioButton(Bi(lang, "随开关机保存", "Kept across power cycles"), saveMode);
    m_saveMode[1] = new QRadioButton(Bi(lang, "随模式保存", "Kept with the mode"), saveMode);
    for (int v = 0; v < 2; ++v) {
        SetControlId(m_saveMode[static_cast<std::size_t>(v)], 1190 + v);
        saveRow->addWidget(m_saveMode[static_cast<std::size_t>(v)]);
    }
    // A radio pair's first button stands for 1: kept with the mode.
    bind.Add(StagedAddressRow("settings.save-mode"), {m_saveMode[1], m_saveMode[0]});

    // Front-panel locks.
    auto* locks = Group(Bi(lang, "面板锁定", "Panel lock"), 1045, this);
    auto* lockRow = new QHBoxLayout(locks);
    m_panelLock = new QCheckBox(Bi(lang, "锁定面板", "Lock panel"), locks);
    m_volumeLock = new QCheckBox(Bi(lang, "锁定音量", "Lock volume"), locks);
    m_modeLock = new QCheckBox(Bi(lang, "锁定模式", "Lock mode"), locks);
    SetControlId(m_panelLock, 1046);
    SetControlId(m_volumeLock, 1047);
    SetControlId(m_modeLock, 1048);
    lockRow->addWidget(m_panelLock);
    lockRow->addWidget(m_volumeLock);
    lockRow->addWidget(m_modeLock);
    const int panel = bind.Add(StagedAddressRow("settings.panel-lock"), {m_panelLock});
    bind.Add(StagedAddressRow("settings.volume-lock"), {m_volumeLock});
    bind.Add(StagedAddressRow("settings.mode-lock"), {m_modeLock});
    connect(&bind, &Binder::issued, this, [this, panel](int handle) {
        if (handle == panel) UpdateLockEnables();
    });

    // Power-on mode.
    auto* mode = Group(Bi(lang, "开机指定模式", "Power-on mode"), 1023, this);
    auto* modeRow = new QHBoxLayout(mode);
    m_powerOnMode = new QComboBox(mode);
    SetControlId(m_powerOnMode, 1134);
    m_powerOnMode->addItems({QStringLiteral("Auto"), QStringLiteral("M1"), QStringLiteral("M2"), QStringLiteral("M3"),
                             QStringLiteral("M4")});
    modeRow->addWidget(m_powerOnMode);
    bind.Add(StagedAddressRow("settings.power-on-mode"), {m_powerOnMode});

    // Microphone phase: a parameter, sent at once.
    auto* phase = Group(Bi(lang, "话筒反相", "Mic phase"), 1013, this);
    auto* phaseRow = new QHBoxLayout(phase);
    for (int g = 0; g < 2; ++g) {
        const auto i = static_cast<std::size_t>(g);
        m_phase[i] = new QCheckBox(
            g == 0 ? Bi(lang, "话筒1组反向", "Invert mic group 1") : Bi(lang, "话筒2组反向", "Invert mic group 2"),
            phase);
        SetControlId(m_phase[i], 1193 + g);
        phaseRow->addWidget(m_phase[i]);
        bind.Add(AddressRow(g == 0 ? "mic.phase.1" : "mic.phase.2"), {m_phase[i]});
    }

    // Resetting a user mode of the box.
    auto* reset = Group(Bi(lang, "重置机器模式", "Reset device mode"), 1012, this);
    auto* resetRow = new QHBoxLayout(reset);
    for (int slot = 0; slot < kModes; ++slot) {
        auto* b = Button(QStringLiteral("M%1").arg(slot + 1), kResetFirstCommand + slot, reset);
        m_reset[static_cast<std::size_t>(slot)] = b;
        resetRow->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, slot] { ResetMode(slot); });
    }

    // Upgrades are done by other means; the buttons are kept where users expect them.
    auto* upgrade = Group(Bi(lang, "机器升级", "Upgrade"), 1022, this);
    auto* upgradeRow = new QHBoxLayout(upgrade);
    upgradeRow->addWidget(Button(Bi(lang, "单片机升级", "MCU upgrade"), 1068, upgrade));
    upgradeRow->addWidget(Button(Bi(lang, "内核升级", "DSP upgrade"), 1069, upgrade));

    m_apply = Button(Bi(lang, "应用设置", "Apply"), kApplyId, this);
    m_cancel = Button(Bi(lang, "取消设置", "Cancel"), kCancelId, this);
    connect(m_apply, &QPushButton::clicked, this, &CSetDlg::Apply);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);

    auto* grid = new QGridLayout(this);
    grid->addWidget(powerOn, 0, 0);
    grid->addWidget(limits, 0, 1);
    grid->addWidget(saveMode, 1, 0);
    grid->addWidget(locks, 1, 1);
    grid->addWidget(mode, 2, 0);
    grid->addWidget(phase, 2, 1);
    grid->addWidget(reset, 3, 0);
    grid->addWidget(upgrade, 3, 1);
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
    ParameterStore& store = m_context.Device().store;
    // Edits start from what the box holds; an edited copy left over from start-up would
    // otherwise send limits of 0.
    store.SetEditedSettings(store.AppliedSettings());
    m_host.Relabel();
    // The limits bound the power-on sliders before these show their values.
    for (int ch = 0; ch < 2; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        m_powerOnSlider[i]->SetRange(0, m_host.Bind().Position(m_host.Bind().HandleOf(m_maxSlider[i])));
    }
    m_host.Reload();
    for (int ch = 0; ch < 2; ++ch) ShowPowerOn(ch);
    UpdateLockEnables();
    ApplyLock();
}

void CSetDlg::Relabel() {
    m_host.Relabel();
    for (int ch = 0; ch < 2; ++ch)
        if (!m_powerOnCheck[static_cast<std::size_t>(ch)]->isChecked())
            m_powerOnLabel[static_cast<std::size_t>(ch)]->setText(InvalidText());
}

// Check box, enables and label from the staged power-on volume; the slider stays within its limit.
void CSetDlg::ShowPowerOn(int channel) {
    const auto i = static_cast<std::size_t>(channel);
    const int v = m_host.Bind().Position(m_powerOnRow[i]);
    const bool set = v != kNone;
    m_powerOnCheck[i]->setChecked(set);
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
    // The user hears the level being chosen; the live level is stored before the row's
    // notice, so that whoever shows it reads the new one.
    if (channel == kMic)
        m_context.Device().encoders.MicLevel(v);
    else
        m_context.Device().encoders.MusicLevel(v);
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

void CSetDlg::Apply() {
    if (m_context.Locked()) return;
    DeviceContext& dev = m_context.Device();
    if (!dev.link.IsOpen()) {
        m_context.Notice(m_context.Text("请先连接设备!", "Please connect device!"));
        return;
    }
    dev.encoders.WriteSettings(dev.store.EditedSettings());
    m_context.Notice(m_context.Text("机器设置已生效!", "Setting valid"));
}

void CSetDlg::ResetMode(int slot) {
    if (m_context.Locked()) return;
    DeviceContext& dev = m_context.Device();
    if (!dev.link.IsOpen()) {
        m_context.Notice(m_context.Text("请先连接设备!", "Please connect device!"));
        return;
    }
    // The slot's stored mode is lost: asked, with No as the default.
    const QString text = m_context.Language() == kLanguageEnglish
                             ? QStringLiteral("Are you sure reset machine mode %1?").arg(slot + 1)
                             : QStringLiteral("您确定要重置机器模式%1吗?").arg(slot + 1);
    if (!m_context.AskDestructive(m_context.Text("提示", "Information"), text)) return;
    dev.encoders.ResetUserMode(slot);
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
