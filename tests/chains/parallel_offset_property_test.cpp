// Parallel offsets: properties on many random chains (fixed seeds).
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "chains/offset_checks.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
using namespace offset_checks;
using chain_fixtures::Uniform;
constexpr double kTol = 0.001;  // the tolerance the header states
constexpr double kTwoPi = 6.283185307179586;

// A closed counter-clockwise chain around the origin: vertices at sorted
// angles and random radii, a third of the segments gently bulged either way.
// Closed chains must not cross themselves: a draw that does is drawn again
// (with a seed derived from the first). The convex kind keeps its vertices on
// one circle, at least 18 degrees apart for 12 vertices, and bulges outward
// little enough (each arc's ends turn by at most 7 degrees from the chord)
// that every corner still turns left.
std::vector<Vtx> DrawStar(std::uint64_t seed, int vertices, bool convex) {
    Uniform draw(seed);
    std::vector<double> angles;
    const double spacing = kTwoPi / vertices;
    for (int i = 0; i < vertices; ++i)
        angles.push_back(convex ? spacing * (i + draw(-0.2, 0.2)) : draw(0.0, kTwoPi));
    std::sort(angles.begin(), angles.end());
    std::vector<Vtx> chain;
    for (double a : angles) {
        const double r = convex ? 10.0 : draw(5.0, 10.0);
        const double bulge = draw(0.0, 1.0) < 0.35 ? (convex ? draw(0.0, 0.06) : draw(-0.25, 0.25)) : 0.0;
        chain.push_back({r * std::cos(a), r * std::sin(a), bulge});
    }
    return chain;
}

std::vector<Vtx> StarChain(std::uint64_t seed, int vertices, bool convex = false) {
    for (;; seed = seed * 31 + 7) {
        std::vector<Vtx> chain = DrawStar(seed, vertices, convex);
        ChainSet set;
        set.Add(chain, true);
        if (Crossings(set, 0.05) == 0) return chain;
    }
}

std::vector<Vtx> OpenChain(std::uint64_t seed, int vertices) {
    CPolyLineVertexArray arr;
    chain_fixtures::ChainShape shape;
    shape.maxTurnRad = 2.0;
    shape.minLength = 1.0;
    shape.maxLength = 6.0;
    shape.maxBulge = 1.5;
    chain_fixtures::RandomChain(arr, vertices, seed, shape);
    std::vector<Vtx> chain;
    for (const CPolyLineVertex& v : arr) chain.push_back({v.pt.x, v.pt.y, v.bulge});
    return chain;
}

// The same chain travelled the other way.
std::vector<Vtx> Reversed(const std::vector<Vtx>& chain, bool closed) {
    const int n = static_cast<int>(chain.size());
    std::vector<Vtx> rev;
    for (int i = 0; i < n; ++i) {
        const int from = n - 2 - i;  // the segment w_i -> w_i+1 is segment `from` run backwards
        double bulge = 0.0;
        if (from >= 0)
            bulge = -chain[from].bulge;
        else if (closed)
            bulge = -chain[n - 1].bulge;
        rev.push_back({chain[n - 1 - i].x, chain[n - 1 - i].y, bulge});
    }
    return rev;
}

ChainSet SetOf(const std::vector<Vtx>& chain, bool closed) {
    ChainSet set;
    set.Add(chain, closed);
    return set;
}

struct Spread {
    double nearest = std::numeric_limits<double>::infinity();
    double farthest = 0.0;
};

Spread DistancesOf(const ChainSet& in, const ChainSet& out, double step) {
    const std::vector<Piece> pieces = PiecesOf(in);
    Spread s;
    for (const AcGePoint3d& pt : Samples(out, step)) {
        const double d = DistanceTo(pieces, pt);
        s.nearest = std::min(s.nearest, d);
        s.farthest = std::max(s.farthest, d);
    }
    return s;
}

const int kJoins[] = {joinRound, joinMiter, joinBevel};

