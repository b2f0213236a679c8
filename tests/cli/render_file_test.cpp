// Pictures of drawings read from DXF: what the reader keeps as read (block
// contents, references with attributes, hatches) drawn as their kinds, with
// the file's true colours and lineweights; and the render command's PNG,
// width and layout options.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <dxfio.h>
#include <dxfrecords.h>
#include <hostharness.h>

#include "cli_support.h"
#include "rasterise.h"
#include "render_scene.h"
#include "svg_render.h"
#include "test_support.h"

namespace {

// DXF text from "code value" pairs, one pair a line.
std::string Dxf(const std::vector<std::string>& pairs) {
    std::string out;
    for (const std::string& pair : pairs) {
        const size_t space = pair.find(' ');
        out += pair.substr(0, space) + "\n" + (space == std::string::npos ? "" : pair.substr(space + 1)) + "\n";
    }
    return out;
}

const std::vector<std::string> kHatchSquare = {
    "0 HATCH", "8 0", "62 5", "100 AcDbEntity", "100 AcDbHatch", "10 0", "20 0", "30 0", "210 0", "220 0",
    "230 1", "2 SOLID", "70 1", "71 0", "91 1", "92 2", "72 0", "73 1", "93 4", "10 0", "20 0", "10 10", "20 0",
    "10 10", "20 10", "10 0", "20 10", "97 0", "75 0", "76 1", "98 0"};

std::string NestedDrawing() {
    std::vector<std::string> pairs = {
        "0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1015", "0 ENDSEC",
        "0 SECTION", "2 BLOCKS",
        "0 BLOCK", "8 0", "2 B", "70 2", "10 0", "20 0", "30 0", "3 B",
        "0 LINE", "8 0", "62 0", "370 50", "10 0", "20 0", "30 0", "11 10", "21 0", "31 0",
        "0 ATTDEF", "8 0", "10 0", "20 5", "30 0", "40 2", "1 DEF", "3 PROMPT", "2 TAG", "70 0",
        "0 ENDBLK", "8 0",
        "0 BLOCK", "8 0", "2 N", "70 0", "10 0", "20 0", "30 0", "3 N",
        "0 INSERT", "8 0", "62 0", "2 B", "10 100", "20 0", "30 0",
        "0 ENDBLK", "8 0",
        "0 ENDSEC",
        "0 SECTION", "2 ENTITIES",
        "0 INSERT", "8 0", "62 1", "66 1", "2 N", "10 0", "20 50", "30 0", "41 2", "42 2", "43 2",
        "0 ATTRIB", "8 0", "10 0", "20 50", "30 0", "40 2", "1 VAL", "2 TAG", "70 0",
        "0 SEQEND", "8 0"};
    pairs.insert(pairs.end(), kHatchSquare.begin(), kHatchSquare.end());
    const std::vector<std::string> tail = {"0 LWPOLYLINE", "8 0", "420 1193046", "90 2", "70 0", "10 0", "20 -10",
                                           "10 300", "20 -10", "0 ENDSEC", "0 EOF"};
    pairs.insert(pairs.end(), tail.begin(), tail.end());
    return Dxf(pairs);
}

class RenderFile : public ::testing::Test {
protected:
    void SetUp() override { host::harness::ResetHost(); }
    void TearDown() override {
        EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0);
        host::harness::ResetHost();
    }
    AcDbDatabase* db() { return acdbHostApplicationServices()->workingDatabase(); }
    void Read(const std::string& dxf) {
        host::dxf::DxfError error;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), db(), error)) << error.what();
    }
    // The picture on a page of this width, without a margin.
    std::string Picture(double pageWidthPx = kPageWidth) {
        drovik::cli::SvgOptions options;
        options.pageWidthPx = pageWidthPx;
        options.marginFraction = 0;
        return drovik::cli::RenderSvg(db(), options);
    }
    static constexpr double kPageWidth = 1000;
};

