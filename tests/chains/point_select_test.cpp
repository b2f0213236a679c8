// Selection around a point on single cases and on a generated pipe network.
#include <algorithm>
#include <cmath>

#include "chains/entity_checks.h"
#include "chains/pipe_network.h"
#include "drovik/chains/point_select.h"
#include "editor/editor_fixture.h"

namespace {
constexpr double kPi = 3.141592653589793;

class PointSelectTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host::harness::SetView(P(0, 0), 100);
    }
    struct Found {
        int result = -1;
        AcArray<AcDbObjectId> ids;
        AcArray<AcGePoint3d> pts;
    };
    static Found Select(const AcGePoint3d& pt, AcDbObjectId exclude = AcDbObjectId::kNull, resbuf* filter = nullptr,
                        bool b2D = false) {
        Found f;
        f.result = PointSelect(exclude, pt, f.ids, f.pts, filter, b2D);
        return f;
    }
    // The far end found for id, or (-99,-99) when id was not found.
    static AcGePoint3d FarEndOf(const Found& f, AcDbObjectId id) {
        for (int i = 0; i < f.ids.length(); ++i)
            if (f.ids[i] == id) return f.pts[i];
        return P(-99, -99);
    }
};

// What meets at the node is found with its far end; what only passes by, has
// no ends, or has both ends together is not.
TEST_F(PointSelectTest, EntitiesEndingAtTheNode) {
    const AcDbObjectId line = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId arc = Add(new AcDbArc(P(0, 5), 5, 3 * kPi / 2, 0));  // starts at (0,0), ends (5,5)
    const AcDbObjectId reversed = AddLine(P(-3, -4), P(0, 0.0005));
    const AcDbObjectId pline = DrawingTest::AddPolyline({{0, -10, 0}, {0, -5, 0}, {0, 0, 0}});
    AddLine(P(-5, 0.2), P(5, 0.2));                    // passes by
    AddLine(P(0, 0), P(0, 0.0005));                    // both ends together
    DrawingTest::AddPolyline({{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 0, 0}});  // ends together, open
    DrawingTest::AddPolyline({{0, 0, 0}, {-3, 0, 0}, {-3, -3, 0}}, true);  // closure not considered: found
    Add(new AcDbCircle(P(0.3, 0), AcGeVector3d::kZAxis, 0.3));
    const Found f = Select(P(0, 0));
    EXPECT_EQ(f.result, 5);
    ASSERT_EQ(f.ids.length(), 5);
    ASSERT_EQ(f.pts.length(), 5);
    EXPECT_TRUE(PointNear(FarEndOf(f, line), P(10, 0)));
    EXPECT_TRUE(PointNear(FarEndOf(f, arc), P(5, 5), 1e-9));
    EXPECT_TRUE(PointNear(FarEndOf(f, reversed), P(-3, -4)));
    EXPECT_TRUE(PointNear(FarEndOf(f, pline), P(0, -10)));
}

TEST_F(PointSelectTest, ExcludeFilterAndArrays) {
    AddLayer(L"Pipes");
    const AcDbObjectId a = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId b = AddLine(P(0, 0), P(0, 10));
    auto* onLayer = new AcDbLine(P(0, 0), P(-10, 0));
    onLayer->setDatabaseDefaults();
    onLayer->setLayer(L"Pipes");
    const AcDbObjectId c = Add(onLayer);

    Found f = Select(P(0, 0), a);
    EXPECT_EQ(f.result, 2);
    EXPECT_TRUE(PointNear(FarEndOf(f, a), P(-99, -99))) << "excluded";

    resbuf* filter = acutBuildList(8, L"pipes", 0);
    f = Select(P(0, 0), AcDbObjectId::kNull, filter);
    acutRelRb(filter);
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.ids[0], c);

    // Found: the arrays are emptied first. Nothing selected: left as they were.
    f.ids.setLogicalLength(0);
    f.ids.append(b);
    f.pts.append(P(7, 7));
    EXPECT_EQ(PointSelect(AcDbObjectId::kNull, P(0, 0), f.ids, f.pts, nullptr, false), 3);
    EXPECT_EQ(f.ids.length(), 3);
    EXPECT_EQ(PointSelect(AcDbObjectId::kNull, P(40, 40), f.ids, f.pts, nullptr, false), 0);
    EXPECT_EQ(f.ids.length(), 3);
    EXPECT_EQ(f.pts.length(), 3);
}

