// Hatches: loops, patterns, the area inside and its pattern lines.
#include <algorithm>
#include <cmath>

#include "../dbinternal.h"
#include "dbhatch.h"
#include "dbpl.h"
#include "dbspline.h"
#include "geom_internal.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbHatch, AcDbEntity)

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kCurvePoints = 256;      // elliptic arcs and splines, per edge
constexpr int kArcPieces = 64;          // a bulged segment when tessellated
constexpr std::size_t kMaxHatchLines = 1000000;

// The host's metric pattern file: angle (degrees), base, offset (along and
// across the line), dashes.
struct PatLine {
    double angle, x, y, dx, dy;
    std::vector<double> dashes;
};
const std::vector<PatLine>* BuiltInPattern(const std::wstring& name) {
    static const std::vector<PatLine> ansi31{{45, 0, 0, 0, 3.175, {}}};
    static const std::vector<PatLine> ansi37{{45, 0, 0, 0, 3.175, {}}, {135, 0, 0, 0, 3.175, {}}};
    static const std::vector<PatLine> net{{0, 0, 0, 0, 3.175, {}}, {90, 0, 0, 0, 3.175, {}}};
    static const std::vector<PatLine> line{{0, 0, 0, 0, 3.175, {}}};
    static const std::vector<PatLine> dots{{0, 0, 0, 0.79375, 1.5875, {0, -1.5875}}};
    if (name == L"ANSI31") return &ansi31;
    if (name == L"ANSI37") return &ansi37;
    if (name == L"NET") return &net;
    if (name == L"LINE") return &line;
    if (name == L"DOTS") return &dots;
    return nullptr;
}

AcGePoint2d Rotate(double x, double y, double a) {
    return AcGePoint2d(x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a));
}

bool Finite2d(const AcGePoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

AcGePoint2d ArcPoint(const AcGePoint2d& c, double r, double a) {
    return AcGePoint2d(c.x + r * std::cos(a), c.y + r * std::sin(a));
}

// The signed sweep of an arc edge (full circle 2*pi).
double Sweep(double start, double end, bool ccw) {
    if (std::fabs(end - start) >= host_detail::kTwoPi - 1e-12) return ccw ? host_detail::kTwoPi : -host_detail::kTwoPi;
    return ccw ? host_detail::NormalizeAngle(end - start) : -host_detail::NormalizeAngle(start - end);
}

// Points along a bulged segment (the end excluded).
void Tessellate(const AcGePoint2d& p, const AcGePoint2d& q, double bulge, std::vector<AcGePoint2d>& out) {
    out.push_back(p);
    if (bulge == 0.0) return;
    AcGePoint3d c;
    double r = 0, s = 0, e = 0;
    if (!host_detail::BulgeArc(AcGePoint3d(p.x, p.y, 0), AcGePoint3d(q.x, q.y, 0), bulge, c, r, s, e)) return;
    const double from = bulge > 0 ? s : e;
    const double sweep = 4.0 * std::atan(bulge);
    for (int i = 1; i < kArcPieces; ++i) out.push_back(ArcPoint(AcGePoint2d(c.x, c.y), r, from + sweep * i / kArcPieces));
}

std::vector<AcGePoint2d> Polygon(const std::vector<AcGePoint2d>& pts, const std::vector<double>& bulges) {
    std::vector<AcGePoint2d> poly;
    for (std::size_t i = 0; i < pts.size(); ++i) Tessellate(pts[i], pts[(i + 1) % pts.size()], bulges[i], poly);
    return poly;
}

bool Inside(const AcGePoint2d& p, const std::vector<AcGePoint2d>& poly) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const AcGePoint2d& a = poly[i];
        const AcGePoint2d& b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

// Signed area of a closed chain of bulged segments.
double SignedArea(const std::vector<AcGePoint2d>& pts, const std::vector<double>& bulges) {
    double area = 0.0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const AcGePoint2d& p = pts[i];
        const AcGePoint2d& q = pts[(i + 1) % pts.size()];
        area += (p.x * q.y - q.x * p.y) / 2.0;
        const double b = bulges[i];
        const double chord = p.distanceTo(q);
        if (b == 0.0 || chord == 0.0) continue;
        const double theta = 4.0 * std::atan(std::fabs(b));
        const double r = chord / (2.0 * std::sin(theta / 2.0));
        area += (b > 0 ? 1.0 : -1.0) * r * r * (theta - std::sin(theta)) / 2.0;
    }
    return area;
}

