// Reading DXF, step one: every record indexed into the image, what the host
// models read into detached objects, mends reported (see reader.h).
#include "reader.h"

#include <algorithm>
#include <cstring>

#include "dbents3d.h"
#include "dbentsblock.h"
#include "entities.h"
#include "widetext.h"

namespace host {
namespace dxf {
namespace detail {

TableKind TableKindOf(std::string_view name) {
    if (name == "LAYER") return TableKind::Layer;
    if (name == "LTYPE") return TableKind::Ltype;
    if (name == "STYLE") return TableKind::Style;
    if (name == "APPID") return TableKind::Appid;
    if (name == "BLOCK_RECORD") return TableKind::BlockRecord;
    if (name == "DIMSTYLE") return TableKind::DimStyle;
    return TableKind::Other;
}

namespace {

SectionKind SectionKindOf(std::string_view name) {
    if (name == "HEADER") return SectionKind::Header;
    if (name == "CLASSES") return SectionKind::Classes;
    if (name == "TABLES") return SectionKind::Tables;
    if (name == "BLOCKS") return SectionKind::Blocks;
    if (name == "ENTITIES") return SectionKind::Entities;
    if (name == "OBJECTS") return SectionKind::Objects;
    return SectionKind::Other;
}

// Entity kinds whose points do not bound them.
bool Unbounded(std::string_view type) {
    return type == "XLINE" || type == "RAY" || type == "3DSOLID" || type == "BODY" || type == "REGION" ||
           type == "ACAD_PROXY_ENTITY" || type == "SURFACE" || type == "MESH";
}

class Scanner {
public:
    explicit Scanner(Scanned& s) : m_s(s), m_img(*s.image) {}

    void run() {
        std::size_t start = 0;
        m_img.format = DetectFormat(m_img.bytes.get(), m_img.size, start);
        if (m_img.format == TagFormat::Ascii) {
            m_img.crLines = UsesCrLines(m_img.bytes.get(), start, m_img.size);
            const char* nl = static_cast<const char*>(std::memchr(m_img.bytes.get() + start, '\n', m_img.size - start));
            m_img.crlf = nl && nl > m_img.bytes.get() + start && nl[-1] == '\r';
        }
        Tokenizer tok(m_img.bytes.get(), start, m_img.size, m_img.format, &m_img.arena, 1, m_img.crLines);
        m_img.records.emplace_back();  // index 0 is no record
        Tag t;
        std::size_t begin = start;
        std::uint32_t line = 1;
        bool open = false;
        std::string_view type;
        for (;;) {
            const std::size_t at = tok.offset();
            bool got = false;
            try {
                got = tok.next(t);
            } catch (const Failure& f) {
                if (!m_content) throw;
                // Garbage after the drawing's content: the rest is left out.
                warn(f.line, f.message + "; the rest of the file is left out");
                got = false;
            }
            if (!got || t.code == 0) {
                if (open) record(type, begin, at, line);
                if (m_eof) break;
                if (!got) {
                    if (tok.cut() && m_content) warn(tok.line(), "the file is cut off inside a record");
                    break;
                }
                open = true;
                type = t.value;
                begin = at;
                line = t.line;
                m_tags.clear();
                if (m_img.format == TagFormat::Ascii) type = Trim(type);
                continue;
            }
            if (!open) {
                if (t.code == 999) {
                    // Comments before the first record: kept as a record of their own.
                    if (m_img.records.size() == 1) add("", begin, begin, t.line, Role::Plain);
                    m_img.records.back().end = tok.offset();
                    continue;
                }
                if (!m_content && m_tags.empty() && m_img.records.size() == 1)
                    Fail(t.line, "not a DXF file: expected group code 0, found " + std::to_string(t.code));
            }
            m_tags.push_back(t);
        }
        finish(tok.line());
    }

private:
    void warn(std::uint32_t line, const std::string& text) {
        m_s.warnings.push_back("line " + std::to_string(line) + ": " + text);
    }

