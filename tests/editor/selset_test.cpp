// Selection sets to id arrays and the UCS conversions.
#include <dbpl.h>

#include <cmath>

#include "chains/entity_checks.h"
#include "drovik/drawing/edits.h"
#include "drovik/editor/selset.h"
#include "editor/editor_fixture.h"
#include "test_support.h"

namespace {
const double kPi = 3.141592653589793;

bool SelectAll(ads_name ss) { return acedSSGet(L"x", nullptr, nullptr, nullptr, ss) == RTNORM; }
}  // namespace

using SelSetTest = EditorTest;

TEST_F(SelSetTest, SSToIdArrEmptiesTheArrayAndKeepsSetOrder) {
    const AcDbObjectId a = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    const AcDbObjectId b = AddLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    AcArray<AcDbObjectId> ids;
    ids.append(AcDbObjectId::kNull);
    ads_name ss;
    ASSERT_TRUE(SelectAll(ss));
    EXPECT_EQ(SSToIdArr(ss, ids), 2);
    ASSERT_EQ(ids.length(), 2);
    EXPECT_EQ(ids[0], b);
    EXPECT_EQ(ids[1], a);
    acedSSFree(ss);
    EXPECT_EQ(SSToIdArr(ss, ids), 0) << "a freed set cannot be read";
    EXPECT_EQ(ids.length(), 0);
}

TEST_F(SelSetTest, SSXToIdArrBreaksPolylinesIntoLinesAndArcs) {
    struct Case {
        const char* name;
        bool closed;
        int expected;
    };
    for (const Case& c : {Case{"closed", true, 4}, Case{"open", false, 3}}) {
        host::harness::ResetHost();
        const AcDbObjectId square = DrawingTest::AddPolyline({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, c.closed);
        AcArray<AcDbObjectId> ids;
        ads_name ss;
        ASSERT_TRUE(SelectAll(ss));
        EXPECT_EQ(SSXToIdArr(ss, ids, false), c.expected) << c.name;
        acedSSFree(ss);
        EXPECT_FALSE(square.isErased()) << "the selected entity stays";
        for (int i = 0; i < ids.length(); ++i) {
            AcGePoint3d s, e;
            EXPECT_TRUE(GetLineEndPoint(ids[i], s, e)) << c.name;
            EXPECT_NEAR(s.distanceTo(e), 2.0, 1e-12) << c.name;
        }
    }
}

TEST_F(SelSetTest, SSXToIdArrCopiesLinesAndArcsFlattenedOnRequest) {
    AddLine(AcGePoint3d(0, 0, 5), AcGePoint3d(1, 0, 7));
    Add(new AcDbArc(AcGePoint3d(5, 5, 3), 2.0, 0.0, kPi / 2));
    DrawingTest::AddPolyline({{10, 0, 1.0}, {12, 0, 0}});
    AcArray<AcDbObjectId> ids;
    ads_name ss;
    ASSERT_TRUE(SelectAll(ss));
    ASSERT_EQ(SSXToIdArr(ss, ids, true), 3);
    acedSSFree(ss);
    stArcPara arc;
    ASSERT_TRUE(GetArcPara(ids[0], arc)) << "the polyline's half circle";
    EXPECT_NEAR(arc.radius, 1.0, 1e-9);
    ASSERT_TRUE(GetArcPara(ids[1], arc));
    EXPECT_EQ(arc.ptCenter.z, 0.0);
    EXPECT_NEAR(arc.angle, kPi / 2, 1e-9);
    AcGePoint3d s, e;
    ASSERT_TRUE(GetLineEndPoint(ids[2], s, e));
    EXPECT_TRUE(s.isEqualTo(AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(e.isEqualTo(AcGePoint3d(1, 0, 0)));
}

TEST_F(SelSetTest, ConversionsWithWorldAndUserSystems) {
    const AcGePoint3d pt(3, 4, 5);
    EXPECT_TRUE(dvUcsToWcs(pt).isEqualTo(pt));
    EXPECT_TRUE(dvWcsToUcs(pt).isEqualTo(pt));
    EXPECT_NEAR(dvUcsToWcs(-kPi / 2), 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(dvWcsToUcs(-kPi / 2), 3 * kPi / 2, 1e-12);

    // A UCS moved to (10, 0) and turned a quarter turn.
    ASSERT_TRUE(host::harness::SetUcs(AcGePoint3d(10, 0, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0)));
    EXPECT_TRUE(dvUcsToWcs(AcGePoint3d(1, 0, 0)).isEqualTo(AcGePoint3d(10, 1, 0)));
    EXPECT_TRUE(dvWcsToUcs(AcGePoint3d(10, 1, 0)).isEqualTo(AcGePoint3d(1, 0, 0)));
    EXPECT_NEAR(dvUcsToWcs(0.0), kPi / 2, 1e-12) << "the origin shift plays no part";
    EXPECT_NEAR(dvWcsToUcs(kPi / 2), 0.0, 1e-12);
    EXPECT_NEAR(dvWcsToUcs(0.0), 3 * kPi / 2, 1e-12);
}
