#include "app/CKV4420v13View.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "app/CKV4420v13App.h"
#include "app/CMFCMyRibbonStatusBar.h"
#include "app/CMFCRibbonStepSlider.h"
#include "app/UiPrompts.h"
#include "device/Parameters.h"
#include "dialogs/UiText.h"
#include "model/ModeFile.h"

namespace kv {

namespace {
constexpr int kEffectCopies = prm::kStereoValues;  // reverb, echo and inputs carry both channels
constexpr int kMicMaxByte = 3;                     // applied device settings: microphone maximum
constexpr int kMusicMaxByte = 4;                   // and music maximum
constexpr int kSourceOn = 100;
constexpr int kPitchRange = 5;
constexpr int kPitchRangeV8 = 8;
constexpr int kCommandSetV8 = 8;
constexpr int kBuiltLabelValue = 100;

constexpr std::array<const char*, 4> kSlotDigitsZh = {"一", "二", "三", "四"};
constexpr std::array<int, 3> kInputFields = {fld::kSpdifVolume, fld::kAux1Volume, fld::kAux2Volume};
constexpr std::array<int, 3> kSourceFields = {fld::kSpdifOn, fld::kAux1On, fld::kAux2On};

template <typename E>
constexpr int Ix(E e) {
    return static_cast<int>(e);
}

float Hundredths(int v) { return static_cast<float>(v / 100.0); }

const QString kLoadFilter = QStringLiteral("Mode Files (*.K4v8 *.K4v9)");
const QString kSaveFilter = QStringLiteral("Mode Files (*.K4v9)");
}  // namespace

CKV4420v13View::CKV4420v13View(CKV4420v13App& app, CMyMFCRibbonBar& ribbon, CMFCMyRibbonStatusBar& status,
                               QWidget* parent)
    : QWidget(parent), m_app(app), m_ribbon(ribbon), m_status(status), m_connection(app, this, this) {
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

    connect(&m_connection, &ConnectionLifecycle::accepted, this, &CKV4420v13View::RefreshFromStore);
    connect(&m_connection, &ConnectionLifecycle::statusTick, this, &CKV4420v13View::UpdateMusicSourceCaption);
    connect(&m_connection, &ConnectionLifecycle::connectionChanged, this, &CKV4420v13View::UpdateConnectionPane);
    m_connection.Tray().SetFallback([this](const QString& title, const QString& text, int ms) {
        m_status.ShowNotice(QStringLiteral("%1: %2").arg(title, text), ms);
    });

    // The panes follow the link whenever the interface is idle.
    m_paneTimer.setInterval(kPaneUpdateMs);
    connect(&m_paneTimer, &QTimer::timeout, this, &CKV4420v13View::UpdateConnectionPane);
    m_paneTimer.start();

    // The ribbon starts from the store's defaults.
    for (int id = 0; id < kRibbonSliderCount; ++id) {
        const auto s = static_cast<RibbonSlider>(id);
        for (int c = 0; c < kCategoryCount; ++c) {
            QSignalBlocker block(m_ribbon.Slider(c, s));
            m_ribbon.Slider(c, s)->setValue(SliderValue(s));
        }
    }
    // Until the box's values arrive the value labels read full scale, as the ribbon is built.
    for (int i = 0; i < kRibbonLabelCount; ++i)
        SetValueLabels(static_cast<RibbonLabel>(i), kBuiltLabelValue, LabelStyle::Moving);
    m_ribbon.SetPanelCaption(RibbonPanel::Pitch,
                             PitchCaption(app.Device().store.Int(fld::kMusicPitch), LabelStyle::Moving));
    auto& store = app.Device().store;
    SetCheckCopies(RibbonCheck::MicMute, store.Int(fld::kMicMute) != 0);
    SetCheckCopies(RibbonCheck::ReverbMute, store.Int(fld::kReverbMute) != 0);
    SetCheckCopies(RibbonCheck::EchoMute, store.Int(fld::kEchoMute) != 0);
    SetCheckCopies(RibbonCheck::MusicMute, store.Int(fld::kMusicMute) != 0);
    for (int i = 0; i < 3; ++i)
        SetCheckCopies(static_cast<RibbonCheck>(Ix(RibbonCheck::SpdifOn) + i), store.Int(kSourceFields[i]) != 0);
    UpdateModeItems();
}

int CKV4420v13View::SliderValue(RibbonSlider id) const {
    const auto& store = m_app.Device().store;
    switch (id) {
        case RibbonSlider::Mic:
            return store.Int(fld::kMicVolume);
        case RibbonSlider::Reverb:
            return store.Int(fld::kReverbVolume);
        case RibbonSlider::Echo:
            return store.Int(fld::kEchoVolume);
        case RibbonSlider::Music:
            return store.Int(fld::kMusicVolume);
        case RibbonSlider::Spdif:
        case RibbonSlider::Aux1:
        case RibbonSlider::Aux2:
            return store.Int(kInputFields[Ix(id) - Ix(RibbonSlider::Spdif)]);
        case RibbonSlider::NoiseGate:
            return store.Int(fld::kMusicNoiseGate);
        case RibbonSlider::Pitch:
            return store.Int(fld::kMusicPitch);
    }
    return 0;
}

int CKV4420v13View::CurrentSlot() const {
    return std::clamp(m_app.Device().store.Int(fld::kCurrentMode), 0, kModeSlots - 1);
}

// ---- Labels and captions ----

QString CKV4420v13View::ValueLabelText(RibbonLabel id, int value, LabelStyle style) const {
    const int lang = m_app.Language();
    QString prefix;
    switch (id) {
        case RibbonLabel::Mic:
            prefix = Bi(lang, "话筒音量:", "Mic    Vol: ");
            break;
        case RibbonLabel::Reverb:
            prefix = style == LabelStyle::LanguageChange ? Bi(lang, "混响音量:", "Reverb Vol:")
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
            prefix = style == LabelStyle::Refresh ? Bi(lang, "输入音量:", "Input vol:")
                                                  : Bi(lang, "输入音量:", "Input Vol:");
            break;
        case RibbonLabel::NoiseGate:
            prefix = style == LabelStyle::LanguageChange ? Bi(lang, "音乐噪声门:", "Noisegate: ")
                                                         : Bi(lang, "音乐噪声门:", "Noisegate:   ");
            break;
    }
    return prefix + QString::asprintf("%3d", value);
}

QString CKV4420v13View::PitchCaption(int pitch, LabelStyle style) const {
    const QString prefix = Bi(m_app.Language(), "音乐变调:", "Music Pitch:");
    switch (style) {
        case LabelStyle::Refresh:
            return prefix + QString::asprintf("%d", pitch);
        case LabelStyle::LanguageChange:
            return prefix + QString::asprintf("%+-d", pitch);
        case LabelStyle::Moving:
            break;
    }
    return prefix + QString::asprintf("%3d", pitch);
}

void CKV4420v13View::SetValueLabels(RibbonLabel id, int value, LabelStyle style) {
    const QString text = ValueLabelText(id, value, style);
    for (int c = 0; c < kCategoryCount; ++c) m_ribbon.ValueLabel(c, id)->setText(text);
}

void CKV4420v13View::SetAllLabels(LabelStyle style) {
    const RibbonSlider sliders[kRibbonLabelCount] = {RibbonSlider::Mic,   RibbonSlider::Reverb,   RibbonSlider::Echo,
                                                     RibbonSlider::Music, RibbonSlider::Spdif,    RibbonSlider::Aux1,
                                                     RibbonSlider::Aux2,  RibbonSlider::NoiseGate};
    // The store, not the slider: a value the box holds outside a slider's range is shown as it is.
    for (int i = 0; i < kRibbonLabelCount; ++i)
        SetValueLabels(static_cast<RibbonLabel>(i), SliderValue(sliders[i]), style);
}

void CKV4420v13View::SetSliderCopies(RibbonSlider id, int value) {
    for (int c = 0; c < kCategoryCount; ++c) {
        // Blocked so that a copy being dragged does not issue again for our own change.
        QSignalBlocker block(m_ribbon.Slider(c, id));
        m_ribbon.Slider(c, id)->setValue(value);
    }
}

void CKV4420v13View::SetCheckCopies(RibbonCheck id, bool checked) {
    for (int c = 0; c < kCategoryCount; ++c) {
        QSignalBlocker block(m_ribbon.Check(c, id));
        m_ribbon.Check(c, id)->setChecked(checked);
    }
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
    if (Connected())
        m_status.SetConnectionText(m_app.Text("USB：已连接", "USB:Connected"), QColor(0, 150, 0));
    else
        m_status.SetConnectionText(m_app.Text("USB：未连接", "USB:Disconnected"), QColor(220, 0, 0));
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
    for (int id = 0; id < kRibbonSliderCount; ++id)
        SetSliderCopies(static_cast<RibbonSlider>(id), SliderValue(static_cast<RibbonSlider>(id)));
    SetCheckCopies(RibbonCheck::MicMute, store.Int(fld::kMicMute) != 0);
    SetCheckCopies(RibbonCheck::ReverbMute, store.Int(fld::kReverbMute) != 0);
    SetCheckCopies(RibbonCheck::EchoMute, store.Int(fld::kEchoMute) != 0);
    SetCheckCopies(RibbonCheck::MusicMute, store.Int(fld::kMusicMute) != 0);
    for (int i = 0; i < 3; ++i)
        SetCheckCopies(static_cast<RibbonCheck>(Ix(RibbonCheck::SpdifOn) + i), store.Int(kSourceFields[i]) != 0);
    SetAllLabels(LabelStyle::Refresh);
    m_ribbon.SetPanelCaption(RibbonPanel::Pitch, PitchCaption(store.Int(fld::kMusicPitch), LabelStyle::Refresh));
    UpdateAgcButton();
    UpdateModeItems();
    UpdateModePane();
    UpdateConnectionPane();
}

void CKV4420v13View::OnLanguageChanged() {
    m_status.Relabel(m_app.Language());
    SetAllLabels(LabelStyle::LanguageChange);
    m_ribbon.SetPanelCaption(RibbonPanel::Pitch,
                             PitchCaption(m_app.Device().store.Int(fld::kMusicPitch), LabelStyle::LanguageChange));
    UpdateAgcButton();
    UpdateModePane();
    UpdateConnectionPane();
    // The music-source caption keeps the ribbon's new label until the status timer next looks
    // at the stream flag.
}

void CKV4420v13View::OnCategoryChanged(int category) {
    Q_UNUSED(category);  // the processing pages plug in here
    m_ribbon.SetPanelCaption(RibbonPanel::Pitch,
                             PitchCaption(m_app.Device().store.Int(fld::kMusicPitch), LabelStyle::Moving));
}

// ---- Page host ----

QRect CKV4420v13View::PageRect() const {
    return QRect(0, 0, std::max(width(), kMinPageWidth), std::max(height(), kMinPageHeight));
}

void CKV4420v13View::SetPage(QWidget* page) {
    if (m_page == page) return;
    delete m_page;
    m_page = page;
    if (!page) return;
    page->setParent(this);
    page->setGeometry(PageRect());
    page->show();
}

void CKV4420v13View::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_page) m_page->setGeometry(PageRect());
}

