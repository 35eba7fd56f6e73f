// A/B compare in the application against the simulated box: the switch sends exactly the
// reports of the differing settings (those a user's edits between the two send), is one undo
// step, the status bar counts the differences, the window lists them in both languages, and
// the memories survive a new shell; a damaged memory file is not used and says so.

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "app/AbCompareWindow.h"
#include "app/AbControls.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"
#include "tests/app/ShellFixture.h"
#include "ui/AbMemories.h"

namespace kv::test {

class AbCompareTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void switchSendsOnlyTheDifferences_data();
    void switchSendsOnlyTheDifferences();
    void windowListsBothValuesInBothLanguages();
    void memoriesSurviveANewShell();
    void damagedMemoryIsNotUsed();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

namespace {

struct Edit {
    const Setting* setting;
    double value;
};

// "a=1;b=2" as edits in table order, the order in which a switch sends them.
std::vector<Edit> EditsOf(const QString& text) {
    std::vector<Edit> edits;
    for (const QString& item : text.split(QLatin1Char(';'))) {
        const auto pair = item.split(QLatin1Char('='));
        edits.push_back({FindSetting(pair[0].toStdString()), pair[1].toDouble()});
    }
    const auto index = [](const Setting* s) { return s - AllSettings().data(); };
    std::sort(edits.begin(), edits.end(),
              [&](const Edit& a, const Edit& b) { return index(a.setting) < index(b.setting); });
    return edits;
}

// What reached the box since the transcript was cleared, the meter polls left out.
std::vector<Report> Written(Shell& shell) {
    shell.Settle();
    std::vector<Report> out;
    for (const Report& r : shell.Delivered().Received())
        if (r[1] != cmd::kLevelMeter) out.push_back(r);
    return out;
}

// A user's edits, as a page makes them: the setting's encoder call, then the step.
std::vector<Report> EditAsUser(Shell& shell, const std::vector<Edit>& edits, bool back,
                               const std::vector<double>& old = {}) {
    shell.Settle();
    shell.Delivered().ClearTranscript();
    for (std::size_t i = 0; i < edits.size(); ++i) {
        edits[i].setting->apply(shell.app->Device(), back ? old[i] : edits[i].value);
        shell.View()->Edited();
    }
    return Written(shell);
}

AbControls& Ab(Shell& shell) { return *shell.Frame()->Ab(); }
AbMemories& Memories(Shell& shell) { return shell.View()->Memories(); }

}  // namespace

void AbCompareTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void AbCompareTest::switchSendsOnlyTheDifferences_data() {
    QTest::addColumn<QString>("edits");
    QTest::newRow("one level") << "reverb.level=61";
    QTest::newRow("one band") << "eq.music.2.gain=-7.5";
    QTest::newRow("every kind") << "reverb.level=61;echo.mute=1;music.pitch=2;eq.music.2.gain=-7.5;eq.main.4.freq=800;"
                                   "music.gate=30";
}

void AbCompareTest::switchSendsOnlyTheDifferences() {
    QFETCH(QString, edits);
    const auto list = EditsOf(edits);
    Shell shell;
    DeviceContext& dev = shell.app->Device();
    std::vector<double> old;
    for (const Edit& e : list) old.push_back(e.setting->read(dev));

    Ab(shell).StoreAction(AbMemories::kA)->trigger();
    const auto forward = EditAsUser(shell, list, false);
    QVERIFY(!forward.empty());
    Ab(shell).StoreAction(AbMemories::kB)->trigger();
    QCOMPARE(Memories(shell).DifferingCount(), static_cast<int>(list.size()));
    QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("B · %1 项不同").arg(list.size()));

    // F9 from the frame goes to A: only the differing settings go out, one undo step.
    const int steps = shell.View()->History().Stack().count();
    shell.Frame()->show();
    shell.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shell.Frame()));
    shell.Delivered().ClearTranscript();
    QTest::keyClick(shell.Frame(), Qt::Key_F9);
    const auto toA = Written(shell);
    QCOMPARE(Memories(shell).Active(), static_cast<int>(AbMemories::kA));
    for (std::size_t i = 0; i < list.size(); ++i) QCOMPARE(list[i].setting->read(dev), old[i]);
    QCOMPARE(shell.View()->History().Stack().count(), steps + 1);
    QCOMPARE(shell.View()->History().Stack().undoText(), QStringLiteral("切换到记忆 A"));

    // Back to B by the button: the user's own edits' reports.
    shell.Delivered().ClearTranscript();
    Ab(shell).SwitchButton()->click();
    QCOMPARE(Written(shell), forward);
    QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("B · %1 项不同").arg(list.size()));

    // Undo of a switch is the switch back, and the marker follows.
    shell.Delivered().ClearTranscript();
    shell.View()->History().Undo();
    QCOMPARE(Written(shell), toA);
    Memories(shell).Follow();
    QCOMPARE(Memories(shell).Active(), static_cast<int>(AbMemories::kA));

    // The switch to A sent what a user's edits back send.
    shell.View()->History().Redo();
    QCOMPARE(EditAsUser(shell, list, true, old), toA);
    QVERIFY(shell.Delivered().Violations().empty());
}

