// Reading ASCII DXF: a complete parse into plain records, checked, then the
// drawing is built from them, so a bad file never touches a database.
#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbinternal.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dbwipeout.h"
#include "dxf_common.h"
#include "dxfio.h"
#include "hostharness.h"
#include "widetext.h"

namespace host {
namespace dxf {

std::string DxfError::what() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

int DxfReport::skippedTotal() const {
    int total = 0;
    for (const auto& kv : skipped) total += kv.second;
    return total;
}

namespace {
using namespace detail;
using host_detail::ObjectAccess;

struct Failure {
    std::uint32_t line;
    std::string message;
};

[[noreturn]] void Fail(std::uint32_t line, std::string message) { throw Failure{line, std::move(message)}; }

std::string Quote(std::string_view v) {
    std::string s(v.substr(0, 40));
    if (v.size() > 40) s += "...";
    return "'" + s + "'";
}

std::string_view Trim(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

// ---- values ----

enum class VK { Str, Dbl, Int16, Int32, Int64, Hex, Bad };

VK KindOfCode(int c) {
    if (c >= 0 && c <= 9) return VK::Str;
    if (c >= 10 && c <= 59) return VK::Dbl;
    if (c >= 60 && c <= 79) return VK::Int16;
    if (c >= 90 && c <= 99) return VK::Int32;
    if (c >= 100 && c <= 102) return VK::Str;
    if (c == 105) return VK::Hex;
    if (c >= 110 && c <= 149) return VK::Dbl;
    if (c >= 160 && c <= 169) return VK::Int64;
    if (c >= 170 && c <= 179) return VK::Int16;
    if (c >= 210 && c <= 239) return VK::Dbl;
    if (c >= 270 && c <= 299) return VK::Int16;
    if (c >= 300 && c <= 309) return VK::Str;
    if (c >= 310 && c <= 319) return VK::Str;  // binary chunks
    if (c >= 320 && c <= 369) return VK::Hex;
    if (c >= 370 && c <= 389) return VK::Int16;
    if (c >= 390 && c <= 399) return VK::Hex;
    if (c >= 400 && c <= 409) return VK::Int16;
    if (c >= 410 && c <= 419) return VK::Str;
    if (c >= 420 && c <= 429) return VK::Int32;
    if (c >= 430 && c <= 439) return VK::Str;
    if (c >= 440 && c <= 459) return VK::Int32;
    if (c >= 460 && c <= 469) return VK::Dbl;
    if (c >= 470 && c <= 481) return VK::Str;
    if (c == 999) return VK::Str;
    if (c >= 1000 && c <= 1009) return VK::Str;
    if (c >= 1010 && c <= 1059) return VK::Dbl;
    if (c >= 1060 && c <= 1070) return VK::Int16;
    if (c == 1071) return VK::Int32;
    return VK::Bad;
}

struct Pair {
    int code;
    std::string_view value;
    std::uint32_t line;  // of the value
};

double ToDouble(const Pair& p) {
    std::string_view v = Trim(p.value);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    double d = 0.0;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), d);
    if (v.empty() || res.ec != std::errc() || res.ptr != v.data() + v.size())
        Fail(p.line, Quote(p.value) + " is not a number (group code " + std::to_string(p.code) + ")");
    if (!std::isfinite(d)) Fail(p.line, Quote(p.value) + " is not a finite number (group code " + std::to_string(p.code) + ")");
    return d;
}

long long ToInt(const Pair& p, long long lo, long long hi) {
    std::string_view v = Trim(p.value);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    long long n = 0;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || res.ec != std::errc() || res.ptr != v.data() + v.size())
        Fail(p.line, Quote(p.value) + " is not an integer (group code " + std::to_string(p.code) + ")");
    if (n < lo || n > hi)
        Fail(p.line, std::to_string(n) + " is out of range for group code " + std::to_string(p.code));
    return n;
}

std::uint64_t ToHex(const Pair& p) {
    const std::string_view v = Trim(p.value);
    std::uint64_t n = 0;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), n, 16);
    if (v.empty() || res.ec != std::errc() || res.ptr != v.data() + v.size())
        Fail(p.line, Quote(p.value) + " is not a hexadecimal handle (group code " + std::to_string(p.code) + ")");
    return n;
}

// A handle an object takes: not 0 and within the host's 32 bits.
std::uint32_t ToOwnHandle(const Pair& p) {
    const std::uint64_t h = ToHex(p);
    if (h == 0 || h > 0xFFFFFFFFu) Fail(p.line, "handle " + Quote(p.value) + " is out of range");
    return static_cast<std::uint32_t>(h);
}

void CheckValue(const Pair& p) {
    switch (KindOfCode(p.code)) {
    case VK::Str: break;
    case VK::Dbl: ToDouble(p); break;
    case VK::Int16: ToInt(p, -32768, 65535); break;
    case VK::Int32: ToInt(p, -2147483648LL, 4294967295LL); break;
    case VK::Int64: ToInt(p, INT64_MIN, INT64_MAX); break;
    case VK::Hex: ToHex(p); break;
    case VK::Bad: Fail(p.line - 1, std::to_string(p.code) + " is not a DXF group code");
    }
}

// ---- lexer ----

class Lexer {
public:
    Lexer(const char* data, std::size_t size) : m_p(data), m_end(data + size) {
        if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) m_p += 3;
        if (m_end - m_p >= 18 && std::memcmp(m_p, "AutoCAD Binary DXF", 18) == 0)
            Fail(1, "binary DXF files are not supported (only ASCII DXF)");
    }

    // The next pair; false at the end of the data.
    bool next(Pair& p) {
        if (m_hasBack) {
            p = m_back;
            m_hasBack = false;
            return true;
        }
        std::string_view codeLine;
        if (!readLine(codeLine)) return false;
        const std::uint32_t codeLineNo = m_line;
        const std::string_view c = Trim(codeLine);
        int code = 0;
        const auto res = std::from_chars(c.data(), c.data() + c.size(), code);
        if (c.empty() || res.ec != std::errc() || res.ptr != c.data() + c.size())
            Fail(codeLineNo, "expected a group code, found " + Quote(codeLine));
        std::string_view value;
        if (!readLine(value)) Fail(codeLineNo, "the file ends after group code " + std::to_string(code) + " (truncated)");
        p = Pair{code, value, m_line};
        if (KindOfCode(code) == VK::Bad) Fail(codeLineNo, std::to_string(code) + " is not a DXF group code");
        return true;
    }
    void pushBack(const Pair& p) {
        m_back = p;
        m_hasBack = true;
    }
    std::uint32_t line() const { return m_line; }

private:
    bool readLine(std::string_view& out) {
        if (m_p >= m_end) return false;
        const char* nl = static_cast<const char*>(std::memchr(m_p, '\n', static_cast<std::size_t>(m_end - m_p)));
        const char* stop = nl ? nl : m_end;
        const char* e = stop;
        if (e > m_p && e[-1] == '\r') --e;
        out = std::string_view(m_p, static_cast<std::size_t>(e - m_p));
        m_p = nl ? nl + 1 : m_end;
        ++m_line;
        return true;
    }

    const char* m_p;
    const char* m_end;
    std::uint32_t m_line = 0;
    Pair m_back{};
    bool m_hasBack = false;
};

// ---- text ----

class TextDecoder {
public:
    ~TextDecoder() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    // UTF-8 for R2007 and later; otherwise the code page.
    void setup(const std::string& version, const std::string& codepage, std::vector<std::string>& warnings) {
        // A second header (files may hold one late) replaces the first.
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
        m_cd = reinterpret_cast<iconv_t>(-1);
        m_latin1 = false;
        m_utf8 = version >= "AC1021";
        if (m_utf8) return;
        std::string cp = codepage.empty() ? "ANSI_1252" : codepage;
        for (auto& ch : cp) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        std::string name;
        if (cp.rfind("ANSI_", 0) == 0) name = "CP" + cp.substr(5);
        if (cp == "ANSI_936") name = "GBK";
        if (cp == "ANSI_950") name = "BIG5";
        if (!name.empty()) m_cd = iconv_open("UTF-8", name.c_str());
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            if (cp != "ANSI_1252") warnings.push_back("code page " + codepage + " is not available; text read as Windows-1252");
            m_cd = iconv_open("UTF-8", "CP1252");
            if (m_cd == reinterpret_cast<iconv_t>(-1)) m_latin1 = true;
        }
    }

    std::wstring decode(std::string_view v) {
        bool plain = true;
        for (const char ch : v) {
            if (static_cast<unsigned char>(ch) >= 0x80 || ch == '\\' || ch == '^') {
                plain = false;
                break;
            }
        }
        if (plain) return std::wstring(v.begin(), v.end());
        std::wstring w;
        bool ascii = true;
        for (const char ch : v)
            if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
        if (ascii) {
            w.assign(v.begin(), v.end());
        } else if (m_utf8) {
            w = host::Utf8ToWide(std::string(v));
        } else if (m_latin1) {
            w = host::Latin1ToWide(std::string(v));
        } else {
            w = host::Utf8ToWide(convert(v));
        }
        return unescape(w);
    }

