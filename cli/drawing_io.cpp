// Reading and writing the drovik commands' drawings.
//
// The host's reader and writer take options (strict reading, the version
// and format written) in newer builds of the headless host; this file uses
// them when dxfio.h declares them and otherwise reads tolerantly and writes
// ASCII R2018, refusing other choices with a message.
#include "drawing_io.h"

#include <type_traits>
#include <utility>

#include <dxfio.h>
#include <widetext.h>

#include "args.h"
#include "text_escape.h"

namespace host::dxf {
struct DxfReadOptions;   // complete when the host's reader takes options
struct DxfWriteOptions;
}  // namespace host::dxf

namespace drovik::cli {
namespace {

template <class T, class = void>
struct IsComplete : std::false_type {};
template <class T>
struct IsComplete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

const std::pair<const char*, const char*> kVersions[] = {
    {"R12", "AC1009"},   {"R2000", "AC1015"}, {"R2004", "AC1018"}, {"R2007", "AC1021"},
    {"R2010", "AC1024"}, {"R2013", "AC1027"}, {"R2018", "AC1032"},
};

// Versions that are read but not written.
const std::pair<const char*, const char*> kReadOnlyVersions[] = {{"R13", "AC1012"}, {"R14", "AC1014"}};

std::string CannotRead(const std::string& path, const std::string& cause) {
    return "cannot read '" + Printable(path) + "': " + Printable(cause);
}

std::string CannotWrite(const std::string& path, const std::string& cause) {
    return "cannot write '" + Printable(path) + "': " + Printable(cause);
}

std::string ReadAll(std::FILE* in) {
    std::string bytes;
    char buf[1 << 16];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) bytes.append(buf, n);
    if (std::ferror(in)) throw FileError{CannotRead("-", "standard input could not be read")};
    return bytes;
}

// Reads with the host's options when it has them (Options is then complete).
template <class Options, class Report>
bool HostRead(const std::string& path, const std::string* bytes, bool strict, AcDbDatabase* pDb,
              host::dxf::DxfError& err, Report& report) {
    if constexpr (IsComplete<Options>::value) {
        Options options;
        options.strict = strict;
        return bytes ? host::dxf::ReadDxfBuffer(bytes->data(), bytes->size(), pDb, err, &report, options)
                     : host::dxf::ReadDxf(host::Utf8ToWide(path).c_str(), pDb, err, &report, options);
    } else {
        (void)strict;
        return bytes ? host::dxf::ReadDxfBuffer(bytes->data(), bytes->size(), pDb, err, &report)
                     : host::dxf::ReadDxf(host::Utf8ToWide(path).c_str(), pDb, err, &report);
    }
}

template <class Options, class Report>
void TakeReport(const Report& report, ReadNotes& notes) {
    notes.version = report.version;
    notes.entities = report.entities;
    notes.skipped = report.skipped;
    notes.mends = report.warnings;
    notes.mendCount = static_cast<int>(report.warnings.size());
    if constexpr (IsComplete<Options>::value) {
        notes.binary = report.binary;
        notes.kept = report.kept;
        notes.mendCount = std::max(notes.mendCount, report.mends());
    }
}

template <class Options>
bool HostWrite(const AcDbDatabase* pDb, const std::string& path, const WriteChoice& choice, std::string* text,
               host::dxf::DxfError& err, std::vector<std::string>& dropped) {
    if constexpr (IsComplete<Options>::value) {
        Options options;
        options.version = choice.version;
        options.format = choice.format == DxfFormat::kAscii    ? Options::Format::Ascii
                         : choice.format == DxfFormat::kBinary ? Options::Format::Binary
                                                               : Options::Format::AsRead;
        options.dropped = &dropped;
        return text ? host::dxf::WriteDxfString(pDb, *text, err, options)
                    : host::dxf::WriteDxf(pDb, host::Utf8ToWide(path).c_str(), err, options);
    } else {
        (void)dropped;
        if ((!choice.version.empty() && choice.version != "R2018") || choice.format == DxfFormat::kBinary) {
            err.line = 0;
            err.message = "this build writes ASCII DXF R2018 only";
            return false;
        }
        return text ? host::dxf::WriteDxfString(pDb, *text, err) : host::dxf::WriteDxf(pDb, host::Utf8ToWide(path).c_str(), err);
    }
}

}  // namespace

ReadNotes ReadDrawing(const std::string& path, bool strict, std::FILE* in, AcDbDatabase* pDb) {
    std::string bytes;
    const bool fromInput = path == "-";
    if (fromInput) bytes = ReadAll(in);
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    if (!HostRead<host::dxf::DxfReadOptions>(path, fromInput ? &bytes : nullptr, strict, pDb, err, report))
        throw FileError{CannotRead(path, err.what())};
    ReadNotes notes;
    TakeReport<host::dxf::DxfReadOptions>(report, notes);
    if (strict && notes.mendCount > 0) {
        const std::string first = notes.mends.empty() ? "a mend" : notes.mends.front();
        throw FileError{CannotRead(path, "refused by --strict (" + std::to_string(notes.mendCount) +
                                             (notes.mendCount == 1 ? " mend" : " mends") + " needed): " + first)};
    }
    return notes;
}

const std::vector<std::string>& WritableVersions() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& [name, code] : kVersions) v.emplace_back(name);
        return v;
    }();
    return names;
}

std::vector<std::string> WriteDrawing(const AcDbDatabase* pDb, const std::string& path, const WriteChoice& choice,
                                      std::FILE* out) {
    host::dxf::DxfError err;
    std::vector<std::string> dropped;
    if (path == "-") {
        std::string text;
        if (!HostWrite<host::dxf::DxfWriteOptions>(pDb, path, choice, &text, err, dropped))
            throw FileError{CannotWrite(path, err.what())};
        if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0)
            throw FileError{CannotWrite(path, "standard output could not be written")};
    } else if (!HostWrite<host::dxf::DxfWriteOptions>(pDb, path, choice, nullptr, err, dropped)) {
        throw FileError{CannotWrite(path, err.what())};
    }
    return dropped;
}

std::string VersionName(const std::string& version) {
    for (const auto& [name, code] : kVersions)
        if (version == name || version == code) return std::string(name) + " (" + code + ")";
    for (const auto& [name, code] : kReadOnlyVersions)
        if (version == name || version == code) return std::string(name) + " (" + code + ")";
    return Printable(version);
}

}  // namespace drovik::cli
