// Database objects, entities, the database and opening by id.
#include <algorithm>
#include <cwctype>

#include "dbdict.h"
#include "dbinternal.h"
#include "dbsymtb.h"

using host_detail::ObjectAccess;

const AcDbObjectId AcDbObjectId::kNull;

ACRX_DEFINE_MEMBERS(AcDbObject, AcRxObject)
ACRX_DEFINE_MEMBERS(AcDbEntity, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbDatabase, AcRxObject)

AcRxClass* AcRxObject::desc() {
    static AcRxClass cls(L"AcRxObject", nullptr);
    return &cls;
}
AcRxClass* AcRxObject::isA() const { return AcRxObject::desc(); }

namespace host_detail {

std::wstring FoldName(const wchar_t* name) {
    std::wstring key(name ? name : L"");
    for (auto& ch : key) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    return key;
}

XData::XData(const XData& other) {
    for (const auto& app : other.apps) apps.emplace_back(app.first, host::CopyRbList(app.second));
}

XData::~XData() {
    for (auto& app : apps) acutRelRb(app.second);
}

std::vector<AcDbDatabase*>& ObjectAccess::registry() {
    // Never destroyed: ids may be tested while the process ends.
    static auto* r = new std::vector<AcDbDatabase*>(1, nullptr);
    return *r;
}

void ObjectAccess::markOpen(AcDbObject* obj) {
    if (obj->m_openSlot >= 0 || !obj->m_db) return;
    obj->m_openSlot = static_cast<int>(obj->m_db->m_open.size());
    obj->m_db->m_open.push_back(obj);
}

void ObjectAccess::markClosed(AcDbObject* obj) {
    if (obj->m_openSlot < 0 || !obj->m_db) return;
    auto& open = obj->m_db->m_open;
    AcDbObject* last = open.back();
    open[static_cast<std::size_t>(obj->m_openSlot)] = last;
    last->m_openSlot = obj->m_openSlot;
    open.pop_back();
    obj->m_openSlot = -1;
}

static bool OnLockedLayer(const AcDbObject* obj) {
    const AcDbEntity* ent = AcDbEntity::cast(obj);
    if (!ent) return false;
    const auto* layer = ObjectAccess::peek<AcDbLayerTableRecord>(ent->layerId());
    return layer && layer->isLocked();
}

Acad::ErrorStatus ObjectAccess::open(AcDbObject* obj, AcDb::OpenMode mode) {
    if (mode == AcDb::kForWrite) {
        if (obj->m_writer) return Acad::eWasOpenForWrite;
        if (obj->m_readers > 0) return Acad::eWasOpenForRead;
        if (OnLockedLayer(obj)) return Acad::eOnLockedLayer;
        obj->m_writer = true;
        obj->m_changed = false;
    } else if (mode == AcDb::kForRead || mode == AcDb::kForNotify) {
        if (obj->m_writer) return Acad::eWasOpenForWrite;
        if (obj->m_readers >= 256) return Acad::eAtMaxReaders;
        ++obj->m_readers;
    } else {
        return Acad::eInvalidOpenState;
    }
    markOpen(obj);
    return Acad::eOk;
}

void ObjectAccess::addClosed(AcDbDatabase* db, AcDbObject* obj, AcDbObjectId owner) {
    obj->m_heldByParent = false;
    obj->m_writer = true;
    db->addAcDbObject(obj);
    obj->m_owner = owner;
    obj->m_writer = false;
    obj->m_changed = false;
    markClosed(obj);
}

void ObjectAccess::setCurrentLayerIfUnset(AcDbDatabase* db, AcDbObjectId& layer, AcDbObjectId& linetype) {
    if (layer.databaseSerial() != db->serial() || layer.isNull()) layer = db->clayer();
    if (linetype.databaseSerial() != db->serial() || linetype.isNull()) linetype = db->byLayerLinetype();
}

AcDbObjectId ObjectAccess::findRecord(AcDbObjectId tableId, const wchar_t* name) {
    const auto* table = peek<AcDbSymbolTable>(tableId);
    if (!table || !name) return AcDbObjectId::kNull;
    // The table need not be open: this is the host looking into itself.
    const bool wasReadable = table->isReadEnabled();
    auto* t = const_cast<AcDbSymbolTable*>(table);
    if (!wasReadable) ++t->m_readers;
    AcDbObjectId id;
    const bool found = table->getAt(name, id) == Acad::eOk;
    if (!wasReadable) --t->m_readers;
    return found ? id : AcDbObjectId::kNull;
}

}  // namespace host_detail