    void header(const Record& r) {
        std::string_view var;
        std::string_view clayer, textstyle, dimstyle;
        for (const Tag& t : m_tags) {
            if (t.code == 9) {
                var = Trim(t.value);
                continue;
            }
            if (var == "$ACADVER" && t.code == 1) {
                m_img.version = std::string(Trim(t.value));
                // R12 files have handles only with $HANDLING 1.
                if (m_img.version <= "AC1009") m_img.hadHandles = false;
            }
            else if (var == "$DWGCODEPAGE" && t.code == 3) m_img.codepage = std::string(Trim(t.value));
            else if (var == "$HANDSEED" && t.code == 5) {
                std::uint64_t h = 0;
                if (ParseHex(t.value, h)) m_img.seed = h;
                else warn(t.line, Quote(t.value) + " is no handle ($HANDSEED): ignored");
            } else if (var == "$HANDLING" && t.code == 70) {
                long long n = 1;
                if (ParseInt(t.value, n)) m_img.hadHandles = n != 0;
            } else if (var == "$CLAYER" && t.code == 8) clayer = t.value;
            else if (var == "$TEXTSTYLE" && t.code == 7) textstyle = t.value;
            else if (var == "$DIMSTYLE" && t.code == 2) dimstyle = t.value;
        }
        setupText(r.line);
        m_s.clayer = m_s.codec.decode(clayer);
        m_s.textstyle = m_s.codec.decode(textstyle);
        m_s.dimstyle = m_s.codec.decode(Trim(dimstyle));
    }

    void setupText(std::uint32_t line) {
        if (m_textReady) return;
        m_textReady = true;
        m_img.utf8 = m_img.version >= "AC1021";
        if (!m_img.utf8 && m_img.format == TagFormat::Ascii) {
            // UTF-8 text under a code-page label (written so by several programs).
            const std::string_view all(m_img.bytes.get(), m_img.size);
            bool high = false;
            for (const char ch : all)
                if (static_cast<unsigned char>(ch) >= 0x80) {
                    high = true;
                    break;
                }
            const bool bom = m_img.size >= 3 && std::memcmp(m_img.bytes.get(), "\xEF\xBB\xBF", 3) == 0;
            if (high && LooksLikeUtf8(all)) {
                if (!bom)
                    warn(line, "text is UTF-8 although the file declares " +
                                   (m_img.codepage.empty() ? std::string("no code page (ANSI_1252)") : m_img.codepage) +
                                   ": read as UTF-8");
                m_img.utf8 = true;
                m_img.textMended = true;
            }
        }
        if (!m_s.codec.setup(m_img.utf8, m_img.codepage))
            warn(line, "code page " + m_img.codepage + " is not available: text read as Windows-1252");
    }

    std::uint32_t add(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line, Role role) {
        Record r;
        r.begin = begin;
        r.end = end;
        r.type = type;
        r.line = line;
        r.role = role;
        m_img.records.push_back(r);
        return static_cast<std::uint32_t>(m_img.records.size() - 1);
    }

    // The handle, owner and reference flags of a record from its tags.
    // R12 gives handles to entities only: its tables, table records and
    // blocks without one are written back without one.
    bool StructureHasHandles() const { return m_img.version > "AC1009"; }

    void identify(Record& r, bool wantsHandle) {
        // Dimension styles hold their handle in 105; in R12 their 5 is a block name.
        const bool dimstyle = r.type == "DIMSTYLE";
        const bool r12 = m_img.version <= "AC1009";
        int depth = 0;
        bool inReactors = false, inXdict = false;
        bool found = false;
        // Records of the image (not the scratch record of a kept sequence's part).
        const bool inImage = &r >= m_img.records.data() && &r < m_img.records.data() + m_img.records.size();
        for (const Tag& t : m_tags) {
            if (t.code == 102) {
                const std::string_view v = Trim(t.value);
                if (!v.empty() && v.front() == '{') {
                    ++depth;
                    inReactors = v == "{ACAD_REACTORS";
                    inXdict = v == "{ACAD_XDICTIONARY";
                } else if (v == "}" && depth > 0) {
                    --depth;
                    inReactors = false;
                    inXdict = false;
                }
                continue;
            }
            std::uint64_t xdict = 0;
            if (t.code == 360 && inXdict && inImage && ParseHex(t.value, xdict) && xdict)
                m_s.xdictOf.emplace_back(xdict, static_cast<std::uint32_t>(&r - m_img.records.data()));
            if ((t.code == 5 && !dimstyle && !found) || (t.code == 105 && dimstyle && !found && !r12)) {
                found = true;
                std::uint64_t h = 0;
                if (!ParseHex(t.value, h)) {
                    warn(t.line, Quote(t.value) + " where a handle belongs: " + std::string(r.type) + " gets a new handle");
                    r.flags |= kNewHandle;
                } else if (h == 0) {
                    warn(t.line, "handle 0: " + std::string(r.type) + " gets a new handle");
                    r.flags |= kNewHandle;
                } else {
                    r.handle = h;
                }
                continue;
            }
            if (t.code == 330) {
                if (inReactors) r.flags |= kHasRefs;
                else if (depth == 0 && r.owner == 0) ParseHex(t.value, r.owner);
                continue;
            }
            if (t.code == 1001) break;
            if (IsPointerCode(t.code) || (t.code >= 340 && t.code <= 369)) r.flags |= kHasRefs;
        }
        if (!found && wantsHandle && m_img.hadHandles && m_img.version > "AC1009") {
            r.flags |= kNewHandle;
            ++m_noHandle;
            if (m_noHandle == 1) m_firstNoHandle = r.line;
        }
        if (!found && wantsHandle && r12 && m_img.hadHandles) r.flags |= kNewHandle;
    }

