#include "device/TypedValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/AsciiCase.h"

namespace kv {

namespace {

constexpr double kKilo = 1000.0;
constexpr double kHuge = 1e300;  // a number too long for a double: out of every range

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view t) {
    while (!t.empty() && IsSpace(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsSpace(t.back())) t.remove_suffix(1);
    return t;
}

TypedValue Refused(TypedReason reason, std::string detail, double typed = 0) {
    TypedValue r;
    r.typed = typed;
    r.refusal = {reason, std::move(detail)};
    return r;
}

std::string RangeText(const Setting& s) { return FormatSetting(s, s.minimum) + ".." + FormatSetting(s, s.maximum); }

TypedValue ReadChoice(const Setting& s, std::string_view text) {
    // The last of equal names wins: "off" of the shifter is setting 1, not 0.
    const int first = static_cast<int>(std::lround(s.minimum));
    for (int i = static_cast<int>(s.choices.size()) - 1; i >= first; --i)
        if (EqualsIgnoringCase(text, s.choices[static_cast<std::size_t>(i)])) {
            TypedValue r;
            r.value = i;
            r.typed = i;
            return r;
        }
    return Refused(TypedReason::NotAChoice, SettingRange(s));
}

}  // namespace

TypedValue ReadTyped(const Setting& s, std::string_view text, TypedMode mode) {
    text = Trim(text);
    if (s.unit == SettingUnit::Switch || s.unit == SettingUnit::Choice) return ReadChoice(s, text);

    // The number: a sign, digits, one decimal mark (a point or a comma), digits. No
    // exponents, no hexadecimal, no "nan" or "inf": they are typos in a box of hertz.
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    int digits = 0;
    while (i < text.size() && IsDigit(text[i])) number += text[i++], ++digits;
    int decimals = 0;
    if (i < text.size() && (text[i] == '.' || text[i] == ',') &&
        (digits > 0 || (i + 1 < text.size() && IsDigit(text[i + 1])))) {
        ++i;
        if (digits == 0) number += '0';
        std::string fraction;
        while (i < text.size() && IsDigit(text[i])) fraction += text[i++], ++decimals;
        if (decimals > 0) number += '.' + fraction;
    }
    if (digits + decimals == 0) return Refused(TypedReason::NotANumber, {});

    std::string_view rest = Trim(text.substr(i));
    double scale = 1.0;
    // Kilohertz as people write them: "1k", "1.2kHz".
    if (s.unit == SettingUnit::Hertz && !rest.empty() && (rest.front() == 'k' || rest.front() == 'K')) {
        scale = kKilo;
        rest.remove_prefix(1);
        decimals = std::max(0, decimals - 3);
    }
    const std::string_view unit = UnitSuffix(s.unit);
    if (!rest.empty() && !EqualsIgnoringCase(rest, unit)) {
        if (unit.empty()) return Refused(TypedReason::NoUnitExpected, {});
        return Refused(TypedReason::UnitExpected, std::string(unit));
    }

    double v = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = number.front() == '-' ? -kHuge : kHuge;
    else if (ec != std::errc() || end != number.data() + number.size())
        return Refused(TypedReason::NotANumber, {});
    v *= scale;

    TypedValue r;
    r.typed = v;
    const double eps = 1e-9 * std::max(1.0, std::fabs(v));
    if (v < s.minimum - eps || v > s.maximum + eps) {
        if (mode == TypedMode::Exact) return Refused(TypedReason::OutOfRange, RangeText(s), v);
        r.clamped = true;
        v = std::clamp(v, s.minimum, s.maximum);
    }
    // Steps to a millionth first, so that 3.55 ms is 20.5 steps of 0.1 above 1.5 ms, not 20.4999.
    const double steps = std::round((v - s.minimum) / s.step * 1e6) / 1e6;
    if (mode == TypedMode::Exact) {
        if (decimals > s.decimals) return Refused(TypedReason::TooManyDecimals, std::to_string(s.decimals), v);
        if (std::fabs(steps - std::round(steps)) > 1e-6)
            return Refused(TypedReason::OffTheStep, FormatSetting(s, s.step), v);
    } else {
        // As the control shows it: on the step, to the shown decimals.
        const double scaleDecimals = std::pow(10.0, s.decimals);
        v = std::round((s.minimum + std::round(steps) * s.step) * scaleDecimals) / scaleDecimals;
        v = std::clamp(v, s.minimum, s.maximum);
        if (v == 0) v = 0;  // no -0 for a box to show
    }
    r.value = v;
    return r;
}

std::string RefusalText(const TypedRefusal& refusal, TypedLanguage language) {
    const bool en = language == TypedLanguage::English;
    const std::string& d = refusal.detail;
    switch (refusal.reason) {
        case TypedReason::None:
            return {};
        case TypedReason::NotANumber:
            return en ? "not a number" : "不是数字";
        case TypedReason::UnitExpected:
            return en ? "unit " + d + " expected" : "单位应为 " + d;
        case TypedReason::NoUnitExpected:
            return en ? "a number without a unit expected" : "应为不带单位的数字";
        case TypedReason::OutOfRange:
            return en ? "out of range " + d : "超出范围 " + d;
        case TypedReason::TooManyDecimals:
            if (d == "0") return en ? "a whole number expected" : "应为整数";
            return en ? "at most " + d + " decimals" : "最多 " + d + " 位小数";
        case TypedReason::OffTheStep:
            return en ? "not in steps of " + d : "步长应为 " + d;
        case TypedReason::NotAChoice:
            return en ? d + " expected" : "应为 " + d;
    }
    return {};
}

}  // namespace kv