// ---- ids ----

bool AcDbObjectId::isValid() const { return ObjectAccess::lookup(*this) != nullptr; }

bool AcDbObjectId::isErased() const {
    const AcDbObject* obj = ObjectAccess::lookup(*this);
    return obj && obj->isErased();
}

AcDbDatabase* AcDbObjectId::database() const {
    return isValid() ? ObjectAccess::database(m_serial) : nullptr;
}

// ---- objects ----

AcDbObject::AcDbObject() = default;

AcDbObject::~AcDbObject() {
    if (m_db && !m_db->m_destroying) {
        // Deleted by a client while in the database: forget it there.
        ObjectAccess::markClosed(this);
        m_db->m_objects[static_cast<std::size_t>(m_id.handle())] = nullptr;
    }
    delete m_xdata;
}

Acad::ErrorStatus AcDbObject::copyFrom(const AcRxObject*) { return Acad::eNotApplicable; }

AcDbObject::AcDbObject(const AcDbObject& other)
    : AcRxObject(other), m_xdata(other.m_xdata ? new host_detail::XData(*other.m_xdata) : nullptr) {}

AcDbObject& AcDbObject::operator=(const AcDbObject& other) {
    if (this != &other) {
        host_detail::XData* copy = other.m_xdata ? new host_detail::XData(*other.m_xdata) : nullptr;
        delete m_xdata;
        m_xdata = copy;
    }
    return *this;
}

Acad::ErrorStatus AcDbObject::close() {
    if (!m_db) {
        if (m_heldByParent) return Acad::eOk;
        delete this;
        return Acad::eOk;
    }
    if (m_writer) {
        m_writer = false;
        if (m_changed) {
            m_changed = false;
            const auto reactors = m_db->m_reactors;
            for (auto* r : reactors) r->objectModified(m_db, this);
        }
    } else if (m_readers > 0) {
        --m_readers;
    } else {
        return Acad::eNotOpenForRead;
    }
    if (!m_writer && m_readers == 0) ObjectAccess::markClosed(this);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    if (m_writer) return Acad::eWasOpenForWrite;
    if (m_readers != 1) return m_readers == 0 ? Acad::eNotOpenForRead : Acad::eWasOpenForRead;
    if (host_detail::OnLockedLayer(this)) return Acad::eOnLockedLayer;
    m_readers = 0;
    m_writer = true;
    m_changed = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    if (!m_writer) return Acad::eNotOpenForWrite;
    if (!m_db) return Acad::eNotInDatabase;
    m_writer = false;
    m_readers = 1;
    if (m_changed) {
        m_changed = false;
        const auto reactors = m_db->m_reactors;
        for (auto* r : reactors) r->objectModified(m_db, this);
    }
    return Acad::eOk;
}

bool AcDbObject::assertWriteEnabled() {
    if (!m_writer) return false;
    m_touched = true;
    if (m_db && !m_changed) {
        m_changed = true;
        if (!m_db->m_reactors.empty()) {
            const auto reactors = m_db->m_reactors;
            for (auto* r : reactors) r->objectOpenedForModify(m_db, this);
        }
    }
    return true;
}

Acad::ErrorStatus AcDbObject::subErase(bool) { return Acad::eOk; }

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (!m_writer) return Acad::eNotOpenForWrite;
    if (!m_db) return Acad::eNotInDatabase;
    if (erasing == m_erased) return erasing ? Acad::eWasErased : Acad::eOk;
    const Acad::ErrorStatus es = subErase(erasing);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    m_erased = erasing;
    const auto reactors = m_db->m_reactors;
    for (auto* r : reactors) r->objectErased(m_db, this, erasing);
    return Acad::eOk;
}

