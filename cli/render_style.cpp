// Colours, lineweights and layers of the entities drawn, and the block
// contents the renderer draws references through (see render_scene.h).
#include <cctype>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <dbkept.h>
#include <dbsymtb.h>

#include "render_scene.h"
#include "svg_render.h"

namespace drovik::cli {
namespace {

// The page is taken as 420 mm wide (A3) for lineweights.
constexpr double kPageMm = 420.0;

bool ParseLong(const std::string* text, long& value) {
    if (!text || text->empty()) return false;
    char* end = nullptr;
    value = std::strtol(text->c_str(), &end, 10);
    return end && *end == '\0';
}

// Lineweight code 370: hundredths of a millimetre; -1 by layer, -2 by
// block, -3 the default.
enum : long { kByLayer = -1, kByBlock = -2, kDefault = -3 };

}  // namespace

const std::string* TagValue(const std::vector<host::dxf::FileTag>& tags, int code) {
    for (const auto& t : tags) {
        if (t.code == 1001) break;  // extended data follows
        if (t.code == 0) break;     // the next record of a sequence
        if (t.code == code) return &t.value;
    }
    return nullptr;
}

std::string TrueColorRgb(long value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06lx", static_cast<unsigned long>(value) & 0xffffffUL);
    return buf;
}

const std::vector<host::dxf::FileTag>& Scene::TagsOf(const AcDbEntity& ent) {
    if (ent.objectId().isNull() || m_tagsOf != ent.objectId()) {
        host::dxf::ObjectFileTags(&ent, m_tags);
        m_tagsOf = ent.objectId();
    }
    return m_tags;
}

namespace {
std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
}  // namespace

const std::vector<host::dxf::FileTag>* Scene::KeptRecord(const std::string& handle) {
    if (!m_keptRead) {
        m_keptRead = true;
        for (const char* type : {"DICTIONARY", "SPATIAL_FILTER"})
            for (auto& tags : host::dxf::FileRecordsOfType(m_db, type))
                if (const std::string* own = TagValue(tags, 5)) m_kept[Upper(*own)] = std::move(tags);
    }
    const auto found = m_kept.find(Upper(handle));
    return found == m_kept.end() ? nullptr : &found->second;
}

const LayerLook& Scene::LayerOf(AcDbObjectId id) {
    const auto found = m_layers.find(id);
    if (found != m_layers.end()) return found->second;
    LayerLook look;
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, id, AcDb::kForRead) == Acad::eOk) {
        look.hidden = layer->isOff() || layer->isFrozen();
        look.color = AciToRgb(layer->color().colorIndex());
        CString name;
        layer->getName(name);
        look.isZero = name.str() == L"0";
        std::vector<host::dxf::FileTag> tags;
        host::dxf::ObjectFileTags(layer, tags);
        long value = 0;
        if (ParseLong(TagValue(tags, 420), value)) look.color = TrueColorRgb(value);
        if (ParseLong(TagValue(tags, 370), value) && value >= 0) look.lineweightMm = value / 100.0;
        layer->close();
    }
    return m_layers.emplace(id, look).first->second;
}

bool Scene::Resolve(const AcDbEntity& ent, const Inherited& from, Look& look) {
    AcDbObjectId layerId = ent.layerId();
    const LayerLook* layer = &LayerOf(layerId);
    if (layer->isZero && !from.layer.isNull()) {
        layerId = from.layer;
        layer = &LayerOf(layerId);
    }
    if (layer->hidden) return false;
    look.layer = layerId;
    const auto& tags = TagsOf(ent);
    long value = 0;
    if (ParseLong(TagValue(tags, 420), value)) {
        look.color = TrueColorRgb(value);
    } else if (ent.colorIndex() == 0) {
        look.color = from.color;
    } else if (ent.colorIndex() == 256) {
        look.color = layer->color;
    } else {
        look.color = AciToRgb(ent.colorIndex());
    }
    long weight = kByLayer;
    ParseLong(TagValue(tags, 370), weight);
    if (weight == kByLayer) look.lineweightMm = layer->lineweightMm;
    else if (weight == kByBlock) look.lineweightMm = from.lineweightMm;
    else look.lineweightMm = weight >= 0 ? weight / 100.0 : -1;
    look.widthPx = PxOfLineweight(look.lineweightMm);
    return true;
}

double Scene::PxOfLineweight(double mm) const {
    if (!(mm > 0)) return m_canvas.thin();
    return std::max(m_canvas.thin(), mm * m_canvas.page().pageWidth() / kPageMm);
}

const std::vector<Scene::Member>& Scene::BlockMembers(AcDbObjectId block) {
    const auto found = m_blocks.find(block);
    if (found != m_blocks.end()) return found->second;
    std::vector<Member> members;
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, block, AcDb::kForRead) == Acad::eOk) {
        const std::vector<AcDbObjectId> ids = record->entityIds();
        record->close();
        for (const AcDbObjectId& id : ids) {
            AcDbEntity* ent = nullptr;
            if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) continue;
            Member member{id, nullptr};
            if (const auto* kept = AcDbKeptEntity::cast(ent)) member.copy.reset(host::dxf::ModelKeptEntity(kept));
            ent->close();
            members.push_back(std::move(member));
        }
    }
    return m_blocks.emplace(block, std::move(members)).first->second;
}

bool Scene::Enter(AcDbObjectId block) {
    // Deep enough for any real drawing; a block that holds itself stops here.
    if (m_drawing.size() >= 24 || std::find(m_drawing.begin(), m_drawing.end(), block) != m_drawing.end())
        return false;
    m_drawing.push_back(block);
    return true;
}

void Scene::Leave(AcDbObjectId block) {
    if (!m_drawing.empty() && m_drawing.back() == block) m_drawing.pop_back();
}

}  // namespace drovik::cli
