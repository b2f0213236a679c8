// Parallel offsets with clean-up: hand-made cases from road, kerb and
// outline work.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "chains/offset_checks.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
using namespace offset_checks;
constexpr double kPi = 3.141592653589793;
constexpr double kTol = 0.001;  // the tolerance the header states

// Every sampled point of the result is at least |d| - tol from the input
// and, for round joins, at most |d| + tol.
void ExpectAtDistance(const ChainSet& in, const ChainSet& out, double dist, bool roundJoins, const char* name) {
    const std::vector<Piece> pieces = PiecesOf(in);
    double nearest = std::numeric_limits<double>::infinity(), farthest = 0.0;
    for (const AcGePoint3d& pt : Samples(out, 0.05)) {
        const double d = DistanceTo(pieces, pt);
        nearest = std::min(nearest, d);
        farthest = std::max(farthest, d);
    }
    if (out.vertices.GetSize() == 0) return;
    EXPECT_GE(nearest, std::fabs(dist) - kTol) << name;
    if (roundJoins) {
        EXPECT_LE(farthest, std::fabs(dist) + kTol) << name;
    }
}

ChainSet Rectangle(double w, double h, bool ccw = true) {
    ChainSet set;
    if (ccw)
        set.Add({{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}}, true);
    else
        set.Add({{0, 0, 0}, {0, h, 0}, {w, h, 0}, {w, 0, 0}}, true);
    return set;
}

TEST(ParallelOffset, RectangleShrinksGrowsAndVanishes) {
    const ChainSet rect = Rectangle(10, 4);
    struct Case {
        const char* name;
        double dist;
        int join;
        int loops;
        double area;
    };
    const double grown = 10 * 4 + 2 * (10 + 4) * 1.0 + kPi * 1.0;  // rounded corners of radius 1
    const Case cases[] = {
        {"inward 1", 1.0, joinRound, 1, 8 * 2},
        {"inward 1.9", 1.9, joinRound, 1, 6.2 * 0.2},
        {"inward past half the width", 2.1, joinRound, 0, 0.0},
        {"inward far past", 50.0, joinRound, 0, 0.0},
        {"outward 1, round", -1.0, joinRound, 1, grown},
        {"outward 1, mitre", -1.0, joinMiter, 1, 12 * 6},
        {"outward 1, bevel", -1.0, joinBevel, 1, 12 * 6 - 2 * (1 - std::tan(kPi / 8)) * (1 - std::tan(kPi / 8))},
        // Past the limit the corner is cut at 1.2 from the vertex: each
        // cut-off triangle has legs of sqrt(2) (sqrt(2) - 1.2).
        {"outward 1, mitre limit 1.2 cuts", -1.0, joinMiter, 1, 12 * 6 - 4 * (std::sqrt(2.0) - 1.2) * (std::sqrt(2.0) - 1.2)},
    };
    for (const Case& tc : cases) {
        ChainSet out;
        const double limit = std::string(tc.name).find("1.2") != std::string::npos ? 1.2 : 2.0;
        ASSERT_TRUE(Offset(rect, tc.dist, tc.join, limit, out)) << tc.name;
        ASSERT_EQ(out.Size(), tc.loops) << tc.name;
        for (int i = 0; i < out.Size(); ++i) EXPECT_EQ(out.closed[i], 1) << tc.name;
        EXPECT_NEAR(TotalArea(out), tc.area, 1e-6) << tc.name;
        ExpectAtDistance(rect, out, tc.dist, tc.join == joinRound, tc.name);
    }
}

// A clockwise outline grows when offset to the left.
TEST(ParallelOffset, ClockwiseOutlineGrowsToTheLeft) {
    const ChainSet rect = Rectangle(10, 4, false);
    ChainSet out;
    ASSERT_TRUE(Offset(rect, 1.0, joinMiter, 2.0, out));
    ASSERT_EQ(out.Size(), 1);
    EXPECT_NEAR(TotalArea(out), -12.0 * 6.0, 1e-6);
}

