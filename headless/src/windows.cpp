// Headless host: the three host windows and the program path (winuser.h).
#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "editor_internal.h"
#include "hostharness.h"

namespace host_detail {

namespace {

struct WindowRecord {
    bool present = true;
    bool active = false;
    bool enabled = true;
    LRESULT reply = 0;
    std::vector<host::harness::WindowMessage> messages;
};

const int kWindows = 3;

WindowRecord* Records() {
    static WindowRecord records[kWindows];
    return records;
}

// Handles are tokens, never dereferenced.
HWND HandleOf(int index) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000 + 16 * index)); }

int IndexOf(HWND hWnd) {
    for (int i = 0; i < kWindows; ++i)
        if (HandleOf(i) == hWnd && Records()[i].present) return i;
    return -1;
}

CMDIFrameWnd g_frame(HandleOf(0));
CView g_view(HandleOf(1));
CWnd g_cmdLine(HandleOf(2));

}  // namespace

void ResetWindows() {
    for (int i = 0; i < kWindows; ++i) Records()[i] = WindowRecord();
}

}  // namespace host_detail

using namespace host_detail;

LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int i = IndexOf(hWnd);
    if (i < 0) return 0;
    Records()[i].messages.push_back({msg, wParam, lParam, false});
    if (i == 2 && msg == WM_CHAR && wParam == 27) {
        DocEditor* ed = CurrentEditor();
        if (ed && !ed->activeCommands.empty()) {
            ed->activeCommands.clear();
            Print(L"\n*Cancel*");
        }
    }
    return Records()[i].reply;
}

BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int i = IndexOf(hWnd);
    if (i < 0) return FALSE;
    Records()[i].messages.push_back({msg, wParam, lParam, true});
    return TRUE;
}

HWND SetActiveWindow(HWND hWnd) {
    const int i = IndexOf(hWnd);
    if (i < 0) return nullptr;
    HWND previous = nullptr;
    for (int k = 0; k < kWindows; ++k) {
        if (Records()[k].active && Records()[k].present) previous = HandleOf(k);
        Records()[k].active = k == i;
    }
    return previous;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    const int i = IndexOf(hWnd);
    if (i < 0) return FALSE;
    const bool wasDisabled = !Records()[i].enabled;
    Records()[i].enabled = bEnable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindow(HWND hWnd) { return IndexOf(hWnd) >= 0 ? TRUE : FALSE; }

DWORD GetModuleFileNameW(HMODULE hModule, wchar_t* buffer, DWORD size) {
    if (hModule || !buffer || size == 0) return 0;
    const std::wstring path = ProgramPath();
    const DWORD n = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::wmemcpy(buffer, path.c_str(), n);
    buffer[n] = L'\0';
    return path.size() >= size ? size : n;
}

CMDIFrameWnd* acedGetAcadFrame() { return Records()[0].present ? &g_frame : nullptr; }
CView* acedGetAcadDwgView() { return Records()[1].present ? &g_view : nullptr; }
CWnd* acedGetAcadTextCmdLine() { return Records()[2].present ? &g_cmdLine : nullptr; }

namespace host {
namespace harness {

void SetWindowPresent(Window window, bool present) { Records()[static_cast<int>(window)].present = present; }
void SetWindowReply(Window window, LRESULT reply) { Records()[static_cast<int>(window)].reply = reply; }
std::vector<WindowMessage> WindowMessages(Window window) { return Records()[static_cast<int>(window)].messages; }
bool IsWindowActive(Window window) { return Records()[static_cast<int>(window)].active; }
bool IsWindowInputEnabled(Window window) { return Records()[static_cast<int>(window)].enabled; }

}  // namespace harness
}  // namespace host
