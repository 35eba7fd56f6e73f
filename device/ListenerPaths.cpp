#include "device/ListenerPaths.h"

#include <string>

#include "device/DelayAlignment.h"
#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/SettingTable.h"

namespace kv {

namespace {

constexpr std::size_t kMainLeft = 0;  // rows of a proposal, in the speaker page's order
constexpr std::size_t kSub = 4;
constexpr double kWholeChannel = 1.0;  // index of "whole" among the mode's choices

// Seconds from the signal to the listener through one speaker: its distance as the alignment
// measures it, and its delay while that is on and delays the whole channel.
double Arrival(const DeviceContext& dev, const DelayProposal& p, std::size_t row) {
    const AlignmentRow& r = p.rows[row];
    const Setting* mode = FindSetting(r.delayAddress + ".mode");
    const bool counts = r.delayOn && mode && mode->read(dev) == kWholeChannel;
    return (counts ? r.delayNowMs / 1000.0 : 0.0) + r.distanceM / p.speedOfSound;
}

}  // namespace

eq::ListenerPath MainBesideSub(const DeviceContext& dev, double temperatureC) {
    const DelayProposal p = ProposeDelays(dev, temperatureC);
    eq::ListenerPath main;
    main.sections = eq::EqualiserSections(LoadEqBands(dev.encoders, EqId::Main), false);
    main.delaySeconds = Arrival(dev, p, kMainLeft) - Arrival(dev, p, kSub);
    return main;
}

}  // namespace kv
