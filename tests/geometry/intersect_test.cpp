// Line, arc and circle intersections.
#include <cmath>
#include <random>

#include "drovik/drovik.h"
#include "fixtures.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;
const double kHalfRoot3 = std::sqrt(3.0) / 2;


TEST(GetCCIpt, CasesInTestOrder) {
    struct Case {
        const char* name;
        AcGePoint3d c2;
        double r1, r2;
        int expected;
        AcGePoint3d p1, p2;
    };
    const Case cases[] = {
        {"crossing: first point on the left", P(1, 0), 1, 1, 2, P(0.5, kHalfRoot3), P(0.5, -kHalfRoot3)},
        {"outer touch", P(2, 0), 1, 1, 1, P(1, 0), P(0, 0)},
        {"apart is tested before touching", P(2.0005, 0), 1, 1, 0, P(0, 0), P(0, 0)},
        {"touch within tolerance from the crossing side", P(1.9995, 0), 1, 1, 1, P(0.9995, 0), P(0, 0)},
        {"inner touch on the larger first circle", P(1, 0), 2, 1, 1, P(2, 0), P(0, 0)},
        {"inner touch on the larger second circle", P(1, 0), 1, 2, 1, P(-1, 0), P(0, 0)},
        {"one inside the other", P(0.5, 0), 3, 1, 0, P(0, 0), P(0, 0)},
        {"same centre", P(0.0009, 0), 1, 5, -1, P(0, 0), P(0, 0)},
    };
    for (const auto& tc : cases) {
        AcGePoint3d p1(9, 9, 9), p2(9, 9, 9);
        ASSERT_EQ(GetCCIpt(P(0, 0), tc.r1, tc.c2, tc.r2, p1, p2), tc.expected) << tc.name;
        if (tc.expected >= 1) {
            EXPECT_TRUE(PointNear(p1, tc.p1, 1e-12)) << tc.name;
        }
        if (tc.expected == 2) {
            EXPECT_TRUE(PointNear(p2, tc.p2, 1e-12)) << tc.name;
        }
        if (tc.expected == -1) {
            EXPECT_TRUE(PointNear(p1, P(9, 9, 9))) << tc.name;
        }
    }
}

TEST(GetCCIpt, NearTouchNeverGivesNaN) {
    // Regression: near an inner touch on a huge drawing the cosine of the
    // half angle rounds to 1.0000000000000002 and acos gave NaN points.
    struct Case {
        double r1, r2, d;
    };
    const Case cases[] = {{333010506104.03436, 4686777486.246221, 328323728617.7897},
                          {211521490398.7271, 522215761.0994399, 212043706159.82428}};
    for (const auto& tc : cases) {
        AcGePoint3d p1, p2;
        ASSERT_EQ(GetCCIpt(P(0, 0), tc.r1, P(tc.d, 0), tc.r2, p1, p2), 2);
        EXPECT_FALSE(std::isnan(p1.x) || std::isnan(p1.y) || std::isnan(p2.x) || std::isnan(p2.y));
        EXPECT_NEAR(p1.x, tc.r1, 1e-3 * tc.r1);  // the touch point, on the +X axis
    }
}

TEST(GetCLineIpt, UnboundedLine) {
    AcGePoint3d b = P(5, 0), p1, p2;
    ASSERT_EQ(GetCLineIpt(P(0, 0), 1, P(-5, 0), b, p1, p2), 2);
    EXPECT_TRUE(PointNear(p1, P(-1, 0), 1e-12));  // on the side of ptA
    EXPECT_TRUE(PointNear(p2, P(1, 0), 1e-12));
    AcGePoint3d b1 = P(5, 1);
    ASSERT_EQ(GetCLineIpt(P(0, 0), 1, P(-5, 1), b1, p1, p2), 1);
    EXPECT_TRUE(PointNear(p1, P(0, 1)));
    AcGePoint3d b2 = P(5, 1.0000001);
    EXPECT_EQ(GetCLineIpt(P(0, 0), 1, P(-5, 1.0000001), b2, p1, p2), 0);
    AcGePoint3d far = P(20, 0);  // points need not lie between ptA and ptB
    EXPECT_EQ(GetCLineIpt(P(0, 0), 1, P(10, 0), far, p1, p2), 2);
    EXPECT_TRUE(PointNear(p1, P(-1, 0), 1e-12));  // ptB side is +X, so ptA side is -X
}

TEST(GetLineArcIpt, SegmentAndArcRestrictions) {
    const stArcPara upper = ArcOf(P(0, 0), 1, 0, kPi);
    AcGePoint3d p1, p2;
    EXPECT_EQ(GetLineArcIpt(P(-5, 0), P(5, 0), upper, p1, p2, true), 2);  // the arc's own end points
    ASSERT_EQ(GetLineArcIpt(P(0, 0), P(5, 0), upper, p1, p2, true), 1);
    EXPECT_TRUE(PointNear(p1, P(1, 0), 1e-12));  // moved up from the second candidate
    EXPECT_EQ(GetLineArcIpt(P(0, 0), P(5, 0), upper, p1, p2, false), 2);
    EXPECT_EQ(GetLineArcIpt(P(-5, -0.5), P(5, -0.5), upper, p1, p2, true), 0);  // crosses the lower half only
    EXPECT_EQ(GetLineArcIpt(P(-5, -0.5), P(5, -0.5), upper, p1, p2, false), 2);
    // Exact tangent touch, inside and outside the arc.
    ASSERT_EQ(GetLineArcIpt(P(-5, 1), P(5, 1), upper, p1, p2, true), 1);
    EXPECT_TRUE(PointNear(p1, P(0, 1)));
    EXPECT_EQ(GetLineArcIpt(P(-5, -1), P(5, -1), upper, p1, p2, true), 0);
    EXPECT_EQ(GetLineArcIpt(P(-5, -1), P(5, -1), upper, p1, p2, false), 1);
    // The angle form reads the same arc.
    EXPECT_EQ(GetLineArcIpt(P(0, 0), P(5, 0), P(0, 0), 1, 0, kPi, p1, p2, true), 1);
}

