// `drovik offset`: the cleaned-up offset, its joins, closed outlines and the
// vertex-by-vertex offset kept behind --vertexwise.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <dbpl.h>
#include <dxfio.h>
#include <hostharness.h>
#include <widetext.h>

#include "chains/offset_checks.h"
#include "cli/cli_support.h"
#include "commands.h"
#include "drawing_query.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using cli_support::Outcome;
using cli_support::RunCli;
using offset_checks::Vtx;

struct Polyline {
    offset_checks::ChainSet chain;  // one chain, closed or open
};

class OffsetCommand : public ::testing::Test {
protected:
    void SetUp() override {
        host::harness::ResetHost();
        m_in = UniqueTempPath("offset_in.dxf");
        m_out = UniqueTempPath("offset_out.dxf");
    }
    void TearDown() override {
        std::remove(m_in.c_str());
        std::remove(m_out.c_str());
        host::harness::ResetHost();
    }

    // A drawing of polylines on layer SRC.
    void WriteDrawing(const std::vector<std::pair<std::vector<Vtx>, bool>>& polylines) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        ASSERT_TRUE(drovik::cli::EnsureLayer(db, L"SRC", 1));
        for (const auto& [vertices, closed] : polylines) {
            auto* pline = new AcDbPolyline;
            for (std::size_t i = 0; i < vertices.size(); ++i)
                pline->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(vertices[i].x, vertices[i].y),
                                   vertices[i].bulge);
            pline->setClosed(closed);
            pline->setDatabaseDefaults();
            pline->setLayer(L"SRC");
            AcDbObjectId id;
            ASSERT_TRUE(AddEntToDwg(pline, id));
            pline->close();
        }
        host::dxf::DxfError error;
        ASSERT_TRUE(host::dxf::WriteDxf(db, host::Utf8ToWide(m_in).c_str(), error)) << error.what();
        host::harness::ResetHost();
    }

    // The polylines on layer OFFSET of the written drawing.
    std::vector<Polyline> Offsets() {
        host::harness::ResetHost();
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        host::dxf::DxfError error;
        EXPECT_TRUE(host::dxf::ReadDxf(host::Utf8ToWide(m_out).c_str(), db, error)) << error.what();
        std::vector<Polyline> found;
        for (const AcDbObjectId& id : drovik::cli::ModelSpaceEntities(db)) {
            std::wstring type, layer;
            if (!drovik::cli::DescribeEntity(id, type, layer) || layer != L"OFFSET") continue;
            CPolyLine pline;
            if (!pline.GetVertexInfo(id)) continue;
            Polyline p;
            std::vector<Vtx> vertices;
            for (const CPolyLineVertex& v : pline.m_Vertexs) vertices.push_back({v.pt.x, v.pt.y, v.bulge});
            p.chain.Add(vertices, pline.IsClosed());
            found.push_back(std::move(p));
        }
        return found;
    }

    std::string m_in, m_out;
};

const std::vector<Vtx> kRectangle = {{0, 0, 0}, {10, 0, 0}, {10, 4, 0}, {0, 4, 0}};

// A closed rectangle gives closed outlines: inward (left of its
// counter-clockwise travel) smaller, outward larger with the chosen corners.
TEST_F(OffsetCommand, ClosedPolylinesGiveOutlinesWithTheChosenJoins) {
    WriteDrawing({{kRectangle, true}});
    const double pi = 3.141592653589793;
    const struct {
        std::vector<std::string> extra;
        double outwardArea;
    } cases[] = {
        {{}, 12 * 6 - (4 - pi)},                       // round by default
        {{"--join", "round"}, 12 * 6 - (4 - pi)},
        {{"--join", "miter"}, 12 * 6},
        {{"--join", "miter", "--miter-limit", "1.2"}, 12 * 6 - 4 * (std::sqrt(2.0) - 1.2) * (std::sqrt(2.0) - 1.2)},
        {{"--join", "bevel"}, 12 * 6 - 2 * (1 - std::tan(pi / 8)) * (1 - std::tan(pi / 8))},
    };
    for (const auto& tc : cases) {
        std::vector<std::string> args = {"offset", m_in, "--distance", "1", "-o", m_out, "--overwrite"};
        args.insert(args.end(), tc.extra.begin(), tc.extra.end());
        const Outcome o = RunCli(args);
        ASSERT_EQ(o.code, drovik::cli::kExitOk) << o.err;
        const std::vector<Polyline> offsets = Offsets();
        ASSERT_EQ(offsets.size(), 2u);
        std::vector<double> areas;
        for (const Polyline& p : offsets) {
            EXPECT_EQ(p.chain.closed[0], 1);
            areas.push_back(std::fabs(offset_checks::AreaOf(p.chain, 0)));
        }
        std::sort(areas.begin(), areas.end());
        EXPECT_NEAR(areas[0], 8 * 2, 1e-6);
        EXPECT_NEAR(areas[1], tc.outwardArea, 1e-6);
    }
}

