#include "cli/Utf.h"

#include <cstdio>

namespace kv::cli {

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", b);
                    out += buf;
                } else {
                    out.push_back(ch);
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace kv::cli
