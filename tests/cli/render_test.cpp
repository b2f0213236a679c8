// SVG rendering of drawings: the page's curves, the entities of the model
// and of blocks, colours, layers and the render command's outputs.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include <dbents.h>
#include <dbpl.h>
#include <dbsymtb.h>
#include <hostharness.h>

#include "cli_support.h"
#include "drawing_query.h"
#include "drovik/drovik.h"
#include "render_canvas.h"
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

// Every number of a path's "d" after its commands, as page points.
std::vector<drovik::cli::PagePoint> PathPoints(const std::string& d) {
    std::vector<drovik::cli::PagePoint> points;
    std::string cleaned = d;
    for (char& c : cleaned)
        if (c == ',' || std::isalpha(static_cast<unsigned char>(c))) c = ' ';
    std::istringstream in(cleaned);
    for (double x, y; in >> x >> y;) points.push_back({x, y});
    return points;
}

bool MakeLayer(AcDbDatabase* db, const wchar_t* name, bool off) {
    if (!drovik::cli::EnsureLayer(db, name, 7)) return false;
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return false;
    AcDbSymbolTableRecord* record = nullptr;
    const bool ok = table->getAt(name, record, AcDb::kForWrite) == Acad::eOk;
    table->close();
    if (!ok) return false;
    auto* layer = AcDbLayerTableRecord::cast(record);
    if (layer) layer->setIsOff(off);
    record->close();
    return layer != nullptr;
}

// The "d" of each path in order.
std::vector<std::string> Paths(const std::string& svg) {
    std::vector<std::string> paths;
    for (size_t at = svg.find("<path d=\""); at != std::string::npos; at = svg.find("<path d=\"", at + 1)) {
        const size_t from = at + 9;
        paths.push_back(svg.substr(from, svg.find('"', from) - from));
    }
    return paths;
}

// A bulged segment's curve pieces start and end on the arc the library
// works out (CPolyLine::GetArcPara), and its control points stay on the
// bulge's side of the chord; random segments with a fixed seed. The page
// is the drawing flipped (scale 1, y down).
TEST(Canvas, BulgedSegmentsFollowTheirArc) {
    const AcDbExtents box(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 100, 0));
    const drovik::cli::PageMapping page(box, 100.0, 0.0);
    const drovik::cli::Canvas canvas(page, 1.0);
    std::mt19937 random(16);
    std::uniform_real_distribution<double> coord(10, 90), bulgeOf(-3.0, 3.0);
    for (int trial = 0; trial < 200; ++trial) {
        const CPolyLineVertex a(P(coord(random), coord(random)), bulgeOf(random));
        const CPolyLineVertex b(P(coord(random), coord(random)), 0.0);
        if (std::fabs(a.bulge) < 0.01 || a.pt.distanceTo(b.pt) < 1) continue;
        stArcPara arc;
        ASSERT_TRUE(CPolyLine::GetArcPara(a, b, arc));
        drovik::cli::PagePath path;
        canvas.AddLine(path, a.pt);
        canvas.AddBulge(path, a.pt, b.pt, a.bulge);
        const auto points = PathPoints(path.d());
        ASSERT_EQ(points.size() % 3, 1u) << path.d();
        for (size_t i = 0; i < points.size(); i += 3) {
            const double r = std::hypot(points[i].x - arc.ptCenter.x, (100 - points[i].y) - arc.ptCenter.y);
            EXPECT_NEAR(r, arc.radius, 2e-3) << "piece end " << i << " bulge " << a.bulge;
        }
        EXPECT_NEAR(points.back().x, b.pt.x, 1e-3);
        EXPECT_NEAR(100 - points.back().y, b.pt.y, 1e-3);
        // A counter-clockwise arc (positive bulge) lies right of a->b.
        const double side = a.bulge > 0 ? -1.0 : 1.0;
        for (size_t i = 1; i + 1 < points.size(); ++i) {
            const double cross = (b.pt.x - a.pt.x) * ((100 - points[i].y) - a.pt.y) -
                                 (b.pt.y - a.pt.y) * (points[i].x - a.pt.x);
            EXPECT_GE(cross * side, -1e-2) << "point " << i << " on the wrong side, bulge " << a.bulge;
        }
    }
}

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
    const auto paths = Paths(svg);
    ASSERT_EQ(paths.size(), 3u) << svg;
    EXPECT_NE(svg.find("stroke=\"#ff0000\""), std::string::npos);
    EXPECT_NE(svg.find("井1 &lt;a&amp;b&gt;"), std::string::npos);
    // The line at y = 0 lies below the polyline at y = 100 on the page.
    const auto line = PathPoints(paths[0]), circle = PathPoints(paths[1]), arc = PathPoints(paths[2]);
    EXPECT_GT(line[0].y, arc[0].y);
    // The circle: four quarter pieces at its radius from its centre.
    ASSERT_EQ(circle.size(), 13u);
    const double r = std::hypot(circle[0].x - circle[6].x, circle[0].y - circle[6].y) / 2;
    const drovik::cli::PagePoint c{(circle[0].x + circle[6].x) / 2, (circle[0].y + circle[6].y) / 2};
    for (size_t i = 0; i < circle.size(); i += 3) EXPECT_NEAR(std::hypot(circle[i].x - c.x, circle[i].y - c.y), r, 3e-3);
    // Leaving (0, 100) counter-clockwise the half circle goes down the
    // drawing: its middle lies lower, farther down the page.
    EXPECT_GT(arc[3].y, arc[0].y);
}

