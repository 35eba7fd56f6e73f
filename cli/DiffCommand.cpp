#include "cli/DiffCommand.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/BoxSession.h"
#include "cli/FileChecks.h"
#include "device/SettingTable.h"
#include "device/StoreDiff.h"

namespace kv::cli {
namespace {

constexpr const char* kBoxOperand = "box";
// Files are read as a box of the newest command set would hold them, unless a box is asked.
constexpr int kNewestCommandSet = 9;

int Error(std::ostream& err, int code, const std::string& text) {
    err << "kv4420ctl: " << text << std::endl;
    return code;
}

// A mode file into an offline core; the problem in `problem` when it is not one.
std::unique_ptr<DeviceContext> LoadOperand(const std::string& path, const ParameterStore* box, std::string& problem) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, kModeFileSizeV2, bytes, problem, true)) return nullptr;
    auto ctx = MakeOfflineContext();
    if (box) CopyStore(*box, ctx->store);
    ctx->store.SetCommandSetVersion(box ? box->CommandSetVersion() : kNewestCommandSet);
    const ModeFileResult r = DecodeModeFile(bytes, ctx->store);
    if (r.status != ModeFileStatus::Ok) {
        problem = ModeFileProblem(path, r);
        return nullptr;
    }
    return ctx;
}

}  // namespace

int RunDiffCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err) {
    const std::string& a = line.items.at(0);
    const std::string& b = line.items.at(1);
    const bool needsBox = a == kBoxOperand || b == kBoxOperand;
    // Files are checked before the box is asked, so that a bad file costs no connection.
    std::string problem;
    for (const std::string* operand : {&a, &b})
        if (*operand != kBoxOperand && !LoadOperand(*operand, nullptr, problem))
            return Error(err, exitcode::kFile, problem);

    std::unique_ptr<BoxSession> session;
    const ParameterStore* boxStore = nullptr;
    if (needsBox) {
        session = std::make_unique<BoxSession>(
            SessionOptions{line.device, env.syncWaitMs, env.progress, line.verbose, env.heldBox}, err);
        if (int rc = session->Connect()) return rc;
        boxStore = &session->Box().store;
    }
    const auto open = [&](const std::string& operand) -> std::unique_ptr<DeviceContext> {
        if (operand == kBoxOperand) {
            auto ctx = MakeOfflineContext();
            CopyStore(*boxStore, ctx->store);
            return ctx;
        }
        return LoadOperand(operand, boxStore, problem);
    };
    const auto first = open(a);
    const auto second = open(b);
    if (!first || !second) return Error(err, exitcode::kFile, problem);

    const auto diffs = DiffSettings(*first, *second);
    if (line.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::object();
        for (const SettingDifference& d : diffs)
            all[d.setting->address] = {{"a", FormatSetting(*d.setting, d.from)},
                                       {"b", FormatSetting(*d.setting, d.to)}};
        out << all.dump(2) << "\n";
    } else {
        for (const SettingDifference& d : diffs)
            out << d.setting->address << "=" << FormatSetting(*d.setting, d.from) << " -> "
                << FormatSetting(*d.setting, d.to) << "\n";
    }
    out.flush();
    const int rc = session ? session->Finish() : exitcode::kOk;
    if (!out) return Error(err, exitcode::kFile, "cannot write the output");
    return rc;
}

}  // namespace kv::cli
