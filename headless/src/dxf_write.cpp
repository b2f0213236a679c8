// Writing DXF R2018 (AC1032, UTF-8): the drawing's own objects under their
// handles, plus the structure readers expect around them.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "dbdict.h"
#include "dbgroup.h"
#include "dbinternal.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dbwipeout.h"
#include "dxf_common.h"
#include "dxfio.h"
#include "widetext.h"

namespace host {
namespace dxf {
namespace {
using namespace detail;
using host_detail::ObjectAccess;

struct NotFinite {
    std::uint32_t handle;
};

// Text out, into a string or through it into a file in pieces of about a
// megabyte (no file-sized buffer, no regrowth of one).
class Out {
public:
    explicit Out(std::string& s, std::FILE* sink = nullptr) : m_s(s), m_sink(sink) {
        if (m_sink) m_s.reserve(kChunk + 4096);
    }
    std::uint32_t current = 0;  // handle of the object being written, for errors
    bool failed = false;        // a write to the file failed

    void flush() {
        if (!m_sink || m_s.empty()) return;
        if (std::fwrite(m_s.data(), 1, m_s.size(), m_sink) != m_s.size()) failed = true;
        m_s.clear();
    }
    void maybeFlush() {
        if (m_sink && m_s.size() >= kChunk) flush();
    }

