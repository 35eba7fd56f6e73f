// The address of every plain field, looked up both ways, and what one field write puts
// on the wire. Rows are the box's field tables, written out here on their own.

#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>

#include "BoxFixture.h"
#include "device/InboundParser.h"
#include "device/WireTable.h"
#include "model/Bytes.h"

namespace kv::test {
namespace {

using K = FieldKind;

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

struct Row {
    int field;
    int module;
    int parameter;
    int copies;
    K kind;
    int minVersion;
    std::uint32_t stored;  // sample value as the store holds it
    std::uint32_t wire;    // that value as each copy goes out
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "field " << r.field << " -> " << r.module << "/" << r.parameter;
}

// Sample values: 37 hundredths, 42e-4, 61e-5, 61e-7, switch 3, muted, surround 25, AGC level 2.5.
constexpr std::uint32_t kH = 37, kI = 3, kN = 25, kMuted = 1;
const std::uint32_t kHWire = Bits(0.37f);
const std::uint32_t kMutedWire = Bits(0.0f);

std::vector<Row> Rows() {
    std::vector<Row> r;
    const auto h = [&](int f, int m, int p, int n = 1) { r.push_back({f, m, p, n, K::Hundredths, 0, kH, kHWire}); };
    const auto i = [&](int f, int m, int p, int v = 0) { r.push_back({f, m, p, 1, K::Integer, v, kI, kI}); };
    const auto mute = [&](int f, int m, int p, int n) { r.push_back({f, m, p, n, K::Mute, 0, kMuted, kMutedWire}); };
    // Microphones.
    for (int k = 0; k < 4; ++k) h(27 + k, 1, 33 + k);
    i(31, 1, 37);
    i(32, 1, 41);
    for (int k = 0; k < 4; ++k) h(35 + k, 1, 46 + k);
    i(39, 1, 50);
    i(40, 1, 54);
    for (int k = 0; k < 4; ++k) h(44 + k, 1, 56 + k);
    for (int k = 0; k < 4; ++k) r.push_back({48 + k, 1, 60 + k, 1, K::Ten4, 0, 42, Bits(0.0042f)});
    r.push_back({52, 1, 64, 1, K::Ten5, 0, 61, Bits(0.00061f)});
    r.push_back({53, 1, 65, 1, K::Ten7, 0, 61, Bits(6.1e-6f)});
    i(54, 1, 67);
    h(55, 1, 68);
    // Echo.
    i(56, 2, 14);
    h(57, 2, 15);
    h(61, 2, 19);
    h(62, 2, 20);
    i(63, 2, 21);
    h(64, 2, 22);
    h(68, 2, 26);
    h(69, 2, 27);
    h(70, 2, 28, 2);
    mute(71, 2, 29, 2);
    // Reverb.
    i(72, 3, 14);
    h(73, 3, 15);
    i(77, 3, 20);
    h(78, 3, 21);
    h(82, 3, 26, 2);
    mute(83, 3, 27, 2);
    // Music.
    h(84, 4, 15, 6);
    h(85, 4, 16, 2);
    h(86, 4, 17, 2);
    h(87, 4, 18, 2);
    i(89, 4, 20);
    h(91, 4, 25);
    h(92, 4, 26);
    h(93, 4, 27);
    r.push_back({94, 4, 28, 1, K::Ten4, 0, 42, Bits(0.0042f)});
    r.push_back({95, 4, 29, 1, K::Ten5, 0, 61, Bits(0.00061f)});
    r.push_back({96, 4, 30, 1, K::Ten7, 0, 61, Bits(6.1e-6f)});
    i(179, 4, 21, 9);
    r.push_back({180, 4, 22, 1, K::Float, 9, Bits(2.5f), Bits(2.5f)});
    // Outputs: first field, module, mix / EQ bypass / compressor bypass / delay switches /
    // mute / surround parameters, mute copies.
    struct Out {
        int first, module, mix, eq, comp, off1, off2, mute, muteCopies, surround;
    };
    for (const Out& o : {Out{97, 5, 28, 32, 34, 37, 38, 41, 2, 44}, Out{115, 6, 14, 18, 20, 23, 24, 27, 2, 30},
                         Out{133, 9, 14, 18, 20, 23, 24, 27, 2, 30}, Out{151, 7, 12, 16, 18, 20, -1, 22, 1, -1},
                         Out{165, 8, 22, 26, 28, 30, -1, 32, 1, -1}}) {
        const bool stereo = o.off2 >= 0;
        for (int k = 0; k < 4; ++k) h(o.first + k, o.module, o.mix + k);
        i(o.first + 4, o.module, o.eq);
        i(o.first + 5, o.module, o.comp);
        i(o.first + (stereo ? 12 : 11), o.module, o.off1);
        if (stereo) i(o.first + 13, o.module, o.off2);
        mute(o.first + (stereo ? 16 : 13), o.module, o.mute, o.muteCopies);
        if (o.surround >= 0) r.push_back({o.first + 17, o.module, o.surround, 2, K::Surround, 7, kN, Bits(-0.25f)});
    }
    return r;
}

// A parameter write as it must look on the wire, byte by byte.
Report Expected(const Row& r) {
    Report e{};
    e[0] = 0x02;
    e[1] = 0x09;
    e[3] = static_cast<std::uint8_t>(r.module);
    e[4] = static_cast<std::uint8_t>(r.parameter);
    e[5] = static_cast<std::uint8_t>(r.copies);
    for (int c = 0; c < r.copies; ++c)
        for (int b = 0; b < 4; ++b) e[static_cast<std::size_t>(6 + 4 * c + b)] = (r.wire >> (24 - 8 * b)) & 0xFF;
    return e;
}

class PlainField : public ::testing::TestWithParam<Row> {};

TEST_P(PlainField, AddressAgreesBothWays) {
    const Row& r = GetParam();
    const WireField* w = WireOfField(r.field);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->field, r.field);
    EXPECT_EQ(w->module, r.module);
    EXPECT_EQ(w->parameter, r.parameter);
    EXPECT_EQ(w->copies, r.copies);
    EXPECT_EQ(w->kind, r.kind);
    EXPECT_EQ(w->minVersion, r.minVersion);
    EXPECT_EQ(WireOfParameter(r.module, r.parameter), w);
}

TEST_P(PlainField, SendFieldPutsTheStoredValueOnTheWire) {
    const Row& r = GetParam();
    Box b;
    b.core->store.SetInt(r.field, static_cast<std::int32_t>(r.stored));
    EXPECT_EQ(b.core->encoders.SendField(r.field), kReportSize);
    EXPECT_EQ(b.Sent(cmd::kParamWrite), std::vector<Report>{Expected(r)});
}

TEST_P(PlainField, ReplyOfTheSentValueDecodesToTheStoredValue) {
    const Row& r = GetParam();
    ParameterStore store;
    store.SetCommandSetVersion(9);
    InboundParser parser(store);
    Report reply = Expected(r);
    reply[1] = cmd::kParamRead;
    reply[2] = 0;
    parser.Dispatch(reply);
    EXPECT_EQ(static_cast<std::uint32_t>(store.Int(r.field)), r.stored);
}

INSTANTIATE_TEST_SUITE_P(Fields, PlainField, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return "Field" + std::to_string(info.param.field); });

