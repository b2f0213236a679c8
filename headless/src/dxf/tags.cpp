// DXF tags: value kinds, number parsing and the ASCII and binary tokenizers.
#include "tags.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace host {
namespace dxf {
namespace detail {

void Fail(std::uint32_t line, std::string message) { throw Failure{line, std::move(message)}; }

std::string Quote(std::string_view v) {
    std::string s(v.substr(0, 40));
    for (auto& ch : s)
        if (static_cast<unsigned char>(ch) < 0x20) ch = '?';
    if (v.size() > 40) s += "...";
    return "'" + s + "'";
}

std::string_view HexText(std::uint64_t h, char (&buf)[24]) {
    const auto res = std::to_chars(buf, buf + sizeof buf, h, 16);
    for (char* p = buf; p != res.ptr; ++p)
        if (*p >= 'a') *p = static_cast<char>(*p - 'a' + 'A');
    return std::string_view(buf, static_cast<std::size_t>(res.ptr - buf));
}

std::string HexText(std::uint64_t h) {
    char buf[24];
    return std::string(HexText(h, buf));
}

VK KindOfCode(int c) {
    if (c >= 10 && c <= 59) return VK::Dbl;
    if (c >= 60 && c <= 79) return VK::Int16;
    if (c >= 90 && c <= 99) return VK::Int32;
    if (c == 5 || c == 105) return VK::Handle;
    if (c >= 110 && c <= 149) return VK::Dbl;
    if (c >= 160 && c <= 169) return VK::Int64;
    if (c >= 170 && c <= 179) return VK::Int16;
    if (c >= 210 && c <= 239) return VK::Dbl;
    if (c >= 270 && c <= 289) return VK::Int16;
    if (c >= 290 && c <= 299) return VK::Bool;
    if (c >= 310 && c <= 319) return VK::Bin;
    if (IsPointerCode(c)) return VK::Handle;
    if (c >= 370 && c <= 389) return VK::Int16;
    if (c >= 400 && c <= 409) return VK::Int16;
    if (c >= 420 && c <= 429) return VK::Int32;
    if (c >= 440 && c <= 459) return VK::Int32;
    if (c >= 460 && c <= 469) return VK::Dbl;
    if (c == 1004) return VK::Bin;
    if (c >= 1010 && c <= 1059) return VK::Dbl;
    if (c >= 1060 && c <= 1070) return VK::Int16;
    if (c == 1071) return VK::Int32;
    return VK::Str;
}

bool IsKnownCode(int c) {
    return (c >= -5 && c <= 369) || (c >= 370 && c <= 481) || c == 999 || (c >= 1000 && c <= 1071);
}

std::string_view Trim(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

bool ParseDouble(std::string_view v, double& d) {
    v = Trim(v);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), d);
    return res.ec == std::errc() && res.ptr == v.data() + v.size() && std::isfinite(d);
}

bool ParseInt(std::string_view v, long long& n) {
    v = Trim(v);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), n);
    if (res.ec == std::errc() && res.ptr == v.data() + v.size()) return true;
    // Some writers put integers as reals ("1.0").
    double d = 0;
    if (!ParseDouble(v, d) || d != std::floor(d) || std::fabs(d) > 9e18) return false;
    n = static_cast<long long>(d);
    return true;
}

bool ParseHex(std::string_view v, std::uint64_t& h) {
    v = Trim(v);
    if (v.empty() || v.size() > 16) return false;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), h, 16);
    return res.ec == std::errc() && res.ptr == v.data() + v.size();
}

std::string_view Arena::keep(const char* p, std::size_t n) {
    if (m_used + n > m_capacity) {
        m_capacity = std::max<std::size_t>(n, 1 << 16);
        m_blocks.emplace_back(new char[m_capacity]);
        m_used = 0;
    }
    char* dst = m_blocks.back().get() + m_used;
    if (n) std::memcpy(dst, p, n);
    m_used += n;
    return std::string_view(dst, n);
}

TagFormat DetectFormat(const char* data, std::size_t size, std::size_t& start) {
    start = 0;
    if (size >= kBinarySentinelSize && std::memcmp(data, kBinarySentinel, kBinarySentinelSize) == 0) {
        start = kBinarySentinelSize;
        // A one-byte code 0 is followed by its text ("SECTION") at once,
        // a two-byte one by another zero byte; 255 opens a two-byte code in
        // the one-byte form (a 999 comment first).
        if (size > start + 1 && ((data[start] == 0 && data[start + 1] != 0) ||
                                 static_cast<unsigned char>(data[start]) == 255))
            return TagFormat::Binary12;
        return TagFormat::Binary;
    }
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) start = 3;
    return TagFormat::Ascii;
}

bool UsesCrLines(const char* data, std::size_t begin, std::size_t size) {
    const std::size_t n = std::min<std::size_t>(size - begin, 4096);
    const void* cr = std::memchr(data + begin, '\r', n);
    if (!cr) return false;
    const char* c = static_cast<const char*>(cr);
    return c + 1 < data + size && c[1] != '\n';
}

Tokenizer::Tokenizer(const char* data, std::size_t begin, std::size_t end, TagFormat format, Arena* arena,
                     std::uint32_t firstLine, bool crLines)
    : m_data(data), m_p(begin), m_end(end), m_format(format), m_arena(arena), m_line(firstLine),
      m_crLines(crLines) {}

