// Entity edits and queries: results, the drawing afterwards, nothing left
// open, and the answers for ids that cannot be used.
#include <cmath>
#include <functional>

#include "chains/entity_checks.h"
#include "drovik/drawing/edits.h"
#include "drovik/drawing/entities.h"

namespace {
constexpr double kPi = 3.141592653589793;

using EditTest = DrawingTest;

// Every edit and query, called with ids it cannot use, answers false (or
// does nothing), changes nothing, leaves nothing open and no lock held.
TEST_F(EditTest, UnusableIdsAreRefusedCleanly) {
    const AcDbObjectId erased = AddLine(P(0, 0), P(1, 0));
    EraseObject(erased);
    const AcDbObjectId text = Add(new AcDbText(P(0, 0), L"t"));
    const AcDbObjectId closedDoc = IdFromClosedDocument();
    const struct {
        const char* name;
        bool anyEntity;  // a text is a fit input
        std::function<bool(AcDbObjectId)> call;
    } calls[] = {
        {"EraseEnt", true, [](AcDbObjectId id) { return EraseEnt(id); }},
        {"SetEntColor", true, [](AcDbObjectId id) { return SetEntColor(id, 1); }},
        {"GetEntColor", true, [](AcDbObjectId id) { int c = 0; return GetEntColor(id, c); }},
        {"SetEntLayer", true, [](AcDbObjectId id) { return SetEntLayer(id, L"0"); }},
        {"GetEntLayer", true, [](AcDbObjectId id) { CString s; return GetEntLayer(id, s); }},
        {"GetLineEndPoint", false, [](AcDbObjectId id) { AcGePoint3d a, b; return GetLineEndPoint(id, a, b); }},
        {"GetArcPara", false, [](AcDbObjectId id) { stArcPara arc; return GetArcPara(id, arc); }},
        {"GetCenterRadius", false, [](AcDbObjectId id) { AcGePoint3d c; double r; return GetCenterRadius(id, c, r); }},
        {"ModifyLineEnt", false, [](AcDbObjectId id) { return ModifyLineEnt(id, P(0, 0), P(1, 1)); }},
        {"ModifyArcEnt", false, [](AcDbObjectId id) { return ModifyArcEnt(id, 0, 1); }},
        {"ModifyCircleRadius", false, [](AcDbObjectId id) { return ModifyCircleRadius(id, 3); }},
        {"ModifyCircleCenter", false, [](AcDbObjectId id) { return ModifyCircleCenter(id, P(1, 1)); }},
        {"GetClosestPnt", false, [](AcDbObjectId id) { AcGePoint3d q; return GetClosestPnt(id, P(0, 0), q); }},
        {"GetClosestPnt array", false, [](AcDbObjectId id) {
             double a[3] = {0, 0, 0};
             double b[3] = {0, 0, 0};
             return GetClosestPnt(id, a, b);
         }},
    };
    for (const auto& c : calls) {
        std::vector<std::pair<const char*, AcDbObjectId>> bad = {{"null", AcDbObjectId::kNull},
                                                                 {"erased", erased},
                                                                 {"closed document", closedDoc},
                                                                 {"layer table", Db()->layerTableId()}};
        if (!c.anyEntity) bad.push_back({"text", text});
        for (const auto& b : bad) {
            EXPECT_FALSE(c.call(b.second)) << c.name << " with " << b.first;
            EXPECT_EQ(host::harness::OpenObjectCount(), 0) << c.name << " with " << b.first;
            EXPECT_EQ(host::harness::LockCount(), 0) << c.name << " with " << b.first;
        }
    }
    // The functions without a result leave everything as it was.
    for (AcDbObjectId id : {AcDbObjectId::kNull, erased, closedDoc, Db()->layerTableId()}) {
        LightSelEnt(id);
        UnlightSelEnt(id);
        SetEntVisible(id, false);
        EXPECT_EQ(host::harness::OpenObjectCount(), 0);
    }
    EXPECT_TRUE(erased.isErased());
    Inspect<AcDbLine>(erased, [](const AcDbLine& l) { EXPECT_EQ(l.visibility(), AcDb::kVisible); });
}

struct LockWatcher : AcDbDatabaseReactor {
    int lockCountAtErase = -1;
    void objectErased(const AcDbDatabase*, const AcDbObject*, bool) override {
        lockCountAtErase = host::harness::LockCount();
    }
};

struct LockCounter : AcApDocManagerReactor {
    int locks = 0;
    void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode, AcAp::DocLockMode, AcAp::DocLockMode,
                                 const wchar_t*) override {
        ++locks;
    }
};

