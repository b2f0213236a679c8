// Writing DXF (see writer.h): the walk over the drawing's file image.
#include "writer_impl.h"
#include "widetext.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "template.h"
#include "upgrade.h"
#include "db/dimension_block.h"

namespace host {
namespace dxf {
namespace detail {

std::string AcadVersion(const std::string& name) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"R12", "AC1009"}, {"R2000", "AC1015"}, {"R2004", "AC1018"}, {"R2007", "AC1021"},
        {"R2010", "AC1024"}, {"R2013", "AC1027"}, {"R2018", "AC1032"}};
    for (const auto& n : kNames)
        if (name == n.first || name == n.second) return n.second;
    return std::string();
}


std::wstring NameOf(AcDbObjectId id) {
    const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(id);
    const wchar_t* name = nullptr;
    if (rec) rec->getName(name);
    return name ? name : L"";
}

bool InR12(std::string_view t) {
    static const char* kKinds[] = {"LINE", "POINT", "CIRCLE", "ARC", "TRACE", "SOLID", "TEXT", "SHAPE", "INSERT",
                                   "ATTDEF", "ATTRIB", "POLYLINE", "VERTEX", "SEQEND", "3DFACE", "VIEWPORT",
                                   "DIMENSION", "BLOCK", "ENDBLK"};
    for (const char* k : kKinds)
        if (t == k) return true;
    return false;
}
bool R12Code(int c) { return c < 100 || (c >= 210 && c <= 239) || c >= 999; }

const RecordDescription* RecordDescriptionOf(const AcDbObject* obj) {
    static const RecordDescription kLayer{"AcDbLayerTableRecord", {2, 70, 62, 6}};
    static const RecordDescription kLtype{"AcDbLinetypeTableRecord", {2, 3}};
    static const RecordDescription kStyle{"AcDbTextStyleTableRecord", {2, 3, 4, 40, 41}};
    static const RecordDescription kApp{"AcDbRegAppTableRecord", {2}};
    static const RecordDescription kBlock{"AcDbBlockTableRecord", {}, true};
    // A dimension style is written in the file's order of codes, the
    // model's values put in place (see Writer::ownedRecord): it owns them all.
    static const RecordDescription kDimStyle{"AcDbDimStyleTableRecord", {}, true};
    static const RecordDescription kGroup{"AcDbGroup", {300, 70, 71, 340}};
    static const RecordDescription kDict{"AcDbDictionary", {3, 350, 360}};
    static const RecordDescription kXrecord{"AcDbXrecord", {}, true};
    if (AcDbLayerTableRecord::cast(obj)) return &kLayer;
    if (AcDbLinetypeTableRecord::cast(obj)) return &kLtype;
    if (AcDbTextStyleTableRecord::cast(obj)) return &kStyle;
    if (AcDbRegAppTableRecord::cast(obj)) return &kApp;
    if (AcDbBlockTableRecord::cast(obj)) return &kBlock;
    if (AcDbDimStyleTableRecord::cast(obj)) return &kDimStyle;
    if (AcDbGroup::cast(obj)) return &kGroup;
    if (AcDbDictionary::cast(obj)) return &kDict;
    if (AcDbXrecord::cast(obj)) return &kXrecord;
    return nullptr;
}
const char* TypeOf(const AcDbObject* obj) {
    if (AcDbLayerTableRecord::cast(obj)) return "LAYER";
    if (AcDbLinetypeTableRecord::cast(obj)) return "LTYPE";
    if (AcDbTextStyleTableRecord::cast(obj)) return "STYLE";
    if (AcDbRegAppTableRecord::cast(obj)) return "APPID";
    if (AcDbBlockTableRecord::cast(obj)) return "BLOCK_RECORD";
    if (AcDbDimStyleTableRecord::cast(obj)) return "DIMSTYLE";
    if (AcDbGroup::cast(obj)) return "GROUP";
    if (AcDbDictionary::cast(obj)) return "DICTIONARY";
    if (AcDbXrecord::cast(obj)) return "XRECORD";
    return "";
}

