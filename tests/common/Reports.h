#pragma once
// Parameter writes as the box must receive them, for tests that compare bytes.

#include <initializer_list>
#include <vector>

#include "device/Report.h"

namespace kv::test {

inline Report Floats(int module, int parameter, std::initializer_list<float> values) {
    std::vector<ParamValue> v;
    for (float f : values) v.push_back(ParamValue::FromFloat(f));
    return BuildParamWrite(module, parameter, v);
}
inline Report Ints(int module, int parameter, std::initializer_list<std::int32_t> values) {
    std::vector<ParamValue> v;
    for (auto i : values) v.push_back(ParamValue::FromInt(i));
    return BuildParamWrite(module, parameter, v);
}

}  // namespace kv::test
