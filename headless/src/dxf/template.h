#pragma once
// The file structure of a drawing not read from a file: what readers need
// around the host's objects (tables, the paper-space block, the dictionaries).
#include "dbmain.h"
#include "reader.h"

namespace host {
namespace dxf {
namespace detail {

// A file image for db, as if read from an R2018 file holding only the
// structure; the host's tables and dictionaries are bound to its records.
void NewDrawingImage(const AcDbDatabase* db, Scanned& out);

}  // namespace detail
}  // namespace dxf
}  // namespace host
