#include "cli/StoreJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

#include "cli/Utf.h"
#include "device/Commands.h"
#include "model/Fields.h"
#include "model/ParameterStore.h"

namespace kv::cli {
namespace {

const char* ModuleName(int module) {
    switch (module) {
        case module::kMic:
            return "mic";
        case module::kEcho:
            return "echo";
        case module::kReverb:
            return "reverb";
        case module::kMusic:
            return "music";
        case module::kMain:
            return "main";
        case module::kRear:
            return "rear";
        case module::kCenter:
            return "center";
        case module::kSub:
            return "sub";
        case module::kTop:
            return "top";
        default:
            return "?";
    }
}

bool IsFloatKind(FieldKind kind) {
    return kind == FieldKind::Position || kind == FieldKind::Millis || kind == FieldKind::Float;
}

// Shortest text that reads back as the same value; JSON has no NaN or infinity.
template <typename T>
std::string Number(T value) {
    if (!std::isfinite(value)) return "null";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string ByteArray(std::span<const std::uint8_t> bytes) {
    std::string out = "[";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += ", ";
        out += std::to_string(bytes[i]);
    }
    return out + "]";
}

}  // namespace

std::string StoreToJson(const ParameterStore& store) {
    std::string j = "{\n";
    const Identity id = store.GetIdentity();
    j += "  \"identity\": {\"model\": " + JsonQuote(id.model) +
         ", \"commandSetVersion\": " + std::to_string(id.commandSetVersion) +
         ", \"mcuVersion\": " + JsonQuote(id.mcuVersion) + ", \"dspVersion\": " + JsonQuote(id.dspVersion) + "},\n";
    // As info shows it: a mode byte outside the four slots stands for the nearest one.
    j +=
        "  \"currentMode\": " + std::to_string(std::clamp(store.Int(fld::kCurrentMode), 0, kModeSlots - 1) + 1) + ",\n";
    j += "  \"modeNames\": [";
    for (int s = 0; s < kModeSlots; ++s) {
        if (s) j += ", ";
        j += JsonQuote(Utf16ToUtf8(store.ModeName(s)));
    }
    j += "],\n";

    j += "  \"fields\": {\n";
    for (int f = 0; f < fld::kCount; ++f) {
        const FieldKind kind = KindOf(f);
        std::string value;
        if (IsFloatKind(kind))
            value = Number(store.Float(f));
        else if (kind == FieldKind::Raw)
            value = std::to_string(store.Raw(f));
        else
            value = std::to_string(store.Int(f));
        j += "    \"" + std::to_string(f) + "\": " + value + (f + 1 < fld::kCount ? ",\n" : "\n");
    }
    j += "  },\n";

    j += "  \"eq\": [\n";
    for (std::size_t m = 0; m < kEqModules.size(); ++m) {
        const auto& layout = kEqModules[m];
        j += "    {\"module\": " + std::to_string(layout.module) + ", \"name\": \"" + ModuleName(layout.module) +
             "\", \"bands\": [\n";
        for (int slot = 0; slot < layout.slotCount; ++slot) {
            const BandDescriptor b = store.ReadBand(layout.module, slot);
            j += "      {\"slot\": " + std::to_string(slot) + ", \"gain\": " + Number(b.gainDb) +
                 ", \"frequency\": " + std::to_string(b.frequencyHz) + ", \"q\": " + Number(b.q) +
                 ", \"code\": " + std::to_string(b.code) + "}" + (slot + 1 < layout.slotCount ? ",\n" : "\n");
        }
        j += std::string("    ]}") + (m + 1 < kEqModules.size() ? ",\n" : "\n");
    }
    j += "  ],\n";

    j += "  \"speakerPositions\": " + ByteArray(store.GetSpeakerPositions()) + ",\n";
    j += "  \"speakerGains\": " + ByteArray(store.GetSpeakerGains()) + ",\n";
    j += "  \"settings\": {\"applied\": " + ByteArray(store.AppliedSettings()) +
         ", \"edited\": " + ByteArray(store.EditedSettings()) + "},\n";
    j += "  \"auxBytes\": " + ByteArray(store.GetAuxBytes()) + ",\n";
    j += "  \"remoteTable\": " + ByteArray(store.GetRemoteTable()) + "\n";
    j += "}\n";
    return j;
}

}  // namespace kv::cli
