// Curves, texts and polylines: properties, closest points and transforms.
#include <algorithm>
#include <cmath>

#include "db/geom_internal.h"
#include "dbinternal.h"
#include "dbpl.h"
#include "dbsymtb.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbCurve, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbLine, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbCircle, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbArc, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbEllipse, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbText, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbVertex, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDb2dVertex, AcDbVertex)
ACRX_DEFINE_MEMBERS(AcDb2dPolyline, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve)

using host_detail::AngleOf;
using host_detail::Finite;
using host_detail::kTwoPi;
using host_detail::NormalizeAngle;
using host_detail::PlaneScale;
using host_detail::RotationOf;

namespace host_detail {

AcGePoint3d ClosestOnSegment(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p, bool extend) {
    const AcGeVector3d d = b - a;
    const double len2 = d.x * d.x + d.y * d.y + d.z * d.z;
    if (len2 == 0.0) return a;
    const AcGeVector3d w = p - a;
    double t = (w.x * d.x + w.y * d.y + w.z * d.z) / len2;
    if (!extend) t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return a + d * t;
}

AcGePoint3d PointAtAngle(const AcGePoint3d& c, double r, double a) {
    return AcGePoint3d(c.x + r * std::cos(a), c.y + r * std::sin(a), c.z);
}

// Closest point of a counter-clockwise arc (whole circle when full).
AcGePoint3d ClosestOnArc(const AcGePoint3d& c, double r, double start, double end, const AcGePoint3d& p, bool full) {
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    const double a = (dx == 0.0 && dy == 0.0) ? start : AngleOf(dx, dy);
    if (full) return PointAtAngle(c, r, a);
    const double sweep = NormalizeAngle(end - start);  // 0: equal angles, a point-sized arc
    if (sweep > 0.0 && NormalizeAngle(a - start) <= sweep) return PointAtAngle(c, r, a);
    const AcGePoint3d ps = PointAtAngle(c, r, start);
    const AcGePoint3d pe = PointAtAngle(c, r, end);
    return p.distanceTo(ps) <= p.distanceTo(pe) ? ps : pe;
}

// The arc of the segment p1 -> p2 shaped by the bulge, counter-clockwise
// from start to end; false for a straight segment.
bool BulgeArc(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, AcGePoint3d& c, double& r, double& start,
              double& end) {
    const double chord = std::hypot(p2.x - p1.x, p2.y - p1.y);
    if (bulge == 0.0 || !std::isfinite(bulge) || chord == 0.0) return false;
    const double k = (1.0 - bulge * bulge) / (4.0 * bulge);
    c.set((p1.x + p2.x) / 2 - (p2.y - p1.y) * k, (p1.y + p2.y) / 2 + (p2.x - p1.x) * k, p1.z);
    r = chord * (1.0 + bulge * bulge) / (4.0 * std::fabs(bulge));
    const double a1 = AngleOf(p1.x - c.x, p1.y - c.y);
    const double a2 = AngleOf(p2.x - c.x, p2.y - c.y);
    start = bulge > 0 ? a1 : a2;
    end = bulge > 0 ? a2 : a1;
    return true;
}

// Closest point of the segment p1 -> p2 shaped by the bulge.
AcGePoint3d ClosestOnBulgeSegment(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, const AcGePoint3d& p) {
    AcGePoint3d c;
    double r = 0, start = 0, end = 0;
    if (!BulgeArc(p1, p2, bulge, c, r, start, end)) return ClosestOnSegment(p1, p2, p, false);
    return ClosestOnArc(c, r, start, end, p, false);
}

// Box of a counter-clockwise arc: its ends and the quadrant points it passes.
void AddArcExtents(const AcGePoint3d& c, double r, double start, double end, bool full, AcDbExtents& ext) {
    ext.addPoint(PointAtAngle(c, r, start));
    ext.addPoint(PointAtAngle(c, r, end));
    const double sweep = NormalizeAngle(end - start);
    for (int q = 0; q < 4; ++q) {
        const double a = q * kTwoPi / 4;
        if (full || (sweep > 0.0 && NormalizeAngle(a - start) <= sweep)) ext.addPoint(PointAtAngle(c, r, a));
    }
}

void AddBulgeSegmentExtents(const AcGePoint3d& p1, const AcGePoint3d& p2, double bulge, AcDbExtents& ext) {
    AcGePoint3d c;
    double r = 0, start = 0, end = 0;
    ext.addPoint(p1);
    ext.addPoint(p2);
    if (BulgeArc(p1, p2, bulge, c, r, start, end)) AddArcExtents(c, r, start, end, false, ext);
}

}  // namespace host_detail

