#include "model/ModeFileTitle.h"

#include <array>

#include "model/Utf16.h"

namespace kv {

std::u16string ModeFileTitle(const std::string& path) {
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    std::u16string title = Utf8ToUtf16(name);
    if (title.size() > kTitleChars) {
        std::size_t cut = kTitleChars;
        const char16_t last = title[cut - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --cut;
        title.resize(cut);
    }
    return title;
}

std::optional<int> TargetSlotOfTitle(const std::u16string& title) {
    static const std::array<std::u16string, 3> kPrefixes{u"默认", u"lumavox", u"m"};
    for (const auto& prefix : kPrefixes) {
        for (int slot = 0; slot < 4; ++slot) {
            const std::u16string full = prefix + static_cast<char16_t>(u'1' + slot);
            if (title.compare(0, full.size(), full) == 0) return slot;
        }
    }
    return std::nullopt;
}

}  // namespace kv
