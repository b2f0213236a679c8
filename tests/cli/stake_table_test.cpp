// The stake table against a computation from first principles: arc lengths
// along straights and bulge arcs, offsets perpendicular to the direction of
// travel, bearings clockwise from north.
#include <clocale>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include <dbpl.h>
#include <dxfio.h>
#include <hostharness.h>
#include <widetext.h>

#include "cli/cli_support.h"
#include "drawing_query.h"
#include "drovik/drovik.h"
#include "stake_table.h"
#include "test_support.h"

namespace {
using cli_support::RunCli;
constexpr double kPi = 3.141592653589793;

struct Vertex {
    double x, y, bulge;
};

// One expected row: where the line is s along it, and which way it runs.
struct Expected {
    double s, x, y, direction;  // direction in radians
};

// A bulge segment worked out from its definition: sweep 4 atan(b), centre
// (c/2)(1 - b^2)/(2b) to the left of the chord's midpoint.
struct Segment {
    Vertex a, b;
    double length() const {
        const double c = std::hypot(b.x - a.x, b.y - a.y);
        if (a.bulge == 0) return c;
        const double sweep = 4 * std::atan(std::fabs(a.bulge));
        return sweep * c / (2 * std::sin(sweep / 2));
    }
    Expected at(double s) const {
        const double dx = b.x - a.x, dy = b.y - a.y, c = std::hypot(dx, dy);
        if (a.bulge == 0) return {s, a.x + dx * s / c, a.y + dy * s / c, std::atan2(dy, dx)};
        const double k = (1 - a.bulge * a.bulge) / (4 * a.bulge);
        const double cx = (a.x + b.x) / 2 - dy * k, cy = (a.y + b.y) / 2 + dx * k;
        const double r = std::hypot(a.x - cx, a.y - cy);
        const double turn = a.bulge > 0 ? 1.0 : -1.0;
        const double angle = std::atan2(a.y - cy, a.x - cx) + turn * s / r;
        return {s, cx + r * std::cos(angle), cy + r * std::sin(angle), angle + turn * kPi / 2};
    }
};

double Wrap360(double degrees) {
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0 ? degrees + 360.0 : degrees;
}

std::vector<std::map<std::string, std::string>> ParseCsv(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> header;
    std::stringstream h(line);
    for (std::string cell; std::getline(h, cell, ',');) header.push_back(cell);
    std::vector<std::map<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        std::stringstream r(line);
        std::map<std::string, std::string> row;
        size_t i = 0;
        for (std::string cell; std::getline(r, cell, ','); ++i) row[i < header.size() ? header[i] : "?"] = cell;
        EXPECT_EQ(i, header.size()) << line;
        rows.push_back(row);
    }
    return rows;
}

class StakeTable : public ::testing::Test {
protected:
    void SetUp() override { host::harness::ResetHost(); }
    void TearDown() override {
        std::remove(m_path.c_str());
        EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0);
    }
    AcDbDatabase* db() { return acdbHostApplicationServices()->workingDatabase(); }

    unsigned long long Add(const std::vector<Vertex>& vertices, const wchar_t* layer, double elevation) {
        auto* pline = new AcDbPolyline;
        for (unsigned i = 0; i < vertices.size(); ++i)
            pline->addVertexAt(i, AcGePoint2d(vertices[i].x, vertices[i].y), vertices[i].bulge);
        pline->setElevation(elevation);
        EXPECT_TRUE(drovik::cli::EnsureLayer(db(), layer, 3));
        pline->setLayer(layer);
        AcDbObjectId id;
        EXPECT_TRUE(AddEntToDwg(pline, id));
        pline->close();
        return id.handle();
    }
    void Save() {
        host::dxf::DxfError err;
        ASSERT_TRUE(host::dxf::WriteDxf(db(), host::Utf8ToWide(m_path).c_str(), err)) << err.what();
    }
    std::string m_path = UniqueTempPath("centre.dxf");
};