// ---- Sliders and toggles ----

// The master volumes never go above the maxima set in the box's own settings.
int CKV4420v13View::ClampToMaximum(int value, int maxByte, const char* chinese, const char* english) {
    const int max = m_app.Device().store.AppliedSettings()[static_cast<std::size_t>(maxByte)];
    if (value <= max) return value;
    Notice(chinese, english);
    return max;
}

// Reverb and echo volumes: both channels at once, with the mute notice.
void CKV4420v13View::OnEffectVolume(RibbonSlider id, RibbonLabel label, int field, int muteField, int module,
                                    int parameter, int value) {
    auto& dev = m_app.Device();
    SetSliderCopies(id, value);
    SetValueLabels(label, value, LabelStyle::Moving);
    dev.store.SetInt(field, value);
    dev.encoders.FloatParamWrite(module, parameter, Hundredths(value), kEffectCopies);
    if (dev.store.Int(muteField) != 0) Notice("当前是静音状态", "vol is mute");
}

void CKV4420v13View::OnSlider(RibbonSlider id) {
    auto& dev = m_app.Device();
    auto& store = dev.store;
    int v = m_ribbon.Slider(m_ribbon.ActiveCategory(), id)->value();
    switch (id) {
        case RibbonSlider::Mic: {
            v = ClampToMaximum(v, kMicMaxByte, "不能超过最大话筒音量!", "Mic vol can't over max value!");
            SetSliderCopies(id, v);
            SetValueLabels(RibbonLabel::Mic, v, LabelStyle::Moving);
            dev.encoders.MicLevel(v);
            if (store.Int(fld::kMicMute) != 0) Notice("当前是静音状态", "vol is mute");
            break;
        }
        case RibbonSlider::Reverb:
            OnEffectVolume(id, RibbonLabel::Reverb, fld::kReverbVolume, fld::kReverbMute, module::kReverb,
                           prm::kReverbVolume, v);
            break;
        case RibbonSlider::Echo:
            OnEffectVolume(id, RibbonLabel::Echo, fld::kEchoVolume, fld::kEchoMute, module::kEcho, prm::kEchoVolume, v);
            break;
        case RibbonSlider::Music: {
            v = ClampToMaximum(v, kMusicMaxByte, "不能超过最大音乐音量!", "Music vol can't over max value!");
            SetSliderCopies(id, v);
            SetValueLabels(RibbonLabel::Music, v, LabelStyle::Moving);
            dev.encoders.MusicLevel(v);
            if (store.Int(fld::kMusicMute) != 0) Notice("当前是静音状态", "vol is mute");
            break;
        }
        case RibbonSlider::Spdif:
        case RibbonSlider::Aux1:
        case RibbonSlider::Aux2: {
            const int input = Ix(id) - Ix(RibbonSlider::Spdif);
            SetSliderCopies(id, v);
            SetValueLabels(static_cast<RibbonLabel>(Ix(RibbonLabel::Spdif) + input), v, LabelStyle::Moving);
            store.SetInt(kInputFields[input], v);
            dev.encoders.FloatParamWrite(module::kMusic, prm::kSpdifVolume + input, Hundredths(v), kEffectCopies);
            if (store.Int(kSourceFields[input]) == 0) Notice("该输入未启用", "Inactive Input");
            break;
        }
        case RibbonSlider::NoiseGate:
            SetSliderCopies(id, v);
            SetValueLabels(RibbonLabel::NoiseGate, v, LabelStyle::Moving);
            store.SetInt(fld::kMusicNoiseGate, v);
            dev.encoders.FloatParamWrite(module::kMusic, prm::kMusicNoiseGate, static_cast<float>(v / 10000.0));
            break;
        case RibbonSlider::Pitch:
            SetSliderCopies(id, v);
            m_ribbon.SetPanelCaption(RibbonPanel::Pitch, PitchCaption(v, LabelStyle::Moving));
            dev.encoders.MusicPitch(v);
            break;
    }
}

