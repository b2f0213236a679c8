// Dimensions: their points and measurements, and the blocks that draw them.
#include <cmath>
#include <cwchar>
#include <string>

#include "../dbinternal.h"
#include "dbdim.h"
#include "dbsymtb.h"
#include "dimension_block.h"
#include "entity_copy.h"
#include "geom_internal.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbDimension, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbAlignedDimension, AcDbDimension)
ACRX_DEFINE_MEMBERS(AcDbRotatedDimension, AcDbDimension)
ACRX_DEFINE_MEMBERS(AcDbRadialDimension, AcDbDimension)
ACRX_DEFINE_MEMBERS(AcDbDiametricDimension, AcDbDimension)

namespace {

// An arrowhead with its tip at tip, pointing along dir (unit).
std::vector<AcGePoint3d> Arrow(const AcGePoint3d& tip, const AcGeVector3d& dir, double size) {
    const AcGeVector3d side(-dir.y * size / 6.0, dir.x * size / 6.0, 0.0);
    const AcGePoint3d back = tip - dir * size;
    return {tip, back + side, back - side};
}

// A readable angle for text along dir: within (-pi/2, pi/2].
double ReadableAngle(const AcGeVector3d& dir) {
    double a = std::atan2(dir.y, dir.x);
    if (a > 1.5707963267948966 + 1e-12) a -= 3.141592653589793;
    if (a <= -1.5707963267948966 + 1e-12) a += 3.141592653589793;
    return host_detail::NormalizeAngle(a);
}

// The lines, arrows and text place of a linear dimension measured along u.
void LinearParts(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& dimLine, const AcGeVector3d& u,
                 double arrow, double extend, double offset, double gap, double textHeight,
                 AcDbDimension::Parts& parts) {
    const AcGePoint3d a1 = dimLine + u * (p1 - dimLine).dotProduct(u);
    const AcGePoint3d a2 = dimLine + u * (p2 - dimLine).dotProduct(u);
    for (const auto& ends : {std::make_pair(p1, a1), std::make_pair(p2, a2)}) {
        const AcGeVector3d out = ends.second - ends.first;
        if (out.length() <= offset) continue;  // the point lies on the dimension line
        const AcGeVector3d dir = out.normal();
        parts.lines.emplace_back(ends.first + dir * offset, ends.second + dir * extend);
    }
    parts.lines.emplace_back(a1, a2);
    const AcGeVector3d along = a2 - a1;
    if (along.length() > 0.0) {
        const AcGeVector3d dir = along.normal();
        parts.arrows.push_back(Arrow(a1, -dir, arrow));
        parts.arrows.push_back(Arrow(a2, dir, arrow));
    }
    const double angle = ReadableAngle(along.length() > 0.0 ? along : u);
    const AcGeVector3d up(-std::sin(angle), std::cos(angle), 0.0);
    parts.textPosition = a1 + along / 2.0 + up * (gap + textHeight / 2.0);
    parts.textRotation = angle;
}

AcDbMText* NewText(const AcGePoint3d& at, double height, double rotation, const CString& text) {
    auto* mtext = new AcDbMText;
    mtext->setLocation(at);
    mtext->setTextHeight(height > 0.0 ? height : 2.5);
    mtext->setRotation(rotation);
    mtext->setAttachment(AcDbMText::kMiddleCenter);
    mtext->setContents(text.GetString());
    return mtext;
}

// New entities drawing the parts (on layer 0 and coloured by block, as the
// host's dimension blocks are, once they join a database).
std::vector<AcDbEntity*> MakeEntities(const AcDbDimension::Parts& parts, const CString& text) {
    std::vector<AcDbEntity*> made;
    for (const auto& l : parts.lines) made.push_back(new AcDbLine(l.first, l.second));
    for (const auto& a : parts.arrows) made.push_back(new AcDbSolid(a[0], a[1], a[2]));
    if (!text.IsEmpty() && text != L" ")
        made.push_back(NewText(parts.textPosition, parts.textHeight, parts.textRotation, text));
    for (AcDbEntity* e : made) e->setColorIndex(0);
    return made;
}

std::wstring FormatNumber(double value, int decimals) {
    wchar_t buf[64];
    std::swprintf(buf, 64, L"%.*f", decimals, value);
    return buf;
}

}  // namespace

