// Start-up, acceptance and refusal of the box, hot-plug, the status timer, keys and the
// language toggle, driven on the real frame against the simulated box.

#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <chrono>

#include "app/AppSettings.h"
#include "app/AuxWindows.h"
#include "app/QtUiPrompts.h"
#include "device/Commands.h"
#include "dialogs/CAutoSubDlg.h"
#include "dialogs/CDialogNG.h"
#include "dialogs/CRemoteDlg.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/CSetDlg.h"
#include "tests/app/ShellFixture.h"
#include "tests/app/ShellTests.h"

namespace kv::test {

namespace {
// Runs show, which opens a modal dialog, and hands the dialog to look before closing it.
template <typename Dialog>
void WithNextDialog(const std::function<void()>& show, const std::function<void(Dialog*)>& look) {
    QTimer poll;
    bool seen = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || seen) return;
        seen = true;
        look(dialog);
        dialog->reject();
    });
    poll.start(10);
    show();
    QVERIFY(seen);
}
}  // namespace

void ShellStartTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void ShellStartTest::startsSynchronisesAndAccepts() {
    Shell shell(false);
    const ParamValue full = ParamValue::FromFloat(1.0f);  // above the microphone slider's range
    for (int parameter : {30, 43})
        shell.Delivered().Handle(BuildParamWrite(module::kMic, parameter, std::span(&full, 1)));
    shell.Start();
    QCOMPARE(shell.Frame()->windowTitle(), QStringLiteral("DSP-4420-v3.1.1"));
    QCOMPARE(shell.Frame()->minimumSize(), QSize(1170, 700));
    QCOMPARE(shell.Frame()->property("DSP-Audio-K4420").toInt(), 1);
    QCOMPARE(shell.Ribbon()->Tabs()->tabText(0), QStringLiteral("输入控制"));
    QCOMPARE(shell.Ribbon()->Tabs()->tabText(1), QStringLiteral("输出调节"));
    QVERIFY(shell.app->Device().link.IsOpen());
    QVERIFY(QTest::qWaitFor([&] { return shell.Status()->ConnectionPane()->text() == QStringLiteral("USB：已连接"); },
                            kWaitMs));
    QCOMPARE(shell.Status()->ConnectionPane()->palette().color(QPalette::WindowText), QColor(0, 150, 0));
    // The view opens on the music page, whose equaliser the status bar's items act on.
    QVERIFY(shell.View()->Page() && shell.View()->Page()->Id() == PageId::Music);
    QVERIFY(shell.Status()->Bypass()->isEnabled());
    QVERIFY(shell.Status()->ResetEq()->isEnabled());
    QVERIFY(shell.View()->PageRect().width() >= 1024 && shell.View()->PageRect().height() >= 520);
    // No tray under the offscreen platform: the balloon goes to the status bar.
    QVERIFY(shell.Status()->NoticePane()->text().contains(QStringLiteral("设备已连接，同步中……")));
    QCOMPARE(QSettings(settings::kOrganization, settings::kApplication).value(settings::kApplicationLook).toInt(), 215);
    QVERIFY(shell.Status()->ModePane()->text().startsWith(QStringLiteral("当前模式:模式一[")));
    QVERIFY(!shell.Delivered().Received(cmd::kModelName).empty());
    // The box holds a level above the slider's range: it is shown clamped, slider and label alike.
    QCOMPARE(shell.Slider(RibbonSlider::Mic)->value(), 99);
    QCOMPARE(shell.Label(RibbonLabel::Mic), QStringLiteral("话筒音量: 99"));
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellStartTest::acceptsLowerCaseModel() {
    Shell shell(false);
    shell.Delivered().SetModelName("kv4420a");
    shell.Start();
    QVERIFY(shell.app->Device().link.IsOpen());
    QVERIFY(shell.prompts->messages.empty());
}

void ShellStartTest::silentBoxDoesNotAnswer() {
    // Its identity never came: the store's default model must not make it a wrong model.
    Shell shell(false);
    shell.Delivered().SetSilent(true);
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return shell.prompts->messages.size() == 1; }, kWaitMs));
    QCOMPARE(shell.prompts->messages[0].text, QStringLiteral("机器没有响应!"));
    QVERIFY(!shell.app->Device().link.IsOpen());
}

