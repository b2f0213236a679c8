#pragma once
// Headless host: the drawing database, its objects and entities.
//
// Objects and open rules
// - A database owns its objects; clients reach them by id and open them with
//   acdbOpenAcDbObject / acdbOpenAcDbEntity / acdbOpenObject, for read or for
//   write, then close them. An object is open for many readers (at most 256)
//   or for one writer; a conflicting open answers eWasOpenForRead or
//   eWasOpenForWrite. Erased objects are refused (eWasErased) unless the
//   caller asks for them; an entity on a locked layer cannot be opened for
//   write (eOnLockedLayer).
// - A new object is open for write and belongs to nobody. Adding it to the
//   database (a block record, a symbol table, a dictionary) gives it an id and
//   leaves it open for write; closing it then hands it to the database. Closing
//   an object that never reached a database deletes it.
// - Every change goes through assertWriteEnabled(), which refuses it on an
//   object not open for write and tells the database reactors the first time
//   an open object is changed (objectOpenedForModify, before the change), so
//   an undo journal can take a snapshot with clone(); closing a changed object
//   reports objectModified. Appends and erasures are reported as well.
// - Erased objects stay in the database (erase(false) brings them back) until
//   the database is destroyed with its document. Deleting a database object
//   with delete (a client fault) takes it out of the database first, so its
//   id turns unknown instead of leading to freed memory.
//
// Not in the host: AcDbEntity::layer() answers a CString rather than a heap
// string, so no caller has to free it; isHighlighted() reports the highlight
// state; the database reports its open objects (openObjectIds).
#include <memory>
#include <vector>

#include "AdAChar.h"
#include "acadstrc.h"
#include "adsdef.h"
#include "afxstr.h"
#include "dbcolor.h"
#include "dbid.h"
#include "gegeometry.h"
#include "gearrays.h"
#include "rxobject.h"

namespace AcDb {
enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum Visibility { kVisible = 0, kInvisible = 1 };
enum SubentType { kNullSubentType = 0, kFaceSubentType, kEdgeSubentType, kVertexSubentType };
enum Poly2dType { k2dSimplePoly = 0, k2dFitCurvePoly = 1, k2dQuadSplinePoly = 2, k2dCubicSplinePoly = 3 };
enum Vertex2dType { k2dVertex = 0, k2dSplineCtlVertex = 1, k2dSplineFitVertex = 2, k2dCurveFitVertex = 3 };
enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
enum Poly3dType { k3dSimplePoly = 0, k3dQuadSplinePoly = 1, k3dCubicSplinePoly = 2 };
enum Vertex3dType { k3dSimpleVertex = 0, k3dControlVertex = 1, k3dFitVertex = 2 };
enum LineWeight {
    kLnWt000 = 0, kLnWt005 = 5, kLnWt009 = 9, kLnWt013 = 13, kLnWt015 = 15, kLnWt018 = 18, kLnWt020 = 20,
    kLnWt025 = 25, kLnWt030 = 30, kLnWt035 = 35, kLnWt040 = 40, kLnWt050 = 50, kLnWt053 = 53, kLnWt060 = 60,
    kLnWt070 = 70, kLnWt080 = 80, kLnWt090 = 90, kLnWt100 = 100, kLnWt106 = 106, kLnWt120 = 120,
    kLnWt140 = 140, kLnWt158 = 158, kLnWt200 = 200, kLnWt211 = 211,
    kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3
};
enum DimArrowFlags { kFirstArrow = 0, kSecondArrow = 1 };
}  // namespace AcDb

// Entities handed out by explode (the caller owns them).
using AcDbVoidPtrArray = AcArray<void*>;

class AcDbDatabase;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbRegAppTable;
class AcDbTextStyleTable;
class AcDbDictionary;
class AcDbDimStyleTable;

class AcDbSubentId {
public:
    AcDbSubentId() = default;
    AcDbSubentId(AcDb::SubentType type, Adesk::IntPtr index) : m_type(type), m_index(index) {}
    AcDb::SubentType type() const { return m_type; }
    Adesk::IntPtr index() const { return m_index; }
    bool operator==(const AcDbSubentId& o) const { return m_type == o.m_type && m_index == o.m_index; }

private:
    AcDb::SubentType m_type = AcDb::kNullSubentType;
    Adesk::IntPtr m_index = 0;
};

class AcDbFullSubentPath {
public:
    AcDbFullSubentPath() = default;
    AcDbFullSubentPath(AcDbObjectId id, AcDbSubentId subent) : m_subent(subent) {
        if (!id.isNull()) m_ids.append(id);
    }
    AcDbFullSubentPath(AcDb::SubentType type, Adesk::IntPtr index) : m_subent(type, index) {}
    const AcDbObjectIdArray& objectIds() const { return m_ids; }
    const AcDbSubentId& subentId() const { return m_subent; }
    // No object path and a null sub-entity: the whole entity.
    bool isNull() const { return m_ids.isEmpty() && m_subent.type() == AcDb::kNullSubentType; }

private:
    AcDbObjectIdArray m_ids;
    AcDbSubentId m_subent;
};