// ---- common ----

AcDbDimension::AcDbDimension(const ACHAR* dimText, AcDbObjectId dimStyle)
    : m_text(dimText ? dimText : L""), m_style(dimStyle) {}

bool AcDbDimension::change() {
    if (!assertWriteEnabled()) return false;
    m_blockStale = true;
    return true;
}

void AcDbDimension::subAppended() {
    AcDbEntity::subAppended();
    if (m_style.isNull() || m_style.databaseSerial() != database()->serial()) m_style = database()->dimstyle();
}

ACHAR* AcDbDimension::dimensionText() const { return acutNewString(m_text.GetString()); }

Acad::ErrorStatus AcDbDimension::setDimensionText(const ACHAR* text) {
    if (!change()) return Acad::eNotOpenForWrite;
    m_text = text ? text : L"";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::setDimensionStyle(AcDbObjectId style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbDimStyleTableRecord>(style);
    if (!rec || rec->isErased()) return Acad::eInvalidInput;
    change();
    m_style = style;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::setDimBlockId(const AcDbObjectId& block) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!block.isNull() && !ObjectAccess::peek<AcDbBlockTableRecord>(block)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_block = block;
    m_blockStale = false;  // a block given (a file's) is taken as current
    return Acad::eOk;
}

#define HOST_DIM_SETTER(CLASS, NAME, TYPE, MEMBER, EXTRA)               \
    Acad::ErrorStatus CLASS::NAME(TYPE value) {                         \
        if (!change()) return Acad::eNotOpenForWrite;                   \
        MEMBER = value;                                                 \
        EXTRA;                                                          \
        return Acad::eOk;                                               \
    }
HOST_DIM_SETTER(AcDbDimension, setDimBlockPosition, const AcGePoint3d&, m_blockPosition, )
HOST_DIM_SETTER(AcDbDimension, setTextPosition, const AcGePoint3d&, m_textPosition, m_userTextPosition = true)
HOST_DIM_SETTER(AcDbDimension, setTextRotation, double, m_textRotation, )
HOST_DIM_SETTER(AcDbDimension, setHorizontalRotation, double, m_horizontalRotation, )
HOST_DIM_SETTER(AcDbDimension, setTextAttachment, AcDbMText::AttachmentPoint, m_attachment, )
HOST_DIM_SETTER(AcDbDimension, setTextLineSpacingStyle, AcDb::LineSpacingStyle, m_spacingStyle, )
HOST_DIM_SETTER(AcDbDimension, setTextLineSpacingFactor, double, m_spacingFactor, )
HOST_DIM_SETTER(AcDbDimension, setElevation, double, m_elevation, )

Acad::ErrorStatus AcDbDimension::useDefaultTextPosition() {
    if (!change()) return Acad::eNotOpenForWrite;
    m_userTextPosition = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::useSetTextPosition() {
    if (!change()) return Acad::eNotOpenForWrite;
    m_userTextPosition = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(normal) || normal.length() == 0.0) return Acad::eInvalidInput;
    change();
    m_normal = normal.normal();
    return Acad::eOk;
}

AcGePoint3d AcDbDimension::textPosition() const {
    return m_userTextPosition ? m_textPosition : parts().textPosition;
}

Acad::ErrorStatus AcDbDimension::measurement(double& value) {
    value = measuredValue();
    return std::isfinite(value) ? Acad::eOk : Acad::eDegenerateGeometry;
}

AcDbDimension::Sizes AcDbDimension::sizes() const {
    AcDbDimStyleTableRecord standard;  // the values of a new style
    const AcDbDimStyleTableRecord* style = ObjectAccess::peek<AcDbDimStyleTableRecord>(m_style);
    if (!style && database()) style = ObjectAccess::peek<AcDbDimStyleTableRecord>(database()->dimstyle());
    if (!style) style = &standard;
    const double k = style->dimscale();
    return Sizes{style->dimasz() * k, style->dimtxt() * k, style->dimexe() * k, style->dimexo() * k,
                 style->dimgap() * k, style->dimdec()};
}

CString AcDbDimension::formattedText() const {
    const std::wstring number = prefix() + FormatNumber(measuredValue(), sizes().decimals);
    std::wstring text = m_text.GetString();
    if (text.empty()) return CString(number.c_str());
    const std::size_t at = text.find(L"<>");
    if (at != std::wstring::npos) text.replace(at, 2, number);
    return CString(text.c_str());
}

AcDbDimension::Parts AcDbDimension::parts() const {
    Parts p;
    p.textHeight = sizes().text;
    buildParts(p);
    if (m_userTextPosition) p.textPosition = m_textPosition;
    if (m_textRotation != 0.0) p.textRotation = m_textRotation;
    return p;
}

Acad::ErrorStatus AcDbDimension::recomputeDimensionBlock(bool forceUpdate) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!database()) return Acad::eNotInDatabase;
    if (!forceUpdate && !needsDimensionBlock()) return Acad::eOk;
    AcDbBlockTableRecord* block = nullptr;
    Acad::ErrorStatus es = Acad::eOk;
    if (!m_block.isNull() && !m_block.isErased()) {
        es = acdbOpenObject(block, m_block, AcDb::kForWrite);
        if (es != Acad::eOk) return es;
        for (const auto& id : block->entityIds(false)) {
            AcDbEntity* old = nullptr;
            if (acdbOpenAcDbEntity(old, id, AcDb::kForWrite) == Acad::eOk) {
                old->erase();
                old->close();
            }
        }
    } else {
        AcDbBlockTable* table = nullptr;
        es = database()->getBlockTable(table, AcDb::kForWrite);
        if (es != Acad::eOk) return es;
        block = new AcDbBlockTableRecord;
        block->setName(L"*D");
        AcDbObjectId id;
        es = table->add(id, block);
        table->close();
        if (es != Acad::eOk) {
            delete block;
            return es;
        }
    }
    AcDbObjectId layer0;
    {
        AcDbLayerTable* layers = nullptr;
        if (database()->getLayerTable(layers, AcDb::kForRead) == Acad::eOk) {
            layers->getAt(L"0", layer0);
            layers->close();
        }
    }
    for (AcDbEntity* e : MakeEntities(parts(), formattedText())) {
        if (!layer0.isNull()) e->setLayer(layer0);
        if (block->appendAcDbEntity(e) == Acad::eOk) {
            e->close();
        } else {
            delete e;
        }
    }
    assertWriteEnabled();
    m_block = block->objectId();
    m_blockPosition = AcGePoint3d::kOrigin;
    m_blockStale = false;
    block->close();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::getGeomExtents(AcDbExtents& extents) const {
    if (!needsDimensionBlock() && host_detail::BlockContentExtents(m_block, extents)) {
        extents = AcDbExtents(extents.minPoint() + m_blockPosition.asVector(),
                              extents.maxPoint() + m_blockPosition.asVector());
        return Acad::eOk;
    }
    extents = AcDbExtents();
    for (AcDbEntity* e : MakeEntities(parts(), formattedText())) {
        AcDbExtents box;
        if (e->getGeomExtents(box) == Acad::eOk) extents.addExt(box);
        delete e;
    }
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::explode(AcDbVoidPtrArray& entitySet) const {
    if (needsDimensionBlock()) {
        for (AcDbEntity* e : MakeEntities(parts(), formattedText())) entitySet.append(e);
        return Acad::eOk;
    }
    const auto* block = ObjectAccess::peek<AcDbBlockTableRecord>(m_block);
    const AcGeMatrix3d shift = AcGeMatrix3d::translation(m_blockPosition.asVector());
    for (const auto& id : block->entityIds(false)) {
        const auto* ent = ObjectAccess::peek<AcDbEntity>(id);
        AcDbEntity* copy = ent ? host_detail::DeepCopy(*ent) : nullptr;
        if (!copy) continue;
        copy->transformBy(shift);
        entitySet.append(copy);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::transformBy(const AcGeMatrix3d& xform) {
    if (!change()) return Acad::eNotOpenForWrite;
    transformPoints(xform);
    m_textPosition = xform * m_textPosition;
    if (m_textRotation != 0.0) m_textRotation = host_detail::NormalizeAngle(m_textRotation + host_detail::RotationOf(xform));
    return Acad::eOk;
}

// ---- linear dimensions ----

AcDbAlignedDimension::AcDbAlignedDimension(const AcGePoint3d& xLine1Point, const AcGePoint3d& xLine2Point,
                                           const AcGePoint3d& dimLinePoint, const ACHAR* dimText,
                                           AcDbObjectId dimStyle)
    : AcDbDimension(dimText, dimStyle), m_x1(xLine1Point), m_x2(xLine2Point), m_dimLine(dimLinePoint) {}

HOST_DIM_SETTER(AcDbAlignedDimension, setXLine1Point, const AcGePoint3d&, m_x1, )
HOST_DIM_SETTER(AcDbAlignedDimension, setXLine2Point, const AcGePoint3d&, m_x2, )
HOST_DIM_SETTER(AcDbAlignedDimension, setDimLinePoint, const AcGePoint3d&, m_dimLine, )
HOST_DIM_SETTER(AcDbAlignedDimension, setOblique, double, m_oblique, )

double AcDbAlignedDimension::measuredValue() const { return m_x1.distanceTo(m_x2); }

void AcDbAlignedDimension::buildParts(Parts& parts) const {
    const Sizes s = sizes();
    const AcGeVector3d along = m_x2 - m_x1;
    const AcGeVector3d u = along.length() > 0.0 ? along.normal() : AcGeVector3d::kXAxis;
    LinearParts(m_x1, m_x2, m_dimLine, u, s.arrow, s.extend, s.offset, s.gap, s.text, parts);
}

void AcDbAlignedDimension::transformPoints(const AcGeMatrix3d& xform) {
    m_x1 = xform * m_x1;
    m_x2 = xform * m_x2;
    m_dimLine = xform * m_dimLine;
}

AcDbRotatedDimension::AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1Point,
                                           const AcGePoint3d& xLine2Point, const AcGePoint3d& dimLinePoint,
                                           const ACHAR* dimText, AcDbObjectId dimStyle)
    : AcDbDimension(dimText, dimStyle), m_x1(xLine1Point), m_x2(xLine2Point), m_dimLine(dimLinePoint),
      m_rotation(rotation) {}

HOST_DIM_SETTER(AcDbRotatedDimension, setXLine1Point, const AcGePoint3d&, m_x1, )
HOST_DIM_SETTER(AcDbRotatedDimension, setXLine2Point, const AcGePoint3d&, m_x2, )
HOST_DIM_SETTER(AcDbRotatedDimension, setDimLinePoint, const AcGePoint3d&, m_dimLine, )
HOST_DIM_SETTER(AcDbRotatedDimension, setRotation, double, m_rotation, )
HOST_DIM_SETTER(AcDbRotatedDimension, setOblique, double, m_oblique, )

double AcDbRotatedDimension::measuredValue() const {
    return std::fabs((m_x2 - m_x1).dotProduct(AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0.0)));
}

void AcDbRotatedDimension::buildParts(Parts& parts) const {
    const Sizes s = sizes();
    LinearParts(m_x1, m_x2, m_dimLine, AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0.0), s.arrow,
                s.extend, s.offset, s.gap, s.text, parts);
}

