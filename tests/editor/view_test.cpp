// The view range, zoom and pan with named views.
#include "drovik/editor/view.h"
#include "editor/editor_fixture.h"

using ViewTest = EditorTest;

TEST_F(ViewTest, RangeAndZoom) {
    host::harness::SetScreenSize(800, 400);
    host::harness::SetView(AcGePoint3d(50, 50, 0), 100);
    AcGePoint3d low(0, 0, 7), high(0, 0, 9);
    GetViewRange(low, high);
    EXPECT_TRUE(low.isEqualTo(AcGePoint3d(-50, 0, 7))) << "z left as it was";
    EXPECT_TRUE(high.isEqualTo(AcGePoint3d(150, 100, 9)));
    EXPECT_TRUE(IsPointInView(AcGePoint3d(0, 50, 99)));
    EXPECT_FALSE(IsPointInView(AcGePoint3d(150, 50, 0))) << "the border is outside";
    EXPECT_FALSE(IsPointInView(AcGePoint3d(0, 100, 0)));

    // Zoom only when needed, unless always.
    EXPECT_FALSE(ZoomViewport(AcGePoint3d(0, 10, 0), AcGePoint3d(20, 30, 0), L"Before", false));
    EXPECT_FALSE(host::harness::GetNamedView(L"Before")) << "nothing done, nothing saved";
    EXPECT_TRUE(ZoomViewport(AcGePoint3d(150, 10, 0), AcGePoint3d(20, 30, 0), L"", false)) << "corner on the border";
    EXPECT_TRUE(ZoomViewport(AcGePoint3d(0, 0, 0), AcGePoint3d(20, 30, 0), L"Before", true));
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(10, 15, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 30.0);
    AcGePoint3d saved;
    double height = 0;
    ASSERT_TRUE(host::harness::GetNamedView(L"Before", &saved, &height));
    EXPECT_TRUE(saved.isEqualTo(AcGePoint3d(85, 20, 0)));
    EXPECT_DOUBLE_EQ(height, 65.0) << "130 wide on a 2:1 screen";
    EXPECT_EQ(GetShort(L"UCSVIEW"), 1) << "restored after saving";
}

TEST_F(ViewTest, PanBringsAPointToTheCentreAndReplacesANamedView) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 90);
    const AcDbObjectId far = AddLine(AcGePoint3d(300, 300, 0), AcGePoint3d(301, 300, 0));
    EXPECT_TRUE(Crossing(299, 299, 302, 301).empty()) << "out of view: not selectable";
    EXPECT_FALSE(PanPointViewCenter(AcGePoint3d(10, 10, 0), L"Home", false));
    EXPECT_TRUE(PanPointViewCenter(AcGePoint3d(300, 300, 0), L"Home", false));
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(300, 300, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 90.0);
    EXPECT_EQ(Crossing(299, 299, 302, 301), std::vector<AcDbObjectId>{far});
    EXPECT_TRUE(PanPointViewCenter(AcGePoint3d(310, 300, 0), L"home", true));
    AcGePoint3d saved;
    ASSERT_TRUE(host::harness::GetNamedView(L"HOME", &saved));
    EXPECT_TRUE(saved.isEqualTo(AcGePoint3d(300, 300, 0))) << "the later save replaced the first";
}
