// Small read-only views of a drawing that the drovik commands share.
#include "drawing_query.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include <dbpl.h>
#include <dbsymtb.h>
#include <wincrt.h>

namespace drovik::cli {

std::vector<AcDbObjectId> ModelSpaceEntities(AcDbDatabase* pDb) {
    AcDbBlockTableRecord* space = nullptr;
    if (!pDb || acdbOpenObject(space, pDb->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return {};
    std::vector<AcDbObjectId> ids = space->entityIds();
    space->close();
    return ids;
}

bool DescribeEntity(AcDbObjectId id, std::wstring& className, std::wstring& layer) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) return false;
    className = ent->isA()->name();
    layer = ent->layer().str();
    ent->close();
    return true;
}

bool SameLayer(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

bool ReadPolylineChain(AcDbObjectId id, CPolyLineVertexArray& chain) {
    CPolyLine polyline;
    if (!polyline.GetVertexInfo(id) || polyline.m_Vertexs.GetSize() < 2) return false;
    chain.Copy(polyline.m_Vertexs);
    if (polyline.IsClosed()) {
        CPolyLineVertex first(chain[0].pt, 0.0);
        chain.Add(first);
    }
    return true;
}

double SegmentLength(const CPolyLineVertex& a, const CPolyLineVertex& b) {
    if (std::fabs(a.bulge) > 0.0) {
        stArcPara arc;
        if (CPolyLine::GetArcPara(a, b, arc)) return arc.length;
    }
    return std::hypot(b.pt.x - a.pt.x, b.pt.y - a.pt.y);
}

double ChainLength(const CPolyLineVertex* vertices, INT_PTR count, bool closed) {
    double total = 0.0;
    for (INT_PTR i = 0; i + 1 < count; ++i) total += SegmentLength(vertices[i], vertices[i + 1]);
    if (closed && count > 1) total += SegmentLength(vertices[count - 1], vertices[0]);
    return total;
}

double PolylineElevation(AcDbObjectId id) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) return 0.0;
    double elevation = 0.0;
    if (const auto* light = AcDbPolyline::cast(ent)) elevation = light->elevation();
    else if (const auto* pline2d = AcDb2dPolyline::cast(ent)) elevation = pline2d->elevation();
    ent->close();
    return elevation;
}

std::string HandleText(unsigned long long handle) {
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, handle, 16);
    std::string text(buf, result.ptr);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool ParseHandle(const std::string& text, unsigned long long& handle) {
    if (text.empty() || text.size() > 16) return false;
    unsigned long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value == 0) return false;
    handle = value;
    return true;
}

bool EnsureLayer(AcDbDatabase* pDb, const std::wstring& name, int colorIndex) {
    AcDbLayerTable* table = nullptr;
    if (pDb->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return false;
    const bool exists = table->has(name.c_str());
    if (exists || table->upgradeOpen() != Acad::eOk) {
        table->close();
        return exists;
    }
    auto* record = new AcDbLayerTableRecord;
    AcCmColor color;
    color.setColorIndex(static_cast<Adesk::UInt16>(colorIndex));
    bool ok = record->setName(name.c_str()) == Acad::eOk && record->setColor(color) == Acad::eOk;
    if (ok && table->add(record) == Acad::eOk) {
        record->close();
    } else {
        delete record;
        ok = false;
    }
    table->close();
    return ok;
}

}  // namespace drovik::cli
