#include "cli/CommandLine.h"

#include <vector>

namespace kv::cli {
namespace {

bool ParseSlot(const std::string& text, int& slot) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '4') return false;
    slot = text[0] - '1';
    return true;
}

// get, set, list and eq: true when words name one of them (error says what is wrong).
bool ParseSettingCommand(const std::vector<std::string>& words, CommandLine& line, std::string& error) {
    const std::string& name = words[0];
    if (name == "get" || name == "set") {
        const bool set = name == "set";
        if (words.size() < 2) {
            error = set ? "usage: kv4420ctl set ADDRESS=VALUE..." : "usage: kv4420ctl get [--json] ADDRESS...";
            return true;
        }
        line.command = set ? CommandKind::Set : CommandKind::Get;
        line.items.assign(words.begin() + 1, words.end());
        for (const std::string& item : line.items)
            if (set && item.find('=') == std::string::npos) {
                error = "set takes ADDRESS=VALUE, not \"" + item + "\"";
                return true;
            }
        return true;
    }
    if (name == "list") {
        if (words.size() != 1) error = "usage: kv4420ctl list [--json]";
        line.command = CommandKind::List;
        return true;
    }
    if (name == "eq") {
        if (words.size() != 4 || (words[1] != "export" && words[1] != "import")) {
            error = "usage: kv4420ctl eq export|import EQ FILE";
            return true;
        }
        line.command = words[1] == "export" ? CommandKind::EqExport : CommandKind::EqImport;
        line.eq = words[2];
        line.path = words[3];
        if (line.path.empty()) error = "the file path is empty";
        return true;
    }
    return false;
}

}  // namespace

std::string CommandLine::UsageText() {
    return "Usage: kv4420ctl [--device URI] [--verbose] COMMAND ...\n"
           "\n"
           "Talks to a KV4420 box: connects, reads every setting back (as the desktop\n"
           "application does when it finds a box), checks the model and command-set\n"
           "version, then carries out the command and says goodbye to the box.\n"
           "\n"
           "Options:\n"
           "  --device URI   hid (default: the box on USB), sim (a simulated box inside\n"
           "                 this program) or unix:PATH (a box served on a Unix socket,\n"
           "                 e.g. by kv4420-sim)\n"
           "  --verbose      print the link's debug messages on standard error\n"
           "  --help         this text\n"
           "\n"
           "Commands:\n"
           "  info                 model, versions, current mode and the four mode names\n"
           "  dump                 everything read back, as JSON\n"
           "  save-file PATH       save the box's mode into the box's current slot and into a\n"
           "                       mode file (.K4v9)\n"
           "  load-file PATH       load a mode file (.K4v9 or .K4v8) into the box; a name\n"
           "                       beginning with m1..m4 also stores it in that slot\n"
           "  mode load N          recall user mode N (1..4) in the box\n"
           "  mode save N          store the box's settings as user mode N\n"
           "  mode reset N         reset user mode N of the box\n"
           "  remote save PATH     save the remote key table into a .remo file\n"
           "  remote load PATH     send a .remo file's key table to the box\n"
           "  get ADDRESS...       print settings (kv4420ctl list names them)\n"
           "  set ADDR=VALUE...    change settings, in order, after the read-back\n"
           "  list                 every setting's address, range and unit\n"
           "  eq export EQ FILE    write an equaliser's bands as filter lines\n"
           "  eq import EQ FILE    load filter lines into an equaliser\n"
           "\n"
           "info, dump, get and list print their results (get and list as JSON with --json);\n"
           "the other commands print nothing on success.\n"
           "Errors go to standard error, one line each.\n"
           "\n"
           "save-file and remote save write their file only after the box's part succeeded:\n"
           "a command that fails leaves an existing file as it was. Files are read only when\n"
           "they are regular files (a FIFO or device is refused at once); bytes past a mode\n"
           "file's 1823 are not read; a .remo file must hold exactly 16 bytes. Nothing is\n"
           "sent for a file that is refused.\n"
           "\n"
           "Exit status: 0 success, 2 usage error, 3 no box found, the box does not answer\n"
           "or the link failed (a report the box does not take within 1.8 s fails it),\n"
           "4 file error, 5 box refused (wrong model or command-set version).\n"
           "\n"
           "Values are given as the pages show them: -12dB, 4.0:1, 3.5ms, 1000Hz, on, off.\n"
           "An unknown address or a value out of range is refused (status 2) before the box\n"
           "is changed at all; so is a filter file that does not fit its equaliser (status 4).\n"
           "EQ is music, mica, micb, echoa, echob, reverba, reverbb, main, rear, center, sub\n"
           "or top.\n"
           "\n"
           "Testing aid: KV4420_SYNC_WAIT_MS sets the wait before the first query of a\n"
           "read-back (2800 ms, which a real box needs).\n";
}

