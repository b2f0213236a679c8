// Reading polylines from the drawing, and the polyline dump.
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "drovik/geometry/polyline.h"
#include "chains/entity_checks.h"
#include "test_support.h"

namespace {
using PolylineReadTest = HostTest;

AcDbObjectId Add2d(AcDb::Poly2dType type, bool closed) {
    AcGePoint3dArray pts;
    pts.append(P(0, 0));
    pts.append(P(4, 0));
    pts.append(P(4, 3));
    AcGeDoubleArray bulges;
    bulges.append(0.0);
    bulges.append(-0.25);
    bulges.append(0.0);
    return HostTest::Add(new AcDb2dPolyline(type, pts, 1.5, closed, 0, 0, &bulges));
}

TEST_F(PolylineReadTest, NewContainerIsEmpty) {
    CPolyLine pl;
    EXPECT_EQ(pl.m_Vertexs.GetSize(), 0);
    EXPECT_TRUE(pl.m_Id.isNull());
    EXPECT_FALSE(pl.m_bHasBulge || pl.m_bValid || pl.m_bClosed);
    EXPECT_EQ(pl.GetType(), 0);
    pl.SetClosed(true);
    EXPECT_TRUE(pl.IsClosed());
}

TEST_F(PolylineReadTest, ClosedLightweightPolylineYieldsItsVertices) {
    const AcDbObjectId id = DrawingTest::AddPolyline({{0, 0, 0}, {10, 0, 0.5}, {10, 5, 0}, {0, 5, 0}}, true, 7.0);
    CPolyLine pl;
    ASSERT_TRUE(pl.GetVertexInfo(id));
    EXPECT_EQ(host::harness::OpenObjectCount(), 0);
    EXPECT_EQ(pl.m_Id, id);
    EXPECT_EQ(pl.GetType(), 1);
    EXPECT_TRUE(pl.IsClosed());
    EXPECT_TRUE(pl.m_bHasBulge);
    EXPECT_TRUE(pl.m_bValid);
    ASSERT_EQ(pl.m_Vertexs.GetSize(), 4) << "the closing segment is implied, not repeated";
    EXPECT_TRUE(PointNear(pl.m_Vertexs[1].pt, P(10, 0, 0))) << "elevation is not applied";
    EXPECT_DOUBLE_EQ(pl.m_Vertexs[1].bulge, 0.5);
    EXPECT_TRUE(PointNear(pl.m_Vertexs[1].pt2, P(0, 0)));
}

TEST_F(PolylineReadTest, TwoDPolylineKindsMapToTypeCodes) {
    const struct {
        AcDb::Poly2dType type;
        int code;
    } cases[] = {{AcDb::k2dSimplePoly, 2},
                 {AcDb::k2dQuadSplinePoly, 3},
                 {AcDb::k2dFitCurvePoly, 4},
                 {AcDb::k2dCubicSplinePoly, 5}};
    for (const auto& tc : cases) {
        CPolyLine pl;
        ASSERT_TRUE(pl.GetVertexInfo(Add2d(tc.type, tc.code % 2 == 0))) << tc.code;
        EXPECT_EQ(pl.GetType(), tc.code);
        EXPECT_EQ(pl.IsClosed(), tc.code % 2 == 0);
        EXPECT_FALSE(pl.m_bHasBulge) << "only lightweight polylines report bulges";
        ASSERT_EQ(pl.m_Vertexs.GetSize(), 3);
        EXPECT_TRUE(PointNear(pl.m_Vertexs[2].pt, P(4, 3, 1.5))) << "2D vertices at their world position";
        EXPECT_DOUBLE_EQ(pl.m_Vertexs[1].bulge, -0.25);
        EXPECT_EQ(host::harness::OpenObjectCount(), 0);
    }
}

TEST_F(PolylineReadTest, ErasedTwoDVerticesAreSkipped) {
    const AcDbObjectId id = Add2d(AcDb::k2dSimplePoly, false);
    AcDb2dPolyline* pline = nullptr;
    ASSERT_EQ(acdbOpenObject(pline, id, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* it = pline->vertexIterator();
    const AcDbObjectId first = it->objectId();
    delete it;
    pline->close();
    EraseObject(first);
    CPolyLine pl;
    ASSERT_TRUE(pl.GetVertexInfo(id));
    ASSERT_EQ(pl.m_Vertexs.GetSize(), 2);
    EXPECT_TRUE(PointNear(pl.m_Vertexs[0].pt, P(4, 0, 1.5)));
}

TEST_F(PolylineReadTest, OtherObjectsAndBadIdsAnswerFalse) {
    const AcDbObjectId line = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId erased = DrawingTest::AddPolyline({{0, 0, 0}, {1, 0, 0}});
    EraseObject(erased);
    const AcDbObjectId poly = DrawingTest::AddPolyline({{0, 0, 0}, {1, 0, 0}}, true);
    const struct {
        const char* name;
        AcDbObjectId id;
        bool idKept;  // the id passed the validity test and is remembered
    } cases[] = {{"line", line, true},
                 {"erased polyline", erased, true},
                 {"layer table", Db()->layerTableId(), true},
                 {"null", AcDbObjectId::kNull, false},
                 {"closed document", IdFromClosedDocument(), false}};
    for (const auto& tc : cases) {
        CPolyLine pl;
        ASSERT_TRUE(pl.GetVertexInfo(poly));
        EXPECT_FALSE(pl.GetVertexInfo(tc.id)) << tc.name;
        EXPECT_EQ(pl.m_Id, tc.idKept ? tc.id : poly) << tc.name;
        EXPECT_EQ(pl.m_Vertexs.GetSize(), tc.idKept ? 0 : 2) << tc.name;
        EXPECT_TRUE(pl.m_bValid) << "never cleared: " << tc.name;
        EXPECT_EQ(host::harness::OpenObjectCount(), 0) << tc.name;
    }
}

class PrintTest : public HostTest {
protected:
    void TearDown() override {
        std::remove(path_.c_str());
        HostTest::TearDown();
    }
    const std::string path_ = UniqueTempPath("print.txt");
};

TEST_F(PrintTest, AppendsTheDumpInItsFormat) {
    {
        std::ofstream out(path_, std::ios::binary);
        out << "head";
    }
    CPolyLine pl;
    pl.m_bClosed = true;
    pl.m_Type = 1;
    CPolyLineVertex a(P(1.5, -2, 0.25), 0.5);
    CPolyLineVertex b(P(3, 4), -1.0 / 3.0);
    pl.m_Vertexs.Add(a);
    pl.m_Vertexs.Add(b);
    pl.Print(CString(path_.c_str()));
    pl.m_Vertexs.RemoveAll();
    pl.m_bClosed = false;
    pl.Print(CString(path_.c_str()));
    EXPECT_EQ(FileText(path_),
              "head"
              "\nm_bClosed == 1\nm_Type == 1\nnSize == 2\n"
              "pt == 1.500000, -2.000000, 0.250000\nbulge == 0.500000000\n"
              "pt == 3.000000, 4.000000, 0.000000\nbulge == -0.333333333\n"
              "\nm_bClosed == 0\nm_Type == 1\nnSize == 0\n");
}

TEST_F(PrintTest, MissingFileIsNotCreated) {
    const std::string missing = path_ + "_missing";
    CPolyLine pl;
    pl.Print(CString(missing.c_str()));
    pl.Print(CString(L""));
    EXPECT_EQ(access(missing.c_str(), F_OK), -1);
}
}  // namespace
