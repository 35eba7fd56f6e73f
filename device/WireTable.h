#pragma once
// Where each plain field travels: one parameter of one module, one value repeated
// `copies` times, converted by the field's kind. Fields that need an encoder of their own
// (two addresses, fades, predelays, pitch, frequency shift, delays, compressors, delay
// modes) are not in this table; their encoders and decoders keep their own addresses.

#include <cstdint>
#include <span>

#include "device/Report.h"
#include "model/Fields.h"

namespace kv {

class ParameterStore;

constexpr int kEveryVersion = 0;

struct WireField {
    int field;
    int module;
    int parameter;
    int copies;      // the same value this many times in one parameter write
    int minVersion;  // lowest command-set version that takes the write; kEveryVersion for all
    int decodeFrom;  // lowest version whose replies decode into the field (below, the
                     // parameter means something else); kEveryVersion for all
    FieldKind kind;  // the field's own kind, which fixes the conversion

    bool SentTo(int commandSetVersion) const { return commandSetVersion >= minVersion; }
    bool DecodedFrom(int commandSetVersion) const { return commandSetVersion >= decodeFrom; }
};

// The address of a plain field, or nullptr when the field is not plain.
const WireField* WireOfField(int field);
// The plain field behind a module's parameter, or nullptr.
const WireField* WireOfParameter(int module, int parameter);
// Every plain field, in field order.
std::span<const WireField> WireFields();

// A stored field value as the box takes it: hundredths and the finer units as floats,
// switches as integers, mutes inverted, surround volumes negated; never non-finite.
ParamValue WireValueOf(FieldKind kind, std::uint32_t storedBits);
ParamValue WireValueOf(const WireField& wire, const ParameterStore& store);

}  // namespace kv
