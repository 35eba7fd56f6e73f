#pragma once
// Typed values and what becomes of them, one row each: a text typed for a setting is either
// taken as a value (shown as the control shows it) or refused with a reason. The rows are in
// range and on the step, where a box and the command line read alike; the parser's own test
// adds the rows where they differ. The same rows go through the reader, the pages' boxes and
// list cells, and kv4420ctl set.

#include <vector>

namespace kv::test {

struct TypedRow {
    const char* name;
    const char* address;
    const char* typed;
    double value;         // taken (when `refused` is empty)
    const char* shown;    // the value as the control and `get` show it
    const char* refused;  // the reason in English, or empty when taken
};

// The music equaliser's band 9, the first delay, a speaker's X and the room's width have boxes;
// the ratio, the mix, the level and the switch only a command line.
inline const std::vector<TypedRow>& TypedRows() {
    static const std::vector<TypedRow> rows{
        // Hertz
        {"FreqKilo", "eq.music.9.freq", "1k", 1000, "1000Hz", ""},
        {"FreqKiloDecimal", "eq.music.9.freq", "1.2k", 1200, "1200Hz", ""},
        {"FreqWithUnit", "eq.music.9.freq", "1200Hz", 1200, "1200Hz", ""},
        {"FreqKiloHertz", "eq.music.9.freq", "1.2kHz", 1200, "1200Hz", ""},
        {"FreqSpacesAnyCase", "eq.music.9.freq", "  440 hz ", 440, "440Hz", ""},
        {"FreqCommaKilo", "eq.music.9.freq", "2,5K", 2500, "2500Hz", ""},
        {"FreqTopKiloHertz", "eq.music.9.freq", "20KHZ", 20000, "20000Hz", ""},
        {"FreqLetters", "eq.music.9.freq", "abc", 0, "", "not a number"},
        {"FreqEmpty", "eq.music.9.freq", "", 0, "", "not a number"},
        {"FreqBlank", "eq.music.9.freq", "   ", 0, "", "not a number"},
        {"FreqExponent", "eq.music.9.freq", "1e3", 0, "", "unit Hz expected"},
        {"FreqHex", "eq.music.9.freq", "0x10", 0, "", "unit Hz expected"},
        {"FreqNan", "eq.music.9.freq", "nan", 0, "", "not a number"},
        {"FreqInf", "eq.music.9.freq", "inf", 0, "", "not a number"},
        {"FreqInDecibels", "eq.music.9.freq", "3dB", 0, "", "unit Hz expected"},
        {"FreqTwoKilos", "eq.music.9.freq", "1kk", 0, "", "unit Hz expected"},
        {"FreqTwoNumbers", "eq.music.9.freq", "1 2", 0, "", "unit Hz expected"},
        // Decibels
        {"GainMinusDb", "eq.music.9.gain", "-3dB", -3, "-3.0dB", ""},
        {"GainPlus", "eq.music.9.gain", "+3", 3, "3.0dB", ""},
        {"GainComma", "eq.music.9.gain", "2,5", 2.5, "2.5dB", ""},
        {"GainSpacedUpper", "eq.music.9.gain", "-3 DB", -3, "-3.0dB", ""},
        {"GainLetters", "eq.music.9.gain", "abc", 0, "", "not a number"},
        {"GainInHertz", "eq.music.9.gain", "3Hz", 0, "", "unit dB expected"},
        {"GainKilo", "eq.music.9.gain", "1k", 0, "", "unit dB expected"},
        {"GainTwoSigns", "eq.music.9.gain", "--3", 0, "", "not a number"},
        {"GainSignAlone", "eq.music.9.gain", "-", 0, "", "not a number"},
        // Q: a number without a unit
        {"QComma", "eq.music.9.q", "2,5", 2.5, "2.50", ""},
        {"QTwoDecimals", "eq.music.9.q", "1.41", 1.41, "1.41", ""},
        {"QNoLeadingDigit", "eq.music.9.q", ".5", 0.5, "0.50", ""},
        {"QWithUnit", "eq.music.9.q", "2dB", 0, "", "a number without a unit expected"},
        {"QTwoMarks", "eq.music.9.q", "1.2.3", 0, "", "a number without a unit expected"},
        {"QLetters", "eq.music.9.q", "abc", 0, "", "not a number"},
        // Milliseconds
        {"DelayMs", "delay.main.l", "12ms", 12, "12.0ms", ""},
        {"DelayCommaUpper", "delay.main.l", "12,5 MS", 12.5, "12.5ms", ""},
        {"DelayPlain", "delay.main.l", "12", 12, "12.0ms", ""},
        {"DelayInMetres", "delay.main.l", "12m", 0, "", "unit ms expected"},
        {"DelayLetters", "delay.main.l", "abc", 0, "", "not a number"},
        // Metres
        {"PositionMetres", "position.main.l.x", "1.5m", 1.5, "1.5m", ""},
        {"PositionComma", "position.main.l.x", "-1,5", -1.5, "-1.5m", ""},
        {"PositionPlusUpper", "position.main.l.x", "+1.5 M", 1.5, "1.5m", ""},
        {"PositionInMs", "position.main.l.x", "1.5ms", 0, "", "unit m expected"},
        {"PositionLetters", "position.main.l.x", "abc", 0, "", "not a number"},
        {"RoomMetres", "room.width", "6m", 6, "6m", ""},
        {"RoomPlain", "room.width", "6", 6, "6m", ""},
        {"RoomLetters", "room.width", "abc", 0, "", "not a number"},
        {"RoomInFeet", "room.width", "6 ft", 0, "", "unit m expected"},
        // Ratio, percent, a plain level, a switch
        {"RatioColon", "main.comp.ratio", "4:1", 4, "4.0:1", ""},
        {"RatioPlain", "main.comp.ratio", "4", 4, "4.0:1", ""},
        {"RatioComma", "main.comp.ratio", "4,5:1", 4.5, "4.5:1", ""},
        {"RatioWrongSide", "main.comp.ratio", "4:2", 0, "", "unit :1 expected"},
        {"PercentSign", "main.mix.music", "50%", 50, "50%", ""},
        {"PercentPlain", "main.mix.music", "50", 50, "50%", ""},
        {"PercentSpaced", "main.mix.music", "50 %", 50, "50%", ""},
        {"PercentInDb", "main.mix.music", "50dB", 0, "", "unit % expected"},
        {"LevelPlain", "music.level", "35", 35, "35", ""},
        {"LevelPlus", "music.level", "+35", 35, "35", ""},
        {"LevelInDb", "music.level", "35dB", 0, "", "a number without a unit expected"},
        {"SwitchOnUpper", "main.mute", "ON", 1, "on", ""},
        {"SwitchNumber", "main.mute", "1", 0, "", "on or off expected"},
    };
    return rows;
}

}  // namespace kv::test