TEST_F(StakeTable, EveryRowAgreesWithAnIndependentComputation) {
    // A straight, a quarter circle to the left, a shallow arc to the right
    // and a straight again.
    const std::vector<Vertex> road = {{0, 0, 0}, {83, 0, std::tan(kPi / 8)}, {133, 50, -0.2}, {190, 95, 0}, {260, 95, 0}};
    const double elevation = 12.25;
    const unsigned long long handle = Add(road, L"CENTRE", elevation);
    Add({{0, -40, 0}, {50, -40, 0}}, L"OTHER", 0);
    Save();
    const double interval = 17, start = 1000;
    const std::vector<double> offsets = {7.5, -7.5, 0.25};

    const auto o = RunCli({"stake", m_path, "--interval", "17", "--layer", "CENTRE", "--start", "K1+000", "--table", "-",
                           "--offsets", "7.5,-7.5,0.25", "--at-vertices", "--decimals", "9"});
    ASSERT_EQ(o.code, 0) << o.err;

    std::vector<Expected> expected;
    std::vector<Segment> segments;
    for (size_t i = 0; i + 1 < road.size(); ++i) segments.push_back({road[i], road[i + 1]});
    double total = 0;
    for (const Segment& seg : segments) total += seg.length();
    auto pointAt = [&](double s) {
        double before = 0;
        for (size_t i = 0; i < segments.size(); ++i) {
            const double len = segments[i].length();
            if (s < before + len || i + 1 == segments.size()) {
                Expected e = segments[i].at(s - before);
                e.s = s;
                return e;
            }
            before += len;
        }
        return Expected{};
    };
    for (double s = 0; s < total; s += interval) expected.push_back(pointAt(s));
    double along = 0;
    for (size_t i = 0; i < road.size(); ++i) {
        // A vertex row runs along the segment leaving it; the last along the one entering it.
        Expected v = i + 1 < road.size() ? segments[i].at(0) : segments.back().at(segments.back().length());
        v.s = along;
        if (std::fabs(std::remainder(along, interval)) > 1e-6) expected.push_back(v);
        if (i + 1 < road.size()) along += segments[i].length();
    }
    std::sort(expected.begin(), expected.end(), [](const Expected& a, const Expected& b) { return a.s < b.s; });

    const auto rows = ParseCsv(o.out);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto& row = rows[k];
        const Expected& e = expected[k];
        SCOPED_TRACE("row " + std::to_string(k) + " at " + std::to_string(e.s));
        EXPECT_EQ(row.at("centreline"), drovik::cli::HandleText(handle));
        EXPECT_EQ(row.at("stake"), host::WideToUtf8(drovik::cli::FormatStake(start + e.s)));
        EXPECT_NEAR(std::stod(row.at("chainage")), start + e.s, 1e-6);
        EXPECT_NEAR(std::stod(row.at("x")), e.x, 1e-6);
        EXPECT_NEAR(std::stod(row.at("y")), e.y, 1e-6);
        EXPECT_NEAR(std::stod(row.at("z")), elevation, 1e-6);
        const double degrees = Wrap360(e.direction * 180 / kPi);
        EXPECT_NEAR(std::remainder(std::stod(row.at("direction")) - degrees, 360.0), 0, 1e-6);
        EXPECT_NEAR(std::remainder(std::stod(row.at("bearing")) - Wrap360(90 - degrees), 360.0), 0, 1e-6);
        for (double d : offsets) {
            const std::string name = d == 7.5 ? "7.5" : d == -7.5 ? "-7.5" : "0.25";
            // Left of travel: the direction turned a quarter counter-clockwise.
            const double ox = e.x + d * std::cos(e.direction + kPi / 2);
            const double oy = e.y + d * std::sin(e.direction + kPi / 2);
            EXPECT_NEAR(std::stod(row.at("x_" + name)), ox, 1e-6);
            EXPECT_NEAR(std::stod(row.at("y_" + name)), oy, 1e-6);
        }
    }
}

TEST_F(StakeTable, CentrelinesByLayerByHandleOrAll) {
    const unsigned long long a = Add({{0, 0, 0}, {30, 0, 0}}, L"CENTRE", 0);
    const unsigned long long b = Add({{0, 10, 0}, {30, 10, 0}}, L"CENTRE", 0);
    const unsigned long long c = Add({{0, 20, 0}, {30, 20, 0}}, L"OTHER", 0);
    Save();
    auto centrelines = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"stake", m_path, "--interval", "10", "--table", "-"};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto o = RunCli(args);
        EXPECT_EQ(o.code, 0) << o.err;
        std::set<std::string> seen;
        for (const auto& row : ParseCsv(o.out)) seen.insert(row.at("centreline"));
        return seen;
    };
    using drovik::cli::HandleText;
    EXPECT_EQ(centrelines({}), (std::set<std::string>{HandleText(a), HandleText(b), HandleText(c)}));
    EXPECT_EQ(centrelines({"--layer", "centre"}), (std::set<std::string>{HandleText(a), HandleText(b)}));
    EXPECT_EQ(centrelines({"--handle", HandleText(c)}), (std::set<std::string>{HandleText(c)}));
    EXPECT_EQ(centrelines({"--handle", HandleText(a), "--handle", HandleText(c)}),
              (std::set<std::string>{HandleText(a), HandleText(c)}));
    // A handle that is no polyline of the drawing is a file error naming it.
    const auto o = RunCli({"stake", m_path, "--interval", "10", "--table", "-", "--handle", "FFFFF"});
    EXPECT_EQ(o.code, drovik::cli::kExitFile);
    EXPECT_NE(o.err.find("no polyline with handle FFFFF"), std::string::npos) << o.err;
}

