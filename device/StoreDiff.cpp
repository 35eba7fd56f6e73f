#include "device/StoreDiff.h"

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/Parameters.h"
#include "device/SettingTable.h"
#include "device/WireTable.h"
#include "eq/Crossover.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"

namespace kv {

namespace {

// Values that read the same to the page's precision are the same setting.
bool Same(double a, double b) { return a == b || (a != a && b != b); }

enum class GroupKind { Single, EqRow, Compressor, Positions };

struct Group {
    GroupKind kind = GroupKind::Single;
    std::string key;
    EqId eq{};
    int row = 0;
    const fld::OutputFields* out = nullptr;
};

constexpr struct {
    std::string_view name;
    const fld::OutputFields* out;
} kCompressorOutputs[] = {
    {"main", &fld::kMain}, {"rear", &fld::kRear}, {"center", &fld::kCenter}, {"sub", &fld::kSub}, {"top", &fld::kTop}};

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Which encoder call a setting goes out by, when that call carries other settings too.
Group GroupOf(const Setting& s) {
    const std::string_view a = s.address;
    if (StartsWith(a, "position.") || StartsWith(a, "room.")) return {GroupKind::Positions, "positions"};
    if (StartsWith(a, "eq.")) {
        // eq.NAME.ROW.MEMBER; eq.NAME.bypass is a setting of its own.
        const auto dot1 = a.find('.', 3);
        const auto dot2 = dot1 == std::string_view::npos ? dot1 : a.find('.', dot1 + 1);
        if (dot2 != std::string_view::npos) {
            const auto id = EqByName(a.substr(3, dot1 - 3));
            const std::string_view rowText = a.substr(dot1 + 1, dot2 - dot1 - 1);
            int row = 0;
            for (char c : rowText) row = c >= '0' && c <= '9' ? row * 10 + (c - '0') : -1000;
            if (id && row > 0) return {GroupKind::EqRow, std::string(a.substr(0, dot2)), *id, row - 1};
        }
    }
    for (const auto& o : kCompressorOutputs) {
        const std::string prefix = std::string(o.name) + ".comp.";
        if (StartsWith(a, prefix)) return {GroupKind::Compressor, prefix, {}, 0, o.out};
    }
    return {GroupKind::Single, s.address};
}

// A band as its cells would give it: the value with the fewest decimals that the descriptor
// holds the same. Typed and chosen values (Q 1.41, a kind's 0.70) come back as the user gave
// them, so their coefficients go out as the user's own edit sent them.
void Plainest(eq::BandRecord& band) {
    const auto bytes = [](const eq::BandRecord& b) {
        std::array<std::uint8_t, kBandDescriptorSize> out{};
        BandDescriptor{b.gain, static_cast<int>(b.frequency), b.q, b.code}.Encode(out.data());
        return out;
    };
    const auto held = bytes(band);
    eq::BandRecord plain = band;
    plain.gain = static_cast<float>(std::round(double{band.gain} * 10.0) / 10.0);
    plain.q = static_cast<float>(std::round(double{band.q} * 100.0) / 100.0);
    if (bytes(plain) == held) band = plain;
}

void SendEqRowOf(DeviceContext& box, const DeviceContext& target, const Group& g) {
    auto bands = LoadEqBands(box.encoders, g.eq);
    const auto wanted = LoadEqBands(target.encoders, g.eq);
    const auto copy = [&](int band) {
        if (band >= 0 && band < static_cast<int>(bands.size()) && band < static_cast<int>(wanted.size())) {
            bands[static_cast<std::size_t>(band)] = wanted[static_cast<std::size_t>(band)];
            Plainest(bands[static_cast<std::size_t>(band)]);
        }
    };
    copy(g.row);
    if (g.eq == EqId::Sub && g.row < eq::kCrossoverRows)
        for (int s = 0; s < eq::kStagesPerRow; ++s) copy(eq::StageBand(g.row, s));
    SendEqRow(box.encoders, g.eq, bands, g.row);
}

std::size_t GainOffset(int speaker) {
    return static_cast<std::size_t>(prm::kSpeakerChannels[static_cast<std::size_t>(speaker - 1)].gainOffset);
}
float GainOf(const ParameterStore::SpeakerGains& block, int speaker) { return GetBeFloat(&block[GainOffset(speaker)]); }
// Compared as stored, so that a level that is not a number is still seen as changed.
bool SameGain(const ParameterStore::SpeakerGains& a, const ParameterStore::SpeakerGains& b, int speaker) {
    return std::memcmp(&a[GainOffset(speaker)], &b[GainOffset(speaker)], sizeof(float)) == 0;
}

// The target's block as it stands: the block a page's move wrote is the one its fields
// encode to, and a block read from a box or a file goes back unaltered.
void WritePositionBlock(DeviceContext& box, const DeviceContext& target) {
    const auto block = target.store.GetSpeakerPositions();
    box.store.SetSpeakerPositions(block);
    box.link.WriteMemoryBlock(kSpeakerPosOffset, kSpeakerPosSize, block.data());
}

// The room and every point at once: the position block once, then each level that differs.
int SendPositions(DeviceContext& box, const DeviceContext& target) {
    WritePositionBlock(box, target);
    int calls = 1;
    const auto have = box.store.GetSpeakerGains();
    const auto want = target.store.GetSpeakerGains();
    for (int s = 1; s <= kSpeakerCount; ++s) {
        if (SameGain(have, want, s)) continue;
        box.encoders.SpeakerGain(s, GainOf(want, s));
        ++calls;
    }
    return calls;
}

// What the settings left different: plain fields, band slots no row lists, speaker levels.
int SendRemainder(DeviceContext& box, const DeviceContext& target, int& unsent) {
    int calls = 0;
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f) {
        const std::uint32_t want = target.store.Raw(f);
        if (box.store.Raw(f) == want) continue;
        if (!WireOfField(f)) {
            ++unsent;
            continue;
        }
        box.store.SetRaw(f, want);
        box.encoders.SendField(f);
        ++calls;
    }
    const auto haveEq = box.store.GetEqImage();
    const auto wantEq = target.store.GetEqImage();
    for (const EqModuleLayout& m : kEqModules) {
        for (int slot = 0; slot < m.slotCount; ++slot) {
            const auto at = static_cast<std::size_t>(m.base + slot * kBandDescriptorSize);
            if (std::memcmp(&haveEq[at], &wantEq[at], kBandDescriptorSize) == 0) continue;
            const BandDescriptor d = target.store.ReadBand(m.module, slot);
            box.encoders.EqBand(m.module, slot, d.code, d.gainDb, d.frequencyHz, KeptQ(d.q));
            ++calls;
        }
    }
    if (box.store.GetSpeakerPositions() != target.store.GetSpeakerPositions()) {
        WritePositionBlock(box, target);
        ++calls;
    }
    const auto haveGains = box.store.GetSpeakerGains();
    const auto wantGains = target.store.GetSpeakerGains();
    for (int s = 1; s <= kSpeakerCount; ++s) {
        if (SameGain(haveGains, wantGains, s)) continue;
        box.encoders.SpeakerGain(s, GainOf(wantGains, s));
        ++calls;
    }
    // The auxiliary bytes travel with a mode but no encoder sends them.
    if (box.store.GetAuxBytes() != target.store.GetAuxBytes()) box.store.SetAuxBytes(target.store.GetAuxBytes());
    return calls;
}

}  // namespace

