// The filtered interactive pick.
#include "drovik/chains/select.h"

#include "geometry/constants.h"

using drovik::kPi;

namespace {

const short kOsnapNearest = 512;
// The pick window keeps its size on screen: its half-diagonal is 0.177 of
// the view height over 206.
const double kPickWindowPerViewSize = 0.177 / 206.0;

void AppendRb(resbuf*& pHead, resbuf*& pTail, resbuf* pItem) {
    if (!pItem) return;
    if (pTail) {
        pTail->rbnext = pItem;
    } else {
        pHead = pItem;
    }
    pTail = pItem;
    while (pTail->rbnext) pTail = pTail->rbnext;
}

resbuf* StringRb(int type, const CString& strValue) {
    resbuf* pRb = acutNewRb(type);
    if (pRb) pRb->resval.rstring = acutNewString(strValue);
    return pRb;
}

// Type, layer and extended-data items for the filters that are not empty.
resbuf* BuildFilter(const CString& strEntType, const CString& strLayer, const CString& strAppName) {
    resbuf* pHead = nullptr;
    resbuf* pTail = nullptr;
    if (!strEntType.IsEmpty()) AppendRb(pHead, pTail, StringRb(RTDXF0, strEntType));
    if (!strLayer.IsEmpty()) AppendRb(pHead, pTail, StringRb(8, strLayer));
    if (!strAppName.IsEmpty()) AppendRb(pHead, pTail, acutBuildList(-3, 1001, strAppName.GetString(), 0));
    return pHead;
}

// The first entity of a crossing window around pt, through the filter.
bool PickAround(const ads_point pt, const resbuf* pFilter, AcDbObjectId& idEnt) {
    resbuf viewsize{};
    acedGetVar(L"viewsize", &viewsize);
    const double dHalfDiagonal = viewsize.resval.rreal * kPickWindowPerViewSize;
    ads_point ptCorner1, ptCorner2;
    acutPolar(pt, kPi * 0.25, dHalfDiagonal, ptCorner1);
    acutPolar(pt, kPi * 1.25, dHalfDiagonal, ptCorner2);
    ads_name ss;
    if (acedSSGet(L"c", ptCorner1, ptCorner2, pFilter, ss) != RTNORM) return false;
    ads_name ent;
    AcDbObjectId id;
    const bool bPicked = acedSSName(ss, 0, ent) == RTNORM && acdbGetObjectId(id, ent) == Acad::eOk;
    acedSSFree(ss);
    if (bPicked) idEnt = id;
    return bPicked;
}

}  // namespace

int SelectOneEnt(AcDbObjectId& idEnt, AcGePoint3d& ptPick, CString strPrompt, CString& strKeyWord,
                 CString strEntType, CString strLayer, CString strAppName) {
    if (strPrompt.IsEmpty()) strPrompt = L"\n选择实体:";
    resbuf* pFilter = BuildFilter(strEntType, strLayer, strAppName);

    resbuf osmode{};
    acedGetVar(L"osmode", &osmode);
    resbuf nearest{};
    nearest.restype = RTSHORT;
    nearest.resval.rint = kOsnapNearest;
    acedSetVar(L"osmode", &nearest);

    bool bRegenerated = false;
    int rc;
    for (;;) {
        if (!strKeyWord.IsEmpty()) acedInitGet(0, strKeyWord);
        ads_point pt = {ptPick.x, ptPick.y, ptPick.z};
        rc = acedGetPoint(nullptr, strPrompt, pt);
        ptPick.set(pt[X], pt[Y], pt[Z]);
        if (rc == RTNORM) {
            if (PickAround(pt, pFilter, idEnt)) break;
            if (!bRegenerated) {
                ads_regen();
                bRegenerated = true;
            }
            acutPrintf(L"\n没有选中指定实体，请重选!");
            continue;
        }
        if (rc == RTKWORD) {
            wchar_t szKeyWord[512] = {0};
            acedGetInput(szKeyWord);
            strKeyWord.Format(L"%s", szKeyWord);
        }
        break;
    }

    acutRelRb(pFilter);
    acedSetVar(L"osmode", &osmode);
    return rc;
}
