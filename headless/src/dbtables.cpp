// Symbol tables and records, dictionaries and groups.
#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbinternal.h"
#include "dbsymtb.h"

using host_detail::FoldName;
using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbLinetypeTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbRegAppTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbDictionary, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbGroup, AcDbObject)

AcRxClass* AcDbBlockTable::recordClass() const { return AcDbBlockTableRecord::desc(); }
AcRxClass* AcDbLayerTable::recordClass() const { return AcDbLayerTableRecord::desc(); }
AcRxClass* AcDbLinetypeTable::recordClass() const { return AcDbLinetypeTableRecord::desc(); }
AcRxClass* AcDbRegAppTable::recordClass() const { return AcDbRegAppTableRecord::desc(); }
AcRxClass* AcDbTextStyleTable::recordClass() const { return AcDbTextStyleTableRecord::desc(); }

// ---- records ----

namespace {
bool IsValidSymbolName(const wchar_t* name) {
    if (!name || !*name || std::wcslen(name) > 255) return false;
    return std::wcspbrk(name, L"<>/\\\":;?*|,=`") == nullptr || (name[0] == L'*' && std::wcspbrk(name + 1, L"<>/\\\":;?*|,=`") == nullptr);
}

// Records the drawing cannot do without, by table record class.
bool IsProtectedName(const AcRxClass* cls, const std::wstring& key) {
    if (cls == AcDbLayerTableRecord::desc()) return key == L"0";
    if (cls == AcDbLinetypeTableRecord::desc()) return key == L"BYBLOCK" || key == L"BYLAYER" || key == L"CONTINUOUS";
    if (cls == AcDbRegAppTableRecord::desc()) return key == L"ACAD";
    if (cls == AcDbTextStyleTableRecord::desc()) return key == L"STANDARD";
    if (cls == AcDbBlockTableRecord::desc()) return key == L"*MODEL_SPACE";
    if (cls == AcDbDimStyleTableRecord::desc()) return key == L"STANDARD";
    return false;
}
}  // namespace

Acad::ErrorStatus AcDbSymbolTableRecord::getName(wchar_t*& name) const {
    name = acutNewString(m_name.c_str());
    return name ? Acad::eOk : Acad::eOutOfMemory;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const wchar_t*& name) const {
    name = m_name.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(CString& name) const {
    name = m_name.c_str();
    return Acad::eOk;
}

bool AcDbSymbolTableRecord::isProtected() const { return IsProtectedName(isA(), FoldName(m_name.c_str())); }

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const wchar_t* name) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!IsValidSymbolName(name)) return Acad::eInvalidSymbolTableName;
    const std::wstring newKey = FoldName(name);
    auto* table = ObjectAccess::peek<AcDbSymbolTable>(ownerId());
    if (table && database()) {
        const std::wstring oldKey = FoldName(m_name.c_str());
        if (newKey != oldKey) {
            if (isProtected()) return Acad::eCannotBeErasedByCaller;
            if (table->m_byName.count(newKey)) return Acad::eDuplicateRecordName;
            table->m_byName.erase(oldKey);
            table->m_byName[newKey] = objectId();
        }
    }
    assertWriteEnabled();
    m_name = name;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::subErase(bool erasing) {
    if (!erasing) return Acad::eOk;
    if (isProtected()) return Acad::eCannotBeErasedByCaller;
    if (database() && database()->clayer() == objectId()) return Acad::eCannotBeErasedByCaller;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::afterCopy(const AcDbObject& src) {
    const auto& record = static_cast<const AcDbSymbolTableRecord&>(src);
    return record.m_name == m_name ? Acad::eOk : setName(record.m_name.c_str());
}

Acad::ErrorStatus AcDbLayerTableRecord::setColor(const AcCmColor& color) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_color = color;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* lt = ObjectAccess::peek<AcDbLinetypeTableRecord>(id);
    if (!lt || lt->isErased()) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_linetype = id;
    return Acad::eOk;
}

#define HOST_FLAG_SETTER(CLASS, NAME, MEMBER)      \
    Acad::ErrorStatus CLASS::NAME(bool value) {    \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
        MEMBER = value;                            \
        return Acad::eOk;                          \
    }
