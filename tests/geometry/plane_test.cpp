// Value types and plane operations.
#include <cmath>

#include "drovik/drovik.h"
#include "geometry/angles.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

TEST(RotateDirect, LeftTurnIsMinusOneRightTurnIsOne) {
    struct Case {
        const char* name;
        AcGePoint3d c;
        int expected;
    };
    const Case cases[] = {{"left", P(1, 1), -1}, {"right", P(1, -1), 1}, {"straight", P(2, 0), 0},
                          {"back on itself", P(-1, 0), 0}, {"coincident", P(1, 0), 0}};
    for (const auto& tc : cases) EXPECT_EQ(RotateDirect(P(0, 0), P(1, 0), tc.c), tc.expected) << tc.name;
}

TEST(GetPolarPoint, AngleAndVectorForms) {
    EXPECT_TRUE(PointNear(GetPolarPoint(P(1, 1, 3), kPi, 2.0), P(-1, 1, 3), 1e-12));
    EXPECT_TRUE(PointNear(GetPolarPoint(P(0, 0), kPi / 2, -2.0), P(0, -2), 1e-12));
    // The vector form normalises the direction and keeps its Z component.
    EXPECT_TRUE(PointNear(GetPolarPoint(P(1, 0, 0), AcGeVector3d(0, 3, 4), 10.0), P(1, 6, 8), 1e-12));
}

TEST(GetDirectAngle, IsInZeroToTwoPi) {
    EXPECT_NEAR(GetDirectAngle(P(0, 0), P(0, -1)), 1.5 * kPi, 1e-15);
    EXPECT_NEAR(GetDirectAngle(P(0, 0), P(-1, 0)), kPi, 1e-15);
    EXPECT_EQ(GetDirectAngle(P(2, 2), P(5, 2)), 0.0);
    // Just below the +X axis the angle approaches 2*pi from below, never reaching it.
    const double a = GetDirectAngle(P(0, 0), P(1, -1e-12));
    EXPECT_LT(a, 2 * kPi);
    EXPECT_GT(a, 2 * kPi - 1e-9);
}

TEST(StArcPara, ResetWorksOutTheArc) {
    stArcPara arc;
    arc.ptCenter = P(0, 0, 5);
    arc.radius = 2;
    arc.startAngle = 0;
    arc.endAngle = kPi / 2;
    arc.Reset();
    EXPECT_TRUE(PointNear(arc.ptStart, P(2, 0, 5)));
    EXPECT_TRUE(PointNear(arc.ptEnd, P(0, 2, 5)));
    EXPECT_TRUE(PointNear(arc.ptMid, P(std::sqrt(2.0), std::sqrt(2.0), 5)));
    EXPECT_NEAR(arc.angle, kPi / 2, 1e-15);
    EXPECT_NEAR(arc.length, kPi, 1e-15);

    arc.startAngle = 1.5 * kPi;  // crosses +X: the difference -pi gains 2*pi
    arc.endAngle = kPi / 2;
    arc.Reset();
    EXPECT_NEAR(arc.angle, kPi, 1e-15);
    EXPECT_TRUE(PointNear(arc.ptMid, P(2, 0, 5), 1e-12));

    arc.endAngle = arc.startAngle;
    arc.Reset();
    EXPECT_EQ(arc.angle, 0.0);
    EXPECT_EQ(arc.length, 0.0);
}

TEST(CPolyLineVertex, SegmentConstructorAndSelfAssignment) {
    const CPolyLineVertex segment(P(1, 2), P(3, 4));
    EXPECT_EQ(segment.bulge, 0.0);
    EXPECT_TRUE(PointNear(segment.pt2, P(3, 4)));
    CPolyLineVertex copy;
    copy = segment;
    CPolyLineVertex& alias = copy;
    copy = alias;  // self-assignment keeps the value
    EXPECT_TRUE(PointNear(copy.pt2, P(3, 4)));
}
}  // namespace