void CKV4420v13View::OnCheck(RibbonCheck id, bool checked) {
    auto& dev = m_app.Device();
    const int muted = checked ? 1 : 0;
    const float open = checked ? 0.0f : 1.0f;  // mutes travel as 1.0 open, 0.0 muted
    SetCheckCopies(id, checked);
    switch (id) {
        case RibbonCheck::MicMute:
            dev.encoders.MicMute(muted);
            break;
        case RibbonCheck::ReverbMute:
            dev.store.SetInt(fld::kReverbMute, muted);
            dev.encoders.FloatParamWrite(module::kReverb, prm::kReverbMute, open, kEffectCopies);
            break;
        case RibbonCheck::EchoMute:
            dev.store.SetInt(fld::kEchoMute, muted);
            dev.encoders.FloatParamWrite(module::kEcho, prm::kEchoMute, open, kEffectCopies);
            break;
        case RibbonCheck::MusicMute:
            dev.encoders.MusicMute(muted);
            break;
        case RibbonCheck::SpdifOn:
        case RibbonCheck::Aux1On:
        case RibbonCheck::Aux2On: {
            const int input = Ix(id) - Ix(RibbonCheck::SpdifOn);
            dev.store.SetInt(kSourceFields[input], checked ? kSourceOn : 0);
            dev.encoders.FloatParamWrite(module::kMusic, prm::kSpdifOn + input, checked ? 1.0f : 0.0f);
            break;
        }
    }
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
            if (m_app.Device().store.CommandSetVersion() > kCommandSetV8 && m_app.onMusicAgc) m_app.onMusicAgc();
            break;
        case RibbonButton::Reset:
            ResetDevice();
            break;
        case RibbonButton::Remote:
            if (Connected() && m_app.onRemoteControl) m_app.onRemoteControl();
            break;
        case RibbonButton::AutoSub:
            if (m_app.onAutoSub) m_app.onAutoSub();
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
    if (!Connected()) return;
    slot = std::clamp(slot, 0, kModeSlots - 1);
    auto& dev = m_app.Device();
    if (dev.store.SettingsChanged()) {
        const QString text =
            m_app.Language() == kLanguageEnglish
                ? QStringLiteral("Setting changed ! Are you sure load mode%1?").arg(slot + 1)
                : QStringLiteral("参数已更改，确定要直接载入模式%1?").arg(QString::fromUtf8(kSlotDigitsZh[slot]));
        if (m_app.Prompts().Ask(window(), m_app.Text("信息", "Information"), text, false) != UiPrompts::Answer::Yes)
            return;
    }
    dev.encoders.LoadUserMode(slot);
    UpdateModePane();
    m_connection.RunReadBack();
}

