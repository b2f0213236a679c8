// View range, zoom, pan and named views.
#include "drovik/editor/view.h"

namespace {

double ReadReal(const wchar_t* name) {
    resbuf rb{};
    acedGetVar(name, &rb);
    return rb.restype == RTREAL ? rb.resval.rreal : 0.0;
}

struct AdsPoint {
    ads_point v;
    explicit AdsPoint(const AcGePoint3d& pt) : v{pt.x, pt.y, pt.z} {}
};

}  // namespace

void GetViewRange(AcGePoint3d& ptLowerLeft, AcGePoint3d& ptUpperRight) {
    const double dHeight = ReadReal(L"viewsize");
    resbuf center{}, screen{};
    acedGetVar(L"viewctr", &center);
    acedGetVar(L"screensize", &screen);
    const double cx = center.resval.rpoint[X], cy = center.resval.rpoint[Y];
    const double sw = screen.resval.rpoint[X], sh = screen.resval.rpoint[Y];
    // The width follows from the pixel aspect ratio of the view.
    const double dWidth = sh > 0.0 ? sw * dHeight / sh : dHeight;
    ptLowerLeft.x = cx - dWidth / 2;
    ptLowerLeft.y = cy - dHeight / 2;
    ptUpperRight.x = cx + dWidth / 2;
    ptUpperRight.y = cy + dHeight / 2;
}

bool IsPointInView(AcGePoint3d pt) {
    AcGePoint3d ptLow, ptHigh;
    GetViewRange(ptLow, ptHigh);
    return ptLow.x < pt.x && pt.x < ptHigh.x && ptLow.y < pt.y && pt.y < ptHigh.y;
}

void SaveNamedView(CString strViewName) {
    if (strViewName.IsEmpty()) return;
    resbuf ucsView{};
    acedGetVar(L"UCSVIEW", &ucsView);
    // The view is saved without a coordinate system.
    resbuf off{};
    off.restype = RTSHORT;
    off.resval.rint = 0;
    acedSetVar(L"UCSVIEW", &off);
    acedCommand(RTSTR, L"-view", RTSTR, L"d", RTSTR, strViewName.GetString(), 0);
    acedCommand(RTSTR, L"-view", RTSTR, L"s", RTSTR, strViewName.GetString(), 0);
    acedSetVar(L"UCSVIEW", &ucsView);
}

bool ZoomViewport(AcGePoint3d ptFirst, AcGePoint3d ptSecond, CString strViewName, bool bAlways) {
    if (!bAlways && IsPointInView(ptFirst) && IsPointInView(ptSecond)) return false;
    if (!strViewName.IsEmpty()) SaveNamedView(strViewName);
    const AdsPoint first(ptFirst), second(ptSecond);
    acedCommand(RTSTR, L"_.zoom", RT3DPOINT, first.v, RT3DPOINT, second.v, 0);
    return true;
}

bool PanPointViewCenter(AcGePoint3d pt, CString strViewName, bool bAlways) {
    if (!bAlways && IsPointInView(pt)) return false;
    resbuf center{};
    if (acedGetVar(L"viewctr", &center) != RTNORM || center.restype != RT3DPOINT) return false;
    if (!strViewName.IsEmpty()) SaveNamedView(strViewName);
    const AdsPoint from(pt);
    acedCommand(RTSTR, L"_.pan", RT3DPOINT, from.v, RT3DPOINT, center.resval.rpoint, 0);
    return true;
}
