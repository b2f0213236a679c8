// Small read-only views of a drawing that the drovik commands share.
#include "drawing_query.h"

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