    void record(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line) {
        if (type == "EOF") {
            add(type, begin, end, line, Role::Eof);
            m_eof = true;
            return;
        }
        if (type == "SECTION") {
            if (m_section != SectionKind::Other || m_inSection) {
                warn(line, "a section is not closed before SECTION: closed there");
                closeSection(begin, line);
            }
            std::string_view name;
            for (const Tag& t : m_tags)
                if (t.code == 2) {
                    name = Trim(t.value);
                    break;
                }
            m_section = SectionKindOf(name);
            m_inSection = true;
            const std::uint32_t i = add(type, begin, end, line, m_section == SectionKind::Header ? Role::Header : Role::Section);
            m_img.records[i].aux = static_cast<std::uint32_t>(m_section);
            if (m_section == SectionKind::Header) header(m_img.records[i]);
            return;
        }
        setupText(line);
        if (type == "ENDSEC") {
            if (!m_inSection) {
                warn(line, "ENDSEC outside a section: left out");
                return;
            }
            endSequence(line);
            closeOpen(begin, line, false);
            const std::uint32_t i = add(type, begin, end, line, Role::EndSec);
            m_img.records[i].aux = static_cast<std::uint32_t>(m_section);
            m_inSection = false;
            m_section = SectionKind::Other;
            return;
        }
        if (!m_inSection) {
            warn(line, Quote(type) + " outside a section: kept as read");
            add(type, begin, end, line, Role::Plain);
            return;
        }
        m_content = true;
        switch (m_section) {
        case SectionKind::Tables: table(type, begin, end, line); break;
        case SectionKind::Blocks: block(type, begin, end, line); break;
        case SectionKind::Entities: entity(type, begin, end, line, 0); break;
        case SectionKind::Objects: object(type, begin, end, line); break;
        default: {
            Record& r = m_img.records[add(type, begin, end, line, Role::Plain)];
            if (m_section != SectionKind::Classes) identify(r, false);
            break;
        }
        }
    }

    // Structure a file left open, closed with a record of no bytes (written
    // in its usual form).
    void synthetic(const char* type, Role role, std::size_t at, std::uint32_t line, std::uint32_t aux) {
        const std::uint32_t i = add(type, at, at, line, role);
        m_img.records[i].aux = aux;
    }
    void closeOpen(std::size_t at, std::uint32_t line, bool quiet) {
        if (m_table) {
            if (!quiet) warn(line, "table is not closed by ENDTAB: closed there");
            synthetic("ENDTAB", Role::EndTab, at, line, 0);
            m_table = 0;
        }
        if (m_block) {
            if (!quiet) warn(line, "block definition is not closed by ENDBLK: closed there");
            synthetic("ENDBLK", Role::EndBlk, at, line, m_block);
            m_block = 0;
        }
    }
    void closeSection(std::size_t at, std::uint32_t line) {
        endSequence(line);
        closeOpen(at, line, true);
        synthetic("ENDSEC", Role::EndSec, at, line, static_cast<std::uint32_t>(m_section));
        m_inSection = false;
        m_section = SectionKind::Other;
    }

