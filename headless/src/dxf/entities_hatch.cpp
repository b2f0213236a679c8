// HATCH (see entities.h). Its subclass is one long sequence in which codes
// mean different things by position (10 is the elevation, a vertex, an arc
// centre or a seed), so it is read by walking that sequence, and the writer
// reads the record as read the same way for what the model has no field
// for (per loop: the closed and bulge flags; the pixel size).
#include <cmath>

#include "dbhatch.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

struct LoopData {
    long long type = 0;
    bool polyline = false;
    long long hasBulge = 0, closed = 1;
    AcGePoint2dArray points;
    AcGeDoubleArray bulges;
    std::vector<AcDbHatch::Edge> edges;
    std::vector<std::uint64_t> sources;
};

struct HatchData {
    AcGePoint3d elevationPoint;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    std::string_view name;
    long long solid = 0, associative = 0, style = 0, patternType = 1, isDouble = 0;
    double angle = 0, scale = 1;
    bool hasPattern = false;  // 52, 41 or 78 present
    std::vector<AcDbHatch::PatternLine> lines;
    AcGePoint2dArray seeds;
    std::vector<LoopData> loops;
};

// A walk over the subclass's tags; a code missing where one is expected
// gives its default and the walk goes on.
struct Walk {
    const std::vector<Tag>& tags;
    std::size_t i, end;
    Numbers* n;  // null: the writer's look at the record as read (no warnings)
    bool at(int code) const { return i < end && tags[i].code == code; }
    double real(int code, double fallback = 0) {
        if (!at(code)) return fallback;
        const Tag& t = tags[i++];
        if (n) return n->real(t);
        double d = fallback;
        ParseDouble(t.value, d);
        return d;
    }
    long long integer(int code, long long fallback = 0) {
        if (!at(code)) return fallback;
        const Tag& t = tags[i++];
        if (n) return n->integer(t);
        long long v = fallback;
        ParseInt(t.value, v);
        return v;
    }
    AcGePoint2d point(int code) {
        const double x = real(code);
        return AcGePoint2d(x, real(code + 10));
    }
    // Counts are not trusted for reserving memory: a count larger than what
    // follows ends where the tags do.
    long long count(int code) {
        const long long c = integer(code);
        return c < 0 ? 0 : c;
    }
};

void ReadSplineEdge(Walk& w, AcDbHatch::Edge& e) {
    e.degree = static_cast<int>(w.integer(94, 3));
    e.rational = w.integer(73) != 0;
    e.periodic = w.integer(74) != 0;
    const long long knots = w.count(95), ctl = w.count(96);
    for (long long k = 0; k < knots && w.at(40); ++k) e.knots.append(w.real(40));
    for (long long k = 0; k < ctl && w.at(10); ++k) {
        e.controlPoints.append(w.point(10));
        if (w.at(42)) e.weights.append(w.real(42));
    }
    // The fit data (R2010 and later). A 97 with a count not followed by fit
    // points is the loop's count of source objects.
    long long fits = -1;
    if (w.at(97) && ParseInt(w.tags[w.i].value, fits) &&
        (fits == 0 || (w.i + 1 < w.end && w.tags[w.i + 1].code == 11))) {
        fits = w.count(97);
        for (long long k = 0; k < fits && w.at(11); ++k) e.fitPoints.append(w.point(11));
    }
    if (w.at(12)) {
        const AcGePoint2d t = w.point(12);
        e.startTangent = AcGeVector2d(t.x, t.y);
    }
    if (w.at(13)) {
        const AcGePoint2d t = w.point(13);
        e.endTangent = AcGeVector2d(t.x, t.y);
    }
}

// DXF keeps a clockwise arc by the angles of its mirror image (360 minus
// each); the host by the real angles of its start and end points.
double RealAngle(double fileDegrees, bool ccw) { return (ccw ? fileDegrees : 360.0 - fileDegrees) / kDegPerRad; }
double FileAngle(double radians, bool ccw) {
    const double d = radians * kDegPerRad;
    return ccw ? d : 360.0 - d;
}

