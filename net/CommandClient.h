#pragma once
// kv4420ctl's side of a running server: the commands that need the box go to the server
// that holds it, when there is one, and come back as the server ran them.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace kv::net {

// Commands that need the box and that a server takes (list needs no box at all).
bool TakenThroughServer(const cli::CommandLine& line);

// The exit status of the command as a server ran it, its output written to out and err;
// nothing when no server takes commands for line's box (then it is run directly).
std::optional<int> RunThroughServer(const std::vector<std::string>& args, const cli::CommandLine& line,
                                    std::ostream& out, std::ostream& err);

}  // namespace kv::net