HOST_FLAG_SETTER(AcDbLayerTableRecord, setIsLocked, m_locked)
HOST_FLAG_SETTER(AcDbLayerTableRecord, setIsOff, m_off)
HOST_FLAG_SETTER(AcDbLayerTableRecord, setIsFrozen, m_frozen)
HOST_FLAG_SETTER(AcDbLayerTableRecord, setIsHidden, m_hidden)

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const wchar_t* text) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_comments = text;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const wchar_t* name) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!name || !*name) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_fileName = name;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const wchar_t* name) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_bigFont = name;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double size) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(size >= 0.0)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_textSize = size;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double scale) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(scale > 0.0)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_xScale = scale;
    return Acad::eOk;
}

// ---- block records ----

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* pEntity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, pEntity);
}

// Appending is reported to database reactors as objectAppended only, not as
// a change of the block, so a journal need not copy the block's entity list.
Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* pEntity) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!pEntity) return Acad::eNullEntityPointer;
    if (!database()) return Acad::eNotInDatabase;
    if (pEntity->database()) return Acad::eAlreadyInDb;
    m_entities.push_back(AcDbObjectId::kNull);
    // Owned before the database tells its reactors, so they see where it is.
    ObjectAccess::setOwner(pEntity, objectId());
    const Acad::ErrorStatus es = database()->addAcDbObject(id, pEntity);
    if (es != Acad::eOk) {
        ObjectAccess::setOwner(pEntity, AcDbObjectId::kNull);
        m_entities.pop_back();
        return es;
    }
    m_entities.back() = id;
    return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbBlockTableRecord::entityIds(bool includeErased) const {
    if (includeErased) return m_entities;
    std::vector<AcDbObjectId> ids;
    ids.reserve(m_entities.size());
    for (const auto& id : m_entities)
        if (!id.isErased()) ids.push_back(id);
    return ids;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning,
                                                   bool skipDeleted) const {
    pIterator = nullptr;
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    if (!database()) return Acad::eNotInDatabase;
    pIterator = new AcDbBlockTableRecordIterator;
    pIterator->m_block = objectId();
    pIterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

const std::vector<AcDbObjectId>* AcDbBlockTableRecordIterator::entities() const {
    const auto* block = ObjectAccess::peek<AcDbBlockTableRecord>(m_block);
    return block ? &block->m_entities : nullptr;
}

void AcDbBlockTableRecordIterator::skip(bool forward, bool skipDeleted) {
    const auto* ids = entities();
    if (!ids) return;
    while (skipDeleted && !done() && (*ids)[static_cast<std::size_t>(m_pos)].isErased()) m_pos += forward ? 1 : -1;
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    const auto* ids = entities();
    m_pos = atBeginning || !ids ? 0 : static_cast<long long>(ids->size()) - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbBlockTableRecordIterator::done() const {
    const auto* ids = entities();
    return !ids || m_pos < 0 || m_pos >= static_cast<long long>(ids->size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    m_pos += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidIndex;
    id = (*entities())[static_cast<std::size_t>(m_pos)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& pEntity, AcDb::OpenMode mode,
                                                         bool openErasedEntity) const {
    pEntity = nullptr;
    AcDbObjectId id;
    const Acad::ErrorStatus es = getEntityId(id);
    return es != Acad::eOk ? es : acdbOpenAcDbEntity(pEntity, id, mode, openErasedEntity);
}

// ---- tables ----

std::wstring AcDbSymbolTable::key(const wchar_t* name) { return FoldName(name); }

Acad::ErrorStatus AcDbSymbolTable::getAt(const wchar_t* name, AcDbObjectId& id, bool getErasedRecord) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    if (!name) return Acad::eInvalidInput;
    const auto it = m_byName.find(key(name));
    if (it == m_byName.end()) return Acad::eKeyNotFound;
    if (!getErasedRecord && it->second.isErased()) return Acad::eKeyNotFound;
    id = it->second;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const wchar_t* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                         bool openErasedRecord) const {
    record = nullptr;
    AcDbObjectId id;
    const Acad::ErrorStatus es = getAt(name, id, openErasedRecord);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(record, id, mode, openErasedRecord);
}

bool AcDbSymbolTable::has(const wchar_t* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    if (!isReadEnabled()) return false;
    const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(id);
    return rec && !rec->isErased() && rec->ownerId() == objectId();
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
    AcDbObjectId id;
    return add(id, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!record) return Acad::eNullObjectPointer;
    if (!database()) return Acad::eNotInDatabase;
    if (record->database()) return Acad::eAlreadyInDb;
    if (!record->isKindOf(recordClass())) return Acad::eWrongObjectType;
    if (!IsValidSymbolName(record->m_name.c_str())) return Acad::eInvalidSymbolTableName;
    if (isA() == AcDbBlockTable::desc() && record->m_name.size() == 2 && record->m_name[0] == L'*' &&
        std::iswalpha(static_cast<wint_t>(record->m_name[1]))) {
        // An anonymous block: the letter and the next free number.
        const std::wstring stem = L"*" + std::wstring(1, static_cast<wchar_t>(std::towupper(record->m_name[1])));
        do {
            record->m_name = stem + std::to_wstring(++m_anonymous);
        } while (m_byName.count(key(record->m_name.c_str())));
    }
    const std::wstring k = key(record->m_name.c_str());
    if (m_byName.count(k)) return Acad::eDuplicateRecordName;
    const Acad::ErrorStatus es = database()->addAcDbObject(id, record);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    ObjectAccess::setOwner(record, objectId());
    m_byName[k] = id;
    m_order.push_back(id);
    return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbSymbolTable::recordIds(bool includeErased) const {
    std::vector<AcDbObjectId> ids;
    for (const auto& id : m_order)
        if (includeErased || !id.isErased()) ids.push_back(id);
    return ids;
}

// ---- dictionaries ----

std::wstring AcDbDictionary::key(const wchar_t* name) { return FoldName(name); }

Acad::ErrorStatus AcDbDictionary::getAt(const wchar_t* name, AcDbObjectId& id) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    if (!name) return Acad::eInvalidInput;
    const auto it = m_entries.find(key(name));
    if (it == m_entries.end() || it->second.id.isErased()) return Acad::eKeyNotFound;
    id = it->second.id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::getAt(const wchar_t* name, AcDbObject*& obj, AcDb::OpenMode mode) const {
    obj = nullptr;
    AcDbObjectId id;
    const Acad::ErrorStatus es = getAt(name, id);
    if (es != Acad::eOk) return es;
    return acdbOpenAcDbObject(obj, id, mode);
}

bool AcDbDictionary::has(const wchar_t* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbDictionary::has(AcDbObjectId id) const {
    if (!isReadEnabled() || id.isNull() || id.isErased()) return false;
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.second.id == id; });
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, wchar_t*& name) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    for (const auto& e : m_entries) {
        if (e.second.id == id) {
            name = acutNewString(e.second.name.c_str());
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Adesk::UInt32 AcDbDictionary::numEntries() const {
    return static_cast<Adesk::UInt32>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return !e.second.id.isErased(); }));
}

Acad::ErrorStatus AcDbDictionary::setAt(const wchar_t* name, AcDbObject* newValue, AcDbObjectId& retObjId) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!newValue) return Acad::eNullObjectPointer;
    if (!name || !*name) return Acad::eInvalidInput;
    if (!database()) return Acad::eNotInDatabase;
    if (newValue->database() && newValue->database() != database()) return Acad::eWrongDatabase;
    std::wstring entryName = name;
    if (entryName == L"*") {
        do {
            entryName = L"*A" + std::to_wstring(++m_anonymous);
        } while (m_entries.count(key(entryName.c_str())));
    }
    const std::wstring k = key(entryName.c_str());
    if (!newValue->database()) {
        const Acad::ErrorStatus es = database()->addAcDbObject(retObjId, newValue);
        if (es != Acad::eOk) return es;
    } else {
        retObjId = newValue->objectId();
    }
    assertWriteEnabled();
    ObjectAccess::setOwner(newValue, objectId());
    if (auto* group = AcDbGroup::cast(newValue)) group->m_name = entryName.c_str();
    const auto it = m_entries.find(k);
    if (it != m_entries.end() && it->second.id != retObjId) {
        AcDbObject* old = ObjectAccess::lookup(it->second.id);
        if (old && !old->isErased() && !ObjectAccess::isOpen(old)) {
            AcDbObject* opened = nullptr;
            if (acdbOpenAcDbObject(opened, it->second.id, AcDb::kForWrite) == Acad::eOk) {
                opened->erase();
                opened->close();
            }
        }
    }
    m_entries[k] = Entry{entryName, retObjId};
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const wchar_t* name) {
    AcDbObjectId id;
    return remove(name, id);
}

