#pragma once
// UTF-8 <-> UTF-16: the box keeps mode names as UTF-16, files and terminals speak UTF-8.

#include <string>
#include <string_view>

namespace kv {

// Invalid input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kv
