// INSERT, ATTRIB and ATTDEF (see entities.h). An INSERT names its block by
// code 2; Build resolves the name (EntityIn::blockName) once the block
// records exist. References with attributes in the file and arrays
// (MINSERT) are kept as read; attributes of the model are written after
// their reference, ended by SEQEND.
#include <cmath>

#include "dbentsblock.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

AcDbEntity* ReadInsert(EntityIn& in) {
    Numbers n{in, "INSERT"};
    AcGePoint3d at;
    AcGeScale3d scale(1, 1, 1);
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double rot = 0;
    long long follows = 0, columns = 1, rows = 1;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 2: in.blockName = Trim(t.value); break;
        case 10: at.x = n.real(t); break;
        case 20: at.y = n.real(t); break;
        case 30: at.z = n.real(t); break;
        case 41: scale.sx = n.real(t); break;
        case 42: scale.sy = n.real(t); break;
        case 43: scale.sz = n.real(t); break;
        case 50: rot = n.real(t) / kDegPerRad; break;
        case 66: follows = n.integer(t); break;
        case 70: columns = n.integer(t); break;
        case 71: rows = n.integer(t); break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    // Kept as read without a warning: what follows belongs to the record.
    if (follows == 1 || columns > 1 || rows > 1 || in.blockName.empty()) return nullptr;
    if (scale.sx == 0 || scale.sy == 0 || scale.sz == 0) n.unfit("has a zero scale factor");
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (n.bad) return nullptr;
    if (!IsPlusZ(normal)) {
        AcGeVector3d ax, ay;
        OcsAxes(normal, ax, ay);
        at = AcGePoint3d::kOrigin + ax * at.x + ay * at.y + normal.normal() * at.z;
    }
    auto* e = new AcDbBlockReference;
    e->setPosition(at);
    e->setScaleFactors(scale);
    e->setRotation(rot);
    e->setNormal(normal);
    return e;
}

void WriteInsert(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* b = AcDbBlockReference::cast(ent);
    AcDbObjectIterator* it = b->attributeIterator();
    const bool attributes = !it->done();
    delete it;
    if (attributes || out.has(66)) out.e.integer(66, attributes ? 1 : 0);
    out.e.str(2, out.nameOf(b->blockTableRecord()));
    AcGePoint3d at = b->position();
    const AcGeVector3d n = b->normal();
    if (!IsPlusZ(n)) {
        AcGeVector3d ax, ay;
        OcsAxes(n, ax, ay);
        const AcGeVector3d v = at.asVector();
        at = AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(n.normal()));
    }
    out.e.point(10, at);
    const AcGeScale3d s = b->scaleFactors();
    if (s.sx != 1.0 || out.has(41)) out.e.num(41, s.sx);
    if (s.sy != 1.0 || out.has(42)) out.e.num(42, s.sy);
    if (s.sz != 1.0 || out.has(43)) out.e.num(43, s.sz);
    if (b->rotation() != 0.0 || out.has(50)) out.e.num(50, b->rotation() * kDegPerRad);
    if (!IsPlusZ(n) || out.has(210) || out.has(230)) out.e.vec(210, n);
}

// Flags of code 70 and the codes after it.
long long FlagBits(const host_detail::AttributeFlags& f) {
    return (f.invisible ? 1 : 0) | (f.constant ? 2 : 0) | (f.verifiable ? 4 : 0) | (f.preset ? 8 : 0);
}

void WriteAttributeTail(EntityOut& out, const ACHAR* tag, const ACHAR* prompt,
                        const host_detail::AttributeFlags& f, const AcDbText* t) {
    if (prompt) out.e.str(3, prompt);
    out.e.str(2, tag);
    out.e.integer(70, FlagBits(f));
    if (f.fieldLength != 0 || out.has(73)) out.e.integer(73, f.fieldLength);
    if (t->verticalMode() != AcDb::kTextBase || out.has(74)) out.e.integer(74, t->verticalMode());
    if (f.lockPosition || out.has(280)) out.e.integer(280, f.lockPosition ? 1 : 0);
}

// The text part as TEXT writes it, but the vertical mode: an attribute
// gives it under its own subclass (74), not under a second AcDbText (73).
void WriteAttrib(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* a = AcDbAttribute::cast(ent);
    if (i == 0) {
        WriteTextOwned(out, ent, 0);
        return;
    }
    WriteAttributeTail(out, a->tagConst(), nullptr, a->flags(), a);
}

void WriteAttdef(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* a = AcDbAttributeDefinition::cast(ent);
    if (i == 0) {
        WriteTextOwned(out, ent, 0);
        return;
    }
    WriteAttributeTail(out, a->tagConst(), a->promptConst(), a->flags(), a);
}

AcDbEntity* NotRead(EntityIn&) { return nullptr; }

const AcRxClass* InsertClass() { return AcDbBlockReference::desc(); }
const AcRxClass* AttribClass() { return AcDbAttribute::desc(); }
const AcRxClass* AttdefClass() { return AcDbAttributeDefinition::desc(); }

const std::vector<int> kTextCodes = {10, 20, 30, 40, 1, 50, 41, 51, 7, 72, 11, 21, 31};

}  // namespace

void AddBlockDescriptions(std::vector<EntityDescription>& all) {
    all.push_back({"INSERT", InsertClass,
                   {{"AcDbBlockReference", {66, 2, 10, 20, 30, 41, 42, 43, 50, 210, 220, 230}}}, ReadInsert,
                   WriteInsert});
    // Attributes and their definitions are read with their blocks and
    // references (kept as read for now); the model's are written.
    all.push_back({"ATTRIB", AttribClass,
                   {{"AcDbText", kTextCodes}, {"AcDbAttribute", {2, 70, 73, 74, 280}}}, NotRead, WriteAttrib});
    all.push_back({"ATTDEF", AttdefClass,
                   {{"AcDbText", kTextCodes}, {"AcDbAttributeDefinition", {3, 2, 70, 73, 74, 280}}}, NotRead,
                   WriteAttdef});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
