#pragma once
// Sending only what changed: the settings in which two stores differ, by address, and the
// encoder calls that bring the box from one store to the other. Undo, the A/B memories and
// load-file --changes-only all go through here, so each change goes out exactly as a user's
// edit of the same setting sends it.

#include <memory>
#include <string>
#include <vector>

namespace kv {

struct DeviceContext;
struct Setting;
class ParameterStore;

struct SettingDifference {
    const Setting* setting = nullptr;
    double from = 0;  // the value in the first store
    double to = 0;    // the value in the second
};

// The settings whose values differ, in table order. The device settings record is left out:
// its window stages and applies it, and no mode or memory holds it.
std::vector<SettingDifference> DiffSettings(const DeviceContext& from, const DeviceContext& to);

struct SendResult {
    int settings = 0;  // differing settings brought to the target
    int calls = 0;     // encoder calls made (a band row or a compressor counts once)
    int unsent = 0;    // fields still different that no encoder call can reach
};

// Brings the box (its store, and the box itself while the link is open) to the target, in
// table order. Settings that one encoder writes together (a band row with its stages, a
// compressor, the speaker positions and the room) go out once. What the settings leave
// different (a field no control shows, a slot no row lists, a speaker level) is sent by the
// field's own encoder afterwards, so that a read-back gives the target's mode file.
SendResult SendDifferences(DeviceContext& box, const DeviceContext& target);

// A core with no box: edits change its store and send nothing (a mode file, a memory).
std::unique_ptr<DeviceContext> MakeOfflineContext();
// The part of the store a mode file holds, the command-set version and the settings record.
void CopyStore(const ParameterStore& from, ParameterStore& to);

}  // namespace kv