TEST_F(EditTest, EraseEntLocksTheDocumentOnlyForTheChange) {
    AcDbObjectId null;
    AcDbObjectId stale = IdFromClosedDocument();
    LockCounter counter;
    acDocManagerPtr()->addReactor(&counter);
    counter.locks = 0;
    EXPECT_FALSE(EraseEnt(null));
    EXPECT_FALSE(EraseEnt(stale));
    EXPECT_EQ(counter.locks, 0) << "an invalid id never locks";
    AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    LockWatcher watcher;
    Db()->addReactor(&watcher);
    EXPECT_TRUE(EraseEnt(id));
    Db()->removeReactor(&watcher);
    acDocManagerPtr()->removeReactor(&counter);
    EXPECT_EQ(counter.locks, 2) << "locked and unlocked once";
    EXPECT_EQ(watcher.lockCountAtErase, 1);
    EXPECT_EQ(host::harness::LockCount(), 0);
    EXPECT_TRUE(id.isErased());
    EXPECT_FALSE(EraseEnt(id)) << "already erased";
    EXPECT_EQ(host::harness::LockCount(), 0);
    // On a locked layer it fails and still unlocks.
    AddLayer(L"Frozen", true);
    AcDbObjectId locked = AddLineOn(P(0, 0), P(1, 0), L"Frozen");
    EXPECT_FALSE(EraseEnt(locked));
    EXPECT_FALSE(locked.isErased());
    EXPECT_EQ(host::harness::LockCount(), 0);
}

TEST_F(EditTest, ColourAndLayerRoundTrip) {
    AddLayer(L"Kerb");
    AddLayer(L"Secret", false, true);
    AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    int colour = -1;
    ASSERT_TRUE(GetEntColor(id, colour));
    EXPECT_EQ(colour, 256);
    EXPECT_TRUE(SetEntColor(id, 5));
    EXPECT_TRUE(GetEntColor(id, colour));
    EXPECT_EQ(colour, 5);
    EXPECT_FALSE(SetEntColor(id, 300)) << "the host refuses indexes above 256";
    EXPECT_FALSE(SetEntColor(id, -1));
    EXPECT_TRUE(GetEntColor(id, colour));
    EXPECT_EQ(colour, 5);
    CString layer;
    EXPECT_TRUE(SetEntLayer(id, L"KERB"));
    ASSERT_TRUE(GetEntLayer(id, layer));
    EXPECT_EQ(layer, CString(L"Kerb"));
    EXPECT_FALSE(SetEntLayer(id, L"Secret")) << "hidden layers are refused";
    EXPECT_FALSE(SetEntLayer(id, L"Nowhere"));
    EXPECT_FALSE(SetEntLayer(id, L""));
    ASSERT_TRUE(GetEntLayer(id, layer));
    EXPECT_EQ(layer, CString(L"Kerb"));
}

TEST_F(EditTest, HighlightNeedsOnlyReadAccess) {
    AddLayer(L"Locked", true);
    AcDbObjectId id = AddLineOn(P(0, 0), P(1, 0), L"Locked");
    LightSelEnt(id);
    Inspect<AcDbEntity>(id, [](const AcDbEntity& e) { EXPECT_TRUE(e.isHighlighted()); });
    UnlightSelEnt(id);
    Inspect<AcDbEntity>(id, [](const AcDbEntity& e) { EXPECT_FALSE(e.isHighlighted()); });
}

struct ChangeCounter : AcDbDatabaseReactor {
    int changes = 0;
    void objectOpenedForModify(const AcDbDatabase*, const AcDbObject*) override { ++changes; }
};