void ReadLoop(Walk& w, LoopData& loop) {
    loop.type = w.integer(92);
    loop.polyline = (loop.type & AcDbHatch::kPolyline) != 0;
    if (loop.polyline) {
        loop.hasBulge = w.integer(72);
        loop.closed = w.integer(73, 1);
        const long long n = w.count(93);
        for (long long k = 0; k < n && w.at(10); ++k) {
            loop.points.append(w.point(10));
            loop.bulges.append(w.real(42));
        }
    } else {
        const long long n = w.count(93);
        for (long long k = 0; k < n && w.at(72); ++k) {
            AcDbHatch::Edge e;
            const long long type = w.integer(72);
            switch (type) {
            case 1:
                e.type = AcDbHatch::kLine;
                e.start = w.point(10);
                e.end = w.point(11);
                break;
            case 2: {
                e.type = AcDbHatch::kCirArc;
                e.center = w.point(10);
                e.radius = w.real(40);
                const double a0 = w.real(50), a1 = w.real(51);
                e.isCounterClockwise = w.integer(73, 1) != 0;
                e.startAngle = RealAngle(a0, e.isCounterClockwise);
                e.endAngle = RealAngle(a1, e.isCounterClockwise);
                break;
            }
            case 3: {
                e.type = AcDbHatch::kEllArc;
                e.center = w.point(10);
                const AcGePoint2d m = w.point(11);
                e.majorAxis = AcGeVector2d(m.x, m.y);
                e.minorRatio = w.real(40, 1);
                const double a0 = w.real(50), a1 = w.real(51);
                e.isCounterClockwise = w.integer(73, 1) != 0;
                e.startAngle = RealAngle(a0, e.isCounterClockwise);
                e.endAngle = RealAngle(a1, e.isCounterClockwise);
                break;
            }
            case 4:
                e.type = AcDbHatch::kSpline;
                ReadSplineEdge(w, e);
                break;
            default:
                if (w.n) w.n->unfit("has an edge of unknown type");
                return;
            }
            loop.edges.push_back(e);
        }
    }
    const long long sources = w.count(97);
    for (long long k = 0; k < sources && w.at(330); ++k) {
        std::uint64_t h = 0;
        if (ParseHex(w.tags[w.i].value, h) && h) loop.sources.push_back(h);
        ++w.i;
    }
}

void ReadPatternLine(Walk& w, AcDbHatch::PatternLine& l) {
    l.angle = w.real(53) / kDegPerRad;
    l.baseX = w.real(43);
    l.baseY = w.real(44);
    l.offsetX = w.real(45);
    l.offsetY = w.real(46);
    const long long dashes = w.count(79);
    for (long long k = 0; k < dashes && w.at(49); ++k) l.dashes.append(w.real(49));
}

// The AcDbHatch part of a record's tags (all of them when it has no marker).
void ParseHatch(const std::vector<Tag>& tags, Numbers* n, HatchData& h) {
    std::size_t begin = 0, end = tags.size();
    for (std::size_t k = 0; k < tags.size(); ++k) {
        if (tags[k].code == 1001) {
            end = k;
            break;
        }
        if (tags[k].code == 100 && Trim(tags[k].value) == "AcDbHatch") begin = k + 1;
    }
    Walk w{tags, begin, end, n};
    bool elevation = false;
    while (w.i < w.end) {
        switch (w.tags[w.i].code) {
        case 10:
            if (elevation) {
                ++w.i;
                break;
            }
            elevation = true;
            h.elevationPoint.x = w.real(10);
            h.elevationPoint.y = w.real(20);
            h.elevationPoint.z = w.real(30);
            break;
        case 210: h.normal.x = w.real(210); break;
        case 220: h.normal.y = w.real(220); break;
        case 230: h.normal.z = w.real(230); break;
        case 2: h.name = Trim(w.tags[w.i++].value); break;
        case 70: h.solid = w.integer(70); break;
        case 71: h.associative = w.integer(71); break;
        case 91: {
            const long long loops = w.count(91);
            for (long long k = 0; k < loops && w.at(92); ++k) {
                h.loops.emplace_back();
                ReadLoop(w, h.loops.back());
            }
            break;
        }
        case 75: h.style = w.integer(75); break;
        case 76: h.patternType = w.integer(76); break;
        case 52: h.angle = w.real(52) / kDegPerRad; h.hasPattern = true; break;
        case 41: h.scale = w.real(41, 1); h.hasPattern = true; break;
        case 77: h.isDouble = w.integer(77); break;
        case 78: {
            h.hasPattern = true;
            const long long lines = w.count(78);
            for (long long k = 0; k < lines && w.at(53); ++k) {
                h.lines.emplace_back();
                ReadPatternLine(w, h.lines.back());
            }
            break;
        }
        case 98: {
            const long long seeds = w.count(98);
            for (long long k = 0; k < seeds && w.at(10); ++k) h.seeds.append(w.point(10));
            break;
        }
        default: ++w.i; break;  // not the model's (gradient data and others): kept
        }
    }
}

