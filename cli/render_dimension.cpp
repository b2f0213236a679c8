// Kinds drawn from their kept tags: dimensions and tables through the
// anonymous blocks that draw them, leaders through their vertices, and
// construction lines (XLINE both ways, RAY one way) across the page.
#include <cmath>
#include <cstdlib>
#include <memory>

#include <dbdim.h>
#include <dbkept.h>
#include <dbsymtb.h>
#include <widetext.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

AcDbObjectId BlockNamed(AcDbDatabase* db, const std::string& name) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (!db || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
    table->getAt(host::Utf8ToWide(name).c_str(), id);
    table->close();
    return id;
}

// The block of a dimension or table is in world coordinates.
void DrawInPlace(Scene& scene, AcDbObjectId block, const Look& look) {
    scene.canvas().Push(AcGeMatrix3d::kIdentity);
    DrawBlock(scene, block, look);
    scene.canvas().Pop();
}

void DrawLeader(Scene& scene, const std::vector<host::dxf::FileTag>& tags, const Look& look) {
    PagePath path;
    double x = 0;
    bool haveX = false;
    for (const auto& t : tags) {
        if (t.code == 1001 || t.code == 0) break;
        if (t.code == 10) {
            x = std::strtod(t.value.c_str(), nullptr);
            haveX = true;
        } else if (t.code == 20 && haveX) {
            scene.canvas().AddLine(path, AcGePoint3d(x, std::strtod(t.value.c_str(), nullptr), 0));
            haveX = false;
        }
    }
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

AcGePoint3d PointAt(const std::vector<host::dxf::FileTag>& tags, int xCode) {
    AcGePoint3d p;
    if (const std::string* x = TagValue(tags, xCode)) p.x = std::strtod(x->c_str(), nullptr);
    if (const std::string* y = TagValue(tags, xCode + 10)) p.y = std::strtod(y->c_str(), nullptr);
    return p;
}

void DrawConstructionLine(Scene& scene, const std::vector<host::dxf::FileTag>& tags, bool bothWays,
                          const Look& look) {
    const AcGePoint3d base = PointAt(tags, 10);
    const AcGePoint3d to = PointAt(tags, 11);
    AcGeVector3d direction(to.x, to.y, 0);
    if (!(direction.length() > 0)) return;
    direction = direction.normal();
    // Twice the page's diagonal reaches past its edges from anywhere on it.
    const PageMapping& page = scene.canvas().page();
    const double reach = 2.0 * std::hypot(page.pageWidth(), page.pageHeight()) / page.scale();
    PagePath path;
    scene.canvas().AddLine(path, bothWays ? base - direction * reach : base);
    scene.canvas().AddLine(path, base + direction * reach);
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

}  // namespace

bool DrawDimension(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look) {
    const auto* kept = AcDbKeptEntity::cast(&style);
    if (const auto* dim = AcDbDimension::cast(&ent)) {
        AcDbObjectId block = dim->dimBlockId();
        // The modelled copy of a kept dimension names no block: its record does.
        if (block.isNull() && kept)
            if (const std::string* name = TagValue(scene.TagsOf(style), 2)) block = BlockNamed(scene.db(), *name);
        if (!block.isNull()) {
            DrawInPlace(scene, block, look);
            return true;
        }
        // No block draws it (the file names one it lacks): the lines, arrows
        // and text the host would make for one, as other readers draw it.
        AcDbVoidPtrArray parts;
        if (dim->explode(parts) != Acad::eOk) return true;
        const Inherited inside{look.color, look.lineweightMm, look.layer};
        for (void* part : parts) {
            const std::unique_ptr<AcDbEntity> e(static_cast<AcDbEntity*>(part));
            DrawEntity(scene, *e, *e, inside);
        }
        return true;
    }
    if (!kept) return false;
    const std::string& kind = kept->dxfName();
    if (kind == "DIMENSION" || kind == "ACAD_TABLE") {
        if (const std::string* name = TagValue(scene.TagsOf(style), 2))
            DrawInPlace(scene, BlockNamed(scene.db(), *name), look);
        return true;
    }
    if (kind == "XLINE" || kind == "RAY") {
        DrawConstructionLine(scene, scene.TagsOf(style), kind == "XLINE", look);
        return true;
    }
    if (kind == "LEADER") {
        DrawLeader(scene, scene.TagsOf(style), look);
        return true;
    }
    return false;
}

}  // namespace drovik::cli
