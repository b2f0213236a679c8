#pragma once
// Headless host: the editor - system variables, commands, selection sets,
// user input, the command-line transcript, the coordinate system and the
// host's windows.
//
// System variables (acedGetVar / acedSetVar, names without regard to case;
// RTNORM on success, RTERROR for an unknown name, a read-only variable or a
// value of the wrong type or range). acedGetVar hands strings over as heap
// copies the caller frees (acutDelString or free).
//   cmdecho    RTSHORT  0/1, 1 echoes commands into the transcript (default 1)
//   pickstyle  RTSHORT  0..3 (default 1)
//   osmode     RTSHORT  object snap bits; 512 nearest, 16384 snaps off (default 0)
//   UCSVIEW    RTSHORT  0/1 (default 1)
//   APERTURE   RTSHORT  snap aperture in pixels, 1..50 (default 10)
//   clayer     RTSTR    current layer of the working database; setting it
//                       makes that layer current (it must exist)
//   viewctr    RT3DPOINT  view centre, UCS (read-only: zoom, pan, views)
//   viewsize   RTREAL   view height in drawing units (read-only)
//   screensize RTPOINT  view size in pixels, 1600 x 900 (read-only)
//   UNDOCTL    RTSHORT  1 undo on, 2 one step only, 4 auto, 8 group open
//                       (read-only, set by UNDO)
//   UNDOMARKS  RTSHORT  marks placed by UNDO Mark (read-only)
//   CMDNAMES   RTSTR    active commands, "'"-separated (read-only; the
//                       harness marks commands active)
// The view, undo, marks and command names are kept per document; the other
// settings for the whole session. A new document shows the ISO A3 sheet:
// centre (210, 148.5), height 297.
//
// Commands (acedCommand: type/value pairs ended by 0, or RTNONE for no more;
// acedCmd: the same as a result-buffer list). A call runs every command it
// names to completion: a command whose input runs out is cancelled
// ("*Cancel*") and the call answers RTCAN; an unknown command or a token a
// command cannot take prints a message and answers RTERROR; otherwise
// RTNORM. Names may carry the prefixes "_" and "." in any order; "-" is part
// of the name. Values: RTSTR const wchar_t*, RTPOINT / RT3DPOINT const
// double*, RTREAL double, RTSHORT / RTLONG int, RTENAME const long*. A
// string "x,y[,z]" stands for a point, "" (or RTNONE) for Enter.
//   UNDO      undo on: Auto ON|OFF, Control All|None|One, BEgin (or Group),
//             End, Mark, Back, a number of steps; undo off: All|None|One
//   U         steps back the last undo step
//   ZOOM      two points (window), W p1 p2, C point height, E(xtents), P(revious)
//   PAN       two points: displacement from the first to the second
//   -VIEW     D name[,name..], S name, R name
//   -LINETYPE L name[,name..|*] file, repeated; "" ends
//   WIPEOUT   points then "" (at least 3), F ON|OFF, P entity Y|N
//   REGEN     regenerates (counted like ads_regen)
// Every command other than UNDO and U forms one undo step, or joins the open
// group. Database changes made outside commands join the group when one is
// open, else one step closed by the next command.
//
// Selection sets (acedSSGet): modes "c" (crossing window, two points), "w"
// (window), "x" (whole drawing, no view limit), "l" (last entity), "i"
// (implied: none here) and null (pick at pt1 or the queued input). Windows
// are given in the UCS and clipped by the current view: an entity is found
// only where it lies in the view, as on a screen (under a rotated UCS the
// world box around the window is searched). The filter understands
// RTDXF0 / group 0 (entity type, wildcards and comma lists), 8 (layer,
// likewise), 62 (colour), and -3 followed by 1001 items (extended data of
// those applications). Members are ordered newest first (descending
// creation order). At most 128 sets may be open; RTERROR beyond.
//
// User input comes from the scripted queue of the harness; an empty queue
// answers RTCAN (and notes it in the transcript), so nothing ever waits.
// Points are in the UCS. With "osmode" asking for nearest (512) a picked
// point snaps to the nearest curve point within the aperture.
#include <cstdarg>

#include "acadstrc.h"
#include "adscodes.h"
#include "adsdef.h"
#include "afxwin.h"
#include "gemat3d.h"

class AcDbDatabase;

int acedGetVar(const wchar_t* sym, resbuf* result);
int acedSetVar(const wchar_t* sym, const resbuf* val);

int acedCommand(int rtype, ...);
int acedCmd(const resbuf* rbp);

int acedSSGet(const wchar_t* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
int acedSSLength(const ads_name ss, long* len);
int acedSSName(const ads_name ss, long i, ads_name entres);
int acedSSFree(const ads_name ss);
int acdbEntLast(ads_name result);

// Keyword list: words separated by spaces; capitals give the shortest
// accepted abbreviation. Bits: 1 no null input. Applies to the next input.
int acedInitGet(int val, const wchar_t* kwl);
int acedGetPoint(const ads_point pt, const wchar_t* prompt, ads_point result);
int acedEntSel(const wchar_t* str, ads_name entres, ads_point ptres);
// The keyword of the last RTKWORD answer; str holds at least 512 characters.
int acedGetInput(wchar_t* str);
int acedGetString(int cronly, const wchar_t* prompt, wchar_t* result);
int ads_regen();
#define acedRegen ads_regen

// Prints into the command-line transcript (CString::Format conversions).
int acutPrintf(const wchar_t* format, ...);
int acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result);

// The user coordinate system of the database (null: the working one) as the
// matrix from UCS to WCS; false without a database.
bool acdbUcsMatrix(AcGeMatrix3d& mat, AcDbDatabase* pDb = nullptr);

CMDIFrameWnd* acedGetAcadFrame();
CView* acedGetAcadDwgView();
CWnd* acedGetAcadTextCmdLine();
