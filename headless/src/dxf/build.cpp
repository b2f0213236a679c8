// Reading DXF, step two: the scanned drawing becomes the database's content
// (see reader.h), and extended data is read tolerantly.
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "dbdict.h"
#include "dbdim.h"
#include "dbhatch.h"
#include "dbgroup.h"
#include "dbents3d.h"
#include "dbentsblock.h"
#include "dbkept.h"
#include "dbmtext.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "blocks.h"
#include "reader.h"
#include "widetext.h"

namespace host {
namespace dxf {
namespace detail {

using host_detail::FoldName;
using host_detail::ObjectAccess;

RbList ReadXData(const std::vector<Tag>& tags, std::size_t i, Codec& codec, std::vector<std::string>& warnings,
                 std::vector<std::pair<std::wstring, std::uint32_t>>& apps) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    RbList guard;
    auto add = [&](int type) {
        resbuf* rb = acutNewRb(type);
        if (!rb) throw std::bad_alloc();
        *tail = rb;
        tail = &rb->rbnext;
        guard.release();
        guard.reset(head);
        return rb;
    };
    auto fault = [&](const Tag& t, const std::string& what) {
        warnings.push_back("line " + std::to_string(t.line) + ": extended data: " + what + ": left out");
    };
    bool inApp = false;
    int depth = 0;
    for (; i < tags.size(); ++i) {
        const Tag& t = tags[i];
        const int code = t.code;
        if (code == 1001) {
            const std::wstring app = codec.decode(Trim(t.value));
            inApp = !app.empty();
            if (!inApp) {
                fault(t, "no application name");
                continue;
            }
            if (depth != 0) fault(t, "braces are not balanced before " + Quote(t.value));
            depth = 0;
            apps.emplace_back(app, t.line);
            add(1001)->resval.rstring = acutNewString(app.c_str());
            continue;
        }
        if (!inApp) continue;  // items of a rejected application
        double d = 0;
        long long n = 0;
        if (code == 1002) {
            const std::string_view v = Trim(t.value);
            if (v == "{") {
                ++depth;
            } else if (v == "}" && depth > 0) {
                --depth;
            } else {
                fault(t, "control string " + Quote(t.value));
                continue;
            }
            add(1002)->resval.rstring = acutNewString(v == "{" ? L"{" : L"}");
        } else if (code == 1000 || code == 1003 || code == 1005) {
            add(code)->resval.rstring = acutNewString(codec.decode(t.value).c_str());
        } else if (code == 1004) {
            const std::string_view v = Trim(t.value);
            std::vector<char> bytes(v.size() / 2);
            bool ok = v.size() % 2 == 0 && v.size() <= 2 * 32767;
            for (std::size_t k = 0; ok && k < bytes.size(); ++k) {
                unsigned b = 0;
                const auto res = std::from_chars(v.data() + 2 * k, v.data() + 2 * k + 2, b, 16);
                ok = res.ec == std::errc() && res.ptr == v.data() + 2 * k + 2;
                bytes[k] = static_cast<char>(b);
            }
            if (!ok) {
                fault(t, "binary chunk " + Quote(v) + " is not hexadecimal");
                continue;
            }
            resbuf* rb = add(1004);
            rb->resval.rbinary.clen = static_cast<short>(bytes.size());
            if (!bytes.empty()) {
                rb->resval.rbinary.buf = static_cast<char*>(std::malloc(bytes.size()));
                if (!rb->resval.rbinary.buf) throw std::bad_alloc();
                std::memcpy(rb->resval.rbinary.buf, bytes.data(), bytes.size());
            }
        } else if (code >= 1010 && code <= 1013) {
            double p[3] = {0, 0, 0};
            bool ok = ParseDouble(t.value, p[0]);
            for (int k = 1; k <= 2; ++k) {
                if (i + 1 < tags.size() && tags[i + 1].code == code + 10 * k) {
                    ok = ParseDouble(tags[++i].value, p[k]) && ok;
                } else if (k == 1) {
                    ok = false;
                }
            }
            if (!ok) {
                fault(t, "point " + std::to_string(code) + " is not three numbers");
                continue;
            }
            resbuf* rb = add(code);
            for (int k = 0; k < 3; ++k) rb->resval.rpoint[k] = p[k];
        } else if (code >= 1040 && code <= 1042) {
            if (!ParseDouble(t.value, d)) {
                fault(t, Quote(t.value) + " is not a number");
                continue;
            }
            add(code)->resval.rreal = d;
        } else if (code == 1070 || code == 1071) {
            const bool shrt = code == 1070;
            if (!ParseInt(t.value, n) || (shrt && (n < -32768 || n > 32767)) ||
                (!shrt && (n < -2147483648LL || n > 4294967295LL))) {
                fault(t, Quote(t.value) + " is not a " + (shrt ? "16" : "32") + "-bit integer");
                continue;
            }
            if (shrt) add(code)->resval.rint = static_cast<short>(n);
            else add(code)->resval.rlong = static_cast<std::int32_t>(n);
        } else {
            fault(t, "group code " + std::to_string(code) + " is not extended data");
        }
    }
    // A list holding only application names carries nothing.
    return guard;
}

namespace {

class Builder {
public:
    Builder(Scanned& s, AcDbDatabase* db) : m_s(s), m_img(*s.image), m_db(db) {}

