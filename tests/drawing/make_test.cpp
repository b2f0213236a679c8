// Entity creation: results, the drawing afterwards, nothing left open.
#include <cmath>

#include "chains/entity_checks.h"
#include "drovik/drawing/entities.h"

namespace {
constexpr double kPi = 3.141592653589793;

class MakeTest : public DrawingTest {
protected:
    void TearDown() override {
        EXPECT_EQ(host::harness::OpenObjectCount(), 0);
        HostTest::TearDown();
    }
    static std::vector<AcGePoint3d> Vertices(AcDbObjectId id) {
        std::vector<AcGePoint3d> pts;
        Inspect<AcDbPolyline>(id, [&](const AcDbPolyline& pl) {
            for (unsigned int i = 0; i < pl.numVerts(); ++i) {
                AcGePoint3d p;
                pl.getPointAt(i, p);
                pts.push_back(p);
            }
        });
        return pts;
    }
};

TEST_F(MakeTest, AddEntToDwgAppendsToModelSpaceAndLeavesTheEntityOpen) {
    auto* line = new AcDbLine(P(0, 0), P(1, 1));
    AcDbObjectId id;
    ASSERT_TRUE(AddEntToDwg(line, id));
    EXPECT_EQ(line->objectId(), id);
    EXPECT_TRUE(line->isWriteEnabled());
    EXPECT_EQ(host::harness::OpenObjectCount(), 1);
    line->close();
    EXPECT_EQ(host::harness::ModelSpaceIds(), std::vector<AcDbObjectId>{id});
    // Not open for write: an entity already in the drawing, opened for read.
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eOk);
    AcDbObjectId other;
    EXPECT_FALSE(AddEntToDwg(ent, other));
    ent->close();
    EXPECT_FALSE(AddEntToDwg(nullptr, other));
    EXPECT_EQ(ModelSpaceCount(), 1);
}

TEST_F(MakeTest, MakeLineSetsLayerAndVisibility) {
    AddLayer(L"Walls");
    AcDbObjectId id;
    ASSERT_TRUE(MakeLine(P(1, 2, 3), P(4, 5, 6), id, L"walls", false));
    Inspect<AcDbLine>(id, [](const AcDbLine& line) {
        EXPECT_TRUE(PointNear(line.startPoint(), P(1, 2, 3)));
        EXPECT_TRUE(PointNear(line.endPoint(), P(4, 5, 6)));
        EXPECT_EQ(line.layer(), CString(L"Walls"));
        EXPECT_EQ(line.visibility(), AcDb::kInvisible);
        EXPECT_EQ(line.colorIndex(), 256);
    });
    // A layer the host refuses keeps the default and creation goes on.
    ASSERT_TRUE(MakeLine(P(0, 0), P(1, 0), id, L"Missing", true));
    Inspect<AcDbLine>(id, [](const AcDbLine& line) {
        EXPECT_EQ(line.layer(), CString(L"0"));
        EXPECT_EQ(line.visibility(), AcDb::kVisible);
    });
    EXPECT_EQ(ModelSpaceCount(), 2);
}

TEST_F(MakeTest, MakersWithoutADrawingFailAndNullTheirId) {
    host::harness::CloseDocument(acDocManagerPtr()->curDocument());
    ASSERT_EQ(Db(), nullptr);
    const AcDbObjectId stale = IdFromClosedDocument();
    AcDbObjectId id = stale;
    EXPECT_FALSE(MakeLine(P(0, 0), P(1, 0), id, L"0", true));
    EXPECT_TRUE(id.isNull());
    id = stale;
    EXPECT_FALSE(MakeArc(P(0, 0), P(1, 0), P(0, 1), P(0.7, 0.7), 1, id));
    EXPECT_TRUE(id.isNull());
    id = stale;
    EXPECT_FALSE(MakeCircle(P(0, 0), 1, id));
    EXPECT_TRUE(id.isNull());
    id = stale;
    EXPECT_FALSE(MakeEllipse(P(0, 0), 0, 2, 1, id, L"0"));
    EXPECT_TRUE(id.isNull());
    id = stale;
    EXPECT_FALSE(MakeRect(P(0, 0), 2, 1, 0, id));
    EXPECT_EQ(MakeText(P(0, 0), L"x", id, 1, 1, 0, L"0", true, AcDbObjectId::kNull), 0);
    EXPECT_FALSE(MakePolylineSeg(P(0, 0), P(1, 0), id, 0, L"0", 256));
    EXPECT_FALSE(DrawDirectArrow(P(0, 0), 10, 2, 0, 0.1, 0.5, id, L"0", 1));
    EXPECT_EQ(id, stale) << "the other makers leave the id as it was";
    host::harness::NewDocument();
}

