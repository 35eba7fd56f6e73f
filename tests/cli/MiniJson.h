#pragma once
// Just enough JSON to read kv4420ctl's dump in tests: objects, arrays, strings, numbers,
// true/false/null. Parsing also proves the dump is well-formed.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;  // strings, and the literal form of numbers
    std::vector<Json> items;
    std::map<std::string, Json> members;

    // Nothing (with a position in error) for malformed text.
    static std::optional<Json> Parse(const std::string& text, std::string& error);
    const Json& operator[](const std::string& key) const;
    const Json& operator[](std::size_t index) const;
    bool Has(const std::string& key) const { return members.count(key) != 0; }
    bool operator==(const Json& other) const;
};

}  // namespace kv::test
