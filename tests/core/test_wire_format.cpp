// Packing of numbers and the building of reports, byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "device/Report.h"
#include "model/Bytes.h"

namespace {

TEST(WireNumbers, BigEndianIntegersAndFloats) {
    std::uint8_t b[4];
    kv::PutBe32(b, 0x01020304u);
    EXPECT_EQ(std::vector<std::uint8_t>(b, b + 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(kv::GetBe32(b), 0x01020304u);
    kv::PutBeFloat(b, 1.0f);
    EXPECT_EQ(std::vector<std::uint8_t>(b, b + 4), (std::vector<std::uint8_t>{0x3F, 0x80, 0, 0}));
    kv::PutBeFloat(b, -0.0f);
    EXPECT_EQ(b[0], 0x80);
    EXPECT_FLOAT_EQ(kv::GetBeFloat(b), 0.0f);
}

TEST(WireNumbers, SignAndMagnitudeByte) {
    EXPECT_EQ(kv::EncodeSignMagnitude(0.0), 0x80);
    EXPECT_EQ(kv::EncodeSignMagnitude(-0.5), 0x85);
    EXPECT_EQ(kv::EncodeSignMagnitude(1.0), 0x0A);
    EXPECT_EQ(kv::EncodeSignMagnitude(0.25), 0x03);  // half away from zero
    EXPECT_EQ(kv::EncodeSignMagnitude(-0.25), 0x83);
    EXPECT_EQ(kv::EncodeSignMagnitude(12.7), 0x7F);
    EXPECT_EQ(kv::EncodeSignMagnitude(99.0), 0x7F);  // never wraps into the sign bit
    EXPECT_FLOAT_EQ(kv::DecodeSignMagnitude(0x85), -0.5f);
    EXPECT_FLOAT_EQ(kv::DecodeSignMagnitude(0x7F), 12.7f);
    EXPECT_FALSE(std::signbit(kv::DecodeSignMagnitude(0x80)));
}

TEST(Reports, CommandsAreCutAt60Bytes) {
    std::vector<std::uint8_t> many(70, 0x11);
    auto r = kv::BuildCommand(many);
    EXPECT_EQ(r[0], kv::kReportNumber);
    EXPECT_EQ(r[60], 0x11);
    auto shortCmd = kv::BuildCommand({kv::cmd::kModeSave, 2});
    EXPECT_EQ(shortCmd[1], 0x04);
    EXPECT_EQ(shortCmd[2], 2);
    EXPECT_TRUE(std::all_of(shortCmd.begin() + 3, shortCmd.end(), [](auto b) { return b == 0; }));
}

TEST(Reports, ParameterWriteLayout) {
    std::vector<kv::ParamValue> six(6, kv::ParamValue::FromFloat(0.5f));
    auto r = kv::BuildParamWrite(4, 15, six);
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin(), r.begin() + 6),
              (std::vector<std::uint8_t>{0x02, 0x09, 0x00, 4, 15, 6}));
    EXPECT_EQ(r[26], 0x3F);  // the sixth value starts at byte 26 and ends at 29
    EXPECT_EQ(r[27], 0x00);
    EXPECT_EQ(r[30], 0x00);

    std::vector<kv::ParamValue> nine(9, kv::ParamValue::FromInt(-1));
    auto r7 = kv::BuildParamWrite(5, 33, nine);
    EXPECT_EQ(r7[5], 7);
    EXPECT_EQ(r7[33], 0xFF);
    EXPECT_EQ(r7[34], 0x00);
}

TEST(Reports, MemoryWriteOfTheLastEqBlock) {
    std::vector<std::uint8_t> data(21, 0x5A);
    auto r = kv::BuildMemoryWrite(1120, data);
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin(), r.begin() + 5),
              (std::vector<std::uint8_t>{0x02, 0x85, 0x04, 0x60, 21}));
    EXPECT_EQ(r[25], 0x5A);
    EXPECT_EQ(r[26], 0x00);
    std::vector<std::uint8_t> tooMuch(80, 1);
    EXPECT_EQ(kv::BuildMemoryWrite(0, tooMuch)[4], 56);
}

TEST(Reports, IdentityTextStopsAtZeroOrTheField) {
    kv::Report r{};
    r[1] = 0x80;
    EXPECT_EQ(kv::ReplyText(r, 29), "");
    const char* model = "KV4420M";
    std::copy(model, model + 7, r.begin() + 2);
    EXPECT_EQ(kv::ReplyText(r, 29), "KV4420M");
    EXPECT_EQ(kv::ReplyText(r, 3), "KV4");
    std::fill(r.begin() + 2, r.end(), 'A');  // no terminator: ends with the report
    EXPECT_EQ(kv::ReplyText(r, 100).size(), 59u);
}

}  // namespace
