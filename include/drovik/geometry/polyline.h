#pragma once
// The polyline container: vertices read from a drawing polyline, and the
// bulge-to-arc conversion every arc walk uses.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"
#include "drovik/geometry/vertex.h"

class DROVIK_API CPolyLine {
public:
    // The arc of the segment from vtx1 to vtx2, shaped by vtx1.bulge
    // (vtx2.bulge is ignored). Answers true for an arc. A bulge of 0 (or not
    // a number) answers false and sets only arc.ptStart and arc.ptEnd. For a
    // negative bulge the record runs counter-clockwise from vtx2 to vtx1.
    static bool GetArcPara(const CPolyLineVertex& vtx1, const CPolyLineVertex& vtx2, stArcPara& arc);
};
