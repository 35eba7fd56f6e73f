#pragma once
// Time alignment of the box's speakers from the positions it holds, applied through the delay
// settings so that the bytes are those of the delay page's own edits.

#include <array>
#include <string>

#include "eq/TimeAlignment.h"

namespace kv {

struct DeviceContext;

// Speaker k (1..8) of the speaker page, as the delay setting addresses name it.
inline constexpr std::array<const char*, eq::kAlignedSpeakers> kAlignedSpeakerNames = {
    "main.l", "center", "main.r", "rear.l", "sub", "rear.r", "top.l", "top.r"};

// The temperatures a proposal is computed for, in degrees Celsius.
inline constexpr double kMinAlignTemperatureC = -40.0;
inline constexpr double kMaxAlignTemperatureC = 60.0;

struct AlignmentRow {
    std::string speaker;  // "main.l" ...
    std::string delayAddress;
    double distanceM = 0.0;
    double delayNowMs = 0.0;
    bool delayOn = false;
    double proposedMs = 0.0;
    bool clamped = false;
};

struct DelayProposal {
    std::array<AlignmentRow, eq::kAlignedSpeakers> rows{};
    double speedOfSound = 0.0;
    double temperatureC = eq::kDefaultTemperatureC;
};

// The proposal from the positions and delays in the store.
DelayProposal ProposeDelays(const DeviceContext& dev, double temperatureC = eq::kDefaultTemperatureC);

// Each row's delay set and its delay switched on, through the setting table (a delay equal to
// the stored one and a switch already on send nothing).
void ApplyProposal(DeviceContext& dev, const DelayProposal& proposal);

}  // namespace kv
