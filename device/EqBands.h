#pragma once
// An equaliser's bands as its editor holds them, without the editor: loaded from the store
// with the editor's clamping, changed by the editor's rules (a new kind brings its own Q,
// pass kinds carry no gain, SUB rows move with their three stages) and sent through the same
// encoder calls. The command line edits bands through these so that its bytes are the page's.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/EqTable.h"
#include "eq/BandLimits.h"
#include "eq/BandRecord.h"
#include "eq/FilterText.h"

namespace kv {

class Encoders;

// The short names the command line knows the equalisers by: music, mica, micb, echoa, echob,
// reverba, reverbb, main, rear, center, sub, top (in any case).
std::string_view EqName(EqId eq);
std::optional<EqId> EqByName(std::string_view name);

// Section codes the equaliser's page takes; anything above loads as off.
int HighestCodeOf(EqId eq);
// Rows the page lists: the bands, or on SUB the five crossover rows.
int EqRowCount(EqId eq);
// Device band (within the equaliser) of a panel band; SUB interleaves rows and stages.
int EqDeviceBand(EqId eq, int band);

double MaxQOf(int code);

// A Q read from a descriptor, as the single-precision value encoded back to the same one: the
// nearest float may lie just below a thousandth and lose it to the descriptor's truncation,
// so that every later send (and every export and import) would lower the band's Q.
float KeptQ(double q);

// Every band of the equaliser as the page loads it.
std::vector<eq::BandRecord> LoadEqBands(const Encoders& encoders, EqId eq);
// The kind a row reads as (1 PEQ .. 5 HS, 0 off); SUB rows by the pattern of their codes.
int EqRowKind(std::span<const eq::BandRecord> bands, EqId eq, int row);

// The panel's own rules for one band.
void SetBandCode(eq::BandRecord& band, int code);
void SetBandGain(eq::BandRecord& band, double gainDb);
void SetBandQ(eq::BandRecord& band, double q);
// A kind (1 PEQ .. 5 HS) chosen for a row, as the list's Type cell does it.
void SetRowKind(std::span<eq::BandRecord> bands, EqId eq, int row, int kind);
// Sends a row; a SUB crossover row takes its stages along at its frequency and Q.
void SendEqRow(Encoders& encoders, EqId eq, std::span<eq::BandRecord> bands, int row);

// A filter read from a measurement program's file, put into a band as the editor imports it.
void ApplyFilter(eq::BandRecord& band, const eq::FilterBand& filter);
// The filters an equaliser's rows export as.
std::vector<eq::FilterBand> FiltersOf(std::span<const eq::BandRecord> bands, EqId eq);
// A whole filter file into an equaliser's bands, as the editor and the command line import it:
// bands the file has no filter for are switched off, so the correction is the file's alone.
void ApplyFilterFile(std::span<eq::BandRecord> bands, const eq::FilterFile& filters);
// The text of the filter file an equaliser's bands export as.
std::string FilterFileText(std::span<const eq::BandRecord> bands, EqId eq);

}  // namespace kv