private:
    std::string convert(std::string_view v) {
        std::string out;
        out.resize(v.size() * 4 + 4);
        char* in = const_cast<char*>(v.data());
        std::size_t inLeft = v.size();
        char* o = &out[0];
        std::size_t outLeft = out.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (iconv(m_cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) break;
            // An invalid or incomplete sequence: one replacement character.
            if (outLeft < 3) break;
            std::memcpy(o, "\xEF\xBF\xBD", 3);
            o += 3;
            outLeft -= 3;
            ++in;
            --inLeft;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

    static int HexDigit(wchar_t c) {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    }
    static bool Escape(const std::wstring& s, std::size_t i, unsigned& cp) {
        if (i + 7 > s.size() || s[i] != L'\\' || (s[i + 1] != L'U' && s[i + 1] != L'u') || s[i + 2] != L'+')
            return false;
        cp = 0;
        for (std::size_t k = 3; k < 7; ++k) {
            const int d = HexDigit(s[i + k]);
            if (d < 0) return false;
            cp = cp * 16 + static_cast<unsigned>(d);
        }
        return true;
    }
    // Caret forms: "^ " is a caret, "^J" a control character (as written).
    static std::wstring uncaret(const std::wstring& s) {
        if (s.find(L'^') == std::wstring::npos) return s;
        std::wstring out;
        out.reserve(s.size());
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == L'^' && i + 1 < s.size()) {
                const wchar_t n = s[i + 1];
                if (n == L' ') {
                    out += L'^';
                    ++i;
                    continue;
                }
                if (n >= 0x40 && n <= 0x5F) {
                    out += static_cast<wchar_t>(n - 0x40);
                    ++i;
                    continue;
                }
            }
            out += s[i];
        }
        return out;
    }
    static std::wstring unescape(const std::wstring& text) {
        const std::wstring s = uncaret(text);
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
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;
            }
            out += static_cast<wchar_t>(cp);
        }
        return out;
    }

    iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
    bool m_utf8 = false;
    bool m_latin1 = false;
};

// ---- parsed drawing ----

struct RbDeleter {
    void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using RbPtr = std::unique_ptr<resbuf, RbDeleter>;

constexpr int kNoName = -1;

struct Common {
    std::uint32_t handle = 0;
    std::uint32_t line = 0;        // of the record's type
    std::uint32_t handleLine = 0;  // of its handle
    std::uint32_t owner = 0;
    int layer = kNoName;
    int linetype = kNoName;
    short color = 256;
    bool invisible = false;
    bool paper = false;
    RbPtr xdata;
};

enum class Kind : std::uint8_t { Line, Circle, Arc, Ellipse, Text, LwPoly, Poly2d, Wipeout };

struct LineE { Common c; AcGePoint3d a, b; };
struct CircleE { Common c; AcGePoint3d center; AcGeVector3d normal = AcGeVector3d::kZAxis; double r = 0; };
struct ArcE { Common c; AcGePoint3d center; AcGeVector3d normal = AcGeVector3d::kZAxis; double r = 0, a0 = 0, a1 = 0; };
struct EllipseE {
    Common c;
    AcGePoint3d center;
    AcGeVector3d major, normal = AcGeVector3d::kZAxis;
    double ratio = 1, p0 = 0, p1 = 2 * kPi;
};
struct TextE {
    Common c;
    AcGePoint3d pos, align;
    bool hasAlign = false;
    double height = 0, rot = 0, width = 1, oblique = 0;
    int style = kNoName;
    int h = 0, v = 0;
    std::wstring text;
};
struct LwVertex { double x = 0, y = 0, sw = -1, ew = -1, bulge = 0; };
struct LwPolyE { Common c; std::vector<LwVertex> v; bool closed = false; double cw = 0, elev = 0; };
struct Vertex2dE { Common c; AcGePoint3d p; double sw = 0, ew = 0, bulge = 0; int type = 0; };
struct Poly2dE { Common c; std::vector<Vertex2dE> v; bool closed = false; int polyType = 0; double elev = 0, sw = 0, ew = 0; };

struct WipeoutE { Common c; std::vector<AcGePoint3d> boundary; };

struct EntRef {
    Kind kind;
    std::uint32_t index;
};

struct LtypeR { Common c; std::wstring name, desc; };
struct LayerR { Common c; std::wstring name; int color = 7; bool off = false, frozen = false, locked = false; };
struct StyleR { Common c; std::wstring name, font, bigfont; double size = 0, xscale = 1; };
struct AppR { Common c; std::wstring name; };
struct DictR { Common c; std::vector<std::pair<std::wstring, std::uint32_t>> entries; };
struct GroupR { Common c; std::wstring desc; bool selectable = true; std::vector<std::pair<std::uint32_t, std::uint32_t>> members; };

struct Drawing {
    std::string version = "AC1009";
    std::string codepage;
    std::uint32_t handseed = 0;
    std::uint32_t handseedLine = 0;
    std::wstring clayer, textstyle;
    std::uint32_t records = 0;

    std::vector<std::wstring> names;  // layer, linetype and style names used by entities
    std::unordered_map<std::string, int> nameIndex;

    std::vector<EntRef> order;
    std::vector<LineE> lines;
    std::vector<CircleE> circles;
    std::vector<ArcE> arcs;
    std::vector<EllipseE> ellipses;
    std::vector<TextE> texts;
    std::vector<LwPolyE> lwpolys;
    std::vector<Poly2dE> polys;
    std::vector<WipeoutE> wipeouts;

    std::map<std::string, std::uint32_t> tableHandles;  // by table name
    std::vector<LtypeR> ltypes;
    std::vector<LayerR> layers;
    std::vector<StyleR> styles;
    std::vector<AppR> apps;
    std::uint32_t modelSpace = 0, paperSpace = 0;
    std::vector<DictR> dicts;
    std::vector<GroupR> groups;

    std::map<std::string, int> skipped;
    std::vector<std::string> warnings;
};

class Parser {
public:
    Parser(const char* data, std::size_t size, Drawing& d) : m_lex(data, size), m_d(d) {}

    void run() {
        Pair p;
        bool sawEof = false;
        while (m_lex.next(p)) {
            if (p.code == 999) continue;
            if (p.code != 0) Fail(p.line - 1, "expected group code 0, found " + std::to_string(p.code));
            if (p.value == "EOF") {
                sawEof = true;
                break;
            }
            if (p.value != "SECTION") Fail(p.line, "expected SECTION or EOF, found " + Quote(p.value));
            const std::uint32_t sectionLine = p.line;
            Pair name;
            if (!m_lex.next(name) || name.code != 2) Fail(sectionLine, "SECTION without a name (group code 2)");
            section(std::string(name.value), sectionLine);
        }
        if (!sawEof) Fail(m_lex.line(), "the file ends without 0/EOF (truncated)");
    }

private:
    // Reads the pairs of one record (after its 0 pair) into m_rec; the next
    // 0 pair is left for the caller.
    void readRecord() {
        m_rec.clear();
        Pair p;
        while (m_lex.next(p)) {
            if (p.code == 0) {
                m_lex.pushBack(p);
                return;
            }
            if (p.code == 999) continue;
            m_rec.push_back(p);
        }
        Fail(m_lex.line(), "the file ends inside section " + m_section + " (truncated)");
    }

    bool nextRecord(Pair& p) {
        if (!m_lex.next(p)) Fail(m_lex.line(), "the file ends inside section " + m_section + " (truncated)");
        ++m_d.records;
        return true;
    }

    void section(const std::string& name, std::uint32_t line) {
        m_section = name;
        Pair p;
        if (name == "HEADER") {
            header();
        } else if (name == "TABLES") {
            tables();
        } else if (name == "BLOCKS") {
            blocks();
        } else if (name == "ENTITIES") {
            entities();
        } else if (name == "OBJECTS") {
            objects();
        } else {
            // CLASSES, THUMBNAILIMAGE, ACDSDATA...: checked and passed over.
            while (nextRecord(p)) {
                if (p.value == "ENDSEC") break;
                checkStructure(p);
                readRecord();
                for (const auto& q : m_rec) CheckValue(q);
            }
        }
        (void)line;
    }

    // A section's records may not open or end sections or the file.
    void checkStructure(const Pair& p) {
        if (p.value == "SECTION" || p.value == "EOF")
            Fail(p.line, "section " + m_section + " is not closed before " + Quote(p.value));
    }

    void header() {
        readRecord();  // the pairs up to the next 0 are the variables
        if (!m_lex.next(m_tmp) || m_tmp.value != "ENDSEC") {
            if (m_tmp.code == 0) checkStructure(m_tmp);
            Fail(m_tmp.line, "expected ENDSEC after the header variables, found " + Quote(m_tmp.value));
        }
        std::string var;
        for (const auto& p : m_rec) {
            if (p.code == 9) {
                var = std::string(p.value);
                continue;
            }
            CheckValue(p);
            if (var == "$ACADVER" && p.code == 1) m_d.version = std::string(Trim(p.value));
            if (var == "$DWGCODEPAGE" && p.code == 3) m_d.codepage = std::string(Trim(p.value));
            if (var == "$HANDSEED" && p.code == 5) {
                const std::uint64_t h = ToHex(p);
                m_d.handseed = h > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(h);
                m_d.handseedLine = p.line;
            }
            if (var == "$CLAYER" && p.code == 8) m_clayerRaw = std::string(p.value);
            if (var == "$TEXTSTYLE" && p.code == 7) m_textstyleRaw = std::string(p.value);
        }
        m_text.setup(m_d.version, m_d.codepage, m_d.warnings);
        m_decoderReady = true;
        m_d.clayer = m_text.decode(m_clayerRaw);
        m_d.textstyle = m_text.decode(m_textstyleRaw);
    }

    void ensureDecoder() {
        if (!m_decoderReady) {
            m_text.setup(m_d.version, m_d.codepage, m_d.warnings);
            m_decoderReady = true;
        }
    }

    std::wstring decode(std::string_view v) {
        ensureDecoder();
        return m_text.decode(v);
    }

    int intern(std::string_view raw) {
        auto it = m_d.nameIndex.find(std::string(raw));
        if (it != m_d.nameIndex.end()) return it->second;
        const int idx = static_cast<int>(m_d.names.size());
        m_d.names.push_back(decode(raw));
        m_d.nameIndex.emplace(std::string(raw), idx);
        return idx;
    }

    // ---- common codes and extended data ----