TEST(GetArcArcIpt, ArcsMustCoverTheCrossing) {
    const stArcPara right = ArcOf(P(0, 0), 1, 1.5 * kPi, kPi / 2);  // right half of the first circle
    const stArcPara left = ArcOf(P(1, 0), 1, kPi / 2, 1.5 * kPi);   // left half of the second
    AcGePoint3d p1, p2;
    EXPECT_EQ(GetArcArcIpt(right, left, p1, p2, true), 2);
    const stArcPara far = ArcOf(P(1, 0), 1, 1.5 * kPi, kPi / 2);  // right half: misses both points
    EXPECT_EQ(GetArcArcIpt(right, far, p1, p2, true), 0);
    EXPECT_EQ(GetArcArcIpt(right, far, p1, p2, false), 2);
    const stArcPara lowerLeft = ArcOf(P(1, 0), 1, kPi, 1.5 * kPi);  // covers only the lower point
    ASSERT_EQ(GetArcArcIpt(right, lowerLeft, p1, p2, true), 1);
    EXPECT_TRUE(PointNear(p1, P(0.5, -kHalfRoot3), 1e-12));
    EXPECT_EQ(GetArcArcIpt(right, ArcOf(P(0, 0), 3, 0, 1), p1, p2, true), -1);
}

TEST(GetIntersPoint, SegmentsAndLines) {
    AcGePoint3d pt(9, 9, 9);
    EXPECT_FALSE(GetIntersPoint(P(0, 0), P(1, 0), P(2, -1), P(2, 1), pt, true));
    EXPECT_TRUE(PointNear(pt, P(9, 9, 9)));
    ASSERT_TRUE(GetIntersPoint(P(0, 0), P(1, 0), P(2, -1), P(2, 1), pt, false));
    EXPECT_TRUE(PointNear(pt, P(2, 0), 1e-12));
    EXPECT_TRUE(GetIntersPoint(P(0, 0), P(2, 0), P(2, 0), P(2, 5), pt, true));  // ends count
    EXPECT_FALSE(GetIntersPoint(P(0, 0), P(1, 0), P(0, 1), P(1, 1), pt, false));  // parallel
    EXPECT_FALSE(GetIntersPoint(P(0, 0), P(2, 0), P(1, 0), P(3, 0), pt, false));  // coincident
    EXPECT_FALSE(GetIntersPoint(P(0, 0), P(1, 0), P(0, 1, 1), P(0, -1, 1), pt, false));  // skew
}

TEST(GetTanLinePt, TangentDirectionAndFallbackLength) {
    EXPECT_TRUE(PointNear(GetTanLinePt(P(0, 0), P(1, 0), 0), P(1, 100), 1e-12));
    EXPECT_TRUE(PointNear(GetTanLinePt(P(0, 0), P(1, 0), -2), P(1, -2), 1e-12));
    EXPECT_TRUE(PointNear(GetTanLinePt(P(0, 0), P(1, 0), 0.001), P(1, 100), 1e-12));
    EXPECT_TRUE(PointNear(GetTanLinePt(P(0, 0), P(1, 0), 0.0011), P(1, 0.0011), 1e-12));
}

// Property: every point an intersection routine reports lies on both curves.
TEST(Intersections, ReportedPointsLieOnBothCurves) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> coord(-50, 50);
    std::uniform_real_distribution<double> radius(0.5, 40);
    std::uniform_real_distribution<double> angle(0, 2 * kPi);
    int checked = 0;
    for (int i = 0; i < 3000; ++i) {
        const stArcPara a1 = ArcOf(P(coord(rng), coord(rng)), radius(rng), angle(rng), angle(rng));
        const stArcPara a2 = ArcOf(P(coord(rng), coord(rng)), radius(rng), angle(rng), angle(rng));
        const AcGePoint3d la = P(coord(rng), coord(rng));
        const AcGePoint3d lb = P(coord(rng), coord(rng));
        AcGePoint3d p[2];
        const int nArcs = GetArcArcIpt(a1, a2, p[0], p[1], true);
        for (int k = 0; k < nArcs; ++k) {
            EXPECT_TRUE(PtOnArc(p[k], a1) && PtOnArc(p[k], a2));
            ++checked;
        }
        const int nLine = GetLineArcIpt(la, lb, a1, p[0], p[1], true);
        for (int k = 0; k < nLine; ++k) {
            EXPECT_TRUE(PtOnLine(p[k], la, lb) && PtOnArc(p[k], a1));
            ++checked;
        }
        const int nCircle = GetCCIpt(a1.ptCenter, a1.radius, a2.ptCenter, a2.radius, p[0], p[1]);
        for (int k = 0; k < nCircle; ++k) {
            EXPECT_NEAR(p[k].distanceTo(a1.ptCenter), a1.radius, 1e-3);
            EXPECT_NEAR(p[k].distanceTo(a2.ptCenter), a2.radius, 1e-3);
            ++checked;
        }
        AcGePoint3d q;
        if (GetIntersPoint(la, lb, a1.ptStart, a1.ptEnd, q, true)) {
            EXPECT_TRUE(PtOnLine(q, la, lb) && PtOnLine(q, a1.ptStart, a1.ptEnd));
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);  // the random cases really exercised the routines
}
}  // namespace
