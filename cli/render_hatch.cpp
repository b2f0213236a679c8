// Hatches: solid ones filled, patterned ones by their pattern lines (or
// their boundary when the pattern cannot be worked out), each in a group
// titled with the pattern's name. A hatch the reader kept as read is
// first made an AcDbHatch from its tags.
#include <cmath>
#include <cstdlib>
#include <memory>

#include <dbhatch.h>
#include <dbkept.h>
#include <dbspline.h>
#include <widetext.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr double kTwoPi = 6.283185307179586;
// More pattern lines than this are drawn as the boundary instead.
constexpr int kMostPatternLines = 200000;

using Tags = std::vector<host::dxf::FileTag>;

// Reads a hatch record's tags in order.
class Cursor {
public:
    Cursor(const Tags& tags, size_t at) : m_tags(tags), m_at(at) {}
    bool Is(int code) const { return m_at < m_tags.size() && m_tags[m_at].code == code; }
    double Real(int code, double fallback = 0) {
        if (!Is(code)) return fallback;
        return std::strtod(m_tags[m_at++].value.c_str(), nullptr);
    }
    long Int(int code, long fallback = 0) {
        if (!Is(code)) return fallback;
        return std::strtol(m_tags[m_at++].value.c_str(), nullptr, 10);
    }
    std::string Text(int code) { return Is(code) ? m_tags[m_at++].value : std::string(); }
    AcGePoint2d Point(int xCode) {
        const double x = Real(xCode);
        return AcGePoint2d(x, Real(xCode + 10));
    }
    // Skips to the next tag of the code; false at the end.
    bool SeekTo(int code) {
        while (m_at < m_tags.size() && m_tags[m_at].code != code) ++m_at;
        return m_at < m_tags.size();
    }
    bool done() const { return m_at >= m_tags.size(); }
    void Skip() { ++m_at; }

private:
    const Tags& m_tags;
    size_t m_at;
};

// A clockwise arc edge of the file gives its angles mirrored.
void ReadArcEdge(Cursor& c, AcDbHatch::Edge& e, bool elliptic) {
    e.center = c.Point(10);
    if (elliptic) {
        const AcGePoint2d major = c.Point(11);
        e.majorAxis = AcGeVector2d(major.x, major.y);
    }
    (elliptic ? e.minorRatio : e.radius) = c.Real(40);
    const double start = c.Real(50) * kDegree, end = c.Real(51) * kDegree;
    e.isCounterClockwise = c.Int(73, 1) != 0;
    e.startAngle = e.isCounterClockwise ? start : -start;
    e.endAngle = e.isCounterClockwise ? end : -end;
}

void ReadSplineEdge(Cursor& c, AcDbHatch::Edge& e) {
    e.degree = static_cast<int>(c.Int(94, 3));
    e.rational = c.Int(73) != 0;
    e.periodic = c.Int(74) != 0;
    const long knots = c.Int(95), points = c.Int(96);
    for (long i = 0; i < knots && c.Is(40); ++i) e.knots.append(c.Real(40));
    for (long i = 0; i < points && c.Is(10); ++i) {
        e.controlPoints.append(c.Point(10));
        if (c.Is(42)) e.weights.append(c.Real(42));
    }
    const long fits = c.Int(97);
    for (long i = 0; i < fits && c.Is(11); ++i) e.fitPoints.append(c.Point(11));
    if (c.Is(12)) c.Point(12);
    if (c.Is(13)) c.Point(13);
}

void ReadLoop(Cursor& c, AcDbHatch& hatch) {
    const long type = c.Int(92);
    if (type & AcDbHatch::kPolyline) {
        c.Int(72);
        c.Int(73);
        const long count = c.Int(93);
        AcGePoint2dArray points;
        AcGeDoubleArray bulges;
        for (long i = 0; i < count && c.Is(10); ++i) {
            points.append(c.Point(10));
            bulges.append(c.Real(42));
        }
        hatch.appendLoop(type, points, bulges);
    } else {
        const long count = c.Int(93);
        std::vector<AcDbHatch::Edge> edges;
        for (long i = 0; i < count && c.Is(72); ++i) {
            AcDbHatch::Edge e;
            e.type = static_cast<AcDbHatch::HatchEdgeType>(c.Int(72));
            if (e.type == AcDbHatch::kLine) {
                e.start = c.Point(10);
                e.end = c.Point(11);
            } else if (e.type == AcDbHatch::kCirArc || e.type == AcDbHatch::kEllArc) {
                ReadArcEdge(c, e, e.type == AcDbHatch::kEllArc);
            } else if (e.type == AcDbHatch::kSpline) {
                ReadSplineEdge(c, e);
            } else {
                break;
            }
            edges.push_back(e);
        }
        if (!edges.empty()) hatch.appendLoop(type, edges);
    }
    const long sources = c.Int(97);
    for (long i = 0; i < sources && c.Is(330); ++i) c.Skip();
}

}  // namespace

