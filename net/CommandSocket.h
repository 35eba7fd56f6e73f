#pragma once
// Where a running server takes kv4420ctl's commands for a box, and how they travel: a Unix
// socket per box in $XDG_RUNTIME_DIR/kv4420/ (a folder only its user may enter), each
// message a list of byte strings, each with its length in front.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::net {

// The request's first string, so that another program's bytes are not taken as a command.
constexpr char kCommandMagic[] = "kv4420ctl-command/1";
constexpr std::size_t kMaxRequestBytes = 1 << 20;
constexpr std::size_t kMaxAnswerBytes = 256u << 20;

// The folder; empty when XDG_RUNTIME_DIR is unset (then there is no server to reach).
std::string CommandFolder();
// The socket for the box with this transport URI, or empty as above. The name is a digest
// of the URI, so that any URI fits the short limit of a socket path.
std::string CommandSocketPath(const std::string& uri);
// Creates the folder with mode 0700, or checks that the existing one is a folder of this
// user that nobody else may enter. False with the reason in error.
bool PrepareCommandFolder(std::string& error);
// Why the folder may not be trusted (not a folder, another user's, open to others); empty
// when it may.
std::string CommandFolderProblem(const std::string& folder);
// A connected socket to the socket file at path, or -1: nobody listens there (a file left by
// a server that ended refuses), or the path is too long.
int ConnectToSocket(const std::string& path);

std::string EncodeStrings(const std::vector<std::string>& strings);
// The list in bytes, once it is whole; nothing while bytes are missing. A malformed list
// sets bad.
std::optional<std::vector<std::string>> DecodeStrings(const std::string& bytes, std::size_t limit, bool& bad);

}  // namespace kv::net
