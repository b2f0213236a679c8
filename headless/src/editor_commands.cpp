// Headless host: the command line - acedCommand, acedCmd, the commands the
// editor knows and the queue of sendStringToExecute.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>

#include "acutads.h"
#include "dbinternal.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dbwipeout.h"
#include "editor_internal.h"
#include "hostharness.h"
#include "spatial_index.h"
#include "undo_journal.h"
#include "widetext.h"

namespace host_detail {

namespace {

struct Token {
    enum Kind { kString, kPoint, kNumber, kName, kEnter } kind = kEnter;
    std::wstring text;
    AcGePoint3d pt;
    double number = 0.0;
    long name[2] = {0, 0};
};

std::wstring Show(const Token& t) {
    wchar_t buf[96];
    switch (t.kind) {
    case Token::kString: return t.text;
    case Token::kPoint:
        std::swprintf(buf, 96, L"%g,%g,%g", t.pt.x, t.pt.y, t.pt.z);
        return buf;
    case Token::kNumber:
        std::swprintf(buf, 96, L"%g", t.number);
        return buf;
    case Token::kName: return L"<Entity>";
    case Token::kEnter: break;
    }
    return L"";
}

// The tokens of one call, with the command echo.
class Cursor {
public:
    explicit Cursor(const std::vector<Token>& tokens) : m_tokens(tokens) {}
    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token* next() {
        if (atEnd()) return nullptr;
        const Token* t = &m_tokens[m_pos++];
        if (SessionShort(L"CMDECHO") == 1) Print(L" " + Show(*t));
        return t;
    }

private:
    const std::vector<Token>& m_tokens;
    std::size_t m_pos = 0;
};

bool IsEnter(const Token& t) { return t.kind == Token::kEnter || (t.kind == Token::kString && t.text.empty()); }

std::wstring Upper(std::wstring s) {
    while (!s.empty() && s[0] == L'_') s.erase(0, 1);
    return FoldName(s.c_str());
}

// An option word: typed is at least the first minLen letters of full.
bool Is(const std::wstring& typed, const wchar_t* full, std::size_t minLen) {
    const std::wstring f(full);
    return typed.size() >= minLen && typed.size() <= f.size() && f.compare(0, typed.size(), typed) == 0;
}

int Invalid(const wchar_t* what) {
    Print(what);
    return RTERROR;
}

// A word (Enter gives ""); RTCAN when the input ran out, RTERROR for a point.
int Word(Cursor& c, std::wstring& out) {
    const Token* t = c.next();
    if (!t) return RTCAN;
    if (IsEnter(*t)) {
        out.clear();
        return RTNORM;
    }
    if (t->kind == Token::kNumber) {
        out = Show(*t);
        return RTNORM;
    }
    if (t->kind != Token::kString) return Invalid(L"\nInvalid option keyword.");
    out = t->text;
    return RTNORM;
}

int Point(Cursor& c, AcGePoint3d& pt) {
    const Token* t = c.next();
    if (!t) return RTCAN;
    if (t->kind == Token::kPoint) {
        pt = t->pt;
        return RTNORM;
    }
    if (t->kind == Token::kString && ParsePoint(t->text, pt)) return RTNORM;
    return Invalid(L"\nInvalid point.");
}

bool OnOff(const std::wstring& w, bool& on) {
    const std::wstring u = Upper(w);
    if (u == L"ON") {
        on = true;
    } else if (Is(u, L"OFF", 2)) {
        on = false;
    } else {
        return false;
    }
    return true;
}

// ---- UNDO and U ----

int CmdUndo(DocEditor& ed, Cursor& c) {
    UndoJournal& j = *ed.undo;
    std::wstring w;
    int rc = Word(c, w);
    if (rc != RTNORM) return rc;
    const std::wstring u = Upper(w);
    if (!j.undoctl()) {
        if (Is(u, L"ALL", 1)) {
            j.setEnabled(true, false);
        } else if (Is(u, L"NONE", 1)) {
            j.setEnabled(false, false);
        } else if (Is(u, L"ONE", 1)) {
            j.setEnabled(true, true);
        } else {
            return Invalid(L"\nInvalid option keyword.");
        }
        return RTNORM;
    }
    if (u.empty()) {
        if (!j.stepBack()) Print(L"\nEverything has been undone");
    } else if (Is(u, L"AUTO", 1)) {
        std::wstring v;
        bool on = false;
        if ((rc = Word(c, v)) != RTNORM) return rc;
        if (!OnOff(v, on)) return Invalid(L"\nInvalid option keyword.");
        j.setAuto(on);
    } else if (Is(u, L"CONTROL", 1)) {
        std::wstring v;
        if ((rc = Word(c, v)) != RTNORM) return rc;
        const std::wstring o = Upper(v);
        if (o.empty() || Is(o, L"ALL", 1)) {
            j.setEnabled(true, false);
        } else if (Is(o, L"NONE", 1)) {
            j.setEnabled(false, false);
        } else if (Is(o, L"ONE", 1)) {
            j.setEnabled(true, true);
        } else if (Is(o, L"COMBINE", 1) || Is(o, L"LAYER", 1)) {
            std::wstring flag;
            bool on = false;
            if ((rc = Word(c, flag)) != RTNORM) return rc;
            if (!flag.empty() && !OnOff(flag, on)) return Invalid(L"\nInvalid option keyword.");
        } else {
            return Invalid(L"\nInvalid option keyword.");
        }
    } else if (Is(u, L"BEGIN", 2) || Is(u, L"GROUP", 1)) {
        j.beginGroup();
    } else if (Is(u, L"END", 1)) {
        j.endGroup();
    } else if (Is(u, L"MARK", 1)) {
        j.mark();
    } else if (Is(u, L"BACK", 1)) {
        if (j.backToMark() == 0) Print(L"\nEverything has been undone");
    } else {
        wchar_t* end = nullptr;
        const long n = std::wcstol(u.c_str(), &end, 10);
        if (!end || *end != L'\0' || n < 1) return Invalid(L"\nRequires a positive integer or option keyword.");
        for (long i = 0; i < n; ++i)
            if (!j.stepBack()) {
                Print(L"\nEverything has been undone");
                break;
            }
    }
    return RTNORM;
}

int CmdU(DocEditor& ed, Cursor&) {
    if (!ed.undo->stepBack()) Print(L"\nEverything has been undone");
    return RTNORM;
}

// ---- views ----

double WindowHeight(const AcGePoint3d& a, const AcGePoint3d& b) {
    resbuf rb;
    acedGetVar(L"SCREENSIZE", &rb);
    const double aspect = rb.resval.rpoint[1] / rb.resval.rpoint[0];
    return std::max(std::fabs(b.y - a.y), std::fabs(b.x - a.x) * aspect);
}

int ZoomWindow(DocEditor& ed, const AcGePoint3d& a, const AcGePoint3d& b) {
    const double h = WindowHeight(a, b);
    if (!(h > 0.0)) return Invalid(L"\nInvalid window.");
    SetViewState(ed, AcGePoint3d((a.x + b.x) / 2, (a.y + b.y) / 2, 0.0), h, true);
    return RTNORM;
}

int CmdZoom(DocEditor& ed, Cursor& c) {
    const Token* t = c.next();
    if (!t) return RTCAN;
    AcGePoint3d a, b;
    int rc;
    if (t->kind == Token::kPoint || (t->kind == Token::kString && ParsePoint(t->text, a))) {
        if (t->kind == Token::kPoint) a = t->pt;
        if ((rc = Point(c, b)) != RTNORM) return rc;
        return ZoomWindow(ed, a, b);
    }
    if (t->kind != Token::kString) return Invalid(L"\nInvalid option keyword.");
    const std::wstring u = Upper(t->text);
    if (Is(u, L"WINDOW", 1)) {
        if ((rc = Point(c, a)) != RTNORM || (rc = Point(c, b)) != RTNORM) return rc;
        return ZoomWindow(ed, a, b);
    }
    if (Is(u, L"CENTER", 1)) {
        if ((rc = Point(c, a)) != RTNORM) return rc;
        std::wstring hw;
        if ((rc = Word(c, hw)) != RTNORM) return rc;
        double h = ed.viewSize;
        if (!hw.empty()) {
            wchar_t* end = nullptr;
            h = std::wcstod(hw.c_str(), &end);
            if (!end || *end != L'\0' || !(h > 0.0)) return Invalid(L"\nRequires a positive number.");
        }
        SetViewState(ed, AcGePoint3d(a.x, a.y, 0.0), h, true);
        return RTNORM;
    }
    if (Is(u, L"EXTENTS", 1) || Is(u, L"ALL", 1)) {
        double x0, y0, x1, y1;
        if (!ed.index->bounds(x0, y0, x1, y1)) return RTNORM;
        const AcGeMatrix3d toUcs = UcsToWcs(ed.db).inverse();
        a = toUcs * AcGePoint3d(x0, y0, 0.0);
        b = toUcs * AcGePoint3d(x1, y1, 0.0);
        if (WindowHeight(a, b) > 0.0) return ZoomWindow(ed, a, b);
        SetViewState(ed, a, ed.viewSize, true);
        return RTNORM;
    }
    if (Is(u, L"PREVIOUS", 1)) {
        if (ed.zoomHistory.empty()) {
            Print(L"\nNo previous view saved.");
            return RTNORM;
        }
        const NamedView v = ed.zoomHistory.back();
        ed.zoomHistory.pop_back();
        SetViewState(ed, v.center, v.height, false);
        return RTNORM;
    }
    return Invalid(L"\nInvalid option keyword.");
}

int CmdPan(DocEditor& ed, Cursor& c) {
    AcGePoint3d a, b;
    int rc;
    if ((rc = Point(c, a)) != RTNORM || (rc = Point(c, b)) != RTNORM) return rc;
    const AcGePoint3d center(ed.viewCenter.x + a.x - b.x, ed.viewCenter.y + a.y - b.y, ed.viewCenter.z);
    SetViewState(ed, center, ed.viewSize, true);
    return RTNORM;
}

bool ValidViewName(const std::wstring& name) {
    return !name.empty() && name.size() <= 255 && name.find_first_of(L"<>/\\\":;?*|,=`") == std::wstring::npos;
}

int CmdView(DocEditor& ed, Cursor& c) {
    std::wstring w, name;
    int rc;
    if ((rc = Word(c, w)) != RTNORM) return rc;
    const std::wstring u = Upper(w);
    if (Is(u, L"DELETE", 1)) {
        if ((rc = Word(c, name)) != RTNORM) return rc;
        std::size_t found = 0;
        for (auto it = ed.namedViews.begin(); it != ed.namedViews.end();) {
            if (!name.empty() && MatchWildcard(name, it->first)) {
                it = ed.namedViews.erase(it);
                ++found;
            } else {
                ++it;
            }
        }
        if (!found) Print(L"\nNo matching view names found.");
        return RTNORM;
    }
    if (Is(u, L"SAVE", 1)) {
        if ((rc = Word(c, name)) != RTNORM) return rc;
        if (!ValidViewName(name)) return Invalid(L"\nInvalid view name.");
        ed.namedViews[FoldName(name.c_str())] = NamedView{ed.viewCenter, ed.viewSize};
        return RTNORM;
    }
    if (Is(u, L"RESTORE", 1)) {
        if ((rc = Word(c, name)) != RTNORM) return rc;
        const auto it = ed.namedViews.find(FoldName(name.c_str()));
        if (it == ed.namedViews.end()) return Invalid(L"\nCould not find the named view.");
        SetViewState(ed, it->second.center, it->second.height, true);
        return RTNORM;
    }
    return Invalid(L"\nInvalid option keyword.");
}

// ---- linetypes ----

struct LinetypeDef {
    std::wstring name, comments;
};

bool ReadLinFile(const std::wstring& path, std::vector<LinetypeDef>& defs) {
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    std::fclose(file);
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] != '*') continue;
        const std::wstring header = host::Utf8ToWide(line.substr(1));
        const std::size_t comma = header.find(L',');
        LinetypeDef d;
        d.name = header.substr(0, comma);
        d.comments = comma == std::wstring::npos ? L"" : header.substr(comma + 1);
        while (!d.name.empty() && d.name.back() == L' ') d.name.pop_back();
        if (!d.name.empty()) defs.push_back(d);
    }
    return true;
}

