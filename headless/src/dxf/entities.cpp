// The modelled entities (see entities.h).
#include "entities.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "dbents.h"
#include "dbpl.h"
#include "dbwipeout.h"

namespace host {
namespace dxf {
namespace detail {

void OcsAxes(const AcGeVector3d& n, AcGeVector3d& ax, AcGeVector3d& ay) {
    const AcGeVector3d nz = n.normal();
    AcGeVector3d x;
    if (std::fabs(nz.x) < 1.0 / 64 && std::fabs(nz.y) < 1.0 / 64) {
        x = AcGeVector3d(0, 1, 0).crossProduct(nz);
    } else {
        x = AcGeVector3d(0, 0, 1).crossProduct(nz);
    }
    ax = x.normal();
    ay = nz.crossProduct(ax).normal();
}

bool Subclass::owns(int code) const { return std::find(codes.begin(), codes.end(), code) != codes.end(); }

double EntityOut::origReal(int code, double fallback) const {
    if (!orig) return fallback;
    for (const Tag& t : *orig) {
        if (t.code == 1001) break;
        double d = 0;
        if (t.code == code && ParseDouble(t.value, d)) return d;
    }
    return fallback;
}

long long EntityOut::origInt(int code, long long fallback) const {
    if (!orig) return fallback;
    for (const Tag& t : *orig) {
        if (t.code == 1001) break;
        long long n = 0;
        if (t.code == code && ParseInt(t.value, n)) return n;
    }
    return fallback;
}

bool EntityOut::has(int code) const {
    if (!orig) return false;
    for (const Tag& t : *orig) {
        if (t.code == 1001) break;
        if (t.code == code) return true;
    }
    return false;
}

bool EntityOut::asRead(std::initializer_list<int> codes, const std::wstring& text) const {
    if (!orig || !src) return false;
    std::string raw;
    std::vector<const Tag*> found;
    for (const Tag& t : *orig) {
        if (t.code == 1001) break;
        if (std::find(codes.begin(), codes.end(), t.code) == codes.end()) continue;
        raw.append(t.value.data(), t.value.size());
        found.push_back(&t);
    }
    if (found.empty() || src->decode(raw) != text) return false;
    for (const Tag* t : found) {
        if (src->sameAs(e.codec())) e.tag(*t);
        else e.text(t->code, src->transcode(t->value, e.codec()));
    }
    return true;
}

AcGeVector3d EntityOut::origNormal() const {
    return AcGeVector3d(origReal(210, 0), origReal(220, 0), origReal(230, 1));
}

bool TextField(EntityIn& in, Numbers& n, const Tag& t, TextFields& f) {
    switch (t.code) {
    case 10: f.pos.x = n.real(t); break;
    case 20: f.pos.y = n.real(t); break;
    case 30: f.pos.z = n.real(t); break;
    case 11: f.align.x = n.real(t); f.hasAlign = true; break;
    case 21: f.align.y = n.real(t); break;
    case 31: f.align.z = n.real(t); break;
    case 40: f.height = n.real(t); break;
    case 1: f.text = in.codec.decode(t.value); break;
    case 50: f.rot = n.real(t) / kDegPerRad; break;
    case 51: f.oblique = n.real(t) / kDegPerRad; break;
    case 41: f.width = n.real(t); break;
    case 7: in.styleName = t.value; break;
    case 72: f.h = n.integer(t); break;
    default: return false;
    }
    return true;
}

bool CheckTextFields(Numbers& n, const TextFields& f) {
    if (f.height < 0) n.unfit("has a negative height");
    if (!(f.width > 0)) n.unfit("has a width factor that is not positive");
    if (f.h < 0 || f.h > 5 || f.v < 0 || f.v > 3) n.unfit("has an unknown justification");
    return !n.bad;
}

void ApplyTextFields(AcDbText* e, const TextFields& f) {
    e->setPosition(f.pos);
    e->setTextString(f.text.c_str());
    e->setHeight(f.height);
    e->setRotation(f.rot);
    e->setWidthFactor(f.width);
    e->setOblique(f.oblique);
    e->setHorizontalMode(static_cast<AcDb::TextHorzMode>(f.h));
    e->setVerticalMode(static_cast<AcDb::TextVertMode>(f.v));
    e->setAlignmentPoint(f.hasAlign ? f.align : f.pos);
}

namespace {

// Centre and angles of a circle or arc from its OCS to the host's form: world
// centre; a normal of -Z becomes its mirrored +Z twin.
void ToWorld(AcGePoint3d& c, AcGeVector3d& n, double* a0, double* a1) {
    if (IsPlusZ(n)) {
        n = AcGeVector3d::kZAxis;
        return;
    }
    if (IsMinusZ(n)) {
        c.x = -c.x;
        c.z = -c.z;
        n = AcGeVector3d::kZAxis;
        if (a1) {
            const double s = *a0;
            *a0 = kPi - *a1;
            *a1 = kPi - s;
            for (double* a : {a0, a1}) {
                *a = std::fmod(*a, 2 * kPi);
                if (*a < 0) *a += 2 * kPi;
            }
        }
        return;
    }
    AcGeVector3d ax, ay;
    OcsAxes(n, ax, ay);
    const AcGeVector3d nz = n.normal();
    c = AcGePoint3d::kOrigin + ax * c.x + ay * c.y + nz * c.z;
    n = nz;
}

// The reverse, in the extrusion the file gave (kept when it still fits).
void ToOcs(EntityOut& out, AcGePoint3d c, const AcGeVector3d& n, double* a0, double* a1, bool& writeNormal,
           AcGeVector3d& normal) {
    const AcGeVector3d file = out.origNormal();
    if (IsPlusZ(n) && IsMinusZ(file)) {
        c.x = -c.x;
        c.z = -c.z;
        if (a1) {
            const double s = *a0;
            *a0 = kPi - *a1;
            *a1 = kPi - s;
            for (double* a : {a0, a1}) {
                *a = std::fmod(*a, 2 * kPi);
                if (*a < 0) *a += 2 * kPi;
            }
        }
        writeNormal = true;
        normal = AcGeVector3d(0, 0, -1);
    } else if (IsPlusZ(n)) {
        writeNormal = out.has(210) || out.has(230);
        normal = AcGeVector3d::kZAxis;
    } else {
        AcGeVector3d ax, ay;
        OcsAxes(n, ax, ay);
        const AcGeVector3d nz = n.normal();
        const AcGeVector3d v = c.asVector();
        c = AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(nz));
        writeNormal = true;
        normal = nz;
    }
    out.e.point(10, c);
}

// ---- LINE ----

AcDbEntity* ReadLine(EntityIn& in) {
    Numbers n{in, "LINE"};
    AcGePoint3d a, b;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: a.x = n.real(t); break;
        case 20: a.y = n.real(t); break;
        case 30: a.z = n.real(t); break;
        case 11: b.x = n.real(t); break;
        case 21: b.y = n.real(t); break;
        case 31: b.z = n.real(t); break;
        default: break;
        }
    });
    return n.bad ? nullptr : new AcDbLine(a, b);
}

