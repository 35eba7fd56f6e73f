#include "cli/CtlCommands.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cli/BoxSession.h"
#include "cli/DiffCommand.h"
#include "cli/FileChecks.h"
#include "cli/ModeFileTitle.h"
#include "cli/ResponseCommands.h"
#include "cli/SettingCommands.h"
#include "cli/StoreJson.h"
#include "device/StoreCheck.h"
#include "device/StoreDiff.h"
#include "model/ModeFile.h"
#include "model/RemoteFile.h"
#include "model/Utf16.h"

namespace kv::cli {
namespace {

// The box takes this long to store a mode before it answers the next command reliably.
constexpr int kSaveModeSettleMs = 500;
// Between selecting the target slot and saving into it.
constexpr int kSelectToSaveMs = 20;

int CurrentSlot(const ParameterStore& store) { return std::clamp(store.Int(fld::kCurrentMode), 0, kModeSlots - 1); }

}  // namespace

std::string ModeFileProblem(const std::string& path, const ModeFileResult& r) {
    switch (r.status) {
        case ModeFileStatus::Ok:
            return {};
        case ModeFileStatus::CannotOpen:
            return "cannot read " + path + (r.systemError ? std::string(": ") + std::strerror(r.systemError) : "");
        case ModeFileStatus::BadVersion:
            return path + " is not a mode file this program reads (version word " + std::to_string(VersionWordOf(r)) +
                   ", expected 1 or 2)";
        case ModeFileStatus::TooShort:
            return path + " is too short for a mode file (" + std::to_string(r.size) + " bytes of " +
                   std::to_string(r.expected) + ")";
        case ModeFileStatus::NotRegularFile:
            return "cannot read " + path + ": " +
                   (r.systemError ? std::string(std::strerror(r.systemError)) : std::string("not a regular file"));
        case ModeFileStatus::CannotWrite:
            return "cannot write " + path + (r.systemError ? std::string(": ") + std::strerror(r.systemError) : "");
    }
    return "unusable mode file " + path;
}

namespace {

class Commands {
public:
    Commands(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err)
        : m_line(line),
          m_env(env),
          m_out(out),
          m_err(err),
          m_options{line.device, env.syncWaitMs, env.progress, line.verbose, env.heldBox} {}

    int Run() {
        switch (m_line.command) {
            case CommandKind::Info:
                return Info();
            case CommandKind::Dump:
                return Dump();
            case CommandKind::SaveFile:
                return SaveFile();
            case CommandKind::LoadFile:
                return LoadFile();
            case CommandKind::ModeLoad:
                return ModeLoad();
            case CommandKind::ModeSave:
                return ModeSave();
            case CommandKind::ModeReset:
                return ModeReset();
            case CommandKind::RemoteSave:
                return RemoteSave();
            case CommandKind::RemoteLoad:
                return RemoteLoad();
            case CommandKind::Get:
            case CommandKind::Set:
            case CommandKind::List:
            case CommandKind::EqExport:
            case CommandKind::EqImport:
                return RunSettingCommand(m_line, m_env, m_out, m_err);
            case CommandKind::Diff:
                return RunDiffCommand(m_line, m_env, m_out, m_err);
            case CommandKind::EqResponse:
            case CommandKind::Align:
                return RunResponseCommand(m_line, m_env, m_out, m_err);
            case CommandKind::Serve:
                // The server is a program of its own kind (Qt's event loop); main runs it.
                return Error(exitcode::kUsage, "this kv4420ctl was built without the server");
        }
        return exitcode::kUsage;
    }

private:
    int InputWaitMs() const { return m_env.inputWaitMs.value_or(kInputWaitMs); }
    int Error(int code, const std::string& text) {
        m_err << "kv4420ctl: " << text << std::endl;
        return code;
    }

    // A full disk or a closed pipe must not pass for a successful read.
    int Output(BoxSession& session) {
        m_out.flush();
        const int rc = session.Finish();
        if (!m_out) return Error(exitcode::kFile, "cannot write the output");
        return rc;
    }

    int Info() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        const ParameterStore& store = session.Box().store;
        const Identity id = store.GetIdentity();
        m_out << "model:        " << id.model << "\n"
              << "command set:  " << id.commandSetVersion << "\n"
              << "MCU version:  " << id.mcuVersion << "\n"
              << "DSP version:  " << id.dspVersion << "\n"
              << "current mode: " << CurrentSlot(store) + 1 << "\n";
        for (int s = 0; s < kModeSlots; ++s)
            m_out << "mode " << s + 1 << ":       " << Utf16ToUtf8(store.ModeName(s)) << "\n";
        return Output(session);
    }

    int Dump() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        m_out << StoreToJson(session.Box().store);
        return Output(session);
    }

    int SaveFile() {
        std::string problem;
        if (!CheckWritableTarget(m_line.path, problem)) return Error(exitcode::kFile, problem);
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        // As the ribbon's save: the box keeps the mode in its current slot too.
        box.encoders.SaveUserMode(CurrentSlot(box.store));
        box.link.AwaitAnswer();
        // The file is written only once the box's part succeeded, so that a failed command
        // leaves the target as it was; the store outlives the closed link.
        if (int rc = session.Finish()) return rc;
        const ModeFileResult written = WriteModeFile(m_line.path, box.store);
        if (written.status != ModeFileStatus::Ok) return Error(exitcode::kFile, ModeFileProblem(m_line.path, written));
        return exitcode::kOk;
    }