TEST_F(MakeTest, MakeArcRunsThroughThePointOnTheArc) {
    const double r = 5;
    const AcGePoint3d c = P(1, 1);
    const AcGePoint3d a = P(6, 1);   // angle 0
    const AcGePoint3d b = P(1, 6);   // angle pi/2
    const AcGePoint3d onShort = P(1 + r * std::cos(kPi / 4), 1 + r * std::sin(kPi / 4));
    const AcGePoint3d onLong = P(1 - r * std::cos(kPi / 4), 1 - r * std::sin(kPi / 4));
    const struct {
        const char* name;
        AcGePoint3d first, second, on;
        double start, end;
    } cases[] = {
        {"counter-clockwise as given", a, b, onShort, 0, kPi / 2},
        {"clockwise turn swaps the ends", b, a, onShort, 0, kPi / 2},
        {"the long way round", a, b, onLong, kPi / 2, 0},
        {"collinear points keep their order", a, b, P(3.5, 3.5), 0, kPi / 2},
    };
    for (const auto& tc : cases) {
        AcDbObjectId id;
        ASSERT_TRUE(MakeArc(c, tc.first, tc.second, tc.on, r, id)) << tc.name;
        Inspect<AcDbArc>(id, [&](const AcDbArc& arc) {
            EXPECT_NEAR(arc.startAngle(), tc.start, 1e-12) << tc.name;
            EXPECT_NEAR(arc.endAngle(), tc.end, 1e-12) << tc.name;
            EXPECT_DOUBLE_EQ(arc.radius(), r);
            EXPECT_TRUE(PointNear(arc.center(), c));
        });
    }
}

TEST_F(MakeTest, MakeCircle) {
    AcDbObjectId id;
    ASSERT_TRUE(MakeCircle(P(2, 3, 1), 4, id));
    Inspect<AcDbCircle>(id, [](const AcDbCircle& circle) {
        EXPECT_TRUE(PointNear(circle.center(), P(2, 3, 1)));
        EXPECT_DOUBLE_EQ(circle.radius(), 4);
        EXPECT_TRUE(circle.normal().isEqualTo(AcGeVector3d::kZAxis));
    });
}

TEST_F(MakeTest, MakeRectStartsAndEndsOnTheEdgeMiddle) {
    AcDbObjectId id;
    ASSERT_TRUE(MakeRect(P(10, 10), 4, 2, kPi / 2, id));
    const std::vector<AcGePoint3d> pts = Vertices(id);
    const std::vector<AcGePoint3d> expected = {P(10, 12), P(9, 12), P(9, 8), P(11, 8), P(11, 12), P(10, 12)};
    ASSERT_EQ(pts.size(), expected.size());
    for (std::size_t i = 0; i < pts.size(); ++i) EXPECT_TRUE(PointNear(pts[i], expected[i], 1e-9)) << i;
    Inspect<AcDbPolyline>(id, [](const AcDbPolyline& pl) {
        EXPECT_FALSE(pl.isClosed());
        double width = -1;
        EXPECT_EQ(pl.getConstantWidth(width), Acad::eOk);
        EXPECT_EQ(width, 0.0);
    });
}

TEST_F(MakeTest, MakeEllipseChoosesTheLongerAxis) {
    AcDbObjectId id;
    ASSERT_TRUE(MakeEllipse(P(0, 0), kPi / 2, 4, 1, id, L"0"));
    Inspect<AcDbEllipse>(id, [](const AcDbEllipse& e) {
        EXPECT_TRUE(e.majorAxis().isEqualTo(AcGeVector3d(0, 4, 0), AcGeTol()));
        EXPECT_NEAR(e.majorAxis().x, 0, 1e-12);
        EXPECT_DOUBLE_EQ(e.radiusRatio(), 0.25);
        EXPECT_DOUBLE_EQ(e.startAngle(), 0);
        EXPECT_DOUBLE_EQ(e.endAngle(), 2 * kPi);
    });
    ASSERT_TRUE(MakeEllipse(P(0, 0), 0, 3, 3, id, L"0"));
    Inspect<AcDbEllipse>(id, [](const AcDbEllipse& e) {
        EXPECT_NEAR(e.majorAxis().x, 0, 1e-12) << "equal axes: the major axis lies across";
        EXPECT_NEAR(e.majorAxis().y, 3, 1e-12);
        EXPECT_DOUBLE_EQ(e.radiusRatio(), 1);
    });
    const int before = ModelSpaceCount();
    AcDbObjectId kept = id;
    EXPECT_FALSE(MakeEllipse(P(0, 0), 0, 3, 0, kept, L"0"));
    EXPECT_FALSE(MakeEllipse(P(0, 0), 0, 3, -1, kept, L"0"));
    EXPECT_FALSE(MakeEllipse(P(0, 0), 0, 3, std::nan(""), kept, L"0"));
    EXPECT_EQ(kept, id);
    EXPECT_FALSE(MakeEllipse(P(0, 0), 0, -3, 1, kept, L"0")) << "no axis along";
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(ModelSpaceCount(), before);
}

