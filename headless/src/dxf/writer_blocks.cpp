// Writing DXF: block definitions from their block records, dictionaries in
// the order of the file, xrecords and extension dictionaries (see
// writer_impl.h).
#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "blocks.h"
#include "writer_impl.h"

namespace host {
namespace dxf {
namespace detail {

bool RecordDescription::owns(int code) const {
    return ownsAll || std::find(codes.begin(), codes.end(), code) != codes.end();
}

namespace {

std::wstring Comments(const AcDbBlockTableRecord* rec) {
    ACHAR* text = nullptr;
    rec->comments(text);
    std::wstring s = text ? text : L"";
    acutDelString(text);
    return s;
}

std::wstring PathName(const AcDbBlockTableRecord* rec) {
    ACHAR* text = nullptr;
    rec->pathName(text);
    std::wstring s = text ? text : L"";
    acutDelString(text);
    return s;
}

}  // namespace

void Writer::blockBegin(const Record& r) {
    const auto* rec =
        r.aux ? ObjectAccess::peek<AcDbBlockTableRecord>(AcDbObjectId::fromParts(m_db->serial(), r.aux)) : nullptr;
    if (!rec || !ObjectAccess::isTouched(rec) || r.aux == m_model) {
        raw(r);
        return;
    }
    // The file's tags with the model's values for the fields it states;
    // those the file lacked go at the end of the block's own part.
    std::vector<Tag> tags;
    m_img.tags(r, tags, m_values);
    const std::string name = m_src.encode(NameOf(rec->objectId()));
    const std::string path = m_src.encode(PathName(rec)), comments = m_src.encode(Comments(rec));
    const AcGePoint3d o = rec->origin();
    auto keep = [&](std::string_view v) { return m_values.keep(v.data(), v.size()); };
    auto real = [&](double d) {
        char buf[40];
        return keep(RealText(d, buf));
    };
    std::vector<Tag> out;
    std::string_view marker;
    bool hasMarkers = false, sawPath = false, sawComments = false;
    std::size_t partEnd = tags.size();
    for (std::size_t k = 0; k < tags.size(); ++k) {
        Tag t = tags[k];
        if (t.code == 1001 && partEnd == tags.size()) partEnd = out.size();
        if (t.code == 100) {
            if (marker == "AcDbBlockBegin") partEnd = out.size();
            marker = Trim(t.value);
            hasMarkers = true;
        }
        const bool own = k > 0 && t.code != 1001 && partEnd == tags.size() && (!hasMarkers || marker == "AcDbBlockBegin");
        if (own) {
            long long n = 0;
            switch (t.code) {
            case 2: case 3: t.value = keep(name); break;
            case 10: t.value = real(o.x); break;
            case 20: t.value = real(o.y); break;
            case 30: t.value = real(o.z); break;
            case 1: t.value = keep(path); sawPath = true; break;
            case 4: t.value = keep(comments); sawComments = true; break;
            case 70: {
                ParseInt(t.value, n);
                char buf[24];
                const auto res = std::to_chars(buf, buf + sizeof buf, BlockFlags(*rec, n));
                t.value = keep(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
                break;
            }
            default: break;
            }
        }
        out.push_back(t);
    }
    if (partEnd > out.size()) partEnd = out.size();
    std::vector<Tag> added;
    if (!sawPath && !path.empty()) added.push_back(Tag{1, keep(path), r.line});
    if (!sawComments && !comments.empty() && !m_r12) added.push_back(Tag{4, keep(comments), r.line});
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(partEnd), added.begin(), added.end());
    rawTags(r, out);
}

void Writer::newBlockFields(const AcDbBlockTableRecord* rec) {
    const std::wstring name = NameOf(rec->objectId());
    m_e.str(2, name);
    m_e.integer(70, BlockFlags(*rec, 0));
    m_e.point(10, rec->origin());
    m_e.str(3, name);
    m_e.str(1, PathName(rec));
    const std::wstring comments = Comments(rec);
    if (!comments.empty() && !m_r12) m_e.str(4, comments);
}

// The whole subclass: the fields in the places the file gave them (after
// its {BLKREFS group, say), the others as read.
void Writer::blockRecordFields(const AcDbBlockTableRecord* rec, const Parts& parts, bool fromFile) {
    m_e.str(2, NameOf(rec->objectId()));
    bool units = false, explodable = false, scaling = false;
    for (const auto& s : parts.subs) {
        if (s.first != "AcDbBlockTableRecord") continue;
        for (const Tag& t : s.second) {
            if (t.code == 2) continue;
            if (t.code == 70 && !units) {
                m_e.integer(70, rec->blockInsertUnits());
                units = true;
            } else if (t.code == 280 && !explodable) {
                m_e.integer(280, rec->explodable() ? 1 : 0);
                explodable = true;
            } else if (t.code == 281 && !scaling) {
                m_e.integer(281, rec->blockScaling());
                scaling = true;
            } else if (m_erased.empty() || !refersToErased(t)) {
                tag(m_e, t);
            }
        }
        break;
    }
    if (!units && (!fromFile || rec->blockInsertUnits() != 0)) m_e.integer(70, rec->blockInsertUnits());
    if (!explodable && (!fromFile || !rec->explodable())) m_e.integer(280, rec->explodable() ? 1 : 0);
    if (!scaling && (!fromFile || rec->blockScaling() != 0)) m_e.integer(281, rec->blockScaling());
}

void Writer::dictionaryEntries(const AcDbDictionary* d, const Parts& parts, bool fromFile) {
    // The dictionary's entries now, by slot.
    std::unordered_map<std::uint32_t, std::wstring> now;
    std::vector<std::pair<std::wstring, AcDbObjectId>> order;
    AcDbDictionaryIterator* it = d->newIterator();
    for (; !it->done(); it->next()) {
        const AcDbObject* o = ObjectAccess::lookup(it->objectId());
        if (!o || o->isErased()) continue;
        now.emplace(Slot(it->objectId()), it->name());
        order.emplace_back(it->name(), it->objectId());
    }
    delete it;
    std::unordered_set<std::uint32_t> written;
    int code = 0;
    long long hard = 0;
    const Tag* key = nullptr;
    for (const auto& s : parts.subs) {
        if (s.first != "AcDbDictionary") continue;
        for (const Tag& t : s.second) {
            if (t.code == 280) ParseInt(t.value, hard);
            if (t.code == 3) key = &t;
            std::uint64_t h = 0;
            if ((t.code != 350 && t.code != 360) || !key || !ParseHex(t.value, h)) continue;
            if (!code) code = t.code;
            const std::uint32_t slot = m_img.slotOf(h);
            const AcDbObject* o = slot ? ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), slot)) : nullptr;
            if (o) {
                const auto n = now.find(slot);
                if (n != now.end() && written.insert(slot).second) {
                    m_e.str(3, n->second);
                    tag(m_e, t);
                }
            } else if (!m_erased.count(h)) {
                tag(m_e, *key);
                tag(m_e, t);
            }
            key = nullptr;
        }
    }
    // Entries the file did not have: hard-owned in an extension dictionary.
    if (!code) {
        const AcDbObject* owner = ObjectAccess::lookup(d->ownerId());
        code = hard || (!fromFile && owner && owner->extensionDictionary() == d->objectId()) ? 360 : 350;
    }
    for (const auto& e : order)
        if (!written.count(Slot(e.second))) {
            m_e.str(3, e.first);
            m_e.hex(code, fileOf(e.second));
        }
}

