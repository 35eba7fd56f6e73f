#pragma once
// One line of meaning for every setting address: what it moves, in both languages, for
// `kv4420ctl list` and the controls' tooltips.

#include <string>
#include <string_view>

namespace kv {

struct SettingDescription {
    std::string english;
    std::string chinese;
};

// Empty texts for an address no family of settings knows.
SettingDescription DescribeSetting(std::string_view address);

}  // namespace kv
