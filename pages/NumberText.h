#pragma once
// Numbers typed into edit boxes and list cells: the leading number of the text counts and
// the rest ("dB", "Hz") is ignored; a text without one reads 0.

#include <QString>

namespace kv {

double LeadingNumber(const QString& text);

// A stored value as a control's position: rounded, kept within ±1e6, and 0 for a value that
// is not a number (a box or a file may have left anything in the store).
int RoundedPosition(double v);

}  // namespace kv
