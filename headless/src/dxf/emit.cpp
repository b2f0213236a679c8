// Writing tags (see emit.h).
#include "emit.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace host {
namespace dxf {
namespace detail {

std::string_view RealText(double v, char (&buf)[40]) {
    const auto res = std::to_chars(buf, buf + 36, v);
    char* e = res.ptr;
    bool point = false;
    for (char* p = buf; p != e; ++p)
        if (*p == '.' || *p == 'e' || *p == 'E' || *p == 'n' || *p == 'i') point = true;
    if (!point) {
        *e++ = '.';
        *e++ = '0';
    }
    return std::string_view(buf, static_cast<std::size_t>(e - buf));
}

Emitter::Emitter(std::string& out, TagFormat format, Codec& codec, bool crlf)
    : m_out(out), m_format(format), m_codec(codec), m_eol(crlf ? "\r\n" : "\n") {}

void Emitter::code(int c) {
    if (m_format == TagFormat::Ascii) {
        char buf[16];
        int n = 0;
        if (c >= 0 && c < 10) {
            buf[n++] = ' ';
            buf[n++] = ' ';
        } else if (c >= 10 && c < 100) {
            buf[n++] = ' ';
        }
        const auto res = std::to_chars(buf + n, buf + sizeof buf, c);
        m_out.append(buf, res.ptr);
        m_out.append(m_eol.data(), m_eol.size());
        return;
    }
    const auto u = static_cast<std::uint16_t>(c);
    if (m_format == TagFormat::Binary12) {
        if (c >= 0 && c < 255) {
            m_out += static_cast<char>(c);
            return;
        }
        m_out += '\xff';
    }
    m_out += static_cast<char>(u & 0xFF);
    m_out += static_cast<char>(u >> 8);
}

void Emitter::text(int c, std::string_view value) {
    code(c);
    if (m_format == TagFormat::Ascii) {
        bool breaks = false;
        for (const char ch : value) breaks |= ch == '\n' || ch == '\r';
        if (!breaks) {
            m_out.append(value.data(), value.size());
        } else {
            // Text from binary DXF may hold line breaks, which would end the
            // ASCII line: written in caret form ("^J"), as the reader reads it.
            for (const char ch : value) {
                if (ch == '\n' || ch == '\r') {
                    m_out += '^';
                    m_out += static_cast<char>(ch + 64);
                } else {
                    m_out += ch;
                }
            }
        }
        m_out.append(m_eol.data(), m_eol.size());
        return;
    }
    binaryValue(c, value);
}

void Emitter::binaryValue(int c, std::string_view value) {
    auto little = [&](std::uint64_t v, int bytes) {
        for (int k = 0; k < bytes; ++k) m_out += static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    long long n = 0;
    switch (KindOfCode(c)) {
    case VK::Dbl: {
        double d = 0;
        if (!ParseDouble(value, d)) d = 0;
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        little(bits, 8);
        return;
    }
    case VK::Int16: if (!ParseInt(value, n)) n = 0; little(static_cast<std::uint64_t>(n), 2); return;
    case VK::Int32: if (!ParseInt(value, n)) n = 0; little(static_cast<std::uint64_t>(n), 4); return;
    case VK::Int64: if (!ParseInt(value, n)) n = 0; little(static_cast<std::uint64_t>(n), 8); return;
    case VK::Bool: if (!ParseInt(value, n)) n = 0; m_out += static_cast<char>(n & 0xFF); return;
    case VK::Bin: {
        const std::string_view v = Trim(value);
        const std::size_t len = std::min<std::size_t>(v.size() / 2, 255);
        m_out += static_cast<char>(len);
        for (std::size_t k = 0; k < len; ++k) {
            unsigned b = 0;
            std::from_chars(v.data() + 2 * k, v.data() + 2 * k + 2, b, 16);
            m_out += static_cast<char>(b);
        }
        return;
    }
    case VK::Str:
    case VK::Handle:
        for (const char ch : value)
            if (ch != '\0') m_out += ch;
        m_out += '\0';
        return;
    }
}

void Emitter::num(int c, double v) {
    if (!std::isfinite(v)) throw NotFinite{current};
    if (m_format != TagFormat::Ascii) {
        code(c);
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        for (int k = 0; k < 8; ++k) m_out += static_cast<char>((bits >> (8 * k)) & 0xFF);
        return;
    }
    char buf[40];
    numberText(c, RealText(v, buf));
}

void Emitter::numberText(int c, std::string_view value) {
    if (m_format != TagFormat::Ascii) {
        text(c, value);
        return;
    }
    code(c);
    m_out.append(value.data(), value.size());
    m_out.append(m_eol.data(), m_eol.size());
}

void Emitter::integer(int c, long long v) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    numberText(c, std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
}

void Emitter::hex(int c, std::uint64_t h) {
    char buf[24];
    numberText(c, HexText(h, buf));
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
