// The master controls of the ribbon against the simulated box: what reaches the box,
// byte for byte, and what both ribbon copies show.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

#include "app/AppSettings.h"
#include "app/AuxWindows.h"
#include "device/Commands.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSetDlg.h"
#include "eq/CXBmpSlider.h"
#include "model/ModeFile.h"
#include "model/RemoteFile.h"
#include "tests/app/ShellFixture.h"
#include "tests/app/ShellTests.h"

namespace kv::test {

namespace {

std::vector<Report> Expected(RibbonSlider id, int v) {
    switch (id) {
        case RibbonSlider::Mic:
            return {ParamFloats(module::kMic, 30, H(v)), ParamFloats(module::kMic, 43, H(v))};
        case RibbonSlider::Reverb:
            return {ParamFloats(module::kReverb, 26, H(v), 2)};
        case RibbonSlider::Echo:
            return {ParamFloats(module::kEcho, 28, H(v), 2)};
        case RibbonSlider::Music:
            return {ParamFloats(module::kMusic, 15, H(v), 6)};
        case RibbonSlider::Spdif:
            return {ParamFloats(module::kMusic, 16, H(v), 2)};
        case RibbonSlider::Aux1:
            return {ParamFloats(module::kMusic, 17, H(v), 2)};
        case RibbonSlider::Aux2:
            return {ParamFloats(module::kMusic, 18, H(v), 2)};
        case RibbonSlider::NoiseGate:
            return {ParamFloats(module::kMusic, 28, static_cast<float>(v / 10000.0))};
        case RibbonSlider::Pitch: {
            const ParamValue value = ParamValue::FromInt(v + 5);
            return {BuildParamWrite(module::kMusic, 23, std::span<const ParamValue>(&value, 1))};
        }
    }
    return {};
}

bool SameReports(const std::vector<Report>& actual, const std::vector<Report>& expected) {
    if (actual == expected) return true;
    for (const auto& r : actual) qWarning("got      %s", ToHex(std::span<const std::uint8_t>(r.data(), 16)).c_str());
    for (const auto& r : expected) qWarning("expected %s", ToHex(std::span<const std::uint8_t>(r.data(), 16)).c_str());
    return false;
}

std::vector<Report> Repeat(const std::vector<Report>& once, int times) {
    std::vector<Report> all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), once.begin(), once.end());
    return all;
}

// Both copies of a slider issue the same commands at once: a second may replace a first
// while it waits, so the box gets each once or twice, and nothing else.
bool OnceOrTwice(const std::vector<Report>& actual, const std::vector<Report>& once) {
    const bool ok = std::all_of(once.begin(), once.end(),
                                [&](const Report& r) {
                                    const auto n = std::count(actual.begin(), actual.end(), r);
                                    return n == 1 || n == 2;
                                }) &&
                    std::all_of(actual.begin(), actual.end(),
                                [&](const Report& r) { return std::find(once.begin(), once.end(), r) != once.end(); });
    return ok || SameReports(actual, Repeat(once, 2));
}

// Steps sent back to back to one target, while the box takes one at a time: the box gets
// some of them in order, always the last.
bool EndsWithTheLast(const std::vector<Report>& actual, const std::vector<Report>& steps) {
    bool ok = !actual.empty() && actual.back() == steps.back();
    std::size_t at = 0;
    for (const Report& r : actual) {
        while (at < steps.size() && steps[at] != r) ++at;
        if (at == steps.size()) ok = false;
        if (!ok) break;
        ++at;
    }
    return ok || SameReports(actual, steps);  // which shows both
}

void ClickTrack(CMFCRibbonStepSlider* slider, bool towardsMax) {
    const QRect handle = slider->HandleRect();
    const int x = towardsMax ? slider->width() - 3 : 3;
    QVERIFY(!handle.contains(QPoint(x, handle.center().y())));
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, handle.center().y()));
}

// Only a focused ribbon slider turns: the notch goes over a slider (or its panel) that has it.
void Focus(QWidget* slider) {
    slider->window()->show();
    slider->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(slider->window()));
    slider->setFocus();
    QVERIFY(slider->hasFocus());
}

void Wheel(QWidget* target, int notches) {
    const QPoint local = target->rect().center();
    QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

constexpr RibbonSlider kAllSliders[] = {RibbonSlider::Mic,   RibbonSlider::Reverb,    RibbonSlider::Echo,
                                        RibbonSlider::Music, RibbonSlider::Spdif,     RibbonSlider::Aux1,
                                        RibbonSlider::Aux2,  RibbonSlider::NoiseGate, RibbonSlider::Pitch};
}  // namespace

void ShellControlsTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void ShellControlsTest::slidersByClickDragAndWheel() {
    Shell shell;
    for (RibbonSlider id : kAllSliders) {
        const QString name = QStringLiteral("slider %1").arg(static_cast<int>(id));
        // Click on the track: one unit, one command.
        auto* in = shell.Slider(id, kCategoryInput);
        auto* out = shell.Slider(id, kCategoryOutput);
        const int start = in->value();
        shell.Delivered().ClearTranscript();
        ClickTrack(in, true);
        QVERIFY2(in->value() == start + 1 && out->value() == start + 1, qPrintable(name));
        QVERIFY2(SameReports(shell.Delivered().Received(cmd::kParamWrite), Expected(id, start + 1)), qPrintable(name));

        // Wheel over the slider: both copies issue, so the command goes twice.
        shell.Delivered().ClearTranscript();
        Focus(in);
        Wheel(in, 1);
        QVERIFY2(in->value() == start + 2 && out->value() == start + 2, qPrintable(name));
        QVERIFY2(OnceOrTwice(shell.Delivered().Received(cmd::kParamWrite), Expected(id, start + 2)), qPrintable(name));
        shell.Delivered().ClearTranscript();
        Wheel(in, -1);
        QVERIFY2(in->value() == start + 1, qPrintable(name));
        QVERIFY2(OnceOrTwice(shell.Delivered().Received(cmd::kParamWrite), Expected(id, start + 1)), qPrintable(name));
    }
    QCOMPARE(shell.Label(RibbonLabel::Mic), QStringLiteral("话筒音量:  1"));
    QCOMPARE(shell.Label(RibbonLabel::Reverb, kCategoryOutput), QStringLiteral("混响音量:    1"));
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Pitch), QStringLiteral("音乐变调:1"));

    // Dragging the thumb of the Output copy issues at every change.
    shell.Ribbon()->SetActiveCategory(kCategoryOutput);
    auto* music = shell.Slider(RibbonSlider::Music, kCategoryOutput);
    const QPoint grip = music->HandleRect().center();
    shell.Delivered().ClearTranscript();
    QTest::mousePress(music, Qt::LeftButton, {}, grip);
    shell.Settle();
    QTest::mouseMove(music, QPoint(music->width() / 2, grip.y()));
    const int first = music->value();
    shell.Settle();
    QTest::mouseMove(music, QPoint(music->width() * 3 / 4, grip.y()));
    const int second = music->value();
    shell.Settle();
    QTest::mouseRelease(music, Qt::LeftButton, {}, QPoint(music->width() * 3 / 4, grip.y()));
    QVERIFY(first > 1 && second > first);
    auto expected = Expected(RibbonSlider::Music, first);
    const auto more = Expected(RibbonSlider::Music, second);
    expected.insert(expected.end(), more.begin(), more.end());
    QVERIFY(SameReports(shell.Delivered().Received(cmd::kParamWrite), expected));
    QCOMPARE(shell.Slider(RibbonSlider::Music, kCategoryInput)->value(), second);
    QCOMPARE(shell.Label(RibbonLabel::Music), QStringLiteral("音乐音量:") + QString::asprintf("%3d", second));
    QCOMPARE(shell.Store().Int(fld::kMusicVolume), second);

    // A wheel notch over a volume panel (not its slider) moves that panel's slider; over
    // the load panel it moves nothing.
    shell.Delivered().ClearTranscript();
    Focus(shell.Slider(RibbonSlider::Echo, kCategoryOutput));
    Wheel(shell.Ribbon()->Panel(kCategoryOutput, RibbonPanel::Echo), 1);
    QCOMPARE(shell.Slider(RibbonSlider::Echo)->value(), 2);
    Wheel(shell.Ribbon()->Panel(kCategoryOutput, RibbonPanel::Load), 1);
    QVERIFY(OnceOrTwice(shell.Delivered().Received(cmd::kParamWrite), Expected(RibbonSlider::Echo, 2)));
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellControlsTest::keyboardStepsOnEverySlider_data() {
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("category");
    for (RibbonSlider id : kAllSliders) {
        const int i = static_cast<int>(id);
        // Both categories' copies get their turn.
        QTest::addRow("slider %d", i) << i << (i % 2 == 0 ? kCategoryInput : kCategoryOutput);
    }
}