namespace {

// The equaliser row a setting's value is read from (a row's kind, frequency, gain, Q or
// alignment), by the setting's place in the table.
struct RowOf {
    EqId eq;
    int row;
};
const std::vector<std::optional<RowOf>>& RowsOfSettings() {
    static const std::vector<std::optional<RowOf>> rows = [] {
        std::vector<std::optional<RowOf>> out;
        for (const Setting& s : AllSettings()) {
            const Group g = GroupOf(s);
            out.push_back(g.kind == GroupKind::EqRow ? std::optional<RowOf>(RowOf{g.eq, g.row}) : std::nullopt);
        }
        return out;
    }();
    return rows;
}

// A row reads the same from two stores when the box holds its band, and for a crossover row
// its stages, alike: each of its values is read from those bands and no others.
bool SameRow(const DeviceContext& a, const DeviceContext& b, EqId id, int row) {
    const auto same = [&](int band) {
        const int slot = EqDeviceBand(id, band);
        return a.encoders.ReadBand(id, slot) == b.encoders.ReadBand(id, slot);
    };
    if (!same(row)) return false;
    if (id == EqId::Sub && row < eq::kCrossoverRows)
        for (int s = 0; s < eq::kStagesPerRow; ++s)
            if (!same(eq::StageBand(row, s))) return false;
    return true;
}

}  // namespace

