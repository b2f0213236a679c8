// Data node files on both platforms: text beyond the basic plane stored as
// UTF-16 byte for byte like the Linux build's file, and file names in Chinese.
#include <filesystem>

#include "data/data_test_support.h"
#include "data/replace_file.h"
#include "drovik/drovik.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;

CDataNode Make(unsigned short index, unsigned short type) {
    CDataNode node;
    node.m_Index = index;
    node.m_Type = type;
    return node;
}

std::wstring Repeat(const std::wstring& piece, int n) {
    std::wstring text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
}

// The nodes of tests/data/fixtures/beyond_basic_plane.dat (made from the
// file format alone by make_beyond_basic_plane.py, and what the Linux
// build writes).
CDataNodeArray FixtureNodes() {
    CDataNodeArray nodes;
    CDataNode n = Make(1, CDataNode::typeInt);
    n.SetValue(5);
    nodes.Add(n);
    n = Make(2, CDataNode::typeDouble);
    n.SetValue(2.5);
    nodes.Add(n);
    n = Make(3, CDataNode::typeString);
    n.SetValue(CString(L"中文 K0+050 \U0001F600"));
    nodes.Add(n);
    n = Make(4, CDataNode::typeString);
    n.SetValue(CString(Repeat(L"\U00020BB7", 200)));
    nodes.Add(n);
    n = Make(5, CDataNode::typeString);
    n.SetValue(CString(L"道路\U0001F600x\U0010FFFF"));
    nodes.Add(n);
    return nodes;
}

Bytes Fixture() { return ReadBytes(fs::path(DROVIK_TEST_DATA_DIR) / "fixtures" / "beyond_basic_plane.dat"); }

// Broke with a 16-bit wchar_t: the writer took each half of a surrogate pair
// for a character of its own and stored U+FFFD twice, so the file differed
// from the Linux build's and the character was lost.
TEST(DataNodePlatform, TextBeyondTheBasicPlaneIsWrittenAsTheLinuxBuildWritesIt) {
    const Bytes expected = Fixture();
    ASSERT_EQ(expected.size(), 892u) << "fixture missing or changed";
    TempDir dir;
    CDataNodeArray nodes = FixtureNodes();
    ASSERT_EQ(SornWriteDataNode(nodes, dir.name("new.dat")), 1);
    EXPECT_EQ(ReadBytes(dir.file("new.dat")), expected);
    // Replacing the records of an existing file gives the same bytes.
    WriteBytes(dir.file("old.dat"), expected);
    ASSERT_EQ(SornWriteDataNode(nodes, dir.name("old.dat")), 1);
    EXPECT_EQ(ReadBytes(dir.file("old.dat")), expected);
}

// Broke with a 16-bit wchar_t: the reader combined a surrogate pair into one
// wchar_t of 0x10000 or more, which 16 bits cut to another character.
TEST(DataNodePlatform, TextBeyondTheBasicPlaneIsReadBackWhole) {
    TempDir dir;
    WriteBytes(dir.file("f.dat"), Fixture());
    const CDataNodeArray expected = FixtureNodes();
    CDataNodeArray read;
    for (INT_PTR i = 0; i < expected.GetSize(); ++i) {
        CDataNode probe = Make(expected[i].m_Index, 0);
        read.Add(probe);
    }
    ASSERT_EQ(SornReadDataNode(read, dir.name("f.dat")), 1);
    for (INT_PTR i = 0; i < expected.GetSize(); ++i) {
        EXPECT_EQ(read[i].m_Type, expected[i].m_Type) << i;
        EXPECT_EQ(read[i].GetString(), expected[i].GetString()) << i;
        EXPECT_EQ(read[i].GetInt(), expected[i].GetInt()) << i;
        EXPECT_EQ(read[i].GetDouble(), expected[i].GetDouble()) << i;
    }
    // 200 characters beyond the plane: 200 wide characters on Linux, 400
    // (surrogate pairs) on Windows; always 400 UTF-16 units in the file.
    EXPECT_EQ(static_cast<std::size_t>(read[3].GetString().GetLength()), sizeof(wchar_t) == 2 ? 400u : 200u);
    EXPECT_EQ(host::Utf16Length(read[3].GetString().str()), 400u);
}

// Broke on Windows: names went to the file system as UTF-8 through the
// narrow (code page) functions, and the temporary file was looked for beside
// '/' only, so files in folders named in Chinese could not be written.
TEST(DataNodePlatform, FilesInFoldersWithChineseNames) {
    TempDir dir;
    const CString folder = dir.name("数据 文件夹");
    ASSERT_TRUE(fs::create_directory(NativePath(folder)));
    const CString file = folder + L"/道路桩号.dat";
    CDataNodeArray nodes = FixtureNodes();
    ASSERT_EQ(SornWriteDataNode(nodes, file), 1);
    EXPECT_TRUE(fs::exists(NativePath(file)));
    EXPECT_EQ(ReadBytes(NativePath(file)), Fixture());
    CDataNode text = Make(3, 0);
    ASSERT_EQ(SornReadDataNode(text, file), 1);
    EXPECT_EQ(text.GetString(), CString(L"中文 K0+050 \U0001F600"));
    // A second write replaces the file; nothing else is left in the folder.
    CDataNode one = Make(3, CDataNode::typeInt);
    one.SetValue(7);
    ASSERT_EQ(SornWriteDataNode(one, file), 1);
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(NativePath(folder))) entries += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 1u);
    // The text dump appends to an existing file of that folder.
    const CString dump = folder + L"/输出.txt";
    WriteBytes(NativePath(dump), Bytes{'x'});
    PrintDataNode(nodes, dump);
    EXPECT_GT(ReadBytes(NativePath(dump)).size(), 40u);
}

}  // namespace

namespace {
// Broke on Windows: the temporary file was put beside the last '/' only, so
// for a name with backslashes it landed in the working folder, where the
// rename over the target could cross volumes or fail.
TEST(DataNodePlatform, TemporaryFileSitsInTheTargetsFolder) {
    struct Case {
        const wchar_t* target;
        const wchar_t* folder;
    };
    const Case cases[] = {{L"/数据/a.dat", L"/数据/"}, {L"a.dat", L""},
#if defined(_WIN32)
                          {L"C:\\数据\\a.dat", L"C:\\数据\\"}, {L"C:\\x/y\\a.dat", L"C:\\x/y\\"}
#endif
    };
    for (const Case& c : cases) {
        const CString name = data_detail::TemporaryNameBeside(c.target);
        const CString folder(c.folder);
        EXPECT_EQ(name.Left(folder.GetLength()), folder) << Show(c.target);
        const CString rest = name.Mid(folder.GetLength());
        EXPECT_EQ(rest.FindOneOf(L"/\\"), -1) << Show(name.GetString());
        EXPECT_EQ(rest.Right(4), CString(L".tmp"));
    }
}
}  // namespace
