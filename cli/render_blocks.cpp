// Block references (single and in rows and columns) with their attributes,
// drawn through their block's entities.
#include <cmath>
#include <memory>

#include <dbents.h>
#include <dbkept.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

// Arrays larger than this are drawn as their first this many cells.
constexpr long kMostCells = 10000;

void DrawAttributes(Scene& scene, const AcDbBlockReference& ref, const Inherited& from) {
    std::unique_ptr<AcDbObjectIterator> it(ref.attributeIterator());
    for (; it && !it->done(); it->step()) {
        if (it->objectId().isNull()) {
            if (const AcDbEntity* attribute = it->entity()) DrawEntity(scene, *attribute, *attribute, from);
            continue;
        }
        AcDbAttribute* attribute = nullptr;
        if (ref.openAttribute(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
        DrawEntity(scene, *attribute, *attribute, from);
        attribute->close();
    }
}

}  // namespace

void DrawBlock(Scene& scene, AcDbObjectId block, const Look& refLook) {
    if (block.isNull() || !scene.Enter(block)) return;
    const Inherited inside{refLook.color, refLook.lineweightMm, refLook.layer};
    // Copied: drawing a nested reference may add to the cache.
    const std::vector<Scene::Member> members = scene.BlockMembers(block);
    for (const Scene::Member& member : members) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, member.id, AcDb::kForRead) != Acad::eOk) continue;
        DrawEntity(scene, member.copy ? *member.copy : *ent, *ent, inside);
        ent->close();
    }
    scene.Leave(block);
}

bool DrawReference(Scene& scene, const AcDbEntity& ent, const Look& look, const Inherited& from) {
    const auto* ref = AcDbBlockReference::cast(&ent);
    if (!ref) return false;
    const AcGeMatrix3d place = ref->blockTransform();
    long columns = 1, rows = 1;
    double dx = 0, dy = 0;
    if (const auto* array = AcDbMInsertBlock::cast(ref)) {
        columns = array->columns();
        rows = array->rows();
        dx = array->columnSpacing();
        dy = array->rowSpacing();
    }
    // Cells step along the reference's turned axes.
    const AcGeVector3d across(std::cos(ref->rotation()), std::sin(ref->rotation()), 0);
    const AcGeVector3d up(-across.y, across.x, 0);
    long cells = 0;
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < columns && cells < kMostCells; ++c, ++cells) {
            scene.canvas().Push(AcGeMatrix3d::translation(across * (dx * c) + up * (dy * r)) * place);
            DrawBlock(scene, ref->blockTableRecord(), look);
            scene.canvas().Pop();
        }
    }
    DrawAttributes(scene, *ref, from);
    return true;
}

}  // namespace drovik::cli
