#pragma once
// Two outputs that share a band (SUB and MAIN) heard together at the listener: each path's
// sections and its arrival time, their complex sum, where they cross over, and whether the
// sum loses more than it should there because the two arrive out of phase.

#include <optional>
#include <span>
#include <vector>

#include "eq/ComplexResponse.h"

namespace kv::eq {

struct ListenerPath {
    std::vector<Biquad> sections;
    double delaySeconds = 0.0;  // arrival at the listener, relative to a common origin
};

// A dip of the sum: where it is deepest, how far the sum lies below the two paths' levels
// added in phase, and the sum's own level there.
struct SumDip {
    double frequencyHz = 0.0;
    double lossDb = 0.0;
    double sumDb = 0.0;
};

struct CrossoverSum {
    std::vector<ComplexPoint> own, other, sum;  // one per frequency, each path with its delay
    std::optional<double> crossoverHz;
    std::optional<SumDip> dip;  // only a loss above kDipDb within an octave of the crossover
};

// A loss greater than this is marked.
inline constexpr double kDipDb = 3.0;

// The two paths at each frequency (ascending). The crossover is where the path that leads at
// the low end (own) falls to the level of the other; without such a point, where own has
// fallen 6 dB below its highest level.
CrossoverSum SumAtListener(const ListenerPath& own, const ListenerPath& other, std::span<const double> frequencies);
// The same with own's response at each frequency, its delay included, already known (a graph
// has it).
CrossoverSum SumAtListener(std::span<const ComplexPoint> own, const ListenerPath& other,
                           std::span<const double> frequencies);

}  // namespace kv::eq