void LoadLinetypes(DocEditor& ed, const std::wstring& names, std::wstring file) {
    if (file.empty()) {
        const std::wstring program = ProgramPath();
        file = FolderOf(program) + L"acadiso.lin";
    }
    std::vector<LinetypeDef> defs;
    if (!ReadLinFile(file, defs)) {
        Print(L"\nCannot find file \"" + file + L"\".");
        return;
    }
    AcDbLinetypeTable* table = nullptr;
    if (ed.db->getLinetypeTable(table, AcDb::kForWrite) != Acad::eOk) return;
    bool any = false;
    for (const auto& d : defs) {
        if (!MatchWildcard(names, d.name)) continue;
        any = true;
        AcDbObjectId id = ObjectAccess::findRecord(ed.db->linetypeTableId(), d.name.c_str());
        if (!id.isNull()) {
            AcDbLinetypeTableRecord* rec = nullptr;
            if (acdbOpenObject(rec, id, AcDb::kForWrite) == Acad::eOk) {
                rec->setComments(d.comments.c_str());
                rec->close();
            }
            Print(L"\nLinetype \"" + d.name + L"\" reloaded.");
            continue;
        }
        auto* rec = new AcDbLinetypeTableRecord;
        if (rec->setName(d.name.c_str()) != Acad::eOk || table->add(id, rec) != Acad::eOk) {
            delete rec;
            continue;
        }
        rec->setComments(d.comments.c_str());
        rec->close();
        Print(L"\nLinetype \"" + d.name + L"\" loaded.");
    }
    table->close();
    if (!any) Print(L"\nLinetype \"" + names + L"\" not found in file " + file + L".");
}

