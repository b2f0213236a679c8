#pragma once
// Text in DXF files: the code page of $DWGCODEPAGE before R2007 (through
// iconv), UTF-8 from R2007, "\U+XXXX" escapes and caret forms both ways.
#include <iconv.h>

#include <string>
#include <string_view>

namespace host {
namespace dxf {
namespace detail {

class Codec {
public:
    Codec() = default;
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;
    ~Codec();

    // UTF-8 text, or the code page ("ANSI_1252"; empty is ANSI_1252). False
    // when the code page is not available (Windows-1252 is used instead).
    bool setup(bool utf8, const std::string& codepage);
    bool utf8() const { return m_utf8; }
    // Whether a text of this file and one of other are the same bytes.
    bool sameAs(const Codec& other) const { return m_utf8 == other.m_utf8 && (m_utf8 || m_name == other.m_name); }

    // File bytes to text: decoded, then escapes and caret forms resolved.
    std::wstring decode(std::string_view raw);
    // Text to file bytes: control characters in caret form, a caret as
    // "^ ", characters the code page lacks as "\U+XXXX".
    std::string encode(const std::wstring& text);
    // File bytes of this encoding to the bytes of another (escapes stay).
    std::string transcode(std::string_view raw, Codec& to);

private:
    std::wstring toWide(std::string_view raw);
    iconv_t m_in = reinterpret_cast<iconv_t>(-1);   // code page to UTF-8
    iconv_t m_out = reinterpret_cast<iconv_t>(-1);  // UTF-8 to code page
    bool m_utf8 = true;
    std::string m_name;  // iconv's name of the code page
};

// True when the bytes hold characters above ASCII that form valid UTF-8
// sequences (text written in UTF-8 under a code-page label).
bool LooksLikeUtf8(std::string_view bytes);

}  // namespace detail
}  // namespace dxf
}  // namespace host