void AcDbRotatedDimension::transformPoints(const AcGeMatrix3d& xform) {
    m_x1 = xform * m_x1;
    m_x2 = xform * m_x2;
    m_dimLine = xform * m_dimLine;
    const AcGeVector3d u = xform * AcGeVector3d(std::cos(m_rotation), std::sin(m_rotation), 0.0);
    m_rotation = host_detail::AngleOf(u.x, u.y);
}

// ---- radius and diameter ----

AcDbRadialDimension::AcDbRadialDimension(const AcGePoint3d& center, const AcGePoint3d& chordPoint,
                                         double leaderLength, const ACHAR* dimText, AcDbObjectId dimStyle)
    : AcDbDimension(dimText, dimStyle), m_center(center), m_chord(chordPoint), m_leader(leaderLength) {}

HOST_DIM_SETTER(AcDbRadialDimension, setCenter, const AcGePoint3d&, m_center, )
HOST_DIM_SETTER(AcDbRadialDimension, setChordPoint, const AcGePoint3d&, m_chord, )
HOST_DIM_SETTER(AcDbRadialDimension, setLeaderLength, double, m_leader, )

double AcDbRadialDimension::measuredValue() const { return m_center.distanceTo(m_chord); }

// Radius and diameter: the line through the chord point, an arrow at each
// measured end, the text beyond the chord point by the leader length.
static void ChordParts(const AcGePoint3d& from, const AcGePoint3d& chord, bool arrowAtFrom, double leader,
                       const AcDbDimension::Parts& sized, double arrow, double gap, AcDbDimension::Parts& parts) {
    const AcGeVector3d along = chord - from;
    const AcGeVector3d dir = along.length() > 0.0 ? along.normal() : AcGeVector3d::kXAxis;
    const double reach = leader > 0.0 ? leader : 2.0 * arrow;
    const AcGePoint3d end = chord + dir * reach;
    parts.lines.emplace_back(from, end);
    parts.arrows.push_back(Arrow(chord, dir, arrow));
    if (arrowAtFrom) parts.arrows.push_back(Arrow(from, -dir, arrow));
    parts.textRotation = ReadableAngle(dir);
    parts.textPosition = end + dir * (gap + sized.textHeight);
}