void Split(const std::vector<Tag>& tags, Parts& p) {
    bool x = false;
    for (const Tag& t : tags) {
        if (t.code == 1001) x = true;
        if (x) {
            p.xdata.push_back(t);
        } else if (t.code == 100) {
            p.subs.emplace_back(Trim(t.value), std::vector<Tag>());
        } else if (p.subs.empty()) {
            p.head.push_back(t);
        } else {
            p.subs.back().second.push_back(t);
        }
    }
}

Writer::Writer(const AcDbDatabase* db, FileImage& img, Codec& srcCodec, std::string& body, const std::string& version,
               TagFormat format, std::vector<std::string>* dropped)
    : m_db(db), m_img(img), m_src(srcCodec), m_version(version), m_r12(version <= "AC1009"),
      m_down(version <= "AC1009" && img.version > "AC1009"), m_up(version > "AC1009" && img.version <= "AC1009"),
      m_body(body), m_e(body, format, m_dst, img.crlf), m_dropped(dropped) {
    m_dst.setup(version >= "AC1021" || (m_img.textMended && version == m_img.version), m_img.codepage);
    m_verbatim = version == img.version && format == img.format && m_src.sameAs(m_dst);
    m_fresh = std::max(img.fileHandle(db->nextHandle()), img.reserved);
}

void Writer::run() {
    prepare();
    for (std::uint32_t i = 1; i < m_img.records.size(); ++i) {
        const Record& r = m_img.records[i];
        if (m_skipSection && r.role != Role::EndSec) continue;
        if (m_skipTable && r.role != Role::EndTab) continue;
        switch (r.role) {
        case Role::Header:
            // The first HEADER section is the header; another is kept as read.
            if (m_header) {
                raw(r);
                break;
            }
            m_headerAt = m_e.size();
            m_header = i;
            break;
        case Role::Section: section(r); break;
        case Role::EndSec: endSection(r); break;
        case Role::Table:
            if (m_down && r.aux == static_cast<std::uint32_t>(TableKind::BlockRecord)) {
                m_skipTable = true;
                break;
            }
            m_tableSeen[r.aux] = true;
            tableHead(i);
            break;
        case Role::EndTab:
            if (m_skipTable) {
                m_skipTable = false;
                break;
            }
            newRecords(static_cast<TableKind>(r.aux));
            raw(r);
            break;
        case Role::Block: blockBegin(r); break;
        case Role::EndBlk:
            if (r.aux && r.aux != m_model && r.aux != m_paper) newEntities(r.aux);
            raw(r);
            break;
        case Role::Sub: break;
        case Role::Eof: raw(r); break;
        case Role::Plain: plain(i); break;
        }
        if (m_spill && m_header && m_body.size() - m_headerAt >= kSpillChunk) spill();
    }
}

void Writer::spill() {
    if (!m_spill || m_body.size() <= m_headerAt) return;
    // A failed write leaves the file's error flag set for the caller.
    std::fwrite(m_body.data() + m_headerAt, 1, m_body.size() - m_headerAt, m_spill);
    m_body.resize(m_headerAt);
}

void Writer::writeHeader(std::string& out) {
    Emitter e(out, m_e.format(), m_dst, m_img.crlf);
    if (!m_header) {
        if (m_r12) return;
        e.text(0, "SECTION");
        e.text(2, "HEADER");
        e.text(9, "$ACADVER");
        e.text(1, m_version);
        e.text(9, "$HANDSEED");
        e.hex(5, m_fresh);
        e.text(0, "ENDSEC");
        return;
    }
    const Record& r = m_img.records[m_header];
    if (m_verbatim && m_img.seed == m_fresh && m_noDates) {
        e.bytes(m_img.span(r));
        return;
    }
    std::vector<Tag> tags;
    m_img.tags(r, tags, m_values);
    const double jd = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() /
                          86400.0 + 2440587.5;
    char buf[40];
    const std::string_view now = RealText(jd, buf);
    std::string_view var;
    bool seedDone = false;
    const std::wstring clayer = NameOf(m_db->clayer()), style = NameOf(m_db->textstyle());
    e.text(0, "SECTION");
    for (const Tag& t : tags) {
        if (t.code == 0) continue;
        if (t.code == 9) var = Trim(t.value);
        if (t.code == 8 && var == "$CLAYER" && !clayer.empty() && m_db->clayer() != m_img.clayer &&
            host_detail::FoldName(m_src.decode(t.value).c_str()) != host_detail::FoldName(clayer.c_str())) {
            e.str(8, clayer);
            continue;
        }
        if (t.code == 7 && var == "$TEXTSTYLE" && !style.empty() && m_db->textstyle() != m_img.textstyle &&
            host_detail::FoldName(m_src.decode(t.value).c_str()) != host_detail::FoldName(style.c_str())) {
            e.str(7, style);
            continue;
        }
        if (t.code != 9 && var == "$ACADVER") {
            e.text(t.code, m_version);
            continue;
        }
        if (t.code != 9 && var == "$HANDSEED") {
            e.hex(t.code, m_fresh);
            seedDone = true;
            continue;
        }
        if (t.code != 9 && (var == "$TDUPDATE" || var == "$TDUUPDATE") && t.code == 40) {
            e.text(40, now);
            continue;
        }
        tag(e, t);
    }
    if (!seedDone && !m_r12) {
        e.text(9, "$HANDSEED");
        e.hex(5, m_fresh);
    }
}

