// The headless editor: system variables, commands and the undo journal.
#include <acutads.h>
#include <dbpl.h>
#include <dbwipeout.h>

#include <widetext.h>

#include <fstream>
#include <memory>

#include "editor/editor_fixture.h"
#include "test_support.h"

namespace {

void MoveLineStart(AcDbObjectId id, const AcGePoint3d& pt) {
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    line->setStartPoint(pt);
    line->close();
}

}  // namespace

using EditorVarsTest = EditorTest;

TEST_F(EditorVarsTest, VariablesKeepTheirTypesAndRefuseWhatTheyCannotTake) {
    const struct {
        const wchar_t* name;
        short type;
    } vars[] = {{L"CmdEcho", RTSHORT}, {L"viewctr", RT3DPOINT}, {L"screensize", RTPOINT}, {L"viewsize", RTREAL}};
    resbuf rb{};
    for (const auto& v : vars) {
        ASSERT_EQ(acedGetVar(v.name, &rb), RTNORM) << Show(v.name);
        EXPECT_EQ(rb.restype, v.type) << Show(v.name);
    }
    EXPECT_EQ(acedGetVar(L"NOSUCHVAR", &rb), RTERROR);

    resbuf value{};
    value.restype = RTREAL;
    value.resval.rreal = 1.0;
    EXPECT_EQ(acedSetVar(L"cmdecho", &value), RTERROR) << "wrong type";
    value.restype = RTSHORT;
    value.resval.rint = 7;
    EXPECT_EQ(acedSetVar(L"cmdecho", &value), RTERROR) << "out of range";
    EXPECT_EQ(acedSetVar(L"viewsize", &value), RTERROR) << "read-only";
    EXPECT_EQ(acedSetVar(L"UNDOCTL", &value), RTERROR) << "read-only";
    value.resval.rint = 0;
    EXPECT_EQ(acedSetVar(L"cmdecho", &value), RTNORM);
    EXPECT_EQ(GetShort(L"CMDECHO"), 0);
}

TEST_F(EditorVarsTest, ClayerMakesTheLayerCurrent) {
    const AcDbObjectId layer = AddLayer(L"Roads");
    auto setClayer = [](const wchar_t* name) {
        resbuf* rb = acutBuildList(RTSTR, name, 0);
        const int rc = acedSetVar(L"clayer", rb);
        acutRelRb(rb);
        return rc;
    };
    EXPECT_EQ(setClayer(L"roads"), RTNORM);
    EXPECT_EQ(Db()->clayer(), layer);
    EXPECT_EQ(setClayer(L"Missing"), RTERROR);
    EXPECT_EQ(Db()->clayer(), layer);

    resbuf rb{};
    ASSERT_EQ(acedGetVar(L"CLAYER", &rb), RTNORM);
    EXPECT_STREQ(rb.resval.rstring, L"Roads");
    acutDelString(rb.resval.rstring);
    // A new line takes the current layer.
    const AcDbObjectId line = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ent->layerId(), layer);
    ent->close();
}

using EditorCommandTest = EditorTest;

TEST_F(EditorCommandTest, UnknownCommandsAndBadTokensFailWithAMessage) {
    EXPECT_EQ(acedCommand(RTSTR, L"_FROBNICATE", 0), RTERROR);
    EXPECT_TRUE(TranscriptHas(L"Unknown command \"FROBNICATE\""));
    const ads_point pt = {1, 2, 0};
    EXPECT_EQ(acedCommand(RTSTR, L"_.pan", RTSTR, L"nonsense", 0), RTERROR);
    EXPECT_TRUE(TranscriptHas(L"Invalid point."));
    EXPECT_EQ(acedCommand(RTSTR, L"_.pan", RT3DPOINT, pt, 0), RTCAN) << "input ran out";
    EXPECT_EQ(acedCommand(RTSTR, L"UNDO", RTSTR, L"Sideways", 0), RTERROR);
}

