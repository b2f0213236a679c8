#pragma once
// Offsetting a chain of lines and arcs that stand in the drawing.
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// Draws the parallel copy of the chain arrIds (lines and arcs in chain order,
// each touching the one before it at an end point) at distance dDist (> 0)
// on the side of ptSide, judged against the first entity only: for a line
// the side of ptSide (on the line: the right of travel); for an arc inward
// when ptSide lies within or on its circle.
//
// The chain is walked from ptChainStart, the free end of the first entity;
// each entity is travelled from the end within 0.001 of where the chain got
// to (otherwise from its end point). One new entity per input entity is
// appended to arrNewIds (not emptied first), in input order: lines on layer
// "0", arcs on the database's current layer. Consecutive offset lines are cut
// at the point where they meet (the earlier line is shortened or lengthened);
// parallel ones and lines next to arcs are left as they are, so a tangent
// chain stays joined. An arc that would get a radius of 0 or less, an entity
// that could not be made and an entity that is neither a line nor an arc
// (which is skipped and does not move the chain on) each give a null id at
// their position. ptNewStart receives the offset of the chain's start point,
// ptNewEnd the far end of the last new entity. An empty chain changes
// nothing. The chain is taken to lie in one plane parallel to XY.
DROVIK_API void OffsetEnts(const AcArray<AcDbObjectId>& arrIds, AcGePoint3d ptChainStart, AcGePoint3d ptSide,
                           double dDist, AcArray<AcDbObjectId>& arrNewIds, AcGePoint3d& ptNewStart,
                           AcGePoint3d& ptNewEnd);