void ShellControlsTest::keyboardStepsOnEverySlider() {
    QFETCH(int, slider);
    QFETCH(int, category);
    const auto id = static_cast<RibbonSlider>(slider);
    Shell shell;
    shell.Ribbon()->SetActiveCategory(category);
    shell.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shell.Frame()));
    CPageBase* page = shell.View()->Page();
    auto* s = shell.Slider(id, category);
    // A click on the thumb focuses the slider without moving it.
    QTest::mouseClick(s, Qt::LeftButton, {}, s->HandleRect().center());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s));
    const int lo = s->minimum();
    std::vector<Report> expected = s->value() == lo ? std::vector<Report>{} : Expected(id, lo);
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, lo + 1}, {Qt::Key_Up, lo + 2},   {Qt::Key_PageUp, lo + 3},   {Qt::Key_Left, lo + 2},
        {Qt::Key_Down, lo + 1},  {Qt::Key_PageDown, lo}, {Qt::Key_End, s->maximum()}};
    for (const auto& [key, value] : steps) {
        const auto more = Expected(id, value);
        expected.insert(expected.end(), more.begin(), more.end());
    }
    shell.Delivered().ClearTranscript();
    // The box keeps up between the key presses.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    for (const auto& [key, value] : steps) {
        shell.Settle();
        QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(s->value(), value);
        QCOMPARE(shell.Slider(id, 1 - category)->value(), value);
    }
    // At the end of the range a key moves nothing and sends nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QVERIFY(SameReports(shell.Delivered().Received(cmd::kParamWrite), expected));
    QCOMPARE(shell.Ribbon()->ActiveCategory(), category);
    QCOMPARE(shell.View()->Page(), page);
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellControlsTest::maximumVolumesAndNotices() {
    Shell shell;
    auto settings = shell.Store().AppliedSettings();
    settings[3] = 50;
    settings[4] = 60;
    shell.Store().SetAppliedSettings(settings);
    for (int c = 0; c < kCategoryCount; ++c) {
        shell.Slider(RibbonSlider::Mic, c)->setValue(50);
        shell.Slider(RibbonSlider::Music, c)->setValue(60);
    }
    shell.Delivered().ClearTranscript();
    ClickTrack(shell.Slider(RibbonSlider::Mic), true);
    QCOMPARE(shell.Slider(RibbonSlider::Mic, kCategoryInput)->value(), 50);
    QCOMPARE(shell.Slider(RibbonSlider::Mic, kCategoryOutput)->value(), 50);
    QCOMPARE(shell.Label(RibbonLabel::Mic, kCategoryOutput), QStringLiteral("话筒音量: 50"));
    QCOMPARE(shell.Info(), QStringLiteral("不能超过最大话筒音量!"));
    QVERIFY(SameReports(shell.Delivered().Received(cmd::kParamWrite), Expected(RibbonSlider::Mic, 50)));

    ClickTrack(shell.Slider(RibbonSlider::Music), true);
    QCOMPARE(shell.Slider(RibbonSlider::Music, kCategoryOutput)->value(), 60);
    QCOMPARE(shell.Info(), QStringLiteral("不能超过最大音乐音量!"));

    // Moving a muted channel or an input that is switched off says so.
    shell.Check(RibbonCheck::EchoMute)->click();
    ClickTrack(shell.Slider(RibbonSlider::Echo), true);
    QCOMPARE(shell.Info(), QStringLiteral("当前是静音状态"));
    QCOMPARE(shell.Store().Int(fld::kAux2On), 0);
    ClickTrack(shell.Slider(RibbonSlider::Aux2), true);
    QCOMPARE(shell.Info(), QStringLiteral("该输入未启用"));
    QVERIFY(shell.Delivered().Violations().empty());
}

