#include "cli/SettingCommands.h"

namespace kv::cli {

int RunSettingCommand(const CommandLine&, const CtlEnvironment&, std::ostream&, std::ostream& err) {
    err << "kv4420ctl: not built yet" << std::endl;
    return exitcode::kUsage;
}

}  // namespace kv::cli
