#include "app/CKV4420v13View.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "app/AuxWindows.h"
#include "app/CKV4420v13App.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMFCRibbonStepSlider.h"
#include "app/UiPrompts.h"
#include "device/HidTransport.h"
#include "device/Parameters.h"
#include "device/SettingTable.h"
#include "device/StoreCheck.h"
#include "model/ModeFile.h"
#include "model/ModeFileTitle.h"
#include "pages/PageRegistry.h"
#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kPitchRange = range::kPitch;
constexpr int kPitchRangeV8 = range::kPitchV8;
constexpr int kCommandSetV8 = range::kCommandSetV8;
constexpr int kBuiltLabelValue = 100;
constexpr int kHistoryNoticeMs = 3000;

constexpr std::array<const char*, 4> kSlotDigitsZh = {"一", "二", "三", "四"};
constexpr std::array<int, 3> kSourceFields = {fld::kSpdifOn, fld::kAux1On, fld::kAux2On};
constexpr std::array<const char*, 3> kSourceNames = {"spdif", "aux1", "aux2"};  // their settings' addresses

template <typename E>
constexpr int Ix(E e) {
    return static_cast<int>(e);
}

const QString kLoadFilter = QStringLiteral("Mode Files (*.K4v8 *.K4v9)");
const QString kSaveFilter = QStringLiteral("Mode Files (*.K4v9)");
}  // namespace

CKV4420v13View::CKV4420v13View(CKV4420v13App& app, CMyMFCRibbonBar& ribbon, CMFCMyRibbonStatusBar& status,
                               QWidget* parent)
    : QWidget(parent),
      m_app(app),
      m_ribbon(ribbon),
      m_status(status),
      m_connection(app, this, this),
      m_ribbonBinder(*this, this) {
    setObjectName(QStringLiteral("mainView"));
    setAutoFillBackground(true);

    connect(&m_ribbon, &CMyMFCRibbonBar::sliderIssued, this, [this](int, RibbonSlider id) { OnSlider(id); });
    connect(&m_ribbon, &CMyMFCRibbonBar::checkClicked, this,
            [this](int, RibbonCheck id, bool checked) { OnCheck(id, checked); });
    connect(&m_ribbon, &CMyMFCRibbonBar::wheelTurned, this, &CKV4420v13View::OnWheel);
    connect(&m_ribbon, &CMyMFCRibbonBar::buttonClicked, this, &CKV4420v13View::OnButton);
    connect(&m_ribbon, &CMyMFCRibbonBar::loadModeRequested, this, &CKV4420v13View::LoadUserMode);
    connect(&m_ribbon, &CMyMFCRibbonBar::saveModeRequested, this, &CKV4420v13View::SaveUserMode);
    connect(&m_ribbon, &CMyMFCRibbonBar::loadFileRequested, this, &CKV4420v13View::LoadModeFile);
    connect(&m_ribbon, &CMyMFCRibbonBar::saveFileRequested, this, &CKV4420v13View::SaveModeFile);

    m_history = new EditHistory(
        m_app.Device(), [this] { return m_app.Language(); }, [this] { RefreshFromStore(); }, this);
    connect(&m_connection, &ConnectionLifecycle::accepted, this, &CKV4420v13View::RefreshFromStore);
    // A box read back with other settings than the last step left starts a new history; the
    // same box found again with the same settings keeps it.
    connect(&m_connection, &ConnectionLifecycle::accepted, this, [this] {
        if (std::exchange(m_writeAllOfStep, false)) {
            m_history->AmendLast();
            return;
        }
        if (m_history->StartOverUnlessSame())
            m_status.ShowNotice(m_app.Text("已读取设备参数，撤销记录重新开始",
                                           "Settings read from the box: the undo history starts anew"),
                                kHistoryNoticeMs);
    });
    connect(&m_connection, &ConnectionLifecycle::statusTick, this, &CKV4420v13View::UpdateMusicSourceCaption);
    connect(&m_connection, &ConnectionLifecycle::connectionChanged, this, &CKV4420v13View::UpdateConnectionPane);
    m_connection.Tray().SetFallback([this](const QString& title, const QString& text, int ms) {
        m_status.ShowNotice(QStringLiteral("%1: %2").arg(title, text), ms);
    });

    // The panes follow the link whenever the interface is idle.
    m_paneTimer.setInterval(kPaneUpdateMs);
    connect(&m_paneTimer, &QTimer::timeout, this, &CKV4420v13View::UpdateConnectionPane);
    m_paneTimer.start();

    // The ribbon starts from the store's defaults; until the box's values arrive the value
    // labels read full scale, as the ribbon is built.
    BindRibbon();
    m_ribbonBinder.Reload(LabelUse::Moving);
    for (int i = 0; i < kRibbonLabelCount; ++i) {
        const auto id = static_cast<RibbonLabel>(i);
        for (int c = 0; c < kCategoryCount; ++c)
            m_ribbon.ValueLabel(c, id)->setText(ValueLabelText(id, kBuiltLabelValue, LabelUse::Moving));
    }

    connect(m_status.Bypass(), &QCheckBox::clicked, this, &CKV4420v13View::OnBypassClicked);
    connect(m_status.ResetEq(), &QPushButton::clicked, this, &CKV4420v13View::OnResetEqClicked);
    connect(&m_ribbon, &CMyMFCRibbonBar::lockToggled, this, &CKV4420v13View::ToggleLock);
    // The view opens on the input page.
    ShowPage(PageId::Music, m_pageState.inputPageCode);
    UpdateModeItems();
    SetLocked(m_app.Settings().Locked());
}