// With b2D the node is taken at z 0 and distances in plan.
TEST_F(PointSelectTest, PlanOrSpace) {
    const AcDbObjectId raised = AddLine(P(0, 0, 5), P(10, 0, 5));
    Found f = Select(P(0, 0, 7), AcDbObjectId::kNull, nullptr, true);
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.ids[0], raised);
    EXPECT_TRUE(PointNear(f.pts[0], P(10, 0, 5)));
    f = Select(P(0, 0, 0), AcDbObjectId::kNull, nullptr, false);
    EXPECT_EQ(f.result, 0);
    f = Select(P(0, 0, 5), AcDbObjectId::kNull, nullptr, false);
    EXPECT_EQ(f.result, 1);
}

// A node outside the view is brought into it (the host selects only what the
// view shows); echo is off meanwhile and the variables come back.
TEST_F(PointSelectTest, PansToTheNodeAndRestoresVariables) {
    SetShort(L"cmdecho", 1);
    SetShort(L"pickstyle", 3);
    const AcDbObjectId far = AddLine(P(500, 500), P(510, 500));
    host::harness::ClearTranscript();
    Found f = Select(P(500, 500));
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.ids[0], far);
    EXPECT_TRUE(PointNear(ViewCenter(), P(500, 500)));
    AcArray<AcDbObjectId> ids;
    EXPECT_EQ(WellDimSelect(AcDbObjectId::kNull, P(0, 0), ids, nullptr), 0);
    EXPECT_TRUE(ids.isEmpty());
    EXPECT_TRUE(PointNear(ViewCenter(), P(0, 0)));
    EXPECT_EQ(GetShort(L"cmdecho"), 1);
    EXPECT_EQ(GetShort(L"pickstyle"), 3);
    EXPECT_EQ(Transcript(), L"") << "nothing echoed";
}

// The node is given in world coordinates whatever the user coordinate system.
TEST_F(PointSelectTest, WorldPointUnderAUserCoordinateSystem) {
    const AcDbObjectId line = AddLine(P(20, 30), P(25, 30));
    ASSERT_TRUE(host::harness::SetUcs(P(100, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0)));
    const Found f = Select(P(20, 30));
    ASSERT_EQ(f.result, 1);
    EXPECT_EQ(f.ids[0], line);
    AcArray<AcDbObjectId> ids;
    EXPECT_EQ(WellDimSelect(AcDbObjectId::kNull, P(25, 30), ids, nullptr), 1);
}

// Every well of a small generated network: PointSelect finds exactly the
// pipes that meet there, each with the well at its other end, and
// WellDimSelect (appending) the same pipes.
TEST_F(PointSelectTest, EveryWellOfANetwork) {
    const PipeNetwork net = BuildPipeNetwork(12, 8, 450);
    ASSERT_EQ(net.pipes.size(), 450u);
    for (int w = 0; w < static_cast<int>(net.wells.size()); ++w) {
        SCOPED_TRACE(w);
        std::vector<AcDbObjectId> expected;
        for (int p : net.pipesAt[w]) expected.push_back(net.pipes[p].id);
        std::sort(expected.begin(), expected.end());

        const Found f = Select(net.wells[w]);
        ASSERT_EQ(f.result, static_cast<int>(expected.size()));
        std::vector<AcDbObjectId> found(f.ids.begin(), f.ids.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected);
        for (int p : net.pipesAt[w]) {
            const PipeNetwork::Pipe& pipe = net.pipes[p];
            const int other = pipe.wellA == w ? pipe.wellB : pipe.wellA;
            EXPECT_TRUE(PointNear(FarEndOf(f, pipe.id), net.wells[other], 1e-9));
        }

        AcArray<AcDbObjectId> ids;
        const AcDbObjectId kept = net.pipes[0].id;
        ids.append(kept);
        EXPECT_EQ(WellDimSelect(AcDbObjectId::kNull, net.wells[w], ids, nullptr),
                  1 + static_cast<int>(expected.size()));
        EXPECT_EQ(ids[0], kept);
        std::vector<AcDbObjectId> window(ids.begin() + 1, ids.end());
        std::sort(window.begin(), window.end());
        EXPECT_EQ(window, expected);
    }
}
}  // namespace
