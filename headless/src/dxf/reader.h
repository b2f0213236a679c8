#pragma once
// Reading a DXF file in two steps: Scan indexes every record of the file into
// the image and reads what the host models into objects that belong to no
// database yet (it may refuse the file; nothing has changed then); Build then
// replaces the database's content with them (it cannot fail but for memory).
#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "acutads.h"
#include "dbmain.h"
#include "dxfio.h"
#include "encoding.h"
#include "image.h"

namespace host {
namespace dxf {
namespace detail {

struct RbFree {
    void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using RbList = std::unique_ptr<resbuf, RbFree>;

struct ObjectDeleter {
    void operator()(AcDbObject* obj) const { delete obj; }
};
using ObjectPtr = std::unique_ptr<AcDbObject, ObjectDeleter>;

enum class TableKind : std::uint32_t { Other, Layer, Ltype, Style, Appid, BlockRecord, DimStyle };
constexpr int kTableKinds = 7;
TableKind TableKindOf(std::string_view name);

// The x, y extents of the points a file gives an entity kept as read.
struct PointBox {
    double lo[2] = {0, 0}, hi[2] = {0, 0};
    bool boxed = false;  // holds a point

    void add(double x, double y) {
        if (!boxed) {
            lo[0] = hi[0] = x;
            lo[1] = hi[1] = y;
            boxed = true;
            return;
        }
        lo[0] = std::min(lo[0], x);
        lo[1] = std::min(lo[1], y);
        hi[0] = std::max(hi[0], x);
        hi[1] = std::max(hi[1], y);
    }
    // In the plane z = 0; empty without points.
    AcDbExtents extents() const {
        return boxed ? AcDbExtents(AcGePoint3d(lo[0], lo[1], 0), AcGePoint3d(hi[0], hi[1], 0)) : AcDbExtents();
    }
};

// What few entities need, apart so that the common one stays small.
struct PendingExtra {
    std::vector<std::pair<int, std::uint64_t>> refs;  // HATCH: (loop, source handle)
    PointBox box;                                     // kept entities
};

// A name an entity refers to, as an index into Scanned::names (0: none):
// drawings use few names, and a view each would double the entry's size.
using NameRef = std::uint32_t;

// An entity read: modelled (obj set) or kept as read. Small: a drawing can
// have millions of them pending at once.
struct PendingEntity {
    ObjectPtr obj;  // the modelled entity; null: kept
    std::unique_ptr<PendingExtra> extra;
    RbList xdata;
    NameRef layer = 0, linetype = 0, style = 0;
    NameRef blockName = 0;  // INSERT, DIMENSION: its block (resolved by Build)
    std::uint32_t record = 0;
    std::uint32_t block = 0;  // record of its BLOCK (0: the ENTITIES section)
    short color = 256;
    bool invisible = false;
    bool vertex = false;  // a VERTEX of the modelled POLYLINE before it

    PendingExtra& more() {
        if (!extra) extra = std::make_unique<PendingExtra>();
        return *extra;
    }
    void addPoint(double x, double y) { more().box.add(x, y); }
    AcDbExtents extents() const { return extra ? extra->box.extents() : AcDbExtents(); }
};

// A table record the host models.
struct PendingRecord {
    std::uint32_t record = 0;
    TableKind kind = TableKind::Other;
    std::wstring name;
    std::vector<Tag> tags;  // the record's tags (read in Build)
    RbList xdata;
};

struct PendingGroup {
    std::uint32_t record = 0;
    std::wstring name;
    std::wstring description;
    bool selectable = true;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> members;  // handle, line
    RbList xdata;
};

struct Scanned {
    std::shared_ptr<FileImage> image;
    Codec codec;
    std::vector<std::string> warnings;
    std::map<std::string, int> kept;
    // A deque: no spare capacity nor a copy on growth for a hundred
    // thousand entities, and Build frees them from the front as it goes.
    std::deque<PendingEntity> entities;
    std::vector<std::string_view> names{std::string_view()};     // what NameRef indexes
    std::unordered_map<std::string_view, NameRef> nameIndex;     // and back

    NameRef intern(std::string_view name) {
        if (name.empty()) return 0;
        const auto [it, added] = nameIndex.emplace(name, static_cast<NameRef>(names.size()));
        if (added) names.push_back(name);
        return it->second;
    }
    std::string_view name(NameRef ref) const { return names[ref]; }
    std::vector<PendingRecord> tableRecords;
    std::uint32_t tableHead[kTableKinds] = {};  // record of each TableKind's TABLE
    std::vector<std::uint32_t> blocks;               // BLOCK records
    std::uint32_t rootDict = 0, groupDict = 0;        // their records
    std::vector<PendingGroup> groups;
    std::wstring clayer, textstyle, dimstyle;
    std::vector<std::pair<std::wstring, std::uint32_t>> xdataApps;  // applications used, with a line
    int modelled = 0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> subHandles;  // handles inside kept sequences, with the record
    std::vector<std::string_view> blockNames;                        // of each of blocks
    std::vector<std::uint32_t> dictionaries, xrecords;               // DICTIONARY and XRECORD records
    std::vector<std::pair<std::uint64_t, std::uint32_t>> xdictOf;     // extension dictionary handle, owner record
};

// Scans the bytes (the image takes them over). Throws Failure.
void Scan(std::unique_ptr<char[]> bytes, std::size_t size, Scanned& out);
// Builds the drawing into db (see above).
void Build(Scanned& s, AcDbDatabase* db);

// Extended data from the 1001 tag at tags[i] to the end: the well-formed
// part as a list, faults reported as warnings.
RbList ReadXData(const std::vector<Tag>& tags, std::size_t i, Codec& codec, std::vector<std::string>& warnings,
                 std::vector<std::pair<std::wstring, std::uint32_t>>& apps);

}  // namespace detail
}  // namespace dxf
}  // namespace host