void CKV4420v13View::SetLocked(bool locked) {
    m_pageState.locked = locked;
    m_app.Settings().SetLocked(locked);
    m_ribbon.ShowLocked(locked);
    m_ribbonBinder.ShowLocked(locked);
    m_status.SetLocked(locked, m_app.Language());
    if (m_page) m_page->ApplyLock();
    UpdateEqItems();
    m_app.Aux().ApplyLock();
}

bool CKV4420v13View::AskDestructive(const QString& caption, const QString& text) {
    return m_app.Prompts().AskDestructive(window(), caption, text) == UiPrompts::Answer::Yes;
}

QString CKV4420v13View::ChooseOpenFile(const QString&, const QString& filter) {
    return m_app.Prompts().OpenFile(window(), filter, QString());
}

QString CKV4420v13View::ChooseSaveFile(const QString&, const QString& defaultSuffix, const QString& filter) {
    return m_app.Prompts().SaveFile(window(), QString(), defaultSuffix, filter, QString());
}

void CKV4420v13View::ShowMessage(const QString& caption, const QString& text, MessageKind kind) {
    m_app.Prompts().Message(window(), caption, text,
                            kind == MessageKind::Warning ? UiPrompts::Icon::Warning : UiPrompts::Icon::Information);
}

bool CKV4420v13View::ConfirmLoadOverChanges() {
    if (Locked()) return false;
    if (!m_app.Device().store.SettingsChanged()) return true;
    return AskDestructive(
        m_app.Text("信息", "Information"),
        m_app.Text("参数已更改，确定要直接载入模式文件?", "Setting changed ! Are you sure load the mode file?"));
}

int CKV4420v13View::CurrentSlot() const {
    return std::clamp(m_app.Device().store.Int(fld::kCurrentMode), 0, kModeSlots - 1);
}

// ---- Labels and captions ----

QString CKV4420v13View::ValueLabelText(RibbonLabel id, int value, LabelUse use) const {
    const int lang = m_app.Language();
    QString prefix;
    switch (id) {
        case RibbonLabel::Mic:
            prefix = Bi(lang, "话筒音量:", "Mic    Vol: ");
            break;
        case RibbonLabel::Reverb:
            prefix = use == LabelUse::LanguageChange ? Bi(lang, "混响音量:", "Reverb Vol:")
                                                     : Bi(lang, "混响音量:  ", "Reverb Vol:");
            break;
        case RibbonLabel::Echo:
            prefix = Bi(lang, "回声音量:", "Echo Vol:");
            break;
        case RibbonLabel::Music:
            prefix = Bi(lang, "音乐音量:", "Music Vol:");
            break;
        case RibbonLabel::Spdif:
        case RibbonLabel::Aux1:
        case RibbonLabel::Aux2:
            prefix =
                use == LabelUse::Refresh ? Bi(lang, "输入音量:", "Input vol:") : Bi(lang, "输入音量:", "Input Vol:");
            break;
        case RibbonLabel::NoiseGate:
            prefix = use == LabelUse::LanguageChange ? Bi(lang, "音乐噪声门:", "Noisegate: ")
                                                     : Bi(lang, "音乐噪声门:", "Noisegate:   ");
            break;
    }
    return prefix + QString::asprintf("%3d", value);
}

