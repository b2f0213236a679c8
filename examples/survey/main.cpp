// Survey add-on example, written as for the CAD host: places well symbols as
// block references with attributes, labels them with multi-line text, runs a
// 3D polyline through the survey points, hatches a parcel, dimensions a pipe
// and saves the drawing. Usage: drovik_survey [output.dxf]
#include <cstdio>

#include <dbdim.h>
#include <dbents.h>
#include <dbhatch.h>
#include <dbmtext.h>
#include <dbsymtb.h>
#include <dxfio.h>
#include <widetext.h>

#include <drovik/drovik.h>

namespace {

struct Well {
    const wchar_t* number;
    double x, y, z;
};

// Appends the entity to model space and closes it; false (entity deleted)
// when the drawing refuses it.
bool Append(AcDbEntity* ent, AcDbObjectId& id) {
    AcDbBlockTable* table = nullptr;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) {
        delete ent;
        return false;
    }
    AcDbBlockTableRecord* model = nullptr;
    const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForWrite);
    table->close();
    if (es != Acad::eOk) {
        delete ent;
        return false;
    }
    const bool ok = model->appendAcDbEntity(id, ent) == Acad::eOk;
    model->close();
    if (!ok) {
        delete ent;
        return false;
    }
    ent->close();
    return true;
}

// The well symbol: a circle with a cross, the well number above it and the
// depth below, both filled in per well.
AcDbObjectId DefineWellBlock() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    AcDbObjectId id;
    if (table->getAt(L"SURVEY_WELL", id) == Acad::eOk) {
        table->close();
        return id;
    }
    auto* block = new AcDbBlockTableRecord;
    block->setName(L"SURVEY_WELL");
    const Acad::ErrorStatus es = table->add(id, block);
    table->close();
    if (es != Acad::eOk) {
        delete block;
        return AcDbObjectId::kNull;
    }
    auto* number = new AcDbAttributeDefinition(AcGePoint3d(1.5, 0.5, 0), L"?", L"NO", L"Well number");
    number->setHeight(1.0);
    auto* depth = new AcDbAttributeDefinition(AcGePoint3d(1.5, -1.5, 0), L"0.00", L"DEPTH", L"Depth");
    depth->setHeight(0.8);
    AcDbEntity* parts[] = {new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0),
                           new AcDbLine(AcGePoint3d(-1, 0, 0), AcGePoint3d(1, 0, 0)),
                           new AcDbLine(AcGePoint3d(0, -1, 0), AcGePoint3d(0, 1, 0)), number, depth};
    for (AcDbEntity* e : parts) {
        if (block->appendAcDbEntity(e) == Acad::eOk) {
            e->close();
        } else {
            delete e;
        }
    }
    block->close();
    return id;
}

