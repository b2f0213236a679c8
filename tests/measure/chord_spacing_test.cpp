// Divider-style (chord) spacing along a vertex chain.
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

TEST(GetLocatedPoint, StraightChainsAndCorners) {
    const WalkCase cases[] = {
        {"three steps on a line", {{0, 0, 0}, {10, 0, 0}}, 3, {{P(3, 0), 0}, {P(6, 0), 0}, {P(9, 0), 0}}},
        // Inside a segment a point needs more than the spacing ahead of it.
        {"end vertex never produced", {{0, 0, 0}, {10, 0, 0}}, 5, {{P(5, 0), 0}}},
        // The circle of radius 5 about (0,0) meets the second leg at (4,3).
        {"across a corner", {{0, 0, 0}, {4, 0, 0}, {4, 10, 0}}, 5, {{P(4, 3), kPi / 2}, {P(4, 8), kPi / 2}}},
        // An inner vertex at exactly the spacing is produced once.
        {"vertex at the spacing", {{0, 0, 0}, {5, 0, 0}, {5, 10, 0}}, 5, {{P(5, 0), kPi / 2}, {P(5, 5), kPi / 2}}},
        // Segments wholly inside the circle are passed over.
        {"short segments skipped",
         {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {2, 10, 0}},
         4,
         {{P(2, std::sqrt(12.0)), kPi / 2}, {P(2, std::sqrt(12.0) + 4), kPi / 2}}},
    };
    for (const WalkCase& tc : cases) {
        CPolyLineVertexArray chain;
        MakeChain(chain, tc.chain);
        CPolyLineVertex start(P(0, 0), 1.25);  // on vertex 0: its bulge stays the caller's
        CPolyLineVertexArray result;
        ASSERT_EQ(GetLocatedPoint(start, tc.spacing, chain, result), static_cast<int>(tc.points.size() + 1))
            << tc.name;
        EXPECT_TRUE(PointNear(result[0].pt, P(0, 0)));
        EXPECT_EQ(result[0].bulge, 1.25) << tc.name;
        ExpectPointsAfterStart(result, tc, 1e-9);
        // The cursor is left on the last point.
        EXPECT_TRUE(PointNear(start.pt, result[result.GetSize() - 1].pt));
    }
}

TEST(GetLocatedPoint, StartInsideASegmentTakesItsDirection) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
    CPolyLineVertex start(P(10, 2), 7.0);
    CPolyLineVertexArray result;
    ASSERT_EQ(GetLocatedPoint(start, 3, chain, result), 3);
    EXPECT_TRUE(AngleNear(result[0].bulge, kPi / 2));
    EXPECT_TRUE(PointNear(result[2].pt, P(10, 8)));
}

TEST(GetLocatedPoint, AnswersZeroWithAnEmptyResult) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Regression: a spacing of 0, below 0 or not a number never ended the walk.
    const walk_support::RefusedStart cases[] = {
        {"off the chain", P(5, 5), 2}, {"on the last vertex", P(10, 10.0004), 2}, {"zero spacing", P(0, 0), 0},
        {"negative spacing", P(0, 0), -2}, {"NaN spacing", P(5, 0), nan}, {"infinite spacing", P(5, 0), inf}};
    walk_support::ExpectRefusedStarts(cases, [&](CPolyLineVertex& start, double spacing, CPolyLineVertexArray& result) {
        return GetLocatedPoint(start, spacing, chain, result);
    });
    CPolyLineVertex cursor(P(0, 0), 0.0);
    CPolyLineVertexArray result;
    GetInnerLocPt(cursor, 0.0, chain[0], chain[1], result);
    EXPECT_EQ(result.GetSize(), 0);
    CPolyLineVertex next(P(3, 3), 9.0);
    EXPECT_FALSE(GetNextLocPoint(cursor, -1.0, chain[1], chain[2], next));
    EXPECT_TRUE(PointNear(next.pt, P(3, 3)));
    EXPECT_EQ(next.bulge, 9.0);
}

