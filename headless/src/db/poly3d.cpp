// Points, 3D polylines and their vertices, and moving 2D polylines.
#include <algorithm>
#include <cmath>

#include "../dbinternal.h"
#include "dbents.h"
#include "geom_internal.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbPoint, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDb3dPolylineVertex, AcDbVertex)
ACRX_DEFINE_MEMBERS(AcDb3dPolyline, AcDbCurve)

#define HOST_SETTER(CLASS, NAME, TYPE, MEMBER)                        \
    Acad::ErrorStatus CLASS::NAME(TYPE value) {                       \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;     \
        MEMBER = value;                                               \
        return Acad::eOk;                                             \
    }

// ---- points ----

HOST_SETTER(AcDbPoint, setPosition, const AcGePoint3d&, m_position)
HOST_SETTER(AcDbPoint, setThickness, double, m_thickness)
HOST_SETTER(AcDbPoint, setEcsRotation, double, m_ecsRotation)

Acad::ErrorStatus AcDbPoint::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(normal) || normal.length() == 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = normal.normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_position = xform * m_position;
    const AcGeVector3d n = xform * m_normal;
    if (n.length() > 0.0) m_normal = n.normal();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents(m_position, m_position);
    return Acad::eOk;
}

// ---- 3D vertices ----

HOST_SETTER(AcDb3dPolylineVertex, setPosition, const AcGePoint3d&, m_position)
HOST_SETTER(AcDb3dPolylineVertex, setVertexType, AcDb::Vertex3dType, m_type)
HOST_SETTER(AcDb3dPolyline, setPolyType, AcDb::Poly3dType, m_type)

Acad::ErrorStatus AcDb3dPolylineVertex::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_position = xform * m_position;
    return Acad::eOk;
}

// ---- 3D polylines ----

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType type, AcGePoint3dArray& vertices, Adesk::Boolean closed)
    : m_type(type), m_closed(closed) {
    for (const AcGePoint3d& pt : vertices) m_vertices.hold(new AcDb3dPolylineVertex(pt));
}

AcDb3dPolyline::~AcDb3dPolyline() = default;

AcRxObject* AcDb3dPolyline::clone() const {
    if (m_vertices.holdsAny()) return nullptr;
    auto* copy = new AcDb3dPolyline();
    copy->takeOwnData(*this);
    return copy;
}

Acad::ErrorStatus AcDb3dPolyline::copyFrom(const AcRxObject* other) {
    const AcDb3dPolyline* src = AcDb3dPolyline::cast(other);
    if (!src || src->isA() != isA()) return Acad::eNotThatKindOfClass;
    if (src == this) return Acad::eOk;
    if (src->m_vertices.holdsAny()) return Acad::eInvalidInput;
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    takeOwnData(*src);
    return Acad::eOk;
}

void AcDb3dPolyline::takeOwnData(const AcDb3dPolyline& src) {
    AcDbCurve::operator=(src);
    m_type = src.m_type;
    m_closed = src.m_closed;
    m_vertices.copyIdsFrom(src.m_vertices);
}

Acad::ErrorStatus AcDb3dPolyline::makeClosed() {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_closed = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::makeOpen() {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_closed = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDb3dPolylineVertex* vertex) {
    AcDbObjectId id;
    return appendVertex(id, vertex);
}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex) {
    return m_vertices.append(id, vertex, *this, true);
}

void AcDb3dPolyline::subAppended() {
    AcDbEntity::subAppended();
    m_vertices.ownerAppended(*this, true);
}

AcDbObjectIterator* AcDb3dPolyline::vertexIterator() const { return m_vertices.iterator(); }

Acad::ErrorStatus AcDb3dPolyline::openVertex(AcDb3dPolylineVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                             bool openErased) const {
    vertex = nullptr;
    if (!ObjectAccess::peek<AcDb3dPolylineVertex>(id) || !host_detail::OwnedEntities::ownedBy(id, *this))
        return Acad::eInvalidInput;
    return acdbOpenObject(vertex, id, mode, openErased);
}

