#include "eq/DefaultBands.h"

#include <algorithm>
#include <array>

namespace kv::eq {

namespace {

constexpr std::array<float, 15> kFifteen = {100,  160,  250,   400,   630,   1000,  1600, 2500,
                                            4000, 6300, 10000, 13000, 15000, 18000, 20000};
constexpr std::array<float, 10> kTen = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 12000};
constexpr std::array<int, 4> kFourCodes = {3, 1, 1, 2};  // a high-pass, two peaks, a low-pass
constexpr float kPeakQ = 1.41f;
constexpr float kFourQ = 0.707f;
constexpr float kTopHz = 20000.0f;

void Fill(std::span<BandRecord> bands, std::span<const float> freqs, std::span<const int> codes, float q) {
    for (std::size_t i = 0; i < bands.size(); ++i) {
        bands[i].frequency = i < freqs.size() ? freqs[i] : kTopHz;
        bands[i].code = codes.empty() ? 1 : codes[i];
        bands[i].q = q;
    }
}

}  // namespace

void FillDefaultBands(std::span<BandRecord> bands) {
    switch (bands.size()) {
        case 4:
            Fill(bands, std::span(kTen).first(4), kFourCodes, kFourQ);
            break;
        case 7:
            Fill(bands, std::span(kTen).first(7), {}, kPeakQ);
            break;
        case 10:
            Fill(bands, kTen, {}, kPeakQ);
            break;
        case 15:
        case 20:  // the five beyond fifteen at the top
            Fill(bands, kFifteen, {}, kPeakQ);
            break;
        case 24: {
            std::array<float, 24> f{};
            std::copy(kFifteen.begin(), kFifteen.end(), f.begin());
            std::copy(kFifteen.begin(), kFifteen.begin() + 9, f.begin() + 15);
            Fill(bands, f, {}, kPeakQ);
            break;
        }
        default:
            break;
    }
    for (BandRecord& b : bands) b.gain = 0.0f;
}

}  // namespace kv::eq