AcDbHatch::Edge LineEdge(const AcGePoint2d& a, const AcGePoint2d& b) {
    AcDbHatch::Edge e;
    e.type = AcDbHatch::kLine;
    e.start = a;
    e.end = b;
    return e;
}

AcDbHatch::Edge ArcEdge(const AcGePoint2d& c, double r, double start, double end, bool ccw) {
    AcDbHatch::Edge e;
    e.type = AcDbHatch::kCirArc;
    e.center = c;
    e.radius = r;
    e.startAngle = start;
    e.endAngle = end;
    e.isCounterClockwise = ccw;
    return e;
}

// A bulged segment as a line or arc edge.
AcDbHatch::Edge SegmentEdge(const AcGePoint2d& p, const AcGePoint2d& q, double bulge) {
    AcGePoint3d c;
    double r = 0, s = 0, e = 0;
    if (!host_detail::BulgeArc(AcGePoint3d(p.x, p.y, 0), AcGePoint3d(q.x, q.y, 0), bulge, c, r, s, e))
        return LineEdge(p, q);
    const AcGePoint2d c2(c.x, c.y);
    return ArcEdge(c2, r, host_detail::AngleOf(p.x - c.x, p.y - c.y), host_detail::AngleOf(q.x - c.x, q.y - c.y),
                   bulge > 0);
}

bool ValidEdge(const AcDbHatch::Edge& e) {
    switch (e.type) {
    case AcDbHatch::kLine:
        return Finite2d(e.start) && Finite2d(e.end);
    case AcDbHatch::kCirArc:
        return Finite2d(e.center) && e.radius > 0.0 && std::isfinite(e.radius + e.startAngle + e.endAngle);
    case AcDbHatch::kEllArc:
        return Finite2d(e.center) && e.majorAxis.length() > 0.0 && e.minorRatio > 0.0 && e.minorRatio <= 1.0 &&
               std::isfinite(e.startAngle + e.endAngle);
    case AcDbHatch::kSpline:
        return !e.controlPoints.isEmpty() || e.fitPoints.length() >= 2;
    }
    return false;
}

AcDbSpline SplineOf(const AcDbHatch::Edge& e) {
    AcGePoint3dArray cps, fits;
    for (const auto& p : e.controlPoints) cps.append(AcGePoint3d(p.x, p.y, 0));
    for (const auto& p : e.fitPoints) fits.append(AcGePoint3d(p.x, p.y, 0));
    if (!cps.isEmpty()) return AcDbSpline(e.degree, e.rational, false, e.periodic, cps, e.knots, e.weights);
    return AcDbSpline(fits, AcGeVector3d(e.startTangent.x, e.startTangent.y, 0),
                      AcGeVector3d(e.endTangent.x, e.endTangent.y, 0), e.degree + 1);
}

}  // namespace

// ---- pattern ----

bool AcDbHatch::isSolidFill() const { return m_patternType == kPreDefined && host_detail::FoldName(patternName()) == L"SOLID"; }

Acad::ErrorStatus AcDbHatch::setPattern(HatchPatternType patType, const ACHAR* patName) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!patName || !*patName || patType < kUserDefined || patType > kCustomDefined) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_patternType = patType;
    m_patternName = patName;
    recomputePattern();
    return Acad::eOk;
}

