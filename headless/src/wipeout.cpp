// Headless host: the wipeout entity.
#include "dbwipeout.h"

ACRX_DEFINE_MEMBERS(AcDbWipeout, AcDbEntity)

Acad::ErrorStatus AcDbWipeout::setBoundary(const std::vector<AcGePoint3d>& points) {
    if (points.size() < 3) return Acad::eInvalidInput;
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_boundary = points;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbWipeout::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    for (auto& p : m_boundary) p = xform * p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbWipeout::getGeomExtents(AcDbExtents& extents) const {
    if (m_boundary.empty()) return Acad::eNotApplicable;
    extents = AcDbExtents();
    for (const auto& p : m_boundary) extents.addPoint(p);
    return Acad::eOk;
}
