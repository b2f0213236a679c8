// INSERT (and its array form), ATTRIB and ATTDEF (see entities.h). An
// INSERT names its block by code 2; Build resolves the name
// (EntityIn::blockName) once the block records exist. The ATTRIBs after an
// INSERT are read as its attributes; the writer puts them after their
// reference, ended by SEQEND.
#include <cmath>

#include "dbentsblock.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

// The subclass marker a tag stands under ("" before the first; R12 files
// have none).
struct Marker {
    std::string_view name;
    bool any = false;
    void see(const Tag& t) {
        if (t.code == 100) {
            name = Trim(t.value);
            any = true;
        }
    }
    bool in(std::string_view m) const { return !any || name == m; }
};

AcDbEntity* ReadInsert(EntityIn& in) {
    Numbers n{in, "INSERT"};
    AcGePoint3d at;
    AcGeScale3d scale(1, 1, 1);
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    double rot = 0, colSpacing = 0, rowSpacing = 0;
    long long columns = 1, rows = 1;
    bool arrayMarker = false;
    Marker m;
    EachTag(in, [&](const Tag& t) {
        m.see(t);
        if (t.code == 100 && m.name == "AcDbMInsertBlock") arrayMarker = true;
        switch (t.code) {
        case 2: in.blockName = Trim(t.value); break;
        case 10: at.x = n.real(t); break;
        case 20: at.y = n.real(t); break;
        case 30: at.z = n.real(t); break;
        case 41: scale.sx = n.real(t); break;
        case 42: scale.sy = n.real(t); break;
        case 43: scale.sz = n.real(t); break;
        case 44: colSpacing = n.real(t); break;
        case 45: rowSpacing = n.real(t); break;
        case 50: rot = n.real(t) / kDegPerRad; break;
        case 66: n.integer(t); break;
        case 70: columns = n.integer(t); break;
        case 71: rows = n.integer(t); break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    const bool array = columns != 1 || rows != 1 || arrayMarker;
    // An array under the marker of a single reference would be written
    // back under the other marker: kept as read (without a warning).
    if (in.blockName.empty() || (array && m.any && !arrayMarker)) return nullptr;
    if (scale.sx == 0 || scale.sy == 0 || scale.sz == 0) n.unfit("has a zero scale factor");
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (columns < 1 || columns > 32767 || rows < 1 || rows > 32767) n.unfit("has a column or row count out of range");
    if (n.bad) return nullptr;
    if (!IsPlusZ(normal)) {
        AcGeVector3d ax, ay;
        OcsAxes(normal, ax, ay);
        at = AcGePoint3d::kOrigin + ax * at.x + ay * at.y + normal.normal() * at.z;
    }
    AcDbBlockReference* e = nullptr;
    if (array) {
        e = new AcDbMInsertBlock(at, AcDbObjectId::kNull, static_cast<Adesk::UInt16>(columns),
                                 static_cast<Adesk::UInt16>(rows), colSpacing, rowSpacing);
    } else {
        e = new AcDbBlockReference;
        e->setPosition(at);
    }
    e->setScaleFactors(scale);
    e->setRotation(rot);
    e->setNormal(normal);
    return e;
}

// ATTRIB and ATTDEF: the text part under AcDbText, the attribute's own
// under its marker (an R12 record has both without markers). Under the
// attribute's marker a 280 before the tag is the record's version, one after
// it the lock flag.
AcDbEntity* ReadAttributeEntity(EntityIn& in, bool definition) {
    const char* type = definition ? "ATTDEF" : "ATTRIB";
    const std::string_view own = definition ? "AcDbAttributeDefinition" : "AcDbAttribute";
    Numbers n{in, type};
    TextFields f;
    host_detail::AttributeFlags flags;
    std::wstring tag, prompt;
    bool tagSeen = false;
    long long bits = 0, length = 0, lock = 0;
    Marker m;
    EachTag(in, [&](const Tag& t) {
        m.see(t);
        if (t.code == 101) n.keep();  // multi-line text
        if (m.in("AcDbText") && TextField(in, n, t, f)) return;
        if (!m.in(own)) return;
        switch (t.code) {
        case 2: tag = in.codec.decode(Trim(t.value)); tagSeen = true; break;
        case 3: if (definition) prompt = in.codec.decode(t.value); break;
        case 70: bits = n.integer(t); break;
        case 73: length = n.integer(t); break;
        case 74: f.v = n.integer(t); break;
        case 280: if (tagSeen || !m.any) lock = n.integer(t); break;
        default: break;
        }
    });
    if (!CheckTextFields(n, f)) return nullptr;
    if (bits < 0 || bits > 15 || length < 0 || length > 65535) n.unfit("has attribute flags out of range");
    if (n.bad) return nullptr;
    flags.invisible = bits & 1;
    flags.constant = bits & 2;
    flags.verifiable = bits & 4;
    flags.preset = bits & 8;
    flags.lockPosition = lock != 0;
    flags.fieldLength = static_cast<int>(length);
    if (definition) {
        auto* d = new AcDbAttributeDefinition(f.pos, f.text.c_str(), tag.c_str(), prompt.c_str());
        ApplyTextFields(d, f);
        d->setInvisible(flags.invisible);
        d->setConstant(flags.constant);
        d->setVerifiable(flags.verifiable);
        d->setPreset(flags.preset);
        d->setLockPositionInBlock(flags.lockPosition);
        d->setFieldLength(static_cast<Adesk::UInt16>(flags.fieldLength));
        return d;
    }
    auto* a = new AcDbAttribute(f.pos, f.text.c_str(), tag.c_str());
    ApplyTextFields(a, f);
    a->setFlags(flags);
    return a;
}

AcDbEntity* ReadAttrib(EntityIn& in) { return ReadAttributeEntity(in, false); }
AcDbEntity* ReadAttdef(EntityIn& in) { return ReadAttributeEntity(in, true); }

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
    if (const auto* m = AcDbMInsertBlock::cast(ent)) {
        if (m->columns() != 1 || out.has(70)) out.e.integer(70, m->columns());
        if (m->rows() != 1 || out.has(71)) out.e.integer(71, m->rows());
        if (m->columnSpacing() != 0.0 || out.has(44)) out.e.num(44, m->columnSpacing());
        if (m->rowSpacing() != 0.0 || out.has(45)) out.e.num(45, m->rowSpacing());
    }
    if (!IsPlusZ(n) || out.has(210) || out.has(230)) out.e.vec(210, n);
}

// Flags of code 70 and the codes after it.
long long FlagBits(const host_detail::AttributeFlags& f) {
    return (f.invisible ? 1 : 0) | (f.constant ? 2 : 0) | (f.verifiable ? 4 : 0) | (f.preset ? 8 : 0);
}

// The version (280 before the tag under the attribute's marker) of the
// record as read: -1 when it had none.
long long OrigVersion(const EntityOut& out, std::string_view own) {
    if (!out.orig) return -1;
    bool under = false;
    for (const Tag& t : *out.orig) {
        if (t.code == 1001) break;
        if (t.code == 100) under = Trim(t.value) == own;
        if (!under) continue;
        if (t.code == 2) return -1;
        long long v = 0;
        if (t.code == 280 && ParseInt(t.value, v)) return v;
    }
    return -1;
}

void WriteAttributeTail(EntityOut& out, const ACHAR* tag, const ACHAR* prompt,
                        const host_detail::AttributeFlags& f, const AcDbText* t, std::string_view own) {
    const long long version = OrigVersion(out, own);
    if (version >= 0) out.e.integer(280, version);
    if (prompt && !out.asRead({3}, prompt)) out.e.str(3, prompt);
    if (!out.asRead({2}, tag)) out.e.str(2, tag);
    out.e.integer(70, FlagBits(f));
    if (f.fieldLength != 0 || out.has(73)) out.e.integer(73, f.fieldLength);
    if (t->verticalMode() != AcDb::kTextBase || out.has(74)) out.e.integer(74, t->verticalMode());
    // The lock flag: a 280 besides the version.
    int n280 = 0;
    if (out.orig)
        for (const Tag& x : *out.orig) {
            if (x.code == 1001) break;
            if (x.code == 280) ++n280;
        }
    if (f.lockPosition || n280 > (version >= 0 ? 1 : 0)) out.e.integer(280, f.lockPosition ? 1 : 0);
}

// The text part as TEXT writes it, but the vertical mode: an attribute
// gives it under its own subclass (74), not under a second AcDbText (73).
void WriteAttrib(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* a = AcDbAttribute::cast(ent);
    if (i == 0) {
        WriteTextOwned(out, ent, 0);
        return;
    }
    WriteAttributeTail(out, a->tagConst(), nullptr, a->flags(), a, "AcDbAttribute");
}

void WriteAttdef(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* a = AcDbAttributeDefinition::cast(ent);
    if (i == 0) {
        WriteTextOwned(out, ent, 0);
        return;
    }
    WriteAttributeTail(out, a->tagConst(), a->promptConst(), a->flags(), a, "AcDbAttributeDefinition");
}

const AcRxClass* InsertClass() { return AcDbBlockReference::desc(); }
const AcRxClass* MInsertClass() { return AcDbMInsertBlock::desc(); }
const AcRxClass* AttribClass() { return AcDbAttribute::desc(); }
const AcRxClass* AttdefClass() { return AcDbAttributeDefinition::desc(); }

const std::vector<int> kTextCodes = {10, 20, 30, 40, 1, 50, 41, 51, 7, 72, 11, 21, 31};

}  // namespace

void AddBlockDescriptions(std::vector<EntityDescription>& all) {
    // INSERT first: DescriptionOf("INSERT") finds it, and its reading makes
    // an array where the record is one.
    all.push_back({"INSERT", InsertClass,
                   {{"AcDbBlockReference", {66, 2, 10, 20, 30, 41, 42, 43, 50, 210, 220, 230}}}, ReadInsert,
                   WriteInsert});
    all.push_back({"INSERT", MInsertClass,
                   {{"AcDbMInsertBlock", {66, 2, 10, 20, 30, 41, 42, 43, 50, 70, 71, 44, 45, 210, 220, 230}}},
                   ReadInsert, WriteInsert});
    all.push_back({"ATTRIB", AttribClass,
                   {{"AcDbText", kTextCodes}, {"AcDbAttribute", {2, 70, 73, 74, 280}}}, ReadAttrib, WriteAttrib});
    all.push_back({"ATTDEF", AttdefClass,
                   {{"AcDbText", kTextCodes}, {"AcDbAttributeDefinition", {3, 2, 70, 73, 74, 280}}}, ReadAttdef,
                   WriteAttdef});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
