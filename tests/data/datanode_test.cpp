// CDataNode: combined index, text conversions, archive records, run-time class.

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/data_test_support.h"
#include "data/registration.h"
#include "drovik/drovik.h"
#include "native.h"

namespace {

CDataNode Node(unsigned short index, unsigned short type) {
    CDataNode node;
    node.m_Index = index;
    node.m_Type = type;
    return node;
}

// The bytes a node's Serialize stores.
Bytes Stored(CDataNode& node) {
    TempDir dir;
    {
        CFile file(dir.name("node.bin"), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        node.Serialize(ar);
        ar.Close();
        file.Close();
    }
    return ReadBytes(dir.file("node.bin"));
}

// Loads a node (starting from `into`) from raw record bytes.
CDataNode Loaded(const Bytes& bytes, CDataNode into = CDataNode()) {
    TempDir dir;
    WriteBytes(dir.file("node.bin"), bytes);
    CFile file(dir.name("node.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    into.Serialize(ar);
    return into;
}

TEST(CDataNode, CombinedIndexAcceptsOnlyUsableTypes) {
    struct Case {
        unsigned long combined;
        unsigned short index, type;
    };
    const Case cases[] = {{131079, 7, 2},          {0x10000 | 0xFFFF, 0xFFFF, 1}, {0x40000, 0, 4},
                          {196615, 0, 0} /*type 3*/, {7, 0, 0} /*type 0*/,     {0x80007, 0, 0},
#if ULONG_MAX > 0xFFFFFFFFUL
                          // bits above the 32-bit combined value are not cut off into a usable type
                          {(1UL << 32) | 0x10007, 0, 0}
#endif
    };
    for (const Case& c : cases) {
        const CDataNode node(c.combined);
        EXPECT_EQ(node.GetIndex(), c.index) << c.combined;
        EXPECT_EQ(node.GetType(), c.type) << c.combined;
        if (c.type) {
            EXPECT_EQ(node.MakeIndex(), c.combined);
        }
    }
    CDataNode node(131079);
    node.SetValue(5);
    EXPECT_EQ(node.Initialize(196615), 0);
    EXPECT_EQ(node.MakeIndex(), 131079UL);
    EXPECT_EQ(node.Initialize(0x40009), 1);
    EXPECT_EQ(node.MakeIndex(), 0x40009UL);
    EXPECT_EQ(node.GetInt(), 5);  // Initialize leaves values alone
}

TEST(CDataNode, CopiesAllMembers) {
    CDataNode a(0x20003);
    a.SetValue(4);
    a.SetValue(2.5);
    a.SetValue(CString(L"t"));
    CDataNode b(a);
    CDataNode c;
    c = a;
    const CDataNode& alias = c;
    c = alias;  // self-assignment changes nothing
    for (const CDataNode* n : {&b, &c}) {
        EXPECT_EQ(n->MakeIndex(), 0x20003UL);
        EXPECT_EQ(n->GetInt(), 4);
        EXPECT_EQ(n->GetDouble(), 2.5);
        EXPECT_EQ(n->GetString(), L"t");
    }
}

TEST(CDataNode, VagueSetValueFollowsTheType) {
    CDataNode i(0x10001), d(0x20001), s(0x40001), none;
    EXPECT_EQ(i.VagueSetValue(L"  12abc"), 1);
    EXPECT_EQ(i.GetInt(), 12);
    EXPECT_EQ(d.VagueSetValue(L" -2.5e1x"), 1);
    EXPECT_EQ(d.GetDouble(), -25.0);
    EXPECT_EQ(s.VagueSetValue(L"  12abc"), 1);
    EXPECT_EQ(s.GetString(), L"  12abc");
    none.SetValue(3);
    EXPECT_EQ(none.VagueSetValue(L"12"), 0);
    EXPECT_EQ(none.GetInt(), 3);
    EXPECT_EQ(i.VagueSetValue(L"abc"), 1);
    EXPECT_EQ(i.GetInt(), 0);
}

TEST(CDataNode, FormatAndDebugFormat) {
    CDataNode d(0x20001), i(0x10001), s(0x40001), none;
    d.SetValue(2.0);
    i.SetValue(-5);
    s.SetValue(CString(L"中文"));
    none.SetValue(7);
    EXPECT_EQ(d.Format(), L"2.000");
    EXPECT_EQ(i.Format(), L"-5");
    EXPECT_EQ(s.Format(), L"中文");
    EXPECT_EQ(none.Format(), L"");

    CDataNode all(0x40009);
    all.SetValue(-3);
    all.SetValue(1.23456);
    all.SetValue(CString(L"x%sy"));  // a format character in the text stays text
    EXPECT_EQ(all.DebugFormat(), L"m_Index = 9, m_Type = 4\nValue = -3, 1.235, x%sy");
}

TEST(CDataNode, RecordBytes) {
    CDataNode text = Node(0x0102, 4);
    text.SetValue(CString(L"abc"));
    EXPECT_EQ(Stored(text), (Bytes{0x02, 0x01, 0x04, 0x00, 0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c', 0}));
    CDataNode empty = Node(5, 0);
    empty.SetValue(9);  // not the type's value: the (empty) text is written
    EXPECT_EQ(Stored(empty), (Bytes{0x05, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0xFF, 0x00}));
    CDataNode integer = Node(7, 1);
    integer.SetValue(-2);
    EXPECT_EQ(Stored(integer), (Bytes{7, 0, 1, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
    CDataNode real = Node(7, 2);
    real.SetValue(1.0);
    EXPECT_EQ(Stored(real), (Bytes{7, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    // Outside the basic plane: a surrogate pair, counted as two units.
    CDataNode astral = Node(1, 4);
    astral.SetValue(CString(L"中\U0001F600"));
    EXPECT_EQ(Stored(astral), (Bytes{1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 3, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}));
}

TEST(CDataNode, RoundTripOfEveryType) {
    CDataNode nodes[] = {Node(0, 1), Node(1, 1), Node(2, 2), Node(3, 2), Node(4, 4), Node(0xFFFF, 4), Node(6, 0), Node(7, 9)};
    nodes[0].SetValue(std::numeric_limits<int>::min());
    nodes[1].SetValue(std::numeric_limits<int>::max());
    nodes[2].SetValue(-0.0);
    nodes[3].SetValue(std::numeric_limits<double>::denorm_min());
    nodes[4].SetValue(CString(L"道路 K12+345.6 \U00020BB7\U0001F600"));
    nodes[5].SetValue(CString(std::wstring(70000, L'字')));  // 32-bit length form
    nodes[6].SetValue(CString(L"typeless"));
    nodes[7].SetValue(CString(L"unknown type keeps its text"));
    for (CDataNode& node : nodes) {
        const CDataNode back = Loaded(Stored(node));
        EXPECT_EQ(back.MakeIndex(), node.MakeIndex());
        if (node.m_Type == 1) {
            EXPECT_EQ(back.GetInt(), node.GetInt());
        } else if (node.m_Type == 2) {
            EXPECT_EQ(std::memcmp(&back.m_dValue, &node.m_dValue, sizeof(double)), 0);
        } else {
            EXPECT_EQ(back.GetString(), node.GetString());
        }
    }
}

TEST(CDataNode, LoadingKeepsTheOtherValues) {
    CDataNode before;
    before.SetValue(11);
    before.SetValue(2.5);
    const CDataNode back = Loaded({3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 1, 'z', 0}, before);
    EXPECT_EQ(back.GetString(), L"z");
    EXPECT_EQ(back.GetInt(), 11);
    EXPECT_EQ(back.GetDouble(), 2.5);
}

TEST(CDataNode, ShortRecordEndsTheArchive) {
    const Bytes records[] = {{}, {1, 0}, {1, 0, 1, 0, 5, 0, 0}, {1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0},
                             {1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b'}};
    for (const Bytes& bytes : records)
        EXPECT_EQ(ArchiveCause([&] { Loaded(bytes); }), CArchiveException::endOfFile) << bytes.size();
}

TEST(CDataNode, RegisteredForCreationByName) {
    CRuntimeClass* cls = CRuntimeClass::FromName("CDataNode");
    ASSERT_EQ(cls, RUNTIME_CLASS(CDataNode));
    EXPECT_EQ(cls->m_wSchema, 1u);
    EXPECT_EQ(CRuntimeClass::FromName(L"CDataNode"), cls);
    CObject* object = cls->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    ASSERT_EQ(object->GetRuntimeClass(), cls);
    EXPECT_EQ(static_cast<CDataNode*>(object)->MakeIndex(), 0UL);
    delete object;

    RegisterDataNodeClass();  // again, as the module entry does: harmless
    UnregisterDataNodeClass();
    EXPECT_EQ(CRuntimeClass::FromName("CDataNode"), nullptr);
    RegisterDataNodeClass();
    RegisterDataNodeClass();
    EXPECT_EQ(CRuntimeClass::FromName("CDataNode"), cls);
    UnregisterDataNodeClass();
    EXPECT_EQ(CRuntimeClass::FromName("CDataNode"), nullptr);  // listed once, not twice
    RegisterDataNodeClass();
}

// Archives write objects with their class and create them again by class.
TEST(CDataNode, ObjectsTravelWithTheirClass) {
    TempDir dir;
    CDataNode a = Node(1, 1), b = Node(2, 4);
    a.SetValue(7);
    b.SetValue(CString(L"b"));
    {
        CFile file(dir.name("o.bin"), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << &a << &b << &a << static_cast<CObject*>(nullptr);
    }
    const Bytes bytes = ReadBytes(dir.file("o.bin"));
    const Bytes expected = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00, 'C', 'D', 'a', 't', 'a', 'N', 'o', 'd', 'e'},
                                   {1, 0, 1, 0, 7, 0, 0, 0},          // object 2, of class 1
                                   {0x01, 0x80},                      // class 1 again: object 3
                                   {2, 0, 4, 0, 0xFF, 0xFE, 0xFF, 1, 'b', 0},
                                   {0x02, 0x00},                      // object 2 again
                                   {0x00, 0x00}});                    // null
    EXPECT_EQ(bytes, expected);

    CFile file(dir.name("o.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CDataNode *first = nullptr, *second = nullptr, *again = nullptr, *none = nullptr;
    ar >> first >> second >> again >> none;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetInt(), 7);
    EXPECT_EQ(second->GetString(), L"b");
    EXPECT_EQ(again, first);
    EXPECT_EQ(none, nullptr);
    delete first;
    delete second;
}

TEST(CDataNode, ArchivesRefuseUnknownOrForeignClasses) {
    const Bytes record = {1, 0, 1, 0, 7, 0, 0, 0};
    const std::pair<const char*, Bytes> cases[] = {
        {"unknown class", Concat({{0xFF, 0xFF, 1, 0, 5, 0, 'C', 'N', 'o', 'n', 'e'}, record})},
        {"other schema", Concat({{0xFF, 0xFF, 2, 0, 9, 0, 'C', 'D', 'a', 't', 'a', 'N', 'o', 'd', 'e'}, record})},
        {"class not derived from the one asked for", Concat({{0xFF, 0xFF, 0xFF, 0xFF, 7, 0, 'C', 'O', 'b', 'j', 'e', 'c', 't'}})},
        {"reference to nothing read", {0x05, 0x00}},
        {"class reference to nothing read", {0x03, 0x80}},
    };
    const int causes[] = {CArchiveException::badClass, CArchiveException::badSchema, CArchiveException::badClass,
                          CArchiveException::badIndex, CArchiveException::badIndex};
    int i = 0;
    for (const auto& [what, bytes] : cases) {
        TempDir dir;
        WriteBytes(dir.file("o.bin"), bytes);
        CFile file(dir.name("o.bin"), CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        CDataNode* node = nullptr;
        EXPECT_EQ(ArchiveCause([&] { ar >> node; }), causes[i++]) << what;
        EXPECT_EQ(node, nullptr) << what;
    }
}

}  // namespace

namespace {

// Loading the shared library registers its CDataNode class; unloading it
// takes the class off the list again, so no lookup ever reaches unmapped code.
// (This also fails should the library gain a unique symbol, which keeps it
// from ever unloading.)
TEST(CDataNode, SharedLibraryRegistersAndUnregistersItsClass) {
    CRuntimeClass* own = CRuntimeClass::FromName("CDataNode");
    ASSERT_EQ(own, RUNTIME_CLASS(CDataNode));
    void* library = host::native::OpenLibrary(DROVIK_SHARED_LIB);
    ASSERT_NE(library, nullptr) << host::native::LibraryError();
    CRuntimeClass* loaded = CRuntimeClass::FromName("CDataNode");
    EXPECT_NE(loaded, own);  // the library's own class object, found first
    ASSERT_NE(loaded, nullptr);
    CObject* object = loaded->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetRuntimeClass(), loaded);
    delete object;
    // The library's own writer, called through the loaded copy, replaces a file.
    using WriteOne = int (*)(CDataNode&, CString);
    auto write = reinterpret_cast<WriteOne>(
        host::native::LibrarySymbol(library, "_Z17SornWriteDataNodeR9CDataNode7CString"));
    ASSERT_NE(write, nullptr) << host::native::LibraryError();
    TempDir dir;
    CDataNodeArray large;
    for (int i = 0; i < 40000; ++i) {
        CDataNode node(0x10000UL | static_cast<unsigned short>(i));
        large.Add(node);
    }
    ASSERT_EQ(SornWriteDataNode(large, dir.name("a.dat")), 1);
    CDataNode node;
    EXPECT_EQ(write(node, dir.name("a.dat")), 1);
    EXPECT_TRUE(host::native::CloseLibrary(library));
    EXPECT_EQ(CRuntimeClass::FromName("CDataNode"), own);
}

}  // namespace
