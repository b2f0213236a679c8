#pragma once
// Helpers for the tests of the host's entity classes: blocks, opening by
// class, boxes.
#include <dbdim.h>
#include <dbents.h>
#include <dbhatch.h>
#include <dbmtext.h>
#include <dbpl.h>
#include <dbspline.h>
#include <dbsymtb.h>
#include <dbxrecrd.h>

#include <memory>
#include <vector>

#include "headless/host_fixture.h"
#include "test_support.h"

namespace entity_test {

// A new block of the working database holding the entities (which it
// takes), based at origin; null id when it cannot be made.
inline AcDbObjectId MakeBlock(const wchar_t* name, const std::vector<AcDbEntity*>& entities,
                              const AcGePoint3d& origin = AcGePoint3d::kOrigin) {
    AcDbBlockTable* table = nullptr;
    if (HostTest::Db()->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId::kNull;
    auto* block = new AcDbBlockTableRecord;
    block->setName(name);
    block->setOrigin(origin);
    AcDbObjectId id;
    const bool added = table->add(id, block) == Acad::eOk;
    table->close();
    if (!added) {
        delete block;
        for (auto* e : entities) delete e;
        return AcDbObjectId::kNull;
    }
    for (auto* e : entities) {
        if (block->appendAcDbEntity(e) == Acad::eOk) {
            e->close();
        } else {
            delete e;
        }
    }
    block->close();
    return id;
}

// Opens id as a T for read and closes it when the holder goes.
template <class T>
struct Reader {
    T* obj = nullptr;
    explicit Reader(AcDbObjectId id, AcDb::OpenMode mode = AcDb::kForRead) { acdbOpenObject(obj, id, mode); }
    ~Reader() {
        if (obj) obj->close();
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    T* operator->() const { return obj; }
    explicit operator bool() const { return obj != nullptr; }
};

inline AcDbExtents ExtentsOf(AcDbObjectId id) {
    AcDbExtents ext;
    Reader<AcDbEntity> ent(id);
    if (ent) ent->getGeomExtents(ext);
    return ext;
}

// Deletes what explode handed out.
inline void DeleteAll(AcDbVoidPtrArray& set) {
    for (void* p : set) delete static_cast<AcDbEntity*>(p);
    set.removeAll();
}

}  // namespace entity_test