void AcDbHatch::recomputePattern() {
    m_patternLines.clear();
    m_hatchLines.clear();
    if (isSolidFill()) return;
    if (m_patternType == kUserDefined) {
        for (int k = 0; k < (m_patternDouble ? 2 : 1); ++k) {
            PatternLine l;
            l.angle = m_patternAngle + k * kPi / 2;
            const AcGePoint2d off = Rotate(0.0, m_patternSpace, l.angle);
            l.offsetX = off.x;
            l.offsetY = off.y;
            m_patternLines.push_back(l);
        }
        return;
    }
    const auto* builtIn = BuiltInPattern(host_detail::FoldName(patternName()));
    if (!builtIn) return;
    for (const PatLine& def : *builtIn) {
        PatternLine l;
        l.angle = host_detail::NormalizeAngle(def.angle * kPi / 180.0 + m_patternAngle);
        const AcGePoint2d base = Rotate(def.x * m_patternScale, def.y * m_patternScale, m_patternAngle);
        const AcGePoint2d off = Rotate(def.dx * m_patternScale, def.dy * m_patternScale, l.angle);
        l.baseX = base.x;
        l.baseY = base.y;
        l.offsetX = off.x;
        l.offsetY = off.y;
        for (double d : def.dashes) l.dashes.append(d * m_patternScale);
        m_patternLines.push_back(l);
    }
}

// Definition lines the hatch does not know how to make again (a custom
// pattern read from a file) are turned and scaled as they stand.
void AcDbHatch::turnAndScalePattern(double turn, double factor) {
    if (m_patternType == kUserDefined || BuiltInPattern(host_detail::FoldName(patternName()))) {
        recomputePattern();
        return;
    }
    for (PatternLine& l : m_patternLines) {
        l.angle = host_detail::NormalizeAngle(l.angle + turn);
        const AcGePoint2d b = Rotate(l.baseX * factor, l.baseY * factor, turn);
        const AcGePoint2d o = Rotate(l.offsetX * factor, l.offsetY * factor, turn);
        l.baseX = b.x;
        l.baseY = b.y;
        l.offsetX = o.x;
        l.offsetY = o.y;
        for (double& d : l.dashes) d *= factor;
    }
    m_hatchLines.clear();
}

