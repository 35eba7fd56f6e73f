#include "net/BoxHolder.h"

#include <QThread>
#include <cmath>
#include <thread>

#include "device/Acceptance.h"
#include "device/SettingTable.h"

namespace kv::net {

BoxHolder::BoxHolder(BoxOptions options, QObject* parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_ctx(std::make_unique<DeviceContext>(m_options.opener, m_options.link, m_options.sync, m_options.encoder)),
      m_dev(m_ctx.get()) {
    // Requests are answered on this thread: its writes are queued, so no request waits on the box.
    m_dev->link.QueueWritesFrom(std::this_thread::get_id());
    m_watch.setInterval(m_options.watchMs);
    connect(&m_watch, &QTimer::timeout, this, &BoxHolder::Watch);
    m_retry.setInterval(m_options.retryMs);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &BoxHolder::TryOpen);
}

BoxHolder::BoxHolder(DeviceContext& held, std::string id, QObject* parent) : QObject(parent), m_dev(&held) {
    m_options.uri = std::move(id);
    m_watch.setInterval(m_options.watchMs);
    connect(&m_watch, &QTimer::timeout, this, &BoxHolder::WatchHeld);
}

BoxHolder::~BoxHolder() {
    Close();
    if (m_ctx) m_dev->sync.Wait();
}

void BoxHolder::Start() {
    m_closing = false;
    m_watch.start();
    if (Held())
        WatchHeld();
    else
        TryOpen();
}

void BoxHolder::Close() {
    m_closing = true;
    m_watch.stop();
    m_retry.stop();
    if (Held()) {
        m_state = State::Closed;
        return;
    }
    m_dev->sync.Wait();
    if (m_dev->link.IsOpen()) m_dev->link.Close(!m_dev->link.ReadThreadEnded());
    m_state = State::Closed;
    for (const Done& done : std::exchange(m_waiting, {})) done(false);
}

void BoxHolder::TryOpen() {
    if (m_closing || m_state != State::Closed) return;
    if (!m_dev->link.Open()) {
        m_retry.start();
        return;
    }
    m_state = State::Reading;
    StartSync(true);
}

void BoxHolder::StartSync(bool readBack) {
    m_syncIsReadBack = readBack;
    // Changes still queued go out before the synchronisation's own reports.
    m_dev->link.Flush();
    auto finished = [this](int) { QMetaObject::invokeMethod(this, &BoxHolder::SyncFinished, Qt::QueuedConnection); };
    const bool started = readBack ? m_dev->sync.StartReadBack(finished) : m_dev->sync.StartWriteAll(finished);
    if (!started) QMetaObject::invokeMethod(this, &BoxHolder::SyncFinished, Qt::QueuedConnection);
}

void BoxHolder::SyncFinished() {
    m_dev->sync.Wait();
    if (m_closing) return;
    const bool linkUp = m_dev->link.IsOpen() && !m_dev->link.ReadThreadEnded();
    const bool accepted =
        linkUp && m_dev->sync.IdentityAnswered() && CheckAcceptance(m_dev->store.GetIdentity()) == Acceptance::Accepted;
    if (!accepted) {
        GoneNow();
        return;
    }
    const bool arrived = m_state == State::Reading;
    m_state = State::Ready;
    TakeSnapshot(m_haveValues);
    if (arrived) Q_EMIT Arrived();
    for (const Done& done : std::exchange(m_waiting, {})) done(true);
}

void BoxHolder::Resync(bool readBack, Done done) {
    if (Held() || m_state != State::Ready || m_dev->sync.Running()) {
        done(false);
        return;
    }
    m_waiting.push_back(std::move(done));
    StartSync(readBack);
}

void BoxHolder::Watch() {
    if (m_state == State::Closed) return;
    if (!m_dev->link.IsOpen() || m_dev->link.ReadThreadEnded()) {
        if (!m_dev->sync.Running()) GoneNow();
        return;
    }
    AnnounceChanges();
}

void BoxHolder::AnnounceChanges() {
    // A synchronisation fills the store field by field: its values are announced once it ended.
    if (m_state == State::Ready && !m_dev->sync.Running()) TakeSnapshot(true);
}

void BoxHolder::GoneNow() {
    const bool wasReady = m_state == State::Ready;
    m_dev->sync.Wait();
    m_dev->link.Close(false);
    m_state = State::Closed;
    for (const Done& done : std::exchange(m_waiting, {})) done(false);
    if (wasReady) Q_EMIT Lost();
    if (!m_closing) m_retry.start();
}

void BoxHolder::WatchHeld() {
    // The owner's read-back fills the store field by field: ready again once it ended.
    const bool linkUp = m_dev->link.IsOpen() && !m_dev->link.ReadThreadEnded();
    const bool ready =
        linkUp && !m_dev->sync.Running() && CheckAcceptance(m_dev->store.GetIdentity()) == Acceptance::Accepted;
    m_state = ready ? State::Ready : linkUp ? State::Reading : State::Closed;
    if (ready) TakeSnapshot(m_haveValues);
    // Arrival once per connection; a mode load's read-back in between is only its changes.
    if (ready && !m_heldArrived) {
        m_heldArrived = true;
        Q_EMIT Arrived();
    }
    if (!linkUp && m_heldArrived) {
        m_heldArrived = false;
        Q_EMIT Lost();
    }
}

void BoxHolder::TakeSnapshot(bool announce) {
    const auto& all = AllSettings();
    m_values.resize(all.size(), std::nan(""));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const double v = all[i].read(*m_dev);
        const bool same = v == m_values[i] || (std::isnan(v) && std::isnan(m_values[i]));
        if (same) continue;
        m_values[i] = v;
        if (announce) Q_EMIT SettingChanged(static_cast<int>(i));
    }
    m_haveValues = true;
}

}  // namespace kv::net