// The progress window gives up only when the box stopped answering for the give-up time, not
// when a slow box takes longer than that for the whole read-back.
void ShellStartTest::slowBoxReadsBackWithoutTimingOut() {
    Shell shell(false);
    shell.syncGiveUpMs = 600;
    shell.Delivered().SetLatency(std::chrono::milliseconds(20));
    QElapsedTimer took;
    took.start();
    shell.Start(false);
    QVERIFY(shell.WaitAccepted(1));
    QVERIFY2(took.elapsed() > shell.syncGiveUpMs, "the read-back was quicker than the give-up time");
    QVERIFY(shell.prompts->messages.empty());
}

void ShellStartTest::boxThatStopsAnsweringTimesOut_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("Chinese") << 0 << QStringLiteral("错误") << QStringLiteral("发生错误，与设备数据同步超时……");
    QTest::newRow("English") << 1 << QStringLiteral("Error")
                             << QStringLiteral("Error: the box stopped answering while synchronising its data.");
}
void ShellStartTest::boxThatStopsAnsweringTimesOut() {
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QSettings(settings::kOrganization, settings::kApplication).setValue(settings::kLanguage, language);
    Shell shell(false);
    shell.syncGiveUpMs = 600;
    shell.Delivered().SetLatency(std::chrono::milliseconds(20));
    // The box answers for a while, then holds every later answer back (the timer fires inside
    // the progress window's own loop).
    QTimer::singleShot(300, [&] { shell.box->SetAnswersHeld(true); });
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return !shell.prompts->messages.empty(); }, kWaitMs));
    QCOMPARE(shell.prompts->messages[0].caption, caption);
    QCOMPARE(shell.prompts->messages[0].text, text);
    shell.box->SetAnswersHeld(false);
}

void ShellStartTest::refusesWrongModelAndCommandSet() {
    Shell shell(false);
    shell.Delivered().SetModelName("KV4400X");
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return shell.prompts->messages.size() == 1; }, kWaitMs));
    QCOMPARE(shell.prompts->messages[0].caption, QStringLiteral("错误"));
    QCOMPARE(shell.prompts->messages[0].text, QStringLiteral("机器型号与软件不匹配!"));
    QVERIFY(!shell.app->Device().link.IsOpen());
    QVERIFY(!shell.View()->Connection().StatusTimerActive());
    QVERIFY(!shell.Delivered().Received(cmd::kDisconnect).empty());

    // The right model with command set 7, plugged in again.
    shell.Delivered().SetModelName("KV4420M");
    shell.Delivered().SetCommandSetVersion(7);
    shell.Watcher()->RaiseArrived();
    QVERIFY(QTest::qWaitFor([&] { return shell.prompts->messages.size() == 2; }, kWaitMs));
    QCOMPARE(shell.prompts->messages[1].text, QStringLiteral("机器与软件通信版本不匹配，请使用机器配套软件!"));
    QVERIFY(!shell.app->Device().link.IsOpen());
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellStartTest::twoRefusalsShowOneBox() {
    Shell shell(false);
    shell.Delivered().SetCommandSetVersion(7);
    int refusalsWhileOpen = 0;
    // While the first box is open, the box is plugged in again and refused again.
    shell.prompts->onMessage = [&](const QString&, const QString&) {
        if (shell.prompts->messages.size() > 1) return;
        const auto queries = shell.Delivered().Received(cmd::kModelName).size();
        shell.Watcher()->RaiseArrived();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return shell.Delivered().Received(cmd::kModelName).size() > queries &&
                       !shell.app->Device().link.IsOpen() && !shell.app->Device().sync.Running() &&
                       !shell.app->SyncDialog();
            },
            kWaitMs));
        QTest::qWait(50);  // let the queued notice be handled
        refusalsWhileOpen = 1;
        QVERIFY(!shell.View()->Connection().MismatchBoxArmed());
    };
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return refusalsWhileOpen == 1; }, kWaitMs));
    QCOMPARE(shell.prompts->messages.size(), std::size_t{1});
    QVERIFY(shell.View()->Connection().MismatchBoxArmed());
}

