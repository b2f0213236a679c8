// Writing DXF (see writer.h).
#include "writer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbkept.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "emit.h"
#include "entities.h"
#include "image.h"
#include "reader.h"
#include "template.h"

namespace host {
namespace dxf {
namespace detail {

using host_detail::ObjectAccess;

std::string AcadVersion(const std::string& name) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"R12", "AC1009"}, {"R2000", "AC1015"}, {"R2004", "AC1018"}, {"R2007", "AC1021"},
        {"R2010", "AC1024"}, {"R2013", "AC1027"}, {"R2018", "AC1032"}};
    for (const auto& n : kNames)
        if (name == n.first || name == n.second) return n.second;
    return std::string();
}

namespace {

std::wstring NameOf(AcDbObjectId id) {
    const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(id);
    const wchar_t* name = nullptr;
    if (rec) rec->getName(name);
    return name ? name : L"";
}

// Entity kinds R12 has.
bool InR12(std::string_view t) {
    static const char* kKinds[] = {"LINE", "POINT", "CIRCLE", "ARC", "TRACE", "SOLID", "TEXT", "SHAPE", "INSERT",
                                   "ATTDEF", "ATTRIB", "POLYLINE", "VERTEX", "SEQEND", "3DFACE", "VIEWPORT",
                                   "DIMENSION", "BLOCK", "ENDBLK"};
    for (const char* k : kKinds)
        if (t == k) return true;
    return false;
}
bool R12Code(int c) { return c < 100 || (c >= 210 && c <= 239) || c >= 999; }

// A non-entity the host models: its subclass and the codes it owns there.
struct RecordDescription {
    const char* marker;
    std::vector<int> codes;
};
const RecordDescription* RecordDescriptionOf(const AcDbObject* obj) {
    static const RecordDescription kLayer{"AcDbLayerTableRecord", {2, 70, 62, 6}};
    static const RecordDescription kLtype{"AcDbLinetypeTableRecord", {2, 3}};
    static const RecordDescription kStyle{"AcDbTextStyleTableRecord", {2, 3, 4, 40, 41}};
    static const RecordDescription kApp{"AcDbRegAppTableRecord", {2}};
    static const RecordDescription kBlock{"AcDbBlockTableRecord", {2}};
    static const RecordDescription kGroup{"AcDbGroup", {300, 70, 71, 340}};
    static const RecordDescription kDict{"AcDbDictionary", {3, 350, 360}};
    if (AcDbLayerTableRecord::cast(obj)) return &kLayer;
    if (AcDbLinetypeTableRecord::cast(obj)) return &kLtype;
    if (AcDbTextStyleTableRecord::cast(obj)) return &kStyle;
    if (AcDbRegAppTableRecord::cast(obj)) return &kApp;
    if (AcDbBlockTableRecord::cast(obj)) return &kBlock;
    if (AcDbGroup::cast(obj)) return &kGroup;
    if (AcDbDictionary::cast(obj)) return &kDict;
    return nullptr;
}
const char* TypeOf(const AcDbObject* obj) {
    if (AcDbLayerTableRecord::cast(obj)) return "LAYER";
    if (AcDbLinetypeTableRecord::cast(obj)) return "LTYPE";
    if (AcDbTextStyleTableRecord::cast(obj)) return "STYLE";
    if (AcDbRegAppTableRecord::cast(obj)) return "APPID";
    if (AcDbBlockTableRecord::cast(obj)) return "BLOCK_RECORD";
    if (AcDbGroup::cast(obj)) return "GROUP";
    if (AcDbDictionary::cast(obj)) return "DICTIONARY";
    return "";
}

// Tags split by subclass marker: the head (before the first 100), then one
// part per marker, then extended data.
struct Parts {
    std::vector<Tag> head;
    std::vector<std::pair<std::string_view, std::vector<Tag>>> subs;
    std::vector<Tag> xdata;
};
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

class Writer {
public:
    Writer(const AcDbDatabase* db, FileImage& img, Codec& srcCodec, std::string& body, const std::string& version,
           TagFormat format, std::vector<std::string>* dropped)
        : m_db(db), m_img(img), m_src(srcCodec), m_version(version), m_r12(version <= "AC1009"),
          m_down(version <= "AC1009" && img.version > "AC1009"),
          m_e(body, format, m_dst, img.crlf), m_dropped(dropped) {
        m_dst.setup(version >= "AC1021" || (m_img.textMended && version == m_img.version), m_img.codepage);
        m_verbatim = version == img.version && format == img.format && m_src.sameAs(m_dst);
        m_fresh = std::max(img.fileHandle(db->nextHandle()), img.reserved);
    }