// The numbers of the first path drawn in the colour.
std::vector<double> PathNumbersIn(const std::string& svg, const std::string& color) {
    const size_t at = svg.find("stroke=\"" + color + "\"");
    if (at == std::string::npos) return {};
    const size_t d = svg.rfind("d=\"", at);
    std::string text = svg.substr(d + 3, svg.find('"', d + 3) - d - 3);
    for (char& c : text)
        if (c == ',' || std::isalpha(static_cast<unsigned char>(c))) c = ' ';
    std::istringstream in(text);
    std::vector<double> numbers;
    for (double v; in >> v;) numbers.push_back(v);
    return numbers;
}

double StrokeWidthIn(const std::string& svg, const std::string& color) {
    const size_t at = svg.find("stroke=\"" + color + "\" stroke-width=\"");
    return at == std::string::npos ? -1 : std::strtod(svg.c_str() + at + 31, nullptr);
}

// A block's line reached through two references (scale 2 outside, at
// (100, 0) inside): world (200, 50) to (220, 50), red by block through both,
// 0.5 mm wide; the reference's attribute is drawn, the block's definition
// is not; the hatch is filled; the polyline takes its true colour.
TEST_F(RenderFile, KeptEntitiesDrawnAsTheirKinds) {
    Read(NestedDrawing());
    drovik::cli::SvgOptions options;
    options.pageWidthPx = 420;
    options.marginFraction = 0;
    const std::string svg = drovik::cli::RenderSvg(db(), options);
    const std::vector<double> line = PathNumbersIn(svg, "#ff0000");
    const std::vector<double> ground = PathNumbersIn(svg, "#123456");
    ASSERT_EQ(line.size(), 4u) << svg;
    ASSERT_EQ(ground.size(), 4u) << svg;
    const double scale = (ground[2] - ground[0]) / 300.0;  // the polyline spans x 0..300
    EXPECT_NEAR((line[0] - ground[0]) / scale, 200, 1e-4);
    EXPECT_NEAR((line[2] - ground[0]) / scale, 220, 1e-4);
    EXPECT_NEAR((ground[1] - line[1]) / scale, 60, 1e-4) << "y up: the line 60 above the polyline";
    // 0.5 mm on this narrow page is thinner than the thinnest stroke.
    EXPECT_NEAR(StrokeWidthIn(svg, "#ff0000"), 1.0, 1e-9);
    EXPECT_NE(svg.find(">VAL</text>"), std::string::npos) << "the attribute";
    EXPECT_EQ(svg.find(">DEF</text>"), std::string::npos) << "a definition is only a template";
    EXPECT_EQ(svg.find(">TAG</text>"), std::string::npos);
    EXPECT_NE(svg.find("<title>SOLID</title>"), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#0000ff\" fill-rule=\"evenodd\""), std::string::npos);
    EXPECT_EQ(svg.find("not drawn"), std::string::npos) << svg;
}

// A text kept as read (its columns are not modelled) widens the page by
// its drawn lines, not by its one insertion point.
TEST_F(RenderFile, KeptTextWidensThePageByItsLines) {
    Read(Dxf({"0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1032", "0 ENDSEC", "0 SECTION", "2 ENTITIES",
              "0 LWPOLYLINE", "8 0", "420 1193046", "90 2", "70 0", "10 0", "20 0", "10 10", "20 0",
              "0 MTEXT", "8 0", "100 AcDbEntity", "100 AcDbMText", "10 10", "20 0", "30 0", "40 2", "41 0",
              "71 1", "1 WWWWWWWWWWWW", "101 Embedded Object", "70 1", "10 1", "20 0", "30 0", "0 ENDSEC",
              "0 EOF"}));
    const std::string svg = Picture();
    const std::vector<double> ground = PathNumbersIn(svg, "#123456");
    ASSERT_EQ(ground.size(), 4u) << svg;
    EXPECT_LT(ground[2] - ground[0], 0.5 * kPageWidth) << "twelve letters 2 high pass 10 units";
    EXPECT_NE(svg.find(">WWWWWWWWWWWW</text>"), std::string::npos) << svg;
}

// A dimension whose block the file lacks is drawn as the host would make
// its block (extension and dimension lines, arrows, the measured text); an
// ellipse whose minor axis is the longer is drawn as the same curve.
TEST_F(RenderFile, DimensionWithoutItsBlockAndEllipseWithSwappedAxesAreDrawn) {
    Read(Dxf({"0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1015", "0 ENDSEC", "0 SECTION", "2 ENTITIES",
              "0 DIMENSION", "5 2A", "8 0", "62 1", "100 AcDbEntity", "100 AcDbDimension", "2 *D9", "10 0", "20 10",
              "30 0", "11 50", "21 10", "31 0", "70 32", "100 AcDbAlignedDimension", "13 0", "23 0", "33 0", "14 100",
              "24 0", "34 0", "50 0", "100 AcDbRotatedDimension",
              "0 ELLIPSE", "5 2B", "8 0", "62 5", "100 AcDbEntity", "100 AcDbEllipse", "10 50", "20 -40", "30 0",
              "11 10", "21 0", "31 0", "40 2", "41 0", "42 6.283185307179586", "0 ENDSEC", "0 EOF"}));
    const std::string svg = Picture();
    EXPECT_NE(svg.find("stroke=\"#ff0000\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("\">100"), std::string::npos) << "the measured length" << svg;
    // The ellipse reaches 10 either side in x and 20 in y: 20 by 40 units.
    const std::vector<double> curve = PathNumbersIn(svg, "#0000ff");
    ASSERT_GE(curve.size(), 8u) << svg;
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (size_t i = 0; i + 1 < curve.size(); i += 2)
        for (int k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], curve[i + k]);
            hi[k] = std::max(hi[k], curve[i + k]);
        }
    EXPECT_NEAR((hi[1] - lo[1]) / (hi[0] - lo[0]), 2.0, 0.05);
}