namespace host_detail {
struct XData;
struct ObjectAccess;
struct DrawingFile;
}  // namespace host_detail

class AcDbObject : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbObject)
    AcDbObject();
    ~AcDbObject() override;
    // Copies the data (extended data included), not the identity: the copy
    // is a new object, open for write, in no database.
    AcDbObject(const AcDbObject& other);
    // Takes over the data of other; identity and open state stay.
    AcDbObject& operator=(const AcDbObject& other);

    AcDbObjectId objectId() const { return m_id; }
    AcDbObjectId ownerId() const { return m_owner; }
    AcDbDatabase* database() const { return m_db; }
    bool isNewObject() const { return m_id.isNull(); }

    bool isReadEnabled() const { return m_writer || m_readers > 0; }
    bool isWriteEnabled() const { return m_writer; }
    bool isErased() const { return m_erased; }

    // Ends one open (the writer's, or one reader's). For an object in no
    // database: deletes it, unless a parent holds it.
    Acad::ErrorStatus close();
    Acad::ErrorStatus upgradeOpen();    // the only reader becomes the writer
    Acad::ErrorStatus downgradeOpen();  // the writer becomes a reader
    // Erases (true) or brings back (false); needs the object open for write.
    Acad::ErrorStatus erase(bool erasing = true);

    // Extended data of one registered application (or of all, for null),
    // as a new list the caller releases with acutRelRb; null when none.
    resbuf* xData(const wchar_t* regappName = nullptr) const;
    // Replaces the data of each application the list names (a list holding
    // only the 1001 item removes that application's data). The list starts
    // with a 1001 item whose application is registered in the database.
    Acad::ErrorStatus setXData(const resbuf* xdata);

    // False when the object is not open for write; otherwise records that it
    // is about to change (see the header comment) and answers true.
    bool assertWriteEnabled();
    bool assertReadEnabled() const { return isReadEnabled(); }

    // Takes over the data of other, an object of the same class (a clone()
    // snapshot, say), keeping this object's identity; needs the object open
    // for write. This is how an undo journal puts a snapshot back. Classes
    // without clone() answer eNotApplicable.
    virtual Acad::ErrorStatus copyFrom(const AcRxObject* other);

    // The object's extension dictionary; the null id when it has none (or
    // its dictionary was erased, by undo for instance).
    AcDbObjectId extensionDictionary() const;
    // Gives the object (open for write, in a database) an empty extension
    // dictionary it owns, closed; eAlreadyInDb when it has one already,
    // eNotInDatabase for a new object.
    Acad::ErrorStatus createExtensionDictionary();
    // Erases the extension dictionary when it holds no entries (eInvalidInput
    // when it does); eOk when there is none.
    Acad::ErrorStatus releaseExtensionDictionary();

protected:
    // Called by copyFrom after the data was copied.
    virtual Acad::ErrorStatus afterCopy(const AcDbObject&) { return Acad::eOk; }
    // Refuses the erasure of objects the database cannot do without.
    virtual Acad::ErrorStatus subErase(bool erasing);
    // Called once the object has joined a database.
    virtual void subAppended() {}

private:
    friend class AcDbDatabase;
    friend struct host_detail::ObjectAccess;

    AcDbObjectId m_id;
    AcDbObjectId m_owner;
    AcDbDatabase* m_db = nullptr;
    host_detail::XData* m_xdata = nullptr;
    AcDbObjectId m_extDict;
    int m_openSlot = -1;
    unsigned short m_readers = 0;
    bool m_writer = true;
    bool m_erased = false;
    bool m_changed = false;
    bool m_heldByParent = false;
    bool m_touched = false;  // changed since the drawing was read (see ObjectAccess)
};

#define ACDB_DECLARE_COPYABLE(CLASS)                                             \
    ACRX_DECLARE_MEMBERS(CLASS)                                                  \
    AcRxObject* clone() const override { return new CLASS(*this); }              \
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override {               \
        const CLASS* src = CLASS::cast(other);                                   \
        if (!src || src->isA() != isA()) return Acad::eNotThatKindOfClass;       \
        if (src == this) return Acad::eOk;                                       \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;                \
        *this = *src;                                                            \
        return afterCopy(*src);                                                  \
    }

