#pragma once
// Mode names between the box's UTF-16 and UTF-8, and JSON string quoting.

#include <string>
#include <string_view>

#include "model/Utf16.h"

namespace kv::cli {

using kv::Utf16ToUtf8;
using kv::Utf8ToUtf16;

// A JSON string literal, quotes included. Control characters are escaped; other bytes
// pass through unchanged.
std::string JsonQuote(std::string_view text);

}  // namespace kv::cli
