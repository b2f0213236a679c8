// Stake marks and stake texts of the drovik program.
#include <cmath>

#include <dbents.h>
#include <dbpl.h>
#include <hostharness.h>

#include "drovik/drovik.h"
#include "drawing_query.h"
#include "stake.h"
#include "test_support.h"

namespace {
using drovik::cli::FormatStake;
using drovik::cli::ParseStake;

TEST(FormatStake, KilometresPlusMetresToTheMillimetre) {
    struct Case {
        double metres;
        const wchar_t* text;
    };
    const Case cases[] = {{0, L"K0+000"},           {20, L"K0+020"},          {12345.6, L"K12+345.6"},
                          {999.9996, L"K1+000"},    {1000.05, L"K1+000.05"},  {7.0004, L"K0+007"},
                          {123456789.125, L"K123456+789.125"}};
    for (const auto& tc : cases) {
        EXPECT_EQ(FormatStake(tc.metres), tc.text) << tc.metres;
        double back = -1;
        ASSERT_TRUE(ParseStake(FormatStake(tc.metres), back));  // what we write, we read
        EXPECT_NEAR(back, tc.metres, 0.0005);
    }
}

TEST(ParseStake, RejectsWhatIsNotAStake) {
    double metres = 0;
    EXPECT_TRUE(ParseStake(L" K12+345.6 ", metres));
    EXPECT_DOUBLE_EQ(metres, 12345.6);
    EXPECT_TRUE(ParseStake(L"345.6", metres));
    for (const wchar_t* bad : {L"", L"K12", L"K1+20a", L"AK1+200", L"abc", L"-5", L"K-1+0"})
        EXPECT_FALSE(ParseStake(bad, metres)) << Show(bad);
}

class StakeMarks : public ::testing::Test {
protected:
    void SetUp() override { host::harness::ResetHost(); }
    void TearDown() override { EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0); }
    AcDbDatabase* db() { return acdbHostApplicationServices()->workingDatabase(); }

    void AddPolyline(const std::vector<std::pair<AcGePoint2d, double>>& vertices, const wchar_t* layer) {
        auto* pline = new AcDbPolyline;
        for (unsigned i = 0; i < vertices.size(); ++i) pline->addVertexAt(i, vertices[i].first, vertices[i].second);
        ASSERT_TRUE(drovik::cli::EnsureLayer(db(), layer, 3));
        pline->setLayer(layer);
        AcDbObjectId id;
        ASSERT_TRUE(AddEntToDwg(pline, id));
        pline->close();
    }

    // The texts of the stake layer and the ticks' midpoints.
    void CollectMarks(std::vector<std::wstring>& labels, std::vector<AcGePoint3d>& ticks) {
        for (const AcDbObjectId& id : drovik::cli::ModelSpaceEntities(db())) {
            AcDbEntity* ent = nullptr;
            ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), Acad::eOk);
            if (ent->layer() == L"STAKE") {
                if (auto* text = AcDbText::cast(ent)) labels.push_back(text->textString().str());
                if (auto* line = AcDbLine::cast(ent)) ticks.push_back(GetMidPt(line->startPoint(), line->endPoint()));
            }
            ent->close();
        }
    }
};

