// SPLINE, and 3D POLYLINE with its VERTEX records (see entities.h). 3D
// polylines of a file are kept as read for now; the model's are written.
#include <cmath>

#include "dbents3d.h"
#include "dbspline.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

AcDbEntity* NotRead(EntityIn&) { return nullptr; }

// A spline the file gives by its fit points alone (as ezdxf and others
// write them) is a valid one, not a fault: no warning either way.
AcDbEntity* ReadFitSpline(const EntityIn& in, long long degree, const AcGePoint3dArray& fit, double fitTol,
                          const AcGeVector3d& t0, const AcGeVector3d& t1, const AcGeVector3d& normal) {
    if (!in.geometry || degree < 1 || degree > 3) return nullptr;
    auto* e = new AcDbSpline;
    if (e->setFitData(fit, static_cast<int>(degree), fitTol, t0, t1) != Acad::eOk) {
        delete e;
        return nullptr;
    }
    if (normal.length() > 1e-12) e->setNormal(normal);
    return e;
}

// The NURBS data and the fit data as stored, side by side: the host keeps
// both without refitting.
AcDbEntity* ReadSpline(EntityIn& in) {
    Numbers n{in, "SPLINE"};
    AcGeVector3d normal, t0, t1;
    long long flags = 0, degree = 3;
    double knotTol = 1e-10, ctlTol = 1e-10, fitTol = 0;
    AcGeDoubleArray knots, weights;
    AcGePoint3dArray ctl, fit;
    auto last = [](AcGePoint3dArray& a) -> AcGePoint3d& {
        if (a.isEmpty()) a.append(AcGePoint3d());  // a stray code before the first x
        return a.last();
    };
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        case 70: flags = n.integer(t); break;
        case 71: degree = n.integer(t); break;
        case 42: knotTol = n.real(t); break;
        case 43: ctlTol = n.real(t); break;
        case 44: fitTol = n.real(t); break;
        case 12: t0.x = n.real(t); break;
        case 22: t0.y = n.real(t); break;
        case 32: t0.z = n.real(t); break;
        case 13: t1.x = n.real(t); break;
        case 23: t1.y = n.real(t); break;
        case 33: t1.z = n.real(t); break;
        case 40: knots.append(n.real(t)); break;
        case 41: weights.append(n.real(t)); break;
        case 10: ctl.append(AcGePoint3d(n.real(t), 0, 0)); break;
        case 20: last(ctl).y = n.real(t); break;
        case 30: last(ctl).z = n.real(t); break;
        case 11: fit.append(AcGePoint3d(n.real(t), 0, 0)); break;
        case 21: last(fit).y = n.real(t); break;
        case 31: last(fit).z = n.real(t); break;
        default: break;
        }
    });
    if (n.bad) return nullptr;
    if (ctl.isEmpty() && knots.isEmpty() && fit.length() >= 2) return ReadFitSpline(in, degree, fit, fitTol, t0, t1, normal);
    const bool rational = (flags & 4) != 0 || !weights.isEmpty();
    if (rational && weights.isEmpty()) weights.setLogicalLength(ctl.length()).setAll(1.0);
    auto* e = new AcDbSpline;
    if (degree < 1 || degree > 0x7fff ||
        e->setStoredData(static_cast<int>(degree), rational, (flags & 1) != 0, (flags & 2) != 0, ctl, knots, weights,
                         ctlTol, knotTol, fit, fitTol, t0, t1) != Acad::eOk) {
        delete e;
        n.unfit("is no valid NURBS curve (control points, knots, weights)");
        return nullptr;
    }
    if (normal.length() > 1e-12) e->setNormal(normal);
    return e;
}

