// Headless host: the spatial index (see spatial_index.h).
#include "spatial_index.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "dbinternal.h"
#include "dbents.h"
#include "dbsymtb.h"

namespace host_detail {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using BPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using BBox = bg::model::box<BPoint>;
using Entry = std::pair<BBox, std::uint32_t>;

struct SpatialIndex::Tree {
    bgi::rtree<Entry, bgi::rstar<16>> tree;
    std::vector<BBox> boxes;    // by handle, valid where indexed[h]
    std::vector<char> indexed;  // by handle
};

namespace {
// The box of an entity of model space that is not erased; false otherwise.
bool IndexBox(const AcDbDatabase* db, std::uint32_t handle, BBox& box) {
    const AcDbObject* obj = ObjectAccess::lookup(AcDbObjectId::fromParts(db->serial(), handle));
    const AcDbEntity* ent = AcDbEntity::cast(obj);
    if (!ent || ent->isErased() || ent->ownerId() != db->modelSpaceId()) return false;
    AcDbExtents ext;
    if (ent->getGeomExtents(ext) != Acad::eOk || ext.isEmpty()) return false;
    box = BBox(BPoint(ext.minPoint().x, ext.minPoint().y), BPoint(ext.maxPoint().x, ext.maxPoint().y));
    return true;
}
}  // namespace

SpatialIndex::SpatialIndex(AcDbDatabase* db) : m_db(db), m_tree(new Tree) {
    std::vector<Entry> entries;
    const auto* ms = ObjectAccess::peek<AcDbBlockTableRecord>(db->modelSpaceId());
    const std::size_t n = static_cast<std::size_t>(db->numObjects()) + 1;
    m_tree->boxes.resize(n);
    m_tree->indexed.assign(n, 0);
    if (ms) {
        const std::vector<AcDbObjectId> ids = ms->entityIds(false);
        entries.reserve(ids.size());
        for (const auto& id : ids) {
            const auto h = static_cast<std::uint32_t>(id.handle());
            BBox box;
            if (!IndexBox(db, h, box)) continue;
            entries.emplace_back(box, h);
            m_tree->boxes[h] = box;
            m_tree->indexed[h] = 1;
        }
    }
    m_tree->tree = bgi::rtree<Entry, bgi::rstar<16>>(entries.begin(), entries.end());
    m_db->addReactor(this);
}

SpatialIndex::~SpatialIndex() { m_db->removeReactor(this); }

void SpatialIndex::touch(const AcDbObject* obj) {
    const AcDbEntity* ent = AcDbEntity::cast(obj);
    if (!ent) return;
    mark(static_cast<std::uint32_t>(obj->objectId().handle()));
    const AcDbObjectId owner = ent->ownerId();
    if (owner.isNull() || owner == m_db->modelSpaceId()) return;
    if (ObjectAccess::peek<AcDbEntity>(owner)) {
        mark(static_cast<std::uint32_t>(owner.handle()));
    } else if (ObjectAccess::peek<AcDbBlockTableRecord>(owner)) {
        m_dirtyBlocks.insert(owner);
    }
}

void SpatialIndex::mark(std::uint32_t h) {
    if (h >= m_isDirty.size()) m_isDirty.resize(static_cast<std::size_t>(h) * 2 + 16, 0);
    if (m_isDirty[h]) return;
    m_isDirty[h] = 1;
    m_dirty.push_back(h);
}

void SpatialIndex::markReferencesOfDirtyBlocks() {
    if (m_dirtyBlocks.empty()) return;
    const auto refersToDirty = [&](AcDbObjectId id) {
        const auto* ref = ObjectAccess::peek<AcDbBlockReference>(id);
        return ref && m_dirtyBlocks.count(ref->blockTableRecord()) > 0;
    };
    // Blocks that hold a reference to a changed block changed too.
    if (const auto* table = ObjectAccess::peek<AcDbBlockTable>(m_db->blockTableId())) {
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& blockId : table->recordIds(false)) {
                if (blockId == m_db->modelSpaceId() || m_dirtyBlocks.count(blockId)) continue;
                const auto* block = ObjectAccess::peek<AcDbBlockTableRecord>(blockId);
                if (!block) continue;
                for (const auto& id : block->entityIds(false)) {
                    if (!refersToDirty(id)) continue;
                    m_dirtyBlocks.insert(blockId);
                    grew = true;
                    break;
                }
            }
        }
    }
    if (const auto* ms = ObjectAccess::peek<AcDbBlockTableRecord>(m_db->modelSpaceId()))
        for (const auto& id : ms->entityIds(false))
            if (refersToDirty(id)) mark(static_cast<std::uint32_t>(id.handle()));
    m_dirtyBlocks.clear();
}

void SpatialIndex::flush() {
    markReferencesOfDirtyBlocks();
    if (m_dirty.empty()) return;
    Tree& t = *m_tree;
    // Many changes at once (a big import): pack the tree anew, which is
    // cheaper than inserting one by one.
    const bool repack = m_dirty.size() > 65536 && m_dirty.size() > t.tree.size() / 2;
    for (const std::uint32_t h : m_dirty) {
        m_isDirty[h] = 0;
        if (h >= t.indexed.size()) {
            t.indexed.resize(static_cast<std::size_t>(h) * 2 + 16, 0);
            t.boxes.resize(t.indexed.size());
        }
        if (t.indexed[h] && !repack) t.tree.remove(Entry(t.boxes[h], h));
        t.indexed[h] = 0;
        BBox box;
        if (IndexBox(m_db, h, box)) {
            if (!repack) t.tree.insert(Entry(box, h));
            t.boxes[h] = box;
            t.indexed[h] = 1;
        }
    }
    m_dirty.clear();
    if (repack) {
        std::vector<Entry> entries;
        entries.reserve(t.tree.size() + 1024);
        for (std::size_t h = 0; h < t.indexed.size(); ++h)
            if (t.indexed[h]) entries.emplace_back(t.boxes[h], static_cast<std::uint32_t>(h));
        t.tree = bgi::rtree<Entry, bgi::rstar<16>>(entries.begin(), entries.end());
    }
}

void SpatialIndex::query(double x0, double y0, double x1, double y1, std::vector<std::uint32_t>& out) {
    flush();
    const BBox window(BPoint(x0, y0), BPoint(x1, y1));
    for (auto it = m_tree->tree.qbegin(bgi::intersects(window)); it != m_tree->tree.qend(); ++it)
        out.push_back(it->second);
}

bool SpatialIndex::bounds(double& x0, double& y0, double& x1, double& y1) {
    flush();
    if (m_tree->tree.empty()) return false;
    const BBox b = m_tree->tree.bounds();
    x0 = bg::get<bg::min_corner, 0>(b);
    y0 = bg::get<bg::min_corner, 1>(b);
    x1 = bg::get<bg::max_corner, 0>(b);
    y1 = bg::get<bg::max_corner, 1>(b);
    return true;
}

std::size_t SpatialIndex::size() {
    flush();
    return m_tree->tree.size();
}

}  // namespace host_detail