// Entities on layers that are off or frozen are left out; an entity on
// layer 0 inside a block takes the reference's layer and, by block, its colour.
TEST_F(Render, BlocksDrawnThroughTheirTransformAndLayers) {
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* block = new AcDbBlockTableRecord;
    block->setName(L"TICK");
    AcDbObjectId blockId;
    ASSERT_EQ(table->add(blockId, block), Acad::eOk);
    table->close();
    auto* tick = new AcDbLine(P(0, 0), P(10, 0));
    tick->setColorIndex(0);  // by block
    AcDbObjectId tickId;
    ASSERT_EQ(block->appendAcDbEntity(tickId, tick), Acad::eOk);
    tick->close();
    block->close();
    ASSERT_TRUE(MakeLayer(db(), L"SHOWN", false));
    ASSERT_TRUE(MakeLayer(db(), L"HIDDEN", true));
    // Turned a quarter, scaled 2, at (100, 50): the tick runs (100,50)-(100,70).
    for (const wchar_t* layer : {L"SHOWN", L"HIDDEN"}) {
        auto* ref = new AcDbBlockReference(P(100, 50), blockId);
        ref->setRotation(3.141592653589793 / 2);
        ref->setScaleFactors(AcGeScale3d(2, 2, 2));
        ref->setLayer(layer);
        ref->setColorIndex(3);
        AcDbObjectId refId;
        ASSERT_TRUE(AddEntToDwg(ref, refId));
        ref->close();
    }
    AcDbObjectId id;
    ASSERT_TRUE(MakeLine(P(0, 0), P(200, 100), id, L"HIDDEN", true));
    ASSERT_TRUE(MakeLine(P(0, 0), P(200, 0), id, L"SHOWN", true));

    drovik::cli::SvgOptions options;
    options.pageWidthPx = 200;
    options.marginFraction = 0;
    const std::string svg = RenderSvg(db(), options);
    const auto paths = Paths(svg);
    ASSERT_EQ(paths.size(), 2u) << svg;
    EXPECT_NE(svg.find("stroke=\"#00ff00\""), std::string::npos) << "by block: the reference's green";
    // The page spans x 0..200 at scale 1, y 0..70 flipped.
    const auto tickPoints = PathPoints(paths[0]);
    ASSERT_EQ(tickPoints.size(), 2u);
    EXPECT_NEAR(tickPoints[0].x, 100, 1e-6);
    EXPECT_NEAR(tickPoints[0].y, 70 - 50, 1e-6);
    EXPECT_NEAR(tickPoints[1].x, 100, 1e-6);
    EXPECT_NEAR(tickPoints[1].y, 70 - 70, 1e-6);
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