bool Tokenizer::next(Tag& t) { return m_format == TagFormat::Ascii ? nextAscii(t) : nextBinary(t); }

bool Tokenizer::line(std::string_view& out) {
    if (m_p >= m_end) return false;
    const char* p = m_data + m_p;
    const std::size_t left = m_end - m_p;
    const char* nl = static_cast<const char*>(std::memchr(p, m_crLines ? '\r' : '\n', left));
    const char* stop = nl ? nl : m_data + m_end;
    const char* e = stop;
    if (!m_crLines && e > p && e[-1] == '\r') --e;
    out = std::string_view(p, static_cast<std::size_t>(e - p));
    m_p = nl ? static_cast<std::size_t>(nl - m_data) + 1 : m_end;
    if (m_crLines && m_p < m_end && m_data[m_p] == '\n') ++m_p;
    return true;
}

bool Tokenizer::nextAscii(Tag& t) {
    std::string_view codeLine;
    const std::size_t at = m_p;
    if (!line(codeLine)) return false;
    const std::string_view c = Trim(codeLine);
    if (c.empty() && m_p >= m_end) return false;                        // a last empty line
    if (c.size() == 1 && c[0] == '\x1a' && m_p >= m_end) return false;  // end-of-file byte
    int code = 0;
    const auto res = std::from_chars(c.data(), c.data() + c.size(), code);
    if (c.empty() || res.ec != std::errc() || res.ptr != c.data() + c.size()) {
        m_p = at;
        Fail(m_line, "expected a group code, found " + Quote(codeLine));
    }
    t.code = code;
    t.line = m_line + 1;  // of the value, as messages name it
    if (!line(t.value)) {
        m_cut = true;
        m_p = at;
        return false;
    }
    m_line += 2;
    return true;
}

bool Tokenizer::nextBinary(Tag& t) {
    const std::size_t at = m_p;
    auto need = [&](std::size_t n) {
        if (m_end - m_p < n) {
            m_cut = true;
            m_p = at;
            return false;
        }
        return true;
    };
    if (m_p >= m_end) return false;
    const auto* u = reinterpret_cast<const unsigned char*>(m_data);
    int code = 0;
    if (m_format == TagFormat::Binary12) {
        code = u[m_p++];
        if (code == 255) {
            if (!need(2)) return false;
            code = u[m_p] | (u[m_p + 1] << 8);
            m_p += 2;
        }
    } else {
        if (!need(2)) return false;
        code = static_cast<std::int16_t>(u[m_p] | (u[m_p + 1] << 8));
        m_p += 2;
    }
    t.code = code;
    t.line = m_line + 1;
    char buf[40];
    auto number = [&](auto v) {
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        t.value = m_arena->keep(buf, static_cast<std::size_t>(res.ptr - buf));
    };
    auto little = [&](int bytes) {
        std::uint64_t v = 0;
        for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | u[m_p + static_cast<std::size_t>(k)];
        m_p += static_cast<std::size_t>(bytes);
        return v;
    };
    switch (KindOfCode(code)) {
    case VK::Dbl: {
        if (!need(8)) return false;
        const std::uint64_t bits = little(8);
        double d;
        std::memcpy(&d, &bits, 8);
        if (std::isfinite(d)) {
            number(d);
        } else {
            t.value = m_arena->keep("nan", 3);
        }
        break;
    }
    case VK::Int16:
        if (!need(2)) return false;
        number(static_cast<std::int16_t>(little(2)));
        break;
    case VK::Int32:
        if (!need(4)) return false;
        number(static_cast<std::int32_t>(little(4)));
        break;
    case VK::Int64:
        if (!need(8)) return false;
        number(static_cast<std::int64_t>(little(8)));
        break;
    case VK::Bool:
        if (!need(1)) return false;
        number(static_cast<int>(u[m_p++]));
        break;
    case VK::Bin: {
        if (!need(1)) return false;
        const std::size_t n = u[m_p];
        if (!need(1 + n)) return false;
        static const char kHex[] = "0123456789ABCDEF";
        std::string hex(2 * n, '0');
        for (std::size_t k = 0; k < n; ++k) {
            hex[2 * k] = kHex[u[m_p + 1 + k] >> 4];
            hex[2 * k + 1] = kHex[u[m_p + 1 + k] & 15];
        }
        m_p += 1 + n;
        t.value = m_arena->keep(hex.data(), hex.size());
        break;
    }
    case VK::Str:
    case VK::Handle: {
        const void* z = std::memchr(m_data + m_p, 0, m_end - m_p);
        if (!z) {
            m_cut = true;
            m_p = at;
            return false;
        }
        const std::size_t e = static_cast<std::size_t>(static_cast<const char*>(z) - m_data);
        t.value = std::string_view(m_data + m_p, e - m_p);
        m_p = e + 1;
        break;
    }
    }
    m_line += 2;
    return true;
}

void TagsOf(const char* data, std::size_t begin, std::size_t end, TagFormat format, Arena& arena,
            std::uint32_t firstLine, bool crLines, std::vector<Tag>& out) {
    out.clear();
    Tokenizer tok(data, begin, end, format, &arena, firstLine, crLines);
    Tag t;
    while (tok.next(t)) out.push_back(t);
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
