#pragma once
// Rounding and cutting corners between line entities of the drawing.
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// Rounds the corner where the (unbounded) lines idLine1 and idLine2 meet with
// an arc of radius dRadius. Each line keeps its end farther from the corner
// and is trimmed to the touching point, line 1 rewritten to run towards the
// corner and line 2 away from it; the new arc (on the current layer) goes to
// idArc and takes the extended data of line 1. False, changing nothing, when
// either id is not a line or the lines are parallel. Otherwise true, also
// when a line could not be opened for write or the arc could not be made
// (idArc then null). A radius of 0 or lines meeting at an angle of 0 or pi
// are not guarded.
DROVIK_API bool FilletLine(AcDbObjectId idLine1, AcDbObjectId idLine2, double dRadius, AcDbObjectId& idArc);

// Makes the line run from ptCut to the end that remains, written to ptKeep.
// - ptCut beyond the line (not on it): the line is extended from its end
//   nearer to ptCut; ptKeep is the other end; bSplit is not used.
// - ptCut on an end point (within 0.001): the line runs from there to the
//   other end; nothing is cut off.
// - ptCut inside the line: the part on the side of ptRef (judged by ptRef's
//   foot on the line) remains; when ptRef lies within 0.001 of ptCut, which
//   gives no side, the line's midpoint is taken as the reference instead
//   (with ptCut on the midpoint as well, the start side remains). With bSplit
//   the cut-off part becomes a new line on the layer of idLine with its
//   extended data.
// Nothing changes, ptKeep untouched, when idLine is not a line.
DROVIK_API void PreProcLine(AcDbObjectId& idLine, AcGePoint3d ptCut, AcGePoint3d ptRef, AcGePoint3d& ptKeep,
                            bool bSplit);
