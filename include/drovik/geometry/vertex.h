#pragma once
// One polyline vertex with the bulge of the segment that leaves it.
#include "drovik/frame/export.h"
#include "drovik/host/geometry.h"
#include "drovik/host/mfc.h"

class DROVIK_API CPolyLineVertex {
public:
    AcGePoint3d pt;    // position
    AcGePoint3d pt2;   // second end when the vertex stands for a whole straight segment
    double bulge = 0;  // bulge of the segment to the next vertex (see conventions.h)

    CPolyLineVertex();
    CPolyLineVertex(AcGePoint3d pt, double bulge);
    CPolyLineVertex(AcGePoint3d pt, AcGePoint3d pt2);
    CPolyLineVertex(const CPolyLineVertex& other);
    CPolyLineVertex& operator=(const CPolyLineVertex& other);
    ~CPolyLineVertex();
};

// A chain of vertices, walked from vertex 0.
using CPolyLineVertexArray = CArray<CPolyLineVertex, CPolyLineVertex&>;
