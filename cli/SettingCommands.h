#pragma once
// get, set and list of every setting by address, and equaliser filter files in and out.

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"

namespace kv::cli {

// Runs a Get, Set, List, EqExport or EqImport command; returns the exit status.
int RunSettingCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::cli
