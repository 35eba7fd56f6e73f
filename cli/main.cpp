// kv4420ctl: the box from the command line. Parsing and the commands live in kv_cli.

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"
#ifdef KV_HAVE_SERVER
#include "net/CommandClient.h"
#include "net/ServeCommand.h"
#endif

int main(int argc, char** argv) {
    using namespace kv::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto line = CommandLine::Parse(args, error);
    if (!line) {
        std::cerr << "kv4420ctl: " << error << " (see kv4420ctl --help)" << std::endl;
        return exitcode::kUsage;
    }
    if (line->help) {
        std::cout << CommandLine::UsageText();
        return exitcode::kOk;
    }
    CtlEnvironment env;
    env.progress = ::isatty(STDERR_FILENO) == 1;
    if (const char* wait = std::getenv("KV4420_SYNC_WAIT_MS"); wait && *wait) {
        int ms = -1;
        const auto end = wait + std::strlen(wait);
        const auto r = std::from_chars(wait, end, ms);
        if (r.ec != std::errc{} || r.ptr != end || ms < 0 || ms > 60000) {
            std::cerr << "kv4420ctl: KV4420_SYNC_WAIT_MS must be a number of milliseconds 0..60000" << std::endl;
            return exitcode::kUsage;
        }
        env.syncWaitMs = ms;
    }
    if (const char* wait = std::getenv("KV4420_INPUT_WAIT_MS"); wait && *wait) {
        int ms = -1;
        const auto end = wait + std::strlen(wait);
        const auto r = std::from_chars(wait, end, ms);
        if (r.ec != std::errc{} || r.ptr != end || ms < 1 || ms > 600000) {
            std::cerr << "kv4420ctl: KV4420_INPUT_WAIT_MS must be a number of milliseconds 1..600000" << std::endl;
            return exitcode::kUsage;
        }
        env.inputWaitMs = ms;
    }
#ifdef KV_HAVE_SERVER
    if (line->command == CommandKind::Serve) return kv::net::RunServe(*line, env, std::cout, std::cerr);
    // A box a server holds is reached through it; --direct opens it here.
    if (const auto rc = kv::net::RunThroughServer(args, *line, std::cout, std::cerr)) return *rc;
#endif
    return RunCommand(*line, env, std::cout, std::cerr);
}
