#pragma once
// Undo and redo of every edit of a setting. Each step holds what it changed by address, with
// the old and the new value, and the stores before and after; undoing or redoing sends only
// what differs through the one engine (device/StoreDiff), so the box gets exactly what a
// user's edit back sends. Edits are committed by the paths that make them; a burst on one
// setting (a drag, a wheel, a slider) within a short time is one step.

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>

namespace kv {

struct DeviceContext;

class EditHistory : public QObject {
    Q_OBJECT
public:
    // reload: every page and window shows the store again (nothing is sent).
    EditHistory(DeviceContext& device, std::function<int()> language, std::function<void()> reload,
                QObject* parent = nullptr);
    ~EditHistory() override;

    QUndoStack& Stack() { return m_stack; }
    // The store differs from the last step: a new step (or the burst it continues). `what`
    // names a step of several settings ("mode file", "EQ reset"); one setting names itself.
    void Commit(const QString& chinese = {}, const QString& english = {});
    // A step of its own under this name whatever it changed (a slot load, an import, an A/B
    // switch): never merged with the edit before it.
    void CommitNamed(const QString& chinese, const QString& english);
    // The box's settings were read back: when they are not those of the last step the
    // history starts over; true when steps were dropped.
    bool StartOverUnlessSame();
    // The box went away: the history remembers the settings it had, so that steps moved
    // while it is gone can be carried out when the same box comes back unchanged.
    void BoxLost();
    enum class Arrival {
        Kept,         // the box holds what the history expects
        Sent,         // undone or redone while it was gone: the differences went out now
        StartedOver,  // other settings: a new history (steps were dropped)
        NotSent,      // other settings, and steps moved while it was gone were dropped unsent
        Nothing,      // a new history with nothing lost
    };
    // After a read-back of a box found again (or for the first time).
    Arrival BoxReadBack();
    // Steps moved since the box went away and not carried out yet.
    bool HeldForBox() const { return m_heldForBox; }
    // The write-all that carried the last step out has ended: the step ends as the store now
    // stands.
    void AmendLast();
    // Every step's name in the interface's new language.
    void Relabel();
    void Undo();
    void Redo();
    // Steps closer together than this on one setting are one step.
    static constexpr int kBurstMs = 800;

Q_SIGNALS:
    // Undo or redo moved the store while the box is gone: nothing went out.
    void heldForBox();

private:
    DeviceContext& m_device;
    std::function<int()> m_language;
    std::function<void()> m_reload;
    void Push(const QString& chinese, const QString& english, bool named);
    std::unique_ptr<DeviceContext> m_baseline;  // the store as the last step left it
    std::unique_ptr<DeviceContext> m_lostWith;  // the box's settings when it went away
    bool m_heldForBox = false;
    QUndoStack m_stack;
};

}  // namespace kv
