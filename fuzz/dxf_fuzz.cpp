// libFuzzer target for the headless host's DXF reader and writer.
//
// Any input, ASCII or binary DXF, must either be refused with an error
// naming a line (or the whole file), the drawing left as it was, or read,
// mends and all. Strict reading refuses exactly the files that needed a
// mend. A drawing that was read must write as read, as ASCII and as binary,
// and each written file must read again into the same number of modelled
// entities (binary: from its first reading on, see WritesAndReadsBack). Seed corpus: fuzz/corpus/dxf/ (ASCII, binary,
// and files that need mends), dictionary: fuzz/dxf.dict.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dxfio.h"
#include "hostharness.h"

namespace {

using host::dxf::DxfWriteOptions;

void WritesAndReadsBack(AcDbDatabase* db, const host::dxf::DxfReport& report, DxfWriteOptions::Format format) {
    static AcDbDatabase* copy = new AcDbDatabase(true, true);
    host::dxf::DxfError err;
    DxfWriteOptions opts;
    opts.format = format;
    std::string bytes;
    if (!host::dxf::WriteDxfString(db, bytes, err, opts)) {
        // Only numbers the file could not hold as finite are refused.
        if (err.message.find("not finite") == std::string::npos) std::abort();
        return;
    }
    host::dxf::DxfReport again;
    if (!host::dxf::ReadDxfBuffer(bytes.data(), bytes.size(), copy, err, &again)) std::abort();
    if (format != DxfWriteOptions::Format::Binary) {
        if (again.entities != report.entities) std::abort();
        return;
    }
    // Binary holds numbers as numbers: a value that was no number in the
    // file (an entity kept as read) is written as one, so the entity may
    // be modelled when read back. From then on the drawing is stable.
    std::string twice;
    if (!host::dxf::WriteDxfString(copy, twice, err, opts)) std::abort();
    host::dxf::DxfReport third;
    if (!host::dxf::ReadDxfBuffer(twice.data(), twice.size(), copy, err, &third)) std::abort();
    if (third.entities != again.entities) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AcDbDatabase* db = new AcDbDatabase(true, true);
    const char* bytes = reinterpret_cast<const char*>(data);
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    const int before = db->numObjects();
    if (!host::dxf::ReadDxfBuffer(bytes, size, db, err, &report)) {
        if (err.message.empty()) std::abort();
        if (db->numObjects() != before) std::abort();  // a refused file changes nothing
        return 0;
    }
    {
        static AcDbDatabase* strict = new AcDbDatabase(true, true);
        host::dxf::DxfReadOptions opts;
        opts.strict = true;
        host::dxf::DxfError strictErr;
        const bool read = host::dxf::ReadDxfBuffer(bytes, size, strict, strictErr, nullptr, opts);
        if (read != report.warnings.empty()) std::abort();
    }
    WritesAndReadsBack(db, report, DxfWriteOptions::Format::AsRead);
    WritesAndReadsBack(db, report, DxfWriteOptions::Format::Ascii);
    WritesAndReadsBack(db, report, DxfWriteOptions::Format::Binary);
    return 0;
}
