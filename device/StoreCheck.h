#pragma once
// Values a file or a box left in the store that no control could have set. Mode files and
// read-backs are straight copies of words, so anything may arrive; what the pages show and
// what a write-all sends must still lie within each setting's range.

#include <string>
#include <vector>

namespace kv {

class ParameterStore;

struct OutOfRange {
    std::string address;    // the setting's address, or the field's name where no setting reads it
    std::string fileValue;  // the value as stored
    std::string usedValue;  // the value in range that replaces it
};

// Every setting whose stored value lies outside its range, once each, in table order.
// Ranges that depend on the box (its microphone and music maxima, its command set) are
// taken from the store's applied device settings and identity.
std::vector<OutOfRange> CheckStore(const ParameterStore& store);
// Puts every value CheckStore lists to the nearest value in range (a value that is not a
// number to the setting's neutral value, a mute to muted); returns what it changed.
std::vector<OutOfRange> ClampStore(ParameterStore& store);

// "main.mix.music: 2147483647% -> 100%"
std::string DescribeOutOfRange(const OutOfRange& o);

}  // namespace kv
