// SVG rendering of drawings.
#include <cstdio>

#include <dbents.h>
#include <dbpl.h>
#include <hostharness.h>

#include "drovik/drovik.h"
#include "svg_render.h"
#include "test_support.h"

namespace {
using drovik::cli::AciToRgb;
using drovik::cli::RenderSvg;

class Render : public ::testing::Test {
protected:
    void SetUp() override { host::harness::ResetHost(); }
    void TearDown() override { EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0); }
    AcDbDatabase* db() { return acdbHostApplicationServices()->workingDatabase(); }
};

TEST_F(Render, EveryEntityDrawnWithYUp) {
    const std::string blank = RenderSvg(db());
    EXPECT_NE(blank.find("<svg"), std::string::npos) << "an empty drawing gives a blank page";
    EXPECT_EQ(blank.find("<path"), std::string::npos);
    AcDbObjectId id;
    ASSERT_TRUE(MakeLine(P(0, 0), P(100, 0), id, L"0", true));
    ASSERT_TRUE(SetEntColor(id, 1));
    ASSERT_TRUE(MakeCircle(P(50, 50), 10, id));
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(0, 100), 1.0);  // a half circle turning left
    pline->addVertexAt(1, AcGePoint2d(20, 100), 0.0);
    ASSERT_TRUE(AddEntToDwg(pline, id));
    pline->close();
    ASSERT_EQ(MakeText(P(10, 10), L"井1 <a&b>", id, 1, 5, 0, L"0", true, AcDbObjectId::kNull), 1);
    ASSERT_TRUE(MakeLine(P(0, 0), P(0, 100), id, L"0", false));  // invisible: not drawn

    const std::string svg = RenderSvg(db());
    EXPECT_EQ(CountOf(svg, "<path"), 2);
    EXPECT_EQ(CountOf(svg, "<circle"), 1);
    EXPECT_NE(svg.find("stroke=\"#ff0000\""), std::string::npos);
    EXPECT_NE(svg.find("井1 &lt;a&amp;b&gt;"), std::string::npos);
    // The line at y = 0 lies below the polyline at y = 100 on the page.
    double x0 = 0, lineY = 0, x1 = 0, y1 = 0, arcX = 0, arcY = 0, rx = 0, ry = 0;
    int rotation = -1, large = -1, sweep = -1;
    const size_t linePath = svg.find("d=\"M ");
    ASSERT_NE(linePath, std::string::npos);
    ASSERT_EQ(std::sscanf(svg.c_str() + linePath, "d=\"M %lf,%lf L %lf,%lf", &x0, &lineY, &x1, &y1), 4);
    const size_t arcPath = svg.find("d=\"M ", linePath + 1);
    ASSERT_NE(arcPath, std::string::npos);
    ASSERT_EQ(std::sscanf(svg.c_str() + arcPath, "d=\"M %lf,%lf A %lf %lf %d %d %d", &arcX, &arcY, &rx, &ry, &rotation,
                          &large, &sweep),
              7);
    EXPECT_GT(lineY, arcY);
    // A counter-clockwise bulge becomes an SVG arc with sweep flag 0 (the page flips y).
    EXPECT_EQ(sweep, 0);
    EXPECT_EQ(large, 0);
}

TEST(AciToRgb, PaletteColours) {
    EXPECT_EQ(AciToRgb(1), "#ff0000");
    EXPECT_EQ(AciToRgb(5), "#0000ff");
    EXPECT_EQ(AciToRgb(7), "#000000");  // white on a black screen, black on the page
    EXPECT_EQ(AciToRgb(250), "#333333");
    EXPECT_EQ(AciToRgb(255), "#ffffff");
    EXPECT_EQ(AciToRgb(10), "#ff0000");  // the wheel starts at red
    EXPECT_EQ(AciToRgb(90), "#00ff00");  // 120 degrees on: green
    EXPECT_EQ(AciToRgb(0), "#000000");
}
}  // namespace
