// Entities kept from a drawing file (see dbkept.h).
#include "dbkept.h"

ACRX_DEFINE_MEMBERS(AcDbKeptEntity, AcDbEntity)

Acad::ErrorStatus AcDbKeptEntity::getGeomExtents(AcDbExtents& extents) const {
    if (m_extents.isEmpty()) return Acad::eNotApplicable;
    extents = m_extents;
    return Acad::eOk;
}