resbuf* AcDbObject::xData(const wchar_t* regappName) const {
    if (!m_xdata) return nullptr;
    const std::wstring wanted = regappName ? host_detail::FoldName(regappName) : std::wstring();
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const auto& app : m_xdata->apps) {
        if (regappName && host_detail::FoldName(app.first.c_str()) != wanted) continue;
        resbuf* name = acutNewRb(1001);
        if (!name) break;
        name->resval.rstring = acutNewString(app.first.c_str());
        name->rbnext = host::CopyRbList(app.second);
        *tail = name;
        while (*tail) tail = &(*tail)->rbnext;
    }
    return head;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
    if (!m_writer) return Acad::eNotOpenForWrite;
    if (!xdata) return Acad::eInvalidInput;
    if (xdata->restype != 1001) return Acad::eBadDxfSequence;
    for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
        if (rb->restype < 1000 || rb->restype > 1071) return Acad::eBadDxfSequence;
        if (rb->restype == 1001) {
            if (!rb->resval.rstring || !*rb->resval.rstring) return Acad::eBadDxfSequence;
            if (m_db && ObjectAccess::findRecord(m_db->regAppTableId(), rb->resval.rstring).isNull())
                return Acad::eRegappIdNotFound;
        }
    }
    assertWriteEnabled();
    if (!m_xdata) m_xdata = new host_detail::XData;
    for (const resbuf* head = xdata; head;) {
        const resbuf* next = head->rbnext;
        while (next && next->restype != 1001) next = next->rbnext;
        // Copy the items between head and next.
        resbuf* items = nullptr;
        resbuf** tail = &items;
        for (const resbuf* rb = head->rbnext; rb != next; rb = rb->rbnext) {
            *tail = host::CopyRb(rb);
            if (*tail) tail = &(*tail)->rbnext;
        }
        const std::wstring key = host_detail::FoldName(head->resval.rstring);
        auto& apps = m_xdata->apps;
        auto it = std::find_if(apps.begin(), apps.end(),
                               [&](const auto& a) { return host_detail::FoldName(a.first.c_str()) == key; });
        if (it != apps.end()) {
            acutRelRb(it->second);
            if (items) {
                it->second = items;
            } else {
                apps.erase(it);
            }
        } else if (items) {
            apps.emplace_back(head->resval.rstring, items);
        }
        head = next;
    }
    if (m_xdata->apps.empty()) {
        delete m_xdata;
        m_xdata = nullptr;
    }
    return Acad::eOk;
}

// ---- entities ----

CString AcDbEntity::layer() const {
    const auto* rec = ObjectAccess::peek<AcDbLayerTableRecord>(m_layer);
    CString name;
    if (rec) rec->getName(name);
    return name;
}