int CmdLinetype(DocEditor& ed, Cursor& c) {
    for (;;) {
        std::wstring w;
        int rc = Word(c, w);
        if (rc != RTNORM) return rc;
        const std::wstring u = Upper(w);
        if (u.empty()) return RTNORM;
        if (!Is(u, L"LOAD", 1)) return Invalid(L"\nInvalid option keyword.");
        std::wstring names, file;
        if ((rc = Word(c, names)) != RTNORM || (rc = Word(c, file)) != RTNORM) return rc;
        if (names.empty()) continue;
        LoadLinetypes(ed, names, file);
    }
}

// ---- wipeouts ----

bool AddWipeout(DocEditor& ed, const std::vector<AcGePoint3d>& points) {
    auto* w = new AcDbWipeout;
    w->setDatabaseDefaults(ed.db);
    if (w->setBoundary(points) != Acad::eOk) {
        delete w;
        Print(L"\nThe boundary encloses no area.");
        return false;
    }
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, ed.db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
        delete w;
        return false;
    }
    const bool ok = ms->appendAcDbEntity(w) == Acad::eOk;
    ms->close();
    if (ok) {
        w->close();
    } else {
        delete w;
    }
    return ok;
}

int WipeoutFromPolyline(DocEditor& ed, Cursor& c) {
    const Token* t = c.next();
    if (!t) return RTCAN;
    AcDbObjectId id;
    AcGePoint3d pick;
    if (t->kind == Token::kName) {
        acdbGetObjectId(id, t->name);
    } else if (t->kind == Token::kPoint || (t->kind == Token::kString && ParsePoint(t->text, pick))) {
        id = PickAt(ed, t->kind == Token::kPoint ? t->pt : pick, nullptr);
    } else {
        return Invalid(L"\nInvalid selection.");
    }
    std::vector<AcGePoint3d> points;
    {
        AcDbPolyline* pline = nullptr;
        if (id.isNull() || acdbOpenObject(pline, id, AcDb::kForRead) != Acad::eOk)
            return Invalid(L"\nSelect a closed polyline.");
        const bool usable = pline->isClosed() && !pline->hasBulges() && pline->numVerts() >= 3;
        for (unsigned int i = 0; usable && i < pline->numVerts(); ++i) {
            AcGePoint3d p;
            pline->getPointAt(i, p);
            points.push_back(p);
        }
        pline->close();
        if (!usable) return Invalid(L"\nPolyline must be closed and made of line segments only.");
    }
    std::wstring answer;
    const int rc = Word(c, answer);
    if (rc != RTNORM) return rc;
    const std::wstring u = Upper(answer);
    const bool erase = Is(u, L"YES", 1);
    if (!erase && !u.empty() && !Is(u, L"NO", 1)) return Invalid(L"\nInvalid option keyword.");
    if (!AddWipeout(ed, points)) return RTERROR;
    if (erase) {
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, id, AcDb::kForWrite) == Acad::eOk) {
            obj->erase();
            obj->close();
        }
    }
    return RTNORM;
}