TEST_F(EditorCommandTest, CommandEchoFollowsCmdecho) {
    SetShort(L"cmdecho", 1);
    acedCommand(RTSTR, L"._regen", 0);
    EXPECT_TRUE(TranscriptHas(L"._regen"));
    host::harness::ClearTranscript();
    SetShort(L"cmdecho", 0);
    acedCommand(RTSTR, L"._regen", 0);
    EXPECT_FALSE(TranscriptHas(L"regen"));
    EXPECT_EQ(host::harness::RegenCount(), 2);
    acutPrintf(L"%s=%d", L"n", 3);
    EXPECT_TRUE(TranscriptHas(L"n=3"));
}

TEST_F(EditorCommandTest, UStepsBackEveryChangeOfAGroup) {
    const AcDbObjectId kept = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    const AcDbObjectId erased = AddLine(AcGePoint3d(5, 5, 0), AcGePoint3d(6, 5, 0));
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"begin", 0), RTNORM);
    EXPECT_EQ(GetShort(L"UNDOCTL") & 8, 8) << "group open";
    const AcDbObjectId made = AddLine(AcGePoint3d(2, 2, 0), AcGePoint3d(3, 3, 0));
    MoveLineStart(kept, AcGePoint3d(-4, 0, 0));
    MoveLineStart(kept, AcGePoint3d(-9, 0, 0));
    EraseObject(erased);
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"end", 0), RTNORM);
    EXPECT_EQ(GetShort(L"UNDOCTL") & 8, 0);

    ASSERT_EQ(acedCommand(RTSTR, L"._u", 0), RTNORM);
    EXPECT_TRUE(made.isErased());
    EXPECT_FALSE(erased.isErased());
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, kept, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(0, 0, 0)));
    line->close();
    // Nothing of ours is left; the lines made before the journal existed stay.
    acedCommand(RTSTR, L"._u", 0);
    EXPECT_TRUE(TranscriptHas(L"Everything has been undone"));
    EXPECT_FALSE(kept.isErased());
}

// An old-style polyline is an object of its own besides its vertices: its
// flags, properties and vertex list come back too.
TEST_F(EditorCommandTest, UStepsBackChangesToAnOldStylePolyline) {
    AcGePoint3dArray pts;
    for (const AcGePoint3d& pt : {AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 3, 0)}) pts.append(pt);
    const AcDbObjectId id = Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts));
    auto state = [&] {
        AcDb2dPolyline* pline = nullptr;
        if (acdbOpenObject(pline, id, AcDb::kForRead) != Acad::eOk) return std::wstring(L"not open");
        int vertices = 0;
        std::unique_ptr<AcDbObjectIterator> it(pline->vertexIterator());
        for (; !it->done(); it->step()) ++vertices;
        const std::wstring text = std::to_wstring(pline->isClosed()) + L" " + std::to_wstring(pline->colorIndex()) +
                                  L" " + std::to_wstring(pline->elevation()) + L" " + std::to_wstring(vertices);
        pline->close();
        return text;
    };
    const std::wstring before = state();

    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"begin", 0), RTNORM);
    AcDb2dPolyline* pline = nullptr;
    ASSERT_EQ(acdbOpenObject(pline, id, AcDb::kForWrite), Acad::eOk);
    pline->makeClosed();
    pline->setColorIndex(1);
    pline->setElevation(2.5);
    AcDbObjectId vertexId;
    auto* vertex = new AcDb2dVertex(AcGePoint3d(0, 3, 0));
    ASSERT_EQ(pline->appendVertex(vertexId, vertex), Acad::eOk);
    vertex->close();
    pline->close();
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"end", 0), RTNORM);
    EXPECT_NE(state(), before);

    ASSERT_EQ(acedCommand(RTSTR, L"._u", 0), RTNORM);
    EXPECT_EQ(state(), before);
    EXPECT_TRUE(vertexId.isErased());
}

