#pragma once
// Marks what the shared library exports; everything else stays hidden.
#if defined(_WIN32)
// Building the DLL exports; users (the static twin the tests link, and
// clients of the DLL, whose import library resolves the names) need nothing.
#if defined(DROVIK_BUILDING)
#define DROVIK_API __declspec(dllexport)
#else
#define DROVIK_API
#endif
#else
#define DROVIK_API __attribute__((visibility("default")))
#endif
