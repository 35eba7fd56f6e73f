#pragma once
// Expected coefficient writes from tests/data/coefficient_table.txt, which
// tests/data/make_coefficient_table.py computed once from the section formulas in plain
// Python (see there): an expectation independent of the program's own design code.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "device/Report.h"

namespace kv::test {

// A band as stored: section code, gain code, frequency, Q code; 'f' when gain and Q are the
// single-precision values of their codes, 'd' when Q is code / 1000 in double precision.
struct TableBand {
    int code, gainCode, freq, qCode;
    char qForm = 'f';
    auto Key() const { return std::tuple{code, gainCode, freq, qCode, qForm}; }
};

using CoefficientWords = std::array<std::uint32_t, 5>;  // -a1, -a2, b0, b1, b2

inline const std::map<std::tuple<int, int, int, int, char>, CoefficientWords>& CoefficientTable() {
    static const auto table = [] {
        std::map<std::tuple<int, int, int, int, char>, CoefficientWords> t;
        std::ifstream in(KV_TEST_DATA_DIR "/coefficient_table.txt");
        EXPECT_TRUE(in) << "coefficient table missing";
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream row(line);
            TableBand b{};
            std::string colon;
            CoefficientWords w{};
            row >> b.code >> b.gainCode >> b.freq >> b.qCode >> b.qForm >> colon >> std::hex >> w[0] >> w[1] >> w[2] >>
                w[3] >> w[4];
            EXPECT_TRUE(row && colon == ":") << line;
            t[b.Key()] = w;
        }
        return t;
    }();
    return table;
}

// The coefficient write of a band to (module, slot) as the table gives it; an empty report
// (which matches nothing sent) when the table has no such band.
inline Report CoefficientWrite(int module, int slot, const TableBand& band) {
    const auto it = CoefficientTable().find(band.Key());
    EXPECT_NE(it, CoefficientTable().end()) << "no table row for code " << band.code << " at " << band.freq << " Hz";
    if (it == CoefficientTable().end()) return Report{};
    std::vector<ParamValue> v;
    for (std::uint32_t word : it->second) v.push_back(ParamValue{word});
    return BuildParamWrite(module, slot, v);
}

}  // namespace kv::test