QString CKV4420v13View::PitchCaption(int pitch, LabelUse use) const {
    const QString prefix = Bi(m_app.Language(), "音乐变调:", "Music Pitch:");
    switch (use) {
        case LabelUse::Refresh:
            return prefix + QString::asprintf("%d", pitch);
        case LabelUse::LanguageChange:
            return prefix + QString::asprintf("%+-d", pitch);
        case LabelUse::Moving:
            break;
    }
    return prefix + QString::asprintf("%3d", pitch);
}

void CKV4420v13View::UpdateModePane() {
    const int slot = CurrentSlot();
    const QString name = QString::fromStdU16String(m_app.Device().store.ModeName(slot));
    if (m_app.Language() == kLanguageEnglish)
        m_status.SetModeText(QStringLiteral("Current Mode:Mode%1[%2]").arg(slot + 1).arg(name));
    else
        m_status.SetModeText(QStringLiteral("当前模式:模式%1[%2]").arg(QString::fromUtf8(kSlotDigitsZh[slot]), name));
}

void CKV4420v13View::UpdateModeItems() {
    QStringList names;
    for (int slot = 0; slot < kModeSlots; ++slot)
        names.append(QString::fromStdU16String(m_app.Device().store.ModeName(slot)));
    m_ribbon.SetModeItems(names, CurrentSlot());
}

void CKV4420v13View::UpdateAgcButton() {
    const bool v8 = m_app.Device().store.CommandSetVersion() == kCommandSetV8;
    m_ribbon.Button(RibbonButton::MusicAgc)->setText(v8 ? QStringLiteral(" ") : m_app.Text("音乐AGC", "Music AGC"));
}

void CKV4420v13View::UpdateConnectionPane() {
    const QString denied = m_app.Options().uri.kind == TransportUri::Kind::Hid
                               ? QString::fromStdString(HidTransport::DeniedPath())
                               : QString();
    if (Connected()) {
        m_status.SetConnectionText(m_app.Text("USB：已连接", "USB:Connected"), QColor(0, 150, 0));
        m_status.ConnectionPane()->setToolTip(QString());
    } else if (!denied.isEmpty()) {
        // A box is there, but its node refuses this user: the udev rule is missing.
        ShowPermissionProblem(denied);
    } else {
        m_status.SetConnectionText(m_app.Text("USB：未连接", "USB:Disconnected"), QColor(220, 0, 0));
        m_status.ConnectionPane()->setToolTip(QString());
    }
}

QString CKV4420v13View::PermissionText(const QString& path, int language) {
    return language == kLanguageEnglish
               ? QStringLiteral(
                     "The box is connected but this user may not open %1; install the udev rule: "
                     "sudo install -m644 99-kv4420.rules /etc/udev/rules.d/ (or install the kv4420 "
                     "package), then plug the box in again.")
                     .arg(path)
               : QStringLiteral(
                     "设备已连接，但当前用户无权打开 %1；请安装 udev 规则：sudo install -m644 "
                     "99-kv4420.rules /etc/udev/rules.d/（或安装 kv4420 软件包），然后重新插入设备。")
                     .arg(path);
}

void CKV4420v13View::ShowPermissionProblem(const QString& path) {
    m_status.SetConnectionText(m_app.Text("USB：无权限", "USB:No permission"), QColor(220, 0, 0));
    const QString text = PermissionText(path, m_app.Language());
    m_status.ConnectionPane()->setToolTip(text);
    // The pane is narrow: the short form there, the whole advice in both tooltips.
    m_status.NoticePane()->setText(
        m_app.Text("无权打开 %1：请安装 udev 规则", "No permission for %1: install the udev rule").arg(path));
    m_status.NoticePane()->setToolTip(text);
}