TEST(StakeTableText, FixedNumbersUseADotInAnyLocale) {
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = before ? before : "C";
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    EXPECT_EQ(drovik::cli::FixedNumber(1234.5678, 3), "1234.568");
    EXPECT_EQ(drovik::cli::FixedNumber(-0.0001, 3), "0.000");  // no "-0.000"
    EXPECT_EQ(drovik::cli::FixedNumber(-2.5, 0), "-2");         // round half to even, as printf does
    EXPECT_EQ(drovik::cli::FixedNumber(7, 0), "7");
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma) GTEST_LOG_(INFO) << "no comma locale installed; checked in the C locale only";
}

TEST(StakeTableText, HandlesReadAndWriteAsDxfDoes) {
    unsigned long long handle = 0;
    EXPECT_TRUE(drovik::cli::ParseHandle("2f", handle));
    EXPECT_EQ(handle, 0x2Fu);
    EXPECT_EQ(drovik::cli::HandleText(handle), "2F");
    EXPECT_TRUE(drovik::cli::ParseHandle("FFFFFFFFFFFFFFFF", handle));
    for (const char* bad : {"", "0", "0x2F", "-1", "2G", " 2F", "10000000000000000"})
        EXPECT_FALSE(drovik::cli::ParseHandle(bad, handle)) << bad;
}

TEST(StakeTableText, StakeOptionsBadUsageAnswersTwo) {
    const std::string in = std::string(DROVIK_SAMPLE_DIR) + "/road.dxf";
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"stake", in, "--interval", "20"}, "missing -o OUT (or --table OUT.csv)"},
        {{"stake", in, "--interval", "20", "--table", "-", "--decimals", "13"}, "--decimals must be a whole number"},
        {{"stake", in, "--interval", "20", "--table", "-", "--decimals", "2.5"}, "--decimals must be a whole number"},
        {{"stake", in, "--interval", "20", "-o", "-", "--offsets", "7.5"}, "--offsets needs --table"},
        {{"stake", in, "--interval", "20", "--table", "-", "--offsets", "7.5;1"}, "--offsets must be numbers"},
        {{"stake", in, "--interval", "20", "--table", "-", "--chord", "--at-vertices"}, "cannot go with --chord"},
        {{"stake", in, "--interval", "20", "--table", "-", "--handle", "xyz"}, "--handle must be a hexadecimal"},
        {{"stake", in, "--interval", "20", "--table", "-", "--text-height", "0"}, "--text-height must be a number"},
        {{"stake", in, "--interval", "20", "--table", in}, "is the input file"},
        {{"stake", in, "--interval", "20", "--table", "-", "-o", "-"}, "only one of -o -, --table - and --json"},
    };
    for (const auto& [args, message] : cases) {
        const auto o = RunCli(args);
        EXPECT_EQ(o.code, drovik::cli::kExitUsage) << o.err;
        EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
}

TEST(StakeTableText, OffsetsListsParseOrAreRefused) {
    std::vector<double> offsets;
    EXPECT_TRUE(drovik::cli::ParseOffsets("7.5,-7.5", offsets));
    EXPECT_EQ(offsets, (std::vector<double>{7.5, -7.5}));
    EXPECT_TRUE(drovik::cli::ParseOffsets("+3", offsets));
    EXPECT_EQ(offsets, (std::vector<double>{3}));
    for (const char* bad : {"", ",", "7.5,", "a", "7.5;2", "nan", "inf", "1e999", "7,5x"})
        EXPECT_FALSE(drovik::cli::ParseOffsets(bad, offsets)) << bad;
}
}  // namespace
