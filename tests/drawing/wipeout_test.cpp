// Wipeouts through the host's command.
#include <dbpl.h>

#include <cmath>

#include "drovik/drawing/wipeout.h"
#include "editor/editor_fixture.h"

namespace {
std::vector<AcGePoint3d> Boundary(AcDbObjectId id) {
    AcDbWipeout* w = nullptr;
    if (acdbOpenObject(w, id, AcDb::kForRead) != Acad::eOk) return {};
    std::vector<AcGePoint3d> pts = w->boundary();
    w->close();
    return pts;
}
}  // namespace

using WipeoutTest = EditorTest;

TEST_F(WipeoutTest, CircleWipeoutAnswersItsIdWith36PointsEndingOnPlusX) {
    AcDbObjectId id;
    ASSERT_TRUE(MakeCircleWipeout(AcGePoint3d(10, 5, 0), 2.0, id));
    const auto pts = Boundary(id);
    ASSERT_EQ(pts.size(), 36u);
    EXPECT_NEAR(pts[0].x, 10 + 2 * std::cos(3.141592653589793 / 18), 1e-9) << "first at 10°";
    EXPECT_NEAR(pts[35].x, 12.0, 1e-9);
    EXPECT_NEAR(pts[35].y, 5.0, 1e-9);
    for (const auto& p : pts) EXPECT_NEAR(p.distanceTo(AcGePoint3d(10, 5, 0)), 2.0, 1e-9);
}

TEST_F(WipeoutTest, BoundaryWipeoutNeedsThreePoints) {
    AcArray<AcGePoint3d> pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(3, 0, 0));
    AcDbObjectId id;
    SetShort(L"cmdecho", 1);
    EXPECT_FALSE(MakeBoundaryWipeout(pts, id));
    EXPECT_TRUE(Transcript().empty()) << "no command issued";
    EXPECT_EQ(LiveEntityCount(), 0);
    pts.append(AcGePoint3d(3, 2, 0));
    ASSERT_TRUE(MakeBoundaryWipeout(pts, id));
    EXPECT_EQ(Boundary(id).size(), 3u);
}

TEST_F(WipeoutTest, TextBoxWipeoutUsesTheTextSizeAndCleansUp) {
    SetShort(L"cmdecho", 1);
    ASSERT_TRUE(MakeTBoxWipeout(AcGePoint3d(10, 10, 0), L"ABCD", 0.0, 2.5));
    EXPECT_EQ(GetShort(L"cmdecho"), 1);
    EXPECT_FALSE(host::harness::WipeoutFramesShown());
    const auto live = host::harness::ModelSpaceIds();
    ASSERT_EQ(live.size(), 1u) << "the temporary polyline is gone";
    auto pts = Boundary(live[0]);
    ASSERT_EQ(pts.size(), 4u);
    const AcGePoint3d corners[] = {{12.5, 11.25, 0}, {7.5, 11.25, 0}, {7.5, 8.75, 0}, {12.5, 8.75, 0}};
    for (const auto& c : corners) {
        bool found = false;
        for (const auto& p : pts) found = found || p.isEqualTo(c);
        EXPECT_TRUE(found) << c.x << "," << c.y;
    }
}

// An empty text makes no wipeout; a refused command erases the temporary
// polyline and answers false even with a last entity in the drawing.
TEST_F(WipeoutTest, NoWipeoutLeavesNothingBehind) {
    SetShort(L"cmdecho", 1);
    EXPECT_FALSE(MakeTBoxWipeout(AcGePoint3d(0, 0, 0), L"", 0.0, 2.5));
    EXPECT_EQ(LiveEntityCount(), 0);
    EXPECT_EQ(GetShort(L"cmdecho"), 1);
    host::harness::RefuseCommand(L"WIPEOUT");
    EXPECT_FALSE(MakeTBoxWipeout(AcGePoint3d(0, 0, 0), L"AB", 0.5, 1.0));
    EXPECT_EQ(GetShort(L"cmdecho"), 1);
    EXPECT_EQ(LiveEntityCount(), 0);
    AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbObjectId id;
    EXPECT_FALSE(MakeCircleWipeout(AcGePoint3d(0, 0, 0), 1.0, id));
    EXPECT_TRUE(id.isNull());
}
