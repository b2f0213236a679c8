// Headless host: the editor's state, system variables, transcript, scripted
// input, coordinate system, windows and the program path.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <unordered_map>

#include "acutads.h"
#include "dbinternal.h"
#include "dbsymtb.h"
#include "editor_internal.h"
#include "hostharness.h"
#include "native.h"
#include "undo_journal.h"
#include "spatial_index.h"
#include "widetext.h"

namespace host_detail {

namespace {

struct SessionVar {
    short value;
    short low;
    short high;
};

std::unordered_map<std::wstring, SessionVar> DefaultSession() {
    return {
        {L"CMDECHO", {1, 0, 1}}, {L"PICKSTYLE", {1, 0, 3}}, {L"OSMODE", {0, 0, 32767}},
        {L"UCSVIEW", {1, 0, 1}}, {L"APERTURE", {10, 1, 50}},
    };
}

struct EditorGlobals {
    std::unordered_map<std::wstring, SessionVar> session = DefaultSession();
    std::map<const AcDbDatabase*, std::unique_ptr<DocEditor>> editors;
    std::wstring transcript;
    std::deque<InputItem> input;
    std::wstring programPath;
};

EditorGlobals& G() {
    static EditorGlobals* globals = new EditorGlobals;  // outlives static clients
    return *globals;
}

const double kDefaultScreenWidth = 1600.0;
const double kDefaultScreenHeight = 900.0;
double g_screenWidth = kDefaultScreenWidth;
double g_screenHeight = kDefaultScreenHeight;

resbuf* Answer(resbuf* rb, short type) {
    rb->rbnext = nullptr;
    rb->restype = type;
    return rb;
}

}  // namespace

DocEditor::DocEditor(AcDbDatabase* pDb) : db(pDb) {
    index.reset(new SpatialIndex(pDb));
    undo.reset(new UndoJournal(pDb, this));
}

DocEditor::~DocEditor() = default;

DocEditor* EditorOf(const AcDbDatabase* db, bool create) {
    if (!db) return nullptr;
    auto& editors = G().editors;
    const auto it = editors.find(db);
    if (it != editors.end()) return it->second.get();
    if (!create) return nullptr;
    auto* ed = new DocEditor(const_cast<AcDbDatabase*>(db));
    editors[db].reset(ed);
    return ed;
}

DocEditor* CurrentEditor() { return EditorOf(acdbHostApplicationServices()->workingDatabase(), true); }

void EditorDatabaseDestroyed(AcDbDatabase* db) { G().editors.erase(db); }

void ResetEditor() {
    EditorGlobals& g = G();
    g.session = DefaultSession();
    g.transcript.clear();
    g.input.clear();
    g.programPath.clear();
    g_screenWidth = kDefaultScreenWidth;
    g_screenHeight = kDefaultScreenHeight;
    ResetRefusedCommands();
    ResetSelectionSets();
    ResetWindows();
    ResetQueue();
}

void Print(const std::wstring& text) { G().transcript += text; }

bool NextInput(InputItem& item) {
    auto& q = G().input;
    if (q.empty()) {
        Print(L"\n*Cancel* (no scripted input)");
        return false;
    }
    item = q.front();
    q.pop_front();
    return true;
}

int SessionShort(const wchar_t* name) {
    const auto it = G().session.find(FoldName(name));
    return it == G().session.end() ? 0 : it->second.value;
}

AcGeMatrix3d UcsToWcs(const AcDbDatabase* db) {
    AcGeMatrix3d m;
    if (!db) return m;
    AcGeVector3d x = db->ucsxdir();
    AcGeVector3d y = db->ucsydir();
    x.normalize();
    y.normalize();
    m.setCoordSystem(db->ucsorg(), x, y, x.crossProduct(y));
    return m;
}

void ViewRect(const DocEditor& ed, double& x0, double& y0, double& x1, double& y1) {
    const double h = ed.viewSize;
    const double w = h * g_screenWidth / g_screenHeight;
    x0 = ed.viewCenter.x - w / 2;
    x1 = ed.viewCenter.x + w / 2;
    y0 = ed.viewCenter.y - h / 2;
    y1 = ed.viewCenter.y + h / 2;
}

void SetViewState(DocEditor& ed, const AcGePoint3d& center, double height, bool keepHistory) {
    if (keepHistory) {
        ed.zoomHistory.push_back(NamedView{ed.viewCenter, ed.viewSize});
        if (ed.zoomHistory.size() > 10) ed.zoomHistory.erase(ed.zoomHistory.begin());
    }
    ed.undo->recordView(ed.viewCenter, ed.viewSize);
    ed.viewCenter = center;
    ed.viewSize = height;
}

double PixelSize(const DocEditor& ed) { return ed.viewSize / g_screenHeight; }

void SetProgramPathImpl(const wchar_t* path) { G().programPath = path ? path : L""; }

std::wstring ProgramPath() {
    if (!G().programPath.empty()) return G().programPath;
    const std::wstring lib = host::native::ModulePath(reinterpret_cast<const void*>(&ProgramPath));
    if (lib.empty()) return L"acad";
    return FolderOf(lib) + L"acad";
}

std::wstring FolderOf(const std::wstring& path) {
#if defined(_WIN32)
    const std::size_t slash = path.find_last_of(L"/\\");
#else
    const std::size_t slash = path.find_last_of(L'/');
#endif
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace host_detail

using namespace host_detail;

// ---- system variables ----

int acedGetVar(const wchar_t* sym, resbuf* result) {
    if (!sym || !result) return RTERROR;
    const std::wstring name = FoldName(sym);
    const auto sit = G().session.find(name);
    if (sit != G().session.end()) {
        Answer(result, RTSHORT)->resval.rint = sit->second.value;
        return RTNORM;
    }
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    DocEditor* ed = EditorOf(db, true);
    if (!ed) return RTERROR;
    if (name == L"CLAYER") {
        const auto* layer = ObjectAccess::peek<AcDbLayerTableRecord>(db->clayer());
        const wchar_t* layerName = L"0";
        if (layer) layer->getName(layerName);
        Answer(result, RTSTR)->resval.rstring = acutNewString(layerName);
        return RTNORM;
    }
    if (name == L"VIEWCTR") {
        Answer(result, RT3DPOINT);
        result->resval.rpoint[0] = ed->viewCenter.x;
        result->resval.rpoint[1] = ed->viewCenter.y;
        result->resval.rpoint[2] = ed->viewCenter.z;
        return RTNORM;
    }
    if (name == L"VIEWSIZE") {
        Answer(result, RTREAL)->resval.rreal = ed->viewSize;
        return RTNORM;
    }
    if (name == L"SCREENSIZE") {
        Answer(result, RTPOINT);
        result->resval.rpoint[0] = g_screenWidth;
        result->resval.rpoint[1] = g_screenHeight;
        result->resval.rpoint[2] = 0.0;
        return RTNORM;
    }
    if (name == L"UNDOCTL") {
        Answer(result, RTSHORT)->resval.rint = ed->undo->undoctl();
        return RTNORM;
    }
    if (name == L"UNDOMARKS") {
        Answer(result, RTSHORT)->resval.rint = static_cast<short>(ed->undo->marks());
        return RTNORM;
    }
    if (name == L"CMDNAMES") {
        Answer(result, RTSTR)->resval.rstring = acutNewString(ed->activeCommands.c_str());
        return RTNORM;
    }
    return RTERROR;
}

int acedSetVar(const wchar_t* sym, const resbuf* val) {
    if (!sym || !val) return RTERROR;
    const std::wstring name = FoldName(sym);
    const auto sit = G().session.find(name);
    if (sit != G().session.end()) {
        long v;
        if (val->restype == RTSHORT) {
            v = val->resval.rint;
        } else if (val->restype == RTLONG) {
            v = val->resval.rlong;
        } else {
            return RTERROR;
        }
        if (v < sit->second.low || v > sit->second.high) return RTERROR;
        sit->second.value = static_cast<short>(v);
        return RTNORM;
    }
    if (name == L"CLAYER") {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        if (!db || val->restype != RTSTR || !val->resval.rstring) return RTERROR;
        const AcDbObjectId layer = ObjectAccess::findRecord(db->layerTableId(), val->resval.rstring);
        if (layer.isNull() || db->setClayer(layer) != Acad::eOk) return RTERROR;
        return RTNORM;
    }
    return RTERROR;  // unknown or read-only
}

// ---- transcript, utilities ----

int acutPrintf(const wchar_t* format, ...) {
    if (!format) return RTERROR;
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    Print(text.str());
    return RTNORM;
}

int acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result) {
    if (!pt || !result) return RTERROR;
    const double x = pt[X] + dist * std::cos(angle);
    const double y = pt[Y] + dist * std::sin(angle);
    result[X] = x;
    result[Y] = y;
    result[Z] = pt[Z];
    return RTNORM;
}

int ads_regen() {
    DocEditor* ed = CurrentEditor();
    if (!ed) return RTERROR;
    ++ed->regens;
    return RTNORM;
}

bool acdbUcsMatrix(AcGeMatrix3d& mat, AcDbDatabase* pDb) {
    AcDbDatabase* db = pDb ? pDb : acdbHostApplicationServices()->workingDatabase();
    if (!db) return false;
    mat = UcsToWcs(db);
    return true;
}

// ---- the harness ----

namespace host {
namespace harness {

void PushPoint(const AcGePoint3d& ptUcs) { G().input.push_back(InputItem{InputItem::kPoint, ptUcs, L""}); }
void PushText(const wchar_t* text) {
    G().input.push_back(InputItem{InputItem::kText, AcGePoint3d(), text ? text : L""});
}
void PushEnter() { G().input.push_back(InputItem{InputItem::kEnter, AcGePoint3d(), L""}); }
void PushCancel() { G().input.push_back(InputItem{InputItem::kCancel, AcGePoint3d(), L""}); }
int PendingInputCount() { return static_cast<int>(G().input.size()); }
void ClearInput() { G().input.clear(); }

CString Transcript() { return CString(G().transcript.c_str()); }
void ClearTranscript() { G().transcript.clear(); }

int RegenCount(const AcApDocument* pDoc) {
    const AcApDocument* doc = pDoc ? pDoc : acDocManagerPtr()->curDocument();
    DocEditor* ed = doc ? EditorOf(doc->database(), false) : nullptr;
    return ed ? ed->regens : 0;
}

void SetView(const AcGePoint3d& centerUcs, double height, AcApDocument* pDoc) {
    const AcApDocument* doc = pDoc ? pDoc : acDocManagerPtr()->curDocument();
    DocEditor* ed = doc ? EditorOf(doc->database(), true) : nullptr;
    if (!ed || !(height > 0.0)) return;
    ed->viewCenter = centerUcs;
    ed->viewSize = height;
}

bool SetUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis, const AcGeVector3d& yAxis, AcDbDatabase* pDb) {
    AcDbDatabase* db = pDb ? pDb : acdbHostApplicationServices()->workingDatabase();
    return db && db->setUcs(origin, xAxis, yAxis) == Acad::eOk;
}

bool GetNamedView(const wchar_t* name, AcGePoint3d* center, double* height, const AcApDocument* pDoc) {
    const AcApDocument* doc = pDoc ? pDoc : acDocManagerPtr()->curDocument();
    DocEditor* ed = doc ? EditorOf(doc->database(), false) : nullptr;
    if (!ed || !name) return false;
    const auto it = ed->namedViews.find(FoldName(name));
    if (it == ed->namedViews.end()) return false;
    if (center) *center = it->second.center;
    if (height) *height = it->second.height;
    return true;
}

int UndoStepCount(const AcApDocument* pDoc) {
    const AcApDocument* doc = pDoc ? pDoc : acDocManagerPtr()->curDocument();
    DocEditor* ed = doc ? EditorOf(doc->database(), false) : nullptr;
    return ed ? ed->undo->stepCount() : 0;
}

void SetActiveCommands(const wchar_t* names) {
    DocEditor* ed = CurrentEditor();
    if (ed) ed->activeCommands = names ? names : L"";
}

bool WipeoutFramesShown(const AcDbDatabase* pDb) {
    const AcDbDatabase* db = pDb ? pDb : acdbHostApplicationServices()->workingDatabase();
    DocEditor* ed = EditorOf(db, false);
    return ed ? ed->wipeoutFrames : true;
}

void SetProgramPath(const wchar_t* path) { SetProgramPathImpl(path); }

void SetScreenSize(double width, double height) {
    if (!(width > 0.0) || !(height > 0.0)) return;
    g_screenWidth = width;
    g_screenHeight = height;
}

}  // namespace harness
}  // namespace host
