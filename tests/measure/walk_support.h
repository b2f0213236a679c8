#pragma once
// Test helpers for the measuring walks: where a point lies along a chain, and
// angle comparison modulo a full turn.
#include <cmath>
#include <vector>

#include "drovik/drovik.h"
#include "chain_fixtures.h"
#include "test_support.h"

namespace walk_support {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;

// Two directions agree modulo 2*pi.
inline ::testing::AssertionResult AngleNear(double actual, double expected, double tol = 1e-9) {
    const double diff = std::remainder(actual - expected, kTwoPi);
    if (std::fabs(diff) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not within " << tol << " of " << expected
                                         << " (mod 2*pi)";
}

// Arc-length position of a point along a chain, found independently of the
// library's own walk: segment by segment, with a tight tolerance.
class ChainRuler {
public:
    explicit ChainRuler(const CPolyLineVertexArray& chain) : m_chain(chain) {
        double total = 0.0;
        for (INT_PTR i = 0; i + 1 < chain.GetSize(); ++i) {
            m_start.push_back(total);
            total += SegmentLength(i);
        }
        m_total = total;
    }

    double Total() const { return m_total; }

    // Finds pt on segment `segment` or a later one; answers its position and
    // moves `segment` to where it was found.
    bool Locate(const AcGePoint3d& pt, INT_PTR& segment, double& position, double tol = 1e-7) const {
        for (INT_PTR i = segment; i + 1 < m_chain.GetSize(); ++i) {
            double local = 0.0;
            if (LocalPosition(i, pt, tol, local)) {
                segment = i;
                position = m_start[static_cast<std::size_t>(i)] + local;
                return true;
            }
        }
        return false;
    }

    // Direction of travel at a point on segment i.
    double Direction(INT_PTR i, const AcGePoint3d& pt) const {
        stArcPara arc;
        const CPolyLineVertex& a = m_chain[i];
        const CPolyLineVertex& b = m_chain[i + 1];
        if (!CPolyLine::GetArcPara(a, b, arc)) return std::atan2(b.pt.y - a.pt.y, b.pt.x - a.pt.x);
        const double radial = std::atan2(pt.y - arc.ptCenter.y, pt.x - arc.ptCenter.x);
        return a.bulge > 0 ? radial + kPi / 2 : radial - kPi / 2;
    }

private:
    double SegmentLength(INT_PTR i) const {
        stArcPara arc;
        const AcGePoint3d& a = m_chain[i].pt;
        const AcGePoint3d& b = m_chain[i + 1].pt;
        if (CPolyLine::GetArcPara(m_chain[i], m_chain[i + 1], arc)) return arc.length;
        return std::hypot(b.x - a.x, b.y - a.y);
    }

    bool LocalPosition(INT_PTR i, const AcGePoint3d& pt, double tol, double& local) const {
        const CPolyLineVertex& a = m_chain[i];
        const CPolyLineVertex& b = m_chain[i + 1];
        stArcPara arc;
        if (!CPolyLine::GetArcPara(a, b, arc)) {
            const double dx = b.pt.x - a.pt.x;
            const double dy = b.pt.y - a.pt.y;
            const double length = std::hypot(dx, dy);
            const double along = ((pt.x - a.pt.x) * dx + (pt.y - a.pt.y) * dy) / length;
            const double aside = ((pt.y - a.pt.y) * dx - (pt.x - a.pt.x) * dy) / length;
            if (std::fabs(aside) > tol || along < -tol || along > length + tol) return false;
            local = along;
            return true;
        }
        const double fromCentre = std::hypot(pt.x - arc.ptCenter.x, pt.y - arc.ptCenter.y);
        if (std::fabs(fromCentre - arc.radius) > tol) return false;
        const double startAngle = std::atan2(a.pt.y - arc.ptCenter.y, a.pt.x - arc.ptCenter.x);
        const double pointAngle = std::atan2(pt.y - arc.ptCenter.y, pt.x - arc.ptCenter.x);
        double sweep = a.bulge > 0 ? pointAngle - startAngle : startAngle - pointAngle;
        sweep -= kTwoPi * std::floor(sweep / kTwoPi);  // [0, 2*pi)
        const double slack = tol / arc.radius;
        if (sweep > kTwoPi - slack) sweep -= kTwoPi;  // a hair before the start
        if (sweep > arc.angle + slack) return false;
        local = sweep * arc.radius;
        return true;
    }

    const CPolyLineVertexArray& m_chain;
    std::vector<double> m_start;
    double m_total = 0.0;
};

// A point a spacing walk should produce: where, and the direction of travel.
struct Expected {
    AcGePoint3d pt;
    double direction;
};

// A table row for the spacing walks: the chain, the spacing and the points
// expected after the start point.
struct WalkCase {
    const char* name;
    std::vector<chain_fixtures::Vtx> chain;
    double spacing;
    std::vector<Expected> points;
};

// A start and a spacing a walk must refuse.
struct RefusedStart {
    const char* name;
    AcGePoint3d start;
    double spacing;
};

// Each refused start answers 0, empties a result that held a stale point and
// leaves the start vertex as it was. walk(start, spacing, result) runs the walk.
template <std::size_t N, class Walk>
void ExpectRefusedStarts(const RefusedStart (&cases)[N], Walk walk) {
    for (const auto& tc : cases) {
        CPolyLineVertexArray result;
        CPolyLineVertex stale(P(1, 1), 0.0);
        result.Add(stale);
        CPolyLineVertex start(tc.start, 0.5);
        EXPECT_EQ(walk(start, tc.spacing, result), 0) << tc.name;
        EXPECT_EQ(result.GetSize(), 0) << tc.name;
        EXPECT_EQ(start.bulge, 0.5) << tc.name;
    }
}

// Checks the points after the start (result[1] onwards) against the row.
inline void ExpectPointsAfterStart(const CPolyLineVertexArray& result, const WalkCase& tc, double angleTol) {
    for (std::size_t i = 0; i < tc.points.size(); ++i) {
        const CPolyLineVertex& got = result[static_cast<INT_PTR>(i + 1)];
        EXPECT_TRUE(PointNear(got.pt, tc.points[i].pt, 1e-12)) << tc.name << " point " << i + 1;
        EXPECT_TRUE(AngleNear(got.bulge, tc.points[i].direction, angleTol)) << tc.name << " point " << i + 1;
    }
}

}  // namespace walk_support