void AbCompareTest::windowListsBothValuesInBothLanguages() {
    Shell shell;
    DeviceContext& dev = shell.app->Device();
    Ab(shell).Store(AbMemories::kA);
    EditAsUser(shell, EditsOf(QStringLiteral("reverb.level=61;eq.main.3.gain=-4.5")), false);
    Ab(shell).Store(AbMemories::kB);
    // Tuned further on B: the window shows B as it stands, as the next switch keeps it.
    EditAsUser(shell, EditsOf(QStringLiteral("reverb.level=62")), false);
    Memories(shell).Follow();
    QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("B* · 2 项不同"));

    AbCompareWindow* window = Ab(shell).ShowWindow();
    QTableWidget* table = window->Table();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("混响 音量"));
    QCOMPARE(table->item(0, 2)->text(), QString::fromStdString(FormatSetting(*FindSetting("reverb.level"), 62)));
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("主音箱 均衡 3 增益"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("-4.5dB"));
    QCOMPARE(table->item(1, 1)->text(), QString::fromStdString(FormatSetting(*FindSetting("eq.main.3.gain"),
                                                                             Memories(shell).Differences()[1].from)));
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QStringLiteral("记忆 B (当前)"));

    shell.app->ToggleLanguage();
    QCOMPARE(window->windowTitle(), QStringLiteral("A/B compare"));
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("MAIN EQ band 3 gain"));
    QCOMPARE(window->Summary()->text(), QStringLiteral("2 settings differ. F9 switches."));
    QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("B* · 2 differ"));
    Q_UNUSED(dev);
}

void AbCompareTest::memoriesSurviveANewShell() {
    std::vector<std::uint8_t> b;
    {
        Shell shell;
        Ab(shell).Store(AbMemories::kA);
        EditAsUser(shell, EditsOf(QStringLiteral("music.level=40;eq.music.5.q=2")), false);
        Ab(shell).Store(AbMemories::kB);
        b = EncodeModeFile(shell.Store());
        QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("B · 2 项不同"));
    }
    // A fresh box holds A's settings: A is on show, and B is still two settings away.
    Shell shell;
    QVERIFY(Memories(shell).Has(AbMemories::kA));
    QVERIFY(Memories(shell).Has(AbMemories::kB));
    QCOMPARE(Ab(shell).Pane()->text(), QStringLiteral("A · 2 项不同"));
    Ab(shell).Switch();
    shell.Settle();
    QCOMPARE(EncodeModeFile(shell.Store()), b);
    // The box itself: a read-back gives B's mode file.
    QVERIFY(shell.app->Frame()->View()->Connection().RunReadBack());
    QVERIFY(shell.WaitAccepted(2));
    QCOMPARE(EncodeModeFile(shell.Store()), b);
}

void AbCompareTest::damagedMemoryIsNotUsed() {
    {
        Shell shell;
        Ab(shell).Store(AbMemories::kA);
        Ab(shell).Store(AbMemories::kB);
        QFile file(Memories(shell).FilePath(AbMemories::kB));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a mode file");
    }
    Shell shell(false);
    shell.Start(false);
    QVERIFY(shell.Status()->NoticePane()->text().startsWith(QStringLiteral("记忆 B 未载入")));
    QVERIFY(shell.WaitAccepted(1));
    QVERIFY(Memories(shell).Has(AbMemories::kA));
    QVERIFY(!Memories(shell).Has(AbMemories::kB));
    // Nothing to switch to: nothing goes out, and the reason shows.
    Ab(shell).Store(AbMemories::kA);
    shell.Settle();
    shell.Delivered().ClearTranscript();
    Ab(shell).Switch();
    QVERIFY(Written(shell).empty());
    QVERIFY(shell.Status()->NoticePane()->text().startsWith(QStringLiteral("记忆 B 是空的")));
}

}  // namespace kv::test

QTEST_MAIN(kv::test::AbCompareTest)
#include "AbCompareTest.moc"
