// SVG rendering of a drawing's model space or of a layout.
#include "svg_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <dbkept.h>
#include <dbsymtb.h>
#include <dxfrecords.h>
#include <widetext.h>
#include <wincrt.h>

#include "drawing_query.h"
#include "render_scene.h"

namespace drovik::cli {
namespace {

bool LayerShown(AcDbObjectId layerId) {
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return true;
    const bool shown = !layer->isOff() && !layer->isFrozen();
    layer->close();
    return shown;
}

std::vector<AcDbObjectId> SpaceEntities(AcDbDatabase* pDb, AcDbObjectId space) {
    if (space.isNull()) return ModelSpaceEntities(pDb);
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, space, AcDb::kForRead) != Acad::eOk) return {};
    std::vector<AcDbObjectId> ids = record->entityIds();
    record->close();
    return ids;
}

// The modelled copy of each kept entity of ids that has a modelled form
// (null for the others): made once, for the page's extents and the drawing.
std::vector<std::unique_ptr<AcDbEntity>> ModelledCopies(const std::vector<AcDbObjectId>& ids) {
    std::vector<std::unique_ptr<AcDbEntity>> copies(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, ids[i], AcDb::kForRead) != Acad::eOk) continue;
        if (const auto* kept = AcDbKeptEntity::cast(ent)) copies[i].reset(host::dxf::ModelKeptEntity(kept));
        ent->close();
    }
    return copies;
}

// What is drawn of a kept entity is its modelled form, whose extents (a
// text's lines, a block's contents) are wider than the points of its record;
// an image is its frame.
AcDbExtents ShownExtents(const std::vector<AcDbObjectId>& ids,
                         const std::vector<std::unique_ptr<AcDbEntity>>& copies) {
    AcDbExtents all;
    for (size_t i = 0; i < ids.size(); ++i) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, ids[i], AcDb::kForRead) != Acad::eOk) continue;
        AcDbExtents ext;
        const auto* kept = AcDbKeptEntity::cast(ent);
        // A viewport's points are its centre only; it draws nothing itself.
        const bool viewport = kept && kept->dxfName() == "VIEWPORT";
        if (!viewport && ent->visibility() == AcDb::kVisible && LayerShown(ent->layerId())) {
            std::vector<host::dxf::FileTag> tags;
            AcGePoint3d frame[4];
            const AcDbEntity* shape = copies[i] ? copies[i].get() : ent;
            if (kept && kept->dxfName() == "IMAGE" && host::dxf::ObjectFileTags(kept, tags) && ImageFrame(tags, frame)) {
                for (const AcGePoint3d& corner : frame) all.addPoint(corner);
            } else if (shape->getGeomExtents(ext) == Acad::eOk && !ext.isEmpty()) {
                all.addExt(ext);
            }
        }
        ent->close();
    }
    return all;
}

struct SpaceRecord {
    AcDbObjectId id;
    std::wstring name;
    std::string layoutHandle;  // code 340 of the record: its layout
};

// The paper-space block records of the drawing, in table order.
std::vector<SpaceRecord> PaperSpaces(AcDbDatabase* pDb) {
    std::vector<SpaceRecord> spaces;
    AcDbBlockTable* table = nullptr;
    if (!pDb || pDb->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return spaces;
    const std::vector<AcDbObjectId> ids = table->recordIds();
    table->close();
    for (const AcDbObjectId& id : ids) {
        AcDbBlockTableRecord* record = nullptr;
        if (acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) continue;
        CString name;
        record->getName(name);
        if (_wcsnicmp(name.GetString(), L"*Paper_Space", 12) == 0) {
            SpaceRecord space{id, name.str(), {}};
            std::vector<host::dxf::FileTag> tags;
            host::dxf::ObjectFileTags(record, tags);
            if (const std::string* handle = TagValue(tags, 340)) space.layoutHandle = *handle;
            spaces.push_back(space);
        }
        record->close();
    }
    return spaces;
}

bool SameHandle(const std::string& a, const std::string& b) {
    unsigned long long x = 0, y = 0;
    return ParseHandle(a, x) && ParseHandle(b, y) && x == y;
}

// Layout names by the handle of their LAYOUT record.
std::vector<std::pair<std::string, std::wstring>> LayoutRecords(AcDbDatabase* pDb) {
    std::vector<std::pair<std::string, std::wstring>> layouts;
    for (const auto& tags : host::dxf::FileRecordsOfType(pDb, "LAYOUT")) {
        const std::string* handle = TagValue(tags, 5);
        const std::string* name = nullptr;
        bool after = false;  // the name is the 1 of its subclass AcDbLayout
        for (const auto& t : tags) {
            if (t.code == 100) after = t.value == "AcDbLayout";
            if (after && t.code == 1) {
                name = &t.value;
                break;
            }
        }
        if (handle && name) layouts.emplace_back(*handle, host::Utf8ToWide(*name));
    }
    return layouts;
}

}  // namespace

