// Selection sets as id arrays; UCS and WCS conversions.
#include "drovik/editor/selset.h"

#include "drovik/drawing/edits.h"
#include "drovik/drawing/entities.h"
#include "drovik/geometry/plane.h"
#include "drovik/geometry/polyline.h"
#include "geometry/angles.h"

namespace {

// Kind-of tests by opening the entity for read.
template <class T>
bool IsKindOf(AcDbObjectId id) {
    T* pEnt = nullptr;
    if (acdbOpenObject(pEnt, id, AcDb::kForRead) != Acad::eOk) return false;
    pEnt->close();
    return true;
}

void Flatten(AcGePoint3d& pt) { pt.z = 0.0; }

void CopyLine(AcGePoint3d ptStart, AcGePoint3d ptEnd, bool bFlat, AcArray<AcDbObjectId>& arrIds) {
    if (bFlat) {
        Flatten(ptStart);
        Flatten(ptEnd);
    }
    AcDbObjectId id;
    if (MakeLine(ptStart, ptEnd, id, L"0", true)) arrIds.append(id);
}

void CopyArc(stArcPara arc, bool bFlat, AcArray<AcDbObjectId>& arrIds) {
    if (bFlat) {
        Flatten(arc.ptStart);
        Flatten(arc.ptEnd);
        Flatten(arc.ptCenter);
    }
    AcDbObjectId id;
    if (MakeArc(arc.ptCenter, arc.ptStart, arc.ptEnd, arc.ptMid, arc.radius, id)) arrIds.append(id);
}

void CopySegment(const CPolyLineVertex& v1, const CPolyLineVertex& v2, bool bFlat, AcArray<AcDbObjectId>& arrIds) {
    stArcPara arc;
    if (CPolyLine::GetArcPara(v1, v2, arc)) {
        CopyArc(arc, bFlat, arrIds);
    } else {
        CopyLine(v1.pt, v2.pt, bFlat, arrIds);
    }
}

// The member id of index i, or false.
bool MemberId(long* const ss, long i, AcDbObjectId& id) {
    ads_name ent;
    return acedSSName(ss, i, ent) == RTNORM && acdbGetObjectId(id, ent) == Acad::eOk;
}

bool ReadLength(long* const ss, AcArray<AcDbObjectId>& arrIds, long& nLength) {
    if (arrIds.length() > 0) arrIds.removeSubArray(0, arrIds.length() - 1);
    return acedSSLength(ss, &nLength) == RTNORM;
}

AcGeMatrix3d UcsMatrix() {
    AcGeMatrix3d mat;
    acdbUcsMatrix(mat, acdbHostApplicationServices()->workingDatabase());
    return mat;
}

double ConvertAngle(double dAngle, bool bToUcs) {
    const AcGePoint3d ptOrigin(0.0, 0.0, 0.0);
    const double kLength = 100.0;
    AcGeVector3d vDir = GetPolarPoint(ptOrigin, dAngle, kLength) - ptOrigin;
    AcGeMatrix3d mat = UcsMatrix();
    if (bToUcs) mat.invert();
    // A vector transform: the origin of the coordinate system plays no part.
    vDir.transformBy(mat);
    return GetDirectAngle(ptOrigin, GetPolarPoint(ptOrigin, vDir, kLength));
}

}  // namespace

int SSToIdArr(long* const ss, AcArray<AcDbObjectId>& arrIds) {
    long nLength = 0;
    if (!ReadLength(ss, arrIds, nLength)) return 0;
    for (long i = 0; i < nLength; ++i) {
        AcDbObjectId id;
        if (MemberId(ss, i, id)) arrIds.append(id);
    }
    return arrIds.length();
}

int SSXToIdArr(long* const ss, AcArray<AcDbObjectId>& arrIds, bool bFlat) {
    long nLength = 0;
    if (!ReadLength(ss, arrIds, nLength)) return 0;
    for (long i = 0; i < nLength; ++i) {
        AcDbObjectId id;
        if (!MemberId(ss, i, id)) continue;
        if (IsKindOf<AcDbLine>(id)) {
            AcGePoint3d ptStart, ptEnd;
            if (GetLineEndPoint(id, ptStart, ptEnd)) CopyLine(ptStart, ptEnd, bFlat, arrIds);
            continue;
        }
        if (IsKindOf<AcDbArc>(id)) {
            stArcPara arc;
            if (GetArcPara(id, arc)) CopyArc(arc, bFlat, arrIds);
            continue;
        }
        CPolyLine pline;
        if (!pline.GetVertexInfo(id)) continue;
        const int nCount = static_cast<int>(pline.m_Vertexs.GetSize());
        for (int k = 0; k + 1 < nCount; ++k) CopySegment(pline.m_Vertexs[k], pline.m_Vertexs[k + 1], bFlat, arrIds);
        if (pline.m_bClosed && nCount > 1) CopySegment(pline.m_Vertexs[nCount - 1], pline.m_Vertexs[0], bFlat, arrIds);
    }
    return arrIds.length();
}

AcGePoint3d dvUcsToWcs(const AcGePoint3d& pt) {
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (!pDb) return AcGePoint3d(0.0, 0.0, 0.0);
    AcGeMatrix3d mat;
    if (!acdbUcsMatrix(mat, pDb)) mat.setToIdentity();
    return mat * pt;
}

AcGePoint3d dvWcsToUcs(const AcGePoint3d& pt) {
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    if (!pDb) return AcGePoint3d(0.0, 0.0, 0.0);
    AcGeMatrix3d mat;
    if (!acdbUcsMatrix(mat, pDb)) mat.setToIdentity();
    mat.invert();
    return mat * pt;
}

double dvUcsToWcs(double dAngle) { return ConvertAngle(dAngle, false); }

double dvWcsToUcs(double dAngle) { return ConvertAngle(dAngle, true); }
