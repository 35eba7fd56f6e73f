#pragma once
// kv4420ctl diff A B: the settings in which two modes differ, each a mode file or the box.

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"

namespace kv::cli {

int RunDiffCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::cli