    void table(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line) {
        if (type == "TABLE") {
            closeOpen(begin, line, false);
            const std::uint32_t i = add(type, begin, end, line, Role::Table);
            Record& r = m_img.records[i];
            identify(r, StructureHasHandles());
            std::string_view name;
            for (const Tag& t : m_tags)
                if (t.code == 2) {
                    name = Trim(t.value);
                    break;
                }
            m_tableKind = TableKindOf(name);
            r.aux = static_cast<std::uint32_t>(m_tableKind);
            if (!m_s.tableHead[static_cast<int>(m_tableKind)] || m_tableKind == TableKind::Other)
                m_s.tableHead[static_cast<int>(m_tableKind)] = i;
            m_table = i;
            return;
        }
        if (type == "ENDTAB") {
            if (!m_table) warn(line, "ENDTAB without TABLE");
            const std::uint32_t i = add(type, begin, end, line, Role::EndTab);
            m_img.records[i].aux = static_cast<std::uint32_t>(m_tableKind);
            m_table = 0;
            return;
        }
        if (!m_table && TableKindOf(type) != TableKind::Other) {
            // A record of a modelled table outside any table: the head it
            // lacks is put before it, and the table is written with one.
            warn(line, std::string(type) + " outside a table: TABLE head added");
            m_tableKind = TableKindOf(type);
            const std::uint32_t head = add("TABLE", begin, begin, line, Role::Table);
            m_img.records[head].aux = static_cast<std::uint32_t>(m_tableKind);
            if (!m_s.tableHead[static_cast<int>(m_tableKind)]) m_s.tableHead[static_cast<int>(m_tableKind)] = head;
            m_table = head;
        }
        const std::uint32_t i = add(type, begin, end, line, Role::Plain);
        Record& r = m_img.records[i];
        identify(r, StructureHasHandles());
        const TableKind kind = TableKindOf(type);
        if (!m_table || kind == TableKind::Other || kind != m_tableKind) {
            ++m_s.kept[std::string(type)];
            return;
        }
        PendingRecord p;
        p.record = i;
        p.kind = kind;
        std::string_view name;
        long long flags = 0;
        for (const Tag& t : m_tags) {
            if (t.code == 2 && name.empty()) name = t.value;
            if (t.code == 70) ParseInt(t.value, flags);
        }
        p.name = m_s.codec.decode(Trim(name));
        if (kind == TableKind::BlockRecord && host_detail::FoldName(p.name.c_str()) == L"*PAPER_SPACE")
            m_paperHandle = r.handle;
        const bool shape = kind == TableKind::Style && (flags & 1);
        if (shape || p.name.empty()) {
            ++m_s.kept[std::string(type)];
            return;
        }
        p.tags = m_tags;
        for (std::size_t k = 0; k < p.tags.size(); ++k)
            if (p.tags[k].code == 1001) {
                p.xdata = ReadXData(p.tags, k, m_s.codec, m_s.warnings, m_s.xdataApps);
                break;
            }
        m_s.tableRecords.push_back(std::move(p));
    }

    void block(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line) {
        if (type == "BLOCK") {
            endSequence(line);
            if (m_block) {
                warn(line, "BLOCK inside a block definition: the first is closed there");
                synthetic("ENDBLK", Role::EndBlk, begin, line, m_block);
            }
            const std::uint32_t i = add(type, begin, end, line, Role::Block);
            identify(m_img.records[i], StructureHasHandles());
            m_block = i;
            m_s.blocks.push_back(i);
            std::string_view name;
            for (const Tag& t : m_tags)
                if (t.code == 2) {
                    name = Trim(t.value);
                    break;
                }
            m_s.blockNames.push_back(name);
            return;
        }
        if (type == "ENDBLK") {
            endSequence(line);
            if (!m_block) {
                warn(line, "ENDBLK without BLOCK: kept as read");
                add(type, begin, end, line, Role::Plain);
                return;
            }
            const std::uint32_t i = add(type, begin, end, line, Role::EndBlk);
            identify(m_img.records[i], StructureHasHandles());
            m_img.records[i].aux = m_block;
            m_block = 0;
            return;
        }
        if (!m_block) warn(line, Quote(type) + " outside a block definition: kept as read");
        entity(type, begin, end, line, m_block);
    }