int CmdWipeout(DocEditor& ed, Cursor& c) {
    const Token* t = c.next();
    if (!t) return RTCAN;
    AcGePoint3d pt;
    if (t->kind == Token::kString && !ParsePoint(t->text, pt)) {
        const std::wstring u = Upper(t->text);
        if (Is(u, L"FRAMES", 1)) {
            std::wstring v;
            bool on = false;
            const int rc = Word(c, v);
            if (rc != RTNORM) return rc;
            if (!OnOff(v, on)) return Invalid(L"\nInvalid option keyword.");
            ed.wipeoutFrames = on;
            return RTNORM;
        }
        if (Is(u, L"POLYLINE", 1)) return WipeoutFromPolyline(ed, c);
        return Invalid(L"\nInvalid option keyword.");
    }
    if (t->kind == Token::kPoint) pt = t->pt;
    else if (t->kind != Token::kString) return Invalid(L"\nInvalid point.");
    const AcGeMatrix3d toWcs = UcsToWcs(ed.db);
    std::vector<AcGePoint3d> points{toWcs * pt};
    for (;;) {
        const Token* n = c.next();
        if (!n) return RTCAN;
        if (IsEnter(*n)) break;
        if (n->kind == Token::kPoint) {
            pt = n->pt;
        } else if (!(n->kind == Token::kString && ParsePoint(n->text, pt))) {
            return Invalid(L"\nInvalid point.");
        }
        points.push_back(toWcs * pt);
    }
    if (points.size() < 3) return Invalid(L"\nA wipeout needs at least three points.");
    return AddWipeout(ed, points) ? RTNORM : RTERROR;
}

