#pragma once
// The whole parameter store as JSON, for people and scripts reading a box: every field by
// number (integer or float by its kind), the EQ bands of every module decoded, the speaker
// blocks, mode names, identity, both settings records and the remote key table.

#include <string>

namespace kv {
class ParameterStore;
}

namespace kv::cli {

// Deterministic output, one field or band per line, so two dumps compare line by line.
std::string StoreToJson(const ParameterStore& store);

}  // namespace kv::cli
