// Copying entities out of blocks and the box of a block's content.
#include "entity_copy.h"

#include "../dbinternal.h"
#include "dbents.h"
#include "dbpl.h"
#include "dbspline.h"
#include "dbsymtb.h"
#include "geom_internal.h"

namespace host_detail {

namespace {
int g_blockDepth = 0;  // nesting of BlockContentExtents (the host runs on one thread)

void CopyEntityData(AcDbEntity& to, const AcDbEntity& from) {
    to.AcDbEntity::operator=(from);
    ObjectAccess::setExtensionDictionary(&to, AcDbObjectId::kNull);
}

template <class Pline, class Vertex>
std::vector<const Vertex*> VerticesOf(const Pline& pline) {
    std::vector<const Vertex*> result;
    AcDbObjectIterator* iter = pline.vertexIterator();
    for (; !iter->done(); iter->step())
        if (const auto* v = Vertex::cast(iter->entity())) result.push_back(v);
    delete iter;
    return result;
}
}  // namespace

bool BlockContentExtents(AcDbObjectId blockId, AcDbExtents& extents) {
    const auto* block = ObjectAccess::peek<AcDbBlockTableRecord>(blockId);
    if (!block || g_blockDepth > 64) return false;
    ++g_blockDepth;
    extents = AcDbExtents();
    for (const auto& id : block->entityIds(false)) {
        const auto* ent = ObjectAccess::peek<AcDbEntity>(id);
        if (!ent) continue;
        const auto* def = AcDbAttributeDefinition::cast(ent);
        if (def && !def->isConstant()) continue;
        AcDbExtents box;
        if (ent->getGeomExtents(box) == Acad::eOk) extents.addExt(box);
    }
    --g_blockDepth;
    return !extents.isEmpty();
}

AcDbEntity* DeepCopy(const AcDbEntity& ent) {
    AcDbEntity* copy = nullptr;
    if (const auto* ref = AcDbBlockReference::cast(&ent)) {
        copy = ref->copyWithAttributes();
    } else if (const auto* p2 = AcDb2dPolyline::cast(&ent)) {
        auto* pline = new AcDb2dPolyline;
        CopyEntityData(*pline, ent);
        pline->setPolyType(p2->polyType());
        pline->setElevation(p2->elevation());
        if (p2->isClosed()) pline->makeClosed();
        for (const AcDb2dVertex* v : VerticesOf<AcDb2dPolyline, AcDb2dVertex>(*p2))
            pline->appendVertex(new AcDb2dVertex(*v));
        return pline;
    } else if (const auto* p3 = AcDb3dPolyline::cast(&ent)) {
        auto* pline = new AcDb3dPolyline;
        CopyEntityData(*pline, ent);
        pline->setPolyType(p3->polyType());
        if (p3->isClosed()) pline->makeClosed();
        for (const AcDb3dPolylineVertex* v : VerticesOf<AcDb3dPolyline, AcDb3dPolylineVertex>(*p3))
            pline->appendVertex(new AcDb3dPolylineVertex(*v));
        return pline;
    } else {
        copy = AcDbEntity::cast(ent.clone());
    }
    if (copy) ObjectAccess::setExtensionDictionary(copy, AcDbObjectId::kNull);
    return copy;
}

Acad::ErrorStatus TransformCopy(AcDbEntity& copy, const AcGeMatrix3d& xform) {
    if (!IsPlaneSimilarity(xform)) {
        const auto* pline = AcDbPolyline::cast(&copy);
        const bool follows = AcDbLine::cast(&copy) || AcDbPoint::cast(&copy) || AcDb3dPolyline::cast(&copy) ||
                             AcDbSolid::cast(&copy) || AcDbTrace::cast(&copy) || AcDbFace::cast(&copy) ||
                             AcDbBlockReference::cast(&copy) || AcDbSpline::cast(&copy) ||
                             (pline && !pline->hasBulges());
        if (!follows) return Acad::eCannotScaleNonUniformly;
    }
    return copy.transformBy(xform);
}

}  // namespace host_detail