// Each master level against its own maximum, the other one set apart from it, so that a level
// held to the other's maximum shows: one ribbon step up from below, at and above it.
void ShellControlsTest::levelsHeldToTheirOwnMaximum_data() {
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("after");
    const int mic = int(RibbonSlider::Mic), music = int(RibbonSlider::Music);
    // Maxima: microphone 40, music 70.
    QTest::newRow("mic below its maximum") << mic << 39 << 40;
    QTest::newRow("mic at its maximum") << mic << 40 << 40;
    QTest::newRow("mic above its maximum") << mic << 45 << 40;
    QTest::newRow("music below its maximum") << music << 69 << 70;
    QTest::newRow("music at its maximum") << music << 70 << 70;
    QTest::newRow("music above its maximum") << music << 75 << 70;
    QTest::newRow("music above the mic's maximum") << music << 45 << 46;
}
void ShellControlsTest::levelsHeldToTheirOwnMaximum() {
    QFETCH(int, slider);
    QFETCH(int, start);
    QFETCH(int, after);
    Shell shell;
    auto settings = shell.Store().AppliedSettings();
    settings[3] = 40;
    settings[4] = 70;
    shell.Store().SetAppliedSettings(settings);
    const auto id = static_cast<RibbonSlider>(slider);
    for (int c = 0; c < kCategoryCount; ++c) shell.Slider(id, c)->setValue(start);
    shell.Delivered().ClearTranscript();
    ClickTrack(shell.Slider(id), true);
    for (int c = 0; c < kCategoryCount; ++c) QCOMPARE(shell.Slider(id, c)->value(), after);
    QVERIFY(SameReports(shell.Delivered().Received(cmd::kParamWrite), Expected(id, after)));
}

// Opening the windows and refreshing them (a read-back, a language switch there and back)
// sends nothing that changes the box: only the user's own changes do.
void ShellControlsTest::windowsSendNothingOnTheirOwn() {
    Shell shell;
    AuxWindows& aux = shell.app->Aux();
    const auto writes = [&] {
        shell.app->Device().link.Flush();
        std::size_t n = 0;
        for (const Report& r : shell.Delivered().Received())
            n += r[1] == cmd::kParamWrite || r[1] == cmd::kMemoryWrite || r[1] == cmd::kSettingsWrite ||
                 r[1] == cmd::kModeNameWrite || r[1] == cmd::kRemoteTableWrite;
        return n;
    };
    shell.Delivered().ClearTranscript();
    aux.OpenDeviceSettings();
    aux.OpenRemoteControl();
    aux.OpenAutoSub();
    aux.OpenMusicAgc();
    QVERIFY(aux.DeviceSettings() && aux.RemoteControl() && aux.AutoSub() && aux.MusicAgc());
    QCOMPARE(writes(), std::size_t(0));
    QVERIFY(shell.View()->Connection().RunReadBack());
    QVERIFY(shell.WaitAccepted(2));
    aux.RefreshAutomatic();
    QCOMPARE(writes(), std::size_t(0));
    shell.app->ToggleLanguage();
    shell.app->ToggleLanguage();
    QCOMPARE(writes(), std::size_t(0));
    aux.DestroyAll();
}

// The device settings window's power-on slider sets the live level too: the ribbon follows,
// and its next step starts from there.
void ShellControlsTest::powerOnSliderMovesTheRibbon_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("ribbon");
    QTest::addColumn<QString>("label");
    QTest::newRow("mic") << int(CSetDlg::kMic) << int(RibbonSlider::Mic) << QStringLiteral("话筒音量: 37");
    QTest::newRow("music") << int(CSetDlg::kMusic) << int(RibbonSlider::Music) << QStringLiteral("音乐音量: 37");
}
void ShellControlsTest::powerOnSliderMovesTheRibbon() {
    QFETCH(int, channel);
    QFETCH(int, ribbon);
    QFETCH(QString, label);
    Shell shell;
    const auto id = static_cast<RibbonSlider>(ribbon);
    shell.app->Aux().OpenDeviceSettings();
    CSetDlg* dlg = shell.app->Aux().DeviceSettings();
    QVERIFY(dlg);
    if (!dlg->PowerOnCheck(channel)->isChecked()) dlg->PowerOnCheck(channel)->click();
    dlg->PowerOnSlider(channel)->changed(0, 37);
    for (int c = 0; c < kCategoryCount; ++c) QCOMPARE(shell.Slider(id, c)->value(), 37);
    QCOMPARE(shell.Label(static_cast<RibbonLabel>(ribbon), kCategoryInput), label);
    shell.Delivered().ClearTranscript();
    ClickTrack(shell.Slider(id), true);  // one step of the ribbon slider
    QCOMPARE(shell.Slider(id, kCategoryOutput)->value(), 38);
    shell.app->Aux().DestroyAll();
}

void ShellControlsTest::settingsWindowOpensOverTheMainWindow() {
    Shell shell;
    shell.Frame()->show();
    shell.app->Aux().OpenDeviceSettings();
    CSetDlg* dlg = shell.app->Aux().DeviceSettings();
    QVERIFY(dlg);
    const QPoint offset = dlg->frameGeometry().center() - shell.Frame()->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 40, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    shell.app->Aux().DestroyAll();
}

