#pragma once
// Writing tags, ASCII or binary, into one growing buffer.
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding.h"
#include "gepnt3d.h"
#include "gevec3d.h"
#include "tags.h"

namespace host {
namespace dxf {
namespace detail {

// A number that is not finite reached the writer (the object's handle).
struct NotFinite {
    std::uint64_t handle;
};

class Emitter {
public:
    Emitter(std::string& out, TagFormat format, Codec& codec, bool crlf);
    TagFormat format() const { return m_format; }
    Codec& codec() { return m_codec; }
    std::uint64_t current = 0;  // handle of the object being written, for errors

    // A value given as file text (already in the file's encoding).
    void text(int code, std::string_view value);
    void tag(const Tag& t) { text(t.code, t.value); }
    void str(int code, const std::wstring& value) { text(code, m_codec.encode(value)); }
    void str(int code, const wchar_t* value) { str(code, std::wstring(value ? value : L"")); }
    void num(int code, double v);
    void integer(int code, long long v);
    void hex(int code, std::uint64_t h);
    void point(int code, const AcGePoint3d& p) {
        num(code, p.x);
        num(code + 10, p.y);
        num(code + 20, p.z);
    }
    void vec(int code, const AcGeVector3d& v) {
        num(code, v.x);
        num(code + 10, v.y);
        num(code + 20, v.z);
    }
    // Bytes already in the output's form.
    void bytes(std::string_view b) { m_out.append(b.data(), b.size()); }
    std::size_t size() const { return m_out.size(); }

private:
    void code(int c);
    void binaryValue(int code, std::string_view value);
    // A number's text: no line breaks to look for.
    void numberText(int code, std::string_view value);
    std::string& m_out;
    TagFormat m_format;
    Codec& m_codec;
    std::string_view m_eol;  // a view: appending it needs no strlen per tag
};

// The shortest text that reads back as v, with a decimal point.
std::string_view RealText(double v, char (&buf)[40]);

}  // namespace detail
}  // namespace dxf
}  // namespace host
