#include "cli/SettingJson.h"

#include <cmath>
#include <memory>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "device/TypedValue.h"

namespace kv::cli {
namespace {

// A core with no link: the encoders store and send nothing, so a copy of the box's store
// shows whether a whole list of changes is taken before the first one reaches the box.
std::unique_ptr<DeviceContext> Scratch(const ParameterStore& from) {
    auto scratch = std::make_unique<DeviceContext>([](const DebugOutput&) { return std::unique_ptr<Transport>(); });
    ParameterStore& to = scratch->store;
    to.SetCommandSetVersion(from.CommandSetVersion());
    to.SetAppliedSettings(from.AppliedSettings());
    to.SetEqImage(from.GetEqImage());
    to.SetSpeakerPositions(from.GetSpeakerPositions());
    to.SetSpeakerGains(from.GetSpeakerGains());
    for (int f = 0; f < fld::kCount; ++f) to.SetRaw(f, from.Raw(f));
    return scratch;
}

nlohmann::ordered_json JsonValue(const Setting& s, double v) {
    if (s.unit == SettingUnit::Switch) return v != 0;
    if (s.unit == SettingUnit::Choice) return FormatSetting(s, v);
    // The shown decimals, not the float's noise.
    if (s.decimals == 0) return static_cast<long long>(std::llround(v));
    const double scale = std::pow(10.0, s.decimals);
    return std::round(v * scale) / scale;
}

}  // namespace

nlohmann::ordered_json SettingListEntry(const Setting& s) {
    nlohmann::ordered_json j{{"address", s.address}, {"range", SettingRange(s)}};
    if (s.unit == SettingUnit::Switch || s.unit == SettingUnit::Choice) {
        j["unit"] = s.unit == SettingUnit::Switch ? "switch" : "choice";
        nlohmann::ordered_json choices = nlohmann::ordered_json::array();
        for (int i = static_cast<int>(s.minimum); i <= static_cast<int>(s.maximum); ++i)
            choices.push_back(s.choices[static_cast<std::size_t>(i)]);
        j["choices"] = choices;
    } else {
        j["unit"] = std::string(UnitSuffix(s.unit));
        j["minimum"] = s.minimum;
        j["maximum"] = s.maximum;
        j["step"] = s.step;
    }
    j["description"] = s.description;
    return j;
}

nlohmann::ordered_json SettingValueObject(const Setting& s, const DeviceContext& box) {
    const double v = s.read(box);
    return {{"value", JsonValue(s, v)}, {"text", FormatSetting(s, v)}};
}

std::string UnknownSettingText(const std::string& address) {
    return "unknown setting \"" + address + "\" (kv4420ctl list names them)";
}

std::string ReadChange(const Setting& s, const std::string& text, SettingChange& change) {
    const TypedValue v = ReadTyped(s, text, TypedMode::Exact);
    if (!v) {
        // The range says all there is to say about a number outside it.
        const TypedRefusal& why = v.refusal;
        const std::string reason = why.reason == TypedReason::OutOfRange ? "" : ": " + RefusalText(why);
        return s.address + ": \"" + text + "\" is not one of its values (" + SettingRange(s) + ")" + reason;
    }
    change = {&s, *v.value};
    return {};
}

std::string ApplyChanges(DeviceContext& box, const std::vector<SettingChange>& changes) {
    {
        const auto scratch = Scratch(box.store);
        for (const SettingChange& c : changes) {
            const std::string reason = c.setting->refuse ? c.setting->refuse(*scratch, c.value) : "";
            if (!reason.empty())
                return c.setting->address + ": " + FormatSetting(*c.setting, c.value) + " is refused: " + reason;
            c.setting->apply(*scratch, c.value);
        }
    }
    for (const SettingChange& c : changes) c.setting->apply(box, c.value);
    return {};
}

}  // namespace kv::cli
