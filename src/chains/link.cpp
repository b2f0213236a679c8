// Linking lines and arcs into a chain, kept as ids, vertices or points.
#include <cmath>

#include "chains/entity_kind.h"
#include "drovik/chains/link.h"
#include "drovik/drawing/edits.h"
#include "geometry/constants.h"

namespace {
template <class T>
bool IsKindOf(AcDbObjectId id) {
    AcDbObject* obj = nullptr;
    if (acdbOpenAcDbObject(obj, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool kind = obj->isA()->isDerivedFrom(T::desc());
    obj->close();
    return kind;
}

// The link metric: planar or spatial, as b2D asks.
double LinkDistance(const AcGePoint3d& a, const AcGePoint3d& b, bool b2D) {
    if (!b2D) return a.distanceTo(b);
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Which end a candidate from ptFirst to ptSecond touches (the codes of
// link.h), 0 when neither. The ends are not moved.
int TouchCode(const AcGePoint3d& ptFirst, const AcGePoint3d& ptSecond, const AcGePoint3d& ptHead,
              const AcGePoint3d& ptTail, bool b2D) {
    auto touches = [b2D](const AcGePoint3d& a, const AcGePoint3d& b) {
        return drovik::IsNegligible(LinkDistance(a, b, b2D));
    };
    if (touches(ptTail, ptFirst)) return 1;
    if (touches(ptTail, ptSecond)) return 2;
    if (touches(ptHead, ptFirst)) return 3;
    if (touches(ptHead, ptSecond)) return 4;
    return 0;
}

bool IsDegenerate(const AcGePoint3d& ptFirst, const AcGePoint3d& ptSecond, bool b2D) {
    return drovik::IsNegligible(LinkDistance(ptFirst, ptSecond, b2D));
}

// Moves the end the code names to the candidate's other point.
void MoveEnd(int code, const AcGePoint3d& ptFirst, const AcGePoint3d& ptSecond, AcGePoint3d& ptHead,
             AcGePoint3d& ptTail) {
    switch (code) {
    case 1: ptTail = ptSecond; break;
    case 2: ptTail = ptFirst; break;
    case 3: ptHead = ptSecond; break;
    case 4: ptHead = ptFirst; break;
    default: break;
    }
}

bool AtTail(int code) { return code == 1 || code == 2; }
}  // namespace

bool IsLineEnt(AcDbObjectId id) { return IsKindOf<AcDbLine>(id); }
bool IsArcEnt(AcDbObjectId id) { return IsKindOf<AcDbArc>(id); }

namespace drovik {
LineArcKind ReadLineArc(AcDbObjectId id, AcGePoint3d& ptS, AcGePoint3d& ptE, stArcPara& arc) {
    AcGePoint3d start;
    AcGePoint3d end;
    if (GetLineEndPoint(id, start, end)) {
        ptS = start;
        ptE = end;
        return LineArcKind::Line;
    }
    stArcPara read;
    if (!GetArcPara(id, read)) return LineArcKind::None;
    arc = read;
    ptS = read.ptStart;
    ptE = read.ptEnd;
    return LineArcKind::Arc;
}
}  // namespace drovik

bool GetLineArcEndpt(AcDbObjectId id, AcGePoint3d& ptS, AcGePoint3d& ptE, stArcPara& arc) {
    if (IsLineEnt(id)) return GetLineEndPoint(id, ptS, ptE);
    GetArcPara(id, arc);
    ptS = arc.ptStart;
    ptE = arc.ptEnd;
    return false;
}

bool LinkEnt(AcDbObjectId id, AcArray<AcDbObjectId>& arrIds, AcGePoint3d& ptHead, AcGePoint3d& ptTail,
             int& nLinkType, bool b2D) {
    nLinkType = 0;
    AcGePoint3d first;
    AcGePoint3d second;
    stArcPara arc;
    if (drovik::ReadLineArc(id, first, second, arc) == drovik::LineArcKind::None) return false;
    if (IsDegenerate(first, second, b2D)) return true;
    const int code = TouchCode(first, second, ptHead, ptTail, b2D);
    if (code == 0) return false;
    nLinkType = code;
    MoveEnd(code, first, second, ptHead, ptTail);
    if (AtTail(code)) {
        arrIds.append(id);
    } else {
        arrIds.insertAt(0, id);
    }
    return true;
}

bool LinkEnt(AcDbObjectId id, AcGePoint3d& ptHead, AcGePoint3d& ptTail, int& nLinkType,
             CPolyLineVertexArray& arrVertexs, bool b2D) {
    nLinkType = 0;
    AcGePoint3d first;
    AcGePoint3d second;
    stArcPara arc;
    const drovik::LineArcKind kind = drovik::ReadLineArc(id, first, second, arc);
    if (kind == drovik::LineArcKind::None) return false;
    if (IsDegenerate(first, second, b2D)) return true;
    const int code = TouchCode(first, second, ptHead, ptTail, b2D);
    if (code == 0) return false;
    nLinkType = code;
    MoveEnd(code, first, second, ptHead, ptTail);
    // The arc's bulge as the host draws it, start to end counter-clockwise.
    const double bulge = kind == drovik::LineArcKind::Arc ? std::tan(arc.angle * 0.25) : 0.0;
    // Codes 1 and 4 run the candidate forwards, 2 and 3 backwards.
    const bool forwards = code == 1 || code == 4;
    CPolyLineVertex vertex;
    vertex.pt = forwards ? first : second;
    vertex.bulge = forwards ? bulge : -bulge;
    if (AtTail(code)) {
        arrVertexs.Add(vertex);
    } else {
        arrVertexs.InsertAt(0, vertex);
    }
    return true;
}

bool LinkEnt(CPolyLineVertex vtxSeg, AcArray<AcGePoint3d>& arrPts, int& nLinkType, bool b2D) {
    if (arrPts.isEmpty()) {
        nLinkType = 5;
        return false;
    }
    nLinkType = 0;
    const AcGePoint3d& first = vtxSeg.pt;
    const AcGePoint3d& second = vtxSeg.pt2;
    if (IsDegenerate(first, second, b2D)) return true;
    const int code = TouchCode(first, second, arrPts.first(), arrPts.last(), b2D);
    if (code == 0) return false;
    nLinkType = code;
    const AcGePoint3d freeEnd = (code == 1 || code == 3) ? second : first;
    if (AtTail(code)) {
        arrPts.append(freeEnd);
    } else {
        arrPts.insertAt(0, freeEnd);
    }
    return true;
}
