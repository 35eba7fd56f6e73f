#pragma once
// The twelve equalisers of the box: where their bands live on the wire and in the EQ image,
// which graph-panel kind shows them and which field holds their bypass switch.

#include <array>

#include "device/Commands.h"
#include "model/Fields.h"

namespace kv {

enum class EqId { MicA, MicB, EchoA, EchoB, ReverbA, ReverbB, Music, Main, Rear, Center, Sub, Top };

struct EqInfo {
    EqId id;
    int module;       // module of the band commands
    int firstSlot;    // first descriptor slot within the module (CH B follows CH A)
    int bands;        // bands of this equaliser
    int panelKind;    // kind of the graph panel that shows it
    int bypassField;  // 1 while the equaliser is bypassed
};

// Panel kinds, which are also the input page codes and the output types.
namespace eqkind {
constexpr int kMusic = 0;
constexpr int kMicA = 1;
constexpr int kSub = 2;
constexpr int kCenter = 3;
constexpr int kRear = 4;
constexpr int kMain = 5;
constexpr int kReverbA = 6;
constexpr int kEchoA = 7;
constexpr int kMicB = 8;
constexpr int kReverbB = 9;
constexpr int kEchoB = 10;
constexpr int kTop = 11;
}  // namespace eqkind

inline constexpr std::array<EqInfo, 12> kEqualisers{{
    {EqId::MicA, module::kMic, 0, 15, eqkind::kMicA, fld::kMicChAEqBypass},
    {EqId::MicB, module::kMic, 15, 15, eqkind::kMicB, fld::kMicChBEqBypass},
    {EqId::EchoA, module::kEcho, 0, 7, eqkind::kEchoA, fld::kEchoChAEqBypass},
    {EqId::EchoB, module::kEcho, 7, 7, eqkind::kEchoB, fld::kEchoChBEqBypass},
    {EqId::ReverbA, module::kReverb, 0, 7, eqkind::kReverbA, fld::kReverbChAEqBypass},
    {EqId::ReverbB, module::kReverb, 7, 7, eqkind::kReverbB, fld::kReverbChBEqBypass},
    {EqId::Music, module::kMusic, 0, 15, eqkind::kMusic, fld::kMusicEqBypass},
    {EqId::Main, module::kMain, 0, 24, eqkind::kMain, fld::kMain.eqBypass()},
    {EqId::Rear, module::kRear, 0, 10, eqkind::kRear, fld::kRear.eqBypass()},
    {EqId::Center, module::kCenter, 0, 10, eqkind::kCenter, fld::kCenter.eqBypass()},
    {EqId::Sub, module::kSub, 0, 20, eqkind::kSub, fld::kSub.eqBypass()},
    {EqId::Top, module::kTop, 0, 10, eqkind::kTop, fld::kTop.eqBypass()},
}};

constexpr const EqInfo& EqInfoOf(EqId id) { return kEqualisers[static_cast<std::size_t>(id)]; }

// The equaliser a graph-panel kind shows, or nullptr for a kind outside 0..11.
constexpr const EqInfo* EqOfPanelKind(int kind) {
    for (const EqInfo& e : kEqualisers)
        if (e.panelKind == kind) return &e;
    return nullptr;
}

}  // namespace kv
