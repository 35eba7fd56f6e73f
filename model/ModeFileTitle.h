#pragma once
// What loading a mode file takes from its name: the title that becomes the slot's name,
// and the user-mode slot the file is meant for.

#include <optional>
#include <string>

namespace kv {

constexpr std::size_t kTitleChars = 20;

// File name up to its last ".", cut to 20 UTF-16 characters (a pair is never split).
std::u16string ModeFileTitle(const std::string& path);
// Slot 0..3 for titles beginning with the slot prefixes the box's own files use.
std::optional<int> TargetSlotOfTitle(const std::u16string& title);

}  // namespace kv
