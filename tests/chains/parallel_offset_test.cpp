// Parallel offsets with clean-up: hand-made cases from road, kerb and
// outline work.
#include <cmath>
#include <limits>
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
        {"outward 1, mitre limit 1.2 bevels", -1.0, joinMiter, 1,
         12 * 6 - 2 * (1 - std::tan(kPi / 8)) * (1 - std::tan(kPi / 8))},
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
