// Arc-length spacing along a vertex chain.
#include <cmath>
#include <limits>
#include <vector>

#include "chain_fixtures.h"
#include "measure/walk_support.h"

namespace {
using chain_fixtures::MakeChain;
using walk_support::AngleNear;
using walk_support::kPi;

using walk_support::ExpectPointsAfterStart;
using walk_support::WalkCase;

TEST(GetEvenPoint, LengthIsCarriedAcrossVertices) {
    const WalkCase cases[] = {
        // 4 used on the first leg, 1 carried past the corner (chord walk: (4,3), (4,8)).
        {"across a corner", {{0, 0, 0}, {4, 0, 0}, {4, 10, 0}}, 5, {{P(4, 1), kPi / 2}, {P(4, 6), kPi / 2}}},
        {"short segments consumed",
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {10, 0, 0}},
         4,
         {{P(4, 0), 0}, {P(8, 0), 0}}},
        // Nothing left at the corner: the point sits on it with the next direction.
        {"point on the corner", {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}}, 5, {{P(5, 0), kPi / 2}}},
        {"exact multiple keeps off the end", {{0, 0, 0}, {9, 0, 0}}, 3, {{P(3, 0), 0}, {P(6, 0), 0}}},
        // A quarter circle (length 5*pi/2) carries 7.854 - 5 = 2.854 into the line after it.
        {"arc then line",
         {{0, 0, std::tan(kPi / 8)}, {5, 5, 0}, {5, 12, 0}},
         5,
         {{P(5 * std::sin(1.0), 5 - 5 * std::cos(1.0)), 1.0}, {P(5, 5 + 10 - 2.5 * kPi), kPi / 2}}},
    };
    for (const WalkCase& tc : cases) {
        CPolyLineVertexArray chain;
        MakeChain(chain, tc.chain);
        const CPolyLineVertex start(P(0, 0), 1.25);
        CPolyLineVertexArray result;
        ASSERT_EQ(GetEvenPoint(start, tc.spacing, chain, result), static_cast<int>(tc.points.size() + 1)) << tc.name;
        EXPECT_EQ(result[0].bulge, 1.25) << tc.name;
        ExpectPointsAfterStart(result, tc, 1e-12);
    }
}

TEST(GetEvenPoint, AnswersZeroWithAnEmptyResult) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Regression: a spacing of 0, below 0 or not a number never ended the walk.
    const walk_support::RefusedStart cases[] = {
        {"off the chain", P(5, 5), 2}, {"on the last vertex", P(10, 10), 2}, {"zero spacing", P(0, 0), 0},
        {"negative spacing", P(0, 0), -2}, {"NaN spacing", P(0, 0), nan}, {"infinite spacing", P(0, 0), inf}};
    walk_support::ExpectRefusedStarts(cases, [&](CPolyLineVertex& start, double spacing, CPolyLineVertexArray& result) {
        return GetEvenPoint(start, spacing, chain, result);
    });
    CPolyLineVertex cursor(P(0, 0), 0.0);
    CPolyLineVertexArray result;
    double rest = 42.0;
    GetInnerEvenPt(cursor, -3.0, chain[0], chain[1], result, rest);
    EXPECT_EQ(result.GetSize(), 0);
    EXPECT_EQ(rest, 0.0);
}

// Regression: a repeated vertex carrying a bulge is an arc of radius 0; a
// point due exactly at it divided 0 by 0 and came out as NaN.
TEST(GetEvenPoint, RepeatedVertexWithABulge) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 0}, {10, 0, 0.5}, {10, 0, 0}, {10, 10, 0}});
    CPolyLineVertexArray result;
    ASSERT_EQ(GetEvenPoint(chain[0], 5, chain, result), 4);
    const AcGePoint3d expected[] = {P(0, 0), P(5, 0), P(10, 0), P(10, 5)};
    for (INT_PTR i = 0; i < 4; ++i) {
        EXPECT_TRUE(PointNear(result[i].pt, expected[i], 1e-12)) << "point " << i;
        EXPECT_TRUE(std::isfinite(result[i].bulge)) << "point " << i;
    }
    EXPECT_TRUE(AngleNear(result[3].bulge, kPi / 2));
}

