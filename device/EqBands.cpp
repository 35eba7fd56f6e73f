#include "device/EqBands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "device/Encoders.h"
#include "eq/Crossover.h"
#include "eq/DefaultBands.h"
#include "eq/EqMath.h"
#include "model/AsciiCase.h"

namespace kv {

namespace {

constexpr double kZero = 1e-7;
constexpr int kLastKindCode = eq::kCodeHighShelf;
constexpr int kOutputHighestCode = 31;  // the output pages keep the crossover sections

struct Named {
    EqId eq;
    std::string_view name;
};
constexpr std::array<Named, 12> kNames{{
    {EqId::Music, "music"},
    {EqId::MicA, "mica"},
    {EqId::MicB, "micb"},
    {EqId::EchoA, "echoa"},
    {EqId::EchoB, "echob"},
    {EqId::ReverbA, "reverba"},
    {EqId::ReverbB, "reverbb"},
    {EqId::Main, "main"},
    {EqId::Rear, "rear"},
    {EqId::Center, "center"},
    {EqId::Sub, "sub"},
    {EqId::Top, "top"},
}};

bool IsOutput(EqId eq) {
    return eq == EqId::Main || eq == EqId::Rear || eq == EqId::Center || eq == EqId::Sub || eq == EqId::Top;
}

}  // namespace

std::string_view EqName(EqId eq) {
    for (const Named& n : kNames)
        if (n.eq == eq) return n.name;
    return {};
}

std::optional<EqId> EqByName(std::string_view name) {
    for (const Named& n : kNames)
        if (EqualsIgnoringCase(n.name, name)) return n.eq;
    return std::nullopt;
}

int HighestCodeOf(EqId eq) { return IsOutput(eq) ? kOutputHighestCode : kLastKindCode; }

int EqRowCount(EqId eq) { return eq == EqId::Sub ? eq::kCrossoverRows : EqInfoOf(eq).bands; }

int EqDeviceBand(EqId eq, int band) {
    if (eq != EqId::Sub) return band;
    if (band < eq::kCrossoverRows) return band * (1 + eq::kStagesPerRow);
    const int stage = band - eq::kFirstStageBand;
    return stage / eq::kStagesPerRow * (1 + eq::kStagesPerRow) + 1 + stage % eq::kStagesPerRow;
}

double MaxQOf(int code) { return code == eq::kCodePeaking ? eqband::kMaxPeakingQ : eqband::kMaxOtherQ; }

float KeptQ(double q) {
    float f = static_cast<float>(q);
    if (!std::isfinite(f) || q <= 0.0) return f;
    const double code = std::round(q * 1000.0);  // descriptors hold whole thousandths
    if (std::trunc(static_cast<double>(f) * 1000.0) < code)
        f = std::nextafter(f, std::numeric_limits<float>::infinity());
    return f;
}

void SetBandCode(eq::BandRecord& band, int code) {
    band.code = code;
    if (code == eq::kCodePeaking) {
        SetBandQ(band, eqband::kPeakingQ);
    } else if (code >= eq::kCodeLowPass && code <= eq::kCodeHighShelf) {
        SetBandGain(band, 0.0);
        SetBandQ(band, eqband::kPassQ);
    }
}

void SetBandGain(eq::BandRecord& band, double gainDb) {
    if (band.code == eq::kCodeLowPass || band.code == eq::kCodeHighPass || band.code > eq::kCodeHighShelf) gainDb = 0.0;
    band.gain = static_cast<float>(std::clamp(gainDb, eqband::kMinGain, eqband::kMaxGain));
}

void SetBandQ(eq::BandRecord& band, double q) {
    if (std::fabs(q) < kZero) return;
    band.q = static_cast<float>(std::clamp(q, eqband::kMinQ, MaxQOf(band.code)));
}

std::vector<eq::BandRecord> LoadEqBands(const Encoders& encoders, EqId id) {
    const EqInfo& info = EqInfoOf(id);
    std::vector<eq::BandRecord> bands(static_cast<std::size_t>(info.bands));
    // A band stored without a frequency or Q keeps the panel's own for that band.
    eq::FillDefaultBands(bands);
    for (int b = 0; b < info.bands; ++b) {
        const BandDescriptor d = encoders.ReadBand(id, EqDeviceBand(id, b));
        eq::BandRecord& band = bands[static_cast<std::size_t>(b)];
        const int code = d.code >= 0 && d.code <= HighestCodeOf(id) ? d.code : 0;
        SetBandCode(band, code);
        SetBandGain(band, d.gainDb);
        if (std::fabs(static_cast<double>(d.frequencyHz)) >= kZero)
            band.frequency =
                static_cast<float>(std::clamp<double>(d.frequencyHz, eqband::kMinFrequency, eqband::kMaxFrequency));
        if (std::fabs(d.q) >= kZero) band.q = KeptQ(std::clamp(d.q, eqband::kMinQ, MaxQOf(code)));
    }
    return bands;
}

int EqRowKind(std::span<const eq::BandRecord> bands, EqId id, int row) {
    if (row < 0 || row >= static_cast<int>(bands.size())) return 0;
    if (id == EqId::Sub && row < eq::kCrossoverRows && bands.size() >= eq::kCrossoverBands) {
        eq::RowCodes codes{bands[static_cast<std::size_t>(row)].code};
        for (int s = 0; s < eq::kStagesPerRow; ++s)
            codes[static_cast<std::size_t>(s) + 1] = bands[static_cast<std::size_t>(eq::StageBand(row, s))].code;
        if (const auto p = eq::FindRowPattern(codes)) return p->kind;
    }
    const int code = bands[static_cast<std::size_t>(row)].code;
    if (code >= 0 && code <= kLastKindCode) return code;
    // The other crossover sections read by their side; the all-pass codes as off.
    if (code > kLastKindCode && code <= eq::kCodeLastFixed) return code % 2 ? eq::kCodeHighPass : eq::kCodeLowPass;
    return 0;
}

void SetRowKind(std::span<eq::BandRecord> bands, EqId id, int row, int kind) {
    if (row < 0 || row >= EqRowCount(id) || kind < eq::kCodePeaking || kind > kLastKindCode) return;
    eq::BandRecord& band = bands[static_cast<std::size_t>(row)];
    if (id == EqId::Sub) {
        // The row's codes follow the kind; its gain and Q start afresh as on every other band.
        eq::SetRowCodes(bands, row, eq::MenuKindCodes(kind));
        const int code = band.code;
        SetBandCode(band, kind);
        band.code = code;
        // Its stages are reread from their descriptors: the Q goes out as the exact thousandth
        // (1.410, 0.700), so that the next edit from a reload sends what the page holds.
        band.q = KeptQ(band.q);
    } else {
        SetBandCode(band, kind);
    }
}

void SendEqRow(Encoders& encoders, EqId id, std::span<eq::BandRecord> bands, int row) {
    const eq::BandRecord& band = bands[static_cast<std::size_t>(row)];
    encoders.EqBand(id, EqDeviceBand(id, row), band.code, band.gain, band.frequency, band.q);
    if (id != EqId::Sub || row >= eq::kCrossoverRows) return;
    // The row's stages follow it in the device, each at the row's frequency and Q.
    for (int s = 0; s < eq::kStagesPerRow; ++s) {
        const int stageBand = eq::StageBand(row, s);
        eq::BandRecord& stage = bands[static_cast<std::size_t>(stageBand)];
        stage.frequency = band.frequency;
        stage.q = band.q;
        stage.gain = 0.0f;
        encoders.EqBand(id, EqDeviceBand(id, stageBand), stage.code, stage.gain, stage.frequency, stage.q);
    }
}

namespace {

// A band's values as the box holds them: its descriptor read back, as a read-back loads it.
BandDescriptor HeldDescriptor(const eq::BandRecord& band) {
    std::uint8_t bytes[kBandDescriptorSize];
    const double hz = std::isfinite(band.frequency) ? std::clamp<double>(band.frequency, 0.0, 65535.0) : 0.0;
    BandDescriptor{band.gain, static_cast<int>(hz), band.q, band.code}.Encode(bytes);
    return BandDescriptor::Decode(bytes);
}

}  // namespace

void ApplyFilter(eq::BandRecord& band, const eq::FilterBand& filter) {
    SetBandCode(band, filter.code);
    if (!filter.hasValues) return;
    SetBandGain(band, filter.gain);
    band.frequency = static_cast<float>(filter.frequency);
    SetBandQ(band, filter.q);
    // A Q written in thousandths keeps them through single precision and truncation.
    band.q = KeptQ(band.q);
    // Taken at the box's resolution, so that the coefficients sent are those of the
    // descriptor stored, and an exported file brings another box the same bytes.
    const BandDescriptor held = HeldDescriptor(band);
    SetBandGain(band, held.gainDb);
    band.frequency =
        static_cast<float>(std::clamp<double>(held.frequencyHz, eqband::kMinFrequency, eqband::kMaxFrequency));
    if (std::fabs(held.q) >= kZero) band.q = KeptQ(std::clamp(held.q, eqband::kMinQ, MaxQOf(band.code)));
}

std::vector<eq::FilterBand> FiltersOf(std::span<const eq::BandRecord> bands, EqId id) {
    std::vector<eq::FilterBand> filters;
    for (int row = 0; row < EqRowCount(id) && row < static_cast<int>(bands.size()); ++row) {
        const BandDescriptor held = HeldDescriptor(bands[static_cast<std::size_t>(row)]);
        filters.push_back({EqRowKind(bands, id, row), static_cast<double>(held.frequencyHz), held.gainDb, held.q});
    }
    return filters;
}

void ApplyFilterFile(std::span<eq::BandRecord> bands, const eq::FilterFile& filters) {
    for (std::size_t b = 0; b < bands.size(); ++b)
        ApplyFilter(bands[b], b < filters.bands.size() ? filters.bands[b] : eq::FilterBand{0, 0.0, 0.0, 0.0, false});
}

std::string FilterFileText(std::span<const eq::BandRecord> bands, EqId eq) {
    return eq::WriteFilters(FiltersOf(bands, eq), eq::FilterDigits::Box);
}

}  // namespace kv
