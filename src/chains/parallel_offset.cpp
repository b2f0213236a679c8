// Parallel offsets of chain sets: read the chains, build the raw offsets and
// their guards, clip, and write the result chains.
#include "drovik/chains/parallel_offset.h"

#include <cmath>
#include <utility>
#include <vector>

#include "chains/near_parts.h"
#include "chains/offset_clip.h"
#include "chains/raw_offset.h"
#include "geometry/constants.h"

using drovik::PlaneSegment;
using drovik::Vec2;
using drovik::offset::ClippedChain;
using drovik::offset::PlaneChain;
using drovik::offset::RawPath;

namespace {

using VertexArray = CArray<CPolyLineVertex, CPolyLineVertex&>;

// The chains of a chain set in plane coordinates about a local origin (the
// first vertex), so that drawings far from the world origin keep their
// precision.
struct ChainSet {
    Vec2 origin;
    double z = 0.0;
    std::vector<PlaneChain> chains;
};

bool IsFinite(const CPolyLineVertex& v) {
    return std::isfinite(v.pt.x) && std::isfinite(v.pt.y) && std::isfinite(v.pt.z) && std::isfinite(v.bulge);
}

// One chain's segments: vertices closer than the common tolerance are one,
// the later one's bulge shaping what follows.
PlaneChain ReadChain(const CPolyLineVertex* vertices, int count, bool closed, Vec2 origin) {
    std::vector<Vec2> points;
    std::vector<double> bulges;
    for (int i = 0; i < count; ++i) {
        const Vec2 pt{vertices[i].pt.x - origin.x, vertices[i].pt.y - origin.y};
        if (!points.empty() && drovik::IsNegligible(drovik::Distance(points.back(), pt))) {
            bulges.back() = vertices[i].bulge;
            continue;
        }
        points.push_back(pt);
        bulges.push_back(vertices[i].bulge);
    }
    if (closed && points.size() > 1 && drovik::IsNegligible(drovik::Distance(points.back(), points.front()))) {
        points.pop_back();
        bulges.pop_back();
    }
    PlaneChain chain;
    chain.closed = closed;
    const std::size_t n = points.size();
    const std::size_t segments = closed ? (n > 1 ? n : 0) : (n > 0 ? n - 1 : 0);
    for (std::size_t i = 0; i < segments; ++i)
        chain.segments.push_back(PlaneSegment::FromBulge(points[i], points[(i + 1) % n], bulges[i]));
    return chain;
}

bool ReadChainSet(const VertexArray& arrSrc, const AcArray<int>& counts, const AcArray<int>& closed, ChainSet& set) {
    if (counts.length() != closed.length()) return false;
    long long total = 0;
    for (int i = 0; i < counts.length(); ++i) {
        if (counts[i] < 0) return false;
        total += counts[i];
    }
    if (total != arrSrc.GetSize()) return false;
    for (const CPolyLineVertex& v : arrSrc)
        if (!IsFinite(v)) return false;
    if (total == 0) return false;
    set.origin = {arrSrc[0].pt.x, arrSrc[0].pt.y};
    set.z = arrSrc[0].pt.z;
    const CPolyLineVertex* vertices = arrSrc.GetData();
    bool any = false;
    for (int i = 0; i < counts.length(); ++i) {
        PlaneChain chain = ReadChain(vertices, counts[i], closed[i] != 0, set.origin);
        vertices += counts[i];
        if (chain.segments.empty()) continue;
        any = true;
        set.chains.push_back(std::move(chain));
    }
    return any;
}

// Where the distance to an open chain passes |dist| without its raw offset
// crossing itself: the other side's offset, which the raw one meets where
// the chain folds round an end, and the circles about the two end points.
// Closed chains need the other side only where chains cross (the raw offset
// then reaches the other side through the crossing).
void AddGuards(const PlaneChain& chain, double dist, std::vector<PlaneSegment>& guards) {
    drovik::offset::JoinStyle round;
    round.trimConcave = false;  // a trim could cut off a stretch where the distance passes
    const std::vector<PlaneSegment> other = drovik::offset::RawOffset(chain, -dist, round);
    guards.insert(guards.end(), other.begin(), other.end());
    if (chain.closed) return;
    const double radius = std::fabs(dist);
    for (const Vec2 end : {chain.segments.front().start, chain.segments.back().end}) {
        const Vec2 on{end.x + radius, end.y};
        guards.push_back(PlaneSegment::Arc(end, radius, on, on, drovik::kTwoPi));
    }
}

// Whether the closed chains cross themselves or each other. Their segments
// move into the check's paths and back, uncopied (and unmoved in memory).
// inputIndex is over all chains' segments; it serves when all are closed.
bool ClosedChainsCross(std::vector<PlaneChain>& chains, const drovik::BoxIndex& inputIndex) {
    std::vector<RawPath> closed;
    for (PlaneChain& chain : chains)
        if (chain.closed) closed.push_back({std::move(chain.segments), true, {}});
    const bool allClosed = closed.size() == chains.size();
    const bool cross = !closed.empty() && drovik::offset::PathsCross(closed, allClosed ? &inputIndex : nullptr);
    std::size_t k = 0;
    for (PlaneChain& chain : chains)
        if (chain.closed) chain.segments = std::move(closed[k++].pieces);
    return cross;
}

void WriteChains(const std::vector<ClippedChain>& chains, const ChainSet& set, VertexArray& arrDst,
                 AcArray<int>& arrCounts, AcArray<int>& arrClosed) {
    auto vertex = [&](Vec2 pt, double bulge) {
        CPolyLineVertex v(AcGePoint3d(pt.x + set.origin.x, pt.y + set.origin.y, set.z), bulge);
        return v;
    };
    for (const ClippedChain& chain : chains) {
        if (chain.segments.empty()) continue;
        const INT_PTR before = arrDst.GetSize();
        for (const PlaneSegment& seg : chain.segments) {
            CPolyLineVertex v = vertex(seg.start, seg.Bulge());
            arrDst.Add(v);
        }
        if (!chain.closed) {
            CPolyLineVertex last = vertex(chain.segments.back().end, 0.0);
            arrDst.Add(last);
        }
        arrCounts.append(static_cast<int>(arrDst.GetSize() - before));
        arrClosed.append(chain.closed ? 1 : 0);
    }
}

void Clear(VertexArray& arrDst, AcArray<int>& arrCounts, AcArray<int>& arrClosed) {
    arrDst.RemoveAll();
    arrCounts.setLogicalLength(0);
    arrClosed.setLogicalLength(0);
}

}  // namespace