TEST(GetInnerEvenPt, HalfCircleStepsAndRest) {
    // Counter-clockwise half circle of radius 5 about (5,0): steps of 0.8 rad.
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 1.0}, {10, 0, 0}});
    CPolyLineVertex cursor = chain[0];
    CPolyLineVertexArray result;
    double rest = 0.0;
    GetInnerEvenPt(cursor, 4.0, chain[0], chain[1], result, rest);
    ASSERT_EQ(result.GetSize(), 3);
    for (INT_PTR k = 0; k < 3; ++k) {
        const double angle = kPi + 0.8 * static_cast<double>(k + 1);
        EXPECT_TRUE(PointNear(result[k].pt, P(5 + 5 * std::cos(angle), 5 * std::sin(angle)), 1e-12));
        EXPECT_TRUE(AngleNear(result[k].bulge, angle + kPi / 2));
    }
    EXPECT_NEAR(rest, 5 * (kPi - 2.4), 1e-12);
    EXPECT_NEAR(rest, 3.708, 1e-3);

    // Regression: a cursor a hair past the arc's end once walked on round the
    // whole circle.
    const double eps = 1e-4;
    CPolyLineVertex pastEnd(P(5 + 5 * std::cos(eps), 5 * std::sin(eps)), 0.0);
    result.RemoveAll();
    GetInnerEvenPt(pastEnd, 1.0, chain[0], chain[1], result, rest);
    EXPECT_EQ(result.GetSize(), 0);
    EXPECT_EQ(rest, 0.0);
}

TEST(GetNextEvenPoint, PlacesOrConsumes) {
    const CPolyLineVertex a(P(0, 0), 0.0);
    const CPolyLineVertex b(P(0, 3), 0.0);
    CPolyLineVertex next(P(9, 9), 9.0);
    double remain = 5.0;
    EXPECT_FALSE(GetNextEvenPoint(a, b, remain, next));
    EXPECT_EQ(remain, 2.0);
    EXPECT_TRUE(PointNear(next.pt, P(9, 9)));
    EXPECT_EQ(next.bulge, 9.0);
    remain = 0.0;  // nothing left: the point is the segment's start
    EXPECT_TRUE(GetNextEvenPoint(a, b, remain, next));
    EXPECT_TRUE(PointNear(next.pt, P(0, 0)));
    EXPECT_TRUE(AngleNear(next.bulge, kPi / 2));
    remain = 3.0;  // exactly the length: the end vertex
    EXPECT_TRUE(GetNextEvenPoint(a, b, remain, next));
    EXPECT_TRUE(PointNear(next.pt, P(0, 3)));
    EXPECT_EQ(remain, 0.0);

    // Clockwise upper half circle about (5,0): pi/2 along is its top.
    const CPolyLineVertex arcStart(P(0, 0), -1.0);
    const CPolyLineVertex arcEnd(P(10, 0), 0.0);
    remain = 2.5 * kPi;
    EXPECT_TRUE(GetNextEvenPoint(arcStart, arcEnd, remain, next));
    EXPECT_TRUE(PointNear(next.pt, P(5, 5), 1e-12));
    EXPECT_TRUE(AngleNear(next.bulge, 0.0));
    remain = 5 * kPi + 1;
    EXPECT_FALSE(GetNextEvenPoint(arcStart, arcEnd, remain, next));
    EXPECT_NEAR(remain, 1.0, 1e-12);
}

// On random chains consecutive points are the spacing apart along the chain
// (measured independently), carry the direction of travel, and the length
// left after the last point is at most the spacing.
TEST(GetEvenPoint, RandomChainsKeepTheArcLengthSpacing) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        CPolyLineVertexArray chain;
        chain_fixtures::RandomChain(chain, 80, seed);
        const double spacing = 0.7 + static_cast<double>(seed % 9);
        CPolyLineVertexArray result;
        const int count = GetEvenPoint(chain[0], spacing, chain, result);
        ASSERT_GE(count, 2) << "seed " << seed;

        const walk_support::ChainRuler ruler(chain);
        INT_PTR segment = 0;
        double previous = 0.0;
        for (INT_PTR i = 0; i < result.GetSize(); ++i) {
            CPolyLineVertex probe = result[i];
            int index = -1;
            int next = -1;
            EXPECT_TRUE(GetPointIndex(probe, chain, index, next)) << "seed " << seed << " point " << i;
            double position = 0.0;
            ASSERT_TRUE(ruler.Locate(result[i].pt, segment, position)) << "seed " << seed << " point " << i;
            if (i > 0) {
                EXPECT_LT(std::fabs(position - previous - spacing) / spacing, 1e-9) << "seed " << seed << " point " << i;
                EXPECT_TRUE(AngleNear(result[i].bulge, ruler.Direction(segment, result[i].pt)))
                    << "seed " << seed << " point " << i;
            }
            previous = position;
        }
        EXPECT_LE(ruler.Total() - previous, spacing * (1 + 1e-9)) << "seed " << seed;
    }
}
}  // namespace
