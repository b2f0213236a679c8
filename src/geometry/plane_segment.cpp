// Plane lines and arcs: shape, boxes, distances and intersections.
#include "geometry/plane_segment.h"

#include <algorithm>

#include "drovik/geometry/intersect.h"
#include "drovik/geometry/polyline.h"
#include "geometry/constants.h"

namespace drovik {
namespace {

AcGePoint3d Pt3(Vec2 p) { return AcGePoint3d(p.x, p.y, 0.0); }
Vec2 Pt2(const AcGePoint3d& p) { return {p.x, p.y}; }

double PolarAngle(Vec2 center, Vec2 pt) { return std::atan2(pt.y - center.y, pt.x - center.x); }

// The angle `a` taken into [0, 2*pi).
double Folded(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0.0) a += kTwoPi;
    return a < kTwoPi ? a : 0.0;
}

// Whether a candidate point, found on the circle of arc `seg` (to within
// endTol), is surely not on the arc: outside its wedge and well clear of
// both ends, so that neither the angle nor the end tolerance could take it
// in. Saves working out the angle for most of the candidates that miss.
bool OffArc(const PlaneSegment& seg, Vec2 pt, double endTol) {
    if (!seg.isArc || !(std::fabs(seg.sweep) > 0.0) || std::fabs(seg.sweep) >= kTwoPi) return false;
    if (seg.InWedge(pt)) return false;
    // Beyond an end by endTol along the arc is at most about 2 endTol away
    // in a straight line; the rest covers rounding near the end radii.
    const double clear = 3.0 * endTol + 1e-9 * seg.radius;
    const Vec2 fromStart = pt - seg.start, fromEnd = pt - seg.end;
    return Dot(fromStart, fromStart) > clear * clear && Dot(fromEnd, fromEnd) > clear * clear;
}

// The place along `seg` of a candidate point that OffArc did not rule out,
// when it lies on the segment (within endTol of its ends); clamped to [0, 1].
bool PlaceOn(const PlaneSegment& seg, Vec2 pt, double endTol, double& t) {
    t = seg.ParamOf(pt);
    if (t >= 0.0 && t <= 1.0) return true;
    const double len = seg.Length();
    if (t < 0.0 && (Distance(pt, seg.start) <= endTol || -t * len <= endTol)) {
        t = 0.0;
        return true;
    }
    if (t > 1.0 && (Distance(pt, seg.end) <= endTol || (t - 1.0) * len <= endTol)) {
        t = 1.0;
        return true;
    }
    return false;
}

// Adds a candidate point that lies on both segments, and that the filter
// (when given) accepts, once. The cheap tests go first: an arc's angle is
// worked out last, for points that pass everything else.
void Keep(const PlaneSegment& s1, const PlaneSegment& s2, Vec2 pt, double endTol, const PointFilter* filter,
          SegmentHit hits[4], int& count) {
    if (count >= 4) return;
    SegmentHit hit;
    hit.pt = pt;
    if (!s1.isArc && !PlaceOn(s1, pt, endTol, hit.t1)) return;
    if (!s2.isArc && !PlaceOn(s2, pt, endTol, hit.t2)) return;
    if ((s1.isArc && OffArc(s1, pt, endTol)) || (s2.isArc && OffArc(s2, pt, endTol))) return;
    for (int i = 0; i < count; ++i)
        if (Distance(hits[i].pt, pt) <= endTol) return;
    if (filter && !filter->Accept(pt)) return;
    if (s1.isArc && !PlaceOn(s1, pt, endTol, hit.t1)) return;
    if (s2.isArc && !PlaceOn(s2, pt, endTol, hit.t2)) return;
    hits[count++] = hit;
}

// Ends of each segment that lie on the other: the shared stretch of two
// segments on one line or one circle.
void KeepOverlapEnds(const PlaneSegment& s1, const PlaneSegment& s2, double endTol, SegmentHit hits[4], int& count) {
    const int before = count;
    for (Vec2 pt : {s1.start, s1.end, s2.start, s2.end})
        if (s1.DistanceTo(pt) <= endTol && s2.DistanceTo(pt) <= endTol) Keep(s1, s2, pt, endTol, nullptr, hits, count);
    for (int i = before; i < count; ++i) hits[i].overlap = true;
}

int LineLine(const PlaneSegment& s1, const PlaneSegment& s2, double endTol, const PointFilter* filter,
             SegmentHit hits[4]) {
    const Vec2 r = s1.end - s1.start;
    const Vec2 s = s2.end - s2.start;
    const Vec2 w = s2.start - s1.start;
    const double denom = Cross(r, s);
    const double lenR = Length(r);
    const double lenS = Length(s);
    int count = 0;
    if (lenR == 0.0 || lenS == 0.0) return 0;
    if (std::fabs(denom) > 1e-12 * lenR * lenS) {
        const double t = Cross(w, s) / denom;
        Keep(s1, s2, s1.start + r * t, endTol, filter, hits, count);
        return count;
    }
    // Parallel: only a shared line gives common points.
    if (std::fabs(Cross(w, r)) / lenR > endTol) return 0;
    KeepOverlapEnds(s1, s2, endTol, hits, count);
    return count;
}

// The line's common points with the arc's circle, then those on both.
// GetCLineIpt finds the same candidates but touches only exactly; here a
// line that misses the circle by no more than endTol touches it.
int LineArc(const PlaneSegment& line, const PlaneSegment& arc, bool swapped, double endTol, const PointFilter* filter,
            SegmentHit hits[4]) {
    const Vec2 along = line.end - line.start;
    const double len = Length(along);
    if (len == 0.0) return 0;
    const Vec2 dir = along * (1.0 / len);
    const Vec2 foot = line.start + dir * Dot(arc.center - line.start, dir);
    const double apart = Distance(foot, arc.center);
    if (apart > arc.radius + endTol) return 0;
    const double half = std::sqrt(std::max(0.0, arc.radius * arc.radius - apart * apart));
    int count = 0;
    const PlaneSegment& first = swapped ? arc : line;
    const PlaneSegment& second = swapped ? line : arc;
    Keep(first, second, foot - dir * half, endTol, filter, hits, count);
    if (half > 0.0) Keep(first, second, foot + dir * half, endTol, filter, hits, count);
    return count;
}

// The circles' common points, exactly: GetCCIpt's touch rule (centres
// within 0.001 of touching give one point) would put a crossing up to a
// tolerance off both circles. Circles that miss each other by no more than
// endTol touch.
int ArcArc(const PlaneSegment& s1, const PlaneSegment& s2, double endTol, const PointFilter* filter,
           SegmentHit hits[4]) {
    const Vec2 between = s2.center - s1.center;
    const double d = Length(between);
    int count = 0;
    if (d <= kOffsetJoinTol * 1e-3) {  // one centre: common points only on one circle
        if (std::fabs(s1.radius - s2.radius) <= endTol) KeepOverlapEnds(s1, s2, endTol, hits, count);
        return count;
    }
    if (d > s1.radius + s2.radius + endTol || d < std::fabs(s1.radius - s2.radius) - endTol) return 0;
    const double along = (s1.radius * s1.radius - s2.radius * s2.radius + d * d) / (2.0 * d);
    const double across = std::sqrt(std::max(0.0, s1.radius * s1.radius - along * along));
    const Vec2 unit = between * (1.0 / d);
    const Vec2 foot = s1.center + unit * along;
    Keep(s1, s2, foot + LeftOf(unit) * across, endTol, filter, hits, count);
    if (across > 0.0) Keep(s1, s2, foot - LeftOf(unit) * across, endTol, filter, hits, count);
    return count;
}

}  // namespace

