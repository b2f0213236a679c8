// The four-cornered entities: solids, traces and 3D faces.
#include "../dbinternal.h"
#include "dbents.h"
#include "geom_internal.h"

ACRX_DEFINE_MEMBERS(AcDbSolid, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbTrace, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbFace, AcDbEntity)

namespace {
Acad::ErrorStatus GetCorner(const AcGePoint3d (&points)[4], Adesk::UInt16 idx, AcGePoint3d& pt) {
    if (idx > 3) return Acad::eInvalidIndex;
    pt = points[idx];
    return Acad::eOk;
}

void Transform(AcGePoint3d (&points)[4], const AcGeMatrix3d& xform) {
    for (auto& p : points) p = xform * p;
}

AcDbExtents CornerBox(const AcGePoint3d (&points)[4]) {
    AcDbExtents box;
    for (const auto& p : points) box.addPoint(p);
    return box;
}
}  // namespace

// The corner entities share their member code; the macro keeps the three alike.
#define HOST_CORNER_MEMBERS(CLASS, GET, SET)                                                     \
    Acad::ErrorStatus CLASS::GET(Adesk::UInt16 idx, AcGePoint3d& pntRes) const {                \
        return GetCorner(m_points, idx, pntRes);                                                 \
    }                                                                                            \
    Acad::ErrorStatus CLASS::SET(Adesk::UInt16 idx, const AcGePoint3d& pntVal) {                \
        if (!isWriteEnabled()) return Acad::eNotOpenForWrite;                                    \
        if (idx > 3) return Acad::eInvalidIndex;                                                 \
        if (!host_detail::Finite(pntVal)) return Acad::eInvalidInput;                            \
        assertWriteEnabled();                                                                    \
        m_points[idx] = pntVal;                                                                  \
        return Acad::eOk;                                                                        \
    }                                                                                            \
    Acad::ErrorStatus CLASS::getGeomExtents(AcDbExtents& extents) const {                        \
        extents = CornerBox(m_points);                                                           \
        return Acad::eOk;                                                                        \
    }

#define HOST_PLANAR_MEMBERS(CLASS)                                                               \
    Acad::ErrorStatus CLASS::setThickness(double thickness) {                                    \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;                                \
        m_thickness = thickness;                                                                 \
        return Acad::eOk;                                                                        \
    }                                                                                            \
    Acad::ErrorStatus CLASS::setNormal(const AcGeVector3d& normal) {                             \
        if (!isWriteEnabled()) return Acad::eNotOpenForWrite;                                    \
        if (!host_detail::Finite(normal) || normal.length() == 0.0) return Acad::eInvalidInput;  \
        assertWriteEnabled();                                                                    \
        m_normal = normal.normal();                                                              \
        return Acad::eOk;                                                                        \
    }                                                                                            \
    Acad::ErrorStatus CLASS::transformBy(const AcGeMatrix3d& xform) {                            \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;                                \
        Transform(m_points, xform);                                                              \
        const AcGeVector3d n = xform * m_normal;                                                  \
        if (n.length() > 0.0) m_normal = n.normal();                                             \
        return Acad::eOk;                                                                        \
    }

HOST_CORNER_MEMBERS(AcDbSolid, getPointAt, setPointAt)
HOST_CORNER_MEMBERS(AcDbTrace, getPointAt, setPointAt)
HOST_CORNER_MEMBERS(AcDbFace, getVertexAt, setVertexAt)
HOST_PLANAR_MEMBERS(AcDbSolid)
HOST_PLANAR_MEMBERS(AcDbTrace)

AcDbSolid::AcDbSolid(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2)
    : m_points{pt0, pt1, pt2, pt2} {}
AcDbSolid::AcDbSolid(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3)
    : m_points{pt0, pt1, pt2, pt3} {}
AcDbTrace::AcDbTrace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3)
    : m_points{pt0, pt1, pt2, pt3} {}
AcDbFace::AcDbFace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3,
                   Adesk::Boolean e0vis, Adesk::Boolean e1vis, Adesk::Boolean e2vis, Adesk::Boolean e3vis)
    : m_points{pt0, pt1, pt2, pt3}, m_visible{e0vis, e1vis, e2vis, e3vis} {}
AcDbFace::AcDbFace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, Adesk::Boolean e0vis,
                   Adesk::Boolean e1vis, Adesk::Boolean e2vis, Adesk::Boolean e3vis)
    : m_points{pt0, pt1, pt2, pt2}, m_visible{e0vis, e1vis, e2vis, e3vis} {}

Acad::ErrorStatus AcDbFace::isEdgeVisibleAt(Adesk::UInt16 idx, Adesk::Boolean& visible) const {
    if (idx > 3) return Acad::eInvalidIndex;
    visible = m_visible[idx];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbFace::makeEdgeVisibleAt(Adesk::UInt16 idx) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (idx > 3) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_visible[idx] = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbFace::makeEdgeInvisibleAt(Adesk::UInt16 idx) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (idx > 3) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_visible[idx] = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbFace::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    Transform(m_points, xform);
    return Acad::eOk;
}
