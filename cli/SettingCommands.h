#pragma once
// get, set, list and eq export|import: the box's settings by address.

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"

namespace kv::cli {

// Runs one of those commands; returns the exit status. Results go to out, errors to err.
int RunSettingCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::cli
