#include "eq/EqMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "eq/ResponseGrid.h"

namespace kv::eq {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kChebyshevTheta = 2.356194490192345;  // 3*pi/4

// Not a number designs as 0 dB.
double DesignGain(double db) { return std::isnan(db) ? 0.0 : std::clamp(db, -kMaxDesignGainDb, kMaxDesignGainDb); }

bool IsAllPass(int code) { return code < 0 || code > kCodeLastFixed; }

// Fixed-Q sections express alpha through sin(w0) times a constant of their Q.
double FixedAlpha(int code, double s, double bandAlpha) {
    switch (code) {
        case 8:
        case 9:
            return s * std::sqrt(3.0) / 2.0;
        case 12:
        case 13:
            return s * std::sqrt(2.0) / 2.0;
        case 14:
        case 15:
            return s * std::sin(std::numbers::pi / 6.0);
        case 16:
        case 17:
            return s * std::sin(std::numbers::pi / 2.0);
        case 18:
        case 19:
            return s * std::sin(std::numbers::pi / 8.0);
        case 20:
        case 21:
            return s * std::sin(3.0 * std::numbers::pi / 8.0);
        default:
            return bandAlpha;  // codes 2 and 3 use the band's Q
    }
}

Biquad Normalise(double a0, double a1, double a2, double b0, double b1, double b2) {
    return Biquad{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

// Lowest corner of a Chebyshev section: at 0 Hz the high-pass divides by zero (a band
// descriptor may hold 0 Hz).
constexpr double kMinChebyshevHz = 1.0;

// Closed form the box's Chebyshev sections were tuned with (0.1 dB ripple).
Biquad DesignChebyshev(bool highPass, double gainLinear, double freqHz, double sampleRate) {
    if (!(freqHz >= kMinChebyshevHz)) freqHz = kMinChebyshevHz;
    const double t0 = std::tan(std::numbers::pi * freqHz / sampleRate);
    const double t = highPass ? 1.0 / t0 : t0;
    const double eps = std::sqrt(std::pow(10.0, 0.01) - 1.0);
    const double sigma = std::sinh(0.5 * std::sqrt(std::log(1.0 / (eps * eps) + 1.0 + 1.0 / eps)));
    const double p = 2.0 * sigma * t * std::cos(kChebyshevTheta);
    const double u = (sigma * t) * (sigma * t);
    const double st = t * std::sin(kChebyshevTheta);
    const double v = st * st;
    const double w = 1.0 - p + u + v;
    const double m = std::sqrt(1.0 / (1.0 + eps * eps));
    const double k = gainLinear * m * (u + v) / w;
    const double a1 = 2.0 * (u + v - 1.0) / w;
    const double a2 = (1.0 + p + u + v) / w;
    if (highPass) return Biquad{k, -2.0 * k, k, -a1, a2};
    return Biquad{k, 2.0 * k, k, a1, a2};
}

}  // namespace

bool IsPassFilterCode(int code) { return code >= 2 && code <= kCodeLastFixed && code != 4 && code != 5; }

Biquad DesignSection(int code, double gainDb, double freqHz, double q, double outputGainDb, double sampleRate) {
    if (code == kCodeOff) return Biquad{};
    q = std::max(q, kMinDesignQ);
    gainDb = DesignGain(gainDb);
    outputGainDb = DesignGain(outputGainDb);

    const double w0 = kTwoPi * freqHz / sampleRate;
    const double c = std::cos(w0);
    const double s = std::sin(w0);
    const double alpha = s / (2.0 * q);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double g = std::pow(10.0, gainDb / 20.0);

    if (IsAllPass(code)) {
        const double j = std::pow(10.0, outputGainDb / 40.0);
        return Normalise(1 + alpha, -2 * c, 1 - alpha, j * (1 - alpha), -2 * c * j, j * (1 + alpha));
    }
    switch (code) {
        case kCodePeaking: {
            const double e = std::pow(10.0, outputGainDb / 20.0);
            return Normalise(1 + alpha / a, -2 * c, 1 - alpha / a, e * (1 + alpha * a), -2 * c * e,
                             e * (1 - alpha * a));
        }
        case kCodeLowShelf: {
            const double sh = std::sqrt(a) * s / q;
            return Normalise((a + 1) + (a - 1) * c + sh, -2 * ((a - 1) + (a + 1) * c), (a + 1) + (a - 1) * c - sh,
                             a * ((a + 1) - (a - 1) * c + sh), 2 * a * ((a - 1) - (a + 1) * c),
                             a * ((a + 1) - (a - 1) * c - sh));
        }
        case kCodeHighShelf: {
            const double sh = std::sqrt(a) * s / q;
            return Normalise((a + 1) - (a - 1) * c + sh, 2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - sh,
                             a * ((a + 1) + (a - 1) * c + sh), -2 * a * ((a - 1) + (a + 1) * c),
                             a * ((a + 1) + (a - 1) * c - sh));
        }
        case kCodeChebyshevLowPass:
        case kCodeChebyshevHighPass:
            return DesignChebyshev(code == kCodeChebyshevHighPass, g, freqHz, sampleRate);
        case kCodeFirstOrderLowPass:
        case kCodeFirstOrderHighPass: {
            const double d = 1 + c + s;
            const double a1 = (s - c - 1) / d;
            if (code == kCodeFirstOrderLowPass) return Biquad{g * s / d, g * s / d, 0, a1, 0};
            const double b0 = g * (1 + c) / d;
            return Biquad{b0, -b0, 0, a1, 0};
        }
        default:
            break;
    }
    const double al = FixedAlpha(code, s, alpha);
    if (code % 2 == 0) {
        return Normalise(1 + al, -2 * c, 1 - al, g * (1 - c) / 2, g * (1 - c), g * (1 - c) / 2);
    }
    return Normalise(1 + al, -2 * c, 1 - al, g * (1 + c) / 2, -g * (1 + c), g * (1 + c) / 2);
}

namespace {

constexpr double kPowerFloor = 1e-30;

// |H|^2 as polynomials in q^2 = sin^2(pi f / fs): numerator and denominator terms.
struct PowerTerms {
    double n0, n1, n2, d0, d1, d2;
    explicit PowerTerms(const Biquad& b)
        : n0((b.b0 + b.b1 + b.b2) * (b.b0 + b.b1 + b.b2)),
          n1(4.0 * (b.b0 * b.b1 + 4.0 * b.b0 * b.b2 + b.b1 * b.b2)),
          n2(16.0 * b.b0 * b.b2),
          d0((1.0 + b.a1 + b.a2) * (1.0 + b.a1 + b.a2)),
          d1(4.0 * (b.a1 + 4.0 * b.a2 + b.a1 * b.a2)),
          d2(16.0 * b.a2) {}
    double Db(double q2) const {
        // One logarithm of the ratio: the same value as the difference of two. Deep in
        // the stop band of a steep section the polynomials cancel to zero or a hair
        // below it; the floor (-300 dB) keeps the result finite.
        const double n = std::max(n0 - n1 * q2 + n2 * q2 * q2, kPowerFloor);
        const double d = std::max(d0 - d1 * q2 + d2 * q2 * q2, kPowerFloor);
        return 10.0 * std::log10(n / d);
    }
};

}  // namespace

double MagnitudeDb(const Biquad& section, double freqHz, double sampleRate) {
    const double s = std::sin(std::numbers::pi * freqHz / sampleRate);
    return PowerTerms(section).Db(s * s);
}

float GridFrequency(int k, float plotWidth) {
    const float step = plotWidth / static_cast<float>(kGridPoints);
    const float decades = std::log10(static_cast<float>(kGridMaxFrequency / kGridMinFrequency));
    const float exponent = static_cast<float>(k) * step / plotWidth * decades;
    return static_cast<float>(kGridMinFrequency) * std::pow(10.0f, exponent);
}

int PinnedIndex(double freqHz, float plotWidth) {
    const double p = std::log10(freqHz / kGridMinFrequency) / std::log10(kGridMaxFrequency / kGridMinFrequency);
    const double pixel = std::floor(p * plotWidth);
    const float step = plotWidth / static_cast<float>(kGridPoints);
    const double index = std::floor(pixel / step);
    if (!(index >= 0.0 && index < kGridPoints)) return -1;
    return static_cast<int>(index);
}

void EvaluateBand(BandRecord& band, float plotWidth) {
    if (band.code == kCodeOff || !(plotWidth > 0.0f)) return;
    const ResponseGrid& grid = ResponseGrid::ForWidth(plotWidth);
    const PowerTerms terms(DesignSection(band.code, band.gain, band.frequency, band.q));
    for (int k = 0; k < kGridPoints; ++k) {
        band.response[k] = static_cast<float>(terms.Db(grid.SinSquared(k)));
    }
    if (band.code == kCodePeaking) {
        const int pinned = PinnedIndex(band.frequency, plotWidth);
        if (pinned >= 0) band.response[pinned] = band.gain;
    }
}

void SumResponses(std::span<const BandRecord> bands, std::span<float, kGridPoints> sum) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (const BandRecord& band : bands) {
        if (band.code == kCodeOff) continue;
        for (int k = 0; k < kGridPoints; ++k) sum[k] += band.response[k];
    }
}

}  // namespace kv::eq
