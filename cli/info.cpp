// A summary of a drawing.
#include "info.h"

#include <cstdio>

#include <dbents.h>
#include <dbsymtb.h>
#include <widetext.h>

#include "drawing_io.h"
#include "drawing_query.h"
#include "json_writer.h"
#include "text_escape.h"

namespace drovik::cli {
namespace {
// The DXF name of a host class name ("AcDbLine" -> "LINE").
std::wstring TypeName(const std::wstring& className) {
    static const std::map<std::wstring, std::wstring> kNames = {
        {L"AcDbLine", L"LINE"},         {L"AcDbArc", L"ARC"},           {L"AcDbCircle", L"CIRCLE"},
        {L"AcDbEllipse", L"ELLIPSE"},   {L"AcDbText", L"TEXT"},         {L"AcDbPolyline", L"LWPOLYLINE"},
        {L"AcDb2dPolyline", L"POLYLINE"}, {L"AcDbWipeout", L"WIPEOUT"}};
    const auto it = kNames.find(className);
    return it == kNames.end() ? className : it->second;
}

std::map<std::wstring, int> EntitiesByBlock(AcDbDatabase* pDb) {
    std::map<std::wstring, int> counts;
    AcDbBlockTable* table = nullptr;
    if (!pDb || pDb->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return counts;
    const std::vector<AcDbObjectId> ids = table->recordIds();
    table->close();
    for (const AcDbObjectId& id : ids) {
        AcDbBlockTableRecord* block = nullptr;
        if (acdbOpenObject(block, id, AcDb::kForRead) != Acad::eOk) continue;
        CString name;
        block->getName(name);
        counts[name.str()] = static_cast<int>(block->entityIds().size());
        block->close();
    }
    return counts;
}

void WriteCounts(JsonWriter& json, const char* key, const std::map<std::wstring, int>& counts) {
    json.Key(key).BeginObject();
    for (const auto& [name, count] : counts) json.Key(host::WideToUtf8(name)).Integer(count);
    json.EndObject();
}

void WriteCounts(JsonWriter& json, const char* key, const std::map<std::string, int>& counts) {
    json.Key(key).BeginObject();
    for (const auto& [name, count] : counts) json.Key(name).Integer(count);
    json.EndObject();
}

std::string CountLines(const char* title, const std::map<std::string, int>& counts) {
    std::string out = title;
    out += counts.empty() ? " none\n" : "\n";
    for (const auto& [kind, count] : counts) out += "  " + Printable(kind) + ": " + std::to_string(count) + "\n";
    return out;
}

}  // namespace

DrawingInfo Summarize(AcDbDatabase* pDb, const ReadNotes& notes) {
    DrawingInfo info;
    info.version = notes.version;
    info.binary = notes.binary;
    info.kept = notes.kept;
    info.skipped = notes.skipped;
    info.mends = notes.mends;
    info.mendCount = notes.mendCount;
    AcDbExtents all;
    for (const AcDbObjectId& id : ModelSpaceEntities(pDb)) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) continue;
        ++info.entities;
        ++info.byType[TypeName(ent->isA()->name())];
        ++info.byLayer[ent->layer().str()];
        AcDbExtents ext;
        if (ent->getGeomExtents(ext) == Acad::eOk && !ext.isEmpty()) all.addExt(ext);
        ent->close();
    }
    info.byBlock = EntitiesByBlock(pDb);
    if (!all.isEmpty()) {
        info.hasExtents = true;
        info.minX = all.minPoint().x;
        info.minY = all.minPoint().y;
        info.maxX = all.maxPoint().x;
        info.maxY = all.maxPoint().y;
    }
    return info;
}

std::string FormatInfo(const DrawingInfo& info) {
    std::string out = "version: " + (info.version.empty() ? std::string("unknown") : VersionName(info.version)) +
                      (info.binary ? ", binary" : "") + "\n";
    out += "entities: " + std::to_string(info.entities) + "\n";
    out += "by type:\n";
    for (const auto& [type, count] : info.byType)
        out += "  " + Printable(host::WideToUtf8(type)) + ": " + std::to_string(count) + "\n";
    out += "by layer:\n";
    for (const auto& [layer, count] : info.byLayer)
        out += "  " + Printable(host::WideToUtf8(layer)) + ": " + std::to_string(count) + "\n";
    char buf[160];
    if (info.hasExtents)
        std::snprintf(buf, sizeof buf, "extents: (%.3f, %.3f) to (%.3f, %.3f)\n", info.minX, info.minY, info.maxX,
                      info.maxY);
    else
        std::snprintf(buf, sizeof buf, "extents: none\n");
    out += buf;
    out += CountLines("kept, not modelled:", info.kept);
    out += CountLines("left out:", info.skipped);
    out += "mends: " + std::to_string(info.mendCount) + "\n";
    for (const std::string& mend : info.mends) out += "  " + Printable(mend) + "\n";
    return out;
}

std::string FormatInfoJson(const DrawingInfo& info, const std::string& file) {
    std::string out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("file").String(file);
    json.Key("version");
    if (info.version.empty()) json.Null(); else json.String(info.version);
    json.Key("binary").Bool(info.binary);
    json.Key("entities").Integer(info.entities);
    json.Key("extents");
    if (info.hasExtents) {
        json.BeginObject();
        json.Key("min").BeginArray().Number(info.minX).Number(info.minY).EndArray();
        json.Key("max").BeginArray().Number(info.maxX).Number(info.maxY).EndArray();
        json.EndObject();
    } else {
        json.Null();
    }
    WriteCounts(json, "by_type", info.byType);
    WriteCounts(json, "by_layer", info.byLayer);
    WriteCounts(json, "by_block", info.byBlock);
    WriteCounts(json, "kept_unmodelled", info.kept);
    WriteCounts(json, "left_out", info.skipped);
    json.Key("mend_count").Integer(info.mendCount);
    json.Key("mends").BeginArray();
    for (const std::string& mend : info.mends) json.String(mend);
    json.EndArray();
    json.EndObject();
    return out + "\n";
}

}  // namespace drovik::cli
