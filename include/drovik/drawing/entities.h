#pragma once
// Entity creation: each maker builds one entity (or group) in memory, sets
// its properties, adds it to "*Model_Space" of the working database and
// closes it. When adding fails the in-memory entity is deleted, so the
// drawing never holds a half-made entity; MakeLine, MakeArc, MakeCircle and
// MakeEllipse then also set the id out to the null id (the others leave it).
// Layers are given by name and colours by index (0 by block, 256 by layer,
// 1..255), passed to the host as 16-bit values; a layer or colour the host
// refuses leaves the database default and creation goes on. Polyline
// vertices keep only x and y and lie at z = 0; vertices get bulge 0 and the
// polyline's constant width unless a function says otherwise.
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// Appends a new entity, open for write, to "*Model_Space" of the working
// database; the entity stays open (the caller closes it). False when there
// is no working database, the entity is not open for write, or any host
// step fails.
DROVIK_API bool AddEntToDwg(AcDbEntity* pEnt, AcDbObjectId& id);

// A line from ptStart to ptEnd on strLayer, invisible when bVisible is false.
DROVIK_API bool MakeLine(AcGePoint3d ptStart, AcGePoint3d ptEnd, AcDbObjectId& id, CString strLayer, bool bVisible);

// An arc about ptCenter with radius dRadius (used as given) from ptFirst to
// ptSecond, running through ptOnArc: when the turn ptFirst -> ptOnArc ->
// ptSecond is clockwise the ends are swapped, so the counter-clockwise arc
// passes through ptOnArc when the points lie on the circle. No layer is set.
DROVIK_API bool MakeArc(AcGePoint3d ptCenter, AcGePoint3d ptFirst, AcGePoint3d ptSecond, AcGePoint3d ptOnArc,
                        double dRadius, AcDbObjectId& id);

// A circle (normal +Z). No layer is set.
DROVIK_API bool MakeCircle(AcGePoint3d ptCenter, double dRadius, AcDbObjectId& id);

// A rectangle as an open polyline of 6 vertices (width 0) whose first and
// last vertices coincide at the middle of the edge on the dAngle side; the
// other corners follow counter-clockwise. No layer is set.
DROVIK_API bool MakeRect(AcGePoint3d ptCenter, double dLength, double dWidth, double dAngle, AcDbObjectId& id);

// An ellipse with half axes dAlong (in direction dAngle) and dAcross; the
// longer one is the major axis (dAcross when they are equal). False at once
// when dAcross is not above 0; false (id null) when the host refuses the
// axes (for instance dAlong not above 0).
DROVIK_API bool MakeEllipse(AcGePoint3d ptCenter, double dAngle, double dAlong, double dAcross, AcDbObjectId& id,
                            CString strLayer);

// A text of height dHeight and rotation dRotation aligned at pt by nAlign
// (1 left/middle, 2 right/middle, 3 centre/middle, 4 centre/top, 5
// centre/bottom, 6 right/top, 7 left/bottom, 8 right/bottom, 9 left/top; any
// other: left/middle), width factor 0.7, on strLayer, invisible when bVisible
// is false, with the text style idStyle when it is not null. Answers 1 or 0.
DROVIK_API int MakeText(AcGePoint3d pt, CString strText, AcDbObjectId& id, int nAlign, double dHeight,
                        double dRotation, CString strLayer, bool bVisible, AcDbObjectId idStyle);

// Polylines of constant width dWidth on strLayer with colour nColor. Each
// point is inserted at vertex 0, so the vertices run in the reverse order of
// the input (for the two-point form pt2 is vertex 0). An empty point list
// makes a polyline without vertices.
DROVIK_API bool MakePolylineSeg(AcGePoint3d pt1, AcGePoint3d pt2, AcDbObjectId& id, double dWidth, CString strLayer,
                                int nColor);
DROVIK_API bool MakePolylineSeg(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id, bool bClosed, double dWidth,
                                CString strLayer, int nColor);
DROVIK_API bool MakePolylineSeg(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id, double dWidth, CString strLayer,
                                int nColor);

// An anonymous group of the entities, filed in the group dictionary. False
// for an empty list, when the dictionary cannot be opened, or when a member
// cannot join (a null, erased, foreign or repeated id): the group is then
// erased again, so no empty group stays in the drawing.
DROVIK_API bool CreateAnonymousGroup(const AcArray<AcDbObjectId>& arrIds, AcDbObjectId& idGroup);
DROVIK_API bool CreateAnonymousGroup(const AcArray<AcDbObjectId>& arrIds);

// An arrow as a 3-vertex polyline from ptTail in direction dAngle: a shaft of
// width dShaftWidth up to dLength - dHeadLength, then a head dHeadLength
// long narrowing from dHeadWidth to 0.
DROVIK_API bool DrawDirectArrow(AcGePoint3d ptTail, double dLength, double dHeadLength, double dAngle,
                                double dShaftWidth, double dHeadWidth, AcDbObjectId& id, CString strLayer, int nColor);
DROVIK_API bool DrawDirectArrow(AcGePoint3d ptTail, double dLength, double dHeadLength, double dAngle,
                                double dShaftWidth, double dHeadWidth, CString strLayer, int nColor);