    void endSequence(std::uint32_t line) {
        if (m_seqRecord && m_seqModelled == 0) {
            // A kept sequence ends where the next record begins.
            warn(line, std::string(m_img.records[m_seqRecord].type) + " is not ended by SEQEND");
        }
        if (m_seqModelled)
            warn(line, std::string(m_img.records[m_seqRecord].type) + " is not ended by SEQEND");
        m_seqRecord = 0;
        m_seqModelled = 0;
    }


    void entity(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line, std::uint32_t block) {
        const bool sub = type == "VERTEX" || type == "ATTRIB" || type == "SEQEND";
        if (sub && m_seqRecord) {
            Record& head = m_img.records[m_seqRecord];
            if (m_seqModelled) {
                // Parts of a modelled polyline or reference: bound records
                // of their own.
                const std::uint32_t i = add(type, begin, end, line, Role::Sub);
                Record& r = m_img.records[i];
                identify(r, true);
                if (type != "SEQEND") {
                    PendingEntity v = read(r, type, i, block, true);
                    if (!v.obj || !FitsHead(m_s.entities[m_seqModelled - 1].obj.get(), v.obj.get())) {
                        // A part the host cannot hold: the whole sequence
                        // stays as read.
                        unmodelSequence();
                        return;
                    }
                    v.vertex = true;
                    m_s.entities.push_back(std::move(v));
                } else if (type == "SEQEND") {
                    m_seqRecord = 0;
                    m_seqModelled = 0;
                }
                return;
            }
            head.end = end;
            Record scratch;
            scratch.type = type;
            scratch.line = line;
            identify(scratch, true);
            if (scratch.handle) m_subHandles.emplace_back(scratch.handle, m_seqRecord);
            if (scratch.flags & kHasRefs) head.flags |= kHasRefs;
            for (const Tag& t : m_tags) {
                if (t.code == 10) m_px = t.value;
                if (t.code == 20 && type == "VERTEX") {
                    double x = 0, y = 0;
                    if (ParseDouble(m_px, x) && ParseDouble(t.value, y) && m_seqBounded)
                        m_s.entities.back().addPoint(x, y);
                }
            }
            if (type == "SEQEND") m_seqRecord = 0;
            return;
        }
        if (m_seqRecord) endSequence(line);
        if (sub) warn(line, std::string(type) + " outside a sequence: kept as read");
        const std::uint32_t i = add(type, begin, end, line, Role::Plain);
        Record& r = m_img.records[i];
        identify(r, true);
        PendingEntity p = read(r, type, i, block, false);
        bool follows = false;
        if (type == "POLYLINE") follows = true;
        if (type == "INSERT")
            for (const Tag& t : m_tags) {
                long long n = 0;
                if (t.code == 66 && ParseInt(t.value, n) && n == 1) follows = true;
            }
        const bool modelled = p.obj != nullptr;
        m_s.entities.push_back(std::move(p));
        if (follows) {
            m_seqRecord = i;
            m_seqModelled = modelled ? static_cast<std::uint32_t>(m_s.entities.size()) : 0;
            m_seqBounded = type == "POLYLINE";
            if (!modelled) r.flags |= kSequence;
        }
    }

    // The modelled polyline being read turns into a kept one.
    void unmodelSequence() {
        const std::uint32_t head = m_seqRecord;
        while (!m_s.entities.empty() && m_s.entities.back().record != head) m_s.entities.pop_back();
        PendingEntity& p = m_s.entities.back();
        p.obj.reset();
        p.xdata.reset();
        --m_s.modelled;
        Record& r = m_img.records[head];
        ++m_s.kept[std::string(r.type)];
        r.flags |= kSequence;
        // The records after the head become part of its span.
        std::size_t end = r.end;
        while (m_img.records.size() - 1 > head) {
            const Record& last = m_img.records.back();
            end = std::max(end, last.end);
            if (last.handle) m_subHandles.emplace_back(last.handle, head);
            m_img.records.pop_back();
        }
        r.end = m_img.size;  // extended as the sequence goes on
        r.end = end;
        m_seqModelled = 0;
        m_seqBounded = r.type == "POLYLINE";
    }

    // Whether a part read after a modelled head belongs to it: vertices of
    // the polyline's kind, attributes of a reference.
    static bool FitsHead(const AcDbObject* head, const AcDbObject* part) {
        if (AcDbBlockReference::cast(head)) return AcDbAttribute::cast(part) != nullptr;
        if (AcDb3dPolyline::cast(head)) return AcDb3dPolylineVertex::cast(part) != nullptr;
        return AcDb2dVertex::cast(part) != nullptr;
    }