    // Handles the pair if it is common to all objects; true when it was.
    bool common(Common& c, std::size_t& i) {
        const Pair& p = m_rec[i];
        switch (p.code) {
        case 5:
        case 105:
            c.handle = ToOwnHandle(p);
            c.handleLine = p.line;
            return true;
        case 330: c.owner = static_cast<std::uint32_t>(std::min<std::uint64_t>(ToHex(p), 0xFFFFFFFFu)); return true;
        case 100: return true;
        case 102:
            // Application groups ({ACAD_REACTORS ...}, {ACAD_XDICTIONARY ...}): passed over.
            if (!p.value.empty() && p.value.front() == '{') {
                for (++i; i < m_rec.size(); ++i) {
                    if (m_rec[i].code == 102) {
                        if (m_rec[i].value != "}") Fail(m_rec[i].line, "expected '}' closing the group of " + Quote(p.value));
                        return true;
                    }
                    CheckValue(m_rec[i]);
                }
                Fail(p.line, "application group " + Quote(p.value) + " is not closed");
            }
            return true;
        case 1001: xdata(c, i); return true;
        default: break;
        }
        return false;
    }

    // Entity properties; true when the pair was one.
    bool entityCommon(Common& c, std::size_t& i) {
        const Pair& p = m_rec[i];
        switch (p.code) {
        case 8: c.layer = intern(p.value); return true;
        case 6: c.linetype = intern(p.value); return true;
        case 62: {
            const long long v = ToInt(p, -32768, 32767);
            if (v < 0 || v > 256) Fail(p.line, "colour index " + std::to_string(v) + " is out of range (0 to 256)");
            c.color = static_cast<short>(v);
            return true;
        }
        case 60: c.invisible = ToInt(p, 0, 1) == 1; return true;
        case 67: c.paper = ToInt(p, 0, 1) == 1; return true;
        default: return common(c, i);
        }
    }

    // Extended data from the 1001 pair at i to the end of the record.
    void xdata(Common& c, std::size_t& i) {
        resbuf* head = nullptr;
        resbuf** tail = &head;
        RbPtr guard;
        int depth = 0;
        auto add = [&](int type) {
            resbuf* rb = acutNewRb(type);
            if (!rb) throw std::bad_alloc();
            *tail = rb;
            tail = &rb->rbnext;
            guard.release();
            guard.reset(head);
            return rb;
        };
        for (; i < m_rec.size(); ++i) {
            const Pair& p = m_rec[i];
            const int code = p.code;
            if (code < 1000) Fail(p.line - 1, "group code " + std::to_string(code) + " after extended data");
            if (code == 1001) {
                if (depth != 0) Fail(p.line, "extended data braces are not balanced before " + Quote(p.value));
                const std::wstring app = decode(Trim(p.value));
                if (app.empty()) Fail(p.line, "extended data without an application name");
                m_xdataApps.emplace_back(app, p.line);
                add(1001)->resval.rstring = acutNewString(app.c_str());
            } else if (code == 1002) {
                const std::string_view v = Trim(p.value);
                if (v == "{") {
                    ++depth;
                } else if (v == "}") {
                    if (--depth < 0) Fail(p.line, "'}' without '{' in extended data");
                } else {
                    Fail(p.line, "extended data control string must be '{' or '}', found " + Quote(p.value));
                }
                add(1002)->resval.rstring = acutNewString(v == "{" ? L"{" : L"}");
            } else if (code == 1000 || code == 1003 || code == 1005) {
                add(code)->resval.rstring = acutNewString(decode(p.value).c_str());
            } else if (code == 1004) {
                const std::string_view v = Trim(p.value);
                if (v.size() % 2 != 0 || v.size() > 2 * 32767)
                    Fail(p.line, "binary extended data " + Quote(v) + " is not whole bytes in hexadecimal");
                std::vector<char> bytes(v.size() / 2);
                for (std::size_t k = 0; k < bytes.size(); ++k) {
                    unsigned b = 0;
                    const auto res = std::from_chars(v.data() + 2 * k, v.data() + 2 * k + 2, b, 16);
                    if (res.ec != std::errc() || res.ptr != v.data() + 2 * k + 2)
                        Fail(p.line, "binary extended data " + Quote(v) + " is not hexadecimal");
                    bytes[k] = static_cast<char>(b);
                }
                resbuf* rb = add(1004);
                rb->resval.rbinary.clen = static_cast<short>(bytes.size());
                if (!bytes.empty()) {
                    rb->resval.rbinary.buf = static_cast<char*>(std::malloc(bytes.size()));
                    if (!rb->resval.rbinary.buf) throw std::bad_alloc();
                    std::memcpy(rb->resval.rbinary.buf, bytes.data(), bytes.size());
                }
            } else if (code >= 1010 && code <= 1013) {
                resbuf* rb = add(code);
                rb->resval.rpoint[0] = ToDouble(p);
                for (int k = 1; k <= 2; ++k) {
                    if (i + 1 < m_rec.size() && m_rec[i + 1].code == code + 10 * k) {
                        rb->resval.rpoint[k] = ToDouble(m_rec[++i]);
                    } else if (k == 1) {
                        Fail(p.line, "extended data point " + std::to_string(code) + " has no Y (" +
                                         std::to_string(code + 10) + ")");
                    }
                }
            } else if (code >= 1040 && code <= 1042) {
                add(code)->resval.rreal = ToDouble(p);
            } else if (code == 1070) {
                add(code)->resval.rint = static_cast<short>(ToInt(p, -32768, 32767));
            } else if (code == 1071) {
                add(code)->resval.rlong = static_cast<std::int32_t>(ToInt(p, -2147483648LL, 2147483647LL));
            } else {
                Fail(p.line - 1, "group code " + std::to_string(code) + " is not valid in extended data");
            }
        }
        if (depth != 0) Fail(m_rec.back().line, "extended data braces are not balanced");
        --i;
        guard.release();
        if (!c.xdata) {
            c.xdata.reset(head);
            return;
        }
        // Appended after earlier applications of the same object.
        resbuf** end = &c.xdata.get()->rbnext;
        while (*end) end = &(*end)->rbnext;
        *end = head;
    }

    // ---- tables ----

    void tables() {
        Pair p;
        while (nextRecord(p)) {
            if (p.value == "ENDSEC") return;
            checkStructure(p);
            if (p.value != "TABLE") Fail(p.line, "expected TABLE in section TABLES, found " + Quote(p.value));
            readRecord();
            std::string table;
            Common head;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                if (m_rec[i].code == 2 && table.empty()) {
                    table = std::string(Trim(m_rec[i].value));
                } else if (!common(head, i)) {
                    CheckValue(m_rec[i]);
                }
            }
            if (head.handle) {
                m_d.tableHandles[table] = head.handle;
                noteHandle(head.handle, head.handleLine);
            }
            while (nextRecord(p)) {
                if (p.value == "ENDTAB") {
                    readRecord();
                    break;
                }
                checkStructure(p);
                if (p.value == "TABLE" || p.value == "ENDSEC")
                    Fail(p.line, "table " + table + " is not closed before " + Quote(p.value));
                const std::uint32_t line = p.line;
                readRecord();
                tableRecord(table, std::string(p.value), line);
            }
        }
    }

    // A record name: 1 to 255 characters the host accepts.
    std::wstring recordName(const Pair& p, const char* what) {
        std::wstring name = decode(p.value);
        static const wchar_t kBad[] = L"<>/\\\":;?*|,=`";
        bool ok = !name.empty() && name.size() <= 255;
        for (std::size_t k = 0; ok && k < name.size(); ++k)
            if (std::wcschr(kBad, name[k]) && !(k == 0 && name[k] == L'*')) ok = false;
        if (!ok) Fail(p.line, Quote(p.value) + " is not a valid " + what + " name");
        return name;
    }

    void checkDuplicate(std::unordered_set<std::wstring>& seen, const std::wstring& name, std::uint32_t line,
                        const char* what) {
        if (!seen.insert(host_detail::FoldName(name.c_str())).second)
            Fail(line, std::string(what) + " '" + host::WideToUtf8(name) + "' is defined twice");
    }

