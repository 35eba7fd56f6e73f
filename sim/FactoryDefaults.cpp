#include "sim/FactoryDefaults.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "device/Commands.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

std::uint32_t FloatWord(float v) { return std::bit_cast<std::uint32_t>(v); }

bool IsOneOf(int module, int parameter, std::initializer_list<std::pair<int, int>> list) {
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& p) { return p.first == module && p.second == parameter; });
}

}  // namespace

std::uint32_t FactoryParamWord(int module, int parameter, int index, int commandSetVersion) {
    using namespace module;
    if (module == kEcho && (parameter == 18 || parameter == 25)) return 10416;  // 217 ms
    if (module == kEcho && (parameter == 19 || parameter == 26)) return FloatWord(0.60f);
    if (IsOneOf(module, parameter,
                {{kMic, 42},
                 {kMic, 55},
                 {kEcho, 29},
                 {kReverb, 27},
                 {kMusic, 19},
                 {kMain, 41},
                 {kRear, 27},
                 {kTop, 27},
                 {kCenter, 22},
                 {kSub, 32}}))
        return FloatWord(1.0f);
    if (IsOneOf(
            module, parameter,
            {{kMain, 39}, {kMain, 40}, {kRear, 25}, {kRear, 26}, {kTop, 25}, {kTop, 26}, {kCenter, 21}, {kSub, 31}}))
        return FloatWord(1.0f);
    if (IsOneOf(module, parameter, {{kMain, 33}, {kRear, 19}, {kTop, 19}, {kCenter, 17}, {kSub, 27}})) {
        constexpr float kCompressor[7] = {0.0f, 0.0f, 0.0f, 20.0f, 0.05f, 1.0f, 1.0f};
        return index >= 0 && index < 7 ? FloatWord(kCompressor[index]) : 0;
    }
    if (module == kMusic && parameter == 23) {
        if (commandSetVersion == 8) return index == 0 ? 480u : FloatWord(0.0f);
        return 5;
    }
    return 0;
}

SimMemory FactoryMemory() {
    // The program's own start-up image is the box's factory image.
    static const SimMemory image = [] {
        SimMemory m{};
        const ParameterStore store;
        const auto eq = store.GetEqImage();
        std::copy(eq.begin(), eq.end(), m.begin());
        const auto& pos = ParameterStore::kDefaultSpeakerPositions;
        std::copy(pos.begin(), pos.end(), m.begin() + kSpeakerPosOffset);
        return m;
    }();
    return image;
}

SimNameArea FactoryNameArea() {
    SimNameArea a{};
    const char16_t* names[4] = {u"Mode1", u"Mode2", u"Mode3", u"Mode4"};
    for (int s = 0; s < 4; ++s) {
        std::size_t at = static_cast<std::size_t>(s * kModeNameStride);
        for (const char16_t* c = names[s]; *c; ++c, at += 2) PutBe16(&a[at], *c);
    }
    return a;
}

SimSettings FactorySettings() {
    SimSettings s{};
    s[1] = 255;
    s[2] = 255;
    s[3] = 99;
    s[4] = 99;
    return s;
}

}  // namespace kv
