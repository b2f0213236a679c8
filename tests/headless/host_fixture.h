#pragma once
// A fresh host (one empty current drawing) for every test; each test must
// leave nothing open.
#include <gtest/gtest.h>

#include <aced.h>
#include <arxhost.h>
#include <hostharness.h>

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host::harness::ResetHost(); }
    void TearDown() override { EXPECT_EQ(host::harness::TotalOpenObjectCount(), 0) << "objects left open"; }

public:

    static AcDbDatabase* Db() { return acdbHostApplicationServices()->workingDatabase(); }

    // Adds an entity to model space through the database interface and closes it.
    static AcDbObjectId Add(AcDbEntity* ent) {
        AcDbObjectId id;
        if (!sorn::ent::AddToDb(ent, id)) {
            delete ent;
            return AcDbObjectId::kNull;
        }
        ent->close();
        return id;
    }
    static AcDbObjectId AddLine(const AcGePoint3d& a, const AcGePoint3d& b) { return Add(new AcDbLine(a, b)); }

    // Names rec and files it in the symbol table tableId (and closes it); a
    // refused record is deleted and the id is null.
    static AcDbObjectId AddRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* rec, const wchar_t* name) {
        AcDbSymbolTable* table = nullptr;
        AcDbObjectId id;
        rec->setName(name);
        const bool opened = acdbOpenObject(table, tableId, AcDb::kForWrite) == Acad::eOk;
        if (opened && table->add(id, rec) == Acad::eOk) {
            rec->close();
        } else {
            delete rec;
        }
        if (opened) table->close();
        return id;
    }
    static AcDbObjectId AddLayer(const wchar_t* name, bool locked = false, bool hidden = false) {
        auto* rec = new AcDbLayerTableRecord;
        rec->setIsLocked(locked);
        rec->setIsHidden(hidden);
        return AddRecord(Db()->layerTableId(), rec, name);
    }
    static void RegisterApp(const wchar_t* name) {
        EXPECT_FALSE(AddRecord(Db()->regAppTableId(), new AcDbRegAppTableRecord, name).isNull());
    }

    // Whether the drawing's symbol table of this kind holds a record called name.
    template <class Table>
    static bool HasRecord(const wchar_t* name) {
        Table* table = nullptr;
        if (Db()->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return false;
        const bool has = table->has(name);
        table->close();
        return has;
    }

    // The newest entity (acdbEntLast), null when there is none.
    static AcDbObjectId LastEntity() {
        ads_name last;
        AcDbObjectId id;
        if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk) return AcDbObjectId::kNull;
        return id;
    }

    static void EraseObject(AcDbObjectId id) {
        AcDbObject* obj = nullptr;
        ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(obj->erase(), Acad::eOk);
        obj->close();
    }

    // An id whose document has been closed.
    static AcDbObjectId IdFromClosedDocument() {
        AcApDocument* current = acDocManagerPtr()->curDocument();
        AcApDocument* other = host::harness::NewDocument(L"Closed.dwg");
        const AcDbObjectId id = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
        host::harness::CloseDocument(other);
        host::harness::ActivateDocument(current);
        return id;
    }
};
