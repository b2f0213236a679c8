// The drovik program end to end: usage, file errors and the demo's results.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <dbents.h>
#include <dbpl.h>
#include <dxfio.h>
#include <hostharness.h>

#include "cli/cli_support.h"
#include "commands.h"
#include "drawing_query.h"
#include "drovik/drovik.h"
#include "headless/dxf_support.h"
#include "measure/walk_support.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;

using cli_support::Outcome;
using cli_support::RunCli;

class DrovikProgram : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("drovik_cli_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0);
        host::harness::ResetHost();
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    static std::string Sample() { return std::string(DROVIK_SAMPLE_DIR) + "/road.dxf"; }

    fs::path m_dir;
};

TEST_F(DrovikProgram, BadUsageAnswersTwoWithAMessage) {
    const std::string in = Sample();
    const std::string out = Path("out.dxf");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "usage: drovik"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"stake", in, "-o", out}, "missing --interval"},
        {{"stake", in, "--interval", "abc", "-o", out}, "--interval must be a number greater than 0"},
        {{"stake", in, "--interval", "-5", "-o", out}, "--interval must be a number greater than 0"},
        {{"stake", in, "--interval", "nan", "-o", out}, "--interval must be a number greater than 0"},
        {{"stake", in, "--interval", "20", "--start", "K1+2x", "-o", out}, "--start must be a stake"},
        {{"stake", in, "--interval", "20"}, "missing -o OUT"},
        {{"stake", in, "--interval"}, "--interval needs a value"},
        {{"offset", in, "--distance", "5", "--side", "up", "-o", out}, "--side must be left, right or both"},
        {{"offset", in, "--distance", "5", "--bogus", "-o", out}, "unknown option --bogus"},
        {{"render", "-o", out}, "missing FILE"},
        {{"info", in, in}, "unexpected argument"},
        {{"render", in, "-o", in}, "is the input file; pass --overwrite"},
    };
    for (const auto& tc : cases) {
        const Outcome o = RunCli(tc.args);
        EXPECT_EQ(o.code, drovik::cli::kExitUsage) << o.err;
        EXPECT_NE(o.err.find(tc.message), std::string::npos) << o.err;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(DrovikProgram, HelpForTheProgramAndEachCommand) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"info", "--help"}, {"stake", "-h"}, {"offset", "--help"}, {"render", "--help"}, {"demo", "--help"}}) {
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.code, drovik::cli::kExitOk);
        EXPECT_EQ(o.out.rfind("usage: drovik", 0), 0u) << o.out;
    }
}

TEST_F(DrovikProgram, UnreadableAndUnwritableFilesAnswerOneNamingTheFile) {
    const std::string missing = Path("missing.dxf");
    const std::string bad = Path("bad.dxf");
    std::ofstream(bad) << "this is\nnot a drawing\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"info", missing}, "cannot read '" + cli_support::Shown(missing) + "'"},
        {{"render", bad, "-o", Path("bad.svg")}, "line 1"},
        {{"stake", Sample(), "--interval", "20", "-o", Path("no/such/folder/out.dxf")}, "cannot write"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.code, drovik::cli::kExitFile) << o.err;
        EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    }
    EXPECT_FALSE(fs::exists(Path("bad.svg")));
}

TEST_F(DrovikProgram, OverwriteOnlyWhenAsked) {
    const std::string copy = Path("road.dxf");
    fs::copy_file(Sample(), copy);
    const std::string before = FileText(copy);
    EXPECT_EQ(RunCli({"offset", copy, "--distance", "2", "-o", copy}).code, drovik::cli::kExitUsage);
    EXPECT_EQ(FileText(copy), before);
    EXPECT_EQ(RunCli({"offset", copy, "--distance", "2", "-o", copy, "--overwrite"}).code, drovik::cli::kExitOk);
    EXPECT_NE(FileText(copy), before);
}

// The demo's drawing: stake marks on the centreline every 20 along it, and
// offsets 7.5 either side of it; ezdxf reads it without audit complaints.
TEST_F(DrovikProgram, DemoMarksAndOffsetsTheRoad) {
    const Outcome o = RunCli({"demo", "--out", m_dir.string()});
    ASSERT_EQ(o.code, drovik::cli::kExitOk) << o.err;
    EXPECT_NE(o.out.find("Demo results are in"), std::string::npos);
    for (const char* name : {"road-stake.dxf", "road-result.dxf", "road.svg", "road-result.svg"})
        EXPECT_TRUE(fs::exists(m_dir / name)) << name;

    if (dxftest::HaveEzdxf()) {
        std::string errors;
        EXPECT_EQ(dxftest::RunPython(dxftest::InteropScript("ezdxf_roundtrip.py") + " " + Path("road-result.dxf"),
                                     errors),
                  0)
            << errors;
    }

    host::harness::ResetHost();
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    host::dxf::DxfError error;
    ASSERT_TRUE(host::dxf::ReadDxf(dxftest::W(Path("road-result.dxf")).c_str(), db, error)) << error.what();

    CPolyLineVertexArray centre;
    AcDbObjectId centreId;
    std::vector<AcGePoint3d> ticks;
    std::vector<AcDbObjectId> offsets;
    for (const AcDbObjectId& id : drovik::cli::ModelSpaceEntities(db)) {
        std::wstring type, layer;
        ASSERT_TRUE(drovik::cli::DescribeEntity(id, type, layer));
        if (layer == L"CENTRE") {
            CPolyLine pline;
            ASSERT_TRUE(pline.GetVertexInfo(id));
            centre.Copy(pline.m_Vertexs);
            centreId = id;
        } else if (layer == L"STAKE" && type == L"AcDbLine") {
            AcGePoint3d a, b;
            ASSERT_TRUE(GetLineEndPoint(id, a, b));
            ticks.push_back(GetMidPt(a, b));
        } else if (layer == L"OFFSET" && type == L"AcDbPolyline") {
            offsets.push_back(id);
        }
    }
    ASSERT_GE(centre.GetSize(), 2);
    const walk_support::ChainRuler ruler(centre);
    ASSERT_EQ(static_cast<double>(ticks.size()), std::floor(ruler.Total() / 20.0) + 1);
    INT_PTR segment = 0;
    for (size_t k = 0; k < ticks.size(); ++k) {
        double along = -1;
        ASSERT_TRUE(ruler.Locate(ticks[k], segment, along, 1e-6)) << "mark " << k << " is off the centreline";
        EXPECT_NEAR(along, 20.0 * k, 1e-6);
    }
    // The road's two edges, one polyline each side; the pipes' offsets (now
    // polylines too) lie far off the centreline.
    int edges = 0;
    for (const AcDbObjectId& id : offsets) {
        CPolyLine pline;
        ASSERT_TRUE(pline.GetVertexInfo(id));
        AcGePoint3d nearest;
        ASSERT_TRUE(GetClosestPnt(centreId, pline.m_Vertexs[0].pt, nearest));
        if (nearest.distanceTo(pline.m_Vertexs[0].pt) > 10.0) continue;
        ++edges;
        for (INT_PTR i = 0; i < pline.m_Vertexs.GetSize(); ++i) {
            ASSERT_TRUE(GetClosestPnt(centreId, pline.m_Vertexs[i].pt, nearest));
            EXPECT_NEAR(nearest.distanceTo(pline.m_Vertexs[i].pt), 7.5, 1e-6);
        }
    }
    EXPECT_EQ(edges, 2);
}
}  // namespace