    void run() {
        prepare();
        for (std::uint32_t i = 1; i < m_img.records.size(); ++i) {
            const Record& r = m_img.records[i];
            if (m_skipSection && r.role != Role::EndSec) continue;
            if (m_skipTable && r.role != Role::EndTab) continue;
            switch (r.role) {
            case Role::Header: m_headerAt = m_e.size(); m_header = i; break;
            case Role::Section: section(r); break;
            case Role::EndSec: endSection(r); break;
            case Role::Table:
                if (m_down && r.aux == static_cast<std::uint32_t>(TableKind::BlockRecord)) {
                    m_skipTable = true;
                    break;
                }
                m_tableSeen[r.aux] = true;
                raw(r);
                break;
            case Role::EndTab:
                if (m_skipTable) {
                    m_skipTable = false;
                    break;
                }
                newRecords(static_cast<TableKind>(r.aux));
                raw(r);
                break;
            case Role::Block: raw(r); break;
            case Role::EndBlk:
                if (r.aux && r.aux != m_model && r.aux != m_paper) newEntities(r.aux);
                raw(r);
                break;
            case Role::Sub: break;
            case Role::Eof: raw(r); break;
            case Role::Plain: plain(i); break;
            }
        }
    }

    std::uint64_t seed() const { return m_fresh; }
    std::size_t headerAt() const { return m_headerAt; }
    std::uint32_t header() const { return m_header; }
    bool verbatim() const { return m_verbatim; }

    // The header variables, $HANDSEED and the update dates renewed.
    void writeHeader(std::string& out) {
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

private:
    // ---- preparation ----

    void prepare() {
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
            if (ObjectAccess::isTouched(obj) && AcDbSymbolTableRecord::cast(obj)) m_renamed = true;
            if (obj->isErased() && AcDbGroup::cast(obj)) m_groupsChanged = true;
        }
        if (!m_erased.empty()) {
            for (bool grew = true; grew;) {
                grew = false;
                for (const Record& r : m_img.records)
                    if (r.owner && r.handle && !r.slot && m_erased.count(r.owner) && m_erased.insert(r.handle).second)
                        grew = true;
            }
        }
    }

    static std::uint32_t Slot(AcDbObjectId id) { return static_cast<std::uint32_t>(id.handle()); }
    std::uint64_t fileOf(AcDbObjectId id) const { return id.isNull() ? 0 : m_img.fileHandle(Slot(id)); }

    void note(const std::string& what) {
        if (m_dropped) ++m_drops[what];
    }

public:
    void reportDrops() {
        if (!m_dropped) return;
        for (const auto& d : m_drops) m_dropped->push_back(d.first + ": " + std::to_string(d.second));
    }

private:
    // ---- sections ----

    bool dropsSection(SectionKind k) const {
        return m_down && k != SectionKind::Header && k != SectionKind::Tables && k != SectionKind::Blocks &&
               k != SectionKind::Entities;
    }

