// Undo and redo in the application against the simulated box: a slider drag is one step named
// after its setting, undo sends what a user's edit back sends and shows the old value, a mode
// load undone restores every setting, and a read-back keeps the history only for the same box.

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUndoView>

#include "app/HistoryControls.h"
#include "device/EqTable.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"
#include "model/ModeFile.h"
#include "pages/CEqEditor.h"
#include "pages/CPageBase.h"
#include "pages/CSSVCDlg.h"
#include "sim/SimTransport.h"
#include "tests/app/ShellFixture.h"
#include "ui/StepName.h"
#include "ui/UiText.h"

namespace kv::test {

class UndoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void stepNames_data();
    void stepNames();
    void dragIsOneStepAndUndoSendsTheEditBack();
    void modeLoadUndoneRestoresEverySetting();
    void readBackKeepsTheHistoryOnlyForTheSameSettings();
    void slotLoadAndFilterImportAreNamedSteps();
    void undoWhileTheBoxIsGone_data();
    void undoWhileTheBoxIsGone();
    void alignedDelaysAreOneNamedStep();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

namespace {

// Moves a ribbon slider as a drag does: the value, then the slider's notice.
void Move(Shell& shell, RibbonSlider id, int value) {
    shell.Slider(id)->setValue(value);
    Q_EMIT shell.Ribbon()->sliderIssued(kCategoryInput, id);
}

std::vector<Report> ParamWrites(Shell& shell) { return shell.Delivered().Received(cmd::kParamWrite); }

std::unique_ptr<DeviceContext> Snapshot(const DeviceContext& dev) {
    auto copy = MakeOfflineContext();
    CopyStore(dev.store, copy->store);
    return copy;
}

// Another program changes the box while this one does not see it.
void ChangeElsewhere(Shell& shell, const char* address, double value) {
    DeviceContext other(MakeSimOpener(shell.box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0},
                        EncoderTimings{0, 0});
    QVERIFY(other.link.Open());
    FindSetting(address)->apply(other, value);
    other.link.AwaitAnswer();
    other.link.Close(false);
}

}  // namespace

void UndoTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void UndoTest::stepNames_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<QString>("english");
    QTest::newRow("band gain") << "eq.main.3.gain"
                               << "主音箱 均衡 3 增益"
                               << "MAIN EQ band 3 gain";
    QTest::newRow("band of a channel") << "eq.mica.12.freq"
                                       << "话筒 A 均衡 12 频率"
                                       << "Mic CH A EQ band 12 frequency";
    QTest::newRow("level") << "mic.level"
                           << "话筒 音量"
                           << "Mic level";
    QTest::newRow("compressor") << "sub.comp.ratio"
                                << "超低音 压限 比率"
                                << "SUB compressor ratio";
    QTest::newRow("delay side") << "delay.rear.r"
                                << "延时 后置 右"
                                << "delay REAR R";
    QTest::newRow("unknown word kept") << "position.listener.x"
                                       << "位置 听众 X"
                                       << "position listener x";
}

void UndoTest::stepNames() {
    QFETCH(QString, address);
    QFETCH(QString, chinese);
    QFETCH(QString, english);
    const std::string a = address.toStdString();
    QCOMPARE(StepName(a, 0), chinese);
    QCOMPARE(StepName(a, kLanguageEnglish), english);
}

void UndoTest::dragIsOneStepAndUndoSendsTheEditBack() {
    Shell shell;
    EditHistory& history = shell.View()->History();
    const int start = shell.Slider(RibbonSlider::Mic)->value();
    int last = start;
    for (int i = 0; i < 200; ++i) Move(shell, RibbonSlider::Mic, last = 1 + (start + 7 + i) % 90);
    QCOMPARE(history.Stack().count(), 1);
    QCOMPARE(history.Stack().undoText(), QStringLiteral("话筒 音量"));
    QCOMPARE(shell.Frame()->History()->UndoButton()->toolTip(), QStringLiteral("撤销 (Ctrl+Z): 话筒 音量"));

    shell.Settle();
    shell.Frame()->show();
    shell.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shell.Frame()));
    shell.Delivered().ClearTranscript();
    QTest::keyClick(shell.Frame(), Qt::Key_Z, Qt::ControlModifier);
    shell.Settle();
    const auto undone = ParamWrites(shell);
    QCOMPARE(shell.Slider(RibbonSlider::Mic)->value(), start);
    QCOMPARE(shell.Store().Int(fld::kMicVolume), start);

    shell.Delivered().ClearTranscript();
    QTest::keyClick(shell.Frame(), Qt::Key_Y, Qt::ControlModifier);
    shell.Settle();
    const auto redone = ParamWrites(shell);
    QCOMPARE(shell.Slider(RibbonSlider::Mic)->value(), last);

    // The user's own edits between the same values, for comparison.
    shell.Delivered().ClearTranscript();
    Move(shell, RibbonSlider::Mic, start);
    shell.Settle();
    const auto editBack = ParamWrites(shell);
    shell.Delivered().ClearTranscript();
    Move(shell, RibbonSlider::Mic, last);
    shell.Settle();
    QVERIFY(!undone.empty());
    QCOMPARE(undone, editBack);
    QCOMPARE(redone, ParamWrites(shell));
    QVERIFY(shell.Delivered().Violations().empty());

    // The history window lists the steps; in English the names follow the language.
    QUndoView* view = shell.Frame()->History()->ShowHistory();
    QVERIFY(view->isVisible());
    shell.app->ToggleLanguage();
    QCOMPARE(history.Stack().undoText(), QStringLiteral("Mic level"));
    QCOMPARE(view->windowTitle(), QStringLiteral("Edit history"));
}