TEST_F(StakeMarks, ArcLengthMarksLieOnTheLineAtTheInterval) {
    // 100 straight, then a half circle of radius 50 (length 157.08).
    AddPolyline({{AcGePoint2d(0, 0), 0.0}, {AcGePoint2d(100, 0), 1.0}, {AcGePoint2d(100, 100), 0.0}}, L"ROAD");
    AddPolyline({{AcGePoint2d(0, -50), 0.0}, {AcGePoint2d(10, -50), 0.0}}, L"OTHER");
    drovik::cli::StakeOptions options;
    options.interval = 20;
    options.layer = L"road";  // layer names compare without regard to case
    options.startMetres = 1000;
    const auto result = drovik::cli::AddStakeMarks(db(), options);
    EXPECT_EQ(result.polylines, 1);
    std::vector<std::wstring> labels;
    std::vector<AcGePoint3d> ticks;
    CollectMarks(labels, ticks);
    ASSERT_EQ(result.marks, 13);  // 0, 20, ..., 240 along 257.08
    ASSERT_EQ(labels.size(), 13u);
    EXPECT_EQ(labels.front(), L"K1+000");
    EXPECT_EQ(labels.back(), L"K1+240");
    // Tick centres are the stake points: on the line, 20 apart along it.
    EXPECT_TRUE(PointNear(ticks[1], P(20, 0), 1e-9));
    const double along = 140 - 100;  // 40 into the half circle about (100, 50)
    EXPECT_TRUE(PointNear(ticks[7], P(100 + 50 * std::sin(along / 50), 50 - 50 * std::cos(along / 50)), 1e-9));
}

TEST_F(StakeMarks, ChordSpacingAndBadIntervalMarkNothingWrong) {
    AddPolyline({{AcGePoint2d(0, 0), 0.0}, {AcGePoint2d(30, 0), 0.0}, {AcGePoint2d(30, 30), 0.0}}, L"ROAD");
    drovik::cli::StakeOptions options;
    options.interval = 25;
    options.chord = true;
    const auto result = drovik::cli::AddStakeMarks(db(), options);
    std::vector<std::wstring> labels;
    std::vector<AcGePoint3d> ticks;
    CollectMarks(labels, ticks);
    ASSERT_EQ(result.marks, 3);
    // The second mark is 25 in a straight line from the first, across the corner.
    EXPECT_NEAR(ticks[1].distanceTo(ticks[0]), 25, 1e-9);
    EXPECT_NEAR(ticks[2].distanceTo(ticks[1]), 25, 1e-9);

    options.interval = std::nan("");
    EXPECT_EQ(drovik::cli::AddStakeMarks(db(), options).marks, 0);
}
}  // namespace

namespace {
// Regression: a label turned to stay readable (travel westwards) grew from
// its foot towards the line, and with a larger --text-height crossed it.
TEST_F(StakeMarks, LabelsStayLeftOfTheLineAtAnyTextHeight) {
    for (const double height : {0.0, 2.0, 9.0}) {
        host::harness::ResetHost();
        AddPolyline({{AcGePoint2d(0, 0), 0.0}, {AcGePoint2d(100, 0), 0.0}}, L"EAST");
        AddPolyline({{AcGePoint2d(100, 50), 0.0}, {AcGePoint2d(0, 50), 0.0}}, L"WEST");
        drovik::cli::StakeOptions options;
        options.interval = 20;
        options.textHeight = height;
        const auto result = drovik::cli::AddStakeMarks(db(), options);
        ASSERT_EQ(result.marks, 10);
        const double expectedHeight = height > 0 ? height : 20 * 0.12;
        int labels = 0;
        for (const AcDbObjectId& id : drovik::cli::ModelSpaceEntities(db())) {
            AcDbText* text = nullptr;
            if (acdbOpenObject(text, id, AcDb::kForRead) != Acad::eOk) continue;
            ++labels;
            EXPECT_DOUBLE_EQ(text->height(), expectedHeight);
            const AcGePoint3d foot = text->position();
            const double up = text->rotation() + 3.141592653589793 / 2;
            const AcGePoint3d top(foot.x + expectedHeight * std::cos(up), foot.y + expectedHeight * std::sin(up), 0);
            // East along y = 0: left is +y. West along y = 50: left is -y.
            const bool east = foot.y < 25;
            for (const AcGePoint3d& p : {foot, top}) {
                const double left = east ? p.y - 0 : 50 - p.y;
                EXPECT_GT(left, 20 * 0.15 - 1e-9) << "height " << height << " at " << p.x << ", " << p.y;
            }
            text->close();
        }
        EXPECT_EQ(labels, 10);
    }
}
}  // namespace