void ShellStartTest::removalAndArrival() {
    Shell shell;
    auto& link = shell.app->Device().link;
    const auto readBacks = shell.Delivered().Received(cmd::kModelName).size();
    // A second arrival while connected changes nothing.
    shell.Watcher()->RaiseArrived();
    QTest::qWait(20);
    QCOMPARE(shell.Delivered().Received(cmd::kModelName).size(), readBacks);

    // Another device's removal is not ours.
    shell.Watcher()->RaiseRemoved(QStringLiteral("/dev/hidraw99"));
    QVERIFY(link.IsOpen());

    shell.Delivered().SetUnplugged(true);
    shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()).toUpper());
    QVERIFY(!link.IsOpen());
    QVERIFY(!shell.View()->Connection().StatusTimerActive());
    QVERIFY(shell.Status()->NoticePane()->text().contains(QStringLiteral("设备已断开!")));
    QVERIFY(QTest::qWaitFor([&] { return shell.Status()->ConnectionPane()->text() == QStringLiteral("USB：未连接"); },
                            kWaitMs));
    // Not found while still unplugged.
    shell.Watcher()->RaiseArrived();
    QVERIFY(!link.IsOpen());

    shell.Delivered().SetUnplugged(false);
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(2));
    QVERIFY(link.IsOpen());
    QVERIFY(shell.View()->Connection().StatusTimerActive());
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellStartTest::statusTimerPollsAndCaptions() {
    Shell shell;
    shell.Delivered().ClearTranscript();
    QVERIFY(QTest::qWaitFor([&] { return !shell.Delivered().Received(cmd::kLevelMeter).empty(); }, kWaitMs));

    // With the poll switched off the caption still follows the stream flag.
    shell.app->Device().link.SetMeterPollEnabled(false);
    QTest::qWait(50);
    shell.Delivered().ClearTranscript();
    shell.Store().SetInt(fld::kMusicStream, 1);
    QVERIFY(QTest::qWaitFor(
        [&] { return shell.Ribbon()->PanelCaption(RibbonPanel::Source) == QStringLiteral("音乐音源:DTS/AC3"); },
        kWaitMs));
    QVERIFY(shell.Delivered().Received(cmd::kLevelMeter).empty());
    shell.Store().SetInt(fld::kMusicStream, 0);
    QVERIFY(QTest::qWaitFor(
        [&] { return shell.Ribbon()->PanelCaption(RibbonPanel::Source) == QStringLiteral("音乐音源"); }, kWaitMs));
}

void ShellStartTest::functionKeysOpenTheirWindows() {
    Shell shell;
    AuxWindows& aux = shell.app->Aux();
    QTest::keyRelease(shell.Ribbon(), Qt::Key_F7);
    QPointer<CSetDlg> settings = aux.DeviceSettings();
    QVERIFY(settings && settings->isVisible());
    // A second F7 raises the window and keeps what is being edited.
    settings->PanelLock()->click();
    const auto edited = shell.Store().EditedSettings();
    QVERIFY(edited != shell.Store().AppliedSettings());
    QTest::keyRelease(shell.View(), Qt::Key_F7);
    QCOMPARE(aux.DeviceSettings(), settings.data());
    QCOMPARE(shell.Store().EditedSettings(), edited);

    // F6 runs the noise gate modally; a second F6 inside it opens nothing more.
    int gatesSeen = 0;
    QTimer::singleShot(0, shell.Frame(), [&] {
        CDialogNG* gate = aux.NoiseGate();
        if (!gate) return;
        ++gatesSeen;
        QTest::keyRelease(gate, Qt::Key_F6);
        if (aux.NoiseGate() == gate) gate->reject();
    });
    QTest::keyRelease(shell.View(), Qt::Key_F6);
    QCOMPARE(gatesSeen, 1);
    QVERIFY(!aux.NoiseGate());

    // F6 does nothing while disconnected; F7 still opens the settings.
    shell.app->Device().link.Close(true);
    settings->close();
    QVERIFY(QTest::qWaitFor([&] { return settings.isNull(); }, kWaitMs));
    bool gateWhileClosed = false;
    QTimer::singleShot(0, shell.Frame(), [&] {
        if (CDialogNG* gate = aux.NoiseGate()) {
            gateWhileClosed = true;
            gate->reject();
        }
    });
    QTest::keyRelease(shell.View(), Qt::Key_F6);
    QTest::qWait(10);
    QVERIFY(!gateWhileClosed);
    QTest::keyRelease(shell.View(), Qt::Key_F7);
    QVERIFY(aux.DeviceSettings());
    aux.DeviceSettings()->close();

    // Both are ignored while the progress dialog is open; the arrival runs it modally.
    bool sentWhileOpen = false, openedWhileSyncing = false;
    QTimer::singleShot(0, shell.Frame(), [&] {
        if (CSynDlg* dialog = shell.app->SyncDialog()) {
            QTimer::singleShot(0, shell.Frame(), [&] {
                if (CDialogNG* gate = aux.NoiseGate()) {
                    openedWhileSyncing = true;
                    gate->reject();
                }
            });
            QTest::keyRelease(dialog, Qt::Key_F7);
            QTest::keyRelease(dialog, Qt::Key_F6);
            sentWhileOpen = true;
            openedWhileSyncing = openedWhileSyncing || aux.DeviceSettings();
        }
    });
    shell.Delivered().SetLatency(std::chrono::milliseconds(1));
    shell.Watcher()->RaiseArrived();
    QVERIFY(sentWhileOpen);
    QVERIFY(!openedWhileSyncing);
    QVERIFY(shell.WaitAccepted(2));
}