// Half circle of radius 5 about (5,0): chord 4 is a central angle of
// 2*asin(0.4) = 0.8230 rad; three steps fit, 0.6725 rad are left.
TEST(GetLocatedPoint, HalfCircleChordSteps) {
    const double step = 2 * std::asin(0.4);
    ASSERT_NEAR(step, 0.8230, 1e-4);
    struct Case {
        const char* name;
        double bulge;
        double turn;  // +1 counter-clockwise (lower half), -1 clockwise (upper half)
    };
    for (const Case& tc : {Case{"counter-clockwise", 1.0, 1.0}, Case{"clockwise", -1.0, -1.0}}) {
        CPolyLineVertexArray chain;
        MakeChain(chain, {{0, 0, tc.bulge}, {10, 0, 0}, {10, 20 * tc.turn, 0}});
        CPolyLineVertex start(P(0, 0), 0.0);
        CPolyLineVertexArray result;
        ASSERT_GE(GetLocatedPoint(start, 4, chain, result), 5) << tc.name;
        for (int k = 1; k <= 3; ++k) {
            const double angle = kPi + tc.turn * k * step;
            EXPECT_TRUE(PointNear(result[k].pt, P(5 + 5 * std::cos(angle), 5 * std::sin(angle)), 1e-12))
                << tc.name << " point " << k;
            EXPECT_TRUE(AngleNear(result[k].bulge, angle + tc.turn * kPi / 2)) << tc.name << " point " << k;
        }
        // The fourth point is on the line after the arc, 4 from the third.
        EXPECT_NEAR(result[4].pt.x, 10.0, 1e-12) << tc.name;
        EXPECT_NEAR(result[4].pt.distanceTo(result[3].pt), 4.0, 1e-12) << tc.name;
    }

    // A chord longer than the diameter (less 0.001) places nothing inside.
    CPolyLineVertexArray chain;
    MakeChain(chain, {{0, 0, 1.0}, {10, 0, 0}});
    CPolyLineVertex cursor(P(0, 0), 0.3);
    CPolyLineVertexArray result;
    GetInnerLocPt(cursor, 9.9995, chain[0], chain[1], result);
    EXPECT_EQ(result.GetSize(), 0);
    EXPECT_EQ(cursor.bulge, 0.3);
    GetInnerLocPt(cursor, 9.998, chain[0], chain[1], result);
    EXPECT_EQ(result.GetSize(), 1);
}

TEST(GetNextLocPoint, TakesTheMeetingPointReachedFirst) {
    CPolyLineVertex cursor(P(5, 1), 0.0);
    CPolyLineVertex next;
    // Circle of radius 2 about (5,1) meets y = 0 at x = 5 -+ sqrt(3).
    ASSERT_TRUE(GetNextLocPoint(cursor, 2, CPolyLineVertex(P(0, 0), 0), CPolyLineVertex(P(10, 0), 0), next));
    EXPECT_TRUE(PointNear(next.pt, P(5 - std::sqrt(3.0), 0), 1e-12));
    ASSERT_TRUE(GetNextLocPoint(cursor, 2, CPolyLineVertex(P(10, 0), 0), CPolyLineVertex(P(0, 0), 0), next));
    EXPECT_TRUE(PointNear(next.pt, P(5 + std::sqrt(3.0), 0), 1e-12));
    EXPECT_TRUE(AngleNear(next.bulge, kPi));

    // Upper half circle about (0,0), radius 5, clockwise from (-5,0): the
    // circle of radius 5 about (0,5) meets it at (-4.33, 2.5) first.
    const CPolyLineVertex arcStart(P(-5, 0), -1.0);
    const CPolyLineVertex arcEnd(P(5, 0), 0.0);
    cursor.pt = P(0, 5);
    ASSERT_TRUE(GetNextLocPoint(cursor, 5, arcStart, arcEnd, next));
    EXPECT_TRUE(PointNear(next.pt, P(-5 * std::sqrt(3.0) / 2, 2.5), 1e-9));
    // Clockwise travel there heads up and to the right.
    EXPECT_TRUE(AngleNear(next.bulge, kPi / 3, 1e-9));

    // A circle that misses an arc writes nothing.
    const CPolyLineVertex before = next;
    cursor.pt = P(0, 20);
    EXPECT_FALSE(GetNextLocPoint(cursor, 5, arcStart, arcEnd, next));
    EXPECT_TRUE(PointNear(next.pt, before.pt));
    EXPECT_EQ(next.bulge, before.bulge);
}

