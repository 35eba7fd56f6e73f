#pragma once
// Equaliser filters as measurement programs export them, one line a filter:
//   Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.41
// with PK, LS / LSC, HS / HSC (with Q, or a slope in dB), LP / HP and OFF bands. Reading is
// all or nothing: a file that does not fit the equaliser is refused with the line at fault.
// What is read otherwise than written, or skipped, is told in a note naming its line.

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
    std::string error;                 // empty when the file was taken
    std::vector<std::string> notes;    // what was taken otherwise than written, or not taken, by line
    std::vector<std::string> notesZh;  // the same notes in Chinese, one for one
};

// How filter values are written: exactly (reading back gives the same single-precision
// value), or at the box's resolution (whole hertz, tenths of a dB, thousandths of Q) as
// measurement programs write them.
enum class FilterDigits { Exact, Box };

// Reads the filters of a file's text for an equaliser of `bands` bands. A decimal comma is
// read as a point; Fc below 20 Hz is taken as 20 Hz; a preamp line, which the equaliser
// cannot follow, and other lines that are not filters are skipped; each with a note.
FilterFile ReadFilters(const std::string& text, int bands);
// The bands as filter lines.
std::string WriteFilters(const std::vector<FilterBand>& bands, FilterDigits digits = FilterDigits::Exact);

}  // namespace kv::eq
