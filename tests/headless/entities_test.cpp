// The host's points, corner entities, extended records and extension
// dictionaries; common properties, undo and type filters of every new kind.
#include "editor/editor_fixture.h"
#include "headless/entity_support.h"

using entity_test::ExtentsOf;
using entity_test::MakeBlock;
using entity_test::Reader;

using EntitiesTest = EditorTest;

TEST_F(EntitiesTest, PointsAndCornerEntitiesKeepTheirCorners) {
    const AcDbObjectId point = Add(new AcDbPoint(P(1, 2, 3)));
    {
        Reader<AcDbPoint> p(point, AcDb::kForWrite);
        EXPECT_TRUE(PointNear(p->position(), P(1, 2, 3)));
        EXPECT_EQ(p->setNormal(AcGeVector3d()), Acad::eInvalidInput);
        ASSERT_EQ(p->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 1, 1))), Acad::eOk);
    }
    EXPECT_TRUE(PointNear(ExtentsOf(point).minPoint(), P(2, 3, 4)));
    AcDbSolid solid(P(0, 0), P(4, 0), P(0, 3));
    AcDbTrace trace(P(0, 0), P(1, 0), P(0, 1), P(1, 1));
    AcDbFace face(P(0, 0, 0), P(2, 0, 1), P(2, 2, 2), P(0, 2, 3), true, false);
    AcGePoint3d pt;
    ASSERT_EQ(solid.getPointAt(3, pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(0, 3))) << "a triangle repeats its third corner";
    EXPECT_EQ(solid.getPointAt(4, pt), Acad::eInvalidIndex);
    EXPECT_EQ(trace.setPointAt(7, P(0, 0)), Acad::eInvalidIndex);
    ASSERT_EQ(trace.setPointAt(3, P(5, 5)), Acad::eOk);
    AcDbExtents ext;
    ASSERT_EQ(trace.getGeomExtents(ext), Acad::eOk);
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(5, 5)));
    Adesk::Boolean visible = true;
    ASSERT_EQ(face.isEdgeVisibleAt(1, visible), Acad::eOk);
    EXPECT_FALSE(visible);
    ASSERT_EQ(face.makeEdgeInvisibleAt(0), Acad::eOk);
    face.isEdgeVisibleAt(0, visible);
    EXPECT_FALSE(visible);
    ASSERT_EQ(face.transformBy(AcGeMatrix3d::scaling(2.0)), Acad::eOk);
    ASSERT_EQ(face.getVertexAt(3, pt), Acad::eOk);
    EXPECT_TRUE(PointNear(pt, P(0, 4, 6)));
}

TEST_F(EntitiesTest, XrecordsLiveInExtensionDictionaries) {
    const AcDbObjectId line = AddLine(P(0, 0), P(1, 0));
    AcDbObjectId dictId;
    {
        Reader<AcDbLine> l(line, AcDb::kForWrite);
        EXPECT_TRUE(l->extensionDictionary().isNull());
        ASSERT_EQ(l->createExtensionDictionary(), Acad::eOk);
        EXPECT_EQ(l->createExtensionDictionary(), Acad::eAlreadyInDb);
        dictId = l->extensionDictionary();
    }
    ASSERT_FALSE(dictId.isNull());
    {
        Reader<AcDbDictionary> dict(dictId, AcDb::kForWrite);
        EXPECT_EQ(dict->ownerId(), line);
        auto* xrec = new AcDbXrecord;
        resbuf* data = acutBuildList(1, L"井 W-7", 40, 12.5, 70, 3, 0);
        ASSERT_EQ(xrec->setFromRbChain(*data), Acad::eOk);
        acutRelRb(data);
        resbuf* bad = acutBuildList(5, L"1F", 0);
        EXPECT_EQ(xrec->setFromRbChain(*bad), Acad::eInvalidInput) << "a record holds no handle of its own";
        acutRelRb(bad);
        AcDbObjectId xid;
        ASSERT_EQ(dict->setAt(L"SURVEY", xrec, xid), Acad::eOk);
        xrec->close();
    }
    {
        Reader<AcDbDictionary> dict(dictId);
        AcDbObjectId xid;
        ASSERT_EQ(dict->getAt(L"survey", xid), Acad::eOk);
        Reader<AcDbXrecord> xrec(xid);
        resbuf* chain = nullptr;
        ASSERT_EQ(xrec->rbChain(&chain), Acad::eOk);
        ASSERT_NE(chain, nullptr);
        EXPECT_STREQ(chain->resval.rstring, L"井 W-7");
        ASSERT_NE(chain->rbnext, nullptr);
        EXPECT_DOUBLE_EQ(chain->rbnext->resval.rreal, 12.5);
        acutRelRb(chain);
    }
    Reader<AcDbLine> l(line, AcDb::kForWrite);
    EXPECT_EQ(l->releaseExtensionDictionary(), Acad::eInvalidInput) << "the dictionary holds the record";
}

