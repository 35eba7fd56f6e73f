#pragma once
// The complex response of the box's sections: value and derivative along the unit circle, so
// that cascades, sums and pure delays compose exactly and group delay needs no differencing.

#include <complex>
#include <span>
#include <vector>

#include "eq/BandRecord.h"
#include "eq/EqMath.h"

namespace kv::eq {

// H(e^jw) and dH/dw (w in radians per sample) at one frequency.
struct ComplexPoint {
    std::complex<double> h{1.0, 0.0};
    std::complex<double> dh{0.0, 0.0};
};

ComplexPoint SectionAt(const Biquad& section, double freqHz, double sampleRate = kSampleRate);
// Sections in series: the product (and its derivative by the product rule).
ComplexPoint Cascade(const ComplexPoint& a, const ComplexPoint& b);
// Two paths summed acoustically or electrically.
ComplexPoint Sum(const ComplexPoint& a, const ComplexPoint& b);
// A path delayed by a pure delay.
ComplexPoint Delayed(const ComplexPoint& p, double freqHz, double delaySeconds, double sampleRate = kSampleRate);

double MagnitudeDbOf(const ComplexPoint& p);
// Phase in degrees, wrapped to -180..180.
double PhaseDegOf(const ComplexPoint& p);
// Group delay in milliseconds; 0 where the response is zero (the phase is undefined there).
double GroupDelayMsOf(const ComplexPoint& p, double sampleRate = kSampleRate);

// The sections an equaliser's bands design to, in band order; off bands give none. With
// crossoverStages the bands after the crossover rows are their rows' hidden stages and are
// designed at their row's frequency and Q with no gain, as the box runs them.
std::vector<Biquad> EqualiserSections(std::span<const BandRecord> bands, bool crossoverStages);

// The whole cascade at one frequency.
ComplexPoint ChainAt(std::span<const Biquad> sections, double freqHz, double sampleRate = kSampleRate);

struct ResponseRow {
    double frequencyHz;
    double magnitudeDb;
    double phaseDeg;
    double groupDelayMs;
};

ResponseRow RowOf(const ComplexPoint& p, double freqHz);

// n frequencies spaced evenly on a logarithmic axis from..to, both ends included.
std::vector<double> LogFrequencies(int n, double fromHz, double toHz);

}  // namespace kv::eq
