#pragma once
// The name of an edit step after the setting it changed, in the interface's language:
// "eq.main.3.gain" is "MAIN EQ band 3 gain" or "主音箱 均衡 3 增益".

#include <QString>
#include <string_view>

namespace kv {

QString StepName(std::string_view address, int language);

}  // namespace kv
