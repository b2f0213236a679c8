// Headless host: CString.
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <stdexcept>
#include <vector>

#include "afxstr.h"
#include "widetext.h"

namespace {

bool isIn(wchar_t ch, const wchar_t* set) { return set && std::wcschr(set, ch) != nullptr && ch != L'\0'; }

// How the C runtime's wide formatting names a narrow string or character:
// the Microsoft runtime reads a bare %s in a wide format as wide text and
// needs the h; ISO C (glibc) reads a bare %s as narrow text.
#if defined(_WIN32)
constexpr wchar_t kNarrowSize[] = L"h";
#else
constexpr wchar_t kNarrowSize[] = L"";
#endif

// Rewrites an MFC wide format so that the runtime's vswprintf reads the same
// arguments on every platform: %s/%c become %ls/%lc, %S/%C become narrow
// (%hs/%hc on Windows, %s/%c elsewhere), and the Microsoft size prefixes
// I64/I32/I become ll / (none) / l.
std::wstring translateFormat(const wchar_t* format) {
    std::wstring out;
    const wchar_t* p = format;
    while (*p) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == L'%') {
            out += *p++;
            continue;
        }
        while (*p && std::wcschr(L"-+ #0", *p)) out += *p++;
        while (*p && (std::iswdigit(*p) || *p == L'*')) out += *p++;
        if (*p == L'.') {
            out += *p++;
            while (*p && (std::iswdigit(*p) || *p == L'*')) out += *p++;
        }
        std::wstring size;
        bool narrow = false;
        bool wide = false;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            size = L"ll";
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else if (p[0] == L'I') {
            size = L"l";
            p += 1;
        } else if (p[0] == L'h' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
            narrow = true;
            p += 1;
        } else if ((p[0] == L'l' || p[0] == L'w') && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
            wide = true;
            p += 1;
        } else {
            while (*p && std::wcschr(L"hlLzjtq", *p)) size += *p++;
        }
        const wchar_t conv = *p;
        if (!conv) break;
        ++p;
        switch (conv) {
            case L's':
            case L'c':
                out += narrow ? kNarrowSize : L"l";
                out += conv;
                break;
            case L'S':
            case L'C':
                out += wide ? L"l" : kNarrowSize;
                out += conv == L'S' ? L's' : L'c';
                break;
            default:
                out += size;
                out += conv;
        }
    }
    return out;
}

std::wstring formatV(const wchar_t* format, va_list args) {
    if (!format) return {};
    const std::wstring fmt = translateFormat(format);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), fmt.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
        // The runtime answers -1 both for a short buffer and for an encoding error;
        // stop growing at a sane bound so a bad argument cannot exhaust memory.
        if (buffer.size() >= (std::size_t{1} << 24)) return {};
        buffer.resize(buffer.size() * 4);
    }
}

int clampIndex(int i, int length) { return std::clamp(i, 0, length); }

}  // namespace

CString::CString(const wchar_t* text, int length) {
    if (text && length > 0) m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(wchar_t ch, int repeat) {
    if (repeat > 0) m_text.assign(static_cast<std::size_t>(repeat), ch);
}

CString::CString(const char* utf8) {
    if (utf8) m_text = host::Utf8ToWide(utf8);
}

wchar_t CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength()) throw std::out_of_range("CString::GetAt index out of range");
    return m_text[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, wchar_t ch) {
    if (index < 0 || index >= GetLength()) throw std::out_of_range("CString::SetAt index out of range");
    m_text[static_cast<std::size_t>(index)] = ch;
}

wchar_t* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_text.resize(static_cast<std::size_t>(minLength));
    return m_text.data();
}

wchar_t* CString::GetBufferSetLength(int length) {
    m_text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        m_text.resize(std::wcslen(m_text.c_str()));
    } else {
        m_text.resize(static_cast<std::size_t>(std::min(newLength, GetLength())));
    }
}

CString CString::Left(int count) const { return CString(m_text.substr(0, clampIndex(count, GetLength()))); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    const int start = clampIndex(first, GetLength());
    const int n = clampIndex(count, GetLength() - start);
    return CString(m_text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(n)));
}

CString CString::Right(int count) const {
    const int n = clampIndex(count, GetLength());
    return CString(m_text.substr(static_cast<std::size_t>(GetLength() - n)));
}

CString CString::SpanIncluding(const wchar_t* charSet) const {
    int i = 0;
    while (i < GetLength() && isIn(m_text[i], charSet)) ++i;
    return Left(i);
}

