#include "cli/StoreJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string_view>

#include "device/Commands.h"
#include "model/Fields.h"
#include "model/ParameterStore.h"
#include "model/Utf16.h"

namespace kv::cli {
namespace {

using Json = nlohmann::ordered_json;

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

// A field is a 32-bit float in the box: it enters the document as the shortest decimal that
// reads back as that float (0.1, not 0.100000001490116), so the double printed later is that
// same text.
double AsFloatReads(float value) {
    if (!std::isfinite(value)) return value;
    char buf[32];
    const auto printed = std::to_chars(buf, buf + sizeof buf, value);
    double d = 0.0;
    std::from_chars(buf, printed.ptr, d);
    return d;
}

Json Document(const ParameterStore& store) {
    Json doc;
    const Identity id = store.GetIdentity();
    doc["identity"] = {{"model", id.model},
                       {"commandSetVersion", id.commandSetVersion},
                       {"mcuVersion", id.mcuVersion},
                       {"dspVersion", id.dspVersion}};
    // As info shows it: a mode byte outside the four slots stands for the nearest one.
    doc["currentMode"] = std::clamp(store.Int(fld::kCurrentMode), 0, kModeSlots - 1) + 1;
    Json& names = doc["modeNames"] = Json::array();
    for (int s = 0; s < kModeSlots; ++s) names.push_back(Utf16ToUtf8(store.ModeName(s)));

    Json& fields = doc["fields"] = Json::object();
    for (int f = 0; f < fld::kCount; ++f) {
        const FieldKind kind = KindOf(f);
        Json& value = fields[std::to_string(f)];
        if (IsFloatKind(kind))
            value = AsFloatReads(store.Float(f));
        else if (kind == FieldKind::Raw)
            value = store.Raw(f);
        else
            value = store.Int(f);
    }

    Json& eq = doc["eq"] = Json::array();
    for (const auto& layout : kEqModules) {
        Json bands = Json::array();
        for (int slot = 0; slot < layout.slotCount; ++slot) {
            const BandDescriptor b = store.ReadBand(layout.module, slot);
            bands.push_back(
                {{"slot", slot}, {"gain", b.gainDb}, {"frequency", b.frequencyHz}, {"q", b.q}, {"code", b.code}});
        }
        eq.push_back({{"module", layout.module}, {"name", ModuleName(layout.module)}, {"bands", std::move(bands)}});
    }

    doc["speakerPositions"] = store.GetSpeakerPositions();
    doc["speakerGains"] = store.GetSpeakerGains();
    doc["settings"] = {{"applied", store.AppliedSettings()}, {"edited", store.EditedSettings()}};
    doc["auxBytes"] = store.GetAuxBytes();
    doc["remoteTable"] = store.GetRemoteTable();
    return doc;
}

// The containers written one member per line; everything inside the others stays on one line.
bool OnLinesOfTheirOwn(std::string_view key) { return key == "fields" || key == "eq" || key == "bands"; }

std::string Scalar(const Json& value) {
    if (value.is_number_float()) {
        // The shortest text that reads back as the same value; JSON has no NaN or infinity.
        const double d = value.get<double>();
        if (!std::isfinite(d)) return "null";
        char buf[32];
        const auto printed = std::to_chars(buf, buf + sizeof buf, d);
        return std::string(buf, printed.ptr);
    }
    // Bytes of an identity string that are not UTF-8 become U+FFFD, one for each broken
    // sequence, so the dump stays valid JSON; valid text passes unchanged, only control
    // characters are escaped.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Write(const Json& value, bool ownLines, int indent, std::string& out) {
    if (!value.is_structured()) {
        out += Scalar(value);
        return;
    }
    const bool object = value.is_object();
    const int inner = ownLines ? indent + 2 : indent;
    out += object ? '{' : '[';
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        out += first ? "" : ownLines ? "," : ", ";
        if (ownLines) out += "\n" + std::string(static_cast<std::size_t>(inner), ' ');
        first = false;
        if (object) out += Scalar(Json(it.key())) + ": ";
        Write(*it, object && OnLinesOfTheirOwn(it.key()), inner, out);
    }
    if (ownLines && !first) out += "\n" + std::string(static_cast<std::size_t>(indent), ' ');
    out += object ? '}' : ']';
}

}  // namespace

std::string StoreToJson(const ParameterStore& store) {
    std::string out;
    Write(Document(store), true, 0, out);
    return out + "\n";
}

}  // namespace kv::cli
