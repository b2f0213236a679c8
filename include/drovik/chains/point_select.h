#pragma once
// Selection around a point, without asking the user: a crossing window
// centred on the point (in the current UCS) runs the host's selection with
// the caller's filter (null: none). The view is panned to the point first
// when it lies outside (the host selects only what the view shows) and is
// not panned back. Command echo is off while the host selects; "cmdecho"
// (and "pickstyle") are restored before returning, and the selection set is
// freed on every path.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// Appends to arrIds (not emptied first) the valid id of every entity a
// crossing window of half side 1.5 * cos 45 (about 1.06) around ptNode
// selects, with "pickstyle" at 1 while it selects. Answers the length of
// arrIds afterwards, or 0 (arrIds unchanged) when nothing was selected or
// the selection failed. idEnt is not used.
DROVIK_API int WellDimSelect(AcDbObjectId idEnt, AcGePoint3d ptNode, AcArray<AcDbObjectId>& arrIds, resbuf* pFilter);

// The lines, arcs and polylines with an end point within 0.001 of ptNode
// (planar distance, and ptNode taken at Z 0, when b2D; spatial otherwise):
// arrIds and arrPts are emptied and filled with each such entity (idExclude
// skipped) and, at the same index, its other end point. Ends are a line's
// start and end, an arc's start and end, a polyline's first and last vertex
// (closure not considered); entities whose ends lie 0.001 or less apart and
// other entities never count. The window has half side cos 45 (about 0.71).
// Answers the number found, or 0 with both arrays unchanged when nothing was
// selected or the selection failed.
DROVIK_API int PointSelect(AcDbObjectId idExclude, AcGePoint3d ptNode, AcArray<AcDbObjectId>& arrIds,
                           AcArray<AcGePoint3d>& arrPts, resbuf* pFilter, bool b2D);
