#pragma once
// Headless host: drawings as DXF files, read and written without losing
// anything.
//
// Reading
// - ASCII and binary DXF, AC1006 to AC1009 (R10 to R12) and AC1012 to
//   AC1032 (R13 to R2018); any line ending, a UTF-8 byte-order mark, a
//   trailing end-of-file byte (0x1A), missing or partial HEADER, CLASSES or
//   OBJECTS sections. Text of R2007 and later files is UTF-8; older files use
//   the code page of $DWGCODEPAGE (ANSI_1252 when absent; the other ANSI_
//   code pages through the C library's iconv). "\U+XXXX" escapes are decoded
//   in every version, and so are caret forms ("^J" a control character, "^ "
//   a caret).
// - Modelled: lines, arcs, circles, ellipses, texts, lightweight polylines,
//   2D and 3D polylines with their vertices, wipeouts, points, solids,
//   traces, 3D faces, MText, splines, block references with their
//   attributes and arrays, attribute definitions, hatches and aligned,
//   rotated, radial and diametric dimensions (with their blocks), of model
//   space and of block definitions; block records (base point, description,
//   path); layers, linetypes, text styles, dimension styles, registered
//   applications, groups, extension dictionaries and their xrecords,
//   extended data.
//   Everything else is kept as it was read: entities of every other kind and
//   every entity of paper space are database objects of class
//   AcDbKeptEntity (see dbkept.h) that the editor sees by their extents; the other tables and records, header variables, CLASSES,
//   BLOCKS, OBJECTS, THUMBNAILIMAGE and ACDSDATA are kept with the drawing.
//   Modelled objects keep every code the model has no field for
//   (lineweight, true colour, transparency, thickness, extrusion, reactors,
//   extension dictionaries, unknown codes) and are written back with them.
// - Handles are 64-bit and any value is valid. Every object keeps the handle
//   the file gave it; new objects start above $HANDSEED.
// - Tolerant: what real programs write that is not quite right is mended and
//   reported in DxfReport::warnings ("line N: cause"): a name where a handle
//   belongs, a repeated handle (the second object gets a new one), a handle
//   of 0 or none, unknown codes (kept), ill-formed extended data (the well
//   formed part is kept), text in another code page than the declared one,
//   undefined layers (created), linetypes (ByLayer) and text styles
//   (Standard), unregistered applications (registered). With
//   DxfReadOptions::strict a file that needed any mend is refused, the error
//   naming the first.
// - Refused (false, DxfError naming the line and the cause) are only files
//   that are not DXF or end before any drawing content; the target database
//   and the open documents then stay exactly as they were.
//
// Writing
// - In the version and format the drawing was read in (R2018 ASCII for a
//   new drawing) and that version's encoding: the declared code page before
//   R2007, with "\U+XXXX" for characters it lacks; UTF-8 from R2007. Objects
//   that did not change are written back byte for byte when version, format
//   and encoding are unchanged. A save updates $HANDSEED and the update
//   dates ($TDUPDATE, $TDUUPDATE) only.
// - DxfWriteOptions ask for another version or format; what the target
//   version cannot hold (R12: objects, classes, entity kinds after R12) is
//   left out and named in DxfWriteOptions::dropped; lightweight polylines
//   become POLYLINEs in R12. Line breaks in text read from binary DXF are
//   written as "^J" in ASCII.
// - Erased objects are not written, and neither are references to them
//   (reactors, dictionary entries, group members, objects they own), so the
//   written file has no dangling reference.
// - Dimensions without a current block get one first (lines, arrowheads,
//   measured text), so every reader shows them: saving adds these blocks to
//   the drawing.
// - Written to a temporary file beside the target and renamed over it, so a
//   failure never leaves a half-written file. A drawing holding a coordinate
//   that is not a finite number is refused.
//
// Wide paths are converted to UTF-8 for the file system.
#include <cstddef>
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

struct DxfReadOptions {
    // A file that needed any mend is refused; the error names the first mend.
    bool strict = false;
};

struct DxfReport {
    std::string version;                 // $ACADVER as read ("AC1015")
    bool binary = false;                 // the file was binary DXF
    int entities = 0;                    // modelled entities (vertices not counted)
    std::map<std::string, int> skipped;  // left out, by kind (normally empty)
    std::map<std::string, int> kept;     // kept but not modelled, by kind ("MTEXT", "DICTIONARY", ...)
    std::vector<std::string> warnings;   // every mend, "line N: cause" (UTF-8, one line each)
    int skippedTotal() const;
    int keptTotal() const;
    int mends() const { return static_cast<int>(warnings.size()); }
};

struct DxfWriteOptions {
    // "" the version read (R2018 for a new drawing); otherwise "R12", "R2000",
    // "R2004", "R2007", "R2010", "R2013", "R2018" or an $ACADVER ("AC1015").
    std::string version;
    enum class Format { AsRead, Ascii, Binary } format = Format::AsRead;
    // When set, receives one line for each kind of thing the target version
    // could not keep ("OBJECTS: 12 objects", "MTEXT: 3 entities").
    std::vector<std::string>* dropped = nullptr;
};

// Replaces the content of pDb with the drawing in the file. pDb must have no
// object open. On failure pDb is untouched; on success ids into its old
// content turn invalid and the editor's state of it (view, selection index,
// undo steps) is dropped: reading is not an undoable change.
// Tolerant (DxfReadOptions() defaults).
bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report = nullptr);
bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report, const DxfReadOptions& opts);
// The same from bytes in memory (size bytes at data; copied, the caller may
// free them afterwards). As fast as reading a file.
bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err,
                   DxfReport* report = nullptr);
bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err, DxfReport* report,
                   const DxfReadOptions& opts);
// Opens the drawing as a new document, which becomes current; null on
// failure, when no document is created and the current one stays current.
AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report = nullptr);
AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report, const DxfReadOptions& opts);

// Writes the drawing (see the header comment) in the version and format it
// was read in; false with the cause when the file cannot be written or the
// drawing holds non-finite numbers.
bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err);
// The same in the version and format asked for; false also for a version
// or format not known ("R13" is not written: use R2000 or later).
bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err, const DxfWriteOptions& opts);
// The same into a string (binary DXF as bytes).
bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err);
bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err, const DxfWriteOptions& opts);

// The $ACADVER the drawing was read in ("AC1015"); "AC1032" for a drawing
// not read from a file (and for a null database).
std::string DrawingVersion(const AcDbDatabase* pDb);
// Whether the drawing was read from binary DXF (false for a new drawing).
bool DrawingIsBinary(const AcDbDatabase* pDb);

}  // namespace dxf
}  // namespace host
