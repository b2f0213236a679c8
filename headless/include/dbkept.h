#pragma once
// Headless host: entities kept from a drawing file without being modelled
// (MTEXT, INSERT, HATCH, DIMENSION, SPLINE, every entity of paper space and
// of block definitions, ...). They are ordinary database entities: they have
// a layer, colour, linetype and visibility, can be erased (and the erasure
// undone) and are written back as they were read. Their geometry is not
// modelled: transformBy answers eNotApplicable, and getGeomExtents answers
// the box of the points the file gave them (eNotApplicable for kinds whose
// points do not bound them, such as XLINE, RAY or 3DSOLID).
#include <string>

#include "dbmain.h"

class AcDbKeptEntity : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbKeptEntity)
    AcDbKeptEntity() = default;
    // The DXF record type ("MTEXT").
    const std::string& dxfName() const { return m_type; }
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    // Not in the host: set by the file reader. The record is the kept form's
    // index in the drawing's file (0: none).
    void setKept(std::string type, const AcDbExtents& extents, std::uint32_t record) {
        m_type = std::move(type);
        m_extents = extents;
        m_record = record;
    }
    std::uint32_t keptRecord() const { return m_record; }

private:
    std::string m_type;
    AcDbExtents m_extents;
    std::uint32_t m_record = 0;
};
