// Offsetting a chain of drawing lines and arcs into new entities.
#include "chains/entity_kind.h"
#include "drovik/chains/offset_ents.h"
#include "drovik/drawing/entities.h"
#include "drovik/geometry/intersect.h"
#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::LineArcKind;

namespace {
// One chain member travelled from P to Q; an arc also has its centre, radius
// and middle point.
struct Member {
    LineArcKind kind = LineArcKind::None;
    AcGePoint3d P;
    AcGePoint3d Q;
    AcGePoint3d center;
    AcGePoint3d mid;
    double radius = 0.0;
};

// Reads the entity and orients it from the running point, which then moves
// to its far end. A member of kind None leaves the running point alone.
Member Orient(AcDbObjectId id, AcGePoint3d& ptRunning) {
    Member m;
    AcGePoint3d start;
    AcGePoint3d end;
    stArcPara arc;
    m.kind = drovik::ReadLineArc(id, start, end, arc);
    if (m.kind == LineArcKind::None) return m;
    const bool forwards = drovik::IsNear(start, ptRunning);
    m.P = forwards ? start : end;
    m.Q = forwards ? end : start;
    m.center = arc.ptCenter;
    m.mid = arc.ptMid;
    m.radius = arc.radius;
    ptRunning = m.Q;
    return m;
}

// Whether the offset lies on the left of travel along the first member, a
// line, for a point on the offset side.
bool LineSideIsLeft(const Member& m, const AcGePoint3d& ptSide) {
    AcGePoint3d foot;
    GetProjectPoint(ptSide, m.P, m.Q, foot);
    const AcGeVector3d toSide = ptSide - foot;
    if (drovik::IsNegligible(toSide.length())) return false;
    AcGeVector3d left = m.Q - m.P;
    left.rotateBy(kHalfPi, AcGeVector3d::kZAxis);
    return left.isCodirectionalTo(toSide, AcGeContext::gTol);
}

// The arc is travelled clockwise from P to Q (through its middle point).
bool IsClockwise(const Member& m) { return (m.Q - m.center).crossProduct(m.mid - m.center).z > 0.0; }

// The line's offset ends: both ends moved dDist to the left (or right) of travel.
struct OffsetLine {
    AcGePoint3d P;
    AcGePoint3d Q;
};
OffsetLine OffsetOfLine(const Member& m, bool bLeft, double dDist) {
    const double angle = GetDirectAngle(m.P, m.Q) + (bLeft ? kHalfPi : -kHalfPi);
    return {GetPolarPoint(m.P, angle, dDist), GetPolarPoint(m.Q, angle, dDist)};
}

// Offsets an arc toward (inward) or away from its centre; the new id is null
// when the radius would not stay positive or the arc cannot be made. Answers
// the offset ends.
OffsetLine OffsetArc(const Member& m, bool bInward, double dDist, AcDbObjectId& idNew) {
    auto move = [&](const AcGePoint3d& pt) {
        const double angle = bInward ? GetDirectAngle(pt, m.center) : GetDirectAngle(m.center, pt);
        return GetPolarPoint(pt, angle, dDist);
    };
    const OffsetLine ends{move(m.P), move(m.Q)};
    const double radius = bInward ? m.radius - dDist : m.radius + dDist;
    idNew = AcDbObjectId::kNull;
    if (radius > 0.0) MakeArc(m.center, ends.P, ends.Q, move(m.mid), radius, idNew);
    return ends;
}

// Moves the end point of the line made before to the join.
void TrimEnd(AcDbObjectId idLine, const AcGePoint3d& ptJoin) {
    AcDbLine* line = nullptr;
    if (acdbOpenObject(line, idLine, AcDb::kForWrite) != Acad::eOk) return;
    line->setEndPoint(ptJoin);
    line->close();
}

AcDbObjectId MakeOffsetLine(const AcGePoint3d& ptStart, const AcGePoint3d& ptEnd) {
    AcDbObjectId id;
    MakeLine(ptStart, ptEnd, id, L"0", true);
    return id;
}
}  // namespace

void OffsetEnts(const AcArray<AcDbObjectId>& arrIds, AcGePoint3d ptChainStart, AcGePoint3d ptSide, double dDist,
                AcArray<AcDbObjectId>& arrNewIds, AcGePoint3d& ptNewStart, AcGePoint3d& ptNewEnd) {
    AcGePoint3d running = ptChainStart;
    bool sideLeft = false;
    bool sideKnown = false;
    bool prevIsLine = false;
    OffsetLine prevLine;
    AcDbObjectId prevLineId;
    for (const AcDbObjectId& id : arrIds) {
        const Member m = Orient(id, running);
        if (m.kind == LineArcKind::None) {
            arrNewIds.append(AcDbObjectId::kNull);
            prevIsLine = false;
            continue;
        }
        const bool first = !sideKnown;
        AcDbObjectId idNew;
        OffsetLine ends;
        if (m.kind == LineArcKind::Line) {
            if (first) sideLeft = LineSideIsLeft(m, ptSide);
            ends = OffsetOfLine(m, sideLeft, dDist);
            const OffsetLine offset = ends;
            AcGePoint3d join;
            if (!first && prevIsLine && GetIntersPoint(prevLine.P, prevLine.Q, ends.P, ends.Q, join, false)) {
                TrimEnd(prevLineId, join);
                ends.P = join;
            }
            idNew = MakeOffsetLine(ends.P, ends.Q);
            prevLine = offset;
            prevLineId = idNew;
        } else {
            const bool clockwise = IsClockwise(m);
            if (first) {
                const bool inward = ptSide.distanceTo(m.center) <= m.radius;
                sideLeft = clockwise ? !inward : inward;
            }
            // Left of a clockwise travel is outward, of a counter-clockwise one inward.
            ends = OffsetArc(m, clockwise != sideLeft, dDist, idNew);
        }
        arrNewIds.append(idNew);
        if (first) ptNewStart = ends.P;
        ptNewEnd = ends.Q;
        sideKnown = true;
        prevIsLine = m.kind == LineArcKind::Line;
    }
}
