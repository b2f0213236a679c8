// The headless host's drawing database: ids, open rules, tables, entities.
#include <cmath>
#include <random>
#include <unordered_map>

#include "headless/host_fixture.h"
#include "test_support.h"

namespace {
constexpr double kPi = 3.141592653589793;

using DatabaseTest = HostTest;

TEST_F(DatabaseTest, HostStartsWithOneEmptyDrawingHoldingTheStandardRecords) {
    EXPECT_EQ(host::harness::DocumentCount(), 1);
    ASSERT_NE(acDocManagerPtr()->curDocument(), nullptr);
    EXPECT_EQ(acDocManagerPtr()->curDocument()->database(), Db());
    EXPECT_TRUE(host::harness::ModelSpaceIds().empty());
    EXPECT_TRUE(HasRecord<AcDbLayerTable>(L"0"));
    for (const wchar_t* name : {L"Continuous", L"BYLAYER", L"byblock"})
        EXPECT_TRUE(HasRecord<AcDbLinetypeTable>(name)) << Show(name);
    EXPECT_TRUE(HasRecord<AcDbRegAppTable>(L"acad"));
    EXPECT_TRUE(HasRecord<AcDbTextStyleTable>(L"STANDARD"));
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(Db()->getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
    AcDbObjectId ms;
    EXPECT_EQ(blocks->getAt(L"*model_space", ms), Acad::eOk);
    EXPECT_EQ(ms, Db()->modelSpaceId());
    blocks->close();
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(Db()->getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(groups->numEntries(), 0u);
    groups->close();
}

TEST_F(DatabaseTest, UcsStartsAsWorldAndTakesOnlyPerpendicularAxes) {
    EXPECT_TRUE(PointNear(Db()->ucsorg(), P(0, 0)));
    EXPECT_TRUE(Db()->ucsxdir().isEqualTo(AcGeVector3d::kXAxis));
    EXPECT_EQ(Db()->setUcs(P(1, 2), AcGeVector3d(1, 1, 0), AcGeVector3d(1, 0, 0)), Acad::eInvalidInput);
    EXPECT_EQ(Db()->setUcs(P(1, 2), AcGeVector3d(0, 2, 0), AcGeVector3d(-3, 0, 0)), Acad::eOk);
    EXPECT_TRUE(Db()->ucsxdir().isEqualTo(AcGeVector3d::kYAxis));
    EXPECT_TRUE(PointNear(Db()->ucsorg(), P(1, 2)));
}

TEST_F(DatabaseTest, IdsCompareWorkAsKeysAndRoundTripThroughAdsNames) {
    const AcDbObjectId a = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId b = AddLine(P(0, 0), P(2, 0));
    EXPECT_TRUE(AcDbObjectId::kNull.isNull());
    EXPECT_FALSE(AcDbObjectId::kNull.isValid());
    EXPECT_TRUE(a.isValid());
    EXPECT_NE(a, b);
    EXPECT_TRUE(a < b || b < a);
    std::unordered_map<AcDbObjectId, int> byId{{a, 1}, {b, 2}};
    EXPECT_EQ(byId[a], 1);
    EXPECT_EQ(byId[b], 2);
    EXPECT_EQ(a.database(), Db());
    ads_name name = {0, 0};
    ASSERT_EQ(acdbGetAdsName(name, a), Acad::eOk);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
    EXPECT_EQ(back, a);
    ads_name null = {0, 0};
    EXPECT_NE(acdbGetObjectId(back, null), Acad::eOk);
    ads_name bogus = {name[0], name[1] + 1000};
    EXPECT_NE(acdbGetObjectId(back, bogus), Acad::eOk);
    EXPECT_NE(acdbGetAdsName(name, AcDbObjectId::kNull), Acad::eOk);
    EXPECT_NE(acdbGetAdsName(name, IdFromClosedDocument()), Acad::eOk);
}

TEST_F(DatabaseTest, ManyReadersOrOneWriter) {
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbObject* r1 = nullptr;
    AcDbObject* r2 = nullptr;
    AcDbObject* w = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(r1, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbObject(r2, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(r1->upgradeOpen(), Acad::eWasOpenForRead);  // another reader holds it
    r2->close();
    EXPECT_EQ(host::harness::OpenObjectCount(), 1);
    ASSERT_EQ(r1->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(r1->isWriteEnabled());
    EXPECT_EQ(acdbOpenAcDbObject(r2, id, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(acdbOpenAcDbObject(r2, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
    ASSERT_EQ(host::harness::OpenObjects().size(), 1u);
    EXPECT_EQ(host::harness::OpenObjects()[0], id);
    r1->close();
    EXPECT_EQ(host::harness::OpenObjectCount(), 0);
}

TEST_F(DatabaseTest, OpenRefusesBadIdsWithoutLeavingAnythingOpen) {
    const AcDbObjectId line = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId erased = AddLine(P(0, 0), P(2, 0));
    EraseObject(erased);
    const struct {
        const char* name;
        AcDbObjectId id;
        const AcRxClass* cls;
        Acad::ErrorStatus expected;
    } cases[] = {
        {"null", AcDbObjectId::kNull, nullptr, Acad::eNullObjectId},
        {"erased", erased, nullptr, Acad::eWasErased},
        {"wrong class", line, AcDbArc::desc(), Acad::eNotThatKindOfClass},
        {"closed document", IdFromClosedDocument(), nullptr, Acad::eUnknownHandle},
        {"unknown handle", AcDbObjectId::fromParts(Db()->serial(), 999999), nullptr, Acad::eUnknownHandle},
    };
    for (const auto& tc : cases) {
        AcDbObject* obj = nullptr;
        EXPECT_EQ(acdbOpenAcDbObject(obj, tc.id, AcDb::kForRead, false, tc.cls), tc.expected) << tc.name;
        EXPECT_EQ(obj, nullptr) << tc.name;
        EXPECT_EQ(host::harness::OpenObjectCount(), 0) << tc.name;
    }
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(obj, erased, AcDb::kForRead, true), Acad::eOk);  // asked for
    EXPECT_TRUE(obj->isErased());
    obj->close();
    // Kind-of: a line is a curve and an entity; the layer table is not an entity.
    AcDbCurve* curve = nullptr;
    ASSERT_EQ(acdbOpenObject(curve, line, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(curve->isA()->isDerivedFrom(AcDbEntity::desc()));
    EXPECT_EQ(AcDbArc::cast(curve), nullptr);
    curve->close();
    AcDbEntity* ent = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(ent, Db()->layerTableId(), AcDb::kForRead), Acad::eNotAnEntity);
    EXPECT_FALSE(IdFromClosedDocument().isValid());
}

TEST_F(DatabaseTest, EraseUneraseAndSettersNeedTheObjectOpenForWrite) {
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    EraseObject(id);
    EXPECT_TRUE(id.isErased());
    EXPECT_TRUE(id.isValid());
    EXPECT_TRUE(host::harness::ModelSpaceIds().empty());
    EXPECT_EQ(host::harness::ModelSpaceIds(nullptr, true).size(), 1u);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(obj->erase(true), Acad::eWasErased);
    EXPECT_EQ(obj->erase(false), Acad::eOk);
    obj->close();
    EXPECT_FALSE(id.isErased());
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(line->erase(), Acad::eNotOpenForWrite);
    EXPECT_EQ(line->setStartPoint(P(5, 5)), Acad::eNotOpenForWrite);
    EXPECT_EQ(line->setColorIndex(1), Acad::eNotOpenForWrite);
    EXPECT_TRUE(PointNear(line->startPoint(), P(0, 0)));
    line->close();
}

TEST_F(DatabaseTest, LayersByNameWithValidation) {
    AddLayer(L"Walls");
    AddLayer(L"Locked", true);
    AddLayer(L"Hidden", false, true);
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(ent->layer(), CString(L"0"));
    EXPECT_EQ(ent->setLayer(L"walls"), Acad::eOk);
    EXPECT_EQ(ent->layer(), CString(L"Walls"));  // keeps the record's spelling
    EXPECT_NE(ent->setLayer(L""), Acad::eOk);
    EXPECT_NE(ent->setLayer(L"Missing"), Acad::eOk);
    EXPECT_NE(ent->setLayer(L"Hidden"), Acad::eOk);
    EXPECT_EQ(ent->layer(), CString(L"Walls"));
    EXPECT_EQ(ent->setLayer(L"Hidden", true, true), Acad::eOk);
    EXPECT_EQ(ent->setLayer(L"Locked"), Acad::eOk);
    ent->close();
    // An entity on a locked layer opens for read only.
    EXPECT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite), Acad::eOnLockedLayer);
    ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ent->upgradeOpen(), Acad::eOnLockedLayer);
    ent->close();
}

TEST_F(DatabaseTest, NewObjectsTableRulesForNamesAndProtectedRecords) {
    AcDbLayerTable* table = nullptr;
    ASSERT_EQ(Db()->getLayerTable(table, AcDb::kForRead), Acad::eOk);
    auto* rec = new AcDbLayerTableRecord;
    EXPECT_TRUE(rec->isWriteEnabled());
    EXPECT_TRUE(rec->objectId().isNull());
    EXPECT_EQ(rec->setName(L"A"), Acad::eOk);
    EXPECT_EQ(table->add(rec), Acad::eNotOpenForWrite);
    ASSERT_EQ(table->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(rec->setName(L"bad<name"), Acad::eInvalidSymbolTableName);
    ASSERT_EQ(rec->setName(L"0"), Acad::eOk);
    EXPECT_EQ(table->add(rec), Acad::eDuplicateRecordName);
    auto* app = new AcDbRegAppTableRecord;
    app->setName(L"X");
    EXPECT_EQ(table->add(app), Acad::eWrongObjectType);
    table->close();
    // Closing an object outside the database deletes it; the sanitizer build would report a leak.
    EXPECT_EQ(rec->close(), Acad::eOk);
    EXPECT_EQ(app->close(), Acad::eOk);
    AcDbLayerTableRecord* zero = nullptr;
    ASSERT_EQ(Db()->getLayerTable(table, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(table->getAt(L"0", zero, AcDb::kForWrite), Acad::eOk);
    table->close();
    EXPECT_EQ(zero->erase(), Acad::eCannotBeErasedByCaller);
    EXPECT_EQ(zero->setName(L"Other"), Acad::eCannotBeErasedByCaller);
    zero->close();
}

TEST_F(DatabaseTest, GroupDictionaryGivesAnonymousNames) {
    const AcDbObjectId a = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId erased = AddLine(P(0, 0), P(2, 0));
    EraseObject(erased);
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(Db()->getGroupDictionary(dict, AcDb::kForWrite), Acad::eOk);
    auto* g1 = new AcDbGroup;
    auto* g2 = new AcDbGroup;
    AcDbObjectId id1, id2;
    EXPECT_EQ(g1->append(a), Acad::eNotInDatabase);  // not yet filed
    ASSERT_EQ(dict->setAt(L"*", g1, id1), Acad::eOk);
    ASSERT_EQ(dict->setAt(L"*", g2, id2), Acad::eOk);
    EXPECT_EQ(dict->numEntries(), 2u);
    dict->close();
    EXPECT_TRUE(g1->isAnonymous());
    EXPECT_STRNE(g1->name(), g2->name());
    EXPECT_EQ(g1->append(a), Acad::eOk);
    EXPECT_EQ(g1->append(a), Acad::eAlreadyInGroup);
    EXPECT_EQ(g1->append(erased), Acad::eWasErased);
    EXPECT_EQ(g1->append(AcDbObjectId::kNull), Acad::eNullObjectId);
    EXPECT_EQ(g1->append(Db()->layerTableId()), Acad::eNotAnEntity);
    EXPECT_EQ(g1->numEntries(), 1u);
    g1->close();
    g2->close();
}

TEST_F(DatabaseTest, TwoDPolylineIteratorSkipsErasedVertices) {
    AcGePoint3dArray pts;
    for (double x : {0.0, 1.0, 2.0, 3.0}) pts.append(P(x, x * x));
    AcGeDoubleArray bulges;
    for (double b : {0.0, 0.5, 0.0, 0.0}) bulges.append(b);
    auto* pline = new AcDb2dPolyline(AcDb::k2dQuadSplinePoly, pts, 2.0, true, 0, 0, &bulges);
    const AcDbObjectId id = Add(pline);
    ASSERT_FALSE(id.isNull());
    AcDb2dPolyline* opened = nullptr;
    ASSERT_EQ(acdbOpenObject(opened, id, AcDb::kForRead), Acad::eOk);
    AcDbObjectIterator* it = opened->vertexIterator();
    std::vector<AcDbObjectId> vertices;
    for (; !it->done(); it->step()) vertices.push_back(it->objectId());
    delete it;
    opened->close();
    ASSERT_EQ(vertices.size(), 4u);
    EraseObject(vertices[1]);
    ASSERT_EQ(acdbOpenObject(opened, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(opened->polyType(), AcDb::k2dQuadSplinePoly);
    it = opened->vertexIterator();
    std::vector<AcGePoint3d> seen;
    for (; !it->done(); it->step(false, true)) {
        AcDb2dVertex* v = nullptr;
        ASSERT_EQ(opened->openVertex(v, it->objectId(), AcDb::kForRead), Acad::eOk);
        seen.push_back(opened->vertexPosition(*v));
        v->close();
    }
    delete it;
    AcDb2dVertex* foreign = nullptr;
    EXPECT_NE(opened->openVertex(foreign, id, AcDb::kForRead), Acad::eOk);
    opened->close();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(PointNear(seen[1], P(2, 4, 2.0)));  // vertex 1 skipped; elevation applied
}

AcDbEllipse* MakeEllipse(const AcGePoint3d& center, const AcGeVector3d& major, double ratio, double from = 0.0,
                         double to = 2 * kPi) {
    auto* ellipse = new AcDbEllipse;
    EXPECT_EQ(ellipse->set(center, AcGeVector3d::kZAxis, major, ratio, from, to), Acad::eOk);
    return ellipse;
}

TEST_F(DatabaseTest, ClosestPointsOnCurves) {
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(0, 0));
    pline->addVertexAt(1, AcGePoint2d(10, 0), 1.0);  // half circle to (10, 10) bulging to +X
    pline->addVertexAt(2, AcGePoint2d(10, 10));
    const struct {
        const char* name;
        AcDbCurve* curve;
        AcGePoint3d given;
        AcGePoint3d expected;
    } cases[] = {
        {"line inside", new AcDbLine(P(0, 0), P(10, 0)), P(4, 3), P(4, 0)},
        {"line beyond its end", new AcDbLine(P(0, 0), P(10, 0)), P(14, 3), P(10, 0)},
        {"circle", new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 2), P(0, 5), P(0, 2)},
        {"arc within its sweep", new AcDbArc(P(0, 0), 2, 0, kPi), P(0, 5), P(0, 2)},
        {"arc outside its sweep", new AcDbArc(P(0, 0), 2, 0, kPi / 2), P(1, -5), P(2, 0)},
        {"polyline straight part", pline, P(3, -1), P(3, 0)},
        {"ellipse, off its minor axis", MakeEllipse(P(0, 0), AcGeVector3d(4, 0, 0), 0.5), P(0, 5), P(0, 2)},
        {"ellipse, inside on its major axis", MakeEllipse(P(1, 1), AcGeVector3d(4, 0, 0), 0.5), P(4.5, 1), P(5, 1)},
        {"ellipse, turned, above its plane", MakeEllipse(P(0, 0), AcGeVector3d(3, 3, 0), 0.25), P(6, 6, 7),
         P(3, 3)},
        {"elliptical arc, beyond its end", MakeEllipse(P(0, 0), AcGeVector3d(4, 0, 0), 0.5, 0, kPi / 2), P(-5, 0),
         P(0, 2)},
    };
    for (const auto& tc : cases) {
        AcGePoint3d got;
        EXPECT_EQ(tc.curve->getClosestPointTo(tc.given, got), Acad::eOk) << tc.name;
        EXPECT_TRUE(PointNear(got, tc.expected, 1e-9)) << tc.name;
    }
    AcGePoint3d got;
    ASSERT_EQ(pline->getClosestPointTo(P(20, 5), got), Acad::eOk);
    EXPECT_TRUE(PointNear(got, P(15, 5), 1e-9)) << "on the bulge";
    AcGePoint3d extended;
    ASSERT_EQ(cases[1].curve->getClosestPointTo(P(14, 3), extended, true), Acad::eOk);
    EXPECT_TRUE(PointNear(extended, P(14, 0)));
    ASSERT_EQ(cases[9].curve->getClosestPointTo(P(-5, 0), extended, true), Acad::eOk);
    EXPECT_TRUE(PointNear(extended, P(-4, 0), 1e-9)) << "elliptical arc extended";
    // Anywhere around a flat ellipse, the answer is a foot of the normal: the
    // way to it is perpendicular to the curve, and no sample is nearer.
    AcDbEllipse* flat = MakeEllipse(P(2, -1), AcGeVector3d(5, 1, 0), 0.1);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coordinate(-8, 8);
    for (int i = 0; i < 200; ++i) {
        const AcGePoint3d given = P(coordinate(rng), coordinate(rng));
        ASSERT_EQ(flat->getClosestPointTo(given, got), Acad::eOk);
        for (int k = 0; k < 1000; ++k) {
            const double t = kPi * k / 500;
            const AcGePoint3d sample = P(2, -1) + flat->majorAxis() * std::cos(t) + flat->minorAxis() * std::sin(t);
            ASSERT_LE(got.distanceTo(given), sample.distanceTo(given) + 1e-9) << i << " " << k;
        }
    }
    delete flat;
    for (const auto& tc : cases) delete tc.curve;
}

TEST_F(DatabaseTest, TransformMovesEntities) {
    const AcGeMatrix3d move = AcGeMatrix3d::translation(AcGeVector3d(5, -1, 0));
    AcDbArc arc(P(0, 0), 2, 0, kPi / 2);
    ASSERT_EQ(arc.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) * move), Acad::eOk);
    EXPECT_TRUE(PointNear(arc.center(), P(1, 5), 1e-12));
    EXPECT_NEAR(arc.startAngle(), kPi / 2, 1e-12);
    EXPECT_NEAR(arc.endAngle(), kPi, 1e-12);
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(1, 1));
    ASSERT_EQ(pl.transformBy(move), Acad::eOk);
    AcGePoint2d p;
    pl.getPointAt(0, p);
    EXPECT_DOUBLE_EQ(p.x, 6);
    EXPECT_DOUBLE_EQ(p.y, 0);
}

TEST_F(DatabaseTest, ExtendedDataPerRegisteredApplication) {
    RegisterApp(L"MYAPP");
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite), Acad::eOk);
    resbuf* unknown = acutBuildList(1001, L"NOAPP", 1000, L"x", 0);
    EXPECT_EQ(ent->setXData(unknown), Acad::eRegappIdNotFound);
    acutRelRb(unknown);
    resbuf* list = acutBuildList(1001, L"MyApp", 1000, L"text", 1040, 2.5, 0);
    ASSERT_EQ(ent->setXData(list), Acad::eOk);
    acutRelRb(list);
    resbuf* got = ent->xData(L"MYAPP");
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->restype, 1001);
    ASSERT_NE(got->rbnext, nullptr);
    EXPECT_STREQ(got->rbnext->resval.rstring, L"text");
    ASSERT_NE(got->rbnext->rbnext, nullptr);
    EXPECT_DOUBLE_EQ(got->rbnext->rbnext->resval.rreal, 2.5);
    acutRelRb(got);
    resbuf* clear = acutBuildList(1001, L"MYAPP", 0);
    ASSERT_EQ(ent->setXData(clear), Acad::eOk);
    acutRelRb(clear);
    EXPECT_EQ(ent->xData(), nullptr);
    ent->close();
}

// Records what the journal hook reports, as an undo journal would.
struct JournalSpy : AcDbDatabaseReactor {
    std::vector<std::pair<char, AcDbObjectId>> events;
    void objectAppended(const AcDbDatabase*, const AcDbObject* o) override { events.push_back({'a', o->objectId()}); }
    void objectOpenedForModify(const AcDbDatabase*, const AcDbObject* o) override {
        events.push_back({'m', o->objectId()});
    }
    void objectModified(const AcDbDatabase*, const AcDbObject* o) override { events.push_back({'c', o->objectId()}); }
    void objectErased(const AcDbDatabase*, const AcDbObject* o, bool) override { events.push_back({'e', o->objectId()}); }
};

TEST_F(DatabaseTest, ChangesPassOneJournalHook) {
    JournalSpy spy;
    Db()->addReactor(&spy);
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    line->setStartPoint(P(2, 2));
    line->setEndPoint(P(3, 3));  // the first change alone is announced
    line->close();
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    line->close();  // opened, not changed: nothing
    EraseObject(id);
    Db()->removeReactor(&spy);
    const std::vector<std::pair<char, AcDbObjectId>> expected = {
        {'a', id}, {'m', id}, {'c', id}, {'m', id}, {'e', id}, {'c', id}};
    EXPECT_EQ(spy.events, expected);
}

TEST_F(DatabaseTest, CloneCopiesDataNotIdentityAndCopyFromPutsItBack) {
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    AcDbLine* snapshot = AcDbLine::cast(line->clone());
    ASSERT_NE(snapshot, nullptr);
    EXPECT_TRUE(snapshot->objectId().isNull());
    EXPECT_TRUE(PointNear(snapshot->endPoint(), P(1, 0)));
    EXPECT_EQ(snapshot->layer(), CString(L"0"));
    line->setEndPoint(P(9, 9));
    line->setColorIndex(3);
    AcDbCircle circle;
    EXPECT_EQ(line->copyFrom(&circle), Acad::eNotThatKindOfClass);
    ASSERT_EQ(line->copyFrom(snapshot), Acad::eOk);
    EXPECT_EQ(line->objectId(), id);
    EXPECT_TRUE(PointNear(line->endPoint(), P(1, 0)));
    EXPECT_EQ(line->colorIndex(), 256);
    line->close();
    delete snapshot;
    // A record taking back its old name keeps the table's index right.
    const AcDbObjectId layerId = AddLayer(L"Old");
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, layerId, AcDb::kForWrite), Acad::eOk);
    AcRxObject* before = layer->clone();
    ASSERT_EQ(layer->setName(L"New"), Acad::eOk);
    ASSERT_EQ(layer->copyFrom(before), Acad::eOk);
    layer->close();
    delete before;
    EXPECT_TRUE(HasRecord<AcDbLayerTable>(L"Old"));
    EXPECT_FALSE(HasRecord<AcDbLayerTable>(L"New"));
}

TEST_F(DatabaseTest, BlockIteratorWalksModelSpaceSkippingErased) {
    const AcDbObjectId a = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId b = AddLine(P(0, 0), P(2, 0));
    const AcDbObjectId c = AddLine(P(0, 0), P(3, 0));
    EraseObject(b);
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, Db()->modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    ASSERT_EQ(ms->newIterator(it), Acad::eOk);
    ms->close();
    std::vector<AcDbObjectId> seen;
    for (; !it->done(); it->step()) {
        AcDbEntity* ent = nullptr;
        ASSERT_EQ(it->getEntity(ent, AcDb::kForRead), Acad::eOk);
        seen.push_back(ent->objectId());
        ent->close();
    }
    EXPECT_EQ(seen, (std::vector<AcDbObjectId>{a, c}));
    it->start(false);
    AcDbObjectId last;
    ASSERT_EQ(it->getEntityId(last), Acad::eOk);
    EXPECT_EQ(last, c);
    delete it;
}

TEST_F(DatabaseTest, DeletingAResidentObjectForgetsIt) {
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForRead), Acad::eOk);
    delete obj;  // a client fault the host survives
    EXPECT_FALSE(id.isValid());
    EXPECT_EQ(host::harness::OpenObjectCount(), 0);
    EXPECT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForRead), Acad::eUnknownHandle);
}