void Writer::xrecordFields(const AcDbXrecord* x, bool fromFile) {
    (void)fromFile;
    m_e.integer(280, x->mergeStyle());
    items(x->data());
}

bool Writer::writtenWithOwner(const AcDbObject* obj) const {
    // Up the owners to one the file holds or the writer writes.
    for (int depth = 0; obj && depth < 64; ++depth) {
        if (obj->isErased()) return false;
        const AcDbObjectId owner = obj->ownerId();
        if (owner.isNull()) return false;
        const AcDbObject* up = ObjectAccess::lookup(owner);
        if (!up || up->isErased()) return false;
        if (const auto* e = AcDbEntity::cast(up))
            return AcDbKeptEntity::cast(e) || DescriptionOf(e) != nullptr;
        if (!AcDbDictionary::cast(up) && !AcDbXrecord::cast(up)) return true;  // a table record, a group
        if (m_img.recordOf(Slot(owner)) || owner == m_db->namedObjectsDictionaryId()) return true;
        obj = up;
    }
    return false;
}

bool Writer::OwnedObject(std::uint32_t slot) const {
    const AcDbObject* obj = ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), slot));
    return (AcDbDictionary::cast(obj) || AcDbXrecord::cast(obj)) && obj->objectId() != m_db->namedObjectsDictionaryId() &&
           obj->objectId() != m_db->groupDictionaryId();
}

void Writer::newDictionaryObjects() {
    if (m_r12) return;
    const auto& all = ObjectAccess::objects(m_db);
    const AcDbObjectId nod = m_db->namedObjectsDictionaryId(), groups = m_db->groupDictionaryId();
    for (std::size_t h = 1; h < all.size(); ++h) {
        const AcDbObject* obj = all[h];
        if (!obj || obj->isErased() || m_img.recordOf(static_cast<std::uint32_t>(h))) continue;
        const bool dict = AcDbDictionary::cast(obj) != nullptr;
        if (!dict && !AcDbXrecord::cast(obj)) continue;
        if (obj->objectId() == nod || obj->objectId() == groups || !writtenWithOwner(obj)) continue;
        merged(nullptr, obj, dict ? "DICTIONARY" : "XRECORD", fileOf(obj->ownerId()));
    }
}

void Writer::xdictGroup(const AcDbObject* obj) {
    const AcDbObjectId x = obj->extensionDictionary();
    if (x.isNull() || m_r12) return;
    m_e.text(102, "{ACAD_XDICTIONARY");
    m_e.hex(360, fileOf(x));
    m_e.text(102, "}");
}

void Writer::items(const resbuf* list) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const resbuf* rb = list; rb; rb = rb->rbnext) {
        const int t = rb->restype;
        switch (host::RbKindOf(t)) {
        case host::RbKind::Binary: {
            std::string hexText;
            for (int k = 0; k < rb->resval.rbinary.clen; ++k) {
                const auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[k]);
                hexText += kHex[b >> 4];
                hexText += kHex[b & 15];
            }
            m_e.text(t, hexText);
            break;
        }
        case host::RbKind::String: m_e.str(t, rb->resval.rstring); break;
        case host::RbKind::Point:
            m_e.num(t, rb->resval.rpoint[0]);
            m_e.num(t + 10, rb->resval.rpoint[1]);
            m_e.num(t + 20, rb->resval.rpoint[2]);
            break;
        case host::RbKind::Real: m_e.num(t, rb->resval.rreal); break;
        case host::RbKind::Short: m_e.integer(t, rb->resval.rint); break;
        case host::RbKind::Long: m_e.integer(t, rb->resval.rlong); break;
        case host::RbKind::Int64: m_e.integer(t, rb->resval.mnInt64); break;
        case host::RbKind::Name: {
            const auto slot = static_cast<std::uint32_t>(rb->resval.rlname[1]);
            const bool ours = rb->resval.rlname[0] == static_cast<long>(m_db->serial());
            m_e.hex(t, ours && slot ? m_img.fileHandle(slot) : 0);
            break;
        }
        default: break;
        }
    }
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
