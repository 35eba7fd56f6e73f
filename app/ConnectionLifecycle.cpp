#include "app/ConnectionLifecycle.h"

#include <QMetaObject>
#include <algorithm>

#include "app/CKV4420v13App.h"
#include "app/HotplugWatcher.h"
#include "app/OfflineEditing.h"
#include "app/UiPrompts.h"
#include "device/Acceptance.h"

namespace kv {

ConnectionLifecycle::ConnectionLifecycle(CKV4420v13App& app, QWidget* window, QObject* parent)
    : QObject(parent), m_app(app), m_window(window), m_tray(this) {
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, &ConnectionLifecycle::OnStartTimer);
    m_statusTimer.setInterval(kStatusMs);
    connect(&m_statusTimer, &QTimer::timeout, this, &ConnectionLifecycle::OnStatusTimer);
    if (HotplugWatcher* watcher = app.Watcher()) {
        connect(watcher, &HotplugWatcher::arrived, this, &ConnectionLifecycle::OnArrival);
        connect(watcher, &HotplugWatcher::removed, this, &ConnectionLifecycle::OnRemoval);
    }
}

void ConnectionLifecycle::Start(int startDelayMs) { m_startTimer.start(startDelayMs); }

bool ConnectionLifecycle::Connected() const { return m_app.Device().link.IsOpen(); }

void ConnectionLifecycle::ShowBalloon(const char* chinese, const char* english, int durationMs) {
    m_tray.ShowBalloon(m_app.Text(chinese, english), m_app.Text("信息", "Information"), durationMs);
}

bool ConnectionLifecycle::OpenAndSync(int balloonMs, bool arrival) {
    if (m_app.ShutDown() || Connected()) return false;
    if (m_app.Device().sync.Running()) {
        // The running one belongs to a box that is gone; the new box gets its own.
        if (arrival) m_arrivalPending = true;
        return false;
    }
    if (!m_app.Device().link.Open()) return false;
    // Windows that showed the previous box's state are not carried over.
    if (arrival) m_app.DestroyAuxWindows();
    Q_EMIT connectionChanged(true);
    if (m_app.Offline().Active())
        m_tray.ShowBalloon(OfflineEditing::BalloonText(m_app.Offline().Path(), m_app.Language()),
                           m_app.Text("信息", "Information"), balloonMs);
    else
        ShowBalloon("设备已连接，同步中……", "Device connected!", balloonMs);
    // The poll waits for the link to be idle, so the timer may run during the read-back.
    m_statusTimer.start();
    RunReadBack();
    return true;
}

void ConnectionLifecycle::OnStartTimer() {
    if (OpenAndSync(kConnectedBalloonMs, false)) return;
    // No box: a mode file named at start is edited in its place.
    if (!Connected() && m_app.Offline().BeginWithStartFile()) OpenAndSync(kConnectedBalloonMs, false);
}

void ConnectionLifecycle::OnArrival() {
    OfflineEditing& offline = m_app.Offline();
    if (!offline.Active()) {
        OpenAndSync(kArrivalBalloonMs, true);
        return;
    }
    // A box arrived while a file stands in for it: the box is read, then the user chooses.
    if (m_app.Device().sync.Running()) {
        m_arrivalPending = true;
        return;
    }
    if (!offline.LeaveForBox()) return;
    m_statusTimer.stop();
    Q_EMIT connectionChanged(false);
    if (OpenAndSync(kArrivalBalloonMs, true)) return;
    offline.ReturnToFile();
    OpenAndSync(kConnectedBalloonMs, false);
}

void ConnectionLifecycle::OnRemoval(const QString& path) {
    auto& link = m_app.Device().link;
    if (!link.IsOpen()) return;
    if (QString::fromStdString(link.DevicePath()).compare(path, Qt::CaseInsensitive) != 0) return;
    link.CloseAfterRemoval();
    m_statusTimer.stop();
    Q_EMIT connectionChanged(false);
    ShowBalloon("设备已断开!", "Device Disconnected!", kRemovedBalloonMs);
}

void ConnectionLifecycle::OnStatusTimer() {
    auto& dev = m_app.Device();
    // A poll while the box is behind would only lengthen what it has to catch up with.
    if (dev.link.LinkIdle() && dev.link.IsOpen() && dev.link.MeterPollEnabled() && dev.link.Backlog() == 0)
        dev.encoders.PollLevelMeter();
    Q_EMIT statusTick();
}

bool ConnectionLifecycle::RunReadBack() { return RunSync(&Synchronizer::StartReadBack); }

bool ConnectionLifecycle::RunWriteAll() { return RunSync(&Synchronizer::StartWriteAll); }

bool ConnectionLifecycle::RunSync(bool (Synchronizer::*start)(Synchronizer::Finished)) {
    const bool started = (m_app.Device().sync.*start)([this](int kind) {
        QMetaObject::invokeMethod(
            this, [this, kind] { OnSyncDone(kind); }, Qt::QueuedConnection);
    });
    if (started) m_app.RunSyncProgress();
    return started;
}

void ConnectionLifecycle::OnSyncDone(int kind) {
    Q_UNUSED(kind);  // read-back and write-all end alike
    m_app.CloseSyncProgress();
    auto& dev = m_app.Device();
    if (m_arrivalPending) {
        // Queued, so that it also runs while an error box below is open.
        m_arrivalPending = false;
        QMetaObject::invokeMethod(this, &ConnectionLifecycle::OnArrival, Qt::QueuedConnection);
    }
    // A box that went away during the transfer is neither accepted nor refused: what was
    // read of it is incomplete.
    if (!dev.link.IsOpen()) return;
    // A box that never answered its identity is not told apart as a wrong model: the store's
    // defaults would stand in for the answer.
    const bool answered = dev.sync.IdentityAnswered();
    // Answers without the model name or the version leave the store's identity unproven.
    const bool complete = answered && dev.sync.IdentityComplete();
    const Acceptance verdict = complete ? CheckAcceptance(dev.store.GetIdentity()) : Acceptance::WrongModel;
    if (verdict != Acceptance::Accepted) {
        dev.link.Close(true);
        m_statusTimer.stop();
        Q_EMIT connectionChanged(false);
        if (m_mismatchArmed) {
            // One box at a time: refusals while it is open show nothing more.
            m_mismatchArmed = false;
            const QString text = answered ? QString::fromUtf8(AcceptanceMessage(verdict))
                                          : m_app.Text("机器没有响应!", "The box does not answer!");
            m_app.Prompts().Message(m_window, QStringLiteral("错误"), text, UiPrompts::Icon::Error);
            m_mismatchArmed = true;
        }
        return;
    }
    const int target = m_app.TargetSlot();
    if (target >= 0) {
        const int slot = std::clamp(target, 0, kModeSlots - 1);
        dev.encoders.SelectModeSlot(slot);
        dev.link.Pause(kSlotSaveDelayMs);
        dev.encoders.SaveUserMode(slot);
        m_app.SetTargetSlot(-1);
    }
    Q_EMIT accepted();
    // The box settles before the window's next command; the window does not wait for it.
    dev.link.Pause(kAcceptSettleMs);
}

}  // namespace kv
