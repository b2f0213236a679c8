#pragma once
// Headless host: block references and their attributes (in the host these
// are declared in dbents.h, which includes this header).
//
// A block reference draws the entities of a block record, moved by its
// block transform: the block's base point goes to the position, scaled by
// the scale factors, turned by the rotation about the normal. It owns its
// attributes, texts with a tag, each an object of its own (open it by the
// id the attribute iterator gives). Attribute definitions are the block's
// templates for them: setAttributeFromBlock makes an attribute from one.
#include "dbents.h"
#include "gescl3d.h"

// Flags shared by attribute definitions and attributes.
namespace host_detail {
struct AttributeFlags {
    bool invisible = false;
    bool constant = false;
    bool verifiable = false;
    bool preset = false;
    bool lockPosition = false;
    int fieldLength = 0;
};
}  // namespace host_detail

class AcDbAttributeDefinition : public AcDbText {
public:
    ACDB_DECLARE_COPYABLE(AcDbAttributeDefinition)
    AcDbAttributeDefinition() = default;
    AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag, const ACHAR* prompt,
                            AcDbObjectId style = AcDbObjectId::kNull);
    // The tag as a heap copy (release with acutDelString); tagConst points
    // into the definition.
    ACHAR* tag() const;
    const ACHAR* tagConst() const { return m_tag.GetString(); }
    // Tags are not empty and hold no spaces (eInvalidInput).
    Acad::ErrorStatus setTag(const ACHAR* tag);
    ACHAR* prompt() const;
    const ACHAR* promptConst() const { return m_prompt.GetString(); }
    Acad::ErrorStatus setPrompt(const ACHAR* prompt);
    bool isInvisible() const { return m_flags.invisible; }
    Acad::ErrorStatus setInvisible(bool invisible);
    bool isConstant() const { return m_flags.constant; }
    Acad::ErrorStatus setConstant(bool constant);
    bool isVerifiable() const { return m_flags.verifiable; }
    Acad::ErrorStatus setVerifiable(bool verifiable);
    bool isPreset() const { return m_flags.preset; }
    Acad::ErrorStatus setPreset(bool preset);
    bool lockPositionInBlock() const { return m_flags.lockPosition; }
    Acad::ErrorStatus setLockPositionInBlock(bool lock);
    Adesk::UInt16 fieldLength() const { return static_cast<Adesk::UInt16>(m_flags.fieldLength); }
    Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);
    // Not in the host: the flags together.
    const host_detail::AttributeFlags& flags() const { return m_flags; }

private:
    CString m_tag;
    CString m_prompt;
    host_detail::AttributeFlags m_flags;
};

class AcDbAttribute : public AcDbText {
public:
    ACDB_DECLARE_COPYABLE(AcDbAttribute)
    AcDbAttribute() = default;
    AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                  AcDbObjectId style = AcDbObjectId::kNull);
    ACHAR* tag() const;
    const ACHAR* tagConst() const { return m_tag.GetString(); }
    Acad::ErrorStatus setTag(const ACHAR* tag);
    bool isInvisible() const { return m_flags.invisible; }
    Acad::ErrorStatus setInvisible(bool invisible);
    bool isConstant() const { return m_flags.constant; }
    bool isVerifiable() const { return m_flags.verifiable; }
    bool isPreset() const { return m_flags.preset; }
    bool lockPositionInBlock() const { return m_flags.lockPosition; }
    Adesk::UInt16 fieldLength() const { return static_cast<Adesk::UInt16>(m_flags.fieldLength); }
    Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);
    // Takes the definition's text properties, layer, colour, tag, flags and
    // default text, then moves by blkXform (the block reference's
    // blockTransform). Needs the attribute open for write.
    Acad::ErrorStatus setAttributeFromBlock(const AcDbAttributeDefinition* pAttdef, const AcGeMatrix3d& blkXform);
    // Not in the host: the flags together (a file reader sets them at once).
    const host_detail::AttributeFlags& flags() const { return m_flags; }
    Acad::ErrorStatus setFlags(const host_detail::AttributeFlags& flags);

private:
    CString m_tag;
    host_detail::AttributeFlags m_flags;
};