TEST_F(EditTest, SetEntVisibleChangesOnlyWhatDiffers) {
    const AcDbObjectId a = AddLine(P(0, 0), P(1, 0));
    const AcDbObjectId b = AddLine(P(0, 0), P(2, 0));
    ChangeCounter counter;
    Db()->addReactor(&counter);
    SetEntVisible(a, true);
    EXPECT_EQ(counter.changes, 0) << "already visible: no change";
    AcDbObjectIdArray ids;
    ids.append(a);
    ids.append(AcDbObjectId::kNull);  // skipped
    ids.append(b);
    SetEntVisible(ids, false);
    EXPECT_EQ(counter.changes, 2);
    Db()->removeReactor(&counter);
    for (AcDbObjectId id : {a, b})
        Inspect<AcDbEntity>(id, [](const AcDbEntity& e) { EXPECT_EQ(e.visibility(), AcDb::kInvisible); });
    SetEntVisible(a, true);
    Inspect<AcDbEntity>(a, [](const AcDbEntity& e) { EXPECT_EQ(e.visibility(), AcDb::kVisible); });
}

TEST_F(EditTest, LineEndPoints) {
    const AcDbObjectId id = AddLine(P(1, 2, 3), P(4, 5, 6));
    AcGePoint3d s, e;
    ASSERT_TRUE(GetLineEndPoint(id, s, e));
    EXPECT_TRUE(PointNear(s, P(1, 2, 3)));
    EXPECT_TRUE(PointNear(e, P(4, 5, 6)));
    ASSERT_TRUE(ModifyLineEnt(id, P(7, 7), P(8, 8)));
    ASSERT_TRUE(GetLineEndPoint(id, s, e));
    EXPECT_TRUE(PointNear(s, P(7, 7)));
    EXPECT_TRUE(PointNear(e, P(8, 8)));
}

TEST_F(EditTest, ArcRecordFromTheDrawing) {
    const AcDbObjectId id = AddArc(P(0, 0), 2, 350.0 * kPi / 180, 10.0 * kPi / 180);
    stArcPara arc;
    ASSERT_TRUE(GetArcPara(id, arc));
    EXPECT_NEAR(arc.angle, 20.0 * kPi / 180, 1e-12);
    EXPECT_NEAR(arc.length, arc.angle * 2, 1e-12);
    EXPECT_TRUE(PointNear(arc.ptMid, P(2, 0), 1e-12));
    EXPECT_TRUE(PointNear(arc.ptStart, P(2 * std::cos(-10 * kPi / 180), 2 * std::sin(-10 * kPi / 180)), 1e-12));
    stArcPara untouched;
    untouched.radius = 42;
    EXPECT_FALSE(GetArcPara(AddLine(P(0, 0), P(1, 0)), untouched));
    EXPECT_EQ(untouched.radius, 42);
    ASSERT_TRUE(ModifyArcEnt(id, kPi, 3 * kPi));
    ASSERT_TRUE(GetArcPara(id, arc));
    EXPECT_NEAR(arc.startAngle, kPi, 1e-12);
    EXPECT_NEAR(arc.endAngle, kPi, 1e-12) << "the host keeps angles in [0, 2*pi)";
}

TEST_F(EditTest, CircleQueriesAndChanges) {
    const AcDbObjectId circle = AddCircle(P(0, 0), 2);
    AcGePoint3d c;
    double r = 0;
    ASSERT_TRUE(GetCenterRadius(circle, c, r));
    EXPECT_DOUBLE_EQ(r, 2);
    EXPECT_FALSE(GetCenterRadius(AddArc(P(0, 0), 2, 0, 1), c, r)) << "arcs are not circles";
    ASSERT_TRUE(ModifyCircleRadius(circle, 5));
    ASSERT_TRUE(ModifyCircleCenter(circle, P(3, 4)));
    ASSERT_TRUE(GetCenterRadius(circle, c, r));
    EXPECT_TRUE(PointNear(c, P(3, 4)));
    EXPECT_DOUBLE_EQ(r, 5);
    EXPECT_FALSE(ModifyCircleCenter(AddLine(P(0, 0), P(1, 0)), P(1, 1)));
}