// Two 10 x 10 squares joined by a neck 2 wide: offset inward by more than
// 1 the neck disappears and two loops are left. Each is the square less 1.5
// all round, with a small bump into the neck mouth between the circles of
// radius 1.5 about the mouth's corners.
TEST(ParallelOffset, DumbbellSplitsIntoTwoLoops) {
    ChainSet dumbbell;
    dumbbell.Add({{0, 0, 0}, {10, 0, 0}, {10, 4, 0}, {20, 4, 0}, {20, 0, 0}, {30, 0, 0}, {30, 10, 0}, {20, 10, 0},
                  {20, 6, 0}, {10, 6, 0}, {10, 10, 0}, {0, 10, 0}},
                 true);
    ChainSet out;
    ASSERT_TRUE(Offset(dumbbell, 0.5, joinRound, 2.0, out));
    EXPECT_EQ(out.Size(), 1);
    ASSERT_TRUE(Offset(dumbbell, 1.5, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 2);
    const double halfBump = 1.5 - (0.5 * std::sqrt(1.25) + 1.125 * std::asin(2.0 / 3.0));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(out.closed[i], 1);
        EXPECT_NEAR(AreaOf(out, i), 7.0 * 7.0 + 2.0 * halfBump, 1e-6);
    }
    ExpectAtDistance(dumbbell, out, 1.5, true, "dumbbell");
    EXPECT_EQ(Crossings(out, 0.1), 0);
}
}  // namespace