using host_detail::AddArcExtents;
using host_detail::AddBulgeSegmentExtents;
using host_detail::ClosestOnArc;
using host_detail::ClosestOnBulgeSegment;
using host_detail::ClosestOnSegment;
using host_detail::PointAtAngle;

// ---- curve ----

Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d&, AcGePoint3d&, bool) const {
    return Acad::eNotImplementedYet;
}

// ---- line ----

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& pt) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_start = pt;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& pt) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_end = pt;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::getStartPoint(AcGePoint3d& pt) const {
    pt = m_start;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::getEndPoint(AcGePoint3d& pt) const {
    pt = m_end;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                              bool extend) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    pointOnCurve = ClosestOnSegment(m_start, m_end, givenPnt, extend);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_start = xform * m_start;
    m_end = xform * m_end;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    extents.addPoint(m_start);
    extents.addPoint(m_end);
    return Acad::eOk;
}

// ---- circle ----

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& pt) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_center = pt;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setRadius(double radius) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(radius > 0.0) || !std::isfinite(radius)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_radius = radius;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (normal.length() == 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = normal.normal();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::getStartPoint(AcGePoint3d& pt) const {
    pt = PointAtAngle(m_center, m_radius, 0.0);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::getEndPoint(AcGePoint3d& pt) const { return getStartPoint(pt); }
Acad::ErrorStatus AcDbCircle::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve, bool) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    pointOnCurve = ClosestOnArc(m_center, m_radius, 0.0, 0.0, givenPnt, true);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbCircle::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    bool mirrors = false;
    m_radius *= PlaneScale(xform, mirrors);
    m_center = xform * m_center;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    AddArcExtents(m_center, m_radius, 0.0, 0.0, true, extents);
    return Acad::eOk;
}