void ShellControlsTest::mutesAndSources() {
    Shell shell;
    struct Case {
        RibbonCheck id;
        int field;
        std::vector<Report> whenOn;
        std::vector<Report> whenOff;
        int onValue;
    };
    std::vector<Report> fadeIn;
    for (int k = 0; k < 9; ++k) fadeIn.push_back(ParamFloats(module::kMusic, 19, static_cast<float>(k / 10.0), 2));
    fadeIn.push_back(ParamFloats(module::kMusic, 19, 1.0f, 2));
    const Case cases[] = {
        {RibbonCheck::MicMute,
         fld::kMicMute,
         {ParamFloats(1, 42, 0.0f), ParamFloats(1, 55, 0.0f)},
         {ParamFloats(1, 42, 1.0f), ParamFloats(1, 55, 1.0f)},
         1},
        {RibbonCheck::ReverbMute, fld::kReverbMute, {ParamFloats(3, 27, 0.0f, 2)}, {ParamFloats(3, 27, 1.0f, 2)}, 1},
        {RibbonCheck::EchoMute, fld::kEchoMute, {ParamFloats(2, 29, 0.0f, 2)}, {ParamFloats(2, 29, 1.0f, 2)}, 1},
        {RibbonCheck::MusicMute, fld::kMusicMute, {ParamFloats(4, 19, 0.0f, 2)}, fadeIn, 1},
        {RibbonCheck::SpdifOn, fld::kSpdifOn, {ParamFloats(4, 25, 1.0f)}, {ParamFloats(4, 25, 0.0f)}, 100},
        {RibbonCheck::Aux1On, fld::kAux1On, {ParamFloats(4, 26, 1.0f)}, {ParamFloats(4, 26, 0.0f)}, 100},
        {RibbonCheck::Aux2On, fld::kAux2On, {ParamFloats(4, 27, 1.0f)}, {ParamFloats(4, 27, 0.0f)}, 100},
    };
    for (const Case& c : cases) {
        const QString name = QStringLiteral("check %1").arg(static_cast<int>(c.id));
        QVERIFY2(!shell.Check(c.id)->isChecked(), qPrintable(name));
        shell.Ribbon()->SetActiveCategory(kCategoryInput);
        shell.Delivered().ClearTranscript();
        QTest::mouseClick(shell.Check(c.id, kCategoryInput), Qt::LeftButton);
        QVERIFY2(shell.Check(c.id, kCategoryOutput)->isChecked(), qPrintable(name));
        QCOMPARE(shell.Store().Int(c.field), c.onValue);
        QVERIFY2(EndsWithTheLast(shell.Delivered().Received(cmd::kParamWrite), c.whenOn), qPrintable(name));
        shell.Ribbon()->SetActiveCategory(kCategoryOutput);
        shell.Delivered().ClearTranscript();
        QTest::mouseClick(shell.Check(c.id, kCategoryOutput), Qt::LeftButton);
        QVERIFY2(!shell.Check(c.id, kCategoryInput)->isChecked(), qPrintable(name));
        QCOMPARE(shell.Store().Int(c.field), 0);
        QVERIFY2(EndsWithTheLast(shell.Delivered().Received(cmd::kParamWrite), c.whenOff), qPrintable(name));
    }
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellControlsTest::userModeSlots() {
    Shell shell;
    QMenu* load = shell.Ribbon()->ModeMenu(kCategoryInput, false);
    QMenu* save = shell.Ribbon()->ModeMenu(kCategoryOutput, true);
    QCOMPARE(load->actions().size(), 4);
    QVERIFY(load->actions()[0]->text().startsWith(QStringLiteral("M1: ")));
    QVERIFY(load->actions()[0]->isChecked());

    // Changed settings: the question comes first, and No cancels.
    shell.Store().SetSettingsChanged(true);
    shell.Delivered().ClearTranscript();
    shell.prompts->answers = {UiPrompts::Answer::No};
    load->actions()[1]->trigger();
    QCOMPARE(shell.prompts->asked.back().caption, QStringLiteral("信息"));
    QCOMPARE(shell.prompts->asked.back().text, QStringLiteral("参数已更改，确定要直接载入模式二?"));
    QVERIFY(shell.Delivered().Received(cmd::kModeLoad).empty());

    shell.prompts->answers = {UiPrompts::Answer::Yes};
    load->actions()[1]->trigger();
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(shell.Delivered().Received(cmd::kModeLoad).size(), std::size_t{1});
    QVERIFY(shell.Delivered().Received(cmd::kModeLoad)[0] == BuildCommand({cmd::kModeLoad, 1}));
    QVERIFY(!shell.Delivered().Received(cmd::kModelName).empty());  // the read-back followed
    QVERIFY(shell.Status()->ModePane()->text().startsWith(QStringLiteral("当前模式:模式二[")));
    QVERIFY(shell.Ribbon()->ModeMenu(kCategoryOutput, false)->actions()[1]->isChecked());

    // Saving asks, clears the changed flag, sends and tells the user.
    shell.Store().SetSettingsChanged(true);
    shell.Delivered().ClearTranscript();
    shell.prompts->answers = {UiPrompts::Answer::Yes};
    save->actions()[2]->trigger();
    QCOMPARE(shell.prompts->asked.back().text, QStringLiteral("确定要保存至机器模式三?"));
    QVERIFY(shell.Delivered().Received(cmd::kModeSave)[0] == BuildCommand({cmd::kModeSave, 2}));
    QVERIFY(!shell.Store().SettingsChanged());
    QVERIFY(QTest::qWaitFor([&] { return shell.Info() == QStringLiteral("正在储存模式三,请稍等"); }, kWaitMs));

    // Disconnected: nothing at all.
    shell.app->Device().link.Close(true);
    shell.Delivered().ClearTranscript();
    const auto asked = shell.prompts->asked.size();
    save->actions()[0]->trigger();
    load->actions()[0]->trigger();
    QCOMPARE(shell.prompts->asked.size(), asked);
    QVERIFY(shell.Delivered().Received().empty());
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellControlsTest::modeFilesAndTargetSlot() {
    Shell shell;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m2 evening show preset.K4v9"));  // 22-character title
    {
        ParameterStore source;
        source.SetInt(fld::kReverbVolume, 42);
        source.SetInt(fld::kMusicPitch, -2);
        QCOMPARE(WriteModeFile(QFile::encodeName(path).toStdString(), source).status, ModeFileStatus::Ok);
    }
    const std::u16string firstName = shell.Delivered().ModeName(0);
    shell.Delivered().ClearTranscript();
    shell.prompts->files = {path};
    QTest::mouseClick(shell.Ribbon()->FileButton(kCategoryInput, RibbonFileButton::LoadFile), Qt::LeftButton);
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(shell.prompts->filters.back(), QStringLiteral("Mode Files (*.K4v8 *.K4v9)"));
    const QString name = QStringLiteral("m2 evening show pres");
    // The name goes to the slot the data is saved into, not the one current at the load.
    QCOMPARE(QString::fromStdU16String(shell.Store().ModeName(1)), name);
    QCOMPARE(QString::fromStdU16String(shell.Delivered().ModeName(1)), name);
    QVERIFY(shell.Delivered().ModeName(0) == firstName);
    QCOMPARE(shell.Delivered().ParamFloat(module::kReverb, 26), 0.42f);
    QCOMPARE(shell.Slider(RibbonSlider::Reverb, kCategoryOutput)->value(), 42);
    QCOMPARE(shell.Slider(RibbonSlider::Pitch)->value(), -2);
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Pitch), QStringLiteral("音乐变调:-2"));

    // After the write-all: select slot 1, then save to it.
    const auto transcript = shell.Delivered().Transcript();
    int lastMemoryWrite = -1, select = -1, saveAt = -1;
    for (int i = 0; i < static_cast<int>(transcript.size()); ++i) {
        if (transcript[i].direction != SimBox::Direction::ToBox) continue;
        const auto code = transcript[i].report[1];
        if (code == cmd::kMemoryWrite) lastMemoryWrite = i;
        if (code == cmd::kModeSelect) select = i;
        if (code == cmd::kModeSave) saveAt = i;
    }
    QVERIFY(lastMemoryWrite >= 0 && select > lastMemoryWrite && saveAt > select);
    QVERIFY(transcript[select].report == BuildCommand({cmd::kModeSelect, 1}));
    QVERIFY(transcript[saveAt].report == BuildCommand({cmd::kModeSave, 1}));
    QCOMPARE(shell.Delivered().CurrentSlot(), 1);
    QCOMPARE(shell.app->TargetSlot(), -1);
    QVERIFY(shell.app->Settings().RecentFiles().contains(QFileInfo(path).absoluteFilePath()));

    // Saving to a file: save-mode for the current slot, then a version-2 file.
    const QString out = dir.filePath(QStringLiteral("saved.K4v9"));
    shell.Store().SetSettingsChanged(true);
    shell.Delivered().ClearTranscript();
    shell.prompts->files = {out};
    QTest::mouseClick(shell.Ribbon()->FileButton(kCategoryOutput, RibbonFileButton::SaveFile), Qt::LeftButton);
    QCOMPARE(shell.prompts->saveDefaults.back(), QStringLiteral("name|K4v9"));
    QCOMPARE(QFileInfo(out).size(), qint64(kModeFileSizeV2));
    QVERIFY(shell.Delivered().Received(cmd::kModeSave)[0] == BuildCommand({cmd::kModeSave, 1}));
    QVERIFY(!shell.Store().SettingsChanged());

    // From the recent-file list: sent to the box, but no slot is named or chosen by the title.
    const QString recent = dir.filePath(QStringLiteral("m3 late.K4v9"));
    QVERIFY(QFile::copy(out, recent));
    const std::u16string slotName = shell.Store().ModeName(1);
    shell.Delivered().ClearTranscript();
    shell.app->OpenDocument(recent);
    QVERIFY(shell.WaitAccepted(3));
    QVERIFY(!shell.Delivered().Received(cmd::kMemoryWrite).empty());
    QVERIFY(shell.Delivered().Received(cmd::kModeNameWrite).empty());
    QVERIFY(shell.Delivered().Received(cmd::kModeSelect).empty());
    QVERIFY(shell.Store().ModeName(1) == slotName);
    QCOMPARE(shell.app->TargetSlot(), -1);
    QCOMPARE(shell.app->Settings().RecentFiles().first(), QFileInfo(recent).absoluteFilePath());

    // A remote file from a file manager opens the remote window and sends its key table.
    ParameterStore::RemoteTable keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<std::uint8_t>(0x30 + i);
    const QString remo = dir.filePath(QStringLiteral("hall.remo"));
    QVERIFY(WriteRemoteFile(QFile::encodeName(remo).toStdString(), keys));
    shell.Delivered().ClearTranscript();
    shell.app->OpenDocument(remo);
    QVERIFY(shell.app->Aux().RemoteControl() && shell.app->Aux().RemoteControl()->isVisible());
    const auto sent = shell.Delivered().Received(cmd::kRemoteTableWrite);
    QCOMPARE(sent.size(), std::size_t(1));
    QVERIFY(std::equal(keys.begin(), keys.end(), sent[0].begin() + 2));
    shell.app->Aux().DestroyAll();

    // Disconnected: only the notice.
    shell.app->Device().link.Close(true);
    const auto dialogs = shell.prompts->filters.size();
    QTest::mouseClick(shell.Ribbon()->FileButton(kCategoryInput, RibbonFileButton::LoadFile), Qt::LeftButton);
    QCOMPARE(shell.Info(), QStringLiteral("请先连接设备!"));
    QCOMPARE(shell.prompts->filters.size(), dialogs);
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellControlsTest::targetSlotFromTitles() {
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QStringLiteral("m1")), 0);
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QStringLiteral("默认3 hall")), 2);
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QStringLiteral("lumavox4-club")), 3);
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QStringLiteral("M2")), -1);
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QStringLiteral("m5")), -1);
    QCOMPARE(CKV4420v13View::TargetSlotFromTitle(QString()), -1);
}

