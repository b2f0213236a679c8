// The raw offset: moved segments and the joins between them.
#include "chains/raw_offset.h"

#include <algorithm>
#include <initializer_list>

#include "geometry/constants.h"

namespace drovik::offset {
namespace {

// The offset of one segment, from the offset of its start to the offset of
// its end (each moved by dist along the left normal of travel there).
PlaneSegment MovedSegment(const PlaneSegment& seg, double dist) {
    const Vec2 from = seg.start + LeftOf(seg.StartTangent()) * dist;
    const Vec2 to = seg.end + LeftOf(seg.EndTangent()) * dist;
    if (!seg.isArc) return PlaneSegment::Line(from, to);
    // Left of a counter-clockwise arc is its centre.
    const double radius = seg.sweep > 0.0 ? seg.radius - dist : seg.radius + dist;
    if (radius > kOffsetJoinTol) return PlaneSegment::Arc(seg.center, radius, from, to, seg.sweep);
    // Collapsed past the centre: the line between the offsets of the ends
    // lies within |dist| - radius of the centre, so nearer the arc than
    // |dist| everywhere but at its ends.
    PlaneSegment collapsed = PlaneSegment::Line(from, to);
    collapsed.inside = true;
    return collapsed;
}

class JoinMaker {
public:
    JoinMaker(double dist, const JoinStyle& style, ReplacedJoins* replaced)
        : m_dist(dist), m_style(style), m_replaced(replaced) {}

    // Joins the last piece of `pieces` to `next` (whose start may be
    // trimmed) at input vertex `corner`, where travel turns from direction
    // t1 to t2.
    void Join(std::vector<PlaneSegment>& pieces, PlaneSegment& next, Vec2 corner, Vec2 t1, Vec2 t2) const {
        PlaneSegment& prev = pieces.back();
        const Vec2 p1 = prev.end;
        const Vec2 p2 = next.start;
        if (Distance(p1, p2) <= kOffsetJoinTol) return;  // tangent: the pieces already meet
        const double turn = std::atan2(Cross(t1, t2), Dot(t1, t2));
        // A turn away from the offset side opens a gap there; a full
        // reversal opens one on both sides.
        const bool convex = turn * m_dist < 0.0 || std::fabs(turn) > kPi - 1e-9;
        if (!convex) {
            if (m_style.trimConcave) Trim(prev, next);
            if (Distance(prev.end, next.start) > kOffsetJoinTol) {
                // A chord of the circle of radius |dist| about the corner.
                PlaneSegment bridge = PlaneSegment::Line(p1, p2);
                bridge.inside = true;
                pieces.push_back(bridge);
            }
            return;
        }
        const double sweep = m_dist > 0.0 ? -std::fabs(turn) : std::fabs(turn);
        const PlaneSegment round = PlaneSegment::Arc(corner, std::fabs(m_dist), p1, p2, sweep);
        if (m_style.join == Join::kRound) {
            pieces.push_back(round);
            return;
        }
        if (m_replaced) m_replaced->arcs.push_back(round);
        // A mitre past its limit, and a bevel, cut the corner square to its
        // bisector: at the limit's distance from the vertex, or at the
        // offset distance (touching the round join at its middle). The
        // offset segments run on along their tangents to the cut.
        double cutAt = std::fabs(m_dist);
        if (m_style.join == Join::kMiter) {
            const double cosHalf = std::sqrt(std::max(0.0, (1.0 + Dot(t1, t2)) * 0.5));
            if (cosHalf * m_style.miterLimit >= 1.0 && cosHalf > 0.0) {
                // The mitre point lies |dist| / cos(turn / 2) from the corner.
                const Vec2 n = LeftOf(t1) + LeftOf(t2);
                const Vec2 tip = corner + n * (m_dist / (1.0 + Dot(t1, t2)));
                pieces.push_back(PlaneSegment::Line(p1, tip));
                pieces.push_back(PlaneSegment::Line(tip, p2));
                AddPatch({corner, p1, tip, p2});
                return;
            }
            cutAt = m_style.miterLimit * std::fabs(m_dist);
        }
        const double half = std::fabs(turn) * 0.5;
        const double reach = (cutAt - std::fabs(m_dist) * std::cos(half)) / std::sin(half);
        const Vec2 q1 = p1 + t1 * reach;
        const Vec2 q2 = p2 - t2 * reach;
        pieces.push_back(PlaneSegment::Line(p1, q1));
        pieces.push_back(PlaneSegment::Line(q1, q2));
        pieces.push_back(PlaneSegment::Line(q2, p2));
        AddPatch({corner, p1, q1, q2, p2});
    }

private:
    void AddPatch(std::initializer_list<Vec2> points) const {
        if (!m_replaced) return;
        JoinPatch patch;
        for (const Vec2 pt : points) patch.points[patch.count++] = pt;
        m_replaced->patches.push_back(patch);
    }

