// Text in DXF files (see encoding.h).
#include "encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "widetext.h"

namespace host {
namespace dxf {
namespace detail {
namespace {
const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// "\U+XXXX" at s[i].
bool Escape(const std::wstring& s, std::size_t i, unsigned& cp) {
    if (i + 7 > s.size() || s[i] != L'\\' || (s[i + 1] != L'U' && s[i + 1] != L'u') || s[i + 2] != L'+') return false;
    cp = 0;
    for (std::size_t k = 3; k < 7; ++k) {
        const int d = HexDigit(s[i + k]);
        if (d < 0) return false;
        cp = cp * 16 + static_cast<unsigned>(d);
    }
    return true;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring s;
    if (text.find(L'^') == std::wstring::npos) {
        s = text;
    } else {
        s.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'^' && i + 1 < text.size()) {
                const wchar_t n = text[i + 1];
                if (n == L' ') {
                    s += L'^';
                    ++i;
                    continue;
                }
                if (n >= 0x40 && n <= 0x5F) {
                    s += static_cast<wchar_t>(n - 0x40);
                    ++i;
                    continue;
                }
            }
            s += text[i];
        }
    }
    if (s.find(L'\\') == std::wstring::npos) return s;
    std::wstring out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned cp = 0;
        if (!Escape(s, i, cp)) {
            out += s[i++];
            continue;
        }
        i += 7;
        unsigned low = 0;
        if (cp >= 0xD800 && cp <= 0xDBFF && Escape(s, i, low) && low >= 0xDC00 && low <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 7;
        }
        host::AppendChar(out, cp > 0x10FFFF || host::IsSurrogate(cp) ? host::kReplacementChar : cp);
    }
    return out;
}

// Runs iconv over the bytes; invalid input bytes become fallback.
std::string Convert(iconv_t cd, std::string_view v, const char* fallback) {
    std::string out(v.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(v.data());
    std::size_t inLeft = v.size();
    char* o = &out[0];
    std::size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const std::size_t fl = std::strlen(fallback);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || outLeft < fl) break;
        std::memcpy(o, fallback, fl);
        o += fl;
        outLeft -= fl;
        ++in;
        --inLeft;
    }
    out.resize(out.size() - outLeft);
    return out;
}
}  // namespace

Codec::~Codec() {
    if (m_in != kNone) iconv_close(m_in);
    if (m_out != kNone) iconv_close(m_out);
}

bool Codec::setup(bool utf8, const std::string& codepage) {
    if (m_in != kNone) iconv_close(m_in);
    if (m_out != kNone) iconv_close(m_out);
    m_in = m_out = kNone;
    m_utf8 = utf8;
    m_name.clear();
    if (utf8) return true;
    std::string cp = codepage.empty() ? "ANSI_1252" : codepage;
    for (auto& ch : cp) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string name;
    if (cp.rfind("ANSI_", 0) == 0) name = "CP" + cp.substr(5);
    if (cp == "ANSI_936") name = "GBK";
    if (cp == "ANSI_950") name = "BIG5";
    if (cp == "ANSI_949") name = "CP949";
    if (cp == "ANSI_932") name = "CP932";
    bool ok = !name.empty();
    if (ok) {
        m_in = iconv_open("UTF-8", name.c_str());
        m_out = iconv_open(name.c_str(), "UTF-8");
        ok = m_in != kNone && m_out != kNone;
    }
    if (!ok) {
        if (m_in != kNone) iconv_close(m_in);
        if (m_out != kNone) iconv_close(m_out);
        name = "CP1252";
        m_in = iconv_open("UTF-8", name.c_str());
        m_out = iconv_open(name.c_str(), "UTF-8");
    }
    m_name = name;
    return ok || cp == "ANSI_1252";
}

std::wstring Codec::toWide(std::string_view raw) {
    if (m_utf8) return host::Utf8ToWide(std::string(raw));
    if (m_in == kNone) return host::Latin1ToWide(std::string(raw));
    return host::Utf8ToWide(Convert(m_in, raw, "\xEF\xBF\xBD"));
}

std::wstring Codec::decode(std::string_view raw) {
    bool plain = true;
    for (const char ch : raw) {
        if (static_cast<unsigned char>(ch) >= 0x80 || ch == '\\' || ch == '^') {
            plain = false;
            break;
        }
    }
    if (plain) return std::wstring(raw.begin(), raw.end());
    return Unescape(toWide(raw));
}

std::string Codec::encode(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    bool plain = true;
    for (const wchar_t ch : text) {
        if (ch < 0x20 || ch == L'^' || ch >= 0x80) {
            plain = false;
            break;
        }
        out += static_cast<char>(ch);
    }
    if (plain) return out;
    out.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t c = host::NextChar(text.data(), text.size(), i);
        if (c < 0x20) {
            out += '^';
            out += static_cast<char>(c + 0x40);
        } else if (c == U'^') {
            out += "^ ";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            std::wstring one;
            host::AppendChar(one, c);
            const std::string u8 = host::WideToUtf8(one);
            if (m_utf8) {
                out += u8;
                continue;
            }
            std::string cp;
            if (m_out != kNone) {
                iconv(m_out, nullptr, nullptr, nullptr, nullptr);
                char buf[16];
                char* in = const_cast<char*>(u8.data());
                std::size_t inLeft = u8.size();
                char* o = buf;
                std::size_t outLeft = sizeof buf;
                if (iconv(m_out, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0 &&
                    iconv(m_out, nullptr, nullptr, &o, &outLeft) != static_cast<std::size_t>(-1))
                    cp.assign(buf, o);
            }
            if (!cp.empty()) {
                out += cp;
            } else {
                // Four hex digits each; above the basic plane a surrogate pair.
                auto esc = [&](unsigned v) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "\\U+%04X", v & 0xFFFFu);
                    out += buf;
                };
                if (c >= 0x10000) {
                    esc(0xD800 + ((c - 0x10000) >> 10));
                    esc(0xDC00 + ((c - 0x10000) & 0x3FF));
                } else {
                    esc(static_cast<unsigned>(c));
                }
            }
        }
    }
    return out;
}

std::string Codec::transcode(std::string_view raw, Codec& to) {
    bool ascii = true;
    for (const char ch : raw)
        if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
    if (ascii || sameAs(to)) return std::string(raw);
    // Through wide text without resolving escapes, so they stay as written.
    const std::wstring w = toWide(raw);
    std::string out;
    std::size_t i = 0;
    while (i < w.size()) {
        const std::size_t start = i;
        const char32_t c = host::NextChar(w.data(), w.size(), i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        out += to.encode(w.substr(start, i - start));
    }
    return out;
}

bool LooksLikeUtf8(std::string_view bytes) {
    bool multi = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || b == 0xC0 || b == 0xC1 || i + static_cast<std::size_t>(extra) >= bytes.size() + 0) {
            if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) return false;
        }
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        multi = true;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return multi;
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
