#pragma once
// Headless host: the spatial index of model space, for selection and snaps.
//
// A Boost.Geometry R-tree (R*-tree, 16 entries per node) of the XY boxes of
// the entities of "*Model_Space" (getGeomExtents), keyed by handle. It is
// loaded in bulk when first made and kept current through the database
// notifications: appended, modified (when the changed object is closed) and
// erased or brought back objects are marked, and the marks are worked off
// before the next query, so a query never sees a stale box. A change to a
// part of an entity (a vertex, an attribute) marks the entity; a change to
// the entities of a block marks the block references that show it, nested
// ones included.
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

#include "dbmain.h"

namespace host_detail {

class SpatialIndex : public AcDbDatabaseReactor {
public:
    explicit SpatialIndex(AcDbDatabase* db);
    ~SpatialIndex() override;
    SpatialIndex(const SpatialIndex&) = delete;
    SpatialIndex& operator=(const SpatialIndex&) = delete;

    // Handles of indexed entities whose box meets the world box.
    void query(double x0, double y0, double x1, double y1, std::vector<std::uint32_t>& out);
    // The box around everything indexed; false when empty.
    bool bounds(double& x0, double& y0, double& x1, double& y1);
    std::size_t size();

    void objectAppended(const AcDbDatabase*, const AcDbObject* obj) override { touch(obj); }
    void objectModified(const AcDbDatabase*, const AcDbObject* obj) override { touch(obj); }
    void objectErased(const AcDbDatabase*, const AcDbObject* obj, bool) override { touch(obj); }

private:
    struct Tree;
    void touch(const AcDbObject* obj);
    void mark(std::uint32_t handle);
    // Marks the references of model space that show a changed block.
    void markReferencesOfDirtyBlocks();
    void flush();

    AcDbDatabase* m_db;
    std::unique_ptr<Tree> m_tree;
    std::vector<std::uint32_t> m_dirty;
    std::vector<char> m_isDirty;  // by handle
    std::unordered_set<AcDbObjectId> m_dirtyBlocks;
};

}  // namespace host_detail
