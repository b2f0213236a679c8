#pragma once
// Driving the host's command line: the host program's folder, undo groups
// kept per drawing, cancelling the running command, bringing the host window
// to the front and queuing a command string.
//
// Undo bookkeeping lives in the per-document record (CDocData, docdata.h)
// of the current drawing: UndoInit once per drawing, then UndoBegin /
// UndoEnd around each change the user may step back with UndoStep. Without
// the module attached (no per-document manager) there is no record:
// UndoBegin and UndoEnd answer false and UndoStep prints its message.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// Drive and folder of the host program's executable, ending in a separator.
DROVIK_API CString GetAcadPath();

// Makes the host's undo fully available and ends an open undo group;
// answers "UNDOMARKS" afterwards.
DROVIK_API int UndoCtrl();
// Starts the undo bookkeeping of the current drawing (count 0).
DROVIK_API void UndoInit();
// Opens a group; false when UndoInit has not run for this drawing.
DROVIK_API bool UndoBegin();
// Closes the open group and counts it; false when none is open.
DROVIK_API bool UndoEnd();
// Steps back the last counted group; with none left prints
// "\n已全部回退!" and answers false.
DROVIK_API bool UndoStep();

// Cancels the running command with an escape to the command line: answers
// the window's reply, or 1 when no command was running.
DROVIK_API int ClearCmdLine();
// Brings the main window to the front and the focus to the drawing: 1, or 0
// when the main window or the drawing view is missing.
DROVIK_API int _ActivateAcad();
// Cancels what runs and queues strCmd (sent unchanged) for the current
// drawing; does nothing when the host window cannot be activated.
DROVIK_API void ExecuteCmd(CString strCmd);