void Writer::prepare() {
    const AcDbObjectId ms = m_db->modelSpaceId();
    m_model = static_cast<std::uint32_t>(ms.handle());
    const auto* bt = ObjectAccess::peek<AcDbBlockTable>(m_db->blockTableId());
    if (bt) {
        AcDbObjectId paper = ObjectAccess::findRecord(m_db->blockTableId(), L"*Paper_Space");
        m_paper = static_cast<std::uint32_t>(paper.handle());
    }
    // Group membership: the reactors members must carry.
    const auto* gd = ObjectAccess::peek<AcDbDictionary>(m_db->groupDictionaryId());
    if (gd) {
        AcDbDictionaryIterator* it = gd->newIterator();
        for (; !it->done(); it->next()) {
            const auto* g = ObjectAccess::peek<AcDbGroup>(it->objectId());
            if (!g || g->isErased()) continue;
            if (ObjectAccess::isTouched(g) || !m_img.recordOf(Slot(it->objectId()))) m_groupsChanged = true;
            AcDbObjectIdArray members;
            g->allEntityIds(members);
            for (const auto& m : members) m_groupOf[Slot(m)].push_back(m_img.fileHandle(Slot(it->objectId())));
            m_groupHandles.insert(m_img.fileHandle(Slot(it->objectId())));
        }
        delete it;
    }
    // Erased objects of the file, and what they own.
    for (std::uint32_t s = 1; s < m_img.loadEnd && s <= static_cast<std::uint32_t>(m_db->numObjects()); ++s) {
        const AcDbObject* obj = ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), s));
        if (!obj) continue;
        if (obj->isErased() && m_img.recordOf(s)) m_erased.insert(m_img.fileHandle(s));
        if (ObjectAccess::isTouched(obj) && AcDbSymbolTableRecord::cast(obj) && !keepsFileName(obj, s)) m_renamed = true;
        if (obj->isErased() && AcDbGroup::cast(obj)) m_groupsChanged = true;
    }
    if (!m_erased.empty()) {
        for (bool grew = true; grew;) {
            grew = false;
            for (const Record& r : m_img.records)
                if (r.owner && r.handle && (!r.slot || OwnedObject(r.slot)) && m_erased.count(r.owner) &&
                    m_erased.insert(r.handle).second)
                    grew = true;
        }
    }
}

void Writer::note(const std::string& what) {
    if (m_dropped) ++m_drops[what];
}

// A changed table record with the name its file record gives it: what
// refers to it by name can be written as read.
bool Writer::keepsFileName(const AcDbObject* obj, std::uint32_t slot) {
    const Record* r = m_img.recordOf(slot);
    if (!r || obj->isErased()) return false;
    std::vector<Tag> tags;
    m_img.tags(*r, tags, m_values);
    for (const Tag& t : tags)
        if (t.code == 2) return m_src.decode(Trim(t.value)) == NameOf(obj->objectId());
    return false;
}

void Writer::reportDrops() {
    if (!m_dropped) return;
    for (const auto& d : m_drops) m_dropped->push_back(d.first + ": " + std::to_string(d.second));
}