    void tableRecord(const std::string& table, const std::string& type, std::uint32_t line) {
        Common c;
        c.line = line;
        std::wstring name;
        std::uint32_t nameLine = line;
        auto nameOf = [&](std::size_t i, const char* what) {
            name = recordName(m_rec[i], what);
            nameLine = m_rec[i].line;
        };
        // A named table record is checked and kept the same way in every table.
        auto keep = [&](auto& r, auto& into, std::unordered_set<std::wstring>& seen, const char* record,
                        const char* what) {
            if (name.empty()) Fail(line, std::string(record) + " without a name");
            checkDuplicate(seen, name, nameLine, what);
            r.name = name;
            r.c = std::move(c);
            noteHandle(r.c.handle, r.c.handleLine);
            into.push_back(std::move(r));
        };
        if (table == "LTYPE" && type == "LTYPE") {
            LtypeR r;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                if (p.code == 2) nameOf(i, "linetype");
                else if (p.code == 3) r.desc = decode(p.value);
                else if (!common(c, i)) CheckValue(p);
            }
            keep(r, m_d.ltypes, m_ltypeNames, "LTYPE", "linetype");
        } else if (table == "LAYER" && type == "LAYER") {
            LayerR r;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                if (p.code == 2) {
                    nameOf(i, "layer");
                } else if (p.code == 62) {
                    const long long v = ToInt(p, -32768, 32767);
                    if (v < -256 || v > 256) Fail(p.line, "layer colour " + std::to_string(v) + " is out of range");
                    r.off = v < 0;
                    r.color = static_cast<int>(v < 0 ? -v : v);
                } else if (p.code == 70) {
                    const long long f = ToInt(p, -32768, 65535);
                    r.frozen = (f & 1) != 0;
                    r.locked = (f & 4) != 0;
                } else if (p.code == 6) {
                    c.linetype = intern(p.value);
                } else if (!common(c, i)) {
                    CheckValue(p);
                }
            }
            keep(r, m_d.layers, m_layerNames, "LAYER", "layer");
        } else if (table == "STYLE" && type == "STYLE") {
            StyleR r;
            long long flags = 0;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                if (p.code == 2) {
                    if (!Trim(p.value).empty()) nameOf(i, "text style");
                } else if (p.code == 3) {
                    r.font = decode(p.value);
                } else if (p.code == 4) {
                    r.bigfont = decode(p.value);
                } else if (p.code == 40) {
                    r.size = ToDouble(p);
                    if (r.size < 0) Fail(p.line, "text style height must not be negative");
                } else if (p.code == 41) {
                    r.xscale = ToDouble(p);
                    if (!(r.xscale > 0)) Fail(p.line, "text style width factor must be positive");
                } else if (p.code == 70) {
                    flags = ToInt(p, -32768, 65535);
                } else if (!common(c, i)) {
                    CheckValue(p);
                }
            }
            if (flags & 1) {
                ++m_d.skipped["STYLE (shape file)"];
                return;
            }
            keep(r, m_d.styles, m_styleNames, "STYLE", "text style");
        } else if (table == "APPID" && type == "APPID") {
            AppR r;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                if (p.code == 2) nameOf(i, "application");
                else if (!common(c, i)) CheckValue(p);
            }
            keep(r, m_d.apps, m_appNames, "APPID", "application");
        } else if (table == "BLOCK_RECORD" && type == "BLOCK_RECORD") {
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                if (p.code == 2) nameOf(i, "block");
                else if (!common(c, i)) CheckValue(p);
            }
            const std::wstring key = host_detail::FoldName(name.c_str());
            if (key == L"*MODEL_SPACE" && c.handle) {
                m_d.modelSpace = c.handle;
                noteHandle(c.handle, c.handleLine);
            }
            if (key == L"*PAPER_SPACE" && c.handle) m_d.paperSpace = c.handle;
        } else {
            // VPORT, VIEW, UCS, DIMSTYLE and records of unknown tables (in
            // R12 dimension styles code 5 is a block name, not a handle).
            for (const auto& q : m_rec)
                if (q.code != 5 && q.code != 105) CheckValue(q);
        }
    }

    // ---- blocks ----

    void blocks() {
        Pair p;
        bool inBlock = false;
        std::string prefix;
        while (nextRecord(p)) {
            if (p.value == "ENDSEC") {
                if (inBlock) Fail(p.line, "block definition is not closed by ENDBLK");
                if (!m_seq.empty()) Fail(m_seqLine, m_seq + " is not ended by SEQEND");
                return;
            }
            checkStructure(p);
            const std::uint32_t line = p.line;
            const std::string type(p.value);
            readRecord();
            if (type == "BLOCK") {
                if (inBlock) Fail(line, "BLOCK inside a block definition");
                inBlock = true;
                std::wstring name;
                for (const auto& q : m_rec) {
                    CheckValue(q);
                    if (q.code == 2) name = host_detail::FoldName(decode(q.value).c_str());
                }
                prefix = name.rfind(L"*PAPER_SPACE", 0) == 0 ? "paper space " : "block ";
                if (name == L"*MODEL_SPACE") prefix = "block ";
            } else if (type == "ENDBLK") {
                if (!inBlock) Fail(line, "ENDBLK without BLOCK");
                if (!m_seq.empty()) Fail(m_seqLine, m_seq + " is not ended by SEQEND");
                inBlock = false;
                for (const auto& q : m_rec) CheckValue(q);
            } else {
                if (!inBlock) Fail(line, Quote(type) + " outside a block definition");
                sequenceCheck(type, line);
                for (const auto& q : m_rec) CheckValue(q);
                if (type != "VERTEX" && type != "SEQEND" && type != "ATTRIB") ++m_d.skipped[prefix + type];
            }
        }
    }

    // Keeps POLYLINE/VERTEX/SEQEND and INSERT/ATTRIB/SEQEND balanced where
    // entities are only counted.
    void sequenceCheck(const std::string& type, std::uint32_t line) {
        if (type == "VERTEX" || type == "ATTRIB") {
            if (m_seq.empty() || (type == "VERTEX") != (m_seq == "POLYLINE"))
                Fail(line, type + " outside a " + (type == "VERTEX" ? "POLYLINE" : "INSERT"));
            return;
        }
        if (type == "SEQEND") {
            if (m_seq.empty()) Fail(line, "SEQEND without POLYLINE or INSERT");
            m_seq.clear();
            return;
        }
        if (!m_seq.empty()) Fail(m_seqLine, m_seq + " is not ended by SEQEND");
        bool follows = type == "POLYLINE";
        if (type == "INSERT")
            for (const auto& q : m_rec)
                if (q.code == 66 && ToInt(q, -32768, 65535) == 1) follows = true;
        if (follows) {
            m_seq = type;
            m_seqLine = line;
        }
    }

    // ---- entities ----

    void entities() {
        Pair p;
        while (nextRecord(p)) {
            if (p.value == "ENDSEC") {
                if (!m_seq.empty()) Fail(m_seqLine, m_seq + " is not ended by SEQEND");
                return;
            }
            checkStructure(p);
            const std::uint32_t line = p.line;
            const std::string type(p.value);
            readRecord();
            entity(type, line);
        }
    }

    void countSkipped(const std::string& type, const Common& c) {
        ++m_d.skipped[(c.paper || (m_d.paperSpace && c.owner == m_d.paperSpace) ? "paper space " : "") + type];
    }

    bool inPaper(const Common& c) const { return c.paper || (m_d.paperSpace && c.owner == m_d.paperSpace && c.owner != m_d.modelSpace); }

    void entity(const std::string& type, std::uint32_t line) {
        if (type == "VERTEX" || type == "SEQEND" || type == "ATTRIB") {
            sequenceCheck(type, line);
            if (type == "VERTEX" && m_poly) {
                vertex(line);
            } else if (type == "SEQEND") {
                for (std::size_t i = 0; i < m_rec.size(); ++i) {
                    Common c;
                    if (!entityCommon(c, i)) CheckValue(m_rec[i]);
                }
                m_poly = nullptr;
            } else {
                for (const auto& q : m_rec) CheckValue(q);
            }
            return;
        }
        sequenceCheck(type, line);
        m_poly = nullptr;
        Common c;
        c.line = line;
        if (type == "LINE") {
            LineE e;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 10: e.a.x = ToDouble(p); break;
                case 20: e.a.y = ToDouble(p); break;
                case 30: e.a.z = ToDouble(p); break;
                case 11: e.b.x = ToDouble(p); break;
                case 21: e.b.y = ToDouble(p); break;
                case 31: e.b.z = ToDouble(p); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            if (keep(type, c)) push(Kind::Line, m_d.lines, std::move(e), std::move(c));
        } else if (type == "CIRCLE" || type == "ARC") {
            ArcE e;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 10: e.center.x = ToDouble(p); break;
                case 20: e.center.y = ToDouble(p); break;
                case 30: e.center.z = ToDouble(p); break;
                case 40:
                    e.r = ToDouble(p);
                    if (!(e.r > 0)) Fail(p.line, type + " radius must be positive");
                    break;
                case 50: e.a0 = ToDouble(p) / kDegPerRad; break;
                case 51: e.a1 = ToDouble(p) / kDegPerRad; break;
                case 210: e.normal.x = ToDouble(p); break;
                case 220: e.normal.y = ToDouble(p); break;
                case 230: e.normal.z = ToDouble(p); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            if (!(e.r > 0)) Fail(line, type + " without a radius");
            checkNormal(e.normal, line, type);
            if (!keep(type, c)) return;
            toWorld(e.center, e.normal, &e.a0, type == "ARC" ? &e.a1 : nullptr);
            if (type == "ARC") {
                push(Kind::Arc, m_d.arcs, std::move(e), std::move(c));
            } else {
                CircleE ce;
                ce.center = e.center;
                ce.normal = e.normal;
                ce.r = e.r;
                push(Kind::Circle, m_d.circles, std::move(ce), std::move(c));
            }
        } else if (type == "ELLIPSE") {
            EllipseE e;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 10: e.center.x = ToDouble(p); break;
                case 20: e.center.y = ToDouble(p); break;
                case 30: e.center.z = ToDouble(p); break;
                case 11: e.major.x = ToDouble(p); break;
                case 21: e.major.y = ToDouble(p); break;
                case 31: e.major.z = ToDouble(p); break;
                case 40:
                    e.ratio = ToDouble(p);
                    if (e.ratio > 1.0 && e.ratio < 1.0 + 1e-9) e.ratio = 1.0;
                    if (!(e.ratio > 0.0 && e.ratio <= 1.0))
                        Fail(p.line, "ELLIPSE axis ratio " + std::string(Trim(p.value)) + " is out of range (0 to 1)");
                    break;
                case 41: e.p0 = ToDouble(p); break;
                case 42: e.p1 = ToDouble(p); break;
                case 210: e.normal.x = ToDouble(p); break;
                case 220: e.normal.y = ToDouble(p); break;
                case 230: e.normal.z = ToDouble(p); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            if (!(e.major.length() > 0.0)) Fail(line, "ELLIPSE without a major axis");
            checkNormal(e.normal, line, type);
            if (keep(type, c)) push(Kind::Ellipse, m_d.ellipses, std::move(e), std::move(c));
        } else if (type == "TEXT") {
            TextE e;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 10: e.pos.x = ToDouble(p); break;
                case 20: e.pos.y = ToDouble(p); break;
                case 30: e.pos.z = ToDouble(p); break;
                case 11: e.align.x = ToDouble(p); e.hasAlign = true; break;
                case 21: e.align.y = ToDouble(p); break;
                case 31: e.align.z = ToDouble(p); break;
                case 40:
                    e.height = ToDouble(p);
                    if (e.height < 0) Fail(p.line, "TEXT height must not be negative");
                    break;
                case 1: e.text = decode(p.value); break;
                case 50: e.rot = ToDouble(p) / kDegPerRad; break;
                case 51: e.oblique = ToDouble(p) / kDegPerRad; break;
                case 41:
                    e.width = ToDouble(p);
                    if (!(e.width > 0)) Fail(p.line, "TEXT width factor must be positive");
                    break;
                case 7: e.style = intern(p.value); break;
                case 72: e.h = static_cast<int>(ToInt(p, 0, 5)); break;
                case 73: e.v = static_cast<int>(ToInt(p, 0, 3)); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            if (!e.hasAlign) e.align = e.pos;
            if (keep(type, c)) push(Kind::Text, m_d.texts, std::move(e), std::move(c));
        } else if (type == "LWPOLYLINE") {
            LwPolyE e;
            long long declared = -1;
            std::uint32_t countLine = line;
            AcGeVector3d normal = AcGeVector3d::kZAxis;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 90:
                    declared = ToInt(p, 0, 2147483647LL);
                    countLine = p.line;
                    break;
                case 70: e.closed = (ToInt(p, -32768, 65535) & 1) != 0; break;
                case 43:
                    e.cw = ToDouble(p);
                    if (e.cw < 0) Fail(p.line, "LWPOLYLINE width must not be negative");
                    break;
                case 38: e.elev = ToDouble(p); break;
                case 10:
                    e.v.emplace_back();
                    e.v.back().x = ToDouble(p);
                    break;
                case 20: needVertex(e, p).y = ToDouble(p); break;
                case 40: needVertex(e, p).sw = width(p); break;
                case 41: needVertex(e, p).ew = width(p); break;
                case 42: needVertex(e, p).bulge = ToDouble(p); break;
                case 210: normal.x = ToDouble(p); break;
                case 220: normal.y = ToDouble(p); break;
                case 230: normal.z = ToDouble(p); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            if (declared >= 0 && static_cast<std::size_t>(declared) != e.v.size())
                Fail(countLine, "LWPOLYLINE declares " + std::to_string(declared) + " vertices but has " +
                                    std::to_string(e.v.size()));
            checkNormal(normal, line, type);
            if (!keep(type, c)) return;
            if (normal.z < 0 && normal.x == 0 && normal.y == 0) {
                // Mirrored in its own coordinates: the same curve seen from +Z.
                for (auto& v : e.v) {
                    v.x = -v.x;
                    v.bulge = -v.bulge;
                }
                e.elev = -e.elev;
            } else if (!IsPlusZ(normal)) {
                m_d.warnings.push_back("line " + std::to_string(line) +
                                       ": LWPOLYLINE not in the XY plane, read in its own coordinates");
            }
            push(Kind::LwPoly, m_d.lwpolys, std::move(e), std::move(c));
        } else if (type == "POLYLINE") {
            Poly2dE e;
            long long flags = 0, curve = 0;
            AcGeVector3d normal = AcGeVector3d::kZAxis;
            for (std::size_t i = 0; i < m_rec.size(); ++i) {
                const Pair& p = m_rec[i];
                switch (p.code) {
                case 30: e.elev = ToDouble(p); break;
                case 10: case 20: ToDouble(p); break;
                case 70: flags = ToInt(p, -32768, 65535); break;
                case 75: curve = ToInt(p, -32768, 65535); break;
                case 40: e.sw = width(p); break;
                case 41: e.ew = width(p); break;
                case 210: normal.x = ToDouble(p); break;
                case 220: normal.y = ToDouble(p); break;
                case 230: normal.z = ToDouble(p); break;
                default: if (!entityCommon(c, i)) CheckValue(p);
                }
            }
            checkNormal(normal, line, type);
            if (flags & (8 | 16 | 64)) {
                countSkipped(flags & 8 ? "POLYLINE (3D)" : flags & 16 ? "POLYLINE (mesh)" : "POLYLINE (polyface)", c);
                return;
            }
            if (!keep(type, c)) return;
            if (!IsPlusZ(normal))
                m_d.warnings.push_back("line " + std::to_string(line) +
                                       ": POLYLINE not in the XY plane, read in its own coordinates");
            e.closed = (flags & 1) != 0;
            if (flags & 2) {
                e.polyType = AcDb::k2dFitCurvePoly;
            } else if (flags & 4) {
                e.polyType = curve == 5 ? AcDb::k2dQuadSplinePoly : AcDb::k2dCubicSplinePoly;
                if (curve == 8)
                    m_d.warnings.push_back("line " + std::to_string(line) + ": Bezier POLYLINE read as a cubic spline");
            }
            push(Kind::Poly2d, m_d.polys, std::move(e), std::move(c));
            m_poly = &m_d.polys.back();
        } else if (type == "WIPEOUT") {
            wipeout(line, c);
        } else {
            for (std::size_t i = 0; i < m_rec.size(); ++i)
                if (!entityCommon(c, i)) CheckValue(m_rec[i]);
            countSkipped(type, c);
        }
    }

    // A wipeout's boundary is kept in image coordinates: pixel (0, 0) is the
    // centre of the top-left pixel of an image of size (13, 23) whose pixel
    // vectors are u (11) and v (12) from the insertion point (10).
    void wipeout(std::uint32_t line, Common& c) {
        WipeoutE e;
        AcGePoint3d insert;
        AcGeVector3d u(1, 0, 0), v(0, 1, 0);
        double height = 1;
        long long clip = 2;
        long long declared = -1;
        std::uint32_t countLine = line;
        std::vector<std::pair<double, double>> pts;
        for (std::size_t i = 0; i < m_rec.size(); ++i) {
            const Pair& p = m_rec[i];
            switch (p.code) {
            case 10: insert.x = ToDouble(p); break;
            case 20: insert.y = ToDouble(p); break;
            case 30: insert.z = ToDouble(p); break;
            case 11: u.x = ToDouble(p); break;
            case 21: u.y = ToDouble(p); break;
            case 31: u.z = ToDouble(p); break;
            case 12: v.x = ToDouble(p); break;
            case 22: v.y = ToDouble(p); break;
            case 32: v.z = ToDouble(p); break;
            case 23: height = ToDouble(p); break;
            case 71: clip = ToInt(p, -32768, 65535); break;
            case 91:
                declared = ToInt(p, 0, 2147483647LL);
                countLine = p.line;
                break;
            case 14: pts.emplace_back(ToDouble(p), 0.0); break;
            case 24:
                if (pts.empty()) Fail(p.line, "group code 24 before the first boundary vertex");
                pts.back().second = ToDouble(p);
                break;
            default: if (!entityCommon(c, i)) CheckValue(p);
            }
        }
        if (declared >= 0 && static_cast<std::size_t>(declared) != pts.size())
            Fail(countLine, "WIPEOUT declares " + std::to_string(declared) + " boundary vertices but has " +
                                std::to_string(pts.size()));
        if (!keep("WIPEOUT", c)) return;
        if (clip == 1 && pts.size() == 2) {
            // A rectangle by two corners.
            const auto a = pts[0], b = pts[1];
            pts = {a, {b.first, a.second}, b, {a.first, b.second}};
        }
        for (const auto& p : pts)
            e.boundary.push_back(insert + u * (p.first + 0.5) + v * (height - p.second - 0.5));
        if (e.boundary.size() > 1 && e.boundary.front().isEqualTo(e.boundary.back())) e.boundary.pop_back();
        AcDbWipeout probe;  // the host's own rule for a usable boundary
        if (probe.setBoundary(e.boundary) != Acad::eOk) {
            m_d.warnings.push_back("line " + std::to_string(line) + ": WIPEOUT encloses no area, left out");
            ++m_d.skipped["WIPEOUT (no area)"];
            return;
        }
        push(Kind::Wipeout, m_d.wipeouts, std::move(e), std::move(c));
    }

    static double width(const Pair& p) {
        const double w = ToDouble(p);
        if (w < 0) Fail(p.line, "width must not be negative");
        return w;
    }

    static LwVertex& needVertex(LwPolyE& e, const Pair& p) {
        if (e.v.empty()) Fail(p.line, "group code " + std::to_string(p.code) + " before the first vertex");
        return e.v.back();
    }

    static void checkNormal(const AcGeVector3d& n, std::uint32_t line, const std::string& type) {
        if (!(n.length() > 1e-12)) Fail(line, type + " has a zero extrusion direction");
    }

    // Circles and arcs in the plane of their extrusion: centre to world
    // coordinates; mirrored ones (extrusion -Z) become their +Z twins.
    static void toWorld(AcGePoint3d& center, AcGeVector3d& normal, double* a0, double* a1) {
        if (IsPlusZ(normal)) {
            normal = AcGeVector3d::kZAxis;
            return;
        }
        if (normal.x == 0 && normal.y == 0 && normal.z < 0) {
            center.x = -center.x;
            center.z = -center.z;
            normal = AcGeVector3d::kZAxis;
            if (a1) {
                const double s = *a0;
                *a0 = kPi - *a1;
                *a1 = kPi - s;
                for (double* a : {a0, a1}) {
                    *a = std::fmod(*a, 2 * kPi);
                    if (*a < 0) *a += 2 * kPi;
                }
            }
            return;
        }
        AcGeVector3d ax, ay;
        OcsAxes(normal, ax, ay);
        const AcGeVector3d nz = normal.normal();
        center = AcGePoint3d::kOrigin + ax * center.x + ay * center.y + nz * center.z;
        normal = nz;
    }

    void vertex(std::uint32_t line) {
        Vertex2dE v;
        v.c.line = line;
        v.sw = m_poly->sw;
        v.ew = m_poly->ew;
        long long flags = 0;
        for (std::size_t i = 0; i < m_rec.size(); ++i) {
            const Pair& p = m_rec[i];
            switch (p.code) {
            case 10: v.p.x = ToDouble(p); break;
            case 20: v.p.y = ToDouble(p); break;
            case 30: v.p.z = ToDouble(p); break;
            case 40: v.sw = width(p); break;
            case 41: v.ew = width(p); break;
            case 42: v.bulge = ToDouble(p); break;
            case 70: flags = ToInt(p, -32768, 65535); break;
            default: if (!entityCommon(v.c, i)) CheckValue(p);
            }
        }
        v.type = flags & 1 ? AcDb::k2dCurveFitVertex
                 : flags & 16 ? AcDb::k2dSplineCtlVertex
                 : flags & 8  ? AcDb::k2dSplineFitVertex
                              : AcDb::k2dVertex;
        noteHandle(v.c.handle, v.c.handleLine);
        m_poly->v.push_back(std::move(v));
    }

    bool keep(const std::string& type, const Common& c) {
        if (inPaper(c)) {
            countSkipped(type, c);
            return false;
        }
        return true;
    }

    template <class T>
    void push(Kind kind, std::vector<T>& list, T&& e, Common&& c) {
        noteHandle(c.handle, c.handleLine);
        e.c = std::move(c);
        m_d.order.push_back(EntRef{kind, static_cast<std::uint32_t>(list.size())});
        list.push_back(std::move(e));
    }

    // ---- objects ----

    void objects() {
        Pair p;
        while (nextRecord(p)) {
            if (p.value == "ENDSEC") return;
            checkStructure(p);
            const std::uint32_t line = p.line;
            const std::string type(p.value);
            readRecord();
            Common c;
            c.line = line;
            if (type == "DICTIONARY") {
                DictR d;
                std::wstring key;
                for (std::size_t i = 0; i < m_rec.size(); ++i) {
                    const Pair& q = m_rec[i];
                    if (q.code == 3) {
                        key = decode(q.value);
                    } else if (q.code == 350 || q.code == 360) {
                        d.entries.emplace_back(key, static_cast<std::uint32_t>(std::min<std::uint64_t>(ToHex(q), 0xFFFFFFFFu)));
                    } else if (!common(c, i)) {
                        CheckValue(q);
                    }
                }
                d.c = std::move(c);
                m_d.dicts.push_back(std::move(d));
            } else if (type == "GROUP") {
                GroupR g;
                for (std::size_t i = 0; i < m_rec.size(); ++i) {
                    const Pair& q = m_rec[i];
                    if (q.code == 300) {
                        g.desc = decode(q.value);
                    } else if (q.code == 71) {
                        g.selectable = ToInt(q, -32768, 65535) != 0;
                    } else if (q.code == 340) {
                        g.members.emplace_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(ToHex(q), 0xFFFFFFFFu)), q.line);
                    } else if (!common(c, i)) {
                        CheckValue(q);
                    }
                }
                g.c = std::move(c);
                m_d.groups.push_back(std::move(g));
            } else {
                for (std::size_t i = 0; i < m_rec.size(); ++i)
                    if (!common(c, i)) CheckValue(m_rec[i]);
            }
        }
    }

