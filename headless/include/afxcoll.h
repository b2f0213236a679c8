#pragma once
// Headless host: MFC's CStringArray.
#include "afxstr.h"
#include "afxtempl.h"

class CStringArray : public CArray<CString, const wchar_t*> {
public:
    using CArray<CString, const wchar_t*>::Add;
    INT_PTR Add(const CString& text) { return CArray<CString, const wchar_t*>::Add(text.GetString()); }
};