std::vector<AcDb3dPolylineVertex*> AcDb3dPolyline::allVertices() const {
    std::vector<AcDb3dPolylineVertex*> result;
    for (AcDbEntity* e : m_vertices.live()) result.push_back(static_cast<AcDb3dPolylineVertex*>(e));
    return result;
}

std::vector<AcGePoint3d> AcDb3dPolyline::path() const {
    std::vector<AcGePoint3d> pts;
    for (const auto* v : allVertices())
        if (v->vertexType() != AcDb::k3dControlVertex) pts.push_back(v->position());
    if (m_closed && pts.size() > 1) pts.push_back(pts.front());
    return pts;
}

Acad::ErrorStatus AcDb3dPolyline::getStartPoint(AcGePoint3d& pt) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    pt = pts.front();
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getEndPoint(AcGePoint3d& pt) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    pt = pts.back();
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getStartParam(double& param) const {
    if (path().empty()) return Acad::eDegenerateGeometry;
    param = 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getEndParam(double& param) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    param = static_cast<double>(pts.size() - 1);
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getPointAtParam(double param, AcGePoint3d& point) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    const double last = static_cast<double>(pts.size() - 1);
    if (!(param >= 0.0 && param <= last)) return Acad::eInvalidInput;
    const std::size_t i = std::min(static_cast<std::size_t>(param), pts.size() - 1);
    if (i + 1 >= pts.size()) {
        point = pts.back();
    } else {
        point = pts[i] + (pts[i + 1] - pts[i]) * (param - static_cast<double>(i));
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getFirstDeriv(double param, AcGeVector3d& firstDeriv) const {
    const auto pts = path();
    if (pts.size() < 2) return Acad::eDegenerateGeometry;
    const double last = static_cast<double>(pts.size() - 1);
    if (!(param >= 0.0 && param <= last)) return Acad::eInvalidInput;
    const std::size_t i = std::min(static_cast<std::size_t>(param), pts.size() - 2);
    firstDeriv = pts[i + 1] - pts[i];
    return Acad::eOk;
}

// The segment nearest to the point, and where on it (0..1).
static bool NearestOnPath(const std::vector<AcGePoint3d>& pts, const AcGePoint3d& p, std::size_t& seg, double& t,
                          AcGePoint3d& best) {
    if (pts.empty()) return false;
    seg = 0;
    t = 0.0;
    best = pts.front();
    double bestD = p.distanceTo(best);
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        const AcGeVector3d d = pts[i + 1] - pts[i];
        const double len2 = d.lengthSqrd();
        double u = len2 > 0.0 ? (p - pts[i]).dotProduct(d) / len2 : 0.0;
        u = std::clamp(u, 0.0, 1.0);
        const AcGePoint3d q = pts[i] + d * u;
        const double dist = p.distanceTo(q);
        if (dist < bestD) {
            bestD = dist;
            best = q;
            seg = i;
            t = u;
        }
    }
    return true;
}

Acad::ErrorStatus AcDb3dPolyline::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                    bool) const {
    if (!host_detail::Finite(givenPnt)) return Acad::eInvalidInput;
    std::size_t seg = 0;
    double t = 0.0;
    return NearestOnPath(path(), givenPnt, seg, t, pointOnCurve) ? Acad::eOk : Acad::eDegenerateGeometry;
}