    void code(int c) {
        char buf[8];
        int n = 0;
        if (c < 10) {
            buf[n++] = ' ';
            buf[n++] = ' ';
        } else if (c < 100) {
            buf[n++] = ' ';
        }
        const auto res = std::to_chars(buf + n, buf + sizeof buf, c);
        m_s.append(buf, res.ptr);
        m_s += '\n';
    }
    void raw(int c, const char* text) {
        code(c);
        m_s += text;
        m_s += '\n';
    }
    // Text in UTF-8; control characters in caret form (^J), a caret as "^ ".
    void str(int c, const wchar_t* text) {
        code(c);
        const std::wstring w(text ? text : L"");
        bool plain = true;
        for (const wchar_t ch : w)
            if (ch < 0x20 || ch == L'^' || ch >= 0x80) plain = false;
        if (plain) {
            for (const wchar_t ch : w) m_s += static_cast<char>(ch);
        } else {
            std::wstring esc;
            esc.reserve(w.size() + 4);
            for (const wchar_t ch : w) {
                if (ch < 0x20) {
                    esc += L'^';
                    esc += static_cast<wchar_t>(ch + 0x40);
                } else if (ch == L'^') {
                    esc += L"^ ";
                } else {
                    esc += ch;
                }
            }
            m_s += host::WideToUtf8(esc);
        }
        m_s += '\n';
    }
    void str(int c, const CString& text) { str(c, text.GetString()); }
    void num(int c, double v) {
        if (!std::isfinite(v)) throw NotFinite{current};
        code(c);
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        m_s.append(buf, res.ptr);
        if (std::find_if(buf, res.ptr, [](char ch) { return ch == '.' || ch == 'e' || ch == 'E'; }) == res.ptr)
            m_s += ".0";
        m_s += '\n';
    }
    void integer(int c, long long v) {
        code(c);
        char buf[24];
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        m_s.append(buf, res.ptr);
        m_s += '\n';
    }
    void hex(int c, Adesk::UInt64 h) {
        code(c);
        char buf[24];
        const auto res = std::to_chars(buf, buf + sizeof buf, h, 16);
        for (char* p = buf; p != res.ptr; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        m_s.append(buf, res.ptr);
        m_s += '\n';
    }
    void point(int c, const AcGePoint3d& p) {
        num(c, p.x);
        num(c + 10, p.y);
        num(c + 20, p.z);
    }
    void vec(int c, const AcGeVector3d& v) {
        num(c, v.x);
        num(c + 10, v.y);
        num(c + 20, v.z);
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    std::string& m_s;
    std::FILE* m_sink;
};

const wchar_t* NameOf(AcDbObjectId id) {
    const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(id);
    const wchar_t* name = nullptr;
    if (rec) rec->getName(name);
    return name;
}

class Writer {
public:
    Writer(const AcDbDatabase* db, std::string& s, std::FILE* sink = nullptr)
        : m_db(db), o(s, sink), m_next(db->nextHandle()) {}
    bool failed() const { return o.failed; }

    void run() {
        collect();
        const std::uint32_t vport = fresh(), view = fresh(), ucs = fresh(), dimTable = fresh(), dimStd = fresh();
        const std::uint32_t paper = fresh(), msBlock = fresh(), msEnd = fresh(), psBlock = fresh(), psEnd = fresh();
        // SEQEND handles, one per 2D polyline, taken before the seed is written.
        for (const auto& id : m_entities)
            if (ObjectAccess::peek<AcDb2dPolyline>(id)) m_seqends[id] = fresh();

        section("HEADER");
        o.raw(9, "$ACADVER");
        o.raw(1, "AC1032");
        o.raw(9, "$DWGCODEPAGE");
        o.raw(3, "ANSI_1252");
        o.raw(9, "$HANDSEED");
        o.hex(5, m_next);
        o.raw(9, "$CLAYER");
        o.str(8, NameOf(m_db->clayer()) ? NameOf(m_db->clayer()) : L"0");
        o.raw(9, "$TEXTSTYLE");
        o.str(7, NameOf(m_db->textstyle()) ? NameOf(m_db->textstyle()) : L"Standard");
        o.raw(9, "$CELTYPE");
        o.raw(6, "ByLayer");
        endsec();
        section("CLASSES");
        // Readers need the class of the one custom entity written.
        o.raw(0, "CLASS");
        o.raw(1, "WIPEOUT");
        o.raw(2, "AcDbWipeout");
        o.raw(3, "WipeOut");
        o.integer(90, 127);
        o.integer(91, m_wipeouts);
        o.integer(280, 0);
        o.integer(281, 1);
        endsec();

        section("TABLES");
        emptyTable("VPORT", vport);
        linetypes();
        layers();
        styles();
        emptyTable("VIEW", view);
        emptyTable("UCS", ucs);
        apps();
        tableHead("DIMSTYLE", dimTable, 1);
        o.raw(100, "AcDbDimStyleTable");
        o.integer(71, 0);
        o.raw(0, "DIMSTYLE");
        o.hex(105, dimStd);
        o.hex(330, dimTable);
        o.raw(100, "AcDbSymbolTableRecord");
        o.raw(100, "AcDbDimStyleTableRecord");
        o.raw(2, "Standard");
        o.integer(70, 0);
        o.raw(0, "ENDTAB");
        const std::uint32_t blockTable = Handle(m_db->blockTableId());
        const std::uint32_t model = Handle(m_db->modelSpaceId());
        tableHead("BLOCK_RECORD", blockTable, 2);
        blockRecord(model, blockTable, L"*Model_Space");
        blockRecord(paper, blockTable, L"*Paper_Space");
        o.raw(0, "ENDTAB");
        endsec();

        section("BLOCKS");
        block(msBlock, msEnd, model, L"*Model_Space");
        block(psBlock, psEnd, paper, L"*Paper_Space");
        endsec();

        section("ENTITIES");
        for (const auto& id : m_entities) {
            entity(id, model);
            o.maybeFlush();
        }
        endsec();

        section("OBJECTS");
        objects();
        endsec();
        o.raw(0, "EOF");
        o.flush();
    }

private:
    static std::uint32_t Handle(AcDbObjectId id) { return static_cast<std::uint32_t>(id.handle()); }
    std::uint32_t fresh() { return m_next++; }

    void section(const char* name) {
        o.raw(0, "SECTION");
        o.raw(2, name);
    }
    void endsec() { o.raw(0, "ENDSEC"); }

    void collect() {
        const auto* ms = ObjectAccess::peek<AcDbBlockTableRecord>(m_db->modelSpaceId());
        if (ms) m_entities = ms->entityIds(false);
        for (const auto& id : m_entities)
            if (ObjectAccess::peek<AcDbWipeout>(id)) ++m_wipeouts;
        const auto* gd = ObjectAccess::peek<AcDbDictionary>(m_db->groupDictionaryId());
        if (!gd) return;
        AcDbDictionaryIterator* it = gd->newIterator();
        for (; !it->done(); it->next()) {
            const auto* g = ObjectAccess::peek<AcDbGroup>(it->objectId());
            if (!g || g->isErased()) continue;
            m_groups.emplace_back(it->name(), it->objectId());
            AcDbObjectIdArray members;
            g->allEntityIds(members);
            for (const auto& m : members) m_reactors[m].push_back(Handle(it->objectId()));
        }
        delete it;
    }

    void tableHead(const char* name, std::uint32_t handle, int count) {
        o.raw(0, "TABLE");
        o.raw(2, name);
        o.hex(5, handle);
        o.hex(330, 0);
        o.raw(100, "AcDbSymbolTable");
        o.integer(70, count);
    }
    void emptyTable(const char* name, std::uint32_t handle) {
        tableHead(name, handle, 0);
        o.raw(0, "ENDTAB");
    }

    template <class Fn>
    void table(const char* name, AcDbObjectId tableId, Fn fn) {
        const auto* t = ObjectAccess::peek<AcDbSymbolTable>(tableId);
        const std::vector<AcDbObjectId> ids = t ? t->recordIds(false) : std::vector<AcDbObjectId>();
        tableHead(name, Handle(tableId), static_cast<int>(ids.size()));
        for (const auto& id : ids) {
            const auto* rec = ObjectAccess::peek<AcDbSymbolTableRecord>(id);
            if (!rec) continue;
            o.current = Handle(id);
            o.raw(0, name);
            o.hex(5, Handle(id));
            o.hex(330, Handle(tableId));
            o.raw(100, "AcDbSymbolTableRecord");
            fn(id);
            xdata(rec);
        }
        o.raw(0, "ENDTAB");
    }

    void linetypes() {
        table("LTYPE", m_db->linetypeTableId(), [&](AcDbObjectId id) {
            const auto* r = ObjectAccess::peek<AcDbLinetypeTableRecord>(id);
            o.raw(100, "AcDbLinetypeTableRecord");
            o.str(2, NameOf(id));
            o.integer(70, 0);
            o.str(3, r->comments());
            o.integer(72, 65);
            o.integer(73, 0);
            o.num(40, 0.0);
        });
    }

    void layers() {
        table("LAYER", m_db->layerTableId(), [&](AcDbObjectId id) {
            const auto* r = ObjectAccess::peek<AcDbLayerTableRecord>(id);
            o.raw(100, "AcDbLayerTableRecord");
            o.str(2, NameOf(id));
            o.integer(70, (r->isFrozen() ? 1 : 0) | (r->isLocked() ? 4 : 0));
            int color = r->color().colorIndex();
            if (color < 1 || color > 255) color = 7;
            o.integer(62, r->isOff() ? -color : color);
            const wchar_t* lt = NameOf(r->linetypeObjectId());
            o.str(6, lt ? lt : L"Continuous");
            o.integer(370, -3);
        });
    }

    void styles() {
        table("STYLE", m_db->textStyleTableId(), [&](AcDbObjectId id) {
            const auto* r = ObjectAccess::peek<AcDbTextStyleTableRecord>(id);
            o.raw(100, "AcDbTextStyleTableRecord");
            o.str(2, NameOf(id));
            o.integer(70, 0);
            o.num(40, r->textSize());
            o.num(41, r->xScale());
            o.num(50, 0.0);
            o.integer(71, 0);
            o.num(42, r->textSize() > 0 ? r->textSize() : 2.5);
            const wchar_t* font = nullptr;
            const wchar_t* big = nullptr;
            r->fileName(font);
            r->bigFontFileName(big);
            o.str(3, font);
            o.str(4, big);
        });
    }

    void apps() {
        table("APPID", m_db->regAppTableId(), [&](AcDbObjectId id) {
            o.raw(100, "AcDbRegAppTableRecord");
            o.str(2, NameOf(id));
            o.integer(70, 0);
        });
    }

    void blockRecord(std::uint32_t handle, std::uint32_t table, const wchar_t* name) {
        o.raw(0, "BLOCK_RECORD");
        o.hex(5, handle);
        o.hex(330, table);
        o.raw(100, "AcDbSymbolTableRecord");
        o.raw(100, "AcDbBlockTableRecord");
        o.str(2, name);
        o.integer(70, 0);
        o.integer(280, 1);
        o.integer(281, 0);
    }

    void block(std::uint32_t begin, std::uint32_t end, std::uint32_t record, const wchar_t* name) {
        o.raw(0, "BLOCK");
        o.hex(5, begin);
        o.hex(330, record);
        o.raw(100, "AcDbEntity");
        o.raw(8, "0");
        o.raw(100, "AcDbBlockBegin");
        o.str(2, name);
        o.integer(70, 0);
        o.point(10, AcGePoint3d());
        o.str(3, name);
        o.raw(1, "");
        o.raw(0, "ENDBLK");
        o.hex(5, end);
        o.hex(330, record);
        o.raw(100, "AcDbEntity");
        o.raw(8, "0");
        o.raw(100, "AcDbBlockEnd");
    }

    void head(const char* type, const AcDbEntity* e, std::uint32_t owner, bool reactors = true) {
        o.current = Handle(e->objectId());
        o.raw(0, type);
        o.hex(5, Handle(e->objectId()));
        if (reactors) {
            const auto it = m_reactors.find(e->objectId());
            if (it != m_reactors.end()) {
                o.raw(102, "{ACAD_REACTORS");
                for (const auto h : it->second) o.hex(330, h);
                o.raw(102, "}");
            }
        }
        o.hex(330, owner);
        o.raw(100, "AcDbEntity");
        const wchar_t* layer = NameOf(e->layerId());
        o.str(8, layer ? layer : L"0");
        if (e->linetypeId() != m_db->byLayerLinetype()) {
            const wchar_t* lt = NameOf(e->linetypeId());
            if (lt) o.str(6, lt);
        }
        if (e->colorIndex() != 256) o.integer(62, e->colorIndex());
        if (e->visibility() == AcDb::kInvisible) o.integer(60, 1);
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
                o.raw(1004, hexText.c_str());
                continue;
            }
            switch (host::RbKindOf(t)) {
            case host::RbKind::String: o.str(t, rb->resval.rstring); break;
            case host::RbKind::Point: {
                o.num(t, rb->resval.rpoint[0]);
                o.num(t + 10, rb->resval.rpoint[1]);
                o.num(t + 20, rb->resval.rpoint[2]);
                break;
            }
            case host::RbKind::Real: o.num(t, rb->resval.rreal); break;
            case host::RbKind::Short: o.integer(t, rb->resval.rint); break;
            case host::RbKind::Long: o.integer(t, rb->resval.rlong); break;
            default: break;
            }
        }
        acutRelRb(list);
    }