void CKV4420v13View::UpdateMusicSourceCaption() {
    const bool stream = m_app.Device().store.Int(fld::kMusicStream) != 0;
    const QString caption =
        stream ? m_app.Text("音乐音源:DTS/AC3", "Music Source:DTS/AC3") : m_app.Text("音乐音源", "Music Source");
    if (m_ribbon.PanelCaption(RibbonPanel::Source) != caption) m_ribbon.SetPanelCaption(RibbonPanel::Source, caption);
}

void CKV4420v13View::Notice(const char* chinese, const char* english, int durationMs) {
    m_app.ShowInformation(m_app.Text(chinese, english), durationMs);
}

// ---- Refresh ----

void CKV4420v13View::RefreshFromStore() {
    auto& store = m_app.Device().store;
    const int range = store.CommandSetVersion() == kCommandSetV8 ? kPitchRangeV8 : kPitchRange;
    for (int c = 0; c < kCategoryCount; ++c) {
        QSignalBlocker block(m_ribbon.Slider(c, RibbonSlider::Pitch));
        m_ribbon.Slider(c, RibbonSlider::Pitch)->setRange(-range, range);
    }
    m_ribbonBinder.Reload(LabelUse::Refresh);
    UpdateAgcButton();
    UpdateModeItems();
    UpdateModePane();
    UpdateConnectionPane();
    if (m_page) m_page->Reload();
    UpdateEqItems();
    m_app.Aux().RefreshAutomatic();
}

void CKV4420v13View::ReloadRibbon() { m_ribbonBinder.Reload(LabelUse::Refresh); }

void CKV4420v13View::Edited() { m_history->Commit(); }

void CKV4420v13View::EditedAs(const QString& chinese, const QString& english) { m_history->Commit(chinese, english); }

void CKV4420v13View::OnLanguageChanged() {
    m_history->Relabel();
    m_status.Relabel(m_app.Language());
    m_ribbonBinder.Relabel();
    UpdateAgcButton();
    UpdateModePane();
    UpdateConnectionPane();
    if (m_page) m_page->Relabel();
    // The music-source caption keeps the ribbon's new label until the status timer next looks
    // at the stream flag.
}

void CKV4420v13View::OnCategoryChanged(int category) {
    if (category == kCategoryInput) {
        if (m_page && m_page->Id() == PageId::Music) {
            m_page->Reload();
            m_page->Relabel();
        } else {
            ShowPage(PageId::Music, m_pageState.inputPageCode);
        }
    } else if (category == kCategoryOutput) {
        ShowPage(PageId::Output, m_pageState.outputType);
    }
    m_ribbon.SetPanelCaption(RibbonPanel::Pitch,
                             PitchCaption(m_app.Device().store.Int(fld::kMusicPitch), LabelUse::Moving));
}

// ---- Page host ----

QRect CKV4420v13View::PageRect() const {
    return QRect(0, 0, std::max(width(), kMinPageWidth), std::max(height(), kMinPageHeight));
}

void CKV4420v13View::ShowPage(PageId id, int kind) {
    // A page this build does not have leaves the hosted one on show.
    PageRegistry::Pages().Host(m_page, id, kind, *this, this, PageRect());
    UpdateEqItems();
}

void CKV4420v13View::UpdateEqItems() {
    const bool eq = m_page && m_page->HasEqualiser();
    m_status.Bypass()->setEnabled(eq && !Locked());
    m_status.ResetEq()->setEnabled(eq && !Locked());
    m_status.Bypass()->setChecked(eq && m_page->EqBypassed());
}

void CKV4420v13View::OnBypassClicked() {
    if (Locked()) {
        UpdateEqItems();
        return;
    }
    if (m_page && m_page->HasEqualiser()) m_page->ToggleEqBypass();
    UpdateEqItems();
}

void CKV4420v13View::OnResetEqClicked() {
    if (!m_page || !m_page->HasEqualiser() || Locked()) return;
    if (!AskDestructive(QStringLiteral("提示"), m_app.Text("您确定重置当前均衡吗?", "Are you sure reset the EQ?")))
        return;
    m_page->ResetEq();
    m_history->Commit(QStringLiteral("均衡重置"), QStringLiteral("EQ reset"));
    m_page->Reload();
    UpdateEqItems();
}