Acad::ErrorStatus AcDbHatch::setPatternAngle(double angle) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    assertWriteEnabled();
    const double turn = angle - m_patternAngle;
    m_patternAngle = host_detail::NormalizeAngle(angle);
    turnAndScalePattern(turn, 1.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternScale(double scale) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(scale > 0.0) || !std::isfinite(scale)) return Acad::eInvalidInput;
    assertWriteEnabled();
    const double factor = scale / m_patternScale;
    m_patternScale = scale;
    turnAndScalePattern(0.0, factor);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternSpace(double space) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(space > 0.0) || !std::isfinite(space)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_patternSpace = space;
    if (m_patternType == kUserDefined) recomputePattern();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternDouble(bool isDouble) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_patternDouble = isDouble;
    if (m_patternType == kUserDefined) recomputePattern();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY,
                                                    double& offsetX, double& offsetY, AcGeDoubleArray& dashes) const {
    if (index < 0 || index >= numPatternDefinitions()) return Acad::eInvalidIndex;
    const PatternLine& l = m_patternLines[static_cast<std::size_t>(index)];
    angle = l.angle;
    baseX = l.baseX;
    baseY = l.baseY;
    offsetX = l.offsetX;
    offsetY = l.offsetY;
    dashes = l.dashes;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setPatternDefinitions(const std::vector<PatternLine>& lines) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    for (const auto& l : lines)
        if (!std::isfinite(l.angle + l.baseX + l.baseY + l.offsetX + l.offsetY)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_patternLines = lines;
    m_hatchLines.clear();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setHatchStyle(HatchStyle style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (style < kNormal || style > kIgnore) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_style = style;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setAssociative(bool isAssociative) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_associative = isAssociative;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setElevation(double elevation) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(elevation)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_elevation = elevation;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(normal) || normal.length() == 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = normal.normal();
    return Acad::eOk;
}

// ---- loops ----

Adesk::Int32 AcDbHatch::loopTypeAt(int loopIndex) const {
    if (loopIndex < 0 || loopIndex >= numLoops()) return kDefault;
    return m_loops[static_cast<std::size_t>(loopIndex)].type;
}

Acad::ErrorStatus AcDbHatch::insertLoopAt(int loopIndex, Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                          const AcGeDoubleArray& bulges) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (loopIndex < 0 || loopIndex > numLoops()) return Acad::eInvalidIndex;
    if (vertices.length() < 2 || (!bulges.isEmpty() && bulges.length() != vertices.length()))
        return Acad::eInvalidInput;
    for (const auto& p : vertices)
        if (!Finite2d(p)) return Acad::eInvalidInput;
    for (double b : bulges)
        if (!std::isfinite(b)) return Acad::eInvalidInput;
    assertWriteEnabled();
    Loop loop;
    loop.type = loopType | kPolyline;
    loop.polyline = true;
    loop.vertices = vertices;
    loop.bulges = bulges;
    if (loop.bulges.isEmpty()) loop.bulges.setLogicalLength(vertices.length()).setAll(0.0);
    m_loops.insert(m_loops.begin() + loopIndex, loop);
    m_hatchLines.clear();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                        const AcGeDoubleArray& bulges) {
    return insertLoopAt(numLoops(), loopType, vertices, bulges);
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const std::vector<Edge>& edges) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (edges.empty() || !std::all_of(edges.begin(), edges.end(), ValidEdge)) return Acad::eInvalidInput;
    assertWriteEnabled();
    Loop loop;
    loop.type = loopType & ~kPolyline;
    loop.edges = edges;
    m_loops.push_back(loop);
    m_hatchLines.clear();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcDbObjectIdArray& dbObjIds) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (dbObjIds.isEmpty()) return Acad::eInvalidInput;
    AcGeVector3d ex, ey;
    host_detail::PlaneAxes(m_normal, ex, ey);
    const auto to2d = [&](const AcGePoint3d& p) { return AcGePoint2d(p.asVector().dotProduct(ex), p.asVector().dotProduct(ey)); };
    std::vector<Edge> edges;
    for (const auto& id : dbObjIds) {
        const AcDbEntity* ent = ObjectAccess::peek<AcDbEntity>(id);
        if (!ent || ent->isErased()) return Acad::eInvalidInput;
        if (const auto* line = AcDbLine::cast(ent)) {
            edges.push_back(LineEdge(to2d(line->startPoint()), to2d(line->endPoint())));
        } else if (const auto* arc = AcDbArc::cast(ent)) {
            edges.push_back(ArcEdge(to2d(arc->center()), arc->radius(), arc->startAngle(), arc->endAngle(), true));
        } else if (const auto* circle = AcDbCircle::cast(ent)) {
            edges.push_back(ArcEdge(to2d(circle->center()), circle->radius(), 0.0, host_detail::kTwoPi, true));
        } else if (const auto* ellipse = AcDbEllipse::cast(ent)) {
            Edge e;
            e.type = kEllArc;
            e.center = to2d(ellipse->center());
            e.majorAxis = AcGeVector2d(ellipse->majorAxis().dotProduct(ex), ellipse->majorAxis().dotProduct(ey));
            e.minorRatio = ellipse->radiusRatio();
            e.startAngle = ellipse->startAngle();
            e.endAngle = ellipse->endAngle();
            edges.push_back(e);
        } else if (const auto* spline = AcDbSpline::cast(ent)) {
            Edge e;
            e.type = kSpline;
            Adesk::Boolean rational = false, closed = false, periodic = false;
            AcGePoint3dArray cps;
            double ctol = 0, ktol = 0;
            spline->getNurbsData(e.degree, rational, closed, periodic, cps, e.knots, e.weights, ctol, ktol);
            e.rational = rational;
            e.periodic = periodic;
            for (const auto& p : cps) e.controlPoints.append(to2d(p));
            edges.push_back(e);
        } else if (const auto* pline = AcDbPolyline::cast(ent)) {
            const unsigned int n = pline->numVerts();
            if (n < 2) return Acad::eInvalidInput;
            AcGePoint2dArray pts;
            AcGeDoubleArray bulges;
            for (unsigned int i = 0; i < n; ++i) {
                AcGePoint3d p;
                double b = 0.0;
                pline->getPointAt(i, p);
                pline->getBulgeAt(i, b);
                pts.append(to2d(p));
                bulges.append(b);
            }
            if (dbObjIds.length() == 1 && pline->isClosed()) {
                const Acad::ErrorStatus es = appendLoop(loopType, pts, bulges);
                if (es == Acad::eOk) m_loops.back().sources = dbObjIds;
                return es;
            }
            for (unsigned int i = 0; i + 1 < n || (pline->isClosed() && i < n); ++i)
                edges.push_back(SegmentEdge(pts[static_cast<int>(i)], pts[static_cast<int>((i + 1) % n)],
                                            bulges[static_cast<int>(i)]));
        } else {
            return Acad::eInvalidInput;
        }
    }
    const Acad::ErrorStatus es = appendLoop(loopType, edges);
    if (es == Acad::eOk) m_loops.back().sources = dbObjIds;
    return es;
}

