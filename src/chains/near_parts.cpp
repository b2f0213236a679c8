// Marking the parts of raw pieces that lie within reach of vertices near
// their source. Only the vertices of a few segments each way are tried:
// that is where a long piece's doomed stretches lie when the distance is
// large, and the clipping settles the rest exactly.
#include "chains/near_parts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geometry/constants.h"

namespace drovik::offset {
namespace {

constexpr int kWindow = 3;  // source segments each way whose vertices are tried
constexpr int kMaxCovers = 2 * (2 * kWindow + 2);  // a disc covers at most two stretches

// A stretch of a piece inside one disc, by place along the piece (see
// ArcPlace), with its end points.
struct Cover {
    double lo = 0.0, hi = 0.0;
    Vec2 ptLo, ptHi;
};

// Where a point of an arc lies along it, in [0, 4): grows with the angle
// turned from the start in the sense of travel, a quarter turn per unit,
// without trigonometry. A line's place is its parameter.
double ArcPlace(const PlaneSegment& arc, Vec2 pt) {
    const Vec2 from = arc.start - arc.center, to = pt - arc.center;
    const double x = Dot(from, to);
    const double y = arc.sweep > 0.0 ? Cross(from, to) : -Cross(from, to);
    if (x == 0.0 && y == 0.0) return 0.0;
    if (y >= 0.0) return x >= 0.0 ? y / (x + y) : 1.0 + (-x) / (y - x);
    return x < 0.0 ? 2.0 + (-y) / (-x - y) : 3.0 + x / (x - y);
}

class CoverList {
public:
    explicit CoverList(const PlaneSegment& piece)
        : m_piece(piece), m_end(piece.isArc ? ArcPlace(piece, piece.end) : 1.0) {
        // A circle holding the piece: an arc of half a turn or less lies
        // within the circle on its chord.
        const bool wide = piece.isArc && std::fabs(piece.sweep) > kPi;
        m_around = wide ? piece.center : (piece.start + piece.end) * 0.5;
        m_aroundRadius = wide ? piece.radius : 0.5 * Distance(piece.start, piece.end);
    }

    double End() const { return m_end; }

    // Adds the stretches of the piece inside the disc of radius reach about v.
    void AddDisc(Vec2 v, double reach) {
        const Vec2 rel = v - m_around;
        const double clear = reach + m_aroundRadius;
        if (Dot(rel, rel) >= clear * clear) return;  // the disc misses the piece
        if (m_piece.isArc)
            AddArcDisc(v, reach);
        else
            AddLineDisc(v, reach);
    }

    // The first and last places of the piece outside every disc, with their
    // points; false when there is none.
    bool Uncovered(Cover& hull) {
        if (m_count == 0) {
            hull = {0.0, End(), m_piece.start, m_piece.end};
            return true;
        }
        std::sort(m_covers, m_covers + m_count, [](const Cover& a, const Cover& b) { return a.lo < b.lo; });
        double first = 0.0;
        Vec2 firstPt = m_piece.start;
        for (int i = 0; i < m_count && m_covers[i].lo <= first; ++i)
            if (m_covers[i].hi > first) {
                first = m_covers[i].hi;
                firstPt = m_covers[i].ptHi;
            }
        if (first >= m_end) return false;
        std::sort(m_covers, m_covers + m_count, [](const Cover& a, const Cover& b) { return a.hi > b.hi; });
        double last = m_end;
        Vec2 lastPt = m_piece.end;
        for (int i = 0; i < m_count && m_covers[i].hi >= last; ++i)
            if (m_covers[i].lo < last) {
                last = m_covers[i].lo;
                lastPt = m_covers[i].ptLo;
            }
        if (last <= first) return false;
        hull = {first, last, firstPt, lastPt};
        return true;
    }

private:
    void Add(double lo, Vec2 ptLo, double hi, Vec2 ptHi) {
        if (hi < 0.0 || lo > m_end || m_count == kMaxCovers) return;
        if (lo < 0.0) {
            lo = 0.0;
            ptLo = m_piece.start;
        }
        if (hi > m_end) {
            hi = m_end;
            ptHi = m_piece.end;
        }
        m_covers[m_count++] = {lo, hi, ptLo, ptHi};
    }

    void AddLineDisc(Vec2 v, double reach) {
        const Vec2 along = m_piece.end - m_piece.start;
        const double lenSq = Dot(along, along);
        if (!(lenSq > 0.0)) return;
        const Vec2 rel = v - m_piece.start;
        const double mid = Dot(rel, along) / lenSq;
        const double apartSq = Dot(rel, rel) - mid * mid * lenSq;
        if (apartSq >= reach * reach) return;
        const double half = std::sqrt((reach * reach - apartSq) / lenSq);
        const double lo = mid - half, hi = mid + half;
        Add(lo, m_piece.start + along * lo, hi, m_piece.start + along * hi);
    }

    void AddArcDisc(Vec2 v, double reach) {
        const double radius = m_piece.radius;
        const Vec2 between = v - m_piece.center;
        const double apart = Length(between);
        if (apart + radius <= reach) {  // the whole circle lies in the disc
            Add(0.0, m_piece.start, m_end, m_piece.end);
            return;
        }
        if (apart >= radius + reach || apart + reach <= radius || apart <= kOffsetJoinTol) return;
        // The circles' common points; the disc holds the stretch of the
        // circle between them that faces v.
        const double along = (radius * radius - reach * reach + apart * apart) / (2.0 * apart);
        const double across = std::sqrt(std::max(0.0, radius * radius - along * along));
        const Vec2 unit = between * (1.0 / apart);
        const Vec2 foot = m_piece.center + unit * along;
        const Vec2 ccwSide = foot + LeftOf(unit) * across;
        const Vec2 cwSide = foot - LeftOf(unit) * across;
        const Vec2 enter = m_piece.sweep > 0.0 ? cwSide : ccwSide;
        const Vec2 leave = m_piece.sweep > 0.0 ? ccwSide : cwSide;
        const double lo = ArcPlace(m_piece, enter), hi = ArcPlace(m_piece, leave);
        if (lo <= hi) {
            Add(lo, enter, hi, leave);
        } else {  // round past the start
            Add(lo, enter, 4.0, m_piece.start);
            Add(0.0, m_piece.start, hi, leave);
        }
    }