// A reference clipped by XCLIP (a SPATIAL_FILTER in its extension
// dictionary) is drawn inside its boundary: made with the reference at
// (100, 50), the boundary's corners (102, 49) and (105, 51) stay where they
// are relative to the block after it moved to (200, 50).
TEST_F(RenderFile, ClippedReferenceIsDrawnInsideItsBoundary) {
    std::vector<std::string> pairs = {
        "0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1015", "0 ENDSEC", "0 SECTION", "2 BLOCKS",
        "0 BLOCK", "5 20", "8 0", "2 B", "70 0", "10 0", "20 0", "30 0", "3 B",
        "0 LINE", "5 21", "8 0", "62 1", "10 0", "20 0", "30 0", "11 10", "21 0", "31 0",
        "0 ENDBLK", "5 22", "8 0", "0 ENDSEC", "0 SECTION", "2 ENTITIES",
        "0 INSERT", "5 30", "102 {ACAD_XDICTIONARY", "360 31", "102 }", "8 0", "100 AcDbEntity",
        "100 AcDbBlockReference", "2 B", "10 200", "20 50", "30 0",
        "0 ENDSEC", "0 SECTION", "2 OBJECTS",
        "0 DICTIONARY", "5 31", "330 30", "100 AcDbDictionary", "3 ACAD_FILTER", "360 32",
        "0 DICTIONARY", "5 32", "330 31", "100 AcDbDictionary", "3 SPATIAL", "360 33",
        "0 SPATIAL_FILTER", "5 33", "330 32", "100 AcDbFilter", "100 AcDbSpatialFilter", "70 2", "10 102", "20 49",
        "10 105", "20 51", "210 0", "220 0", "230 1", "11 0", "21 0", "31 0", "71 1", "72 0", "73 0"};
    for (const char* v : {"1", "0", "0", "-100", "0", "1", "0", "-50", "0", "0", "1", "0",    // inverse insert
                          "1", "0", "0", "0", "0", "1", "0", "0", "0", "0", "1", "0"})  // boundary's own
        pairs.push_back(std::string("40 ") + v);
    pairs.insert(pairs.end(), {"0 ENDSEC", "0 EOF"});
    Read(Dxf(pairs));
    const std::string svg = Picture();
    const std::vector<double> line = PathNumbersIn(svg, "#ff0000");
    ASSERT_EQ(line.size(), 4u) << svg;
    const size_t clip = svg.find("<clipPath");
    ASSERT_NE(clip, std::string::npos) << svg;
    EXPECT_LT(clip, svg.find("stroke=\"#ff0000\""));
    std::string d = svg.substr(svg.find("<path d=\"", clip) + 9);
    d = d.substr(0, d.find('"'));
    for (char& c : d)
        if (std::isalpha(static_cast<unsigned char>(c)) || c == ',') c = ' ';
    std::istringstream in(d);
    std::vector<double> corners;
    for (double v; in >> v;) corners.push_back(v);
    ASSERT_EQ(corners.size(), 8u) << d;
    const double perUnit = (line[2] - line[0]) / 10.0;  // the line runs 10 units from x 200
    const double xs[] = {corners[0], corners[2], corners[4], corners[6]};
    EXPECT_NEAR(*std::min_element(xs, xs + 4), line[0] + 102 * perUnit - 100 * perUnit, 1e-3);
    EXPECT_NEAR(*std::max_element(xs, xs + 4), line[0] + 105 * perUnit - 100 * perUnit, 1e-3);
    EXPECT_NE(svg.find("clip-path=\"url(#"), std::string::npos);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Kept kinds drawn from their tags: a multiline's two elements along its
// mitres, a multi-line leader's line (arrowhead at its first vertex, on to
// the landing), landing and text, and a raster image's frame.
TEST_F(RenderFile, MultilineLeaderAndImageAreDrawnFromTheirTags) {
    std::vector<std::string> pairs = {
        "0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1015", "0 ENDSEC", "0 SECTION", "2 ENTITIES",
        "0 MLINE", "5 40", "8 0", "62 1", "100 AcDbEntity", "100 AcDbMline", "2 STANDARD", "40 1", "70 0", "71 0",
        "72 2", "73 2", "10 0", "20 0", "30 0", "210 0", "220 0", "230 1"};
    for (const char* x : {"0", "10"})
        pairs.insert(pairs.end(), {std::string("11 ") + x, "21 0", "31 0", "12 1", "22 0", "32 0", "13 0", "23 1",
                                   "33 0", "74 2", "41 0.5", "41 0", "75 0", "74 2", "41 -0.5", "41 0", "75 0"});
    pairs.insert(pairs.end(), {
        "0 MULTILEADER", "5 41", "8 0", "62 3", "100 AcDbEntity", "100 AcDbMLeader", "300 CONTEXT_DATA{", "40 1",
        "10 20", "20 10", "30 0", "41 2", "140 1", "290 1", "304 NOTE", "12 21", "22 11", "32 0", "13 1", "23 0",
        "33 0", "171 1", "302 LEADER{", "290 1", "291 1", "10 20", "20 10", "30 0", "11 1", "21 0", "31 0", "40 1",
        "304 LEADER_LINE{", "10 12", "20 2", "30 0", "305 }", "303 }", "301 }",
        "0 IMAGE", "5 42", "8 0", "62 5", "100 AcDbEntity", "100 AcDbRasterImage", "90 0", "10 30", "20 0", "30 0",
        "11 0.01", "21 0", "31 0", "12 0", "22 0.01", "32 0", "13 500", "23 200", "0 ENDSEC", "0 EOF"});
    Read(Dxf(pairs));
    const std::string svg = Picture();
    EXPECT_EQ(svg.find("not drawn"), std::string::npos) << svg;
    // The multiline: two elements, each 10 long, 1 apart.
    EXPECT_EQ(Count(svg, "stroke=\"#ff0000\""), 2u) << svg;
    const std::vector<double> element = PathNumbersIn(svg, "#ff0000");
    ASSERT_EQ(element.size(), 4u) << svg;
    // Page numbers are written to a thousandth of a pixel.
    const double perUnit = (element[2] - element[0]) / 10.0;
    ASSERT_GT(perUnit, 0);
    // The leader: from the arrow's tip (12, 2) to the landing (20, 10), 8 by 8.
    const std::vector<double> leader = PathNumbersIn(svg, "#00ff00");
    ASSERT_EQ(leader.size(), 4u) << svg;
    EXPECT_NEAR((leader[2] - leader[0]) / perUnit, 8, 1e-3);
    EXPECT_NEAR((leader[1] - leader[3]) / perUnit, 8, 1e-3);
    EXPECT_NE(svg.find("fill=\"#00ff00\""), std::string::npos) << "the arrowhead";
    EXPECT_NE(svg.find(">NOTE</text>"), std::string::npos) << svg;
    // The image: 500 by 200 pixels of 0.01, a frame 5 by 2 from x 30.
    const std::vector<double> frame = PathNumbersIn(svg, "#0000ff");
    ASSERT_EQ(frame.size(), 8u) << svg;
    EXPECT_NEAR((frame[0] - element[0]) / perUnit, 30, 1e-3);
    EXPECT_NEAR((frame[2] - frame[0]) / perUnit, 5, 1e-3);
    EXPECT_NEAR((frame[3] - frame[5]) / perUnit, 2, 1e-3);
}

// Lineweights widen strokes as on a page 420 mm wide.
TEST_F(RenderFile, LineweightsScaleWithThePage) {
    Read(NestedDrawing());
    drovik::cli::SvgOptions options;
    options.pageWidthPx = 4200;  // 10 pixels a millimetre
    EXPECT_NEAR(StrokeWidthIn(drovik::cli::RenderSvg(db(), options), "#ff0000"), 5.0, 1e-9);
}

// The hatch of a kept HATCH record: loops of points and of edges, a
// clockwise arc edge's angles mirrored as the file gives them, the
// pattern's definition lines.
TEST(HatchFromTags, LoopsPatternAndClockwiseArcs) {
    std::vector<host::dxf::FileTag> tags;
    auto add = [&](int code, const std::string& value) { tags.push_back({code, value}); };
    for (const std::string& pair : kHatchSquare) {
        const size_t space = pair.find(' ');
        if (pair.compare(0, 2, "0 ") != 0) add(std::stoi(pair.substr(0, space)), pair.substr(space + 1));
    }
    std::unique_ptr<AcDbHatch> square = drovik::cli::HatchFromTags(tags);
    ASSERT_EQ(square->numLoops(), 1);
    EXPECT_TRUE(square->isSolidFill());
    Adesk::Int32 type = 0;
    AcGePoint2dArray points;
    AcGeDoubleArray bulges;
    ASSERT_EQ(square->getLoopAt(0, type, points, bulges), Acad::eOk);
    ASSERT_EQ(points.length(), 4);
    EXPECT_EQ(points[2].x, 10);
    EXPECT_EQ(points[2].y, 10);

    // A half disc: a line edge and a clockwise arc, hatched ANSI31.
    tags.clear();
    for (const auto& [code, value] : std::vector<std::pair<int, std::string>>{
             {100, "AcDbHatch"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "ANSI31"}, {70, "0"}, {71, "0"}, {91, "1"},
             {92, "1"}, {93, "2"}, {72, "1"}, {10, "-5"}, {20, "0"}, {11, "5"}, {21, "0"}, {72, "2"}, {10, "0"},
             {20, "0"}, {40, "5"}, {50, "0"}, {51, "180"}, {73, "0"}, {97, "0"}, {75, "0"}, {76, "1"}, {52, "45"},
             {41, "2"}, {77, "0"}, {78, "1"}, {53, "45"}, {43, "0"}, {44, "0"}, {45, "-2.2"}, {46, "2.2"},
             {79, "0"}, {98, "0"}})
        add(code, value);
    std::unique_ptr<AcDbHatch> half = drovik::cli::HatchFromTags(tags);
    EXPECT_FALSE(half->isSolidFill());
    EXPECT_EQ(std::wstring(half->patternName()), L"ANSI31");
    EXPECT_NEAR(half->patternAngle(), 3.141592653589793 / 4, 1e-12);
    EXPECT_EQ(half->patternScale(), 2.0);
    EXPECT_EQ(half->numPatternDefinitions(), 1);
    std::vector<AcDbHatch::Edge> edges;
    ASSERT_EQ(half->getLoopAt(0, type, edges), Acad::eOk);
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[1].type, AcDbHatch::kCirArc);
    EXPECT_FALSE(edges[1].isCounterClockwise);
    EXPECT_NEAR(edges[1].endAngle, -3.141592653589793, 1e-12) << "clockwise from 0 to -180 degrees: below";
    double area = 0;
    ASSERT_EQ(half->getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 3.141592653589793 * 25 / 2, 1e-6);
}

