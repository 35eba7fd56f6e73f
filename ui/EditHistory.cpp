#include "ui/EditHistory.h"

#include <QElapsedTimer>
#include <QUndoCommand>
#include <utility>
#include <vector>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"
#include "ui/StepName.h"

namespace kv {

namespace {

constexpr int kSingleSettingStep = 1;

std::unique_ptr<DeviceContext> SnapshotOf(const DeviceContext& d) {
    auto copy = MakeOfflineContext();
    CopyStore(d.store, copy->store);
    return copy;
}

struct Change {
    std::string address;
    double from;
    double to;
};

class SettingsStep : public QUndoCommand {
public:
    SettingsStep(DeviceContext& box, std::unique_ptr<DeviceContext> before, std::unique_ptr<DeviceContext> after,
                 std::vector<Change> changes, const std::function<void()>& reload)
        : m_box(box),
          m_before(std::move(before)),
          m_after(std::move(after)),
          m_changes(std::move(changes)),
          m_reload(reload) {
        m_made.start();
    }

    void SetNames(const QString& chinese, const QString& english) {
        m_chinese = chinese;
        m_english = english;
    }
    void Name(int language) { setText(language == 1 ? m_english : m_chinese); }

    void SetAlone() { m_alone = true; }
    int id() const override { return m_changes.size() == 1 && !m_alone ? kSingleSettingStep : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        // A step alone has no id, so it never comes here.
        const auto* next = static_cast<const SettingsStep*>(other);
        if (next->m_changes.front().address != m_changes.front().address) return false;
        if (m_made.elapsed() > EditHistory::kBurstMs) return false;
        m_after = SnapshotOf(*next->m_after);
        m_changes.front().to = next->m_changes.front().to;
        m_made.start();
        return true;
    }
    // The first push does nothing: the edit has already gone out.
    void redo() override {
        if (m_first) {
            m_first = false;
            return;
        }
        SendDifferences(m_box, *m_after);
        m_reload();
    }
    void undo() override {
        SendDifferences(m_box, *m_before);
        m_reload();
    }
    // What the transfer that carried the step out left in the store (values it put in range).
    void Amend(const DeviceContext& now) { m_after = SnapshotOf(now); }

private:
    DeviceContext& m_box;
    std::unique_ptr<DeviceContext> m_before;
    std::unique_ptr<DeviceContext> m_after;
    std::vector<Change> m_changes;
    std::function<void()> m_reload;
    QString m_chinese, m_english;
    QElapsedTimer m_made;
    bool m_first = true;
    bool m_alone = false;
};

}  // namespace

EditHistory::EditHistory(DeviceContext& device, std::function<int()> language, std::function<void()> reload,
                         QObject* parent)
    : QObject(parent),
      m_device(device),
      m_language(std::move(language)),
      m_reload(std::move(reload)),
      m_baseline(SnapshotOf(device)) {
    // The history window moves through the steps by itself: the baseline follows.
    connect(&m_stack, &QUndoStack::indexChanged, this, [this] {
        m_baseline = SnapshotOf(m_device);
        if (m_lostWith && !m_device.link.IsOpen() && DiffSettings(*m_baseline, *m_lostWith).size() > 0) {
            m_heldForBox = true;
            Q_EMIT heldForBox();
        }
    });
}

EditHistory::~EditHistory() {
    // The buttons that follow the stack may be gone already.
    m_stack.blockSignals(true);
    m_stack.clear();
}

void EditHistory::Commit(const QString& chinese, const QString& english) { Push(chinese, english, false); }

void EditHistory::CommitNamed(const QString& chinese, const QString& english) { Push(chinese, english, true); }

void EditHistory::Push(const QString& chinese, const QString& english, bool named) {
    const auto diffs = DiffSettings(*m_baseline, m_device);
    if (diffs.empty()) return;
    std::vector<Change> changes;
    for (const SettingDifference& d : diffs) changes.push_back({d.setting->address, d.from, d.to});
    auto after = SnapshotOf(m_device);
    auto* step = new SettingsStep(m_device, std::move(m_baseline), SnapshotOf(*after), std::move(changes), m_reload);
    m_baseline = std::move(after);
    if (named) step->SetAlone();
    if (!named && (diffs.size() == 1 || chinese.isEmpty())) {
        const std::string& address = diffs.front().setting->address;
        QString zh = StepName(address, 0), en = StepName(address, 1);
        if (diffs.size() > 1) {
            zh += QStringLiteral(" 等 %1 项").arg(diffs.size());
            en += QStringLiteral(" and %1 more").arg(diffs.size() - 1);
        }
        step->SetNames(zh, en);
    } else {
        step->SetNames(chinese, english);
    }
    step->Name(m_language());
    m_stack.push(step);
}

bool EditHistory::StartOverUnlessSame() {
    if (DiffSettings(*m_baseline, m_device).empty()) return false;
    // Nothing to lose (the first read-back): nothing to say.
    const bool hadSteps = m_stack.count() > 0;
    m_stack.clear();
    m_baseline = SnapshotOf(m_device);
    return hadSteps;
}

void EditHistory::BoxLost() {
    if (m_lostWith) return;  // a refused box after a removal is not the one that went away
    Commit();
    m_lostWith = SnapshotOf(m_device);
    m_heldForBox = false;
}

EditHistory::Arrival EditHistory::BoxReadBack() {
    const auto lost = std::move(m_lostWith);
    const bool held = std::exchange(m_heldForBox, false);
    if (lost && DiffSettings(*lost, m_device).empty()) {
        // The same box, untouched meanwhile: what the history moved to goes out now.
        if (DiffSettings(*m_baseline, m_device).empty()) return Arrival::Kept;
        SendDifferences(m_device, *m_baseline);
        m_reload();
        return Arrival::Sent;
    }
    if (!lost && DiffSettings(*m_baseline, m_device).empty()) return Arrival::Kept;
    const bool hadSteps = m_stack.count() > 0;
    m_stack.clear();
    m_baseline = SnapshotOf(m_device);
    if (held) return Arrival::NotSent;
    return hadSteps ? Arrival::StartedOver : Arrival::Nothing;
}

void EditHistory::AmendLast() {
    if (m_stack.count() > 0 && m_stack.index() == m_stack.count())
        static_cast<SettingsStep*>(const_cast<QUndoCommand*>(m_stack.command(m_stack.count() - 1)))->Amend(m_device);
    m_baseline = SnapshotOf(m_device);
}

void EditHistory::Relabel() {
    for (int i = 0; i < m_stack.count(); ++i)
        static_cast<SettingsStep*>(const_cast<QUndoCommand*>(m_stack.command(i)))->Name(m_language());
}

void EditHistory::Undo() {
    // A transfer of the whole setting owns the link until it ends.
    if (m_device.sync.Running()) return;
    // An edit no path committed yet becomes a step of its own first, so nothing is lost.
    Commit();
    m_stack.undo();
}

void EditHistory::Redo() {
    if (!m_stack.canRedo() || m_device.sync.Running()) return;
    m_stack.redo();
}

}  // namespace kv
