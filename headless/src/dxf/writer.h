#pragma once
// Writing DXF: the drawing's file image walked record by record, each record
// written back from its bytes or, for objects the host models that changed,
// from the model and the codes the model has no field for.
#include <cstdio>
#include <string>
#include <vector>

#include "dbmain.h"
#include "dxfio.h"

namespace host {
namespace dxf {
namespace detail {

// Chunk of output past the header that is moved to the spill file at once.
constexpr std::size_t kSpillChunk = std::size_t(1) << 20;

// Writes the drawing into out; throws NotFinite. False with the cause for
// options that are not understood. With rest, out ends up holding the head
// of the file (up to and with the header) and rest everything after it,
// written as it is made; a write fault shows in ferror(rest).
bool WriteDrawing(const AcDbDatabase* db, std::string& out, const DxfWriteOptions& opts, DxfError& err,
                  std::FILE* rest = nullptr);

}  // namespace detail
}  // namespace dxf
}  // namespace host