void DrawEntity(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Inherited& from) {
    if (style.visibility() == AcDb::kInvisible || ent.visibility() == AcDb::kInvisible) return;
    Look look;
    if (!scene.Resolve(style, from, look)) return;
    if (DrawCurve(scene, ent, look) || DrawTextKind(scene, ent, look) || DrawSolidKind(scene, ent, look) ||
        DrawReference(scene, ent, style, look, from) || DrawHatch(scene, ent, style, look) ||
        DrawDimension(scene, ent, style, look) || DrawAnnotation(scene, ent, style, look))
        return;
    // Kinds without a drawing of their own (viewports, solids of 3D
    // modelling, images, ...) leave a note only.
    std::string kind = host::WideToUtf8(ent.isA()->name());
    if (const auto* kept = AcDbKeptEntity::cast(&style)) kind = kept->dxfName();
    scene.canvas().Raw("<!-- not drawn: " + EscapeXml(host::Utf8ToWide(kind)) + " -->\n");
}

std::vector<std::wstring> LayoutNames(AcDbDatabase* pDb) {
    std::vector<std::wstring> names{L"Model"};
    const auto layouts = LayoutRecords(pDb);
    for (const SpaceRecord& space : PaperSpaces(pDb)) {
        std::wstring name = space.name;
        for (const auto& [handle, layout] : layouts)
            if (SameHandle(handle, space.layoutHandle)) name = layout;
        names.push_back(name);
    }
    return names;
}

AcDbObjectId LayoutSpace(AcDbDatabase* pDb, const std::wstring& name) {
    if (!pDb) return AcDbObjectId::kNull;
    if (_wcsicmp(name.c_str(), L"Model") == 0) return pDb->modelSpaceId();
    const auto layouts = LayoutRecords(pDb);
    for (const SpaceRecord& space : PaperSpaces(pDb)) {
        if (_wcsicmp(space.name.c_str(), name.c_str()) == 0) return space.id;
        for (const auto& [handle, layout] : layouts)
            if (SameHandle(handle, space.layoutHandle) && _wcsicmp(layout.c_str(), name.c_str()) == 0)
                return space.id;
    }
    return AcDbObjectId::kNull;
}

std::string AciToRgb(int index) {
    static const char* const kBase[] = {"#000000", "#ff0000", "#ffff00", "#00ff00", "#00ffff",
                                        "#0000ff", "#ff00ff", "#000000", "#808080", "#c0c0c0"};
    if (index >= 1 && index <= 9) return kBase[index];
    char buf[16];
    if (index >= 250 && index <= 255) {
        const int grey = std::min(255, 51 + (index - 250) * 41);
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", grey, grey, grey);
        return buf;
    }
    if (index < 10 || index > 249) return "#000000";
    // The palette's hue wheel: 24 hues of 15 degrees, five shades each, odd
    // indexes half-saturated.
    const double hue = ((index - 10) / 10) * 15.0;
    const int shade = (index % 10) / 2;
    const double value = (1.0 - 0.175 * shade);
    const double saturation = (index % 2) ? 0.5 : 1.0;
    const double c = value * saturation;
    const double h = hue / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) { r = c; g = x; }
    else if (h < 2) { r = x; g = c; }
    else if (h < 3) { g = c; b = x; }
    else if (h < 4) { g = x; b = c; }
    else if (h < 5) { r = x; b = c; }
    else { r = c; b = x; }
    const double m = value - c;
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>((r + m) * 255 + 0.5),
                  static_cast<int>((g + m) * 255 + 0.5), static_cast<int>((b + m) * 255 + 0.5));
    return buf;
}

std::string RenderSvg(AcDbDatabase* pDb, const SvgOptions& options) {
    const std::vector<AcDbObjectId> ids = pDb ? SpaceEntities(pDb, options.space) : std::vector<AcDbObjectId>();
    const std::vector<std::unique_ptr<AcDbEntity>> copies = ModelledCopies(ids);
    AcDbExtents all = ShownExtents(ids, copies);
    if (all.isEmpty()) all = AcDbExtents(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 100, 0));
    const PageMapping page(all, options.pageWidthPx, options.marginFraction);
    Canvas canvas(page, std::max(1.0, options.pageWidthPx / 1600.0));
    Scene scene(pDb, canvas);
    for (size_t i = 0; i < ids.size(); ++i) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, ids[i], AcDb::kForRead) != Acad::eOk) continue;
        DrawEntity(scene, copies[i] ? *copies[i] : *ent, *ent, Inherited{});
        ent->close();
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           SvgNumber(page.pageWidth()) + "\" height=\"" + SvgNumber(page.pageHeight()) + "\" viewBox=\"0 0 " +
           SvgNumber(page.pageWidth()) + " " + SvgNumber(page.pageHeight()) +
           "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" + canvas.svg() + "</svg>\n";
}

}  // namespace drovik::cli
