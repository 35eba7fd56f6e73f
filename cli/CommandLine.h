#pragma once
// What kv4420ctl was asked to do, parsed from its arguments.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "connect/TransportUri.h"

namespace kv::cli {

// Exit statuses scripts can rely on.
namespace exitcode {
constexpr int kOk = 0;
constexpr int kUsage = 2;
constexpr int kNoBox = 3;    // no box found, no answer, or the link failed
constexpr int kFile = 4;     // a file could not be read, had a wrong version, was short, or could not be written
constexpr int kRefused = 5;  // wrong model or command-set version
}  // namespace exitcode

enum class CommandKind {
    Info,
    Dump,
    SaveFile,
    LoadFile,
    ModeLoad,
    ModeSave,
    ModeReset,
    RemoteSave,
    RemoteLoad,
    Get,
    Set,
    List,
    EqExport,
    EqImport,
    Diff,
    EqResponse,
    Align,
    Serve
};

class CommandLine {
public:
    // Nothing, with the reason in error, when the arguments make no sense.
    static std::optional<CommandLine> Parse(std::span<const std::string> args, std::string& error);
    static std::string UsageText();

    bool help = false;
    bool verbose = false;               // link debug output on standard error
    TransportUri device;                // hid unless --device says otherwise
    std::vector<TransportUri> devices;  // every --device, in order (serve holds several)
    bool direct = false;                // --direct: never through a running server
    CommandKind command = CommandKind::Info;
    std::string path;                // file commands (eq export|import: FILE)
    int slot = 0;                    // mode commands, 0..3 (the user types 1..4)
    std::vector<std::string> items;  // get: ADDRESS...; set: ADDRESS=VALUE... (in order, at least one)
    bool json = false;               // --json for get and list
    std::string eq;                  // eq export|import: the equaliser name (EQ), path = FILE
    std::string listen;              // serve --listen HOST:PORT (empty: the default)
    std::string tokenFile;           // serve --token-file FILE (empty: the default)
    bool clamp = false;              // load-file --clamp: values out of range are clamped, not refused
    bool changesOnly = false;        // load-file --changes-only: only the settings that differ are sent
    // align: --temperature (degrees Celsius) and --apply.
    std::optional<double> temperature;
    bool apply = false;
    // eq response: --points, --from, --to and --csv (json above).
    int points = 512;
    double fromHz = 20.0;
    double toHz = 20000.0;
    bool csv = false;
};

}  // namespace kv::cli
