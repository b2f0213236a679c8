// The host's 3D polylines and splines: construction, the curve queries,
// exact NURBS evaluation against closed-form curves, transforms and boxes.
#include <cmath>
#include <random>

#include "drovik/drawing/edits.h"
#include "headless/entity_support.h"

using entity_test::ExtentsOf;
using entity_test::Reader;

namespace {
constexpr double kPi = 3.141592653589793;

using CurveTest = HostTest;

AcGePoint3dArray Points(std::initializer_list<AcGePoint3d> pts) {
    AcGePoint3dArray a;
    for (const auto& p : pts) a.append(p);
    return a;
}

// The quarter-circle-per-span rational quadratic: the whole circle exactly.
AcDbSpline* NurbsCircle(const AcGePoint3d& c, double r) {
    const double w = std::sqrt(0.5);
    AcGePoint3dArray cps;
    AcGeDoubleArray weights;
    const double xs[9] = {1, 1, 0, -1, -1, -1, 0, 1, 1}, ys[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
    for (int i = 0; i < 9; ++i) {
        cps.append(P(c.x + r * xs[i], c.y + r * ys[i], c.z));
        weights.append(i % 2 ? w : 1.0);
    }
    AcGeDoubleArray knots;
    for (double k : {0., 0., 0., 1., 1., 2., 2., 3., 3., 4., 4., 4.}) knots.append(k);
    return new AcDbSpline(2, true, true, false, cps, knots, weights);
}
}  // namespace

TEST_F(CurveTest, Polyline3dAnswersTheCurveQueriesAlongItsSegments) {
    AcGePoint3dArray pts = Points({P(0, 0, 0), P(3, 4, 0), P(3, 4, 12)});
    auto* pline = new AcDb3dPolyline(AcDb::k3dSimplePoly, pts, false);
    const AcDbObjectId id = Add(pline);
    Reader<AcDb3dPolyline> p(id);
    AcGePoint3d pt;
    double v = 0.0;
    ASSERT_EQ(p->getStartPoint(pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(0, 0, 0)));
    ASSERT_EQ(p->getEndPoint(pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(3, 4, 12)));
    ASSERT_EQ(p->getEndParam(v), Acad::eOk);
    EXPECT_DOUBLE_EQ(v, 2.0);
    ASSERT_EQ(p->getPointAtParam(1.5, pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(3, 4, 6)));
    ASSERT_EQ(p->getDistAtParam(1.5, v), Acad::eOk);
    EXPECT_DOUBLE_EQ(v, 11.0);
    ASSERT_EQ(p->getParamAtDist(11.0, v), Acad::eOk);
    EXPECT_DOUBLE_EQ(v, 1.5);
    ASSERT_EQ(p->getParamAtPoint(P(1.5, 2, 0), v), Acad::eOk);
    EXPECT_DOUBLE_EQ(v, 0.5);
    ASSERT_EQ(p->getDistAtPoint(P(3, 4, 2), v), Acad::eOk);
    EXPECT_DOUBLE_EQ(v, 7.0);
    EXPECT_EQ(p->getParamAtPoint(P(9, 9, 9), v), Acad::ePointNotOnEntity);
    EXPECT_EQ(p->getPointAtParam(2.5, pt), Acad::eInvalidInput);
    ASSERT_EQ(p->getClosestPointTo(P(10, 4, 6), pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(3, 4, 6)));
    const AcDbExtents ext = ExtentsOf(id);
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(3, 4, 12)));
    int vertices = 0;
    AcDbObjectIterator* it = p->vertexIterator();
    for (; !it->done(); it->step()) ++vertices;
    delete it;
    EXPECT_EQ(vertices, 3);
}

