// Picking a polyline and dumping it.
#include "drovik/geometry/polyline.h"
#include "drovik/host/editor.h"

void PrintPolyLineInfo(CString strFile) {
    ads_name ent;
    ads_point pt;
    if (acedEntSel(L"\n选择一条多义线:", ent, pt) != RTNORM) return;
    AcDbObjectId id;
    if (acdbGetObjectId(id, ent) != Acad::eOk) return;
    CPolyLine pline;
    if (pline.GetVertexInfo(id)) pline.Print(strFile);
}
