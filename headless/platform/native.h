#pragma once
// Headless host: the few services that each operating system provides in
// its own way, behind one interface. Only standard types cross it, so the
// sources behind it can include the system's headers (windows.h) without
// meeting the host's own Windows-style declarations.
#include <cstddef>
#include <string>

namespace host {
namespace native {

// The full path of the module (program or shared library) that holds
// `address`; empty when the system cannot tell.
std::wstring ModulePath(const void* address);

// Renames `from` to `to`, replacing `to` in one step when it exists, so a
// reader sees either the old or the new file. 0 on success, else an errno
// value (ENOENT, EACCES, ...) saying why.
int RenameReplacing(const wchar_t* from, const wchar_t* to);

// Removes a file; 0 on success, else an errno value.
int RemoveFile(const wchar_t* path);

// Strict conversion of n bytes in a Windows code page (936 for GBK, ...)
// to wide text; false, with out untouched, when a byte sequence is not
// valid in that code page or the code page is not available.
bool CodePageToWide(unsigned codePage, const char* bytes, std::size_t n, std::wstring& out);

// Shared libraries loaded at run time (the path in UTF-8): a handle or
// null; the symbol or null; LibraryError() tells why the last call failed.
void* OpenLibrary(const std::string& path);
void* LibrarySymbol(void* library, const char* name);
bool CloseLibrary(void* library);
std::string LibraryError();

}  // namespace native
}  // namespace host
