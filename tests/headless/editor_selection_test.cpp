// The headless editor: selection sets, filters, the view limit, the index
// following changes, scripted input, snaps and windows.
#include <acutads.h>
#include <dbpl.h>

#include <array>

#include "editor/editor_fixture.h"

namespace {

AcDbObjectId AddCircle(const AcGePoint3d& c, double r) { return HostTest::Add(new AcDbCircle(c, AcGeVector3d::kZAxis, r)); }

// Tags id with extended data of a newly registered application.
void TagWithXData(AcDbObjectId id, const wchar_t* app) {
    HostTest::RegisterApp(app);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForWrite), Acad::eOk);
    resbuf* data = acutBuildList(1001, app, 1000, L"tag", 0);
    EXPECT_EQ(obj->setXData(data), Acad::eOk);
    acutRelRb(data);
    obj->close();
}

}  // namespace

using EditorSelectionTest = EditorTest;

TEST_F(EditorSelectionTest, CrossingFindsWhatTheWindowTouchesNewestFirst) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 100);
    const AcDbObjectId through = AddLine(AcGePoint3d(-10, 0, 0), AcGePoint3d(10, 0, 0));
    const AcDbObjectId inside = AddLine(AcGePoint3d(0.1, 0.1, 0), AcGePoint3d(0.2, 0.2, 0));
    AddLine(AcGePoint3d(5, 5, 0), AcGePoint3d(6, 6, 0));  // apart
    // A circle around the window whose box covers it but whose curve does not.
    AddCircle(AcGePoint3d(0, 0, 0), 8);
    const auto ids = Crossing(-1, -1, 1, 1);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0], inside);
    EXPECT_EQ(ids[1], through);
}

TEST_F(EditorSelectionTest, FiltersOnTypeLayerAndApplication) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 100);
    AddLayer(L"Well");
    const AcDbObjectId line = AddLine(AcGePoint3d(-1, 0, 0), AcGePoint3d(1, 0, 0));
    const AcDbObjectId circle = AddCircle(AcGePoint3d(0, 0, 0), 0.5);
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(0, -1));
    pline->addVertexAt(1, AcGePoint2d(0, 1), 0.5);
    const AcDbObjectId plineId = Add(pline);
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, circle, AcDb::kForWrite), Acad::eOk);
    ent->setLayer(L"Well");
    ent->close();
    TagWithXData(line, L"DROVIK_ROAD");

    struct Case {
        const char* name;
        resbuf* filter;
        std::vector<AcDbObjectId> expected;
    };
    const Case cases[] = {
        {"type", acutBuildList(RTDXF0, L"LINE", 0), {line}},
        {"type list", acutBuildList(RTDXF0, L"circle,LINE", 0), {circle, line}},
        {"type wildcard", acutBuildList(RTDXF0, L"*POLYLINE", 0), {plineId}},
        {"type negated", acutBuildList(RTDXF0, L"~LINE", 0), {plineId, circle}},
        {"layer", acutBuildList(8, L"we?l", 0), {circle}},
        {"application", acutBuildList(-3, 1001, L"DROVIK_ROAD", 0), {line}},
        {"type and layer", acutBuildList(RTDXF0, L"LINE", 8, L"Well", 0), {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Crossing(-2, -2, 2, 2, c.filter), c.expected) << c.name;
        acutRelRb(c.filter);
    }
    resbuf* unknown = acutBuildList(RTREAL, 1.0, 0);
    ads_point a = {-2, -2, 0}, b = {2, 2, 0};
    ads_name ss;
    EXPECT_EQ(acedSSGet(L"c", a, b, unknown, ss), RTERROR) << "a filter code it cannot read";
    acutRelRb(unknown);
}

