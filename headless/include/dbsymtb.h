#pragma once
// Headless host: symbol tables and their records.
//
// Names are compared without regard to case and keep the spelling they were
// given. A table must be open for read to be searched and for write to take
// a new record; has() and getAt() skip erased records unless asked. Records
// the drawing cannot do without (layer "0", linetypes "ByBlock", "ByLayer"
// and "Continuous", application "ACAD", style "Standard", "*Model_Space")
// refuse erasure and renaming.
#include <string>
#include <unordered_map>

#include "dbents.h"

class AcDbSymbolTableRecord : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord)
    AcDbSymbolTableRecord() = default;
    AcDbSymbolTableRecord(const AcDbSymbolTableRecord&) = default;
    // Copies the data but keeps the name: names change through setName, which
    // keeps the table's index right (copyFrom renames that way).
    AcDbSymbolTableRecord& operator=(const AcDbSymbolTableRecord& other) {
        AcDbObject::operator=(other);
        return *this;
    }
    // A heap copy; release it with acutDelString.
    Acad::ErrorStatus getName(wchar_t*& name) const;
    // Points into the record; valid while it is open.
    Acad::ErrorStatus getName(const wchar_t*& name) const;
    Acad::ErrorStatus getName(CString& name) const;
    // Names are 1..255 characters without < > / \ " : ; ? * | , = `; a record
    // in a table cannot take the name of another one (eDuplicateRecordName).
    Acad::ErrorStatus setName(const wchar_t* name);
    bool isProtected() const;

protected:
    Acad::ErrorStatus subErase(bool erasing) override;
    Acad::ErrorStatus afterCopy(const AcDbObject& src) override;

private:
    friend class AcDbSymbolTable;
    std::wstring m_name;
};

class AcDbSymbolTable : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTable)
    Acad::ErrorStatus getAt(const wchar_t* name, AcDbObjectId& id, bool getErasedRecord = false) const;
    Acad::ErrorStatus getAt(const wchar_t* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                            bool openErasedRecord = false) const;
    bool has(const wchar_t* name) const;
    bool has(AcDbObjectId id) const;
    // The record (of the table's record class, named, new) joins the table and
    // the database and stays open for write.
    Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
    // Not in the host: the record ids in the order they were added.
    std::vector<AcDbObjectId> recordIds(bool includeErased = false) const;

protected:
    virtual AcRxClass* recordClass() const = 0;

private:
    friend class AcDbSymbolTableRecord;
    static std::wstring key(const wchar_t* name);
    std::unordered_map<std::wstring, AcDbObjectId> m_byName;
    std::vector<AcDbObjectId> m_order;
};

#define HOST_DECLARE_TABLE(TABLE, RECORD)                                                               \
    class TABLE : public AcDbSymbolTable {                                                              \
    public:                                                                                             \
        ACRX_DECLARE_MEMBERS(TABLE)                                                                     \
        using AcDbSymbolTable::getAt;                                                                   \
        Acad::ErrorStatus getAt(const wchar_t* name, RECORD*& record, AcDb::OpenMode mode,              \
                                bool openErasedRecord = false) const {                                  \
            AcDbSymbolTableRecord* p = nullptr;                                                         \
            const Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, p, mode, openErasedRecord);       \
            record = static_cast<RECORD*>(p);                                                           \
            return es;                                                                                  \
        }                                                                                               \
                                                                                                        \
    protected:                                                                                          \
        AcRxClass* recordClass() const override;                                                        \
    };

class AcDbBlockTableRecordIterator;

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord)
    // A new iterator over the block's entities (the caller deletes it); it
    // sees entities appended while it walks.
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    // The entity (new, open for write) joins the block and the database and
    // stays open for write. The record must be open for write.
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* pEntity);
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* pEntity);
    // Not in the host: the entity ids in drawing order.
    std::vector<AcDbObjectId> entityIds(bool includeErased = false) const;
    int numEntities() const { return static_cast<int>(m_entities.size()); }

private:
    friend class AcDbBlockTableRecordIterator;
    std::vector<AcDbObjectId> m_entities;
};

class AcDbBlockTableRecordIterator {
public:
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& pEntity, AcDb::OpenMode mode, bool openErasedEntity = false) const;

private:
    friend class AcDbBlockTableRecord;
    // The block is looked up by id at each step, so an iterator that outlives
    // its drawing is simply done.
    const std::vector<AcDbObjectId>* entities() const;
    void skip(bool forward, bool skipDeleted);
    AcDbObjectId m_block;
    long long m_pos = 0;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ACDB_DECLARE_COPYABLE(AcDbLayerTableRecord)
    AcCmColor color() const { return m_color; }
    Acad::ErrorStatus setColor(const AcCmColor& color);
    AcDbObjectId linetypeObjectId() const { return m_linetype; }
    Acad::ErrorStatus setLinetypeObjectId(AcDbObjectId id);
    bool isLocked() const { return m_locked; }
    Acad::ErrorStatus setIsLocked(bool locked);
    bool isOff() const { return m_off; }
    Acad::ErrorStatus setIsOff(bool off);
    bool isFrozen() const { return m_frozen; }
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isHidden() const { return m_hidden; }
    Acad::ErrorStatus setIsHidden(bool hidden);

private:
    AcCmColor m_color;
    AcDbObjectId m_linetype;
    bool m_locked = false;
    bool m_off = false;
    bool m_frozen = false;
    bool m_hidden = false;
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
public:
    ACDB_DECLARE_COPYABLE(AcDbLinetypeTableRecord)
    CString comments() const { return m_comments; }
    Acad::ErrorStatus setComments(const wchar_t* text);

private:
    CString m_comments;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
public:
    ACDB_DECLARE_COPYABLE(AcDbRegAppTableRecord)
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
public:
    ACDB_DECLARE_COPYABLE(AcDbTextStyleTableRecord)
    // Points into the record.
    Acad::ErrorStatus fileName(const wchar_t*& name) const {
        name = m_fileName.GetString();
        return Acad::eOk;
    }
    // Empty names are refused (eInvalidInput).
    Acad::ErrorStatus setFileName(const wchar_t* name);
    Acad::ErrorStatus bigFontFileName(const wchar_t*& name) const {
        name = m_bigFont.GetString();
        return Acad::eOk;
    }
    Acad::ErrorStatus setBigFontFileName(const wchar_t* name);
    double textSize() const { return m_textSize; }
    Acad::ErrorStatus setTextSize(double size);
    double xScale() const { return m_xScale; }
    Acad::ErrorStatus setXScale(double scale);

private:
    CString m_fileName;
    CString m_bigFont;
    double m_textSize = 0.0;
    double m_xScale = 1.0;
};

HOST_DECLARE_TABLE(AcDbBlockTable, AcDbBlockTableRecord)
HOST_DECLARE_TABLE(AcDbLayerTable, AcDbLayerTableRecord)
HOST_DECLARE_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord)
HOST_DECLARE_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord)
HOST_DECLARE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord)

#define ACDB_MODEL_SPACE L"*Model_Space"