// An axis-aligned box; empty until the first point is added.
class AcDbExtents {
public:
    AcDbExtents() = default;
    AcDbExtents(const AcGePoint3d& minPt, const AcGePoint3d& maxPt) : m_min(minPt), m_max(maxPt), m_empty(false) {}
    AcGePoint3d minPoint() const { return m_min; }
    AcGePoint3d maxPoint() const { return m_max; }
    bool isEmpty() const { return m_empty; }
    void addPoint(const AcGePoint3d& pt);
    void addExt(const AcDbExtents& other);

private:
    AcGePoint3d m_min;
    AcGePoint3d m_max;
    bool m_empty = true;
};

class AcDbEntity : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbEntity)

    CString layer() const;
    AcDbObjectId layerId() const { return m_layer; }
    // The layer must exist in the entity's database (the working database for
    // a new entity) and not be erased; hidden layers need allowHiddenLayer.
    Acad::ErrorStatus setLayer(const wchar_t* newVal, bool doSubents = true, bool allowHiddenLayer = false);
    Acad::ErrorStatus setLayer(AcDbObjectId newVal, bool doSubents = true, bool allowHiddenLayer = false);
    Adesk::UInt16 colorIndex() const { return m_color; }
    // 0 by block, 256 by layer, 1..255; other values: eInvalidInput.
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, bool doSubents = true);
    AcDbObjectId linetypeId() const { return m_linetype; }
    Acad::ErrorStatus setLinetype(AcDbObjectId newVal, bool doSubents = true);
    AcDb::Visibility visibility() const { return m_visibility; }
    Acad::ErrorStatus setVisibility(AcDb::Visibility newVal, bool doSubents = true);
    // Highlighting is display state: it needs the entity open, not for write.
    Acad::ErrorStatus highlight(const AcDbFullSubentPath& subId = AcDbFullSubentPath(),
                                bool highlightAll = false) const;
    Acad::ErrorStatus unhighlight(const AcDbFullSubentPath& subId = AcDbFullSubentPath(),
                                  bool highlightAll = false) const;
    bool isHighlighted() const { return m_highlighted; }
    // Current layer, colour by layer, linetype by layer and visible, from pDb
    // (null: the working database).
    void setDatabaseDefaults(AcDbDatabase* pDb = nullptr);
    Acad::ErrorStatus setLinetype(const ACHAR* newVal, bool doSubents = true);
    AcDb::LineWeight lineWeight() const { return m_lineWeight; }
    // One of the AcDb::LineWeight values; others: eInvalidInput.
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal, bool doSubents = true);
    double linetypeScale() const { return m_linetypeScale; }
    // Positive numbers only (eInvalidInput).
    Acad::ErrorStatus setLinetypeScale(double newVal, bool doSubents = true);
    // Moves the entity by the matrix (similarity transforms in the XY plane).
    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    // Appends new entities (not in a database; the caller deletes or adds
    // them) that together draw this one; eNotApplicable for entities that do
    // not break up. On failure nothing is appended.
    virtual Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const;
    // The box around the entity's geometry (texts: an estimate from height,
    // width factor and length); eNotApplicable for entities without one.
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;

protected:
    void subAppended() override;

private:
    AcDbObjectId m_layer;
    AcDbObjectId m_linetype;
    Adesk::UInt16 m_color = 256;
    AcDb::Visibility m_visibility = AcDb::kVisible;
    AcDb::LineWeight m_lineWeight = AcDb::kLnWtByLayer;
    double m_linetypeScale = 1.0;
    mutable bool m_highlighted = false;
};

// Database notifications (all empty by default).
class AcDbDatabaseReactor {
public:
    virtual ~AcDbDatabaseReactor() = default;
    virtual void objectAppended(const AcDbDatabase*, const AcDbObject*) {}
    virtual void objectOpenedForModify(const AcDbDatabase*, const AcDbObject*) {}
    virtual void objectModified(const AcDbDatabase*, const AcDbObject*) {}
    virtual void objectErased(const AcDbDatabase*, const AcDbObject*, bool /*erased*/) {}
};

