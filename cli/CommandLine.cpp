#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <vector>

#include "device/DelayAlignment.h"

namespace kv::cli {
namespace {

// One command the parser knows: its place in the command tree and its usage form.
struct Leaf {
    CLI::App* app;
    CommandKind kind;
    const char* form;
};

// A command with actions of its own (mode load, remote save, ...).
struct Group {
    CLI::App* app;
    const char* form;
    const char* actions;
};

// eq response: the grid's size and the frequencies below the box's Nyquist frequency.
constexpr int kMinPoints = 2;
constexpr int kMaxPoints = 100000;
constexpr double kMinHz = 1.0;
constexpr double kMaxHz = 23000.0;

const CLI::Validator kSlot(
    [](std::string& v) -> std::string {
        if (v.size() == 1 && v[0] >= '1' && v[0] <= '4') return {};
        return "the mode number must be 1, 2, 3 or 4, not \"" + v + "\"";
    },
    "");

const CLI::Validator kDevice(
    [](std::string& v) -> std::string {
        if (TransportUri::Parse(v)) return {};
        return "unknown device \"" + v + "\" (use hid, sim, unix:PATH or file:PATH)";
    },
    "");

const CLI::Validator kAssignment(
    [](std::string& v) -> std::string {
        if (v.find('=') != std::string::npos && v.front() != '=') return {};
        return "a change is written ADDRESS=VALUE, not \"" + v + "\"";
    },
    "");

const CLI::App* Deepest(const CLI::App& app) {
    const CLI::App* at = &app;
    for (auto subs = at->get_subcommands(); !subs.empty(); subs = at->get_subcommands()) at = subs.front();
    return at;
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
           "                 this program), unix:PATH (a box served on a Unix socket,\n"
           "                 e.g. by kv4420-sim) or file:PATH (a mode file edited as if it\n"
           "                 were a box: get, set, list, eq, load-file, save-file and diff\n"
           "                 work on it, mode and remote need a box; a command that\n"
           "                 changed the mode rewrites the file atomically at its end; a\n"
           "                 refused value or a failed command leaves it as it was)\n"
           "  --verbose      print the link's debug messages on standard error\n"
           "  --direct       open the box even when a running server holds it\n"
           "  --help         this text\n"
           "\n"
           "Commands:\n"
           "  info                 model, versions, current mode and the four mode names\n"
           "  dump                 everything read back, as JSON\n"
           "  get ADDRESS...       print settings (kv4420ctl list names them)\n"
           "  set ADDR=VALUE...    change settings, in order, after the read-back\n"
           "  list                 every setting's address, range and unit\n"
           "  save-file PATH       save the box's mode into the box's current slot and into a\n"
           "                       mode file (.K4v9)\n"
           "  load-file [--clamp] PATH\n"
           "                       load a mode file (.K4v9 or .K4v8) into the box; a name\n"
           "                       beginning with m1..m4 also stores it in that slot. A file\n"
           "                       with values out of their settings' range is refused\n"
           "                       (one line per value); --clamp loads it with each such\n"
           "                       value put to the nearest value in range\n"
           "  load-file --changes-only PATH\n"
           "                       send only the settings in which the file differs from\n"
           "                       the box, each as its own edit sends it\n"
           "  diff A B             the settings in which A and B differ, each a mode file or\n"
           "                       box, with both values as get writes them\n"
           "  mode load N          recall user mode N (1..4) in the box\n"
           "  mode save N          store the box's settings as user mode N\n"
           "  mode reset N         reset user mode N of the box\n"
           "  remote save PATH     save the remote key table into a .remo file\n"
           "  remote load PATH     send a .remo file's key table to the box\n"
           "  eq export EQ FILE    write an equaliser's bands as filter lines\n"
           "  eq import EQ FILE    load filter lines into an equaliser\n"
           "  eq response EQ [--points N] [--from HZ --to HZ] [--csv|--json]\n"
           "                       frequency, magnitude (dB), phase (degrees) and group delay\n"
           "                       (ms) of an equaliser's bands on a logarithmic grid\n"
           "                       (512 points, 20Hz..20000Hz unless given)\n"
           "  align [--temperature T] [--apply] [--json]\n"
           "                       the delays that make every speaker's sound reach the\n"
           "                       listener at once, from the box's positions (T in degrees\n"
           "                       Celsius, 20 unless given); --apply sets them and switches\n"
           "                       the delays on\n"
           "  serve [--listen HOST:PORT] [--token-file FILE]\n"
           "                       hold the boxes (--device may be given several times) and\n"
           "                       serve them over HTTP and WebSocket until SIGINT or\n"
           "                       SIGTERM (default 127.0.0.1:4420; see kv4420ctl-serve(1))\n"
           "\n"
           "get, list and diff take --json for output as JSON.\n"
           "info and dump print their results; the other commands print nothing on success.\n"
           "Errors go to standard error, one line each. A file name that begins with a\n"
           "dash follows --.\n"
           "\n"
           "save-file and remote save write their file only after the box's part succeeded:\n"
           "a command that fails leaves an existing file as it was. Files are read when they\n"
           "are regular files; load-file and remote load also read a named pipe, a process\n"
           "substitution or - (standard input) until it ends, for at most 10 s (a device is\n"
           "refused at once); bytes past a mode file's 1823 are not read; a .remo file must\n"
           "hold exactly 16 bytes. Nothing is sent for a file that is refused.\n"
           "\n"
           "Exit status: 0 success, 2 usage error, 3 no box found, the box does not answer\n"
           "or the link failed (a report the box does not take within 1.8 s fails it),\n"
           "4 file error (also a mode file with values out of range), 5 box refused\n"
           "(wrong model or command-set version).\n"
           "\n"
           "Testing aid: KV4420_SYNC_WAIT_MS sets the wait before the first query of a\n"
           "read-back (2800 ms, which a real box needs); KV4420_INPUT_WAIT_MS how long a\n"
           "pipe is read (10000 ms).\n";
}

std::optional<CommandLine> CommandLine::Parse(std::span<const std::string> args, std::string& error) {
    CommandLine line;
    std::vector<std::string> devices;
    std::string slot;

    CLI::App app("", "kv4420ctl");
    app.set_help_flag("--help,-h");
    app.fallthrough();  // the options above may follow the command too
    app.require_subcommand(0, 1);
    // One URI per --device; several only for serve.
    app.add_option("--device", devices)->type_name("URI")->check(kDevice)->allow_extra_args(false);
    app.add_flag("--direct", line.direct);
    app.add_flag("--verbose,-v", line.verbose);

    std::vector<Leaf> leaves;
    std::vector<Group> groups;
    auto leaf = [&](CLI::App& parent, const char* name, CommandKind kind, const char* form) {
        CLI::App* sub = parent.add_subcommand(name);
        leaves.push_back({sub, kind, form});
        return sub;
    };
    auto group = [&](const char* name, const char* form, const char* actions) {
        CLI::App* sub = app.add_subcommand(name);
        sub->require_subcommand(1);
        groups.push_back({sub, form, actions});
        return sub;
    };
    auto pathOf = [&](CLI::App* sub, const char* name) { sub->add_option(name, line.path)->required(); };

    leaf(app, "info", CommandKind::Info, "info");
    leaf(app, "dump", CommandKind::Dump, "dump");
    pathOf(leaf(app, "save-file", CommandKind::SaveFile, "save-file PATH"), "PATH");
    CLI::App* loadFile = leaf(app, "load-file", CommandKind::LoadFile, "load-file [--clamp] PATH");
    pathOf(loadFile, "PATH");
    loadFile->add_flag("--clamp", line.clamp);
    loadFile->add_flag("--changes-only", line.changesOnly);
    CLI::App* diff = leaf(app, "diff", CommandKind::Diff, "diff [--json] A B");
    diff->add_flag("--json", line.json);
    diff->add_option("A B", line.items)->required()->expected(2);
    CLI::App* get = leaf(app, "get", CommandKind::Get, "get [--json] ADDRESS...");
    get->add_flag("--json", line.json);
    get->add_option("ADDRESS", line.items)->required();
    leaf(app, "set", CommandKind::Set, "set ADDRESS=VALUE...")
        ->add_option("ADDRESS=VALUE", line.items)
        ->required()
        ->check(kAssignment);
    leaf(app, "list", CommandKind::List, "list [--json]")->add_flag("--json", line.json);
    CLI::App* serve = leaf(app, "serve", CommandKind::Serve, "serve [--listen HOST:PORT] [--token-file FILE]");
    serve->add_option("--listen", line.listen)->type_name("HOST:PORT");
    serve->add_option("--token-file", line.tokenFile)->type_name("FILE");

    CLI::App* mode = group("mode", "mode load|save|reset N", "load, save or reset");
    for (auto [name, kind] : {std::pair{"load", CommandKind::ModeLoad}, std::pair{"save", CommandKind::ModeSave},
                              std::pair{"reset", CommandKind::ModeReset}})
        leaf(*mode, name, kind, "mode load|save|reset N")->add_option("N", slot)->required()->check(kSlot);
    CLI::App* remote = group("remote", "remote save|load PATH", "save or load");
    pathOf(leaf(*remote, "save", CommandKind::RemoteSave, "remote save PATH"), "PATH");
    pathOf(leaf(*remote, "load", CommandKind::RemoteLoad, "remote load PATH"), "PATH");
    CLI::App* eq = group("eq", "eq export|import EQ FILE", "export, import or response");
    for (auto [name, kind, form] : {std::tuple{"export", CommandKind::EqExport, "eq export EQ FILE"},
                                    std::tuple{"import", CommandKind::EqImport, "eq import EQ FILE"}}) {
        CLI::App* sub = leaf(*eq, name, kind, form);
        sub->add_option("EQ", line.eq)->required();
        sub->add_option("FILE", line.path)->required();
    }
    CLI::App* response = leaf(*eq, "response", CommandKind::EqResponse,
                              "eq response EQ [--points N] [--from HZ --to HZ] [--csv|--json]");
    response->add_option("EQ", line.eq)->required();
    response->add_option("--points", line.points)->type_name("N")->check(CLI::Range(kMinPoints, kMaxPoints));
    response->add_option("--from", line.fromHz)->type_name("HZ")->check(CLI::Range(kMinHz, kMaxHz));
    response->add_option("--to", line.toHz)->type_name("HZ")->check(CLI::Range(kMinHz, kMaxHz));
    response->add_flag("--csv", line.csv)->excludes(response->add_flag("--json", line.json));
    CLI::App* align = leaf(app, "align", CommandKind::Align, "align [--temperature T] [--apply] [--json]");
    align->add_option("--temperature", line.temperature)
        ->type_name("T")
        ->check(CLI::Range(kMinAlignTemperatureC, kMaxAlignTemperatureC));
    align->add_flag("--apply", line.apply);
    align->add_flag("--json", line.json);

    // CLI11 takes the words last first.
    std::vector<std::string> words(args.rbegin(), args.rend());
    try {
        app.parse(words);
    } catch (const CLI::CallForHelp&) {
        line.help = true;
        return line;
    } catch (const CLI::ParseError& e) {
        // CLI11's own texts are kept for options and values; a command with a word too
        // many or too few is shown its form, as before.
        const CLI::App* at = Deepest(app);
        // Words no command took end up with the top level; "--" is CLI11's own marker.
        auto extra = app.remaining(true);
        extra.erase(std::remove(extra.begin(), extra.end(), "--"), extra.end());
        const bool strayOption = !extra.empty() && extra.front().size() > 1 && extra.front()[0] == '-';
        const auto isGroup = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.app == at; });
        const auto isLeaf = std::find_if(leaves.begin(), leaves.end(), [&](const Leaf& l) { return l.app == at; });
        const bool arity = dynamic_cast<const CLI::ExtrasError*>(&e) || dynamic_cast<const CLI::RequiredError*>(&e);
        if (strayOption)
            error = "unknown option " + extra.front();
        else if (at == &app && !extra.empty())
            error = "unknown command \"" + extra.front() + "\"";
        else if (isGroup != groups.end() && !extra.empty())
            error = "unknown " + at->get_name() + " action \"" + extra.front() + "\" (use " + isGroup->actions + ")";
        else if (isGroup != groups.end() && arity)
            error = std::string("usage: kv4420ctl ") + isGroup->form;
        else if (isLeaf != leaves.end() && arity)
            error = std::string("usage: kv4420ctl ") + isLeaf->form;
        else
            error = e.what();
        return std::nullopt;
    }