    // Cuts prev and next back to the crossing nearest prev's end, if any.
    static void Trim(PlaneSegment& prev, PlaneSegment& next) {
        SegmentHit hits[4];
        const int count = IntersectSegments(prev, next, kOffsetJoinTol, hits);
        if (count == 0) return;
        const SegmentHit* best = &hits[0];
        for (int i = 1; i < count; ++i)
            if (hits[i].t1 > best->t1) best = &hits[i];
        prev = prev.Part(0.0, prev.start, best->t1, best->pt);
        next = next.Part(best->t2, best->pt, 1.0, next.end);
    }

    double m_dist;
    JoinStyle m_style;
    ReplacedJoins* m_replaced;
};

}  // namespace

bool JoinPatch::Contains(Vec2 pt, double margin) const {
    // Convex, either way round: inside when on the same side of every edge.
    int sign = 0;
    for (int i = 0; i < count; ++i) {
        const Vec2 a = points[i], b = points[(i + 1) % count];
        const double len = Distance(a, b);
        if (len <= kOffsetJoinTol) continue;
        const double side = Cross(b - a, pt - a) / len;
        if (std::fabs(side) <= margin) return false;
        const int s = side > 0.0 ? 1 : -1;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return sign != 0;
}

PlaneBox JoinPatch::Box() const {
    PlaneBox box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 1; i < count; ++i) {
        box.minX = std::min(box.minX, points[i].x);
        box.minY = std::min(box.minY, points[i].y);
        box.maxX = std::max(box.maxX, points[i].x);
        box.maxY = std::max(box.maxY, points[i].y);
    }
    return box;
}

std::vector<PlaneSegment> RawOffset(const PlaneChain& chain, double dist, const JoinStyle& style,
                                    ReplacedJoins* replaced, std::vector<int>* sources) {
    const std::vector<PlaneSegment>& segs = chain.segments;
    std::vector<PlaneSegment> pieces;
    std::vector<int> from;  // the segment of each piece; a join's is the one after it
    if (segs.empty()) return pieces;
    pieces.reserve(segs.size() * 2 + 1);
    from.reserve(pieces.capacity());
    const JoinMaker joins(dist, style, replaced);
    pieces.push_back(MovedSegment(segs[0], dist));
    from.push_back(0);
    for (std::size_t i = 1; i < segs.size(); ++i) {
        PlaneSegment next = MovedSegment(segs[i], dist);
        joins.Join(pieces, next, segs[i].start, segs[i - 1].EndTangent(), segs[i].StartTangent());
        pieces.push_back(next);
        from.resize(pieces.size(), static_cast<int>(i));
    }
    if (chain.closed && pieces.size() > 1) {
        PlaneSegment first = pieces.front();
        joins.Join(pieces, first, segs.front().start, segs.back().EndTangent(), segs.front().StartTangent());
        pieces.front() = first;
        from.resize(pieces.size(), 0);
    }
    // Pieces trimmed or collapsed to nothing leave no more than a tolerance gap.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].Length() <= kOffsetJoinTol) continue;
        pieces[kept] = pieces[i];
        from[kept] = from[i];
        ++kept;
    }
    pieces.resize(kept);
    from.resize(kept);
    if (sources) sources->swap(from);
    return pieces;
}

}  // namespace drovik::offset
