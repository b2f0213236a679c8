// Linking lines and arcs into chains held as ids, vertices or points.
#include <cmath>

#include "chains/entity_checks.h"
#include "chains/entity_kind.h"
#include "drovik/chains/link.h"
#include "drovik/geometry/polyline.h"

namespace {
constexpr double kPi = 3.141592653589793;

class LinkTest : public DrawingTest {};

TEST_F(LinkTest, TypeTestsAndEndPoints) {
    const AcDbObjectId line = AddLine(P(1, 2), P(5, 2));
    const AcDbObjectId arc = AddArc(P(0, 0), 2, 0, kPi / 2);
    const AcDbObjectId circle = AddCircle(P(0, 0), 2);
    const AcDbObjectId erased = AddLine(P(0, 0), P(1, 0));
    EraseObject(erased);
    EXPECT_TRUE(IsLineEnt(line));
    EXPECT_FALSE(IsLineEnt(arc));
    EXPECT_TRUE(IsArcEnt(arc));
    EXPECT_FALSE(IsArcEnt(circle)) << "a circle is no arc";
    EXPECT_FALSE(IsLineEnt(erased));
    EXPECT_FALSE(IsArcEnt(AcDbObjectId::kNull));

    AcGePoint3d s, e;
    stArcPara rec;
    EXPECT_TRUE(GetLineArcEndpt(line, s, e, rec));
    EXPECT_TRUE(PointNear(s, P(1, 2)));
    EXPECT_TRUE(PointNear(e, P(5, 2)));

    EXPECT_FALSE(GetLineArcEndpt(arc, s, e, rec));
    EXPECT_TRUE(PointNear(s, P(2, 0)));
    EXPECT_TRUE(PointNear(e, P(0, 2)));
    EXPECT_NEAR(rec.radius, 2, 1e-12);

    // Neither a line nor an arc: the record keeps what it held and the ends
    // are copied from it.
    rec.ptStart = P(7, 7);
    rec.ptEnd = P(8, 8);
    EXPECT_FALSE(GetLineArcEndpt(circle, s, e, rec));
    EXPECT_TRUE(PointNear(s, P(7, 7)));
    EXPECT_TRUE(PointNear(e, P(8, 8)));
}

// Each code of the id-array form: where the id goes and which end moves.
TEST_F(LinkTest, IdArrayCodes) {
    const struct {
        const char* name;
        AcGePoint3d a, b;  // candidate line
        int code;
        bool result;
        AcGePoint3d head, tail;  // afterwards
        int index;               // where the id went, -1: nowhere
    } cases[] = {
        {"first point on tail", P(10, 0), P(10, 5), 1, true, P(0, 0), P(10, 5), 2},
        {"second point on tail", P(10, 5), P(10, 0), 2, true, P(0, 0), P(10, 5), 2},
        {"first point on head", P(0, 0), P(-3, 4), 3, true, P(-3, 4), P(10, 0), 0},
        {"second point on head", P(-3, 4), P(0, 0), 4, true, P(-3, 4), P(10, 0), 0},
        {"near the tail within tolerance", P(10.0009, 0), P(20, 0), 1, true, P(0, 0), P(20, 0), 2},
        {"just beyond tolerance", P(10.0011, 0), P(20, 0), 0, false, P(0, 0), P(10, 0), -1},
        {"closing a loop goes to the tail", P(10, 0), P(0, 0), 1, true, P(0, 0), P(0, 0), 2},
        {"degenerate candidate", P(10, 0), P(10.0005, 0), 0, true, P(0, 0), P(10, 0), -1},
    };
    for (const auto& c : cases) {
        const AcDbObjectId a = AddLine(P(0, 0), P(5, 0));
        const AcDbObjectId b = AddLine(P(5, 0), P(10, 0));
        AcArray<AcDbObjectId> ids;
        ids.append(a);
        ids.append(b);
        AcGePoint3d head = P(0, 0), tail = P(10, 0);
        const AcDbObjectId cand = AddLine(c.a, c.b);
        int code = -7;
        EXPECT_EQ(LinkEnt(cand, ids, head, tail, code, false), c.result) << c.name;
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_TRUE(PointNear(head, c.head)) << c.name;
        EXPECT_TRUE(PointNear(tail, c.tail)) << c.name;
        EXPECT_EQ(ids.length(), c.index < 0 ? 2 : 3) << c.name;
        if (c.index >= 0) {
            EXPECT_EQ(ids[c.index], cand) << c.name;
        }
    }
}

TEST_F(LinkTest, PlanarOrSpatialDistance) {
    const AcDbObjectId cand = AddLine(P(0, 0, 0), P(10, 0, 0));
    AcArray<AcDbObjectId> ids;
    AcGePoint3d head = P(50, 50, 0), tail = P(10, 0, 5);
    int code = -1;
    EXPECT_FALSE(LinkEnt(cand, ids, head, tail, code, false));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(ids.isEmpty());
    EXPECT_TRUE(LinkEnt(cand, ids, head, tail, code, true));
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(PointNear(tail, P(0, 0, 0)));

    // A vertical candidate is degenerate only in plan.
    const AcDbObjectId riser = AddLine(P(0, 0, 0), P(0, 0, 3));
    EXPECT_TRUE(LinkEnt(riser, ids, head, tail, code, true));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(LinkEnt(riser, ids, head, tail, code, false));
    EXPECT_EQ(code, 1);
}

TEST_F(LinkTest, EntitiesThatAreNoLineOrArcAreRefused) {
    const AcDbObjectId circle = AddCircle(P(0, 0), 1);
    AcArray<AcDbObjectId> ids;
    CPolyLineVertexArray vertexs;
    // A head and tail at the origin, where an unread record's points would be.
    AcGePoint3d head = P(0, 0), tail = P(0, 0);
    for (AcDbObjectId id : {circle, AcDbObjectId::kNull}) {
        int code = -1;
        EXPECT_FALSE(LinkEnt(id, ids, head, tail, code, true));
        EXPECT_EQ(code, 0);
        code = -1;
        EXPECT_FALSE(LinkEnt(id, head, tail, code, vertexs, true));
        EXPECT_EQ(code, 0);
    }
    EXPECT_TRUE(ids.isEmpty());
    EXPECT_EQ(vertexs.GetSize(), 0);
}

// An arc joined at its end point to the tail enters as its end point with the
// negated bulge; the vertices plus the tail redraw the chain exactly.
TEST_F(LinkTest, VertexArrayRedrawsTheChain) {
    // Chain: (0,0) -line- (10,0) -arc ccw about (10,5)- (15,5) -line- (15,12),
    // fed in a scrambled order and orientation.
    const AcDbObjectId line1 = AddLine(P(10, 0), P(0, 0));
    const AcDbObjectId arc = AddArc(P(10, 5), 5, 3 * kPi / 2, 0);  // (10,0) to (15,5)
    const AcDbObjectId line2 = AddLine(P(15, 12), P(15, 5));
    const AcDbObjectId arc2 = AddArc(P(15, 15), 3, kPi, 3 * kPi / 2);  // (12,15) to (15,12)
    CPolyLineVertexArray vertexs;
    AcGePoint3d head = P(10, 0), tail = P(10, 0);
    int code = -1;
    // The arc's start touches the tail: appended forwards.
    ASSERT_TRUE(LinkEnt(arc, head, tail, code, vertexs, false));
    EXPECT_EQ(code, 1);
    ASSERT_TRUE(LinkEnt(line1, head, tail, code, vertexs, false));
    EXPECT_EQ(code, 3);
    ASSERT_TRUE(LinkEnt(line2, head, tail, code, vertexs, false));
    EXPECT_EQ(code, 2);
    // This arc's end point touches the tail: (its end, -bulge) at the end.
    ASSERT_TRUE(LinkEnt(arc2, head, tail, code, vertexs, false));
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(PointNear(head, P(0, 0)));
    EXPECT_TRUE(PointNear(tail, P(12, 15)));
    ASSERT_EQ(vertexs.GetSize(), 4);
    const double quarter = std::tan(kPi / 8);
    const struct {
        AcGePoint3d pt;
        double bulge;
    } expected[] = {{P(0, 0), 0}, {P(10, 0), quarter}, {P(15, 5), 0}, {P(15, 12), -quarter}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(PointNear(vertexs[i].pt, expected[i].pt)) << i;
        EXPECT_NEAR(vertexs[i].bulge, expected[i].bulge, 1e-12) << i;
        EXPECT_TRUE(PointNear(vertexs[i].pt2, P(0, 0))) << i;
    }
    // The bulged segments are the arcs that were linked.
    CPolyLineVertex last(tail, 0.0);
    stArcPara seg;
    ASSERT_TRUE(CPolyLine::GetArcPara(vertexs[1], vertexs[2], seg));
    EXPECT_TRUE(PointNear(seg.ptCenter, P(10, 5), 1e-9));
    ASSERT_TRUE(CPolyLine::GetArcPara(vertexs[3], last, seg));
    EXPECT_TRUE(PointNear(seg.ptCenter, P(15, 15), 1e-9));
    EXPECT_NEAR(seg.radius, 3, 1e-9);
}

TEST_F(LinkTest, VertexArrayPrependsAtTheHead) {
    const AcDbObjectId arc = AddArc(P(0, 0), 1, 0, kPi / 2);  // (1,0) to (0,1)
    CPolyLineVertexArray vertexs;
    AcGePoint3d head = P(1, 0), tail = P(5, 5);
    int code = -1;
    ASSERT_TRUE(LinkEnt(arc, head, tail, code, vertexs, true));
    EXPECT_EQ(code, 3);  // first point on the head: runs backwards into the chain
    EXPECT_TRUE(PointNear(head, P(0, 1)));
    ASSERT_EQ(vertexs.GetSize(), 1);
    EXPECT_TRUE(PointNear(vertexs[0].pt, P(0, 1)));
    EXPECT_NEAR(vertexs[0].bulge, -std::tan(kPi / 8), 1e-12);

    head = P(0, 1);
    const AcDbObjectId arc2 = AddArc(P(0, 2), 1, 0, 3 * kPi / 2);  // (1,2) to (0,1)
    ASSERT_TRUE(LinkEnt(arc2, head, tail, code, vertexs, true));
    EXPECT_EQ(code, 4);
    EXPECT_TRUE(PointNear(head, P(1, 2)));
    EXPECT_TRUE(PointNear(vertexs[0].pt, P(1, 2)));
    EXPECT_NEAR(vertexs[0].bulge, std::tan(3 * kPi / 8), 1e-12);
}

TEST_F(LinkTest, PointArray) {
    AcArray<AcGePoint3d> pts;
    int code = -1;
    EXPECT_FALSE(LinkEnt(CPolyLineVertex(P(0, 0), P(1, 0)), pts, code, true));
    EXPECT_EQ(code, 5);

    pts.append(P(0, 0));
    pts.append(P(5, 0));
    const struct {
        CPolyLineVertex seg;
        int code;
        AcGePoint3d added;
        bool atEnd;
    } steps[] = {
        {CPolyLineVertex(P(5, 0), P(5, 5)), 1, P(5, 5), true},
        {CPolyLineVertex(P(9, 9), P(5, 5)), 2, P(9, 9), true},
        {CPolyLineVertex(P(0, 0), P(-1, 0)), 3, P(-1, 0), false},
        {CPolyLineVertex(P(-1, -1), P(-1, 0)), 4, P(-1, -1), false},
    };
    for (const auto& s : steps) {
        const int before = pts.length();
        EXPECT_TRUE(LinkEnt(s.seg, pts, code, true));
        EXPECT_EQ(code, s.code);
        ASSERT_EQ(pts.length(), before + 1);
        EXPECT_TRUE(PointNear(s.atEnd ? pts.last() : pts.first(), s.added)) << s.code;
    }
    EXPECT_FALSE(LinkEnt(CPolyLineVertex(P(50, 0), P(60, 0)), pts, code, true));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(LinkEnt(CPolyLineVertex(P(50, 0), P(50, 0.0001)), pts, code, true));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(pts.length(), 6);
}
}  // namespace
