#pragma once
// Lines and circular arcs as plain plane values, with their boxes, distances
// and intersections (internal). The chain offset works on these instead of
// CPolyLineVertex pairs so that splitting and trimming keep exact end points.
#include <cmath>

#include "geometry/box_index.h"

namespace drovik {

struct Vec2 {
    double x = 0.0, y = 0.0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double s) { return {a.x * s, a.y * s}; }
inline double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
inline double Length(Vec2 a) { return std::sqrt(a.x * a.x + a.y * a.y); }
inline double Distance(Vec2 a, Vec2 b) { return Length(b - a); }
inline Vec2 LeftOf(Vec2 dir) { return {-dir.y, dir.x}; }  // turned by +pi/2
inline Vec2 Unit(Vec2 a) {
    const double len = Length(a);
    return len > 0.0 ? a * (1.0 / len) : Vec2{};
}

// A line, or an arc about `center` from `start` to `end` turning by `sweep`
// (counter-clockwise when positive; |sweep| up to 2*pi). The end points are
// kept as given, so neighbours that share one share it exactly.
struct PlaneSegment {
    Vec2 start, end;
    bool isArc = false;
    Vec2 center;
    double radius = 0.0;
    double startAngle = 0.0;  // polar angle of start about center
    double sweep = 0.0;
    // For the chain offset: a piece known to lie nearer the chain than the
    // offset distance everywhere but at its ends (a collapsed arc, a bridge
    // across a concave corner). Kept by Part.
    bool inside = false;

    static PlaneSegment Line(Vec2 a, Vec2 b);
    // The arc about center from a to b (both taken to lie on its circle).
    static PlaneSegment Arc(Vec2 center, double radius, Vec2 a, Vec2 b, double sweep);
    // The segment from a to b shaped by a vertex bulge (see conventions.h);
    // straight when the bulge counts as straight for offsets.
    static PlaneSegment FromBulge(Vec2 a, Vec2 b, double bulge);

    double Bulge() const { return isArc ? std::tan(sweep * 0.25) : 0.0; }
    double Length() const { return isArc ? radius * std::fabs(sweep) : Distance(start, end); }
    Vec2 PointAt(double t) const;
    // Unit direction of travel at the start and at the end.
    Vec2 StartTangent() const;
    Vec2 EndTangent() const;
    PlaneBox Box() const;
    // Where pt lies along the segment, 0 at start and 1 at end, for a point
    // on or near it; outside [0, 1] beyond the ends (an arc answers for the
    // nearer end).
    double ParamOf(Vec2 pt) const;
    // The part from p0 (at t0) to p1 (at t1), t0 < t1, with those exact ends.
    PlaneSegment Part(double t0, Vec2 p0, double t1, Vec2 p1) const;
    // Plan distance from pt to the nearest point of the segment.
    double DistanceTo(Vec2 pt) const;
    // For an arc: whether pt lies in the wedge its two end radii bound (on
    // the arc's side of them), told without angles.
    bool InWedge(Vec2 pt) const;
};

// A point where two segments meet, with its place along each.
struct SegmentHit {
    Vec2 pt;
    double t1 = 0.0;
    double t2 = 0.0;
    bool overlap = false;  // an end of a stretch the two segments share
};

// A test of the points where two segments cross, asked before their places
// along the segments (the costly part) are worked out.
class PointFilter {
public:
    virtual bool Accept(Vec2 pt) const = 0;

protected:
    ~PointFilter() = default;
};

// The points common to s1 and s2: crossings and touches, and the ends of a
// shared stretch when they overlap. Answers how many were written (at most
// 4). Points within endTol of a segment's end count as on it. A crossing
// or touch that filter (when given) refuses is left out; the ends of a
// shared stretch are never filtered.
int IntersectSegments(const PlaneSegment& s1, const PlaneSegment& s2, double endTol, SegmentHit hits[4],
                      const PointFilter* filter = nullptr);

// For s1 and s2 that meet at joint (an end of each), at least one an arc:
// whether they may have another common point. Answers false only when the
// other point where the line meets the circle, or the two circles meet,
// lies clearly off one of them, which is told without angles: most
// neighbours in a chain meet only at their joint.
bool MayMeetBeyondJoint(const PlaneSegment& s1, const PlaneSegment& s2, Vec2 joint);

}  // namespace drovik
