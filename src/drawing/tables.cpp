// Symbol tables: look-ups, new records, linetypes of layers, text styles.
#include <algorithm>
#include <memory>
#include <new>

#include "drovik/drawing/tables.h"
#include "drovik/editor/command.h"

namespace {
// Closes an opened object when the handle goes out of scope.
struct CloseObject {
    void operator()(AcDbObject* obj) const { obj->close(); }
};
template <class T>
using Opened = std::unique_ptr<T, CloseObject>;

// The working database's table of that kind, open for the mode; null when
// there is no working database or the table cannot be opened.
template <class Table>
Opened<Table> OpenTable(AcDb::OpenMode mode) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    Table* table = nullptr;
    if (!db || db->getSymbolTable(table, mode) != Acad::eOk) return nullptr;
    return Opened<Table>(table);
}

// The record id as the object of class T, open for the mode; null when it
// cannot be opened as one.
template <class T>
Opened<T> OpenRecord(AcDbObjectId id, AcDb::OpenMode mode) {
    T* record = nullptr;
    if (acdbOpenObject(record, id, mode) != Acad::eOk) return nullptr;
    return Opened<T>(record);
}

template <class Table>
bool HasRecord(const wchar_t* name) {
    auto table = OpenTable<Table>(AcDb::kForRead);
    return table && table->has(name);
}

template <class Table>
bool GetRecordId(const wchar_t* name, AcDbObjectId& id, bool getErased) {
    auto table = OpenTable<Table>(AcDb::kForRead);
    return table && table->getAt(name, id, getErased) == Acad::eOk;
}

// Adds the named record to the table (open for write). The record is closed
// when it joined, deleted when it did not.
template <class Record, class Table>
bool AddRecord(Table& table, Record* record, AcDbObjectId& id) {
    if (table.add(id, record) != Acad::eOk) {
        delete record;
        return false;
    }
    record->close();
    return true;
}
}  // namespace

bool IsXNameExist(CString strAppName, bool bCreate) {
    auto table = OpenTable<AcDbRegAppTable>(AcDb::kForRead);
    if (!table) return false;
    if (table->has(strAppName)) return true;
    if (!bCreate || table->upgradeOpen() != Acad::eOk) return false;
    auto* record = new (std::nothrow) AcDbRegAppTableRecord;
    if (!record) return false;
    if (record->setName(strAppName) != Acad::eOk) {
        delete record;
        return false;
    }
    AcDbObjectId id;
    return AddRecord(*table, record, id);
}

bool IsLayerExist(CString strLayer) { return HasRecord<AcDbLayerTable>(strLayer); }

bool MakeLayer(CString strLayer, int nColor, CString strLinetype) {
    if (IsLayerExist(strLayer)) return true;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return false;
    AcCmColor color;
    const bool colorSet = color.setColorIndex(static_cast<Adesk::UInt16>(std::clamp(nColor, 0, 256))) == Acad::eOk;
    {
        auto table = OpenTable<AcDbLayerTable>(AcDb::kForWrite);
        if (!table) return false;
        auto* record = new (std::nothrow) AcDbLayerTableRecord;
        if (!record) return false;
        if (record->setName(strLayer) != Acad::eOk) {
            delete record;
            return false;
        }
        record->setLinetypeObjectId(db->continuousLinetype());
        if (colorSet) record->setColor(color);
        AcDbObjectId id;
        if (!AddRecord(*table, record, id)) return false;
    }
    SetLinetype(strLayer, strLinetype);
    return true;
}

bool SetLayerCurrent(CString strLayer) {
    if (!IsLayerExist(strLayer)) return false;
    resbuf rb{};
    rb.restype = RTSTR;
    rb.resval.rstring = acutNewString(strLayer);
    acedSetVar(L"clayer", &rb);
    acutDelString(rb.resval.rstring);
    return true;
}

bool LoadLinetype(CString strLinetype, CString strFile) {
    if (strLinetype.IsEmpty()) return false;
    if (strFile.IsEmpty()) strFile = GetAcadPath() + L"acadiso.lin";
    if (strLinetype.CompareNoCase(L"continuous") == 0) return true;
    auto table = OpenTable<AcDbLinetypeTable>(AcDb::kForRead);
    if (!table) return false;
    if (table->has(strLinetype)) return true;
    table.reset();
    acedCommand(RTSTR, L"-linetype", RTSTR, L"l", RTSTR, strLinetype.GetString(), RTSTR, strFile.GetString(),
                RTSTR, L"", 0);
    return true;
}

bool SetLinetype(CString strLayer, CString strLinetype) {
    AcDbObjectId layerId;
    if (!GetLayerId(strLayer, layerId) || !LoadLinetype(strLinetype, CString())) return false;
    AcDbObjectId linetypeId;
    if (!GetLinetypeId(strLinetype, linetypeId)) return false;
    auto layer = OpenRecord<AcDbLayerTableRecord>(layerId, AcDb::kForWrite);
    return layer && layer->setLinetypeObjectId(linetypeId) == Acad::eOk;
}

bool GetLayerId(CString strLayer, AcDbObjectId& idLayer) {
    return GetRecordId<AcDbLayerTable>(strLayer, idLayer, true);
}

bool GetLinetypeId(CString strLinetype, AcDbObjectId& idLinetype) {
    return GetRecordId<AcDbLinetypeTable>(strLinetype, idLinetype, true);
}

bool GetLinetype(CString strLayer, CString& strLinetype) {
    AcDbObjectId layerId;
    if (!GetLayerId(strLayer, layerId)) return false;
    AcDbObjectId linetypeId;
    {
        auto layer = OpenRecord<AcDbLayerTableRecord>(layerId, AcDb::kForRead);
        if (!layer) return false;
        linetypeId = layer->linetypeObjectId();
    }
    auto linetype = OpenRecord<AcDbLinetypeTableRecord>(linetypeId, AcDb::kForRead);
    if (!linetype) return false;
    wchar_t* name = nullptr;
    if (linetype->getName(name) != Acad::eOk) return false;
    strLinetype.Format(L"%s", name);
    acutDelString(name);
    return true;
}

AcDbObjectId PdGetTextStyle(const wchar_t* szStyle) {
    AcDbObjectId id;
    if (!szStyle || !GetRecordId<AcDbTextStyleTable>(szStyle, id, false)) return AcDbObjectId::kNull;
    return id;
}

AcDbObjectId PdCreateTextStyle(const wchar_t* szStyle) {
    // The font of the styles this library creates: SimSun.
    static const wchar_t* const kStyleFont = L"\u5B8B\u4F53";
    if (!szStyle) return AcDbObjectId::kNull;
    auto table = OpenTable<AcDbTextStyleTable>(AcDb::kForWrite);
    if (!table) return AcDbObjectId::kNull;
    auto* record = new (std::nothrow) AcDbTextStyleTableRecord;
    if (!record) return AcDbObjectId::kNull;
    if (record->setName(szStyle) != Acad::eOk || record->setFileName(kStyleFont) != Acad::eOk) {
        delete record;
        return AcDbObjectId::kNull;
    }
    AcDbObjectId id;
    if (!AddRecord(*table, record, id)) return AcDbObjectId::kNull;
    return id;
}