    void run() {
        planHandles();
        ObjectAccess::clearForLoad(m_db);
        m_img.recordOfSlot.assign(1, 0);
        if (m_img.mapped) m_img.fileOfSlot.assign(1, 0);
        ObjectAccess::DatabaseIds ids;
        tables(ids);
        dimStyles(ids);
        blockRecords(ids);
        dictionaries(ids);
        ids.clayer = find(TableKind::Layer, m_s.clayer, ids.clayer);
        ids.textstyle = find(TableKind::Style, m_s.textstyle, ids.textstyle);
        ObjectAccess::setDatabaseIds(m_db, ids);
        m_img.clayer = ids.clayer;
        m_img.textstyle = ids.textstyle;
        for (auto& r : m_s.tableRecords) setXData(r.xdata, m_recordIds[r.record]);
        entities(ids);
        groups(ids.groupDict);
        extensionDictionaries();
        finish();
    }

private:
    void warn(std::uint32_t line, const std::string& text) {
        m_s.warnings.push_back(line ? "line " + std::to_string(line) + ": " + text : text);
    }

    // Repeated handles get new ones; the handle scheme follows from the rest.
    void planHandles() {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> hs;
        hs.reserve(m_img.records.size() + m_s.subHandles.size());
        for (std::uint32_t i = 1; i < m_img.records.size(); ++i)
            if (m_img.records[i].handle) hs.emplace_back(m_img.records[i].handle, i);
        for (const auto& sh : m_s.subHandles) hs.emplace_back(sh.first, 0);
        std::sort(hs.begin(), hs.end());
        std::uint64_t top = 0;
        std::vector<std::uint32_t> again;
        for (std::size_t i = 0; i < hs.size(); ++i) {
            top = std::max(top, hs[i].first);
            if (i > 0 && hs[i].first == hs[i - 1].first && hs[i].second) again.push_back(hs[i].second);
        }
        std::sort(again.begin(), again.end());
        std::uint64_t fresh = std::max(m_img.seed, top + 1);
        const std::uint64_t bound = 4ull * m_img.records.size() + 65536;
        m_img.mapped = top > bound || m_img.seed > bound;
        for (std::uint32_t i : again) {
            Record& r = m_img.records[i];
            warn(r.line, "handle " + HexText(r.handle) + " is used twice: " + std::string(r.type) + " gets a new handle");
            r.flags |= kNewHandle;
            r.handle = 0;
        }
        for (std::uint32_t i = 1; i < m_img.records.size(); ++i) {
            Record& r = m_img.records[i];
            if ((r.flags & kNewHandle) && !r.handle) r.handle = fresh++;
        }
        m_fresh = fresh;
    }

    // The next object added takes this file handle (0: a new one).
    void want(std::uint64_t handle, std::uint32_t record) {
        if (!handle) handle = m_fresh++;
        std::uint32_t slot;
        if (m_img.mapped) {
            slot = m_nextSlot++;
            if (m_img.fileOfSlot.size() <= slot) m_img.fileOfSlot.resize(slot + 1, 0);
            m_img.fileOfSlot[slot] = handle;
            m_img.slotOfFile[handle] = slot;
        } else {
            slot = static_cast<std::uint32_t>(handle);
        }
        ObjectAccess::setNextHandle(m_db, slot);
        if (m_img.recordOfSlot.size() <= slot) m_img.recordOfSlot.resize(slot + 1, 0);
        m_img.recordOfSlot[slot] = record;
        if (record) m_img.records[record].slot = slot;
    }
    std::uint64_t handleOf(std::uint32_t record) const { return record ? m_img.records[record].handle : 0; }
    AcDbObjectId idOfFile(std::uint64_t handle) const {
        const std::uint32_t slot = m_img.mapped ? (m_img.slotOfFile.count(handle) ? m_img.slotOfFile.at(handle) : 0)
                                                : (handle < 0xFFFFFFFFu ? static_cast<std::uint32_t>(handle) : 0);
        return slot ? AcDbObjectId::fromParts(m_db->serial(), slot) : AcDbObjectId::kNull;
    }

    AcDbObjectId find(TableKind kind, const std::wstring& name, AcDbObjectId fallback) const {
        const auto& m = m_names[static_cast<int>(kind)];
        const auto it = m.find(FoldName(name.c_str()));
        return it == m.end() ? fallback : it->second;
    }

    template <class Table>
    AcDbObjectId table(TableKind kind, AcDbObjectId& tableId) {
        auto* t = new Table;
        const std::uint32_t head = m_s.tableHead[static_cast<int>(kind)];
        want(handleOf(head), head);
        m_db->addAcDbObject(tableId, t);
        t->close();
        m_tables[static_cast<int>(kind)] = tableId;
        return tableId;
    }

