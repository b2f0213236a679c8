#pragma once
// Headless host: the sibling library's entity helpers.
#include "dbmain.h"

namespace sorn {
namespace ent {
// Appends the new entity (open for write) to "*Model_Space" of the working
// database; non-zero on success with id set. The entity stays open: the
// caller closes it. 0 when there is no working database, the entity is null,
// not open for write or already in a database.
int AddToDb(AcDbEntity* pEnt, AcDbObjectId& id);

// Describes the curve id as points and numbers; either list may be null.
// The lists are appended to, not emptied first. Answers non-zero on success,
// 0 when the object cannot be opened for read or is not a curve.
//   line:                 points start, end;            numbers length
//   arc:                  points start, end, centre;    numbers radius, start and end angle
//   circle:               points centre;                numbers radius
//   lightweight polyline: points its vertices in order (x, y, elevation);
//                         numbers their bulges
//   2D polyline:          points its vertices (not erased) in order;
//                         numbers their bulges
//   ellipse:              points centre;                numbers major radius, ratio
int GetCurveParam(AcDbObjectId id, AcArray<AcGePoint3d>* pPoints, AcArray<double>* pValues);
}  // namespace ent
}  // namespace sorn
