// Bulge-to-arc conversion.
#include <cmath>
#include <random>

#include "drovik/drovik.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

struct BulgeCase {
    const char* name;
    AcGePoint3d from, to;
    double bulge;
    AcGePoint3d center, mid, start, end;
    double radius, angle, startAngle, endAngle;
};

TEST(GetArcPara, WorkedExamples) {
    const double r2 = std::sqrt(2.0);
    const BulgeCase cases[] = {
        {"half circle left", P(0, 0), P(2, 0), 1.0, P(1, 0), P(1, -1), P(0, 0), P(2, 0), 1, kPi, kPi, 0},
        {"half circle right swaps the ends", P(0, 0), P(2, 0), -1.0, P(1, 0), P(1, 1), P(2, 0), P(0, 0), 1, kPi,
         0, kPi},
        {"quarter circle turning left", P(0, 0), P(1, 1), std::tan(kPi / 8), P(0, 1), P(r2 / 2, 1 - r2 / 2),
         P(0, 0), P(1, 1), 1, kPi / 2, 1.5 * kPi, 0},
    };
    for (const auto& tc : cases) {
        stArcPara arc;
        ASSERT_TRUE(CPolyLine::GetArcPara(CPolyLineVertex(tc.from, tc.bulge), CPolyLineVertex(tc.to, 0.7), arc))
            << tc.name;
        EXPECT_TRUE(PointNear(arc.ptCenter, tc.center, 1e-12)) << tc.name;
        EXPECT_TRUE(PointNear(arc.ptMid, tc.mid, 1e-12)) << tc.name;
        EXPECT_TRUE(PointNear(arc.ptStart, tc.start)) << tc.name;
        EXPECT_TRUE(PointNear(arc.ptEnd, tc.end)) << tc.name;
        EXPECT_NEAR(arc.radius, tc.radius, 1e-12) << tc.name;
        EXPECT_NEAR(arc.angle, tc.angle, 1e-12) << tc.name;
        EXPECT_NEAR(arc.length, tc.angle * tc.radius, 1e-12) << tc.name;
        EXPECT_NEAR(arc.startAngle, tc.startAngle, 1e-12) << tc.name;
        EXPECT_NEAR(arc.endAngle, tc.endAngle, 1e-12) << tc.name;
    }
}

TEST(GetArcPara, StraightSegmentSetsOnlyTheEnds) {
    for (double bulge : {0.0, std::nan("")}) {
        stArcPara arc;
        arc.radius = 42;
        arc.ptCenter = P(7, 7);
        EXPECT_FALSE(CPolyLine::GetArcPara(CPolyLineVertex(P(1, 2), bulge), CPolyLineVertex(P(3, 4), 1.0), arc));
        EXPECT_TRUE(PointNear(arc.ptStart, P(1, 2)));
        EXPECT_TRUE(PointNear(arc.ptEnd, P(3, 4)));
        EXPECT_EQ(arc.radius, 42);
        EXPECT_TRUE(PointNear(arc.ptCenter, P(7, 7)));
    }
}

// Property: for random chords and bulges the arc lies on its circle, runs
// counter-clockwise from start to end, and its middle is on the side the
// bulge sign says.
TEST(GetArcPara, RandomBulgesGiveConsistentArcs) {
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<double> coord(-1000, 1000);
    std::uniform_real_distribution<double> bulgeDist(-3, 3);
    for (int i = 0; i < 2000; ++i) {
        const AcGePoint3d a = P(coord(rng), coord(rng), 2.5);
        const AcGePoint3d b = P(coord(rng), coord(rng), 2.5);
        double bulge = bulgeDist(rng);
        if (std::fabs(bulge) < 1e-3) bulge = 0.5;
        stArcPara arc;
        ASSERT_TRUE(CPolyLine::GetArcPara(CPolyLineVertex(a, bulge), CPolyLineVertex(b, 0), arc));
        const double tol = 1e-9 * std::max(1.0, arc.radius);
        EXPECT_NEAR(arc.ptStart.distanceTo(arc.ptCenter), arc.radius, tol);
        EXPECT_NEAR(arc.ptEnd.distanceTo(arc.ptCenter), arc.radius, tol);
        EXPECT_NEAR(arc.ptMid.distanceTo(arc.ptCenter), arc.radius, tol);
        EXPECT_NEAR(arc.angle, 4 * std::atan(std::fabs(bulge)), 1e-12);
        EXPECT_EQ(arc.ptCenter.z, 2.5);
        // Counter-clockwise start -> mid -> end, and the ends match the vertices.
        EXPECT_EQ(RotateDirect(arc.ptStart, arc.ptMid, arc.ptEnd), -1);
        EXPECT_TRUE(PointNear(bulge > 0 ? arc.ptStart : arc.ptEnd, a, 0));
        // The middle lies right of the chord a->b for a left-turning bulge.
        const int side = RotateDirect(a, b, arc.ptMid);
        EXPECT_EQ(side, bulge > 0 ? 1 : -1) << "bulge " << bulge;
        // The stored angles are the polar angles of the ends.
        EXPECT_TRUE(PointNear(GetPolarPoint(arc.ptCenter, arc.startAngle, arc.radius), arc.ptStart, tol * 10));
        EXPECT_TRUE(PointNear(GetPolarPoint(arc.ptCenter, arc.endAngle, arc.radius), arc.ptEnd, tol * 10));
    }
}
}  // namespace