void ShellStartTest::ribbonButtonsOpenAuxWindows() {
    Shell shell;
    AuxWindows& aux = shell.app->Aux();
    const auto click = [&](RibbonButton b) { QTest::mouseClick(shell.Ribbon()->Button(b), Qt::LeftButton); };
    click(RibbonButton::AutoSub);
    click(RibbonButton::MusicAgc);
    click(RibbonButton::Remote);
    QPointer<CAutoSubDlg> autoSub = aux.AutoSub();
    QVERIFY(autoSub && autoSub->isVisible() && aux.MusicAgc() && aux.RemoteControl());
    click(RibbonButton::AutoSub);
    QCOMPARE(aux.AutoSub(), autoSub.data());
    QVERIFY(!shell.app->Device().link.MeterPollEnabled());

    // A learned key travels from the read thread through the application to the dialog.
    CRemoteDlg* remote = aux.RemoteControl();
    QString code;
    QTimer::singleShot(0, remote, [&] {
        QVERIFY(QTest::qWaitFor([&] { return remote->Study() && shell.Delivered().LearningKeyIndex() == 5; }, kWaitMs));
        shell.Delivered().PressRemoteKey(0x21, 0x07);
        QVERIFY(QTest::qWaitFor([&] { return remote->Study()->Learned(); }, kWaitMs));
        code = remote->Study()->Code()->text();
    });
    remote->Key(4)->click();
    QCOMPARE(code, QStringLiteral("07"));
    QCOMPARE(shell.Store().GetRemoteTable()[5], 0x07);

    // The automatic windows follow every synchronisation, and the language.
    shell.Delivered().Handle(ParamFloats(module::kMic, 68, 0.3f));
    QVERIFY(shell.View()->Connection().RunReadBack());
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(autoSub->Value()->text(), QStringLiteral("30%"));
    click(RibbonButton::Language);
    QCOMPARE(autoSub->windowTitle(), QStringLiteral("Auto SUB vol decay"));

    // A box plugged in destroys them all; the poll comes back with the remote window.
    shell.app->Device().link.Close(true);
    shell.Watcher()->RaiseArrived();
    QVERIFY(!aux.AutoSub() && !aux.MusicAgc() && !aux.RemoteControl());
    QVERIFY(QTest::qWaitFor([&] { return autoSub.isNull(); }, kWaitMs));
    QVERIFY(shell.app->Device().link.MeterPollEnabled());
    QVERIFY(shell.WaitAccepted(2));

    // No AGC window for command set 8, no remote window without the box.
    Shell old(false);
    old.box->SetCommandSetVersion(8);
    old.Start();
    QTest::mouseClick(old.Ribbon()->Button(RibbonButton::MusicAgc), Qt::LeftButton);
    QVERIFY(!old.app->Aux().MusicAgc());
    old.app->Device().link.Close(true);
    QTest::mouseClick(old.Ribbon()->Button(RibbonButton::Remote), Qt::LeftButton);
    QVERIFY(!old.app->Aux().RemoteControl());
}