    // Adds a record to its table; false (and the record stays as read) when
    // the table refuses its name.
    bool addRecord(TableKind kind, AcDbSymbolTableRecord* r, const std::wstring& name, std::uint32_t record) {
        AcDbSymbolTable* t = nullptr;
        acdbOpenObject(t, m_tables[static_cast<int>(kind)], AcDb::kForWrite);
        const std::wstring key = FoldName(name.c_str());
        if (r->setName(name.c_str()) != Acad::eOk || m_names[static_cast<int>(kind)].count(key)) {
            t->close();
            delete r;
            if (record) {
                warn(m_img.records[record].line, "'" + host::WideToUtf8(name) + "' is not a valid or new " +
                                                     std::string(m_img.records[record].type) + " name: kept as read");
                ++m_s.kept[std::string(m_img.records[record].type)];
            }
            return false;
        }
        want(handleOf(record), record);
        AcDbObjectId id;
        t->add(id, r);
        r->close();
        t->close();
        m_names[static_cast<int>(kind)][key] = id;
        if (record) m_recordIds[record] = id;
        return true;
    }
    AcDbObjectId ensure(TableKind kind, const wchar_t* name, AcDbSymbolTableRecord* r) {
        const AcDbObjectId have = find(kind, name, AcDbObjectId::kNull);
        if (!have.isNull()) {
            delete r;
            return have;
        }
        addRecord(kind, r, name, 0);
        return find(kind, name, AcDbObjectId::kNull);
    }

    static double Real(const std::vector<Tag>& tags, int code, double fallback) {
        for (const Tag& t : tags) {
            if (t.code == 1001) break;
            double d = 0;
            if (t.code == code && ParseDouble(t.value, d)) return d;
        }
        return fallback;
    }
    static long long Int(const std::vector<Tag>& tags, int code, long long fallback) {
        for (const Tag& t : tags) {
            if (t.code == 1001) break;
            long long n = 0;
            if (t.code == code && ParseInt(t.value, n)) return n;
        }
        return fallback;
    }
    std::wstring Str(const std::vector<Tag>& tags, int code) {
        for (const Tag& t : tags) {
            if (t.code == 1001) break;
            if (t.code == code) return m_s.codec.decode(t.value);
        }
        return std::wstring();
    }

    void tables(ObjectAccess::DatabaseIds& ids) {
        table<AcDbBlockTable>(TableKind::BlockRecord, ids.blockTable);
        table<AcDbLinetypeTable>(TableKind::Ltype, ids.linetypeTable);
        for (auto& p : m_s.tableRecords) {
            if (p.kind != TableKind::Ltype) continue;
            auto* r = new AcDbLinetypeTableRecord;
            r->setComments(Str(p.tags, 3).c_str());
            addRecord(TableKind::Ltype, r, p.name, p.record);
        }
        ids.byBlock = ensure(TableKind::Ltype, L"ByBlock", new AcDbLinetypeTableRecord);
        ids.byLayer = ensure(TableKind::Ltype, L"ByLayer", new AcDbLinetypeTableRecord);
        ids.continuous = ensure(TableKind::Ltype, L"Continuous", new AcDbLinetypeTableRecord);
        m_byLayer = ids.byLayer;

        table<AcDbLayerTable>(TableKind::Layer, ids.layerTable);
        for (auto& p : m_s.tableRecords) {
            if (p.kind != TableKind::Layer) continue;
            auto* r = new AcDbLayerTableRecord;
            const long long c = Int(p.tags, 62, 7);
            AcCmColor color;
            color.setColorIndex(static_cast<Adesk::UInt16>(c == 0 || c < -255 || c > 255 ? 7 : (c < 0 ? -c : c)));
            r->setColor(color);
            r->setIsOff(c < 0);
            const long long f = Int(p.tags, 70, 0);
            r->setIsFrozen((f & 1) != 0);
            r->setIsLocked((f & 4) != 0);
            AcDbObjectId lt = ids.continuous;
            const std::wstring ltName = Str(p.tags, 6);
            if (!ltName.empty()) {
                lt = find(TableKind::Ltype, ltName, AcDbObjectId::kNull);
                if (lt.isNull()) {
                    warn(m_img.records[p.record].line, "layer '" + host::WideToUtf8(p.name) + "' has unknown linetype '" +
                                                           host::WideToUtf8(ltName) + "': Continuous used");
                    lt = ids.continuous;
                }
            }
            r->setLinetypeObjectId(lt);
            addRecord(TableKind::Layer, r, p.name, p.record);
        }
        auto* zero = new AcDbLayerTableRecord;
        AcCmColor white;
        white.setColorIndex(7);
        zero->setColor(white);
        zero->setLinetypeObjectId(ids.continuous);
        ids.clayer = ensure(TableKind::Layer, L"0", zero);
        m_layer0 = ids.clayer;
        m_continuous = ids.continuous;

        table<AcDbTextStyleTable>(TableKind::Style, ids.textStyleTable);
        for (auto& p : m_s.tableRecords) {
            if (p.kind != TableKind::Style) continue;
            auto* r = new AcDbTextStyleTableRecord;
            const std::wstring font = Str(p.tags, 3);
            if (!font.empty()) r->setFileName(font.c_str());
            r->setBigFontFileName(Str(p.tags, 4).c_str());
            const double size = Real(p.tags, 40, 0), x = Real(p.tags, 41, 1);
            r->setTextSize(size >= 0 ? size : 0);
            r->setXScale(x > 0 ? x : 1);
            addRecord(TableKind::Style, r, p.name, p.record);
        }
        auto* standard = new AcDbTextStyleTableRecord;
        standard->setFileName(L"txt");
        ids.textstyle = ensure(TableKind::Style, L"Standard", standard);
        m_standard = ids.textstyle;

        table<AcDbRegAppTable>(TableKind::Appid, ids.regAppTable);
        for (auto& p : m_s.tableRecords)
            if (p.kind == TableKind::Appid) addRecord(TableKind::Appid, new AcDbRegAppTableRecord, p.name, p.record);
        ensure(TableKind::Appid, L"ACAD", new AcDbRegAppTableRecord);
        for (const auto& app : m_s.xdataApps) {
            if (!find(TableKind::Appid, app.first, AcDbObjectId::kNull).isNull()) continue;
            warn(app.second, "extended data of unregistered application '" + host::WideToUtf8(app.first) +
                                 "': application registered");
            ensure(TableKind::Appid, app.first.c_str(), new AcDbRegAppTableRecord);
        }
    }