bool ParallelOffsetChains(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc, const AcArray<int>& arrSrcCounts,
                          const AcArray<int>& arrSrcClosed, double dDist, int nJoin, double dMiterLimit,
                          CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, AcArray<int>& arrDstCounts,
                          AcArray<int>& arrDstClosed) {
    ChainSet set;
    const bool joinKnown = nJoin == joinRound || nJoin == joinMiter || nJoin == joinBevel;
    const bool usable = joinKnown && std::isfinite(dDist) && (nJoin != joinMiter || std::isfinite(dMiterLimit)) &&
                        ReadChainSet(arrSrc, arrSrcCounts, arrSrcClosed, set);
    if (!usable) {
        Clear(arrDst, arrDstCounts, arrDstClosed);
        return false;
    }
    if (dDist == 0.0) {  // the input itself; Copy leaves an array given as both alone
        arrDst.Copy(arrSrc);
        if (&arrDstCounts != &arrSrcCounts) arrDstCounts = arrSrcCounts;
        if (&arrDstClosed != &arrSrcClosed) arrDstClosed = arrSrcClosed;
        return true;
    }
    drovik::offset::JoinStyle style;
    style.join = nJoin == joinMiter ? drovik::offset::Join::kMiter
                 : nJoin == joinBevel ? drovik::offset::Join::kBevel
                                      : drovik::offset::Join::kRound;
    style.miterLimit = dMiterLimit > 1.0 ? dMiterLimit : 1.0;

    std::vector<RawPath> raws;
    drovik::offset::SegmentRefs input;  // every input segment, chain after chain
    drovik::offset::InputLayout layout;
    layout.side = dDist > 0.0 ? 1 : -1;
    std::vector<PlaneSegment> guards;
    drovik::offset::ReplacedJoins replaced;
    for (const PlaneChain& chain : set.chains) {
        RawPath raw;
        raw.closed = chain.closed;
        raw.pieces = drovik::offset::RawOffset(chain, dDist, style, &replaced, &raw.sources);
        for (int& source : raw.sources) source += static_cast<int>(input.size());
        raws.push_back(std::move(raw));
        layout.chainFirst.push_back(static_cast<int>(input.size()));
        layout.chainClosed.push_back(chain.closed ? 1 : 0);
        for (const PlaneSegment& seg : chain.segments) input.push_back(&seg);
        if (!chain.closed) AddGuards(chain, dDist, guards);
    }
    layout.chainFirst.push_back(static_cast<int>(input.size()));
    // Points nearer an input vertex than this are surely nearer the input
    // than the offset distance, rounding and all.
    const double nearVertex = std::fabs(dDist) - std::fmin(100.0 * drovik::kOffsetJoinTol, 0.1 * std::fabs(dDist));
    for (RawPath& raw : raws) drovik::offset::MarkPartsNearVertices(raw, input, nearVertex);
    // One index over the input serves the clipping and, when every chain is
    // closed (the closed chains are then the input), the crossing check.
    const drovik::BoxIndex inputIndex(drovik::offset::BoxesOf(input));
    layout.closedChainsCross = ClosedChainsCross(set.chains, inputIndex);
    if (layout.closedChainsCross)
        for (const PlaneChain& chain : set.chains)
            if (chain.closed) AddGuards(chain, dDist, guards);
    guards.insert(guards.end(), replaced.arcs.begin(), replaced.arcs.end());
    const double tol = std::fmin(drovik::kCoincidentTol, std::fabs(dDist) * 0.1);
    const std::vector<ClippedChain> result =
        drovik::offset::ClipRawOffsets(raws, input, inputIndex, guards, replaced.patches, std::fabs(dDist), tol,
                                       layout);
    Clear(arrDst, arrDstCounts, arrDstClosed);
    WriteChains(result, set, arrDst, arrDstCounts, arrDstClosed);
    return true;
}

bool ParallelOffset(const CArray<CPolyLineVertex, CPolyLineVertex&>& arrSrc, bool bClosed, double dDist, int nJoin,
                    double dMiterLimit, CArray<CPolyLineVertex, CPolyLineVertex&>& arrDst, AcArray<int>& arrDstCounts,
                    AcArray<int>& arrDstClosed) {
    AcArray<int> counts;
    AcArray<int> closed;
    counts.append(static_cast<int>(arrSrc.GetSize()));
    closed.append(bClosed ? 1 : 0);
    return ParallelOffsetChains(arrSrc, counts, closed, dDist, nJoin, dMiterLimit, arrDst, arrDstCounts,
                                arrDstClosed);
}
