#pragma once
// The bands an equaliser panel starts with for its band count, before the stored ones are put
// in: a band stored without a frequency or Q keeps these, on the page and in the command line.

#include <span>

#include "eq/BandRecord.h"

namespace kv::eq {

// Sets frequency, code and Q of every band for a panel of bands.size() bands and clears the
// gains; counts the panels do not know leave frequency, code and Q as they are.
void FillDefaultBands(std::span<BandRecord> bands);

}  // namespace kv::eq
