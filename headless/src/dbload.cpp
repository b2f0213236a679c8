// Loading support: emptying a database and giving objects the handles of a
// drawing file.
#include "dbinternal.h"
#include "editor_internal.h"

namespace host_detail {

bool ObjectAccess::clearForLoad(AcDbDatabase* db) {
    if (!db || !db->m_open.empty()) return false;
    // The editor's state (view, spatial index, undo journal) belongs to the
    // old content; it is made afresh on first use.
    EditorDatabaseDestroyed(db);
    auto& r = registry();
    r[db->m_serial] = nullptr;
    db->m_serial = static_cast<Adesk::UInt32>(r.size());
    r.push_back(db);
    db->m_destroying = true;
    for (AcDbObject* obj : db->m_objects) delete obj;
    db->m_destroying = false;
    db->m_objects.assign(1, nullptr);
    db->m_wantedHandle = 0;
    db->m_file.reset();
    db->m_ucsOrigin = AcGePoint3d();
    db->m_ucsX = AcGeVector3d::kXAxis;
    db->m_ucsY = AcGeVector3d::kYAxis;
    return true;
}

void ObjectAccess::reserveHandles(AcDbDatabase* db, Adesk::UInt32 seed) {
    if (seed > db->m_objects.size()) db->m_objects.resize(seed, nullptr);
}

void ObjectAccess::setDatabaseIds(AcDbDatabase* db, const DatabaseIds& ids) {
    db->m_blockTable = ids.blockTable;
    db->m_layerTable = ids.layerTable;
    db->m_linetypeTable = ids.linetypeTable;
    db->m_regAppTable = ids.regAppTable;
    db->m_textStyleTable = ids.textStyleTable;
    db->m_namedDict = ids.namedDict;
    db->m_groupDict = ids.groupDict;
    db->m_modelSpace = ids.modelSpace;
    db->m_clayer = ids.clayer;
    db->m_textstyle = ids.textstyle;
    db->m_byLayer = ids.byLayer;
    db->m_byBlock = ids.byBlock;
    db->m_continuous = ids.continuous;
    db->m_dimStyleTable = ids.dimStyleTable;
    db->m_dimstyle = ids.dimstyle;
}

}  // namespace host_detail