class AcDbDatabase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabase)
    // A default drawing: block table with "*Model_Space", layer "0",
    // linetypes "ByBlock", "ByLayer" and "Continuous", application "ACAD",
    // text style "Standard", and the named-object dictionary holding the
    // group dictionary "ACAD_GROUP". buildDefaultDrawing false gives the
    // same: this host has no drawing files to read.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    // Makes a new object part of the database; it stays open for write.
    Acad::ErrorStatus addAcDbObject(AcDbObject* pObj);
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* pObj);

    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getDimStyleTable(AcDbDimStyleTable*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& p, AcDb::OpenMode mode) { return getBlockTable(p, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& p, AcDb::OpenMode mode) { return getLayerTable(p, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& p, AcDb::OpenMode mode) { return getLinetypeTable(p, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& p, AcDb::OpenMode mode) { return getRegAppTable(p, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& p, AcDb::OpenMode mode) { return getTextStyleTable(p, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbDimStyleTable*& p, AcDb::OpenMode mode) { return getDimStyleTable(p, mode); }
    Acad::ErrorStatus getGroupDictionary(AcDbDictionary*& p, AcDb::OpenMode mode);
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& p, AcDb::OpenMode mode);

    AcDbObjectId blockTableId() const { return m_blockTable; }
    AcDbObjectId layerTableId() const { return m_layerTable; }
    AcDbObjectId linetypeTableId() const { return m_linetypeTable; }
    AcDbObjectId regAppTableId() const { return m_regAppTable; }
    AcDbObjectId textStyleTableId() const { return m_textStyleTable; }
    AcDbObjectId dimStyleTableId() const;
    AcDbObjectId groupDictionaryId() const { return m_groupDict; }
    AcDbObjectId namedObjectsDictionaryId() const { return m_namedDict; }
    AcDbObjectId modelSpaceId() const { return m_modelSpace; }
    AcDbObjectId currentSpaceId() const { return m_modelSpace; }

    AcDbObjectId clayer() const { return m_clayer; }
    // Needs a layer record of this database that is not erased.
    Acad::ErrorStatus setClayer(AcDbObjectId layerId);
    AcDbObjectId textstyle() const { return m_textstyle; }
    Acad::ErrorStatus setTextstyle(AcDbObjectId styleId);
    // The current dimension style ("Standard" at first).
    AcDbObjectId dimstyle() const;
    Acad::ErrorStatus setDimstyle(AcDbObjectId styleId);
    AcDbObjectId celtype() const { return m_byLayer; }
    AcDbObjectId byLayerLinetype() const { return m_byLayer; }
    AcDbObjectId byBlockLinetype() const { return m_byBlock; }
    AcDbObjectId continuousLinetype() const { return m_continuous; }

    // The current user coordinate system of model space (world at first).
    AcGePoint3d ucsorg() const { return m_ucsOrigin; }
    AcGeVector3d ucsxdir() const { return m_ucsX; }
    AcGeVector3d ucsydir() const { return m_ucsY; }
    // The axes must be perpendicular and not of zero length (eInvalidInput).
    Acad::ErrorStatus setUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis, const AcGeVector3d& yAxis);

    void addReactor(AcDbDatabaseReactor* reactor);
    void removeReactor(AcDbDatabaseReactor* reactor);

    // Not in the host.
    Adesk::UInt32 serial() const { return m_serial; }
    // Objects ever added, erased ones included (a loaded drawing also counts
    // the handles its file left unused).
    int numObjects() const { return static_cast<int>(m_objects.size()) - 1; }
    // The handle the next new object gets.
    Adesk::UInt32 nextHandle() const { return static_cast<Adesk::UInt32>(m_objects.size()); }
    // Objects currently open, in no particular order.
    std::vector<AcDbObjectId> openObjectIds() const;
    int numOpenObjects() const { return static_cast<int>(m_open.size()); }

private:
    friend struct host_detail::ObjectAccess;
    friend class AcDbObject;

    Adesk::UInt32 m_serial;
    std::vector<AcDbObject*> m_objects;  // by handle; slot 0 unused
    std::vector<AcDbObject*> m_open;
    std::vector<AcDbDatabaseReactor*> m_reactors;
    bool m_destroying = false;
    Adesk::UInt32 m_wantedHandle = 0;  // a loader's choice for the next add (0: none)
    AcDbObjectId m_blockTable, m_layerTable, m_linetypeTable, m_regAppTable, m_textStyleTable;
    AcDbObjectId m_namedDict, m_groupDict, m_modelSpace;
    AcDbObjectId m_clayer, m_textstyle, m_byLayer, m_byBlock, m_continuous;
    AcDbObjectId m_dimStyleTable, m_dimstyle;
    AcGePoint3d m_ucsOrigin;
    AcGeVector3d m_ucsX = AcGeVector3d::kXAxis;
    AcGeVector3d m_ucsY = AcGeVector3d::kYAxis;
    // What the drawing file held beyond the objects (the DXF side keeps it).
    std::shared_ptr<host_detail::DrawingFile> m_file;
};

// Opening objects. The class forms refuse an object of another kind with
// eNotThatKindOfClass (the object is then not left open); pObj is null on
// every failure.
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false, const AcRxClass* pClass = nullptr);
// Non-entities: eNotAnEntity.
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    AcDbObject* p = nullptr;
    const Acad::ErrorStatus es = acdbOpenAcDbObject(p, id, mode, openErased, T::desc());
    pObj = static_cast<T*>(p);
    return es;
}

// Conversion between ads_name and ids; eNullObjectId / eUnknownHandle when the
// name or id does not stand for an object of an open database.
Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId);
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);

// The host's services: the working database is the current document's.
class AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const;
    void setWorkingDatabase(AcDbDatabase* pDb);
};
AcDbHostApplicationServices* acdbHostApplicationServices();
