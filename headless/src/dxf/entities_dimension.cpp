// DIMENSION (see entities.h): aligned, rotated, radial and diametric
// dimensions; the other kinds (angular, ordinate) are kept as read. The
// dimension names its block by code 2 and its style by code 3; Build
// resolves both (EntityIn::blockName, EntityIn::styleName). Points 10 and
// 13 to 15 are world coordinates, 11 and 12 object coordinates.
#include <cmath>

#include "acutads.h"
#include "dbdim.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

enum DimType { kRotated = 0, kAligned = 1, kDiameter = 3, kRadius = 4 };
constexpr long long kTypeMask = 0x0F;
constexpr long long kUserText = 128;
constexpr long long kOwnBlock = 32;  // the block serves this dimension only

AcGePoint3d FromOcs(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (IsPlusZ(n)) return p;
    AcGeVector3d ax, ay;
    OcsAxes(n, ax, ay);
    return AcGePoint3d::kOrigin + ax * p.x + ay * p.y + n.normal() * p.z;
}

AcGePoint3d ToOcs(const AcGePoint3d& p, const AcGeVector3d& n) {
    if (IsPlusZ(n)) return p;
    AcGeVector3d ax, ay;
    OcsAxes(n, ax, ay);
    const AcGeVector3d v = p.asVector();
    return AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(n.normal()));
}

AcDbEntity* ReadDimension(EntityIn& in) {
    Numbers n{in, "DIMENSION"};
    AcGePoint3d pts[6];  // codes 10 to 15
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    long long flags = 0, attachment = AcDbMText::kMiddleCenter, spacing = AcDb::kAtLeast;
    double factor = 1, textRotation = 0, horizontal = 0, oblique = 0, rotation = 0, leader = 0;
    std::wstring text;
    EachTag(in, [&](const Tag& t) {
        const int c = t.code;
        if (c >= 10 && c <= 15) pts[c - 10].x = n.real(t);
        else if (c >= 20 && c <= 25) pts[c - 20].y = n.real(t);
        else if (c >= 30 && c <= 35) pts[c - 30].z = n.real(t);
        switch (c) {
        case 2: in.blockName = Trim(t.value); break;
        case 3: in.styleName = t.value; break;
        case 1: text = in.codec.decode(t.value); break;
        case 70: flags = n.integer(t); break;
        case 71: attachment = n.integer(t); break;
        case 72: spacing = n.integer(t); break;
        case 41: factor = n.real(t); break;
        case 53: textRotation = n.real(t) / kDegPerRad; break;
        case 51: horizontal = n.real(t) / kDegPerRad; break;
        case 52: oblique = n.real(t) / kDegPerRad; break;
        case 50: rotation = n.real(t) / kDegPerRad; break;
        case 40: leader = n.real(t); break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        default: break;
        }
    });
    const long long type = flags & kTypeMask;
    // Angular and ordinate dimensions are kept as read, without a warning.
    if (type != kRotated && type != kAligned && type != kDiameter && type != kRadius) return nullptr;
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (attachment < 1 || attachment > 9) n.unfit("has an unknown text attachment");
    if (spacing != AcDb::kAtLeast && spacing != AcDb::kExactly) n.unfit("has an unknown line spacing style");
    if (n.bad) return nullptr;
    normal = normal.normal();
    const AcGePoint3d text11 = FromOcs(pts[1], normal), block12 = FromOcs(pts[2], normal);
    AcDbDimension* d = nullptr;
    switch (type) {
    case kRotated: {
        auto* r = new AcDbRotatedDimension(rotation, pts[3], pts[4], pts[0], text.c_str());
        r->setOblique(oblique);
        d = r;
        break;
    }
    case kAligned: {
        auto* a = new AcDbAlignedDimension(pts[3], pts[4], pts[0], text.c_str());
        a->setOblique(oblique);
        d = a;
        break;
    }
    case kRadius: d = new AcDbRadialDimension(pts[0], pts[5], leader, text.c_str()); break;
    default: d = new AcDbDiametricDimension(pts[5], pts[0], leader, text.c_str()); break;
    }
    d->setNormal(normal);
    d->setTextPosition(text11);
    if (!(flags & kUserText)) d->useDefaultTextPosition();
    d->setTextRotation(textRotation);
    d->setHorizontalRotation(horizontal);
    d->setTextAttachment(static_cast<AcDbMText::AttachmentPoint>(attachment));
    d->setTextLineSpacingStyle(static_cast<AcDb::LineSpacingStyle>(spacing));
    d->setTextLineSpacingFactor(factor);
    d->setDimBlockPosition(block12);
    return d;
}

// The definition point (10) of each kind.
AcGePoint3d DefinitionPoint(const AcDbDimension* d) {
    if (const auto* a = AcDbAlignedDimension::cast(d)) return a->dimLinePoint();
    if (const auto* r = AcDbRotatedDimension::cast(d)) return r->dimLinePoint();
    if (const auto* r = AcDbRadialDimension::cast(d)) return r->center();
    return AcDbDiametricDimension::cast(d)->farChordPoint();
}

long long TypeOf(const AcDbDimension* d) {
    if (AcDbRotatedDimension::cast(d)) return kRotated;
    if (AcDbAlignedDimension::cast(d)) return kAligned;
    if (AcDbRadialDimension::cast(d)) return kRadius;
    return kDiameter;
}