void ShellStartTest::languageToggleThereAndBack() {
    Shell shell;
    QToolButton* toggle = shell.Ribbon()->Button(RibbonButton::Language);
    QCOMPARE(toggle->text(), QStringLiteral("中/EN"));
    shell.Store().SetInt(fld::kMusicPitch, 2);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(shell.app->Language(), 1);
    QCOMPARE(QSettings(settings::kOrganization, settings::kApplication).value(settings::kLanguage).toInt(), 1);
    QCOMPARE(shell.Ribbon()->Tabs()->tabText(0), QStringLiteral("Input"));
    QCOMPARE(shell.Ribbon()->Tabs()->tabText(1), QStringLiteral("Output"));
    QCOMPARE(shell.Check(RibbonCheck::SpdifOn, kCategoryOutput)->text(), QStringLiteral("SPDIF Input"));
    QCOMPARE(shell.Ribbon()->Button(RibbonButton::Reset)->text(), QStringLiteral("Reset"));
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Mic), QStringLiteral("Mic  Vol"));
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Pitch), QStringLiteral("Music Pitch:2"));
    const int gate = shell.Slider(RibbonSlider::NoiseGate)->value();
    QCOMPARE(shell.Label(RibbonLabel::NoiseGate), QStringLiteral("Noisegate: ") + QString::asprintf("%3d", gate));
    QCOMPARE(shell.Status()->Bypass()->text(), QStringLiteral("Bypass"));
    QVERIFY(QTest::qWaitFor([&] { return shell.Status()->ConnectionPane()->text() == QStringLiteral("USB:Connected"); },
                            kWaitMs));
    QVERIFY(shell.Status()->ModePane()->text().startsWith(QStringLiteral("Current Mode:Mode1[")));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(shell.app->Language(), 0);
    QCOMPARE(QSettings(settings::kOrganization, settings::kApplication).value(settings::kLanguage).toInt(), 0);
    QCOMPARE(shell.Ribbon()->Tabs()->tabText(0), QStringLiteral("输入控制"));
    const int reverb = shell.Slider(RibbonSlider::Reverb)->value();
    QCOMPARE(shell.Label(RibbonLabel::Reverb), QStringLiteral("混响音量:") + QString::asprintf("%3d", reverb));
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Pitch), QStringLiteral("音乐变调:2"));
    QCOMPARE(shell.Status()->ResetEq()->text(), QStringLiteral("重置均衡"));
}

void ShellStartTest::qtDialogsFollowTheLanguage_data() {
    QTest::addColumn<int>("toggles");
    QTest::addColumn<QStringList>("buttons");     // yes, no, cancel, ok
    QTest::addColumn<QStringList>("fileDialog");  // accept, file name
    const QStringList zhButtons{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"), QStringLiteral("取消"),
                                QStringLiteral("确定")};
    const QStringList zhFile{QStringLiteral("打开(&O)"), QStringLiteral("文件名称(&N)：")};
    QTest::newRow("Chinese from the start") << 0 << zhButtons << zhFile;
    QTest::newRow("English after the toggle")
        << 1 << QStringList{"&Yes", "&No", "Cancel", "OK"} << QStringList{"&Open", "File &name:"};
    QTest::newRow("Chinese again") << 2 << zhButtons << zhFile;
}

void ShellStartTest::qtDialogsFollowTheLanguage() {
    QFETCH(int, toggles);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, fileDialog);
    Shell shell(false);
    shell.Delivered().SetUnplugged(true);
    shell.Start(false);
    for (int i = 0; i < toggles; ++i) shell.app->ToggleLanguage();
    QtUiPrompts real;
    WithNextDialog<QMessageBox>([&] { real.Ask(shell.Frame(), QStringLiteral("c"), QStringLiteral("t"), true); },
                                [&](QMessageBox* box) {
                                    QCOMPARE(box->button(QMessageBox::Yes)->text(), buttons[0]);
                                    QCOMPARE(box->button(QMessageBox::No)->text(), buttons[1]);
                                    QCOMPARE(box->button(QMessageBox::Cancel)->text(), buttons[2]);
                                });
    WithNextDialog<QMessageBox>(
        [&] { real.Message(shell.Frame(), QStringLiteral("c"), QStringLiteral("t"), UiPrompts::Icon::Error); },
        [&](QMessageBox* box) { QCOMPARE(box->button(QMessageBox::Ok)->text(), buttons[3]); });
    QTemporaryDir folder;
    WithNextDialog<QFileDialog>(
        [&] { real.OpenFile(shell.Frame(), QStringLiteral("Mode Files (*.K4v9)"), folder.path()); },
        [&](QFileDialog* dialog) {
            QCOMPARE(dialog->labelText(QFileDialog::Accept), fileDialog[0]);
            QCOMPARE(dialog->labelText(QFileDialog::FileName), fileDialog[1]);
            QCOMPARE(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());
        });
}

