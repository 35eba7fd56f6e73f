#include "device/DelayAlignment.h"

#include "device/DeviceContext.h"
#include "device/SettingTable.h"

namespace kv {
namespace {

const Setting& DelaySetting(const std::string& address) {
    // The table always holds the eight delay channels.
    return *FindSetting(address);
}

}  // namespace

DelayProposal ProposeDelays(const DeviceContext& dev, double temperatureC) {
    const Setting& first = DelaySetting(std::string("delay.") + kAlignedSpeakerNames[0]);
    const eq::DelayLimits limits{first.minimum, first.maximum, first.step};
    const eq::Position listener{dev.store.Float(PositionXField(0)), dev.store.Float(PositionYField(0))};
    std::array<eq::Position, eq::kAlignedSpeakers> speakers{};
    for (int k = 0; k < eq::kAlignedSpeakers; ++k)
        speakers[static_cast<std::size_t>(k)] = {dev.store.Float(PositionXField(k + 1)),
                                                 dev.store.Float(PositionYField(k + 1))};
    const eq::AlignmentResult aligned = eq::AlignDelays(listener, speakers, limits, temperatureC);

    DelayProposal p;
    p.speedOfSound = aligned.speedOfSound;
    p.temperatureC = temperatureC;
    for (std::size_t k = 0; k < p.rows.size(); ++k) {
        AlignmentRow& row = p.rows[k];
        row.speaker = kAlignedSpeakerNames[k];
        row.delayAddress = "delay." + row.speaker;
        row.distanceM = aligned.speakers[k].distanceM;
        row.delayNowMs = DelaySetting(row.delayAddress).read(dev);
        row.delayOn = DelaySetting(row.delayAddress + ".on").read(dev) != 0;
        row.proposedMs = aligned.speakers[k].delayMs;
        row.clamped = aligned.speakers[k].clamped;
    }
    return p;
}

void ApplyProposal(DeviceContext& dev, const DelayProposal& proposal) {
    for (const AlignmentRow& row : proposal.rows) {
        DelaySetting(row.delayAddress).apply(dev, row.proposedMs);
        const Setting& on = DelaySetting(row.delayAddress + ".on");
        if (on.read(dev) == 0) on.apply(dev, 1);
    }
}

}  // namespace kv