std::optional<CommandLine> CommandLine::Parse(std::span<const std::string> args, std::string& error) {
    CommandLine line;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            line.help = true;
            return line;
        }
        if (a == "--verbose" || a == "-v") {
            line.verbose = true;
        } else if (a == "--device" || a.rfind("--device=", 0) == 0) {
            std::string uri;
            if (a == "--device") {
                if (i + 1 >= args.size()) {
                    error = "--device needs a URI (hid, sim or unix:PATH)";
                    return std::nullopt;
                }
                uri = args[++i];
            } else {
                uri = a.substr(9);
            }
            const auto parsed = TransportUri::Parse(uri);
            if (!parsed) {
                error = "unknown device \"" + uri + "\" (use hid, sim or unix:PATH)";
                return std::nullopt;
            }
            line.device = *parsed;
        } else if (a == "--json") {
            line.json = true;
        } else if (a == "--") {
            words.insert(words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-' && words.empty()) {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const std::string& name = words[0];
    auto expect = [&](std::size_t count, const char* form) {
        if (words.size() == count) return true;
        error = std::string("usage: kv4420ctl ") + form;
        return false;
    };
    if (name == "info" || name == "dump") {
        if (!expect(1, name == "info" ? "info" : "dump")) return std::nullopt;
        line.command = name == "info" ? CommandKind::Info : CommandKind::Dump;
    } else if (name == "save-file" || name == "load-file") {
        const bool save = name == "save-file";
        if (!expect(2, save ? "save-file PATH" : "load-file PATH")) return std::nullopt;
        line.command = save ? CommandKind::SaveFile : CommandKind::LoadFile;
        line.path = words[1];
    } else if (name == "mode") {
        if (!expect(3, "mode load|save|reset N")) return std::nullopt;
        const std::string& verb = words[1];
        if (verb == "load")
            line.command = CommandKind::ModeLoad;
        else if (verb == "save")
            line.command = CommandKind::ModeSave;
        else if (verb == "reset")
            line.command = CommandKind::ModeReset;
        else {
            error = "unknown mode action \"" + verb + "\" (use load, save or reset)";
            return std::nullopt;
        }
        if (!ParseSlot(words[2], line.slot)) {
            error = "mode number must be 1, 2, 3 or 4, not \"" + words[2] + "\"";
            return std::nullopt;
        }
    } else if (name == "remote") {
        if (!expect(3, "remote save|load PATH")) return std::nullopt;
        const std::string& verb = words[1];
        if (verb == "save")
            line.command = CommandKind::RemoteSave;
        else if (verb == "load")
            line.command = CommandKind::RemoteLoad;
        else {
            error = "unknown remote action \"" + verb + "\" (use save or load)";
            return std::nullopt;
        }
        line.path = words[2];
    } else if (ParseSettingCommand(words, line, error)) {
        if (!error.empty()) return std::nullopt;
    } else {
        error = "unknown command \"" + name + "\"";
        return std::nullopt;
    }
    if (line.json && line.command != CommandKind::Get && line.command != CommandKind::List) {
        error = "--json goes with get and list only";
        return std::nullopt;
    }
    if ((line.command == CommandKind::SaveFile || line.command == CommandKind::LoadFile ||
         line.command == CommandKind::RemoteSave || line.command == CommandKind::RemoteLoad) &&
        line.path.empty()) {
        error = "the file path is empty";
        return std::nullopt;
    }
    return line;
}

}  // namespace kv::cli