    int LoadFile() {
        // The file is decoded into a scratch store first: a file that cannot be used is
        // reported before the box is touched.
        std::vector<std::uint8_t> bytes;
        std::string problem;
        if (!ReadInput(m_line.path, kModeFileSizeV2, bytes, problem, true, InputWaitMs()))
            return Error(exitcode::kFile, problem);
        {
            ParameterStore scratch;
            const ModeFileResult check = DecodeModeFile(bytes, scratch);
            if (check.status != ModeFileStatus::Ok) return Error(exitcode::kFile, ModeFileProblem(m_line.path, check));
        }
        const std::u16string title = ModeFileTitle(m_line.path);
        const std::optional<int> target = TargetSlotOfTitle(title);

        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        // Checked against this box's maxima and command set, before anything is sent.
        ParameterStore file;
        file.SetAppliedSettings(box.store.AppliedSettings());
        file.SetCommandSetVersion(box.store.CommandSetVersion());
        const ModeFileResult loaded = DecodeModeFile(bytes, file);
        if (loaded.status != ModeFileStatus::Ok) return Error(exitcode::kFile, ModeFileProblem(m_line.path, loaded));
        if (const auto outside = CheckStore(file); !outside.empty()) {
            if (!m_line.clamp) {
                for (const OutOfRange& o : outside)
                    m_err << "kv4420ctl: " << m_line.path << ": " << o.address << " is " << o.fileValue
                          << ", out of range (clamped it would be " << o.usedValue << ")\n";
                m_err << "kv4420ctl: " << m_line.path << ": " << outside.size()
                      << (outside.size() == 1 ? " value" : " values")
                      << " out of range, nothing sent (--clamp loads the file with them clamped)" << std::endl;
                const int rc = session.Finish();
                return rc ? rc : exitcode::kFile;
            }
            for (const OutOfRange& o : ClampStore(file))
                m_err << "kv4420ctl: note: " << m_line.path << ": " << o.address << " clamped from " << o.fileValue
                      << " to " << o.usedValue << "\n";
            m_err.flush();
        }
        if (m_line.changesOnly) {
            // Only what differs, each setting as its own edit sends it; the name and the
            // slot go with a whole mode only.
            const auto target = MakeOfflineContext();
            CopyStore(file, target->store);
            SendDifferences(box, *target);
            box.link.AwaitAnswer();
            return session.Finish();
        }
        // The file's parts, now in range, replace the box's.
        DecodeModeFile(EncodeModeFile(file), box.store);
        // The name goes where the data is saved: the title's slot, or else the current one.
        const int slot = target ? *target : CurrentSlot(box.store);
        box.encoders.WriteModeName(slot, title);
        if (int rc = session.WriteAll("Writing the mode")) return rc;
        if (target) {
            box.encoders.SelectModeSlot(*target);
            session.Pause(kSelectToSaveMs);
            box.encoders.SaveUserMode(*target);
        }
        return session.Finish();
    }

    int ModeLoad() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        box.encoders.LoadUserMode(m_line.slot);
        if (int rc = session.ReadBack("Reading the mode")) return rc;
        return session.Finish();
    }

    int ModeSave() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        box.encoders.SaveUserMode(m_line.slot);
        session.Pause(kSaveModeSettleMs);
        return session.Finish();
    }

    int ModeReset() {
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        box.encoders.ResetUserMode(m_line.slot);
        if (int rc = session.ReadBack("Reading the mode")) return rc;
        return session.Finish();
    }

    int RemoteSave() {
        std::string problem;
        if (!CheckWritableTarget(m_line.path, problem)) return Error(exitcode::kFile, problem);
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        if (int rc = session.Finish()) return rc;  // as save-file: no file from a failed command
        int error = 0;
        if (!WriteRemoteFile(m_line.path, session.Box().store.GetRemoteTable(), &error))
            return Error(exitcode::kFile,
                         "cannot write " + m_line.path + (error ? std::string(": ") + std::strerror(error) : ""));
        return exitcode::kOk;
    }

    int RemoteLoad() {
        std::vector<std::uint8_t> bytes;
        std::string problem;
        if (!ReadInput(m_line.path, kRemoteTableSize, bytes, problem, false, InputWaitMs()))
            return Error(exitcode::kFile, problem);
        if (bytes.size() != kRemoteTableSize)
            return Error(exitcode::kFile, m_line.path + " is too short for a remote file (" +
                                              std::to_string(bytes.size()) + " bytes, expected exactly " +
                                              std::to_string(kRemoteTableSize) + ")");
        ParameterStore::RemoteTable table{};
        std::copy_n(bytes.begin(), table.size(), table.begin());
        BoxSession session(m_options, m_err);
        if (int rc = session.Connect()) return rc;
        auto& box = session.Box();
        box.store.SetRemoteTable(table);
        box.encoders.WriteRemoteTable();
        return session.Finish();
    }

    const CommandLine& m_line;
    const CtlEnvironment& m_env;
    std::ostream& m_out;
    std::ostream& m_err;
    SessionOptions m_options;
};

}  // namespace

int RunCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err) {
    return Commands(line, env, out, err).Run();
}

}  // namespace kv::cli
