// Selection around a point: the entities a small crossing window touches,
// and the lines, arcs and polylines that end at the point.
#include <cmath>

#include "chains/entity_kind.h"
#include "drovik/chains/point_select.h"
#include "drovik/drawing/edits.h"
#include "drovik/editor/selset.h"
#include "drovik/editor/view.h"
#include "drovik/geometry/polyline.h"
#include "geometry/constants.h"

using drovik::kPi;

namespace {
// Half-diagonals of the selection windows.
constexpr double kWellWindowReach = 1.5;
constexpr double kNodeWindowReach = 1.0;

// Sets a short system variable for the lifetime of the object and writes the
// value it had back afterwards. A variable that cannot be read is left alone.
class ShortVarOverride {
public:
    ShortVarOverride(const wchar_t* name, short value) : m_name(name) {
        m_saved.rbnext = nullptr;
        if (acedGetVar(name, &m_saved) != RTNORM) return;
        m_read = true;
        resbuf rb{};
        rb.restype = RTSHORT;
        rb.resval.rint = value;
        acedSetVar(name, &rb);
    }
    ~ShortVarOverride() {
        if (!m_read) return;
        acedSetVar(m_name, &m_saved);
        if (m_saved.restype == RTSTR) acutDelString(m_saved.resval.rstring);
    }
    ShortVarOverride(const ShortVarOverride&) = delete;
    ShortVarOverride& operator=(const ShortVarOverride&) = delete;

private:
    const wchar_t* m_name;
    resbuf m_saved{};
    bool m_read = false;
};

// A selection set freed when it goes out of scope.
class SelectionSet {
public:
    // Runs the crossing-window selection around ptNode (WCS): the point goes
    // to the UCS, the view is panned to it when it lies outside, and the
    // window's corners lie reach away at 45 and 225 degrees.
    SelectionSet(const AcGePoint3d& ptNode, double reach, const resbuf* pFilter) {
        const AcGePoint3d ptUcs = dvWcsToUcs(ptNode);
        const ads_point center = {ptUcs.x, ptUcs.y, ptUcs.z};
        ads_point corner1, corner2;
        acutPolar(center, kPi * 0.25, reach, corner1);
        acutPolar(center, kPi * 1.25, reach, corner2);
        PanPointViewCenter(ptUcs, CString(), false);
        m_ok = acedSSGet(L"c", corner1, corner2, pFilter, m_ss) == RTNORM;
    }
    ~SelectionSet() {
        if (m_ok) acedSSFree(m_ss);
    }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;

    // The number of members; false when the selection failed.
    bool Length(long& n) const { return m_ok && acedSSLength(m_ss, &n) == RTNORM; }
    AcDbObjectId Member(long i) const {
        ads_name name;
        AcDbObjectId id;
        if (acedSSName(m_ss, i, name) != RTNORM || acdbGetObjectId(id, name) != Acad::eOk) return AcDbObjectId::kNull;
        return id;
    }

private:
    ads_name m_ss = {0, 0};
    bool m_ok = false;
};

double NodeDistance(const AcGePoint3d& a, const AcGePoint3d& b, bool b2D) {
    return b2D ? std::hypot(a.x - b.x, a.y - b.y) : a.distanceTo(b);
}

// The end points of a line, an arc or a polyline read with more than one
// vertex; false for anything else.
bool EndPoints(AcDbObjectId id, AcGePoint3d& ptS, AcGePoint3d& ptE) {
    stArcPara arc;
    if (drovik::ReadLineArc(id, ptS, ptE, arc) != drovik::LineArcKind::None) return true;
    CPolyLine pline;
    if (!pline.GetVertexInfo(id) || pline.m_Vertexs.GetSize() < 2) return false;
    ptS = pline.m_Vertexs[0].pt;
    ptE = pline.m_Vertexs[pline.m_Vertexs.GetSize() - 1].pt;
    return true;
}
}  // namespace

int WellDimSelect(AcDbObjectId /*idEnt*/, AcGePoint3d ptNode, AcArray<AcDbObjectId>& arrIds, resbuf* pFilter) {
    const ShortVarOverride echo(L"cmdecho", 0);
    const ShortVarOverride pick(L"pickstyle", 1);
    const SelectionSet ss(ptNode, kWellWindowReach, pFilter);
    long n = 0;
    if (!ss.Length(n)) return 0;
    for (long i = 0; i < n; ++i) {
        const AcDbObjectId id = ss.Member(i);
        if (id.isValid()) arrIds.append(id);
    }
    return arrIds.length();
}

int PointSelect(AcDbObjectId idExclude, AcGePoint3d ptNode, AcArray<AcDbObjectId>& arrIds,
                AcArray<AcGePoint3d>& arrPts, resbuf* pFilter, bool b2D) {
    const ShortVarOverride echo(L"cmdecho", 0);
    if (b2D) ptNode.z = 0.0;
    const SelectionSet ss(ptNode, kNodeWindowReach, pFilter);
    long n = 0;
    if (!ss.Length(n)) return 0;
    arrIds.setLogicalLength(0);
    arrPts.setLogicalLength(0);
    for (long i = 0; i < n; ++i) {
        const AcDbObjectId id = ss.Member(i);
        if (id == idExclude) continue;
        AcGePoint3d ptS, ptE;
        if (!EndPoints(id, ptS, ptE)) continue;
        // Closed or degenerate entities never meet the point.
        if (!(NodeDistance(ptS, ptE, b2D) > drovik::kCoincidentTol)) continue;
        if (drovik::IsNegligible(NodeDistance(ptNode, ptS, b2D))) {
            arrIds.append(id);
            arrPts.append(ptE);
        } else if (drovik::IsNegligible(NodeDistance(ptNode, ptE, b2D))) {
            arrIds.append(id);
            arrPts.append(ptS);
        }
    }
    return arrIds.length();
}
