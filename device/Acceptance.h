#pragma once
// Whether a box that answered its identity queries is one this program can drive.

#include "model/ParameterStore.h"

namespace kv {

enum class Acceptance { Accepted, WrongModel, WrongCommandSet };

// Model "KV4420M" or "KV4420A" ignoring case, command-set version 8 or 9.
Acceptance CheckAcceptance(const Identity& id);
// The message shown when a box is refused; empty for an accepted box.
const char* AcceptanceMessage(Acceptance acceptance);

}  // namespace kv