std::unique_ptr<AcDbHatch> HatchFromTags(const Tags& tags) {
    auto hatch = std::make_unique<AcDbHatch>();
    size_t at = 0;
    while (at < tags.size() && !(tags[at].code == 100 && tags[at].value == "AcDbHatch")) ++at;
    Cursor c(tags, at < tags.size() ? at + 1 : 0);
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    std::string name = "SOLID";
    long solid = 1, patternType = AcDbHatch::kPreDefined;
    while (!c.done() && !c.Is(91)) {
        if (c.Is(30)) hatch->setElevation(c.Real(30));
        else if (c.Is(210)) normal.x = c.Real(210);
        else if (c.Is(220)) normal.y = c.Real(220);
        else if (c.Is(230)) normal.z = c.Real(230);
        else if (c.Is(2)) name = c.Text(2);
        else if (c.Is(70)) solid = c.Int(70);
        else c.Skip();
    }
    hatch->setNormal(normal);
    const long loops = c.Int(91);
    for (long i = 0; i < loops && c.Is(92); ++i) ReadLoop(c, *hatch);
    std::vector<AcDbHatch::PatternLine> lines;
    double angle = 0, scale = 1;
    bool twice = false;
    while (!c.done()) {
        if (c.Is(76)) {
            patternType = c.Int(76);
        } else if (c.Is(52)) {
            angle = c.Real(52) * kDegree;
        } else if (c.Is(41)) {
            scale = c.Real(41, 1);
        } else if (c.Is(77)) {
            twice = c.Int(77) != 0;
        } else if (c.Is(78)) {
            const long count = c.Int(78);
            for (long i = 0; i < count && c.Is(53); ++i) {
                AcDbHatch::PatternLine line;
                line.angle = c.Real(53) * kDegree;
                line.baseX = c.Real(43);
                line.baseY = c.Real(44);
                line.offsetX = c.Real(45);
                line.offsetY = c.Real(46);
                const long dashes = c.Int(79);
                for (long k = 0; k < dashes && c.Is(49); ++k) line.dashes.append(c.Real(49));
                lines.push_back(line);
            }
        } else {
            c.Skip();
        }
    }
    if (solid == 1) name = "SOLID";
    hatch->setPattern(static_cast<AcDbHatch::HatchPatternType>(patternType), host::Utf8ToWide(name.empty() ? "SOLID" : name).c_str());
    hatch->setPatternAngle(angle);
    if (scale > 0) hatch->setPatternScale(scale);
    hatch->setPatternDouble(twice);
    if (!lines.empty()) hatch->setPatternDefinitions(lines);
    return hatch;
}