    void blockRecords(ObjectAccess::DatabaseIds& ids) {
        std::unordered_map<std::uint64_t, AcDbObjectId> byHandle;
        for (auto& p : m_s.tableRecords) {
            if (p.kind != TableKind::BlockRecord) continue;
            const std::wstring key = FoldName(p.name.c_str());
            if (key == L"*MODEL_SPACE" && ids.modelSpace.isNull()) {
                if (addRecord(TableKind::BlockRecord, new AcDbBlockTableRecord, ACDB_MODEL_SPACE, p.record))
                    ids.modelSpace = m_recordIds[p.record];
                continue;
            }
            auto* rec = new AcDbBlockTableRecord;
            ReadBlockRecordFields(p.tags, *rec);
            if (addRecord(TableKind::BlockRecord, rec, p.name, p.record))
                byHandle[m_img.records[p.record].handle] = m_recordIds[p.record];
        }
        if (ids.modelSpace.isNull()) ids.modelSpace = ensure(TableKind::BlockRecord, ACDB_MODEL_SPACE, new AcDbBlockTableRecord);
        m_model = ids.modelSpace;
        // Each block definition's record: by the BLOCK's owner, else by name.
        for (std::size_t k = 0; k < m_s.blocks.size(); ++k) {
            const std::uint32_t b = m_s.blocks[k];
            const Record& r = m_img.records[b];
            AcDbObjectId id;
            const auto it = byHandle.find(r.owner);
            if (r.owner && it != byHandle.end()) id = it->second;
            const std::wstring name = m_s.codec.decode(m_s.blockNames[k]);
            if (id.isNull() && !name.empty()) {
                std::wstring key = FoldName(name.c_str());
                if (key == L"$MODEL_SPACE") key = L"*MODEL_SPACE";
                if (key == L"$PAPER_SPACE") key = L"*PAPER_SPACE";
                const auto& m = m_names[static_cast<int>(TableKind::BlockRecord)];
                const auto n = m.find(key);
                if (n != m.end()) id = n->second;
            }
            if (id.isNull()) {
                // No record (R12) or none of its name: the host's own.
                const std::wstring own = name.empty() || name.size() > 200 ? L"*KEPT" + std::to_wstring(b) : name;
                if (!addRecord(TableKind::BlockRecord, new AcDbBlockTableRecord, own, 0))
                    addRecord(TableKind::BlockRecord, new AcDbBlockTableRecord, L"*KEPT" + std::to_wstring(b), 0);
                id = find(TableKind::BlockRecord, own, find(TableKind::BlockRecord, L"*KEPT" + std::to_wstring(b),
                                                            AcDbObjectId::kNull));
            }
            m_blockOf[b] = id;
            m_img.records[b].aux = static_cast<std::uint32_t>(id.handle());
            AcDbBlockTableRecord* rec = nullptr;
            if (id != m_model && acdbOpenObject(rec, id, AcDb::kForWrite) == Acad::eOk) {
                std::vector<Tag> tags;
                Arena values;
                m_img.tags(r, tags, values);
                ReadBlockBegin(tags, m_s.codec, *rec);
                rec->close();
            }
        }
        for (const Record& r : m_img.records)
            if (r.role == Role::EndBlk && r.aux) m_endOf[r.aux] = 0;
        for (Record& r : m_img.records)
            if (r.role == Role::EndBlk && r.aux && m_blockOf.count(r.aux))
                r.aux = static_cast<std::uint32_t>(m_blockOf[r.aux].handle());
        m_paper = find(TableKind::BlockRecord, L"*Paper_Space", AcDbObjectId::kNull);
        if (m_paper.isNull()) m_paper = m_model;
    }

    void dictionaries(ObjectAccess::DatabaseIds& ids) {
        auto* named = new AcDbDictionary;
        want(handleOf(m_s.rootDict), m_s.rootDict);
        m_db->addAcDbObject(ids.namedDict, named);
        auto* groups = new AcDbDictionary;
        want(handleOf(m_s.groupDict), m_s.groupDict);
        named->setAt(L"ACAD_GROUP", groups, ids.groupDict);
        groups->close();
        named->close();
    }

