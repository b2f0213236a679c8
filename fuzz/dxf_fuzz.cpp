// libFuzzer target for the headless host's DXF reader.
//
// Any input must either be refused with an error naming a line (or the whole
// file) or read; a drawing that was read must write, and what was written
// must read again into the same number of entities. Seed corpus:
// fuzz/corpus/dxf/, dictionary: fuzz/dxf.dict.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dxfio.h"
#include "hostharness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AcDbDatabase* db = new AcDbDatabase(true, true);
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    if (!host::dxf::ReadDxfBuffer(reinterpret_cast<const char*>(data), size, db, err, &report)) {
        if (err.message.empty()) std::abort();
        return 0;
    }
    std::string text;
    if (!host::dxf::WriteDxfString(db, text, err)) {
        // Only numbers the file could not hold as finite are refused.
        if (err.message.find("not finite") == std::string::npos) std::abort();
        return 0;
    }
    host::dxf::DxfReport again;
    if (!host::dxf::ReadDxfBuffer(text.data(), text.size(), db, err, &again)) std::abort();
    if (again.entities != report.entities) std::abort();
    return 0;
}