TEST_F(EntitiesTest, UndoTakesBackAnExtensionDictionary) {
    const AcDbObjectId line = AddLine(P(0, 0), P(1, 0));
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"begin", 0), RTNORM);
    {
        Reader<AcDbLine> l(line, AcDb::kForWrite);
        ASSERT_EQ(l->createExtensionDictionary(), Acad::eOk);
    }
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"end", 0), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, L"._u", 0), RTNORM);
    Reader<AcDbLine> l(line);
    EXPECT_TRUE(l->extensionDictionary().isNull());
}

TEST_F(EntitiesTest, CommonPropertiesOnEveryNewKind) {
    AddLayer(L"Survey");
    AcGePoint3dArray pts;
    pts.append(P(0, 0));
    pts.append(P(1, 1));
    std::vector<AcDbEntity*> kinds = {new AcDbPoint(P(0, 0)), new AcDb3dPolyline(AcDb::k3dSimplePoly, pts),
                                      new AcDbSpline(pts, 4), new AcDbMText, new AcDbHatch, new AcDbSolid(P(0, 0), P(1, 0), P(0, 1)),
                                      new AcDbRotatedDimension(0, P(0, 0), P(1, 0), P(0, 1))};
    for (AcDbEntity* e : kinds) {
        e->setDatabaseDefaults();
        EXPECT_EQ(e->setLayer(L"Survey"), Acad::eOk) << e->isA()->name();
        EXPECT_EQ(e->setColorIndex(3), Acad::eOk);
        EXPECT_EQ(e->setLineWeight(AcDb::kLnWt050), Acad::eOk);
        EXPECT_EQ(e->setLineWeight(static_cast<AcDb::LineWeight>(7)), Acad::eInvalidInput);
        EXPECT_EQ(e->setLinetypeScale(2.0), Acad::eOk);
        EXPECT_EQ(e->setLinetype(L"Continuous"), Acad::eOk);
        const AcDbObjectId id = Add(e);
        ASSERT_FALSE(id.isNull());
        Reader<AcDbEntity> r(id);
        EXPECT_EQ(r->layer(), CString(L"Survey"));
        EXPECT_EQ(r->lineWeight(), AcDb::kLnWt050);
        EXPECT_DOUBLE_EQ(r->linetypeScale(), 2.0);
    }
}

TEST_F(EntitiesTest, TypeFiltersKnowEveryKindByItsDxfName) {
    host::harness::SetView(P(0, 0), 1000);
    AcGePoint3dArray pts;
    pts.append(P(0, 0));
    pts.append(P(1, 1));
    const AcDbObjectId block = MakeBlock(L"B", {new AcDbLine(P(0, 0), P(1, 1))});
    auto* mtext = new AcDbMText;
    mtext->setContents(L"label");
    auto* hatch = new AcDbHatch;
    AcGePoint2dArray loop;
    loop.append(AcGePoint2d(0, 0));
    loop.append(AcGePoint2d(1, 0));
    loop.append(AcGePoint2d(1, 1));
    hatch->appendLoop(0, loop, AcGeDoubleArray());
    const struct {
        const wchar_t* name;
        AcDbEntity* ent;
    } cases[] = {
        {L"INSERT", new AcDbBlockReference(P(0, 0), block)},
        {L"MTEXT", mtext},
        {L"POINT", new AcDbPoint(P(0.5, 0.5))},
        {L"POLYLINE", new AcDb3dPolyline(AcDb::k3dSimplePoly, pts)},
        {L"SPLINE", new AcDbSpline(pts)},
        {L"HATCH", hatch},
        {L"DIMENSION", new AcDbAlignedDimension(P(0, 0), P(1, 0), P(0, 1))},
        {L"SOLID", new AcDbSolid(P(0, 0), P(1, 0), P(0, 1))},
        {L"3DFACE", new AcDbFace(P(0, 0), P(1, 0), P(0, 1))},
        {L"TRACE", new AcDbTrace(P(0, 0), P(1, 0), P(0, 1), P(1, 1))},
    };
    std::vector<AcDbObjectId> ids;
    for (const auto& c : cases) ids.push_back(Add(c.ent));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        resbuf* filter = acutBuildList(RTDXF0, cases[i].name, 0);
        EXPECT_EQ(Crossing(-0.1, -0.1, 0.6, 0.6, filter), std::vector<AcDbObjectId>{ids[i]}) << Show(cases[i].name);
        acutRelRb(filter);
    }
    // Erased, they leave the index.
    EraseObject(ids[2]);
    resbuf* points = acutBuildList(RTDXF0, L"POINT", 0);
    EXPECT_TRUE(Crossing(-1, -1, 2, 2, points).empty());
    acutRelRb(points);
}