    void entity(AcDbObjectId id, std::uint32_t model) {
        const AcDbObject* obj = ObjectAccess::lookup(id);
        if (const auto* e = AcDbLine::cast(obj)) {
            head("LINE", e, model);
            o.raw(100, "AcDbLine");
            o.point(10, e->startPoint());
            o.point(11, e->endPoint());
            xdata(e);
        } else if (const auto* a = AcDbArc::cast(obj)) {
            head("ARC", a, model);
            o.raw(100, "AcDbCircle");
            circle(a->center(), a->normal(), a->radius());
            o.raw(100, "AcDbArc");
            o.num(50, a->startAngle() * kDegPerRad);
            o.num(51, a->endAngle() * kDegPerRad);
            xdata(a);
        } else if (const auto* c = AcDbCircle::cast(obj)) {
            head("CIRCLE", c, model);
            o.raw(100, "AcDbCircle");
            circle(c->center(), c->normal(), c->radius());
            xdata(c);
        } else if (const auto* el = AcDbEllipse::cast(obj)) {
            head("ELLIPSE", el, model);
            o.raw(100, "AcDbEllipse");
            o.point(10, el->center());
            o.vec(11, el->majorAxis());
            o.vec(210, el->normal());
            o.num(40, el->radiusRatio());
            o.num(41, el->startAngle());
            o.num(42, el->endAngle());
            xdata(el);
        } else if (const auto* t = AcDbText::cast(obj)) {
            text(t, model);
        } else if (const auto* pl = AcDbPolyline::cast(obj)) {
            lwpolyline(pl, model);
        } else if (const auto* p2 = AcDb2dPolyline::cast(obj)) {
            polyline(p2, model);
        } else if (const auto* w = AcDbWipeout::cast(obj)) {
            wipeout(w, model);
        }
        // Other entity classes have no DXF form here; none reach model space
        // through this host's makers.
    }

