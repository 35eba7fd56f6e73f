#pragma once
// The A/B memories: two whole settings to compare on the same music. Each is kept as a mode
// file beside the application's settings, so both survive a restart. A switch sends only the
// settings in which the box differs from the other memory, as one undo step; the memory on
// show keeps what was tuned on it before the switch goes to the other one.

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/StoreDiff.h"

namespace kv {

struct DeviceContext;
class EditHistory;
class ParameterStore;

class AbMemories : public QObject {
    Q_OBJECT
public:
    enum Memory { kA = 0, kB = 1 };
    static constexpr int kNone = -1;
    static constexpr int kFollowMs = 150;  // the marker and the count follow edits this late

    // folder: where the memory files live; reload: every control shows the store again.
    AbMemories(DeviceContext& device, EditHistory& history, QString folder, std::function<void()> reload,
               QObject* parent = nullptr);
    ~AbMemories() override;

    // Reads the saved memories. A file that is not a sound mode file is left alone and not
    // used: the returned lines say which and why (empty when all is well).
    QStringList Load(int language);
    QString FilePath(int memory) const;

    bool Has(int memory) const { return !m_bytes[Index(memory)].empty(); }
    // The memory on show (kNone before any is stored or switched to).
    int Active() const { return m_active; }
    // The settings differ from the memory on show (tuned since it was stored).
    bool Modified() const;

    // Keeps these settings as the memory, saved at once (atomically). A caller with settings of
    // its own (kept aside when a box's settings replace them) uses this; false and the reason
    // when the file could not be written (the memory is kept for this run anyway).
    bool Keep(int memory, const ParameterStore& settings, QString* problem = nullptr, int language = 0);
    // The current settings as the memory, which becomes the one on show.
    bool StoreCurrent(int memory, QString* problem = nullptr, int language = 0);

    // To the other memory (to A, or else B, when none is on show). False and the reason when
    // there is nothing to switch to.
    bool Switch(QString* problem = nullptr, int language = 0);
    // The settings in which A and B differ, A's values as `from`. The memory on show reads as
    // the current settings, as the next switch would keep it.
    std::vector<SettingDifference> Differences() const;
    // Their number, or -1 while a memory is empty.
    int DifferingCount() const;
    // The marker follows undo and redo now rather than after kFollowMs.
    void Follow();

    static QString MemoryName(int memory) { return memory == kB ? QStringLiteral("B") : QStringLiteral("A"); }

Q_SIGNALS:
    // A memory, the marker or the number of differences may have changed.
    void changed();

private:
    static std::size_t Index(int memory) { return memory == kB ? 1 : 0; }
    // The memory as a core: the box's command set and settings record, the memory's mode file.
    const DeviceContext& Settings(int memory) const;
    bool SameAsCurrent(int memory) const;

    DeviceContext& m_device;
    EditHistory& m_history;
    QString m_folder;
    std::function<void()> m_reload;
    std::array<std::vector<std::uint8_t>, 2> m_bytes;
    mutable std::array<std::unique_ptr<DeviceContext>, 2> m_cores;
    mutable std::array<std::vector<std::string>, 2> m_outside;  // addresses out of range in each core
    int m_active = kNone;
    QTimer m_follow;
};

}  // namespace kv