// Regression: a meeting point accepted within tolerance just past an arc's
// end left a sweep of nearly a full turn, and the walk went on round the
// rest of the circle, off the chain.
TEST(GetLocatedPoint, PointJustPastAnArcEndStaysOnTheChain) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{2.5, -1, 0}, {0, 0, 1.0}, {10, 0, 0}, {10, 10, 0}});
    const double eps = 1e-4;  // 0.0005 past the arc's end at (10,0)
    const AcGePoint3d pastEnd = P(5 + 5 * std::cos(eps), 5 * std::sin(eps));
    CPolyLineVertex start(P(2.5, -1), 0.0);
    const double spacing = start.pt.distanceTo(pastEnd);
    CPolyLineVertexArray result;
    ASSERT_EQ(GetLocatedPoint(start, spacing, chain, result), 3);
    EXPECT_TRUE(PointNear(result[1].pt, pastEnd, 1e-9));
    EXPECT_NEAR(result[2].pt.x, 10.0, 1e-12);
    EXPECT_NEAR(result[2].pt.distanceTo(result[1].pt), spacing, 1e-12);

    CPolyLineVertex cursor(pastEnd, 0.0);
    CPolyLineVertexArray inner;
    GetInnerLocPt(cursor, 1.0, chain[1], chain[2], inner);
    EXPECT_EQ(inner.GetSize(), 0);
}

// On random chains of lines and arcs every point lies on the chain, further
// along than the one before and at the spacing from it in a straight line,
// with the direction of travel there; and what is left after the last point
// lies within the spacing of it.
TEST(GetLocatedPoint, RandomChainsKeepTheChordSpacing) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        CPolyLineVertexArray chain;
        chain_fixtures::RandomChain(chain, 80, seed);
        const double spacing = 0.7 + static_cast<double>(seed % 9);
        CPolyLineVertex start = chain[0];
        CPolyLineVertexArray result;
        const int count = GetLocatedPoint(start, spacing, chain, result);
        ASSERT_GE(count, 2) << "seed " << seed;
        ASSERT_EQ(count, result.GetSize());

        const walk_support::ChainRuler ruler(chain);
        INT_PTR segment = 0;
        double previous = -1.0;
        for (INT_PTR i = 0; i < result.GetSize(); ++i) {
            CPolyLineVertex probe = result[i];
            int index = -1;
            int next = -1;
            EXPECT_TRUE(GetPointIndex(probe, chain, index, next)) << "seed " << seed << " point " << i;
            double position = 0.0;
            // A meeting point is accepted within 0.001 of a segment's end.
            ASSERT_TRUE(ruler.Locate(result[i].pt, segment, position, 0.001)) << "seed " << seed << " point " << i;
            EXPECT_GT(position, previous) << "seed " << seed << " point " << i;
            previous = position;
            if (i == 0) continue;
            const double chord = result[i].pt.distanceTo(result[i - 1].pt);
            EXPECT_LT(std::fabs(chord - spacing) / spacing, 1e-9) << "seed " << seed << " point " << i;
            // Beside a vertex either segment may hold the point.
            const bool besideVertex = result[i].pt.distanceTo(chain[segment].pt) < 0.001 ||
                                      result[i].pt.distanceTo(chain[segment + 1].pt) < 0.001;
            if (!besideVertex) {
                EXPECT_TRUE(AngleNear(result[i].bulge, ruler.Direction(segment, result[i].pt), 1e-9))
                    << "seed " << seed << " point " << i;
            }
        }
        const AcGePoint3d& last = result[result.GetSize() - 1].pt;
        for (INT_PTR v = segment + 1; v < chain.GetSize(); ++v)
            EXPECT_LE(chain[v].pt.distanceTo(last), spacing + 1e-6) << "seed " << seed << " vertex " << v;
    }
}
}  // namespace