TEST_F(MakeTest, MakeTextAlignmentCodes) {
    const struct {
        int code;
        AcDb::TextHorzMode h;
        AcDb::TextVertMode v;
    } cases[] = {{1, AcDb::kTextLeft, AcDb::kTextVertMid},    {2, AcDb::kTextRight, AcDb::kTextVertMid},
                 {3, AcDb::kTextCenter, AcDb::kTextVertMid},  {4, AcDb::kTextCenter, AcDb::kTextTop},
                 {5, AcDb::kTextCenter, AcDb::kTextBottom},   {6, AcDb::kTextRight, AcDb::kTextTop},
                 {7, AcDb::kTextLeft, AcDb::kTextBottom},     {8, AcDb::kTextRight, AcDb::kTextBottom},
                 {9, AcDb::kTextLeft, AcDb::kTextTop},        {0, AcDb::kTextLeft, AcDb::kTextVertMid},
                 {10, AcDb::kTextLeft, AcDb::kTextVertMid}};
    for (const auto& tc : cases) {
        AcDbObjectId id;
        ASSERT_EQ(MakeText(P(3, 4), L"K0+100", id, tc.code, 2.5, 0.5, L"0", true, AcDbObjectId::kNull), 1);
        Inspect<AcDbText>(id, [&](const AcDbText& t) {
            EXPECT_EQ(t.horizontalMode(), tc.h) << tc.code;
            EXPECT_EQ(t.verticalMode(), tc.v) << tc.code;
        });
    }
}

TEST_F(MakeTest, MakeTextProperties) {
    AcDbTextStyleTable* styles = nullptr;
    ASSERT_EQ(Db()->getTextStyleTable(styles, AcDb::kForRead), Acad::eOk);
    AcDbObjectId standard;
    styles->getAt(L"Standard", standard);
    styles->close();
    AcDbObjectId id;
    ASSERT_EQ(MakeText(P(3, 4), L"桩号", id, 3, 2.5, 0.5, L"0", false, standard), 1);
    Inspect<AcDbText>(id, [&](const AcDbText& t) {
        EXPECT_EQ(t.textString(), CString(L"桩号"));
        EXPECT_TRUE(PointNear(t.position(), P(3, 4)));
        EXPECT_TRUE(PointNear(t.alignmentPoint(), P(3, 4)));
        EXPECT_DOUBLE_EQ(t.height(), 2.5);
        EXPECT_DOUBLE_EQ(t.rotation(), 0.5);
        EXPECT_DOUBLE_EQ(t.widthFactor(), 0.7);
        EXPECT_EQ(t.visibility(), AcDb::kInvisible);
        EXPECT_EQ(t.textStyle(), standard);
    });
    ASSERT_EQ(MakeText(P(0, 0), L"", id, 1, 1, 0, L"0", true, AcDbObjectId::kNull), 1);
    Inspect<AcDbText>(id, [](const AcDbText& t) { EXPECT_TRUE(t.textStyle().isNull()); });
}