Acad::ErrorStatus AcDbHatch::removeLoopAt(int loopIndex) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_loops.erase(m_loops.begin() + loopIndex);
    m_hatchLines.clear();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                                       AcGeDoubleArray& bulges) const {
    if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
    const Loop& loop = m_loops[static_cast<std::size_t>(loopIndex)];
    if (!loop.polyline) return Acad::eInvalidInput;
    loopType = loop.type;
    vertices = loop.vertices;
    bulges = loop.bulges;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int loopIndex, Adesk::Int32& loopType, std::vector<Edge>& edges) const {
    if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
    const Loop& loop = m_loops[static_cast<std::size_t>(loopIndex)];
    if (loop.polyline) return Acad::eInvalidInput;
    loopType = loop.type;
    edges = loop.edges;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getAssocObjIdsAt(int loopIndex, AcDbObjectIdArray& dbObjIds) const {
    if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
    dbObjIds = m_loops[static_cast<std::size_t>(loopIndex)].sources;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::setAssocObjIdsAt(int loopIndex, const AcDbObjectIdArray& dbObjIds) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (loopIndex < 0 || loopIndex >= numLoops()) return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_loops[static_cast<std::size_t>(loopIndex)].sources = dbObjIds;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getSeedPointAt(unsigned int index, AcGePoint2d& pt) const {
    if (index >= static_cast<unsigned int>(m_seeds.length())) return Acad::eInvalidIndex;
    pt = m_seeds[static_cast<int>(index)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::appendSeedPoint(const AcGePoint2d& pt) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!Finite2d(pt)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_seeds.append(pt);
    return Acad::eOk;
}

// ---- the area ----

void AcDbHatch::Flatten(const Loop& loop, std::vector<AcGePoint2d>& pts, std::vector<double>& bulges) {
    pts.clear();
    bulges.clear();
    if (loop.polyline) {
        pts.assign(loop.vertices.begin(), loop.vertices.end());
        bulges.assign(loop.bulges.begin(), loop.bulges.end());
        return;
    }
    for (const Edge& e : loop.edges) {
        switch (e.type) {
        case kLine:
            pts.push_back(e.start);
            bulges.push_back(0.0);
            break;
        case kCirArc: {
            const double sweep = Sweep(e.startAngle, e.endAngle, e.isCounterClockwise);
            // Halves, so a full circle is two bulged segments.
            for (int half = 0; half < 2; ++half) {
                pts.push_back(ArcPoint(e.center, e.radius, e.startAngle + sweep * half / 2));
                bulges.push_back(std::tan(sweep / 8.0));
            }
            break;
        }
        case kEllArc: {
            const double sweep = Sweep(e.startAngle, e.endAngle, e.isCounterClockwise);
            const AcGeVector2d minor(-e.majorAxis.y * e.minorRatio, e.majorAxis.x * e.minorRatio);
            for (int i = 0; i < kCurvePoints; ++i) {
                const double t = e.startAngle + sweep * i / kCurvePoints;
                pts.push_back(e.center + e.majorAxis * std::cos(t) + minor * std::sin(t));
                bulges.push_back(0.0);
            }
            break;
        }
        case kSpline: {
            const AcDbSpline spline = SplineOf(e);
            double t0 = 0, t1 = 0;
            if (spline.getStartParam(t0) != Acad::eOk || spline.getEndParam(t1) != Acad::eOk) break;
            for (int i = 0; i < kCurvePoints; ++i) {
                AcGePoint3d p;
                spline.getPointAtParam(t0 + (t1 - t0) * i / kCurvePoints, p);
                pts.push_back(AcGePoint2d(p.x, p.y));
                bulges.push_back(0.0);
            }
            break;
        }
        }
    }
}

Acad::ErrorStatus AcDbHatch::getArea(double& area) const {
    if (m_loops.empty()) return Acad::eDegenerateGeometry;
    std::vector<std::vector<AcGePoint2d>> polys;
    std::vector<double> areas;
    for (const Loop& loop : m_loops) {
        std::vector<AcGePoint2d> pts;
        std::vector<double> bulges;
        Flatten(loop, pts, bulges);
        areas.push_back(pts.size() < 2 ? 0.0 : std::fabs(SignedArea(pts, bulges)));
        polys.push_back(pts.size() < 2 ? std::vector<AcGePoint2d>() : Polygon(pts, bulges));
    }
    // Even-odd: a loop inside an odd number of others is an island.
    area = 0.0;
    for (std::size_t i = 0; i < polys.size(); ++i) {
        if (polys[i].empty()) continue;
        int depth = 0;
        for (std::size_t j = 0; j < polys.size(); ++j)
            if (j != i && !polys[j].empty() && Inside(polys[i][0], polys[j])) ++depth;
        area += depth % 2 == 0 ? areas[i] : -areas[i];
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::evaluateHatch(bool) {
    m_hatchLines.clear();
    if (isSolidFill() || m_loops.empty()) return Acad::eOk;
    std::vector<std::vector<AcGePoint2d>> polys;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const Loop& loop : m_loops) {
        std::vector<AcGePoint2d> pts;
        std::vector<double> bulges;
        Flatten(loop, pts, bulges);
        if (pts.size() < 2) continue;
        polys.push_back(Polygon(pts, bulges));
        for (const auto& p : polys.back()) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
    }
    std::vector<AcGePoint2d> lines;
    for (const PatternLine& def : m_patternLines) {
        const AcGeVector2d d(std::cos(def.angle), std::sin(def.angle));
        const AcGeVector2d n(-d.y, d.x);
        const AcGePoint2d base(def.baseX, def.baseY);
        const double gap = def.offsetX * n.x + def.offsetY * n.y;  // between neighbouring lines
        const double shift = def.offsetX * d.x + def.offsetY * d.y;
        if (!(std::fabs(gap) > 1e-12)) continue;
        double lo = 1e300, hi = -1e300;
        for (const AcGePoint2d& c : {AcGePoint2d(x0, y0), AcGePoint2d(x1, y0), AcGePoint2d(x0, y1), AcGePoint2d(x1, y1)}) {
            const double k = ((c - base).x * n.x + (c - base).y * n.y) / gap;
            lo = std::min(lo, k);
            hi = std::max(hi, k);
        }
        if (hi - lo > static_cast<double>(kMaxHatchLines)) return Acad::eHatchTooDense;
        double patternLength = 0.0;
        for (double dash : def.dashes) patternLength += std::fabs(dash);
        for (long long k = static_cast<long long>(std::floor(lo)); k <= static_cast<long long>(std::ceil(hi)); ++k) {
            const AcGePoint2d origin = base + AcGeVector2d(def.offsetX, def.offsetY) * static_cast<double>(k);
            std::vector<double> cuts;
            for (const auto& poly : polys) {
                for (std::size_t i = 0; i < poly.size(); ++i) {
                    const AcGePoint2d& a = poly[i];
                    const AcGePoint2d& b = poly[(i + 1) % poly.size()];
                    const double sa = (a - origin).x * n.x + (a - origin).y * n.y;
                    const double sb = (b - origin).x * n.x + (b - origin).y * n.y;
                    if ((sa > 0.0) == (sb > 0.0)) continue;
                    const AcGePoint2d hit = a + (b - a) * (sa / (sa - sb));
                    cuts.push_back((hit - origin).x * d.x + (hit - origin).y * d.y);
                }
            }
            std::sort(cuts.begin(), cuts.end());
            for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
                const double t0 = cuts[i], t1 = cuts[i + 1];
                if (def.dashes.isEmpty() || !(patternLength > 0.0)) {
                    lines.push_back(origin + d * t0);
                    lines.push_back(origin + d * t1);
                } else {
                    // Dashes run from the line's origin, shifted along by k offsets.
                    const double start = shift * static_cast<double>(k);
                    double t = start + std::floor((t0 - start) / patternLength) * patternLength;
                    for (int di = 0; t < t1; di = (di + 1) % def.dashes.length()) {
                        const double dash = def.dashes[di];
                        const double from = t, to = t + std::fabs(dash);
                        if (dash >= 0.0 && to >= t0 && from <= t1) {
                            lines.push_back(origin + d * std::max(from, t0));
                            lines.push_back(origin + d * std::min(to, t1));
                        }
                        t = to;
                        if (lines.size() > 2 * kMaxHatchLines) return Acad::eHatchTooDense;
                    }
                }
                if (lines.size() > 2 * kMaxHatchLines) return Acad::eHatchTooDense;
            }
        }
    }
    m_hatchLines.swap(lines);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getHatchLineDataAt(int index, AcGePoint2d& startPt, AcGePoint2d& endPt) const {
    if (index < 0 || index >= numHatchLines()) return Acad::eInvalidIndex;
    startPt = m_hatchLines[static_cast<std::size_t>(index) * 2];
    endPt = m_hatchLines[static_cast<std::size_t>(index) * 2 + 1];
    return Acad::eOk;
}

// ---- moving and boxes ----

Acad::ErrorStatus AcDbHatch::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    AcGeVector3d ex, ey;
    host_detail::PlaneAxes(m_normal, ex, ey);
    for (const Loop& loop : m_loops) {
        std::vector<AcGePoint2d> pts;
        std::vector<double> bulges;
        Flatten(loop, pts, bulges);
        AcDbExtents box;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const AcGePoint2d& p = pts[i];
            const AcGePoint2d& q = pts[(i + 1) % pts.size()];
            host_detail::AddBulgeSegmentExtents(AcGePoint3d(p.x, p.y, 0), AcGePoint3d(q.x, q.y, 0), bulges[i], box);
        }
        AcGeMatrix3d plane;
        plane.setCoordSystem(AcGePoint3d::kOrigin + m_normal * m_elevation, ex, ey, m_normal);
        extents.addExt(host_detail::TransformedBox(box, plane));
    }
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::transformBy(const AcGeMatrix3d& xform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    AcGeVector3d ex, ey;
    host_detail::PlaneAxes(m_normal, ex, ey);
    const AcGeVector3d mx = xform * ex, my = xform * ey;
    const double s = mx.length();
    if (!(s > 0.0) || std::fabs(my.length() - s) > 1e-9 * s || std::fabs(mx.dotProduct(my)) > 1e-9 * s * s)
        return Acad::eCannotScaleNonUniformly;
    assertWriteEnabled();
    const AcGeVector3d oldNormal = m_normal;
    const double oldElevation = m_elevation;
    const AcGeVector3d planeNormal = mx.crossProduct(my).normal();
    const AcGeVector3d turnedNormal = (xform * oldNormal).normal();
    const bool mirrors = planeNormal.dotProduct(turnedNormal) < 0.0;
    m_normal = turnedNormal.length() > 0.0 ? turnedNormal : planeNormal;
    AcGeVector3d nx, ny;
    host_detail::PlaneAxes(m_normal, nx, ny);
    const auto world = [&](const AcGePoint2d& p) {
        return xform * (AcGePoint3d::kOrigin + ex * p.x + ey * p.y + oldNormal * oldElevation);
    };
    const auto map = [&](const AcGePoint2d& p) {
        const AcGeVector3d w = world(p).asVector();
        return AcGePoint2d(w.dotProduct(nx), w.dotProduct(ny));
    };
    const auto mapVector = [&](const AcGeVector2d& v) {
        const AcGeVector3d w = xform * (ex * v.x + ey * v.y);
        return AcGeVector2d(w.dotProduct(nx), w.dotProduct(ny));
    };
    m_elevation = world(AcGePoint2d()).asVector().dotProduct(m_normal);
    for (Loop& loop : m_loops) {
        for (auto& p : loop.vertices) p = map(p);
        if (mirrors)
            for (double& b : loop.bulges) b = -b;
        for (Edge& e : loop.edges) {
            if (e.type == kCirArc) {
                const AcGePoint2d c = map(e.center);
                const AcGePoint2d a = map(ArcPoint(e.center, e.radius, e.startAngle));
                const AcGePoint2d b = map(ArcPoint(e.center, e.radius, e.endAngle));
                const bool full = std::fabs(e.endAngle - e.startAngle) >= host_detail::kTwoPi - 1e-12;
                e.center = c;
                e.radius *= s;
                e.startAngle = host_detail::AngleOf(a.x - c.x, a.y - c.y);
                e.endAngle = full ? e.startAngle + host_detail::kTwoPi : host_detail::AngleOf(b.x - c.x, b.y - c.y);
                if (mirrors) e.isCounterClockwise = !e.isCounterClockwise;
            } else if (e.type == kEllArc) {
                e.center = map(e.center);
                e.majorAxis = mapVector(e.majorAxis);
                if (mirrors) {
                    e.startAngle = -e.startAngle;
                    e.endAngle = -e.endAngle;
                    e.isCounterClockwise = !e.isCounterClockwise;
                }
            } else {
                e.start = map(e.start);
                e.end = map(e.end);
                for (auto& p : e.controlPoints) p = map(p);
                for (auto& p : e.fitPoints) p = map(p);
                e.startTangent = mapVector(e.startTangent);
                e.endTangent = mapVector(e.endTangent);
            }
        }
    }
    for (auto& p : m_seeds) p = map(p);
    const AcGeVector2d xTurned = mapVector(AcGeVector2d(1.0, 0.0));
    const double turn = host_detail::AngleOf(xTurned.x, xTurned.y);
    m_patternAngle = host_detail::NormalizeAngle(m_patternAngle + turn);
    m_patternScale *= s;
    if (m_patternType == kUserDefined) m_patternSpace *= s;
    const bool hadLines = !m_hatchLines.empty();
    turnAndScalePattern(turn, s);
    if (hadLines) evaluateHatch();
    return Acad::eOk;
}