Acad::ErrorStatus AcDb3dPolyline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    std::size_t seg = 0;
    double t = 0.0;
    AcGePoint3d on;
    const auto pts = path();
    if (!NearestOnPath(pts, point, seg, t, on)) return Acad::eDegenerateGeometry;
    if (on.distanceTo(point) > 1e-9 * (1.0 + point.asVector().length())) return Acad::ePointNotOnEntity;
    param = static_cast<double>(seg) + t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getDistAtParam(double param, double& dist) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    const double last = static_cast<double>(pts.size() - 1);
    if (!(param >= 0.0 && param <= last)) return Acad::eInvalidInput;
    dist = 0.0;
    for (std::size_t i = 0; i + 1 < pts.size() && static_cast<double>(i) < param; ++i) {
        const double part = std::min(1.0, param - static_cast<double>(i));
        dist += pts[i].distanceTo(pts[i + 1]) * part;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getParamAtDist(double dist, double& param) const {
    const auto pts = path();
    if (pts.empty()) return Acad::eDegenerateGeometry;
    if (!(dist >= 0.0)) return Acad::eInvalidInput;
    double walked = 0.0;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        const double len = pts[i].distanceTo(pts[i + 1]);
        if (walked + len >= dist) {
            param = static_cast<double>(i) + (len > 0.0 ? (dist - walked) / len : 0.0);
            return Acad::eOk;
        }
        walked += len;
    }
    // Rounding at the very end still lands on the end.
    if (dist - walked > 1e-9 * (1.0 + walked)) return Acad::eInvalidInput;
    param = static_cast<double>(pts.size() - 1);
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::transformBy(const AcGeMatrix3d& xform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    std::vector<AcDbEntity*> opened;
    const Acad::ErrorStatus es = host_detail::OpenAllForWrite(m_vertices.ids(), opened);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    for (AcDbEntity* v : opened) {
        v->transformBy(xform);
        v->close();
    }
    for (AcDbEntity* v : m_vertices.held()) v->transformBy(xform);
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::getGeomExtents(AcDbExtents& extents) const {
    const auto verts = allVertices();
    if (verts.empty()) return Acad::eDegenerateGeometry;
    extents = AcDbExtents();
    for (const auto* v : verts) extents.addPoint(v->position());
    return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::explode(AcDbVoidPtrArray& entitySet) const {
    const auto pts = path();
    if (pts.size() < 2) return Acad::eDegenerateGeometry;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        auto* line = new AcDbLine(pts[i], pts[i + 1]);
        line->AcDbEntity::operator=(*this);
        ObjectAccess::setExtensionDictionary(line, AcDbObjectId::kNull);
        entitySet.append(line);
    }
    return Acad::eOk;
}

// ---- moving 2D polylines ----

static Acad::ErrorStatus AcDb2dVertexTransform(AcDb2dVertex& v, const AcGeMatrix3d& xform, double elevation, bool mirrors,
                                        double scale) {
    const AcGePoint3d p = v.position();
    const AcGePoint3d q = xform * AcGePoint3d(p.x, p.y, elevation);
    v.setPosition(AcGePoint3d(q.x, q.y, p.z));
    if (mirrors) v.setBulge(-v.bulge());
    v.setStartWidth(v.startWidth() * scale);
    return v.setEndWidth(v.endWidth() * scale);
}

Acad::ErrorStatus AcDb2dPolyline::transformBy(const AcGeMatrix3d& xform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::IsPlaneSimilarity(xform)) return Acad::eCannotScaleNonUniformly;
    std::vector<AcDbEntity*> opened;
    const Acad::ErrorStatus es = host_detail::OpenAllForWrite(m_vertices.ids(), opened);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    bool mirrors = false;
    const double scale = host_detail::PlaneScale(xform, mirrors);
    for (AcDbEntity* e : opened) {
        if (auto* v = AcDb2dVertex::cast(e)) AcDb2dVertexTransform(*v, xform, m_elevation, mirrors, scale);
        e->close();
    }
    for (AcDbEntity* e : m_vertices.held()) AcDb2dVertexTransform(*AcDb2dVertex::cast(e), xform, m_elevation, mirrors, scale);
    m_elevation = (xform * AcGePoint3d(0, 0, m_elevation)).z;
    return Acad::eOk;
}
