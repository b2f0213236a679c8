// Offsetting a vertex chain.
#include <cmath>
#include <limits>
#include <vector>

#include "chain_fixtures.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

using chain_fixtures::MakeChain;
using chain_fixtures::Vtx;

// Signed distance of pt from the line a->b: positive on its left.
double SideDistance(const AcGePoint3d& pt, const AcGePoint3d& a, const AcGePoint3d& b) {
    const AcGeVector3d along = b - a;
    return along.crossProduct(pt - a).z / along.length();
}

TEST(OffsetVertexs, CornersOfSmallChains) {
    const double d = 0.5;
    struct Case {
        const char* name;
        std::vector<Vtx> chain;
        bool bLeft;
        std::vector<AcGePoint3d> expected;
    };
    const Case cases[] = {
        {"single segment, left", {{0, 0, 0}, {4, 0, 0}}, true, {P(0, d), P(4, d)}},
        {"single segment, right", {{0, 0, 0}, {4, 0, 0}}, false, {P(0, -d), P(4, -d)}},
        {"three collinear", {{0, 0, 0}, {2, 0, 0}, {5, 0, 0}}, true, {P(0, d), P(2, d), P(5, d)}},
        {"right angle, left", {{-1, 0, 0}, {0, 0, 0}, {0, 1, 0}}, true, {P(-1, d), P(-d, d), P(-d, 1)}},
        {"right angle, right", {{-1, 0, 0}, {0, 0, 0}, {0, 1, 0}}, false, {P(-1, -d), P(d, -d), P(d, 1)}},
        // Folding straight back: the perpendicular of the new direction.
        {"fold back, left", {{0, 0, 0}, {3, 0, 0}, {1, 0, 0}}, true, {P(0, d), P(3, -d), P(1, -d)}},
        // A segment shorter than 0.001 is dropped; its neighbours are joined.
        {"tiny segment dropped",
         {{-1, 0, 0}, {0, 0, 0}, {0.0004, 0, 0}, {0.0004, 1, 0}},
         true,
         {P(-1, d), P(-d + 0.0004, d), P(-d + 0.0004, 1)}},
    };
    for (const Case& tc : cases) {
        CPolyLineVertexArray src;
        CPolyLineVertexArray dst;
        MakeChain(src, tc.chain);
        ASSERT_TRUE(OffsetVertexs(src, dst, d, tc.bLeft)) << tc.name;
        ASSERT_EQ(dst.GetSize(), static_cast<INT_PTR>(tc.expected.size())) << tc.name;
        for (INT_PTR i = 0; i < dst.GetSize(); ++i) {
            EXPECT_TRUE(PointNear(dst[i].pt, tc.expected[i], 1e-12)) << tc.name << " vertex " << i;
            EXPECT_EQ(dst[i].bulge, 0.0) << tc.name;
        }
    }
}

// A bulge -1 half circle offset on the left goes outward, on the right
// inward; a bulge as small as 0.00005 is straight but is copied as it is; the
// last vertex always ends straight. A counter-clockwise quarter arc ending the
// chain goes outward on the right, also at its end; trailing segments too
// short to count keep the closing vertex on the arc's own side, whatever
// bulge their start vertex carries. A chain that looks closed is open: no
// join between its last and first segments.
TEST(OffsetVertexs, ChainsWithArcs) {
    const double q = std::tan(kPi / 8);
    const double any = std::numeric_limits<double>::quiet_NaN();  // bulge not checked
    struct Want {
        INT_PTR i;
        AcGePoint3d pt;
        double bulge;
    };
    const struct {
        const char* name;
        std::vector<Vtx> chain;
        bool bLeft;
        INT_PTR size;
        std::vector<Want> want;
    } cases[] = {
        {"half circle, left: outward", {{0, 0, -1.0}, {10, 0, 0.00005}, {10, -4, 0.7}}, true, 3,
         {{0, P(-1, 0), -1.0}, {1, P(11, 0), 0.00005}, {2, P(11, -4), 0.0}}},
        {"half circle, right: inward", {{0, 0, -1.0}, {10, 0, 0.00005}, {10, -4, 0.7}}, false, 3,
         {{0, P(1, 0), any}, {1, P(9, 0), any}}},
        {"arc ends the chain", {{0, 0, 0}, {5, 0, q}, {10, 5, 0}}, false, 3, {{1, P(5, -1), any}, {2, P(11, 5), any}}},
        {"short trailing segments", {{0, 0, 0}, {5, 0, q}, {10, 5, -0.5}, {10.0002, 5, 0}}, false, 3,
         {{2, P(11, 5), any}}},
        {"closed-looking chain is open", {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 0, 0}}, true, 4, {{0, P(0, 1), any}}},
    };
    for (const auto& tc : cases) {
        CPolyLineVertexArray src;
        CPolyLineVertexArray dst;
        MakeChain(src, tc.chain);
        ASSERT_TRUE(OffsetVertexs(src, dst, 1.0, tc.bLeft)) << tc.name;
        ASSERT_EQ(dst.GetSize(), tc.size) << tc.name;
        for (const Want& w : tc.want) {
            EXPECT_TRUE(PointNear(dst[w.i].pt, w.pt, 1e-12)) << tc.name << " vertex " << w.i;
            if (!std::isnan(w.bulge)) { EXPECT_EQ(dst[w.i].bulge, w.bulge) << tc.name << " vertex " << w.i; }
        }
    }
}

