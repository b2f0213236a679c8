// Ruling out raw offset parts near vertices: what is marked could never
// stay, what could stay is untouched, and the path keeps its joints.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "chain_fixtures.h"
#include "chains/near_parts.h"
#include "chains/offset_checks.h"
#include "chains/raw_offset.h"
#include "test_support.h"

namespace {
using drovik::PlaneSegment;
using drovik::Vec2;
using drovik::offset::RawPath;
using chain_fixtures::Vtx;

drovik::offset::PlaneChain ChainOf(const std::vector<Vtx>& vertices, bool closed) {
    drovik::offset::PlaneChain chain;
    chain.closed = closed;
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i + (closed ? 0 : 1) < n; ++i) {
        const Vtx& a = vertices[i];
        const Vtx& b = vertices[(i + 1) % n];
        chain.segments.push_back(PlaneSegment::FromBulge({a.x, a.y}, {b.x, b.y}, a.bulge));
    }
    return chain;
}

double DistanceToChain(const drovik::offset::PlaneChain& chain, Vec2 pt) {
    double best = std::numeric_limits<double>::infinity();
    for (const PlaneSegment& seg : chain.segments) best = std::min(best, seg.DistanceTo(pt));
    return best;
}

double DistanceToKept(const RawPath& path, Vec2 pt) {
    double best = std::numeric_limits<double>::infinity();
    for (const PlaneSegment& piece : path.pieces)
        if (!piece.inside) best = std::min(best, piece.DistanceTo(pt));
    return best;
}

double KeptLength(const RawPath& path) {
    double length = 0.0;
    for (const PlaneSegment& piece : path.pieces)
        if (!piece.inside) length += piece.Length();
    return length;
}

struct Case {
    std::string name;
    std::vector<Vtx> vertices;
    bool closed;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    chain_fixtures::Uniform draw(77);
    std::vector<Vtx> wavy;
    for (int i = 0; i < 300; ++i) {
        const double a = 6.283185307179586 * i / 300;
        const double r = 40.0 + 3.0 * std::sin(6.0 * a);
        wavy.push_back({r * std::cos(a), r * std::sin(a), i % 2 ? draw(-0.12, 0.12) : 0.0});
    }
    cases.push_back({"wavy outline", wavy, true});
    std::vector<Vtx> zig;
    for (int i = 0; i <= 40; ++i) zig.push_back({double(i), double(i % 2), i % 4 == 1 ? 0.4 : 0.0});
    cases.push_back({"zig-zag", zig, false});
    for (const std::uint64_t seed : {11, 12, 13})
        cases.push_back({"star " + std::to_string(seed), offset_checks::StarChain(seed, 24), true});
    for (const std::uint64_t seed : {21, 22})
        cases.push_back({"open " + std::to_string(seed), offset_checks::OpenChain(seed, 30), false});
    return cases;
}

TEST(MarkPartsNearVertices, MarksOnlyWhatCannotStayAndKeepsThePathJoined) {
    int samplesKept = 0;  // offsets of which some sample stays
    for (const Case& tc : Cases()) {
        const drovik::offset::PlaneChain chain = ChainOf(tc.vertices, tc.closed);
        drovik::offset::SegmentRefs input;
        for (const PlaneSegment& seg : chain.segments) input.push_back(&seg);
        for (const double dist : {0.3, 2.0, -2.0, 8.0, -25.0}) {
            const std::string what = tc.name + " d " + std::to_string(dist);
            RawPath raw;
            raw.closed = tc.closed;
            raw.pieces = drovik::offset::RawOffset(chain, dist, {}, nullptr, &raw.sources);
            RawPath marked = raw;
            const double reach = std::fabs(dist) - 1e-4;
            drovik::offset::MarkPartsNearVertices(marked, input, reach);
            ASSERT_EQ(marked.sources.size(), marked.pieces.size()) << what;
            // Joined as before: each piece starts where the one before ends.
            for (std::size_t i = 1; i < marked.pieces.size(); ++i)
                EXPECT_LT(drovik::Distance(marked.pieces[i - 1].end, marked.pieces[i].start), 1e-5)
                    << what << " at " << i;
            ASSERT_FALSE(marked.pieces.empty()) << what;
            EXPECT_LT(drovik::Distance(marked.pieces.front().start, raw.pieces.front().start), 1e-9) << what;
            EXPECT_LT(drovik::Distance(marked.pieces.back().end, raw.pieces.back().end), 1e-9) << what;
            // Every point of the raw offset that keeps the distance is still
            // on a piece that is not ruled out.
            double validLength = 0.0;  // of the raw offset, from the samples
            for (const PlaneSegment& piece : raw.pieces) {
                if (piece.inside) continue;
                constexpr int kSamples = 40;
                for (int k = 0; k <= kSamples; ++k) {
                    const Vec2 pt = piece.PointAt(static_cast<double>(k) / kSamples);
                    if (DistanceToChain(chain, pt) < std::fabs(dist) - 1e-7) continue;
                    validLength += piece.Length() / (kSamples + 1);
                    EXPECT_LT(DistanceToKept(marked, pt), 1e-7) << what << ": a point that could stay was ruled out";
                }
            }
            samplesKept += validLength > 0.0;
            EXPECT_LE(KeptLength(marked), KeptLength(raw) + 1e-6) << what;
            // Where the distance dwarfs the segments, what is left is not
            // much more than what stays.
            if (tc.name == "wavy outline" && std::fabs(dist) >= 8.0) {
                EXPECT_LT(KeptLength(marked), 1.3 * validLength + 1.0) << what;
                EXPECT_LT(KeptLength(marked), 0.8 * KeptLength(raw)) << what;
            }
        }
    }
    EXPECT_GT(samplesKept, 20);
}

TEST(MarkPartsNearVertices, LeavesPathsWithoutSourcesOrReachAlone) {
    const drovik::offset::PlaneChain chain = ChainOf({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}}, false);
    drovik::offset::SegmentRefs input;
    for (const PlaneSegment& seg : chain.segments) input.push_back(&seg);
    const auto same = [](const RawPath& a, const RawPath& b) {
        if (a.pieces.size() != b.pieces.size()) return false;
        for (std::size_t i = 0; i < a.pieces.size(); ++i)
            if (drovik::Distance(a.pieces[i].start, b.pieces[i].start) != 0.0 ||
                a.pieces[i].inside != b.pieces[i].inside)
                return false;
        return true;
    };
    RawPath unsourced;
    unsourced.pieces = drovik::offset::RawOffset(chain, 3.0, {});
    RawPath marked = unsourced;
    drovik::offset::MarkPartsNearVertices(marked, input, 2.9);
    EXPECT_TRUE(same(marked, unsourced));
    RawPath sourced;
    sourced.pieces = drovik::offset::RawOffset(chain, 3.0, {}, nullptr, &sourced.sources);
    for (const double reach : {0.0, -1.0, std::nan("")}) {
        marked = sourced;
        drovik::offset::MarkPartsNearVertices(marked, input, reach);
        EXPECT_TRUE(same(marked, sourced)) << reach;
    }
    marked = sourced;
    drovik::offset::MarkPartsNearVertices(marked, input, 2.9);  // the zig-zag folds: something goes
    EXPECT_FALSE(same(marked, sourced));
}

}  // namespace