bool Writer::dropsSection(SectionKind k) const {
    return m_down && k != SectionKind::Header && k != SectionKind::Tables && k != SectionKind::Blocks &&
           k != SectionKind::Entities;
}

void Writer::section(const Record& r) {
    const auto kind = static_cast<SectionKind>(r.aux);
    if (!m_tablesDone && (kind == SectionKind::Blocks || kind == SectionKind::Entities || kind == SectionKind::Objects)) {
        if (!m_tablesSeen) missingTablesSection();
        m_tablesDone = true;
    }
    if (kind == SectionKind::Blocks) m_blocksSeen = true;
    if (!m_blocksSeen && (kind == SectionKind::Entities || kind == SectionKind::Objects)) {
        // Blocks made since (a dimension's, a client's) need a section the
        // file did not have.
        m_blocksSeen = true;
        bool any = false;
        for (const auto& id : newRecordIds(TableKind::BlockRecord)) any = any || (Slot(id) != m_model && Slot(id) != m_paper);
        if (any) {
            m_e.text(0, "SECTION");
            m_e.text(2, "BLOCKS");
            newBlocks();
            m_e.text(0, "ENDSEC");
        }
    }
    if (dropsSection(kind)) {
        m_skipSection = true;
        std::vector<Tag> tags;
        m_img.tags(r, tags, m_values);
        std::string_view name = "unnamed";
        for (const Tag& t : tags)
            if (t.code == 2) {
                name = Trim(t.value);
                break;
            }
        note(std::string(name) + " section");
        return;
    }
    if (kind == SectionKind::Tables) m_tablesSeen = true;
    m_section = kind;
    raw(r);
}

void Writer::endSection(const Record& r) {
    if (m_skipSection) {
        m_skipSection = false;
        return;
    }
    if (m_section == SectionKind::Tables) missingTables();
    if (m_section == SectionKind::Entities) {
        newEntities(m_model);
        if (m_paper) newEntities(m_paper);
    }
    if (m_section == SectionKind::Objects) newObjects();
    if (m_section == SectionKind::Blocks) newBlocks();
    m_section = SectionKind::Other;
    raw(r);
}

void Writer::newBlocks() {
    std::unordered_set<std::uint32_t> inFile;
    for (const Record& r : m_img.records)
        if (r.role == Role::Block && r.aux) inFile.insert(r.aux);
    for (const auto& id : newRecordIds(TableKind::BlockRecord)) {
        const std::uint32_t slot = Slot(id);
        if (slot == m_model || slot == m_paper || inFile.count(slot)) continue;
        // A block the client made: its definition, with its entities.
        const std::wstring name = NameOf(id);
        const std::uint64_t record = fileOf(id);
        auto head = [&](const char* type, const char* marker) {
            m_e.text(0, type);
            if (!m_r12) {
                m_e.hex(5, m_fresh++);
                m_e.hex(330, record);
                m_e.text(100, "AcDbEntity");
            }
            m_e.text(8, "0");
            if (!m_r12) m_e.text(100, marker);
        };
        head("BLOCK", "AcDbBlockBegin");
        newBlockFields(ObjectAccess::peek<AcDbBlockTableRecord>(id));
        newEntities(slot);
        head("ENDBLK", "AcDbBlockEnd");
    }
}

// A table head with its count of records (code 70) as written: records
// may have been added or erased since the file was read.
void Writer::tableHead(std::uint32_t i) {
    const Record& r = m_img.records[i];
    const auto kind = static_cast<TableKind>(r.aux);
    if (kind == TableKind::Other) {
        raw(r);
        return;
    }
    if (r.begin == r.end) {
        // The file had records of the table but no head.
        long long count = static_cast<long long>(newRecordIds(kind).size());
        for (std::uint32_t k = i + 1; k < m_img.records.size() && m_img.records[k].role == Role::Plain; ++k) ++count;
        newTableHead(kind, count);
        return;
    }
    // Writers differ in what they count (some the largest number of
    // entries): the count read moves by the records added and erased.
    long long change = static_cast<long long>(newRecordIds(kind).size());
    for (std::uint32_t k = i + 1; k < m_img.records.size() && m_img.records[k].role == Role::Plain; ++k) {
        const Record& e = m_img.records[k];
        const AcDbObject* obj = e.slot ? ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), e.slot)) : nullptr;
        if (e.slot && (!obj || obj->isErased())) --change;
    }
    std::vector<Tag> tags;
    if (change != 0) m_img.tags(r, tags, m_values);
    long long read = -1;
    for (const Tag& t : tags)
        if (t.code == 70) ParseInt(t.value, read);
    if (read < 0) {
        raw(r);
        return;
    }
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::max(0LL, read + change));
    const std::string_view value = m_values.keep(buf, static_cast<std::size_t>(res.ptr - buf));
    for (Tag& t : tags)
        if (t.code == 70) t.value = value;
    rawTags(r, tags);
}