    const PlaneSegment& m_piece;
    double m_end;
    Vec2 m_around;
    double m_aroundRadius = 0.0;
    Cover m_covers[kMaxCovers];
    int m_count = 0;
};

bool EndNear(const PlaneSegment& piece, const Vec2* vertices, int count, double reach) {
    const double reachSq = reach * reach;
    for (int k = 0; k < count; ++k) {
        const Vec2 toStart = piece.start - vertices[k], toEnd = piece.end - vertices[k];
        if (Dot(toStart, toStart) < reachSq || Dot(toEnd, toEnd) < reachSq) return true;
    }
    return false;
}

// The parameter of a place found by CoverList.
double ParamAt(const PlaneSegment& piece, double place, Vec2 pt) {
    if (!piece.isArc) return place;
    return std::clamp(piece.ParamOf(pt), 0.0, 1.0);
}

}  // namespace

void MarkPartsNearVertices(RawPath& raw, const SegmentRefs& input, double reach) {
    if (raw.sources.size() != raw.pieces.size() || !(reach > 0.0) || raw.pieces.empty()) return;
    const int inputCount = static_cast<int>(input.size());
    // The path is copied only from its first change on; runs of what lies
    // inside are merged from there.
    std::vector<PlaneSegment> pieces;
    std::vector<int> sources;
    // A run of what lies inside becomes one straight piece: only its ends
    // matter, as nothing of it is kept and no split falls on it.
    bool inRun = false;
    Vec2 runStart;
    bool changed = false;
    const auto change = [&](std::size_t at) {
        if (changed) return;
        changed = true;
        pieces.reserve(raw.pieces.size() + 16);
        sources.reserve(raw.pieces.size() + 16);
        pieces.assign(raw.pieces.begin(), raw.pieces.begin() + static_cast<std::ptrdiff_t>(at));
        sources.assign(raw.sources.begin(), raw.sources.begin() + static_cast<std::ptrdiff_t>(at));
        inRun = false;
    };
    const auto endRun = [&](Vec2 at, int source) {
        if (!inRun) return;
        inRun = false;
        PlaneSegment bridge = PlaneSegment::Line(runStart, at);
        bridge.inside = true;
        pieces.push_back(bridge);
        sources.push_back(source);
    };
    const auto startRun = [&](Vec2 at) {
        if (inRun || !changed) return;
        inRun = true;
        runStart = at;
    };
    const auto keep = [&](const PlaneSegment& piece, int source) {
        if (!changed) return;
        endRun(piece.start, source);
        pieces.push_back(piece);
        sources.push_back(source);
    };
    for (std::size_t i = 0; i < raw.pieces.size(); ++i) {
        const PlaneSegment& piece = raw.pieces[i];
        const int source = raw.sources[i];
        if (piece.inside) {
            startRun(piece.start);
            continue;
        }
        // Whole circles stay as they are.
        if ((piece.isArc && std::fabs(piece.sweep) > kTwoPi - 1e-3) || source < 0 || source >= inputCount) {
            keep(piece, source);
            continue;
        }
        // The vertices tried. The source's own ends lie a full distance
        // from every point of its offset: only the others can cover any.
        Vec2 vertices[2 * kWindow + 2];
        int count = 0;
        const int from = std::max(0, source - kWindow), to = std::min(inputCount - 1, source + kWindow);
        for (int j = from; j <= to; ++j)
            if (j != source && j != source + 1) vertices[count++] = input[j]->start;
        if (to != source) vertices[count++] = input[to]->end;
        // Only a piece with an end in some disc can lose anything.
        if (!EndNear(piece, vertices, count, reach)) {
            keep(piece, source);
            continue;
        }
        CoverList covers(piece);
        for (int k = 0; k < count; ++k) covers.AddDisc(vertices[k], reach);
        Cover hull;
        if (!covers.Uncovered(hull)) {
            change(i);
            startRun(piece.start);
            continue;
        }
        // Parts no longer than a joint's tolerance stay with the middle.
        const bool cutFront = hull.lo > 0.0 && Distance(piece.start, hull.ptLo) > kOffsetJoinTol;
        const bool cutBack = hull.hi < covers.End() && Distance(hull.ptHi, piece.end) > kOffsetJoinTol;
        const double t0 = cutFront ? ParamAt(piece, hull.lo, hull.ptLo) : 0.0;
        const double t1 = cutBack ? ParamAt(piece, hull.hi, hull.ptHi) : 1.0;
        if (!(cutFront || cutBack) || !(t0 < t1)) {
            keep(piece, source);
            continue;
        }
        change(i);
        const Vec2 p0 = cutFront ? hull.ptLo : piece.start;
        const Vec2 p1 = cutBack ? hull.ptHi : piece.end;
        if (cutFront) startRun(piece.start);
        keep(piece.Part(t0, p0, t1, p1), source);
        if (cutBack) startRun(p1);
    }
    if (!changed) return;
    endRun(raw.pieces.back().end, raw.sources.back());
    raw.pieces.swap(pieces);
    raw.sources.swap(sources);
}

}  // namespace drovik::offset