void WriteLine(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* l = AcDbLine::cast(ent);
    out.e.point(10, l->startPoint());
    out.e.point(11, l->endPoint());
}

// ---- CIRCLE and ARC ----

AcDbEntity* ReadCircleOrArc(EntityIn& in, bool arc) {
    Numbers n{in, arc ? "ARC" : "CIRCLE"};
    AcGePoint3d c;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double r = 0, a0 = 0, a1 = 0;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: c.x = n.real(t); break;
        case 20: c.y = n.real(t); break;
        case 30: c.z = n.real(t); break;
        case 40: r = n.real(t); break;
        case 50: a0 = n.real(t) / kDegPerRad; break;
        case 51: a1 = n.real(t) / kDegPerRad; break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    if (!(r > 0)) n.unfit("has no positive radius");
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (n.bad) return nullptr;
    ToWorld(c, normal, &a0, arc ? &a1 : nullptr);
    if (arc) return new AcDbArc(c, normal, r, a0, a1);
    return new AcDbCircle(c, normal, r);
}

AcDbEntity* ReadCircle(EntityIn& in) { return ReadCircleOrArc(in, false); }
AcDbEntity* ReadArc(EntityIn& in) { return ReadCircleOrArc(in, true); }

void WriteCircleOrArc(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* arc = AcDbArc::cast(ent);
    const auto* circle = AcDbCircle::cast(ent);
    const AcGePoint3d c = arc ? arc->center() : circle->center();
    const AcGeVector3d n = arc ? arc->normal() : circle->normal();
    double a0 = arc ? arc->startAngle() : 0, a1 = arc ? arc->endAngle() : 0;
    if (i == 1) {
        // AcDbArc: the angles in the extrusion written with the centre.
        if (IsPlusZ(n) && IsMinusZ(out.origNormal())) {
            const double s = a0;
            a0 = kPi - a1;
            a1 = kPi - s;
            for (double* a : {&a0, &a1}) {
                *a = std::fmod(*a, 2 * kPi);
                if (*a < 0) *a += 2 * kPi;
            }
        }
        out.e.num(50, a0 * kDegPerRad);
        out.e.num(51, a1 * kDegPerRad);
        return;
    }
    bool writeNormal = false;
    AcGeVector3d normal;
    ToOcs(out, c, n, nullptr, nullptr, writeNormal, normal);
    out.e.num(40, arc ? arc->radius() : circle->radius());
    if (writeNormal) out.e.vec(210, normal);
}