namespace {

struct Plane {
    AcGeVector3d ax, ay, n;
    double elevation;
    AcGePoint3d At(double x, double y) const {
        return AcGePoint3d::kOrigin + ax * x + ay * y + n * elevation;
    }
};

double Sweep(double start, double end, bool ccw) {
    double sweep = ccw ? end - start : start - end;
    while (sweep <= 0) sweep += kTwoPi;
    while (sweep > kTwoPi + 1e-12) sweep -= kTwoPi;
    return ccw ? sweep : -sweep;
}

void AddEdge(Canvas& canvas, PagePath& path, const Plane& plane, const AcDbHatch::Edge& e) {
    switch (e.type) {
        case AcDbHatch::kLine:
            canvas.AddLine(path, plane.At(e.start.x, e.start.y));
            canvas.AddLine(path, plane.At(e.end.x, e.end.y));
            break;
        case AcDbHatch::kCirArc:
        case AcDbHatch::kEllArc: {
            AcGeVector3d u = plane.ax * e.radius, v = plane.ay * e.radius;
            if (e.type == AcDbHatch::kEllArc) {
                u = plane.ax * e.majorAxis.x + plane.ay * e.majorAxis.y;
                v = (plane.n.crossProduct(u)) * e.minorRatio;
            }
            canvas.AddArc(path, plane.At(e.center.x, e.center.y), u, v, e.startAngle,
                          e.startAngle + Sweep(e.startAngle, e.endAngle, e.isCounterClockwise));
            break;
        }
        case AcDbHatch::kSpline: {
            AcGePoint3dArray points;
            for (int i = 0; i < e.controlPoints.length(); ++i)
                points.append(plane.At(e.controlPoints[i].x, e.controlPoints[i].y));
            AcDbSpline spline(e.degree, e.rational, false, e.periodic, points, e.knots, e.weights);
            double t0 = 0, t1 = 0;
            if (points.length() > e.degree && spline.getStartParam(t0) == Acad::eOk &&
                spline.getEndParam(t1) == Acad::eOk && t1 > t0) {
                for (int i = 0; i <= 64; ++i) {
                    AcGePoint3d p;
                    if (spline.getPointAtParam(t0 + (t1 - t0) * i / 64, p) == Acad::eOk) canvas.AddLine(path, p);
                }
            } else {
                for (int i = 0; i < e.fitPoints.length(); ++i)
                    canvas.AddLine(path, plane.At(e.fitPoints[i].x, e.fitPoints[i].y));
            }
            break;
        }
    }
}

PagePath Boundary(Canvas& canvas, const AcDbHatch& hatch, const Plane& plane) {
    PagePath path;
    for (int i = 0; i < hatch.numLoops(); ++i) {
        Adesk::Int32 type = 0;
        AcGePoint2dArray points;
        AcGeDoubleArray bulges;
        std::vector<AcDbHatch::Edge> edges;
        PagePath loop;
        if (hatch.getLoopAt(i, type, points, bulges) == Acad::eOk) {
            for (int k = 0; k < points.length(); ++k) {
                const AcGePoint3d a = plane.At(points[k].x, points[k].y);
                const AcGePoint2d& q = points[(k + 1) % points.length()];
                if (k == 0) canvas.AddLine(loop, a);
                canvas.AddBulge(loop, a, plane.At(q.x, q.y), k < bulges.length() ? bulges[k] : 0.0);
            }
        } else if (hatch.getLoopAt(i, type, edges) == Acad::eOk) {
            for (const auto& e : edges) AddEdge(canvas, loop, plane, e);
        }
        loop.Close();
        path.Append(loop);
    }
    return path;
}

void Draw(Scene& scene, AcDbHatch& hatch, const Look& look) {
    Canvas& canvas = scene.canvas();
    Plane plane{};
    plane.n = hatch.normal().length() > 0 ? hatch.normal().normal() : AcGeVector3d::kZAxis;
    PlaneAxes(plane.n, plane.ax, plane.ay);
    plane.elevation = hatch.elevation();
    const std::wstring name = hatch.patternName();
    canvas.Raw("<g><title>" + EscapeXml(name) + "</title>\n");
    const PagePath boundary = Boundary(canvas, hatch, plane);
    if (hatch.isSolidFill()) {
        canvas.Fill(boundary, look.color, true);
    } else if (hatch.evaluateHatch() == Acad::eOk && hatch.numHatchLines() > 0 &&
               hatch.numHatchLines() <= kMostPatternLines) {
        PagePath lines;
        for (int i = 0; i < hatch.numHatchLines(); ++i) {
            AcGePoint2d a, b;
            if (hatch.getHatchLineDataAt(i, a, b) != Acad::eOk) continue;
            lines.MoveTo(canvas.Map(plane.At(a.x, a.y)));
            canvas.AddLine(lines, plane.At(b.x, b.y));
        }
        canvas.Stroke(lines, look.color, look.widthPx);
    } else {
        canvas.Stroke(boundary, look.color, look.widthPx);
    }
    canvas.Raw("</g>\n");
}

}  // namespace

bool DrawHatch(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look) {
    if (const auto* hatch = AcDbHatch::cast(&ent)) {
        // Working the pattern out changes the hatch's cache only: a copy.
        std::unique_ptr<AcDbHatch> copy(static_cast<AcDbHatch*>(hatch->clone()));
        if (copy) Draw(scene, *copy, look);
        return true;
    }
    const auto* kept = AcDbKeptEntity::cast(&style);
    if (!kept || kept->dxfName() != "HATCH") return false;
    std::unique_ptr<AcDbHatch> made = HatchFromTags(scene.TagsOf(style));
    Draw(scene, *made, look);
    return true;
}

}  // namespace drovik::cli