// Whole-state transfers: every plain field, each holding a value of its own, reaches its
// address in a write-all and comes back from it in a read-back.
std::uint32_t OwnValue(const Row& r) {
    switch (r.kind) {
        case K::Integer:
            return static_cast<std::uint32_t>(r.field);
        case K::Mute:
            return static_cast<std::uint32_t>(r.field % 2);
        case K::Float:
            return Bits(r.field / 8.0f);
        default:
            return static_cast<std::uint32_t>(10 + r.field % 80);
    }
}

// What the box must hold for that value: hundredths and finer units as floats, switches
// as integers, mutes inverted, surround volumes negated.
std::uint32_t OwnWire(const Row& r) {
    const auto v = static_cast<std::int32_t>(OwnValue(r));
    switch (r.kind) {
        case K::Hundredths:
            return Bits(static_cast<float>(v / 100.0));
        case K::Ten4:
            return Bits(static_cast<float>(v / 1e4));
        case K::Ten5:
            return Bits(static_cast<float>(v / 1e5));
        case K::Ten7:
            return Bits(static_cast<float>(v / 1e7));
        case K::Mute:
            return Bits(v ? 0.0f : 1.0f);
        case K::Surround:
            return Bits(static_cast<float>(-v / 100.0));
        default:
            return OwnValue(r);
    }
}