// ---- ELLIPSE ----

AcDbEntity* ReadEllipse(EntityIn& in) {
    Numbers n{in, "ELLIPSE"};
    AcGePoint3d c;
    AcGeVector3d major, normal = AcGeVector3d::kZAxis;
    double ratio = 1, p0 = 0, p1 = 2 * kPi;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: c.x = n.real(t); break;
        case 20: c.y = n.real(t); break;
        case 30: c.z = n.real(t); break;
        case 11: major.x = n.real(t); break;
        case 21: major.y = n.real(t); break;
        case 31: major.z = n.real(t); break;
        case 40: ratio = n.real(t); break;
        case 41: p0 = n.real(t); break;
        case 42: p1 = n.real(t); break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    if (ratio > 1.0 && ratio < 1.0 + 1e-9) ratio = 1.0;
    if (in.geometry && ratio > 1.0 && std::isfinite(ratio) && major.length() > 0.0 && normal.length() > 1e-12) {
        // The minor axis is the longer: the same curve about the other
        // axis, its parameters a quarter turn back.
        major = normal.normal().crossProduct(major) * ratio;
        ratio = 1.0 / ratio;
        p0 -= kPi / 2;
        p1 -= kPi / 2;
    }
    if (!(ratio > 0.0 && ratio <= 1.0)) n.unfit("has an axis ratio out of range");
    if (!(major.length() > 0.0)) n.unfit("has no major axis");
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (n.bad) return nullptr;
    auto* e = new AcDbEllipse;
    if (e->set(c, normal.normal(), major, ratio, p0, p1) != Acad::eOk) {
        delete e;
        n.unfit("does not fit the host's ellipse");
        return nullptr;
    }
    return e;
}

void WriteEllipse(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* el = AcDbEllipse::cast(ent);
    out.e.point(10, el->center());
    out.e.vec(11, el->majorAxis());
    if (!IsPlusZ(el->normal()) || out.has(210) || out.has(230)) out.e.vec(210, el->normal());
    out.e.num(40, el->radiusRatio());
    out.e.num(41, el->startAngle());
    out.e.num(42, el->endAngle());
}

// ---- TEXT ----

AcDbEntity* ReadText(EntityIn& in) {
    Numbers n{in, "TEXT"};
    TextFields f;
    EachTag(in, [&](const Tag& t) {
        if (!TextField(in, n, t, f) && t.code == 73) f.v = n.integer(t);
    });
    if (!CheckTextFields(n, f)) return nullptr;
    auto* e = new AcDbText;
    ApplyTextFields(e, f);
    return e;
}