    void section(const Record& r) {
        const auto kind = static_cast<SectionKind>(r.aux);
        if (!m_tablesDone && (kind == SectionKind::Blocks || kind == SectionKind::Entities || kind == SectionKind::Objects)) {
            if (!m_tablesSeen) missingTablesSection();
            m_tablesDone = true;
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

    void endSection(const Record& r) {
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
        m_section = SectionKind::Other;
        raw(r);
    }

    // Host records of a modelled table the file had none of.
    bool needsTable(TableKind k) const {
        if (m_r12 && k == TableKind::BlockRecord) return false;
        return !m_tableSeen.count(static_cast<std::uint32_t>(k)) && !newRecordIds(k).empty();
    }
    void missingTablesSection() {
        bool any = false;
        for (TableKind k : {TableKind::Ltype, TableKind::Layer, TableKind::Style, TableKind::Appid, TableKind::BlockRecord})
            any = any || needsTable(k);
        if (!any) return;
        m_e.text(0, "SECTION");
        m_e.text(2, "TABLES");
        missingTables();
        m_e.text(0, "ENDSEC");
    }
    void missingTables() {
        static const std::pair<TableKind, const char*> kTables[] = {{TableKind::Ltype, "LTYPE"}, {TableKind::Layer, "LAYER"},
                                                                  {TableKind::Style, "STYLE"}, {TableKind::Appid, "APPID"},
                                                                  {TableKind::BlockRecord, "BLOCK_RECORD"}};
        for (const auto& t : kTables) {
            if (!needsTable(t.first)) continue;
            m_tableSeen[static_cast<std::uint32_t>(t.first)] = true;
            m_e.text(0, "TABLE");
            m_e.text(2, t.second);
            if (!m_r12) {
                m_e.hex(5, fileOf(tableId(t.first)));
                m_e.hex(330, 0);
                m_e.text(100, "AcDbSymbolTable");
            }
            m_e.integer(70, static_cast<long long>(newRecordIds(t.first).size()));
            newRecords(t.first);
            m_e.text(0, "ENDTAB");
        }
    }

    AcDbObjectId tableId(TableKind k) const {
        switch (k) {
        case TableKind::Layer: return m_db->layerTableId();
        case TableKind::Ltype: return m_db->linetypeTableId();
        case TableKind::Style: return m_db->textStyleTableId();
        case TableKind::Appid: return m_db->regAppTableId();
        case TableKind::BlockRecord: return m_db->blockTableId();
        default: return AcDbObjectId::kNull;
        }
    }
    std::vector<AcDbObjectId> newRecordIds(TableKind k) const {
        std::vector<AcDbObjectId> out;
        const auto* t = ObjectAccess::peek<AcDbSymbolTable>(tableId(k));
        if (!t) return out;
        for (const auto& id : t->recordIds(false))
            if (!m_img.recordOf(Slot(id))) out.push_back(id);
        return out;
    }
    void newRecords(TableKind k) {
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

    void newEntities(std::uint32_t blockSlot) {
        const auto* btr = ObjectAccess::peek<AcDbBlockTableRecord>(AcDbObjectId::fromParts(m_db->serial(), blockSlot));
        if (!btr) return;
        for (const auto& id : btr->entityIds(false)) {
            if (m_img.recordOf(Slot(id))) continue;
            entity(nullptr, ObjectAccess::peek<AcDbEntity>(id), 0);
        }
    }

    void newObjects() {
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
    }

    // ---- records ----

    void tag(Emitter& e, const Tag& t) {
        if (m_verbatim || KindOfCode(t.code) != VK::Str) {
            e.tag(t);
            return;
        }
        e.text(t.code, m_src.transcode(t.value, m_dst));
    }

    bool refersToErased(const Tag& t) const {
        std::uint64_t h = 0;
        return IsPointerCode(t.code) && ParseHex(t.value, h) && m_erased.count(h);
    }

    // A record the host holds no object for, as read but for what a changed
    // drawing or version asks.
    void raw(const Record& r) {
        if (r.begin == r.end) {
            // A structure record the file left out.
            m_e.text(0, std::string(r.type));
            return;
        }
        const bool filter = !m_erased.empty() && (r.flags & kHasRefs);
        const bool lonePoint = r.flags & kNewHandle;
        if (m_verbatim && !filter && !lonePoint) {
            m_e.bytes(m_img.span(r));
            return;
        }
        if (r.handle && m_erased.count(r.handle)) return;
        std::vector<Tag> tags;
        m_img.tags(r, tags, m_values);
        rawTags(r, tags);
    }

    void rawTags(const Record& r, const std::vector<Tag>& tags) {
        const bool dict = r.type == "DICTIONARY";
        const bool sortents = r.type == "SORTENTSTABLE";
        bool handleDone = false;
        int depth = 0;
        bool reactors = false;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const Tag& t = tags[k];
            if (m_down && !R12Code(t.code)) continue;
            if (m_down && t.code == 102) continue;
            if (t.code == 102) {
                const std::string_view v = Trim(t.value);
                if (!v.empty() && v.front() == '{') {
                    ++depth;
                    reactors = v == "{ACAD_REACTORS";
                } else if (v == "}" && depth > 0) {
                    --depth;
                    reactors = false;
                }
            }
            if (k == 0 && t.code == 0 && (r.flags & kNewHandle) && !handleDone && r.handle && (!m_r12 || m_img.hadHandles)) {
                tag(m_e, t);
                m_e.hex(r.type == "DIMSTYLE" ? 105 : 5, r.handle);
                handleDone = true;
                continue;
            }
            if ((t.code == 5 || t.code == 105) && (r.flags & kNewHandle) && !handleDone && k <= 2) {
                m_e.hex(t.code, r.handle);
                handleDone = true;
                continue;
            }
            if (!m_erased.empty() && refersToErased(t)) {
                if (reactors || t.code == 340) continue;
                if (dict && (t.code == 350 || t.code == 360)) continue;  // its key was held back
                if (sortents && t.code == 331) {
                    if (k + 1 < tags.size() && tags[k + 1].code == 5) ++k;
                    continue;
                }
                m_e.text(t.code, "0");
                continue;
            }
            if (dict && t.code == 3 && !m_erased.empty() && k + 1 < tags.size() && refersToErased(tags[k + 1])) continue;
            tag(m_e, t);
        }
    }

    void plain(std::uint32_t i) {
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
        if (!obj || obj->isErased()) return;
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

    bool needsGroupEntry(const AcDbObject* obj) const {
        return obj->objectId() == m_db->namedObjectsDictionaryId() && !m_img.recordOf(Slot(m_db->groupDictionaryId()));
    }

    // Reactors an entity is written with: those of the file that are not
    // groups or erased, then the groups holding it.
    std::vector<std::uint64_t> reactorsOf(const std::vector<Tag>* orig, std::uint32_t slot) const {
        std::vector<std::uint64_t> out;
        if (orig) {
            bool in = false;
            for (const Tag& t : *orig) {
                if (t.code == 102) in = Trim(t.value) == "{ACAD_REACTORS";
                std::uint64_t h = 0;
                if (in && t.code == 330 && ParseHex(t.value, h) && !m_erased.count(h) && !m_groupHandles.count(h) &&
                    !isFileGroup(h))
                    out.push_back(h);
            }
        }
        const auto it = m_groupOf.find(slot);
        if (it != m_groupOf.end())
            for (const auto h : it->second) out.push_back(h);
        return out;
    }
    bool isFileGroup(std::uint64_t h) const {
        const std::uint32_t s = m_img.slotOf(h);
        const Record* r = m_img.recordOf(s);
        return r && r->type == "GROUP";
    }

    void entity(const Record* r, const AcDbEntity* ent, std::uint32_t index) {
        if (!ent) return;
        const auto* kept = AcDbKeptEntity::cast(ent);
        const EntityDescription* desc = kept ? nullptr : DescriptionOf(ent);
        const std::string type = r ? std::string(r->type) : kept ? kept->dxfName() : desc ? desc->type : "";
        if (m_down && !InR12(type) && !(type == "LWPOLYLINE" && !kept)) {
            note(type + " entities");
            return;
        }
        const std::uint32_t slot = Slot(ent->objectId());
        const bool grouped = m_groupsChanged && (m_groupOf.count(slot) || (r && (r->flags & kHasRefs)));
        if (r && m_verbatim && !ObjectAccess::isTouched(ent) && !m_renamed && !grouped && !(r->flags & kNewHandle) &&
            (m_erased.empty() || !(r->flags & kHasRefs))) {
            m_e.bytes(m_img.span(*r));
            if (AcDb2dPolyline::cast(ent)) vertices(index, AcDb2dPolyline::cast(ent));
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
        if (AcDb2dPolyline::cast(ent)) vertices(index, AcDb2dPolyline::cast(ent));
    }

    // The vertices of a modelled polyline and its SEQEND.
    void vertices(std::uint32_t index, const AcDb2dPolyline* pl) {
        AcDbObjectIterator* it = pl->vertexIterator();
        const std::uint64_t self = fileOf(pl->objectId());
        for (; !it->done(); it->step()) {
            const AcDbEntity* v = ObjectAccess::peek<AcDbEntity>(it->objectId());
            if (!v) continue;
            const Record* vr = m_img.recordOf(Slot(it->objectId()));
            if (vr && m_verbatim && !ObjectAccess::isTouched(v) && !m_renamed && !(vr->flags & kNewHandle)) {
                m_e.bytes(m_img.span(*vr));
            } else {
                merged(vr, v, "VERTEX", self);
            }
        }
        delete it;
        std::uint32_t seq = 0;
        if (index)
            for (std::uint32_t k = index + 1; k < m_img.records.size() && m_img.records[k].role == Role::Sub; ++k)
                if (m_img.records[k].type == "SEQEND") seq = k;
        if (seq) {
            raw(m_img.records[seq]);
            return;
        }
        m_e.text(0, "SEQEND");
        if (!m_r12) {
            m_e.hex(5, m_fresh++);
            m_e.hex(330, self);
            m_e.text(100, "AcDbEntity");
        }
        m_e.str(8, NameOf(pl->layerId()));
    }

    void lwAsPolyline(const AcDbPolyline* pl, std::uint64_t owner) {
        (void)owner;
        note("LWPOLYLINE written as POLYLINE");
        m_e.text(0, "POLYLINE");
        if (m_img.hadHandles) m_e.hex(5, fileOf(pl->objectId()));
        common(pl);
        m_e.integer(66, 1);
        m_e.point(10, AcGePoint3d(0, 0, pl->elevation()));
        m_e.integer(70, pl->isClosed() ? 1 : 0);
        for (unsigned int i = 0; i < pl->numVerts(); ++i) {
            AcGePoint2d p;
            double bulge = 0, sw = -1, ew = -1;
            pl->getPointAt(i, p);
            pl->getBulgeAt(i, bulge);
            pl->getWidthsAt(i, sw, ew);
            m_e.text(0, "VERTEX");
            if (m_img.hadHandles) m_e.hex(5, m_fresh++);
            m_e.str(8, NameOf(pl->layerId()));
            m_e.point(10, AcGePoint3d(p.x, p.y, pl->elevation()));
            const double cw = pl->storedConstantWidth();
            if (sw >= 0 || ew >= 0 || cw > 0) {
                m_e.num(40, sw >= 0 ? sw : cw);
                m_e.num(41, ew >= 0 ? ew : cw);
            }
            if (bulge != 0.0) m_e.num(42, bulge);
        }
        m_e.text(0, "SEQEND");
        if (m_img.hadHandles) m_e.hex(5, m_fresh++);
        m_e.str(8, NameOf(pl->layerId()));
    }

    void common(const AcDbEntity* e) {
        m_e.str(8, NameOf(e->layerId()));
        if (e->linetypeId() != m_db->byLayerLinetype()) {
            const std::wstring lt = NameOf(e->linetypeId());
            if (!lt.empty()) m_e.str(6, lt);
        }
        if (e->colorIndex() != 256) m_e.integer(62, e->colorIndex());
        if (e->visibility() == AcDb::kInvisible) m_e.integer(60, 1);
    }

    void merged(const Record* r, const AcDbObject* obj, const char* type, std::uint64_t owner) {
        std::vector<Tag> tags;
        if (r) m_img.tags(*r, tags, m_values);
        mergedTags(r, r ? &tags : nullptr, obj, type, owner);
    }

    // An object written from the model, with every tag of the file's record
    // the model does not own (tags is null for a new object).
    void mergedTags(const Record* r, const std::vector<Tag>* tags, const AcDbObject* obj, const char* type,
                    std::uint64_t owner) {
        Parts parts;
        if (tags) {
            std::vector<Tag> body(tags->begin() + (tags->empty() || (*tags)[0].code != 0 ? 0 : 1), tags->end());
            Split(body, parts);
        }
        const auto* ent = AcDbEntity::cast(obj);
        const auto* kept = AcDbKeptEntity::cast(obj);
        const EntityDescription* desc = ent && !kept ? DescriptionOf(ent) : nullptr;
        const RecordDescription* rdesc = ent ? nullptr : RecordDescriptionOf(obj);
        const std::uint64_t handle = fileOf(obj->objectId());
        m_e.current = handle;
        m_e.text(0, type);
        const bool dimstyle = std::strcmp(type, "DIMSTYLE") == 0;
        if (!m_r12 || m_img.hadHandles) m_e.hex(dimstyle ? 105 : 5, handle);
        // Head: application groups (reactors renewed for entities), owner.
        if (!m_r12) {
            std::vector<std::uint64_t> reactors;
            if (ent) reactors = reactorsOf(tags, Slot(obj->objectId()));
            if (!reactors.empty()) {
                m_e.text(102, "{ACAD_REACTORS");
                for (const auto h : reactors) m_e.hex(330, h);
                m_e.text(102, "}");
            }
            bool skip = false;
            int depth = 0;
            for (const Tag& t : parts.head) {
                if (t.code == 5 || t.code == 105) continue;
                if (t.code == 102) {
                    const std::string_view v = Trim(t.value);
                    if (v == "{ACAD_REACTORS") skip = ent != nullptr;
                    if (!v.empty() && v.front() == '{') ++depth;
                    if (v == "}") {
                        --depth;
                        if (skip) {
                            skip = false;
                            continue;
                        }
                    }
                }
                if (skip) continue;
                if (t.code == 330 && depth == 0) continue;
                // A record without subclass markers (R12 style in a later
                // file): what the model writes under its markers, and the
                // codes the description does not own after them, are not
                // written here a second time.
                if (parts.subs.empty() && depth == 0 && t.code != 102 && ent &&
                    (desc || IsCommonEntityCode(t.code)))
                    continue;
                if (!m_erased.empty() && refersToErased(t)) continue;
                tag(m_e, t);
            }
            m_e.hex(330, owner);
        } else {
            for (const Tag& t : parts.head)
                if (t.code != 5 && t.code != 105 && t.code != 330 && t.code != 102 && R12Code(t.code) &&
                    !(ent && IsCommonEntityCode(t.code)) && !(desc && OwnedAnywhere(*desc, t.code)) &&
                    !(rdesc && std::find(rdesc->codes.begin(), rdesc->codes.end(), t.code) != rdesc->codes.end()))
                    tag(m_e, t);
        }
        std::vector<bool> used(parts.subs.size(), false);
        auto extras = [&](const char* marker, auto owns) {
            for (std::size_t k = 0; k < parts.subs.size(); ++k) {
                if (used[k] || parts.subs[k].first != marker) continue;
                used[k] = true;
                for (const Tag& t : parts.subs[k].second)
                    if (!owns(t.code) && (!m_r12 || R12Code(t.code))) tag(m_e, t);
                return;
            }
        };
        auto marker = [&](const char* m) {
            if (!m_r12) m_e.text(100, m);
        };
        if (ent) {
            marker("AcDbEntity");
            common(ent);
            extras("AcDbEntity", IsCommonEntityCode);
            if (desc) {
                EntityOut out{m_e, tags, NameOf};
                for (std::size_t i = 0; i < desc->subclasses.size(); ++i) {
                    marker(desc->subclasses[i].marker);
                    desc->write(out, ent, i);
                    const Subclass& sc = desc->subclasses[i];
                    extras(sc.marker, [&](int c) { return sc.owns(c); });
                }
                // An R12 record: its codes the description does not own.
                if (parts.subs.empty())
                    for (const Tag& t : parts.head)
                        if (t.code != 5 && t.code != 330 && t.code != 102 && !IsCommonEntityCode(t.code) &&
                            !OwnedAnywhere(*desc, t.code) && !m_r12)
                            tag(m_e, t);
            }
        } else if (rdesc) {
            if (AcDbSymbolTableRecord::cast(obj)) {
                marker("AcDbSymbolTableRecord");
                extras("AcDbSymbolTableRecord", [](int) { return false; });
            }
            marker(rdesc->marker);
            ownedRecord(obj, parts, tags != nullptr);
            extras(rdesc->marker, [&](int c) {
                return std::find(rdesc->codes.begin(), rdesc->codes.end(), c) != rdesc->codes.end();
            });
        }
        for (std::size_t k = 0; k < parts.subs.size(); ++k) {
            if (used[k] || m_r12) continue;
            m_e.text(100, std::string(parts.subs[k].first));
            for (const Tag& t : parts.subs[k].second)
                if (!(kept && parts.subs[k].first == "AcDbEntity" && IsCommonEntityCode(t.code))) tag(m_e, t);
        }
        // Extended data: the host's for what it models, the file's otherwise.
        if (kept) {
            for (const Tag& t : parts.xdata) tag(m_e, t);
        }
        xdata(obj);
        (void)r;
    }

    static bool OwnedAnywhere(const EntityDescription& d, int code) {
        for (const auto& s : d.subclasses)
            if (s.owns(code)) return true;
        return false;
    }

    void ownedRecord(const AcDbObject* obj, const Parts& parts, bool fromFile) {
        if (const auto* l = AcDbLayerTableRecord::cast(obj)) {
            m_e.str(2, NameOf(l->objectId()));
            long long orig = 0;
            for (const auto& s : parts.subs)
                for (const Tag& t : s.second)
                    if (t.code == 70) ParseInt(t.value, orig);
            m_e.integer(70, (orig & ~5LL) | (l->isFrozen() ? 1 : 0) | (l->isLocked() ? 4 : 0));
            int color = l->color().colorIndex();
            if (color < 1 || color > 255) color = 7;
            m_e.integer(62, l->isOff() ? -color : color);
            const std::wstring lt = NameOf(l->linetypeObjectId());
            m_e.str(6, lt.empty() ? L"Continuous" : lt);
            if (!fromFile && !m_r12) m_e.integer(370, -3);
        } else if (const auto* lt = AcDbLinetypeTableRecord::cast(obj)) {
            m_e.str(2, NameOf(lt->objectId()));
            m_e.str(3, lt->comments().GetString());
            if (!fromFile) {
                m_e.integer(70, 0);
                m_e.integer(72, 65);
                m_e.integer(73, 0);
                m_e.num(40, 0.0);
            }
        } else if (const auto* st = AcDbTextStyleTableRecord::cast(obj)) {
            m_e.str(2, NameOf(st->objectId()));
            if (!fromFile) m_e.integer(70, 0);
            m_e.num(40, st->textSize());
            m_e.num(41, st->xScale());
            if (!fromFile) {
                m_e.num(50, 0.0);
                m_e.integer(71, 0);
                m_e.num(42, st->textSize() > 0 ? st->textSize() : 2.5);
            }
            const wchar_t* font = nullptr;
            const wchar_t* big = nullptr;
            st->fileName(font);
            st->bigFontFileName(big);
            m_e.str(3, font);
            m_e.str(4, big);
        } else if (AcDbRegAppTableRecord::cast(obj)) {
            m_e.str(2, NameOf(obj->objectId()));
            if (!fromFile) m_e.integer(70, 0);
        } else if (AcDbBlockTableRecord::cast(obj)) {
            m_e.str(2, NameOf(obj->objectId()));
            if (!fromFile) {
                m_e.integer(70, 0);
                m_e.integer(280, 1);
                m_e.integer(281, 0);
            }
        } else if (const auto* g = AcDbGroup::cast(obj)) {
            m_e.str(300, g->description());
            m_e.integer(70, g->isAnonymous() ? 1 : 0);
            m_e.integer(71, g->isSelectable() ? 1 : 0);
            AcDbObjectIdArray members;
            g->allEntityIds(members);
            for (const auto& m : members) m_e.hex(340, fileOf(m));
        } else if (const auto* d = AcDbDictionary::cast(obj)) {
            if (!fromFile) m_e.integer(281, 1);
            if (obj->objectId() == m_db->namedObjectsDictionaryId()) {
                // The file's entries, and the group dictionary when it is new.
                std::vector<Tag> entries;
                for (const auto& s : parts.subs)
                    if (s.first == "AcDbDictionary")
                        for (const Tag& t : s.second)
                            if (t.code == 3 || t.code == 350 || t.code == 360) entries.push_back(t);
                for (std::size_t k = 0; k < entries.size(); ++k) {
                    if (entries[k].code == 3 && k + 1 < entries.size() && refersToErased(entries[k + 1])) {
                        ++k;
                        continue;
                    }
                    tag(m_e, entries[k]);
                }
                if (needsGroupEntry(obj)) {
                    m_e.text(3, "ACAD_GROUP");
                    m_e.hex(350, fileOf(m_db->groupDictionaryId()));
                }
                return;
            }
            AcDbDictionaryIterator* it = d->newIterator();
            for (; !it->done(); it->next()) {
                const AcDbObject* o = ObjectAccess::lookup(it->objectId());
                if (!o || o->isErased()) continue;
                m_e.str(3, it->name());
                m_e.hex(350, fileOf(it->objectId()));
            }
            delete it;
        }
    }

    void xdata(const AcDbObject* obj) {
        resbuf* list = obj->xData();
        for (const resbuf* rb = list; rb; rb = rb->rbnext) {
            const int t = rb->restype;
            if (t == 1004) {
                std::string hexText;
                static const char kHex[] = "0123456789ABCDEF";
                for (int k = 0; k < rb->resval.rbinary.clen; ++k) {
                    const auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[k]);
                    hexText += kHex[b >> 4];
                    hexText += kHex[b & 15];
                }
                m_e.text(1004, hexText);
                continue;
            }
            switch (host::RbKindOf(t)) {
            case host::RbKind::String: m_e.str(t, rb->resval.rstring); break;
            case host::RbKind::Point:
                m_e.num(t, rb->resval.rpoint[0]);
                m_e.num(t + 10, rb->resval.rpoint[1]);
                m_e.num(t + 20, rb->resval.rpoint[2]);
                break;
            case host::RbKind::Real: m_e.num(t, rb->resval.rreal); break;
            case host::RbKind::Short: m_e.integer(t, rb->resval.rint); break;
            case host::RbKind::Long: m_e.integer(t, rb->resval.rlong); break;
            default: break;
            }
        }
        acutRelRb(list);
    }

    const AcDbDatabase* m_db;
    FileImage& m_img;
    Codec& m_src;
    Codec m_dst;
    std::string m_version;
    bool m_r12;
    bool m_down;  // an R13 or later drawing written as R12
    Emitter m_e;
    std::vector<std::string>* m_dropped;
    std::map<std::string, int> m_drops;
    Arena m_values;
    bool m_verbatim = false;
    bool m_noDates = false;
    std::uint64_t m_fresh = 1;
    std::uint32_t m_header = 0;
    std::size_t m_headerAt = 0;
    std::uint32_t m_model = 0, m_paper = 0;
    bool m_skipSection = false, m_skipTable = false, m_tablesSeen = false, m_tablesDone = false;
    bool m_groupsChanged = false, m_renamed = false;
    SectionKind m_section = SectionKind::Other;
    std::unordered_map<std::uint32_t, bool> m_tableSeen;
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> m_groupOf;  // by slot: group file handles
    std::unordered_set<std::uint64_t> m_groupHandles;
    std::unordered_set<std::uint64_t> m_erased;
};

}  // namespace

bool WriteDrawing(const AcDbDatabase* db, std::string& out, const DxfWriteOptions& opts, DxfError& err) {
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
    body.reserve(file->size + file->size / 8 + 4096 + static_cast<std::size_t>(db->numObjects()) * 16);
    Writer w(db, *file, src, body, version, format, opts.dropped);
    w.run();
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