void AcDbRadialDimension::buildParts(Parts& parts) const {
    const Sizes s = sizes();
    ChordParts(m_center, m_chord, false, m_leader, parts, s.arrow, s.gap, parts);
}

void AcDbRadialDimension::transformPoints(const AcGeMatrix3d& xform) {
    bool mirrors = false;
    m_leader *= host_detail::PlaneScale(xform, mirrors);
    m_center = xform * m_center;
    m_chord = xform * m_chord;
}

AcDbDiametricDimension::AcDbDiametricDimension(const AcGePoint3d& chordPoint, const AcGePoint3d& farChordPoint,
                                               double leaderLength, const ACHAR* dimText, AcDbObjectId dimStyle)
    : AcDbDimension(dimText, dimStyle), m_chord(chordPoint), m_far(farChordPoint), m_leader(leaderLength) {}

HOST_DIM_SETTER(AcDbDiametricDimension, setChordPoint, const AcGePoint3d&, m_chord, )
HOST_DIM_SETTER(AcDbDiametricDimension, setFarChordPoint, const AcGePoint3d&, m_far, )
HOST_DIM_SETTER(AcDbDiametricDimension, setLeaderLength, double, m_leader, )

double AcDbDiametricDimension::measuredValue() const { return m_chord.distanceTo(m_far); }

void AcDbDiametricDimension::buildParts(Parts& parts) const {
    const Sizes s = sizes();
    ChordParts(m_far, m_chord, true, m_leader, parts, s.arrow, s.gap, parts);
}

void AcDbDiametricDimension::transformPoints(const AcGeMatrix3d& xform) {
    bool mirrors = false;
    m_leader *= host_detail::PlaneScale(xform, mirrors);
    m_chord = xform * m_chord;
    m_far = xform * m_far;
}

// ---- saving ----

namespace host_detail {
int EnsureDimensionBlocks(AcDbDatabase* db) {
    if (!db) return 0;
    std::vector<AcDbObjectId> wanted;
    for (const AcDbObject* obj : ObjectAccess::objects(db)) {
        const auto* dim = AcDbDimension::cast(obj);
        if (dim && !dim->isErased() && dim->needsDimensionBlock()) wanted.push_back(dim->objectId());
    }
    int made = 0;
    for (const auto& id : wanted) {
        AcDbDimension* dim = nullptr;
        if (acdbOpenObject(dim, id, AcDb::kForWrite) != Acad::eOk) continue;
        if (dim->recomputeDimensionBlock(true) == Acad::eOk) ++made;
        dim->close();
    }
    return made;
}
}  // namespace host_detail