bool Writer::needsTable(TableKind k) const {
    if (m_r12 && k == TableKind::BlockRecord) return false;
    return !m_tableSeen.count(static_cast<std::uint32_t>(k)) && !newRecordIds(k).empty();
}

void Writer::missingTablesSection() {
    bool any = false;
    for (TableKind k : {TableKind::Ltype, TableKind::Layer, TableKind::Style, TableKind::Appid, TableKind::BlockRecord,
                        TableKind::DimStyle})
        any = any || needsTable(k);
    if (!any) return;
    m_e.text(0, "SECTION");
    m_e.text(2, "TABLES");
    missingTables();
    m_e.text(0, "ENDSEC");
}

namespace {
const std::pair<TableKind, const char*> kModelledTables[] = {{TableKind::Ltype, "LTYPE"},
                                                             {TableKind::Layer, "LAYER"},
                                                             {TableKind::Style, "STYLE"},
                                                             {TableKind::Appid, "APPID"},
                                                             {TableKind::DimStyle, "DIMSTYLE"},
                                                             {TableKind::BlockRecord, "BLOCK_RECORD"}};
}  // namespace

void Writer::newTableHead(TableKind kind, long long count) {
    const char* name = "";
    for (const auto& t : kModelledTables)
        if (t.first == kind) name = t.second;
    m_e.text(0, "TABLE");
    m_e.text(2, name);
    if (!m_r12) {
        m_e.hex(5, fileOf(tableId(kind)));
        m_e.hex(330, 0);
        m_e.text(100, "AcDbSymbolTable");
    }
    m_e.integer(70, count);
    if (kind == TableKind::DimStyle && !m_r12) m_e.text(100, "AcDbDimStyleTable");
}

void Writer::missingTables() {
    for (const auto& t : kModelledTables) {
        if (!needsTable(t.first)) continue;
        m_tableSeen[static_cast<std::uint32_t>(t.first)] = true;
        newTableHead(t.first, static_cast<long long>(newRecordIds(t.first).size()));
        newRecords(t.first);
        m_e.text(0, "ENDTAB");
    }
}

AcDbObjectId Writer::tableId(TableKind k) const {
    switch (k) {
    case TableKind::Layer: return m_db->layerTableId();
    case TableKind::Ltype: return m_db->linetypeTableId();
    case TableKind::Style: return m_db->textStyleTableId();
    case TableKind::Appid: return m_db->regAppTableId();
    case TableKind::BlockRecord: return m_db->blockTableId();
    case TableKind::DimStyle: return ObjectAccess::dimStyleTableIfAny(m_db);
    default: return AcDbObjectId::kNull;
    }
}

std::vector<AcDbObjectId> Writer::newRecordIds(TableKind k) const {
    std::vector<AcDbObjectId> out;
    const auto* t = ObjectAccess::peek<AcDbSymbolTable>(tableId(k));
    if (!t) return out;
    for (const auto& id : t->recordIds(false))
        if (!m_img.recordOf(Slot(id))) out.push_back(id);
    return out;
}

void Writer::newRecords(TableKind k) {
    for (const auto& id : newRecordIds(k)) {
        const AcDbObject* obj = ObjectAccess::lookup(id);
        if (k == TableKind::BlockRecord) {
            const std::wstring key = host_detail::FoldName(NameOf(id).c_str());
            // Block records made for R12 blocks are written only as records.
            (void)key;
        }
        merged(nullptr, obj, TypeOf(obj), fileOf(tableId(k)));
    }
}

