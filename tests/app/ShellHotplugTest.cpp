// Arrivals and refusals over a real socket, and an arrival while a read-back still runs:
// a refused box is not tried again until it goes and comes back, a box that comes back
// while the error box is open is synchronised, and the window closes when asked.

#include <QTimer>
#include <memory>

#include "device/Commands.h"
#include "tests/app/ServedBox.h"
#include "tests/app/ShellFixture.h"
#include "tests/app/ShellTests.h"

namespace kv::test {

namespace {
std::string SocketIn(const QTemporaryDir& dir) { return (dir.path() + QStringLiteral("/box.sock")).toStdString(); }
}  // namespace

void ShellHotplugTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void ShellHotplugTest::refusedBoxStaysRefused() {
    QTemporaryDir dir;
    Shell shell(false);
    shell.socketPath = SocketIn(dir);
    shell.Delivered().SetCommandSetVersion(7);
    auto served = std::make_unique<ServedBox>(shell.box, shell.socketPath);
    QVERIFY(served->Listening());
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return shell.prompts->messages.size() == 1; }, kWaitMs));
    const auto queries = shell.Delivered().Received(cmd::kModelName).size();

    // Forty looks of the watcher, the product's twenty seconds, at a box that stays.
    QTest::qWait(40 * kSocketPollMs);
    QCOMPARE(shell.prompts->messages.size(), std::size_t{1});
    QCOMPARE(shell.Delivered().Received(cmd::kModelName).size(), queries);
    QCOMPARE(shell.Delivered().Received(cmd::kDisconnect).size(), std::size_t{1});
    QVERIFY(!shell.app->SyncDialog());

    // The window closes with the box still there, and a box that comes back afterwards is
    // left alone: nothing may open a progress dialog over a closed window.
    QVERIFY(shell.Frame()->close());
    QVERIFY(!shell.Frame()->isVisible());
    served.reset();
    shell.Delivered().SetCommandSetVersion(9);
    served = std::make_unique<ServedBox>(shell.box, shell.socketPath);
    QTest::qWait(10 * kSocketPollMs);
    QCOMPARE(shell.Delivered().Received(cmd::kModelName).size(), queries);
    QVERIFY(!shell.app->Device().link.IsOpen());
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellHotplugTest::boxBackWhileTheErrorBoxIsOpen_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("now right") << 9 << true;
    QTest::newRow("still wrong") << 7 << false;
}

void ShellHotplugTest::boxBackWhileTheErrorBoxIsOpen() {
    QFETCH(int, version);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    Shell shell(false);
    shell.socketPath = SocketIn(dir);
    shell.Delivered().SetCommandSetVersion(7);
    auto served = std::make_unique<ServedBox>(shell.box, shell.socketPath);
    bool handled = false;
    shell.prompts->onMessage = [&](const QString&, const QString&) {
        if (shell.prompts->messages.size() > 1) return;
        const auto queries = shell.Delivered().Received(cmd::kModelName).size();
        // Stopped and started again between two looks of the watcher: a new peer all the same.
        served.reset();
        shell.Delivered().SetCommandSetVersion(version);
        served = std::make_unique<ServedBox>(shell.box, shell.socketPath);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return shell.Delivered().Received(cmd::kModelName).size() > queries &&
                       !shell.app->Device().sync.Running() && !shell.app->SyncDialog() &&
                       (shell.accepted->count() == 1 || shell.Delivered().Received(cmd::kDisconnect).size() == 2);
            },
            kWaitMs));
        QTest::qWait(50);  // let the queued notice be handled
        handled = true;
    };
    shell.Start(false);
    QVERIFY(QTest::qWaitFor([&] { return handled; }, kWaitMs));
    QCOMPARE(shell.app->Device().link.IsOpen(), accepted);
    QCOMPARE(shell.accepted->count(), accepted ? 1 : 0);
    QCOMPARE(shell.prompts->messages.size(), std::size_t{1});
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellHotplugTest::arrivalDuringAReadBackIsKept() {
    Shell shell;
    auto& link = shell.app->Device().link;
    shell.Delivered().SetUnplugged(true);
    shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()));
    shell.Delivered().SetUnplugged(false);
    // The read-back waits for the box to settle after connecting; closing the link ends
    // none of that wait, so the box can leave and come back while it still runs.
    shell.app->Device().sync.SetTimings(SyncTimings{2000, 0, 0, 0});
    bool replugged = false;
    QTimer::singleShot(0, shell.Frame(), [&] {
        QVERIFY(QTest::qWaitFor([&] { return link.IsOpen() && shell.app->Device().sync.Running(); }, kWaitMs));
        // Removed while the read-back runs; back at once.
        shell.Watcher()->RaiseRemoved(QString::fromStdString(link.DevicePath()));
        QVERIFY(!link.IsOpen());
        shell.Delivered().ClearTranscript();
        QVERIFY(shell.app->Device().sync.Running());
        shell.Watcher()->RaiseArrived();
        replugged = true;
    });
    shell.Delivered().ClearTranscript();
    shell.Watcher()->RaiseArrived();
    QVERIFY(replugged);
    QVERIFY(shell.WaitAccepted(2));
    QVERIFY(link.IsOpen());
    // A read-back of its own from the start, not the rest of the one of the box that left.
    QCOMPARE(shell.Delivered().Received(cmd::kModelName).size(), std::size_t{2});
    QVERIFY(shell.prompts->messages.empty());
    QVERIFY(shell.Delivered().Violations().empty());
}

}  // namespace kv::test