TEST(ResultBuffers, BuildCopyAndRelease) {
    const double pt[3] = {1, 2, 3};
    const long name[2] = {4, 5};
    resbuf* list = acutBuildList(RTSTR, L"text", RTREAL, 2.5, RT3DPOINT, pt, RTSHORT, 7, RTLONG, 70000, RTENAME, name,
                                 RTLB, RTLE, -3, 1001, L"APP", 1070, 12, 0);
    ASSERT_NE(list, nullptr);
    resbuf* copy = host::CopyRbList(list);
    acutRelRb(list);  // the copy owns its own strings
    std::vector<short> types;
    std::vector<const resbuf*> rb;
    for (const resbuf* it = copy; it; it = it->rbnext) {
        types.push_back(it->restype);
        rb.push_back(it);
    }
    ASSERT_EQ(types, (std::vector<short>{RTSTR, RTREAL, RT3DPOINT, RTSHORT, RTLONG, RTENAME, RTLB, RTLE, -3, 1001, 1070}));
    EXPECT_STREQ(rb[0]->resval.rstring, L"text");
    EXPECT_EQ(rb[1]->resval.rreal, 2.5);
    EXPECT_EQ(rb[2]->resval.rpoint[2], 3);
    EXPECT_EQ(rb[3]->resval.rint, 7);
    EXPECT_EQ(rb[4]->resval.rlong, 70000);
    EXPECT_EQ(rb[5]->resval.rlname[1], 5);
    EXPECT_EQ(acutRelRb(copy), RTNORM);
    EXPECT_EQ(acutRelRb(nullptr), RTNORM);
    wchar_t* s = acutNewString(L"abc");
    EXPECT_STREQ(s, L"abc");
    acutDelString(s);
    EXPECT_EQ(s, nullptr);
}

