#include "eq/FilterText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kv::eq {

namespace {

constexpr double kMinHz = 20.0, kMaxHz = 20000.0;
constexpr double kMinGain = -15.0, kMaxGain = 15.0;
constexpr double kMinQ = 0.1, kMaxPeakingQ = 30.0, kMaxOtherQ = 2.0;
constexpr double kButterworthQ = 0.707;

struct Kind {
    const char* name;
    int code;
    bool gain;
};
constexpr Kind kKinds[] = {{"PK", 1, true},   {"PEQ", 1, true}, {"LP", 2, false}, {"LPQ", 2, false}, {"HP", 3, false},
                           {"HPQ", 3, false}, {"LS", 4, true},  {"LSC", 4, true}, {"HS", 5, true},   {"HSC", 5, true}};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string At(int line) { return "line " + std::to_string(line) + ": "; }

// Q of a shelf whose slope is given in dB per octave (12 dB is a slope of 1).
double ShelfQ(double slopeDb, double gainDb) {
    const double s = slopeDb / 12.0;
    const double a = std::pow(10.0, gainDb / 40.0);
    const double v = (a + 1.0 / a) * (1.0 / s - 1.0) + 2.0;
    return v > 0 ? 1.0 / std::sqrt(v) : kMaxOtherQ;
}

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string Fixed(double v, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string text = buf;
    // "-0.0" is a zero as any other.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

// A number as the tools write it, with a decimal point or a decimal comma ("-3,5").
bool ParseNumber(std::string value, double& v) {
    if (value.find(',') != std::string::npos && value.find('.') == std::string::npos &&
        value.find(',') == value.rfind(','))
        value[value.find(',')] = '.';
    char* end = nullptr;
    v = std::strtod(value.c_str(), &end);
    return end != value.c_str() && *end == '\0' && std::isfinite(v);
}

// "1,000" may be a thousand with a separator or one with a decimal comma.
bool AmbiguousComma(const std::string& value) {
    const auto comma = value.find(',');
    return comma != std::string::npos && comma > 0 && value.size() - comma - 1 == 3 &&
           value.find_first_not_of("0123456789", comma + 1) == std::string::npos;
}

bool IsComment(const std::string& word) {
    return word[0] == '#' || word[0] == ';' || word[0] == '*' || word.rfind("//", 0) == 0;
}

std::string LineList(const std::vector<int>& lines) {
    std::string text;
    for (int n : lines) text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

}  // namespace

FilterFile ReadFilters(const std::string& text, int bands) {
    FilterFile out;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&out](const std::string& why) {
        out.bands.clear();
        out.notes.clear();
        out.notesZh.clear();
        out.error = why;
        return out;
    };
    auto note = [&out, &lineNo](const std::string& en, const std::string& zh) {
        out.notes.push_back(At(lineNo) + en);
        out.notesZh.push_back("第 " + std::to_string(lineNo) + " 行：" + zh);
    };
    std::vector<int> skipped;
    while (std::getline(in, raw)) {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::istringstream line(raw);
        std::string word;
        if (!(line >> word) || IsComment(word)) continue;
        const std::string head = Upper(word);
        if (head.rfind("PREAMP", 0) == 0) {
            // The equaliser has no gain of its own: what the file lowers there, the user
            // lowers on the channel's level.
            std::string value = head == "PREAMP" || head == "PREAMP:" ? "" : word.substr(word.find(':') + 1);
            if (value.empty() && !(line >> value)) value.clear();
            if (value == ":") line >> value;
            double db = 0.0;
            if (!ParseNumber(value, db)) {
                note("a preamp line the equaliser cannot follow (it has no preamp), skipped",
                     "均衡器没有前级增益（Preamp），此行未应用");
            } else if (std::fabs(db) < 0.05) {
                note("Preamp 0 dB, nothing to apply (the equaliser has no preamp)", "前级增益为 0 dB，无需应用");
            } else {
                const std::string amount = Fixed(std::fabs(db), 1);
                const bool lower = db < 0;
                note("the equaliser has no preamp: the file's Preamp " + Fixed(db, 1) + " dB is not applied; " +
                         (lower ? "lower" : "raise") + " the channel's volume by " + amount + " dB instead",
                     "均衡器没有前级增益：文件的 Preamp " + Fixed(db, 1) + " dB 未应用，请把该通道的音量" +
                         (lower ? "降低 " : "提高 ") + amount + " dB");
            }
            continue;
        }
        if (head != "FILTER" && head != "FILTER:") {
            skipped.push_back(lineNo);
            continue;
        }
        // "Filter 3:" or "Filter 3 :" then ON/OFF; some tools write "Filter:" alone.
        if (head == "FILTER") {
            std::string number;
            line >> number;
            // A heading such as "Filter Settings file" has no number after the word.
            if (number.empty() || !std::isdigit(static_cast<unsigned char>(number[0]))) {
                if (Upper(raw.substr(raw.find_first_not_of(" \t"))) != "FILTER SETTINGS FILE")
                    skipped.push_back(lineNo);
                continue;
            }
            if (number.back() != ':') line >> word;
        }
        std::string state;
        if (!(line >> state)) return fail(At(lineNo) + "a filter without ON or OFF");
        if (static_cast<int>(out.bands.size()) >= bands)
            return fail(At(lineNo) + "more filters than the equaliser's " + std::to_string(bands) + " bands");
        state = Upper(state);
        if (state != "ON" && state != "OFF") return fail(At(lineNo) + "\"" + state + "\" is neither ON nor OFF");
        std::string type;
        line >> type;
        type = Upper(type);
        // An off band may still carry its values (as this program writes them); its type is
        // then of no account.
        const bool off = state == "OFF" || type == "NONE" || type.empty();
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds)
            if (type == k.name) kind = &k;
        if (!kind && !off) return fail(At(lineNo) + "filter type \"" + type + "\" is not one the box has");
        static constexpr Kind kOff{"OFF", 0, true};
        if (off) kind = &kOff;
        FilterBand band;
        band.code = kind->code;
        bool haveQ = false, haveFc = false;
        double slope = 0.0;
        // Keyword, value, unit in any order the tools write them.
        std::string key;
        while (line >> key) {
            const std::string k = Upper(key);
            double v = 0.0;
            if (k == "FC" || k == "GAIN" || k == "Q" || k == "BW") {
                std::string value;
                if (!(line >> value)) return fail(At(lineNo) + key + " without a value");
                if (k == "FC" && AmbiguousComma(value))
                    return fail(At(lineNo) + "Fc \"" + value +
                                "\" may be a thousand or a decimal; write it without the comma");
                if (!ParseNumber(value, v)) return fail(At(lineNo) + "\"" + value + "\" is not a number");
            }
            if (k == "FC") {
                band.frequency = v, haveFc = true;
            } else if (k == "GAIN") {
                band.gain = v;
            } else if (k == "Q") {
                band.q = v, haveQ = true;
            } else if (k == "BW") {
                return fail(At(lineNo) + "a bandwidth instead of Q is not supported; export with Q");
            } else if (k.size() > 2 && k.substr(k.size() - 2) == "DB" &&
                       std::isdigit(static_cast<unsigned char>(k[0]))) {
                slope = std::strtod(k.c_str(), nullptr);  // "12dB" after a shelf's type
            }
        }
        if (off && !haveFc) {
            band.hasValues = false;
            out.bands.push_back(band);
            continue;
        }
        if (!haveFc) return fail(At(lineNo) + "a filter without Fc");
        if (band.frequency > 0.0 && band.frequency < kMinHz) {
            note("Fc " + Number(band.frequency) + " Hz is below the box's lowest, taken as 20 Hz",
                 "Fc " + Number(band.frequency) + " Hz 低于机器的最低值，按 20 Hz 设置");
            band.frequency = kMinHz;
        }
        if (band.frequency < kMinHz || band.frequency > kMaxHz)
            return fail(At(lineNo) + "Fc " + Number(band.frequency) + " Hz is outside 20..20000 Hz");
        if (!kind->gain) band.gain = 0.0;
        if (band.gain < kMinGain || band.gain > kMaxGain)
            return fail(At(lineNo) + "gain " + Number(band.gain) + " dB is outside -15..+15 dB");
        if (!haveQ && !off) {
            const bool shelf = band.code == 4 || band.code == 5;
            band.q = shelf && slope > 0 ? ShelfQ(slope, band.gain) : kButterworthQ;
            if (shelf) {
                const std::string q = Number(std::round(band.q * 1000) / 1000);
                note(std::string(slope > 0 ? "shelf given by its slope" : "shelf without Q") + ", taken as Q " + q,
                     std::string(slope > 0 ? "搁架滤波器按斜率给出" : "搁架滤波器没有 Q") + "，按 Q " + q + " 设置");
            }
        }
        const double maxQ = band.code <= 1 ? kMaxPeakingQ : kMaxOtherQ;
        if (band.q < kMinQ || band.q > maxQ)
            return fail(At(lineNo) + "Q " + Number(band.q) + " is outside 0.1.." + Number(maxQ));
        out.bands.push_back(band);
    }
    if (out.bands.empty()) return fail("no filter lines (\"Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.41\")");
    if (!skipped.empty()) {
        const bool one = skipped.size() == 1;
        out.notes.push_back(std::string(one ? "line " : "lines ") + LineList(skipped) +
                            (one ? ": not a filter line, skipped" : ": not filter lines, skipped"));
        out.notesZh.push_back("第 " + LineList(skipped) + " 行：不是滤波器行，已略过");
    }
    return out;
}

std::string WriteFilters(const std::vector<FilterBand>& bands, FilterDigits digits) {
    const bool box = digits == FilterDigits::Box;
    auto hz = [box](double v) { return box ? Fixed(std::trunc(v), 0) : Number(v); };
    auto gain = [box](double v) { return box ? Fixed(v, 1) : Number(v); };
    auto q = [box](double v) { return box ? Fixed(v, 3) : Number(v); };
    static const char* const kNames[] = {"", "PK", "LP", "HP", "LS", "HS"};
    std::string out = "Filter Settings file\n\n";
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const FilterBand& b = bands[i];
        out += "Filter " + std::to_string(i + 1) + ": ";
        // An off band keeps its values, so that another box gets the same bytes.
        const bool on = b.code >= 1 && b.code <= 5;
        out += std::string(on ? "ON " : "OFF ") + (on ? kNames[b.code] : "None") + " Fc " + hz(b.frequency) + " Hz";
        if (b.code != 2 && b.code != 3) out += " Gain " + gain(b.gain) + " dB";
        out += " Q " + q(b.q) + "\n";
    }
    return out;
}

}  // namespace kv::eq
