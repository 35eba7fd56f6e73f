#pragma once
// kv4420ctl's acoustic commands: an equaliser's response and the speakers' time alignment.

#include <ostream>

#include "cli/CtlCommands.h"

namespace kv::cli {

// Runs an EqResponse or Align command; returns the exit status.
int RunResponseCommand(const CommandLine& line, const CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::cli