public:
    void noteHandle(std::uint32_t handle, std::uint32_t line) {
        if (handle) m_handles.emplace_back(handle, line);
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_handles;  // handle, line
    std::vector<std::pair<std::wstring, std::uint32_t>> m_xdataApps;

private:
    Lexer m_lex;
    Drawing& m_d;
    TextDecoder m_text;
    bool m_decoderReady = false;
    std::string m_clayerRaw, m_textstyleRaw;
    std::string m_section;
    std::vector<Pair> m_rec;
    Pair m_tmp{};
    std::string m_seq;
    std::uint32_t m_seqLine = 0;
    Poly2dE* m_poly = nullptr;
    std::unordered_set<std::wstring> m_ltypeNames, m_layerNames, m_styleNames, m_appNames;
};


// ---- checks across the whole file ----

struct Resolved {
    const DictR* root = nullptr;
    const DictR* groupDict = nullptr;
    std::vector<std::pair<const GroupR*, std::wstring>> groups;  // with their names
    std::uint32_t next = 1;  // first fresh handle
    std::uint32_t seed = 0;  // handle seed to honour
};

void Resolve(Parser& parser, Drawing& d, Resolved& r) {
    for (const auto& dict : d.dicts) {
        if (dict.c.owner == 0) {
            r.root = &dict;
            break;
        }
    }
    std::uint32_t groupDictHandle = 0;
    if (r.root) {
        parser.noteHandle(r.root->c.handle, r.root->c.handleLine);
        for (const auto& e : r.root->entries)
            if (host_detail::FoldName(e.first.c_str()) == L"ACAD_GROUP") groupDictHandle = e.second;
    }
    if (groupDictHandle) {
        for (const auto& dict : d.dicts)
            if (dict.c.handle == groupDictHandle) r.groupDict = &dict;
    }
    if (r.groupDict) parser.noteHandle(r.groupDict->c.handle, r.groupDict->c.handleLine);
    for (const auto& g : d.groups) {
        const std::wstring* name = nullptr;
        if (r.groupDict && g.c.handle)
            for (const auto& e : r.groupDict->entries)
                if (e.second == g.c.handle) name = &e.first;
        if (!name) {
            d.warnings.push_back("line " + std::to_string(g.c.line) + ": GROUP not listed in ACAD_GROUP, left out");
            continue;
        }
        parser.noteHandle(g.c.handle, g.c.handleLine);
        r.groups.emplace_back(&g, name->empty() ? std::wstring(L"*") : *name);
    }

    auto& hs = parser.m_handles;
    std::sort(hs.begin(), hs.end());
    for (std::size_t i = 1; i < hs.size(); ++i) {
        if (hs[i].first == hs[i - 1].first) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", hs[i].first);
            Fail(hs[i].second, std::string("handle ") + hex + " is used twice (also at line " +
                                   std::to_string(hs[i - 1].second) + ")");
        }
    }
    const std::uint64_t limit = 16ull * d.records + 65536;
    if (!hs.empty()) {
        const auto worst = *std::max_element(hs.begin(), hs.end(),
                                             [](const auto& a, const auto& b) { return a.first < b.first; });
        if (worst.first > limit) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", worst.first);
            Fail(worst.second, std::string("handle ") + hex + " is absurdly large for a file of " +
                                   std::to_string(d.records) + " records");
        }
        r.next = hs.back().first + 1;
    }
    if (d.handseed > limit) {
        d.warnings.push_back("line " + std::to_string(d.handseedLine) + ": $HANDSEED is absurdly large, ignored");
    } else if (d.handseed > r.next) {
        r.seed = d.handseed;
    }
}