Acad::ErrorStatus AcDbDictionary::remove(const wchar_t* name, AcDbObjectId& returnId) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!name) return Acad::eInvalidInput;
    const auto it = m_entries.find(key(name));
    if (it == m_entries.end()) return Acad::eKeyNotFound;
    assertWriteEnabled();
    returnId = it->second.id;
    if (AcDbObject* obj = ObjectAccess::lookup(returnId)) ObjectAccess::setOwner(obj, AcDbObjectId::kNull);
    m_entries.erase(it);
    return Acad::eOk;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator() const {
    auto* iter = new AcDbDictionaryIterator;
    for (const auto& e : m_entries)
        if (!e.second.id.isErased()) iter->m_items.emplace_back(e.second.name, e.second.id);
    return iter;
}

bool AcDbDictionaryIterator::next() {
    if (m_pos < m_items.size()) ++m_pos;
    return !done();
}

const wchar_t* AcDbDictionaryIterator::name() const { return done() ? nullptr : m_items[m_pos].first.c_str(); }

AcDbObjectId AcDbDictionaryIterator::objectId() const { return done() ? AcDbObjectId::kNull : m_items[m_pos].second; }

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& obj, AcDb::OpenMode mode) const {
    obj = nullptr;
    if (done()) return Acad::eInvalidIndex;
    return acdbOpenAcDbObject(obj, m_items[m_pos].second, mode);
}