    // The boundary in the coordinates of a one-pixel image spanning its box:
    // (-0.5, 0.5) is the lower left corner, (0.5, -0.5) the upper right.
    void wipeout(const AcDbWipeout* w, std::uint32_t model) {
        head("WIPEOUT", w, model);
        o.raw(100, "AcDbWipeout");
        o.integer(90, 0);
        const auto& pts = w->boundary();
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            if (i == 0 || pts[i].x < x0) x0 = pts[i].x;
            if (i == 0 || pts[i].y < y0) y0 = pts[i].y;
            if (i == 0 || pts[i].x > x1) x1 = pts[i].x;
            if (i == 0 || pts[i].y > y1) y1 = pts[i].y;
        }
        const double z = pts.empty() ? 0.0 : pts.front().z;
        const double width = x1 > x0 ? x1 - x0 : 1.0, height = y1 > y0 ? y1 - y0 : 1.0;
        o.point(10, AcGePoint3d(x0, y0, z));
        o.vec(11, AcGeVector3d(width, 0, 0));
        o.vec(12, AcGeVector3d(0, height, 0));
        o.num(13, 1.0);
        o.num(23, 1.0);
        o.hex(340, 0);
        o.integer(70, 7);
        o.integer(280, 1);
        o.integer(281, 50);
        o.integer(282, 50);
        o.integer(283, 0);
        o.hex(360, 0);
        o.integer(71, 2);
        o.integer(91, static_cast<long long>(pts.size()) + (pts.empty() ? 0 : 1));
        for (std::size_t i = 0; i <= pts.size() && !pts.empty(); ++i) {
            const AcGePoint3d& p = pts[i % pts.size()];
            o.num(14, (p.x - x0) / width - 0.5);
            o.num(24, 0.5 - (p.y - y0) / height);
        }
        o.integer(290, 0);
        xdata(w);
    }

