#pragma once
// The mode-file title rules live with the mode files; the tool uses them under its own names.

#include "model/ModeFileTitle.h"

namespace kv::cli {
using kv::kTitleChars;
using kv::ModeFileTitle;
using kv::TargetSlotOfTitle;
}  // namespace kv::cli
