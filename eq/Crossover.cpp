#include "eq/Crossover.h"

#include <algorithm>

#include "eq/EqMath.h"

namespace kv::eq {

RowCodes AlignmentCodes(int rowCode, int alignmentIndex) {
    // Tables hold the high-pass codes; the low-pass twin is one less.
    const int side = (rowCode % 2 == 0) ? 1 : 0;
    auto l = [side](int n) { return n - side; };
    switch (alignmentIndex) {
        case 1:
            return {l(13), l(13), 1, 1};
        case 2:
            return {l(15), l(11), l(15), l(11)};
        case 3:
            return {l(19), l(21), l(19), l(21)};
        case 4:
            return {l(9), 1, 1, 1};
        case 5:
            return {l(9), l(11), 1, 1};
        case 6:
            return {l(9), l(9), 1, 1};
        case 7:
            return {l(13), 1, 1, 1};
        case 8:
            return {l(15), l(11), 1, 1};
        case 9:
            return {l(19), l(21), 1, 1};
        case 10:
            return {l(7), 1, 1, 1};
        case kNoCrossoverAlignment:
            return {1, 1, 1, 1};
        default:
            return {l(11), l(11), 1, 1};
    }
}

std::optional<RowPattern> FindRowPattern(const RowCodes& codes) {
    for (int a = 0; a < kAlignmentCount; ++a) {
        if (codes == AlignmentCodes(kCodeLowPass, a)) return RowPattern{a, kCodeLowPass};
        if (codes == AlignmentCodes(kCodeHighPass, a)) return RowPattern{a, kCodeHighPass};
    }
    for (int kind : {kCodePeaking, kCodeLowShelf, kCodeHighShelf})
        if (codes == RowCodes{kind, 1, 1, 1}) return RowPattern{-1, kind};
    return std::nullopt;
}

RowCodes MenuKindCodes(int kind) {
    switch (kind) {
        case 2:
            return {18, 20, 1, 1};
        case 3:
            return {19, 21, 1, 1};
        case 4:
            return {4, 1, 1, 1};
        case 5:
            return {5, 1, 1, 1};
        default:
            return {1, 1, 1, 1};
    }
}

void SetRowCodes(std::span<BandRecord> bands, int rowIndex, const RowCodes& codes) {
    if (rowIndex < 0 || rowIndex >= kCrossoverRows || bands.size() < kCrossoverBands) return;
    bands[rowIndex].code = codes[0];
    for (int s = 0; s < kStagesPerRow; ++s) bands[StageBand(rowIndex, s)].code = codes[s + 1];
}

void ApplyAlignment(std::span<BandRecord> bands, int rowIndex, int alignmentIndex) {
    if (rowIndex < 0 || rowIndex >= kCrossoverRows || bands.size() < kCrossoverBands) return;
    SetRowCodes(bands, rowIndex, AlignmentCodes(bands[rowIndex].code, alignmentIndex));
    bands[rowIndex].gain = 0.0f;
    for (int s = 0; s < kStagesPerRow; ++s) bands[StageBand(rowIndex, s)].gain = 0.0f;
}

void EvaluateCrossoverRow(std::span<BandRecord> bands, int rowIndex, float plotWidth) {
    if (rowIndex < 0 || rowIndex >= kCrossoverRows || bands.size() < kCrossoverBands) return;
    const BandRecord& row = bands[rowIndex];
    for (int s = 0; s < kStagesPerRow; ++s) {
        BandRecord& stage = bands[StageBand(rowIndex, s)];
        stage.frequency = row.frequency;
        stage.q = row.q;
        stage.gain = 0.0f;
        EvaluateBand(stage, plotWidth);
    }
    EvaluateBand(bands[rowIndex], plotWidth);
}

void RowResponse(std::span<const BandRecord> bands, int rowIndex, std::span<float, kGridPoints> out) {
    std::fill(out.begin(), out.end(), 0.0f);
    if (rowIndex < 0 || rowIndex >= kCrossoverRows || bands.size() < kCrossoverBands) return;
    auto add = [&out](const BandRecord& b) {
        if (b.code == kCodeOff) return;
        for (int k = 0; k < kGridPoints; ++k) out[k] += b.response[k];
    };
    add(bands[rowIndex]);
    for (int s = 0; s < kStagesPerRow; ++s) add(bands[StageBand(rowIndex, s)]);
}

}  // namespace kv::eq
