#pragma once
// Writing DXF: the drawing's file image walked record by record, each record
// written back from its bytes or, for objects the host models that changed,
// from the model and the codes the model has no field for.
#include <string>
#include <vector>

#include "dbmain.h"
#include "dxfio.h"

namespace host {
namespace dxf {
namespace detail {

// Writes the drawing into out; throws NotFinite. False with the cause for
// options that are not understood.
bool WriteDrawing(const AcDbDatabase* db, std::string& out, const DxfWriteOptions& opts, DxfError& err);

}  // namespace detail
}  // namespace dxf
}  // namespace host
