#pragma once
// The polyline container: vertices read from a drawing polyline, and the
// bulge-to-arc conversion every arc walk uses.
#include "drovik/frame/export.h"
#include "drovik/geometry/arc.h"
#include "drovik/geometry/vertex.h"
#include "drovik/host/database.h"

// m_Type codes: what GetVertexInfo read.
//   0 nothing read, or a 2D polyline of another kind
//   1 lightweight polyline
//   2 2D polyline, simple          (host polyType 0)
//   3 2D polyline, quadratic spline (host polyType 2)
//   4 2D polyline, curve-fit        (host polyType 1)
//   5 2D polyline, cubic spline     (host polyType 3)
class DROVIK_API CPolyLine {
public:
    CPolyLineVertexArray m_Vertexs;  // vertices in drawing order
    AcDbObjectId m_Id;               // the entity last given to GetVertexInfo
    bool m_bHasBulge = false;        // lightweight polyline with a non-zero bulge
    bool m_bValid = false;           // a GetVertexInfo call completed (never cleared)
    bool m_bClosed = false;          // the source polyline is closed
    int m_Type = 0;                  // see the codes above

    CPolyLine();
    ~CPolyLine();

    int GetType() const { return m_Type; }
    bool IsClosed() const { return m_bClosed; }
    // Sets the flag only; the drawing is not touched.
    void SetClosed(bool bClosed) { m_bClosed = bClosed; }

    // Replaces the vertex list with the vertices of the polyline id (a
    // lightweight polyline or a 2D polyline of a listed kind); true on
    // success. An invalid id answers false and changes nothing; any later
    // failure leaves the list empty, with m_Id and (once the kind was
    // recognised) m_Type and m_bClosed from this attempt. Lightweight
    // vertices are taken at z = 0 (elevation and normal are not applied);
    // 2D vertices at their world position. The object is opened for read
    // and closed before returning.
    bool GetVertexInfo(AcDbObjectId id);

    // The arc of the segment from vtx1 to vtx2, shaped by vtx1.bulge
    // (vtx2.bulge is ignored). Answers true for an arc. A bulge of 0 (or not
    // a number) answers false and sets only arc.ptStart and arc.ptEnd. For a
    // negative bulge the record runs counter-clockwise from vtx2 to vtx1.
    static bool GetArcPara(const CPolyLineVertex& vtx1, const CPolyLineVertex& vtx2, stArcPara& arc);

    // Appends a text dump to the existing file strFile (UTF-8, "\n" line
    // ends); a file that cannot be opened for writing gets nothing and is
    // not created.
    void Print(CString strFile);
};

// Asks the user to pick a polyline ("\n选择一条多义线:") and appends its dump
// to strFile (see CPolyLine::Print); a cancelled pick or an entity that is
// not a polyline writes nothing.
DROVIK_API void PrintPolyLineInfo(CString strFile);