void WriteText(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* t = AcDbText::cast(ent);
    if (i == 1) {
        if (t->verticalMode() != AcDb::kTextBase) out.e.integer(73, t->verticalMode());
        return;
    }
    out.e.point(10, t->position());
    out.e.num(40, t->height());
    if (!out.asRead({1}, t->textStringConst())) out.e.str(1, t->textStringConst());
    if (t->rotation() != 0.0) out.e.num(50, t->rotation() * kDegPerRad);
    if (t->widthFactor() != 1.0) out.e.num(41, t->widthFactor());
    if (t->oblique() != 0.0) out.e.num(51, t->oblique() * kDegPerRad);
    if (!t->textStyle().isNull()) {
        const std::wstring style = out.nameOf(t->textStyle());
        if (!style.empty()) out.e.str(7, style);
    }
    if (t->horizontalMode() != AcDb::kTextLeft) out.e.integer(72, t->horizontalMode());
    if (!t->isDefaultAlignment() || out.has(11)) out.e.point(11, t->alignmentPoint());
}

// ---- LWPOLYLINE ----

AcDbEntity* ReadLwPolyline(EntityIn& in) {
    Numbers n{in, "LWPOLYLINE"};
    struct V {
        double x = 0, y = 0, sw = -1, ew = -1, bulge = 0;
    };
    std::vector<V> v;
    long long declared = -1, flags = 0;
    std::uint32_t countLine = in.line;
    double cw = 0, elev = 0;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    EachTag(in, [&](const Tag& t) {
        auto last = [&]() -> V& {
            if (v.empty()) v.emplace_back();  // a stray code before the first vertex
            return v.back();
        };
        switch (t.code) {
        case 90: declared = n.integer(t); countLine = t.line; break;
        case 70: flags = n.integer(t); break;
        case 43: cw = n.real(t); break;
        case 38: elev = n.real(t); break;
        case 10: v.emplace_back(); v.back().x = n.real(t); break;
        case 20: last().y = n.real(t); break;
        case 40: last().sw = n.real(t); break;
        case 41: last().ew = n.real(t); break;
        case 42: last().bulge = n.real(t); break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    if (!IsPlusZ(normal) && !IsMinusZ(normal)) n.keep();  // a polyline in a tilted plane
    if (cw < 0) n.unfit("has a negative width");
    for (const V& p : v)
        if ((p.sw < 0 && p.sw != -1) || (p.ew < 0 && p.ew != -1)) n.unfit("has a negative width");
    if (n.bad) return nullptr;
    if (declared >= 0 && static_cast<std::size_t>(declared) != v.size())
        in.warn(countLine, "LWPOLYLINE declares " + std::to_string(declared) + " vertices but has " +
                               std::to_string(v.size()) + ": read as it has");
    auto* e = new AcDbPolyline(static_cast<unsigned int>(v.size()));
    e->setConstantWidth(cw);
    const double sign = IsMinusZ(normal) ? -1.0 : 1.0;  // mirrored: the same curve seen from +Z
    for (std::size_t i = 0; i < v.size(); ++i)
        e->addVertexAt(static_cast<unsigned int>(i), AcGePoint2d(sign * v[i].x, v[i].y), sign * v[i].bulge, v[i].sw,
                       v[i].ew);
    e->setClosed((flags & 1) != 0);
    e->setElevation(sign * elev);
    return e;
}

void WriteLwPolyline(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* pl = AcDbPolyline::cast(ent);
    const unsigned int n = pl->numVerts();
    const bool mirrored = IsMinusZ(out.origNormal());
    const double sign = mirrored ? -1.0 : 1.0;
    out.e.integer(90, n);
    out.e.integer(70, (out.origInt(70, 0) & ~1LL) | (pl->isClosed() ? 1 : 0));
    out.e.num(43, pl->storedConstantWidth());
    if (pl->elevation() != 0.0 || out.has(38)) out.e.num(38, sign * pl->elevation());
    const double cw = pl->storedConstantWidth();
    for (unsigned int i = 0; i < n; ++i) {
        AcGePoint2d p;
        double bulge = 0, sw = -1, ew = -1;
        pl->getPointAt(i, p);
        pl->getBulgeAt(i, bulge);
        pl->getWidthsAt(i, sw, ew);
        out.e.num(10, sign * p.x);
        out.e.num(20, p.y);
        if (sw >= 0 || ew >= 0) {
            out.e.num(40, sw >= 0 ? sw : cw);
            out.e.num(41, ew >= 0 ? ew : cw);
        }
        if (bulge != 0.0) out.e.num(42, sign * bulge);
    }
    if (mirrored) out.e.vec(210, AcGeVector3d(0, 0, -1));
    else if (out.has(210) || out.has(230)) out.e.vec(210, AcGeVector3d::kZAxis);
}

// ---- POLYLINE (2D) and VERTEX ----

AcDbEntity* ReadPolyline(EntityIn& in) {
    Numbers n{in, "POLYLINE"};
    long long flags = 0, curve = 0;
    double elev = 0;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 30: elev = n.real(t); break;
        case 70: flags = n.integer(t); break;
        case 75: curve = n.integer(t); break;
        case 40: case 41: if (n.real(t) < 0) n.unfit("has a negative width"); break;
        default: break;
        }
    });
    if (flags & (16 | 64)) n.keep();  // meshes
    if ((flags & 8) && !n.bad) return ReadPolyline3d(in, flags, curve);
    if (curve == 8) n.keep();  // a Bezier-smoothed polyline
    if (n.bad) return nullptr;
    auto* e = new AcDb2dPolyline;
    if (flags & 2) {
        e->setPolyType(AcDb::k2dFitCurvePoly);
    } else if (flags & 4) {
        e->setPolyType(curve == 5 ? AcDb::k2dQuadSplinePoly : AcDb::k2dCubicSplinePoly);
    }
    if (flags & 1) e->makeClosed();
    e->setElevation(elev);
    return e;
}

