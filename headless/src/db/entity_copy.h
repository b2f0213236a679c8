#pragma once
// Headless host internals: copying entities out of blocks (explode) and the
// box of a block's content.
#include "dbmain.h"

namespace host_detail {

// The box of the entities of a block record (not erased; attribute
// definitions only when constant), false when there is none. Nesting deeper
// than 64 levels (a block that holds itself) stops there.
bool BlockContentExtents(AcDbObjectId blockId, AcDbExtents& extents);

// A new entity in no database drawing the same as ent: polylines with
// copies of their vertices, references with copies of their attributes;
// null for entities that cannot be copied.
AcDbEntity* DeepCopy(const AcDbEntity& ent);

// Moves a copy made by DeepCopy; eCannotScaleNonUniformly when the matrix
// scales unevenly and the entity cannot follow (circles, arcs, texts...).
Acad::ErrorStatus TransformCopy(AcDbEntity& copy, const AcGeMatrix3d& xform);

}  // namespace host_detail