namespace {
// A road centreline: a straight, a quarter curve of radius 6 to the left, a
// straight. Offset 7.5 to the inside the curve collapses and the two
// straights' offsets meet in a corner; to the outside the curve keeps its
// centre at radius 13.5.
TEST(ParallelOffset, RoadCurveTighterThanTheOffset) {
    ChainSet road;
    road.Add({{0, 0, std::tan(0.0)}, {20, 0, std::tan(kPi / 8)}, {26, 6, 0}, {26, 26, 0}}, false);
    ChainSet out;
    ASSERT_TRUE(Offset(road, 7.5, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 1);
    EXPECT_EQ(out.closed[0], 0);
    EXPECT_TRUE(PointNear(out.vertices[0].pt, P(0, 7.5), 1e-9));
    EXPECT_TRUE(PointNear(out.vertices[out.vertices.GetSize() - 1].pt, P(18.5, 26), 1e-9));
    EXPECT_NEAR(TotalLength(out), 18.5 + 18.5, 1e-9);
    ExpectAtDistance(road, out, 7.5, false, "inside");  // the corner point lies farther

    ASSERT_TRUE(Offset(road, -7.5, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 1);
    EXPECT_TRUE(PointNear(out.vertices[0].pt, P(0, -7.5), 1e-9));
    EXPECT_TRUE(PointNear(out.vertices[out.vertices.GetSize() - 1].pt, P(33.5, 26), 1e-9));
    EXPECT_NEAR(TotalLength(out), 20 + 13.5 * kPi / 2 + 20, 1e-9);
    ExpectAtDistance(road, out, -7.5, true, "outside");
}

// A zig-zag of twenty unit steps offset 3 either side: the offsets of the
// inner corners fold over each other and are cut away; what is left runs
// along the outer corners, one open chain per side. On the left its ends are
// the offsets of the end points; on the right those lie within 3 of the
// next vertex, and the ends are cut back to the circles of radius 3 about
// the end points.
TEST(ParallelOffset, ZigZagDoesNotFoldBack) {
    std::vector<Vtx> zig;
    for (int i = 0; i <= 20; ++i) zig.push_back({double(i), double(i % 2), 0.0});
    ChainSet in;
    in.Add(zig, false);
    const double h = 3.0 / std::sqrt(2.0);
    for (const int join : {joinRound, joinMiter, joinBevel}) {
        for (const double dist : {3.0, -3.0}) {
            ChainSet out;
            ASSERT_TRUE(Offset(in, dist, join, 4.0, out));
            ASSERT_EQ(out.Size(), 1) << join << " " << dist;
            EXPECT_EQ(out.closed[0], 0);
            const AcGePoint3d& first = out.vertices[0].pt;
            const AcGePoint3d& last = out.vertices[out.vertices.GetSize() - 1].pt;
            if (dist > 0) {
                EXPECT_TRUE(PointNear(first, P(-h, h), 1e-9)) << join;
                EXPECT_TRUE(PointNear(last, P(20 + h, h), 1e-9)) << join;
            } else {
                EXPECT_NEAR(first.distanceTo(P(0, 0)), 3.0, 1e-9) << join;
                EXPECT_NEAR(last.distanceTo(P(20, 0)), 3.0, 1e-9) << join;
                EXPECT_LT(first.y, 0.0);
            }
            ExpectAtDistance(in, out, dist, join == joinRound, "zig-zag");
            EXPECT_EQ(Crossings(out, 0.1), 0);
        }
    }
}

// An outline 20 x 20 with a 6 x 6 hole in its middle, offset 3 into the
// material: both loops move, apart. Offset 4 the grown hole overlaps the
// shrunk outline and only four small corner pockets are left, each the
// 3 x 3 corner of the shrunk outline outside the circle of radius 4 about
// the hole's corner. Offset 6 nothing is left.
TEST(ParallelOffset, OutlineWithHole) {
    ChainSet part;
    part.Add({{0, 0, 0}, {20, 0, 0}, {20, 20, 0}, {0, 20, 0}}, true);
    part.Add({{7, 7, 0}, {7, 13, 0}, {13, 13, 0}, {13, 7, 0}}, true);  // clockwise
    ChainSet out;
    ASSERT_TRUE(Offset(part, 3.0, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 2);
    EXPECT_NEAR(TotalArea(out), 14.0 * 14.0 - (36.0 + 4 * 6 * 3 + kPi * 9), 1e-6);
    ExpectAtDistance(part, out, 3.0, true, "apart");

    ASSERT_TRUE(Offset(part, 4.0, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 4);
    const double covered = 3 * std::sqrt(7.0) + 8 * (std::asin(0.75) - std::asin(std::sqrt(7.0) / 4));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out.closed[i], 1);
        EXPECT_NEAR(AreaOf(out, i), 9.0 - covered, 1e-6);
    }
    ExpectAtDistance(part, out, 4.0, true, "pockets");
    EXPECT_EQ(Crossings(out, 0.05), 0);

    ASSERT_TRUE(Offset(part, 6.0, joinRound, 2.0, out));
    EXPECT_EQ(out.Size(), 0);
}

// A circle (two half arcs) offset inward by its radius or more vanishes;
// less, it keeps its centre.
TEST(ParallelOffset, CircleShrinksToNothing) {
    ChainSet circle;
    circle.Add({{-5, 0, 1.0}, {5, 0, 1.0}}, true);
    ChainSet out;
    ASSERT_TRUE(Offset(circle, 2.0, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 1);
    EXPECT_NEAR(TotalArea(out), kPi * 9.0, 1e-9);
    for (const double dist : {5.0, 5.5, 1e9}) {
        ASSERT_TRUE(Offset(circle, dist, joinRound, 2.0, out)) << dist;
        EXPECT_EQ(out.Size(), 0) << dist;
    }
    ASSERT_TRUE(Offset(circle, -1e6, joinRound, 2.0, out));
    ASSERT_EQ(out.Size(), 1);
    EXPECT_NEAR(TotalArea(out) / (kPi * (1e6 + 5) * (1e6 + 5)), 1.0, 1e-9);
}

// Small outlines with an arc wrapping nearly all the way round, offset
// inward by more than they are wide: nothing is left with any join. A
// mitre at a corner reaches past the round join, round the arc (another
// segment or its own source) to the outline's far side, where the distance
// alone cannot tell it from a true offset. The open chains cross themselves, so that a split can be
// missing and a slice straddle the distance.
TEST(ParallelOffset, JoinsReachingRoundASmallOutlineAndSelfCrossingChainsKeepTheDistance) {
    struct Case {
        std::vector<Vtx> chain;
        bool closed;
        double dist;
    };
    const Case cases[] = {
        {{{3, 1, 0}, {0, 1, 5.698057846877246}, {1, 2, 0}}, true, 3.0},
        {{{0, 3, 0}, {3, 2, 0}, {1, 1, 2.4573063196860918}}, true, 2.0},
        {{{0, 1, 0}, {3, 3, -0.068212466897517032}, {1, 0, 5.5401917768751776}}, true, 1.0},
        {{{3, 1, 0.011838221886769418}, {0, 0, 3.1673359681910149}, {0, 2, -0.33610035309580688}}, true, 2.0},
        {{{3, 1, 0}, {2, 1, -1.9209239354119259}, {1, 1, -0.84286063926865396}, {3, 1, 0}}, true, -3.0},
        {{{0, 3, 0}, {3, 1, -0.35398396098970242}, {0, 1, -3.4940237589076335}, {2, 1, 0}, {2, 2, -1.2719981127692499},
          {0, 2, 4.0738659208848063}, {1, 1, -2.8289481040765883}, {3, 1, 0}, {3, 3, 0}},
         false, 3.0},
    };
    int n = 0;
    for (const Case& tc : cases) {
        const ChainSet in = SetOf(tc.chain, tc.closed);
        for (const int join : {joinRound, joinMiter, joinBevel}) {
            ChainSet out;
            ASSERT_TRUE(Offset(in, tc.dist, join, 3.0, out));
            const std::string name = "case " + std::to_string(n) + " join " + std::to_string(join);
            ExpectAtDistance(in, out, tc.dist, join == joinRound, name.c_str());
            if (tc.closed) {
                EXPECT_EQ(out.Size(), 0) << name;
            }
        }
        ++n;
    }
}
}  // namespace
