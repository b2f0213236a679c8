// Vertex index of a point, a point by arc length, elevation on a slope.
#include <cmath>
#include <limits>

#include "chain_fixtures.h"
#include "fixtures.h"
#include "measure/walk_support.h"

namespace {
using chain_fixtures::MakeChain;
using walk_support::AngleNear;
using walk_support::kPi;

TEST(GetPointIndex, VertexOrSegmentWithDirection) {
    CPolyLineVertexArray chain;
    // A line, then a counter-clockwise and a clockwise half circle.
    MakeChain(chain, {{0, 0, 0}, {10, 0, 0}, {10, 10, 1.0}, {10, 20, -1.0}, {10, 30, 0}});
    struct Case {
        const char* name;
        AcGePoint3d pt;
        bool found;
        int index;
        int next;
        double direction;  // NaN: the caller's bulge is kept
    };
    const double keep = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"within 0.001 of a vertex", P(10.0005, 0), true, 1, -1, keep},
        {"first vertex", P(0, 0), true, 0, -1, keep},
        {"inside a line", P(5, 0), true, 0, 1, 0.0},
        {"inside the second line", P(10, 5), true, 1, 2, kPi / 2},
        // Counter-clockwise about (10,15) from (10,10): through (15,15), heading up.
        {"on a counter-clockwise arc", P(15, 15), true, 2, 3, kPi / 2},
        // Clockwise about (10,25) from (10,20): through (5,25), heading up.
        {"on a clockwise arc", P(5, 25), true, 3, 4, kPi / 2},
        {"off the chain", P(5, 5), false, 0, 0, keep},
        {"on the far side of an arc's circle", P(5, 15), false, 0, 0, keep},
    };
    for (const Case& tc : cases) {
        CPolyLineVertex vertex(tc.pt, 123.0);
        int index = -7;
        int next = -7;
        ASSERT_EQ(GetPointIndex(vertex, chain, index, next), tc.found) << tc.name;
        if (!tc.found) {
            EXPECT_EQ(index, -7) << tc.name;
            EXPECT_EQ(vertex.bulge, 123.0) << tc.name;
            continue;
        }
        EXPECT_EQ(index, tc.index) << tc.name;
        EXPECT_EQ(next, tc.next) << tc.name;
        if (std::isnan(tc.direction))
            EXPECT_EQ(vertex.bulge, 123.0) << tc.name;
        else
            EXPECT_TRUE(AngleNear(vertex.bulge, tc.direction)) << tc.name;
    }

    CPolyLineVertexArray single;
    MakeChain(single, {{0, 0, 0}});
    CPolyLineVertex vertex(P(0, 0), 0.0);
    int index = 0;
    int next = 0;
    EXPECT_FALSE(GetPointIndex(vertex, single, index, next));
}

TEST(GetArcPointByLen, ReferenceChoosesTheSense) {
    // Upper half circle of radius 10 about the origin.
    const stArcPara arc = ArcOf(P(0, 0), 10, 0, kPi);
    // Towards ptEnd (counter-clockwise) half the arc reaches the top ...
    EXPECT_TRUE(PointNear(GetArcPointByLen(P(10, 0), arc.ptEnd, arc, 5 * kPi), P(0, 10), 1e-12));
    // ... towards ptStart it goes clockwise, off the arc: nothing is clamped.
    EXPECT_TRUE(PointNear(GetArcPointByLen(P(10, 0), arc.ptStart, arc, 5 * kPi), P(0, -10), 1e-12));
    EXPECT_TRUE(PointNear(GetArcPointByLen(P(-10, 0), arc.ptStart, arc, 5 * kPi), P(0, 10), 1e-12));
    // A negative length moves the other way.
    EXPECT_TRUE(PointNear(GetArcPointByLen(P(0, 10), arc.ptEnd, arc, -5 * kPi), P(10, 0), 1e-12));
}

TEST(GetPointElev, InterpolatesAlongThePlanLine) {
    const AcGePoint3d a = P(0, 0, 100);
    const AcGePoint3d b = P(10, 0, 110);
    struct Case {
        const char* name;
        AcGePoint3d pt;
        bool found;
        double elevation;
    };
    const Case cases[] = {
        {"between", P(5, 0, 0), true, 105},
        {"behind A: the distance has no sign", P(-5, 0, 0), true, 105},
        {"beyond B: extrapolated", P(20, 0, 7), true, 120},
        {"at A", P(0, 0, -3), true, 100},
        {"off the line", P(5, 1, 0), false, 0},
    };
    for (const Case& tc : cases) {
        double elevation = -1.0;
        ASSERT_EQ(GetPointElev(tc.pt, a, b, elevation), tc.found) << tc.name;
        EXPECT_NEAR(elevation, tc.found ? tc.elevation : -1.0, 1e-12) << tc.name;
    }
    // Regression: A and B at one plan position divided by a zero run.
    double elevation = -1.0;
    EXPECT_FALSE(GetPointElev(P(0, 0, 0), P(3, 3, 0), P(3, 3, 50), elevation));
    EXPECT_FALSE(GetPointElev(P(3, 3, 0), P(3, 3, 0), P(3.0004, 3, 50), elevation));
    EXPECT_EQ(elevation, -1.0);
}
}  // namespace
