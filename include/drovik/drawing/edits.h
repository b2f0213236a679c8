#pragma once
// Entity edits and queries: each function opens the entity given by id, does
// one thing and closes it again on every path. Ids that cannot be opened
// (null, erased, of a closed drawing, of another kind than the function
// needs) answer false or change nothing.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"
#include "drovik/host/database.h"

// Erases the entity while the current document is locked for write. False
// for an invalid id (nothing locked) or when the open or close fails; the
// document is unlocked on every path.
DROVIK_API bool EraseEnt(AcDbObjectId& id);

// Colour index (0 by block, 256 by layer, 1..255); true when the host took it.
DROVIK_API bool SetEntColor(AcDbObjectId& id, int nColor);
DROVIK_API bool GetEntColor(AcDbObjectId& id, int& nColor);

// Layer by name (sub-entities included, hidden layers refused); true when
// the host took it.
DROVIK_API bool SetEntLayer(AcDbObjectId& id, CString strLayer);
DROVIK_API bool GetEntLayer(AcDbObjectId& id, CString& strLayer);

// Highlights / unhighlights the whole entity (opened for read).
DROVIK_API void LightSelEnt(AcDbObjectId& id);
DROVIK_API void UnlightSelEnt(AcDbObjectId& id);

// Makes the entity visible or invisible; an entity already in that state is
// not changed. The array form does each id in order, skipping those that
// cannot be opened.
DROVIK_API void SetEntVisible(AcDbObjectId id, bool bVisible);
DROVIK_API void SetEntVisible(AcArray<AcDbObjectId> arrIds, bool bVisible);

// End points of a line (kind-of test); false for anything else.
DROVIK_API bool GetLineEndPoint(AcDbObjectId id, AcGePoint3d& ptStart, AcGePoint3d& ptEnd);

// The full record of an arc (see conventions.h); false, leaving the record
// untouched, for anything else.
DROVIK_API bool GetArcPara(AcDbObjectId id, stArcPara& arc);

// Centre and radius of a circle (arcs are not circles).
DROVIK_API bool GetCenterRadius(AcDbObjectId id, AcGePoint3d& ptCenter, double& dRadius);

// Reshape a line, an arc or a circle; true once the entity opened as that
// kind for write.
DROVIK_API bool ModifyLineEnt(AcDbObjectId id, AcGePoint3d ptStart, AcGePoint3d ptEnd);
DROVIK_API bool ModifyArcEnt(AcDbObjectId id, double dStartAngle, double dEndAngle);
DROVIK_API bool ModifyCircleRadius(AcDbObjectId id, double dRadius);

// Moves a circle, or a lightweight polyline of 6 vertices drawn as MakeRect
// draws it (its centre being the middle of vertices 1 and 3), to ptCenter.
DROVIK_API bool ModifyCircleCenter(AcDbObjectId id, AcGePoint3d ptCenter);

// The point of the curve closest to pt (the curve not extended), written to
// ptClosest; the curve is only read, so one on a locked layer can be
// measured. False (ptClosest untouched) when id is no curve.
DROVIK_API bool GetClosestPnt(AcDbObjectId id, AcGePoint3d pt, AcGePoint3d& ptClosest);
// The same with plain arrays: the point closest to ptB goes to ptA (three
// doubles; null answers false).
DROVIK_API bool GetClosestPnt(AcDbObjectId id, double* const ptA, double (&ptB)[3]);

// Removes repeated points (equal within the host's global tolerance): of
// each group of equal points only the last stays, and the values stay paired
// with their points. A value array shorter than the point array is taken as
// missing values at the end: nothing is read or removed beyond its length.
DROVIK_API void EraseSamePt(AcArray<AcGePoint3d>& arrPts, AcArray<double>& arrValues);
