// Undo groups, the command line, the host window and the program folder.
#include <fstream>

#include <widetext.h>

#include "test_support.h"

#include "drovik/editor/command.h"
#include "editor/editor_fixture.h"

using host::harness::Window;

namespace {
const wchar_t kAllUndone[] = L"\n已全部回退!";

std::vector<AcDbObjectId> Live() { return host::harness::ModelSpaceIds(); }
}  // namespace

using UndoTest = EditorTest;

TEST_F(UndoTest, AScriptedSessionStepsBackGroupByGroup) {
    const AcDbObjectId before = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    UndoInit();
    const auto initial = Live();

    ASSERT_TRUE(UndoBegin());
    const AcDbObjectId first = AddLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    ASSERT_TRUE(UndoEnd());
    const auto afterFirst = Live();

    ASSERT_TRUE(UndoBegin());
    AddLine(AcGePoint3d(0, 2, 0), AcGePoint3d(1, 2, 0));
    EraseObject(first);
    EraseObject(before);
    ASSERT_TRUE(UndoEnd());
    EXPECT_EQ(Live().size(), 1u);

    EXPECT_TRUE(UndoStep());
    EXPECT_EQ(Live(), afterFirst);
    EXPECT_TRUE(UndoStep());
    EXPECT_EQ(Live(), initial);
    host::harness::ClearTranscript();
    EXPECT_FALSE(UndoStep());
    EXPECT_EQ(Transcript(), kAllUndone);
    EXPECT_EQ(Live(), initial) << "nothing beyond our groups is undone";
}

TEST_F(UndoTest, GuardsAndSeparateDocuments) {
    EXPECT_FALSE(UndoStep()) << "UndoInit never ran";
    EXPECT_TRUE(TranscriptHas(kAllUndone));
    EXPECT_FALSE(UndoBegin());
    EXPECT_FALSE(UndoEnd());

    UndoInit();
    ASSERT_TRUE(UndoBegin());
    AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    EXPECT_TRUE(UndoEnd());
    host::harness::ClearTranscript();
    EXPECT_FALSE(UndoEnd()) << "second end";
    EXPECT_TRUE(Transcript().empty()) << "and no command";

    AcApDocument* first = acDocManagerPtr()->curDocument();
    host::harness::NewDocument(L"Other.dwg");
    EXPECT_FALSE(UndoStep()) << "the other drawing has its own count";
    UndoInit();
    ASSERT_TRUE(UndoBegin());
    const AcDbObjectId other = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0));
    ASSERT_TRUE(UndoEnd());
    host::harness::ActivateDocument(first);
    EXPECT_TRUE(UndoStep());
    EXPECT_TRUE(host::harness::ModelSpaceIds().empty());
    EXPECT_FALSE(UndoStep());
    EXPECT_FALSE(other.isErased());
}

TEST_F(UndoTest, UndoCtrlTurnsUndoOnAndEndsAnOpenGroup) {
    acedCommand(RTSTR, L"UNDO", RTSTR, L"C", RTSTR, L"None", 0);
    UndoCtrl();
    EXPECT_EQ(GetShort(L"UNDOCTL") & 1, 1);
    acedCommand(RTSTR, L"UNDO", RTSTR, L"C", RTSTR, L"One", 0);
    acedCommand(RTSTR, L"UNDO", RTSTR, L"M", 0);
    UndoCtrl();
    EXPECT_EQ(GetShort(L"UNDOCTL") & 2, 0) << "one-step mode lifted";
    acedCommand(RTSTR, L"UNDO", RTSTR, L"M", 0);
    acedCommand(RTSTR, L"UNDO", RTSTR, L"BE", 0);
    EXPECT_EQ(UndoCtrl(), 1) << "answers UNDOMARKS";
    EXPECT_EQ(GetShort(L"UNDOCTL") & 8, 0) << "group ended";
}

using CommandLineTest = EditorTest;

TEST_F(CommandLineTest, ClearCmdLineSendsOneEscapeOnlyWhenACommandRuns) {
    EXPECT_EQ(ClearCmdLine(), 1);
    EXPECT_TRUE(host::harness::WindowMessages(Window::kCommandLine).empty());
    host::harness::SetActiveCommands(L"LINE'ZOOM");
    host::harness::SetWindowReply(Window::kCommandLine, 42);
    EXPECT_EQ(ClearCmdLine(), 42);
    const auto msgs = host::harness::WindowMessages(Window::kCommandLine);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, 0x0102u);
    EXPECT_EQ(msgs[0].wParam, 27u);
    EXPECT_EQ(msgs[0].lParam, 0);
}

TEST_F(CommandLineTest, ActivateAcadNeedsTheFrameAndTheView) {
    EXPECT_EQ(_ActivateAcad(), 1);
    EXPECT_TRUE(host::harness::IsWindowActive(Window::kFrame));
    const auto moves = host::harness::WindowMessages(Window::kDrawingView);
    ASSERT_EQ(moves.size(), 2u);
    for (const auto& m : moves) {
        EXPECT_EQ(m.message, 0x0200u);
        EXPECT_TRUE(m.posted);
    }
    host::harness::SetWindowPresent(Window::kDrawingView, false);
    EXPECT_EQ(_ActivateAcad(), 0);
    host::harness::SetWindowPresent(Window::kFrame, false);
    EXPECT_EQ(_ActivateAcad(), 0);
    ExecuteCmd(L"_.zoom _e ");
    EXPECT_TRUE(host::harness::QueuedCommandStrings().empty()) << "no window, no command";
}

TEST_F(CommandLineTest, ExecuteCmdCancelsAndQueuesTheText) {
    host::harness::SetActiveCommands(L"PLINE");
    ExecuteCmd(L"_.zoom _c 1,2 30 ");
    EXPECT_EQ(host::harness::WindowMessages(Window::kCommandLine).size(), 1u);
    const auto queued = host::harness::QueuedCommandStrings();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0], CString(L"_.zoom _c 1,2 30 "));
    host::harness::RunQueuedCommands();
    EXPECT_DOUBLE_EQ(ViewSize(), 30.0);
}

TEST_F(CommandLineTest, GetAcadPathIsTheFolderOfTheLinetypeFile) {
    const CString folder = GetAcadPath();
    ASSERT_FALSE(folder.IsEmpty());
#if defined(_WIN32)
    EXPECT_EQ(folder[folder.GetLength() - 1], L'\\');
#else
    EXPECT_EQ(folder[folder.GetLength() - 1], L'/');
#endif
    std::ifstream lin(NativePath(folder + L"acadiso.lin"));
    EXPECT_TRUE(lin.good());
    host::harness::SetProgramPath(L"/opt/cad/bin/acad");
    EXPECT_EQ(GetAcadPath(), CString(L"/opt/cad/bin/"));
}