TEST_F(MakeTest, MakePolylineSegReversesThePoints) {
    AcArray<AcGePoint3d> pts;
    pts.append(P(0, 0, 5));
    pts.append(P(1, 0, 5));
    pts.append(P(1, 1, 5));
    AcDbObjectId id;
    ASSERT_TRUE(MakePolylineSeg(pts, id, true, 0.5, L"0", 3));
    const std::vector<AcGePoint3d> got = Vertices(id);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_TRUE(PointNear(got[0], P(1, 1, 0))) << "z dropped, order reversed";
    EXPECT_TRUE(PointNear(got[2], P(0, 0, 0)));
    Inspect<AcDbPolyline>(id, [](const AcDbPolyline& pl) {
        EXPECT_TRUE(pl.isClosed());
        EXPECT_EQ(pl.colorIndex(), 3);
        double width = 0;
        EXPECT_EQ(pl.getConstantWidth(width), Acad::eOk);
        EXPECT_DOUBLE_EQ(width, 0.5);
    });
    ASSERT_TRUE(MakePolylineSeg(pts, id, 0, L"0", 256));
    Inspect<AcDbPolyline>(id, [](const AcDbPolyline& pl) { EXPECT_FALSE(pl.isClosed()); });
    ASSERT_TRUE(MakePolylineSeg(P(0, 0), P(7, 0), id, 0, L"0", 256));
    EXPECT_TRUE(PointNear(Vertices(id)[0], P(7, 0)));
    ASSERT_TRUE(MakePolylineSeg(AcArray<AcGePoint3d>(), id, 0, L"0", 256));
    EXPECT_TRUE(Vertices(id).empty());
}

TEST_F(MakeTest, CreateAnonymousGroupCollectsTheEntities) {
    AcDbObjectIdArray ids;
    ids.append(AddLine(P(0, 0), P(1, 0)));
    ids.append(AddLine(P(1, 0), P(1, 1)));
    AcDbObjectId groupId;
    ASSERT_TRUE(CreateAnonymousGroup(ids, groupId));
    Inspect<AcDbGroup>(groupId, [&](const AcDbGroup& g) {
        EXPECT_TRUE(g.isAnonymous());
        AcDbObjectIdArray members;
        g.allEntityIds(members);
        EXPECT_EQ(members, ids);
    });
    EXPECT_TRUE(CreateAnonymousGroup(ids)) << "an entity may be in several groups";
}

TEST_F(MakeTest, CreateAnonymousGroupLeavesNoGroupWhenMembersFail) {
    const AcDbObjectId good = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId erased = AddLine(P(0, 0), P(2, 0));
    EraseObject(erased);
    const struct {
        const char* name;
        AcDbObjectId bad;
    } cases[] = {{"null", AcDbObjectId::kNull},
                 {"erased", erased},
                 {"closed document", IdFromClosedDocument()},
                 {"not an entity", Db()->layerTableId()},
                 {"repeated", good}};
    for (const auto& tc : cases) {
        AcDbObjectIdArray ids;
        ids.append(good);
        ids.append(tc.bad);
        AcDbObjectId groupId = AcDbObjectId::kNull;
        EXPECT_FALSE(CreateAnonymousGroup(ids, groupId)) << tc.name;
        EXPECT_TRUE(groupId.isNull()) << tc.name;
        EXPECT_EQ(host::harness::OpenObjectCount(), 0) << tc.name;
    }
    EXPECT_FALSE(CreateAnonymousGroup(AcDbObjectIdArray()));
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(Db()->getGroupDictionary(dict, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(dict->numEntries(), 0u) << "no empty group stays in the drawing";
    dict->close();
}

TEST_F(MakeTest, DrawDirectArrowWidths) {
    AcDbObjectId id;
    ASSERT_TRUE(DrawDirectArrow(P(1, 1), 10, 3, kPi / 2, 0.2, 1.0, id, L"0", 1));
    const std::vector<AcGePoint3d> pts = Vertices(id);
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_TRUE(PointNear(pts[1], P(1, 8), 1e-9));
    EXPECT_TRUE(PointNear(pts[2], P(1, 11), 1e-9));
    Inspect<AcDbPolyline>(id, [](const AcDbPolyline& pl) {
        const double expected[3][2] = {{0.2, 0.2}, {1.0, 0.0}, {-1.0, -1.0}};
        for (unsigned int i = 0; i < 3; ++i) {
            double s = 0, e = 0;
            pl.getWidthsAt(i, s, e);
            EXPECT_DOUBLE_EQ(s, expected[i][0]) << i;
            EXPECT_DOUBLE_EQ(e, expected[i][1]) << i;
        }
        EXPECT_EQ(pl.colorIndex(), 1);
    });
    EXPECT_TRUE(DrawDirectArrow(P(0, 0), 10, 3, 0, 0.2, 1.0, L"0", 1));
    EXPECT_EQ(ModelSpaceCount(), 2);
}
}  // namespace