void CKV4420v13View::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_page) m_page->setGeometry(PageRect());
}

DeviceContext& CKV4420v13View::Device() { return m_app.Device(); }

int CKV4420v13View::Language() const { return m_app.Language(); }

void CKV4420v13View::ApplyTable(QWidget* window, int dialog) const { m_app.Table().Apply(window, dialog); }

void CKV4420v13View::Notice(const QString& text, int durationMs) { m_app.ShowInformation(text, durationMs); }

// ---- Sliders and toggles ----

// The master volumes never go above the maxima set in the box's own settings.
int CKV4420v13View::ClampToMaximum(int value, int maxByte, const char* chinese, const char* english) {
    const int max = m_app.Device().store.AppliedSettings()[static_cast<std::size_t>(maxByte)];
    if (value <= max) return value;
    Notice(chinese, english);
    return max;
}

void CKV4420v13View::BindRibbon() {
    const auto sliders = [this](RibbonSlider id) {
        return QList<QWidget*>{m_ribbon.Slider(kCategoryInput, id), m_ribbon.Slider(kCategoryOutput, id)};
    };
    const auto labels = [this](RibbonLabel id) {
        return QList<QLabel*>{m_ribbon.ValueLabel(kCategoryInput, id), m_ribbon.ValueLabel(kCategoryOutput, id)};
    };
    const auto label = [this](RibbonLabel id) {
        return [this, id](int v, LabelUse use) { return ValueLabelText(id, v, use); };
    };
    const BindNotice mute{-1, false, false, "当前是静音状态", "vol is mute"};
    const auto muted = [&](int field) {
        BindNotice n = mute;
        n.field = field;
        return n;
    };
    const auto add = [&](RibbonSlider id, BindRow row, std::optional<RibbonLabel> l) {
        m_sliderRows[static_cast<std::size_t>(Ix(id))] =
            m_ribbonBinder.Add(std::move(row), sliders(id), l ? labels(*l) : QList<QLabel*>{}, false);
    };
    // Both copies of a slider issue through the ribbon; the binder stores, sends and shows. The
    // ribbon clamps a volume above the box's maximum with its notice instead of refusing it.
    BindRow mic = AddressRow("mic.level");
    mic.limit = [this](int v) {
        return ClampToMaximum(v, record::kMicMax, "不能超过最大话筒音量!", "Mic vol can't over max value!");
    };
    mic.text = label(RibbonLabel::Mic);
    mic.notice = muted(fld::kMicMute);
    add(RibbonSlider::Mic, mic, RibbonLabel::Mic);
    BindRow reverb = AddressRow("reverb.level");
    reverb.text = label(RibbonLabel::Reverb);
    reverb.notice = muted(fld::kReverbMute);
    add(RibbonSlider::Reverb, reverb, RibbonLabel::Reverb);
    BindRow echo = AddressRow("echo.level");
    echo.text = label(RibbonLabel::Echo);
    echo.notice = muted(fld::kEchoMute);
    add(RibbonSlider::Echo, echo, RibbonLabel::Echo);
    BindRow music = AddressRow("music.level");
    music.limit = [this](int v) {
        return ClampToMaximum(v, record::kMusicMax, "不能超过最大音乐音量!", "Music vol can't over max value!");
    };
    music.text = label(RibbonLabel::Music);
    music.notice = muted(fld::kMusicMute);
    add(RibbonSlider::Music, music, RibbonLabel::Music);
    for (int i = 0; i < 3; ++i) {
        const auto l = static_cast<RibbonLabel>(Ix(RibbonLabel::Spdif) + i);
        BindRow input = AddressRow(std::string(kSourceNames[static_cast<std::size_t>(i)]) + ".level");
        input.text = label(l);
        input.notice =
            BindNotice{kSourceFields[static_cast<std::size_t>(i)], true, false, "该输入未启用", "Inactive Input"};
        add(static_cast<RibbonSlider>(Ix(RibbonSlider::Spdif) + i), input, l);
    }
    BindRow gate = AddressRow("music.gate");
    gate.text = label(RibbonLabel::NoiseGate);
    add(RibbonSlider::NoiseGate, gate, RibbonLabel::NoiseGate);
    BindRow pitch = AddressRow("music.pitch");
    pitch.text = [this](int v, LabelUse use) { return PitchCaption(v, use); };
    pitch.show = [this](const QString& text) { m_ribbon.SetPanelCaption(RibbonPanel::Pitch, text); };
    add(RibbonSlider::Pitch, pitch, std::nullopt);

    const auto addCheck = [&](RibbonCheck id, const std::string& address) {
        m_checkRows[static_cast<std::size_t>(Ix(id))] = m_ribbonBinder.Add(
            AddressRow(address), {m_ribbon.Check(kCategoryInput, id), m_ribbon.Check(kCategoryOutput, id)}, {}, false);
    };
    addCheck(RibbonCheck::MicMute, "mic.mute");
    addCheck(RibbonCheck::ReverbMute, "reverb.mute");
    addCheck(RibbonCheck::EchoMute, "echo.mute");
    addCheck(RibbonCheck::MusicMute, "music.mute");
    for (int i = 0; i < 3; ++i)
        addCheck(static_cast<RibbonCheck>(Ix(RibbonCheck::SpdifOn) + i),
                 std::string(kSourceNames[static_cast<std::size_t>(i)]) + ".on");
}

