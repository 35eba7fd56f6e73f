#include "MiniJson.h"

#include <cctype>
#include <cstdlib>

namespace kv::test {
namespace {

class Parser {
public:
    explicit Parser(const std::string& s) : m_s(s) {}

    bool Document(Json& out, std::string& error) {
        if (!Value(out)) {
            error = m_error + " at offset " + std::to_string(m_pos);
            return false;
        }
        Skip();
        if (m_pos != m_s.size()) {
            error = "trailing text at offset " + std::to_string(m_pos);
            return false;
        }
        return true;
    }

private:
    void Skip() {
        while (m_pos < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_pos]))) ++m_pos;
    }
    bool Fail(const char* what) {
        m_error = what;
        return false;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (m_s.compare(m_pos, w.size(), w) != 0) return Fail("bad literal");
        m_pos += w.size();
        return true;
    }
    bool String(std::string& out) {
        if (m_s[m_pos] != '"') return Fail("expected a string");
        ++m_pos;
        while (m_pos < m_s.size() && m_s[m_pos] != '"') {
            char c = m_s[m_pos++];
            if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
            if (c == '\\') {
                if (m_pos >= m_s.size()) return Fail("cut escape");
                const char e = m_s[m_pos++];
                switch (e) {
                    case 'n':
                        out += '\n';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'u':
                        if (m_pos + 4 > m_s.size()) return Fail("cut \\u escape");
                        out += static_cast<char>(std::strtol(m_s.substr(m_pos, 4).c_str(), nullptr, 16));
                        m_pos += 4;
                        break;
                    case '"':
                    case '\\':
                    case '/':
                        out += e;
                        break;
                    default:
                        return Fail("unknown escape");
                }
            } else {
                out += c;
            }
        }
        if (m_pos >= m_s.size()) return Fail("unterminated string");
        ++m_pos;
        return true;
    }
    bool Value(Json& v) {
        Skip();
        if (m_pos >= m_s.size()) return Fail("unexpected end");
        const char c = m_s[m_pos];
        if (c == '{') {
            v.type = Json::Type::Object;
            ++m_pos;
            Skip();
            if (m_pos < m_s.size() && m_s[m_pos] == '}') return ++m_pos, true;
            for (;;) {
                Skip();
                std::string key;
                if (!String(key)) return false;
                Skip();
                if (m_pos >= m_s.size() || m_s[m_pos] != ':') return Fail("expected ':'");
                ++m_pos;
                if (v.members.count(key)) return Fail("duplicate key");
                if (!Value(v.members[key])) return false;
                Skip();
                if (m_pos < m_s.size() && m_s[m_pos] == ',') {
                    ++m_pos;
                    continue;
                }
                if (m_pos < m_s.size() && m_s[m_pos] == '}') return ++m_pos, true;
                return Fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            v.type = Json::Type::Array;
            ++m_pos;
            Skip();
            if (m_pos < m_s.size() && m_s[m_pos] == ']') return ++m_pos, true;
            for (;;) {
                v.items.emplace_back();
                if (!Value(v.items.back())) return false;
                Skip();
                if (m_pos < m_s.size() && m_s[m_pos] == ',') {
                    ++m_pos;
                    continue;
                }
                if (m_pos < m_s.size() && m_s[m_pos] == ']') return ++m_pos, true;
                return Fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            v.type = Json::Type::String;
            return String(v.text);
        }
        if (c == 't') return v.type = Json::Type::Bool, v.boolean = true, Literal("true");
        if (c == 'f') return v.type = Json::Type::Bool, Literal("false");
        if (c == 'n') return v.type = Json::Type::Null, Literal("null");
        // Numbers, checked against the JSON grammar (no leading '+', no "nan").
        const std::size_t start = m_pos;
        if (m_s[m_pos] == '-') ++m_pos;
        if (m_pos >= m_s.size() || !std::isdigit(static_cast<unsigned char>(m_s[m_pos]))) return Fail("bad number");
        while (m_pos < m_s.size() && (std::isdigit(static_cast<unsigned char>(m_s[m_pos])) || m_s[m_pos] == '.' ||
                                      m_s[m_pos] == 'e' || m_s[m_pos] == 'E' || m_s[m_pos] == '+' || m_s[m_pos] == '-'))
            ++m_pos;
        v.type = Json::Type::Number;
        v.text = m_s.substr(start, m_pos - start);
        char* end = nullptr;
        v.number = std::strtod(v.text.c_str(), &end);
        if (end != v.text.c_str() + v.text.size()) return Fail("bad number");
        return true;
    }

    const std::string& m_s;
    std::size_t m_pos = 0;
    std::string m_error;
};

const Json kMissing{};

}  // namespace

std::optional<Json> Json::Parse(const std::string& text, std::string& error) {
    Json j;
    if (!Parser(text).Document(j, error)) return std::nullopt;
    return j;
}

const Json& Json::operator[](const std::string& key) const {
    const auto it = members.find(key);
    return it == members.end() ? kMissing : it->second;
}

const Json& Json::operator[](std::size_t index) const { return index < items.size() ? items[index] : kMissing; }

bool Json::operator==(const Json& o) const {
    return type == o.type && boolean == o.boolean && (type != Type::Number || number == o.number) &&
           (type != Type::String || text == o.text) && items == o.items && members == o.members;
}

}  // namespace kv::test