    // sub: a VERTEX or ATTRIB of the modelled head before it.
    PendingEntity read(Record& r, std::string_view type, std::uint32_t index, std::uint32_t block, bool sub) {
        PendingEntity p;
        p.record = index;
        p.block = block;
        bool paper = false;
        std::size_t xd = m_tags.size();
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        bool hatchFirst = type == "HATCH";
        // Only the first point is a place: the other codes of 10 to 18 are
        // vectors, sizes or boundaries in the entity's own coordinates.
        const bool insertOnly = type == "INSERT" || type == "MTEXT" || type == "ATTDEF" || type == "ATTRIB" ||
                                type == "SHAPE" || type == "TOLERANCE" || type == "IMAGE" ||
                                type == "PDFUNDERLAY" || type == "DWFUNDERLAY" || type == "DGNUNDERLAY";
        const bool bounded = !Unbounded(type);
        PointBox box;
        double px = 0;
        bool havePx = false;
        int pointCode = 0;
        for (std::size_t k = 0; k < m_tags.size(); ++k) {
            const Tag& t = m_tags[k];
            long long n = 0;
            double d = 0;
            switch (t.code) {
            case 8: p.layer = m_s.intern(t.value); break;
            case 6: p.linetype = m_s.intern(t.value); break;
            case 62:
                if (ParseInt(t.value, n) && n >= -256 && n <= 256) p.color = static_cast<short>(n < 0 ? -n : n);
                break;
            case 60: p.invisible = ParseInt(t.value, n) && n == 1; break;
            case 67: paper = ParseInt(t.value, n) && n == 1; break;
            case 210: ParseDouble(t.value, normal.x); break;
            case 220: ParseDouble(t.value, normal.y); break;
            case 230: ParseDouble(t.value, normal.z); break;
            default: break;
            }
            if (t.code == 1001) {
                xd = k;
                break;
            }
            if (!IsKnownCode(t.code)) warn(t.line, "group code " + std::to_string(t.code) + " is unknown: kept");
            if (t.code >= 10 && t.code <= 18 && bounded) {
                havePx = ParseDouble(t.value, px);
                pointCode = t.code;
            } else if (t.code == pointCode + 10 && havePx && ParseDouble(t.value, d)) {
                havePx = false;
                if (hatchFirst) {
                    hatchFirst = false;  // the elevation point
                } else if (!insertOnly || (pointCode == 10 && !box.boxed)) {
                    box.add(px, d);
                }
            }
        }
        if (!IsPlusZ(normal)) box.boxed = false;  // not in world coordinates
        if (paper || (m_paperHandle && r.owner == m_paperHandle)) r.flags |= kPaper;
        // Entities of paper space stay as read, and so do parts outside a
        // sequence; those of block definitions are modelled like those of
        // model space.
        const bool stray = !sub && (type == "VERTEX" || type == "ATTRIB" || type == "SEQEND");
        const EntityDescription* desc = (r.flags & kPaper) || stray ? nullptr : DescriptionOf(type);
        if (desc) {
            EntityIn in{m_tags, m_s.codec, m_s.warnings, r.line, {}};
            p.obj.reset(desc->read(in));
            p.style = m_s.intern(in.styleName);
            p.blockName = m_s.intern(in.blockName);
            if (!in.refs.empty()) p.more().refs = std::move(in.refs);
        }
        // Kept entities, and references that Build keeps when their block
        // is missing, have their extents from these points.
        if (box.boxed && (!p.obj || p.blockName)) p.more().box = box;
        if (p.obj) {
            if (!sub) ++m_s.modelled;
            if (xd < m_tags.size()) p.xdata = ReadXData(m_tags, xd, m_s.codec, m_s.warnings, m_s.xdataApps);
        } else if (!sub) {
            ++m_s.kept[std::string(type)];  // a part that fails keeps its head as read instead
        }
        return p;
    }