    void setXData(RbList& xdata, AcDbObjectId id) {
        if (!xdata || id.isNull()) return;
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, id, AcDb::kForWrite) != Acad::eOk) return;
        obj->setXData(xdata.get());
        obj->close();
        xdata.reset();
    }

    AcDbObjectId layerOf(std::string_view raw, std::uint32_t line) {
        if (raw.empty()) return m_layer0;
        const auto it = m_layerCache.find(raw);
        if (it != m_layerCache.end()) return it->second;
        const std::wstring name = m_s.codec.decode(Trim(raw));
        AcDbObjectId id = find(TableKind::Layer, name, AcDbObjectId::kNull);
        if (id.isNull()) {
            auto* rec = new AcDbLayerTableRecord;
            AcCmColor white;
            white.setColorIndex(7);
            rec->setColor(white);
            rec->setLinetypeObjectId(m_continuous);
            if (addRecord(TableKind::Layer, rec, name, 0)) {
                warn(line, "layer '" + host::WideToUtf8(name) + "' is not defined: layer created");
                id = find(TableKind::Layer, name, m_layer0);
            } else {
                warn(line, "layer name '" + host::WideToUtf8(name) + "' is not valid: layer 0 used");
                id = m_layer0;
            }
        }
        m_layerCache.emplace(raw, id);
        return id;
    }

    AcDbObjectId byName(TableKind kind, std::string_view raw, std::uint32_t line, AcDbObjectId fallback,
                        const char* what, const char* used) {
        auto& cache = m_cache[static_cast<int>(kind)];
        const auto it = cache.find(raw);
        if (it != cache.end()) return it->second;
        const std::wstring name = m_s.codec.decode(Trim(raw));
        AcDbObjectId id = find(kind, name, AcDbObjectId::kNull);
        if (id.isNull()) {
            warn(line, std::string(what) + " '" + host::WideToUtf8(name) + "' is not defined: " + used + " used");
            id = fallback;
        }
        cache.emplace(raw, id);
        return id;
    }

    void entities(const ObjectAccess::DatabaseIds& ids) {
        AcDbObjectId lastPoly, lastRef;
        bool partsKept = false;  // the parts after a head that stayed as read
        while (!m_s.entities.empty()) {
            PendingEntity p = std::move(m_s.entities.front());
            m_s.entities.pop_front();
            Record& r = m_img.records[p.record];
            if (p.vertex && partsKept) continue;
            partsKept = false;
            AcDbEntity* e = nullptr;
            AcDbObjectId block;
            if (p.obj && AcDbBlockReference::cast(p.obj.get())) {
                // A reference to a block the file does not define stays as
                // read, with its attributes.
                block = find(TableKind::BlockRecord, m_s.codec.decode(m_s.name(p.blockName)), AcDbObjectId::kNull);
                if (block.isNull() || block == m_model || block == m_paper) {
                    warn(r.line, "INSERT of undefined block '" + std::string(m_s.name(p.blockName)) + "': kept as read");
                    p.obj.reset();
                    --m_s.modelled;
                    ++m_s.kept["INSERT"];
                    partsKept = KeepSequence(m_img, p.record);
                    block = AcDbObjectId::kNull;
                }
            }
            AcDbObjectId dimBlock;
            if (p.obj && AcDbDimension::cast(p.obj.get())) {
                dimBlock = dimensionBlock(p, r);
                if (dimBlock.isNull()) {
                    p.obj.reset();
                    --m_s.modelled;
                    ++m_s.kept["DIMENSION"];
                }
            }
            if (p.obj) {
                e = static_cast<AcDbEntity*>(p.obj.release());
            } else {
                auto* k = new AcDbKeptEntity;
                k->setKept(std::string(r.type), p.extents(), p.record);
                e = k;
            }
            e->setLayer(layerOf(m_s.name(p.layer), r.line), true, true);
            if (p.linetype)
                e->setLinetype(byName(TableKind::Ltype, m_s.name(p.linetype), r.line, m_byLayer, "linetype", "ByLayer"));
            else
                e->setLinetype(m_byLayer);
            e->setColorIndex(static_cast<Adesk::UInt16>(p.color));
            if (p.invisible) e->setVisibility(AcDb::kInvisible);
            if (p.style) {
                const std::string_view styleName = m_s.name(p.style);
                auto style = [&] { return byName(TableKind::Style, styleName, r.line, m_standard, "text style", "Standard"); };
                if (auto* t = AcDbText::cast(e)) t->setTextStyle(style());
                else if (auto* m = AcDbMText::cast(e)) m->setTextStyle(style());
                else if (auto* d = AcDbDimension::cast(e)) d->setDimensionStyle(dimStyleOf(styleName, r.line));
            }
            if (p.vertex && AcDbAttribute::cast(e)) {
                AcDbBlockReference* ref = nullptr;
                if (acdbOpenObject(ref, lastRef, AcDb::kForWrite) == Acad::eOk) {
                    want(r.handle, p.record);
                    AcDbObjectId aid;
                    ref->appendAttribute(aid, AcDbAttribute::cast(e));
                    if (p.xdata) e->setXData(p.xdata.get());
                    e->close();
                    ref->close();
                } else {
                    delete e;
                }
                continue;
            }
            if (p.vertex) {
                // The reader made each vertex of its polyline's kind.
                AcDbEntity* pl = nullptr;
                if (acdbOpenObject(pl, lastPoly, AcDb::kForWrite) == Acad::eOk) {
                    want(r.handle, p.record);
                    AcDbObjectId vid;
                    if (auto* p2 = AcDb2dPolyline::cast(pl)) p2->appendVertex(vid, static_cast<AcDb2dVertex*>(e));
                    else AcDb3dPolyline::cast(pl)->appendVertex(vid, static_cast<AcDb3dPolylineVertex*>(e));
                    if (p.xdata) e->setXData(p.xdata.get());
                    e->close();
                    pl->close();
                } else {
                    delete e;
                }
                continue;
            }
            AcDbObjectId owner = p.block ? m_blockOf[p.block] : ((r.flags & kPaper) ? m_paper : ids.modelSpace);
            if (owner.isNull()) owner = ids.modelSpace;
            AcDbBlockTableRecord* btr = nullptr;
            acdbOpenObject(btr, owner, AcDb::kForWrite);
            want(r.handle, p.record);
            AcDbObjectId id;
            btr->appendAcDbEntity(id, e);
            btr->close();
            if (!block.isNull()) AcDbBlockReference::cast(e)->setBlockTableRecord(block);
            // Last: every other change makes a dimension's block out of date.
            if (!dimBlock.isNull()) AcDbDimension::cast(e)->setDimBlockId(dimBlock);
            if (p.extra && !p.extra->refs.empty()) m_sources.emplace_back(id, std::move(p.extra->refs));
            if (p.xdata) e->setXData(p.xdata.get());
            e->close();
            if (AcDb2dPolyline::cast(e) || AcDb3dPolyline::cast(e)) lastPoly = id;
            if (AcDbBlockReference::cast(e)) lastRef = id;
            p.xdata.reset();
        }
        m_s.entities.shrink_to_fit();
        hatchSources();
    }

