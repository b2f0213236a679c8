#pragma once
// Headless host: MFC's window classes, as far as add-ons use the host's
// windows: a CWnd wraps a window handle (see winuser.h).
#include "afx.h"
#include "winuser.h"

class CWnd {
public:
    explicit CWnd(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
    virtual ~CWnd() = default;
    HWND GetSafeHwnd() const { return m_hWnd; }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageW(m_hWnd, msg, wParam, lParam); }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageW(m_hWnd, msg, wParam, lParam); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    void SetActiveWindow() { ::SetActiveWindow(m_hWnd); }

    HWND m_hWnd;
};

class CFrameWnd : public CWnd {
public:
    using CWnd::CWnd;
};

class CMDIFrameWnd : public CFrameWnd {
public:
    using CFrameWnd::CFrameWnd;
};

class CView : public CWnd {
public:
    using CWnd::CWnd;
};