    void circle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius) {
        if (IsPlusZ(normal)) {
            o.point(10, center);
            o.num(40, radius);
            return;
        }
        AcGeVector3d ax, ay;
        OcsAxes(normal, ax, ay);
        const AcGeVector3d nz = normal.normal();
        const AcGeVector3d v = center.asVector();
        o.point(10, AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(nz)));
        o.num(40, radius);
        o.vec(210, nz);
    }

    void text(const AcDbText* t, std::uint32_t model) {
        head("TEXT", t, model);
        o.raw(100, "AcDbText");
        o.point(10, t->position());
        o.num(40, t->height());
        o.str(1, t->textStringConst());
        if (t->rotation() != 0.0) o.num(50, t->rotation() * kDegPerRad);
        if (t->widthFactor() != 1.0) o.num(41, t->widthFactor());
        if (t->oblique() != 0.0) o.num(51, t->oblique() * kDegPerRad);
        if (!t->textStyle().isNull()) {
            const wchar_t* style = NameOf(t->textStyle());
            if (style) o.str(7, style);
        }
        if (t->horizontalMode() != AcDb::kTextLeft) o.integer(72, t->horizontalMode());
        o.point(11, t->alignmentPoint());
        o.raw(100, "AcDbText");
        if (t->verticalMode() != AcDb::kTextBase) o.integer(73, t->verticalMode());
        xdata(t);
    }

