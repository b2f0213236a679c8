// Headless host: the native services on Windows, and the POSIX pieces the
// runtime lacks (iconv.h in include/). Compiled without the
// host's own headers, which would clash with windows.h.
#include <errno.h>
#include <io.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "../native.h"
#include "include/iconv.h"

namespace {
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS: return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT: return EACCES;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return EEXIST;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        default: return EIO;
    }
}

std::string g_libraryError;

void SetLibraryError(DWORD error) { g_libraryError = "system error " + std::to_string(error); }
}  // namespace

namespace host {
namespace native {

std::wstring ModulePath(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

int RenameReplacing(const wchar_t* from, const wchar_t* to) {
    if (!from || !to) return EINVAL;
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : ErrnoOf(GetLastError());
}

int RemoveFile(const wchar_t* path) { return DeleteFileW(path) ? 0 : ErrnoOf(GetLastError()); }

bool CodePageToWide(unsigned codePage, const char* bytes, std::size_t n, std::wstring& out) {
    if (n == 0) {
        out.clear();
        return IsValidCodePage(codePage) != FALSE;
    }
    if (n > 0x7FFFFFFF) return false;
    const int length = static_cast<int>(n);
    const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (units <= 0) return false;
    std::wstring result(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, &result[0], units) != units) return false;
    out = std::move(result);
    return true;
}

void* OpenLibrary(const std::string& path) {
    std::wstring wide;
    if (!CodePageToWide(CP_UTF8, path.data(), path.size(), wide)) {
        g_libraryError = "the path is not UTF-8";
        return nullptr;
    }
    HMODULE module = LoadLibraryW(wide.c_str());
    if (!module) SetLibraryError(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* LibrarySymbol(void* library, const char* name) {
    if (!library || !name) return nullptr;
    FARPROC symbol = GetProcAddress(static_cast<HMODULE>(library), name);
    if (!symbol) SetLibraryError(GetLastError());
    return reinterpret_cast<void*>(symbol);
}

bool CloseLibrary(void* library) { return library && FreeLibrary(static_cast<HMODULE>(library)); }

std::string LibraryError() { return g_libraryError; }

}  // namespace native
}  // namespace host

// ---------------------------------------------------------------------------
// iconv

namespace {
constexpr unsigned kWide = 0xFFFFFFFF;  // "WCHAR_T": UTF-16 code units

struct Converter {
    unsigned from;
    unsigned to;
};

bool CodePageOf(const char* name, unsigned& cp) {
    if (!name) return false;
    std::string upper(name);
    for (char& ch : upper) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
    if (upper == "WCHAR_T" || upper == "UTF-16LE") {
        cp = kWide;
    } else if (upper == "UTF-8" || upper == "UTF8") {
        cp = CP_UTF8;
    } else if (upper == "GBK" || upper == "CP936") {
        cp = 936;
    } else if (upper == "BIG5" || upper == "CP950") {
        cp = 950;
    } else if (upper.compare(0, 2, "CP") == 0 && upper.size() > 2 &&
               upper.find_first_not_of("0123456789", 2) == std::string::npos) {
        cp = static_cast<unsigned>(std::stoul(upper.substr(2)));
    } else {
        return false;
    }
    return cp == kWide || IsValidCodePage(cp);
}

// Bytes of the character at p in the code page (1 to 4); 0 when it cannot
// be known from the n bytes at hand.
std::size_t CharLength(unsigned cp, const unsigned char* p, std::size_t n) {
    if (cp == CP_UTF8) {
        const std::size_t len = p[0] < 0x80 ? 1 : (p[0] & 0xE0) == 0xC0 ? 2 : (p[0] & 0xF0) == 0xE0 ? 3 : (p[0] & 0xF8) == 0xF0 ? 4 : 1;
        return len <= n ? len : 0;
    }
    if (IsDBCSLeadByteEx(cp, p[0])) return n >= 2 ? 2 : 0;
    return 1;
}

// The bytes decode to the same UTF-16 units: what a code page without a
// WC_NO_BEST_FIT_CHARS table still maps to a substitute is caught here.
bool RoundTrips(unsigned cp, const char* bytes, int nBytes, const wchar_t* units, int nUnits) {
    wchar_t back[8];
    const int n = MultiByteToWideChar(cp, 0, bytes, nBytes, back, 8);
    return n == nUnits && std::memcmp(back, units, static_cast<std::size_t>(n) * sizeof(wchar_t)) == 0;
}
}  // namespace

iconv_t iconv_open(const char* tocode, const char* fromcode) {
    unsigned to = 0, from = 0;
    if (!CodePageOf(tocode, to) || !CodePageOf(fromcode, from) || from == kWide) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new Converter{from, to};
}

int iconv_close(iconv_t cd) {
    delete static_cast<Converter*>(cd);
    return 0;
}

std::size_t iconv(iconv_t cd, char** inbuf, std::size_t* inbytesleft, char** outbuf, std::size_t* outbytesleft) {
    const auto* c = static_cast<const Converter*>(cd);
    if (!inbuf || !*inbuf) return 0;  // stateless: nothing to reset
    while (*inbytesleft > 0) {
        const auto* p = reinterpret_cast<const unsigned char*>(*inbuf);
        const std::size_t len = CharLength(c->from, p, *inbytesleft);
        if (len == 0) {
            errno = EINVAL;
            return static_cast<std::size_t>(-1);
        }
        wchar_t units[4];
        const int nUnits =
            MultiByteToWideChar(c->from, MB_ERR_INVALID_CHARS, *inbuf, static_cast<int>(len), units, 4);
        if (nUnits <= 0) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        char bytes[16];
        std::size_t nBytes = 0;
        if (c->to == kWide) {
            nBytes = static_cast<std::size_t>(nUnits) * sizeof(wchar_t);
            std::memcpy(bytes, units, nBytes);
        } else {
            // No "best fit": a character the code page lacks is an error
            // (as in iconv), not a look-alike such as U+2205 written as 0xD8.
            BOOL lossy = FALSE;
            const bool utf8 = c->to == CP_UTF8;
            const int made = WideCharToMultiByte(c->to, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, nUnits, bytes,
                                                 sizeof bytes, nullptr, utf8 ? nullptr : &lossy);
            if (made <= 0 || lossy || (!utf8 && !RoundTrips(c->to, bytes, made, units, nUnits))) {
                errno = EILSEQ;
                return static_cast<std::size_t>(-1);
            }
            nBytes = static_cast<std::size_t>(made);
        }
        if (nBytes > *outbytesleft) {
            errno = E2BIG;
            return static_cast<std::size_t>(-1);
        }
        std::memcpy(*outbuf, bytes, nBytes);
        *outbuf += nBytes;
        *outbytesleft -= nBytes;
        *inbuf += len;
        *inbytesleft -= len;
    }
    return 0;
}