// ---- groups ----

AcDbGroup::AcDbGroup(const wchar_t* description, bool selectable)
    : m_description(description ? description : L""), m_selectable(selectable) {}

Acad::ErrorStatus AcDbGroup::checkMember(AcDbObjectId id) const {
    if (id.isNull()) return Acad::eNullObjectId;
    const AcDbObject* obj = ObjectAccess::lookup(id);
    if (!obj) return Acad::eUnknownHandle;
    if (obj->database() != database()) return Acad::eWrongDatabase;
    if (obj->isErased()) return Acad::eWasErased;
    if (!obj->isKindOf(AcDbEntity::desc())) return Acad::eNotAnEntity;
    if (std::find(m_members.begin(), m_members.end(), id) != m_members.end()) return Acad::eAlreadyInGroup;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::append(AcDbObjectId id) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!database()) return Acad::eNotInDatabase;
    const Acad::ErrorStatus es = checkMember(id);
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    m_members.push_back(id);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::append(const AcDbObjectIdArray& ids) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!database()) return Acad::eNotInDatabase;
    for (int i = 0; i < ids.length(); ++i) {
        Acad::ErrorStatus es = checkMember(ids[i]);
        if (es == Acad::eOk && ids.findFrom(ids[i], i + 1) >= 0) es = Acad::eAlreadyInGroup;
        if (es != Acad::eOk) return es;
    }
    assertWriteEnabled();
    for (const auto& id : ids) m_members.push_back(id);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::remove(AcDbObjectId id) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto it = std::find(m_members.begin(), m_members.end(), id);
    if (it == m_members.end()) return Acad::eNotInGroup;
    assertWriteEnabled();
    m_members.erase(it);
    return Acad::eOk;
}

bool AcDbGroup::has(const AcDbEntity* pEntity) const { return pEntity && has(pEntity->objectId()); }

bool AcDbGroup::has(AcDbObjectId id) const {
    return !id.isNull() && std::find(m_members.begin(), m_members.end(), id) != m_members.end();
}

Adesk::UInt32 AcDbGroup::numEntries() const {
    return static_cast<Adesk::UInt32>(
        std::count_if(m_members.begin(), m_members.end(), [](const AcDbObjectId& id) { return !id.isErased(); }));
}

Adesk::UInt32 AcDbGroup::allEntityIds(AcDbObjectIdArray& ids) const {
    ids.removeAll();
    for (const auto& id : m_members)
        if (!id.isErased()) ids.append(id);
    return static_cast<Adesk::UInt32>(ids.length());
}
