// Headless host: UTF-8 / UTF-16 / Latin-1 conversions of wide text.
#include "widetext.h"

namespace host {
namespace {
// Decodes one UTF-8 sequence at bytes[i]; advances i; false when malformed
// (overlong forms, surrogates and values above U+10FFFF are malformed).
bool decodeUtf8(const std::string& bytes, std::size_t& i, char32_t& out) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        out = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1; c = b0 & 0x1F; minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2; c = b0 & 0x0F; minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3; c = b0 & 0x07; minimum = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + static_cast<std::size_t>(extra) >= bytes.size()) {  // truncated sequence
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        c = (c << 6) | (b & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (c < minimum || c > 0x10FFFF || IsSurrogate(c)) return false;
    out = c;
    return true;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
}  // namespace

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) appendUtf8(out, NextChar(text.data(), text.size(), i));
    return out;
}

std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t c = 0;
        AppendChar(out, decodeUtf8(bytes, i, c) ? c : kReplacementChar);
    }
    return out;
}

bool IsValidUtf8(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t c = 0;
        if (!decodeUtf8(bytes, i, c)) return false;
    }
    return true;
}

bool DecodeUtf8(const std::string& bytes, std::size_t& i, char32_t& c) { return decodeUtf8(bytes, i, c); }

void AppendUtf8(std::string& out, char32_t c) { appendUtf8(out, c); }

std::wstring Latin1ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char b : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(b));
    return out;
}

std::u16string WideToUtf16(const std::wstring& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = NextChar(text.data(), text.size(), i);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
    }
    return out;
}

std::wstring Utf16ToWide(const std::u16string& units) {
    std::wstring out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (IsHighSurrogate(u) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendChar(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendChar(out, IsSurrogate(u) ? kReplacementChar : u);
        }
    }
    return out;
}

std::size_t Utf16Length(const std::wstring& text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) units += NextChar(text.data(), text.size(), i) >= 0x10000 ? 2 : 1;
    return units;
}

}  // namespace host