int CmdRegen(DocEditor& ed, Cursor&) {
    ++ed.regens;
    return RTNORM;
}

using Command = int (*)(DocEditor&, Cursor&);

std::vector<std::wstring>& Refused() {
    static std::vector<std::wstring> refused;
    return refused;
}

int CmdRefused(DocEditor&, Cursor&) {
    Print(L"\n*Command refused*");
    return RTREJ;
}

Command Find(const std::wstring& name, bool& undoable) {
    undoable = true;
    if (std::find(Refused().begin(), Refused().end(), name) != Refused().end()) return CmdRefused;
    if (name == L"UNDO") {
        undoable = false;
        return CmdUndo;
    }
    if (name == L"U") {
        undoable = false;
        return CmdU;
    }
    if (name == L"ZOOM" || name == L"Z") return CmdZoom;
    if (name == L"PAN" || name == L"-PAN" || name == L"P") return CmdPan;
    if (name == L"-VIEW" || name == L"-V") return CmdView;
    if (name == L"-LINETYPE" || name == L"-LT") return CmdLinetype;
    if (name == L"WIPEOUT") return CmdWipeout;
    if (name == L"REGEN" || name == L"RE") return CmdRegen;
    return nullptr;
}

int Run(const std::vector<Token>& tokens) {
    DocEditor* ed = CurrentEditor();
    if (!ed) return RTERROR;
    Cursor c(tokens);
    int rc = RTNORM;
    while (!c.atEnd()) {
        if (SessionShort(L"CMDECHO") == 1) Print(L"\nCommand:");
        const Token* t = c.next();
        if (IsEnter(*t)) continue;
        if (t->kind != Token::kString) return Invalid(L"\nUnknown command.");
        std::wstring name = t->text;
        while (!name.empty() && (name[0] == L'_' || name[0] == L'.')) name.erase(0, 1);
        name = FoldName(name.c_str());
        bool undoable = true;
        const Command cmd = Find(name, undoable);
        if (!cmd) return Invalid((L"\nUnknown command \"" + name + L"\".  Press F1 for help.").c_str());
        if (undoable) ed->undo->beginCommand();
        rc = cmd(*ed, c);
        if (undoable) ed->undo->endCommand();
        if (rc == RTCAN) Print(L"\n*Cancel*");
        if (rc != RTNORM) return rc;
    }
    return rc;
}

bool ToToken(const resbuf* rb, Token& t) {
    switch (rb->restype) {
    case RTSTR:
        t.kind = Token::kString;
        t.text = rb->resval.rstring ? rb->resval.rstring : L"";
        return true;
    case RTPOINT:
    case RT3DPOINT:
        t.kind = Token::kPoint;
        t.pt.set(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->restype == RTPOINT ? 0.0 : rb->resval.rpoint[2]);
        return true;
    case RTREAL:
    case RTANG:
        t.kind = Token::kNumber;
        t.number = rb->resval.rreal;
        return true;
    case RTSHORT:
        t.kind = Token::kNumber;
        t.number = rb->resval.rint;
        return true;
    case RTLONG:
        t.kind = Token::kNumber;
        t.number = rb->resval.rlong;
        return true;
    case RTENAME:
        t.kind = Token::kName;
        t.name[0] = rb->resval.rlname[0];
        t.name[1] = rb->resval.rlname[1];
        return true;
    case RTNONE:
        t.kind = Token::kEnter;
        return true;
    default:
        return false;
    }
}