void Writer::newEntities(std::uint32_t blockSlot) {
    const auto* btr = ObjectAccess::peek<AcDbBlockTableRecord>(AcDbObjectId::fromParts(m_db->serial(), blockSlot));
    if (!btr) return;
    for (const auto& id : btr->entityIds(false)) {
        if (m_img.recordOf(Slot(id))) continue;
        entity(nullptr, ObjectAccess::peek<AcDbEntity>(id), 0);
    }
}

void Writer::newObjects() {
    const AcDbObjectId gdId = m_db->groupDictionaryId();
    const auto* gd = ObjectAccess::peek<AcDbDictionary>(gdId);
    if (!gd) return;
    if (!m_img.recordOf(Slot(gdId)) && !m_r12) merged(nullptr, gd, "DICTIONARY", fileOf(m_db->namedObjectsDictionaryId()));
    AcDbDictionaryIterator* it = gd->newIterator();
    for (; !it->done(); it->next()) {
        const AcDbObject* g = ObjectAccess::lookup(it->objectId());
        if (g && !g->isErased() && !m_img.recordOf(Slot(it->objectId()))) merged(nullptr, g, "GROUP", fileOf(gdId));
    }
    delete it;
    newDictionaryObjects();
}

void Writer::plain(std::uint32_t i) {
    const Record& r = m_img.records[i];
    if (!r.slot) {
        if (m_down && m_section == SectionKind::Entities && !InR12(r.type)) {
            note(std::string(r.type) + " entities");
            return;
        }
        if (m_down && m_section == SectionKind::Blocks && !InR12(r.type)) {
            note(std::string(r.type) + " entities");
            return;
        }
        raw(r);
        return;
    }
    const AcDbObject* obj = ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), r.slot));
    if (!obj || obj->isErased() || (OwnedObject(r.slot) && m_erased.count(r.handle))) return;
    if (const auto* ent = AcDbEntity::cast(obj)) {
        entity(&r, ent, i);
        return;
    }
    const std::uint64_t owner = r.owner;
    if (!ObjectAccess::isTouched(obj) && m_verbatim && !(r.flags & kNewHandle) &&
        !(AcDbDictionary::cast(obj) && needsGroupEntry(obj)) && (m_erased.empty() || !(r.flags & kHasRefs)) &&
        !(AcDbGroup::cast(obj) && m_groupsChanged)) {
        m_e.bytes(m_img.span(r));
        return;
    }
    merged(&r, obj, std::string(r.type).c_str(), owner);
}

bool Writer::needsGroupEntry(const AcDbObject* obj) const {
    return obj->objectId() == m_db->namedObjectsDictionaryId() && !m_img.recordOf(Slot(m_db->groupDictionaryId()));
}

