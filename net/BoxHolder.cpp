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
      m_ctx(std::make_unique<DeviceContext>(m_options.opener, m_options.link, m_options.sync, m_options.encoder)) {
    // Requests are answered on this thread: its writes are queued, so no request waits on the box.
    m_ctx->link.QueueWritesFrom(std::this_thread::get_id());
    m_watch.setInterval(m_options.watchMs);
    connect(&m_watch, &QTimer::timeout, this, &BoxHolder::Watch);
    m_retry.setInterval(m_options.retryMs);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &BoxHolder::TryOpen);
}

BoxHolder::~BoxHolder() {
    Close();
    m_ctx->sync.Wait();
}

void BoxHolder::Start() {
    m_closing = false;
    m_watch.start();
    TryOpen();
}

void BoxHolder::Close() {
    m_closing = true;
    m_watch.stop();
    m_retry.stop();
    m_ctx->sync.Wait();
    if (m_ctx->link.IsOpen()) m_ctx->link.Close(!m_ctx->link.ReadThreadEnded());
    m_state = State::Closed;
    for (const Done& done : std::exchange(m_waiting, {})) done(false);
}

void BoxHolder::TryOpen() {
    if (m_closing || m_state != State::Closed) return;
    if (!m_ctx->link.Open()) {
        m_retry.start();
        return;
    }
    m_state = State::Reading;
    StartSync(true);
}

void BoxHolder::StartSync(bool readBack) {
    m_syncIsReadBack = readBack;
    // Changes still queued go out before the synchronisation's own reports.
    m_ctx->link.Flush();
    auto finished = [this](int) { QMetaObject::invokeMethod(this, &BoxHolder::SyncFinished, Qt::QueuedConnection); };
    const bool started = readBack ? m_ctx->sync.StartReadBack(finished) : m_ctx->sync.StartWriteAll(finished);
    if (!started) QMetaObject::invokeMethod(this, &BoxHolder::SyncFinished, Qt::QueuedConnection);
}

void BoxHolder::SyncFinished() {
    m_ctx->sync.Wait();
    if (m_closing) return;
    const bool linkUp = m_ctx->link.IsOpen() && !m_ctx->link.ReadThreadEnded();
    const bool accepted =
        linkUp && m_ctx->sync.IdentityAnswered() && CheckAcceptance(m_ctx->store.GetIdentity()) == Acceptance::Accepted;
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
    if (m_state != State::Ready || m_ctx->sync.Running()) {
        done(false);
        return;
    }
    m_waiting.push_back(std::move(done));
    StartSync(readBack);
}

void BoxHolder::Watch() {
    if (m_state == State::Closed) return;
    if (!m_ctx->link.IsOpen() || m_ctx->link.ReadThreadEnded()) {
        if (!m_ctx->sync.Running()) GoneNow();
        return;
    }
    AnnounceChanges();
}

void BoxHolder::AnnounceChanges() {
    // A synchronisation fills the store field by field: its values are announced once it ended.
    if (m_state == State::Ready && !m_ctx->sync.Running()) TakeSnapshot(true);
}

void BoxHolder::GoneNow() {
    const bool wasReady = m_state == State::Ready;
    m_ctx->sync.Wait();
    m_ctx->link.Close(false);
    m_state = State::Closed;
    for (const Done& done : std::exchange(m_waiting, {})) done(false);
    if (wasReady) Q_EMIT Lost();
    if (!m_closing) m_retry.start();
}

void BoxHolder::TakeSnapshot(bool announce) {
    const auto& all = AllSettings();
    m_values.resize(all.size(), std::nan(""));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const double v = all[i].read(*m_ctx);
        const bool same = v == m_values[i] || (std::isnan(v) && std::isnan(m_values[i]));
        if (same) continue;
        m_values[i] = v;
        if (announce) Q_EMIT SettingChanged(static_cast<int>(i));
    }
    m_haveValues = true;
}

}  // namespace kv::net