TEST_F(CurveTest, ClosedPolyline3dRunsBackToItsStart) {
    AcGePoint3dArray pts = Points({P(0, 0), P(4, 0), P(4, 3)});
    auto* pline = new AcDb3dPolyline(AcDb::k3dSimplePoly, pts, true);
    auto* extra = new AcDb3dPolylineVertex(P(0, 3));
    ASSERT_EQ(pline->appendVertex(extra), Acad::eOk);
    const AcDbObjectId id = Add(pline);
    Reader<AcDb3dPolyline> p(id, AcDb::kForWrite);
    double end = 0.0, length = 0.0;
    ASSERT_EQ(p->getEndParam(end), Acad::eOk);
    EXPECT_DOUBLE_EQ(end, 4.0);
    ASSERT_EQ(p->getDistAtParam(end, length), Acad::eOk);
    EXPECT_DOUBLE_EQ(length, 14.0);
    ASSERT_EQ(p->makeOpen(), Acad::eOk);
    ASSERT_EQ(p->getDistAtParam(3.0, length), Acad::eOk);
    EXPECT_DOUBLE_EQ(length, 11.0);
    // Moving the polyline moves its vertices (objects of their own).
    ASSERT_EQ(p->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 1, 1))), Acad::eOk);
    AcGePoint3d start;
    p->getStartPoint(start);
    EXPECT_TRUE(PointNear(start, P(1, 1, 1)));
}

// The library's routines that take "a curve" take these too.
TEST_F(CurveTest, LibraryClosestPointWorksOnPolylines3dAndSplines) {
    AcGePoint3dArray pts = Points({P(0, 0), P(10, 0)});
    const AcDbObjectId pline = Add(new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
    const AcDbObjectId circle = Add(NurbsCircle(P(0, 0), 5));
    double a[3] = {0, 0, 0};
    double b[3] = {4, 3, 0};
    ASSERT_TRUE(GetClosestPnt(pline, a, b));
    EXPECT_TRUE(PointNear(P(a[0], a[1], a[2]), P(4, 0)));
    double far[3] = {30, 40, 0};
    ASSERT_TRUE(GetClosestPnt(circle, a, far));
    EXPECT_TRUE(PointNear(P(a[0], a[1], a[2]), P(3, 4), 1e-9));
}

TEST_F(CurveTest, DegreeOneSplineIsItsControlPolygon) {
    const AcGePoint3dArray cps = Points({P(0, 0), P(3, 0), P(3, 4), P(6, 8)});
    AcDbSpline spline(1, false, false, false, cps, AcGeDoubleArray(), AcGeDoubleArray());
    ASSERT_EQ(spline.numControlPoints(), 4);
    EXPECT_EQ(spline.degree(), 1);
    double start = 0, end = 0, length = 0;
    ASSERT_EQ(spline.getStartParam(start), Acad::eOk);
    ASSERT_EQ(spline.getEndParam(end), Acad::eOk);
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(end, 3.0);  // uniform knots, one per span
    ASSERT_EQ(spline.getDistAtParam(end, length), Acad::eOk);
    EXPECT_NEAR(length, 12.0, 1e-12);
    std::mt19937 rng(15);
    std::uniform_real_distribution<double> t(0.0, 3.0);
    for (int i = 0; i < 50; ++i) {
        const double u = t(rng);
        const int span = std::min(2, static_cast<int>(u));
        AcGePoint3d pt;
        ASSERT_EQ(spline.getPointAtParam(u, pt), Acad::eOk);
        const AcGePoint3d expected = cps[span] + (cps[span + 1] - cps[span]) * (u - span);
        EXPECT_TRUE(PointNear(pt, expected, 1e-12)) << u;
    }
    AcGePoint3d closest;
    ASSERT_EQ(spline.getClosestPointTo(P(5, 2), closest), Acad::eOk);
    EXPECT_TRUE(PointNear(closest, P(3, 2), 1e-9));
}

TEST_F(CurveTest, RationalSplineIsAnExactCircle) {
    std::unique_ptr<AcDbSpline> circle(NurbsCircle(P(1, 2), 5));
    ASSERT_TRUE(circle->isRational());
    EXPECT_TRUE(circle->isClosed());
    EXPECT_TRUE(circle->isPlanar());
    for (int i = 0; i <= 100; ++i) {
        AcGePoint3d pt;
        ASSERT_EQ(circle->getPointAtParam(4.0 * i / 100, pt), Acad::eOk);
        EXPECT_NEAR(pt.distanceTo(P(1, 2)), 5.0, 1e-12);
        AcGeVector3d d;
        ASSERT_EQ(circle->getFirstDeriv(4.0 * i / 100, d), Acad::eOk);
        EXPECT_NEAR(d.dotProduct(pt - P(1, 2)), 0.0, 1e-9) << "tangent square to the radius";
    }
    double length = 0.0, half = 0.0;
    ASSERT_EQ(circle->getDistAtParam(4.0, length), Acad::eOk);
    EXPECT_NEAR(length, 2 * kPi * 5, 1e-9);
    ASSERT_EQ(circle->getParamAtDist(kPi * 5, half), Acad::eOk);
    EXPECT_NEAR(half, 2.0, 1e-9);
    AcDbExtents ext;
    ASSERT_EQ(circle->getGeomExtents(ext), Acad::eOk);
    EXPECT_TRUE(PointNear(ext.minPoint(), P(-4, -3), 1e-9));
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(6, 7), 1e-9));
}