// A well reference with its two attributes filled in.
bool PlaceWell(AcDbObjectId block, const Well& well, AcDbObjectId& refId) {
    auto* ref = new AcDbBlockReference(AcGePoint3d(well.x, well.y, well.z), block);
    ref->setDatabaseDefaults();
    if (!Append(ref, refId)) return false;
    AcDbBlockReference* open = nullptr;
    if (acdbOpenObject(open, refId, AcDb::kForWrite) != Acad::eOk) return false;
    AcDbBlockTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, block, AcDb::kForRead) == Acad::eOk) {
        AcDbBlockTableRecordIterator* it = nullptr;
        rec->newIterator(it);
        for (; it && !it->done(); it->step()) {
            AcDbEntity* ent = nullptr;
            if (it->getEntity(ent, AcDb::kForRead) != Acad::eOk) continue;
            if (auto* def = AcDbAttributeDefinition::cast(ent)) {
                auto* attr = new AcDbAttribute;
                attr->setAttributeFromBlock(def, open->blockTransform());
                CString value;
                if (CString(def->tagConst()) == L"NO") {
                    value = well.number;
                } else {
                    value.Format(L"%.2f", well.z);
                }
                attr->setTextString(value);
                if (open->appendAttribute(attr) == Acad::eOk) {
                    attr->close();
                } else {
                    delete attr;
                }
            }
            ent->close();
        }
        delete it;
        rec->close();
    }
    open->close();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const Well wells[] = {{L"W1", 0, 0, 101.25}, {L"W2", 40, 10, 100.80}, {L"W3", 85, 5, 99.95}, {L"W4", 120, 30, 99.10}};
    const AcDbObjectId block = DefineWellBlock();
    if (block.isNull()) return 1;

    int placed = 0;
    AcGePoint3dArray route;
    for (const Well& well : wells) {
        AcDbObjectId refId, labelId;
        if (!PlaceWell(block, well, refId)) return 1;
        ++placed;
        route.append(AcGePoint3d(well.x, well.y, well.z));
        auto* label = new AcDbMText;
        label->setDatabaseDefaults();
        label->setLocation(AcGePoint3d(well.x, well.y + 4, 0));
        label->setTextHeight(1.5);
        label->setAttachment(AcDbMText::kBottomCenter);
        CString contents;
        contents.Format(L"{\\fSimSun;井 %ls}\\P底 %.2f", well.number, well.z);
        label->setContents(contents);
        if (!Append(label, labelId)) return 1;
    }

    // The pipe's centreline through the wells, in 3D.
    AcDbObjectId pipeId;
    auto* pipe = new AcDb3dPolyline(AcDb::k3dSimplePoly, route, false);
    pipe->setDatabaseDefaults();
    if (!Append(pipe, pipeId)) return 1;
    double length = 0.0, end = 0.0;
    {
        AcDb3dPolyline* open = nullptr;
        if (acdbOpenObject(open, pipeId, AcDb::kForRead) == Acad::eOk) {
            open->getEndParam(end);
            open->getDistAtParam(end, length);
            open->close();
        }
    }

    // The parcel the pipe crosses, hatched; one corner rounded.
    auto* parcel = new AcDbHatch;
    parcel->setDatabaseDefaults();
    parcel->setPattern(AcDbHatch::kPreDefined, L"ANSI31");
    parcel->setPatternScale(2.0);
    AcGePoint2dArray corners;
    AcGeDoubleArray bulges;
    const double xy[][3] = {{30, -20, 0}, {90, -20, 0.4}, {100, 30, 0}, {30, 30, 0}};
    for (const auto& c : xy) {
        corners.append(AcGePoint2d(c[0], c[1]));
        bulges.append(c[2]);
    }
    parcel->appendLoop(AcDbHatch::kExternal, corners, bulges);
    parcel->evaluateHatch();
    double area = 0.0;
    parcel->getArea(area);
    AcDbObjectId parcelId;
    if (!Append(parcel, parcelId)) return 1;

    // The first pipe run, dimensioned along its own direction.
    AcDbObjectId dimId;
    auto* dim = new AcDbAlignedDimension(AcGePoint3d(wells[0].x, wells[0].y, 0), AcGePoint3d(wells[1].x, wells[1].y, 0),
                                         AcGePoint3d(18, 12, 0), L"<> m");
    dim->setDatabaseDefaults();
    if (!Append(dim, dimId)) return 1;
    double run = 0.0;
    {
        AcDbDimension* open = nullptr;
        if (acdbOpenObject(open, dimId, AcDb::kForWrite) == Acad::eOk) {
            open->measurement(run);
            open->recomputeDimensionBlock();
            open->close();
        }
    }

    std::printf("Survey: %d wells, pipe %.3f m long in 3D, parcel %.3f m2, first run %.3f m\n", placed, length, area,
                run);
    if (argc > 1) {
        host::dxf::DxfError err;
        const std::wstring path = host::Utf8ToWide(argv[1]);
        if (!host::dxf::WriteDxf(acdbHostApplicationServices()->workingDatabase(), path.c_str(), err)) {
            std::printf("Saving failed: %s\n", err.what().c_str());
            return 1;
        }
        std::printf("Saved %s\n", argv[1]);
    }
    return 0;
}
