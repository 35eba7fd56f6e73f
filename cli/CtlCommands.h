#pragma once
// The commands of kv4420ctl, each carried out the way the application's own buttons do.

#include <optional>
#include <ostream>
#include <string>

#include "cli/CommandLine.h"
#include "model/ModeFile.h"

namespace kv {
struct DeviceContext;
}

namespace kv::cli {

struct CtlEnvironment {
    std::optional<int> syncWaitMs;     // KV4420_SYNC_WAIT_MS
    bool progress = false;             // standard error is a terminal
    std::optional<int> inputWaitMs;    // KV4420_INPUT_WAIT_MS: how long a pipe is read
    DeviceContext* heldBox = nullptr;  // a box a server holds open: used as it is, never opened or closed
};

// Runs one parsed command; returns the exit status. Results go to out, errors to err.
// One line on why a mode file could not be used, or empty.
std::string ModeFileProblem(const std::string& path, const ModeFileResult& r);

int RunCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::cli
