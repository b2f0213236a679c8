#pragma once
// DXF tests: a tag-level view of a DXF file, parsed independently of the
// host's reader so that it can judge it, and a comparison of two files record
// by record (header variables by name, classes by name, every other record by
// its handle, or by its place where a file has no handles).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dxftags {

struct Tag {
    int code = 0;
    std::string value;  // ASCII as read (CR removed); binary values as text
};

// The value kinds binary DXF stores differently.
enum class Kind { Str, Real, I16, I32, I64, Bool, Bin };
inline Kind KindOf(int c) {
    if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 460 && c <= 469) ||
        (c >= 1010 && c <= 1059))
        return Kind::Real;
    if ((c >= 60 && c <= 79) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) || (c >= 370 && c <= 389) ||
        (c >= 400 && c <= 409) || (c >= 1060 && c <= 1070))
        return Kind::I16;
    if ((c >= 90 && c <= 99) || (c >= 420 && c <= 429) || (c >= 440 && c <= 459) || c == 1071) return Kind::I32;
    if (c >= 160 && c <= 169) return Kind::I64;
    if (c >= 290 && c <= 299) return Kind::Bool;
    if ((c >= 310 && c <= 319) || c == 1004) return Kind::Bin;
    return Kind::Str;
}
inline bool IsHandleCode(int c) {
    return c == 5 || c == 105 || (c >= 320 && c <= 369) || (c >= 390 && c <= 399) || c == 480 || c == 481 ||
           c == 1005;
}

// All tags of a file; false with the cause when it is no DXF this parser knows.
inline bool ParseTags(const std::string& data, std::vector<Tag>& out, std::string& why) {
    out.clear();
    static const char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";
    if (data.size() >= 22 && std::memcmp(data.data(), kSentinel, 21) == 0) {
        std::size_t p = 22;
        const bool wide = data.size() > 23 && data[23] == 0;  // "0 SECTION": 00 00 'S' (R13+) or 00 'S' (R12)
        auto need = [&](std::size_t n) { return p + n <= data.size(); };
        auto le = [&](std::size_t n) {
            std::uint64_t v = 0;
            for (std::size_t k = 0; k < n; ++k) v |= std::uint64_t(static_cast<unsigned char>(data[p + k])) << (8 * k);
            p += n;
            return v;
        };
        while (p < data.size()) {
            int code = 0;
            if (wide) {
                if (!need(2)) return why = "cut in a group code", false;
                code = static_cast<std::int16_t>(le(2));
            } else {
                if (!need(1)) return why = "cut in a group code", false;
                code = static_cast<unsigned char>(data[p++]);
                if (code == 255) {
                    if (!need(2)) return why = "cut in a group code", false;
                    code = static_cast<std::int16_t>(le(2));
                }
            }
            Tag t;
            t.code = code;
            char buf[40];
            switch (KindOf(code)) {
            case Kind::Str: {
                const std::size_t z = data.find('\0', p);
                if (z == std::string::npos) return why = "cut in a string", false;
                t.value = data.substr(p, z - p);
                p = z + 1;
                break;
            }
            case Kind::Real: {
                if (!need(8)) return why = "cut in a real", false;
                const std::uint64_t bits = le(8);
                double d;
                std::memcpy(&d, &bits, 8);
                std::snprintf(buf, sizeof buf, "%.17g", d);
                t.value = buf;
                break;
            }
            case Kind::I16:
                if (!need(2)) return why = "cut in an integer", false;
                t.value = std::to_string(static_cast<std::int16_t>(le(2)));
                break;
            case Kind::I32:
                if (!need(4)) return why = "cut in an integer", false;
                t.value = std::to_string(static_cast<std::int32_t>(le(4)));
                break;
            case Kind::I64:
                if (!need(8)) return why = "cut in an integer", false;
                t.value = std::to_string(static_cast<std::int64_t>(le(8)));
                break;
            case Kind::Bool:
                if (!need(1)) return why = "cut in a flag", false;
                t.value = std::to_string(static_cast<unsigned char>(data[p++]));
                break;
            case Kind::Bin: {
                if (!need(1)) return why = "cut in binary data", false;
                const std::size_t n = static_cast<unsigned char>(data[p++]);
                if (!need(n)) return why = "cut in binary data", false;
                static const char kHex[] = "0123456789ABCDEF";
                for (std::size_t k = 0; k < n; ++k) {
                    const auto b = static_cast<unsigned char>(data[p + k]);
                    t.value += kHex[b >> 4];
                    t.value += kHex[b & 15];
                }
                p += n;
                break;
            }
            }
            out.push_back(std::move(t));
        }
        return true;
    }
    std::size_t p = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    auto line = [&](std::string& s) {
        if (p >= data.size()) return false;
        std::size_t e = data.find_first_of("\r\n", p);
        if (e == std::string::npos) e = data.size();
        s.assign(data, p, e - p);
        p = e;
        if (p < data.size() && data[p] == '\r') ++p;
        if (p < data.size() && data[p] == '\n') ++p;
        return true;
    };
    std::string c, v;
    while (line(c)) {
        const std::size_t first = c.find_first_not_of(" \t");
        if (first == std::string::npos && p >= data.size()) break;  // trailing blank line
        if (c == "\x1a") break;
        char* end = nullptr;
        const long code = std::strtol(c.c_str(), &end, 10);
        if (end == c.c_str()) return why = "group code '" + c + "' is no number", false;
        if (!line(v)) return why = "cut after group code " + c, false;
        out.push_back(Tag{static_cast<int>(code), v});
    }
    return true;
}

