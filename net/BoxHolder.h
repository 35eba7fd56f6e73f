#pragma once
// One box held by the server: opened once and read back, watched for loss, opened again
// when it comes back. Every change of a setting's value, whatever made it, is announced
// once: the store is compared with the values last announced.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/DeviceContext.h"

namespace kv::net {

struct BoxOptions {
    TransportOpener opener;
    std::string uri;  // the box's id (no serial number is known)
    LinkTimings link{};
    SyncTimings sync{};
    EncoderTimings encoder{};
    int retryMs = 500;  // between attempts to open a box that is gone
    int watchMs = 50;   // how often the link and the values are looked at
};

class BoxHolder : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Reading, Ready };
    using Done = std::function<void(bool ok)>;

    explicit BoxHolder(BoxOptions options, QObject* parent = nullptr);
    // A box another owner (the window) opens, reads back and closes: only watched here.
    BoxHolder(DeviceContext& held, std::string id, QObject* parent = nullptr);
    ~BoxHolder() override;

    void Start();
    // Says goodbye to the box (queued changes go out first) and stops watching it.
    void Close();

    bool Ready() const { return m_state == State::Ready; }
    State CurrentState() const { return m_state; }
    QString Id() const { return QString::fromStdString(m_options.uri); }
    DeviceContext& Box() { return *m_dev; }
    const DeviceContext& Box() const { return *m_dev; }
    bool Held() const { return !m_ctx; }
    // A read-back (after a mode load or reset) or a write-all (a mode file); done runs on
    // this object's thread with whether the box is still there and took it. Never for a
    // held box: its owner synchronises it.
    void Resync(bool readBack, Done done);
    // Announces what changed now, not at the next look.
    void AnnounceChanges();

Q_SIGNALS:
    void SettingChanged(int index);  // index into AllSettings()
    void Arrived();
    void Lost();

private:
    void TryOpen();
    void StartSync(bool readBack);
    void SyncFinished();
    void Watch();
    void GoneNow();
    void TakeSnapshot(bool announce);
    void WatchHeld();

    BoxOptions m_options;
    std::unique_ptr<DeviceContext> m_ctx;  // empty for a held box
    DeviceContext* m_dev = nullptr;        // the own box or the held one
    State m_state = State::Closed;
    bool m_closing = false;
    bool m_syncIsReadBack = true;
    std::vector<Done> m_waiting;  // callers of Resync, answered when the sync finishes
    std::vector<double> m_values;
    bool m_haveValues = false;
    bool m_heldArrived = false;  // a held box was announced as there
    QTimer m_watch;
    QTimer m_retry;
};

}  // namespace kv::net
