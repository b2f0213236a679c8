#pragma once
// Headless host: what a drawing file held, for the programs that draw or
// inspect a drawing read from DXF.
//
// The reader models what the host has classes for and keeps the rest as it
// was read (dbkept.h). These functions give the kept form back: the tags
// of an object's record, the records of a kind that became no database
// object (LAYOUT, ...), and a modelled copy of a kept entity where its kind
// has a modelled form elsewhere in the file (entities of block definitions
// and paper space, references with attributes, arrays of references).
#include <cstdint>
#include <string>
#include <vector>

#include "dbkept.h"

namespace host {
namespace dxf {

// One group code and its value as the file gave it; text values decoded
// to UTF-8 (the file's code page and "\U+XXXX" escapes resolved), numbers
// as their text.
struct FileTag {
    int code = 0;
    std::string value;
};

// The tags of the object's record after its 0 tag, as read; for a kept
// sequence (an INSERT with its ATTRIBs, a POLYLINE with its VERTEXes) the
// records that follow the head come after it, each opened by its 0 tag.
// False, and no tags, for an object not read from a file (new, or of a
// new drawing). The tags are those read even when the object changed since.
bool ObjectFileTags(const AcDbObject* obj, std::vector<FileTag>& tags);

// The tags of every record of the type ("LAYOUT") that the file held
// outside the database's objects, in file order, each after its 0 tag.
// Empty for a drawing not read from a file.
std::vector<std::vector<FileTag>> FileRecordsOfType(const AcDbDatabase* db, const std::string& type);

// A new modelled entity (in no database; the caller deletes it) with the
// geometry of the kept entity, read from its record as model-space
// entities of that kind are read. Layer, colour, linetype and visibility
// are the kept entity's own (not copied). A reference with attributes
// comes with them (pending: attributeIterator gives them), a POLYLINE of a
// block with its vertices (vertexIterator), an array of references as an
// AcDbMInsertBlock; a reference names its block when the kept entity's
// database has it. Null for kinds without a modelled form and for records
// the reader would keep as read in model space too.
AcDbEntity* ModelKeptEntity(const AcDbKeptEntity* kept);

}  // namespace dxf
}  // namespace host
