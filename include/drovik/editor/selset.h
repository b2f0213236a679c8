#pragma once
// Selection sets as id arrays, and conversions between the current user
// coordinate system and world coordinates.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// Empties arrIds and fills it with the members of ss in set order; members
// that cannot be named are skipped. Answers the count, 0 when the set
// cannot be read.
DROVIK_API int SSToIdArr(long* const ss, AcArray<AcDbObjectId>& arrIds);
// Empties arrIds and fills it with new lines and arcs copied from the lines,
// arcs and polylines of ss (polylines broken into their segments; a closed
// one also gets its closing segment); with bFlat every z is set to 0. The
// selected entities stay. Answers the count of new entities, 0 when the set
// cannot be read.
DROVIK_API int SSXToIdArr(long* const ss, AcArray<AcDbObjectId>& arrIds, bool bFlat);

// Points between the UCS and WCS (the origin without a drawing).
DROVIK_API AcGePoint3d dvUcsToWcs(const AcGePoint3d& pt);
DROVIK_API AcGePoint3d dvWcsToUcs(const AcGePoint3d& pt);
// Direction angles between the UCS and WCS, in [0, 2π).
DROVIK_API double dvUcsToWcs(double dAngle);
DROVIK_API double dvWcsToUcs(double dAngle);
