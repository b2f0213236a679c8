#pragma once
// The file image: what a DXF file held, kept with the drawing read from it.
// Every record (from one 0 tag to the next) is a byte span of the retained
// file; records of objects the database holds are bound to them by slot (the
// object's handle in the database), the others are written back from their
// bytes. Handles: the database's handle of an object is its file handle when
// the file's handles are dense enough; otherwise (huge or sparse handles)
// objects take dense database handles and the map gives their file handles.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dbinternal.h"
#include "tags.h"

namespace host {
namespace dxf {
namespace detail {

enum class Role : std::uint8_t {
    Plain,      // an object, entity or table record
    Header,     // 0 SECTION / 2 HEADER and all the variables
    Section,    // 0 SECTION / 2 name
    EndSec,
    Table,      // a table head
    EndTab,
    Block,      // BLOCK
    EndBlk,
    Sub,        // VERTEX or SEQEND of a modelled POLYLINE (written with it)
    Eof,
};

enum RecordFlag : std::uint8_t {
    kHasRefs = 1,      // holds references to other objects by handle
    kNewHandle = 2,    // the handle of the file was mended (written anew)
    kSequence = 4,     // the span holds a whole INSERT/POLYLINE sequence
    kPaper = 8,        // an entity of paper space
};

struct Record {
    std::size_t begin = 0, end = 0;  // bytes from its 0 tag to the next 0 tag (or the end)
    std::string_view type;           // "LINE", "SECTION", ...
    std::uint64_t handle = 0;        // the handle it is written with (0: none)
    std::uint64_t owner = 0;         // its 330 outside application groups (0: none)
    std::uint32_t line = 0;          // of its 0 tag
    std::uint32_t slot = 0;          // the database object written for it (0: none)
    std::uint32_t aux = 0;           // Section/EndSec: section kind; Block/EndBlk: block record slot
    Role role = Role::Plain;
    std::uint8_t flags = 0;
};

enum class SectionKind : std::uint32_t { Other, Header, Classes, Tables, Blocks, Entities, Objects };

struct FileImage : host_detail::DrawingFile {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    Arena arena;
    TagFormat format = TagFormat::Ascii;
    bool crLines = false;
    bool crlf = false;               // ASCII lines end in CR LF
    std::string version = "AC1009";  // $ACADVER
    std::string codepage;            // $DWGCODEPAGE as read
    bool utf8 = false;               // text is UTF-8 (R2007 and later, or found so)
    bool textMended = false;         // UTF-8 text under a code-page label
    bool hadHandles = true;          // R12 files may have none

    AcDbObjectId clayer, textstyle;  // the current layer and style as read
    std::vector<Record> records;  // every record in file order (records[0] unused)

    // Handles.
    bool mapped = false;                            // database handles differ from file handles
    std::vector<std::uint64_t> fileOfSlot;          // mapped: by slot
    std::unordered_map<std::uint64_t, std::uint32_t> slotOfFile;  // mapped
    std::uint32_t loadEnd = 1;     // first slot of objects made after the load
    std::uint64_t nextFile = 1;    // file handle of slot loadEnd (mapped)
    std::uint64_t seed = 0;        // $HANDSEED as read
    std::uint64_t reserved = 0;    // file handles below this are taken (a new drawing's structure)
    std::vector<std::uint32_t> recordOfSlot;  // by slot below loadEnd: record index (0: none)

    std::uint64_t fileHandle(std::uint32_t slot) const {
        if (!mapped) return slot;
        if (slot < loadEnd) return slot < fileOfSlot.size() ? fileOfSlot[slot] : 0;
        return nextFile + (slot - loadEnd);
    }
    // The slot of a file handle; 0 when no database object has it.
    std::uint32_t slotOf(std::uint64_t handle) const {
        if (!mapped) return handle < loadEnd ? static_cast<std::uint32_t>(handle) : 0;
        const auto it = slotOfFile.find(handle);
        return it == slotOfFile.end() ? 0 : it->second;
    }
    const Record* recordOf(std::uint32_t slot) const {
        if (slot == 0 || slot >= recordOfSlot.size() || recordOfSlot[slot] == 0) return nullptr;
        return &records[recordOfSlot[slot]];
    }
    void tags(const Record& r, std::vector<Tag>& out, Arena& values) const {
        TagsOf(bytes.get(), r.begin, r.end, format, values, r.line, crLines, out);
    }
    std::string_view span(const Record& r) const { return std::string_view(bytes.get() + r.begin, r.end - r.begin); }
};

// Version names: "R2000" or "AC1015" to the $ACADVER; empty when unknown.
std::string AcadVersion(const std::string& name);

}  // namespace detail
}  // namespace dxf
}  // namespace host