void UndoTest::modeLoadUndoneRestoresEverySetting() {
    Shell shell(false);
    {
        // The simulated box starts with delays and pre-delays below their range, which no
        // edit can send back; it is given values a user can set first.
        DeviceContext setup(MakeSimOpener(shell.box), LinkTimings{2000, 500, 5}, SyncTimings{0, 0, 0, 0},
                            EncoderTimings{0, 0});
        QVERIFY(setup.link.Open());
        for (const Setting& s : AllSettings())
            if ((s.address.starts_with("delay.") && s.unit == SettingUnit::Millis) || s.address.ends_with(".predelay"))
                s.apply(setup, s.minimum);
        setup.link.AwaitAnswer();
        setup.link.Close(false);
    }
    shell.Start();
    DeviceContext& dev = shell.app->Device();
    const auto before = MakeOfflineContext();
    CopyStore(dev.store, before->store);
    // A file that differs from the box in settings of every kind of encoder call.
    const auto file = MakeOfflineContext();
    CopyStore(dev.store, file->store);
    const std::pair<const char*, double> edits[] = {{"reverb.level", 61.0},     {"eq.music.2.gain", -7.5},
                                                    {"main.comp.attack", 30.0}, {"delay.top.l", 20.0},
                                                    {"position.center.y", 2.0}, {"mic.3.route", 0.0}};
    for (auto [address, value] : edits) FindSetting(address)->apply(*file, value);
    const QString path = m_settingsDir->filePath(QStringLiteral("other.K4v9"));
    QCOMPARE(WriteModeFile(path.toStdString(), file->store).status, ModeFileStatus::Ok);

    QVERIFY(shell.View()->LoadModeFileFrom(path));
    QVERIFY(shell.WaitAccepted(2));
    for (auto [address, value] : edits) QCOMPARE(FindSetting(address)->read(dev), value);
    QCOMPARE(shell.View()->History().Stack().count(), 1);
    QCOMPARE(shell.View()->History().Stack().undoText(), QStringLiteral("载入模式文件"));

    shell.View()->History().Undo();
    shell.Settle();
    QCOMPARE(DiffSettings(dev, *before).size(), std::size_t{0});
    QCOMPARE(EncodeModeFile(dev.store), EncodeModeFile(before->store));
    QCOMPARE(shell.Slider(RibbonSlider::Reverb)->value(), static_cast<int>(before->store.Int(fld::kReverbVolume)));
    QVERIFY(shell.Delivered().Violations().empty());
}

void UndoTest::readBackKeepsTheHistoryOnlyForTheSameSettings() {
    Shell shell;
    auto& link = shell.app->Device().link;
    Move(shell, RibbonSlider::Echo, 33);
    shell.Settle();
    QCOMPARE(shell.View()->History().Stack().count(), 1);

    // Lost and found with the same settings: the history stays.
    shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()));
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(shell.View()->History().Stack().count(), 1);

    // Changed by someone else meanwhile: a new history, and the status bar says so.
    shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()));
    ChangeElsewhere(shell, "echo.level", 12);
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(3));
    QCOMPARE(shell.View()->History().Stack().count(), 0);
    QVERIFY(shell.Status()->NoticePane()->text().contains(QStringLiteral("撤销记录重新开始")));
}