    void object(std::string_view type, std::size_t begin, std::size_t end, std::uint32_t line) {
        const std::uint32_t i = add(type, begin, end, line, Role::Plain);
        Record& r = m_img.records[i];
        identify(r, true);
        if (type == "DICTIONARY" && !m_s.rootDict && r.owner == 0) {
            m_s.rootDict = i;
            for (std::size_t k = 0; k + 1 < m_tags.size(); ++k) {
                if (m_tags[k].code == 3 && Trim(m_tags[k].value) == "ACAD_GROUP" &&
                    (m_tags[k + 1].code == 350 || m_tags[k + 1].code == 360))
                    ParseHex(m_tags[k + 1].value, m_groupDictHandle);
            }
            return;
        }
        if (type == "DICTIONARY" && m_groupDictHandle && r.handle == m_groupDictHandle && !m_s.groupDict) {
            m_s.groupDict = i;
            std::wstring key;
            for (const Tag& t : m_tags) {
                if (t.code == 3) key = m_s.codec.decode(t.value);
                std::uint64_t h = 0;
                if ((t.code == 350 || t.code == 360) && ParseHex(t.value, h)) m_groupNames.emplace_back(h, key);
            }
            return;
        }
        if (type == "GROUP") {
            PendingGroup g;
            g.record = i;
            long long n = 0;
            for (std::size_t k = 0; k < m_tags.size(); ++k) {
                const Tag& t = m_tags[k];
                std::uint64_t h = 0;
                if (t.code == 300) g.description = m_s.codec.decode(t.value);
                else if (t.code == 71 && ParseInt(t.value, n)) g.selectable = n != 0;
                else if (t.code == 340 && ParseHex(t.value, h)) g.members.emplace_back(h, t.line);
                else if (t.code == 1001) {
                    g.xdata = ReadXData(m_tags, k, m_s.codec, m_s.warnings, m_s.xdataApps);
                    break;
                }
            }
            m_s.groups.push_back(std::move(g));
            return;
        }
        // Build models those of extension dictionaries.
        if (type == "DICTIONARY") m_s.dictionaries.push_back(i);
        if (type == "XRECORD") m_s.xrecords.push_back(i);
        ++m_s.kept[std::string(type)];
    }

    void finish(std::uint32_t line) {
        if (!m_eof) {
            if (!m_content) {
                if (m_img.records.size() <= 1) Fail(line, "not a DXF file: no records");
                Fail(line, "the file ends before any drawing content (cut off)");
            }
            warn(line, "the file ends without 0/EOF: ended there");
            if (m_inSection) closeSection(m_img.size, line);
            synthetic("EOF", Role::Eof, m_img.size, line, 0);
        }
        if (!m_content) {
            bool any = false;
            for (const Record& r : m_img.records)
                if (r.role == Role::Section || r.role == Role::Header) any = true;
            if (!any) Fail(1, "not a DXF file: no sections");
        }
        if (m_noHandle)
            warn(m_firstNoHandle, std::to_string(m_noHandle) + (m_noHandle == 1 ? " object has" : " objects have") +
                                      " no handle: new handles given");
        // Group names from the group dictionary.
        for (auto& g : m_s.groups) {
            const std::uint64_t h = m_img.records[g.record].handle;
            for (const auto& n : m_groupNames)
                if (n.first == h && h) g.name = n.second;
        }
        m_s.subHandles = std::move(m_subHandles);
    }

    Scanned& m_s;
    FileImage& m_img;
    std::vector<Tag> m_tags;
    SectionKind m_section = SectionKind::Other;
    bool m_inSection = false;
    bool m_eof = false;
    bool m_content = false;
    bool m_textReady = false;
    std::uint32_t m_table = 0, m_block = 0;
    TableKind m_tableKind = TableKind::Other;
    std::uint32_t m_seqRecord = 0, m_seqModelled = 0;
    bool m_seqBounded = false;
    std::string_view m_px;
    std::uint64_t m_paperHandle = 0;
    std::uint64_t m_groupDictHandle = 0;
    std::vector<std::pair<std::uint64_t, std::wstring>> m_groupNames;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_subHandles;
    int m_noHandle = 0;
    std::uint32_t m_firstNoHandle = 0;
};

}  // namespace

void Scan(std::unique_ptr<char[]> bytes, std::size_t size, Scanned& out) {
    out.image = std::make_shared<FileImage>();
    out.image->bytes = std::move(bytes);
    out.image->size = size;
    Scanner(out).run();
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
