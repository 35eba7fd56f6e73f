#pragma once
// Numbers typed into edit boxes and list cells: the leading number of the text counts and
// the rest ("dB", "Hz") is ignored; a text without one reads 0.

#include <QString>

#include "model/Rounding.h"

namespace kv {

double LeadingNumber(const QString& text);

}  // namespace kv
