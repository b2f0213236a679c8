#pragma once
// Headless host: drawings as ASCII DXF files.
//
// Reading
// - Any ASCII DXF from R12 (AC1009) to R2018 (AC1032). Text of R2007 and
//   later files is UTF-8; older files use the code page of $DWGCODEPAGE
//   (ANSI_1252 when absent; ANSI_936 and the other ANSI_ code pages through
//   the C library's iconv). "\U+XXXX" escapes are decoded in every version,
//   and so are caret forms: "^J" a control character, "^ " a caret (the
//   writer uses them for control characters and carets in text).
// - The file is parsed completely and checked before anything changes: a bad
//   file (truncated, unknown group codes, non-numbers where numbers belong,
//   unbalanced sections or sequences, absurd counts or handles) answers false
//   with a DxfError naming the line and the cause, and the target database
//   or the open documents stay exactly as they were.
// - Modelled and kept: lines, arcs, circles, ellipses, texts, lightweight
//   polylines, 2D polylines with their vertices, wipeouts (their boundary,
//   from the image coordinates of the file), groups, layers (colour,
//   linetype, off, frozen, locked), linetypes (name and description), text
//   styles (font, big font, height, width factor), registered applications,
//   extended data of every host type, visibility and colour index, all of
//   model space.
// - Not modelled, reported and left out: entities of other kinds (hatches,
//   dimensions, inserts, splines, ...), 3D polylines and meshes, paper-space
//   entities and the contents of block definitions. DxfReport counts them by
//   entity type ("HATCH", "POLYLINE (3D)", "paper space LINE", "block LINE").
//   File structure the host has no place for (view ports, dimension styles,
//   layouts, classes, linetype dash patterns, other dictionaries) is not
//   kept either; a written file supplies what a reader needs of it.
// - References that do not resolve are mended and reported as warnings: an
//   entity on an undefined layer creates the layer; an unknown linetype is
//   read as ByLayer (entities) or Continuous (layers); an unknown text style
//   as Standard; extended data of an unregistered application registers it;
//   group members that are no model-space entity are dropped.
// - Handles: every kept object keeps the handle the file gave it, and new
//   objects start above $HANDSEED. Objects without a handle (R12 files
//   written without handles) get fresh ones. Handles far beyond the size of
//   the file (more than 16 per record plus 65536) are refused as absurd.
//
// Writing
// - Always DXF R2018 (AC1032), UTF-8, lines ending in "\n", the handles of
//   the drawing's objects; objects the host does not hold but readers need
//   (empty VPORT/VIEW/UCS tables, dimension style "Standard", "*Paper_Space",
//   the BLOCK/ENDBLK pairs, SEQENDs) take handles at and above the
//   drawing's next handle. Erased objects are not written. Wipeouts are
//   written as one-pixel images spanning their boundary's box, with the
//   WIPEOUT class registered. Reals are written
//   in their shortest exact form, so they read back bit for bit; angles go
//   through degrees and may differ in the last bit. A text without a style
//   is written without code 7 and read back without one.
// - Written to a temporary file beside the target and renamed over it, so a
//   failure never leaves a half-written file. A drawing holding a coordinate
//   that is not a finite number is refused.
//
// Wide paths are converted to UTF-8 for the file system.
#include <map>
#include <string>
#include <vector>

#include "acdocman.h"
#include "dbmain.h"

namespace host {
namespace dxf {

struct DxfError {
    int line = 0;         // 1-based line of the file; 0 when no line applies
    std::string message;  // the cause, UTF-8
    // "line 12: ..." or the message alone.
    std::string what() const;
};

struct DxfReport {
    std::string version;                // $ACADVER of the file read ("AC1015")
    int entities = 0;                   // entities kept (vertices not counted)
    std::map<std::string, int> skipped;  // entities left out, by kind
    std::vector<std::string> warnings;   // mended references, "line N: ..."
    int skippedTotal() const;
};

// Replaces the content of pDb with the drawing in the file. pDb must have no
// object open. On failure pDb is untouched; on success ids into its old
// content turn invalid and the editor's state of it (view, selection index,
// undo steps) is dropped: reading is not an undoable change.
bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report = nullptr);
// The same from bytes in memory (size bytes at data).
bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err,
                   DxfReport* report = nullptr);
// Opens the drawing as a new document, which becomes current; null on
// failure, when no document is created and the current one stays current.
AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report = nullptr);

// Writes the drawing (see the header comment); false with the cause when the
// file cannot be written or the drawing holds non-finite numbers.
bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err);
// The same into a string.
bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err);

}  // namespace dxf
}  // namespace host
