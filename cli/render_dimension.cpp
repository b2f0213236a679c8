// Dimensions and tables through the anonymous blocks that draw them, and
// leaders through their vertices.
#include <cstdlib>

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

}  // namespace

bool DrawDimension(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look) {
    if (const auto* dim = AcDbDimension::cast(&ent)) {
        DrawInPlace(scene, dim->dimBlockId(), look);
        return true;
    }
    const auto* kept = AcDbKeptEntity::cast(&style);
    if (!kept) return false;
    const std::string& kind = kept->dxfName();
    if (kind == "DIMENSION" || kind == "ACAD_TABLE") {
        if (const std::string* name = TagValue(scene.TagsOf(style), 2))
            DrawInPlace(scene, BlockNamed(scene.db(), *name), look);
        return true;
    }
    if (kind == "LEADER") {
        DrawLeader(scene, scene.TagsOf(style), look);
        return true;
    }
    return false;
}

}  // namespace drovik::cli
