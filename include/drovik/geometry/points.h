#pragma once
// Points, projections and membership tests.
//
// "Near" means a 3D distance strictly below 0.001. Arcs given by angles run
// counter-clockwise from dStartAngle to dEndAngle (see conventions.h).
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"

// Middle point of ptA and ptB (Z included).
DROVIK_API AcGePoint3d GetMidPt(AcGePoint3d ptA, AcGePoint3d ptB);

// Foot of the perpendicular from pt on the unbounded line ptA-ptB (in 3D; it
// may lie beyond either end). When ptA and ptB are closer than sqrt(1e-9)
// the foot is ptA.
DROVIK_API void GetProjectPoint(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB, AcGePoint3d& ptFoot);
// The same for the line through ptA in direction vDir.
DROVIK_API void GetProjectPoint(AcGePoint3d pt, AcGePoint3d ptA, AcGeVector3d vDir, AcGePoint3d& ptFoot);

// pt lies on the segment ptA-ptB: near an end, or the sum of its distances
// to the ends exceeds the segment's length by less than 0.001.
DROVIK_API bool PtOnLine(AcGePoint3d pt, AcGePoint3d ptA, AcGePoint3d ptB);

// pt lies within the angular range of the arc (near an end point counts; the
// distance from the centre is not tested; no angular tolerance).
DROVIK_API bool ArcIncludePt(AcGePoint3d pt, const stArcPara& arc);
// The same for an arc given by centre, radius and angles; angles closer than
// 0.001 give an arc of included angle 0.
DROVIK_API bool ArcIncludePt(AcGePoint3d pt, AcGePoint3d ptCenter, double dRadius, double dStartAngle,
                             double dEndAngle);

// pt lies on the arc: within 0.001 of its circle and within its range.
DROVIK_API bool PtOnArc(AcGePoint3d pt, const stArcPara& arc);
DROVIK_API bool PtOnArc(AcGePoint3d pt, AcGePoint3d ptCenter, double dRadius, double dStartAngle,
                        double dEndAngle);

// Meeting point of the tangents at the two ends of the arc. An arc of
// exactly pi has parallel end tangents: answers false, ptInters unchanged.
DROVIK_API bool GetArcIntersPt(const stArcPara& arc, AcGePoint3d& ptInters);
