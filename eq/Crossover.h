#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "eq/BandRecord.h"

namespace kv::eq {

// On the SUB equaliser the first five bands are crossover rows; each owns three
// hidden stages that cascade with it for slopes steeper than 12 dB/octave.
inline constexpr int kCrossoverRows = 5;
inline constexpr int kStagesPerRow = 3;
inline constexpr int kFirstStageBand = kCrossoverRows;
inline constexpr int kCrossoverBands = kCrossoverRows * (1 + kStagesPerRow);  // 20

inline constexpr int kAlignmentCount = 11;
inline constexpr int kNoCrossoverAlignment = 11;

// Alignment names in the order of their indices (as the pages list them).
inline constexpr std::array<std::string_view, kAlignmentCount> kAlignmentNames = {
    "LinkwitzRiely 12dB", "LinkwitzRiely 24dB", "LinkwitzRiely 36dB", "LinkwitzRiely 48dB",
    "Bessel 12dB",        "Bessel 18dB",        "Bessel 24dB",        "Butterworth 12dB",
    "Butterworth 18dB",   "Butterworth 24dB",   "Chebyshev 12dB"};

// Codes for (row, stage 1, stage 2, stage 3).
using RowCodes = std::array<int, 1 + kStagesPerRow>;

// Band index of stage 0..2 of a row.
constexpr int StageBand(int row, int stage) { return kFirstStageBand + kStagesPerRow * row + stage; }

// Codes of an alignment for a row whose current code is rowCode: the row's
// parity (even = low-pass side, off included) picks the side of every stage.
RowCodes AlignmentCodes(int rowCode, int alignmentIndex);

// What a row's four codes stand for: an alignment (combo index) on the low-pass or
// high-pass side, or one of the plain kinds a row may hold (alignment -1).
struct RowPattern {
    int alignment;
    int kind;  // 1 PEQ, 2 LP, 3 HP, 4 LS, 5 HS
};
// The pattern of four codes, or nothing when they match none of the 25 known patterns.
std::optional<RowPattern> FindRowPattern(const RowCodes& codes);

// Codes a kind picked from the SUB panel's menu (1 PEQ .. 5 HS) gives a row.
RowCodes MenuKindCodes(int kind);

// Sets the codes of the row and its stages and zeroes their gains.
void ApplyAlignment(std::span<BandRecord> bands, int rowIndex, int alignmentIndex);

// Sets the four codes of a row (row first).
void SetRowCodes(std::span<BandRecord> bands, int rowIndex, const RowCodes& codes);

// Stages take the row's frequency and Q with gain 0; stages then row are evaluated.
void EvaluateCrossoverRow(std::span<BandRecord> bands, int rowIndex, float plotWidth);

// Row response plus its stages' responses (the row's whole slope).
void RowResponse(std::span<const BandRecord> bands, int rowIndex, std::span<float, kGridPoints> out);

}  // namespace kv::eq
