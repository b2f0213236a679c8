// Wipeouts through the host's wipeout command.
#include "drovik/drawing/wipeout.h"

#include "drovik/drawing/edits.h"
#include "drovik/drawing/entities.h"
#include "drovik/geometry/plane.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::kPi;
using drovik::kTwoPi;

namespace {

const int kCircleWipeoutPoints = 36;
const int kMinBoundaryPoints = 3;
const double kCharWidthPerHeight = 0.5;

// The last entity of the drawing, or the null id.
AcDbObjectId LastEntityId() {
    ads_name last;
    AcDbObjectId id;
    if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk) id.setNull();
    return id;
}

bool IsWipeout(AcDbObjectId id) {
    AcDbWipeout* pWipeout = nullptr;
    if (acdbOpenObject(pWipeout, id, AcDb::kForRead) != Acad::eOk) return false;
    pWipeout->close();
    return true;
}

// "_WIPEOUT", the points, "" to end them. True with the new wipeout's id.
bool PolygonWipeout(const AcArray<AcGePoint3d>& arrPts, AcDbObjectId& id) {
    resbuf* pList = acutNewRb(RTSTR);
    if (!pList) return false;
    pList->resval.rstring = acutNewString(L"_WIPEOUT");
    resbuf* pTail = pList;
    bool bBuilt = pList->resval.rstring != nullptr;
    for (int i = 0; bBuilt && i < arrPts.length(); ++i) {
        pTail->rbnext = acutNewRb(RTPOINT);
        pTail = pTail->rbnext;
        bBuilt = pTail != nullptr;
        if (bBuilt) {
            pTail->resval.rpoint[X] = arrPts[i].x;
            pTail->resval.rpoint[Y] = arrPts[i].y;
        }
    }
    if (bBuilt) {
        pTail->rbnext = acutNewRb(RTSTR);
        bBuilt = pTail->rbnext && (pTail->rbnext->resval.rstring = acutNewString(L"")) != nullptr;
    }
    if (!bBuilt) {
        acutRelRb(pList);
        return false;
    }
    const AcDbObjectId idBefore = LastEntityId();
    acedCmd(pList);
    acutRelRb(pList);
    // Only a new last entity that is a wipeout is the command's work.
    const AcDbObjectId idLast = LastEntityId();
    if (idLast.isNull() || idLast == idBefore || !IsWipeout(idLast)) return false;
    id = idLast;
    return true;
}

}  // namespace

bool MakeCircleWipeout(AcGePoint3d ptCenter, double dRadius, AcDbObjectId& id) {
    AcArray<AcGePoint3d> arrPts;
    AcGeVector3d vRadius(dRadius, 0.0, 0.0);
    for (int i = 0; i < kCircleWipeoutPoints; ++i) {
        vRadius.rotateBy(kTwoPi / kCircleWipeoutPoints, AcGeVector3d::kZAxis);
        arrPts.append(ptCenter + vRadius);
    }
    return PolygonWipeout(arrPts, id);
}

bool MakeBoundaryWipeout(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id) {
    if (arrPts.length() < kMinBoundaryPoints) return false;
    return PolygonWipeout(arrPts, id);
}

bool MakeTBoxWipeout(AcGePoint3d ptCenter, CString strText, double dAngle, double dTextHeight) {
    resbuf cmdecho{};
    acedGetVar(L"cmdecho", &cmdecho);
    resbuf quiet{};
    quiet.restype = RTSHORT;
    quiet.resval.rint = 0;
    acedSetVar(L"cmdecho", &quiet);

    const double dLength = strText.GetLength() * dTextHeight * kCharWidthPerHeight;
    const AcGePoint3d ptA = GetPolarPoint(ptCenter, dAngle, dLength / 2);
    const AcGePoint3d ptB = GetPolarPoint(ptCenter, dAngle + kPi, dLength / 2);
    AcArray<AcGePoint3d> arrPts;
    arrPts.append(GetPolarPoint(ptA, dAngle + kHalfPi, dTextHeight / 2));
    arrPts.append(GetPolarPoint(ptB, dAngle + kHalfPi, dTextHeight / 2));
    arrPts.append(GetPolarPoint(ptB, dAngle - kHalfPi, dTextHeight / 2));
    arrPts.append(GetPolarPoint(ptA, dAngle - kHalfPi, dTextHeight / 2));

    bool bDone = false;
    AcDbObjectId idPline;
    if (MakePolylineSeg(arrPts, idPline, true, 0.0, L"0", 256)) {
        ads_name plineName;
        if (acdbGetAdsName(plineName, idPline) == Acad::eOk &&
            acedCommand(RTSTR, L"_wipeout", RTSTR, L"F", RTSTR, L"OFF", 0) == RTNORM) {
            // Makes the wipeout from the polyline and erases the polyline.
            bDone = acedCommand(RTSTR, L"_wipeout", RTSTR, L"P", RTENAME, plineName, RTSTR, L"Y", 0) == RTNORM;
        }
        // The temporary polyline never outlives the call.
        if (!idPline.isErased()) EraseEnt(idPline);
    }
    acedSetVar(L"cmdecho", &cmdecho);
    return bDone;
}