    const auto chosen = std::find_if(leaves.begin(), leaves.end(), [](const Leaf& l) { return l.app->parsed(); });
    if (chosen == leaves.end()) {
        error = "no command given";
        return std::nullopt;
    }
    line.command = chosen->kind;
    for (const std::string& d : devices) line.devices.push_back(*TransportUri::Parse(d));
    if (!line.devices.empty()) line.device = line.devices.front();
    // Only the server holds several boxes at once.
    if (line.devices.size() > 1 && line.command != CommandKind::Serve) {
        error = "--device is given once (only serve takes several)";
        return std::nullopt;
    }
    // A served file would take edits that nothing ever writes back.
    if (line.command == CommandKind::Serve &&
        std::any_of(line.devices.begin(), line.devices.end(),
                    [](const TransportUri& d) { return d.kind == TransportUri::Kind::File; })) {
        error = "serve holds boxes, not files: edit a mode file with get, set or eq instead";
        return std::nullopt;
    }
    // What a mode file does not hold would be thrown away when the command ends: refused.
    if (line.device.kind == TransportUri::Kind::File) {
        const auto k = line.command;
        if (k == CommandKind::ModeLoad || k == CommandKind::ModeSave || k == CommandKind::ModeReset) {
            error = "a mode file has no user-mode slots: mode load, save and reset need a box";
            return std::nullopt;
        }
        if (k == CommandKind::RemoteLoad || k == CommandKind::RemoteSave) {
            error = "a mode file holds no remote key table: remote load and save need a box";
            return std::nullopt;
        }
    }
    if (!slot.empty()) line.slot = slot[0] - '1';
    const bool takesPath = chosen->app->get_option_no_throw("PATH") || chosen->app->get_option_no_throw("FILE");
    if (line.command == CommandKind::EqResponse && !(line.fromHz < line.toHz)) {
        error = "--from must be below --to";
        return std::nullopt;
    }
    if (takesPath && line.path.empty()) {
        error = "the file path is empty";
        return std::nullopt;
    }
    return line;
}

}  // namespace kv::cli