// ---- arc ----

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : m_center(center), m_radius(radius), m_startAngle(NormalizeAngle(startAngle)), m_endAngle(NormalizeAngle(endAngle)) {}
AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle)
    : AcDbArc(center, radius, startAngle, endAngle) {
    if (normal.length() > 0.0) m_normal = normal.normal();
}
Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& pt) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_center = pt;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setRadius(double radius) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(radius > 0.0) || !std::isfinite(radius)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_radius = radius;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setStartAngle(double angle) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_startAngle = NormalizeAngle(angle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::setEndAngle(double angle) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_endAngle = NormalizeAngle(angle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::getStartPoint(AcGePoint3d& pt) const {
    pt = PointAtAngle(m_center, m_radius, m_startAngle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::getEndPoint(AcGePoint3d& pt) const {
    pt = PointAtAngle(m_center, m_radius, m_endAngle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                             bool extend) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    pointOnCurve = ClosestOnArc(m_center, m_radius, m_startAngle, m_endAngle, givenPnt, extend);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbArc::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    AcGePoint3d ps, pe;
    getStartPoint(ps);
    getEndPoint(pe);
    bool mirrors = false;
    m_radius *= PlaneScale(xform, mirrors);
    m_center = xform * m_center;
    ps = xform * ps;
    pe = xform * pe;
    const double a1 = AngleOf(ps.x - m_center.x, ps.y - m_center.y);
    const double a2 = AngleOf(pe.x - m_center.x, pe.y - m_center.y);
    m_startAngle = mirrors ? a2 : a1;
    m_endAngle = mirrors ? a1 : a2;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    AddArcExtents(m_center, m_radius, m_startAngle, m_endAngle, false, extents);
    return Acad::eOk;
}

// ---- ellipse ----

Acad::ErrorStatus AcDbEllipse::set(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                                   const AcGeVector3d& majorAxis, double radiusRatio, double startAngle,
                                   double endAngle) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(radiusRatio > 0.0 && radiusRatio <= 1.0) || !(majorAxis.length() > 0.0) || !(unitNormal.length() > 0.0) ||
        !Finite(center) || !std::isfinite(startAngle) || !std::isfinite(endAngle))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_center = center;
    m_normal = unitNormal.normal();
    m_majorAxis = majorAxis;
    m_ratio = radiusRatio;
    m_startAngle = startAngle;
    m_endAngle = endAngle;
    return Acad::eOk;
}
AcGeVector3d AcDbEllipse::minorAxis() const { return m_normal.crossProduct(m_majorAxis) * m_ratio; }
bool AcDbEllipse::isClosed() const { return std::fabs(m_endAngle - m_startAngle - kTwoPi) < 1e-12; }
AcGePoint3d AcDbEllipse::pointAt(double param) const {
    return m_center + m_majorAxis * std::cos(param) + minorAxis() * std::sin(param);
}
Acad::ErrorStatus AcDbEllipse::getStartPoint(AcGePoint3d& pt) const {
    pt = pointAt(m_startAngle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbEllipse::getEndPoint(AcGePoint3d& pt) const {
    pt = pointAt(m_endAngle);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbEllipse::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                 bool extend) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    double from = m_startAngle;
    double sweep = m_endAngle - m_startAngle;
    if (extend || isClosed() || !(sweep > 0.0 && sweep <= kTwoPi)) {
        sweep = std::fmod(sweep, kTwoPi);
        if (sweep <= 0.0) sweep += kTwoPi;
        if (extend || isClosed()) sweep = kTwoPi;
    }
    if (extend) from = 0.0;
    auto distance2 = [&](double t) { return (pointAt(t) - givenPnt).lengthSqrd(); };
    // The distance can have up to four minima around the ellipse: the best
    // sample brackets the global one, which the search then narrows down.
    constexpr int kSamples = 360;
    const double step = sweep / kSamples;
    int best = 0;
    double bestD = distance2(from);
    for (int i = 1; i <= kSamples; ++i) {
        const double d = distance2(from + step * i);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    // Where the way to the point turns perpendicular to the curve: Newton
    // steps on the slope of the distance, kept inside the bracket.
    const AcGeVector3d minor = minorAxis();
    auto slope = [&](double t, double* change) {
        const AcGeVector3d radial = m_majorAxis * std::cos(t) + minor * std::sin(t);
        const AcGeVector3d tangent = minor * std::cos(t) - m_majorAxis * std::sin(t);
        const AcGeVector3d away = (m_center + radial) - givenPnt;
        if (change) *change = tangent.lengthSqrd() - away.dotProduct(radial);
        return away.dotProduct(tangent);
    };
    double lo = from + step * std::max(best - 1, 0);
    double hi = from + step * std::min(best + 1, kSamples);
    double t = from + step * best;
    if (slope(lo, nullptr) < 0.0 && slope(hi, nullptr) > 0.0) {
        for (int i = 0; i < 100; ++i) {
            double change = 0.0;
            const double s = slope(t, &change);
            if (s == 0.0) break;
            (s < 0.0 ? lo : hi) = t;
            double next = change > 0.0 ? t - s / change : (lo + hi) / 2.0;
            if (!(next > lo && next < hi)) next = (lo + hi) / 2.0;
            const bool settled = std::fabs(next - t) <= 1e-15 * (1.0 + std::fabs(t));
            t = next;
            if (settled) break;
        }
    }
    pointOnCurve = pointAt(t);
    return Acad::eOk;
}
Acad::ErrorStatus AcDbEllipse::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_center = xform * m_center;
    m_majorAxis = xform * m_majorAxis;
    return Acad::eOk;
}

// The whole ellipse's box, also for a partial ellipse.
Acad::ErrorStatus AcDbEllipse::getGeomExtents(AcDbExtents& extents) const {
    const AcGeVector3d minor = minorAxis();
    const AcGeVector3d half(std::hypot(m_majorAxis.x, minor.x), std::hypot(m_majorAxis.y, minor.y),
                            std::hypot(m_majorAxis.z, minor.z));
    extents = AcDbExtents(m_center - half, m_center + half);
    return Acad::eOk;
}

// ---- text ----

AcDbText::AcDbText(const AcGePoint3d& position, const wchar_t* text, AcDbObjectId style, double height,
                   double rotation)
    : m_position(position), m_text(text ? text : L""), m_style(style), m_height(height), m_rotation(rotation) {}

#define HOST_SIMPLE_SETTER(CLASS, NAME, TYPE, MEMBER) \
    Acad::ErrorStatus CLASS::NAME(TYPE value) {       \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
        MEMBER = value;                               \
        return Acad::eOk;                             \
    }
HOST_SIMPLE_SETTER(AcDbText, setPosition, const AcGePoint3d&, m_position)
HOST_SIMPLE_SETTER(AcDbText, setAlignmentPoint, const AcGePoint3d&, m_alignment)
HOST_SIMPLE_SETTER(AcDbText, setRotation, double, m_rotation)
HOST_SIMPLE_SETTER(AcDbText, setOblique, double, m_oblique)
HOST_SIMPLE_SETTER(AcDbText, setHorizontalMode, AcDb::TextHorzMode, m_horz)
HOST_SIMPLE_SETTER(AcDbText, setVerticalMode, AcDb::TextVertMode, m_vert)
HOST_SIMPLE_SETTER(AcDb2dVertex, setPosition, const AcGePoint3d&, m_position)
HOST_SIMPLE_SETTER(AcDb2dVertex, setBulge, double, m_bulge)
HOST_SIMPLE_SETTER(AcDb2dVertex, setStartWidth, double, m_startWidth)
HOST_SIMPLE_SETTER(AcDb2dVertex, setEndWidth, double, m_endWidth)
HOST_SIMPLE_SETTER(AcDb2dVertex, setVertexType, AcDb::Vertex2dType, m_type)
HOST_SIMPLE_SETTER(AcDb2dPolyline, setPolyType, AcDb::Poly2dType, m_type)
HOST_SIMPLE_SETTER(AcDb2dPolyline, setElevation, double, m_elevation)
HOST_SIMPLE_SETTER(AcDbPolyline, setElevation, double, m_elevation)
HOST_SIMPLE_SETTER(AcDbPolyline, setClosed, bool, m_closed)

Acad::ErrorStatus AcDbText::setTextString(const wchar_t* text) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_text = text ? text : L"";
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setHeight(double height) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(height >= 0.0) || !std::isfinite(height)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_height = height;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setWidthFactor(double factor) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(factor > 0.0) || !std::isfinite(factor)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_widthFactor = factor;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbTextStyleTableRecord>(style);
    if (!rec || rec->isErased())
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_style = style;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    bool mirrors = false;
    m_height *= PlaneScale(xform, mirrors);
    m_rotation = NormalizeAngle(m_rotation + RotationOf(xform));
    m_position = xform * m_position;
    m_alignment = xform * m_alignment;
    return Acad::eOk;
}

// An estimate: a square about the insertion point as wide as the text.
Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const {
    const AcGePoint3d anchor = isDefaultAlignment() ? m_position : m_alignment;
    const double size = std::max(m_height, m_height * m_widthFactor * m_text.GetLength());
    extents = AcDbExtents(anchor - AcGeVector3d(size, size, 0), anchor + AcGeVector3d(size, size, 0));
    return Acad::eOk;
}

// ---- 2D polylines ----

void AcDbObjectIterator::start(bool atEnd) {
    m_pos = atEnd ? static_cast<int>(m_items.size()) - 1 : 0;
    while (!done() && erasedAt(m_pos)) m_pos += atEnd ? -1 : 1;
}
void AcDbObjectIterator::step(bool backwards, bool skipErasedObjects) {
    if (done()) return;
    do {
        m_pos += backwards ? -1 : 1;
    } while (skipErasedObjects && !done() && erasedAt(m_pos));
}
bool AcDbObjectIterator::erasedAt(int pos) const {
    const AcDbEntity* e = m_items[static_cast<std::size_t>(pos)].entity;
    return !e || e->isErased();
}
AcDbObjectId AcDbObjectIterator::objectId() const {
    return done() ? AcDbObjectId::kNull : m_items[static_cast<std::size_t>(m_pos)].id;
}
AcDbEntity* AcDbObjectIterator::entity() const {
    return done() ? nullptr : m_items[static_cast<std::size_t>(m_pos)].entity;
}

AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation, bool closed,
                               double defStartWidth, double defEndWidth, const AcGeDoubleArray* bulges)
    : m_type(type), m_closed(closed), m_elevation(elevation) {
    for (int i = 0; i < vertices.length(); ++i) {
        const double bulge = bulges && i < bulges->length() ? (*bulges)[i] : 0.0;
        m_vertices.hold(new AcDb2dVertex(vertices[i], bulge, defStartWidth, defEndWidth));
    }
}

AcDb2dPolyline::~AcDb2dPolyline() = default;

AcRxObject* AcDb2dPolyline::clone() const {
    if (m_vertices.holdsAny()) return nullptr;
    auto* copy = new AcDb2dPolyline();
    copy->takeOwnData(*this);
    return copy;
}

Acad::ErrorStatus AcDb2dPolyline::copyFrom(const AcRxObject* other) {
    const AcDb2dPolyline* src = AcDb2dPolyline::cast(other);
    if (!src || src->isA() != isA()) return Acad::eNotThatKindOfClass;
    if (src == this) return Acad::eOk;
    if (src->m_vertices.holdsAny()) return Acad::eInvalidInput;
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    takeOwnData(*src);
    return Acad::eOk;
}

void AcDb2dPolyline::takeOwnData(const AcDb2dPolyline& src) {
    AcDbCurve::operator=(src);
    m_type = src.m_type;
    m_closed = src.m_closed;
    m_elevation = src.m_elevation;
    m_vertices.copyIdsFrom(src.m_vertices);
}

Acad::ErrorStatus AcDb2dPolyline::makeClosed() {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_closed = true;
    return Acad::eOk;
}
Acad::ErrorStatus AcDb2dPolyline::makeOpen() {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_closed = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDb2dVertex* vertex) {
    AcDbObjectId id;
    return appendVertex(id, vertex);
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex) {
    return m_vertices.append(id, vertex, *this, true);
}

void AcDb2dPolyline::subAppended() {
    AcDbEntity::subAppended();
    m_vertices.ownerAppended(*this, true);
}

Acad::ErrorStatus AcDb2dPolyline::subErase(bool) { return Acad::eOk; }

AcDbObjectIterator* AcDb2dPolyline::vertexIterator() const { return m_vertices.iterator(); }

Acad::ErrorStatus AcDb2dPolyline::openVertex(AcDb2dVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                             bool openErased) const {
    vertex = nullptr;
    if (!ObjectAccess::peek<AcDb2dVertex>(id) || !host_detail::OwnedEntities::ownedBy(id, *this))
        return Acad::eInvalidInput;
    return acdbOpenObject(vertex, id, mode, openErased);
}

AcGePoint3d AcDb2dPolyline::vertexPosition(const AcDb2dVertex& vertex) const {
    const AcGePoint3d p = vertex.position();
    return AcGePoint3d(p.x, p.y, m_elevation);
}

std::vector<const AcDb2dVertex*> AcDb2dPolyline::liveVertices() const {
    std::vector<const AcDb2dVertex*> result;
    for (const AcDbEntity* e : m_vertices.live()) result.push_back(static_cast<const AcDb2dVertex*>(e));
    return result;
}

Acad::ErrorStatus AcDb2dPolyline::getStartPoint(AcGePoint3d& pt) const {
    const auto verts = liveVertices();
    if (verts.empty()) return Acad::eDegenerateGeometry;
    pt = vertexPosition(*verts.front());
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getEndPoint(AcGePoint3d& pt) const {
    const auto verts = liveVertices();
    if (verts.empty()) return Acad::eDegenerateGeometry;
    pt = vertexPosition(*(m_closed ? verts.front() : verts.back()));
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                    bool) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    const auto verts = liveVertices();
    if (verts.empty()) return Acad::eDegenerateGeometry;
    AcGePoint3d best = vertexPosition(*verts.front());
    const std::size_t n = verts.size();
    const std::size_t segments = m_closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const AcGePoint3d q = ClosestOnBulgeSegment(vertexPosition(*verts[i]), vertexPosition(*verts[(i + 1) % n]),
                                                    verts[i]->bulge(), givenPnt);
        if (q.distanceTo(givenPnt) < best.distanceTo(givenPnt)) best = q;
    }
    pointOnCurve = best;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::getGeomExtents(AcDbExtents& extents) const {
    const auto verts = liveVertices();
    if (verts.empty()) return Acad::eDegenerateGeometry;
    extents = AcDbExtents();
    const std::size_t n = verts.size();
    extents.addPoint(vertexPosition(*verts[0]));
    for (std::size_t i = 0; i < (m_closed ? n : n - 1); ++i)
        AddBulgeSegmentExtents(vertexPosition(*verts[i]), vertexPosition(*verts[(i + 1) % n]), verts[i]->bulge(),
                               extents);
    return Acad::eOk;
}

// ---- lightweight polyline ----

AcDbPolyline::AcDbPolyline(unsigned int numVerts) { m_vertices.reserve(numVerts); }

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                            double startWidth, double endWidth) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index > m_vertices.size()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_vertices.insert(m_vertices.begin() + index, Vertex{pt, bulge, startWidth, endWidth});
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_vertices.erase(m_vertices.begin() + index);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& pt) const {
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    pt = m_vertices[index].pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& pt) const {
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    pt.set(m_vertices[index].pt.x, m_vertices[index].pt.y, m_elevation);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& pt) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_vertices[index].pt = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    bulge = m_vertices[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_vertices[index].bulge = bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const {
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    startWidth = m_vertices[index].startWidth;
    endWidth = m_vertices[index].endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index >= m_vertices.size()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_vertices[index].startWidth = startWidth;
    m_vertices[index].endWidth = endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(width >= 0.0) || !std::isfinite(width)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_constantWidth = width;
    for (auto& v : m_vertices) v.startWidth = v.endWidth = width;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
    const auto actual = [&](double w) { return w < 0.0 ? m_constantWidth : w; };
    for (const auto& v : m_vertices)
        if (actual(v.startWidth) != m_constantWidth || actual(v.endWidth) != m_constantWidth) return Acad::eInvalidInput;
    width = m_constantWidth;
    return Acad::eOk;
}

bool AcDbPolyline::hasBulges() const {
    for (const auto& v : m_vertices)
        if (v.bulge != 0.0) return true;
    return false;
}

Acad::ErrorStatus AcDbPolyline::getStartPoint(AcGePoint3d& pt) const {
    return m_vertices.empty() ? Acad::eDegenerateGeometry : getPointAt(0, pt);
}

Acad::ErrorStatus AcDbPolyline::getEndPoint(AcGePoint3d& pt) const {
    if (m_vertices.empty()) return Acad::eDegenerateGeometry;
    return getPointAt(m_closed ? 0 : numVerts() - 1, pt);
}

Acad::ErrorStatus AcDbPolyline::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                  bool) const {
    if (!Finite(givenPnt)) return Acad::eInvalidInput;
    if (m_vertices.empty()) return Acad::eDegenerateGeometry;
    const std::size_t n = m_vertices.size();
    const auto at = [&](std::size_t i) { return AcGePoint3d(m_vertices[i].pt.x, m_vertices[i].pt.y, m_elevation); };
    AcGePoint3d best = at(0);
    const std::size_t segments = m_closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const AcGePoint3d q = ClosestOnBulgeSegment(at(i), at((i + 1) % n), m_vertices[i].bulge, givenPnt);
        if (q.distanceTo(givenPnt) < best.distanceTo(givenPnt)) best = q;
    }
    pointOnCurve = best;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    bool mirrors = false;
    const double scale = PlaneScale(xform, mirrors);
    for (auto& v : m_vertices) {
        const AcGePoint3d p = xform * AcGePoint3d(v.pt.x, v.pt.y, m_elevation);
        v.pt.set(p.x, p.y);
        if (mirrors) v.bulge = -v.bulge;
        if (v.startWidth > 0) v.startWidth *= scale;
        if (v.endWidth > 0) v.endWidth *= scale;
    }
    m_constantWidth *= scale;
    m_elevation = (xform * AcGePoint3d(0, 0, m_elevation)).z;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getGeomExtents(AcDbExtents& extents) const {
    if (m_vertices.empty()) return Acad::eDegenerateGeometry;
    extents = AcDbExtents();
    const std::size_t n = m_vertices.size();
    const auto at = [&](std::size_t i) { return AcGePoint3d(m_vertices[i].pt.x, m_vertices[i].pt.y, m_elevation); };
    extents.addPoint(at(0));
    for (std::size_t i = 0; i < (m_closed ? n : n - 1); ++i)
        AddBulgeSegmentExtents(at(i), at((i + 1) % n), m_vertices[i].bulge, extents);
    return Acad::eOk;
}
