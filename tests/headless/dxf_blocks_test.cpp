// Block definitions, references with attributes, arrays and xrecords in
// extension dictionaries read from DXF into the model and written back.
#include <gtest/gtest.h>

#include "dbdict.h"
#include "dbentsblock.h"
#include "dbxrecrd.h"
#include "dxf_support.h"
#include "host_fixture.h"

namespace {

// The text with the padding before each line's first character removed, so
// group codes compare whether a writer right-aligned them or not.
std::string Unpadded(const std::string& dxf) {
    std::string out;
    bool lineStart = true;
    for (const char c : dxf) {
        if (lineStart && c == ' ') continue;
        lineStart = c == '\n';
        out += c;
    }
    return out;
}

using namespace dxftest;
using host::dxf::DxfError;
using host::dxf::DxfReport;

// A record of an R2000 file: "0 TYPE" and code/value lines.
std::string Rec(const std::string& type, std::initializer_list<std::pair<int, std::string>> tags) {
    std::string s = "  0\n" + type + "\n";
    for (const auto& t : tags) s += std::to_string(t.first) + "\n" + t.second + "\n";
    return s;
}

std::string Section(const std::string& name, const std::string& body) {
    return Rec("SECTION", {{2, name}}) + body + Rec("ENDSEC", {});
}

// WELL (base 1,2): a circle at its base and an attribute definition; SITE
// (base 0,0): a line and a reference to WELL with an attribute; model space:
// SITE at (10,0) turned by 90 degrees, then whatever `entities` adds.
std::string Drawing(const std::string& entities, const std::string& objects = "") {
    const std::string header = Section("HEADER", Rec("", {}).substr(0, 0) + "  9\n$ACADVER\n  1\nAC1015\n"
                                                                         "  9\n$HANDSEED\n  5\nFFF\n");
    const std::string tables = Section(
        "TABLES",
        Rec("TABLE", {{2, "BLOCK_RECORD"}, {5, "1"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "4"}}) +
            Rec("BLOCK_RECORD", {{5, "2"}, {330, "1"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
                                 {2, "*Model_Space"}}) +
            Rec("BLOCK_RECORD", {{5, "3"}, {330, "1"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
                                 {2, "*Paper_Space"}}) +
            Rec("BLOCK_RECORD", {{5, "4"}, {330, "1"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
                                 {2, "WELL"}, {70, "4"}, {280, "1"}, {281, "1"}}) +
            Rec("BLOCK_RECORD", {{5, "5"}, {330, "1"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
                                 {2, "SITE"}}) +
            Rec("ENDTAB", {}));
    auto block = [](const char* h, const char* owner, const char* name, const char* flags, const char* x,
                    const char* y, const std::string& body, const char* end) {
        return Rec("BLOCK", {{5, h}, {330, owner}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockBegin"}, {2, name},
                             {70, flags}, {10, x}, {20, y}, {30, "0.0"}, {3, name}, {1, ""}, {4, "a well"}}) +
               body + Rec("ENDBLK", {{5, end}, {330, owner}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"}});
    };
    const std::string wellBody =
        Rec("CIRCLE", {{5, "20"}, {330, "4"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbCircle"}, {10, "1.0"},
                       {20, "2.0"}, {30, "0.0"}, {40, "0.5"}}) +
        Rec("ATTDEF", {{5, "21"}, {330, "4"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "1.0"},
                       {20, "2.0"}, {30, "0.0"}, {40, "0.25"}, {1, "?"}, {100, "AcDbAttributeDefinition"},
                       {280, "0"}, {3, "Well id"}, {2, "ID"}, {70, "8"}, {73, "6"}, {280, "1"}});
    const std::string siteBody =
        Rec("LINE", {{5, "30"}, {330, "5"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}, {10, "0.0"}, {20, "0.0"},
                     {30, "0.0"}, {11, "4.0"}, {21, "0.0"}, {31, "0.0"}}) +
        Rec("INSERT", {{5, "31"}, {330, "5"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {66, "1"},
                       {2, "WELL"}, {10, "2.0"}, {20, "0.0"}, {30, "0.0"}}) +
        Rec("ATTRIB", {{5, "32"}, {330, "31"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "2.0"},
                       {20, "0.0"}, {30, "0.0"}, {40, "0.25"}, {1, "W-9"}, {100, "AcDbAttribute"}, {2, "ID"},
                       {70, "0"}}) +
        Rec("SEQEND", {{5, "33"}, {330, "31"}, {100, "AcDbEntity"}, {8, "0"}});
    const std::string blocks =
        Section("BLOCKS", block("10", "2", "*Model_Space", "0", "0.0", "0.0", "", "11") +
                              block("12", "3", "*Paper_Space", "0", "0.0", "0.0", "", "13") +
                              block("14", "4", "WELL", "2", "1.0", "2.0", wellBody, "15") +
                              block("16", "5", "SITE", "0", "0.0", "0.0", siteBody, "17"));
    const std::string site = Rec("INSERT", {{5, "40"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"},
                                            {100, "AcDbBlockReference"}, {2, "SITE"}, {10, "10.0"}, {20, "0.0"},
                                            {30, "0.0"}, {50, "90.0"}});
    return header + tables + blocks + Section("ENTITIES", site + entities) +
           Section("OBJECTS", Rec("DICTIONARY", {{5, "C"}, {330, "0"}, {100, "AcDbDictionary"}}) + objects) +
           Rec("EOF", {});
}

// An object open for read while in scope (null when it is not a T).
template <class T>
class Reading {
public:
    explicit Reading(AcDbObjectId id) {
        AcDbObject* obj = nullptr;
        if (acdbOpenObject(obj, id, AcDb::kForRead) == Acad::eOk) {
            m_obj = obj;
            m_p = T::cast(obj);
        }
    }
    ~Reading() {
        if (m_obj) m_obj->close();
    }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;
    const T* operator->() const { return m_p; }
    const T* get() const { return m_p; }

private:
    AcDbObject* m_obj = nullptr;
    T* m_p = nullptr;
};

class DxfBlocks : public HostTest {
protected:
    void Read(const std::string& dxf, AcDbDatabase* db, DxfReport* report = nullptr) {
        DxfError err;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), db, err, report)) << err.what();
    }
    std::string Write(AcDbDatabase* db) {
        std::string out;
        DxfError err;
        EXPECT_TRUE(host::dxf::WriteDxfString(db, out, err)) << err.what();
        return out;
    }
    static AcDbObjectId Block(AcDbDatabase* db, const wchar_t* name) {
        AcDbBlockTable* table = nullptr;
        AcDbObjectId id;
        if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
        table->getAt(name, id);
        table->close();
        return id;
    }
    // The drawings here have small handles: the database's are the file's.
    static AcDbObjectId ByHandle(AcDbDatabase* db, const char* hex) {
        return AcDbObjectId::fromParts(db->serial(), static_cast<Adesk::UInt32>(std::strtoul(hex, nullptr, 16)));
    }
};

TEST_F(DxfBlocks, NestedInsertWithAttributesReadFromAFileExplodesIntoTransformedCopies) {
    DxfReport report;
    Read(Drawing(""), Db(), &report);
    EXPECT_EQ(report.keptTotal(), 0) << "every block entity is modelled";
    AcDbBlockReference* site = nullptr;
    ASSERT_EQ(acdbOpenObject(site, ByHandle(Db(), "40"), AcDb::kForRead), Acad::eOk);
    AcDbVoidPtrArray parts;
    ASSERT_EQ(site->explode(parts), Acad::eOk);
    site->close();
    // SITE turned by 90 degrees about (10,0): (x, y) goes to (10 - y, x).
    ASSERT_EQ(parts.length(), 2);
    const auto* line = AcDbLine::cast(static_cast<AcRxObject*>(parts[0]));
    const auto* well = AcDbBlockReference::cast(static_cast<AcRxObject*>(parts[1]));
    ASSERT_NE(line, nullptr);
    ASSERT_NE(well, nullptr);
    EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(10, 0, 0)));
    EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 4, 0)));
    EXPECT_TRUE(well->position().isEqualTo(AcGePoint3d(10, 2, 0)));
    EXPECT_NEAR(well->rotation(), 1.5707963267948966, 1e-12);
    EXPECT_EQ(well->blockTableRecord(), Block(Db(), L"WELL"));
    // The nested reference keeps a copy of its attribute, moved with it.
    AcDbObjectIterator* it = well->attributeIterator();
    ASSERT_FALSE(it->done());
    const auto* attr = AcDbAttribute::cast(it->entity());
    ASSERT_NE(attr, nullptr);
    EXPECT_STREQ(attr->tagConst(), L"ID");
    EXPECT_STREQ(attr->textStringConst(), L"W-9");
    EXPECT_TRUE(attr->position().isEqualTo(AcGePoint3d(10, 2, 0)));
    it->step();
    EXPECT_TRUE(it->done());
    delete it;
    // Exploded in turn: the circle at WELL's base lands on the position.
    AcDbVoidPtrArray inner;
    ASSERT_EQ(well->explode(inner), Acad::eOk);
    ASSERT_EQ(inner.length(), 2);
    const auto* circle = AcDbCircle::cast(static_cast<AcRxObject*>(inner[0]));
    ASSERT_NE(circle, nullptr);
    EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(10, 2, 0)));
    EXPECT_NE(AcDbAttributeDefinition::cast(static_cast<AcRxObject*>(inner[1])), nullptr);
    for (int i = 0; i < inner.length(); ++i) delete static_cast<AcDbEntity*>(inner[i]);
    for (int i = 0; i < parts.length(); ++i) delete static_cast<AcDbEntity*>(parts[i]);
}