AcDbEntity* ReadHatch(EntityIn& in) {
    Numbers n{in, "HATCH"};
    HatchData h;
    ParseHatch(in.tags, &n, h);
    if (h.name.empty()) n.unfit("has no pattern name");
    if (!(h.normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (h.style < 0 || h.style > 2 || h.patternType < 0 || h.patternType > 2) n.unfit("has an unknown style");
    if (n.bad) return nullptr;
    auto* e = new AcDbHatch;
    const std::wstring name = in.codec.decode(h.name);
    bool ok = e->setNormal(h.normal) == Acad::eOk && e->setElevation(h.elevationPoint.z) == Acad::eOk &&
              e->setPattern(static_cast<AcDbHatch::HatchPatternType>(h.patternType), name.c_str()) == Acad::eOk &&
              e->setHatchStyle(static_cast<AcDbHatch::HatchStyle>(h.style)) == Acad::eOk &&
              e->setAssociative(h.associative != 0) == Acad::eOk && e->setPatternDouble(h.isDouble != 0) == Acad::eOk;
    if (ok && h.angle != 0) ok = e->setPatternAngle(h.angle) == Acad::eOk;
    // Code 41 is the spacing of a user-defined pattern and the scale of the others.
    if (ok && h.scale > 0) {
        ok = (h.patternType == AcDbHatch::kUserDefined ? e->setPatternSpace(h.scale) : e->setPatternScale(h.scale)) ==
             Acad::eOk;
    }
    if (ok && (h.hasPattern || !h.lines.empty())) ok = e->setPatternDefinitions(h.lines) == Acad::eOk;
    for (std::size_t k = 0; ok && k < h.loops.size(); ++k) {
        const LoopData& l = h.loops[k];
        ok = (l.polyline ? e->appendLoop(static_cast<Adesk::Int32>(l.type), l.points, l.bulges)
                         : e->appendLoop(static_cast<Adesk::Int32>(l.type), l.edges)) == Acad::eOk;
        for (const auto s : l.sources) in.refs.emplace_back(static_cast<int>(k), s);
    }
    for (const auto& s : h.seeds)
        if (ok) ok = e->appendSeedPoint(s) == Acad::eOk;
    if (!ok) {
        delete e;
        in.refs.clear();
        n.unfit("does not fit the host's hatch (a loop without edges or with an invalid one)");
        return nullptr;
    }
    return e;
}

void WriteEdge(EntityOut& out, const AcDbHatch::Edge& e) {
    Emitter& o = out.e;
    auto pt = [&](int code, double x, double y) {
        o.num(code, x);
        o.num(code + 10, y);
    };
    switch (e.type) {
    case AcDbHatch::kLine:
        o.integer(72, 1);
        pt(10, e.start.x, e.start.y);
        pt(11, e.end.x, e.end.y);
        break;
    case AcDbHatch::kCirArc:
    case AcDbHatch::kEllArc:
        o.integer(72, e.type == AcDbHatch::kCirArc ? 2 : 3);
        pt(10, e.center.x, e.center.y);
        if (e.type == AcDbHatch::kEllArc) pt(11, e.majorAxis.x, e.majorAxis.y);
        o.num(40, e.type == AcDbHatch::kCirArc ? e.radius : e.minorRatio);
        o.num(50, FileAngle(e.startAngle, e.isCounterClockwise));
        o.num(51, FileAngle(e.endAngle, e.isCounterClockwise));
        o.integer(73, e.isCounterClockwise ? 1 : 0);
        break;
    case AcDbHatch::kSpline: {
        o.integer(72, 4);
        o.integer(94, e.degree);
        const bool rational = e.rational || !e.weights.isEmpty();
        o.integer(73, rational ? 1 : 0);
        o.integer(74, e.periodic ? 1 : 0);
        o.integer(95, e.knots.length());
        o.integer(96, e.controlPoints.length());
        for (double k : e.knots) o.num(40, k);
        for (int k = 0; k < e.controlPoints.length(); ++k) {
            pt(10, e.controlPoints[k].x, e.controlPoints[k].y);
            if (rational) o.num(42, k < e.weights.length() ? e.weights[k] : 1.0);
        }
        // R2010 and later want the count of fit points even when it is 0.
        if (!e.fitPoints.isEmpty() || out.version >= "AC1024") o.integer(97, e.fitPoints.length());
        for (const auto& p : e.fitPoints) pt(11, p.x, p.y);
        if (!e.fitPoints.isEmpty() || e.startTangent.length() > 0.0)
            pt(12, e.startTangent.x, e.startTangent.y);
        if (!e.fitPoints.isEmpty() || e.endTangent.length() > 0.0) pt(13, e.endTangent.x, e.endTangent.y);
        break;
    }
    }
}

void WriteHatch(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* h = AcDbHatch::cast(ent);
    Emitter& o = out.e;
    HatchData file;
    if (out.orig) ParseHatch(*out.orig, nullptr, file);
    o.point(10, AcGePoint3d(file.elevationPoint.x, file.elevationPoint.y, h->elevation()));
    o.vec(210, h->normal());
    o.str(2, h->patternName());
    // Fills named otherwise ("SOLID,_O") keep the file's flag while unchanged.
    o.integer(70, !out.changed && out.has(70) ? out.origInt(70, 0) : h->isSolidFill() ? 1 : 0);
    o.integer(71, h->associative() ? 1 : 0);
    o.integer(91, h->numLoops());
    for (int k = 0; k < h->numLoops(); ++k) {
        const LoopData* was = static_cast<std::size_t>(k) < file.loops.size() ? &file.loops[k] : nullptr;
        Adesk::Int32 type = 0;
        AcGePoint2dArray pts;
        AcGeDoubleArray bulges;
        std::vector<AcDbHatch::Edge> edges;
        if (h->getLoopAt(k, type, pts, bulges) == Acad::eOk) {
            o.integer(92, type);
            bool bulged = was && was->polyline && was->hasBulge;
            for (double b : bulges) bulged = bulged || b != 0.0;
            o.integer(72, bulged ? 1 : 0);
            o.integer(73, was && was->polyline ? was->closed : 1);
            o.integer(93, pts.length());
            for (int v = 0; v < pts.length(); ++v) {
                o.num(10, pts[v].x);
                o.num(20, pts[v].y);
                if (bulged) o.num(42, v < bulges.length() ? bulges[v] : 0.0);
            }
        } else {
            h->getLoopAt(k, type, edges);
            o.integer(92, type);
            o.integer(93, static_cast<long long>(edges.size()));
            for (const auto& e : edges) WriteEdge(out, e);
        }
        AcDbObjectIdArray ids, live;
        h->getAssocObjIdsAt(k, ids);
        for (const auto& id : ids)
            if (!id.isNull() && !id.isErased() && out.handleOf && out.handleOf(id)) live.append(id);
        o.integer(97, live.length());
        for (const auto& id : live) o.hex(330, out.handleOf(id));
    }
    o.integer(75, h->hatchStyle());
    o.integer(76, h->patternType());
    // A fill without pattern data in the file stays without while unchanged.
    if (file.hasPattern || (!h->isSolidFill() && (out.changed || !out.orig))) {
        // The file's angle while unchanged (the model's is within [0, 2pi)).
        o.num(52, !out.changed && out.has(52) ? out.origReal(52, 0) : h->patternAngle() * kDegPerRad);
        o.num(41, h->patternType() == AcDbHatch::kUserDefined ? h->patternSpace() : h->patternScale());
        o.integer(77, h->patternDouble() ? 1 : 0);
        o.integer(78, h->numPatternDefinitions());
        for (int k = 0; k < h->numPatternDefinitions(); ++k) {
            double angle = 0, bx = 0, by = 0, ox = 0, oy = 0;
            AcGeDoubleArray dashes;
            h->getPatternDefinitionAt(k, angle, bx, by, ox, oy, dashes);
            o.num(53, angle * kDegPerRad);
            o.num(43, bx);
            o.num(44, by);
            o.num(45, ox);
            o.num(46, oy);
            o.integer(79, dashes.length());
            for (double d : dashes) o.num(49, d);
        }
    }
    if (out.has(47)) o.num(47, out.origReal(47, 0));
    o.integer(98, h->numSeedPoints());
    for (int k = 0; k < h->numSeedPoints(); ++k) {
        AcGePoint2d p;
        h->getSeedPointAt(static_cast<unsigned int>(k), p);
        o.num(10, p.x);
        o.num(20, p.y);
    }
}

const AcRxClass* HatchClass() { return AcDbHatch::desc(); }

}  // namespace

void AddHatchDescriptions(std::vector<EntityDescription>& all) {
    // Gradient data (450 to 470, 63, 421) is not the model's: written back
    // after the seeds, where the format has it.
    all.push_back({"HATCH", HatchClass,
                   {{"AcDbHatch", {10, 20, 30, 210, 220, 230, 2, 70, 71, 91, 92, 72, 73, 93, 11, 21, 40, 42, 50, 51,
                                   94, 74, 95, 96, 97, 12, 22, 13, 23, 330, 75, 76, 52, 41, 77, 78, 53, 43, 44, 45,
                                   46, 79, 49, 47, 98}}},
                   ReadHatch, WriteHatch});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
