#pragma once
// Reading lines, arcs and extended data back in the chain, corner and
// extended-data tests.
#include <string>
#include <vector>

#include <acutads.h>
#include <widetext.h>

#include "chain_fixtures.h"
#include "drovik/geometry/arc.h"
#include "headless/host_fixture.h"
#include "test_support.h"

class DrawingTest : public HostTest {
public:
    struct LineEnds {
        AcGePoint3d start;
        AcGePoint3d end;
    };
    // The line's ends; the origin twice when id is not a line.
    static LineEnds LineOf(AcDbObjectId id) {
        LineEnds ends;
        AcDbLine* line = nullptr;
        if (acdbOpenObject(line, id, AcDb::kForRead) != Acad::eOk) return ends;
        ends.start = line->startPoint();
        ends.end = line->endPoint();
        line->close();
        return ends;
    }
    static void ExpectLine(AcDbObjectId id, const AcGePoint3d& a, const AcGePoint3d& b, const char* what) {
        const LineEnds ends = LineOf(id);
        EXPECT_TRUE(PointNear(ends.start, a, 1e-9)) << what;
        EXPECT_TRUE(PointNear(ends.end, b, 1e-9)) << what;
    }
    // The arc's centre, radius and angles in a record; radius -1 when id is
    // not an arc.
    static stArcPara ArcOfEnt(AcDbObjectId id) {
        stArcPara arc;
        arc.radius = -1;
        AcDbArc* dbArc = nullptr;
        if (acdbOpenObject(dbArc, id, AcDb::kForRead) != Acad::eOk) return arc;
        arc.ptCenter = dbArc->center();
        arc.radius = dbArc->radius();
        arc.startAngle = dbArc->startAngle();
        arc.endAngle = dbArc->endAngle();
        dbArc->close();
        arc.Reset();
        return arc;
    }
    // Runs f on the object opened for read (an erased one too).
    template <class T, class F>
    static void Inspect(AcDbObjectId id, F f) {
        T* obj = nullptr;
        ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead, true), Acad::eOk);
        f(*obj);
        obj->close();
    }
    // A lightweight polyline through (x, y, bulge) vertices.
    static AcDbObjectId AddPolyline(const std::vector<chain_fixtures::Vtx>& vertices, bool closed = false,
                                    double elevation = 0.0) {
        auto* pline = new AcDbPolyline;
        for (unsigned int i = 0; i < vertices.size(); ++i)
            pline->addVertexAt(i, AcGePoint2d(vertices[i].x, vertices[i].y), vertices[i].bulge);
        pline->setClosed(closed);
        pline->setElevation(elevation);
        return Add(pline);
    }
    static AcDbObjectId AddArc(const AcGePoint3d& center, double radius, double start, double end) {
        return Add(new AcDbArc(center, radius, start, end));
    }
    static AcDbObjectId AddCircle(const AcGePoint3d& center, double radius) {
        return Add(new AcDbCircle(center, AcGeVector3d::kZAxis, radius));
    }
    static AcDbObjectId AddLineOn(const AcGePoint3d& a, const AcGePoint3d& b, const wchar_t* layer) {
        auto* line = new AcDbLine(a, b);
        line->setDatabaseDefaults();
        line->setLayer(layer);
        return Add(line);
    }
    static int ModelSpaceCount() { return static_cast<int>(host::harness::ModelSpaceIds().size()); }

    // Registers the application in the working database.
    static void Register(const wchar_t* app) {
        AcDbRegAppTable* table = nullptr;
        ASSERT_EQ(Db()->getRegAppTable(table, AcDb::kForWrite), Acad::eOk);
        auto* rec = new AcDbRegAppTableRecord;
        rec->setName(app);
        if (table->add(rec) == Acad::eOk) {
            rec->close();
        } else {
            delete rec;
        }
        table->close();
    }
    // Writes the list onto the object directly (the list stays the caller's).
    static void PutXData(AcDbObjectId id, const resbuf* list) {
        AcDbObject* obj = nullptr;
        ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(obj->setXData(list), Acad::eOk);
        obj->close();
    }
    // "code:value" for each item of a list, for comparing lists.
    static std::vector<std::string> Items(const resbuf* list) {
        std::vector<std::string> out;
        for (const resbuf* rb = list; rb; rb = rb->rbnext) {
            std::string value;
            switch (host::RbKindOf(rb->restype)) {
            case host::RbKind::String: value = host::WideToUtf8(rb->resval.rstring ? rb->resval.rstring : L""); break;
            case host::RbKind::Real: value = std::to_string(rb->resval.rreal); break;
            case host::RbKind::Short: value = std::to_string(rb->resval.rint); break;
            case host::RbKind::Long: value = std::to_string(rb->resval.rlong); break;
            default: value = "?"; break;
            }
            out.push_back(std::to_string(rb->restype) + ":" + value);
        }
        return out;
    }
    // The object's data of one application (all for null), as Items.
    static std::vector<std::string> XDataOf(AcDbObjectId id, const wchar_t* app = nullptr) {
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, id, AcDb::kForRead) != Acad::eOk) return {"<cannot open>"};
        resbuf* list = obj->xData(app);
        obj->close();
        std::vector<std::string> items = Items(list);
        acutRelRb(list);
        return items;
    }
};