TEST_F(DxfBlocks, BlockFieldsAndAttributeDefinitionsAreReadAndWrittenFromTheModel) {
    Read(Drawing(""), Db());
    AcDbBlockTableRecord* well = nullptr;
    ASSERT_EQ(acdbOpenObject(well, Block(Db(), L"WELL"), AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(well->origin().isEqualTo(AcGePoint3d(1, 2, 0)));
    ACHAR* text = nullptr;
    well->comments(text);
    EXPECT_STREQ(text, L"a well");
    acutDelString(text);
    EXPECT_EQ(well->blockInsertUnits(), 4);
    EXPECT_EQ(well->blockScaling(), 1);
    EXPECT_TRUE(well->hasAttributeDefinitions());
    const std::vector<AcDbObjectId> ids = well->entityIds();
    ASSERT_EQ(ids.size(), 2u);
    Reading<AcDbAttributeDefinition> def(ids[1]);
    ASSERT_NE(def.get(), nullptr);
    EXPECT_STREQ(def->tagConst(), L"ID");
    EXPECT_STREQ(def->promptConst(), L"Well id");
    EXPECT_TRUE(def->isPreset());
    EXPECT_FALSE(def->isInvisible());
    EXPECT_TRUE(def->lockPositionInBlock());
    EXPECT_EQ(def->fieldLength(), 6);
    // Changed in the model, written from it.
    well->setOrigin(AcGePoint3d(5, 6, 7));
    well->setComments(L"moved");
    well->setBlockInsertUnits(6);
    well->close();
    const std::string out = Write(Db());
    AcDbDatabase back(true, true);
    Read(out, &back);
    AcDbBlockTableRecord* again = nullptr;
    ASSERT_EQ(acdbOpenObject(again, Block(&back, L"WELL"), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(again->origin().isEqualTo(AcGePoint3d(5, 6, 7)));
    again->comments(text);
    EXPECT_STREQ(text, L"moved");
    acutDelString(text);
    EXPECT_EQ(again->blockInsertUnits(), 6);
    EXPECT_EQ(again->numEntities(), 2);
    again->close();
    // The version and the lock flag both stay under the definition.
    // (Unchanged, the definition is copied as the file spelled its codes.)
    EXPECT_NE(Unpadded(out).find("AcDbAttributeDefinition\n280\n0\n3\nWell id\n2\nID\n70\n8\n73\n6\n280\n1\n"),
              std::string::npos)
        << out;
}

// Regression: a block the client made was written with its base point at
// the origin whatever setOrigin said, which moved every reference to it.
TEST_F(DxfBlocks, NewBlockIsWrittenWithItsBasePointAndDescription) {
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(Db()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(L"PIT");
    rec->setOrigin(AcGePoint3d(3, 4, 0));
    rec->setComments(L"inspection pit");
    AcDbObjectId id;
    ASSERT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    Add(new AcDbBlockReference(AcGePoint3d(10, 10, 0), id));
    AcDbDatabase back(true, true);
    Read(Write(Db()), &back);
    AcDbBlockTableRecord* pit = nullptr;
    ASSERT_EQ(acdbOpenObject(pit, Block(&back, L"PIT"), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pit->origin().isEqualTo(AcGePoint3d(3, 4, 0)));
    ACHAR* text = nullptr;
    pit->comments(text);
    EXPECT_STREQ(text, L"inspection pit");
    acutDelString(text);
    pit->close();
}

TEST_F(DxfBlocks, AttributesArraysAndAnonymousBlocksRoundTrip) {
    const std::string more =
        Rec("INSERT", {{5, "50"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbMInsertBlock"}, {2, "WELL"},
                       {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {70, "3"}, {71, "2"}, {44, "4.0"}, {45, "5.5"}}) +
        // An array under the marker of a single reference: kept as read.
        Rec("INSERT", {{5, "51"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"},
                       {2, "WELL"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {70, "2"}}) +
        Rec("INSERT", {{5, "52"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {66, "1"},
                       {2, "WELL"}, {10, "7.0"}, {20, "8.0"}, {30, "0.0"}}) +
        Rec("ATTRIB", {{5, "53"}, {330, "52"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "7.0"},
                       {20, "8.0"}, {30, "0.0"}, {40, "0.25"}, {1, "W-\\U+4E95"}, {100, "AcDbAttribute"},
                       {2, "ID"}, {70, "1"}, {74, "2"}}) +
        Rec("ATTRIB", {{5, "54"}, {330, "52"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "7.0"},
                       {20, "7.0"}, {30, "0.0"}, {40, "0.25"}, {1, "3.5"}, {100, "AcDbAttribute"}, {2, "DEPTH"},
                       {70, "0"}}) +
        Rec("SEQEND", {{5, "55"}, {330, "52"}, {100, "AcDbEntity"}, {8, "0"}});
    DxfReport report;
    Read(Drawing(more), Db(), &report);
    EXPECT_EQ(report.kept["INSERT"], 1);
    {
    Reading<AcDbMInsertBlock> array(ByHandle(Db(), "50"));
    ASSERT_NE(array.get(), nullptr);
    EXPECT_EQ(array->columns(), 3);
    EXPECT_EQ(array->rows(), 2);
    EXPECT_EQ(array->columnSpacing(), 4.0);
    EXPECT_EQ(array->rowSpacing(), 5.5);
    }
    {
    Reading<AcDbBlockReference> ref(ByHandle(Db(), "52"));
    ASSERT_NE(ref.get(), nullptr);
    AcDbObjectIterator* it = ref->attributeIterator();
    std::vector<std::string> seen;
    for (; !it->done(); it->step()) {
        const auto* a = AcDbAttribute::cast(it->entity());
        ASSERT_NE(a, nullptr);
        seen.push_back(U8(a->tagConst()) + "=" + U8(a->textStringConst()) + (a->isInvisible() ? " hidden" : "") +
                       " v" + std::to_string(a->verticalMode()) + H(a->objectId()));
    }
    delete it;
    EXPECT_EQ(seen, (std::vector<std::string>{"ID=W-\xE4\xBA\x95 hidden v2 #53", "DEPTH=3.5 v0 #54"}));
    }
    // Unchanged, the file comes back byte for byte.
    const std::string input = Drawing(more);
    const std::string same = Write(Db());
    EXPECT_NE(same.find(more.substr(0, 40)), std::string::npos);
    EXPECT_NE(same.find("W-\\U+4E95"), std::string::npos) << "the text as spelled";
    // An attribute changed: written from the model after its reference, the
    // file's SEQEND after them.
    AcDbBlockReference* open = nullptr;
    ASSERT_EQ(acdbOpenObject(open, ByHandle(Db(), "52"), AcDb::kForRead), Acad::eOk);
    AcDbAttribute* depth = nullptr;
    ASSERT_EQ(open->openAttribute(depth, ByHandle(Db(), "54"), AcDb::kForWrite), Acad::eOk);
    depth->setTextString(L"4.25");
    depth->close();
    open->close();
    const std::string changed = Write(Db());
    const auto at = changed.find("\n52\n");
    ASSERT_NE(at, std::string::npos);
    const auto seq = changed.find("SEQEND\n5\n55\n", at);
    ASSERT_NE(seq, std::string::npos);
    EXPECT_LT(changed.find("4.25", at), seq);
    AcDbDatabase back(true, true);
    DxfReport again;
    Read(changed, &back, &again);
    EXPECT_EQ(again.kept, report.kept);
}

TEST_F(DxfBlocks, ReferenceWhoseAttributeCannotBeModelledStaysAsReadWholly) {
    const std::string seq =
        Rec("INSERT", {{5, "60"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {66, "1"},
                       {2, "WELL"}, {10, "7.0"}, {20, "8.0"}, {30, "0.0"}}) +
        Rec("ATTRIB", {{5, "61"}, {330, "60"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "7.0"},
                       {20, "8.0"}, {30, "0.0"}, {40, "0.25"}, {1, "x"}, {100, "AcDbAttribute"}, {2, "ID"},
                       {70, "0"}, {101, "Embedded Object"}, {10, "1.0"}}) +
        Rec("SEQEND", {{5, "62"}, {330, "60"}, {100, "AcDbEntity"}, {8, "0"}}) +
        // A reference to a block the file lacks, with an attribute.
        Rec("INSERT", {{5, "63"}, {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {66, "1"},
                       {2, "NOWHERE"}, {10, "7.0"}, {20, "8.0"}, {30, "0.0"}}) +
        Rec("ATTRIB", {{5, "64"}, {330, "63"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "7.0"},
                       {20, "8.0"}, {30, "0.0"}, {40, "0.25"}, {1, "y"}, {100, "AcDbAttribute"}, {2, "ID"},
                       {70, "0"}}) +
        Rec("SEQEND", {{5, "65"}, {330, "63"}, {100, "AcDbEntity"}, {8, "0"}});
    DxfReport report;
    Read(Drawing(seq), Db(), &report);
    EXPECT_EQ(report.kept["INSERT"], 2);
    EXPECT_EQ(report.kept.count("ATTRIB"), 0u);
    const std::string out = Write(Db());
    EXPECT_NE(out.find(seq), std::string::npos) << "both sequences as read";
    AcDbDatabase back(true, true);
    DxfReport again;
    Read(out, &back, &again);
    EXPECT_EQ(again.kept, report.kept);
    EXPECT_EQ(Write(&back), out);
}

// A point with an extension dictionary holding an xrecord and a filter
// dictionary the host does not model.
std::string XdictDrawing(const std::string& xrecordData) {
    const std::string point = Rec(
        "POINT", {{5, "70"}, {102, "{ACAD_XDICTIONARY"}, {360, "71"}, {102, "}"}, {330, "2"}, {100, "AcDbEntity"},
                  {8, "0"}, {100, "AcDbPoint"}, {10, "9.0"}, {20, "9.0"}, {30, "0.0"}});
    const std::string objects =
        Rec("DICTIONARY", {{5, "71"}, {102, "{ACAD_REACTORS"}, {330, "70"}, {102, "}"}, {330, "70"},
                           {100, "AcDbDictionary"}, {280, "1"}, {281, "1"}, {3, "SURVEY"}, {360, "72"},
                           {3, "ACAD_FILTER"}, {360, "73"}}) +
        Rec("XRECORD", {{5, "72"}, {102, "{ACAD_REACTORS"}, {330, "71"}, {102, "}"}, {330, "71"},
                        {100, "AcDbXrecord"}, {280, "1"}}) +
        xrecordData +
        Rec("DICTIONARY", {{5, "73"}, {330, "71"}, {100, "AcDbDictionary"}, {281, "1"}});
    return Drawing(point, objects);
}

TEST_F(DxfBlocks, XrecordsOfExtensionDictionariesAreModelledAndWrittenBack) {
    const std::string data = "  1\nstation 4\n 40\n2.5\n 10\n1.0\n 20\n2.0\n 30\n3.0\n 70\n4\n 90\n70000\n330\n70\n";
    DxfReport report;
    Read(XdictDrawing(data), Db(), &report);
    EXPECT_EQ(report.kept.count("XRECORD"), 0u);
    EXPECT_EQ(report.kept["DICTIONARY"], 1) << "the filter dictionary";
    const AcDbObjectId point = ByHandle(Db(), "70");
    AcDbObjectId xd;
    {
        Reading<AcDbEntity> p(point);
        ASSERT_NE(p.get(), nullptr);
        xd = p->extensionDictionary();
    }
    ASSERT_FALSE(xd.isNull());
    EXPECT_EQ(H(xd), " #71");
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(acdbOpenObject(dict, xd, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(dict->ownerId(), point);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(dict->getAt(L"SURVEY", obj, AcDb::kForWrite), Acad::eOk);
    dict->close();
    auto* x = AcDbXrecord::cast(obj);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->mergeStyle(), AcDb::kDrcIgnore);
    resbuf* list = nullptr;
    ASSERT_EQ(x->rbChain(&list), Acad::eOk);
    std::vector<int> codes;
    for (const resbuf* rb = list; rb; rb = rb->rbnext) codes.push_back(rb->restype);
    ASSERT_EQ(codes, (std::vector<int>{1, 40, 10, 70, 90, 330}));
    EXPECT_STREQ(list->resval.rstring, L"station 4");
    EXPECT_EQ(list->rbnext->rbnext->resval.rpoint[2], 3.0);
    EXPECT_EQ(list->rbnext->rbnext->rbnext->rbnext->resval.rlong, 70000);
    AcDbObjectId target;
    ASSERT_EQ(acdbGetObjectId(target, list->rbnext->rbnext->rbnext->rbnext->rbnext->resval.rlname), Acad::eOk);
    EXPECT_EQ(target, point) << "a handle becomes the name of its object";
    acutRelRb(list);
    // Unchanged: the same file; changed: the new data, the filter entry
    // still in its place after it.
    const std::string input = XdictDrawing(data);
    EXPECT_EQ(Write(Db()).find(data) != std::string::npos, true);
    resbuf* fresh = acutBuildList(1, L"station 5", 0);
    ASSERT_EQ(x->setFromRbChain(*fresh), Acad::eOk);
    acutRelRb(fresh);
    x->setMergeStyle(AcDb::kDrcReplace);
    x->close();
    const std::string out = Write(Db());
    EXPECT_NE(out.find("AcDbXrecord\n280\n2\n  1\nstation 5\n"), std::string::npos) << out;
    EXPECT_LT(out.find("SURVEY"), out.find("ACAD_FILTER"));
    AcDbDatabase back(true, true);
    DxfReport again;
    Read(out, &back, &again);
    EXPECT_EQ(again.kept, report.kept);
}

TEST_F(DxfBlocks, XrecordThatWouldNotComeBackTheSameIsKeptAsRead) {
    struct Case {
        const char* what;
        const char* data;
    };
    const Case cases[] = {
        {"a point without its Z", " 10\n1.0\n 20\n2.0\n 70\n1\n"},
        {"a handle to no object of the host", "340\nABCD\n"},
        {"a number that is none", " 40\nabc\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AcDbDatabase db(true, true);
        DxfReport report;
        Read(XdictDrawing(c.data), &db, &report);
        EXPECT_EQ(report.kept["XRECORD"], 1);
        EXPECT_NE(Write(&db).find(c.data), std::string::npos) << "as read";
    }
}

TEST_F(DxfBlocks, ExtensionDictionaryOfANewEntityIsWrittenAndErasedOwnersTakeTheirsAlong) {
    Read(XdictDrawing(" 70\n1\n"), Db());
    // A new line with an extension dictionary and an xrecord in it.
    const AcDbObjectId line = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(l->createExtensionDictionary(), Acad::eOk);
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(acdbOpenObject(dict, l->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
    l->close();
    auto* x = new AcDbXrecord;
    resbuf* data = acutBuildList(1, L"new", 0);
    ASSERT_EQ(x->setFromRbChain(*data), Acad::eOk);
    acutRelRb(data);
    AcDbObjectId xid;
    ASSERT_EQ(dict->setAt(L"MINE", x, xid), Acad::eOk);
    x->close();
    dict->close();
    // The point erased: its dictionary and xrecord go with it.
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, ByHandle(Db(), "70"), AcDb::kForWrite), Acad::eOk);
    p->erase();
    p->close();
    const std::string out = Write(Db());
    AcDbDatabase back(true, true);
    Read(out, &back);
    AcDbObjectId entry;
    {
        Reading<AcDbEntity> copy(AcDbObjectId::fromParts(back.serial(), static_cast<Adesk::UInt32>(line.handle())));
        ASSERT_NE(copy.get(), nullptr);
        Reading<AcDbDictionary> again(copy->extensionDictionary());
        ASSERT_NE(again.get(), nullptr);
        EXPECT_EQ(again->getAt(L"MINE", entry), Acad::eOk);
    }
    EXPECT_NE(Reading<AcDbXrecord>(entry).get(), nullptr);
    EXPECT_EQ(out.find("DICTIONARY\n5\n71\n"), std::string::npos) << "the erased point's dictionary is not written";
    EXPECT_EQ(out.find("DICTIONARY\n5\n73\n"), std::string::npos) << "nor what that dictionary holds";
    EXPECT_EQ(out.find("SURVEY"), std::string::npos);
}

}  // namespace
