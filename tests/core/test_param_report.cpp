// The named view of a parameter report reads back what the builder wrote, at the byte
// positions the box uses: code at 1, status 2, module 3, parameter 4, count 5, values from 6.
#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "device/ParamReport.h"
#include "device/Report.h"

namespace {

using kv::ParamReport;
using kv::ParamValue;

// Distinct values, alternately floats and integers, so that a value read from the wrong
// slot or with the wrong width is noticed.
std::vector<ParamValue> Values(int n) {
    std::vector<ParamValue> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i % 2 ? ParamValue::FromInt(-1000 * (i + 1)) : ParamValue::FromFloat(0.25f * (i + 1)));
    return v;
}

class WriteOfCount : public ::testing::TestWithParam<int> {};

TEST_P(WriteOfCount, ViewReadsWhatTheBuilderWrote) {
    const int n = GetParam();
    const auto values = Values(n);
    const kv::Report bytes = kv::BuildParamWrite(9, 28, values);
    const ParamReport r(bytes);
    EXPECT_EQ(r.Code(), 0x09);
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(r.Module(), 9);
    EXPECT_EQ(r.Parameter(), 28);
    EXPECT_EQ(r.Count(), n);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(r.Bits(i), values[static_cast<std::size_t>(i)].bits) << "value " << i;
        if (i % 2)
            EXPECT_EQ(r.Int(i), -1000 * (i + 1));
        else
            EXPECT_EQ(r.Float(i), 0.25f * (i + 1));
    }
    for (int i = n; i < ParamReport::kValueSlots; ++i) EXPECT_EQ(r.Bits(i), 0u) << "value " << i;
    EXPECT_EQ(r.Bytes(), bytes);
}

TEST_P(WriteOfCount, ValuesOccupyBytesSixOnwardBigEndian) {
    const int n = GetParam();
    const kv::Report bytes = kv::BuildParamWrite(1, 56, Values(n));
    // n values fill bytes 6 .. 6 + 4n - 1 (24 bytes up to 29 for six, 28 up to 33 for seven).
    EXPECT_EQ(ParamReport::EndOfValues(n), 6 + 4 * n);
    const std::uint32_t first = std::bit_cast<std::uint32_t>(0.25f);
    EXPECT_EQ(bytes[6], first >> 24);
    EXPECT_EQ(bytes[7], (first >> 16) & 0xFF);
    EXPECT_EQ(bytes[8], (first >> 8) & 0xFF);
    EXPECT_EQ(bytes[9], first & 0xFF);
    EXPECT_NE(bytes[static_cast<std::size_t>(6 + 4 * n - 1)] | bytes[static_cast<std::size_t>(6 + 4 * n - 4)], 0);
    for (std::size_t i = static_cast<std::size_t>(6 + 4 * n); i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, WriteOfCount, ::testing::Values(1, 2, 5, 6, 7));

TEST(ParamReportView, BuilderCutsAtSevenValues) {
    const ParamReport r(kv::BuildParamWrite(5, 33, Values(9)));
    EXPECT_EQ(r.Count(), 7);
    EXPECT_EQ(r.Bytes()[34], 0);
    EXPECT_EQ(r.Bits(7), 0u);  // past the value area
}

TEST(ParamReportView, ReadRequestHeader) {
    const kv::Report bytes = kv::BuildParamRead(6, 19, 7);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 7)),
              (std::vector<std::uint8_t>{0x02, 0x0A, 0x00, 6, 19, 7, 0}));
    const ParamReport r(bytes);
    EXPECT_EQ(r.Code(), 0x0A);
    EXPECT_EQ(r.Module(), 6);
    EXPECT_EQ(r.Parameter(), 19);
    EXPECT_EQ(r.Count(), 7);
}

TEST(ParamReportView, CraftedReplyReadsSafely) {
    kv::Report bytes{};
    bytes[1] = 0x0A;
    bytes[2] = 0x03;  // bad status
    bytes[3] = 4;
    bytes[4] = 23;
    bytes[5] = 200;  // claims more values than fit
    bytes[6] = 0x12;
    bytes[9] = 0xAB;
    const ParamReport r(bytes);
    EXPECT_EQ(r.Status(), 3);
    EXPECT_EQ(r.Count(), 200);
    EXPECT_EQ(r.Bits(0), 0x120000ABu);
    EXPECT_EQ(r.LowByte(0), 0xAB);  // byte 9, where switches are read
    EXPECT_EQ(r.Bits(-1), 0u);
    EXPECT_EQ(r.Bits(200), 0u);
}

TEST(ParamReportView, SettersWriteOnlyInsideTheValueArea) {
    ParamReport r(0x0A, 3, 27, 2);
    r.SetStatus(1);
    r.SetValue(1, ParamValue::FromFloat(1.0f));
    const kv::Report before = r.Bytes();
    r.SetValue(-1, ParamValue{0xFFFFFFFFu});
    r.SetValue(ParamReport::kValueSlots, ParamValue{0xFFFFFFFFu});
    EXPECT_EQ(r.Bytes(), before);
    EXPECT_EQ((std::vector<std::uint8_t>(before.begin(), before.begin() + 14)),
              (std::vector<std::uint8_t>{0x02, 0x0A, 0x01, 3, 27, 2, 0, 0, 0, 0, 0x3F, 0x80, 0, 0}));
}

}  // namespace
