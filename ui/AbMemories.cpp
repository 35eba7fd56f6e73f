#include "ui/AbMemories.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "device/StoreCheck.h"
#include "model/AtomicFile.h"
#include "model/ModeFile.h"
#include "ui/EditHistory.h"
#include "ui/UiText.h"

namespace kv {

namespace {

QString SystemReason(int error) { return error ? QString::fromLocal8Bit(std::strerror(error)) : QString(); }

}  // namespace

AbMemories::AbMemories(DeviceContext& device, EditHistory& history, QString folder, std::function<void()> reload,
                       QObject* parent)
    : QObject(parent), m_device(device), m_history(history), m_folder(std::move(folder)), m_reload(std::move(reload)) {
    // Many steps in a burst (a drag) ask once.
    m_follow.setSingleShot(true);
    m_follow.setInterval(kFollowMs);
    connect(&m_follow, &QTimer::timeout, this, &AbMemories::Follow);
    connect(&m_history.Stack(), &QUndoStack::indexChanged, &m_follow, qOverload<>(&QTimer::start));
}

AbMemories::~AbMemories() = default;

QString AbMemories::FilePath(int memory) const {
    return QDir(m_folder).filePath(QStringLiteral("memory-%1.K4v9").arg(MemoryName(memory)));
}

QStringList AbMemories::Load(int language) {
    QStringList problems;
    for (int m : {kA, kB}) {
        m_bytes[Index(m)].clear();
        m_cores[Index(m)].reset();
        const QString path = FilePath(m);
        std::vector<std::uint8_t> bytes;
        int error = 0;
        const FileRead read = ReadWholeFile(QFile::encodeName(path).toStdString(), kModeFileSizeV2, bytes, &error);
        if (read == FileRead::CannotOpen && error == ENOENT) continue;  // never stored
        QString why;
        if (read == FileRead::CannotOpen)
            why = SystemReason(error);
        else if (read != FileRead::Ok)
            why = Bi(language, "不是普通文件或过长", "not a regular file, or too long");
        auto check = MakeOfflineContext();
        if (why.isEmpty()) {
            const ModeFileResult r = DecodeModeFile(bytes, check->store);
            if (r.status == ModeFileStatus::BadVersion)
                why = Bi(language, "版本不对", "not a version this program reads");
            else if (r.status != ModeFileStatus::Ok)
                why = Bi(language, "文件已损坏(太短)", "damaged (too short)");
        }
        if (!why.isEmpty()) {
            problems
                << Bi(language, "记忆 %1 未载入(%2): %3", "Memory %1 not used (%2): %3").arg(MemoryName(m), why, path);
            continue;
        }
        // Held as this version writes it, so an older file compares like a new one.
        m_bytes[Index(m)] = EncodeModeFile(check->store);
    }
    m_active = kNone;
    Follow();
    return problems;
}

const DeviceContext& AbMemories::Settings(int memory) const {
    auto& core = m_cores[Index(memory)];
    // Built again when the box's command set changed: it decides how some values read.
    if (!core || core->store.CommandSetVersion() != m_device.store.CommandSetVersion()) {
        core = MakeOfflineContext();
        CopyStore(m_device.store, core->store);
        DecodeModeFile(m_bytes[Index(memory)], core->store);
        // Checked once per memory rather than at every switch: a switch costs what it sends.
        auto& outside = m_outside[Index(memory)];
        outside.clear();
        for (const OutOfRange& o : CheckStore(core->store)) outside.push_back(o.address);
    }
    return *core;
}

bool AbMemories::SameAsCurrent(int memory) const {
    return Has(memory) && DiffSettings(m_device, Settings(memory)).empty();
}

bool AbMemories::Modified() const { return m_active != kNone && !SameAsCurrent(m_active); }

bool AbMemories::Keep(int memory, const ParameterStore& settings, QString* problem, int language) {
    m_bytes[Index(memory)] = EncodeModeFile(settings);
    m_cores[Index(memory)].reset();
    bool saved = QDir().mkpath(m_folder);
    int error = saved ? 0 : EACCES;
    if (saved) {
        const ModeFileResult r = WriteModeFile(QFile::encodeName(FilePath(memory)).toStdString(), settings);
        saved = r.status == ModeFileStatus::Ok;
        error = r.systemError;
    }
    if (!saved && problem)
        *problem = Bi(language, "记忆 %1 无法保存，仅本次有效: %2\n%3",
                      "Memory %1 could not be saved and lasts until the program ends: %2\n%3")
                       .arg(MemoryName(memory), FilePath(memory), SystemReason(error));
    Q_EMIT changed();
    return saved;
}

bool AbMemories::StoreCurrent(int memory, QString* problem, int language) {
    m_history.Commit();
    m_active = memory;
    return Keep(memory, m_device.store, problem, language);
}

bool AbMemories::Switch(QString* problem, int language) {
    const int target = m_active == kNone ? (Has(kA) ? kA : kB) : 1 - m_active;
    const auto refuse = [&](const QString& why) {
        if (problem) *problem = why;
        return false;
    };
    if (!Has(target))
        return refuse(
            Bi(language, "记忆 %1 是空的: 请先把当前参数存为 %1", "Memory %1 is empty: store the settings as %1 first")
                .arg(MemoryName(target)));
    // A value out of range that the switch would send (a file changed by hand): nothing goes out.
    // What the box already holds out of range is left as it is.
    QString outside;
    const DeviceContext& targetSettings = Settings(target);
    for (const std::string& address : m_outside[Index(target)]) {
        const Setting* s = FindSetting(address);
        if (outside.isEmpty() && s && s->read(m_device) != s->read(targetSettings))
            outside = QString::fromStdString(address);
    }
    if (!outside.isEmpty())
        return refuse(Bi(language, "记忆 %1 有超出范围的值(%2)，未切换",
                         "Memory %1 holds a value out of range (%2): not switched")
                          .arg(MemoryName(target), outside));
    // What was tuned on the memory on show stays with it, and an edit not yet a step becomes one.
    m_history.Commit();
    if (Modified()) Keep(m_active, m_device.store, problem, language);
    SendDifferences(m_device, Settings(target));
    m_active = target;
    m_history.CommitNamed(QStringLiteral("切换到记忆 %1").arg(MemoryName(target)),
                          QStringLiteral("switched to memory %1").arg(MemoryName(target)));
    m_reload();
    m_follow.stop();
    Q_EMIT changed();
    return true;
}

std::vector<SettingDifference> AbMemories::Differences() const {
    if (!Has(kA) && m_active != kA) return {};
    if (!Has(kB) && m_active != kB) return {};
    const DeviceContext& a = m_active == kA ? m_device : Settings(kA);
    const DeviceContext& b = m_active == kB ? m_device : Settings(kB);
    return DiffSettings(a, b);
}

int AbMemories::DifferingCount() const {
    if ((!Has(kA) && m_active != kA) || (!Has(kB) && m_active != kB)) return -1;
    return static_cast<int>(Differences().size());
}

void AbMemories::Follow() {
    m_follow.stop();
    // Undone back to the other memory's settings (or a start on them): that one is on show.
    if (m_active == kNone || !SameAsCurrent(m_active)) {
        for (int m : {kA, kB})
            if (m != m_active && SameAsCurrent(m)) {
                m_active = m;
                break;
            }
    }
    Q_EMIT changed();
}

}  // namespace kv
