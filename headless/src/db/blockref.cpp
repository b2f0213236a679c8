// Attribute definitions, attributes, block references and their arrays.
#include <algorithm>
#include <cmath>

#include "../dbinternal.h"
#include "dbents.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "geom_internal.h"
#include "entity_copy.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText)
ACRX_DEFINE_MEMBERS(AcDbAttribute, AcDbText)
ACRX_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbMInsertBlock, AcDbBlockReference)

namespace {
bool IsTag(const ACHAR* tag) { return tag && *tag && !std::wcschr(tag, L' '); }

ACHAR* HeapCopy(const CString& text) { return acutNewString(text.GetString()); }
}  // namespace

// ---- attribute definitions ----

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                                                 const ACHAR* prompt, AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : L""), m_prompt(prompt ? prompt : L"") {}

ACHAR* AcDbAttributeDefinition::tag() const { return HeapCopy(m_tag); }
ACHAR* AcDbAttributeDefinition::prompt() const { return HeapCopy(m_prompt); }

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const ACHAR* tag) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!IsTag(tag)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_tag = tag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const ACHAR* prompt) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_prompt = prompt ? prompt : L"";
    return Acad::eOk;
}

#define HOST_ATTR_FLAG(CLASS, NAME, FIELD)                            \
    Acad::ErrorStatus CLASS::NAME(bool value) {                       \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;     \
        m_flags.FIELD = value;                                        \
        return Acad::eOk;                                             \
    }
HOST_ATTR_FLAG(AcDbAttributeDefinition, setInvisible, invisible)
HOST_ATTR_FLAG(AcDbAttributeDefinition, setConstant, constant)
HOST_ATTR_FLAG(AcDbAttributeDefinition, setVerifiable, verifiable)
HOST_ATTR_FLAG(AcDbAttributeDefinition, setPreset, preset)
HOST_ATTR_FLAG(AcDbAttributeDefinition, setLockPositionInBlock, lockPosition)
HOST_ATTR_FLAG(AcDbAttribute, setInvisible, invisible)

Acad::ErrorStatus AcDbAttributeDefinition::setFieldLength(Adesk::UInt16 length) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_flags.fieldLength = length;
    return Acad::eOk;
}

// ---- attributes ----

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag, AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : L"") {}

ACHAR* AcDbAttribute::tag() const { return HeapCopy(m_tag); }

Acad::ErrorStatus AcDbAttribute::setTag(const ACHAR* tag) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!IsTag(tag)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_tag = tag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setFieldLength(Adesk::UInt16 length) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_flags.fieldLength = length;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setFlags(const host_detail::AttributeFlags& flags) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    m_flags = flags;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* pAttdef,
                                                       const AcGeMatrix3d& blkXform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!pAttdef) return Acad::eNullObjectPointer;
    assertWriteEnabled();
    AcDbText::operator=(*pAttdef);
    m_tag = pAttdef->tagConst();
    m_flags = pAttdef->flags();
    return AcDbText::transformBy(blkXform);
}

// ---- block references ----

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec)
    : m_block(blockTableRec), m_position(position) {}

AcDbBlockReference::~AcDbBlockReference() = default;

AcRxObject* AcDbBlockReference::clone() const {
    if (m_attributes.holdsAny()) return nullptr;
    AcDbBlockReference* copy = newOfSameClass();
    copy->takeOwnData(*this);
    return copy;
}

Acad::ErrorStatus AcDbBlockReference::copyFrom(const AcRxObject* other) {
    const AcDbBlockReference* src = AcDbBlockReference::cast(other);
    if (!src || src->isA() != isA()) return Acad::eNotThatKindOfClass;
    if (src == this) return Acad::eOk;
    if (src->m_attributes.holdsAny()) return Acad::eInvalidInput;
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    takeOwnData(*src);
    return Acad::eOk;
}

void AcDbBlockReference::takeOwnData(const AcDbBlockReference& src) {
    AcDbEntity::operator=(src);
    m_block = src.m_block;
    m_position = src.m_position;
    m_scale = src.m_scale;
    m_rotation = src.m_rotation;
    m_normal = src.m_normal;
    m_attributes.copyIdsFrom(src.m_attributes);
}

