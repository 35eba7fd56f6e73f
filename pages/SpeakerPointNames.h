#pragma once
// The listener and the eight speakers as the speaker page and the alignment table caption
// them, in the order of the position points: the listener first, then the speakers in the
// order the alignment proposes their delays.

namespace kv {

struct SpeakerPointName {
    const char* chinese;
    const char* english;
    const char* tag;  // the panel's short mark
};

inline constexpr int kSpeakerPointNameCount = 9;
inline constexpr SpeakerPointName kSpeakerPointNames[kSpeakerPointNameCount] = {
    {"听众位置", "Listener", ""}, {"前置左", "Main L", "ML"}, {"中置", "Center", "C"},
    {"前置右", "Main R", "MR"},   {"后置左", "Rear L", "RL"}, {"超低", "SUB", "S"},
    {"后置右", "Rear R", "RR"},   {"顶置左", "Top L", "TL"},  {"顶置右", "Top R", "TR"},
};

}  // namespace kv
