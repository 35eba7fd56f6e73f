#pragma once
// Equaliser filters as measurement programs export them, one line a filter:
//   Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.41
// with PK, LS / LSC, HS / HSC (with Q, or a slope in dB), LP / HP and OFF bands. Reading is
// all or nothing: a file that does not fit the equaliser is refused with the line at fault.

#include <string>
#include <vector>

namespace kv::eq {

struct FilterBand {
    int code = 0;  // section code: 0 off, 1 PK, 2 LP, 3 HP, 4 LS, 5 HS
    double frequency = 1000.0;
    double gain = 0.0;
    double q = 0.707;
    bool hasValues = true;  // false for an off band written without Fc, gain and Q
};

struct FilterFile {
    std::vector<FilterBand> bands;
    std::string error;               // empty when the file was taken
    std::vector<std::string> notes;  // filters taken only as closely as a section allows
};

// Reads the filters of a file's text for an equaliser of `bands` bands. Lines that are not
// filters (headers, comments) are skipped.
FilterFile ReadFilters(const std::string& text, int bands);
// The bands as filter lines; reading them back gives the same values to the last bit.
std::string WriteFilters(const std::vector<FilterBand>& bands);

}  // namespace kv::eq