void WritePolyline(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* pl = AcDb2dPolyline::cast(ent);
    out.e.integer(66, 1);
    out.e.point(10, AcGePoint3d(0, 0, pl->elevation()));
    int flags = pl->isClosed() ? 1 : 0;
    int curve = 0;
    switch (pl->polyType()) {
    case AcDb::k2dFitCurvePoly: flags |= 2; break;
    case AcDb::k2dQuadSplinePoly: flags |= 4; curve = 5; break;
    case AcDb::k2dCubicSplinePoly: flags |= 4; curve = 6; break;
    default: break;
    }
    out.e.integer(70, (out.origInt(70, 0) & ~7LL) | flags);
    if (curve) out.e.integer(75, curve);
    if (out.has(40)) out.e.num(40, out.origReal(40, 0));
    if (out.has(41)) out.e.num(41, out.origReal(41, 0));
}

AcDbEntity* ReadVertex(EntityIn& in) {
    Numbers n{in, "VERTEX"};
    AcGePoint3d p;
    double sw = -1, ew = -1, bulge = 0;
    long long flags = 0;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: p.x = n.real(t); break;
        case 20: p.y = n.real(t); break;
        case 30: p.z = n.real(t); break;
        case 40: sw = n.real(t); break;
        case 41: ew = n.real(t); break;
        case 42: bulge = n.real(t); break;
        case 70: flags = n.integer(t); break;
        default: break;
        }
    });
    if (n.bad) return nullptr;
    if (flags & 32) return ReadVertex3d(p, flags);
    auto* v = new AcDb2dVertex(p, bulge, sw < 0 ? 0 : sw, ew < 0 ? 0 : ew);
    v->setVertexType(flags & 1    ? AcDb::k2dCurveFitVertex
                     : flags & 16 ? AcDb::k2dSplineCtlVertex
                     : flags & 8  ? AcDb::k2dSplineFitVertex
                                  : AcDb::k2dVertex);
    return v;
}

