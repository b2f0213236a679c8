// R12 records in the later form (see upgrade.h).
#include "upgrade.h"

#include <algorithm>
#include <initializer_list>

namespace host {
namespace dxf {
namespace detail {

namespace {

struct Subclass {
    const char* marker;
    std::initializer_list<int> codes;  // empty: the codes no other subclass of the record takes
};

// Codes of AcDbEntity, the first subclass of every entity.
bool EntityCode(int c) {
    return c == 8 || c == 6 || c == 62 || c == 60 || c == 67 || c == 48 || c == 370 || c == 420 || c == 430 ||
           c == 440 || c == 284 || c == 347 || c == 390;
}

const Subclass kEntityOnly[] = {{nullptr, {}}};
const Subclass kLine[] = {{"AcDbLine", {}}};
const Subclass kPoint[] = {{"AcDbPoint", {}}};
const Subclass kCircle[] = {{"AcDbCircle", {}}};
const Subclass kArc[] = {{"AcDbCircle", {}}, {"AcDbArc", {50, 51}}};
const Subclass kTrace[] = {{"AcDbTrace", {}}};
const Subclass kText[] = {{"AcDbText", {}}, {"AcDbText", {73}}};
const Subclass kShape[] = {{"AcDbShape", {}}};
const Subclass kInsert[] = {{"AcDbBlockReference", {}}};
const Subclass kAttdef[] = {{"AcDbText", {}}, {"AcDbAttributeDefinition", {3, 2, 70, 73, 74, 280}}};
const Subclass kAttrib[] = {{"AcDbText", {}}, {"AcDbAttribute", {2, 70, 73, 74, 280}}};
const Subclass kFace[] = {{"AcDbFace", {}}};
const Subclass kViewport[] = {{"AcDbViewport", {}}};
const Subclass kBlock[] = {{"AcDbBlockBegin", {}}};
const Subclass kEndblk[] = {{"AcDbBlockEnd", {}}};
const Subclass k2dPolyline[] = {{"AcDb2dPolyline", {}}};
const Subclass k3dPolyline[] = {{"AcDb3dPolyline", {}}};
const Subclass kMesh[] = {{"AcDbPolygonMesh", {}}};
const Subclass kFaceMesh[] = {{"AcDbPolyFaceMesh", {}}};
const Subclass k2dVertex[] = {{"AcDbVertex", {0}}, {"AcDb2dVertex", {}}};
const Subclass k3dVertex[] = {{"AcDbVertex", {0}}, {"AcDb3dPolylineVertex", {}}};
const Subclass kMeshVertex[] = {{"AcDbVertex", {0}}, {"AcDbPolygonMeshVertex", {}}};
const Subclass kFaceMeshVertex[] = {{"AcDbVertex", {0}}, {"AcDbPolyFaceMeshVertex", {}}};
const Subclass kFaceRecord[] = {{"AcDbFaceRecord", {}}};
// Dimensions by the kind in the low bits of code 70.
const Subclass kRotated[] = {{"AcDbDimension", {}}, {"AcDbAlignedDimension", {12, 22, 32, 13, 23, 33, 14, 24, 34}},
                             {"AcDbRotatedDimension", {50, 52}}};
const Subclass kAligned[] = {{"AcDbDimension", {}}, {"AcDbAlignedDimension", {12, 22, 32, 13, 23, 33, 14, 24, 34, 50}}};
const Subclass kAngular[] = {{"AcDbDimension", {}},
                             {"AcDb2LineAngularDimension", {13, 23, 33, 14, 24, 34, 15, 25, 35, 16, 26, 36}}};
const Subclass kDiametric[] = {{"AcDbDimension", {}}, {"AcDbDiametricDimension", {15, 25, 35, 40}}};
const Subclass kRadial[] = {{"AcDbDimension", {}}, {"AcDbRadialDimension", {15, 25, 35, 40}}};
const Subclass kAngular3[] = {{"AcDbDimension", {}}, {"AcDb3PointAngularDimension", {13, 23, 33, 14, 24, 34, 15, 25, 35}}};
const Subclass kOrdinate[] = {{"AcDbDimension", {}}, {"AcDbOrdinateDimension", {13, 23, 33, 14, 24, 34}}};
// Table records and table heads (no AcDbEntity).
const Subclass kTable[] = {{"AcDbSymbolTable", {}}};

struct Layout {
    const Subclass* subs = nullptr;
    std::size_t count = 0;
    bool entity = true;          // AcDbEntity first
    const char* record = nullptr;  // table records: the record's own subclass after AcDbSymbolTableRecord
};

template <std::size_t N>
Layout Of(const Subclass (&s)[N], bool entity = true) {
    return Layout{s, N, entity, nullptr};
}

long long Flags(const std::vector<Tag>& tags, std::size_t b, std::size_t e) {
    for (std::size_t k = b; k < e; ++k) {
        long long n = 0;
        if (tags[k].code == 70 && ParseInt(tags[k].value, n)) return n;
    }
    return 0;
}

Layout LayoutOf(std::string_view type, long long flags) {
    static const std::pair<const char*, const char*> kRecords[] = {
        {"VPORT", "AcDbViewportTableRecord"}, {"LTYPE", "AcDbLinetypeTableRecord"},
        {"LAYER", "AcDbLayerTableRecord"},    {"STYLE", "AcDbTextStyleTableRecord"},
        {"VIEW", "AcDbViewTableRecord"},      {"UCS", "AcDbUCSTableRecord"},
        {"APPID", "AcDbRegAppTableRecord"},   {"DIMSTYLE", "AcDbDimStyleTableRecord"},
        {"BLOCK_RECORD", "AcDbBlockTableRecord"}};
    for (const auto& r : kRecords)
        if (type == r.first) return Layout{nullptr, 0, false, r.second};
    if (type == "TABLE") return Of(kTable, false);
    if (type == "LINE") return Of(kLine);
    if (type == "POINT") return Of(kPoint);
    if (type == "CIRCLE") return Of(kCircle);
    if (type == "ARC") return Of(kArc);
    if (type == "TRACE" || type == "SOLID") return Of(kTrace);
    if (type == "TEXT") return Of(kText);
    if (type == "SHAPE") return Of(kShape);
    if (type == "INSERT") return Of(kInsert);
    if (type == "ATTDEF") return Of(kAttdef);
    if (type == "ATTRIB") return Of(kAttrib);
    if (type == "3DFACE") return Of(kFace);
    if (type == "VIEWPORT") return Of(kViewport);
    if (type == "BLOCK") return Of(kBlock);
    if (type == "ENDBLK") return Of(kEndblk);
    if (type == "SEQEND") return Of(kEntityOnly);
    if (type == "POLYLINE") {
        if (flags & 64) return Of(kFaceMesh);
        if (flags & 16) return Of(kMesh);
        if (flags & 8) return Of(k3dPolyline);
        return Of(k2dPolyline);
    }
    if (type == "VERTEX") {
        if ((flags & 128) && (flags & 64)) return Of(kFaceMeshVertex);
        if (flags & 128) return Of(kFaceRecord);
        if (flags & 64) return Of(kMeshVertex);
        if (flags & 32) return Of(k3dVertex);
        return Of(k2dVertex);
    }
    if (type == "DIMENSION") {
        switch (flags & 7) {
        case 1: return Of(kAligned);
        case 2: return Of(kAngular);
        case 3: return Of(kDiametric);
        case 4: return Of(kRadial);
        case 5: return Of(kAngular3);
        case 6: return Of(kOrdinate);
        default: return Of(kRotated);
        }
    }
    return Layout{};
}

bool Takes(const Subclass& s, int code) { return std::find(s.codes.begin(), s.codes.end(), code) != s.codes.end(); }

// One record tags[b, e).
void Convert(const std::vector<Tag>& tags, std::size_t b, std::size_t e, std::vector<Tag>& out) {
    const std::string_view type = Trim(tags[b].value);
    const Layout l = LayoutOf(type, Flags(tags, b, e));
    const bool marked = std::any_of(tags.begin() + static_cast<std::ptrdiff_t>(b),
                                    tags.begin() + static_cast<std::ptrdiff_t>(e), [](const Tag& t) { return t.code == 100; });
    if (marked || (!l.subs && !l.record)) {
        out.insert(out.end(), tags.begin() + static_cast<std::ptrdiff_t>(b), tags.begin() + static_cast<std::ptrdiff_t>(e));
        return;
    }
    // Extended data stays last; the head (handle, application groups,
    // owner) first.
    std::size_t x = b + 1;
    while (x < e && tags[x].code != 1001) ++x;
    const std::uint32_t line = tags[b].line;
    out.push_back(tags[b]);
    std::vector<bool> done(x - b, false);
    for (std::size_t k = b + 1; k < x; ++k)
        if (tags[k].code == 5 || tags[k].code == 105 || tags[k].code == 330 || tags[k].code == 102 ||
            (tags[k].code == 2 && type == "TABLE")) {  // a table's name comes before its subclass
            out.push_back(tags[k]);
            done[k - b] = true;
        }
    auto marker = [&](const char* m) { out.push_back(Tag{100, m, line}); };
    auto take = [&](auto wanted) {
        for (std::size_t k = b + 1; k < x; ++k)
            if (!done[k - b] && wanted(tags[k].code)) {
                out.push_back(tags[k]);
                done[k - b] = true;
            }
    };
    if (l.record) {
        marker("AcDbSymbolTableRecord");
        marker(l.record);
        take([](int) { return true; });
    } else {
        if (l.entity) {
            marker("AcDbEntity");
            take(EntityCode);
        }
        // Named codes first, so that the subclass taking the rest gets only those left.
        std::vector<std::vector<Tag>> parts(l.count);
        for (std::size_t s = 0; s < l.count; ++s) {
            if (l.subs[s].codes.size() == 0) continue;
            for (std::size_t k = b + 1; k < x; ++k)
                if (!done[k - b] && Takes(l.subs[s], tags[k].code)) {
                    parts[s].push_back(tags[k]);
                    done[k - b] = true;
                }
        }
        for (std::size_t s = 0; s < l.count; ++s) {
            if (l.subs[s].codes.size() == 0)
                for (std::size_t k = b + 1; k < x; ++k)
                    if (!done[k - b]) {
                        parts[s].push_back(tags[k]);
                        done[k - b] = true;
                    }
            if (l.subs[s].marker) marker(l.subs[s].marker);
            out.insert(out.end(), parts[s].begin(), parts[s].end());
        }
    }
    out.insert(out.end(), tags.begin() + static_cast<std::ptrdiff_t>(x), tags.begin() + static_cast<std::ptrdiff_t>(e));
}

}  // namespace

void WithSubclassMarkers(const std::vector<Tag>& tags, std::vector<Tag>& out) {
    out.clear();
    out.reserve(tags.size() + 8);
    std::size_t b = 0;
    while (b < tags.size()) {
        std::size_t e = b + 1;
        while (e < tags.size() && tags[e].code != 0) ++e;
        if (tags[b].code == 0) {
            Convert(tags, b, e, out);
        } else {
            out.insert(out.end(), tags.begin() + static_cast<std::ptrdiff_t>(b), tags.begin() + static_cast<std::ptrdiff_t>(e));
        }
        b = e;
    }
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
