// Parallel offsets against an independent oracle: GEOS through Debian's
// python3-shapely buffers the same chains, densified finely; areas, lengths
// and the Hausdorff distance between the results agree to the densification
// error (tests/interop/offset_oracle.py states how it is worked out).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "chains/offset_checks.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
using namespace offset_checks;

const char* const kPython = "/usr/bin/python3";

std::string OracleScript() { return std::string(DROVIK_TEST_DATA_DIR) + "/../interop/offset_oracle.py"; }

// Why the oracle cannot run here (the Windows build runs its tests under
// Wine, with no Python), or empty when it can.
std::string OracleMissing() {
    if (::access(kPython, X_OK) != 0) return std::string(kPython) + " is missing";
    const std::string probe = std::string(kPython) + " -c 'import shapely' >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) return std::string(kPython) + " has no shapely (install python3-shapely)";
    return "";
}

void WriteChains(std::ostream& out, const ChainSet& set) {
    out.precision(17);
    for (int i = 0; i < set.Size(); ++i) {
        out << "chain " << set.closed[i] << " " << set.counts[i] << "\n";
        for (int k = 0; k < set.counts[i]; ++k) {
            const CPolyLineVertex& v = set.vertices[set.First(i) + k];
            out << v.pt.x << " " << v.pt.y << " " << v.bulge << "\n";
        }
    }
}

// The oracle's verdict: name -> numbers (area, length: ours, theirs,
// tolerance; hausdorff: value, tolerance).
using Verdict = std::map<std::string, std::vector<double>>;

Verdict AskOracle(const ChainSet& in, const std::vector<const ChainSet*>& results, double dist, const char* join,
                  double limit) {
    const std::string casePath = UniqueTempPath("offset_case.txt");
    const std::string errPath = UniqueTempPath("offset_oracle_err.txt");
    {
        std::ofstream out(casePath);
        out.precision(17);
        out << "distance " << dist << "\njoin " << join << "\nlimit " << limit << "\ninput\n";
        WriteChains(out, in);
        out << "result\n";
        for (const ChainSet* r : results) WriteChains(out, *r);
    }
    const std::string cmd = std::string(kPython) + " " + OracleScript() + " " + casePath + " 2>" + errPath;
    Verdict verdict;
    if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) {
            std::istringstream words(line);
            std::string name;
            words >> name;
            double value;
            while (words >> value) verdict[name].push_back(value);
        }
        const int rc = ::pclose(pipe);
        EXPECT_EQ(rc, 0) << FileText(errPath);
    }
    std::remove(casePath.c_str());
    std::remove(errPath.c_str());
    return verdict;
}

void ExpectAgreement(const Verdict& v, const std::string& name) {
    for (const char* key : {"area", "length"}) {
        const auto it = v.find(key);
        if (it == v.end()) continue;
        ASSERT_EQ(it->second.size(), 3u) << name;
        EXPECT_NEAR(it->second[0], it->second[1], it->second[2]) << name << ": " << key << " ours vs GEOS";
    }
    const auto h = v.find("hausdorff");
    ASSERT_NE(h, v.end()) << name << ": the oracle said nothing";
    ASSERT_EQ(h->second.size(), 2u) << name;
    EXPECT_LE(h->second[0], h->second[1]) << name << ": Hausdorff distance to GEOS's result";
}

struct ClosedCase {
    std::string name;
    ChainSet in;
};

std::vector<ClosedCase> ClosedCases() {
    std::vector<ClosedCase> cases;
    cases.push_back({"rectangle", SetOf({{0, 0, 0}, {10, 0, 0}, {10, 4, 0}, {0, 4, 0}}, true)});
    cases.push_back({"dumbbell", SetOf({{0, 0, 0}, {10, 0, 0}, {10, 4, 0}, {20, 4, 0}, {20, 0, 0}, {30, 0, 0},
                                        {30, 10, 0}, {20, 10, 0}, {20, 6, 0}, {10, 6, 0}, {10, 10, 0}, {0, 10, 0}},
                                       true)});
    ChainSet holed = SetOf({{0, 0, 0.2}, {20, 0, 0}, {20, 20, -0.3}, {0, 20, 0}}, true);
    holed.Add({{7, 7, 0.5}, {7, 13, 0}, {13, 13, 0}, {13, 7, 0}}, true);
    cases.push_back({"outline with hole", std::move(holed)});
    for (std::uint64_t seed : {101, 102, 103})
        cases.push_back({"star " + std::to_string(seed), SetOf(StarChain(seed, 14), true)});
    return cases;
}

