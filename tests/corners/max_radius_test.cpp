// Largest fillet radius and cut at a corner.
#include <cmath>

#include "drovik/drovik.h"
#include "fixtures.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

TEST(CalMaxRad, TwoStraightLegs) {
    struct Case {
        const char* name;
        AcGePoint3d pt1, pt2;
        double radius, cut;
    };
    const double sixty = kPi / 3;
    const Case cases[] = {
        {"right angle", P(10, 0), P(0, 4), 4.0, 4.0},
        // Touching points r / tan(30 deg) out must stay on the leg of 6.
        {"60 degrees", P(6, 0), P(9 * std::cos(sixty), 9 * std::sin(sixty)), 6 * std::tan(kPi / 6), 6.0},
        {"same direction", P(3, 0), P(8, 0), 0.0, 3.0},
    };
    for (const Case& tc : cases) {
        EXPECT_NEAR(CalMaxRad(P(0, 0), tc.pt1, tc.pt2), tc.radius, 1e-12) << tc.name;
        double radius = -5;
        double cut = -5;
        GetMaxRadCut(P(0, 0), tc.pt1, tc.pt2, radius, cut);
        EXPECT_NEAR(radius, tc.radius, 1e-12) << tc.name;
        EXPECT_NEAR(cut, tc.cut, 1e-12) << tc.name;
    }
    EXPECT_NEAR(CalMaxRad(P(0, 0), P(6, 0), P(9 * std::cos(sixty), 9 * std::sin(sixty))), 3.4641, 1e-4);
    // Legs in opposite directions leave no corner: no finite limit.
    EXPECT_GT(CalMaxRad(P(0, 0), P(3, 0), P(-8, 0)), 1e12);
}

// The arc of radius 5 about (0,5) runs counter-clockwise from the corner at
// the origin to (5,5), leaving the corner along +X.
TEST(GetMaxRadCut, LegAndArc) {
    const stArcPara arc = ArcOf(P(0, 5), 5, 1.5 * kPi, 0);
    const double run = std::sqrt(104.0);
    const double centreHeight = 50 / run;  // distance of (0,5) from the legs' lines below
    struct Case {
        const char* name;
        AcGePoint3d legEnd;
        bool sameSide;
        double radius, cut;
    };
    const Case cases[] = {
        // Leg up and back: the centre's foot lies on the leg, the arc leaves
        // the corner at more than a right angle from it.
        {"wide corner", P(-10, 2), true, (centreHeight + 5) * 0.5, 2.5 * kPi},
        // Leg almost along the arc's tangent: only a sliver fits.
        {"narrow corner", P(10, 2), true, (5 - centreHeight) * 0.5, 5 * std::atan(0.2)},
        // The foot lies behind the corner: no rounding fits.
        {"foot behind the corner", P(10, -2), false, -1.0, 2.5 * kPi},
    };
    for (const Case& tc : cases) {
        double radius = 0;
        double cut = 0;
        bool sameSide = !tc.sameSide;
        AcGeVector3d side;
        GetMaxRadCut(P(0, 0), tc.legEnd, arc.ptEnd, arc, radius, cut, sameSide, side);
        EXPECT_EQ(sameSide, tc.sameSide) << tc.name;
        EXPECT_NEAR(radius, tc.radius, 1e-12) << tc.name;
        EXPECT_NEAR(cut, tc.cut, 1e-12) << tc.name;
        // The side vector is perpendicular to the leg, towards where the arc
        // leaves the corner (the point (5,0), one radius along its tangent).
        const AcGeVector3d leg = tc.legEnd - P(0, 0);
        const AcGeVector3d ahead = P(5, 0) - P(0, 0);
        EXPECT_NEAR(side.dotProduct(leg), 0.0, 1e-9) << tc.name;
        EXPECT_NEAR(side.length(), std::fabs(leg.crossProduct(ahead).z) / leg.length(), 1e-9) << tc.name;
        EXPECT_GT(side.dotProduct(ahead), 0.0) << tc.name;
    }

    // A far end at ptStart walks the arc clockwise from the corner (5,5):
    // its tangent there points down, to (5,0).
    double radius = 0;
    double cut = 0;
    bool sameSide = false;
    AcGeVector3d side;
    GetMaxRadCut(P(5, 5), P(-5, 5), arc.ptStart, arc, radius, cut, sameSide, side);
    EXPECT_TRUE(sameSide);
    EXPECT_NEAR(radius, 2.5, 1e-12);
    EXPECT_NEAR(cut, 2.5 * kPi, 1e-12);
    EXPECT_TRUE(PointNear(P(0, 0) + side, P(0, -5), 1e-12));
}

