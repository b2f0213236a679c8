#pragma once
// The library's boundary to the host's MFC-style classes: CString,
// CStringArray, CArray and the wide C runtime.
#include <afx.h>
