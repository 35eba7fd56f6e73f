#pragma once
// Values people type, into a page's box, a list cell or the command line, read one way: the
// number in the unit the control shows, in the forms people write ("1k", "1.2kHz", "-3dB",
// "+3", "2,5", "4:1", "12ms", "2.5m", "50%", any case of the unit, spaces around), or a
// choice's name. Anything else is refused with a reason, never read as 0.

#include <optional>
#include <string>
#include <string_view>

#include "device/SettingTable.h"

namespace kv {

enum class TypedReason {
    None,
    NotANumber,       // no digits where the number should be ("abc", "", "nan")
    UnitExpected,     // something after the number that is not the control's unit
    NoUnitExpected,   // something after a number that has no unit
    OutOfRange,       // only when reading exactly
    TooManyDecimals,  // only when reading exactly
    OffTheStep,       // only when reading exactly
    NotAChoice,       // a switch's or a choice's name was expected
};

struct TypedRefusal {
    TypedReason reason = TypedReason::None;
    // What the reason names, as the control shows it: the unit, the range, the decimals,
    // the step or the choices.
    std::string detail;
};

enum class TypedMode {
    // An edit box or a list cell: a value out of range is clamped and one off the step is
    // rounded to it, as the control shows values.
    Box,
    // The command line: a value is one of the setting's values as they stand, or refused.
    Exact,
};

struct TypedValue {
    std::optional<double> value;  // what is applied
    double typed = 0;             // the number as it was typed (after "k"), before clamping
    bool clamped = false;         // the typed number lay outside the range
    TypedRefusal refusal;
    explicit operator bool() const { return value.has_value(); }
};

TypedValue ReadTyped(const Setting& s, std::string_view text, TypedMode mode);

// The reason as a short text: English for the command line and the English interface,
// Chinese (UTF-8) for the Chinese one.
enum class TypedLanguage { Chinese, English };
std::string RefusalText(const TypedRefusal& refusal, TypedLanguage language = TypedLanguage::English);

}  // namespace kv
