// Parallel offsets: what the routine answers for bad and degenerate input.
#include <cmath>
#include <limits>
#include <vector>

#include "chains/offset_checks.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
using namespace offset_checks;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;

ChainSet Elbow() {
    ChainSet set;
    set.Add({{0, 0, 0}, {10, 0, 0.3}, {15, 5, 0}}, false);
    return set;
}

// Outputs that hold something, to see them emptied.
ChainSet Stale() {
    ChainSet set;
    set.Add({{1, 1, 0}, {2, 2, 0}}, false);
    return set;
}

TEST(ParallelOffsetInput, RefusedInputAnswersFalseWithOutputsEmptied) {
    struct Case {
        const char* name;
        ChainSet in;
        double dist;
        int join;
        double limit;
    };
    std::vector<Case> cases;
    cases.push_back({"NaN distance", Elbow(), kNaN, joinRound, 2.0});
    cases.push_back({"infinite distance", Elbow(), -kInf, joinRound, 2.0});
    cases.push_back({"unknown join", Elbow(), 1.0, 3, 2.0});
    cases.push_back({"NaN mitre limit", Elbow(), 1.0, joinMiter, kNaN});
    cases.push_back({"infinite mitre limit", Elbow(), 1.0, joinMiter, kInf});
    {
        ChainSet c = Elbow();
        c.vertices[1].pt.x = kNaN;
        cases.push_back({"NaN coordinate", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c = Elbow();
        c.vertices[2].pt.y = kInf;
        cases.push_back({"infinite coordinate", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c = Elbow();
        c.vertices[0].bulge = kInf;
        cases.push_back({"infinite bulge", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c = Elbow();
        c.counts[0] = 2;  // one vertex left over
        cases.push_back({"counts short of the vertices", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c = Elbow();
        c.counts.append(-1);
        c.counts[0] = 4;
        c.closed.append(0);
        cases.push_back({"negative count", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c = Elbow();
        c.closed.append(1);
        cases.push_back({"closed flags longer than the counts", std::move(c), 1.0, joinRound, 2.0});
    }
    {
        ChainSet c;
        c.Add({{3, 3, 0}, {3.0004, 3, 0.5}, {3, 3.0002, 0}}, false);
        cases.push_back({"all vertices within 0.001", std::move(c), 1.0, joinRound, 2.0});
    }
    cases.push_back({"no chains", ChainSet(), 1.0, joinRound, 2.0});
    for (const Case& tc : cases) {
        ChainSet out = Stale();
        EXPECT_FALSE(Offset(tc.in, tc.dist, tc.join, tc.limit, out)) << tc.name;
        EXPECT_EQ(out.vertices.GetSize(), 0) << tc.name;
        EXPECT_EQ(out.counts.length(), 0) << tc.name;
        EXPECT_EQ(out.closed.length(), 0) << tc.name;
    }
}

TEST(ParallelOffsetInput, DistanceZeroGivesTheInputBack) {
    ChainSet in = Elbow();
    in.Add({{0, 5, 0.2}, {4, 5, 0}, {4, 9, -0.4}, {0, 9, 0}}, true);
    in.vertices[0].pt.z = 2.5;
    ChainSet out = Stale();
    ASSERT_TRUE(Offset(in, 0.0, joinMiter, 3.0, out));
    ASSERT_EQ(out.vertices.GetSize(), in.vertices.GetSize());
    for (INT_PTR i = 0; i < in.vertices.GetSize(); ++i) {
        EXPECT_EQ(out.vertices[i].pt, in.vertices[i].pt);
        EXPECT_EQ(out.vertices[i].bulge, in.vertices[i].bulge);
    }
    EXPECT_TRUE(out.counts == in.counts);
    EXPECT_TRUE(out.closed == in.closed);
}

// Repeated points and segments shorter than 0.001 change nothing.
TEST(ParallelOffsetInput, RepeatedPointsAndTinySegmentsAreIgnored) {
    ChainSet clean;
    clean.Add({{0, 0, 0}, {10, 0, 0.3}, {15, 5, 0}, {15, 12, 0}}, false);
    ChainSet noisy;
    noisy.Add({{0, 0, 0}, {0, 0, 0}, {10, 0, 0.7}, {10.0004, 0, 0.3}, {15, 5, 0}, {15, 5, 0}, {15, 12, 0}}, false);
    // Repeating the first point at the end of a closed chain adds nothing either.
    ChainSet square, squareRepeated;
    square.Add({{0, 0, 0}, {6, 0, 0}, {6, 6, 0}, {0, 6, 0}}, true);
    squareRepeated.Add({{0, 0, 0}, {6, 0, 0}, {6, 6, 0}, {0, 6, 0}, {0, 0, 0}}, true);
    const std::pair<const ChainSet*, const ChainSet*> pairs[] = {{&clean, &noisy}, {&square, &squareRepeated}};
    for (const auto& [a, b] : pairs) {
        for (const double dist : {1.5, -1.5}) {
            ChainSet outA, outB;
            ASSERT_TRUE(Offset(*a, dist, joinRound, 2.0, outA));
            ASSERT_TRUE(Offset(*b, dist, joinRound, 2.0, outB));
            ASSERT_EQ(outA.Size(), outB.Size());
            EXPECT_NEAR(TotalLength(outA), TotalLength(outB), 0.002);
            EXPECT_LT(Hausdorff(outA, outB, 0.05), 0.01);
        }
    }
}

// A chain that folds straight back on itself is wrapped by a U: both
// straights plus a half circle round the fold.
TEST(ParallelOffsetInput, ChainFoldingBackOnItself) {
    ChainSet in;
    in.Add({{0, 0, 0}, {10, 0, 0}, {0, 0, 0}}, false);
    for (const double dist : {1.0, -1.0}) {
        ChainSet out;
        ASSERT_TRUE(Offset(in, dist, joinRound, 2.0, out));
        ASSERT_EQ(out.Size(), 1);
        EXPECT_NEAR(TotalLength(out), 20.0 + kPi, 1e-9);
        EXPECT_TRUE(PointNear(out.vertices[0].pt, P(0, dist), 1e-12));
        EXPECT_TRUE(PointNear(out.vertices[out.vertices.GetSize() - 1].pt, P(0, -dist), 1e-12));
    }
    // A reversal cannot be mitred: the fold is cut square, at the distance
    // for a bevel, at the mitre limit for a mitre.
    ChainSet out;
    ASSERT_TRUE(Offset(in, 1.0, joinBevel, 10.0, out));
    EXPECT_NEAR(TotalLength(out), 20.0 + 2.0 + 2.0, 1e-9);
    ASSERT_TRUE(Offset(in, 1.0, joinMiter, 10.0, out));
    EXPECT_NEAR(TotalLength(out), 20.0 + 2.0 * 10.0 + 2.0, 1e-9);
}

// Distances far beyond the chain's size. The elbow turns left, so on its
// left every point that far out is nearest to an end point: nothing of the
// one-sided offset is left there. On its right the straight's offset stays.
// The arithmetic stays finite either way.
TEST(ParallelOffsetInput, HugeDistances) {
    ChainSet in = Elbow();
    const std::vector<Piece> pieces = PiecesOf(in);
    for (const double dist : {1e9, -1e9}) {
        for (const int join : {joinRound, joinMiter, joinBevel}) {
            ChainSet out;
            ASSERT_TRUE(Offset(in, dist, join, 2.0, out));
            if (dist > 0) {
                EXPECT_EQ(out.Size(), 0) << join;
                continue;
            }
            ASSERT_GE(out.Size(), 1) << join;
            EXPECT_TRUE(PointNear(out.vertices[0].pt, P(0, -1e9), 1e-6));
            for (const CPolyLineVertex& v : out.vertices) {
                EXPECT_TRUE(std::isfinite(v.pt.x) && std::isfinite(v.pt.y) && std::isfinite(v.bulge));
                EXPECT_GE(DistanceTo(pieces, v.pt), 1e9 - 0.001);
            }
        }
    }
}

// The output arrays may be the input arrays.
TEST(ParallelOffsetInput, InPlace) {
    ChainSet in = Elbow();
    ChainSet expected;
    ASSERT_TRUE(Offset(in, 2.0, joinRound, 2.0, expected));
    ASSERT_TRUE(ParallelOffsetChains(in.vertices, in.counts, in.closed, 2.0, joinRound, 2.0, in.vertices, in.counts,
                                     in.closed));
    ASSERT_EQ(in.vertices.GetSize(), expected.vertices.GetSize());
    for (INT_PTR i = 0; i < in.vertices.GetSize(); ++i) EXPECT_EQ(in.vertices[i].pt, expected.vertices[i].pt);
    EXPECT_TRUE(in.counts == expected.counts);
}

// The single-chain form answers as the chain-set form does.
TEST(ParallelOffsetInput, SingleChainForm) {
    ChainSet in;
    in.Add({{0, 0, 0}, {8, 0, 0.4}, {8, 6, 0}, {0, 6, 0}}, true);
    ChainSet viaSet, single;
    ASSERT_TRUE(Offset(in, 1.0, joinBevel, 2.0, viaSet));
    ASSERT_TRUE(ParallelOffset(in.vertices, true, 1.0, joinBevel, 2.0, single.vertices, single.counts, single.closed));
    ASSERT_EQ(single.vertices.GetSize(), viaSet.vertices.GetSize());
    for (INT_PTR i = 0; i < single.vertices.GetSize(); ++i) EXPECT_EQ(single.vertices[i].pt, viaSet.vertices[i].pt);
    EXPECT_TRUE(single.closed == viaSet.closed);
    // Z of every output vertex is that of the first input vertex.
    in.vertices[0].pt.z = 7.0;
    ASSERT_TRUE(ParallelOffset(in.vertices, true, 1.0, joinBevel, 2.0, single.vertices, single.counts, single.closed));
    for (const CPolyLineVertex& v : single.vertices) EXPECT_EQ(v.pt.z, 7.0);
}
}  // namespace
