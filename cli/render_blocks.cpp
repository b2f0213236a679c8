// Block references (single and in rows and columns) with their attributes,
// drawn through their block's entities.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include <memory>

#include <dbents.h>
#include <dbkept.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

// Arrays larger than this are drawn as their first this many cells.
constexpr long kMostCells = 10000;

void DrawAttributes(Scene& scene, const AcDbBlockReference& ref, const Inherited& from) {
    std::unique_ptr<AcDbObjectIterator> it(ref.attributeIterator());
    for (; it && !it->done(); it->step()) {
        if (it->objectId().isNull()) {
            if (const AcDbEntity* attribute = it->entity()) DrawEntity(scene, *attribute, *attribute, from);
            continue;
        }
        AcDbAttribute* attribute = nullptr;
        if (ref.openAttribute(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
        DrawEntity(scene, *attribute, *attribute, from);
        attribute->close();
    }
}

// ---- clipping (XCLIP) ----
// A clipped reference holds, in its extension dictionary's ACAD_FILTER
// dictionary, a SPATIAL_FILTER record under "SPATIAL": its boundary (two
// corners of a rectangle, or a polygon) as drawn when the clip was made,
// then the inverse of the reference's transform at that time and the
// boundary's own transform (twelve 40 codes each, a 3 x 4 matrix by rows),
// which together take the boundary into the block's coordinates.

const std::string* EntryHandle(const std::vector<host::dxf::FileTag>& dict, const std::string& name) {
    for (size_t i = 0; i + 1 < dict.size(); ++i)
        if (dict[i].code == 3 && dict[i].value == name && (dict[i + 1].code == 350 || dict[i + 1].code == 360))
            return &dict[i + 1].value;
    return nullptr;
}

const std::string* ExtensionDictionaryHandle(const std::vector<host::dxf::FileTag>& tags) {
    for (size_t i = 0; i + 1 < tags.size(); ++i) {
        if (tags[i].code == 0) break;  // the parts that follow a head
        if (tags[i].code == 102 && tags[i].value == "{ACAD_XDICTIONARY" && tags[i + 1].code == 360)
            return &tags[i + 1].value;
    }
    return nullptr;
}

AcGeMatrix3d MatrixOf(const std::vector<double>& v, size_t at) {
    AcGeMatrix3d m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) m.entry[r][c] = v[at + static_cast<size_t>(r * 4 + c)];
    return m;
}

// The clip boundary of a reference in its block's coordinates; empty when
// it is not clipped (or its filter is switched off or ill-formed).
std::vector<AcGePoint3d> ClipBoundary(Scene& scene, const AcDbEntity& style) {
    const std::string* xdict = ExtensionDictionaryHandle(scene.TagsOf(style));
    const std::vector<host::dxf::FileTag>* dict = xdict ? scene.KeptRecord(*xdict) : nullptr;
    // The extension dictionary itself may be modelled (it holds none of its
    // kept entries then): its record as read names them.
    std::vector<host::dxf::FileTag> modelled;
    AcDbObject* xdictObject = nullptr;
    if (!dict && !style.extensionDictionary().isNull() &&
        acdbOpenObject(xdictObject, style.extensionDictionary(), AcDb::kForRead) == Acad::eOk) {
        if (host::dxf::ObjectFileTags(xdictObject, modelled)) dict = &modelled;
        xdictObject->close();
    }
    const std::string* filters = dict ? EntryHandle(*dict, "ACAD_FILTER") : nullptr;
    dict = filters ? scene.KeptRecord(*filters) : nullptr;
    const std::string* spatial = dict ? EntryHandle(*dict, "SPATIAL") : nullptr;
    const std::vector<host::dxf::FileTag>* filter = spatial ? scene.KeptRecord(*spatial) : nullptr;
    if (!filter) return {};
    std::vector<AcGePoint3d> corners;
    std::vector<double> numbers;  // the 40 codes: a front clip distance may come first
    bool enabled = true, inFilter = false;
    for (const auto& t : *filter) {
        if (t.code == 100) inFilter = t.value == "AcDbSpatialFilter";
        if (!inFilter) continue;
        const double v = std::strtod(t.value.c_str(), nullptr);
        if (t.code == 10) corners.emplace_back(v, 0, 0);
        if (t.code == 20 && !corners.empty()) corners.back().y = v;
        if (t.code == 71) enabled = v != 0;
        if (t.code == 40) numbers.push_back(v);
    }
    if (!enabled || corners.size() < 2 || numbers.size() < 24) return {};
    if (corners.size() == 2) {
        const AcGePoint3d a = corners[0], b = corners[1];
        corners = {a, AcGePoint3d(b.x, a.y, 0), b, AcGePoint3d(a.x, b.y, 0)};
    }
    const AcGeMatrix3d toBlock = MatrixOf(numbers, numbers.size() - 24) * MatrixOf(numbers, numbers.size() - 12);
    for (AcGePoint3d& p : corners) p = toBlock * p;
    return corners;
}

// Opens an SVG group clipped to the boundary (in the current transform's
// coordinates); false when there is none to open.
bool BeginClip(Scene& scene, const std::vector<AcGePoint3d>& boundary) {
    if (boundary.size() < 3) return false;
    PagePath path;
    for (const AcGePoint3d& p : boundary) scene.canvas().AddLine(path, p);
    path.Close();
    const std::string id = "clip" + std::to_string(scene.NewClipId());
    scene.canvas().Raw("<clipPath id=\"" + id + "\"><path d=\"" + path.d() + "\" clip-rule=\"evenodd\"/></clipPath>\n<g clip-path=\"url(#" +
                       id + ")\">\n");
    return true;
}

}  // namespace

void DrawBlock(Scene& scene, AcDbObjectId block, const Look& refLook) {
    if (block.isNull() || !scene.Enter(block)) return;
    const Inherited inside{refLook.color, refLook.lineweightMm, refLook.layer};
    // Copied: drawing a nested reference may add to the cache.
    const std::vector<Scene::Member> members = scene.BlockMembers(block);
    for (const Scene::Member& member : members) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, member.id, AcDb::kForRead) != Acad::eOk) continue;
        DrawEntity(scene, member.copy ? *member.copy : *ent, *ent, inside);
        ent->close();
    }
    scene.Leave(block);
}

bool DrawReference(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look,
                   const Inherited& from) {
    const auto* ref = AcDbBlockReference::cast(&ent);
    if (!ref) return false;
    const AcGeMatrix3d place = ref->blockTransform();
    long columns = 1, rows = 1;
    double dx = 0, dy = 0;
    if (const auto* array = AcDbMInsertBlock::cast(ref)) {
        columns = array->columns();
        rows = array->rows();
        dx = array->columnSpacing();
        dy = array->rowSpacing();
    }
    // Cells step along the reference's turned axes.
    const AcGeVector3d across(std::cos(ref->rotation()), std::sin(ref->rotation()), 0);
    const AcGeVector3d up(-across.y, across.x, 0);
    const std::vector<AcGePoint3d> clip = ClipBoundary(scene, style);
    long cells = 0;
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < columns && cells < kMostCells; ++c, ++cells) {
            scene.canvas().Push(AcGeMatrix3d::translation(across * (dx * c) + up * (dy * r)) * place);
            const bool clipped = BeginClip(scene, clip);
            DrawBlock(scene, ref->blockTableRecord(), look);
            if (clipped) scene.canvas().Raw("</g>\n");
            scene.canvas().Pop();
        }
    }
    DrawAttributes(scene, *ref, from);
    return true;
}

}  // namespace drovik::cli
