#pragma once
// Headless host: editor state shared by the editor sources.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "aced.h"
#include "acdocman.h"
#include "dbmain.h"

namespace host_detail {

class SpatialIndex;
class UndoJournal;

struct NamedView {
    AcGePoint3d center;
    double height = 0.0;
};

// What the editor keeps per drawing.
struct DocEditor {
    AcDbDatabase* db = nullptr;
    AcGePoint3d viewCenter{210.0, 148.5, 0.0};
    double viewSize = 297.0;
    std::vector<NamedView> zoomHistory;
    std::map<std::wstring, NamedView> namedViews;  // folded names
    std::wstring activeCommands;
    int regens = 0;
    bool wipeoutFrames = true;
    std::unique_ptr<SpatialIndex> index;
    std::unique_ptr<UndoJournal> undo;
    explicit DocEditor(AcDbDatabase* pDb);
    ~DocEditor();
};

// The editor of the working database (made on first use); null without one.
DocEditor* CurrentEditor();
DocEditor* EditorOf(const AcDbDatabase* db, bool create);
// Called by the document side.
void EditorDatabaseDestroyed(AcDbDatabase* db);
void ResetEditor();
void ResetSelectionSets();
void ResetWindows();
void ResetQueue();
void ResetRefusedCommands();
// Drawing units per pixel of the view; the host program's path.
double PixelSize(const DocEditor& ed);
std::wstring ProgramPath();
// The folder part of a path, with its trailing separator ('/', and '\\' on
// Windows); empty when the path names no folder.
std::wstring FolderOf(const std::wstring& path);

// Transcript and input.
void Print(const std::wstring& text);
struct InputItem {
    enum Kind { kPoint, kText, kEnter, kCancel } kind;
    AcGePoint3d pt;
    std::wstring text;
};
// Takes the next input; false when the queue is empty.
bool NextInput(InputItem& item);
int SessionShort(const wchar_t* name);
// "x,y" or "x,y,z" as typed; false for anything else.
bool ParsePoint(const std::wstring& text, AcGePoint3d& pt);

// Coordinates.
AcGeMatrix3d UcsToWcs(const AcDbDatabase* db);
// The view rectangle in the UCS.
void ViewRect(const DocEditor& ed, double& x0, double& y0, double& x1, double& y1);
void SetViewState(DocEditor& ed, const AcGePoint3d& center, double height, bool keepHistory);

// Selection. Entities of model space whose geometry crosses (or, for
// window, lies inside) the UCS rectangle, clipped to the view unless
// wholeDrawing; filtered; newest first.
std::vector<AcDbObjectId> SelectRect(DocEditor& ed, double x0, double y0, double x1, double y1, bool inside,
                                     const resbuf* filter, bool clipToView);
std::vector<AcDbObjectId> SelectAll(DocEditor& ed, const resbuf* filter);
// The nearest curve point to ptUcs within radius (UCS units), for snapping.
bool NearestCurvePoint(DocEditor& ed, const AcGePoint3d& ptUcs, double radius, AcGePoint3d& snapped);
AcDbObjectId LastEntity(const AcDbDatabase* db);
// The newest shown entity under the pick box around ptUcs (null when none).
AcDbObjectId PickAt(DocEditor& ed, const AcGePoint3d& ptUcs, const resbuf* filter);
bool MatchWildcard(const std::wstring& pattern, const std::wstring& text);

// Commands: runs a token list; answers RTNORM, RTCAN or RTERROR.
int RunCommands(const resbuf* tokens);
// Undo hooks for the command runner.
UndoJournal& JournalOf(DocEditor& ed);

}  // namespace host_detail