TEST(GeomExtents, BoxesOfCurves) {
    AcDbPolyline pline;
    pline.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // half circle below the chord to (2, 0)
    pline.addVertexAt(1, AcGePoint2d(2, 0));
    AcDbEllipse ellipse;
    ellipse.set(P(0, 0), AcGeVector3d::kZAxis, AcGeVector3d(3, 0, 0), 0.5);
    const struct {
        const char* name;
        const AcDbEntity* entity;
        AcGePoint3d min, max;
    } cases[] = {
        {"line", new AcDbLine(P(3, -1, 2), P(-1, 4, 0)), P(-1, -1, 0), P(3, 4, 2)},
        {"circle", new AcDbCircle(P(1, 1), AcGeVector3d::kZAxis, 2), P(-1, -1), P(3, 3)},
        {"quarter arc", new AcDbArc(P(0, 0), 2, 0, kPi / 2), P(0, 0), P(2, 2)},
        {"arc over the top", new AcDbArc(P(0, 0), 2, kPi / 4, 3 * kPi / 4), P(-std::sqrt(2.0), std::sqrt(2.0)), P(std::sqrt(2.0), 2)},
        {"bulged polyline", &pline, P(0, -1), P(2, 0)},
        {"ellipse", &ellipse, P(-3, -1.5), P(3, 1.5)},
    };
    for (const auto& tc : cases) {
        AcDbExtents ext;
        ASSERT_EQ(tc.entity->getGeomExtents(ext), Acad::eOk) << tc.name;
        EXPECT_TRUE(PointNear(ext.minPoint(), tc.min, 1e-12)) << tc.name;
        EXPECT_TRUE(PointNear(ext.maxPoint(), tc.max, 1e-12)) << tc.name;
    }
    for (int i = 0; i < 4; ++i) delete cases[i].entity;
}
}  // namespace