// Two arcs meet at the origin: arc 1 leaves along +X, arc 2 along +Y. A
// centre on the inner side of the corner sets that arc's flag.
TEST(GetMaxRadCut, TwoArcs) {
    const stArcPara up = ArcOf(P(0, 5), 5, 1.5 * kPi, 0);       // ccw from the origin to (5,5)
    const stArcPara down = ArcOf(P(0, -5), 5, 0, 0.5 * kPi);    // cw from the origin to (5,-5)
    const stArcPara right = ArcOf(P(5, 0), 5, 0.5 * kPi, kPi);  // cw from the origin to (5,5)
    const stArcPara left = ArcOf(P(-5, 0), 5, 0, 0.5 * kPi);    // ccw from the origin to (-5,5)
    const double d = std::sqrt(50.0);

    double radius = 0;
    double cut = 0;
    bool side1 = false;
    bool side2 = false;
    // Both bend into the corner: a lens between (0,0) and (5,5).
    GetMaxRadCut(P(0, 0), P(5, 5), P(5, 5), up, right, radius, cut, side1, side2);
    EXPECT_TRUE(side1);
    EXPECT_TRUE(side2);
    EXPECT_NEAR(radius, (10 - d) * 0.5, 1e-12);
    EXPECT_NEAR(cut, 1.25 * kPi, 1e-12);  // a quarter of pi on each circle of radius 5

    GetMaxRadCut(P(0, 0), P(5, 5), P(-5, 5), up, left, radius, cut, side1, side2);
    EXPECT_TRUE(side1);
    EXPECT_FALSE(side2);
    EXPECT_NEAR(radius, d * 0.5, 1e-12);

    // Neither bends into the corner: no radius, the cut keeps the caller's value.
    cut = 123.0;
    GetMaxRadCut(P(0, 0), P(5, -5), P(-5, 5), down, left, radius, cut, side1, side2);
    EXPECT_FALSE(side1);
    EXPECT_FALSE(side2);
    EXPECT_EQ(radius, -1.0);
    EXPECT_EQ(cut, 123.0);
}

TEST(GetLineArcDirect, OutwardAtBothEnds) {
    AcGeVector3d dir1;
    AcGeVector3d dir2;
    const stArcPara unused;
    GetLineArcDirect(P(0, 0), P(10, 0), unused, dir1, dir2, true);
    EXPECT_TRUE(PointNear(P(0, 0) + dir1, P(-10, 0)));
    EXPECT_TRUE(PointNear(P(0, 0) + dir2, P(10, 0)));

    // Quarter arc of radius 2 from (2,0) to (0,2): tangents leaving its body,
    // of the radius' length, whichever end comes first.
    const stArcPara arc = ArcOf(P(0, 0), 2, 0, kPi / 2);
    GetLineArcDirect(arc.ptStart, arc.ptEnd, arc, dir1, dir2, false);
    EXPECT_TRUE(PointNear(P(0, 0) + dir1, P(0, -2), 1e-12));
    EXPECT_TRUE(PointNear(P(0, 0) + dir2, P(-2, 0), 1e-12));
    GetLineArcDirect(arc.ptEnd, arc.ptStart, arc, dir1, dir2, false);
    EXPECT_TRUE(PointNear(P(0, 0) + dir1, P(-2, 0), 1e-12));
    EXPECT_TRUE(PointNear(P(0, 0) + dir2, P(0, -2), 1e-12));
}

TEST(GetSplitPt, BisectorIgnoresLegLengths) {
    EXPECT_TRUE(PointNear(GetSplitPt(P(0, 0), P(5, 0), P(0, 1), std::sqrt(2.0)), P(1, 1), 1e-9));
    EXPECT_TRUE(PointNear(GetSplitPt(P(1, 1), P(1, 9), P(-30, 1), 2.0), P(1 - std::sqrt(2.0), 1 + std::sqrt(2.0)),
                          1e-9));
    // A straight angle has two bisectors: the one left of the first leg.
    EXPECT_TRUE(PointNear(GetSplitPt(P(0, 0), P(7, 0), P(-3, 0), 2.0), P(0, 2), 1e-12));
    EXPECT_TRUE(PointNear(GetSplitPt(P(0, 0), P(-3, 0), P(7, 0), 2.0), P(0, -2), 1e-12));
}
}  // namespace