void WriteVertex(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    if (i == 0) return;  // AcDbVertex holds nothing of its own
    const auto* v = AcDb2dVertex::cast(ent);
    out.e.point(10, v->position());
    if (v->startWidth() != 0.0 || v->endWidth() != 0.0 || out.has(40)) {
        out.e.num(40, v->startWidth());
        out.e.num(41, v->endWidth());
    }
    if (v->bulge() != 0.0 || out.has(42)) out.e.num(42, v->bulge());
    int flags = 0;
    switch (v->vertexType()) {
    case AcDb::k2dCurveFitVertex: flags = 1; break;
    case AcDb::k2dSplineFitVertex: flags = 8; break;
    case AcDb::k2dSplineCtlVertex: flags = 16; break;
    default: break;
    }
    out.e.integer(70, (out.origInt(70, 0) & ~25LL) | flags);
}

// ---- WIPEOUT ----

// The boundary is kept in image coordinates: pixel (0, 0) is the centre of
// the top-left pixel of an image of size (13, 23) whose pixel vectors are u
// (11) and v (12) from the insertion point (10).
AcDbEntity* ReadWipeout(EntityIn& in) {
    Numbers n{in, "WIPEOUT"};
    AcGePoint3d insert;
    AcGeVector3d u(1, 0, 0), v(0, 1, 0);
    double height = 1;
    long long clip = 2;
    std::vector<std::pair<double, double>> pts;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: insert.x = n.real(t); break;
        case 20: insert.y = n.real(t); break;
        case 30: insert.z = n.real(t); break;
        case 11: u.x = n.real(t); break;
        case 21: u.y = n.real(t); break;
        case 31: u.z = n.real(t); break;
        case 12: v.x = n.real(t); break;
        case 22: v.y = n.real(t); break;
        case 32: v.z = n.real(t); break;
        case 23: height = n.real(t); break;
        case 71: clip = n.integer(t); break;
        case 14: pts.emplace_back(n.real(t), 0.0); break;
        case 24:
            if (pts.empty()) pts.emplace_back(0.0, 0.0);
            pts.back().second = n.real(t);
            break;
        default: break;
        }
    });
    if (n.bad) return nullptr;
    if (clip == 1 && pts.size() == 2) {
        const auto a = pts[0], b = pts[1];
        pts = {a, {b.first, a.second}, b, {a.first, b.second}};
    }
    std::vector<AcGePoint3d> boundary;
    for (const auto& p : pts) boundary.push_back(insert + u * (p.first + 0.5) + v * (height - p.second - 0.5));
    if (boundary.size() > 1 && boundary.front().isEqualTo(boundary.back())) boundary.pop_back();
    auto* w = new AcDbWipeout;
    if (w->setBoundary(boundary) != Acad::eOk) {
        delete w;
        n.unfit("encloses no area");
        return nullptr;
    }
    return w;
}

// As a one-pixel image spanning the boundary's box: (-0.5, 0.5) is the lower
// left corner, (0.5, -0.5) the upper right.
void WriteWipeout(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto& pts = AcDbWipeout::cast(ent)->boundary();
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (i == 0 || pts[i].x < x0) x0 = pts[i].x;
        if (i == 0 || pts[i].y < y0) y0 = pts[i].y;
        if (i == 0 || pts[i].x > x1) x1 = pts[i].x;
        if (i == 0 || pts[i].y > y1) y1 = pts[i].y;
    }
    const double z = pts.empty() ? 0.0 : pts.front().z;
    const double width = x1 > x0 ? x1 - x0 : 1.0, height = y1 > y0 ? y1 - y0 : 1.0;
    if (!out.orig) out.e.integer(90, 0);
    out.e.point(10, AcGePoint3d(x0, y0, z));
    out.e.vec(11, AcGeVector3d(width, 0, 0));
    out.e.vec(12, AcGeVector3d(0, height, 0));
    out.e.num(13, 1.0);
    out.e.num(23, 1.0);
    if (!out.orig) {
        out.e.hex(340, 0);
        out.e.integer(70, 7);
        out.e.integer(280, 1);
        out.e.integer(281, 50);
        out.e.integer(282, 50);
        out.e.integer(283, 0);
        out.e.hex(360, 0);
    }
    out.e.integer(71, 2);
    out.e.integer(91, static_cast<long long>(pts.size()) + (pts.empty() ? 0 : 1));
    for (std::size_t i = 0; i <= pts.size() && !pts.empty(); ++i) {
        const AcGePoint3d& p = pts[i % pts.size()];
        out.e.num(14, (p.x - x0) / width - 0.5);
        out.e.num(24, 0.5 - (p.y - y0) / height);
    }
    if (!out.orig) out.e.integer(290, 0);
}