void CKV4420v13View::OnSlider(RibbonSlider id) {
    m_ribbonBinder.Issue(m_sliderRows[static_cast<std::size_t>(Ix(id))],
                         m_ribbon.Slider(m_ribbon.ActiveCategory(), id)->value());
}

void CKV4420v13View::OnCheck(RibbonCheck id, bool checked) {
    m_ribbonBinder.Issue(m_checkRows[static_cast<std::size_t>(Ix(id))], checked ? 1 : 0);
}

void CKV4420v13View::OnWheel(const QPoint& globalPos, int steps) {
    const auto target = m_ribbon.WheelTarget(globalPos);
    if (!target) return;
    // Each copy moves one step and issues, the one on show first.
    const int shown = m_ribbon.ActiveCategory();
    m_ribbon.Slider(shown, *target)->StepAndIssue(steps);
    m_ribbon.Slider(1 - shown, *target)->StepAndIssue(steps);
}

void CKV4420v13View::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy != 0) OnWheel(event->globalPosition().toPoint(), dy > 0 ? 1 : -1);
    event->accept();
}

// ---- Buttons ----

void CKV4420v13View::OnButton(RibbonButton id) {
    switch (id) {
        case RibbonButton::MusicAgc:
            if (m_app.Device().store.CommandSetVersion() > kCommandSetV8) m_app.Aux().OpenMusicAgc();
            break;
        case RibbonButton::Reset:
            ResetDevice();
            break;
        case RibbonButton::Remote:
            if (Connected()) m_app.Aux().OpenRemoteControl();
            break;
        case RibbonButton::AutoSub:
            m_app.Aux().OpenAutoSub();
            break;
        case RibbonButton::Language:
            m_app.ToggleLanguage();
            break;
        case RibbonButton::About:
            m_app.ShowAbout();
            break;
    }
}

// ---- User-mode slots ----

void CKV4420v13View::LoadUserMode(int slot) {
    if (!Connected() || Locked()) return;
    slot = std::clamp(slot, 0, kModeSlots - 1);
    auto& dev = m_app.Device();
    if (dev.store.SettingsChanged()) {
        const QString text =
            m_app.Language() == kLanguageEnglish
                ? QStringLiteral("Setting changed ! Are you sure load mode%1?").arg(slot + 1)
                : QStringLiteral("参数已更改，确定要直接载入模式%1?").arg(QString::fromUtf8(kSlotDigitsZh[slot]));
        if (!AskDestructive(m_app.Text("信息", "Information"), text)) return;
    }
    dev.encoders.LoadUserMode(slot);
    UpdateModePane();
    m_connection.RunReadBack();
}

