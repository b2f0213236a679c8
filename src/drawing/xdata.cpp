// Extended data: read, write with merging, copy between objects.
#include <set>

#include "drovik/drawing/xdata.h"

namespace {
// Extended-data type code of the item naming a registered application.
constexpr short kAppNameCode = 1001;

AcDbObject* OpenObject(AcDbObjectId id, AcDb::OpenMode mode) {
    AcDbObject* obj = nullptr;
    if (acdbOpenAcDbObject(obj, id, mode) != Acad::eOk) return nullptr;
    return obj;
}

bool IsAppHead(const resbuf* rb) {
    return rb && rb->restype == kAppNameCode && rb->resval.rstring && *rb->resval.rstring;
}

// Moves the items of old that the new list does not use by type code to the
// end of list, in order, and releases the others. old is consumed.
void MergeOldItems(resbuf* list, resbuf* old) {
    std::set<short> used;
    resbuf* last = list;
    for (resbuf* rb = list; rb; rb = rb->rbnext) {
        used.insert(rb->restype);
        last = rb;
    }
    while (old) {
        resbuf* item = old;
        old = old->rbnext;
        item->rbnext = nullptr;
        if (used.count(item->restype)) {
            acutRelRb(item);
        } else {
            last->rbnext = item;
            last = item;
        }
    }
}
}  // namespace

bool GetXData(AcDbObjectId id, resbuf*& pRb, CString strAppName) {
    AcDbObject* obj = OpenObject(id, AcDb::kForRead);
    if (!obj) return false;
    pRb = obj->xData(strAppName.IsEmpty() ? nullptr : strAppName.GetString());
    obj->close();
    return pRb != nullptr;
}

bool SetXData(AcDbObjectId id, resbuf* pRb) {
    if (!IsAppHead(pRb)) return false;
    if (!pRb->rbnext) {
        // The application name alone: its data goes.
        AcDbObject* obj = OpenObject(id, AcDb::kForWrite);
        if (!obj) return false;
        const bool ok = obj->setXData(pRb) == Acad::eOk;
        obj->close();
        return ok;
    }
    AcDbObject* obj = OpenObject(id, AcDb::kForRead);
    if (!obj) return false;
    MergeOldItems(pRb, obj->xData(pRb->resval.rstring));
    if (obj->upgradeOpen() != Acad::eOk) {
        obj->close();
        return false;
    }
    const bool ok = obj->setXData(pRb) == Acad::eOk;
    obj->close();
    return ok;
}

bool TransferXData(AcDbObjectId idSource, AcDbObjectId idTarget) {
    AcDbObject* source = OpenObject(idSource, AcDb::kForRead);
    if (!source) return false;
    resbuf* list = source->xData();
    source->close();
    if (!list) return false;
    if (AcDbObject* target = OpenObject(idTarget, AcDb::kForWrite)) {
        target->setXData(list);
        target->close();
    }
    acutRelRb(list);
    return true;
}