class WholeState : public ::testing::TestWithParam<Row> {
protected:
    static void SetUpTestSuite() {
        s_box = std::make_unique<Box>();
        auto& store = s_box->core->store;
        for (const Row& r : Rows()) store.SetInt(r.field, static_cast<std::int32_t>(OwnValue(r)));
        // With the level ramp on, the music level goes out too (at the end of the transfer).
        auto settings = store.AppliedSettings();
        settings[0] = 1;
        store.SetAppliedSettings(settings);
        ASSERT_TRUE(s_box->core->sync.StartWriteAll(nullptr));
        s_box->core->sync.Wait();
        s_readBack = std::make_unique<DeviceContext>(MakeSimOpener(s_box->box), LinkTimings{2000, 500, 5}, NoWaits(),
                                                     EncoderTimings{0, 0});
        ASSERT_TRUE(s_readBack->link.Open());
        // Each field holds its own number, mostly out of range: the decoding is under test here.
        s_readBack->sync.SetClampAfterReadBack(false);
        ASSERT_TRUE(s_readBack->sync.StartReadBack(nullptr));
        s_readBack->sync.Wait();
    }
    static void TearDownTestSuite() {
        s_readBack.reset();
        s_box.reset();
    }
    static std::unique_ptr<Box> s_box;
    static std::unique_ptr<DeviceContext> s_readBack;
};
std::unique_ptr<Box> WholeState::s_box;
std::unique_ptr<DeviceContext> WholeState::s_readBack;

TEST_P(WholeState, WriteAllPutsTheFieldAtItsAddress) {
    const Row& r = GetParam();
    EXPECT_EQ(s_box->box->ParamWords(r.module, r.parameter),
              std::vector<std::uint32_t>(static_cast<std::size_t>(r.copies), OwnWire(r)));
}

TEST_P(WholeState, ReadBackBringsTheFieldHome) {
    const Row& r = GetParam();
    EXPECT_EQ(static_cast<std::uint32_t>(s_readBack->store.Int(r.field)), OwnValue(r));
}

INSTANTIATE_TEST_SUITE_P(Fields, WholeState, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return "Field" + std::to_string(info.param.field); });

TEST(WireTable, HoldsExactlyThePlainFields) {
    const auto rows = Rows();
    std::set<int> expected;
    for (const Row& r : rows) expected.insert(r.field);
    std::set<int> table;
    for (const WireField& w : WireFields()) table.insert(w.field);
    EXPECT_EQ(table, expected);
    EXPECT_EQ(WireFields().size(), rows.size());  // no field twice
}

// Fields with an encoder of their own, and addresses that belong to them.
class NotPlain : public ::testing::TestWithParam<int> {};
TEST_P(NotPlain, FieldHasNoPlainAddressAndSendsNothing) {
    Box b;
    EXPECT_EQ(WireOfField(GetParam()), nullptr);
    EXPECT_EQ(b.core->encoders.SendField(GetParam()), 0);
    EXPECT_TRUE(b.Sent(cmd::kParamWrite).empty());
}
INSTANTIATE_TEST_SUITE_P(Fields, NotPlain,
                         ::testing::Values(-1, 0, 4, 22, 25, 26, 33, 34, 41, 42, 43, 58, 59, 60, 67, 74, 76, 81, 88, 90,
                                           103, 104, 107, 108, 111, 112, 161, 163, 175, 177, 181, 182, 183));

