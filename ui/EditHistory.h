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
    // The box's settings were read back: when they are not those of the last step the
    // history starts over; true when steps were dropped.
    bool StartOverUnlessSame();
    // The write-all that carried the last step out has ended: the step ends as the store now
    // stands.
    void AmendLast();
    // Every step's name in the interface's new language.
    void Relabel();
    void Undo();
    void Redo();
    // Steps closer together than this on one setting are one step.
    static constexpr int kBurstMs = 800;

private:
    DeviceContext& m_device;
    std::function<int()> m_language;
    std::function<void()> m_reload;
    std::unique_ptr<DeviceContext> m_baseline;  // the store as the last step left it
    QUndoStack m_stack;
};

}  // namespace kv
