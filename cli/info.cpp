// A summary of a drawing.
#include "info.h"

#include <cstdio>

#include <dbents.h>
#include <widetext.h>

#include "drawing_query.h"

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
}  // namespace

DrawingInfo Summarize(AcDbDatabase* pDb) {
    DrawingInfo info;
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
    std::string out = "entities: " + std::to_string(info.entities) + "\n";
    out += "by type:\n";
    for (const auto& [type, count] : info.byType)
        out += "  " + host::WideToUtf8(type) + ": " + std::to_string(count) + "\n";
    out += "by layer:\n";
    for (const auto& [layer, count] : info.byLayer)
        out += "  " + host::WideToUtf8(layer) + ": " + std::to_string(count) + "\n";
    char buf[160];
    if (info.hasExtents)
        std::snprintf(buf, sizeof buf, "extents: (%.3f, %.3f) to (%.3f, %.3f)\n", info.minX, info.minY, info.maxX,
                      info.maxY);
    else
        std::snprintf(buf, sizeof buf, "extents: none\n");
    return out + buf;
}

}  // namespace drovik::cli
