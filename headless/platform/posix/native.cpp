// Headless host: the native services on POSIX systems.
#include "native.h"
#include "widetext.h"

#include <dlfcn.h>
#include <iconv.h>
#include <cerrno>
#include <cstdio>
#include <string>

namespace host {
namespace native {

std::wstring ModulePath(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) return {};
    return Utf8ToWide(info.dli_fname);
}

int RenameReplacing(const wchar_t* from, const wchar_t* to) {
    if (!from || !to) return EINVAL;
    return std::rename(WideToUtf8(from).c_str(), WideToUtf8(to).c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const wchar_t* path) { return std::remove(WideToUtf8(path).c_str()) == 0 ? 0 : errno; }

bool CodePageToWide(unsigned codePage, const char* bytes, std::size_t n, std::wstring& out) {
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("WCHAR_T", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::wstring result(n, L'\0');  // never more characters than bytes
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = n;
    char* outPtr = reinterpret_cast<char*>(&result[0]);
    std::size_t outLeft = result.size() * sizeof(wchar_t);
    const std::size_t rc = n == 0 ? 0 : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) return false;
    result.resize(result.size() - outLeft / sizeof(wchar_t));
    out = std::move(result);
    return true;
}

void* OpenLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* LibrarySymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }
bool CloseLibrary(void* library) { return library && dlclose(library) == 0; }
std::string LibraryError() {
    const char* text = dlerror();
    return text ? text : "";
}

}  // namespace native
}  // namespace host
