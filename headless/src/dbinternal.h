#pragma once
// Headless host internals shared by the database sources.
#include <string>
#include <utility>
#include <vector>

#include "acutads.h"
#include "dbmain.h"

namespace host_detail {

// Extended data of one object: per application (in the order they came),
// the items after the 1001 head.
struct XData {
    std::vector<std::pair<std::wstring, resbuf*>> apps;
    XData() = default;
    XData(const XData& other);
    XData& operator=(const XData&) = delete;
    ~XData();
};

// What a drawing file held that the database has no objects for; the file
// side derives from it. Dropped with the database's content.
struct DrawingFile {
    virtual ~DrawingFile() = default;
};

// Case-folded key for names compared without regard to case.
std::wstring FoldName(const wchar_t* name);

struct ObjectAccess {
    static std::vector<AcDbDatabase*>& registry();
    static AcDbDatabase* database(Adesk::UInt32 serial) {
        const auto& r = registry();
        return serial < r.size() ? r[serial] : nullptr;
    }
    static AcDbObject* lookup(AcDbObjectId id) {
        AcDbDatabase* db = database(id.databaseSerial());
        if (!db) return nullptr;
        const Adesk::UInt64 h = id.handle();
        if (h == 0 || h >= db->m_objects.size()) return nullptr;
        return db->m_objects[static_cast<std::size_t>(h)];
    }
    template <class T>
    static T* peek(AcDbObjectId id) {
        return T::cast(lookup(id));
    }
    static Acad::ErrorStatus open(AcDbObject* obj, AcDb::OpenMode mode);
    static void markOpen(AcDbObject* obj);
    static void markClosed(AcDbObject* obj);
    // Adds a new object to the database already closed (parts of a container).
    static void addClosed(AcDbDatabase* db, AcDbObject* obj, AcDbObjectId owner);
    static void setOwner(AcDbObject* obj, AcDbObjectId owner) { obj->m_owner = owner; }
    static void setHeldByParent(AcDbObject* obj, bool held) { obj->m_heldByParent = held; }
    static bool isOpen(const AcDbObject* obj) { return obj->m_writer || obj->m_readers > 0; }
    // Every object slot of the database by handle (null where none).
    static const std::vector<AcDbObject*>& objects(const AcDbDatabase* db) { return db->m_objects; }
    static void setExtensionDictionary(AcDbObject* obj, AcDbObjectId id) { obj->m_extDict = id; }
    // Makes the dimension style table with "Standard" and names it current,
    // unless the database has one.
    static void buildDimStyleTable(AcDbDatabase* db);
    static void setCurrentLayerIfUnset(AcDbDatabase* db, AcDbObjectId& layer, AcDbObjectId& linetype);
    static const std::vector<AcDbDatabaseReactor*>& reactors(const AcDbDatabase* db) { return db->m_reactors; }
    // The record of that name in the table (not erased), or null id.
    static AcDbObjectId findRecord(AcDbObjectId tableId, const wchar_t* name);

    // Loading a drawing file (dbload.cpp). clearForLoad empties a database
    // that has nothing open: its objects go and it takes a new serial, so ids
    // into the old content turn invalid instead of naming new objects.
    // setNextHandle makes the next added object take that handle (it must be
    // free); reserveHandles makes later objects start at seed at the least.
    // setDatabaseIds names the tables, dictionaries and records the database
    // keeps track of.
    struct DatabaseIds {
        AcDbObjectId blockTable, layerTable, linetypeTable, regAppTable, textStyleTable;
        AcDbObjectId namedDict, groupDict, modelSpace;
        AcDbObjectId clayer, textstyle, byLayer, byBlock, continuous;
        // Null: a table with "Standard" is made when first asked for.
        AcDbObjectId dimStyleTable, dimstyle;
    };
    static bool clearForLoad(AcDbDatabase* db);
    // The dimension style table without making one (null when there is none yet).
    static AcDbObjectId dimStyleTableIfAny(const AcDbDatabase* db) { return db->m_dimStyleTable; }
    static void setNextHandle(AcDbDatabase* db, Adesk::UInt32 handle) { db->m_wantedHandle = handle; }
    static void reserveHandles(AcDbDatabase* db, Adesk::UInt32 seed);
    static void setDatabaseIds(AcDbDatabase* db, const DatabaseIds& ids);
    // The file the drawing was read from (null for a new drawing).
    static DrawingFile* file(const AcDbDatabase* db) { return db->m_file.get(); }
    static void setFile(AcDbDatabase* db, std::shared_ptr<DrawingFile> file) { db->m_file = std::move(file); }
    // Whether the object changed (or was erased) since the drawing was read;
    // a loader clears the mark of the objects it made.
    static bool isTouched(const AcDbObject* obj) { return obj->m_touched; }
    static void clearTouched(AcDbObject* obj) { obj->m_touched = false; }
};

// Tells the document side that a database is going away.
void DatabaseDestroyed(AcDbDatabase* db);

}  // namespace host_detail