// ---- building the drawing ----

class Builder {
public:
    Builder(Drawing& d, const Resolved& r, AcDbDatabase* db,
            const std::vector<std::pair<std::wstring, std::uint32_t>>& xdataApps)
        : m_d(d), m_r(r), m_db(db), m_next(r.next), m_xdataApps(xdataApps) {}

    void run() {
        ObjectAccess::clearForLoad(m_db);
        ObjectAccess::DatabaseIds ids;
        apps(ids);
        linetypes(ids);
        layers(ids);
        styles(ids);

        auto* blocks = new AcDbBlockTable;
        want(tableHandle("BLOCK_RECORD"));
        m_db->addAcDbObject(ids.blockTable, blocks);
        auto* model = new AcDbBlockTableRecord;
        model->setName(ACDB_MODEL_SPACE);
        want(m_d.modelSpace);
        blocks->add(ids.modelSpace, model);
        model->close();
        blocks->close();

        auto* named = new AcDbDictionary;
        want(m_r.root ? m_r.root->c.handle : 0);
        m_db->addAcDbObject(ids.namedDict, named);
        auto* groups = new AcDbDictionary;
        want(m_r.groupDict ? m_r.groupDict->c.handle : 0);
        named->setAt(L"ACAD_GROUP", groups, ids.groupDict);
        groups->close();
        named->close();

        ids.clayer = find(m_layerIds, m_d.clayer, ids.clayer);
        ids.textstyle = find(m_styleIds, m_d.textstyle, ids.textstyle);
        ObjectAccess::setDatabaseIds(m_db, ids);

        for (auto& rec : m_d.apps) setXData(rec.c, m_recordIds[&rec.c]);
        for (auto& rec : m_d.ltypes) setXData(rec.c, m_recordIds[&rec.c]);
        for (auto& rec : m_d.layers) setXData(rec.c, m_recordIds[&rec.c]);
        for (auto& rec : m_d.styles) setXData(rec.c, m_recordIds[&rec.c]);

        entities(ids.modelSpace);
        buildGroups(ids.groupDict);
        ObjectAccess::reserveHandles(m_db, std::max(m_next, m_r.seed));
    }

    int kept() const { return m_kept; }

private:
    void want(std::uint32_t handle) { ObjectAccess::setNextHandle(m_db, handle ? handle : m_next++); }

    std::uint32_t tableHandle(const char* name) const {
        const auto it = m_d.tableHandles.find(name);
        return it == m_d.tableHandles.end() ? 0 : it->second;
    }

    static AcDbObjectId find(const std::unordered_map<std::wstring, AcDbObjectId>& ids, const std::wstring& name,
                             AcDbObjectId fallback) {
        const auto it = ids.find(host_detail::FoldName(name.c_str()));
        return it == ids.end() ? fallback : it->second;
    }

    void warn(std::uint32_t line, const std::string& text) {
        m_d.warnings.push_back(line ? "line " + std::to_string(line) + ": " + text : text);
    }

    template <class Table, class Record, class Fill>
    void table(const char* name, AcDbObjectId& tableId, std::vector<Record>& records,
               std::unordered_map<std::wstring, AcDbObjectId>& byName, Fill fill) {
        auto* t = new Table;
        want(tableHandle(name));
        m_db->addAcDbObject(tableId, t);
        for (auto& rec : records) {
            auto* r = fill(rec);
            r->setName(rec.name.c_str());
            want(rec.c.handle);
            AcDbObjectId id;
            t->add(id, r);
            r->close();
            byName[host_detail::FoldName(rec.name.c_str())] = id;
            m_recordIds[&rec.c] = id;
        }
        t->close();
    }