void WriteDimensionCommon(EntityOut& out, const AcDbDimension* d) {
    Emitter& o = out.e;
    const AcGeVector3d n = d->normal();
    if (out.has(280)) o.integer(280, out.origInt(280, 0));  // the dimension's version (R2010 and later)
    if (!d->dimBlockId().isNull()) o.str(2, out.nameOf(d->dimBlockId()));
    o.point(10, DefinitionPoint(d));
    // A default text position as the file gave it while the dimension and
    // its block are unchanged; worked out anew otherwise.
    if (!out.changed && out.has(11) && d->isUsingDefaultTextPosition())
        o.point(11, AcGePoint3d(out.origReal(11, 0), out.origReal(21, 0), out.origReal(31, 0)));
    else
        o.point(11, ToOcs(d->textPosition(), n));
    if (!d->dimBlockPosition().isEqualTo(AcGePoint3d::kOrigin) || out.has(12))
        o.point(12, ToOcs(d->dimBlockPosition(), n));
    const long long kept = out.orig ? out.origInt(70, 0) & 0x60 : kOwnBlock;
    o.integer(70, TypeOf(d) | kept | (d->isUsingDefaultTextPosition() ? 0 : kUserText));
    o.integer(71, d->textAttachment());
    if (d->textLineSpacingStyle() != AcDb::kAtLeast || out.has(72)) o.integer(72, d->textLineSpacingStyle());
    if (d->textLineSpacingFactor() != 1.0 || out.has(41)) o.num(41, d->textLineSpacingFactor());
    // The measurement as the file gave it (or not) while unchanged.
    double value = 0;
    if (!out.changed) {
        if (out.has(42)) o.num(42, out.origReal(42, 0));
    } else if (out.version > "AC1009" && const_cast<AcDbDimension*>(d)->measurement(value) == Acad::eOk) {
        o.num(42, value);
    }
    ACHAR* text = d->dimensionText();
    if ((text && *text) || out.has(1)) o.str(1, text);
    acutDelString(text);
    if (d->textRotation() != 0.0 || out.has(53)) o.num(53, d->textRotation() * kDegPerRad);
    if (d->horizontalRotation() != 0.0 || out.has(51)) o.num(51, d->horizontalRotation() * kDegPerRad);
    if (!IsPlusZ(n) || out.has(210) || out.has(230)) o.vec(210, n);
    const std::wstring style = out.nameOf(d->dimensionStyle());
    if (!style.empty()) o.str(3, style);
    // The oblique angle of linear dimensions, where readers look for it.
    const auto* a = AcDbAlignedDimension::cast(d);
    const auto* r = AcDbRotatedDimension::cast(d);
    const double oblique = a ? a->oblique() : r ? r->oblique() : 0.0;
    if ((a || r) && (oblique != 0.0 || out.has(52))) o.num(52, oblique * kDegPerRad);
}

void WriteAligned(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* d = AcDbDimension::cast(ent);
    if (i == 0) {
        WriteDimensionCommon(out, d);
        return;
    }
    if (i == 2) return;  // AcDbRotatedDimension holds nothing of its own
    const auto* a = AcDbAlignedDimension::cast(ent);
    const auto* r = AcDbRotatedDimension::cast(ent);
    out.e.point(13, a ? a->xLine1Point() : r->xLine1Point());
    out.e.point(14, a ? a->xLine2Point() : r->xLine2Point());
    if (r && (r->rotation() != 0.0 || out.has(50))) out.e.num(50, r->rotation() * kDegPerRad);
    else if (out.has(50)) out.e.num(50, out.origReal(50, 0));
}

void WriteRadial(EntityOut& out, const AcDbEntity* ent, std::size_t i) {
    const auto* d = AcDbDimension::cast(ent);
    if (i == 0) {
        WriteDimensionCommon(out, d);
        return;
    }
    const auto* r = AcDbRadialDimension::cast(ent);
    const auto* m = AcDbDiametricDimension::cast(ent);
    out.e.point(15, r ? r->chordPoint() : m->chordPoint());
    out.e.num(40, r ? r->leaderLength() : m->leaderLength());
}

AcDbEntity* NotRead(EntityIn&) { return nullptr; }

const AcRxClass* RotatedClass() { return AcDbRotatedDimension::desc(); }
const AcRxClass* AlignedClass() { return AcDbAlignedDimension::desc(); }
const AcRxClass* RadialClass() { return AcDbRadialDimension::desc(); }
const AcRxClass* DiametricClass() { return AcDbDiametricDimension::desc(); }

const std::vector<int> kCommon = {280, 2, 10, 20, 30, 11, 21, 31, 12, 22, 32, 70, 71, 72, 41, 42, 1, 53, 51, 210, 220, 230, 3};
const std::vector<int> kLinearCommon = {280, 2,  10, 20, 30, 11, 21, 31, 12,  22,  32,  70, 71,
                                        72, 41, 42, 1,  53, 51, 210, 220, 230, 3, 52};
const std::vector<int> kLinear = {12, 22, 32, 13, 23, 33, 14, 24, 34, 50, 52};  // 52 written with the common part
const std::vector<int> kRadialCodes = {15, 25, 35, 40};

}  // namespace

void AddDimensionDescriptions(std::vector<EntityDescription>& all) {
    // The first serves reading for all four kinds (code 70 chooses).
    all.push_back({"DIMENSION", RotatedClass,
                   {{"AcDbDimension", kLinearCommon}, {"AcDbAlignedDimension", kLinear}, {"AcDbRotatedDimension", {}}},
                   ReadDimension, WriteAligned});
    all.push_back({"DIMENSION", AlignedClass,
                   {{"AcDbDimension", kLinearCommon}, {"AcDbAlignedDimension", kLinear}}, NotRead, WriteAligned});
    all.push_back({"DIMENSION", RadialClass, {{"AcDbDimension", kCommon}, {"AcDbRadialDimension", kRadialCodes}},
                   NotRead, WriteRadial});
    all.push_back({"DIMENSION", DiametricClass,
                   {{"AcDbDimension", kCommon}, {"AcDbDiametricDimension", kRadialCodes}}, NotRead, WriteRadial});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