CString CString::SpanExcluding(const wchar_t* charSet) const {
    int i = 0;
    while (i < GetLength() && !isIn(m_text[i], charSet)) ++i;
    return Left(i);
}

CString CString::Tokenize(const wchar_t* tokens, int& start) const {
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return CString();
    }
    int i = start;
    while (i < GetLength() && isIn(m_text[i], tokens)) ++i;
    if (i >= GetLength()) {
        start = -1;
        return CString();
    }
    int j = i;
    while (j < GetLength() && !isIn(m_text[j], tokens)) ++j;
    start = j + 1;
    return Mid(i, j - i);
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const auto pos = m_text.find(ch, static_cast<std::size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const wchar_t* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    const auto pos = m_text.find(sub, static_cast<std::size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
    const auto pos = m_text.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const wchar_t* charSet) const {
    if (!charSet) return -1;
    const auto pos = m_text.find_first_of(charSet);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t target) { return TrimRight(target).TrimLeft(target); }
CString& CString::Trim(const wchar_t* targets) { return TrimRight(targets).TrimLeft(targets); }

CString& CString::TrimLeft() {
    std::size_t i = 0;
    while (i < m_text.size() && std::iswspace(static_cast<wint_t>(m_text[i]))) ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(wchar_t target) {
    std::size_t i = 0;
    while (i < m_text.size() && m_text[i] == target) ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(const wchar_t* targets) {
    std::size_t i = 0;
    while (i < m_text.size() && isIn(m_text[i], targets)) ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    std::size_t n = m_text.size();
    while (n > 0 && std::iswspace(static_cast<wint_t>(m_text[n - 1]))) --n;
    m_text.resize(n);
    return *this;
}

CString& CString::TrimRight(wchar_t target) {
    std::size_t n = m_text.size();
    while (n > 0 && m_text[n - 1] == target) --n;
    m_text.resize(n);
    return *this;
}

CString& CString::TrimRight(const wchar_t* targets) {
    std::size_t n = m_text.size();
    while (n > 0 && isIn(m_text[n - 1], targets)) --n;
    m_text.resize(n);
    return *this;
}

int CString::Remove(wchar_t ch) {
    const auto before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) {
    int count = 0;
    for (auto& ch : m_text)
        if (ch == oldCh) {
            ch = newCh;
            ++count;
        }
    return count;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
    if (!oldText || !*oldText) return 0;
    const std::wstring from(oldText);
    const std::wstring to(newText ? newText : L"");
    int count = 0;
    std::size_t pos = 0;
    while ((pos = m_text.find(from, pos)) != std::wstring::npos) {
        m_text.replace(pos, from.size(), to);
        pos += to.size();
        ++count;
    }
    return count;
}

int CString::Insert(int index, wchar_t ch) {
    m_text.insert(static_cast<std::size_t>(clampIndex(index, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const wchar_t* text) {
    if (text) m_text.insert(static_cast<std::size_t>(clampIndex(index, GetLength())), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    const int start = clampIndex(index, GetLength());
    const int n = clampIndex(count, GetLength() - start);
    m_text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(n));
    return GetLength();
}

CString& CString::MakeUpper() {
    for (auto& ch : m_text) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
    return *this;
}

CString& CString::MakeLower() {
    for (auto& ch : m_text) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) { m_text = formatV(format, args); }

void CString::AppendFormatV(const wchar_t* format, va_list args) { m_text += formatV(format, args); }

int CString::Compare(const wchar_t* other) const { return std::wcscmp(m_text.c_str(), other ? other : L""); }

int CString::CompareNoCase(const wchar_t* other) const { return _wcsicmp(m_text.c_str(), other ? other : L""); }

CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
CString operator+(const CString& a, const wchar_t* b) { return CString(a.str() + (b ? b : L"")); }
CString operator+(const wchar_t* a, const CString& b) { return CString(std::wstring(a ? a : L"") + b.str()); }
CString operator+(const CString& a, wchar_t b) { return CString(a.str() + b); }
CString operator+(wchar_t a, const CString& b) { return CString(a + b.str()); }

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
bool operator!=(const wchar_t* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
bool operator>(const CString& a, const CString& b) { return b < a; }
bool operator<=(const CString& a, const CString& b) { return !(b < a); }
bool operator>=(const CString& a, const CString& b) { return !(a < b); }