void Writer::entity(const Record* r, const AcDbEntity* ent, std::uint32_t index) {
    if (!ent) return;
    const auto* kept = AcDbKeptEntity::cast(ent);
    const EntityDescription* desc = kept ? nullptr : DescriptionOf(ent);
    const std::string type = r ? std::string(r->type) : kept ? kept->dxfName() : desc ? desc->type : "";
    if (type.empty()) {
        // A host entity this writer has no DXF form for yet: left out (and
        // named among the drops) rather than written as a record without a type.
        note(host::WideToUtf8(ent->isA()->name()) + " entities");
        return;
    }
    if (m_down && !InR12(type) && !(type == "LWPOLYLINE" && !kept)) {
        note(type + " entities");
        return;
    }
    const std::uint32_t slot = Slot(ent->objectId());
    const bool grouped = m_groupsChanged && (m_groupOf.count(slot) || (r && (r->flags & kHasRefs)));
    if (r && m_verbatim && !ObjectAccess::isTouched(ent) && !m_renamed && !grouped && !(r->flags & kNewHandle) &&
        (m_erased.empty() || !(r->flags & kHasRefs))) {
        m_e.bytes(m_img.span(*r));
        if (const auto* pl = AcDb2dPolyline::cast(ent)) vertices(index, pl, pl->vertexIterator());
        if (const auto* pl = AcDb3dPolyline::cast(ent)) vertices(index, pl, pl->vertexIterator());
        if (const auto* ref = AcDbBlockReference::cast(ent)) attributes(index, ref);
        return;
    }
    // A kept entity that did not change, in another format or encoding:
    // tag by tag in its order (transcoded), not rebuilt.
    if (kept && r && !ObjectAccess::isTouched(ent) && !m_renamed && !grouped && !(r->flags & kNewHandle) &&
        m_version == m_img.version) {
        raw(*r);
        return;
    }
    const std::uint64_t owner = fileOf(ent->ownerId());
    if (m_r12 && AcDbPolyline::cast(ent)) {
        lwAsPolyline(AcDbPolyline::cast(ent), owner);
        return;
    }
    if (kept && r && (r->flags & kSequence)) {
        // The head merged, the rest of the sequence as read.
        std::vector<Tag> tags;
        m_img.tags(*r, tags, m_values);
        if (m_up) {
            std::vector<Tag> upgraded;
            WithSubclassMarkers(tags, upgraded);
            tags.swap(upgraded);
        }
        std::size_t cut = 1;
        while (cut < tags.size() && tags[cut].code != 0) ++cut;
        std::vector<Tag> head(tags.begin(), tags.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<Tag> rest(tags.begin() + static_cast<std::ptrdiff_t>(cut), tags.end());
        mergedTags(r, &head, ent, type.c_str(), owner);
        Record tail = *r;
        tail.flags = static_cast<std::uint8_t>(tail.flags & ~kNewHandle);
        rawTags(tail, rest);
        return;
    }
    merged(r, ent, type.c_str(), owner);
    if (const auto* pl = AcDb2dPolyline::cast(ent)) vertices(index, pl, pl->vertexIterator());
    if (const auto* pl = AcDb3dPolyline::cast(ent)) vertices(index, pl, pl->vertexIterator());
    if (const auto* ref = AcDbBlockReference::cast(ent)) attributes(index, ref);
}


bool WriteDrawing(const AcDbDatabase* db, std::string& out, const DxfWriteOptions& opts, DxfError& err,
                  std::FILE* rest) {
    // Dimensions without a current block get one, so every reader shows them.
    host_detail::EnsureDimensionBlocks(const_cast<AcDbDatabase*>(db));
    auto* file = static_cast<FileImage*>(ObjectAccess::file(db));
    std::unique_ptr<Scanned> scratch;
    if (!file) {
        scratch = std::make_unique<Scanned>();
        NewDrawingImage(db, *scratch);
        file = scratch->image.get();
    }
    std::string version = opts.version.empty() ? file->version : AcadVersion(opts.version);
    if (version.empty()) {
        err = DxfError{0, "unknown DXF version '" + opts.version + "' (R12, R2000, R2004, R2007, R2010, R2013 or R2018)"};
        return false;
    }
    if (!opts.version.empty()) {
        // Versions between are written as the nearest one this writer knows.
        if (version > "AC1009" && version < "AC1015") version = "AC1015";
        if (version > "AC1032") version = "AC1032";
    }
    const bool binary = opts.format == DxfWriteOptions::Format::Binary ||
                        (opts.format == DxfWriteOptions::Format::AsRead && file->format != TagFormat::Ascii);
    const TagFormat format = !binary ? TagFormat::Ascii : version <= "AC1009" ? TagFormat::Binary12 : TagFormat::Binary;
    Codec src;
    src.setup(file->utf8, file->codepage);
    std::string body;
    // Objects the file did not have are written from the model, some 180
    // bytes each: growing the buffer for millions of them would copy it
    // again and again.
    const std::size_t added = static_cast<std::size_t>(
        std::max<long long>(0, static_cast<long long>(db->numObjects()) - static_cast<long long>(file->records.size())));
    if (rest)
        body.reserve(2 * kSpillChunk);
    else
        body.reserve(file->size + file->size / 8 + 4096 + static_cast<std::size_t>(db->numObjects()) * 16 +
                     added * 180);
    Writer w(db, *file, src, body, version, format, opts.dropped);
    w.spillTo(rest);
    w.run();
    if (rest && w.header()) w.spill();
    // The header goes into the body in place: a second buffer the size of
    // the drawing would double the writer's peak memory.
    std::string header;
    w.writeHeader(header);
    body.insert(w.headerAt(), header);
    if (format != TagFormat::Ascii) body.insert(0, kBinarySentinel, kBinarySentinelSize);
    out.swap(body);
    w.reportDrops();
    return true;
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
