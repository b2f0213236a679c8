// Table iterators, what block records know about their content and
// references, and the dimension style table.
#include <cmath>

#include "dbentsblock.h"
#include "../dbinternal.h"
#include "dbsymtb.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbDimStyleTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbDimStyleTable, AcDbSymbolTable)
AcRxClass* AcDbDimStyleTable::recordClass() const { return AcDbDimStyleTableRecord::desc(); }

// ---- iterators ----

Acad::ErrorStatus AcDbSymbolTable::startIterator(AcDbSymbolTableIterator* pIterator, bool atBeginning,
                                                 bool skipDeleted) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    if (!database()) return Acad::eNotInDatabase;
    pIterator->m_table = objectId();
    pIterator->start(atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning,
                                               bool skipDeleted) const {
    pIterator = new AcDbSymbolTableIterator;
    const Acad::ErrorStatus es = startIterator(pIterator, atBeginning, skipDeleted);
    if (es != Acad::eOk) {
        delete pIterator;
        pIterator = nullptr;
    }
    return es;
}

const std::vector<AcDbObjectId>* AcDbSymbolTableIterator::records() const {
    const auto* table = ObjectAccess::peek<AcDbSymbolTable>(m_table);
    return table ? &table->m_order : nullptr;
}

void AcDbSymbolTableIterator::skip(bool forward, bool skipDeleted) {
    const auto* ids = records();
    if (!ids) return;
    while (skipDeleted && !done() && (*ids)[static_cast<std::size_t>(m_pos)].isErased()) m_pos += forward ? 1 : -1;
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    const auto* ids = records();
    m_pos = atBeginning || !ids ? 0 : static_cast<long long>(ids->size()) - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbSymbolTableIterator::done() const {
    const auto* ids = records();
    return !ids || m_pos < 0 || m_pos >= static_cast<long long>(ids->size());
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    m_pos += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidIndex;
    id = (*records())[static_cast<std::size_t>(m_pos)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode mode,
                                                     bool openErasedRecord) const {
    pRecord = nullptr;
    AcDbObjectId id;
    const Acad::ErrorStatus es = getRecordId(id);
    return es != Acad::eOk ? es : acdbOpenObject(pRecord, id, mode, openErasedRecord);
}

// ---- block records ----

namespace {
Acad::ErrorStatus CopyOut(const std::wstring& text, ACHAR*& out) {
    out = acutNewString(text.c_str());
    return out ? Acad::eOk : Acad::eOutOfMemory;
}
}  // namespace

#define HOST_BLOCK_SETTER(NAME, TYPE, MEMBER, VALUE)                  \
    Acad::ErrorStatus AcDbBlockTableRecord::NAME(TYPE value) {       \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;     \
        MEMBER = VALUE;                                              \
        return Acad::eOk;                                            \
    }
HOST_BLOCK_SETTER(setOrigin, const AcGePoint3d&, m_origin, value)
HOST_BLOCK_SETTER(setComments, const ACHAR*, m_comments, value ? value : L"")
HOST_BLOCK_SETTER(setPathName, const ACHAR*, m_pathName, value ? value : L"")
HOST_BLOCK_SETTER(setExplodable, bool, m_explodable, value)

Acad::ErrorStatus AcDbBlockTableRecord::setBlockInsertUnits(int units) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (units < 0 || units > 24) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_insertUnits = units;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setBlockScaling(int scaling) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (scaling != 0 && scaling != 1) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_scaleUniformly = scaling == 1;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::comments(ACHAR*& text) const { return CopyOut(m_comments, text); }
Acad::ErrorStatus AcDbBlockTableRecord::pathName(ACHAR*& path) const { return CopyOut(m_pathName, path); }

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    for (const auto& id : m_entities) {
        const auto* def = ObjectAccess::peek<AcDbAttributeDefinition>(id);
        if (def && !def->isErased()) return true;
    }
    return false;
}

bool AcDbBlockTableRecord::isLayout() const {
    const wchar_t* name = nullptr;
    getName(name);
    const std::wstring key = host_detail::FoldName(name);
    return key == L"*MODEL_SPACE" || key.compare(0, 12, L"*PAPER_SPACE") == 0;
}

bool AcDbBlockTableRecord::isAnonymous() const {
    const wchar_t* name = nullptr;
    getName(name);
    return name && name[0] == L'*' && !isLayout();
}

Acad::ErrorStatus AcDbBlockTableRecord::getBlockReferenceIds(AcDbObjectIdArray& ids, bool bDirectOnly,
                                                             bool) const {
    if (!isReadEnabled()) return Acad::eNotOpenForRead;
    if (!database()) return Acad::eNotInDatabase;
    ids.removeAll();
    const auto& objects = ObjectAccess::objects(database());
    // Blocks whose references are wanted: this one, and with indirect ones
    // the blocks that hold a reference to one of them, found round by round.
    std::vector<AcDbObjectId> wanted{objectId()};
    for (std::size_t round = 0; round < wanted.size(); ++round) {
        for (const AcDbObject* obj : objects) {
            const auto* ref = AcDbBlockReference::cast(obj);
            if (!ref || ref->isErased() || ref->blockTableRecord() != wanted[round]) continue;
            if (!ids.contains(ref->objectId())) ids.append(ref->objectId());
            const AcDbObjectId owner = ref->ownerId();
            if (!bDirectOnly && ObjectAccess::peek<AcDbBlockTableRecord>(owner) &&
                std::find(wanted.begin(), wanted.end(), owner) == wanted.end())
                wanted.push_back(owner);
        }
    }
    return Acad::eOk;
}

// ---- dimension styles ----

namespace {
bool IsSize(double v) { return v >= 0.0 && std::isfinite(v); }
}  // namespace

#define HOST_DIMVAR_SETTER(NAME, MEMBER, VALID)                       \
    Acad::ErrorStatus AcDbDimStyleTableRecord::NAME(double v) {       \
        if (!isWriteEnabled()) return Acad::eNotOpenForWrite;         \
        if (!(VALID)) return Acad::eInvalidInput;                     \
        assertWriteEnabled();                                         \
        MEMBER = v;                                                   \
        return Acad::eOk;                                             \
    }
HOST_DIMVAR_SETTER(setDimasz, m_dimasz, IsSize(v))
HOST_DIMVAR_SETTER(setDimtxt, m_dimtxt, IsSize(v))
HOST_DIMVAR_SETTER(setDimexe, m_dimexe, IsSize(v))
HOST_DIMVAR_SETTER(setDimexo, m_dimexo, IsSize(v))
HOST_DIMVAR_SETTER(setDimgap, m_dimgap, IsSize(v))
HOST_DIMVAR_SETTER(setDimscale, m_dimscale, IsSize(v) && v > 0.0)

Acad::ErrorStatus AcDbDimStyleTableRecord::setDimdec(int v) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (v < 0 || v > 8) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_dimdec = v;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimStyleTableRecord::setDimtxsty(AcDbObjectId style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbTextStyleTableRecord>(style);
    if (!style.isNull() && (!rec || rec->isErased())) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_dimtxsty = style;
    return Acad::eOk;
}

// A drawing loaded from a file without dimension styles gets its table when
// it is first asked for (not while loading, which gives out the file's handles).
AcDbObjectId AcDbDatabase::dimStyleTableId() const {
    ObjectAccess::buildDimStyleTable(const_cast<AcDbDatabase*>(this));
    return m_dimStyleTable;
}

AcDbObjectId AcDbDatabase::dimstyle() const {
    ObjectAccess::buildDimStyleTable(const_cast<AcDbDatabase*>(this));
    return m_dimstyle;
}

Acad::ErrorStatus AcDbDatabase::getDimStyleTable(AcDbDimStyleTable*& p, AcDb::OpenMode mode) {
    return acdbOpenObject(p, dimStyleTableId(), mode);
}

Acad::ErrorStatus AcDbDatabase::setDimstyle(AcDbObjectId styleId) {
    const auto* rec = ObjectAccess::peek<AcDbDimStyleTableRecord>(styleId);
    if (!rec || rec->database() != this || rec->isErased()) return Acad::eInvalidInput;
    m_dimstyle = styleId;
    return Acad::eOk;
}

namespace host_detail {
void ObjectAccess::buildDimStyleTable(AcDbDatabase* db) {
    if (ObjectAccess::peek<AcDbDimStyleTable>(db->m_dimStyleTable)) {
        if (!ObjectAccess::peek<AcDbDimStyleTableRecord>(db->m_dimstyle))
            db->m_dimstyle = ObjectAccess::findRecord(db->m_dimStyleTable, L"Standard");
        return;
    }
    auto* table = new AcDbDimStyleTable;
    db->addAcDbObject(db->m_dimStyleTable, table);
    auto* standard = new AcDbDimStyleTableRecord;
    standard->setName(L"Standard");
    table->add(db->m_dimstyle, standard);
    standard->close();
    table->close();
}
}  // namespace host_detail