PlaneSegment PlaneSegment::Line(Vec2 a, Vec2 b) {
    PlaneSegment seg;
    seg.start = a;
    seg.end = b;
    return seg;
}

PlaneSegment PlaneSegment::Arc(Vec2 center, double radius, Vec2 a, Vec2 b, double sweep) {
    PlaneSegment seg;
    seg.start = a;
    seg.end = b;
    seg.isArc = true;
    seg.center = center;
    seg.radius = radius;
    seg.startAngle = PolarAngle(center, a);
    seg.sweep = sweep;
    return seg;
}

PlaneSegment PlaneSegment::FromBulge(Vec2 a, Vec2 b, double bulge) {
    if (!IsArcBulge(bulge)) return Line(a, b);
    stArcPara arc;
    CPolyLine::GetArcPara(CPolyLineVertex(Pt3(a), bulge), CPolyLineVertex(Pt3(b), 0.0), arc);
    return Arc(Pt2(arc.ptCenter), arc.radius, a, b, 4.0 * std::atan(bulge));
}

Vec2 PlaneSegment::PointAt(double t) const {
    if (!isArc) return start + (end - start) * t;
    const double a = startAngle + t * sweep;
    return {center.x + radius * std::cos(a), center.y + radius * std::sin(a)};
}

Vec2 PlaneSegment::StartTangent() const {
    if (!isArc) return Unit(end - start);
    const Vec2 radial = Unit(start - center);
    return sweep > 0.0 ? LeftOf(radial) : LeftOf(radial) * -1.0;
}

Vec2 PlaneSegment::EndTangent() const {
    if (!isArc) return Unit(end - start);
    const Vec2 radial = Unit(end - center);
    return sweep > 0.0 ? LeftOf(radial) : LeftOf(radial) * -1.0;
}

