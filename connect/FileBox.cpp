#include "connect/FileBox.h"

#include <filesystem>
#include <system_error>

#include "device/DeviceContext.h"
#include "device/StoreDiff.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace kv {
namespace {

// The box is in process: nothing to wait for between the steps of a synchronisation.
constexpr SyncTimings kNoWaits{0, 0, 0, 0};
// Its read thread notices the close of each short visit sooner.
constexpr LinkTimings kVisitLink{1800, 1000, 5, 1800};

// One link to the box for one synchronisation, closed cleanly afterwards.
class Visit {
public:
    explicit Visit(const std::shared_ptr<SimBox>& box) : m_ctx(MakeSimOpener(box), kVisitLink, kNoWaits) {
        m_open = m_ctx.link.Open();
    }
    ~Visit() { m_ctx.link.Close(true); }
    Visit(const Visit&) = delete;
    Visit& operator=(const Visit&) = delete;

    bool Sync(bool readBack) {
        if (!m_open) return false;
        const bool started = readBack ? m_ctx.sync.StartReadBack([](int) {}) : m_ctx.sync.StartWriteAll([](int) {});
        m_ctx.sync.Wait();
        return started && m_ctx.link.IsOpen() && !m_ctx.link.ReadThreadEnded();
    }
    DeviceContext& Ctx() { return m_ctx; }

private:
    DeviceContext m_ctx;
    bool m_open = false;
};

// The simulated box's transport under the file's name.
class NamedTransport : public Transport {
public:
    NamedTransport(std::unique_ptr<Transport> inner, std::string path)
        : m_inner(std::move(inner)), m_path(std::move(path)) {}
    ReadStatus Read(Report& out, int timeoutMs) override { return m_inner->Read(out, timeoutMs); }
    int Write(const Report& report, int timeoutMs) override { return m_inner->Write(report, timeoutMs); }
    std::string Path() const override { return m_path; }

private:
    std::unique_ptr<Transport> m_inner;
    std::string m_path;
};

std::string Resolve(const std::string& path) {
    std::error_code ec;
    const auto target = std::filesystem::canonical(path, ec);
    return ec ? path : target.string();
}

}  // namespace

FileBox::FileBox(std::string path, std::string target, std::shared_ptr<SimBox> box)
    : m_path(std::move(path)), m_target(std::move(target)), m_box(std::move(box)) {}

FileBox::~FileBox() = default;

std::shared_ptr<FileBox> FileBox::Load(const std::string& path, FileBoxProblem& problem, bool clampOutside) {
    problem = {};
    auto box = std::make_shared<SimBox>();
    Visit visit(box);
    // The box's own limits and command set first, so the file is judged as a box would judge it.
    if (!visit.Sync(true)) {
        problem.file = {ModeFileStatus::CannotOpen, 0, 0};
        return nullptr;
    }
    ParameterStore& store = visit.Ctx().store;
    ParameterStore file;
    file.SetAppliedSettings(store.AppliedSettings());
    file.SetCommandSetVersion(store.CommandSetVersion());
    problem.file = ReadModeFile(path, file);
    if (problem.file.status != ModeFileStatus::Ok) return nullptr;
    if (clampOutside) {
        problem.outside = ClampStore(file);
    } else {
        problem.outside = CheckStore(file);
        if (!problem.outside.empty()) return nullptr;
    }

    // Only what differs from the box, each as its own edit sends it: a whole write-all would
    // put values the file holds outside a control's reach (a fresh box's zero predelays) to
    // the control's least, and the file would change where nobody edited it.
    const auto target = MakeOfflineContext();
    CopyStore(file, target->store);
    SendDifferences(visit.Ctx(), *target);
    visit.Ctx().link.AwaitAnswer();
    if (!visit.Sync(true)) {
        problem.file = {ModeFileStatus::CannotOpen, 0, 0};
        return nullptr;
    }
    std::shared_ptr<FileBox> loaded(new FileBox(path, Resolve(path), box));
    loaded->m_written = EncodeModeFile(store);
    return loaded;
}

TransportOpener FileBox::Opener() const {
    return [box = m_box, path = "file:" + m_path](const DebugOutput& debug) -> std::unique_ptr<Transport> {
        auto inner = MakeSimOpener(box)(debug);
        if (!inner) return nullptr;
        return std::make_unique<NamedTransport>(std::move(inner), path);
    };
}

ModeFileResult FileBox::WriteBack() {
    Visit visit(m_box);
    if (!visit.Sync(true)) return {ModeFileStatus::CannotWrite, 0, 0};
    const auto bytes = EncodeModeFile(visit.Ctx().store);
    if (bytes == m_written) return {ModeFileStatus::Ok, 0, 0};
    const ModeFileResult r = WriteModeFile(m_target, bytes);
    if (r.status == ModeFileStatus::Ok) m_written = bytes;
    return r;
}

}  // namespace kv