void CKV4420v13View::SaveUserMode(int slot) {
    if (!Connected()) return;
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
    static const char* const kPrefixes[kModeSlots][3] = {{"默认1", "lumavox1", "m1"},
                                                         {"默认2", "lumavox2", "m2"},
                                                         {"默认3", "lumavox3", "m3"},
                                                         {"默认4", "lumavox4", "m4"}};
    for (int slot = 0; slot < kModeSlots; ++slot)
        for (const char* prefix : kPrefixes[slot])
            if (title.startsWith(QString::fromUtf8(prefix))) return slot;
    return -1;
}

void CKV4420v13View::LoadModeFile() {
    if (!Connected()) {
        Notice("请先连接设备!", "Please connect device!");
        return;
    }
    const QString path = m_app.Prompts().OpenFile(window(), kLoadFilter);
    if (!path.isEmpty()) LoadModeFileFrom(path);
}

bool CKV4420v13View::LoadModeFileFrom(const QString& path) {
    const QString title = QFileInfo(path).completeBaseName().left(kModeNameChars);
    m_app.SetTargetSlot(TargetSlotFromTitle(title));
    if (!ReadModeFileIntoStore(path)) return false;
    m_app.Device().encoders.WriteModeName(CurrentSlot(), title.toStdU16String());
    UpdateModeItems();
    UpdateModePane();
    m_connection.RunWriteAll();
    m_app.AddRecentFile(path);
    return true;
}

