// Entities owned by an entity: vertices of polylines, attributes of block
// references (see dbents.h).
#include <algorithm>

#include "../dbinternal.h"
#include "dbents.h"

namespace host_detail {

OwnedEntities::~OwnedEntities() {
    for (AcDbEntity* e : m_held) delete e;
}

void OwnedEntities::hold(AcDbEntity* entity) {
    ObjectAccess::setHeldByParent(entity, true);
    m_held.push_back(entity);
}

Acad::ErrorStatus OwnedEntities::append(AcDbObjectId& id, AcDbEntity* entity, AcDbEntity& owner, bool withOwnersLayer) {
    if (!owner.isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!entity) return Acad::eNullObjectPointer;
    if (entity->database() || std::find(m_held.begin(), m_held.end(), entity) != m_held.end()) return Acad::eAlreadyInDb;
    owner.assertWriteEnabled();
    if (!owner.database()) {
        hold(entity);
        id = AcDbObjectId::kNull;
        return Acad::eOk;
    }
    // The slot is made first, so nothing can fail once the entity is in the
    // database; the owner is set first, so reactors see the entity owned.
    m_ids.push_back(AcDbObjectId::kNull);
    ObjectAccess::setOwner(entity, owner.objectId());
    const Acad::ErrorStatus es = owner.database()->addAcDbObject(id, entity);
    if (es != Acad::eOk) {
        ObjectAccess::setOwner(entity, AcDbObjectId::kNull);
        m_ids.pop_back();
        return es;
    }
    m_ids.back() = id;
    if (withOwnersLayer) entity->setLayer(owner.layerId(), false, true);
    return Acad::eOk;
}

void OwnedEntities::ownerAppended(AcDbEntity& owner, bool withOwnersLayer) {
    for (AcDbEntity* e : m_held) {
        if (withOwnersLayer) e->setLayer(owner.layerId(), false, true);
        ObjectAccess::addClosed(owner.database(), e, owner.objectId());
        m_ids.push_back(e->objectId());
    }
    m_held.clear();
}

AcDbObjectIterator* OwnedEntities::iterator() const {
    auto* iter = new AcDbObjectIterator;
    for (const auto& id : m_ids) iter->m_items.push_back({id, ObjectAccess::peek<AcDbEntity>(id)});
    for (AcDbEntity* e : m_held) iter->m_items.push_back({AcDbObjectId::kNull, e});
    iter->start();
    return iter;
}

std::vector<AcDbEntity*> OwnedEntities::live() const {
    std::vector<AcDbEntity*> result;
    for (const auto& id : m_ids) {
        auto* e = ObjectAccess::peek<AcDbEntity>(id);
        if (e && !e->isErased()) result.push_back(e);
    }
    result.insert(result.end(), m_held.begin(), m_held.end());
    return result;
}

bool OwnedEntities::ownedBy(AcDbObjectId id, const AcDbEntity& owner) {
    const auto* e = ObjectAccess::peek<AcDbEntity>(id);
    return e && !owner.objectId().isNull() && e->ownerId() == owner.objectId();
}

}  // namespace host_detail