    // The dimension style table, when the file has one or a dimension
    // needs it: the file's records (sizes, decimals, text style) and
    // "Standard". Records keep every code the host has no field for.
    void dimStyles(ObjectAccess::DatabaseIds& ids) {
        bool dims = false;
        for (const auto& p : m_s.entities) dims = dims || (p.obj && AcDbDimension::cast(p.obj.get()));
        if (!dims && !m_s.tableHead[static_cast<int>(TableKind::DimStyle)]) return;
        table<AcDbDimStyleTable>(TableKind::DimStyle, ids.dimStyleTable);
        AcDbObjectId first;
        for (auto& p : m_s.tableRecords) {
            if (p.kind != TableKind::DimStyle) continue;
            auto* r = new AcDbDimStyleTableRecord;
            // A value the host does not take (a dimscale of 0: "by the
            // viewport") leaves the default in the model; the writer keeps
            // the file's while the model's is unchanged.
            auto size = [&](int code, double fallback, Acad::ErrorStatus (AcDbDimStyleTableRecord::*set)(double)) {
                (r->*set)(Real(p.tags, code, fallback));
            };
            size(40, r->dimscale(), &AcDbDimStyleTableRecord::setDimscale);
            size(41, r->dimasz(), &AcDbDimStyleTableRecord::setDimasz);
            size(42, r->dimexo(), &AcDbDimStyleTableRecord::setDimexo);
            size(44, r->dimexe(), &AcDbDimStyleTableRecord::setDimexe);
            size(140, r->dimtxt(), &AcDbDimStyleTableRecord::setDimtxt);
            size(147, r->dimgap(), &AcDbDimStyleTableRecord::setDimgap);
            r->setDimdec(static_cast<int>(Int(p.tags, 271, r->dimdec())));
            std::uint64_t h = 0;
            for (const Tag& t : p.tags)
                if (t.code == 340 && ParseHex(t.value, h)) break;
            const AcDbObjectId style = h ? idOfFile(h) : AcDbObjectId::kNull;
            if (!style.isNull()) r->setDimtxsty(style);
            if (addRecord(TableKind::DimStyle, r, p.name, p.record) && first.isNull()) first = m_recordIds[p.record];
        }
        // The style of dimensions that name none or an undefined one: the
        // current one, "Standard", the first; a table without records gets
        // "Standard".
        m_dimStandard = find(TableKind::DimStyle, m_s.dimstyle, find(TableKind::DimStyle, L"Standard", first));
        if (m_dimStandard.isNull()) m_dimStandard = ensure(TableKind::DimStyle, L"Standard", new AcDbDimStyleTableRecord);
        ids.dimstyle = m_dimStandard;
        const wchar_t* name = nullptr;
        if (const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(m_dimStandard)) rec->getName(name);
        m_dimStandardName = host::WideToUtf8(name ? name : L"Standard");
    }

    AcDbObjectId dimStyleOf(std::string_view raw, std::uint32_t line) {
        return byName(TableKind::DimStyle, raw, line, m_dimStandard, "dimension style", m_dimStandardName.c_str());
    }