const AcRxClass* LineClass() { return AcDbLine::desc(); }
const AcRxClass* CircleClass() { return AcDbCircle::desc(); }
const AcRxClass* ArcClass() { return AcDbArc::desc(); }
const AcRxClass* EllipseClass() { return AcDbEllipse::desc(); }
const AcRxClass* TextClass() { return AcDbText::desc(); }
const AcRxClass* LwPolylineClass() { return AcDbPolyline::desc(); }
const AcRxClass* PolylineClass() { return AcDb2dPolyline::desc(); }
const AcRxClass* VertexClass() { return AcDb2dVertex::desc(); }
const AcRxClass* WipeoutClass() { return AcDbWipeout::desc(); }

std::vector<EntityDescription> AllDescriptions() {
    std::vector<EntityDescription> all = {
        {"LINE", LineClass, {{"AcDbLine", {10, 20, 30, 11, 21, 31}}}, ReadLine, WriteLine},
        {"CIRCLE", CircleClass, {{"AcDbCircle", {10, 20, 30, 40, 210, 220, 230}}}, ReadCircle, WriteCircleOrArc},
        {"ARC", ArcClass,
         {{"AcDbCircle", {10, 20, 30, 40, 210, 220, 230}}, {"AcDbArc", {50, 51}}}, ReadArc, WriteCircleOrArc},
        {"ELLIPSE", EllipseClass,
         {{"AcDbEllipse", {10, 20, 30, 11, 21, 31, 210, 220, 230, 40, 41, 42}}}, ReadEllipse, WriteEllipse},
        {"TEXT", TextClass,
         {{"AcDbText", {10, 20, 30, 40, 1, 50, 41, 51, 7, 72, 11, 21, 31}}, {"AcDbText", {73}}}, ReadText,
         WriteText},
        {"LWPOLYLINE", LwPolylineClass,
         {{"AcDbPolyline", {90, 70, 43, 38, 10, 20, 40, 41, 42, 210, 220, 230}}}, ReadLwPolyline, WriteLwPolyline},
        {"POLYLINE", PolylineClass, {{"AcDb2dPolyline", {66, 10, 20, 30, 70, 75, 40, 41}}}, ReadPolyline,
         WritePolyline},
        {"VERTEX", VertexClass, {{"AcDbVertex", {}}, {"AcDb2dVertex", {10, 20, 30, 40, 41, 42, 70}}}, ReadVertex,
         WriteVertex},
        {"WIPEOUT", WipeoutClass,
         {{"AcDbWipeout", {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 14, 24, 71, 91}}}, ReadWipeout,
         WriteWipeout},
    };
    AddSolidDescriptions(all);
    AddTextDescriptions(all);
    AddCurveDescriptions(all);
    AddBlockDescriptions(all);
    AddHatchDescriptions(all);
    AddDimensionDescriptions(all);
    return all;
}

const std::vector<EntityDescription>& Descriptions() {
    static const std::vector<EntityDescription> kAll = AllDescriptions();
    return kAll;
}

}  // namespace

void WriteTextOwned(EntityOut& out, const AcDbEntity* ent, std::size_t i) { WriteText(out, ent, i); }

const EntityDescription* DescriptionOf(std::string_view type) {
    for (const auto& d : Descriptions())
        if (type == d.type) return &d;
    return nullptr;
}

const EntityDescription* DescriptionOf(const AcDbEntity* ent) {
    if (!ent) return nullptr;
    // Asked once or more for every entity written: by class, not by a walk.
    static const std::unordered_map<const AcRxClass*, const EntityDescription*> kByClass = [] {
        std::unordered_map<const AcRxClass*, const EntityDescription*> m;
        for (const auto& d : Descriptions()) m.emplace(d.cls(), &d);
        return m;
    }();
    const auto it = kByClass.find(ent->isA());
    return it == kByClass.end() ? nullptr : it->second;
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