    void lwpolyline(const AcDbPolyline* pl, std::uint32_t model) {
        head("LWPOLYLINE", pl, model);
        o.raw(100, "AcDbPolyline");
        const unsigned int n = pl->numVerts();
        o.integer(90, n);
        o.integer(70, pl->isClosed() ? 1 : 0);
        o.num(43, pl->storedConstantWidth());
        if (pl->elevation() != 0.0) o.num(38, pl->elevation());
        const double cw = pl->storedConstantWidth();
        for (unsigned int i = 0; i < n; ++i) {
            AcGePoint2d p;
            double bulge = 0, sw = -1, ew = -1;
            pl->getPointAt(i, p);
            pl->getBulgeAt(i, bulge);
            pl->getWidthsAt(i, sw, ew);
            o.num(10, p.x);
            o.num(20, p.y);
            if (sw >= 0 || ew >= 0) {
                o.num(40, sw >= 0 ? sw : cw);
                o.num(41, ew >= 0 ? ew : cw);
            }
            if (bulge != 0.0) o.num(42, bulge);
        }
        xdata(pl);
    }

    void polyline(const AcDb2dPolyline* pl, std::uint32_t model) {
        head("POLYLINE", pl, model);
        o.raw(100, "AcDb2dPolyline");
        o.integer(66, 1);
        o.point(10, AcGePoint3d(0, 0, pl->elevation()));
        int flags = pl->isClosed() ? 1 : 0;
        int curve = 0;
        switch (pl->polyType()) {
        case AcDb::k2dFitCurvePoly: flags |= 2; break;
        case AcDb::k2dQuadSplinePoly: flags |= 4; curve = 5; break;
        case AcDb::k2dCubicSplinePoly: flags |= 4; curve = 6; break;
        default: break;
        }
        o.integer(70, flags);
        if (curve) o.integer(75, curve);
        xdata(pl);
        const std::uint32_t self = Handle(pl->objectId());
        AcDbObjectIterator* it = pl->vertexIterator();
        for (; !it->done(); it->step()) {
            const auto* v = AcDb2dVertex::cast(it->entity());
            if (!v || it->objectId().isNull()) continue;
            head("VERTEX", v, self, false);
            o.raw(100, "AcDbVertex");
            o.raw(100, "AcDb2dVertex");
            o.point(10, v->position());
            if (v->startWidth() != 0.0 || v->endWidth() != 0.0) {
                o.num(40, v->startWidth());
                o.num(41, v->endWidth());
            }
            if (v->bulge() != 0.0) o.num(42, v->bulge());
            int vflags = 0;
            switch (v->vertexType()) {
            case AcDb::k2dCurveFitVertex: vflags = 1; break;
            case AcDb::k2dSplineFitVertex: vflags = 8; break;
            case AcDb::k2dSplineCtlVertex: vflags = 16; break;
            default: break;
            }
            o.integer(70, vflags);
            xdata(v);
        }
        delete it;
        o.raw(0, "SEQEND");
        o.hex(5, m_seqends[pl->objectId()]);
        o.hex(330, self);
        o.raw(100, "AcDbEntity");
        const wchar_t* layer = NameOf(pl->layerId());
        o.str(8, layer ? layer : L"0");
    }

