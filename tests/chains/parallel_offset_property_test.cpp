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
constexpr double kTol = 0.001;  // the tolerance the header states

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
                // The far ends of a square cut lie sqrt(1 + limit^2) |d| out.
                const double reach = join == joinRound ? 1.0 : join == joinMiter ? std::sqrt(1 + 2.5 * 2.5) : std::sqrt(2.0);
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

namespace {
using namespace offset_checks;

// Tangled, repeated, folded chains with wild bulges: the offset answers,
// every output number is finite and nothing comes nearer than the distance.
TEST(ParallelOffsetProperty, TangledChainsNeverBreakIt) {
    chain_fixtures::Uniform draw(777);
    for (int round = 0; round < 150; ++round) {
        std::vector<Vtx> chain;
        const int n = 2 + static_cast<int>(draw(0.0, 9.0));
        for (int i = 0; i < n; ++i) {
            // Coarse coordinates repeat points and fold segments back often.
            const double x = std::floor(draw(0.0, 4.0)), y = std::floor(draw(0.0, 4.0));
            const double bulge = draw(0.0, 1.0) < 0.5 ? 0.0 : draw(-6.0, 6.0);
            chain.push_back({x, y, bulge});
        }
        const bool closed = draw(0.0, 1.0) < 0.5;
        const double dist = std::floor(draw(-8.0, 8.0)) * 0.5;
        const int join = static_cast<int>(draw(0.0, 3.0));
        ChainSet in = SetOf(chain, closed), out;
        const bool ok = Offset(in, dist, join, 3.0, out);
        int total = 0;
        for (int i = 0; i < out.Size(); ++i) total += out.counts[i];
        EXPECT_EQ(total, out.vertices.GetSize()) << round;
        for (const CPolyLineVertex& v : out.vertices)
            EXPECT_TRUE(std::isfinite(v.pt.x) && std::isfinite(v.pt.y) && std::isfinite(v.bulge)) << round;
        if (!ok || dist == 0.0 || out.Size() == 0) continue;
        const std::vector<Piece> pieces = PiecesOf(in);
        for (const CPolyLineVertex& v : out.vertices)
            EXPECT_GE(DistanceTo(pieces, v.pt), std::fabs(dist) - 0.001) << "round " << round << " closed " << closed << " join " << join << " d " << dist << " n " << n;
    }
}
}  // namespace
