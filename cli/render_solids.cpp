// Points, filled four-cornered entities, 3D faces and wipeouts.
#include <cmath>

#include <dbents.h>
#include <dbwipeout.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

// Solids and traces run their corners 0, 1, 3, 2 around (the file's order
// is a zig-zag).
template <class Corners>
void FillQuad(Scene& scene, const Corners& ent, const Look& look) {
    AcGePoint3d p[4];
    for (Adesk::UInt16 i = 0; i < 4; ++i) ent.getPointAt(i, p[i]);
    PagePath path;
    for (int i : {0, 1, 3, 2}) scene.canvas().AddLine(path, p[i]);
    path.Close();
    scene.canvas().Fill(path, look.color, false);
}

void DrawFace(Scene& scene, const AcDbFace& face, const Look& look) {
    AcGePoint3d p[4];
    for (Adesk::UInt16 i = 0; i < 4; ++i) face.getVertexAt(i, p[i]);
    PagePath path;
    for (Adesk::UInt16 i = 0; i < 4; ++i) {
        Adesk::Boolean visible = true;
        face.isEdgeVisibleAt(i, visible);
        const AcGePoint3d& a = p[i];
        const AcGePoint3d& b = p[(i + 1) % 4];
        if (!visible || a.distanceTo(b) == 0.0) continue;
        path.MoveTo(scene.canvas().Map(a));
        scene.canvas().AddLine(path, b);
    }
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

// A point as a dot of twice the line width, whatever the point style.
void DrawPoint(Scene& scene, const AcDbPoint& point, const Look& look) {
    const PagePoint at = scene.canvas().Map(point.position());
    scene.canvas().Raw("<circle cx=\"" + SvgNumber(at.x) + "\" cy=\"" + SvgNumber(at.y) + "\" r=\"" +
                       SvgNumber(look.widthPx) + "\" fill=\"" + look.color + "\"/>\n");
}

void DrawWipeout(Scene& scene, const AcDbWipeout& wipeout) {
    PagePath path;
    for (const AcGePoint3d& p : wipeout.boundary()) scene.canvas().AddLine(path, p);
    path.Close();
    scene.canvas().Fill(path, "#ffffff", false);
}

}  // namespace

bool DrawSolidKind(Scene& scene, const AcDbEntity& ent, const Look& look) {
    if (const auto* point = AcDbPoint::cast(&ent)) DrawPoint(scene, *point, look);
    else if (const auto* solid = AcDbSolid::cast(&ent)) FillQuad(scene, *solid, look);
    else if (const auto* trace = AcDbTrace::cast(&ent)) FillQuad(scene, *trace, look);
    else if (const auto* face = AcDbFace::cast(&ent)) DrawFace(scene, *face, look);
    else if (const auto* wipeout = AcDbWipeout::cast(&ent)) DrawWipeout(scene, *wipeout);
    else return false;
    return true;
}

}  // namespace drovik::cli
