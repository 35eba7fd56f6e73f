#pragma once

#include <cmath>
#include <span>

#include "eq/BandRecord.h"

namespace kv::eq {

// Normalised second-order section, a0 = 1:
// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};  // normalised, a0 = 1

// Section codes the box knows. Even codes from 2 are low-pass, odd from 3 high-pass.
inline constexpr int kCodeOff = 0;
inline constexpr int kCodePeaking = 1;
inline constexpr int kCodeLowPass = 2;
inline constexpr int kCodeHighPass = 3;
inline constexpr int kCodeLowShelf = 4;
inline constexpr int kCodeHighShelf = 5;
inline constexpr int kCodeChebyshevLowPass = 6;
inline constexpr int kCodeChebyshevHighPass = 7;
inline constexpr int kCodeBesselLowPass = 8;
inline constexpr int kCodeFirstOrderLowPass = 10;
inline constexpr int kCodeFirstOrderHighPass = 11;
inline constexpr int kCodeButterworthLowPass = 12;
inline constexpr int kCodeLastFixed = 21;  // 22 and above (and negative) are all-pass

// The section kinds whose gain the user sets: peaking and the two shelves.
inline constexpr bool TakesGain(int code) {
    return code == kCodePeaking || code == kCodeLowShelf || code == kCodeHighShelf;
}

// The band descriptor keeps whole hertz, cut rather than rounded: what a panel shows of a
// band's frequency is what the box holds (a band dragged to 1516.7 Hz is 1516 Hz there).
inline double HeldFrequency(double hz) { return hz > 0 ? std::trunc(hz) : 0.0; }

// The box processes at this rate; every caller designs at it.
inline constexpr double kSampleRate = 48000.0;

// Axis limits of the large panel; the response grid spans them.
inline constexpr double kGridMinFrequency = 18.0;
inline constexpr double kGridMaxFrequency = 23000.0;

// Q below this would make the section non-finite.
inline constexpr double kMinDesignQ = 0.1;
// Gains (and output gains) are designed within this many dB either way: a band descriptor's
// gain code reaches 6538 dB, whose linear gain overflows and would send a band that mutes
// the output. No control offers more than 15 dB.
inline constexpr double kMaxDesignGainDb = 60.0;

Biquad DesignSection(int code, double gainDb, double freqHz, double q, double outputGainDb = 0.0,
                     double sampleRate = kSampleRate);

// Magnitude of a section in dB at one frequency.
double MagnitudeDb(const Biquad& section, double freqHz, double sampleRate = kSampleRate);

// True for the low-pass and high-pass codes 2..21 (the panel shades them down to the floor).
bool IsPassFilterCode(int code);

// Grid point k of a plot W pixels wide; single precision like the plot itself.
float GridFrequency(int k, float plotWidth);

// Grid index a peaking band's gain is pinned to, or -1 when outside the grid.
int PinnedIndex(double freqHz, float plotWidth);

// Recomputes band.response from code, frequency, gain and Q. A band that is off
// keeps its previous response.
void EvaluateBand(BandRecord& band, float plotWidth);

// Pointwise sum of the responses of every band that is not off.
void SumResponses(std::span<const BandRecord> bands, std::span<float, kGridPoints> sum);

}  // namespace kv::eq
