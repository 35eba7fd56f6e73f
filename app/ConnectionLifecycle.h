#pragma once
// The life of the connection to the box: looking for it shortly after start, arrival and
// removal notices, the read-back with its progress dialog, accepting or refusing the box
// when a synchronisation ends, the level-meter poll and the balloons that tell the user.

#include <QObject>
#include <QTimer>

#include "app/TrayNotifier.h"
#include "device/Synchronizer.h"

namespace kv {

class CKV4420v13App;
class HotplugWatcher;

class ConnectionLifecycle : public QObject {
    Q_OBJECT
public:
    static constexpr int kStatusMs = 300;
    static constexpr int kConnectedBalloonMs = 5000;
    static constexpr int kArrivalBalloonMs = 4000;
    static constexpr int kRemovedBalloonMs = 5000;
    static constexpr int kSlotSaveDelayMs = 20;
    static constexpr int kAcceptSettleMs = 150;

    ConnectionLifecycle(CKV4420v13App& app, QWidget* window, QObject* parent = nullptr);

    // Arms the one-shot start-up timer.
    void Start(int startDelayMs);
    bool Connected() const;

    // Start a synchronisation and run the progress dialog until it ends.
    bool RunReadBack();
    bool RunWriteAll();

    void OnStartTimer();
    void OnArrival();
    void OnRemoval(const QString& path);
    void OnStatusTimer();
    void OnSyncDone(int kind);

    bool StatusTimerActive() const { return m_statusTimer.isActive(); }
    bool MismatchBoxArmed() const { return m_mismatchArmed; }
    TrayNotifier& Tray() { return m_tray; }

Q_SIGNALS:
    // A synchronisation ended and the box was accepted: refresh every control.
    void accepted();
    // Timer 3 ticked: captions that follow the box's state may change.
    void statusTick();
    void connectionChanged(bool connected);

private:
    bool OpenAndSync(int balloonMs, bool arrival);
    bool RunSync(bool (Synchronizer::*start)(Synchronizer::Finished));
    void ShowBalloon(const char* chinese, const char* english, int durationMs);

    CKV4420v13App& m_app;
    QWidget* m_window;
    QTimer m_startTimer;
    QTimer m_statusTimer;
    TrayNotifier m_tray;
    bool m_mismatchArmed = true;
    // An arrival while a synchronisation still runs is handled when that one has ended.
    bool m_arrivalPending = false;
};

}  // namespace kv