void ShellControlsTest::deviceReset() {
    Shell shell;
    shell.Delivered().ClearTranscript();
    shell.prompts->answers = {UiPrompts::Answer::No};
    QTest::mouseClick(shell.Ribbon()->Button(RibbonButton::Reset), Qt::LeftButton);
    QCOMPARE(shell.prompts->asked.back().caption, QStringLiteral("提示"));
    QVERIFY(shell.Delivered().Received(cmd::kDeviceReset).empty());
    shell.prompts->answers = {UiPrompts::Answer::Yes};
    QTest::mouseClick(shell.Ribbon()->Button(RibbonButton::Reset), Qt::LeftButton);
    QCOMPARE(shell.Delivered().Received(cmd::kDeviceReset).size(), std::size_t{1});
    QCOMPARE(shell.Delivered().Received(cmd::kDeviceReset)[0][2], kDeviceResetKey);
    QCOMPARE(shell.Info(), QStringLiteral("机器正在重启……"));
}

void ShellControlsTest::closeFlow() {
    QTemporaryDir dir;
    const auto changed = [](Shell& shell) {
        ClickTrack(shell.Slider(RibbonSlider::Echo), true);
        QVERIFY(QTest::qWaitFor([&] { return shell.Store().SettingsChanged(); }, kWaitMs));
    };
    {  // Unchanged: no question.
        Shell shell;
        QVERIFY(shell.Frame()->close());
        QVERIFY(shell.prompts->asked.empty());
        QVERIFY(!shell.app->Device().link.IsOpen());
        QCOMPARE(shell.Delivered().Received(cmd::kDisconnect).size(), std::size_t{1});
    }
    {  // Cancel keeps the window and the link.
        Shell shell;
        changed(shell);
        shell.prompts->answers = {UiPrompts::Answer::Cancel};
        QVERIFY(!shell.Frame()->close());
        QVERIFY(shell.prompts->askedWithCancel.back());
        QCOMPARE(shell.prompts->asked.back().caption, QStringLiteral("保存?"));
        QVERIFY(shell.Frame()->isVisible());
        QVERIFY(shell.app->Device().link.IsOpen());
    }
    {  // Yes, then a cancelled file dialog: closes without saving.
        Shell shell;
        changed(shell);
        shell.prompts->answers = {UiPrompts::Answer::Yes};
        shell.prompts->files = {QString()};
        shell.Delivered().ClearTranscript();
        QVERIFY(shell.Frame()->close());
        QCOMPARE(shell.prompts->saveDefaults.back(), QStringLiteral("preset|K4v9"));
        QVERIFY(shell.Delivered().Received(cmd::kModeSave).empty());
        QVERIFY(!shell.app->Device().link.IsOpen());
    }
    {  // Yes with a file: saved to the slot and to the file.
        Shell shell;
        changed(shell);
        const QString path = dir.filePath(QStringLiteral("preset.K4v9"));
        shell.prompts->answers = {UiPrompts::Answer::Yes};
        shell.prompts->files = {path};
        shell.Delivered().ClearTranscript();
        QVERIFY(shell.Frame()->close());
        QCOMPARE(QFileInfo(path).size(), qint64(kModeFileSizeV2));
        QCOMPARE(shell.Delivered().Received(cmd::kModeSave).size(), std::size_t{1});
        QCOMPARE(shell.Delivered().Received(cmd::kDisconnect).size(), std::size_t{1});
    }
    {  // No: closes, no file dialog.
        Shell shell;
        changed(shell);
        shell.prompts->answers = {UiPrompts::Answer::No};
        QVERIFY(shell.Frame()->close());
        QVERIFY(shell.prompts->saveDefaults.empty());
        QVERIFY(shell.Delivered().Violations().empty());
    }
}