PlaneBox PlaneSegment::Box() const {
    PlaneBox box{std::min(start.x, end.x), std::min(start.y, end.y), std::max(start.x, end.x),
                 std::max(start.y, end.y)};
    if (!isArc) return box;
    // The circle's extreme points that the arc passes.
    const double from = sweep > 0.0 ? startAngle : startAngle + sweep;
    const double span = std::fabs(sweep);
    static const Vec2 kAxes[4] = {{1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}, {0.0, -1.0}};
    for (int k = 0; k < 4; ++k) {
        if (Folded(k * kHalfPi - from) > span) continue;
        const Vec2 pt = center + kAxes[k] * radius;
        box.minX = std::min(box.minX, pt.x);
        box.minY = std::min(box.minY, pt.y);
        box.maxX = std::max(box.maxX, pt.x);
        box.maxY = std::max(box.maxY, pt.y);
    }
    return box;
}

double PlaneSegment::ParamOf(Vec2 pt) const {
    if (!isArc) {
        const Vec2 d = end - start;
        const double lenSq = Dot(d, d);
        return lenSq > 0.0 ? Dot(pt - start, d) / lenSq : 0.0;
    }
    const double span = std::fabs(sweep);
    if (!(span > 0.0)) return 0.0;
    // The angle from the start radius, in the sense of travel, in [0, 2*pi).
    const Vec2 from = start - center, to = pt - center;
    double along = std::atan2(Cross(from, to), Dot(from, to));
    if (sweep < 0.0) along = -along;
    if (along < 0.0) along += kTwoPi;
    if (along >= kTwoPi) along = 0.0;
    if (along <= span) return along / span;
    // Beyond the end: answer for whichever end is nearer by angle.
    return (along - span) <= (kTwoPi - along) ? along / span : -(kTwoPi - along) / span;
}

PlaneSegment PlaneSegment::Part(double t0, Vec2 p0, double t1, Vec2 p1) const {
    PlaneSegment part = *this;
    part.start = p0;
    part.end = p1;
    if (isArc) {
        // The start angle follows from the parameter (p0 lies at t0), which
        // saves an arctangent for every part cut.
        part.startAngle = startAngle + t0 * sweep;
        part.sweep = (t1 - t0) * sweep;
    }
    return part;
}

double PlaneSegment::DistanceTo(Vec2 pt) const {
    if (!isArc) {
        const Vec2 d = end - start;
        const double lenSq = Dot(d, d);
        double t = lenSq > 0.0 ? Dot(pt - start, d) / lenSq : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return Distance(pt, start + d * t);
    }
    // Within the arc's wedge the nearest point is on the arc (this runs for
    // every point checked against every nearby input segment).
    if (InWedge(pt) || std::fabs(sweep) >= kTwoPi) return std::fabs(drovik::Length(pt - center) - radius);
    return std::min(Distance(pt, start), Distance(pt, end));
}

bool PlaneSegment::InWedge(Vec2 pt) const {
    const double turn = sweep > 0.0 ? 1.0 : -1.0;
    const Vec2 toPt = pt - center;
    const bool afterStart = turn * Cross(start - center, toPt) >= 0.0;
    const bool beforeEnd = turn * Cross(toPt, end - center) >= 0.0;
    return std::fabs(sweep) <= kPi ? afterStart && beforeEnd : afterStart || beforeEnd;
}

int IntersectSegments(const PlaneSegment& s1, const PlaneSegment& s2, double endTol, SegmentHit hits[4],
                      const PointFilter* filter) {
    if (!s1.isArc && !s2.isArc) return LineLine(s1, s2, endTol, filter, hits);
    if (!s1.isArc) return LineArc(s1, s2, false, endTol, filter, hits);
    if (!s2.isArc) return LineArc(s2, s1, true, endTol, filter, hits);
    return ArcArc(s1, s2, endTol, filter, hits);
}

bool MayMeetBeyondJoint(const PlaneSegment& s1, const PlaneSegment& s2, Vec2 joint) {
    // Far more than any rounding of the joint or of the intersection.
    constexpr double kMargin = 1000.0 * kOffsetJoinTol;
    Vec2 other;
    if (s1.isArc && s2.isArc) {
        // The circles' second common point mirrors the joint in the line
        // through their centres.
        const Vec2 between = s2.center - s1.center;
        const double d = Length(between);
        if (d <= kMargin) return true;  // one centre: they may overlap
        const Vec2 unit = between * (1.0 / d);
        const Vec2 rel = joint - s1.center;
        other = s1.center + unit * (2.0 * Dot(rel, unit)) - rel;
    } else {
        const PlaneSegment& line = s1.isArc ? s2 : s1;
        const PlaneSegment& arc = s1.isArc ? s1 : s2;
        if (!arc.isArc) return true;
        const Vec2 along = line.end - line.start;
        const double len = Length(along);
        if (len <= kMargin) return true;
        const Vec2 dir = along * (1.0 / len);
        // joint + s * dir lies on the circle for s = 0 and this s.
        other = joint + dir * (-2.0 * Dot(joint - arc.center, dir));
    }
    return s1.DistanceTo(other) <= kMargin && s2.DistanceTo(other) <= kMargin;
}

}  // namespace drovik