TEST_F(EditorSelectionTest, OnlyWhatIsInViewIsFoundUntilPanned) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 90);  // 160 x 90 units
    const AcDbObjectId far = AddLine(AcGePoint3d(200, 0, 0), AcGePoint3d(201, 0, 0));
    EXPECT_TRUE(Crossing(199, -1, 202, 1).empty());
    const ads_point from = {200, 0, 0}, to = {0, 0, 0};
    acedCommand(RTSTR, L"_.pan", RT3DPOINT, from, RT3DPOINT, to, 0);
    EXPECT_EQ(Crossing(199, -1, 202, 1), std::vector<AcDbObjectId>{far});
    // The whole drawing ("x") knows no view.
    acedCommand(RTSTR, L"_.pan", RT3DPOINT, to, RT3DPOINT, from, 0);
    ads_name ss;
    ASSERT_EQ(acedSSGet(L"x", nullptr, nullptr, nullptr, ss), RTNORM);
    long n = 0;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(acedSSFree(ss), RTERROR) << "freed twice";
    EXPECT_EQ(acedSSLength(ss, &n), RTERROR);
}

TEST_F(EditorSelectionTest, TheIndexFollowsEditsErasuresAndUndo) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 100);
    EXPECT_TRUE(Crossing(-1, -1, 1, 1).empty());  // the index exists from here on
    const AcDbObjectId id = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    EXPECT_EQ(Crossing(-1, -1, 1, 1).size(), 1u);
    acedCommand(RTSTR, L"_.regen", 0);  // the line's step ends here
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    line->setStartPoint(AcGePoint3d(20, 20, 0));
    line->setEndPoint(AcGePoint3d(21, 20, 0));
    line->close();
    EXPECT_TRUE(Crossing(-1, -1, 1, 1).empty());
    EXPECT_EQ(Crossing(19, 19, 22, 22).size(), 1u);
    acedCommand(RTSTR, L"_.regen", 0);  // closes the step of the move
    EraseObject(id);
    EXPECT_TRUE(Crossing(19, 19, 22, 22).empty());
    acedCommand(RTSTR, L"._u", 0);
    EXPECT_EQ(Crossing(19, 19, 22, 22).size(), 1u) << "erasure stepped back";
    acedCommand(RTSTR, L"._u", 0);
    EXPECT_EQ(Crossing(-1, -1, 1, 1).size(), 1u) << "move stepped back";
    acedCommand(RTSTR, L"._u", 0);
    EXPECT_TRUE(Crossing(-1, -1, 1, 1).empty()) << "the new line is gone";
}

TEST_F(EditorSelectionTest, ABigImportIsIndexedInOneGo) {
    host::harness::SetView(AcGePoint3d(150, 150, 0), 300);
    const AcDbObjectId early = AddLine(AcGePoint3d(0.5, 0.5, 0), AcGePoint3d(0.6, 0.6, 0));
    EXPECT_EQ(Crossing(0, 0, 1, 1).size(), 1u);
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < 70000; ++i) {  // enough to pack the tree anew
        const double x = (i % 280) + 0.25, y = (i / 280) + 0.25;
        ids.push_back(AddLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 0.5, y, 0)));
    }
    EraseObject(ids[1]);
    EXPECT_EQ(Crossing(0, 0, 1, 1), (std::vector<AcDbObjectId>{ids[0], early}));
    EXPECT_EQ(Crossing(1.1, 0.1, 1.9, 0.9).size(), 0u) << "the erased one";
    EXPECT_EQ(Crossing(279.1, 249.1, 279.9, 249.9).size(), 1u) << "the last one";
}

TEST_F(EditorSelectionTest, LastEntityAndSetLimits) {
    ads_name last;
    EXPECT_EQ(acdbEntLast(last), RTERROR);
    const AcDbObjectId first = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    const AcDbObjectId newest = AddLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    EXPECT_EQ(LastEntity(), newest);
    EraseObject(newest);
    EXPECT_EQ(LastEntity(), first);

    std::vector<std::array<long, 2>> sets;
    ads_name ss;
    while (acedSSGet(L"x", nullptr, nullptr, nullptr, ss) == RTNORM) sets.push_back({ss[0], ss[1]});
    EXPECT_EQ(sets.size(), 128u);
    EXPECT_EQ(host::harness::OpenSelectionSetCount(), 128);
    for (auto& s : sets) {
        ads_name n = {s[0], s[1]};
        acedSSFree(n);
    }
}

using EditorInputTest = EditorTest;