TEST(OffsetVertexs, RefusesWhatCannotBeOffset) {
    CPolyLineVertexArray src;
    CPolyLineVertexArray dst;
    CPolyLineVertex keep(P(7, 7), 0.0);
    dst.Add(keep);

    MakeChain(src, {{0, 0, 0}});
    EXPECT_FALSE(OffsetVertexs(src, dst, 1.0, true));
    EXPECT_EQ(dst.GetSize(), 1) << "fewer than two vertices leaves the output alone";

    MakeChain(src, {{0, 0, 0}, {5, 0, 0}});
    EXPECT_FALSE(OffsetVertexs(src, dst, std::numeric_limits<double>::quiet_NaN(), true));
    EXPECT_EQ(dst.GetSize(), 1);

    // Regression: a chain of nothing but sub-tolerance segments used to reach
    // the closing step with no segment to close.
    MakeChain(src, {{0, 0, 0}, {0.0005, 0, 0.5}, {0.0005, 0.0005, 0}});
    EXPECT_FALSE(OffsetVertexs(src, dst, 1.0, true));
    EXPECT_EQ(dst.GetSize(), 0);

    // Inward by exactly the radius collapses the arc: the test is strict.
    MakeChain(src, {{0, 0, 0}, {4, 0, 1.0}, {8, 0, 0}});  // half circle, radius 2, counter-clockwise
    dst.Add(keep);
    EXPECT_FALSE(OffsetVertexs(src, dst, 2.0, true));
    EXPECT_EQ(dst.GetSize(), 0);
    EXPECT_TRUE(OffsetVertexs(src, dst, 1.999, true));
    EXPECT_TRUE(OffsetVertexs(src, dst, 2.0, false));  // outward is always possible
}

TEST(OffsetVertexs, InPlaceReplacesTheChain) {
    CPolyLineVertexArray chain;
    MakeChain(chain, {{-1, 0, 0}, {0, 0, 0}, {0, 1, 0}});
    ASSERT_TRUE(OffsetVertexs(chain, chain, 0.5, true));
    ASSERT_EQ(chain.GetSize(), 3);
    EXPECT_TRUE(PointNear(chain[1].pt, P(-0.5, 0.5), 1e-12));
}

// Every output vertex lies at the offset distance from its source segment's
// line or circle, on the requested side; a corner between two straight
// segments lies at that distance from both.
TEST(OffsetVertexs, RandomChainsKeepTheDistance) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        CPolyLineVertexArray src;
        chain_fixtures::RandomChain(src, 60, seed);
        const double dist = 0.05 + 0.4 * static_cast<double>(seed % 5) / 5.0;  // below every arc radius (>= 0.5)
        for (const bool bLeft : {true, false}) {
            CPolyLineVertexArray dst;
            ASSERT_TRUE(OffsetVertexs(src, dst, dist, bLeft)) << "seed " << seed;
            ASSERT_EQ(dst.GetSize(), src.GetSize()) << "seed " << seed;
            const double sideSign = bLeft ? 1.0 : -1.0;
            for (INT_PTR i = 0; i < dst.GetSize(); ++i) {
                // Vertex i comes from segment i; the closing one from the last.
                const INT_PTR seg = i + 1 < dst.GetSize() ? i : i - 1;
                const CPolyLineVertex& a = src[seg];
                const CPolyLineVertex& b = src[seg + 1];
                const AcGePoint3d& out = dst[i].pt;
                stArcPara arc;
                if (std::fabs(a.bulge) > 0.0001 && CPolyLine::GetArcPara(a, b, arc)) {
                    const AcGePoint3d& srcPt = i == seg ? a.pt : b.pt;
                    const double expected = (a.bulge < 0) == bLeft ? dist : -dist;  // outward or inward
                    EXPECT_NEAR(out.distanceTo(arc.ptCenter) - arc.radius, expected, 1e-9)
                        << "seed " << seed << " vertex " << i;
                    EXPECT_NEAR(out.distanceTo(srcPt), dist, 1e-9) << "seed " << seed << " vertex " << i;
                    EXPECT_EQ(dst[i].bulge, i == seg ? a.bulge : 0.0);
                    continue;
                }
                EXPECT_NEAR(SideDistance(out, a.pt, b.pt), sideSign * dist, 1e-9)
                    << "seed " << seed << " vertex " << i;
                const bool cornerOfLines = i == seg && i > 0 && std::fabs(src[i - 1].bulge) <= 0.0001;
                if (cornerOfLines) {
                    EXPECT_NEAR(SideDistance(out, src[i - 1].pt, a.pt), sideSign * dist, 1e-9)
                        << "seed " << seed << " corner " << i;
                }
            }
        }
    }
}

// Reversing a chain of lines and offsetting to the other side gives the same
// vertices in reverse order.
TEST(OffsetVertexs, ReversedChainMirrorsTheOffset) {
    chain_fixtures::ChainShape lines;
    lines.arcShare = 0.0;
    for (std::uint64_t seed = 100; seed < 110; ++seed) {
        CPolyLineVertexArray src;
        chain_fixtures::RandomChain(src, 30, seed, lines);
        CPolyLineVertexArray reversed;
        for (INT_PTR i = src.GetSize() - 1; i >= 0; --i) reversed.Add(src[i]);
        CPolyLineVertexArray forward;
        CPolyLineVertexArray backward;
        ASSERT_TRUE(OffsetVertexs(src, forward, 0.7, true));
        ASSERT_TRUE(OffsetVertexs(reversed, backward, 0.7, false));
        ASSERT_EQ(forward.GetSize(), backward.GetSize());
        const INT_PTR n = forward.GetSize();
        for (INT_PTR i = 0; i < n; ++i)
            EXPECT_TRUE(PointNear(forward[i].pt, backward[n - 1 - i].pt, 1e-9)) << "seed " << seed << " vertex " << i;
    }
}
}  // namespace