void CKV4420v13View::SaveUserMode(int slot) {
    if (!Connected() || Locked()) return;
    slot = std::clamp(slot, 0, kModeSlots - 1);
    const QString digitZh = QString::fromUtf8(kSlotDigitsZh[slot]);
    const QString text = m_app.Language() == kLanguageEnglish ? QStringLiteral("Save to machine mode %1?").arg(slot + 1)
                                                              : QStringLiteral("确定要保存至机器模式%1?").arg(digitZh);
    if (m_app.Prompts().Ask(window(), m_app.Text("信息", "Information"), text, false) != UiPrompts::Answer::Yes) return;
    m_app.Device().encoders.SaveUserMode(slot);
    UpdateModeItems();
    UpdateModePane();
    const QString saving = m_app.Language() == kLanguageEnglish ? QStringLiteral("Saving Mode %1 ……").arg(slot + 1)
                                                                : QStringLiteral("正在储存模式%1,请稍等").arg(digitZh);
    QTimer::singleShot(kSavingNoticeDelayMs, this, [this, saving] { m_app.ShowInformation(saving, kSavingNoticeMs); });
}

// ---- Mode files ----

int CKV4420v13View::TargetSlotFromTitle(const QString& title) {
    return TargetSlotOfTitle(title.toStdU16String()).value_or(-1);
}

void CKV4420v13View::LoadModeFile() {
    if (!Connected()) {
        Notice("请先连接设备!", "Please connect device!");
        return;
    }
    if (!ConfirmLoadOverChanges()) return;
    const QString path = m_app.Prompts().OpenFile(window(), kLoadFilter, m_app.ModeFolder());
    if (!path.isEmpty()) LoadModeFileFrom(path);
}

bool CKV4420v13View::LoadModeFileFrom(const QString& path) {
    // The same title and slot as the command-line tool takes from the name.
    const QString title = QString::fromStdU16String(ModeFileTitle(QFile::encodeName(path).toStdString()));
    // A refused file chooses no slot: the next synchronisation must not save into it.
    if (!ReadModeFileIntoStore(path)) return false;
    m_history->Commit(QStringLiteral("载入模式文件"), QStringLiteral("mode file loaded"));
    m_writeAllOfStep = true;
    // The name goes where the data is saved: the title's slot, or else the current one.
    const int target = TargetSlotFromTitle(title);
    m_app.SetTargetSlot(target);
    m_app.Device().encoders.WriteModeName(target >= 0 ? target : CurrentSlot(), title.toStdU16String());
    UpdateModeItems();
    UpdateModePane();
    m_connection.RunWriteAll();
    m_app.AddRecentFile(path);
    return true;
}

bool CKV4420v13View::OpenModeFile(const QString& path) {
    if (!ReadModeFileIntoStore(path)) return false;
    m_history->Commit(QStringLiteral("载入模式文件"), QStringLiteral("mode file loaded"));
    m_writeAllOfStep = true;
    m_connection.RunWriteAll();
    m_app.AddRecentFile(path);
    return true;
}

QString CKV4420v13View::ModeFileRefusalText(const QString& path, const ModeFileResult& r, int language) {
    const bool en = language == kLanguageEnglish;
    const QString reason = r.systemError ? QString::fromLocal8Bit(std::strerror(r.systemError)) : QString();
    switch (r.status) {
        case ModeFileStatus::CannotOpen:
        case ModeFileStatus::NotRegularFile:
            if (!reason.isEmpty())
                return (en ? QStringLiteral("Can't open the file for reading:\n%1\n%2")
                           : QStringLiteral("无法打开文件:\n%1\n%2"))
                    .arg(path, reason);
            return (en ? QStringLiteral("Not a mode file (not a regular file):\n%1")
                       : QStringLiteral("不是模式文件(不是普通文件):\n%1"))
                .arg(path);
        case ModeFileStatus::TooShort:
            return (en ? QStringLiteral("The file is too short for a mode file (%1 bytes of %2):\n%3")
                       : QStringLiteral("文件太短,不是完整的模式文件(%1 字节,应为 %2 字节):\n%3"))
                .arg(r.size)
                .arg(r.expected)
                .arg(path);
        case ModeFileStatus::BadVersion:
            return (en ? QStringLiteral("Not a mode file of a known version (version %1; 1 or 2 are known):\n%2")
                       : QStringLiteral("不是可识别版本的模式文件(版本 %1;可识别的版本为 1 和 2):\n%2"))
                .arg(VersionWordOf(r))
                .arg(path);
        case ModeFileStatus::Ok:
        case ModeFileStatus::CannotWrite:
            break;
    }
    return (en ? QStringLiteral("Can't read the mode file:\n%1") : QStringLiteral("无法读取模式文件:\n%1")).arg(path);
}

