// Lines, arcs, circles, ellipses, polylines and splines as SVG paths.
#include <algorithm>
#include <cmath>
#include <memory>

#include <dbents.h>
#include <dbpl.h>
#include <dbspline.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

void PlaneAxes(const AcGeVector3d& normal, AcGeVector3d& ax, AcGeVector3d& ay) {
    const AcGeVector3d n = normal.length() > 0 ? normal.normal() : AcGeVector3d::kZAxis;
    if (n.x == 0 && n.y == 0) {
        ax = AcGeVector3d::kXAxis;
        ay = n.z > 0 ? AcGeVector3d::kYAxis : AcGeVector3d(0, -1, 0);
        if (n.z < 0) ax = AcGeVector3d(-1, 0, 0);
        return;
    }
    ax = (std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64 ? AcGeVector3d::kYAxis : AcGeVector3d::kZAxis)
             .crossProduct(n)
             .normal();
    ay = n.crossProduct(ax).normal();
}

namespace {

void DrawCircular(Scene& scene, const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double a0,
                  double a1, const Look& look) {
    AcGeVector3d ax, ay;
    PlaneAxes(normal, ax, ay);
    PagePath path;
    scene.canvas().AddArc(path, center, ax * radius, ay * radius, a0, a1);
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

void DrawEllipse(Scene& scene, const AcDbEllipse& e, const Look& look) {
    double span = e.endAngle() - e.startAngle();
    if (span <= 0) span += kTwoPi;
    PagePath path;
    scene.canvas().AddArc(path, e.center(), e.majorAxis(), e.minorAxis(), e.startAngle(), e.startAngle() + span);
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

struct Vertex {
    AcGePoint3d pt;
    double bulge = 0;
};

void AddVertices(Canvas& canvas, PagePath& path, const std::vector<Vertex>& vertices, bool closed) {
    if (vertices.empty()) return;
    canvas.AddLine(path, vertices[0].pt);
    const size_t segments = closed ? vertices.size() : vertices.size() - 1;
    for (size_t i = 0; i < segments; ++i)
        canvas.AddBulge(path, vertices[i].pt, vertices[(i + 1) % vertices.size()].pt, vertices[i].bulge);
    if (closed) path.Close();
}

void DrawLightweight(Scene& scene, const AcDbPolyline& pline, const Look& look) {
    std::vector<Vertex> vertices;
    double widest = 0.0;
    for (unsigned i = 0; i < pline.numVerts(); ++i) {
        Vertex v;
        double startWidth = 0, endWidth = 0;
        pline.getPointAt(i, v.pt);
        pline.getBulgeAt(i, v.bulge);
        pline.getWidthsAt(i, startWidth, endWidth);
        widest = std::max({widest, startWidth, endWidth});
        vertices.push_back(v);
    }
    PagePath path;
    AddVertices(scene.canvas(), path, vertices, pline.isClosed());
    // A wide polyline is drawn with its widest width along it.
    const PagePoint across = scene.canvas().MapVector(AcGeVector3d(0, widest, 0));
    scene.canvas().Stroke(path, look.color, std::max(look.widthPx, std::hypot(across.x, across.y)));
}

// The vertices of a polyline whose vertices are objects: opened through
// their ids in a database, taken from the iterator in a modelled copy.
template <class Polyline, class VertexType, class Position>
std::vector<Vertex> VerticesOf(const Polyline& pline, Position position) {
    std::vector<Vertex> vertices;
    std::unique_ptr<AcDbObjectIterator> it(pline.vertexIterator());
    for (; it && !it->done(); it->step()) {
        if (it->objectId().isNull()) {
            if (const auto* v = VertexType::cast(it->entity())) vertices.push_back(position(*v));
            continue;
        }
        VertexType* v = nullptr;
        if (pline.openVertex(v, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
        vertices.push_back(position(*v));
        v->close();
    }
    return vertices;
}

void Draw2d(Scene& scene, const AcDb2dPolyline& pline, const Look& look) {
    std::vector<Vertex> vertices = VerticesOf<AcDb2dPolyline, AcDb2dVertex>(pline, [&](const AcDb2dVertex& v) {
        return Vertex{pline.vertexPosition(v), v.bulge()};
    });
    PagePath path;
    AddVertices(scene.canvas(), path, vertices, pline.isClosed());
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

void Draw3d(Scene& scene, const AcDb3dPolyline& pline, const Look& look) {
    std::vector<Vertex> vertices = VerticesOf<AcDb3dPolyline, AcDb3dPolylineVertex>(
        pline, [](const AcDb3dPolylineVertex& v) { return Vertex{v.position(), 0.0}; });
    PagePath path;
    AddVertices(scene.canvas(), path, vertices, pline.isClosed());
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

// Splines through fine sampling: 16 points per knot span, at least 64.
void DrawSpline(Scene& scene, const AcDbSpline& spline, const Look& look) {
    double t0 = 0, t1 = 0;
    if (spline.getStartParam(t0) != Acad::eOk || spline.getEndParam(t1) != Acad::eOk || !(t1 > t0)) return;
    const int spans = std::max(1, spline.numControlPoints() - spline.degree());
    const int steps = std::min(4096, std::max(64, spans * 16));
    PagePath path;
    for (int i = 0; i <= steps; ++i) {
        AcGePoint3d p;
        if (spline.getPointAtParam(t0 + (t1 - t0) * i / steps, p) == Acad::eOk) scene.canvas().AddLine(path, p);
    }
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

}  // namespace

bool DrawCurve(Scene& scene, const AcDbEntity& ent, const Look& look) {
    if (const auto* line = AcDbLine::cast(&ent)) {
        PagePath path;
        scene.canvas().AddLine(path, line->startPoint());
        scene.canvas().AddLine(path, line->endPoint());
        scene.canvas().Stroke(path, look.color, look.widthPx);
    } else if (const auto* arc = AcDbArc::cast(&ent)) {
        double sweep = arc->endAngle() - arc->startAngle();
        if (sweep <= 0) sweep += kTwoPi;
        DrawCircular(scene, arc->center(), arc->normal(), arc->radius(), arc->startAngle(),
                     arc->startAngle() + sweep, look);
    } else if (const auto* circle = AcDbCircle::cast(&ent)) {
        DrawCircular(scene, circle->center(), circle->normal(), circle->radius(), 0.0, kTwoPi, look);
    } else if (const auto* ellipse = AcDbEllipse::cast(&ent)) {
        DrawEllipse(scene, *ellipse, look);
    } else if (const auto* pline = AcDbPolyline::cast(&ent)) {
        DrawLightweight(scene, *pline, look);
    } else if (const auto* pline2d = AcDb2dPolyline::cast(&ent)) {
        Draw2d(scene, *pline2d, look);
    } else if (const auto* pline3d = AcDb3dPolyline::cast(&ent)) {
        Draw3d(scene, *pline3d, look);
    } else if (const auto* spline = AcDbSpline::cast(&ent)) {
        DrawSpline(scene, *spline, look);
    } else {
        return false;
    }
    return true;
}

}  // namespace drovik::cli