TEST(ParallelOffsetOracle, ClosedChainsAgreeWithGeos) {
    const std::string missing = OracleMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    for (const ClosedCase& tc : ClosedCases()) {
        for (const double dist : {0.8, 2.5, -1.7}) {
            ChainSet out;
            ASSERT_TRUE(Offset(tc.in, dist, joinRound, 2.0, out)) << tc.name;
            ExpectAgreement(AskOracle(tc.in, {&out}, dist, "round", 2.0), tc.name + " d " + std::to_string(dist));
        }
        // Mitres: GEOS's mitre limit is the same ratio of corner-to-tip
        // distance to offset distance, and GEOS too cuts a mitre past it
        // square at that distance. Only straight chains: GEOS mitres a
        // densified arc along its last chord, not its tangent, which moves a
        // sharp mitre's tip by far more than the densification error.
        ChainSet straight;
        straight.vertices.Copy(tc.in.vertices);
        straight.counts = tc.in.counts;
        straight.closed = tc.in.closed;
        for (CPolyLineVertex& v : straight.vertices) v.bulge = 0.0;
        for (const double dist : {1.2, -1.2}) {
            ChainSet out;
            ASSERT_TRUE(Offset(straight, dist, joinMiter, 5.0, out)) << tc.name;
            ExpectAgreement(AskOracle(straight, {&out}, dist, "mitre", 5.0),
                            tc.name + " straight, mitre d " + std::to_string(dist));
        }
    }
}

// An open chain's offsets to both sides, with the end caps of a buffer left
// out, make up the buffer's boundary.
TEST(ParallelOffsetOracle, OpenChainsAgreeWithGeos) {
    const std::string missing = OracleMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    std::vector<ClosedCase> cases;
    std::vector<Vtx> zig;
    for (int i = 0; i <= 12; ++i) zig.push_back({double(i), double(i % 2), 0.0});
    cases.push_back({"zig-zag", SetOf(zig, false)});
    cases.push_back({"road", SetOf({{0, 0, 0}, {20, 0, 0.41421356237309503}, {26, 6, 0}, {26, 26, 0}}, false)});
    for (std::uint64_t seed : {201, 202})
        cases.push_back({"random " + std::to_string(seed), SetOf(OpenChain(seed, 12), false)});
    for (const ClosedCase& tc : cases) {
        for (const double dist : {0.6, 3.0}) {
            ChainSet left, right;
            ASSERT_TRUE(Offset(tc.in, dist, joinRound, 2.0, left)) << tc.name;
            ASSERT_TRUE(Offset(tc.in, -dist, joinRound, 2.0, right)) << tc.name;
            ExpectAgreement(AskOracle(tc.in, {&left, &right}, dist, "round", 2.0),
                            tc.name + " d " + std::to_string(dist));
        }
    }
}

// Offsets many times longer than the segments: every small arc's offset
// crosses dozens of others, nearly all of them within reach of the chain,
// and only a thin envelope stays (the wavy outline is the benchmark's, made
// small).
TEST(ParallelOffsetOracle, OffsetsFoldingOverManySegmentsAgreeWithGeos) {
    const std::string missing = OracleMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    chain_fixtures::Uniform draw(20261207);
    std::vector<Vtx> wavy;
    const int n = 400;
    for (int i = 0; i < n; ++i) {
        const double a = 6.283185307179586 * i / n;
        const double r = 60.0 + 4.0 * std::sin(5.0 * a) + 1.5 * std::sin(23.0 * a);
        wavy.push_back({r * std::cos(a), r * std::sin(a), i % 2 ? draw(-0.15, 0.15) : 0.0});
    }
    const ChainSet outline = SetOf(wavy, true);
    for (const double dist : {6.0, 15.0, -6.0}) {
        ChainSet out;
        ASSERT_TRUE(Offset(outline, dist, joinRound, 2.0, out));
        ExpectAgreement(AskOracle(outline, {&out}, dist, "round", 2.0), "wavy outline d " + std::to_string(dist));
    }
    std::vector<Vtx> zig;
    for (int i = 0; i <= 60; ++i) zig.push_back({0.5 * i, (i % 2) * 0.5, (i % 3) ? 0.0 : 0.3});
    const ChainSet zigzag = SetOf(zig, false);
    for (const double dist : {2.0, 5.0}) {
        ChainSet left, right;
        ASSERT_TRUE(Offset(zigzag, dist, joinRound, 2.0, left));
        ASSERT_TRUE(Offset(zigzag, -dist, joinRound, 2.0, right));
        ExpectAgreement(AskOracle(zigzag, {&left, &right}, dist, "round", 2.0),
                        "arced zig-zag d " + std::to_string(dist));
    }
}

}  // namespace
