#pragma once
// Headless host: the wipeout, a masking polygon that hides what lies beneath.
// Its boundary is a closed polygon of world points in the XY plane (the
// first point is not repeated). Whether frames are shown is a setting of the
// drawing ("WIPEOUT" "F" ON/OFF; host::harness::WipeoutFramesShown).
// Unlike the host's, this class derives from AcDbEntity directly: it has no
// raster image.
#include <vector>

#include "dbents.h"

class AcDbWipeout : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbWipeout)
    AcDbWipeout() = default;

    // At least 3 points enclosing some area (eInvalidInput).
    Acad::ErrorStatus setBoundary(const std::vector<AcGePoint3d>& points);
    const std::vector<AcGePoint3d>& boundary() const { return m_boundary; }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    std::vector<AcGePoint3d> m_boundary;
};