    // A dimension's block; null when the file does not define it (the
    // dimension is then kept as read: a block made anew would not be what
    // the file shows).
    AcDbObjectId dimensionBlock(const PendingEntity& p, const Record& r) {
        const AcDbObjectId block = find(TableKind::BlockRecord, m_s.codec.decode(m_s.name(p.blockName)), AcDbObjectId::kNull);
        if (block.isNull() || block == m_model || block == m_paper) {
            warn(r.line, "DIMENSION of undefined block '" + std::string(m_s.name(p.blockName)) + "': kept as read");
            return AcDbObjectId::kNull;
        }
        return block;
    }

    // The objects hatch loops were made from, now that every entity is there.
    void hatchSources() {
        for (auto& s : m_sources) {
            AcDbHatch* h = nullptr;
            if (acdbOpenObject(h, s.first, AcDb::kForWrite) != Acad::eOk) continue;
            std::vector<AcDbObjectIdArray> ids(static_cast<std::size_t>(h->numLoops()));
            for (const auto& ref : s.second) {
                const AcDbObjectId id = idOfFile(ref.second);
                if (!id.isNull() && ref.first < h->numLoops()) ids[static_cast<std::size_t>(ref.first)].append(id);
            }
            for (std::size_t k = 0; k < ids.size(); ++k)
                if (!ids[k].isEmpty()) h->setAssocObjIdsAt(static_cast<int>(k), ids[k]);
            h->close();
        }
        m_sources.clear();
    }

    void groups(AcDbObjectId groupDictId) {
        AcDbDictionary* dict = nullptr;
        if (acdbOpenObject(dict, groupDictId, AcDb::kForWrite) != Acad::eOk) return;
        for (auto& g : m_s.groups) {
            const Record& r = m_img.records[g.record];
            if (g.name.empty()) {
                warn(r.line, "GROUP not listed in ACAD_GROUP: kept as read");
                ++m_s.kept["GROUP"];
                continue;
            }
            auto* group = new AcDbGroup(g.description.c_str(), g.selectable);
            want(r.handle, g.record);
            AcDbObjectId gid;
            if (dict->setAt(g.name.c_str(), group, gid) != Acad::eOk) {
                delete group;
                m_img.records[g.record].slot = 0;
                warn(r.line, "GROUP '" + host::WideToUtf8(g.name) + "' could not be filed: kept as read");
                ++m_s.kept["GROUP"];
                continue;
            }
            for (const auto& m : g.members) {
                const AcDbObjectId id = idOfFile(m.first);
                if (id.isNull() || !ObjectAccess::peek<AcDbEntity>(id) || group->append(id) != Acad::eOk)
                    warn(m.second, "group member " + HexText(m.first) + " is no entity of the drawing: dropped");
            }
            if (g.xdata) group->setXData(g.xdata.get());
            group->close();
        }
        dict->close();
    }

    void unkeep(const char* type) {
        if (--m_s.kept[type] <= 0) m_s.kept.erase(type);
    }

    // Extended data of an object read after the tables: applications it
    // names that are not registered yet are registered (and reported).
    void objectXData(AcDbObject* obj, const std::vector<Tag>& tags, std::size_t at) {
        std::vector<std::pair<std::wstring, std::uint32_t>> apps;
        RbList xd = ReadXData(tags, at, m_s.codec, m_s.warnings, apps);
        for (const auto& app : apps) {
            if (!find(TableKind::Appid, app.first, AcDbObjectId::kNull).isNull()) continue;
            warn(app.second, "extended data of unregistered application '" + host::WideToUtf8(app.first) +
                                 "': application registered");
            ensure(TableKind::Appid, app.first.c_str(), new AcDbRegAppTableRecord);
        }
        if (xd) obj->setXData(xd.get());
    }

    // Extension dictionaries of the objects the host holds, with the
    // xrecords filed in them; their other entries stay as read (the writer
    // puts them back in their place). An object is done once its owner is
    // in: a dictionary of an xrecord waits for the xrecord.
    void extensionDictionaries() {
        std::unordered_map<std::uint64_t, std::uint32_t> dictAt, xrecordAt;
        for (std::uint32_t d : m_s.dictionaries) dictAt.emplace(m_img.records[d].handle, d);
        for (std::uint32_t x : m_s.xrecords) xrecordAt.emplace(m_img.records[x].handle, x);
        auto todo = m_s.xdictOf;
        for (bool progress = true; progress && !todo.empty();) {
            progress = false;
            std::vector<std::pair<std::uint64_t, std::uint32_t>> later;
            for (const auto& x : todo) {
                const Record& owner = m_img.records[x.second];
                const auto d = dictAt.find(x.first);
                if (d == dictAt.end() || (owner.flags & kNewHandle)) continue;
                if (!owner.slot) {
                    later.push_back(x);
                    continue;
                }
                const Record& dr = m_img.records[d->second];
                if (dr.slot || dr.owner != owner.handle) continue;  // one dictionary, one owner
                extensionDictionary(owner.slot, d->second, xrecordAt);
                progress = true;
            }
            todo.swap(later);
        }
    }