Acad::ErrorStatus AcDbEntity::setLayer(const wchar_t* newVal, bool doSubents, bool allowHiddenLayer) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!newVal || !*newVal) return Acad::eInvalidInput;
    AcDbDatabase* db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (!db) return Acad::eNoDatabase;
    const AcDbObjectId id = ObjectAccess::findRecord(db->layerTableId(), newVal);
    if (id.isNull()) return Acad::eKeyNotFound;
    return setLayer(id, doSubents, allowHiddenLayer);
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal, bool, bool allowHiddenLayer) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbLayerTableRecord>(newVal);
    if (!rec || rec->isErased()) return Acad::eInvalidLayer;
    if (database() && rec->database() != database()) return Acad::eWrongDatabase;
    if (rec->isHidden() && !allowHiddenLayer) return Acad::eInvalidLayer;
    assertWriteEnabled();
    m_layer = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color, bool) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (color > 256) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_color = color;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId newVal, bool) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbLinetypeTableRecord>(newVal);
    if (!rec || rec->isErased()) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_linetype = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility newVal, bool) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (newVal != AcDb::kVisible && newVal != AcDb::kInvisible) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_visibility = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::highlight(const AcDbFullSubentPath&, bool) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    m_highlighted = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::unhighlight(const AcDbFullSubentPath&, bool) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    m_highlighted = false;
    return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* pDb) {
    AcDbDatabase* db = pDb ? pDb : (database() ? database() : acdbHostApplicationServices()->workingDatabase());
    if (!db || !assertWriteEnabled()) return;
    m_layer = db->clayer();
    m_linetype = db->byLayerLinetype();
    m_color = 256;
    m_visibility = AcDb::kVisible;
    m_lineWeight = AcDb::kLnWtByLayer;
    m_linetypeScale = 1.0;
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const { return Acad::eNotApplicable; }

void AcDbExtents::addPoint(const AcGePoint3d& pt) {
    if (m_empty) {
        m_min = m_max = pt;
        m_empty = false;
        return;
    }
    m_min.set(std::min(m_min.x, pt.x), std::min(m_min.y, pt.y), std::min(m_min.z, pt.z));
    m_max.set(std::max(m_max.x, pt.x), std::max(m_max.y, pt.y), std::max(m_max.z, pt.z));
}

void AcDbExtents::addExt(const AcDbExtents& other) {
    if (other.m_empty) return;
    addPoint(other.m_min);
    addPoint(other.m_max);
}

void AcDbEntity::subAppended() { ObjectAccess::setCurrentLayerIfUnset(database(), m_layer, m_linetype); }

// ---- database ----

AcDbDatabase::AcDbDatabase(bool, bool) : m_objects(1, nullptr) {
    auto& registry = ObjectAccess::registry();
    m_serial = static_cast<Adesk::UInt32>(registry.size());
    registry.push_back(this);

    auto* blocks = new AcDbBlockTable;
    addAcDbObject(m_blockTable, blocks);
    auto* model = new AcDbBlockTableRecord;
    model->setName(ACDB_MODEL_SPACE);
    blocks->add(m_modelSpace, model);
    model->close();
    blocks->close();

    auto* linetypes = new AcDbLinetypeTable;
    addAcDbObject(m_linetypeTable, linetypes);
    const struct {
        const wchar_t* name;
        AcDbObjectId* id;
    } ltypes[] = {{L"ByBlock", &m_byBlock}, {L"ByLayer", &m_byLayer}, {L"Continuous", &m_continuous}};
    for (const auto& lt : ltypes) {
        auto* rec = new AcDbLinetypeTableRecord;
        rec->setName(lt.name);
        linetypes->add(*lt.id, rec);
        rec->close();
    }
    linetypes->close();

    auto* layers = new AcDbLayerTable;
    addAcDbObject(m_layerTable, layers);
    auto* layer0 = new AcDbLayerTableRecord;
    layer0->setName(L"0");
    AcCmColor white;
    white.setColorIndex(7);
    layer0->setColor(white);
    layer0->setLinetypeObjectId(m_continuous);
    layers->add(m_clayer, layer0);
    layer0->close();
    layers->close();

    auto* apps = new AcDbRegAppTable;
    addAcDbObject(m_regAppTable, apps);
    auto* acad = new AcDbRegAppTableRecord;
    acad->setName(L"ACAD");
    apps->add(acad);
    acad->close();
    apps->close();

    auto* styles = new AcDbTextStyleTable;
    addAcDbObject(m_textStyleTable, styles);
    auto* standard = new AcDbTextStyleTableRecord;
    standard->setName(L"Standard");
    standard->setFileName(L"txt");
    styles->add(m_textstyle, standard);
    standard->close();
    styles->close();

    auto* named = new AcDbDictionary;
    addAcDbObject(m_namedDict, named);
    auto* groups = new AcDbDictionary;
    named->setAt(L"ACAD_GROUP", groups, m_groupDict);
    groups->close();
    named->close();
    // The dimension style table comes when first asked for (dimStyleTableId).
}

AcDbDatabase::~AcDbDatabase() {
    host_detail::DatabaseDestroyed(this);
    ObjectAccess::registry()[m_serial] = nullptr;
    m_destroying = true;
    for (AcDbObject* obj : m_objects) delete obj;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObject* pObj) {
    AcDbObjectId id;
    return addAcDbObject(id, pObj);
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* pObj) {
    if (!pObj) return Acad::eNullObjectPointer;
    if (pObj->m_db) return Acad::eAlreadyInDb;
    Adesk::UInt32 handle = 0;
    if (m_wantedHandle != 0) {
        // A drawing being loaded keeps the handles of its file.
        handle = m_wantedHandle;
        m_wantedHandle = 0;
        if (handle < m_objects.size() && m_objects[handle]) return Acad::eDuplicateKey;
        if (handle >= m_objects.size()) m_objects.resize(static_cast<std::size_t>(handle) + 1, nullptr);
        m_objects[handle] = pObj;
    } else {
        if (m_objects.size() >= 0xFFFFFFFFu) return Acad::eOutOfMemory;
        handle = static_cast<Adesk::UInt32>(m_objects.size());
        m_objects.push_back(pObj);
    }
    pObj->m_id = AcDbObjectId::fromParts(m_serial, handle);
    pObj->m_db = this;
    pObj->m_writer = true;
    pObj->m_changed = false;
    pObj->m_heldByParent = false;
    ObjectAccess::markOpen(pObj);
    pObj->subAppended();
    id = pObj->m_id;
    if (!m_reactors.empty()) {
        const auto reactors = m_reactors;
        for (auto* r : reactors) r->objectAppended(this, pObj);
    }
    return Acad::eOk;
}

template <class T>
static Acad::ErrorStatus OpenTable(AcDbObjectId id, T*& p, AcDb::OpenMode mode) {
    return acdbOpenObject(p, id, mode);
}

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& p, AcDb::OpenMode mode) {
    return OpenTable(m_blockTable, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& p, AcDb::OpenMode mode) {
    return OpenTable(m_layerTable, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& p, AcDb::OpenMode mode) {
    return OpenTable(m_linetypeTable, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& p, AcDb::OpenMode mode) {
    return OpenTable(m_regAppTable, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& p, AcDb::OpenMode mode) {
    return OpenTable(m_textStyleTable, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getGroupDictionary(AcDbDictionary*& p, AcDb::OpenMode mode) {
    return OpenTable(m_groupDict, p, mode);
}
Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& p, AcDb::OpenMode mode) {
    return OpenTable(m_namedDict, p, mode);
}

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layerId) {
    const auto* rec = ObjectAccess::peek<AcDbLayerTableRecord>(layerId);
    if (!rec || rec->database() != this || rec->isErased()) return Acad::eInvalidInput;
    m_clayer = layerId;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId styleId) {
    const auto* rec = ObjectAccess::peek<AcDbTextStyleTableRecord>(styleId);
    if (!rec || rec->database() != this || rec->isErased()) return Acad::eInvalidInput;
    m_textstyle = styleId;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                       const AcGeVector3d& yAxis) {
    if (xAxis.isZeroLength() || yAxis.isZeroLength() || !xAxis.isPerpendicularTo(yAxis)) return Acad::eInvalidInput;
    m_ucsOrigin = origin;
    m_ucsX = xAxis.normal();
    m_ucsY = yAxis.normal();
    return Acad::eOk;
}

void AcDbDatabase::addReactor(AcDbDatabaseReactor* reactor) {
    if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void AcDbDatabase::removeReactor(AcDbDatabaseReactor* reactor) {
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

std::vector<AcDbObjectId> AcDbDatabase::openObjectIds() const {
    std::vector<AcDbObjectId> ids;
    ids.reserve(m_open.size());
    for (const AcDbObject* obj : m_open) ids.push_back(obj->objectId());
    return ids;
}

// ---- opening ----

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                     const AcRxClass* pClass) {
    pObj = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    AcDbObject* obj = ObjectAccess::lookup(id);
    if (!obj) return Acad::eUnknownHandle;
    if (obj->isErased() && !openErased) return Acad::eWasErased;
    if (pClass && !obj->isKindOf(pClass)) return Acad::eNotThatKindOfClass;
    const Acad::ErrorStatus es = ObjectAccess::open(obj, mode);
    if (es == Acad::eOk) pObj = obj;
    return es;
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    pEnt = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    const AcDbObject* obj = ObjectAccess::lookup(id);
    if (!obj) return Acad::eUnknownHandle;
    if (obj->isErased() && !openErased) return Acad::eWasErased;
    if (!obj->isKindOf(AcDbEntity::desc())) return Acad::eNotAnEntity;
    AcDbObject* opened = nullptr;
    const Acad::ErrorStatus es = acdbOpenAcDbObject(opened, id, mode, openErased);
    pEnt = static_cast<AcDbEntity*>(opened);
    return es;
}

Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId) {
    if (objId.isNull()) return Acad::eNullObjectId;
    if (!objId.isValid()) return Acad::eUnknownHandle;
    objName[0] = static_cast<long>(objId.databaseSerial());
    objName[1] = static_cast<long>(objId.handle());
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
    if (!objName || (objName[0] == 0 && objName[1] == 0)) return Acad::eNullObjectId;
    // long is 32 bits on Windows and 64 elsewhere: compared at 64 bits.
    constexpr long long kMostPart = 0xFFFFFFFFLL;
    if (objName[0] <= 0 || objName[1] <= 0 || objName[0] > kMostPart || objName[1] > kMostPart)
        return Acad::eUnknownHandle;
    const AcDbObjectId id = AcDbObjectId::fromParts(static_cast<Adesk::UInt32>(objName[0]),
                                                    static_cast<Adesk::UInt32>(objName[1]));
    if (!id.isValid()) return Acad::eUnknownHandle;
    objId = id;
    return Acad::eOk;
}
