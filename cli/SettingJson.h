#pragma once
// Settings by address as kv4420ctl's get, set and list write and read them, shared by the
// command line and the server so that both speak the same objects and messages.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace kv {
struct DeviceContext;
struct Setting;
}  // namespace kv

namespace kv::cli {

struct SettingChange {
    const Setting* setting = nullptr;
    double value = 0;
};

// What list --json writes for a setting: address, range, unit and its limits or choices.
nlohmann::ordered_json SettingListEntry(const Setting& s);
// What get --json writes for a setting: {"value": ..., "text": ...}.
nlohmann::ordered_json SettingValueObject(const Setting& s, const DeviceContext& box);
// The line for an address the table does not know (without the program's prefix).
std::string UnknownSettingText(const std::string& address);
// Reads a value as set takes it; the refusal's text when the text is not one of its values.
std::string ReadChange(const Setting& s, const std::string& text, SettingChange& change);
// Checks a list of changes against the box's own limits on a copy of its store, in order,
// and only then applies all of them. The refusal's text, and nothing sent, when one is refused.
std::string ApplyChanges(DeviceContext& box, const std::vector<SettingChange>& changes);

}  // namespace kv::cli