void ShellStartTest::statusPanesFollowTheLanguageFromTheStart_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("connection");
    QTest::newRow("Chinese") << 0 << QStringLiteral("当前模式：模式一") << QStringLiteral("USB:未连接");
    QTest::newRow("English") << 1 << QStringLiteral("Current Mode:Mode1") << QStringLiteral("USB:Disconnected");
}

void ShellStartTest::statusPanesFollowTheLanguageFromTheStart() {
    QFETCH(int, language);
    QFETCH(QString, mode);
    QFETCH(QString, connection);
    QSettings(settings::kOrganization, settings::kApplication).setValue(settings::kLanguage, language);
    Shell shell(false);
    shell.Delivered().SetUnplugged(true);
    shell.Start(false);
    QCOMPARE(shell.Status()->ModePane()->text(), mode);
    QCOMPARE(shell.Status()->ConnectionPane()->text(), connection);
}

void ShellStartTest::withoutTheBox() {
    Shell shell(false);
    shell.Delivered().SetUnplugged(true);
    shell.Start(false);
    QTest::qWait(20);
    QVERIFY(!shell.app->Device().link.IsOpen());
    // The value labels read as the ribbon was built.
    QCOMPARE(shell.Label(RibbonLabel::Mic), QStringLiteral("话筒音量:100"));
    QCOMPARE(shell.Label(RibbonLabel::Reverb, kCategoryOutput), QStringLiteral("混响音量:  100"));
    QCOMPARE(shell.Label(RibbonLabel::Aux2), QStringLiteral("输入音量:100"));
    QCOMPARE(shell.Label(RibbonLabel::NoiseGate), QStringLiteral("音乐噪声门:100"));
    // No status timer runs, so the music-source caption is the re-labelled one.
    QTest::mouseClick(shell.Ribbon()->Button(RibbonButton::Language), Qt::LeftButton);
    QCOMPARE(shell.Ribbon()->PanelCaption(RibbonPanel::Source), QStringLiteral("Music source"));

    // A second copy restores the window to the state it had before it was minimised.
    shell.Frame()->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    shell.Frame()->Raise();
    QVERIFY(!shell.Frame()->isMinimized());
    QVERIFY(shell.Frame()->isMaximized());
}

void ShellStartTest::ribbonSwallowsTabDoubleClickAndWheel() {
    Shell shell;
    QTabBar* tabs = shell.Ribbon()->Tabs();
    QSignalSpy doubleClicks(tabs, &QTabBar::tabBarDoubleClicked);
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(doubleClicks.count(), 0);
    QVERIFY(shell.Ribbon()->Panel(kCategoryInput, RibbonPanel::Mic)->isVisible());
}

void ShellStartTest::categoriesLineUp_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

// The two categories show the same panels: switching between them must not move anything.
void ShellStartTest::categoriesLineUp() {
    QFETCH(bool, english);
    Shell shell;
    shell.Frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(shell.Frame()));
    if (english) shell.app->ToggleLanguage();
    shell.Store().SetInt(fld::kMusicPitch, -3);
    shell.View()->ReloadRibbon();
    CMyMFCRibbonBar* ribbon = shell.Ribbon();
    const auto geometryOf = [&](int category) {
        ribbon->SetActiveCategory(category);
        QTest::qWait(50);
        QList<QRect> rects;
        for (RibbonPanel id : {RibbonPanel::Mic, RibbonPanel::Reverb, RibbonPanel::Echo, RibbonPanel::Music,
                               RibbonPanel::Source, RibbonPanel::Pitch, RibbonPanel::Load, RibbonPanel::Save}) {
            QWidget* panel = ribbon->Panel(category, id);
            rects.append(QRect(panel->mapTo(ribbon, QPoint(0, 0)), panel->size()));
        }
        return rects;
    };
    const QList<QRect> input = geometryOf(kCategoryInput);
    QCOMPARE(geometryOf(kCategoryOutput), input);
}

}  // namespace kv::test