AcDbBlockReference* AcDbBlockReference::copyWithAttributes() const {
    AcDbBlockReference* copy = newOfSameClass();
    copy->takeOwnData(*this);
    copy->m_attributes.clearIds();
    ObjectAccess::setExtensionDictionary(copy, AcDbObjectId::kNull);
    for (const AcDbAttribute* a : liveAttributes()) {
        auto* attr = new AcDbAttribute(*a);
        ObjectAccess::setExtensionDictionary(attr, AcDbObjectId::kNull);
        copy->appendAttribute(attr);
    }
    return copy;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId blockTableRec) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbBlockTableRecord>(blockTableRec);
    if (!rec || rec->isErased() || rec->isLayout()) return Acad::eInvalidInput;
    AcDbDatabase* db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (db && rec->database() != db) return Acad::eWrongDatabase;
    assertWriteEnabled();
    m_block = blockTableRec;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& pt) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(pt)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_position = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    for (unsigned i = 0; i < 3; ++i)
        if (scale[i] == 0.0 || !std::isfinite(scale[i])) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_scale = scale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double newVal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(newVal)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_rotation = host_detail::NormalizeAngle(newVal);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& newVal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(newVal) || newVal.length() == 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = newVal.normal();
    return Acad::eOk;
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    const auto* rec = ObjectAccess::peek<AcDbBlockTableRecord>(m_block);
    const AcGePoint3d origin = rec ? rec->origin() : AcGePoint3d::kOrigin;
    AcGeVector3d xAxis, yAxis;
    host_detail::PlaneAxes(m_normal, xAxis, yAxis);
    AcGeMatrix3d plane;
    plane.setCoordSystem(m_position, xAxis, yAxis, m_normal);
    AcGeMatrix3d scale;
    m_scale.getMatrix(scale);
    return plane * AcGeMatrix3d::rotation(m_rotation, AcGeVector3d::kZAxis) * scale *
           AcGeMatrix3d::translation(AcGePoint3d::kOrigin - origin);
}

Acad::ErrorStatus AcDbBlockReference::setBlockTransform(const AcGeMatrix3d& xform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const AcGeVector3d x = xform * AcGeVector3d::kXAxis;
    const AcGeVector3d y = xform * AcGeVector3d::kYAxis;
    const AcGeVector3d z = xform * AcGeVector3d::kZAxis;
    const double sx = x.length(), sy = y.length(), sz = z.length();
    if (!(sx > 0.0 && sy > 0.0 && sz > 0.0) || !std::isfinite(sx + sy + sz)) return Acad::eInvalidInput;
    // Only a turn with axis scales: the axes stay perpendicular.
    if (std::fabs(x.dotProduct(y)) > 1e-9 * sx * sy || std::fabs(x.dotProduct(z)) > 1e-9 * sx * sz ||
        std::fabs(y.dotProduct(z)) > 1e-9 * sy * sz)
        return Acad::eCannotScaleNonUniformly;
    const AcGeVector3d normal = z / sz;
    AcGeVector3d ex, ey;
    host_detail::PlaneAxes(normal, ex, ey);
    const double rotation = host_detail::AngleOf(x.dotProduct(ex), x.dotProduct(ey));
    const double ySign = x.crossProduct(y).dotProduct(normal) < 0.0 ? -1.0 : 1.0;
    const auto* rec = ObjectAccess::peek<AcDbBlockTableRecord>(m_block);
    const AcGePoint3d origin = rec ? rec->origin() : AcGePoint3d::kOrigin;
    assertWriteEnabled();
    m_position = xform * origin;
    m_normal = normal;
    m_rotation = rotation;
    m_scale.set(sx, sy * ySign, sz);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* pAttr) {
    AcDbObjectId id;
    return appendAttribute(id, pAttr);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* pAttr) {
    return m_attributes.append(id, pAttr, *this, false);
}

