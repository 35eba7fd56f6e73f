#pragma once
// SUB and MAIN as the listener hears them together: MAIN's equaliser and its arrival relative
// to SUB's, from the delays and the speaker positions the box holds. A delay counts while it
// is on and delays the whole channel; in the high-part mode the split lies far above the SUB
// crossover, so the part that meets SUB there is not delayed.

#include "eq/CrossoverSum.h"
#include "eq/TimeAlignment.h"

namespace kv {

struct DeviceContext;

// MAIN left's path, its delay the time it arrives after SUB (negative when before).
eq::ListenerPath MainBesideSub(const DeviceContext& dev, double temperatureC = eq::kDefaultTemperatureC);

}  // namespace kv
