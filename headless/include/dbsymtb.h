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

class AcDbSymbolTableIterator;

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
    // A new iterator over the records in the order they were added (the
    // caller deletes it); eNotOpenForRead when the table is not open.
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    // Not in the host: the record ids in the order they were added.
    std::vector<AcDbObjectId> recordIds(bool includeErased = false) const;

protected:
    virtual AcRxClass* recordClass() const = 0;
    // Fills a new iterator of the table's own iterator class.
    Acad::ErrorStatus startIterator(AcDbSymbolTableIterator* pIterator, bool atBeginning, bool skipDeleted) const;

private:
    friend class AcDbSymbolTableRecord;
    friend class AcDbSymbolTableIterator;
    static std::wstring key(const wchar_t* name);
    std::unordered_map<std::wstring, AcDbObjectId> m_byName;
    std::vector<AcDbObjectId> m_order;
    unsigned int m_anonymous = 0;  // numbers given to anonymous blocks
};

// Walks the records of a table. The table is looked up by id at each step,
// so an iterator that outlives its drawing is simply done.
class AcDbSymbolTableIterator {
public:
    virtual ~AcDbSymbolTableIterator() = default;
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode mode,
                                bool openErasedRecord = false) const;

private:
    friend class AcDbSymbolTable;
    const std::vector<AcDbObjectId>* records() const;
    void skip(bool forward, bool skipDeleted);
    AcDbObjectId m_table;
    long long m_pos = 0;
};

#define HOST_DECLARE_TABLE(TABLE, RECORD, ITERATOR)                                                     \
    class ITERATOR : public AcDbSymbolTableIterator {                                                   \
    public:                                                                                             \
        using AcDbSymbolTableIterator::getRecord;                                                       \
        Acad::ErrorStatus getRecord(RECORD*& record, AcDb::OpenMode mode,                               \
                                    bool openErasedRecord = false) const {                              \
            AcDbSymbolTableRecord* p = nullptr;                                                         \
            const Acad::ErrorStatus es = AcDbSymbolTableIterator::getRecord(p, mode, openErasedRecord); \
            record = static_cast<RECORD*>(p);                                                           \
            return es;                                                                                  \
        }                                                                                               \
    };                                                                                                  \
    class TABLE : public AcDbSymbolTable {                                                              \
    public:                                                                                             \
        ACRX_DECLARE_MEMBERS(TABLE)                                                                     \
        using AcDbSymbolTable::getAt;                                                                   \
        using AcDbSymbolTable::newIterator;                                                             \
        Acad::ErrorStatus newIterator(ITERATOR*& pIterator, bool atBeginning = true,                    \
                                      bool skipDeleted = true) const {                                  \
            pIterator = new ITERATOR;                                                                   \
            const Acad::ErrorStatus es = startIterator(pIterator, atBeginning, skipDeleted);            \
            if (es != Acad::eOk) {                                                                      \
                delete pIterator;                                                                       \
                pIterator = nullptr;                                                                    \
            }                                                                                           \
            return es;                                                                                  \
        }                                                                                               \
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

// A block: its entities, base point and description. The table gives a
// block named "*U", "*D" (or another "*" and one letter) an anonymous name of
// its own: the letter and a number ("*U3"). Changes to a block record are not
// undone by the undo journal (it cannot be copied), its entities are.
class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord)
    // The base point: block references place it at their position.
    AcGePoint3d origin() const { return m_origin; }
    Acad::ErrorStatus setOrigin(const AcGePoint3d& pt);
    // The description (a heap copy; release with acutDelString).
    Acad::ErrorStatus comments(ACHAR*& text) const;
    Acad::ErrorStatus setComments(const ACHAR* text);
    // An external reference's file path (empty for an ordinary block).
    Acad::ErrorStatus pathName(ACHAR*& path) const;
    Acad::ErrorStatus setPathName(const ACHAR* path);
    bool isFromExternalReference() const { return !m_pathName.empty(); }
    // Whether any entity of the block (not erased) is an attribute definition.
    bool hasAttributeDefinitions() const;
    // A name starting with "*" other than the layouts'.
    bool isAnonymous() const;
    // Model space and paper space ("*Model_Space", "*Paper_Space...").
    bool isLayout() const;
    // The block references (not erased) that insert this block; with
    // bDirectOnly false also those inserting blocks that hold one.
    Acad::ErrorStatus getBlockReferenceIds(AcDbObjectIdArray& ids, bool bDirectOnly = true,
                                           bool bForceValidity = false) const;
    // Units of the block when inserted (the INSUNITS codes, 0 unitless).
    int blockInsertUnits() const { return m_insertUnits; }
    Acad::ErrorStatus setBlockInsertUnits(int units);
    bool explodable() const { return m_explodable; }
    Acad::ErrorStatus setExplodable(bool explodable);
    // 0: any scale, 1: references scale uniformly.
    int blockScaling() const { return m_scaleUniformly ? 1 : 0; }
    Acad::ErrorStatus setBlockScaling(int scaling);
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
    AcGePoint3d m_origin;
    std::wstring m_comments;
    std::wstring m_pathName;
    int m_insertUnits = 0;
    bool m_explodable = true;
    bool m_scaleUniformly = false;
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

// A dimension style: the sizes dimensions draw their parts with. The
// database starts with "Standard" (metric sizes, the values of the host's
// metric template).
class AcDbDimStyleTableRecord : public AcDbSymbolTableRecord {
public:
    ACDB_DECLARE_COPYABLE(AcDbDimStyleTableRecord)
    double dimasz() const { return m_dimasz; }  // arrow size
    double dimtxt() const { return m_dimtxt; }  // text height
    double dimexe() const { return m_dimexe; }  // extension beyond the dimension line
    double dimexo() const { return m_dimexo; }  // extension line offset from the points
    double dimgap() const { return m_dimgap; }  // gap between text and dimension line
    double dimscale() const { return m_dimscale; }
    int dimdec() const { return m_dimdec; }     // decimal places of the measured text
    AcDbObjectId dimtxsty() const { return m_dimtxsty; }
    // Sizes must be finite and not negative, dimscale positive, dimdec 0..8
    // (eInvalidInput).
    Acad::ErrorStatus setDimasz(double v);
    Acad::ErrorStatus setDimtxt(double v);
    Acad::ErrorStatus setDimexe(double v);
    Acad::ErrorStatus setDimexo(double v);
    Acad::ErrorStatus setDimgap(double v);
    Acad::ErrorStatus setDimscale(double v);
    Acad::ErrorStatus setDimdec(int v);
    Acad::ErrorStatus setDimtxsty(AcDbObjectId style);

private:
    double m_dimasz = 2.5;
    double m_dimtxt = 2.5;
    double m_dimexe = 1.25;
    double m_dimexo = 0.625;
    double m_dimgap = 0.625;
    double m_dimscale = 1.0;
    int m_dimdec = 2;
    AcDbObjectId m_dimtxsty;
};

HOST_DECLARE_TABLE(AcDbBlockTable, AcDbBlockTableRecord, AcDbBlockTableIterator)
HOST_DECLARE_TABLE(AcDbLayerTable, AcDbLayerTableRecord, AcDbLayerTableIterator)
HOST_DECLARE_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord, AcDbLinetypeTableIterator)
HOST_DECLARE_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord, AcDbRegAppTableIterator)
HOST_DECLARE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord, AcDbTextStyleTableIterator)
HOST_DECLARE_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord, AcDbDimStyleTableIterator)

#define ACDB_MODEL_SPACE L"*Model_Space"
#define ACDB_PAPER_SPACE L"*Paper_Space"
