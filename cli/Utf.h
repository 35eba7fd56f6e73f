#pragma once
// UTF-8 <-> UTF-16 for mode names (the box keeps them as UTF-16) and JSON string quoting.

#include <string>
#include <string_view>

namespace kv::cli {

// Invalid input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// A JSON string literal, quotes included. Control characters are escaped; other bytes
// pass through unchanged.
std::string JsonQuote(std::string_view text);

}  // namespace kv::cli
