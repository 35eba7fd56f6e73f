#include "device/Parameters.h"

namespace kv::prm {
namespace {

constexpr OutputParams kMainParams{28, 32, 33, 34, {35, 36}, {37, 38}, {39, 40}, 41, 2, 44, {42, 43}, {24, 26}};
constexpr OutputParams kRearParams{14, 18, 19, 20, {21, 22}, {23, 24}, {25, 26}, 27, 2, 30, {28, 29}, {10, 12}};
constexpr OutputParams kCenterParams{12, 16, 17, 18, {19, -1}, {20, -1}, {21, -1}, 22, 1, -1, {23, -1}, {10, -1}};
constexpr OutputParams kSubParams{22, 26, 27, 28, {29, -1}, {30, -1}, {31, -1}, 32, 1, -1, {33, -1}, {20, -1}};

}  // namespace

const OutputParams& OutputParamsOf(const fld::OutputFields& out) {
    switch (out.module) {
        case fld::kMain.module:
            return kMainParams;
        case fld::kCenter.module:
            return kCenterParams;
        case fld::kSub.module:
            return kSubParams;
        default:
            return kRearParams;  // REAR and TOP share their numbers
    }
}

const fld::OutputFields* OutputOfModule(int module) {
    for (const auto* o : fld::kOutputs)
        if (o->module == module) return o;
    return nullptr;
}

}  // namespace kv::prm