TEST_F(CurveTest, FitSplineThroughPointsOnACircleStaysOnIt) {
    AcGePoint3dArray fit;
    for (int i = 0; i <= 18; ++i) fit.append(P(10 * std::cos(kPi * i / 18), 10 * std::sin(kPi * i / 18)));
    const AcGeVector3d startTangent(0, 1, 0), endTangent(0, -1, 0);
    AcDbSpline spline(fit, startTangent, endTangent);
    EXPECT_EQ(spline.degree(), 3);
    EXPECT_EQ(spline.numFitPoints(), 19);
    EXPECT_EQ(spline.numControlPoints(), 21) << "fit points and two for the tangents";
    for (int i = 0; i < fit.length(); ++i) {
        double param = 0.0;
        EXPECT_EQ(spline.getParamAtPoint(fit[i], param), Acad::eOk) << "passes through fit point " << i;
    }
    double start = 0, end = 0;
    spline.getStartParam(start);
    spline.getEndParam(end);
    double worst = 0.0;
    for (int i = 0; i <= 1000; ++i) {
        AcGePoint3d pt;
        spline.getPointAtParam(start + (end - start) * i / 1000, pt);
        worst = std::max(worst, std::fabs(pt.distanceTo(P(0, 0)) - 10.0));
    }
    EXPECT_LT(worst, 1e-4) << "a cubic through points 10 degrees apart";
    double length = 0.0;
    spline.getDistAtParam(end, length);
    EXPECT_NEAR(length, kPi * 10, 1e-3);
    // Without tangents it still runs through every point.
    AcDbSpline free(fit);
    AcGePoint3d endPt;
    ASSERT_EQ(free.getEndPoint(endPt), Acad::eOk);
    EXPECT_TRUE(PointNear(endPt, P(-10, 0), 1e-9));
}

TEST_F(CurveTest, SplineRefusesBadDataAndMovesExactly) {
    AcDbSpline bad(3, false, false, false, Points({P(0, 0), P(1, 1)}), AcGeDoubleArray(), AcGeDoubleArray());
    AcGePoint3d pt;
    EXPECT_EQ(bad.getStartPoint(pt), Acad::eDegenerateGeometry) << "two points cannot carry a cubic";
    std::unique_ptr<AcDbSpline> circle(NurbsCircle(P(0, 0), 1));
    AcGeDoubleArray decreasing;
    for (double k : {0., 0., 0., 2., 1., 2., 2., 3., 3., 4., 4., 4.}) decreasing.append(k);
    AcGePoint3dArray cps;
    AcGeDoubleArray knots, weights;
    int degree = 0;
    Adesk::Boolean rational = false, closed = false, periodic = false;
    double ctol = 0, ktol = 0;
    circle->getNurbsData(degree, rational, closed, periodic, cps, knots, weights, ctol, ktol);
    EXPECT_EQ(circle->setNurbsData(degree, rational, closed, periodic, cps, decreasing, weights, 0, 0),
              Acad::eInvalidInput);
    EXPECT_EQ(circle->numControlPoints(), 9) << "unchanged";
    const AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(3, 0, 0)) * AcGeMatrix3d::scaling(2.0);
    ASSERT_EQ(circle->transformBy(m), Acad::eOk);
    for (int i = 0; i <= 16; ++i) {
        circle->getPointAtParam(i / 4.0, pt);
        EXPECT_NEAR(pt.distanceTo(P(3, 0)), 2.0, 1e-12);
    }
}