bool CKV4420v13View::OpenModeFile(const QString& path) {
    if (!ReadModeFileIntoStore(path)) return false;
    m_connection.RunWriteAll();
    m_app.AddRecentFile(path);
    return true;
}

bool CKV4420v13View::ReadModeFileIntoStore(const QString& path) {
    const ModeFileResult result = ReadModeFile(QFile::encodeName(path).toStdString(), m_app.Device().store);
    if (result.status == ModeFileStatus::Ok) return true;
    if (result.status == ModeFileStatus::CannotOpen) {
        m_app.Prompts().Message(window(), m_app.Text("错误", "Error"),
                                m_app.Text("无法打开文件:\n", "Can't open the file for reading:\n") + path,
                                UiPrompts::Icon::Warning);
    }
    return false;
}

void CKV4420v13View::SaveModeFile() {
    if (!Connected()) {
        Notice("请先连接设备!", "Please connect device!");
        return;
    }
    const QString path =
        m_app.Prompts().SaveFile(window(), QStringLiteral("name"), QStringLiteral("K4v9"), kSaveFilter);
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
    if (!Connected()) return;
    const QString text =
        m_app.Text("您确定要将机器复位吗? \n机器复位后将自动重新启动并连接.", "Are you sure reset machine? ");
    if (m_app.Prompts().Ask(window(), QStringLiteral("提示"), text, false) != UiPrompts::Answer::Yes) return;
    m_app.Device().encoders.DeviceReset();
    Notice("机器正在重启……", "Restarting……", kRestartNoticeMs);
}

}  // namespace kv