// Every result point lies at the distance (round joins) or no nearer
// (mitre, bevel: no farther than the join allows); no result chain crosses
// itself or another.
TEST(ParallelOffsetProperty, ResultPointsAtTheDistanceAndNoCrossings) {
    int nonEmpty = 0;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        const bool closed = seed % 2 == 0;
        const ChainSet in = closed ? SetOf(StarChain(seed, 16), true) : SetOf(OpenChain(seed, 14), false);
        for (const double dist : {0.7, -1.6, 3.1}) {
            for (const int join : kJoins) {
                ChainSet out;
                ASSERT_TRUE(Offset(in, dist, join, 2.5, out)) << seed;
                if (out.Size() == 0) continue;
                ++nonEmpty;
                const Spread s = DistancesOf(in, out, 0.05);
                EXPECT_GE(s.nearest, std::fabs(dist) - kTol) << "seed " << seed << " d " << dist << " join " << join;
                const double reach = join == joinRound ? 1.0 : join == joinMiter ? 2.5 : std::sqrt(2.0);
                EXPECT_LE(s.farthest, std::fabs(dist) * reach + kTol)
                    << "seed " << seed << " d " << dist << " join " << join;
                EXPECT_EQ(Crossings(out, 0.2), 0) << "seed " << seed << " d " << dist << " join " << join;
                for (int i = 0; i < out.Size() && closed; ++i) {
                    EXPECT_EQ(out.closed[i], 1) << "seed " << seed << " d " << dist;
                }
            }
        }
    }
    EXPECT_GT(nonEmpty, 60);  // the cases mostly leave something to check
}

// Offsetting the reversed chain by the negated distance gives the same
// chains, travelled the other way.
TEST(ParallelOffsetProperty, ReversedChainNegatedDistance) {
    for (std::uint64_t seed = 21; seed <= 30; ++seed) {
        const bool closed = seed % 2 == 0;
        const std::vector<Vtx> chain = closed ? StarChain(seed, 14) : OpenChain(seed, 12);
        const ChainSet in = SetOf(chain, closed);
        const ChainSet rev = SetOf(Reversed(chain, closed), closed);
        for (const double dist : {0.9, -2.3}) {
            for (const int join : kJoins) {
                ChainSet a, b;
                ASSERT_TRUE(Offset(in, dist, join, 2.0, a));
                ASSERT_TRUE(Offset(rev, -dist, join, 2.0, b));
                ASSERT_EQ(a.Size(), b.Size()) << "seed " << seed << " d " << dist << " join " << join;
                EXPECT_NEAR(TotalLength(a), TotalLength(b), 1e-6) << "seed " << seed;
                EXPECT_NEAR(TotalArea(a), -TotalArea(b), 1e-6) << "seed " << seed;
                if (a.Size() > 0) {
                    EXPECT_LT(Hausdorff(a, b, 0.1), 0.1) << "seed " << seed;
                }
            }
        }
    }
}

// Where a closed chain starts does not change its offset.
TEST(ParallelOffsetProperty, StartVertexOfAClosedChainDoesNotMatter) {
    for (std::uint64_t seed = 41; seed <= 48; ++seed) {
        const std::vector<Vtx> chain = StarChain(seed, 15);
        std::vector<Vtx> rotated(chain.begin() + 6, chain.end());
        rotated.insert(rotated.end(), chain.begin(), chain.begin() + 6);
        for (const double dist : {1.3, -2.0, 3.5}) {
            for (const int join : kJoins) {
                ChainSet a, b;
                ASSERT_TRUE(Offset(SetOf(chain, true), dist, join, 2.0, a));
                ASSERT_TRUE(Offset(SetOf(rotated, true), dist, join, 2.0, b));
                ASSERT_EQ(a.Size(), b.Size()) << "seed " << seed << " d " << dist;
                EXPECT_NEAR(TotalLength(a), TotalLength(b), 1e-6) << "seed " << seed;
                EXPECT_NEAR(TotalArea(a), TotalArea(b), 1e-6) << "seed " << seed;
                if (a.Size() > 0) {
                    EXPECT_LT(Hausdorff(a, b, 0.1), 0.1) << "seed " << seed;
                }
            }
        }
    }
}

// A convex closed chain offset outward and then inward by the same distance
// (round joins) comes back: the rounded corners shrink back to the corners.
TEST(ParallelOffsetProperty, OutwardThenInwardGivesBackAConvexChain) {
    for (std::uint64_t seed = 61; seed <= 70; ++seed) {
        const ChainSet in = SetOf(StarChain(seed, 12, true), true);
        for (const double dist : {0.5, 2.0, 15.0}) {
            ChainSet out, back;
            ASSERT_TRUE(Offset(in, -dist, joinRound, 2.0, out));
            ASSERT_EQ(out.Size(), 1);
            ASSERT_TRUE(Offset(out, dist, joinRound, 2.0, back));
            ASSERT_EQ(back.Size(), 1) << "seed " << seed << " d " << dist;
            EXPECT_NEAR(TotalArea(back), TotalArea(in), 1e-6) << "seed " << seed << " d " << dist;
            EXPECT_NEAR(TotalLength(back), TotalLength(in), 1e-6) << "seed " << seed << " d " << dist;
            EXPECT_LT(Hausdorff(back, in, 0.1), 0.1);
        }
    }
}
}  // namespace
