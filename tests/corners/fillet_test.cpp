// Filleting two lines; cutting, splitting and extending one line.
#include <cmath>

#include "chains/entity_checks.h"
#include "drovik/corners/fillet.h"
#include "drovik/drawing/edits.h"

namespace {
constexpr double kPi = 3.141592653589793;

class FilletTest : public DrawingTest {
protected:
    // The fillet of the corner (0,0)-(10,0)-(10,10) with radius 2.
    static void ExpectExampleArc(AcDbObjectId idArc) {
        const stArcPara arc = ArcOfEnt(idArc);
        EXPECT_NEAR(arc.radius, 2, 1e-9);
        EXPECT_TRUE(PointNear(arc.ptCenter, P(8, 2), 1e-9));
        EXPECT_TRUE(PointNear(arc.ptStart, P(8, 0), 1e-9));
        EXPECT_TRUE(PointNear(arc.ptEnd, P(10, 2), 1e-9));
        // It runs through the corner side: (8 + 2 cos(-pi/4), 2 + 2 sin(-pi/4)).
        EXPECT_NEAR(arc.angle, kPi / 2, 1e-9);
        EXPECT_TRUE(PointNear(arc.ptMid, P(8 + std::sqrt(2.0), 2 - std::sqrt(2.0)), 1e-9));
    }
};

// A line on a locked layer keeps its geometry; the rest still happens.
TEST_F(FilletTest, ExampleCorner) {
    AddLayer(L"Locked", true);
    const struct {
        const char* name;
        AcGePoint3d a1, a2, b1, b2;
        const wchar_t* layer1;
        AcGePoint3d line1End;
    } cases[] = {
        {"as drawn", P(0, 0), P(10, 0), P(10, 0), P(10, 10), L"0", P(8, 0)},
        {"both reversed", P(10, 0), P(0, 0), P(10, 10), P(10, 0), L"0", P(8, 0)},
        {"lines short of the corner", P(0, 0), P(9, 0), P(10, 1), P(10, 10), L"0", P(8, 0)},
        {"line 1 locked", P(0, 0), P(10, 0), P(10, 0), P(10, 10), L"Locked", P(10, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AcDbObjectId l1 = AddLineOn(c.a1, c.a2, c.layer1);
        const AcDbObjectId l2 = AddLine(c.b1, c.b2);
        AcDbObjectId arc;
        ASSERT_TRUE(FilletLine(l1, l2, 2, arc));
        // Fixed orientation: line 1 towards the corner, line 2 away from it.
        ExpectLine(l1, P(0, 0), c.line1End, "line 1");
        ExpectLine(l2, P(10, 2), P(10, 10), "line 2");
        ExpectExampleArc(arc);
    }
}

TEST_F(FilletTest, NoCornerChangesNothing) {
    const AcDbObjectId l1 = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId parallel = AddLine(P(0, 5), P(10, 5));
    const AcDbObjectId circle = AddCircle(P(20, 20), 1);
    const int before = ModelSpaceCount();
    const std::pair<const char*, AcDbObjectId> others[] = {
        {"parallel", parallel}, {"same line", l1}, {"circle", circle}, {"null", AcDbObjectId::kNull}};
    for (const auto& other : others) {
        AcDbObjectId arc = AcDbObjectId::kNull;
        EXPECT_FALSE(FilletLine(l1, other.second, 2, arc)) << other.first;
        EXPECT_FALSE(FilletLine(other.second, l1, 2, arc)) << other.first;
        EXPECT_TRUE(arc.isNull()) << other.first;
    }
    ExpectLine(l1, P(0, 0), P(10, 0), "line 1 unchanged");
    ExpectLine(parallel, P(0, 5), P(10, 5), "line 2 unchanged");
    EXPECT_EQ(ModelSpaceCount(), before);
}

// The arc takes line 1's extended data, of every application.
TEST_F(FilletTest, ArcTakesTheFirstLinesExtendedData) {
    Register(L"ROAD");
    Register(L"PIPE");
    const AcDbObjectId l1 = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId l2 = AddLine(P(10, 0), P(10, 10));
    resbuf* data = acutBuildList(1001, L"ROAD", 1000, L"K0+100", 1001, L"PIPE", 1040, 0.3, 0);
    PutXData(l1, data);
    acutRelRb(data);
    resbuf* other = acutBuildList(1001, L"ROAD", 1000, L"line 2", 0);
    PutXData(l2, other);
    acutRelRb(other);
    AcDbObjectId arc;
    ASSERT_TRUE(FilletLine(l1, l2, 2, arc));
    EXPECT_EQ(XDataOf(arc), XDataOf(l1));
    EXPECT_EQ(XDataOf(arc).size(), 4u);
}

class PreProcLineTest : public FilletTest {};

// Cutting keeps the side of the reference. A cut on an end point or beyond
// it cuts nothing off, split or not.
TEST_F(PreProcLineTest, CutKeepsTheSideOfTheReference) {
    const struct {
        const char* name;
        AcGePoint3d cut, ref;
        AcGePoint3d keep;
        bool atAnEnd;
    } cases[] = {
        {"reference beyond the end", P(4, 0), P(9, 3), P(10, 0), false},
        {"reference towards the start", P(4, 0), P(1, -3), P(0, 0), false},
        {"reference far beyond the start", P(4, 0), P(-30, 0), P(0, 0), false},
        // No side from the reference: the midpoint (5,0) decides.
        {"reference on the cut, cut before the middle", P(2, 0), P(2, 0), P(10, 0), false},
        {"reference on the cut, cut after the middle", P(8, 0), P(8.0005, 0), P(0, 0), false},
        {"on the start", P(0.0005, 0), P(5, 5), P(10, 0), true},
        {"on the end", P(10, 0), P(5, 5), P(0, 0), true},
        {"beyond the end: extended", P(12, 0), P(5, 5), P(0, 0), true},
        {"beyond the start: extended", P(-3, 0), P(5, 5), P(10, 0), true},
        {"off the line: the nearer end moves there", P(9, 4), P(5, 5), P(0, 0), true},
    };
    for (const auto& c : cases) {
        for (bool split : {false, true}) {
            if (split && !c.atAnEnd) continue;
            AcDbObjectId line = AddLine(P(0, 0), P(10, 0));
            AcGePoint3d keep = P(-1, -1);
            const int before = ModelSpaceCount();
            PreProcLine(line, c.cut, c.ref, keep, split);
            EXPECT_TRUE(PointNear(keep, c.keep)) << c.name;
            ExpectLine(line, c.cut, c.keep, c.name);
            EXPECT_EQ(ModelSpaceCount(), before) << c.name << ": nothing is cut off";
        }
    }
}

TEST_F(PreProcLineTest, SplitMakesTheCutOffPartALineOfTheSameLayerAndData) {
    Register(L"ROAD");
    AddLayer(L"Kerb");
    AcDbObjectId line = AddLineOn(P(0, 0), P(10, 0), L"Kerb");
    resbuf* data = acutBuildList(1001, L"ROAD", 1000, L"kerb", 1070, 3, 0);
    PutXData(line, data);
    acutRelRb(data);
    const int before = ModelSpaceCount();
    AcGePoint3d keep;
    PreProcLine(line, P(4, 0), P(9, 3), keep, true);
    EXPECT_TRUE(PointNear(keep, P(10, 0)));
    ExpectLine(line, P(4, 0), P(10, 0), "kept part");
    ASSERT_EQ(ModelSpaceCount(), before + 1);
    AcDbObjectId made = host::harness::ModelSpaceIds().back();
    ExpectLine(made, P(4, 0), P(0, 0), "cut-off part");
    CString layer;
    EXPECT_TRUE(GetEntLayer(made, layer));
    EXPECT_EQ(layer, CString(L"Kerb"));
    EXPECT_EQ(XDataOf(made), XDataOf(line));
    EXPECT_EQ(XDataOf(made).size(), 3u);

    // Without extended data the new line still takes the layer.
    AcDbObjectId plain = AddLineOn(P(0, 5), P(10, 5), L"Kerb");
    PreProcLine(plain, P(3, 5), P(0, 5), keep, true);
    made = host::harness::ModelSpaceIds().back();
    ExpectLine(made, P(3, 5), P(10, 5), "cut-off part of the plain line");
    EXPECT_TRUE(GetEntLayer(made, layer));
    EXPECT_EQ(layer, CString(L"Kerb"));
    EXPECT_TRUE(XDataOf(made).empty());
}

TEST_F(PreProcLineTest, NotALineChangesNothing) {
    AcDbObjectId circle = AddCircle(P(0, 0), 5);
    AcDbObjectId none;
    const int before = ModelSpaceCount();
    for (AcDbObjectId* id : {&circle, &none}) {
        AcGePoint3d keep = P(7, 7);
        PreProcLine(*id, P(1, 0), P(2, 0), keep, true);
        EXPECT_TRUE(PointNear(keep, P(7, 7)));
    }
    EXPECT_EQ(ModelSpaceCount(), before);
    AcGePoint3d c;
    double r = 0;
    EXPECT_TRUE(GetCenterRadius(circle, c, r));
    EXPECT_EQ(r, 5);
}
}  // namespace
