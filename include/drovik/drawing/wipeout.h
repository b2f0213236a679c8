#pragma once
// Wipeouts (masking areas) made through the host's wipeout command.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// A circular wipeout: a polygon of 36 points on the circle, at 10°, 20°, …,
// 360°. True with id set to the new wipeout when the command made one.
DROVIK_API bool MakeCircleWipeout(AcGePoint3d ptCenter, double dRadius, AcDbObjectId& id);
// A wipeout with the given boundary, in order; false without a command for
// fewer than 3 points. True with id set to the new wipeout.
DROVIK_API bool MakeBoundaryWipeout(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id);
// A wipeout box around a line of text centred at ptCenter, dTextHeight high
// and half a height wide per character, turned by dAngle; wipeout frames are
// switched off in the drawing. "cmdecho" is restored and the temporary
// polyline is gone on every path. False when a step fails, the wipeout
// command included.
DROVIK_API bool MakeTBoxWipeout(AcGePoint3d ptCenter, CString strText, double dAngle, double dTextHeight);
