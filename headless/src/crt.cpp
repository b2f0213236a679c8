// Headless host: wide C runtime functions (where the platform lacks them)
// and the array index faults.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <stdexcept>
#include <string>

#include "acarray.h"
#include "afxtempl.h"
#include "widetext.h"
#include "wincrt.h"

#if !defined(_WIN32)  // Windows has these in its runtime
int _wtoi(const wchar_t* str) {
    const long value = _wtol(str);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

long _wtol(const wchar_t* str) {
    if (!str) return 0;
    return std::wcstol(str, nullptr, 10);
}

double _wtof(const wchar_t* str) {
    if (!str) return 0.0;
    return std::wcstod(str, nullptr);
}

int _wcsicmp(const wchar_t* a, const wchar_t* b) { return _wcsnicmp(a, b, static_cast<std::size_t>(-1)); }

int _wcsnicmp(const wchar_t* a, const wchar_t* b, std::size_t count) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (std::size_t i = 0; i < count; ++i) {
        const wint_t ca = std::towlower(static_cast<wint_t>(a[i]));
        const wint_t cb = std::towlower(static_cast<wint_t>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
    return 0;
}

namespace {
void copyOut(wchar_t* out, const std::wstring& text, std::size_t capacity) {
    if (!out) return;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::wmemcpy(out, text.data(), n);
    out[n] = L'\0';
}
}  // namespace

void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname, wchar_t* ext) {
    const std::wstring full(path ? path : L"");
    const auto slash = full.find_last_of(L"/\\");
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::wstring name = full.substr(nameStart);
    const auto dot = name.rfind(L'.');
    copyOut(drive, L"", _MAX_DRIVE);
    copyOut(dir, full.substr(0, nameStart), _MAX_DIR);
    copyOut(fname, dot == std::wstring::npos ? name : name.substr(0, dot), _MAX_FNAME);
    copyOut(ext, dot == std::wstring::npos ? std::wstring() : name.substr(dot), _MAX_EXT);
}

std::FILE* _wfopen(const wchar_t* name, const wchar_t* mode) {
    if (!name || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    return std::fopen(host::WideToUtf8(name).c_str(), host::WideToUtf8(mode).c_str());
}
#endif

namespace host_detail {
void ThrowArrayIndex(INT_PTR index, INT_PTR size) {
    throw std::out_of_range("CArray index " + std::to_string(index) + " outside size " + std::to_string(size));
}
void ThrowAcArrayIndex(int index, int length) {
    throw std::out_of_range("AcArray index " + std::to_string(index) + " outside length " + std::to_string(length));
}
}  // namespace host_detail