void ShellControlsTest::fileDialogsStartInTheLastModeFolder() {
    Shell shell;
    QTemporaryDir saved, loaded;
    const QString home = QDir::homePath();
    auto& asked = shell.prompts->directories;
    // Nothing used yet: the home folder, not wherever the program was started.
    shell.prompts->files = {saved.filePath(QStringLiteral("evening.K4v9")), QString()};
    shell.View()->SaveModeFile();
    QCOMPARE(asked.back(), home);
    shell.View()->LoadModeFile();  // cancelled
    QCOMPARE(asked.back(), saved.path());

    // A file loaded elsewhere moves it there, for this run and the next.
    QVERIFY(QFile::copy(saved.filePath(QStringLiteral("evening.K4v9")), loaded.filePath(QStringLiteral("m3.K4v9"))));
    shell.prompts->files = {loaded.filePath(QStringLiteral("m3.K4v9")), QString()};
    shell.View()->LoadModeFile();
    QVERIFY(shell.WaitSyncHandled());
    shell.View()->SaveModeFile();  // cancelled
    QCOMPARE(asked.back(), loaded.path());
    QCOMPARE(AppSettings().ModeFolder(), loaded.path());

    // A file that could not be read moves nothing; a folder removed since is no start.
    shell.prompts->files = {saved.filePath(QStringLiteral("missing.K4v9")), QString()};
    shell.View()->LoadModeFile();
    QVERIFY(loaded.remove());
    shell.View()->LoadModeFile();
    QCOMPARE(asked.back(), home);
    QVERIFY(shell.Delivered().Violations().empty());
}

}  // namespace kv::test