    // Adds a record the drawing needs when the file had none of that name.
    template <class Table, class Record>
    AcDbObjectId ensure(AcDbObjectId tableId, std::unordered_map<std::wstring, AcDbObjectId>& byName,
                        const wchar_t* name, Record* r) {
        const std::wstring key = host_detail::FoldName(name);
        const auto it = byName.find(key);
        if (it != byName.end()) {
            delete r;
            return it->second;
        }
        Table* t = nullptr;
        acdbOpenObject(t, tableId, AcDb::kForWrite);
        r->setName(name);
        want(0);
        AcDbObjectId id;
        t->add(id, r);
        r->close();
        t->close();
        byName[key] = id;
        return id;
    }

    void apps(ObjectAccess::DatabaseIds& ids) {
        table<AcDbRegAppTable>("APPID", ids.regAppTable, m_d.apps, m_appIds,
                               [](AppR&) { return new AcDbRegAppTableRecord; });
        ensure<AcDbRegAppTable>(ids.regAppTable, m_appIds, L"ACAD", new AcDbRegAppTableRecord);
        for (const auto& app : m_xdataApps) {
            if (m_appIds.count(host_detail::FoldName(app.first.c_str()))) continue;
            warn(app.second, "extended data of unregistered application '" + host::WideToUtf8(app.first) +
                                 "': application registered");
            ensure<AcDbRegAppTable>(ids.regAppTable, m_appIds, app.first.c_str(), new AcDbRegAppTableRecord);
        }
    }

    void linetypes(ObjectAccess::DatabaseIds& ids) {
        table<AcDbLinetypeTable>("LTYPE", ids.linetypeTable, m_d.ltypes, m_ltypeIds, [](LtypeR& rec) {
            auto* r = new AcDbLinetypeTableRecord;
            r->setComments(rec.desc.c_str());
            return r;
        });
        ids.byBlock = ensure<AcDbLinetypeTable>(ids.linetypeTable, m_ltypeIds, L"ByBlock", new AcDbLinetypeTableRecord);
        ids.byLayer = ensure<AcDbLinetypeTable>(ids.linetypeTable, m_ltypeIds, L"ByLayer", new AcDbLinetypeTableRecord);
        ids.continuous =
            ensure<AcDbLinetypeTable>(ids.linetypeTable, m_ltypeIds, L"Continuous", new AcDbLinetypeTableRecord);
        m_continuous = ids.continuous;
        m_byLayer = ids.byLayer;
    }

    void layers(ObjectAccess::DatabaseIds& ids) {
        table<AcDbLayerTable>("LAYER", ids.layerTable, m_d.layers, m_layerIds, [&](LayerR& rec) {
            auto* r = new AcDbLayerTableRecord;
            AcCmColor color;
            color.setColorIndex(static_cast<Adesk::UInt16>(rec.color));
            r->setColor(color);
            r->setIsOff(rec.off);
            r->setIsFrozen(rec.frozen);
            r->setIsLocked(rec.locked);
            AcDbObjectId lt = m_continuous;
            if (rec.c.linetype != kNoName) {
                const std::wstring& n = m_d.names[static_cast<std::size_t>(rec.c.linetype)];
                lt = find(m_ltypeIds, n, AcDbObjectId::kNull);
                if (lt.isNull()) {
                    warn(rec.c.line, "layer '" + host::WideToUtf8(rec.name) + "' has unknown linetype '" +
                                         host::WideToUtf8(n) + "': Continuous used");
                    lt = m_continuous;
                }
            }
            r->setLinetypeObjectId(lt);
            return r;
        });
        auto* zero = new AcDbLayerTableRecord;
        AcCmColor white;
        white.setColorIndex(7);
        zero->setColor(white);
        zero->setLinetypeObjectId(m_continuous);
        ids.clayer = ensure<AcDbLayerTable>(ids.layerTable, m_layerIds, L"0", zero);
        m_layer0 = ids.clayer;
        // Layers entities use without a definition, as CAD programs do.
        m_nameLayer.assign(m_d.names.size(), AcDbObjectId::kNull);
        for (const EntRef& ref : m_d.order) {
            const Common& c = common(ref);
            if (c.layer == kNoName || !m_nameLayer[static_cast<std::size_t>(c.layer)].isNull()) continue;
            const std::wstring& n = m_d.names[static_cast<std::size_t>(c.layer)];
            AcDbObjectId id = find(m_layerIds, n, AcDbObjectId::kNull);
            if (id.isNull()) {
                bool valid = !n.empty() && n.size() <= 255 && n.find_first_of(L"<>/\\\":;?*|,=`") == std::wstring::npos;
                if (!valid) {
                    warn(c.line, "layer name '" + host::WideToUtf8(n) + "' is not valid: layer 0 used");
                    id = m_layer0;
                } else {
                    warn(c.line, "layer '" + host::WideToUtf8(n) + "' is not defined: layer created");
                    auto* rec = new AcDbLayerTableRecord;
                    AcCmColor white7;
                    white7.setColorIndex(7);
                    rec->setColor(white7);
                    rec->setLinetypeObjectId(m_continuous);
                    id = ensure<AcDbLayerTable>(ids.layerTable, m_layerIds, n.c_str(), rec);
                }
            }
            m_nameLayer[static_cast<std::size_t>(c.layer)] = id;
        }
    }

    void styles(ObjectAccess::DatabaseIds& ids) {
        table<AcDbTextStyleTable>("STYLE", ids.textStyleTable, m_d.styles, m_styleIds, [](StyleR& rec) {
            auto* r = new AcDbTextStyleTableRecord;
            if (!rec.font.empty()) r->setFileName(rec.font.c_str());
            r->setBigFontFileName(rec.bigfont.c_str());
            r->setTextSize(rec.size);
            r->setXScale(rec.xscale);
            return r;
        });
        auto* standard = new AcDbTextStyleTableRecord;
        standard->setFileName(L"txt");
        ids.textstyle = ensure<AcDbTextStyleTable>(ids.textStyleTable, m_styleIds, L"Standard", standard);
        m_standard = ids.textstyle;
    }

    const Common& common(const EntRef& ref) const {
        switch (ref.kind) {
        case Kind::Line: return m_d.lines[ref.index].c;
        case Kind::Circle: return m_d.circles[ref.index].c;
        case Kind::Arc: return m_d.arcs[ref.index].c;
        case Kind::Ellipse: return m_d.ellipses[ref.index].c;
        case Kind::Text: return m_d.texts[ref.index].c;
        case Kind::LwPoly: return m_d.lwpolys[ref.index].c;
        case Kind::Wipeout: return m_d.wipeouts[ref.index].c;
        case Kind::Poly2d: break;
        }
        return m_d.polys[ref.index].c;
    }

