// The headless host's geometry classes, where they carry logic.
#include <cmath>

#include "drovik/host/geometry.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;
const AcGeVector3d kMinusZ(0, 0, -1);

TEST(HostVector, AngleToWithReferenceIsCounterClockwiseAboutIt) {
    struct Case {
        AcGeVector3d to;
        double ccw;  // about +Z
    };
    const Case cases[] = {{AcGeVector3d(1, 0, 0), 0},        {AcGeVector3d(0, 1, 0), kPi / 2},
                          {AcGeVector3d(-1, 0, 0), kPi},     {AcGeVector3d(0, -1, 0), 1.5 * kPi},
                          {AcGeVector3d(1, -1, 0), 1.75 * kPi}, {AcGeVector3d(3, 3, 0), kPi / 4}};
    for (const auto& tc : cases) {
        const double ccw = AcGeVector3d::kXAxis.angleTo(tc.to, AcGeVector3d::kZAxis);
        EXPECT_NEAR(ccw, tc.ccw, 1e-15);
        EXPECT_GE(ccw, 0.0);
        EXPECT_LT(ccw, 2 * kPi);
        // About -Z the same angle is measured clockwise.
        const double cw = AcGeVector3d::kXAxis.angleTo(tc.to, kMinusZ);
        EXPECT_NEAR(cw, tc.ccw == 0 ? 0 : 2 * kPi - tc.ccw, 1e-15);
        // The unsigned form folds into [0, pi].
        EXPECT_NEAR(AcGeVector3d::kXAxis.angleTo(tc.to), std::min(tc.ccw, 2 * kPi - tc.ccw), 1e-15);
    }
    // Tiny angles keep their precision (acos would lose it).
    EXPECT_NEAR(AcGeVector3d::kXAxis.angleTo(AcGeVector3d(1, 1e-12, 0)), 1e-12, 1e-24);
}

TEST(HostVector, RotateByFollowsTheRightHandRule) {
    AcGeVector3d v(1, 0, 0);
    v.rotateBy(kPi / 2, AcGeVector3d::kZAxis);
    EXPECT_TRUE(PointNear(AcGePoint3d::kOrigin + v, AcGePoint3d(0, 1, 0), 1e-15));
    v.rotateBy(kPi / 2, kMinusZ);
    EXPECT_TRUE(PointNear(AcGePoint3d::kOrigin + v, AcGePoint3d(1, 0, 0), 1e-15));
    AcGeVector3d w(0, 1, 0);
    w.rotateBy(kPi / 2, AcGeVector3d(2, 0, 0));  // a general axis need not be unit
    EXPECT_TRUE(PointNear(AcGePoint3d::kOrigin + w, AcGePoint3d(0, 0, 1), 1e-15));
    AcGeVector3d z(0, 0, 5);
    z.rotateBy(1.0, AcGeVector3d::kZAxis);  // the axis itself does not move
    EXPECT_TRUE(PointNear(AcGePoint3d::kOrigin + z, AcGePoint3d(0, 0, 5)));
}

TEST(HostVector, ParallelAndCodirectional) {
    const AcGeVector3d v(1, 2, 0);
    EXPECT_TRUE(v.isParallelTo(AcGeVector3d(-2, -4, 0)));
    EXPECT_FALSE(v.isCodirectionalTo(AcGeVector3d(-2, -4, 0)));
    EXPECT_TRUE(v.isCodirectionalTo(AcGeVector3d(3, 6, 0)));
    EXPECT_FALSE(v.isParallelTo(AcGeVector3d(1, 2.001, 0)));
    EXPECT_FALSE(v.isParallelTo(AcGeVector3d(0, 0, 0)));  // a zero vector has no direction
}

TEST(HostMatrix, TransformsInvertAndCompose) {
    const AcGeMatrix3d move = AcGeMatrix3d::translation(AcGeVector3d(1, 2, 3));
    const AcGeMatrix3d turn = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
    EXPECT_TRUE(PointNear(move * AcGePoint3d(1, 1, 1), AcGePoint3d(2, 3, 4)));
    EXPECT_TRUE(PointNear(turn * AcGePoint3d(2, 1, 0), AcGePoint3d(1, 2, 0), 1e-15));
    EXPECT_TRUE(PointNear(AcGePoint3d::kOrigin + move * AcGeVector3d(1, 0, 0), AcGePoint3d(1, 0, 0)));
    AcGeMatrix3d both = move * turn;
    AcGeMatrix3d inverse = both;
    inverse.invert();
    const AcGePoint3d p(7, -3, 2);
    EXPECT_TRUE(PointNear(inverse * (both * p), p, 1e-12));
    EXPECT_TRUE((both * inverse).isEqualTo(AcGeMatrix3d::kIdentity));
    AcGeMatrix3d singular = AcGeMatrix3d::scaling(0.0);
    singular.invert();  // left unchanged
    EXPECT_TRUE(singular.isEqualTo(AcGeMatrix3d::scaling(0.0)));
}

TEST(HostLines, IntersectWithCountsSegmentEnds) {
    struct Case {
        const char* name;
        AcGePoint3d a1, a2, b1, b2;
        bool segments;
        bool meet;
        AcGePoint3d at;
    };
    const Case cases[] = {
        {"crossing segments", P(0, 0), P(2, 2), P(0, 2), P(2, 0), true, true, P(1, 1)},
        {"touching at an end", P(0, 0), P(1, 0), P(1, 0), P(1, 5), true, true, P(1, 0)},
        {"short of each other", P(0, 0), P(1, 0), P(2, -1), P(2, 1), true, false, P(0, 0)},
        {"lines meet beyond the segments", P(0, 0), P(1, 0), P(2, -1), P(2, 1), false, true, P(2, 0)},
        {"parallel", P(0, 0), P(1, 0), P(0, 1), P(1, 1), false, false, P(0, 0)},
        {"coincident", P(0, 0), P(2, 0), P(1, 0), P(3, 0), true, false, P(0, 0)},
        {"skew in 3D", P(0, 0, 0), P(1, 0, 0), P(0, 1, 1), P(0, -1, 1), false, false, P(0, 0)},
        {"crossing in 3D", P(0, 0, 0), P(2, 0, 2), P(1, -1, 1), P(1, 1, 1), true, true, P(1, 0, 1)},
        {"degenerate segment", P(0, 0), P(0, 0), P(-1, 0), P(1, 0), true, false, P(0, 0)},
    };
    for (const auto& tc : cases) {
        AcGePoint3d at(9, 9, 9);
        bool met = false;
        if (tc.segments)
            met = AcGeLineSeg3d(tc.a1, tc.a2).intersectWith(AcGeLineSeg3d(tc.b1, tc.b2), at);
        else
            met = AcGeLine3d(tc.a1, tc.a2).intersectWith(AcGeLine3d(tc.b1, tc.b2), at);
        EXPECT_EQ(met, tc.meet) << tc.name;
        EXPECT_TRUE(PointNear(at, tc.meet ? tc.at : P(9, 9, 9), 1e-12)) << tc.name;
    }
}
}  // namespace