struct QueuedString {
    AcApDocument* doc;
    std::wstring text;
};

std::vector<QueuedString>& Queue() {
    static std::vector<QueuedString> queue;
    return queue;
}

// Typed text: every blank or line end is an Enter that ends a token.
std::vector<Token> Typed(const std::wstring& text) {
    std::vector<Token> tokens;
    std::wstring current;
    for (wchar_t ch : text) {
        if (ch == L' ' || ch == L'\n' || ch == L'\r') {
            Token t;
            t.kind = current.empty() ? Token::kEnter : Token::kString;
            t.text = current;
            tokens.push_back(t);
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.empty()) {
        Token t;
        t.kind = Token::kString;
        t.text = current;
        tokens.push_back(t);
    }
    return tokens;
}

}  // namespace

int RunCommands(const resbuf* list) {
    std::vector<Token> tokens;
    for (const resbuf* rb = list; rb; rb = rb->rbnext) {
        Token t;
        if (!ToToken(rb, t)) return Invalid(L"\nInvalid command input.");
        tokens.push_back(t);
    }
    return Run(tokens);
}

void ResetQueue() { Queue().clear(); }

void ResetRefusedCommands() { Refused().clear(); }

}  // namespace host_detail

using namespace host_detail;

int acedCmd(const resbuf* rbp) { return RunCommands(rbp); }

int acedCommand(int rtype, ...) {
    va_list args;
    va_start(args, rtype);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    bool bad = false;
    for (int type = rtype; type != 0 && type != RTNONE; type = va_arg(args, int)) {
        resbuf* rb = acutNewRb(type);
        if (!rb) {
            bad = true;
            break;
        }
        *tail = rb;
        tail = &rb->rbnext;
        switch (type) {
        case RTSTR: rb->resval.rstring = acutNewString(va_arg(args, const wchar_t*)); break;
        case RTPOINT:
        case RT3DPOINT: {
            const double* p = va_arg(args, const double*);
            if (!p) bad = true;
            for (int i = 0; i < 3 && p; ++i) rb->resval.rpoint[i] = (type == RTPOINT && i == 2) ? 0.0 : p[i];
            break;
        }
        case RTREAL:
        case RTANG: rb->resval.rreal = va_arg(args, double); break;
        case RTSHORT: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
        case RTLONG: rb->resval.rlong = va_arg(args, int); break;
        case RTENAME: {
            const long* n = va_arg(args, const long*);
            if (!n) bad = true;
            if (n) rb->resval.rlname[0] = n[0], rb->resval.rlname[1] = n[1];
            break;
        }
        default: bad = true; break;
        }
        if (bad) break;
    }
    va_end(args);
    const int rc = bad ? Invalid(L"\nInvalid command input.") : RunCommands(head);
    acutRelRb(head);
    return rc;
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* pDoc, const wchar_t* pszExecute, bool, bool,
                                                      bool) {
    if (!pDoc || !pszExecute) return Acad::eInvalidInput;
    if (std::find(m_documents.begin(), m_documents.end(), pDoc) == m_documents.end()) return Acad::eInvalidInput;
    Queue().push_back(QueuedString{pDoc, pszExecute});
    return Acad::eOk;
}

namespace host {
namespace harness {

void RefuseCommand(const wchar_t* name) {
    if (name) Refused().push_back(FoldName(name));
}

std::vector<CString> QueuedCommandStrings() {
    std::vector<CString> out;
    for (const auto& q : Queue()) out.emplace_back(q.text.c_str());
    return out;
}

int RunQueuedCommands() {
    int rc = RTNORM;
    std::vector<QueuedString> queue;
    queue.swap(Queue());
    AcApDocManager* mgr = acDocManagerPtr();
    for (const auto& q : queue) {
        bool open = false;
        for (int i = 0; i < mgr->documentCount(); ++i) open = open || mgr->documentAt(i) == q.doc;
        if (!open) continue;
        if (mgr->curDocument() != q.doc) mgr->activateDocument(q.doc);
        rc = Run(Typed(q.text));
    }
    return rc;
}

}  // namespace harness
}  // namespace host
