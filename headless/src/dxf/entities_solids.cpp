// POINT, SOLID, TRACE and 3DFACE: an entity of a few points (see entities.h).
#include <cmath>

#include "dbents3d.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

// A point of the plane of extrusion n in world coordinates, and back. +Z is
// left alone so that the common case keeps every bit of the file's numbers.
AcGePoint3d OcsToWorld(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (IsPlusZ(n)) return p;
    AcGeVector3d ax, ay;
    OcsAxes(n, ax, ay);
    return AcGePoint3d::kOrigin + ax * p.x + ay * p.y + n.normal() * p.z;
}

AcGePoint3d WorldToOcs(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (IsPlusZ(n)) return p;
    AcGeVector3d ax, ay;
    OcsAxes(n, ax, ay);
    const AcGeVector3d v = p.asVector();
    return AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(n.normal()));
}

// The extrusion: written when not +Z or when the file wrote it.
void WriteNormal(EntityOut& out, const AcGeVector3d& n) {
    if (!IsPlusZ(n) || out.has(210) || out.has(230)) out.e.vec(210, n);
}

// ---- POINT ----

AcDbEntity* ReadPoint(EntityIn& in) {
    Numbers n{in, "POINT"};
    AcGePoint3d p;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double thickness = 0, angle = 0;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: p.x = n.real(t); break;
        case 20: p.y = n.real(t); break;
        case 30: p.z = n.real(t); break;
        case 39: thickness = n.real(t); break;
        case 50: angle = n.real(t) / kDegPerRad; break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (n.bad) return nullptr;
    auto* e = new AcDbPoint(p);
    e->setThickness(thickness);
    e->setNormal(normal);
    e->setEcsRotation(angle);
    return e;
}

void WritePoint(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* p = AcDbPoint::cast(ent);
    out.e.point(10, p->position());
    if (p->thickness() != 0.0 || out.has(39)) out.e.num(39, p->thickness());
    WriteNormal(out, p->normal());
    if (p->ecsRotation() != 0.0 || out.has(50)) out.e.num(50, p->ecsRotation() * kDegPerRad);
}

// ---- SOLID, TRACE and 3DFACE ----

struct Corners {
    AcGePoint3d p[4];
    bool has[4] = {false, false, false, false};
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double thickness = 0;
    long long flags = 0;
};

bool ReadCorners(EntityIn& in, const char* type, Corners& c) {
    Numbers n{in, type};
    EachTag(in, [&](const Tag& t) {
        if (t.code >= 10 && t.code <= 13) {
            c.p[t.code - 10].x = n.real(t);
            c.has[t.code - 10] = true;
        } else if (t.code >= 20 && t.code <= 23) {
            c.p[t.code - 20].y = n.real(t);
        } else if (t.code >= 30 && t.code <= 33) {
            c.p[t.code - 30].z = n.real(t);
        }
        switch (t.code) {
        case 39: c.thickness = n.real(t); break;
        case 70: c.flags = n.integer(t); break;
        case 210: c.normal.x = n.real(t); break;
        case 220: c.normal.y = n.real(t); break;
        case 230: c.normal.z = n.real(t); break;
        default: break;
        }
    });
    if (!(c.normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    // A corner the file leaves out repeats the one before (a triangle).
    for (int k = 3; k < 4; ++k)
        if (!c.has[k]) c.p[k] = c.p[k - 1];
    return !n.bad;
}

template <class T>
AcDbEntity* ReadPlanar(EntityIn& in, const char* type) {
    Corners c;
    if (!ReadCorners(in, type, c)) return nullptr;
    auto* e = new T;
    for (Adesk::UInt16 k = 0; k < 4; ++k) e->setPointAt(k, OcsToWorld(c.p[k], c.normal));
    e->setThickness(c.thickness);
    e->setNormal(c.normal);
    return e;
}

AcDbEntity* ReadSolid(EntityIn& in) { return ReadPlanar<AcDbSolid>(in, "SOLID"); }
AcDbEntity* ReadTrace(EntityIn& in) { return ReadPlanar<AcDbTrace>(in, "TRACE"); }

template <class T>
void WritePlanar(EntityOut& out, const AcDbEntity* ent) {
    const auto* e = T::cast(ent);
    for (Adesk::UInt16 k = 0; k < 4; ++k) {
        AcGePoint3d p;
        e->getPointAt(k, p);
        out.e.point(10 + k, WorldToOcs(p, e->normal()));
    }
    if (e->thickness() != 0.0 || out.has(39)) out.e.num(39, e->thickness());
    WriteNormal(out, e->normal());
}

void WriteSolid(EntityOut& out, const AcDbEntity* ent, std::size_t) { WritePlanar<AcDbSolid>(out, ent); }
void WriteTrace(EntityOut& out, const AcDbEntity* ent, std::size_t) { WritePlanar<AcDbTrace>(out, ent); }

// 3DFACE corners are world points; flag bit k hides edge k.
AcDbEntity* ReadFace(EntityIn& in) {
    Corners c;
    if (!ReadCorners(in, "3DFACE", c)) return nullptr;
    auto* e = new AcDbFace(c.p[0], c.p[1], c.p[2], c.p[3]);
    for (Adesk::UInt16 k = 0; k < 4; ++k)
        if (c.flags & (1LL << k)) e->makeEdgeInvisibleAt(k);
    return e;
}

void WriteFace(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* e = AcDbFace::cast(ent);
    long long flags = out.origInt(70, 0) & ~15LL;
    for (Adesk::UInt16 k = 0; k < 4; ++k) {
        AcGePoint3d p;
        e->getVertexAt(k, p);
        out.e.point(10 + k, p);
        Adesk::Boolean visible = true;
        e->isEdgeVisibleAt(k, visible);
        if (!visible) flags |= 1LL << k;
    }
    if (flags != 0 || out.has(70)) out.e.integer(70, flags);
}

const AcRxClass* PointClass() { return AcDbPoint::desc(); }
const AcRxClass* SolidClass() { return AcDbSolid::desc(); }
const AcRxClass* TraceClass() { return AcDbTrace::desc(); }
const AcRxClass* FaceClass() { return AcDbFace::desc(); }

const std::vector<int> kCornerCodes = {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 33, 39, 210, 220, 230};

}  // namespace

void AddSolidDescriptions(std::vector<EntityDescription>& all) {
    all.push_back({"POINT", PointClass, {{"AcDbPoint", {10, 20, 30, 39, 210, 220, 230, 50}}}, ReadPoint, WritePoint});
    all.push_back({"SOLID", SolidClass, {{"AcDbTrace", kCornerCodes}}, ReadSolid, WriteSolid});
    all.push_back({"TRACE", TraceClass, {{"AcDbTrace", kCornerCodes}}, ReadTrace, WriteTrace});
    all.push_back({"3DFACE", FaceClass,
                   {{"AcDbFace", {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 33, 70}}}, ReadFace, WriteFace});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