TEST_F(EditTest, ModifyCircleCenterMovesARectangle) {
    AcDbObjectId rect;
    ASSERT_TRUE(MakeRect(P(10, 10), 4, 2, 0.3, rect));
    ASSERT_TRUE(ModifyCircleCenter(rect, P(-5, 2)));
    AcArray<AcGePoint3d> pts;
    ASSERT_NE(sorn::ent::GetCurveParam(rect, &pts, nullptr), 0);
    ASSERT_EQ(pts.length(), 6);
    EXPECT_TRUE(PointNear(pts[1] + (pts[3] - pts[1]) / 2, P(-5, 2), 1e-9));
    EXPECT_NEAR(pts[0].distanceTo(pts[5]), 0, 1e-9);
    // Five vertices are not a rectangle of MakeRect.
    const AcDbObjectId five = AddPolyline({{0, 0, 0}, {1, 1, 0}, {2, 4, 0}, {3, 9, 0}, {4, 16, 0}});
    EXPECT_FALSE(ModifyCircleCenter(five, P(0, 0)));
}

TEST_F(EditTest, ClosestPointReachesTheCaller) {
    AddLayer(L"Locked", true);
    const AcDbObjectId line = AddLineOn(P(0, 0), P(10, 0), L"Locked");
    AcGePoint3d closest(99, 99, 99);
    ASSERT_TRUE(GetClosestPnt(line, P(3, 4), closest)) << "a curve on a locked layer can be measured";
    EXPECT_TRUE(PointNear(closest, P(3, 0)));
    double a[3] = {0, 0, 0};
    double b[3] = {12, -1, 0};
    ASSERT_TRUE(GetClosestPnt(AddCircle(P(0, 0), 2), a, b));
    EXPECT_NEAR(std::hypot(a[0], a[1]), 2, 1e-12);
    EXPECT_GT(a[0], 0);
    EXPECT_FALSE(GetClosestPnt(line, nullptr, b));
    AcGePoint3d kept(7, 7, 7);
    EXPECT_FALSE(GetClosestPnt(Add(new AcDbText(P(0, 0), L"t")), P(0, 0), kept));
    EXPECT_TRUE(PointNear(kept, P(7, 7, 7)));
}

TEST_F(EditTest, EraseSamePtKeepsTheLastOfEachGroup) {
    const AcGePoint3d A = P(0, 0), B = P(1, 0), C = P(2, 0);
    const struct {
        const char* name;
        std::vector<AcGePoint3d> pts;
        std::vector<double> values;
        std::vector<AcGePoint3d> wantPts;
        std::vector<double> wantValues;
    } cases[] = {
        {"repeat", {A, B, A, C}, {1, 2, 3, 4}, {B, A, C}, {2, 3, 4}},
        {"all equal", {A, A, A}, {1, 2, 3}, {A}, {3}},
        {"no repeats", {A, B, C}, {1, 2, 3}, {A, B, C}, {1, 2, 3}},
        {"empty", {}, {}, {}, {}},
        {"values shorter", {A, A, B, B}, {1}, {A, B}, {}},
        {"values shorter, repeat late", {A, B, C, C}, {1, 2}, {A, B, C}, {1, 2}},
    };
    for (const auto& tc : cases) {
        AcArray<AcGePoint3d> pts;
        AcArray<double> values;
        for (const auto& p : tc.pts) pts.append(p);
        for (double v : tc.values) values.append(v);
        EraseSamePt(pts, values);
        ASSERT_EQ(pts.length(), static_cast<int>(tc.wantPts.size())) << tc.name;
        for (int i = 0; i < pts.length(); ++i) EXPECT_TRUE(PointNear(pts[i], tc.wantPts[i])) << tc.name;
        ASSERT_EQ(values.length(), static_cast<int>(tc.wantValues.size())) << tc.name;
        for (int i = 0; i < values.length(); ++i) EXPECT_EQ(values[i], tc.wantValues[i]) << tc.name;
    }
}
}  // namespace