class RenderCommand : public RenderFile {
protected:
    void SetUp() override {
        RenderFile::SetUp();
        m_in = UniqueTempPath("render_in.dxf");
        m_out = UniqueTempPath("render_out.png");
        std::ofstream(m_in, std::ios::binary) << NestedDrawing();
    }
    void TearDown() override {
        std::remove(m_in.c_str());
        std::remove(m_out.c_str());
        RenderFile::TearDown();
    }
    std::string m_in, m_out;
};

TEST_F(RenderCommand, PngAtTheAskedWidth) {
    std::string tool;
    if (!drovik::cli::FindRasteriser(tool)) GTEST_SKIP() << "rsvg-convert is not installed";
    const auto r = cli_support::RunCli({"render", m_in, "-o", m_out, "--width", "333"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::ifstream png(m_out, std::ios::binary);
    std::string head(24, '\0');
    png.read(&head[0], 24);
    ASSERT_EQ(head.substr(1, 3), "PNG");
    const auto byte = [&](int i) { return static_cast<unsigned char>(head[static_cast<size_t>(i)]); };
    EXPECT_EQ((byte(16) << 24) | (byte(17) << 16) | (byte(18) << 8) | byte(19), 333) << "IHDR width";
}

void SetPath(const std::string& value) {
#ifdef _WIN32
    _putenv_s("PATH", value.c_str());
#else
    setenv("PATH", value.c_str(), 1);
#endif
}

// Without the rasteriser a PNG is refused before anything is written.
TEST_F(RenderCommand, MissingRasteriserIsAClearError) {
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    SetPath("/nonexistent-drovik-test-dir");
    const auto r = cli_support::RunCli({"render", m_in, "-o", m_out});
    SetPath(saved);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("rsvg-convert is not installed (Debian package librsvg2-bin)"), std::string::npos) << r.err;
    std::ifstream none(m_out);
    EXPECT_FALSE(none.good());
}

TEST_F(RenderCommand, BadOptionsAreUsageErrors) {
    EXPECT_EQ(cli_support::RunCli({"render", m_in, "-o", "-", "--width", "0"}).code, 2);
    EXPECT_EQ(cli_support::RunCli({"render", m_in, "-o", "-", "--width", "5"}).code, 2);
    const auto layout = cli_support::RunCli({"render", m_in, "-o", "-", "--layout", "Sheet9"});
    EXPECT_EQ(layout.code, 1);
    EXPECT_NE(layout.err.find("has no layout 'Sheet9' (layouts: Model"), std::string::npos) << layout.err;
    const auto model = cli_support::RunCli({"render", m_in, "-o", "-", "--layout", "model"});
    EXPECT_EQ(model.code, 0) << model.err;
    EXPECT_NE(model.out.find(">VAL</text>"), std::string::npos);
}

}  // namespace
