// The delay panel's time axis and rows, and the speaker panel's room to scale: value to
// pixel and back, clamping and which handle or point a press takes.

#include <gtest/gtest.h>

#include <array>

#include "eq/DelayGeometry.h"
#include "eq/RoomGeometry.h"

namespace kv::eq {
namespace {

// A 496 x 225 delay panel: 400 px for 106 ms, rows 25 px apart from y = 5.
const DelayGeometry kDelay(0, 0, 496, 225);

struct MsCase {
    double ms, x;
};
class DelayAxis : public ::testing::TestWithParam<MsCase> {};
TEST_P(DelayAxis, ValueToXAndBack) {
    EXPECT_DOUBLE_EQ(kDelay.X(GetParam().ms), GetParam().x);
    EXPECT_NEAR(kDelay.Ms(GetParam().x), GetParam().ms, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Axis, DelayAxis,
                         ::testing::Values(MsCase{1.5, 78 + 1.5 * 400 / 106.0}, MsCase{53, 278},
                                           MsCase{100, 78 + 100 * 400 / 106.0}));

TEST(DelayAxis, PixelsOutsideTheLimitsClamp) {
    EXPECT_DOUBLE_EQ(kDelay.Ms(78), 1.5);   // 0 ms on the axis
    EXPECT_DOUBLE_EQ(kDelay.Ms(478), 100);  // 106 ms on the axis
    EXPECT_DOUBLE_EQ(kDelay.Ms(-50), 1.5);
}

struct RowCase {
    int row, top;
};
class DelayRows : public ::testing::TestWithParam<RowCase> {};
TEST_P(DelayRows, BandsOfEqualHeight) {
    EXPECT_EQ(kDelay.RowTop(GetParam().row), GetParam().top);
    EXPECT_DOUBLE_EQ(kDelay.RowHeight(), 25.0);
}
INSTANTIATE_TEST_SUITE_P(Rows, DelayRows, ::testing::Values(RowCase{0, 5}, RowCase{3, 80}, RowCase{7, 180}));

struct HitCase {
    const char* name;
    double dx, dy;  // from the centre of row 2's handle
    int row;
};
class DelayHit : public ::testing::TestWithParam<HitCase> {};
TEST_P(DelayHit, TakesTheFirstHandleWithin15Pixels) {
    std::array<double, 8> values{};
    values.fill(50.0);
    const auto c = kDelay.HandleCentre(2, 50.0, 11);
    EXPECT_EQ(kDelay.HitRow(c[0] + GetParam().dx, c[1] + GetParam().dy, values, 11), GetParam().row) << GetParam().name;
}
INSTANTIATE_TEST_SUITE_P(Hits, DelayHit,
                         ::testing::Values(HitCase{"centre", 0, 0, 2}, HitCase{"15 px right", 15, 0, 2},
                                           HitCase{"16 px right", 16, 0, -1},
                                           // Between rows 2 and 3: the first row wins.
                                           HitCase{"between rows", 0, 12.5, 2}, HitCase{"row 3", 0, 25, 3}));

// A 460 x 360 client holding a 4 m x 3 m room: 100 px per metre both ways, centre (230, 180).
const RoomGeometry kRoom(0, 0, 460, 360, 4, 3);

struct RoomCase {
    double x, y, px, py;
};
class RoomScale : public ::testing::TestWithParam<RoomCase> {};
TEST_P(RoomScale, MetresToPixelsAndBack) {
    const RoomCase& c = GetParam();
    EXPECT_DOUBLE_EQ(kRoom.Pixel(c.x, c.y).x, c.px);
    EXPECT_DOUBLE_EQ(kRoom.Pixel(c.x, c.y).y, c.py);
    EXPECT_NEAR(kRoom.Metres(c.px, c.py).x, c.x, 1e-9);
    EXPECT_NEAR(kRoom.Metres(c.px, c.py).y, c.y, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Scale, RoomScale,
                         ::testing::Values(RoomCase{0, 0, 230, 180}, RoomCase{-2, 1.5, 30, 30},
                                           RoomCase{2, -1.5, 430, 330}, RoomCase{1, 1, 330, 80}));

TEST(RoomScale, APointerOutsideTheRoomClampsToItsEdge) {
    EXPECT_DOUBLE_EQ(kRoom.Metres(0, 0).x, -2.0);
    EXPECT_DOUBLE_EQ(kRoom.Metres(0, 0).y, 1.5);
    EXPECT_DOUBLE_EQ(kRoom.Metres(1000, 1000).x, 2.0);
    EXPECT_DOUBLE_EQ(kRoom.Metres(1000, 1000).y, -1.5);
}

// Rooms drawn to scale, centred: a 500 x 300 client leaves a 440 x 240 area.
struct ScaleCase {
    const char* name;
    double roomW, roomL;
    double pixelsPerMetre, left, top;
};
class RoomToScale : public ::testing::TestWithParam<ScaleCase> {};
TEST_P(RoomToScale, SameMetresPerPixelBothWaysAndCentred) {
    const ScaleCase& c = GetParam();
    const RoomGeometry g(0, 0, 500, 300, c.roomW, c.roomL);
    EXPECT_DOUBLE_EQ(g.PixelsPerMetreX(), c.pixelsPerMetre) << c.name;
    EXPECT_DOUBLE_EQ(g.PixelsPerMetreY(), c.pixelsPerMetre) << c.name;
    const RoomPoint tl = g.Pixel(-c.roomW / 2, c.roomL / 2), br = g.Pixel(c.roomW / 2, -c.roomL / 2);
    EXPECT_DOUBLE_EQ(tl.x, c.left) << c.name;
    EXPECT_DOUBLE_EQ(tl.y, c.top) << c.name;
    EXPECT_DOUBLE_EQ(br.x, 500 - c.left) << c.name;
    EXPECT_DOUBLE_EQ(br.y, 300 - c.top) << c.name;
    EXPECT_DOUBLE_EQ(g.Pixel(0, 0).x, 250) << c.name;
    EXPECT_DOUBLE_EQ(g.Pixel(0, 0).y, 150) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Rooms, RoomToScale,
                         ::testing::Values(
                             // 440/10 = 44 across, 240/4 = 60 down: the width decides, 440 x 176.
                             ScaleCase{"10 x 4", 10, 4, 44, 30, 62},
                             // 440/4 = 110 across, 240/10 = 24 down: the length decides, 96 x 240.
                             ScaleCase{"4 x 10", 4, 10, 24, 202, 30}));

// A 4 m x 3 m room in the 460 x 360 client above: the border runs x -2..2, y -1.5..1.5.
struct OutsideCase {
    const char* name;
    RoomPoint at;
    bool outside;
    RoomPoint drawnAt;  // pixel
};
class RoomOutside : public ::testing::TestWithParam<OutsideCase> {};
TEST_P(RoomOutside, DrawnOnTheBorderAndFlagged) {
    const OutsideCase& c = GetParam();
    EXPECT_EQ(kRoom.Outside(c.at), c.outside) << c.name;
    EXPECT_DOUBLE_EQ(kRoom.MarkerPixel(c.at).x, c.drawnAt.x) << c.name;
    EXPECT_DOUBLE_EQ(kRoom.MarkerPixel(c.at).y, c.drawnAt.y) << c.name;
    // It can be taken where it is drawn, to be dragged back in.
    const std::array<RoomPoint, 1> points{c.at};
    EXPECT_EQ(kRoom.HitPoint(c.drawnAt.x, c.drawnAt.y, points), 0) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Points, RoomOutside,
                         ::testing::Values(OutsideCase{"inside", {1, 1}, false, {330, 80}},
                                           OutsideCase{"on the corner", {-2, 1.5}, false, {30, 30}},
                                           OutsideCase{"past the right wall", {3.5, 0.5}, true, {430, 130}},
                                           OutsideCase{"behind the back wall", {-1, -4}, true, {130, 330}},
                                           OutsideCase{"past a corner", {-5, 5}, true, {30, 30}},
                                           OutsideCase{"a hair past the wall", {2.01, 0}, true, {430, 180}}));

TEST(RoomScale, APressTakesTheFirstPointWithin16Pixels) {
    const std::array<RoomPoint, 3> points{RoomPoint{0, 0}, RoomPoint{0.1, 0}, RoomPoint{1, 1}};
    EXPECT_EQ(kRoom.HitPoint(236, 180, points), 0);  // both within reach: the first
    EXPECT_EQ(kRoom.HitPoint(346, 96, points), 2);
    EXPECT_EQ(kRoom.HitPoint(347, 80, points), -1);
}

}  // namespace
}  // namespace kv::eq