struct Address {
    int module, parameter;
};
class NotPlainAddress : public ::testing::TestWithParam<Address> {};
TEST_P(NotPlainAddress, ParameterHasNoPlainField) {
    EXPECT_EQ(WireOfParameter(GetParam().module, GetParam().parameter), nullptr);
}
INSTANTIATE_TEST_SUITE_P(Addresses, NotPlainAddress,
                         ::testing::Values(Address{1, 30}, Address{1, 43}, Address{1, 42}, Address{1, 55},
                                           Address{1, 38}, Address{1, 39}, Address{1, 40}, Address{1, 66},
                                           Address{2, 16}, Address{2, 18}, Address{2, 25}, Address{3, 18},
                                           Address{3, 19}, Address{3, 22}, Address{4, 19}, Address{4, 23},
                                           Address{4, 24}, Address{5, 33}, Address{5, 35}, Address{5, 39},
                                           Address{5, 42}, Address{7, 23}, Address{8, 31}, Address{0, 14},
                                           Address{10, 14}, Address{1, 300}));

// A field a box's command set does not take is stored but not sent.
struct Gate {
    int field;
    int tooOld;
    int firstTaking;
};
class VersionGate : public ::testing::TestWithParam<Gate> {};
TEST_P(VersionGate, OlderBoxGetsNothing) {
    const Gate g = GetParam();
    {
        Box b(g.tooOld);
        b.core->store.SetInt(g.field, 5);
        EXPECT_EQ(b.core->encoders.SendField(g.field), 0);
        EXPECT_TRUE(b.Sent(cmd::kParamWrite).empty());
        EXPECT_EQ(b.core->store.Int(g.field), 5);
    }
    Box b(g.firstTaking);
    b.core->store.SetInt(g.field, 5);
    EXPECT_EQ(b.core->encoders.SendField(g.field), kReportSize);
    EXPECT_EQ(b.Sent(cmd::kParamWrite).size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(Fields, VersionGate,
                         ::testing::Values(Gate{114, 6, 7}, Gate{132, 6, 7}, Gate{150, 6, 7}, Gate{179, 8, 9},
                                           Gate{180, 8, 9}));

TEST(SendField, ClosedLinkSendsNothing) {
    Box b;
    b.core->link.Close(false);
    b.Clear();
    b.core->store.SetInt(fld::kReverbChALevel, 40);
    EXPECT_EQ(b.core->encoders.SendField(fld::kReverbChALevel), 0);
    EXPECT_TRUE(b.Sent(cmd::kParamWrite).empty());
    EXPECT_EQ(b.core->store.Int(fld::kReverbChALevel), 40);
}

// The conversions at their edges.
struct Conversion {
    K kind;
    std::uint32_t stored;
    std::uint32_t wire;
};
class WireConversion : public ::testing::TestWithParam<Conversion> {};
TEST_P(WireConversion, StoredBitsBecomeWireBits) {
    EXPECT_EQ(WireValueOf(GetParam().kind, GetParam().stored).bits, GetParam().wire);
}
INSTANTIATE_TEST_SUITE_P(Edges, WireConversion,
                         ::testing::Values(Conversion{K::Mute, 0, Bits(1.0f)}, Conversion{K::Mute, 1, Bits(0.0f)},
                                           Conversion{K::Hundredths, 100, Bits(1.0f)},
                                           Conversion{K::Hundredths, static_cast<std::uint32_t>(-50), Bits(-0.5f)},
                                           Conversion{K::Surround, 0, 0u},  // +0.0, not -0.0
                                           Conversion{K::Surround, static_cast<std::uint32_t>(-100), Bits(1.0f)},
                                           Conversion{K::Surround, 0x80000000u, Bits(21474836.48f)},
                                           Conversion{K::Integer, static_cast<std::uint32_t>(-2), 0xFFFFFFFEu},
                                           Conversion{K::Float, Bits(std::numeric_limits<float>::infinity()), 0u},
                                           Conversion{K::Float, 0x7FC00000u, 0u},
                                           Conversion{K::Ten4, 10000, Bits(1.0f)},
                                           Conversion{K::Ten7, 10000000, Bits(1.0f)}));

}  // namespace
}  // namespace kv::test
