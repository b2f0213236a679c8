// The DXF interface (dxfio.h): files in and out, the two reading steps and
// the atomic write.
#include "dxfio.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "dbinternal.h"
#include "emit.h"
#include "native.h"
#include "hostharness.h"
#include "image.h"
#include "reader.h"
#include "widetext.h"
#include "wincrt.h"
#include "writer.h"

namespace host {
namespace dxf {

std::string DxfError::what() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

int DxfReport::skippedTotal() const {
    int total = 0;
    for (const auto& kv : skipped) total += kv.second;
    return total;
}

int DxfReport::keptTotal() const {
    int total = 0;
    for (const auto& kv : kept) total += kv.second;
    return total;
}

namespace {
using namespace detail;

struct Bytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The whole file in one buffer the image keeps.
bool Load(const wchar_t* path, Bytes& out, DxfError& err) {
    if (!path || !*path) {
        err = DxfError{0, "no file name"};
        return false;
    }
    const std::string narrow = host::WideToUtf8(path);
    std::FILE* f = _wfopen(path, L"rb");
    if (!f) {
        err = DxfError{0, "cannot open '" + narrow + "': " + std::strerror(errno)};
        return false;
    }
    std::size_t cap = 1 << 16;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        if (end > 0) cap = static_cast<std::size_t>(end) + 1;  // +1 sees the end in one read
        std::rewind(f);
    }
    bool ok = true;
    int ioErr = 0;
    try {
        out.data.reset(new char[cap]);
        for (;;) {
            if (out.size == cap) {
                std::unique_ptr<char[]> bigger(new char[cap * 2]);
                std::memcpy(bigger.get(), out.data.get(), out.size);
                out.data = std::move(bigger);
                cap *= 2;
            }
            const std::size_t n = std::fread(out.data.get() + out.size, 1, cap - out.size, f);
            out.size += n;
            if (n == 0 || out.size < cap) {
                if (std::ferror(f)) {
                    ok = false;
                    ioErr = errno ? errno : EIO;
                }
                if (std::feof(f) || !ok) break;
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        ioErr = ENOMEM;
    }
    std::fclose(f);
    if (!ok) err = DxfError{0, "cannot read '" + narrow + "': " + std::strerror(ioErr)};
    return ok;
}

bool ScanBytes(Bytes bytes, Scanned& s, DxfError& err, const DxfReadOptions& opts) {
    try {
        if (opts.strict) {
            // Some mends show only while the drawing is built: built once
            // into a scratch database first.
            Bytes copy;
            copy.data.reset(new char[bytes.size ? bytes.size : 1]);
            if (bytes.size) std::memcpy(copy.data.get(), bytes.data.get(), bytes.size);
            copy.size = bytes.size;
            Scanned trial;
            Scan(std::move(copy.data), copy.size, trial);
            if (trial.warnings.empty()) {
                AcDbDatabase scratch(true, true);
                Build(trial, &scratch);
            }
            if (!trial.warnings.empty()) {
                err = DxfError{0, "the file needs mending (strict reading): " + trial.warnings.front()};
                return false;
            }
        }
        Scan(std::move(bytes.data), bytes.size, s);
        return true;
    } catch (const Failure& f) {
        err = DxfError{static_cast<int>(f.line), f.message};
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while reading the file"};
    }
    return false;
}

bool BuildInto(Scanned& s, AcDbDatabase* db, DxfReport* report, DxfError& err) {
    try {
        Build(s, db);
        if (report) {
            *report = DxfReport();
            report->version = s.image->version;
            report->binary = s.image->format != TagFormat::Ascii;
            report->entities = s.modelled;
            report->kept = std::move(s.kept);
            report->warnings = std::move(s.warnings);
        }
        return true;
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while building the drawing"};
    }
    return false;
}

bool CheckTarget(AcDbDatabase* db, DxfError& err) {
    if (!db) {
        err = DxfError{0, "no database to read into"};
        return false;
    }
    if (db->numOpenObjects() > 0) {
        err = DxfError{0, "the drawing has open objects"};
        return false;
    }
    return true;
}

}  // namespace

bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err, DxfReport* report,
                   const DxfReadOptions& opts) {
    if (!CheckTarget(pDb, err)) return false;
    Bytes bytes;
    try {
        bytes.data.reset(new char[size ? size : 1]);
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while reading the file"};
        return false;
    }
    if (data && size) std::memcpy(bytes.data.get(), data, size);
    bytes.size = data ? size : 0;
    auto s = std::make_unique<Scanned>();
    if (!ScanBytes(std::move(bytes), *s, err, opts)) return false;
    return BuildInto(*s, pDb, report, err);
}

bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err, DxfReport* report) {
    return ReadDxfBuffer(data, size, pDb, err, report, DxfReadOptions());
}

bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report, const DxfReadOptions& opts) {
    if (!CheckTarget(pDb, err)) return false;
    Bytes bytes;
    if (!Load(path, bytes, err)) return false;
    auto s = std::make_unique<Scanned>();
    if (!ScanBytes(std::move(bytes), *s, err, opts)) return false;
    return BuildInto(*s, pDb, report, err);
}

bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report) {
    return ReadDxf(path, pDb, err, report, DxfReadOptions());
}

AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report, const DxfReadOptions& opts) {
    Bytes bytes;
    if (!Load(path, bytes, err)) return nullptr;
    auto s = std::make_unique<Scanned>();
    if (!ScanBytes(std::move(bytes), *s, err, opts)) return nullptr;
    const std::wstring full(path);
    const std::size_t slash = full.find_last_of(L"/\\");
    const std::wstring title = slash == std::wstring::npos ? full : full.substr(slash + 1);
    AcApDocument* previous = acDocManagerPtr()->curDocument();
    AcApDocument* doc = host::harness::NewDocument(title.c_str(), true);
    if (!doc) {
        err = DxfError{0, "no document could be created"};
        return nullptr;
    }
    if (!BuildInto(*s, doc->database(), report, err)) {
        host::harness::CloseDocument(doc);
        if (previous) host::harness::ActivateDocument(previous);
        return nullptr;
    }
    return doc;
}

AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report) {
    return OpenDrawing(path, err, report, DxfReadOptions());
}

namespace {

// The drawing into out, or with rest its head into out and the remainder
// into rest (see WriteDrawing).
bool WriteInto(const AcDbDatabase* pDb, std::string& out, DxfError& err, const DxfWriteOptions& opts,
               std::FILE* rest) {
    out.clear();
    if (!pDb) {
        err = DxfError{0, "no drawing to write"};
        return false;
    }
    try {
        if (WriteDrawing(pDb, out, opts, err, rest)) return true;
    } catch (const NotFinite& nf) {
        err = DxfError{0, "object " + HexText(nf.handle) + " holds a number that is not finite"};
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while writing the drawing"};
    }
    out.clear();
    return false;
}

// Appends what rest holds to f; false on a read or write fault.
bool CopyRest(std::FILE* rest, std::FILE* f) {
    if (std::fflush(rest) != 0 || std::fseek(rest, 0, SEEK_SET) != 0) return false;
    std::unique_ptr<char[]> buf(new char[kSpillChunk]);
    for (;;) {
        const std::size_t n = std::fread(buf.get(), 1, kSpillChunk, rest);
        if (n && std::fwrite(buf.get(), 1, n, f) != n) return false;
        if (n < kSpillChunk) return !std::ferror(rest);
    }
}

}  // namespace

bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err, const DxfWriteOptions& opts) {
    return WriteInto(pDb, out, err, opts, nullptr);
}

bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err) {
    return WriteDxfString(pDb, out, err, DxfWriteOptions());
}

bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err, const DxfWriteOptions& opts) {
    if (!path || !*path) {
        err = DxfError{0, "no file name"};
        return false;
    }
    const std::string target = host::WideToUtf8(path);
    // A temporary beside the target, renamed over it: a reader never sees a
    // half-written drawing.
    const std::wstring temp = std::wstring(path) + L".tmp" + std::to_wstring(static_cast<long>(getpid()));
    // The records after the header are written to a second temporary as they
    // are made and copied behind the header at the end (it is written last):
    // the output is never held whole in memory. Without one, in memory.
    const std::wstring restPath = temp + L".rest";
    std::FILE* rest = _wfopen(restPath.c_str(), L"w+b");
    auto dropRest = [&] {
        if (!rest) return;
        std::fclose(rest);
        rest = nullptr;
        host::native::RemoveFile(restPath.c_str());
    };
    std::string text;
    if (!WriteInto(pDb, text, err, opts, rest)) {
        dropRest();
        return false;
    }
    if (rest && std::ferror(rest)) {
        const int restErr = errno;
        dropRest();
        err = DxfError{0, "cannot write '" + target + "': " + std::strerror(restErr)};
        return false;
    }
    std::FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f) {
        err = DxfError{0, "cannot write '" + target + "': " + std::strerror(errno)};
        dropRest();
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (ok && rest) ok = CopyRest(rest, f);
    int ioErr = ok ? 0 : errno;
    dropRest();
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        ioErr = errno;
    }
    if (ok) {
        const int renameErr = host::native::RenameReplacing(temp.c_str(), path);
        if (renameErr != 0) {
            host::native::RemoveFile(temp.c_str());
            err = DxfError{0, "cannot replace '" + target + "': " + std::strerror(renameErr)};
            return false;
        }
    }
    if (!ok) {
        host::native::RemoveFile(temp.c_str());
        err = DxfError{0, "cannot write '" + target + "': " + std::strerror(ioErr)};
        return false;
    }
    return true;
}

bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err) {
    return WriteDxf(pDb, path, err, DxfWriteOptions());
}

std::string DrawingVersion(const AcDbDatabase* pDb) {
    const auto* file = pDb ? static_cast<const FileImage*>(host_detail::ObjectAccess::file(pDb)) : nullptr;
    return file ? file->version : std::string("AC1032");
}

bool DrawingIsBinary(const AcDbDatabase* pDb) {
    const auto* file = pDb ? static_cast<const FileImage*>(host_detail::ObjectAccess::file(pDb)) : nullptr;
    return file && file->format != TagFormat::Ascii;
}

}  // namespace dxf
}  // namespace host
