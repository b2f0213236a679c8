// Offsetting chains of drawing lines and arcs into new entities.
#include <cmath>
#include <utility>
#include <vector>

#include "chains/entity_checks.h"
#include "drovik/chains/offset_ents.h"
#include "drovik/drawing/edits.h"

namespace {
constexpr double kPi = 3.141592653589793;

class OffsetEntsTest : public DrawingTest {
protected:
    struct Result {
        AcArray<AcDbObjectId> ids;
        AcGePoint3d start = P(-99, -99);
        AcGePoint3d end = P(-99, -99);
    };
    static Result Offset(const std::vector<AcDbObjectId>& chain, const AcGePoint3d& ptStart,
                         const AcGePoint3d& ptSide, double dist) {
        AcArray<AcDbObjectId> ids;
        for (AcDbObjectId id : chain) ids.append(id);
        Result r;
        OffsetEnts(ids, ptStart, ptSide, dist, r.ids, r.start, r.end);
        return r;
    }
    static std::vector<AcDbObjectId> NewEntities(int before) {
        const std::vector<AcDbObjectId> all = host::harness::ModelSpaceIds();
        return std::vector<AcDbObjectId>(all.begin() + before, all.end());
    }
};

// Chains of lines. Inside a corner the first new line is shortened to the
// join, outside it is lengthened. Drawn against the direction of travel, or
// walked from the other end, the orientation step reverses each entity, so
// the offset is the same chain. A side point on the line goes right.
TEST_F(OffsetEntsTest, LineChains) {
    using Seg = std::pair<AcGePoint3d, AcGePoint3d>;
    const struct {
        const char* name;
        std::vector<Seg> lines;
        AcGePoint3d start, side;
        double dist;
        std::vector<Seg> want;
    } cases[] = {
        {"corner inside is trimmed", {{P(0, 0), P(10, 0)}, {P(10, 0), P(10, 10)}}, P(0, 0), P(5, 1), 1,
         {{P(0, 1), P(9, 1)}, {P(9, 1), P(9, 10)}}},
        {"corner outside is extended", {{P(0, 0), P(10, 0)}, {P(10, 0), P(10, 10)}}, P(0, 0), P(5, -1), 2,
         {{P(0, -2), P(12, -2)}, {P(12, -2), P(12, 10)}}},
        {"drawn against travel", {{P(10, 0), P(0, 0)}, {P(10, 10), P(10, 0)}}, P(0, 0), P(5, 1), 1,
         {{P(0, 1), P(9, 1)}, {P(9, 1), P(9, 10)}}},
        {"walked from the other end", {{P(10, 10), P(10, 0)}, {P(10, 0), P(0, 0)}}, P(10, 10), P(9, 5), 1,
         {{P(9, 10), P(9, 1)}, {P(9, 1), P(0, 1)}}},
        {"collinear lines are not trimmed", {{P(0, 0), P(5, 0)}, {P(5, 0), P(10, 0)}}, P(0, 0), P(2, 3), 0.5,
         {{P(0, 0.5), P(5, 0.5)}, {P(5, 0.5), P(10, 0.5)}}},
        {"side point on the line goes right", {{P(0, 0), P(10, 0)}}, P(0, 0), P(20, 0), 1, {{P(0, -1), P(10, -1)}}},
    };
    for (const auto& tc : cases) {
        std::vector<AcDbObjectId> chain;
        for (const Seg& l : tc.lines) chain.push_back(AddLine(l.first, l.second));
        const Result r = Offset(chain, tc.start, tc.side, tc.dist);
        ASSERT_EQ(r.ids.length(), static_cast<int>(tc.want.size())) << tc.name;
        for (int i = 0; i < r.ids.length(); ++i) {
            ExpectLine(r.ids[i], tc.want[i].first, tc.want[i].second, tc.name);
            CString layer;
            AcDbObjectId id = r.ids[i];
            EXPECT_TRUE(GetEntLayer(id, layer)) << tc.name;
            EXPECT_EQ(layer, CString(L"0")) << tc.name;
        }
        EXPECT_TRUE(PointNear(r.start, tc.want.front().first, 1e-9)) << tc.name;
        EXPECT_TRUE(PointNear(r.end, tc.want.back().second, 1e-9)) << tc.name;
    }
}

// A line running tangent into an arc: the offsets stay joined without trimming.
TEST_F(OffsetEntsTest, TangentLineAndArc) {
    const AcDbObjectId line = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId arc = AddArc(P(10, 5), 5, 3 * kPi / 2, 0);  // (10,0) ccw to (15,5)
    const AcDbObjectId exit = AddLine(P(15, 5), P(15, 12));
    const Result inside = Offset({line, arc, exit}, P(0, 0), P(5, 1), 1);
    ASSERT_EQ(inside.ids.length(), 3);
    ExpectLine(inside.ids[0], P(0, 1), P(10, 1), "line");
    const stArcPara a = ArcOfEnt(inside.ids[1]);
    EXPECT_NEAR(a.radius, 4, 1e-9);
    EXPECT_TRUE(PointNear(a.ptCenter, P(10, 5)));
    EXPECT_TRUE(PointNear(a.ptStart, P(10, 1), 1e-9));
    EXPECT_TRUE(PointNear(a.ptEnd, P(14, 5), 1e-9));
    ExpectLine(inside.ids[2], P(14, 5), P(14, 12), "exit line");
    EXPECT_TRUE(PointNear(inside.end, P(14, 12)));

    const Result outside = Offset({line, arc, exit}, P(0, 0), P(5, -1), 1);
    EXPECT_NEAR(ArcOfEnt(outside.ids[1]).radius, 6, 1e-9);
    ExpectLine(outside.ids[2], P(16, 5), P(16, 12), "exit line outside");
}

// A chain that starts with an arc travelled clockwise: ptSide inside the
// circle means inward, which is the right of a clockwise travel.
TEST_F(OffsetEntsTest, FirstArcTravelledClockwise) {
    const AcDbObjectId arc = AddArc(P(0, 0), 5, 0, kPi / 2);  // (5,0) ccw to (0,5)
    const AcDbObjectId line = AddLine(P(5, 0), P(5, -10));
    const Result r = Offset({arc, line}, P(0, 5), P(1, 1), 2);
    ASSERT_EQ(r.ids.length(), 2);
    const stArcPara a = ArcOfEnt(r.ids[0]);
    EXPECT_NEAR(a.radius, 3, 1e-9);
    EXPECT_TRUE(PointNear(r.start, P(0, 3), 1e-9));
    // Travelling down (0,-1), the right is -X.
    ExpectLine(r.ids[1], P(3, 0), P(3, -10), "line after the arc");
    EXPECT_TRUE(PointNear(r.end, P(3, -10), 1e-9));
}

TEST_F(OffsetEntsTest, ArcCollapsingToItsCentreGivesANullId) {
    const AcDbObjectId arc = AddArc(P(0, 0), 2, 0, kPi);
    const AcDbObjectId line = AddLine(P(-2, 0), P(-2, -5));
    const int before = ModelSpaceCount();
    const Result r = Offset({arc, line}, P(2, 0), P(0, 1), 2);
    ASSERT_EQ(r.ids.length(), 2);
    EXPECT_TRUE(r.ids[0].isNull());
    EXPECT_FALSE(r.ids[1].isNull());
    EXPECT_EQ(ModelSpaceCount(), before + 1);
    EXPECT_TRUE(PointNear(r.start, P(0, 0), 1e-9)) << "the collapsed arc's points all the same";
}

TEST_F(OffsetEntsTest, EmptyChainAndRepeatedCalls) {
    AcArray<AcDbObjectId> none;
    AcArray<AcDbObjectId> out;
    AcGePoint3d s = P(7, 7), e = P(8, 8);
    const int before = ModelSpaceCount();
    OffsetEnts(none, P(0, 0), P(0, 1), 1, out, s, e);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(PointNear(s, P(7, 7)));
    EXPECT_TRUE(PointNear(e, P(8, 8)));
    EXPECT_EQ(ModelSpaceCount(), before);

    AcArray<AcDbObjectId> chain;
    chain.append(AddLine(P(0, 0), P(10, 0)));
    OffsetEnts(chain, P(0, 0), P(0, 1), 1, out, s, e);
    OffsetEnts(chain, P(0, 0), P(0, -1), 1, out, s, e);
    ASSERT_EQ(out.length(), 2);
    ExpectLine(out[0], P(0, 1), P(10, 1), "first call");
    ExpectLine(out[1], P(0, -1), P(10, -1), "second call appended");
}

// Anything but a line or an arc is skipped with a null id in its place and
// the chain goes on from where it was.
TEST_F(OffsetEntsTest, OtherEntitiesAreSkipped) {
    const AcDbObjectId a = AddLine(P(0, 0), P(10, 0));
    const AcDbObjectId circle = AddCircle(P(3, 3), 1);
    const AcDbObjectId b = AddLine(P(10, 0), P(10, 10));
    const Result r = Offset({a, circle, b}, P(0, 0), P(5, 1), 1);
    ASSERT_EQ(r.ids.length(), 3);
    EXPECT_TRUE(r.ids[1].isNull());
    ExpectLine(r.ids[0], P(0, 1), P(10, 1), "not trimmed across the gap");
    ExpectLine(r.ids[2], P(9, 0), P(9, 10), "second line");
}

// Property: a random zig-zag of lines offset to the left; every new line is
// parallel to its source at the distance, and consecutive new lines meet.
TEST_F(OffsetEntsTest, ZigZagStaysParallelAndJoined) {
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) % 1000) / 1000.0;
    };
    std::vector<AcGePoint3d> pts = {P(0, 0)};
    for (int i = 0; i < 20; ++i) {
        const AcGePoint3d& last = pts.back();
        pts.push_back(P(last.x + 5 + 5 * next(), last.y + (i % 2 ? 1 : -1) * (3 + 5 * next())));
    }
    AcArray<AcDbObjectId> chain;
    for (size_t i = 0; i + 1 < pts.size(); ++i) chain.append(AddLine(pts[i], pts[i + 1]));
    AcArray<AcDbObjectId> out;
    AcGePoint3d s, e;
    const double dist = 0.75;
    const AcGeVector3d first = pts[1] - pts[0];
    OffsetEnts(chain, pts[0], pts[0] + AcGeVector3d(-first.y, first.x, 0), dist, out, s, e);
    ASSERT_EQ(out.length(), chain.length());
    for (int i = 0; i < out.length(); ++i) {
        const LineEnds src = LineOf(chain[i]);
        const LineEnds off = LineOf(out[i]);
        const AcGeVector3d dir = (src.end - src.start).normal();
        for (const AcGePoint3d& pt : {off.start, off.end}) {
            const AcGeVector3d v = pt - src.start;
            EXPECT_NEAR(dir.x * v.y - dir.y * v.x, dist, 1e-9) << "segment " << i;
        }
        if (i > 0) {
            EXPECT_TRUE(PointNear(LineOf(out[i - 1]).end, off.start, 1e-9)) << "join " << i;
        }
    }
}
}  // namespace
