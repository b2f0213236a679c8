// Writing DXF: records written tag by tag (transcoded, references to erased
// objects left out) or from the model with the codes it has no field for.
#include <algorithm>
#include <cstring>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbsymtb.h"
#include "upgrade.h"
#include "writer_impl.h"

namespace host {
namespace dxf {
namespace detail {

void Writer::tag(Emitter& e, const Tag& t) {
    if (m_verbatim || KindOfCode(t.code) != VK::Str) {
        e.tag(t);
        return;
    }
    e.text(t.code, m_src.transcode(t.value, m_dst));
}

bool Writer::refersToErased(const Tag& t) const {
    std::uint64_t h = 0;
    return IsPointerCode(t.code) && ParseHex(t.value, h) && m_erased.count(h);
}

void Writer::raw(const Record& r) {
    if (r.begin == r.end) {
        // A structure record the file left out.
        m_e.text(0, std::string(r.type));
        return;
    }
    // Erased, or owned by what was erased (also when it refers to nothing).
    if (r.handle && !m_erased.empty() && m_erased.count(r.handle)) return;
    const bool filter = !m_erased.empty() && (r.flags & kHasRefs);
    const bool lonePoint = r.flags & kNewHandle;
    if (m_verbatim && !filter && !lonePoint) {
        m_e.bytes(m_img.span(r));
        return;
    }
    std::vector<Tag> tags;
    m_img.tags(r, tags, m_values);
    rawTags(r, tags);
}

void Writer::rawTags(const Record& r, const std::vector<Tag>& given) {
    std::vector<Tag> upgraded;
    if (m_up) WithSubclassMarkers(given, upgraded);
    const std::vector<Tag>& tags = m_up ? upgraded : given;
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

std::vector<std::uint64_t> Writer::reactorsOf(const std::vector<Tag>* orig, std::uint32_t slot) const {
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

bool Writer::isFileGroup(std::uint64_t h) const {
    const std::uint32_t s = m_img.slotOf(h);
    const Record* r = m_img.recordOf(s);
    return r && r->type == "GROUP";
}

void Writer::vertices(std::uint32_t index, const AcDbEntity* pl, AcDbObjectIterator* it) {
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
    if (const std::uint32_t seq = seqendAfter(index)) {
        raw(m_img.records[seq]);
        return;
    }
    newSeqend(pl);
}

std::uint32_t Writer::seqendAfter(std::uint32_t index) const {
    std::uint32_t seq = 0;
    if (index)
        for (std::uint32_t k = index + 1; k < m_img.records.size() && m_img.records[k].role == Role::Sub; ++k)
            if (m_img.records[k].type == "SEQEND") seq = k;
    return seq;
}

void Writer::newSeqend(const AcDbEntity* head) {
    m_e.text(0, "SEQEND");
    if (!m_r12) {
        m_e.hex(5, m_fresh++);
        m_e.hex(330, fileOf(head->objectId()));
        m_e.text(100, "AcDbEntity");
    }
    m_e.str(8, NameOf(head->layerId()));
}

void Writer::attributes(std::uint32_t index, const AcDbBlockReference* ref) {
    AcDbObjectIterator* it = ref->attributeIterator();
    if (it->done()) {
        delete it;
        return;
    }
    const std::uint64_t self = fileOf(ref->objectId());
    for (; !it->done(); it->step()) {
        const AcDbEntity* a = ObjectAccess::peek<AcDbEntity>(it->objectId());
        if (!a) continue;
        const Record* ar = m_img.recordOf(Slot(it->objectId()));
        if (ar && m_verbatim && !ObjectAccess::isTouched(a) && !m_renamed && !(ar->flags & kNewHandle) &&
            (m_erased.empty() || !(ar->flags & kHasRefs))) {
            m_e.bytes(m_img.span(*ar));
        } else {
            merged(ar, a, "ATTRIB", self);
        }
    }
    delete it;
    // The file's SEQEND, unless the attributes all are new.
    const std::uint32_t seq = seqendAfter(index);
    if (seq) {
        raw(m_img.records[seq]);
        return;
    }
    newSeqend(ref);
}

void Writer::lwAsPolyline(const AcDbPolyline* pl, std::uint64_t owner) {
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

void Writer::common(const AcDbEntity* e) {
    // Entities come in runs on one layer: its name is encoded once a run.
    if (e->layerId() != m_layerId || m_layerText.empty()) {
        m_layerId = e->layerId();
        m_layerText = m_e.codec().encode(NameOf(m_layerId));
    }
    m_e.text(8, m_layerText);
    if (e->linetypeId() != m_db->byLayerLinetype()) {
        const std::wstring lt = NameOf(e->linetypeId());
        if (!lt.empty()) m_e.str(6, lt);
    }
    if (e->colorIndex() != 256) m_e.integer(62, e->colorIndex());
    if (e->visibility() == AcDb::kInvisible) m_e.integer(60, 1);
}

void Writer::merged(const Record* r, const AcDbObject* obj, const char* type, std::uint64_t owner) {
    std::vector<Tag> tags;
    if (r) m_img.tags(*r, tags, m_values);
    if (r && m_up) {
        std::vector<Tag> upgraded;
        WithSubclassMarkers(tags, upgraded);
        tags.swap(upgraded);
    }
    mergedTags(r, r ? &tags : nullptr, obj, type, owner);
}

void Writer::mergedTags(const Record* r, const std::vector<Tag>* tags, const AcDbObject* obj, const char* type,
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
        // Where the file had them (some writers put the extension dictionary
        // first), else first.
        bool fileReactors = false;
        for (const Tag& t : parts.head) fileReactors = fileReactors || (t.code == 102 && Trim(t.value) == "{ACAD_REACTORS");
        auto writeReactors = [&] {
            if (reactors.empty()) return;
            m_e.text(102, "{ACAD_REACTORS");
            for (const auto h : reactors) m_e.hex(330, h);
            m_e.text(102, "}");
        };
        if (!ent || !fileReactors) writeReactors();
        if (!tags && !ent && (AcDbXrecord::cast(obj) || AcDbDictionary::cast(obj)) && owner &&
            obj->ownerId() != m_db->namedObjectsDictionaryId()) {
            // A new dictionary object points back at its owner, as the host's do.
            m_e.text(102, "{ACAD_REACTORS");
            m_e.hex(330, owner);
            m_e.text(102, "}");
        }
        bool skip = false, xdictDone = false;
        int depth = 0;
        for (const Tag& t : parts.head) {
            if (t.code == 5 || t.code == 105) continue;
            if (t.code == 102) {
                const std::string_view v = Trim(t.value);
                if (v == "{ACAD_REACTORS" && ent) writeReactors();
                if (v == "{ACAD_REACTORS") skip = ent != nullptr;
                if (v == "{ACAD_XDICTIONARY" && depth == 0) {
                    // The model's extension dictionary in its place.
                    skip = true;
                    if (!xdictDone) xdictGroup(obj);
                    xdictDone = true;
                }
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
        if (!xdictDone) xdictGroup(obj);
        m_e.hex(330, owner);
    } else {
        for (const Tag& t : parts.head)
            if (t.code != 5 && t.code != 105 && t.code != 330 && t.code != 102 && R12Code(t.code) &&
                !(ent && IsCommonEntityCode(t.code)) && !(desc && OwnedAnywhere(*desc, t.code)) &&
                !(rdesc && rdesc->owns(t.code)))
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
            out.src = &m_src;
            out.handleOf = [this](AcDbObjectId id) { return fileOf(id); };
            out.version = m_version;
            out.changed = !r || ObjectAccess::isTouched(ent);
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
        extras(rdesc->marker, [&](int c) { return rdesc->owns(c); });
    }
    for (std::size_t k = 0; k < parts.subs.size(); ++k) {
        if (used[k]) continue;
        // R12 has no subclass markers, but the codes under them stay.
        if (!m_r12) m_e.text(100, std::string(parts.subs[k].first));
        for (const Tag& t : parts.subs[k].second)
            if (!(kept && parts.subs[k].first == "AcDbEntity" && IsCommonEntityCode(t.code)) && (!m_r12 || R12Code(t.code)))
                tag(m_e, t);
    }
    // Extended data: the host's for what it models, the file's otherwise.
    if (kept) {
        for (const Tag& t : parts.xdata) tag(m_e, t);
    }
    xdata(obj);
    (void)r;
}

bool Writer::OwnedAnywhere(const EntityDescription& d, int code) {
    for (const auto& s : d.subclasses)
        if (s.owns(code)) return true;
    return false;
}

void Writer::ownedRecord(const AcDbObject* obj, const Parts& parts, bool fromFile) {
    if (const auto* l = AcDbLayerTableRecord::cast(obj)) {
        m_e.str(2, NameOf(l->objectId()));
        // The flags read (in the head for an R12 record without markers).
        long long orig = 0;
        for (const Tag& t : parts.head)
            if (t.code == 70) ParseInt(t.value, orig);
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
    } else if (const auto* b = AcDbBlockTableRecord::cast(obj)) {
        blockRecordFields(b, parts, fromFile);
    } else if (const auto* x = AcDbXrecord::cast(obj)) {
        xrecordFields(x, fromFile);
    } else if (const auto* ds = AcDbDimStyleTableRecord::cast(obj)) {
        dimStyle(ds, parts, fromFile);
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
            // Dictionaries and xrecords a client filed in it since.
            AcDbDictionaryIterator* it = d->newIterator();
            for (; !it->done(); it->next()) {
                const AcDbObject* o = ObjectAccess::lookup(it->objectId());
                if (!o || o->isErased() || m_img.recordOf(Slot(it->objectId())) ||
                    it->objectId() == m_db->groupDictionaryId() || (!AcDbDictionary::cast(o) && !AcDbXrecord::cast(o)))
                    continue;
                m_e.str(3, it->name());
                m_e.hex(350, fileOf(it->objectId()));
            }
            delete it;
            return;
        }
        dictionaryEntries(d, parts, fromFile);
    }
}

// The file's codes in their order, the model's values put in place of
// those it has; the ones the file lacks after them.
void Writer::dimStyle(const AcDbDimStyleTableRecord* ds, const Parts& parts, bool fromFile) {
    const std::vector<Tag>* own = nullptr;
    for (const auto& s : parts.subs)
        if (s.first == "AcDbDimStyleTableRecord") own = &s.second;
    if (!own && parts.subs.empty() && m_r12) own = &parts.head;  // an R12 record: no markers
    std::vector<int> done;
    auto value = [&](int code) {
        switch (code) {
        case 2: m_e.str(2, NameOf(ds->objectId())); break;
        case 40: m_e.num(40, ds->dimscale()); break;
        case 41: m_e.num(41, ds->dimasz()); break;
        case 42: m_e.num(42, ds->dimexo()); break;
        case 44: m_e.num(44, ds->dimexe()); break;
        case 140: m_e.num(140, ds->dimtxt()); break;
        case 147: m_e.num(147, ds->dimgap()); break;
        case 271:
            if (m_r12) return true;
            m_e.integer(271, ds->dimdec());
            break;
        case 340: {
            const AcDbObjectId style = ds->dimtxsty();
            if (m_r12 || style.isNull() || style.isErased()) return true;
            m_e.hex(340, fileOf(style));
            break;
        }
        default: return false;
        }
        done.push_back(code);
        return true;
    };
    // A size the model did not take from the file (see Build) stays as the
    // file had it while the model keeps its default.
    const AcDbDimStyleTableRecord defaults;
    auto refused = [&](const Tag& t) {
        double d = 0;
        if (!ParseDouble(t.value, d)) return false;
        AcDbDimStyleTableRecord probe;
        switch (t.code) {
        case 40: return probe.setDimscale(d) != Acad::eOk && ds->dimscale() == defaults.dimscale();
        case 41: return probe.setDimasz(d) != Acad::eOk && ds->dimasz() == defaults.dimasz();
        case 42: return probe.setDimexo(d) != Acad::eOk && ds->dimexo() == defaults.dimexo();
        case 44: return probe.setDimexe(d) != Acad::eOk && ds->dimexe() == defaults.dimexe();
        case 140: return probe.setDimtxt(d) != Acad::eOk && ds->dimtxt() == defaults.dimtxt();
        case 147: return probe.setDimgap(d) != Acad::eOk && ds->dimgap() == defaults.dimgap();
        default: return false;
        }
    };
    if (own)
        for (const Tag& t : *own) {
            if (t.code == 5 || t.code == 105 || t.code == 330 || t.code == 102) continue;
            if (std::find(done.begin(), done.end(), t.code) != done.end()) continue;  // a repeat: the model's is written
            if (refused(t)) {
                tag(m_e, t);
                done.push_back(t.code);
                continue;
            }
            if (value(t.code)) continue;
            if (!m_r12 || R12Code(t.code)) tag(m_e, t);
        }
    if (!fromFile) {
        value(2);
        m_e.integer(70, 0);
    }
    // Codes the file left out stay out while the model has their defaults.
    const bool differs[] = {true,
                            ds->dimscale() != defaults.dimscale(),
                            ds->dimasz() != defaults.dimasz(),
                            ds->dimexo() != defaults.dimexo(),
                            ds->dimexe() != defaults.dimexe(),
                            ds->dimtxt() != defaults.dimtxt(),
                            ds->dimgap() != defaults.dimgap(),
                            ds->dimdec() != defaults.dimdec(),
                            !ds->dimtxsty().isNull()};
    const int codes[] = {2, 40, 41, 42, 44, 140, 147, 271, 340};
    for (std::size_t k = 0; k < 9; ++k)
        if (std::find(done.begin(), done.end(), codes[k]) == done.end() && (!fromFile || differs[k])) value(codes[k]);
}

void Writer::xdata(const AcDbObject* obj) {
    resbuf* list = obj->xData();
    items(list);
    acutRelRb(list);
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
