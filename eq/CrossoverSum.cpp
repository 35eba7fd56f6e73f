#include "eq/CrossoverSum.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

namespace {

// A lead smaller than this at the low end is not a crossover (two flat paths, ripple).
constexpr double kLeadDb = 1.0;
constexpr double kFallDb = 6.0;
constexpr double kOctave = 2.0;

ComplexPoint PathAt(const ListenerPath& p, double f) { return Delayed(ChainAt(p.sections, f), f, p.delaySeconds); }

// Frequency between two grid points where a difference that changes sign is zero, on the
// logarithmic axis.
double Between(double f0, double d0, double f1, double d1) {
    const double t = d0 == d1 ? 0.0 : d0 / (d0 - d1);
    return f0 * std::pow(f1 / f0, std::clamp(t, 0.0, 1.0));
}

std::optional<double> CrossoverOf(std::span<const double> f, const std::vector<double>& own,
                                  const std::vector<double>& other) {
    bool led = false;
    for (std::size_t k = 0; k < f.size(); ++k) {
        const double d = own[k] - other[k];
        if (d > kLeadDb) led = true;
        if (led && k > 0 && d <= 0.0) return Between(f[k - 1], own[k - 1] - other[k - 1], f[k], d);
    }
    const auto top = std::max_element(own.begin(), own.end());
    if (top == own.end()) return std::nullopt;
    for (auto k = static_cast<std::size_t>(top - own.begin()); k + 1 < f.size(); ++k)
        if (own[k + 1] <= *top - kFallDb)
            return Between(f[k], own[k] - (*top - kFallDb), f[k + 1], own[k + 1] - (*top - kFallDb));
    return std::nullopt;
}

}  // namespace

CrossoverSum SumAtListener(const ListenerPath& own, const ListenerPath& other, std::span<const double> frequencies) {
    std::vector<ComplexPoint> ownPoints;
    ownPoints.reserve(frequencies.size());
    for (const double f : frequencies) ownPoints.push_back(PathAt(own, f));
    return SumAtListener(ownPoints, other, frequencies);
}

CrossoverSum SumAtListener(std::span<const ComplexPoint> own, const ListenerPath& other,
                           std::span<const double> frequencies) {
    CrossoverSum out;
    const std::size_t n = std::min(frequencies.size(), own.size());
    out.own.reserve(n);
    out.other.reserve(n);
    out.sum.reserve(n);
    std::vector<double> ownDb(n), otherDb(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double f = frequencies[k];
        out.own.push_back(own[k]);
        out.other.push_back(PathAt(other, f));
        out.sum.push_back(Sum(out.own.back(), out.other.back()));
        ownDb[k] = MagnitudeDbOf(out.own.back());
        otherDb[k] = MagnitudeDbOf(out.other.back());
    }
    out.crossoverHz = CrossoverOf(frequencies.first(n), ownDb, otherDb);
    if (!out.crossoverHz) return out;
    SumDip deepest;
    for (std::size_t k = 0; k < n; ++k) {
        const double f = frequencies[k];
        if (f < *out.crossoverHz / kOctave || f > *out.crossoverHz * kOctave) continue;
        // What the two would give in phase, against what they give.
        const double inPhase = std::abs(out.own[k].h) + std::abs(out.other[k].h);
        const double sumDb = MagnitudeDbOf(out.sum[k]);
        const double loss = 20.0 * std::log10(std::max(inPhase, 1e-15)) - sumDb;
        if (loss > deepest.lossDb) deepest = {f, loss, sumDb};
    }
    if (deepest.lossDb > kDipDb) out.dip = deepest;
    return out;
}

}  // namespace kv::eq
