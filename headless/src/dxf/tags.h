#pragma once
// DXF tags: a group code and its value, read from a whole file in memory
// without copying (values are views into the buffer; binary numbers are
// turned into text once, in an arena, so everything after the tokenizer
// deals with text only).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {
namespace dxf {
namespace detail {

// A file that cannot be read at all; the reader turns it into a DxfError.
struct Failure {
    std::uint32_t line;
    std::string message;
};
[[noreturn]] void Fail(std::uint32_t line, std::string message);

// "'value'" cut to 40 characters, for messages.
std::string Quote(std::string_view v);
// A handle in upper-case hexadecimal.
std::string HexText(std::uint64_t h);
// The same into buf, without allocating.
std::string_view HexText(std::uint64_t h, char (&buf)[24]);

// The value kinds of group codes (binary DXF stores each differently).
enum class VK : std::uint8_t { Str, Dbl, Int16, Int32, Int64, Handle, Bool, Bin };
VK KindOfCode(int code);
// Codes that hold a reference to another object by handle.
inline bool IsPointerCode(int code) {
    return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481 ||
           code == 1005;
}
// Codes a DXF reader knows at all (-5..1071 as the format defines them).
bool IsKnownCode(int code);

struct Tag {
    int code = 0;
    std::string_view value;
    std::uint32_t line = 0;  // of the value (binary: as if the file were ASCII)
};

std::string_view Trim(std::string_view v);
// Numbers as DXF writes them (spaces around, a leading '+'); false otherwise.
bool ParseDouble(std::string_view v, double& d);
bool ParseInt(std::string_view v, long long& n);
bool ParseHex(std::string_view v, std::uint64_t& h);

// Stable storage for text made while reading (binary values as text).
class Arena {
public:
    std::string_view keep(const char* p, std::size_t n);

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
};

enum class TagFormat : std::uint8_t { Ascii, Binary12, Binary };  // Binary12: one-byte group codes (R12)

constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";  // and a NUL: 22 bytes
constexpr std::size_t kBinarySentinelSize = 22;

// The format of a whole file and the offset of its first tag (after a
// byte-order mark or the binary sentinel).
TagFormat DetectFormat(const char* data, std::size_t size, std::size_t& start);

class Tokenizer {
public:
    // Tags of data[begin, end) in the format; firstLine numbers the first
    // code line. Binary values are kept in the arena.
    Tokenizer(const char* data, std::size_t begin, std::size_t end, TagFormat format, Arena* arena,
              std::uint32_t firstLine = 1, bool crLines = false);
    // The next tag; false at the end of the data (cut is set when the data
    // ends inside a tag). Throws Failure for a group code that is no number.
    bool next(Tag& t);
    std::size_t offset() const { return m_p; }  // of the next tag
    std::uint32_t line() const { return m_line; }
    bool cut() const { return m_cut; }

private:
    bool nextAscii(Tag& t);
    bool nextBinary(Tag& t);
    bool line(std::string_view& out);

    const char* m_data;
    std::size_t m_p, m_end;
    TagFormat m_format;
    Arena* m_arena;
    std::uint32_t m_line;
    bool m_crLines;
    bool m_cut = false;
};

// Whether ASCII lines end in a lone CR (old Macintosh files).
bool UsesCrLines(const char* data, std::size_t begin, std::size_t size);

// All tags of one record's bytes.
void TagsOf(const char* data, std::size_t begin, std::size_t end, TagFormat format, Arena& arena,
            std::uint32_t firstLine, bool crLines, std::vector<Tag>& out);

}  // namespace detail
}  // namespace dxf
}  // namespace host
