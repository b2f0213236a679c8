// Commands, undo groups and the host window.
#include <cstdlib>

#include "drovik/editor/command.h"
#include "drovik/frame/module.h"

namespace {

// The record of the current drawing, or null without a manager or drawing.
CDocData* CurrentDocData() {
    if (!g_DocDataManager) return nullptr;
    AcApDocument* pDoc = acDocManagerPtr()->curDocument();
    return pDoc ? &g_DocDataManager->GetDocData(pDoc) : nullptr;
}

// A short system variable; 0 when it cannot be read.
short ReadShort(const wchar_t* name) {
    resbuf rb{};
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSHORT) return 0;
    return rb.resval.rint;
}

}  // namespace

CString GetAcadPath() {
    wchar_t path[_MAX_PATH] = {0};
    GetModuleFileNameW(nullptr, path, _MAX_PATH);
    wchar_t drive[_MAX_DRIVE] = {0};
    wchar_t dir[_MAX_DIR] = {0};
    _wsplitpath(path, drive, dir, nullptr, nullptr);
    CString folder(drive);
    folder += dir;
    return folder;
}

int UndoCtrl() {
    const short undoctl = ReadShort(L"UNDOCTL");
    if (undoctl == 0) {
        acedCommand(RTSTR, L"UNDO", RTSTR, L"A", 0);
    } else {
        // 2: only one step kept; 8: a group is open.
        if (undoctl & 2) acedCommand(RTSTR, L"UNDO", RTSTR, L"C", RTSTR, L"A", 0);
        if (undoctl & 8) acedCommand(RTSTR, L"UNDO", RTSTR, L"E", 0);
    }
    return ReadShort(L"UNDOMARKS");
}

void UndoInit() {
    if (CDocData* data = CurrentDocData()) data->m_nUndoCount = 0;
    UndoCtrl();
    acedCommand(RTSTR, L"._undo", RTSTR, L"group", 0);
    if (CDocData* data = CurrentDocData()) data->m_bUndoInit = true;
}

bool UndoBegin() {
    CDocData* data = CurrentDocData();
    if (!data || !data->m_bUndoInit) return false;
    UndoCtrl();
    acedCommand(RTSTR, L"._undo", RTSTR, L"begin", 0);
    if ((data = CurrentDocData()) != nullptr) data->m_bUndoBegin = true;
    return true;
}

bool UndoEnd() {
    CDocData* data = CurrentDocData();
    if (!data || !data->m_bUndoBegin) return false;
    data->m_bUndoBegin = false;
    acedCommand(RTSTR, L"._undo", RTSTR, L"end", 0);
    if ((data = CurrentDocData()) != nullptr) data->m_nUndoCount += 1;
    return true;
}

bool UndoStep() {
    CDocData* data = CurrentDocData();
    if (!data || data->m_nUndoCount < 1) {
        acutPrintf(L"\n已全部回退!");
        return false;
    }
    UndoCtrl();
    acedCommand(RTSTR, L"._u", 0);
    if ((data = CurrentDocData()) != nullptr) data->m_nUndoCount -= 1;
    return true;
}

int ClearCmdLine() {
    resbuf rb{};
    if (acedGetVar(L"CMDNAMES", &rb) != RTNORM || rb.restype != RTSTR) return 1;
    CString strNames;
    strNames.Format(L"%s", rb.resval.rstring ? rb.resval.rstring : L"");
    std::free(rb.resval.rstring);
    if (strNames.IsEmpty()) return 1;
    CWnd* pCmdLine = acedGetAcadTextCmdLine();
    if (!pCmdLine) return 1;
    const wchar_t kEscape = 27;
    return static_cast<int>(SendMessageW(pCmdLine->m_hWnd, WM_CHAR, kEscape, 0));
}

int _ActivateAcad() {
    CMDIFrameWnd* pFrame = acedGetAcadFrame();
    if (!pFrame) return 0;
    SetActiveWindow(pFrame->m_hWnd);
    EnableWindow(pFrame->m_hWnd, TRUE);
    CView* pView = acedGetAcadDwgView();
    if (!pView) return 0;
    // Two mouse moves give the drawing area the focus.
    PostMessageW(pView->m_hWnd, WM_MOUSEMOVE, 0, 0);
    PostMessageW(pView->m_hWnd, WM_MOUSEMOVE, 0, 0);
    return 1;
}

void ExecuteCmd(CString strCmd) {
    if (_ActivateAcad() == 0) return;
    ClearCmdLine();
    acDocManagerPtr()->sendStringToExecute(acDocManagerPtr()->curDocument(), strCmd, true, false, false);
}