class AcDbBlockReference : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockReference)
    AcDbBlockReference() = default;
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
    ~AcDbBlockReference() override;
    AcDbBlockReference(const AcDbBlockReference&) = delete;
    AcDbBlockReference& operator=(const AcDbBlockReference&) = delete;

    // A snapshot for undo: the data and the ids of the attributes (objects of
    // their own). Null while the reference holds attributes in no database.
    AcRxObject* clone() const override;
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;

    AcDbObjectId blockTableRecord() const { return m_block; }
    // A block record of the reference's database (the working one for a new
    // reference), not erased and not a layout (eInvalidInput).
    virtual Acad::ErrorStatus setBlockTableRecord(AcDbObjectId blockTableRec);
    AcGePoint3d position() const { return m_position; }
    virtual Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    AcGeScale3d scaleFactors() const { return m_scale; }
    // Factors may be negative (mirrored) but not zero (eInvalidInput).
    virtual Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
    double rotation() const { return m_rotation; }
    virtual Acad::ErrorStatus setRotation(double newVal);
    AcGeVector3d normal() const { return m_normal; }
    virtual Acad::ErrorStatus setNormal(const AcGeVector3d& newVal);
    // Block coordinates to world: translate the base point to the origin,
    // scale, rotate, go to the plane of the normal, move to the position.
    AcGeMatrix3d blockTransform() const;
    // Sets position, scale, rotation and normal from a matrix made of those
    // (a similarity with mirroring and axis scales in the plane).
    virtual Acad::ErrorStatus setBlockTransform(const AcGeMatrix3d& xform);

    // Takes the attribute. In a database it joins the database, owned by
    // the reference, and stays open for write (close it); otherwise the
    // reference holds it until it joins one.
    Acad::ErrorStatus appendAttribute(AcDbAttribute* pAttr);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* pAttr);
    // A new iterator over the attributes not erased (the caller deletes it).
    AcDbObjectIterator* attributeIterator() const;
    // Opens one of this reference's attributes.
    Acad::ErrorStatus openAttribute(AcDbAttribute*& pAttr, AcDbObjectId id, AcDb::OpenMode mode,
                                    bool openErased = false) const;

    // Moves the reference and its attributes (which must not be open).
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // The box of the block's entities (constant attribute definitions
    // included, others not) taken through the block transform, as the host
    // does: the corners of the block's box are transformed, so a turned
    // reference gets a box larger than its drawing; visible attributes are
    // added. eInvalidExtents for an empty block without attributes.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // Copies of the block's entities moved by the block transform (nested
    // references as references, with copies of their attributes); the
    // block's attribute definitions come as definitions, the reference's
    // own attributes are left out, as the host's explode does. A reference
    // scaled unevenly cannot explode its circles and arcs
    // (eCannotScaleNonUniformly); nothing is appended then.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;
    // Not in the host: a new reference with the same data and copies of the
    // attributes, which it holds until it joins a database.
    AcDbBlockReference* copyWithAttributes() const;

protected:
    void subAppended() override;
    // Copies everything but identity and the attributes.
    virtual void takeOwnData(const AcDbBlockReference& src);
    virtual AcDbBlockReference* newOfSameClass() const { return new AcDbBlockReference; }

private:
    std::vector<const AcDbAttribute*> liveAttributes() const;

    AcDbObjectId m_block;
    AcGePoint3d m_position;
    AcGeScale3d m_scale;
    double m_rotation = 0.0;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    host_detail::OwnedEntities m_attributes;
};

// A block reference repeated in rows and columns. The array is kept as
// data: explode gives the first cell, the box covers the whole array.
class AcDbMInsertBlock : public AcDbBlockReference {
public:
    ACRX_DECLARE_MEMBERS(AcDbMInsertBlock)
    AcDbMInsertBlock() = default;
    AcDbMInsertBlock(const AcGePoint3d& position, AcDbObjectId blockTableRec, Adesk::UInt16 columns,
                     Adesk::UInt16 rows, double colSpacing, double rowSpacing);
    Adesk::UInt16 columns() const { return m_columns; }
    Adesk::UInt16 rows() const { return m_rows; }
    double columnSpacing() const { return m_colSpacing; }
    double rowSpacing() const { return m_rowSpacing; }
    // At least one column and one row (eInvalidInput).
    Acad::ErrorStatus setColumns(Adesk::UInt16 n);
    Acad::ErrorStatus setRows(Adesk::UInt16 n);
    Acad::ErrorStatus setColumnSpacing(double spacing);
    Acad::ErrorStatus setRowSpacing(double spacing);
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

protected:
    AcDbBlockReference* newOfSameClass() const override { return new AcDbMInsertBlock; }
    void takeOwnData(const AcDbBlockReference& src) override;

private:
    Adesk::UInt16 m_columns = 1;
    Adesk::UInt16 m_rows = 1;
    double m_colSpacing = 0.0;
    double m_rowSpacing = 0.0;
};
