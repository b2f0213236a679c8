// The typical request, end to end: the user picks a line, the client grows
// the chain it belongs to, offsets it inside one undo group and later steps
// the group back.
#include <cstdio>
#include <string>
#include <vector>

#include "chains/entity_checks.h"
#include "drovik/chains/link.h"
#include "drovik/chains/offset_ents.h"
#include "drovik/chains/select.h"
#include "drovik/editor/command.h"
#include "editor/editor_fixture.h"

namespace {
constexpr double kPi = 3.141592653589793;

// One text per live entity of model space: its class, layer and geometry.
std::vector<std::string> DrawingState() {
    std::vector<std::string> state;
    char text[256];
    for (AcDbObjectId id : host::harness::ModelSpaceIds()) {
        AcDbEntity* ent = nullptr;
        if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) {
            state.push_back("<cannot open>");
            continue;
        }
        const std::string layer = host::WideToUtf8(ent->layer().str());
        if (const AcDbLine* line = AcDbLine::cast(ent)) {
            std::snprintf(text, sizeof text, "line %s (%.9f %.9f %.9f)-(%.9f %.9f %.9f)", layer.c_str(),
                          line->startPoint().x, line->startPoint().y, line->startPoint().z, line->endPoint().x,
                          line->endPoint().y, line->endPoint().z);
        } else if (const AcDbArc* arc = AcDbArc::cast(ent)) {
            std::snprintf(text, sizeof text, "arc %s (%.9f %.9f) r%.9f %.9f..%.9f", layer.c_str(), arc->center().x,
                          arc->center().y, arc->radius(), arc->startAngle(), arc->endAngle());
        } else if (const AcDbCircle* circle = AcDbCircle::cast(ent)) {
            std::snprintf(text, sizeof text, "circle %s (%.9f %.9f) r%.9f", layer.c_str(), circle->center().x,
                          circle->center().y, circle->radius());
        } else {
            std::snprintf(text, sizeof text, "other %s", layer.c_str());
        }
        ent->close();
        state.push_back(text);
    }
    return state;
}

class OffsetRequestTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host::harness::SetView(P(10, 6), 40);
    }
};

TEST_F(OffsetRequestTest, PickGrowOffsetAndStepBack) {
    // The chain: a line, a tangent arc, a line up, and a line back west (a
    // left turn, so its offset join is a trim); beside it a circle and a line
    // that touch nothing.
    const AcDbObjectId west = AddLine(P(15, 12), P(5, 12));
    const AcDbObjectId up = AddLine(P(15, 5), P(15, 12));
    const AcDbObjectId bend = Add(new AcDbArc(P(10, 5), 5, 3 * kPi / 2, 0));  // (10,0) to (15,5)
    const AcDbObjectId first = AddLine(P(10, 0), P(0, 0));                    // drawn against travel
    Add(new AcDbCircle(P(30, 0), AcGeVector3d::kZAxis, 2));
    AddLine(P(0, 20), P(8, 20));
    UndoInit();
    const std::vector<std::string> before = DrawingState();
    SetShort(L"osmode", 0);

    // 1. The user picks the first line.
    host::harness::PushPoint(P(4, 0));
    AcDbObjectId picked;
    AcGePoint3d ptPick;
    CString keyword;
    ASSERT_EQ(SelectOneEnt(picked, ptPick, L"\nPick the pipe:", keyword, L"LINE,ARC", L"", L""), RTNORM);
    ASSERT_EQ(picked, first);

    // 2. Grow the chain from the picked line until no candidate links.
    AcArray<AcDbObjectId> chain;
    chain.append(picked);
    AcGePoint3d head, tail;
    stArcPara unused;
    GetLineArcEndpt(picked, head, tail, unused);
    std::vector<int> codes;
    for (bool grown = true; grown;) {
        grown = false;
        for (AcDbObjectId id : host::harness::ModelSpaceIds()) {
            if (chain.contains(id)) continue;
            int code = -1;
            if (LinkEnt(id, chain, head, tail, code, true) && code != 0) {
                codes.push_back(code);
                grown = true;
            }
        }
    }
    // Each candidate met the head: all were prepended.
    ASSERT_EQ(chain.length(), 4);
    EXPECT_EQ(codes, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(std::vector<AcDbObjectId>(chain.begin(), chain.end()),
              (std::vector<AcDbObjectId>{west, up, bend, first}));
    EXPECT_TRUE(PointNear(head, P(5, 12)));
    EXPECT_TRUE(PointNear(tail, P(0, 0)));

    // 3-4. Offset by 1 to the inside (judged against the first member, the
    // west line), in one undo group.
    ASSERT_TRUE(UndoBegin());
    AcArray<AcDbObjectId> made;
    AcGePoint3d ptNewStart, ptNewEnd;
    OffsetEnts(chain, head, P(5, 3), 1, made, ptNewStart, ptNewEnd);
    ASSERT_TRUE(UndoEnd());

    // 5. The new entities, the first trimmed at its join with the second.
    ASSERT_EQ(made.length(), 4);
    DrawingTest::ExpectLine(made[0], P(5, 11), P(14, 11), "trimmed back to the join");
    DrawingTest::ExpectLine(made[1], P(14, 11), P(14, 5), "second");
    const stArcPara arc = DrawingTest::ArcOfEnt(made[2]);
    EXPECT_NEAR(arc.radius, 4, 1e-9);
    EXPECT_TRUE(PointNear(arc.ptCenter, P(10, 5), 1e-9));
    EXPECT_TRUE(PointNear(arc.ptStart, P(10, 1), 1e-9));
    EXPECT_TRUE(PointNear(arc.ptEnd, P(14, 5), 1e-9));
    DrawingTest::ExpectLine(made[3], P(10, 1), P(0, 1), "fourth");
    EXPECT_TRUE(PointNear(ptNewStart, P(5, 11), 1e-9));
    EXPECT_TRUE(PointNear(ptNewEnd, P(0, 1), 1e-9));
    EXPECT_EQ(DrawingState().size(), before.size() + 4);

    // Stepping the group back leaves the drawing exactly as it was.
    ASSERT_TRUE(UndoStep());
    EXPECT_EQ(DrawingState(), before);
    EXPECT_EQ(GetShort(L"osmode"), 0);
}
}  // namespace
