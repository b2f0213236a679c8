// Headless host: selection - filters, crossing and window tests, selection
// sets and the last entity. Candidates come from the spatial index; each is
// then tested against its real geometry.
#include <algorithm>
#include <cmath>
#include <map>

#include "acutads.h"
#include "dbinternal.h"
#include "dbdim.h"
#include "dbhatch.h"
#include "dbmtext.h"
#include "dbpl.h"
#include "dbspline.h"
#include "dbsymtb.h"
#include "dbwipeout.h"
#include "editor_internal.h"
#include "hostharness.h"
#include "spatial_index.h"

namespace host_detail {

namespace {

const long kSetTag = 0x55E7;
const std::size_t kMaxSets = 128;

struct SetTable {
    std::map<long, std::vector<AcDbObjectId>> sets;
    long next = 1;
};

SetTable& Sets() {
    static SetTable* table = new SetTable;
    return *table;
}

struct Box {
    double x0, y0, x1, y1;
    bool contains(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Liang-Barsky: does the segment meet the box?
bool SegmentMeetsBox(double ax, double ay, double bx, double by, const Box& b) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - b.x0, b.x1 - ax, ay - b.y0, b.y1 - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    return true;
}

const double kTwoPi = 6.283185307179586;

double Normal(double a) {
    a = std::fmod(a, kTwoPi);
    return a < 0.0 ? a + kTwoPi : a;
}

// Is angle a on the counter-clockwise arc from s to e (full: the circle)?
bool OnArcAngle(double a, double s, double e, bool full) {
    if (full) return true;
    const double span = Normal(e - s);
    return Normal(a - s) <= span + 1e-12;
}

bool ArcMeetsBox(double cx, double cy, double r, double s, double e, bool full, const Box& b) {
    const double sx = cx + r * std::cos(full ? 0.0 : s), sy = cy + r * std::sin(full ? 0.0 : s);
    if (b.contains(sx, sy)) return true;
    if (!full && b.contains(cx + r * std::cos(e), cy + r * std::sin(e))) return true;
    // Crossings of the circle with the four edges.
    const double xs[2] = {b.x0, b.x1}, ys[2] = {b.y0, b.y1};
    for (double x : xs) {
        const double d = r * r - (x - cx) * (x - cx);
        if (d < 0.0) continue;
        for (double sgn : {-1.0, 1.0}) {
            const double y = cy + sgn * std::sqrt(d);
            if (y >= b.y0 && y <= b.y1 && OnArcAngle(std::atan2(y - cy, x - cx), s, e, full)) return true;
        }
    }
    for (double y : ys) {
        const double d = r * r - (y - cy) * (y - cy);
        if (d < 0.0) continue;
        for (double sgn : {-1.0, 1.0}) {
            const double x = cx + sgn * std::sqrt(d);
            if (x >= b.x0 && x <= b.x1 && OnArcAngle(std::atan2(y - cy, x - cx), s, e, full)) return true;
        }
    }
    return false;
}

// The bulged segment from p to q as a counter-clockwise arc.
bool BulgeMeetsBox(const AcGePoint2d& p, const AcGePoint2d& q, double bulge, const Box& b) {
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    if (chord == 0.0) return b.contains(p.x, p.y);
    const double s = chord / 2.0, h = bulge * s;
    const double offset = (s * s - h * h) / (2.0 * h);
    const double cx = (p.x + q.x) / 2.0 - dy / chord * offset;
    const double cy = (p.y + q.y) / 2.0 + dx / chord * offset;
    const double r = std::sqrt((p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy));
    double a = std::atan2(p.y - cy, p.x - cx), c = std::atan2(q.y - cy, q.x - cx);
    if (bulge < 0.0) std::swap(a, c);
    return ArcMeetsBox(cx, cy, r, a, c, false, b);
}

bool PointInPolygon(double x, double y, const std::vector<AcGePoint3d>& poly) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const AcGePoint3d& a = poly[i];
        const AcGePoint3d& c = poly[j];
        if ((a.y > y) != (c.y > y) && x < (c.x - a.x) * (y - a.y) / (c.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

// Does the entity's geometry meet the box (crossing selection)?
bool Crosses(const AcDbEntity* ent, const Box& b) {
    if (const auto* line = AcDbLine::cast(ent)) {
        const AcGePoint3d s = line->startPoint(), e = line->endPoint();
        return SegmentMeetsBox(s.x, s.y, e.x, e.y, b);
    }
    if (const auto* arc = AcDbArc::cast(ent))
        return ArcMeetsBox(arc->center().x, arc->center().y, arc->radius(), arc->startAngle(), arc->endAngle(), false, b);
    if (const auto* circle = AcDbCircle::cast(ent))
        return ArcMeetsBox(circle->center().x, circle->center().y, circle->radius(), 0.0, 0.0, true, b);
    if (const auto* pline = AcDbPolyline::cast(ent)) {
        const unsigned int n = pline->numVerts();
        if (n == 1) {
            AcGePoint2d p;
            pline->getPointAt(0, p);
            return b.contains(p.x, p.y);
        }
        const unsigned int segs = pline->isClosed() ? n : n - 1;
        for (unsigned int i = 0; i < segs && n > 1; ++i) {
            AcGePoint2d p, q;
            double bulge = 0.0;
            pline->getPointAt(i, p);
            pline->getPointAt((i + 1) % n, q);
            pline->getBulgeAt(i, bulge);
            const bool meets = bulge == 0.0 ? SegmentMeetsBox(p.x, p.y, q.x, q.y, b) : BulgeMeetsBox(p, q, bulge, b);
            if (meets) return true;
        }
        return false;
    }
    if (const auto* wipeout = AcDbWipeout::cast(ent)) {
        const auto& poly = wipeout->boundary();
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const AcGePoint3d& p = poly[i];
            const AcGePoint3d& q = poly[(i + 1) % poly.size()];
            if (SegmentMeetsBox(p.x, p.y, q.x, q.y, b)) return true;
        }
        return !poly.empty() && PointInPolygon(b.x0, b.y0, poly);
    }
    return true;  // texts, ellipses, inserts and the rest: their box met the window
}

bool Inside(const AcDbEntity* ent, const Box& b) {
    AcDbExtents ext;
    if (ent->getGeomExtents(ext) != Acad::eOk || ext.isEmpty()) return false;
    return b.contains(ext.minPoint().x, ext.minPoint().y) && b.contains(ext.maxPoint().x, ext.maxPoint().y);
}

bool Shown(const AcDbEntity* ent) {
    if (ent->visibility() != AcDb::kVisible) return false;
    const auto* layer = ObjectAccess::peek<AcDbLayerTableRecord>(ent->layerId());
    return !layer || (!layer->isOff() && !layer->isFrozen());
}

std::wstring DxfName(const AcDbEntity* ent) {
    const AcRxClass* cls = ent->isA();
    if (cls == AcDbLine::desc()) return L"LINE";
    if (cls == AcDbArc::desc()) return L"ARC";
    if (cls == AcDbCircle::desc()) return L"CIRCLE";
    if (cls == AcDbEllipse::desc()) return L"ELLIPSE";
    if (cls == AcDbText::desc()) return L"TEXT";
    if (cls == AcDbPolyline::desc()) return L"LWPOLYLINE";
    if (cls == AcDb2dPolyline::desc()) return L"POLYLINE";
    if (cls == AcDbWipeout::desc()) return L"WIPEOUT";
    if (ent->isKindOf(AcDbBlockReference::desc())) return L"INSERT";
    if (cls == AcDbMText::desc()) return L"MTEXT";
    if (cls == AcDbPoint::desc()) return L"POINT";
    if (cls == AcDb3dPolyline::desc()) return L"POLYLINE";
    if (cls == AcDbSpline::desc()) return L"SPLINE";
    if (cls == AcDbHatch::desc()) return L"HATCH";
    if (ent->isKindOf(AcDbDimension::desc())) return L"DIMENSION";
    if (cls == AcDbSolid::desc()) return L"SOLID";
    if (cls == AcDbTrace::desc()) return L"TRACE";
    if (cls == AcDbFace::desc()) return L"3DFACE";
    if (cls == AcDbAttributeDefinition::desc()) return L"ATTDEF";
    if (cls == AcDbAttribute::desc()) return L"ATTRIB";
    std::wstring name = cls->name();
    if (name.compare(0, 4, L"AcDb") == 0) name = name.substr(4);
    return FoldName(name.c_str());
}

// One position of a wildcard pattern against text (upper-cased both).
bool MatchOne(const std::wstring& p, std::size_t pi, const std::wstring& t, std::size_t ti) {
    while (pi < p.size()) {
        const wchar_t c = p[pi];
        if (c == L'*') {
            for (std::size_t k = ti; k <= t.size(); ++k)
                if (MatchOne(p, pi + 1, t, k)) return true;
            return false;
        }
        if (ti >= t.size()) return false;
        const wchar_t ch = t[ti];
        if (c == L'?') {
        } else if (c == L'#') {
            if (!std::iswdigit(static_cast<wint_t>(ch))) return false;
        } else if (c == L'@') {
            if (!std::iswalpha(static_cast<wint_t>(ch))) return false;
        } else if (c == L'.') {
            if (std::iswalnum(static_cast<wint_t>(ch))) return false;
        } else if (c == L'[') {
            std::size_t end = p.find(L']', pi + 1);
            if (end == std::wstring::npos) return false;
            bool negate = pi + 1 < end && p[pi + 1] == L'~';
            bool found = false;
            for (std::size_t k = pi + (negate ? 2 : 1); k < end; ++k) {
                if (k + 2 < end && p[k + 1] == L'-') {
                    if (ch >= p[k] && ch <= p[k + 2]) found = true;
                    k += 2;
                } else if (p[k] == ch) {
                    found = true;
                }
            }
            if (found == negate) return false;
            pi = end;
        } else {
            if (c == L'`' && pi + 1 < p.size()) ++pi;
            if (p[pi] != ch) return false;
        }
        ++pi;
        ++ti;
    }
    return ti == t.size();
}

struct Filter {
    std::vector<std::wstring> types, layers;
    std::vector<int> colors;
    std::vector<std::vector<std::wstring>> apps;
};

bool ParseFilter(const resbuf* rb, Filter& f) {
    for (; rb; rb = rb->rbnext) {
        switch (rb->restype) {
        case RTDXF0:
        case 0:
        case 8:
            if (!rb->resval.rstring) return false;
            (rb->restype == 8 ? f.layers : f.types).push_back(rb->resval.rstring);
            break;
        case 62:
            f.colors.push_back(rb->resval.rint);
            break;
        case -3: {
            std::vector<std::wstring> apps;
            while (rb->rbnext && rb->rbnext->restype == 1001) {
                rb = rb->rbnext;
                if (rb->resval.rstring) apps.push_back(rb->resval.rstring);
            }
            if (apps.empty()) return false;
            f.apps.push_back(apps);
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool Passes(const AcDbEntity* ent, const Filter& f) {
    if (!f.types.empty()) {
        const std::wstring dxf = DxfName(ent);
        for (const auto& t : f.types)
            if (!MatchWildcard(t, dxf)) return false;
    }
    if (!f.layers.empty()) {
        const std::wstring layer = ent->layer().str();
        for (const auto& l : f.layers)
            if (!MatchWildcard(l, layer)) return false;
    }
    for (int color : f.colors)
        if (ent->colorIndex() != color) return false;
    for (const auto& group : f.apps) {
        bool any = false;
        for (const auto& app : group) {
            resbuf* data = ent->xData(app.c_str());
            if (data) {
                acutRelRb(data);
                any = true;
                break;
            }
        }
        if (!any) return false;
    }
    return true;
}

// The world box around a UCS rectangle.
Box WorldBox(const AcDbDatabase* db, double x0, double y0, double x1, double y1) {
    const AcGeMatrix3d m = UcsToWcs(db);
    Box b{1e300, 1e300, -1e300, -1e300};
    for (const AcGePoint3d& c : {AcGePoint3d(x0, y0, 0), AcGePoint3d(x1, y0, 0), AcGePoint3d(x0, y1, 0), AcGePoint3d(x1, y1, 0)}) {
        const AcGePoint3d w = m * c;
        b.x0 = std::min(b.x0, w.x);
        b.y0 = std::min(b.y0, w.y);
        b.x1 = std::max(b.x1, w.x);
        b.y1 = std::max(b.y1, w.y);
    }
    return b;
}

std::vector<AcDbObjectId> Collect(DocEditor& ed, const Box& b, bool inside, const Filter& f) {
    std::vector<std::uint32_t> handles;
    ed.index->query(b.x0, b.y0, b.x1, b.y1, handles);
    std::sort(handles.begin(), handles.end(), [](std::uint32_t a, std::uint32_t c) { return a > c; });
    std::vector<AcDbObjectId> ids;
    for (std::uint32_t h : handles) {
        const AcDbObjectId id = AcDbObjectId::fromParts(ed.db->serial(), h);
        const auto* ent = ObjectAccess::peek<AcDbEntity>(id);
        if (!ent || !Shown(ent) || !Passes(ent, f)) continue;
        if (inside ? Inside(ent, b) : Crosses(ent, b)) ids.push_back(id);
    }
    return ids;
}

}  // namespace

bool MatchWildcard(const std::wstring& pattern, const std::wstring& text) {
    const std::wstring p = FoldName(pattern.c_str());
    const std::wstring t = FoldName(text.c_str());
    std::size_t start = 0;
    while (start <= p.size()) {
        std::size_t end = start;
        while (end < p.size() && p[end] != L',') end += (p[end] == L'`' && end + 1 < p.size()) ? 2 : 1;
        std::wstring alt = p.substr(start, end - start);
        const bool negate = !alt.empty() && alt[0] == L'~';
        if (negate) alt.erase(0, 1);
        if (MatchOne(alt, 0, t, 0) != negate) return true;
        start = end + 1;
    }
    return false;
}

std::vector<AcDbObjectId> SelectRect(DocEditor& ed, double x0, double y0, double x1, double y1, bool inside,
                                     const resbuf* filter, bool clipToView) {
    Filter f;
    if (!ParseFilter(filter, f)) return {};
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    if (clipToView) {
        double vx0, vy0, vx1, vy1;
        ViewRect(ed, vx0, vy0, vx1, vy1);
        // Only what is on screen can be taken.
        x0 = std::max(x0, vx0);
        y0 = std::max(y0, vy0);
        x1 = std::min(x1, vx1);
        y1 = std::min(y1, vy1);
        if (x0 > x1 || y0 > y1) return {};
    }
    return Collect(ed, WorldBox(ed.db, x0, y0, x1, y1), inside, f);
}

std::vector<AcDbObjectId> SelectAll(DocEditor& ed, const resbuf* filter) {
    Filter f;
    if (!ParseFilter(filter, f)) return {};
    double x0, y0, x1, y1;
    if (!ed.index->bounds(x0, y0, x1, y1)) return {};
    return Collect(ed, Box{x0, y0, x1, y1}, false, f);
}

bool NearestCurvePoint(DocEditor& ed, const AcGePoint3d& ptUcs, double radius, AcGePoint3d& snapped) {
    const AcGeMatrix3d toWcs = UcsToWcs(ed.db);
    const AcGePoint3d wpt = toWcs * ptUcs;
    const Box b = WorldBox(ed.db, ptUcs.x - radius, ptUcs.y - radius, ptUcs.x + radius, ptUcs.y + radius);
    std::vector<std::uint32_t> handles;
    ed.index->query(b.x0, b.y0, b.x1, b.y1, handles);
    double best = radius;
    bool found = false;
    for (std::uint32_t h : handles) {
        const auto* curve = ObjectAccess::peek<AcDbCurve>(AcDbObjectId::fromParts(ed.db->serial(), h));
        if (!curve || !Shown(curve)) continue;
        AcGePoint3d onCurve;
        if (curve->getClosestPointTo(AcGePoint3d(wpt.x, wpt.y, 0.0), onCurve) != Acad::eOk) continue;
        const double d = std::hypot(onCurve.x - wpt.x, onCurve.y - wpt.y);
        if (d <= best) {
            best = d;
            snapped = onCurve;
            found = true;
        }
    }
    if (found) snapped = toWcs.inverse() * snapped;
    return found;
}

AcDbObjectId LastEntity(const AcDbDatabase* db) {
    if (!db) return AcDbObjectId::kNull;
    for (int h = db->numObjects(); h > 0; --h) {
        const AcDbObjectId id = AcDbObjectId::fromParts(db->serial(), static_cast<Adesk::UInt32>(h));
        const auto* ent = ObjectAccess::peek<AcDbEntity>(id);
        if (ent && !ent->isErased() && ent->ownerId() == db->modelSpaceId()) return id;
    }
    return AcDbObjectId::kNull;
}

void ResetSelectionSets() { Sets().sets.clear(); }

// Picks the newest shown entity under a pick box around ptUcs.
AcDbObjectId PickAt(DocEditor& ed, const AcGePoint3d& ptUcs, const resbuf* filter) {
    const double half = 3.0 * PixelSize(ed);
    const auto ids = SelectRect(ed, ptUcs.x - half, ptUcs.y - half, ptUcs.x + half, ptUcs.y + half, false, filter, true);
    return ids.empty() ? AcDbObjectId::kNull : ids.front();
}

}  // namespace host_detail

using namespace host_detail;

namespace {
std::vector<AcDbObjectId>* FindSet(const ads_name ss) {
    if (!ss || ss[1] != kSetTag) return nullptr;
    const auto it = Sets().sets.find(ss[0]);
    return it == Sets().sets.end() ? nullptr : &it->second;
}

int NameOf(AcDbObjectId id, long* out) {
    ads_name name;
    if (acdbGetAdsName(name, id) != Acad::eOk) return RTERROR;
    out[0] = name[0];
    out[1] = name[1];
    return RTNORM;
}

AcGePoint3d ToPoint(const void* p) {
    const auto* d = static_cast<const double*>(p);
    return AcGePoint3d(d[0], d[1], d[2]);
}
}  // namespace

int acedSSGet(const wchar_t* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss) {
    DocEditor* ed = CurrentEditor();
    if (!ed || !ss) return RTERROR;
    Filter f;
    if (!ParseFilter(filter, f)) {
        Print(L"\n*Invalid selection filter*");
        return RTERROR;
    }
    std::wstring mode = str ? str : L"";
    while (!mode.empty() && mode[0] == L'_') mode.erase(0, 1);
    mode = FoldName(mode.c_str());
    std::vector<AcDbObjectId> ids;
    if (mode == L"C" || mode == L"W") {
        if (!pt1 || !pt2) return RTERROR;
        const AcGePoint3d a = ToPoint(pt1), b = ToPoint(pt2);
        ids = SelectRect(*ed, a.x, a.y, b.x, b.y, mode == L"W", filter, true);
    } else if (mode == L"X") {
        ids = SelectAll(*ed, filter);
    } else if (mode == L"L") {
        const AcDbObjectId last = LastEntity(ed->db);
        const auto* ent = ObjectAccess::peek<AcDbEntity>(last);
        if (ent && Passes(ent, f)) ids.push_back(last);
    } else if (mode.empty()) {
        if (pt1) {
            const AcDbObjectId id = PickAt(*ed, ToPoint(pt1), filter);
            if (!id.isNull()) ids.push_back(id);
        } else {
            Print(L"\nSelect objects: ");
            for (;;) {
                InputItem in;
                if (!NextInput(in) || in.kind == InputItem::kCancel) return RTCAN;
                if (in.kind == InputItem::kEnter || (in.kind == InputItem::kText && in.text.empty())) break;
                if (in.kind != InputItem::kPoint) {
                    Print(L"\n*Invalid selection*");
                    continue;
                }
                const AcDbObjectId id = PickAt(*ed, in.pt, filter);
                if (!id.isNull() && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
            }
        }
    } else {
        return RTERROR;  // "i", "p" and the rest: nothing to take here
    }
    if (ids.empty()) return RTERROR;
    SetTable& t = Sets();
    if (t.sets.size() >= kMaxSets) {
        Print(L"\n*Too many selection sets*");
        return RTERROR;
    }
    const long key = t.next++;
    t.sets[key] = std::move(ids);
    ss[0] = key;
    ss[1] = kSetTag;
    return RTNORM;
}

int acedSSLength(const ads_name ss, long* len) {
    const auto* set = FindSet(ss);
    if (!set || !len) return RTERROR;
    *len = static_cast<long>(set->size());
    return RTNORM;
}

int acedSSName(const ads_name ss, long i, ads_name entres) {
    const auto* set = FindSet(ss);
    if (!set || !entres || i < 0 || static_cast<std::size_t>(i) >= set->size()) return RTERROR;
    return NameOf((*set)[static_cast<std::size_t>(i)], entres);
}

int acedSSFree(const ads_name ss) {
    if (!FindSet(ss)) return RTERROR;
    Sets().sets.erase(ss[0]);
    return RTNORM;
}

int acdbEntLast(ads_name result) {
    if (!result) return RTERROR;
    const AcDbObjectId id = LastEntity(acdbHostApplicationServices()->workingDatabase());
    if (id.isNull()) return RTERROR;
    return NameOf(id, result);
}

namespace host {
namespace harness {
int OpenSelectionSetCount() { return static_cast<int>(Sets().sets.size()); }
}  // namespace harness
}  // namespace host
