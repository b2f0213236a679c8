#pragma once
// Headless host: the wide-text C runtime functions of the host platform.
// On Windows they are the runtime's own (stdlib.h, wchar.h); elsewhere the
// host supplies them, with the Microsoft runtime's semantics.
#include <cstdio>
#include <cwctype>

#include "windef.h"

#if defined(_WIN32)
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#else
// Integer value of the leading decimal number (white space and sign allowed);
// 0 when there is none; saturates like wcstol.
int _wtoi(const wchar_t* str);
long _wtol(const wchar_t* str);
// Floating value of the leading number; 0.0 when there is none.
double _wtof(const wchar_t* str);
// Case-insensitive comparison (towlower per character): <0, 0 or >0.
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, std::size_t count);
// Splits a path into drive (always empty here: no drive letters), folder
// (with its trailing separator), file name and extension (with its dot).
// Any output may be null; '/' and '\\' both separate folders. Outputs are
// cut to the _MAX_* sizes.
void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname, wchar_t* ext);
// fopen with a wide file name and mode; the name goes to the file system as
// UTF-8. Null (errno set) when the file cannot be opened.
std::FILE* _wfopen(const wchar_t* name, const wchar_t* mode);
#endif
