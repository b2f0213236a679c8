// Points, projections and membership tests.
#include <cmath>

#include "drovik/drovik.h"
#include "fixtures.h"
#include "geometry/angles.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

stArcPara QuarterArc() { return ArcOf(P(0, 0), 1, 0, kPi / 2); }

TEST(GetProjectPoint, FootOnTheUnboundedLine) {
    AcGePoint3d foot;
    GetProjectPoint(P(1, 5), P(0, 0), P(2, 0), foot);
    EXPECT_TRUE(PointNear(foot, P(1, 0)));
    GetProjectPoint(P(7, 5), P(0, 0), P(2, 0), foot);  // beyond the end
    EXPECT_TRUE(PointNear(foot, P(7, 0)));
    GetProjectPoint(P(1, 5), P(3, 3), P(3, 3), foot);  // a point, not a line
    EXPECT_TRUE(PointNear(foot, P(3, 3)));
    // The 1e-9 threshold is on the squared length: 3e-5 apart is still a line.
    GetProjectPoint(P(0, 5), P(0, 0), P(3e-5, 0), foot);
    EXPECT_TRUE(PointNear(foot, P(0, 0), 1e-9));
    GetProjectPoint(P(1, 5), P(0, 0), P(3e-5, 3e-5), foot);
    EXPECT_TRUE(PointNear(foot, P(3, 3), 1e-6));
    GetProjectPoint(P(1, 5), P(0, 0), AcGeVector3d(0, -4, 0), foot);  // direction form
    EXPECT_TRUE(PointNear(foot, P(0, 5), 1e-12));
}

TEST(PtOnLine, SumOfDistancesWithinTolerance) {
    struct Case {
        AcGePoint3d pt;
        bool on;
    };
    const Case cases[] = {{P(1, 0.0005), true}, {P(1, 0.05), false},   {P(2.0005, 0), true},
                          {P(2.01, 0), false},  {P(-0.0009, 0), true}, {P(-0.0011, 0), false},
                          {P(0, 0), true},      {P(1, 0, 0.0005), true}};
    for (const auto& tc : cases)
        EXPECT_EQ(PtOnLine(tc.pt, P(0, 0), P(2, 0)), tc.on) << tc.pt.x << ", " << tc.pt.y << ", " << tc.pt.z;
}

TEST(ArcIncludePt, RecordAndAngleForms) {
    const stArcPara arc = QuarterArc();
    EXPECT_TRUE(ArcIncludePt(P(0.7071, 0.7071), arc));
    EXPECT_FALSE(ArcIncludePt(P(0, -1), arc));
    EXPECT_TRUE(ArcIncludePt(P(1, -0.0005), arc));  // outside the angle, near the start point
    EXPECT_FALSE(ArcIncludePt(P(-1, 0), arc));
    EXPECT_TRUE(ArcIncludePt(P(5, 5), arc));  // the distance from the centre is not tested
    // Start 3pi/2, end pi/2: the right half circle.
    EXPECT_TRUE(ArcIncludePt(P(1, 0), P(0, 0), 1, 1.5 * kPi, kPi / 2));
    EXPECT_FALSE(ArcIncludePt(P(-1, 0), P(0, 0), 1, 1.5 * kPi, kPi / 2));
    // Angles closer than 0.001: an arc of included angle 0.
    const double start = 0.3;
    const double end = 0.3005;
    EXPECT_TRUE(ArcIncludePt(GetPolarPoint(P(0, 0), start, 1), P(0, 0), 1, start, end));
    EXPECT_FALSE(ArcIncludePt(GetPolarPoint(P(0, 0), start + 0.1, 1), P(0, 0), 1, start, end));
    EXPECT_FALSE(ArcIncludePt(GetPolarPoint(P(0, 0), start - 0.1, 1), P(0, 0), 1, start, end));
}

TEST(PtOnArc, BothFormsTestTheRadiusStrictly) {
    const stArcPara arc = QuarterArc();
    const AcGePoint3d middle = GetPolarPoint(P(0, 0), kPi / 4, 1.0);
    const AcGePoint3d outside = GetPolarPoint(P(0, 0), kPi / 4, 1.002);
    const AcGePoint3d barely = GetPolarPoint(P(0, 0), kPi / 4, 1.0009);
    EXPECT_TRUE(PtOnArc(middle, arc));
    EXPECT_FALSE(PtOnArc(outside, arc));
    EXPECT_TRUE(PtOnArc(barely, arc));
    EXPECT_TRUE(PtOnArc(middle, P(0, 0), 1, 0, kPi / 2));
    EXPECT_FALSE(PtOnArc(outside, P(0, 0), 1, 0, kPi / 2));
    EXPECT_FALSE(PtOnArc(P(0, -1), P(0, 0), 1, 0, kPi / 2));
}

TEST(GetArcIntersPt, TangentsMeetOutsideTheArc) {
    AcGePoint3d meet(9, 9, 9);
    ASSERT_TRUE(GetArcIntersPt(QuarterArc(), meet));
    EXPECT_TRUE(PointNear(meet, P(1, 1), 1e-12));

    // Three quarters: the tangents meet behind the centre.
    ASSERT_TRUE(GetArcIntersPt(ArcOf(P(0, 0), 1, 0, 1.5 * kPi), meet));
    EXPECT_TRUE(PointNear(meet, P(1, -1), 1e-12));

    const stArcPara half = ArcOf(P(0, 0), 1, 0, kPi);
    meet = P(9, 9);
    EXPECT_FALSE(GetArcIntersPt(half, meet));
    EXPECT_TRUE(PointNear(meet, P(9, 9)));
}

TEST(CornerAngle, UnsignedAngleAtFirstPoint) {
    EXPECT_NEAR(CornerAngle(P(0, 0), P(1, 0), P(0, 1)), kPi / 2, 1e-15);
    EXPECT_NEAR(CornerAngle(P(0, 0), P(1, 0), P(0, -1)), kPi / 2, 1e-15);
    EXPECT_NEAR(CornerAngle(P(0, 0), P(1, 0), P(-1, 0)), kPi, 1e-15);
}
}  // namespace