    void objects() {
        const std::uint32_t root = Handle(m_db->namedObjectsDictionaryId());
        const std::uint32_t groups = Handle(m_db->groupDictionaryId());
        o.raw(0, "DICTIONARY");
        o.hex(5, root);
        o.hex(330, 0);
        o.raw(100, "AcDbDictionary");
        o.integer(281, 1);
        o.raw(3, "ACAD_GROUP");
        o.hex(350, groups);
        o.raw(0, "DICTIONARY");
        o.hex(5, groups);
        o.hex(330, root);
        o.raw(100, "AcDbDictionary");
        o.integer(281, 1);
        for (const auto& g : m_groups) {
            o.str(3, g.first.c_str());
            o.hex(350, Handle(g.second));
        }
        for (const auto& g : m_groups) {
            const auto* group = ObjectAccess::peek<AcDbGroup>(g.second);
            o.current = Handle(g.second);
            o.raw(0, "GROUP");
            o.hex(5, Handle(g.second));
            o.raw(102, "{ACAD_REACTORS");
            o.hex(330, groups);
            o.raw(102, "}");
            o.hex(330, groups);
            o.raw(100, "AcDbGroup");
            o.str(300, group->description());
            o.integer(70, group->isAnonymous() ? 1 : 0);
            o.integer(71, group->isSelectable() ? 1 : 0);
            AcDbObjectIdArray members;
            group->allEntityIds(members);
            for (const auto& m : members) o.hex(340, Handle(m));
            xdata(group);
        }
    }

    const AcDbDatabase* m_db;
    Out o;
    std::uint32_t m_next;
    std::vector<AcDbObjectId> m_entities;
    std::vector<std::pair<std::wstring, AcDbObjectId>> m_groups;
    std::unordered_map<AcDbObjectId, std::vector<std::uint32_t>> m_reactors;
    std::unordered_map<AcDbObjectId, std::uint32_t> m_seqends;
    int m_wipeouts = 0;
};

}  // namespace

bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err) {
    out.clear();
    if (!pDb) {
        err = DxfError{0, "no drawing to write"};
        return false;
    }
    try {
        out.reserve(static_cast<std::size_t>(pDb->numObjects()) * 200 + 8192);
        Writer w(pDb, out);
        w.run();
        return true;
    } catch (const NotFinite& nf) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", nf.handle);
        err = DxfError{0, std::string("object ") + hex + " holds a number that is not finite"};
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while writing the drawing"};
    }
    out.clear();
    return false;
}

bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err) {
    if (!path || !*path) {
        err = DxfError{0, "no file name"};
        return false;
    }
    if (!pDb) {
        err = DxfError{0, "no drawing to write"};
        return false;
    }
    const std::string target = host::WideToUtf8(path);
    const std::string temp = target + ".tmp" + std::to_string(static_cast<long>(getpid()));
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        err = DxfError{0, "cannot write '" + target + "': " + std::strerror(errno)};
        return false;
    }
    bool ok = false;
    int ioErr = 0;
    try {
        std::string buffer;
        Writer w(pDb, buffer, f);
        w.run();
        ok = !w.failed();
        if (!ok) ioErr = errno;
    } catch (const NotFinite& nf) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", nf.handle);
        err = DxfError{0, std::string("object ") + hex + " holds a number that is not finite"};
    } catch (const std::bad_alloc&) {
        err = DxfError{0, "out of memory while writing the drawing"};
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        ioErr = errno;
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        err = DxfError{0, "cannot replace '" + target + "': " + std::strerror(errno)};
        return false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        if (err.message.empty()) err = DxfError{0, "cannot write '" + target + "': " + std::strerror(ioErr)};
        return false;
    }
    return true;
}

}  // namespace dxf
}  // namespace host

namespace host {
namespace dxf {
bool WriteDxf(const AcDbDatabase* pDb, const wchar_t* path, DxfError& err, const DxfWriteOptions&) {
    return WriteDxf(pDb, path, err);
}
bool WriteDxfString(const AcDbDatabase* pDb, std::string& out, DxfError& err, const DxfWriteOptions&) {
    return WriteDxfString(pDb, out, err);
}
}  // namespace dxf
}  // namespace host