TEST_F(EditorInputTest, PointsKeywordsEnterAndCancelComeFromTheScript) {
    ads_point pt;
    host::harness::PushPoint(AcGePoint3d(1, 2, 0));
    EXPECT_EQ(acedGetPoint(nullptr, L"\nPoint: ", pt), RTNORM);
    EXPECT_EQ(pt[0], 1.0);
    EXPECT_TRUE(TranscriptHas(L"\nPoint: "));

    acedInitGet(0, L"Width Exit");
    host::harness::PushText(L"w");
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTKWORD);
    wchar_t keyword[512];
    acedGetInput(keyword);
    EXPECT_STREQ(keyword, L"Width");

    host::harness::PushText(L"3,4");
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTNORM) << "typed coordinates";
    EXPECT_EQ(pt[1], 4.0);

    acedInitGet(1, L"Exit");
    host::harness::PushEnter();
    host::harness::PushText(L"bogus");
    host::harness::PushText(L"E");
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTKWORD) << "Enter refused, bad text re-asked";
    host::harness::PushEnter();
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTNONE) << "the initget lasted one request";
    host::harness::PushCancel();
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTCAN);
    EXPECT_EQ(acedGetPoint(nullptr, L"", pt), RTCAN) << "an empty script never waits";
}

TEST_F(EditorInputTest, NearestSnapAndEntitySelection) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 90);  // 0.1 unit per pixel
    const AcDbObjectId line = AddLine(AcGePoint3d(-5, 0, 0), AcGePoint3d(5, 0, 0));
    ads_point pt;
    SetShort(L"osmode", 512);
    host::harness::PushPoint(AcGePoint3d(1, 0.5, 0));
    acedGetPoint(nullptr, L"", pt);
    EXPECT_NEAR(pt[1], 0.0, 1e-12) << "snapped within the aperture";
    host::harness::PushPoint(AcGePoint3d(1, 3, 0));
    acedGetPoint(nullptr, L"", pt);
    EXPECT_EQ(pt[1], 3.0) << "too far to snap";
    SetShort(L"osmode", 0);
    host::harness::PushPoint(AcGePoint3d(1, 0.5, 0));
    acedGetPoint(nullptr, L"", pt);
    EXPECT_EQ(pt[1], 0.5);

    ads_name ent;
    host::harness::PushPoint(AcGePoint3d(2, 0.1, 0));
    ASSERT_EQ(acedEntSel(L"\nPick: ", ent, pt), RTNORM);
    AcDbObjectId id;
    acdbGetObjectId(id, ent);
    EXPECT_EQ(id, line);
    host::harness::PushPoint(AcGePoint3d(2, 10, 0));
    EXPECT_EQ(acedEntSel(nullptr, ent, pt), RTERROR);
}

TEST_F(EditorInputTest, WindowsRecordTheirMessagesAndCanBeAbsent) {
    using host::harness::Window;
    CWnd* cmdLine = acedGetAcadTextCmdLine();
    ASSERT_NE(cmdLine, nullptr);
    host::harness::SetActiveCommands(L"LINE");
    host::harness::SetWindowReply(Window::kCommandLine, 7);
    EXPECT_EQ(SendMessageW(cmdLine->m_hWnd, WM_CHAR, 27, 0), 7);
    resbuf rb{};
    acedGetVar(L"CMDNAMES", &rb);
    EXPECT_STREQ(rb.resval.rstring, L"") << "escape cancels the command";
    acutDelString(rb.resval.rstring);
    const auto msgs = host::harness::WindowMessages(Window::kCommandLine);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, static_cast<UINT>(WM_CHAR));
    EXPECT_FALSE(msgs[0].posted);

    HWND frame = acedGetAcadFrame()->m_hWnd;
    EXPECT_EQ(SetActiveWindow(frame), nullptr);
    EXPECT_TRUE(host::harness::IsWindowActive(Window::kFrame));
    EnableWindow(frame, FALSE);
    EXPECT_EQ(EnableWindow(frame, TRUE), TRUE) << "it was disabled";
    host::harness::SetWindowPresent(Window::kFrame, false);
    EXPECT_EQ(acedGetAcadFrame(), nullptr);
    EXPECT_EQ(PostMessageW(frame, WM_MOUSEMOVE, 0, 0), FALSE);
    EXPECT_TRUE(host::harness::WindowMessages(Window::kFrame).empty());
}
