// MTEXT (see entities.h).
#include <cmath>

#include "dbmtext.h"
#include "entities.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

// The file splits long contents into pieces of this many characters: all but
// the last under code 3, the last under code 1.
constexpr std::size_t kChunk = 250;

AcDbEntity* ReadMText(EntityIn& in) {
    Numbers n{in, "MTEXT"};
    AcGePoint3d at;
    AcGeVector3d normal = AcGeVector3d::kZAxis, dir;
    bool hasDir = false, hasAngle = false;
    double height = 2.5, width = 0, defined = 0, angle = 0, factor = 1;
    long long attach = 1, flow = 1, spacing = 1;
    std::string text;  // the file's bytes, decoded once (a piece may end inside a character)
    std::string last;
    EachTag(in, [&](const Tag& t) {
        switch (t.code) {
        case 10: at.x = n.real(t); break;
        case 20: at.y = n.real(t); break;
        case 30: at.z = n.real(t); break;
        case 11: dir.x = n.real(t); hasDir = true; break;
        case 21: dir.y = n.real(t); break;
        case 31: dir.z = n.real(t); break;
        case 40: height = n.real(t); break;
        case 41: width = n.real(t); break;
        case 46: defined = n.real(t); break;
        case 44: factor = n.real(t); break;
        case 50: angle = n.real(t) / kDegPerRad; hasAngle = true; break;
        case 71: attach = n.integer(t); break;
        case 72: flow = n.integer(t); break;
        case 73: spacing = n.integer(t); break;
        case 3: text.append(t.value.data(), t.value.size()); break;
        case 1: last.assign(t.value.data(), t.value.size()); break;
        case 7: in.styleName = t.value; break;
        case 210: normal.x = n.real(t); break;
        case 220: normal.y = n.real(t); break;
        case 230: normal.z = n.real(t); break;
        // Columns of a later version repeat the codes above with other
        // meanings: such a text is kept as read.
        case 101: n.keep(); break;
        default: break;
        }
    });
    if (!(height > 0)) n.unfit("has no positive text height");
    if (width < 0 || defined < 0) n.unfit("has a negative size");
    if (attach < 1 || attach > 9) n.unfit("has an unknown attachment");
    if (flow < 1 || flow > 5) n.unfit("has an unknown drawing direction");
    if (spacing < 1 || spacing > 2) n.unfit("has an unknown line spacing style");
    if (!(factor >= 0.25 && factor <= 4.0)) n.unfit("has a line spacing factor out of range");
    if (!(normal.length() > 1e-12)) n.unfit("has a zero extrusion direction");
    if (hasDir && !(dir.length() > 1e-12)) hasDir = false;
    if (n.bad) return nullptr;
    auto* e = new AcDbMText;
    e->setLocation(at);
    e->setNormal(normal);
    if (hasDir) e->setDirection(dir);
    else if (hasAngle) e->setRotation(angle);
    e->setTextHeight(height);
    e->setWidth(width);
    e->setHeight(defined);
    e->setAttachment(static_cast<AcDbMText::AttachmentPoint>(attach));
    e->setFlowDirection(static_cast<AcDbMText::FlowDirection>(flow));
    e->setLineSpacingStyle(static_cast<AcDb::LineSpacingStyle>(spacing));
    e->setLineSpacingFactor(factor);
    text += last;
    e->setContents(in.codec.decode(text).c_str());
    return e;
}

// Pieces of kChunk characters, never between the halves of a surrogate pair
// (16-bit wchar_t).
void WriteContents(Emitter& e, const std::wstring& s) {
    std::size_t at = 0;
    while (s.size() - at > kChunk) {
        std::size_t end = at, chars = 0;
        while (end < s.size() && chars < kChunk) {
            const bool high = sizeof(wchar_t) == 2 && s[end] >= 0xD800 && s[end] <= 0xDBFF && end + 1 < s.size();
            end += high ? 2 : 1;
            ++chars;
        }
        if (end >= s.size()) break;
        e.str(3, s.substr(at, end - at));
        at = end;
    }
    e.str(1, s.substr(at));
}

void WriteMText(EntityOut& out, const AcDbEntity* ent, std::size_t) {
    const auto* m = AcDbMText::cast(ent);
    out.e.point(10, m->location());
    out.e.num(40, m->textHeight());
    if (m->width() != 0.0 || out.has(41) || !out.orig) out.e.num(41, m->width());
    if (m->height() != 0.0 || out.has(46)) out.e.num(46, m->height());
    out.e.integer(71, m->attachment());
    if (m->flowDirection() != AcDbMText::kLtoR || out.has(72) || !out.orig) out.e.integer(72, m->flowDirection());
    if (!out.asRead({3, 1}, m->contentsConst())) WriteContents(out.e, m->contentsConst());
    if (!m->textStyle().isNull()) {
        const std::wstring style = out.nameOf(m->textStyle());
        if (!style.empty() && (out.has(7) || !out.orig || style != L"Standard")) out.e.str(7, style);
    }
    if (!IsPlusZ(m->normal()) || out.has(210) || out.has(230)) out.e.vec(210, m->normal());
    // The direction as the file gave it: an angle alone, else the axis.
    if (out.has(50) && !out.has(11)) {
        out.e.num(50, m->rotation() * kDegPerRad);
    } else if (out.has(11) || !m->direction().isEqualTo(AcGeVector3d::kXAxis)) {
        out.e.vec(11, m->direction());
    }
    if (m->lineSpacingStyle() != AcDb::kAtLeast || out.has(73)) out.e.integer(73, m->lineSpacingStyle());
    if (m->lineSpacingFactor() != 1.0 || out.has(44)) out.e.num(44, m->lineSpacingFactor());
}

const AcRxClass* MTextClass() { return AcDbMText::desc(); }

}  // namespace

void AddTextDescriptions(std::vector<EntityDescription>& all) {
    all.push_back({"MTEXT", MTextClass,
                   {{"AcDbMText",
                     {10, 20, 30, 40, 41, 46, 71, 72, 3, 1, 7, 210, 220, 230, 11, 21, 31, 50, 73, 44}}},
                   ReadMText, WriteMText});
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
