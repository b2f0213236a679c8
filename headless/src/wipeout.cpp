// Headless host: the wipeout entity.
#include "dbwipeout.h"

#include <cmath>

ACRX_DEFINE_MEMBERS(AcDbWipeout, AcDbEntity)

Acad::ErrorStatus AcDbWipeout::setBoundary(const std::vector<AcGePoint3d>& points) {
    if (points.size() < 3) return Acad::eInvalidInput;
    double twiceArea = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const AcGePoint3d& p = points[i];
        const AcGePoint3d& q = points[(i + 1) % points.size()];
        twiceArea += p.x * q.y - q.x * p.y;
    }
    if (!(std::fabs(twiceArea) > 1e-12)) return Acad::eInvalidInput;  // masks nothing
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
