#pragma once
// How far a corner may be rounded: the largest fillet (max radius) and the
// largest length cut back along the pieces (max cut), for two straight legs,
// a leg and an arc, or two arcs meeting at ptCorner; plus the bisector point
// and the outward end directions of a line or arc. A max radius of -1.0
// means no rounding fits. Arcs are stArcPara records (counter-clockwise from
// ptStart to ptEnd, see geometry/conventions.h); an arc's far end given
// within 0.001 of its ptStart means the arc leaves the corner clockwise, any
// other value is taken as its ptEnd. Degenerate input (zero lengths or
// radii, coincident centres) is not guarded.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"

// Two straight legs from ptCorner to pt1 and pt2: tan(theta/2) * shorter leg,
// the largest radius whose touching points stay on the shorter leg (theta is
// the unsigned angle between the legs). Legs in one direction give 0.
DROVIK_API double CalMaxRad(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2);

// Two straight legs: dMaxRad as CalMaxRad, dMaxCut = the shorter leg.
DROVIK_API void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2, double& dMaxRad,
                             double& dMaxCut);

// A straight leg ptCorner-ptLineEnd and an arc ending at ptArcEnd.
// bSameSide: the foot of the perpendicular from the arc's centre to the leg's
// line lies on the leg's side of the corner. dMaxRad: -1.0 when not
// bSameSide, else half of (h + R) when the arc leaves the corner away from
// that foot (angle above pi/2) or half of (R - h) otherwise (h: distance of
// the centre from the line). dMaxCut (always written): the smallest of the
// leg, R times that angle and the arc length to ptArcEnd. vSide: from the
// leg's line to the point one radius along the arc's tangent at the corner.
DROVIK_API void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d ptLineEnd, AcGePoint3d ptArcEnd, const stArcPara& arc,
                             double& dMaxRad, double& dMaxCut, bool& bSameSide, AcGeVector3d& vSide);

// Two arcs ending at ptArcEnd1 and ptArcEnd2. bSide1: arc 1's centre lies
// ahead along arc 2's tangent at the corner; bSide2 likewise. dMaxRad from
// the centres' distance D: (R1 + R2 - D) / 2 when both, (D + R1 - R2) / 2
// when only bSide1, (D + R2 - R1) / 2 when only bSide2, -1.0 when neither.
// dMaxCut: the smallest of the two arc lengths to the far ends and of the
// arc lengths from the corner to where the line of centres meets each
// circle; not written when neither flag is set.
DROVIK_API void GetMaxRadCut(AcGePoint3d ptCorner, AcGePoint3d ptArcEnd1, AcGePoint3d ptArcEnd2, const stArcPara& arc1,
                             const stArcPara& arc2, double& dMaxRad, double& dMaxCut, bool& bSide1, bool& bSide2);

// Outward directions at the two ends pt1 and pt2 of a line (bLine: pt1 - pt2
// and pt2 - pt1; arc not read) or of arc (the tangents leaving the arc's
// body, of length equal to the radius, not normalised).
DROVIK_API void GetLineArcDirect(const AcGePoint3d& pt1, const AcGePoint3d& pt2, const stArcPara& arc,
                                 AcGeVector3d& vDir1, AcGeVector3d& vDir2, bool bLine);

// The point dDist from ptCorner on the bisector of the angle (below pi)
// between the directions to pt1 and pt2; their distances do not matter.
// Opposite directions (a straight angle) take the bisector to the left of
// the direction to pt1.
DROVIK_API AcGePoint3d GetSplitPt(AcGePoint3d ptCorner, AcGePoint3d pt1, AcGePoint3d pt2, double dDist);
