#pragma once
// Internal type tests and end-point reading shared by the chain operations
// and the selection-set conversions (not exported).
#include "drovik/geometry/arc.h"
#include "drovik/host/database.h"

// Whether the object is a line (an arc), kind-of test; false when it cannot
// be opened for read.
bool IsLineEnt(AcDbObjectId id);
bool IsArcEnt(AcDbObjectId id);

namespace drovik {

// What ReadLineArc found.
enum class LineArcKind { None, Line, Arc };

// The ends of a line or an arc in one open: ptS, ptE are the start and end
// point (an arc's as GetArcPara works them out) and, for an arc, arc is its
// full record. None (outputs untouched) for anything else or an id that
// cannot be opened.
LineArcKind ReadLineArc(AcDbObjectId id, AcGePoint3d& ptS, AcGePoint3d& ptE, stArcPara& arc);

}  // namespace drovik
