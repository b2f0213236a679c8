#pragma once
// Headless host: the test harness, for tests and for clients that drive the
// host without a user.
//
// - Documents: NewDocument opens a new empty drawing (current by default),
//   ActivateDocument makes one current, CloseDocument closes one (its
//   database and every object in it go; ids into it become invalid), and
//   ResetHost closes every document and opens one fresh empty drawing, the
//   state the host starts in.
// - Inspection: OpenObjects / OpenObjectCount list what is open in a
//   database, so a test can assert that a call closed everything it opened;
//   LockCount gives a document's lock count; DocManagerReactorCount the
//   number of registered document-manager reactors; ModelSpaceIds the
//   entities of "*Model_Space".
// Null database or document arguments mean the working database or the
// current document.
#include <vector>

#include "acdocman.h"

namespace host {
namespace harness {

AcApDocument* NewDocument(const wchar_t* title = nullptr, bool makeCurrent = true);
bool ActivateDocument(AcApDocument* pDoc);
bool CloseDocument(AcApDocument* pDoc);
int DocumentCount();
void ResetHost();

std::vector<AcDbObjectId> OpenObjects(const AcDbDatabase* pDb = nullptr);
int OpenObjectCount(const AcDbDatabase* pDb = nullptr);
// Open objects across every open document.
int TotalOpenObjectCount();
int LockCount(const AcApDocument* pDoc = nullptr);
int DocManagerReactorCount();
std::vector<AcDbObjectId> ModelSpaceIds(const AcDbDatabase* pDb = nullptr, bool includeErased = false);

}  // namespace harness
}  // namespace host

// ---- The editor (aced.h, winuser.h) ----
//
// - Scripted input: what the user would type or pick, consumed in order by
//   acedGetPoint, acedEntSel, acedGetString and acedSSGet without a mode.
//   PushPoint queues a pick (UCS), PushText typed text (a keyword, a point
//   "x,y" or a string), PushEnter a bare Enter, PushCancel an Escape. An
//   input function that finds the queue empty answers RTCAN.
// - Transcript: everything acutPrintf printed, the prompts, and the
//   commands when "cmdecho" is 1.
// - Counters: open selection sets, regenerations of a document.
// - View and coordinate system: SetView places the view (centre in the UCS,
//   height), SetUcs the user coordinate system of a database.
// - Windows: each of the three host windows can be made absent, answers a
//   set reply to sent messages (default 0) and keeps the messages it got.
// - Commands: SetActiveCommands fills "CMDNAMES" (as if the user were inside
//   those commands); QueuedCommandStrings / RunQueuedCommands see and run
//   what sendStringToExecute queued (spaces and line ends act as Enter).
// ResetHost also resets all of this: session variables to their defaults,
// input and transcript emptied, selection sets freed, windows present.
#include <string>

#include "afxstr.h"
#include "gepnt3d.h"
#include "windef.h"

namespace host {
namespace harness {

void PushPoint(const AcGePoint3d& ptUcs);
void PushText(const wchar_t* text);
void PushEnter();
void PushCancel();
int PendingInputCount();
void ClearInput();

CString Transcript();
void ClearTranscript();

int OpenSelectionSetCount();
int RegenCount(const AcApDocument* pDoc = nullptr);

void SetView(const AcGePoint3d& centerUcs, double height, AcApDocument* pDoc = nullptr);
bool SetUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis, const AcGeVector3d& yAxis,
            AcDbDatabase* pDb = nullptr);
// A named view of the document: true with its centre and height when it exists.
bool GetNamedView(const wchar_t* name, AcGePoint3d* center = nullptr, double* height = nullptr,
                  const AcApDocument* pDoc = nullptr);
// Undo steps the document can still step back.
int UndoStepCount(const AcApDocument* pDoc = nullptr);

enum class Window { kFrame, kDrawingView, kCommandLine };
struct WindowMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // PostMessageW rather than SendMessageW
};
void SetWindowPresent(Window window, bool present);
void SetWindowReply(Window window, LRESULT reply);
std::vector<WindowMessage> WindowMessages(Window window);
bool IsWindowActive(Window window);
bool IsWindowInputEnabled(Window window);

void SetActiveCommands(const wchar_t* names);
// Makes the command (name without prefixes, e.g. L"WIPEOUT") refuse to run:
// it prints "\n*Command refused*" and the call answers RTREJ (until reset).
void RefuseCommand(const wchar_t* name);
// The view size in pixels ("screensize"), 1600 x 900 by default.
void SetScreenSize(double width, double height);
std::vector<CString> QueuedCommandStrings();
// Runs and empties the queue; answers the result of the last command run.
int RunQueuedCommands();

bool WipeoutFramesShown(const AcDbDatabase* pDb = nullptr);
// The path GetModuleFileNameW answers for the host program (null or empty:
// the default beside the host library).
void SetProgramPath(const wchar_t* path);

}  // namespace harness
}  // namespace host
