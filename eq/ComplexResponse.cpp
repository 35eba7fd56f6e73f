#include "eq/ComplexResponse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "eq/Crossover.h"

namespace kv::eq {
namespace {

using Complex = std::complex<double>;

// Below this magnitude (-300 dB) the response counts as zero.
constexpr double kZeroMagnitude = 1e-15;

// A section at z^-1 and z^-2 of one frequency.
ComplexPoint SectionAtZ(const Biquad& s, Complex z1, Complex z2) {
    const Complex b = s.b0 + s.b1 * z1 + s.b2 * z2;
    const Complex a = 1.0 + s.a1 * z1 + s.a2 * z2;
    // d(z^-k)/dw = -jk z^-k
    const Complex j(0.0, 1.0);
    const Complex db = -j * (s.b1 * z1 + 2.0 * s.b2 * z2);
    const Complex da = -j * (s.a1 * z1 + 2.0 * s.a2 * z2);
    return ComplexPoint{b / a, (db * a - b * da) / (a * a)};
}

Complex ZInverse(double freqHz, double sampleRate) {
    return std::polar(1.0, -2.0 * std::numbers::pi * freqHz / sampleRate);
}

}  // namespace

ComplexPoint SectionAt(const Biquad& s, double freqHz, double sampleRate) {
    const Complex z1 = ZInverse(freqHz, sampleRate);
    return SectionAtZ(s, z1, z1 * z1);
}

ComplexPoint Cascade(const ComplexPoint& a, const ComplexPoint& b) { return {a.h * b.h, a.dh * b.h + a.h * b.dh}; }

ComplexPoint Sum(const ComplexPoint& a, const ComplexPoint& b) { return {a.h + b.h, a.dh + b.dh}; }

ComplexPoint Delayed(const ComplexPoint& p, double freqHz, double delaySeconds, double sampleRate) {
    const double w = 2.0 * std::numbers::pi * freqHz / sampleRate;
    const double samples = delaySeconds * sampleRate;
    const Complex e = std::polar(1.0, -w * samples);
    const Complex j(0.0, 1.0);
    return {p.h * e, (p.dh - j * samples * p.h) * e};
}

double MagnitudeDbOf(const ComplexPoint& p) { return 20.0 * std::log10(std::max(std::abs(p.h), kZeroMagnitude)); }

double PhaseDegOf(const ComplexPoint& p) {
    if (std::abs(p.h) < kZeroMagnitude) return 0.0;
    return std::arg(p.h) * 180.0 / std::numbers::pi;
}

double GroupDelayMsOf(const ComplexPoint& p, double sampleRate) {
    if (std::abs(p.h) < kZeroMagnitude) return 0.0;
    // tau = -d(phase)/dw = -Im(H'/H), in samples.
    return -(p.dh / p.h).imag() / sampleRate * 1000.0;
}

std::vector<Biquad> EqualiserSections(std::span<const BandRecord> bands, bool crossoverStages) {
    std::vector<Biquad> sections;
    sections.reserve(bands.size());
    const bool stages = crossoverStages && bands.size() >= static_cast<std::size_t>(kCrossoverBands);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const BandRecord& band = bands[i];
        if (band.code == kCodeOff) continue;
        const int index = static_cast<int>(i);
        if (stages && index >= kFirstStageBand && index < kCrossoverBands) {
            const BandRecord& row = bands[static_cast<std::size_t>((index - kFirstStageBand) / kStagesPerRow)];
            sections.push_back(DesignSection(band.code, 0.0, row.frequency, row.q));
            continue;
        }
        sections.push_back(DesignSection(band.code, band.gain, band.frequency, band.q));
    }
    return sections;
}

ComplexPoint ChainAt(std::span<const Biquad> sections, double freqHz, double sampleRate) {
    // The powers of z^-1 once for every section, cascaded.
    const Complex z1 = ZInverse(freqHz, sampleRate);
    const Complex z2 = z1 * z1;
    ComplexPoint p;
    for (const Biquad& s : sections) p = Cascade(p, SectionAtZ(s, z1, z2));
    return p;
}

ResponseRow RowOf(const ComplexPoint& p, double freqHz) {
    return ResponseRow{freqHz, MagnitudeDbOf(p), PhaseDegOf(p), GroupDelayMsOf(p)};
}

std::vector<double> LogFrequencies(int n, double fromHz, double toHz) {
    std::vector<double> f;
    if (n <= 0) return f;
    f.reserve(static_cast<std::size_t>(n));
    if (n == 1) return {fromHz};
    const double ratio = std::log(toHz / fromHz);
    for (int i = 0; i < n; ++i) f.push_back(fromHz * std::exp(ratio * i / (n - 1)));
    f.back() = toHz;
    return f;
}

}  // namespace kv::eq