void WriteSpline(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* s = AcDbSpline::cast(ent);
    int degree = 0;
    Adesk::Boolean rational = false, closed = false, periodic = false;
    AcGePoint3dArray ctl;
    AcGeDoubleArray knots, weights;
    double ctlTol = 0, knotTol = 0;
    s->getNurbsData(degree, rational, closed, periodic, ctl, knots, weights, ctlTol, knotTol);
    AcGePoint3dArray fit;
    int fitDegree = 0;
    double fitTol = 0;
    Adesk::Boolean tangents = false;
    AcGeVector3d t0, t1;
    const bool hasFit = s->getFitData(fit, fitDegree, fitTol, tangents, t0, t1) == Acad::eOk;
    if (!hasFit) s->fitTolerance(fitTol);
    const AcGeVector3d normal = s->normal();
    if (normal.length() > 0.0 || out.has(210)) out.e.vec(210, normal.length() > 0.0 ? normal : out.origNormal());
    // Closed as the file had it: ends that meet are not the closed flag.
    long long flags = out.orig ? out.origInt(70, 0) & ~7LL : (normal.length() > 0.0 ? 8 : 0);
    if (out.orig ? (out.origInt(70, 0) & 1) != 0 : closed) flags |= 1;
    if (periodic) flags |= 2;
    if (rational) flags |= 4;
    out.e.integer(70, flags);
    out.e.integer(71, degree);
    out.e.integer(72, knots.length());
    out.e.integer(73, ctl.length());
    out.e.integer(74, fit.length());
    if (out.has(42) || !out.orig) out.e.num(42, knotTol);
    if (out.has(43) || !out.orig) out.e.num(43, ctlTol);
    if (out.has(44) || (!out.orig && hasFit)) out.e.num(44, fitTol);
    if (t0.length() > 0.0 || out.has(12)) out.e.vec(12, t0);
    if (t1.length() > 0.0 || out.has(13)) out.e.vec(13, t1);
    for (double k : knots) out.e.num(40, k);
    if (rational)
        for (double w : weights) out.e.num(41, w);
    for (const AcGePoint3d& p : ctl) out.e.point(10, p);
    for (const AcGePoint3d& p : fit) out.e.point(11, p);
}

// Flag 8: a 3D polyline; curve type 5 or 6 for a splined one.
void WritePolyline3d(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* pl = AcDb3dPolyline::cast(ent);
    out.e.integer(66, 1);
    out.e.point(10, AcGePoint3d::kOrigin);
    int flags = 8 | (pl->isClosed() ? 1 : 0);
    int curve = 0;
    if (pl->polyType() == AcDb::k3dQuadSplinePoly) curve = 5;
    if (pl->polyType() == AcDb::k3dCubicSplinePoly) curve = 6;
    if (curve) flags |= 4;
    out.e.integer(70, (out.origInt(70, 0) & ~13LL) | flags);
    if (curve || out.has(75)) out.e.integer(75, curve);
}

// Flag 32: a 3D vertex; 16 a spline frame point, 8 a point the fit added.
void WriteVertex3d(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    if (i == 0) return;  // AcDbVertex holds nothing of its own
    const auto* v = AcDb3dPolylineVertex::cast(ent);
    out.e.point(10, v->position());
    int flags = 32;
    if (v->vertexType() == AcDb::k3dControlVertex) flags |= 16;
    if (v->vertexType() == AcDb::k3dFitVertex) flags |= 8;
    out.e.integer(70, (out.origInt(70, 0) & ~56LL) | flags);
}

const AcRxClass* SplineClass() { return AcDbSpline::desc(); }
const AcRxClass* Polyline3dClass() { return AcDb3dPolyline::desc(); }
const AcRxClass* Vertex3dClass() { return AcDb3dPolylineVertex::desc(); }

}  // namespace

AcDbEntity* ReadPolyline3d(EntityIn& in, long long flags, long long curve) {
    if ((flags & 4) && curve != 5 && curve != 6) {
        Numbers n{in, "POLYLINE"};
        n.unfit("has an unknown curve type");
        return nullptr;
    }
    auto* e = new AcDb3dPolyline;
    if (flags & 4) e->setPolyType(curve == 5 ? AcDb::k3dQuadSplinePoly : AcDb::k3dCubicSplinePoly);
    if (flags & 1) e->makeClosed();
    return e;
}

AcDbEntity* ReadVertex3d(const AcGePoint3d& p, long long flags) {
    auto* v = new AcDb3dPolylineVertex(p);
    v->setVertexType(flags & 16 ? AcDb::k3dControlVertex : flags & 8 ? AcDb::k3dFitVertex : AcDb::k3dSimpleVertex);
    return v;
}

void AddCurveDescriptions(std::vector<EntityDescription>& all) {
    all.push_back({"SPLINE", SplineClass,
                   {{"AcDbSpline", {210, 220, 230, 70, 71, 72, 73, 74, 42, 43, 44, 12, 22, 32, 13, 23, 33, 40, 41,
                                    10, 20, 30, 11, 21, 31}}},
                   ReadSpline, WriteSpline});
    // After the 2D forms of POLYLINE and VERTEX, which reading finds first.
    all.push_back({"POLYLINE", Polyline3dClass, {{"AcDb3dPolyline", {66, 10, 20, 30, 70, 75}}}, NotRead,
                   WritePolyline3d});
    all.push_back({"VERTEX", Vertex3dClass, {{"AcDbVertex", {}}, {"AcDb3dPolylineVertex", {10, 20, 30, 70}}},
                   NotRead, WriteVertex3d});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