void UndoTest::slotLoadAndFilterImportAreNamedSteps() {
    Shell shell;
    DeviceContext& dev = shell.app->Device();
    EditHistory& history = shell.View()->History();
    // Slot 2 holds an echo of 33; the window has 50 when slot 2 is loaded.
    Move(shell, RibbonSlider::Echo, 33);
    shell.Settle();
    dev.encoders.SaveUserMode(1);
    Move(shell, RibbonSlider::Echo, 50);
    shell.Settle();
    const auto beforeLoad = Snapshot(dev);
    const int steps = history.Stack().count();
    shell.prompts->answers.push_back(UiPrompts::Answer::Yes);
    shell.View()->LoadUserMode(1);
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(shell.Store().Int(fld::kEchoVolume), 33);
    QCOMPARE(history.Stack().count(), steps + 1);
    QCOMPARE(history.Stack().undoText(), QStringLiteral("载入模式二"));

    // A filter file on the main output's equaliser: one step of its own, before the next edit.
    shell.View()->ShowPage(PageId::Output, eqkind::kMain);
    const auto beforeImport = Snapshot(dev);
    QString message;
    QVERIFY(shell.View()->Page()->Equaliser()->ImportFilters(QStringLiteral(KV_TEST_DATA_DIR "/room-correction.txt"),
                                                             &message));
    QCOMPARE(history.Stack().undoText(), QStringLiteral("导入滤波器"));
    QVERIFY(!DiffSettings(dev, *beforeImport).empty());
    Move(shell, RibbonSlider::Mic, 12);
    QCOMPARE(history.Stack().count(), steps + 3);

    history.Undo();
    history.Undo();
    shell.Settle();
    QCOMPARE(DiffSettings(dev, *beforeImport).size(), std::size_t{0});
    history.Undo();
    shell.Settle();
    QCOMPARE(DiffSettings(dev, *beforeLoad).size(), std::size_t{0});
    QCOMPARE(shell.Slider(RibbonSlider::Echo)->value(), 50);
    // The box itself went back: a read-back finds the settings from before the load.
    QVERIFY(shell.View()->Connection().RunReadBack());
    QVERIFY(shell.WaitAccepted(3));
    QCOMPARE(shell.Store().Int(fld::kEchoVolume), 50);
    QVERIFY(shell.Delivered().Violations().empty());
}

void UndoTest::undoWhileTheBoxIsGone_data() {
    QTest::addColumn<bool>("changedMeanwhile");
    QTest::addColumn<int>("echoAfter");
    QTest::addColumn<int>("stepsAfter");
    QTest::addColumn<QString>("notice");
    QTest::newRow("same box back: sent") << false << -1 << 1 << "断开时的撤销已发送至设备";
    QTest::newRow("changed elsewhere: not sent") << true << 12 << 0 << "断开时的撤销未发送";
}

void UndoTest::undoWhileTheBoxIsGone() {
    QFETCH(bool, changedMeanwhile);
    QFETCH(int, echoAfter);
    QFETCH(int, stepsAfter);
    QFETCH(QString, notice);
    Shell shell;
    auto& link = shell.app->Device().link;
    const int start = shell.Store().Int(fld::kEchoVolume);
    Move(shell, RibbonSlider::Echo, start == 33 ? 34 : 33);
    shell.Settle();

    // Undone with no box: the store and the window go back, and the status bar says why
    // nothing went out.
    shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()));
    shell.View()->History().Undo();
    QCOMPARE(shell.Store().Int(fld::kEchoVolume), start);
    QCOMPARE(shell.Slider(RibbonSlider::Echo)->value(), start);
    QVERIFY(shell.Status()->NoticePane()->text().contains(QStringLiteral("设备回来时发送")));

    if (changedMeanwhile) ChangeElsewhere(shell, "echo.level", 12);
    shell.Watcher()->RaiseArrived();
    QVERIFY(shell.WaitAccepted(2));
    QVERIFY2(shell.Status()->NoticePane()->text().contains(notice), qPrintable(shell.Status()->NoticePane()->text()));
    QCOMPARE(shell.View()->History().Stack().count(), stepsAfter);
    // What the box holds now, read back.
    shell.Settle();
    QVERIFY(shell.View()->Connection().RunReadBack());
    QVERIFY(shell.WaitAccepted(3));
    QCOMPARE(shell.Store().Int(fld::kEchoVolume), echoAfter < 0 ? start : echoAfter);
    QVERIFY(shell.Delivered().Violations().empty());
}

// The alignment's delays and switches are one step, apart from an edit made before it, and
// undoing it gives every delay back.
void UndoTest::alignedDelaysAreOneNamedStep() {
    Shell shell;
    DeviceContext& dev = shell.app->Device();
    // Delays a user can set, so that undo can send them back.
    for (const char* side : {"main.l", "main.r", "center", "sub", "rear.l", "rear.r", "top.l", "top.r"})
        FindSetting(std::string("delay.") + side)->apply(dev, 20.0);
    FindSetting("delay.sub.on")->apply(dev, 0);
    shell.View()->Edited();
    shell.View()->ShowPage(PageId::SpeakerPosition, 0);
    auto* page = qobject_cast<CSSVCDlg*>(shell.View()->Page());
    QVERIFY(page);
    FindSetting("position.listener.x")->apply(dev, 1.0);  // not committed by any path yet
    const auto before = MakeOfflineContext();
    CopyStore(dev.store, before->store);
    EditHistory& history = shell.View()->History();
    const int steps = history.Stack().count();
    page->AlignButton()->click();
    page->AlignWindow()->ApplyButton()->click();
    QCOMPARE(history.Stack().count(), steps + 2);
    QCOMPARE(history.Stack().undoText(), QStringLiteral("对齐延时"));
    QCOMPARE(FindSetting("delay.sub.on")->read(dev), 1.0);
    history.Undo();
    shell.Settle();
    QCOMPARE(DiffSettings(dev, *before).size(), std::size_t{0});
}

}  // namespace kv::test

QTEST_MAIN(kv::test::UndoTest)
#include "UndoTest.moc"