TEST_F(EditorCommandTest, UndoControlMarksAndBack) {
    acedCommand(RTSTR, L"UNDO", RTSTR, L"C", RTSTR, L"None", 0);
    EXPECT_EQ(GetShort(L"UNDOCTL"), 0);
    AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    EXPECT_EQ(host::harness::UndoStepCount(), 0) << "undo off records nothing";
    acedCommand(RTSTR, L"UNDO", RTSTR, L"A", 0);  // with undo off, A is All
    EXPECT_EQ(GetShort(L"UNDOCTL") & 1, 1);

    acedCommand(RTSTR, L"UNDO", RTSTR, L"M", 0);
    EXPECT_EQ(GetShort(L"UNDOMARKS"), 1);
    const AcDbObjectId a = AddLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    acedCommand(RTSTR, L"_.regen", 0);  // a command closes the step before it
    const AcDbObjectId b = AddLine(AcGePoint3d(0, 2, 0), AcGePoint3d(1, 2, 0));
    acedCommand(RTSTR, L"UNDO", RTSTR, L"Back", 0);
    EXPECT_TRUE(a.isErased());
    EXPECT_TRUE(b.isErased());
    EXPECT_EQ(GetShort(L"UNDOMARKS"), 0);

    acedCommand(RTSTR, L"UNDO", RTSTR, L"C", RTSTR, L"One", 0);
    EXPECT_EQ(GetShort(L"UNDOCTL") & 2, 2);
    AddLine(AcGePoint3d(0, 3, 0), AcGePoint3d(1, 3, 0));
    acedCommand(RTSTR, L"_.regen", 0);
    AddLine(AcGePoint3d(0, 4, 0), AcGePoint3d(1, 4, 0));
    acedCommand(RTSTR, L"_.regen", 0);
    EXPECT_EQ(host::harness::UndoStepCount(), 1) << "one step kept";
}

TEST_F(EditorCommandTest, ZoomPanAndNamedViews) {
    const ads_point a = {0, 0, 0}, b = {160, 45, 0};
    ASSERT_EQ(acedCommand(RTSTR, L"_.zoom", RT3DPOINT, a, RT3DPOINT, b, 0), RTNORM);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(80, 22.5, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 90.0) << "a wide window is fitted by its width";
    ASSERT_EQ(acedCommand(RTSTR, L"-view", RTSTR, L"s", RTSTR, L"Plan", 0), RTNORM);
    const ads_point p = {10, 10, 0}, q = {80, 22.5, 0};
    ASSERT_EQ(acedCommand(RTSTR, L"_.pan", RT3DPOINT, p, RT3DPOINT, q, 0), RTNORM);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(10, 10, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 90.0);
    ASSERT_EQ(acedCommand(RTSTR, L"-view", RTSTR, L"r", RTSTR, L"PLAN", 0), RTNORM);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(80, 22.5, 0)));
    ASSERT_EQ(acedCommand(RTSTR, L"-view", RTSTR, L"d", RTSTR, L"plan", 0), RTNORM);
    EXPECT_FALSE(host::harness::GetNamedView(L"Plan"));
    EXPECT_EQ(acedCommand(RTSTR, L"-view", RTSTR, L"s", RTSTR, L"a*b", 0), RTERROR);
    // Zoom previous and U both go back through the views.
    acedCommand(RTSTR, L"_.zoom", RTSTR, L"_p", 0);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(10, 10, 0)));
    acedCommand(RTSTR, L"._u", 0);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(80, 22.5, 0)));
}

TEST_F(EditorCommandTest, UndoByCountAndZoomToExtents) {
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < 3; ++i) {
        ids.push_back(AddLine(AcGePoint3d(0, i, 0), AcGePoint3d(10, i, 0)));
        acedCommand(RTSTR, L"_.regen", 0);
    }
    acedCommand(RTSTR, L"_.zoom", RTSTR, L"_E", 0);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(5, 1, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 10.0 * 900 / 1600) << "the width decides on a wide screen";
    // The zoom is a step of its own, then the two newest lines.
    acedCommand(RTSTR, L"UNDO", RTSTR, L"3", 0);
    EXPECT_FALSE(ids[0].isErased());
    EXPECT_TRUE(ids[1].isErased());
    EXPECT_TRUE(ids[2].isErased());
    EXPECT_EQ(acedCommand(RTSTR, L"UNDO", RTSTR, L"-2", 0), RTERROR);
}

