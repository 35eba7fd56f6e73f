#pragma once
// kv4420ctl serve: holds the boxes and serves them until SIGINT or SIGTERM.

#include <ostream>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"

namespace kv::net {

constexpr char kDefaultListen[] = "127.0.0.1:4420";

int RunServe(const cli::CommandLine& line, const cli::CtlEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace kv::net
