#pragma once
// Headless host: conversions between the platform's 32-bit wchar_t text and
// the UTF-8 / UTF-16 byte forms used by files and archives. Invalid input is
// replaced with U+FFFD rather than rejected, so no text is ever dropped.
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
// Appends one code point to wide text: one unit where wchar_t is 32-bit, a
// surrogate pair above U+FFFF where it is 16-bit. Invalid values append U+FFFD.
void AppendCodePoint(std::wstring& text, char32_t c);
// The code point at text[i] (a surrogate pair counts as one where wchar_t is
// 16-bit); advances i past it. An unpaired surrogate answers U+FFFD.
char32_t NextCodePoint(const std::wstring& text, std::size_t& i);
}  // namespace host