std::vector<SettingDifference> DiffSettings(const DeviceContext& from, const DeviceContext& to) {
    std::vector<SettingDifference> out;
    // Undo and A/B ask this after every step: two stores that hold the same mode read alike.
    if (from.store.CommandSetVersion() == to.store.CommandSetVersion() &&
        EncodeModeFile(from.store) == EncodeModeFile(to.store))
        return out;
    // A row's values are each read from its equaliser's bands loaded whole: only the values of
    // rows whose bands the two stores hold differently are read.
    const auto& rows = RowsOfSettings();
    const auto& settings = AllSettings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const Setting& s = settings[i];
        if (s.stage || !s.read) continue;
        if (const auto& r = rows[i])
            if (SameRow(from, to, r->eq, r->row)) continue;
        const double a = s.read(from);
        const double b = s.read(to);
        if (!Same(a, b)) out.push_back({&s, a, b});
    }
    return out;
}

SendResult SendDifferences(DeviceContext& box, const DeviceContext& target) {
    SendResult r;
    const auto diffs = DiffSettings(box, target);
    r.settings = static_cast<int>(diffs.size());
    std::vector<std::string> done;
    const auto seen = [&done](const std::string& key) {
        for (const auto& k : done)
            if (k == key) return true;
        done.push_back(key);
        return false;
    };
    for (const SettingDifference& d : diffs) {
        const Group g = GroupOf(*d.setting);
        if (g.kind != GroupKind::Single && seen(g.key)) continue;
        switch (g.kind) {
            case GroupKind::EqRow:
                SendEqRowOf(box, target, g);
                ++r.calls;
                break;
            case GroupKind::Positions:
                r.calls += SendPositions(box, target);
                break;
            case GroupKind::Compressor:
                // The compressor goes out whole, as the target holds it: a time or ratio below the
                // sliders' least (a fresh box's 0) stays what it was rather than the least it reads as.
                box.encoders.Compressor(*g.out, target.store.Float(g.out->compThreshold()),
                                        target.store.Float(g.out->compRatio()), target.store.Float(g.out->compAttack()),
                                        target.store.Float(g.out->compRelease()));
                ++r.calls;
                break;
            case GroupKind::Single:
                // An earlier call may have brought it along (a route sends both its shares).
                if (Same(d.setting->read(box), d.to)) continue;
                d.setting->apply(box, d.to);
                ++r.calls;
                break;
        }
    }
    r.calls += SendRemainder(box, target, r.unsent);
    return r;
}

std::unique_ptr<DeviceContext> MakeOfflineContext() {
    return std::make_unique<DeviceContext>([](const DebugOutput&) { return std::unique_ptr<Transport>(); });
}

void CopyStore(const ParameterStore& from, ParameterStore& to) {
    const auto bytes = EncodeModeFile(from);
    DecodeModeFile(bytes, to);
    to.SetCommandSetVersion(from.CommandSetVersion());
    to.SetAppliedSettings(from.AppliedSettings());
    to.SetEditedSettings(from.EditedSettings());
}

}  // namespace kv