    void setXData(Common& c, AcDbObjectId id) {
        if (!c.xdata) return;
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, id, AcDb::kForWrite) != Acad::eOk) return;
        obj->setXData(c.xdata.get());
        obj->close();
        c.xdata.reset();
    }

    AcDbObjectId linetypeOf(const Common& c) {
        if (c.linetype == kNoName) return m_byLayer;
        auto it = m_nameLinetype.find(c.linetype);
        if (it != m_nameLinetype.end()) return it->second;
        const std::wstring& n = m_d.names[static_cast<std::size_t>(c.linetype)];
        AcDbObjectId id = find(m_ltypeIds, n, AcDbObjectId::kNull);
        if (id.isNull()) {
            warn(c.line, "linetype '" + host::WideToUtf8(n) + "' is not defined: ByLayer used");
            id = m_byLayer;
        }
        m_nameLinetype.emplace(c.linetype, id);
        return id;
    }

    AcDbObjectId styleOf(const TextE& t) {
        if (t.style == kNoName) return AcDbObjectId::kNull;
        auto it = m_nameStyle.find(t.style);
        if (it != m_nameStyle.end()) return it->second;
        const std::wstring& n = m_d.names[static_cast<std::size_t>(t.style)];
        AcDbObjectId id = find(m_styleIds, n, AcDbObjectId::kNull);
        if (id.isNull()) {
            warn(t.c.line, "text style '" + host::WideToUtf8(n) + "' is not defined: Standard used");
            id = m_standard;
        }
        m_nameStyle.emplace(t.style, id);
        return id;
    }

    void props(AcDbEntity* e, const Common& c) {
        e->setLayer(c.layer == kNoName ? m_layer0 : m_nameLayer[static_cast<std::size_t>(c.layer)], true, true);
        e->setLinetype(linetypeOf(c));
        e->setColorIndex(static_cast<Adesk::UInt16>(c.color));
        if (c.invisible) e->setVisibility(AcDb::kInvisible);
    }

    // Appends the entity under its handle and gives it its extended data;
    // the entity stays open.
    void append(AcDbBlockTableRecord* ms, AcDbEntity* e, Common& c) {
        props(e, c);
        want(c.handle);
        AcDbObjectId id;
        ms->appendAcDbEntity(id, e);
        if (c.xdata) {
            e->setXData(c.xdata.get());
            c.xdata.reset();
        }
        const auto h = static_cast<std::size_t>(id.handle());
        if (h >= m_isEntity.size()) m_isEntity.resize(h + 1, false);
        m_isEntity[h] = true;
        ++m_kept;
    }

    void entities(AcDbObjectId modelSpace) {
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, modelSpace, AcDb::kForWrite);
        m_isEntity.reserve(m_next);
        for (const EntRef& ref : m_d.order) {
            switch (ref.kind) {
            case Kind::Line: {
                auto& e = m_d.lines[ref.index];
                auto* ent = new AcDbLine(e.a, e.b);
                append(ms, ent, e.c);
                ent->close();
                break;
            }
            case Kind::Circle: {
                auto& e = m_d.circles[ref.index];
                auto* ent = new AcDbCircle(e.center, e.normal, e.r);
                append(ms, ent, e.c);
                ent->close();
                break;
            }
            case Kind::Arc: {
                auto& e = m_d.arcs[ref.index];
                auto* ent = new AcDbArc(e.center, e.normal, e.r, e.a0, e.a1);
                append(ms, ent, e.c);
                ent->close();
                break;
            }
            case Kind::Ellipse: {
                auto& e = m_d.ellipses[ref.index];
                auto* ent = new AcDbEllipse;
                ent->set(e.center, e.normal, e.major, e.ratio, e.p0, e.p1);
                append(ms, ent, e.c);
                ent->close();
                break;
            }
            case Kind::Text: {
                auto& e = m_d.texts[ref.index];
                auto* ent = new AcDbText(e.pos, e.text.c_str(), styleOf(e), e.height, e.rot);
                ent->setWidthFactor(e.width);
                ent->setOblique(e.oblique);
                ent->setHorizontalMode(static_cast<AcDb::TextHorzMode>(e.h));
                ent->setVerticalMode(static_cast<AcDb::TextVertMode>(e.v));
                ent->setAlignmentPoint(e.align);
                append(ms, ent, e.c);
                ent->close();
                std::wstring().swap(e.text);
                break;
            }
            case Kind::LwPoly: {
                auto& e = m_d.lwpolys[ref.index];
                auto* ent = new AcDbPolyline(static_cast<unsigned int>(e.v.size()));
                ent->setConstantWidth(e.cw);
                for (std::size_t i = 0; i < e.v.size(); ++i) {
                    const LwVertex& v = e.v[i];
                    ent->addVertexAt(static_cast<unsigned int>(i), AcGePoint2d(v.x, v.y), v.bulge, v.sw, v.ew);
                }
                ent->setClosed(e.closed);
                ent->setElevation(e.elev);
                append(ms, ent, e.c);
                ent->close();
                std::vector<LwVertex>().swap(e.v);
                break;
            }
            case Kind::Wipeout: {
                auto& e = m_d.wipeouts[ref.index];
                auto* ent = new AcDbWipeout;
                ent->setBoundary(e.boundary);
                append(ms, ent, e.c);
                ent->close();
                std::vector<AcGePoint3d>().swap(e.boundary);
                break;
            }
            case Kind::Poly2d: {
                auto& e = m_d.polys[ref.index];
                auto* ent = new AcDb2dPolyline;
                ent->setPolyType(static_cast<AcDb::Poly2dType>(e.polyType));
                if (e.closed) ent->makeClosed();
                ent->setElevation(e.elev);
                append(ms, ent, e.c);
                for (auto& v : e.v) {
                    auto* vx = new AcDb2dVertex(v.p, v.bulge, v.sw, v.ew);
                    vx->setVertexType(static_cast<AcDb::Vertex2dType>(v.type));
                    want(v.c.handle);
                    AcDbObjectId vid;
                    ent->appendVertex(vid, vx);
                    if (v.c.xdata) vx->setXData(v.c.xdata.get());
                    vx->close();
                }
                ent->close();
                std::vector<Vertex2dE>().swap(e.v);
                break;
            }
            }
        }
        ms->close();
    }

    void buildGroups(AcDbObjectId groupDictId) {
        AcDbDictionary* dict = nullptr;
        if (acdbOpenObject(dict, groupDictId, AcDb::kForWrite) != Acad::eOk) return;
        const Adesk::UInt32 serial = m_db->serial();
        for (auto& entry : m_r.groups) {
            const GroupR& g = *entry.first;
            auto* group = new AcDbGroup(g.desc.c_str(), g.selectable);
            want(g.c.handle);
            AcDbObjectId gid;
            if (dict->setAt(entry.second.c_str(), group, gid) != Acad::eOk) {
                delete group;
                warn(g.c.line, "GROUP '" + host::WideToUtf8(entry.second) + "' could not be filed, left out");
                continue;
            }
            AcDbObjectIdArray members;
            std::unordered_set<std::uint32_t> seen;
            for (const auto& m : g.members) {
                if (m.first >= m_isEntity.size() || !m_isEntity[m.first]) {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "%X", m.first);
                    warn(m.second, std::string("group member ") + hex + " is no model-space entity: dropped");
                    continue;
                }
                if (seen.insert(m.first).second) members.append(AcDbObjectId::fromParts(serial, m.first));
            }
            if (!members.isEmpty()) group->append(members);
            if (g.c.xdata) group->setXData(g.c.xdata.get());
            group->close();
        }
        dict->close();
    }

    Drawing& m_d;
    const Resolved& m_r;
    AcDbDatabase* m_db;
    std::uint32_t m_next;
    const std::vector<std::pair<std::wstring, std::uint32_t>>& m_xdataApps;
    std::unordered_map<std::wstring, AcDbObjectId> m_appIds, m_ltypeIds, m_layerIds, m_styleIds;
    std::unordered_map<const Common*, AcDbObjectId> m_recordIds;
    std::vector<AcDbObjectId> m_nameLayer;
    std::unordered_map<int, AcDbObjectId> m_nameLinetype, m_nameStyle;
    std::vector<bool> m_isEntity;  // by handle
    AcDbObjectId m_continuous, m_byLayer, m_layer0, m_standard;
    int m_kept = 0;
};

// The bytes of a file: mapped when it is a regular file, read otherwise.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() {
        if (m_map) munmap(m_map, m_size);
    }
    const char* data() const { return m_map ? static_cast<const char*>(m_map) : m_copy.data(); }
    std::size_t size() const { return m_map ? m_size : m_copy.size(); }

    bool load(const wchar_t* path, DxfError& err) {
        if (!path || !*path) {
            err = DxfError{0, "no file name"};
            return false;
        }
        const std::string narrow = host::WideToUtf8(path);
        const int fd = open(narrow.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            err = DxfError{0, "cannot open '" + narrow + "': " + std::strerror(errno)};
            return false;
        }
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                m_map = p;
                m_size = static_cast<std::size_t>(st.st_size);
                close(fd);
                return true;
            }
        }
        bool ok = true;
        try {
            char buf[1 << 16];
            ssize_t n = 0;
            while ((n = read(fd, buf, sizeof buf)) > 0) m_copy.append(buf, static_cast<std::size_t>(n));
            if (n < 0) ok = false;
        } catch (const std::bad_alloc&) {
            ok = false;
            errno = ENOMEM;
        }
        const int readErr = errno;
        close(fd);
        if (!ok) err = DxfError{0, "cannot read '" + narrow + "': " + std::strerror(readErr)};
        return ok;
    }

private:
    void* m_map = nullptr;
    std::size_t m_size = 0;
    std::string m_copy;
};

// The whole file parsed and checked.
struct Parsed {
    Drawing d;
    Resolved r;
    std::vector<std::pair<std::wstring, std::uint32_t>> apps;
};

bool Parse(const char* data, std::size_t size, Parsed& out, DxfError& err) {
    try {
        Parser parser(data, size, out.d);
        parser.run();
        Resolve(parser, out.d, out.r);
        out.apps = std::move(parser.m_xdataApps);
        return true;
    } catch (const Failure& f) {
        err = DxfError{static_cast<int>(f.line), f.message};
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while reading the file"};
    }
    return false;
}

bool Build(Parsed& p, AcDbDatabase* db, DxfReport* report, DxfError& err) {
    try {
        Builder b(p.d, p.r, db, p.apps);
        b.run();
        if (report) {
            report->version = p.d.version;
            report->entities = b.kept();
            report->skipped = std::move(p.d.skipped);
            report->warnings = std::move(p.d.warnings);
        }
        return true;
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while building the drawing"};
    }
    return false;
}

bool CheckTarget(AcDbDatabase* db, DxfError& err) {
    if (!db) {
        err = DxfError{0, "no database to read into"};
        return false;
    }
    if (db->numOpenObjects() > 0) {
        err = DxfError{0, "the drawing has open objects"};
        return false;
    }
    return true;
}

}  // namespace

bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err, DxfReport* report) {
    if (!CheckTarget(pDb, err)) return false;
    auto parsed = std::make_unique<Parsed>();
    if (!Parse(data ? data : "", data ? size : 0, *parsed, err)) return false;
    return Build(*parsed, pDb, report, err);
}

bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report) {
    if (!CheckTarget(pDb, err)) return false;
    auto parsed = std::make_unique<Parsed>();
    {
        FileBytes file;
        if (!file.load(path, err)) return false;
        if (!Parse(file.data(), file.size(), *parsed, err)) return false;
    }
    return Build(*parsed, pDb, report, err);
}

AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report) {
    auto parsed = std::make_unique<Parsed>();
    {
        FileBytes file;
        if (!file.load(path, err)) return nullptr;
        if (!Parse(file.data(), file.size(), *parsed, err)) return nullptr;
    }
    const std::wstring full(path);
    const std::size_t slash = full.find_last_of(L"/\\");
    const std::wstring title = slash == std::wstring::npos ? full : full.substr(slash + 1);
    AcApDocument* previous = acDocManagerPtr()->curDocument();
    AcApDocument* doc = host::harness::NewDocument(title.c_str(), true);
    if (!doc) {
        err = DxfError{0, "no document could be created"};
        return nullptr;
    }
    if (!Build(*parsed, doc->database(), report, err)) {
        host::harness::CloseDocument(doc);
        if (previous) host::harness::ActivateDocument(previous);
        return nullptr;
    }
    return doc;
}

}  // namespace dxf
}  // namespace host

namespace host {
namespace dxf {

int DxfReport::keptTotal() const {
    int total = 0;
    for (const auto& kv : kept) total += kv.second;
    return total;
}

bool ReadDxf(const wchar_t* path, AcDbDatabase* pDb, DxfError& err, DxfReport* report, const DxfReadOptions&) {
    return ReadDxf(path, pDb, err, report);
}
bool ReadDxfBuffer(const char* data, std::size_t size, AcDbDatabase* pDb, DxfError& err, DxfReport* report,
                   const DxfReadOptions&) {
    return ReadDxfBuffer(data, size, pDb, err, report);
}
AcApDocument* OpenDrawing(const wchar_t* path, DxfError& err, DxfReport* report, const DxfReadOptions&) {
    return OpenDrawing(path, err, report);
}
std::string DrawingVersion(const AcDbDatabase*) { return "AC1032"; }
bool DrawingIsBinary(const AcDbDatabase*) { return false; }

}  // namespace dxf
}  // namespace host
