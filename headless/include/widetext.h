#pragma once
// Headless host: conversions between the platform's wide text and the
// UTF-8 / UTF-16 byte forms used by files and archives. Wide text is UTF-16
// where wchar_t has 16 bits (Windows: characters beyond the basic plane are
// surrogate pairs, two wchar_t) and UTF-32 where it has 32 (one wchar_t per
// character); every function here holds for both. Invalid input (a lone
// surrogate, a value beyond U+10FFFF, malformed UTF-8) is replaced with
// U+FFFD rather than rejected, so no text is ever dropped.
#include <cstddef>
#include <string>

namespace host {
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& bytes);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(const std::string& bytes);
// Decodes the UTF-8 sequence at bytes[i] (i < bytes.size()) into c and moves
// i past it. False for a malformed sequence (overlong, surrogate, above
// U+10FFFF, truncated or a stray byte): i then moves past the bytes taken
// as that sequence, at least one.
bool DecodeUtf8(const std::string& bytes, std::size_t& i, char32_t& c);
// Appends c as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t c);
// Latin-1: each byte is one character.
std::wstring Latin1ToWide(const std::string& bytes);
// UTF-16 code units; characters outside the basic plane become surrogate pairs.
std::u16string WideToUtf16(const std::wstring& text);
std::wstring Utf16ToWide(const std::u16string& units);

constexpr char32_t kReplacementChar = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

constexpr bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// The character that starts at text[i] (i < n), and i moved past it: a
// surrogate pair counts as one character where wide text is UTF-16. Anything
// that is no character answers U+FFFD.
inline char32_t NextChar(const wchar_t* text, std::size_t n, std::size_t& i) {
    const auto u = static_cast<char32_t>(text[i++]);
    if (kWideIsUtf16 && IsHighSurrogate(u) && i < n && IsLowSurrogate(static_cast<char32_t>(text[i]))) {
        const auto low = static_cast<char32_t>(text[i++]);
        return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    }
    return IsSurrogate(u) || u > 0x10FFFF ? kReplacementChar : u;
}

// Writes character c (a valid one, as NextChar answers) at dst as wide
// text, one or two wchar_t; answers the position after it.
inline wchar_t* PutChar(wchar_t* dst, char32_t c) {
    if (kWideIsUtf16 && c >= 0x10000) {
        c -= 0x10000;
        *dst++ = static_cast<wchar_t>(0xD800 + (c >> 10));
        *dst++ = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        return dst;
    }
    *dst++ = static_cast<wchar_t>(c);
    return dst;
}

inline void AppendChar(std::wstring& out, char32_t c) {
    wchar_t units[2];
    out.append(units, static_cast<std::size_t>(PutChar(units, c) - units));
}

// The number of UTF-16 code units that text becomes (WideToUtf16(text).size()).
std::size_t Utf16Length(const std::wstring& text);
}  // namespace host
