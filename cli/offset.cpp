// Offsets of the polylines and line-and-arc chains of a drawing.
#include "offset.h"

#include <cmath>
#include <vector>

#include <dbpl.h>

#include <drovik/drovik.h>

#include "drawing_query.h"

namespace drovik::cli {
namespace {

bool Wants(Side side, bool left) { return side == Side::kBoth || (side == Side::kLeft) == left; }

bool OnLayer(AcDbObjectId id, const std::wstring& layer, std::wstring& className) {
    std::wstring entityLayer;
    if (!DescribeEntity(id, className, entityLayer)) return false;
    return layer.empty() || SameLayer(layer, entityLayer);
}

bool MakeBulgedPolyline(const CPolyLineVertexArray& chain, const std::wstring& layer) {
    auto* pline = new AcDbPolyline;
    for (INT_PTR i = 0; i < chain.GetSize(); ++i)
        pline->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(chain[i].pt.x, chain[i].pt.y), chain[i].bulge);
    pline->setDatabaseDefaults();
    pline->setLayer(layer.c_str());
    AcDbObjectId id;
    if (!AddEntToDwg(pline, id)) {
        delete pline;
        return false;
    }
    pline->close();
    return true;
}

void OffsetPolyline(AcDbObjectId id, const OffsetOptions& options, OffsetResult& result) {
    CPolyLineVertexArray chain;
    if (!ReadPolylineChain(id, chain)) return;
    ++result.polylines;
    for (const bool left : {true, false}) {
        if (!Wants(options.side, left)) continue;
        CPolyLineVertexArray offset;
        if (OffsetVertexs(chain, offset, options.distance, left) && MakeBulgedPolyline(offset, options.offsetLayer))
            ++result.created;
        else
            ++result.failed;
    }
}

bool IsLineOrArc(const std::wstring& className) { return className == L"AcDbLine" || className == L"AcDbArc"; }

// Grows a chain from the seed with every unused candidate that touches one of
// its free ends, sweeping the candidates until none attaches.
AcArray<AcDbObjectId> GrowChain(AcDbObjectId seed, std::vector<AcDbObjectId>& unused, AcGePoint3d& head) {
    AcArray<AcDbObjectId> chain;
    AcGePoint3d tail;
    stArcPara arc;
    GetLineArcEndpt(seed, head, tail, arc);
    chain.append(seed);
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = unused.begin(); it != unused.end();) {
            int code = 0;
            if (LinkEnt(*it, chain, head, tail, code, true) && code != 0) {
                it = unused.erase(it);
                grew = true;
            } else {
                ++it;
            }
        }
    }
    return chain;
}

// A point on the given side of the chain's first entity, travelled from head.
AcGePoint3d SidePoint(AcDbObjectId first, const AcGePoint3d& head, bool left) {
    AcGePoint3d ptS, ptE;
    stArcPara arc;
    if (GetLineArcEndpt(first, ptS, ptE, arc)) {
        const AcGePoint3d other = head.distanceTo(ptS) <= head.distanceTo(ptE) ? ptE : ptS;
        const double direction = std::atan2(other.y - head.y, other.x - head.x);
        const double across = direction + (left ? 1.0 : -1.0) * 1.5707963267948966;
        return GetPolarPoint(GetMidPt(head, other), across, 1.0);
    }
    // An arc record runs counter-clockwise from ptStart: travelled that way its
    // left is inward, the other way its left is outward.
    const bool counterClockwise = head.distanceTo(arc.ptStart) <= head.distanceTo(arc.ptEnd);
    const bool inward = left == counterClockwise;
    return inward ? arc.ptCenter : GetPolarPoint(arc.ptCenter, 0.0, arc.radius * 2.0);
}

void OffsetChain(const AcArray<AcDbObjectId>& chain, const AcGePoint3d& head, const OffsetOptions& options,
                 OffsetResult& result) {
    ++result.chains;
    for (const bool left : {true, false}) {
        if (!Wants(options.side, left)) continue;
        AcArray<AcDbObjectId> created;
        AcGePoint3d newStart, newEnd;
        OffsetEnts(chain, head, SidePoint(chain[0], head, left), options.distance, created, newStart, newEnd);
        for (AcDbObjectId id : created) {
            if (id.isNull()) {
                ++result.failed;
                continue;
            }
            SetEntLayer(id, options.offsetLayer.c_str());
            ++result.created;
        }
    }
}

}  // namespace

OffsetResult AddOffsets(AcDbDatabase* pDb, const OffsetOptions& options) {
    OffsetResult result;
    if (!EnsureLayer(pDb, options.offsetLayer, 3)) return result;
    std::vector<AcDbObjectId> linesAndArcs;
    for (const AcDbObjectId& id : ModelSpaceEntities(pDb)) {
        std::wstring className;
        if (!OnLayer(id, options.layer, className)) continue;
        if (className == L"AcDbPolyline" || className == L"AcDb2dPolyline") OffsetPolyline(id, options, result);
        if (IsLineOrArc(className)) linesAndArcs.push_back(id);
    }
    while (!linesAndArcs.empty()) {
        const AcDbObjectId seed = linesAndArcs.front();
        linesAndArcs.erase(linesAndArcs.begin());
        AcGePoint3d head;
        const AcArray<AcDbObjectId> chain = GrowChain(seed, linesAndArcs, head);
        OffsetChain(chain, head, options, result);
    }
    return result;
}

}  // namespace drovik::cli