TEST_F(EditorCommandTest, LinetypesLoadFromTheHostFile) {
    ASSERT_EQ(acedCommand(RTSTR, L"-linetype", RTSTR, L"l", RTSTR, L"dashed,center", RTSTR, L"", RTSTR, L"", 0),
              RTNORM);
    EXPECT_TRUE(HasRecord<AcDbLinetypeTable>(L"DASHED"));
    EXPECT_TRUE(HasRecord<AcDbLinetypeTable>(L"Center"));
    EXPECT_FALSE(HasRecord<AcDbLinetypeTable>(L"HIDDEN"));
    acedCommand(RTSTR, L"-linetype", RTSTR, L"l", RTSTR, L"NOPE", RTSTR, L"", RTSTR, L"", 0);
    EXPECT_TRUE(TranscriptHas(L"not found"));
    acedCommand(RTSTR, L"-linetype", RTSTR, L"l", RTSTR, L"DOT", RTSTR, L"/no/such/file.lin", RTSTR, L"", 0);
    EXPECT_TRUE(TranscriptHas(L"Cannot find file"));
}

TEST_F(EditorCommandTest, WipeoutsFromPointsAndFromAPolyline) {
    const ads_point p0 = {0, 0, 0}, p1 = {4, 0, 0}, p2 = {4, 3, 0};
    ASSERT_EQ(acedCommand(RTSTR, L"_WIPEOUT", RTPOINT, p0, RTPOINT, p1, RTPOINT, p2, RTSTR, L"", 0), RTNORM);
    AcDbWipeout* w = nullptr;
    ASSERT_EQ(acdbOpenObject(w, LastEntity(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(w->boundary().size(), 3u);
    w->close();
    EXPECT_EQ(acedCommand(RTSTR, L"_WIPEOUT", RTPOINT, p0, RTPOINT, p1, RTSTR, L"", 0), RTERROR);

    EXPECT_TRUE(host::harness::WipeoutFramesShown());
    acedCommand(RTSTR, L"_wipeout", RTSTR, L"F", RTSTR, L"OFF", 0);
    EXPECT_FALSE(host::harness::WipeoutFramesShown());

    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(10, 10));
    pline->addVertexAt(1, AcGePoint2d(12, 10));
    pline->addVertexAt(2, AcGePoint2d(12, 12));
    pline->setClosed(true);
    const AcDbObjectId plineId = Add(pline);
    ads_name plineName;
    acdbGetAdsName(plineName, plineId);
    ASSERT_EQ(acedCommand(RTSTR, L"_wipeout", RTSTR, L"P", RTENAME, plineName, RTSTR, L"Y", 0), RTNORM);
    EXPECT_TRUE(plineId.isErased());
    const AcDbObjectId made = LastEntity();
    EXPECT_FALSE(made.isNull());
    EXPECT_NE(made, plineId);
}

TEST_F(EditorCommandTest, QueuedStringsRunAsTyped) {
    AcApDocManager* mgr = acDocManagerPtr();
    ASSERT_EQ(mgr->sendStringToExecute(mgr->curDocument(), L"_.zoom _c 5,5 20 "), Acad::eOk);
    EXPECT_EQ(host::harness::QueuedCommandStrings().size(), 1u);
    EXPECT_EQ(host::harness::RunQueuedCommands(), RTNORM);
    EXPECT_TRUE(ViewCenter().isEqualTo(AcGePoint3d(5, 5, 0)));
    EXPECT_DOUBLE_EQ(ViewSize(), 20.0);
    EXPECT_TRUE(host::harness::QueuedCommandStrings().empty());
    EXPECT_EQ(mgr->sendStringToExecute(nullptr, L"x"), Acad::eInvalidInput);
}

TEST_F(EditorCommandTest, ProgramFolderHoldsTheLinetypeFile) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring folder(path, n);
#if defined(_WIN32)
    folder = folder.substr(0, folder.find_last_of(L"/\\") + 1);
#else
    folder = folder.substr(0, folder.find_last_of(L'/') + 1);
#endif
    std::ifstream lin(NativePath(CString(folder + L"acadiso.lin")));
    EXPECT_TRUE(lin.good());
    wchar_t tiny[4];
    EXPECT_EQ(GetModuleFileNameW(nullptr, tiny, 4), 4u) << "cut to the buffer";
    EXPECT_EQ(tiny[3], L'\0');
}
