// Symbol tables: names, ids, linetypes of layers, text styles; nothing left
// open and no record left behind by a refused call.
#include <functional>

#include "chains/entity_checks.h"
#include "drovik/drawing/tables.h"

namespace {
class TablesTest : public DrawingTest {
protected:
    template <class Table>
    static int RecordCount() {
        Table* table = nullptr;
        if (Db()->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return -1;
        const int n = static_cast<int>(table->recordIds(true).size());
        table->close();
        return n;
    }
};

TEST_F(TablesTest, IsXNameExistFindsOrRegisters) {
    EXPECT_TRUE(IsXNameExist(L"acad", false));
    EXPECT_FALSE(IsXNameExist(L"ROAD", false));
    EXPECT_FALSE(IsXNameExist(L"ROAD", false)) << "asking without create registers nothing";
    EXPECT_TRUE(IsXNameExist(L"ROAD", true));
    EXPECT_TRUE(IsXNameExist(L"road", false));

    const int before = RecordCount<AcDbRegAppTable>();
    EXPECT_FALSE(IsXNameExist(L"BAD*NAME", true));
    EXPECT_FALSE(IsXNameExist(CString(), true));
    EXPECT_EQ(RecordCount<AcDbRegAppTable>(), before);
}

TEST_F(TablesTest, LayerAndLinetypeLookups) {
    AddLayer(L"Pipes");
    EXPECT_TRUE(IsLayerExist(L"pipes"));
    EXPECT_FALSE(IsLayerExist(L"Roads"));

    AcDbObjectId id;
    EXPECT_TRUE(GetLayerId(L"PIPES", id));
    EXPECT_FALSE(id.isNull());
    AcDbObjectId missing = id;
    EXPECT_FALSE(GetLayerId(L"Roads", missing));

    AcDbObjectId continuous;
    EXPECT_TRUE(GetLinetypeId(L"continuous", continuous));
    EXPECT_EQ(continuous, Db()->continuousLinetype());
    EXPECT_FALSE(GetLinetypeId(L"DASHED", continuous));

    // Erased records are still found by id.
    const AcDbObjectId gone = AddLayer(L"Gone");
    EraseObject(gone);
    EXPECT_FALSE(IsLayerExist(L"Gone"));
    AcDbObjectId found;
    EXPECT_TRUE(GetLayerId(L"Gone", found));
    EXPECT_EQ(found, gone);
}

TEST_F(TablesTest, GetLinetypeNamesTheLayersLinetype) {
    CString name = L"unchanged";
    EXPECT_TRUE(GetLinetype(L"0", name));
    EXPECT_EQ(name, CString(L"Continuous"));

    // A layer given another linetype record reads that record's name.
    const AcDbObjectId layer = AddLayer(L"Walls");
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(rec->setLinetypeObjectId(Db()->byBlockLinetype()), Acad::eOk);
    rec->close();
    EXPECT_TRUE(GetLinetype(L"walls", name));
    EXPECT_EQ(name, CString(L"ByBlock"));

    name = L"unchanged";
    EXPECT_FALSE(GetLinetype(L"NoSuchLayer", name));
    EXPECT_EQ(name, CString(L"unchanged"));
    const AcDbObjectId erased = AddLayer(L"Erased");
    EraseObject(erased);
    EXPECT_FALSE(GetLinetype(L"Erased", name));
}

TEST_F(TablesTest, TextStyles) {
    EXPECT_FALSE(PdGetTextStyle(L"standard").isNull());
    EXPECT_TRUE(PdGetTextStyle(L"Titles").isNull());
    EXPECT_TRUE(PdGetTextStyle(nullptr).isNull());

    const AcDbObjectId created = PdCreateTextStyle(L"Titles");
    ASSERT_FALSE(created.isNull());
    EXPECT_EQ(PdGetTextStyle(L"TITLES"), created);
    AcDbTextStyleTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, created, AcDb::kForRead), Acad::eOk);
    const wchar_t* font = nullptr;
    rec->fileName(font);
    EXPECT_EQ(std::wstring(font), std::wstring(L"\u5B8B\u4F53"));
    rec->close();

    const int before = RecordCount<AcDbTextStyleTable>();
    EXPECT_TRUE(PdCreateTextStyle(L"titles").isNull()) << "the name is taken";
    EXPECT_TRUE(PdCreateTextStyle(L"a<b").isNull()) << "the host refuses the name";
    EXPECT_TRUE(PdCreateTextStyle(nullptr).isNull());
    EXPECT_EQ(RecordCount<AcDbTextStyleTable>(), before);
}

// Without a working database every function answers false or the null id.
TEST_F(TablesTest, NoWorkingDatabase) {
    AcDbDatabase* db = Db();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    AcDbObjectId id;
    CString name;
    const std::pair<const char*, std::function<bool()>> calls[] = {
        {"IsXNameExist", [] { return IsXNameExist(L"ACAD", true); }},
        {"IsLayerExist", [] { return IsLayerExist(L"0"); }},
        {"GetLayerId", [&] { return GetLayerId(L"0", id); }},
        {"GetLinetypeId", [&] { return GetLinetypeId(L"Continuous", id); }},
        {"GetLinetype", [&] { return GetLinetype(L"0", name); }},
        {"PdGetTextStyle", [] { return !PdGetTextStyle(L"Standard").isNull(); }},
        {"PdCreateTextStyle", [] { return !PdCreateTextStyle(L"New").isNull(); }},
    };
    for (const auto& c : calls) EXPECT_FALSE(c.second()) << c.first;
    acdbHostApplicationServices()->setWorkingDatabase(db);
}
}  // namespace