QString CKV4420v13View::OutOfRangeQuestionText(const QString& path, const std::vector<OutOfRange>& values,
                                               int language) {
    const bool en = language == kLanguageEnglish;
    QString text = (en ? QStringLiteral("%1 setting(s) in this file are out of range:\n%2\n")
                       : QStringLiteral("此文件中有 %1 项设置超出范围:\n%2\n"))
                       .arg(values.size())
                       .arg(path);
    const std::size_t shown = values.size() > kOutOfRangeLines + 1 ? kOutOfRangeLines : values.size();
    for (std::size_t i = 0; i < shown; ++i) {
        const OutOfRange& o = values[i];
        text += QStringLiteral("\n%1: %2 \u2192 %3")
                    .arg(QString::fromStdString(o.address), QString::fromStdString(o.fileValue),
                         QString::fromStdString(o.usedValue));
    }
    if (shown < values.size())
        text +=
            (en ? QStringLiteral("\n... and %1 more") : QStringLiteral("\n……另有 %1 项")).arg(values.size() - shown);
    text += en ? QStringLiteral("\n\nLoad the file with these values clamped (file value \u2192 value used)?")
               : QStringLiteral("\n\n是否将这些数值限制在范围内后载入(文件中的值 \u2192 使用的值)?");
    return text;
}

bool CKV4420v13View::ReadModeFileIntoStore(const QString& path) {
    auto& dev = m_app.Device();
    // Read and checked in a store of its own: a refused file leaves the store and the box alone.
    ParameterStore file;
    file.SetAppliedSettings(dev.store.AppliedSettings());
    file.SetCommandSetVersion(dev.store.CommandSetVersion());
    const ModeFileResult result = ReadModeFile(QFile::encodeName(path).toStdString(), file);
    if (result.status != ModeFileStatus::Ok) {
        m_app.Prompts().Message(window(), m_app.Text("错误", "Error"),
                                ModeFileRefusalText(path, result, m_app.Language()), UiPrompts::Icon::Warning);
        return false;
    }
    if (const auto outside = CheckStore(file); !outside.empty()) {
        // Enter must not send a file that was damaged: No is the default.
        if (m_app.Prompts().AskDestructive(window(), m_app.Text("数值超出范围", "Values out of range"),
                                           OutOfRangeQuestionText(path, outside, m_app.Language())) !=
            UiPrompts::Answer::Yes)
            return false;
        ClampStore(file);
    }
    DecodeModeFile(EncodeModeFile(file), dev.store);
    return true;
}

void CKV4420v13View::SaveModeFile() {
    if (!Connected()) {
        Notice("请先连接设备!", "Please connect device!");
        return;
    }
    const QString path = m_app.Prompts().SaveFile(window(), QStringLiteral("name"), QStringLiteral("K4v9"), kSaveFilter,
                                                  m_app.ModeFolder());
    if (!path.isEmpty()) SaveModeFileTo(path);
}

bool CKV4420v13View::SaveModeFileTo(const QString& path) {
    auto& dev = m_app.Device();
    dev.encoders.SaveUserMode(CurrentSlot());
    const ModeFileResult result = WriteModeFile(QFile::encodeName(path).toStdString(), dev.store);
    if (result.status != ModeFileStatus::Ok) {
        m_app.Prompts().Message(window(), QStringLiteral("Can't write to file"),
                                QStringLiteral("Errcode=%1,Can't write to file:\n%2\nProbaby it is write protected.")
                                    .arg(result.systemError)
                                    .arg(path),
                                UiPrompts::Icon::Warning);
        return false;
    }
    m_app.AddRecentFile(path);
    return true;
}

// ---- Device reset ----

void CKV4420v13View::ResetDevice() {
    if (!Connected() || Locked()) return;
    const QString text =
        m_app.Text("您确定要将机器复位吗? \n机器复位后将自动重新启动并连接.", "Are you sure reset machine? ");
    if (!AskDestructive(QStringLiteral("提示"), text)) return;
    m_app.Device().encoders.DeviceReset();
    Notice("机器正在重启……", "Restarting……", kRestartNoticeMs);
}

}  // namespace kv