    void extensionDictionary(std::uint32_t ownerSlot, std::uint32_t record,
                             const std::unordered_map<std::uint64_t, std::uint32_t>& xrecordAt) {
        AcDbObject* owner = ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), ownerSlot));
        if (!owner) return;
        auto* dict = new AcDbDictionary;
        want(handleOf(record), record);
        AcDbObjectId did;
        if (m_db->addAcDbObject(did, dict) != Acad::eOk) {
            delete dict;
            m_img.records[record].slot = 0;
            return;
        }
        ObjectAccess::setOwner(dict, owner->objectId());
        ObjectAccess::setExtensionDictionary(owner, did);
        unkeep("DICTIONARY");
        std::vector<Tag> tags;
        Arena values;
        m_img.tags(m_img.records[record], tags, values);
        std::wstring key;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const Tag& t = tags[k];
            if (t.code == 1001) {
                objectXData(dict, tags, k);
                break;
            }
            if (t.code == 3) key = m_s.codec.decode(t.value);
            std::uint64_t h = 0;
            if ((t.code != 350 && t.code != 360) || key.empty() || !ParseHex(t.value, h)) continue;
            const auto x = xrecordAt.find(h);
            if (x != xrecordAt.end() && !m_img.records[x->second].slot &&
                m_img.records[x->second].owner == m_img.records[record].handle)
                xrecord(dict, key, x->second);
            key.clear();
        }
        dict->close();
    }

    // An xrecord filed in dict; kept as read when its data would not come
    // back the same.
    void xrecord(AcDbDictionary* dict, const std::wstring& key, std::uint32_t record) {
        std::vector<Tag> tags;
        Arena values;
        m_img.tags(m_img.records[record], tags, values);
        XrecordData data;
        auto slotOf = [&](std::uint64_t h) -> std::uint32_t {
            const AcDbObjectId id = idOfFile(h);
            return ObjectAccess::lookup(id) ? static_cast<std::uint32_t>(id.handle()) : 0;
        };
        if (!ReadXrecordData(tags, m_s.codec, m_db, slotOf, data)) return;
        RbList list(data.list);
        auto* x = new AcDbXrecord;
        if (list && x->setFromRbChain(*list) != Acad::eOk) {
            delete x;
            return;
        }
        x->setMergeStyle(static_cast<AcDb::DuplicateRecordCloning>(data.mergeStyle));
        want(handleOf(record), record);
        AcDbObjectId xid;
        if (dict->setAt(key.c_str(), x, xid) != Acad::eOk) {
            delete x;
            m_img.records[record].slot = 0;
            return;
        }
        for (std::size_t k = 0; k < tags.size(); ++k)
            if (tags[k].code == 1001) {
                objectXData(x, tags, k);
                break;
            }
        x->close();
        unkeep("XRECORD");
    }

    void finish() {
        if (m_img.mapped) {
            m_img.loadEnd = m_nextSlot;
            m_img.nextFile = std::max(m_fresh, m_img.seed);
            ObjectAccess::setNextHandle(m_db, 0);
            ObjectAccess::reserveHandles(m_db, m_nextSlot);
        } else {
            ObjectAccess::reserveHandles(m_db, static_cast<Adesk::UInt32>(std::max<std::uint64_t>(m_fresh, m_img.seed)));
            m_img.loadEnd = m_db->nextHandle();
            m_img.nextFile = m_img.loadEnd;
        }
        m_img.recordOfSlot.resize(std::min<std::size_t>(m_img.recordOfSlot.size(), m_img.loadEnd));
        for (int h = 1; h <= m_db->numObjects(); ++h) {
            AcDbObject* obj = ObjectAccess::lookup(AcDbObjectId::fromParts(m_db->serial(), static_cast<Adesk::UInt32>(h)));
            if (obj) ObjectAccess::clearTouched(obj);
        }
        ObjectAccess::setFile(m_db, m_s.image);
    }

    Scanned& m_s;
    FileImage& m_img;
    AcDbDatabase* m_db;
    std::uint64_t m_fresh = 1;
    std::uint32_t m_nextSlot = 1;
    AcDbObjectId m_tables[kTableKinds];
    std::unordered_map<std::wstring, AcDbObjectId> m_names[kTableKinds];
    std::unordered_map<std::uint32_t, AcDbObjectId> m_recordIds;
    std::unordered_map<std::uint32_t, AcDbObjectId> m_blockOf;
    std::unordered_map<std::uint32_t, std::uint32_t> m_endOf;
    std::unordered_map<std::string_view, AcDbObjectId> m_layerCache;
    std::unordered_map<std::string_view, AcDbObjectId> m_cache[kTableKinds];
    AcDbObjectId m_byLayer, m_continuous, m_layer0, m_standard, m_model, m_paper;
    AcDbObjectId m_dimStandard;
    std::string m_dimStandardName;
    std::vector<std::pair<AcDbObjectId, std::vector<std::pair<int, std::uint64_t>>>> m_sources;  // hatches
};

}  // namespace

void Build(Scanned& s, AcDbDatabase* db) { Builder(s, db).run(); }

}  // namespace detail
}  // namespace dxf
}  // namespace host