// A hairpin 1 wide offset 2 into its bend: every part of the cleaned-up
// offset would come nearer the hairpin than 2, so nothing is made and the
// command says so; --vertexwise keeps the plain vertex offset, one vertex per
// segment, which folds over and comes nearer.
TEST_F(OffsetCommand, VertexwiseKeepsThePlainOffset) {
    const std::vector<Vtx> hairpin = {{0, 0, 0}, {10, 0, 0}, {10, 1, 0}, {0, 1, 0}};
    WriteDrawing({{hairpin, false}});
    const std::vector<offset_checks::Piece> pieces = offset_checks::PiecesOf(offset_checks::SetOf(hairpin, false));
    for (const bool vertexwise : {false, true}) {
        std::vector<std::string> args = {"offset", m_in, "--distance", "2", "--side", "left", "-o", m_out};
        if (vertexwise) args.push_back("--vertexwise");
        const Outcome o = RunCli(args);
        ASSERT_EQ(o.code, drovik::cli::kExitOk) << o.err;
        const std::vector<Polyline> offsets = Offsets();
        if (!vertexwise) {
            EXPECT_EQ(offsets.size(), 0u);
            EXPECT_NE(o.out.find("0 offsets of 1 polylines"), std::string::npos) << o.out;
            EXPECT_NE(o.out.find("(1 could not be made at this distance)"), std::string::npos) << o.out;
        } else {
            ASSERT_EQ(offsets.size(), 1u);
            EXPECT_EQ(offsets[0].chain.counts[0], 4);
            double nearest = 1e300;
            for (const AcGePoint3d& pt : offset_checks::Samples(offsets[0].chain, 0.05))
                nearest = std::min(nearest, offset_checks::DistanceTo(pieces, pt));
            EXPECT_LT(nearest, 1.9);
        }
        std::remove(m_out.c_str());
    }
}

TEST_F(OffsetCommand, BadJoinOptionsAreUsageErrors) {
    WriteDrawing({{kRectangle, true}});
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--join", "sharp"}, "--join must be round, miter or bevel, not 'sharp'"},
        {{"--miter-limit", "0.5"}, "--miter-limit must be at least 1"},
        {{"--miter-limit", "x"}, "--miter-limit must be a number greater than 0"},
        {{"--vertexwise", "--join", "miter"}, "--vertexwise takes no --join or --miter-limit"},
    };
    for (const auto& [extra, message] : cases) {
        std::vector<std::string> args = {"offset", m_in, "--distance", "1", "-o", m_out};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.code, drovik::cli::kExitUsage) << message;
        EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    }
    EXPECT_FALSE(fs::exists(m_out));
}
}  // namespace

namespace {

// The number after "key": at or after `from` in a JSON text; NaN when absent.
double JsonNumberAfter(const std::string& json, const std::string& key, size_t& from) {
    const size_t at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return std::nan("");
    from = at + key.size() + 4;
    return std::strtod(json.c_str() + from, nullptr);
}

// --json: the source's length and each offset's measured independently
// (the rectangle's perimeter, and outward the sides plus a quarter circle
// of radius D at each corner, inward the smaller rectangle).
TEST_F(OffsetCommand, JsonSummaryGivesEverySourceAndOffsetWithLengths) {
    WriteDrawing({{kRectangle, true}});
    const Outcome r = RunCli({"offset", m_in, "--distance", "1", "-o", m_out, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string& json = r.out;
    EXPECT_NE(json.find("\"method\": \"parallel\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"join\": \"round\""), std::string::npos);
    EXPECT_NE(json.find("\"kind\": \"polyline\""), std::string::npos);
    size_t at = 0;
    EXPECT_EQ(JsonNumberAfter(json, "distance", at), 1.0);
    EXPECT_EQ(JsonNumberAfter(json, "polylines", at), 1.0);
    EXPECT_EQ(JsonNumberAfter(json, "chains", at), 0.0);
    EXPECT_EQ(JsonNumberAfter(json, "created", at), 2.0);
    EXPECT_EQ(JsonNumberAfter(json, "failed", at), 0.0);
    EXPECT_NEAR(JsonNumberAfter(json, "length", at), 28.0, 1e-9);
    const double pi = 3.141592653589793;
    std::vector<double> lengths;
    for (double l; !std::isnan(l = JsonNumberAfter(json, "length", at));) lengths.push_back(l);
    ASSERT_EQ(lengths.size(), 2u) << json;
    std::sort(lengths.begin(), lengths.end());
    EXPECT_NEAR(lengths[0], 2 * (8 + 2), 1e-6);         // inward: 8 by 2
    EXPECT_NEAR(lengths[1], 28 + 2 * pi * 1.0, 1e-6);   // outward: round corners
    EXPECT_EQ(CountOf(json, "\"closed\": true"), 3);    // the source and both outlines

    // --json and -o - would both use standard output.
    const Outcome both = RunCli({"offset", m_in, "--distance", "1", "-o", "-", "--json"});
    EXPECT_EQ(both.code, 2);
    EXPECT_NE(both.err.find("standard output"), std::string::npos);
}

// Vertexwise offsets of a chain of lines report its entities; the pieces
// OffsetEnts makes are counted, not measured.
TEST_F(OffsetCommand, JsonSummaryOfAVertexwiseChain) {
    AcDbObjectId id;
    ASSERT_TRUE(MakeLine(P(0, 0), P(10, 0), id, L"0", true));
    ASSERT_TRUE(MakeLine(P(10, 0), P(10, 10), id, L"0", true));
    host::dxf::DxfError error;
    ASSERT_TRUE(host::dxf::WriteDxf(acdbHostApplicationServices()->workingDatabase(),
                                    host::Utf8ToWide(m_in).c_str(), error));
    host::harness::ResetHost();
    const Outcome r = RunCli({"offset", m_in, "--distance", "1", "--side", "left", "--vertexwise", "-o", m_out,
                              "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"kind\": \"chain\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"join\": null"), std::string::npos);
    size_t at = 0;
    EXPECT_EQ(JsonNumberAfter(r.out, "chains", at), 1.0);
    EXPECT_EQ(JsonNumberAfter(r.out, "entities", at), 2.0);
    EXPECT_NEAR(JsonNumberAfter(r.out, "length", at), 20.0, 1e-9);
    // The option, then one offset line per source line.
    EXPECT_EQ(CountOf(r.out, "\"side\": \"left\""), 3) << r.out;
    EXPECT_EQ(CountOf(r.out, "\"vertices\": null"), 2);
}

}  // namespace