inline std::string Trimmed(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
inline std::string Upper(std::string s) {
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

// Whether the values of code are the same (reals within 1e-9 relative,
// handles as numbers, integers as numbers, text byte for byte).
inline bool SameValue(int code, const std::string& a, const std::string& b) {
    if (a == b) return true;
    const Kind k = KindOf(code);
    if (k == Kind::Real) {
        char* ea = nullptr;
        char* eb = nullptr;
        const double x = std::strtod(a.c_str(), &ea), y = std::strtod(b.c_str(), &eb);
        if (ea == a.c_str() || eb == b.c_str()) return Trimmed(a) == Trimmed(b);
        return std::fabs(x - y) <= std::max(1e-9 * std::max(std::fabs(x), std::fabs(y)), 1e-300);
    }
    if (k == Kind::I16 || k == Kind::I32 || k == Kind::I64 || k == Kind::Bool) return Trimmed(a) == Trimmed(b);
    if (IsHandleCode(code)) {
        const std::string ta = Trimmed(a), tb = Trimmed(b);
        return std::strtoull(ta.c_str(), nullptr, 16) == std::strtoull(tb.c_str(), nullptr, 16) &&
               ta.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos &&
               tb.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    }
    if (k == Kind::Bin) return Upper(Trimmed(a)) == Upper(Trimmed(b));
    // A line break in text is "^J" in ASCII DXF.
    auto caret = [](std::string s) {
        for (std::size_t p = 0; (p = s.find_first_of("\r\n", p)) != std::string::npos;) s.replace(p, 1, s[p] == '\n' ? "^J" : "^M");
        return s;
    };
    return caret(a) == caret(b);
}

// One record: from a 0 tag up to the next (the 0 tag included).
struct Record {
    std::string key;   // "ENTITIES LINE #2F", "HEADER $EXTMIN", "CLASS ACDBDICTIONARYWDFLT"
    std::vector<Tag> tags;
    std::size_t index = 0;  // in file order
};

// The records of a file by key, header variables as records of their own.
struct Drawing {
    std::vector<Record> records;
    std::map<std::string, std::size_t> byKey;
    std::vector<std::string> repeated;  // keys met twice
    std::uint64_t handles = 0;          // records that have a handle
    std::map<std::string, int> handleUses;  // by handle: records that have it
};

inline std::string HandleOf(const std::vector<Tag>& tags) {
    for (std::size_t k = 1; k < tags.size() && k < 4; ++k) {
        if (tags[k].code == 100 || tags[k].code == 102 || tags[k].code == 330) break;
        if (tags[k].code == 5 || tags[k].code == 105) {
            const std::string h = Trimmed(tags[k].value);
            return Upper(h.empty() ? h : h.substr(std::min(h.find_first_not_of('0'), h.size() - 1)));
        }
    }
    return "";
}

inline Drawing Records(const std::vector<Tag>& tags) {
    Drawing d;
    std::string section, table, block;
    std::map<std::string, int> ordinal;
    std::map<std::string, int> seen;
    auto add = [&](std::string key, std::vector<Tag> body) {
        const int n = seen[key]++;
        if (n > 0) {
            // Sections may repeat; a handle must not.
            if (key.find(" #") != std::string::npos) d.repeated.push_back(key);
            key += " (again " + std::to_string(n) + ")";
        }
        d.byKey[key] = d.records.size();
        d.records.push_back(Record{key, std::move(body), d.records.size()});
    };
    for (std::size_t i = 0; i < tags.size();) {
        std::size_t j = i + 1;
        while (j < tags.size() && tags[j].code != 0) ++j;
        std::vector<Tag> body(tags.begin() + static_cast<std::ptrdiff_t>(i), tags.begin() + static_cast<std::ptrdiff_t>(j));
        const std::string type = Trimmed(body[0].value);
        if (body[0].code != 0) {
            add("PREAMBLE " + std::to_string(i), std::move(body));
        } else if (type == "SECTION") {
            section = body.size() > 1 ? Trimmed(body[1].value) : "";
            table.clear();
            block.clear();
            if (section == "HEADER") {
                // One record per variable.
                add("SECTION HEADER", std::vector<Tag>(body.begin(), body.begin() + 2));
                std::size_t k = 2;
                while (k < body.size()) {
                    std::size_t m = k + 1;
                    while (m < body.size() && body[m].code != 9) ++m;
                    add("HEADER " + Trimmed(body[k].value),
                        std::vector<Tag>(body.begin() + static_cast<std::ptrdiff_t>(k),
                                         body.begin() + static_cast<std::ptrdiff_t>(m)));
                    k = m;
                }
            } else {
                add("SECTION " + section, std::move(body));
            }
        } else if (type == "ENDSEC") {
            add("ENDSEC " + section, std::move(body));
            section.clear();
        } else if (type == "TABLE") {
            table = body.size() > 1 ? Trimmed(body[1].value) : "";
            add("TABLE " + table, std::move(body));
        } else if (type == "ENDTAB") {
            add("ENDTAB " + table, std::move(body));
            table.clear();
        } else if (type == "CLASS") {
            std::string name;
            for (const Tag& t : body)
                if (t.code == 1) name = Trimmed(t.value);
            add("CLASS " + name, std::move(body));
        } else if (type == "EOF") {
            add("EOF", std::move(body));
        } else {
            const std::string h = HandleOf(body);
            if (type == "BLOCK")
                for (const Tag& t : body)
                    if (t.code == 2) block = Trimmed(t.value);
            std::string where = section + (table.empty() ? "" : " " + table);
            if (section == "BLOCKS") where += " " + block;
            if (!h.empty()) {
                ++d.handles;
                ++d.handleUses[h];
                add(section + " " + type + " #" + h, std::move(body));
            } else {
                // No handle (R12): by name in a table, by place elsewhere.
                std::string name;
                if (!table.empty())
                    for (const Tag& t : body)
                        if (t.code == 2) name = Trimmed(t.value);
                const std::string base = where + " " + type + (name.empty() ? "" : " " + name);
                const int n = ordinal[base]++;
                add(base + (name.empty() ? " @" + std::to_string(n) : ""), std::move(body));
            }
            if (type == "ENDBLK") block.clear();
        }
        i = j;
    }
    return d;
}

// A tag a writer may leave out or add because it says the default.
inline bool IsDefaultTag(const Tag& t) {
    const std::string v = Upper(Trimmed(t.value));
    return (t.code == 6 && v == "BYLAYER") || (t.code == 62 && v == "256") || (t.code == 60 && v == "0") ||
           (t.code == 67 && v == "0") || (t.code == 370 && v == "-1") || (t.code == 48 && std::strtod(v.c_str(), nullptr) == 1.0) ||
           (t.code == 39 && std::strtod(v.c_str(), nullptr) == 0.0) || (t.code == 70 && v == "0") ||
           (t.code == 43 && std::strtod(v.c_str(), nullptr) == 0.0);
}

struct CompareOptions {
    // Header variables a save renews.
    std::set<std::string> renewed = {"$HANDSEED", "$TDUPDATE", "$TDUUPDATE"};
    bool defaultsMayDiffer = true;  // IsDefaultTag tags in entities may be left out or added
    // Records whose handle the reader must mend (none, 0, or one the file
    // uses twice) may come back under a new handle.
    bool renumberMended = true;
    std::set<std::string> mendedHandles;  // more of them, as the reader reported (upper case)
    // Values the reader reported replacing in entities (code, value read) -> value written.
    std::map<std::pair<int, std::string>, std::string> mendedValues;
    std::size_t maxReports = 12;
};

// The first tag where a and b differ (npos when they do not); handle
// tags among the first three (and an owner only b has) are passed over
// when noHandles is set.
inline std::size_t FirstDifference(std::vector<Tag> a, std::vector<Tag> b, bool noHandles, std::size_t& at_b) {
    if (noHandles) {
        auto drop = [](std::vector<Tag>& t) {
            for (std::size_t k = 1; k < t.size() && k < 4; ++k)
                if (t[k].code == 5 || t[k].code == 105) {
                    t.erase(t.begin() + static_cast<std::ptrdiff_t>(k));
                    break;
                }
        };
        drop(a);
        drop(b);
        // A record written anew gets an owner where the file gave none.
        auto owner = [](const std::vector<Tag>& t) {
            for (std::size_t k = 1; k < t.size() && k < 3; ++k)
                if (t[k].code == 330) return k;
            return std::size_t(0);
        };
        if (!owner(a) && owner(b)) b.erase(b.begin() + static_cast<std::ptrdiff_t>(owner(b)));
    }
    // One written with subclass markers, the other without (an R12-style
    // record in a later file written in the later form, or the reverse):
    // the same tags, in the order of their codes, without the markers.
    auto markers = [](const std::vector<Tag>& t) {
        return std::any_of(t.begin(), t.end(), [](const Tag& x) { return x.code == 100; });
    };
    if (markers(a) != markers(b)) {
        auto plain = [](std::vector<Tag>& t) {
            t.erase(std::remove_if(t.begin(), t.end(), [](const Tag& x) { return x.code == 100; }), t.end());
            std::stable_sort(t.begin() + 1, t.end(), [](const Tag& x, const Tag& y) { return x.code < y.code; });
        };
        plain(a);
        plain(b);
    }
    auto first = [](const std::vector<Tag>& x, const std::vector<Tag>& y, std::size_t& at) {
        const std::size_t n = std::min(x.size(), y.size());
        std::size_t k = 0;
        while (k < n && x[k].code == y[k].code && SameValue(x[k].code, x[k].value, y[k].value)) ++k;
        at = k;
        return k == n && x.size() == y.size() ? std::string::npos : k;
    };
    const std::size_t k = first(a, b, at_b);
    if (k == std::string::npos) return k;
    // The order of different codes inside a subclass carries no meaning
    // (that of repeated codes does): compared again with each subclass'
    // tags in the order of their codes.
    auto ordered = [](std::vector<Tag> t) {
        std::size_t from = 1;
        for (std::size_t i = 1; i <= t.size(); ++i)
            if (i == t.size() || t[i].code == 100 || t[i].code == 102 || t[i].code == 1001) {
                std::stable_sort(t.begin() + static_cast<std::ptrdiff_t>(from), t.begin() + static_cast<std::ptrdiff_t>(i),
                                 [](const Tag& x, const Tag& y) { return x.code < y.code; });
                from = i + 1;
            }
        return t;
    };
    std::size_t ignored = 0;
    return first(ordered(a), ordered(b), ignored) == std::string::npos ? std::string::npos : k;
}

inline std::string SectionOf(const std::string& key) { return key.substr(0, key.find(' ')); }

// Differences of output against input, one line each; empty when the output
// keeps everything. Records only in the output that a caller accepts (the
// host's additions) are passed in added: they are not differences.
template <class Accept>
std::vector<std::string> Compare(const Drawing& in, const Drawing& out, const CompareOptions& o, Accept accepted) {
    std::vector<std::string> diffs;
    auto report = [&](std::string s) {
        if (diffs.size() < o.maxReports) diffs.push_back(std::move(s));
        else if (diffs.size() == o.maxReports) diffs.push_back("...");
    };
    auto strip = [&](const Record& r) {
        const bool entity = r.key.compare(0, 9, "ENTITIES ") == 0 || r.key.compare(0, 7, "BLOCKS ") == 0;
        std::vector<Tag> kept;
        for (const Tag& t : r.tags) {
            if (entity && o.defaultsMayDiffer && IsDefaultTag(t)) continue;
            kept.push_back(t);
            const auto m = o.mendedValues.find({t.code, Trimmed(t.value)});
            if (entity && m != o.mendedValues.end()) kept.back().value = m->second;
        }
        return kept;
    };
    auto show = [](const std::vector<Tag>& t, std::size_t at) {
        return at < t.size() ? std::to_string(t[at].code) + " '" + t[at].value + "'" : std::string("(end)");
    };
    std::vector<const Record*> missing;
    for (const Record& r : in.records) {
        const auto it = out.byKey.find(r.key);
        if (it == out.byKey.end()) {
            missing.push_back(&r);
            continue;
        }
        const std::string var = r.key.compare(0, 7, "HEADER ") == 0 ? r.key.substr(7) : "";
        if (!var.empty() && o.renewed.count(var)) continue;
        const std::vector<Tag> a = strip(r), b = strip(out.records[it->second]);
        std::size_t kb = 0;
        const std::size_t k = FirstDifference(a, b, false, kb);
        if (k == std::string::npos) continue;
        report(r.key + ": tag " + std::to_string(k) + " " + show(a, k) + " became " + show(b, kb));
    }
    std::vector<const Record*> added;
    for (const Record& r : out.records)
        if (!in.byKey.count(r.key)) added.push_back(&r);
    for (const Record* r : missing) {
        const std::string h = HandleOf(r->tags);
        const bool mended = h.empty() || h == "0" || (in.handleUses.count(h) && in.handleUses.at(h) > 1) ||
                            o.mendedHandles.count(h);
        bool found = false;
        if (o.renumberMended && mended) {
            // Its new form: an added record of the same section and type
            // that is equal to it but for the handle.
            const std::vector<Tag> a = strip(*r);
            for (auto& cand : added) {
                if (!cand || SectionOf(cand->key) != SectionOf(r->key) || cand->tags[0].value != r->tags[0].value) continue;
                std::size_t kb = 0;
                if (FirstDifference(a, strip(*cand), true, kb) != std::string::npos) continue;
                cand = nullptr;
                found = true;
                break;
            }
        }
        if (!found) report("missing: " + r->key);
    }
    for (const Record* r : added)
        if (r && !accepted(*r)) report("added: " + r->key);
    return diffs;
}
inline std::vector<std::string> Compare(const Drawing& in, const Drawing& out, const CompareOptions& o) {
    return Compare(in, out, o, [](const Record&) { return false; });
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += "  " + l + "\n";
    return s;
}

}  // namespace dxftags
