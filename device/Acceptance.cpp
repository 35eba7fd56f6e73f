#include "device/Acceptance.h"

#include <algorithm>
#include <string_view>

#include "model/AsciiCase.h"

namespace kv {
namespace {

constexpr std::string_view kAcceptedModels[] = {"KV4420M", "KV4420A"};
constexpr int kAcceptedVersions[] = {8, 9};

}  // namespace

Acceptance CheckAcceptance(const Identity& id) {
    const bool modelOk = std::any_of(std::begin(kAcceptedModels), std::end(kAcceptedModels),
                                     [&](std::string_view m) { return EqualsIgnoringCase(id.model, m); });
    if (!modelOk) return Acceptance::WrongModel;
    const bool versionOk = std::find(std::begin(kAcceptedVersions), std::end(kAcceptedVersions),
                                     id.commandSetVersion) != std::end(kAcceptedVersions);
    return versionOk ? Acceptance::Accepted : Acceptance::WrongCommandSet;
}

const char* AcceptanceMessage(Acceptance acceptance) {
    switch (acceptance) {
        case Acceptance::WrongModel:
            return "机器型号与软件不匹配!";
        case Acceptance::WrongCommandSet:
            return "机器与软件通信版本不匹配，请使用机器配套软件!";
        default:
            return "";
    }
}

}  // namespace kv