void AcDbBlockReference::subAppended() {
    AcDbEntity::subAppended();
    m_attributes.ownerAppended(*this, false);
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const { return m_attributes.iterator(); }

Acad::ErrorStatus AcDbBlockReference::openAttribute(AcDbAttribute*& pAttr, AcDbObjectId id, AcDb::OpenMode mode,
                                                    bool openErased) const {
    pAttr = nullptr;
    if (!ObjectAccess::peek<AcDbAttribute>(id) || !host_detail::OwnedEntities::ownedBy(id, *this))
        return Acad::eInvalidInput;
    return acdbOpenObject(pAttr, id, mode, openErased);
}

std::vector<const AcDbAttribute*> AcDbBlockReference::liveAttributes() const {
    std::vector<const AcDbAttribute*> result;
    for (const AcDbEntity* e : m_attributes.live()) result.push_back(static_cast<const AcDbAttribute*>(e));
    return result;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const AcGeMatrix3d next = xform * blockTransform();
    const AcGeVector3d x = next * AcGeVector3d::kXAxis, y = next * AcGeVector3d::kYAxis;
    if (std::fabs(x.dotProduct(y)) > 1e-9 * x.length() * y.length()) return Acad::eCannotScaleNonUniformly;
    std::vector<AcDbEntity*> opened;
    const Acad::ErrorStatus es = host_detail::OpenAllForWrite(m_attributes.ids(), opened);
    if (es != Acad::eOk) return es;
    const Acad::ErrorStatus set = setBlockTransform(next);
    for (AcDbEntity* a : opened) {
        if (set == Acad::eOk) a->transformBy(xform);
        a->close();
    }
    if (set == Acad::eOk)
        for (AcDbEntity* a : m_attributes.held()) a->transformBy(xform);
    return set;
}

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const {
    extents = AcDbExtents();
    AcDbExtents content;
    if (host_detail::BlockContentExtents(m_block, content))
        extents = host_detail::TransformedBox(content, blockTransform());
    for (const AcDbAttribute* a : liveAttributes()) {
        AcDbExtents box;
        if (!a->isInvisible() && a->visibility() == AcDb::kVisible && a->getGeomExtents(box) == Acad::eOk)
            extents.addExt(box);
    }
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::explode(AcDbVoidPtrArray& entitySet) const {
    const auto* block = ObjectAccess::peek<AcDbBlockTableRecord>(m_block);
    if (!block || block->isErased()) return Acad::eInvalidInput;
    const AcGeMatrix3d xform = blockTransform();
    std::vector<AcDbEntity*> made;
    Acad::ErrorStatus es = Acad::eOk;
    for (const auto& id : block->entityIds(false)) {
        const auto* ent = ObjectAccess::peek<AcDbEntity>(id);
        if (!ent) continue;
        AcDbEntity* copy = host_detail::DeepCopy(*ent);
        if (!copy) continue;  // kinds that cannot be copied are left out
        made.push_back(copy);
        es = host_detail::TransformCopy(*copy, xform);
        if (es != Acad::eOk) break;
    }
    if (es != Acad::eOk) {
        for (AcDbEntity* e : made) delete e;
        return es;
    }
    for (AcDbEntity* e : made) entitySet.append(e);
    return Acad::eOk;
}

// ---- arrays of references ----

AcDbMInsertBlock::AcDbMInsertBlock(const AcGePoint3d& position, AcDbObjectId blockTableRec, Adesk::UInt16 columns,
                                   Adesk::UInt16 rows, double colSpacing, double rowSpacing)
    : AcDbBlockReference(position, blockTableRec),
      m_columns(std::max<Adesk::UInt16>(columns, 1)),
      m_rows(std::max<Adesk::UInt16>(rows, 1)),
      m_colSpacing(colSpacing),
      m_rowSpacing(rowSpacing) {}

void AcDbMInsertBlock::takeOwnData(const AcDbBlockReference& src) {
    AcDbBlockReference::takeOwnData(src);
    if (const auto* m = AcDbMInsertBlock::cast(&src)) {
        m_columns = m->m_columns;
        m_rows = m->m_rows;
        m_colSpacing = m->m_colSpacing;
        m_rowSpacing = m->m_rowSpacing;
    }
}

Acad::ErrorStatus AcDbMInsertBlock::setColumns(Adesk::UInt16 n) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (n == 0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_columns = n;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMInsertBlock::setRows(Adesk::UInt16 n) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (n == 0) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_rows = n;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMInsertBlock::setColumnSpacing(double spacing) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(spacing)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_colSpacing = spacing;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMInsertBlock::setRowSpacing(double spacing) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(spacing)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_rowSpacing = spacing;
    return Acad::eOk;
}

// The first cell's box moved to the corner cells: columns run along the
// reference's turned X axis, rows along its Y axis.
Acad::ErrorStatus AcDbMInsertBlock::getGeomExtents(AcDbExtents& extents) const {
    AcDbExtents cell;
    const Acad::ErrorStatus es = AcDbBlockReference::getGeomExtents(cell);
    if (es != Acad::eOk) return es;
    AcGeVector3d ex, ey;
    host_detail::PlaneAxes(normal(), ex, ey);
    const AcGeVector3d colDir = ex * std::cos(rotation()) + ey * std::sin(rotation());
    const AcGeVector3d rowDir = normal().crossProduct(colDir);
    extents = cell;
    const AcGeVector3d acrossCols = colDir * (m_colSpacing * (m_columns - 1));
    const AcGeVector3d acrossRows = rowDir * (m_rowSpacing * (m_rows - 1));
    for (const AcGeVector3d& shift : {acrossCols, acrossRows, acrossCols + acrossRows})
        extents.addExt(AcDbExtents(cell.minPoint() + shift, cell.maxPoint() + shift));
    return Acad::eOk;
}
