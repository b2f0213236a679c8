#pragma once
// Headless host: the MFC wide string CString (CStringW).
//
// Behaviour follows MFC's CStringT where clients rely on it:
// - Left, Mid and Right clamp their arguments to the text instead of failing.
// - Trim, TrimLeft and TrimRight without arguments remove white space (iswspace).
// - Format and AppendFormat keep MFC's meaning of the conversions in a wide
//   format: %s and %c take wide text, %S and %C narrow text (%hs/%ls and
//   %hc/%lc say so explicitly), %I64d is a 64-bit integer. Pass a CString as
//   its text: str.GetString() or (LPCTSTR)str.
// - Construction from narrow text decodes UTF-8.
#include <cstdarg>
#include <string>

#include "windef.h"
#include "wincrt.h"

class CString {
public:
    using XCHAR = wchar_t;
    using PCXSTR = const wchar_t*;

    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}  // NOLINT: implicit as in MFC
    CString(const wchar_t* text, int length);
    CString(wchar_t ch, int repeat = 1);
    CString(const char* utf8);  // NOLINT: implicit as in MFC
    CString(const std::wstring& text) : m_text(text) {}  // NOLINT
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* text) { m_text = text ? text : L""; return *this; }
    CString& operator=(wchar_t ch) { m_text.assign(1, ch); return *this; }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    wchar_t GetAt(int index) const;
    void SetAt(int index, wchar_t ch);
    wchar_t operator[](int index) const { return GetAt(index); }
    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }  // NOLINT: implicit as in MFC
    const std::wstring& str() const { return m_text; }

    // Writable buffer of at least minLength characters; ReleaseBuffer(-1)
    // takes the length up to the first null.
    wchar_t* GetBuffer(int minLength = 0);
    wchar_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const wchar_t* charSet) const;
    CString SpanExcluding(const wchar_t* charSet) const;
    CString Tokenize(const wchar_t* tokens, int& start) const;

    // -1 when not found.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(const wchar_t* charSet) const;

    CString& Trim();
    CString& Trim(wchar_t target);
    CString& Trim(const wchar_t* targets);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t target);
    CString& TrimLeft(const wchar_t* targets);
    CString& TrimRight();
    CString& TrimRight(wchar_t target);
    CString& TrimRight(const wchar_t* targets);

    int Remove(wchar_t ch);                               // count removed
    int Replace(wchar_t oldCh, wchar_t newCh);            // count replaced
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Insert(int index, wchar_t ch);                    // new length
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count = 1);                 // new length
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Append(const wchar_t* text) { m_text += text ? text : L""; return *this; }
    CString& AppendChar(wchar_t ch) { m_text += ch; return *this; }

    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormatV(const wchar_t* format, va_list args);

    int Compare(const wchar_t* other) const;
    int CompareNoCase(const wchar_t* other) const;
    int Collate(const wchar_t* other) const { return Compare(other); }

    CString& operator+=(const CString& s) { m_text += s.m_text; return *this; }
    CString& operator+=(const wchar_t* s) { return Append(s); }
    CString& operator+=(wchar_t ch) { m_text += ch; return *this; }

private:
    std::wstring m_text;
};

using CStringW = CString;

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const wchar_t* b);
CString operator+(const wchar_t* a, const CString& b);
CString operator+(const CString& a, wchar_t b);
CString operator+(wchar_t a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const wchar_t* b);
bool operator==(const wchar_t* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const wchar_t* b);
bool operator!=(const wchar_t* a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);
