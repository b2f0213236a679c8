// Data node files: exact bytes, replace and append rules, failures that must
// leave the old file intact, and hostile files.
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <random>

#include "data/data_test_support.h"
#include "data/record_codec.h"
#include "drovik/drovik.h"

namespace {

CDataNode IntNode(unsigned short index, int value) {
    CDataNode node(0x10000UL | index);
    node.SetValue(value);
    return node;
}

CDataNode TextNode(unsigned short index, const wchar_t* text) {
    CDataNode node(0x40000UL | index);
    node.SetValue(CString(text));
    return node;
}

Bytes Header(int version, int count) {
    auto le = [](int v) {
        const auto u = static_cast<unsigned>(v);
        return Bytes{static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u >> 16),
                     static_cast<unsigned char>(u >> 24)};
    };
    return Concat({le(version), le(count)});
}

Bytes IntRecord(unsigned char index, unsigned char value) { return {index, 0, 1, 0, value, 0, 0, 0}; }

// Every record of a data node file, in file order, as the file holds them.
std::vector<CDataNode> Records(const CString& name) {
    CFile file(name, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    int version = 0, count = 0;
    ar >> version >> count;
    EXPECT_EQ(version, 1);
    std::vector<CDataNode> records(static_cast<std::size_t>(count));
    for (CDataNode& r : records) r.Serialize(ar);
    EXPECT_TRUE(ar.IsBufferEmpty() && ar.Read(&version, 1) == 0) << "bytes after the last record";
    return records;
}

// "index:value" of each record, for compact comparisons.
std::vector<std::string> Summary(const CString& name) {
    std::vector<std::string> out;
    for (const CDataNode& r : Records(name)) out.push_back(std::to_string(r.m_Index) + ":" + host::WideToUtf8(r.Format().str()));
    return out;
}

void AddNode(CDataNodeArray& arr, CDataNode node) { arr.Add(node); }

TEST(DataNodeFile, NewFileHoldsExactlyTheRecord) {
    TempDir dir;
    CDataNode node = IntNode(7, 5);
    ASSERT_EQ(SornWriteDataNode(node, dir.name("a.dat")), 1);
    EXPECT_EQ(ReadBytes(dir.file("a.dat")),
              (Bytes{0x01, 0, 0, 0, 0x01, 0, 0, 0, 0x07, 0, 0x01, 0, 0x05, 0, 0, 0}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.dat"});
}

TEST(DataNodeFile, SingleWriteReplacesInPlaceOrAppends) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    CDataNodeArray arr;
    AddNode(arr, IntNode(1, 10));
    AddNode(arr, IntNode(2, 20));
    AddNode(arr, IntNode(2, 21));  // a duplicate already in the file: only the first is replaced
    ASSERT_EQ(SornWriteDataNode(arr, name), 1);

    CDataNode text = TextNode(2, L"二");  // same index, other type: the whole record changes
    ASSERT_EQ(SornWriteDataNode(text, name), 1);
    EXPECT_EQ(Summary(name), (std::vector<std::string>{"1:10", "2:二", "2:21"}));
    CDataNode fresh = IntNode(9, 90);
    ASSERT_EQ(SornWriteDataNode(fresh, name), 1);
    EXPECT_EQ(Summary(name), (std::vector<std::string>{"1:10", "2:二", "2:21", "9:90"}));
}

TEST(DataNodeFile, ArrayWriteSearchesOnlyTheOldRecords) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    CDataNodeArray old;
    AddNode(old, IntNode(1, 1));
    AddNode(old, IntNode(2, 2));
    ASSERT_EQ(SornWriteDataNode(old, name), 1);

    CDataNodeArray arr;
    AddNode(arr, IntNode(2, 20));
    AddNode(arr, IntNode(3, 30));
    AddNode(arr, IntNode(3, 31));  // new index twice: both appended
    AddNode(arr, IntNode(2, 22));  // index in the file twice: the later wins
    ASSERT_EQ(SornWriteDataNode(arr, name), 1);
    EXPECT_EQ(Summary(name), (std::vector<std::string>{"1:1", "2:22", "3:30", "3:31"}));
}

TEST(DataNodeFile, RoundTripOfEveryTypeThroughFiles) {
    TempDir dir;
    const CString name = dir.name("道路.dat");  // a non-ASCII file name, too
    CDataNodeArray arr;
    AddNode(arr, IntNode(1, -123456));
    CDataNode real(0x20002);
    real.SetValue(-1.0e-300);
    AddNode(arr, real);
    AddNode(arr, TextNode(3, L"中文 K0+050 \U0001F600"));
    AddNode(arr, TextNode(4, L""));
    ASSERT_EQ(SornWriteDataNode(arr, name), 1);

    CDataNodeArray back;
    for (unsigned short index : {4, 3, 2, 1}) {
        CDataNode want;
        want.m_Index = index;
        AddNode(back, want);
    }
    ASSERT_EQ(SornReadDataNode(back, name), 1);
    EXPECT_EQ(back[0].GetType(), 4);
    EXPECT_EQ(back[0].GetString(), L"");
    EXPECT_EQ(back[1].GetString(), L"中文 K0+050 \U0001F600");
    EXPECT_EQ(back[2].GetDouble(), -1.0e-300);
    EXPECT_EQ(back[3].GetInt(), -123456);
}

TEST(DataNodeFile, SingleReadCopiesTheWholeFirstRecord) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    CDataNodeArray arr;
    AddNode(arr, IntNode(5, 50));
    AddNode(arr, TextNode(6, L"six"));
    AddNode(arr, IntNode(6, 66));
    ASSERT_EQ(SornWriteDataNode(arr, name), 1);

    CDataNode node = IntNode(6, 1);
    node.SetValue(3.5);
    ASSERT_EQ(SornReadDataNode(node, name), 1);
    EXPECT_EQ(node.GetType(), 4);
    EXPECT_EQ(node.GetString(), L"six");
    EXPECT_EQ(node.GetInt(), 0);  // the other values come from a fresh node
    EXPECT_EQ(node.GetDouble(), 0.0);

    CDataNode absent = IntNode(8, 80);
    EXPECT_EQ(SornReadDataNode(absent, name), 0);
    EXPECT_EQ(absent.GetInt(), 80);
    EXPECT_EQ(absent.GetType(), 1);
}

TEST(DataNodeFile, ArrayReadCountsMatchesPerRecord) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    WriteBytes(dir.file("a.dat"), Concat({Header(1, 3), IntRecord(1, 11), IntRecord(2, 22), IntRecord(1, 12)}));

    CDataNodeArray empty;
    EXPECT_EQ(SornReadDataNode(empty, name), 1);

    CDataNodeArray two;  // index 1 is in the file twice: 3 matches for 2 elements
    AddNode(two, IntNode(1, 0));
    AddNode(two, IntNode(2, 0));
    EXPECT_EQ(SornReadDataNode(two, name), 0);
    EXPECT_EQ(two[0].GetInt(), 12);  // the later record overwrote the earlier
    EXPECT_EQ(two[1].GetInt(), 22);

    CDataNodeArray dup;  // an index twice in the array: only the first is filled
    AddNode(dup, IntNode(2, 0));
    AddNode(dup, IntNode(2, -1));
    EXPECT_EQ(SornReadDataNode(dup, name), 0);
    EXPECT_EQ(dup[0].GetInt(), 22);
    EXPECT_EQ(dup[1].GetInt(), -1);

    CDataNodeArray partial;
    AddNode(partial, IntNode(2, 0));
    AddNode(partial, IntNode(3, -3));
    EXPECT_EQ(SornReadDataNode(partial, name), 0);
    EXPECT_EQ(partial[0].GetInt(), 22);
    EXPECT_EQ(partial[1].GetInt(), -3);

    CDataNodeArray one;
    AddNode(one, IntNode(2, 0));
    EXPECT_EQ(SornReadDataNode(one, name), 1);
}

TEST(DataNodeFile, UnusableFilesAnswerZeroAndStayUntouched) {
    TempDir dir;
    const Bytes version2 = Concat({Header(2, 1), IntRecord(7, 5)});
    WriteBytes(dir.file("v2.dat"), version2);
    CDataNode node = IntNode(7, 1);
    CDataNodeArray arr;
    AddNode(arr, IntNode(7, 1));
    EXPECT_EQ(SornWriteDataNode(node, dir.name("v2.dat")), 0);
    EXPECT_EQ(SornWriteDataNode(arr, dir.name("v2.dat")), 0);
    EXPECT_EQ(SornReadDataNode(node, dir.name("v2.dat")), 0);
    EXPECT_EQ(SornReadDataNode(arr, dir.name("v2.dat")), 0);
    EXPECT_EQ(ReadBytes(dir.file("v2.dat")), version2);
    EXPECT_EQ(node.GetInt(), 1);

    // Missing file: readers answer 0; a folder is not a file; a missing folder cannot be written.
    EXPECT_EQ(SornReadDataNode(node, dir.name("missing.dat")), 0);
    EXPECT_EQ(SornReadDataNode(arr, dir.name("missing.dat")), 0);
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(SornWriteDataNode(node, dir.name("folder")), 0);
    EXPECT_EQ(SornReadDataNode(node, dir.name("folder")), 0);
    EXPECT_EQ(SornWriteDataNode(node, dir.name("no/such/a.dat")), 0);
    EXPECT_EQ(SornWriteDataNode(node, CString()), 0);
    EXPECT_EQ(SornWriteDataNode(arr, CString()), 0);
    EXPECT_EQ(SornReadDataNode(node, CString()), 0);
    EXPECT_EQ(SornReadDataNode(arr, CString()), 0);
    EXPECT_EQ(dir.entries().size(), 2u);  // v2.dat and the folder: nothing created, no temporary files
}

TEST(DataNodeFile, ShortOrHostileFilesThrowEndOfFileAndStayUntouched) {
    const std::pair<const char*, Bytes> files[] = {
        {"empty existing file", {}},
        {"header cut short", {1, 0, 0, 0, 1, 0}},
        {"fewer records than counted", Concat({Header(1, 3), IntRecord(1, 1)})},
        {"count far beyond the file", Concat({Header(1, INT_MAX), IntRecord(1, 1)})},
        {"32-bit text length far beyond the file",
         Concat({Header(1, 1), {1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0x7F, 'a', 0}})},
        {"64-bit text length far beyond the file",
         Concat({Header(1, 1), {1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                 {0, 0, 0, 0, 0, 0, 0, 0x40}})},
        {"narrow text length beyond the file", Concat({Header(1, 1), {1, 0, 4, 0, 0xFF, 0xFD, 0xFF, 'a'}})},
    };
    for (const auto& [what, bytes] : files) {
        TempDir dir;
        const CString name = dir.name("a.dat");
        WriteBytes(dir.file("a.dat"), bytes);
        CDataNode node = IntNode(9, 1);
        CDataNodeArray arr;
        AddNode(arr, IntNode(9, 1));
        EXPECT_EQ(ArchiveCause([&] { SornWriteDataNode(node, name); }), CArchiveException::endOfFile) << what;
        EXPECT_EQ(ArchiveCause([&] { SornWriteDataNode(arr, name); }), CArchiveException::endOfFile) << what;
        EXPECT_EQ(ArchiveCause([&] { SornReadDataNode(node, name); }), CArchiveException::endOfFile) << what;
        EXPECT_EQ(ArchiveCause([&] { SornReadDataNode(arr, name); }), CArchiveException::endOfFile) << what;
        EXPECT_EQ(ReadBytes(dir.file("a.dat")), bytes) << what;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.dat"}) << what;
    }
}

TEST(DataNodeFile, NegativeCountMeansNoRecords) {
    TempDir dir;
    WriteBytes(dir.file("a.dat"), Concat({Header(1, -4), IntRecord(3, 3)}));
    CDataNode node = IntNode(3, 0);
    EXPECT_EQ(SornReadDataNode(node, dir.name("a.dat")), 0);
    ASSERT_EQ(SornWriteDataNode(node, dir.name("a.dat")), 1);
    EXPECT_EQ(Summary(dir.name("a.dat")), std::vector<std::string>{"3:0"});
}

// A disk that fills up while the new file is written must not cost the old one.
TEST(DataNodeFile, WriteFailingHalfWayKeepsTheOldFile) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    CDataNodeArray old;
    for (int i = 0; i < 2000; ++i) AddNode(old, IntNode(static_cast<unsigned short>(i), i));
    ASSERT_EQ(SornWriteDataNode(old, name), 1);
    const Bytes before = ReadBytes(dir.file("a.dat"));

    for (ULONGLONG budget : {0ULL, 7ULL, 8ULL, 4096ULL, 9000ULL, before.size() - 1ULL}) {
        CDataNode node = TextNode(5000, L"新的");
        host::SetFileWriteBudget(budget);
        int cause = -1;
        try {
            SornWriteDataNode(node, name);
        } catch (CFileException* e) {
            cause = e->m_cause;
            e->Delete();
        }
        host::ClearFileWriteBudget();
        EXPECT_EQ(cause, CFileException::diskFull) << budget;
        EXPECT_EQ(ReadBytes(dir.file("a.dat")), before) << budget;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.dat"}) << budget;
    }
}

#if defined(__linux__)
std::size_t OpenDescriptors() {
    const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}
#endif

// Each write closes the files it opened, the replaced one too, before it
// returns: a burst of writes to several files leaves none open (on Windows,
// an open file could not be removed).
TEST(DataNodeFile, ReplacedFilesAreAllClosed) {
    TempDir dir;
#if defined(__linux__)
    const std::size_t before = OpenDescriptors();
#endif
    CDataNodeArray arr;
    for (int i = 0; i < 40000; ++i) AddNode(arr, IntNode(static_cast<unsigned short>(i), i));  // 320 KB
    for (int round = 0; round < 12; ++round) {
        const CString name = dir.name("f" + std::to_string(round % 3) + ".dat");
        arr[0].SetValue(round);
        ASSERT_EQ(SornWriteDataNode(arr, name), 1) << round;
        CDataNode first(0x10000);
        ASSERT_EQ(SornReadDataNode(first, name), 1);
        EXPECT_EQ(first.GetInt(), round);  // the new contents, at once
    }
#if defined(__linux__)
    EXPECT_EQ(OpenDescriptors(), before);
#endif
    for (const char* name : {"f0.dat", "f1.dat", "f2.dat"}) {
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::remove(dir.file(name), ec)) << name << ": " << ec.message();
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(DataNodeFile, ReplacementKeepsPermissionsAndSymbolicLinks) {
#if defined(_WIN32)
    GTEST_SKIP() << "POSIX permission bits and symbolic links: Windows has neither in this form";
#else
    TempDir dir;
    CDataNode node = IntNode(1, 1);
    ASSERT_EQ(SornWriteDataNode(node, dir.name("a.dat")), 1);
    ASSERT_EQ(::chmod(dir.file("a.dat").c_str(), 0640), 0);
    std::filesystem::create_symlink("a.dat", dir.file("link.dat"));

    CDataNode other = IntNode(2, 2);
    ASSERT_EQ(SornWriteDataNode(other, dir.name("link.dat")), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dat")));
    EXPECT_EQ(Summary(dir.name("a.dat")), (std::vector<std::string>{"1:1", "2:2"}));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("a.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(PrintDataNode, AppendsUtf8DumpToAnExistingFile) {
    TempDir dir;
    WriteBytes(dir.file("dump.txt"), {'x'});
    CDataNodeArray arr;
    AddNode(arr, TextNode(3, L"中"));
    CDataNode real(0x20004);
    real.SetValue(0.5);
    AddNode(arr, real);
    PrintDataNode(arr, dir.name("dump.txt"));
    const std::string expected =
        "x\n====================================\n"
        "m_Index = 3, m_Type = 4\nValue = 0, 0.000, \xE4\xB8\xAD\n"
        "m_Index = 4, m_Type = 2\nValue = 0, 0.500, \n";
    EXPECT_EQ(ReadBytes(dir.file("dump.txt")), Bytes(expected.begin(), expected.end()));

    PrintDataNode(arr, dir.name("missing.txt"));
    PrintDataNode(arr, CString());
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.txt")));
}

}  // namespace

namespace {

// The rules in their plain form: a list of records, searched linearly.
void ModelWrite(std::vector<CDataNode>& file, const std::vector<CDataNode>& nodes) {
    const std::size_t oldCount = file.size();
    for (const CDataNode& node : nodes) {
        std::size_t at = 0;
        while (at < oldCount && file[at].m_Index != node.m_Index) ++at;
        if (at < oldCount)
            file[at] = node;
        else
            file.push_back(node);
    }
}

CDataNode RandomNode(std::mt19937& rng, unsigned short indexRange) {
    CDataNode node;
    node.m_Index = static_cast<unsigned short>(rng() % indexRange);
    const unsigned short types[] = {1, 2, 4, 4, 0};
    node.m_Type = types[rng() % 5];
    node.m_nValue = static_cast<int>(rng());
    node.m_dValue = static_cast<double>(rng()) / 7.0;
    std::wstring text;
    const wchar_t* const alphabet[] = {L"a", L"中", L"\U0001F600", L" ", L"é"};
    for (std::size_t k = rng() % 300; k > 0; --k) text += alphabet[rng() % 5];
    node.m_strValue = CString(text);
    // Only the value of the type is stored: a model node keeps just that one.
    if (node.m_Type != 1) node.m_nValue = 0;
    if (node.m_Type != 2) node.m_dValue = 0.0;
    if (node.m_Type == 1 || node.m_Type == 2) node.m_strValue.Empty();
    return node;
}

// Many rounds of random writes, with repeated indices, across the stream's
// buffer edges: the file must hold what the plain rules give, and reading
// the array back must agree with it.
TEST(DataNodeFile, RandomWritesFollowThePlainRules) {
    TempDir dir;
    const CString name = dir.name("a.dat");
    std::mt19937 rng(20261206);
    std::vector<CDataNode> model;
    for (int round = 0; round < 12; ++round) {
        const std::size_t count = round % 4 == 0 ? 1 : rng() % 3000;
        const unsigned short indexRange = round < 6 ? 2000 : 60000;
        std::vector<CDataNode> nodes;
        CDataNodeArray arr;
        for (std::size_t i = 0; i < count; ++i) {
            nodes.push_back(RandomNode(rng, indexRange));
            if (round == 5 && i == count / 2) {
                // A record larger than any buffer: encoded, then copied in the rounds after.
                nodes.back().m_Type = 4;
                nodes.back().m_strValue = CString(std::wstring(data_detail::RecordStream::kBufferSize / 2 + 999, L'长'));
            }
            arr.Add(nodes.back());
        }
        ASSERT_EQ(count == 1 ? SornWriteDataNode(arr[0], name) : SornWriteDataNode(arr, name), 1) << round;
        ModelWrite(model, nodes);
        const std::vector<CDataNode> records = Records(name);
        ASSERT_EQ(records.size(), model.size()) << round;
        for (std::size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(records[i].MakeIndex(), model[i].MakeIndex()) << round << " " << i;
            ASSERT_EQ(records[i].GetInt(), model[i].GetInt()) << round << " " << i;
            ASSERT_EQ(records[i].GetDouble(), model[i].GetDouble()) << round << " " << i;
            ASSERT_EQ(records[i].GetString(), model[i].GetString()) << round << " " << i;
        }
    }
    // Reading back: each element gets the last record with its index, and the
    // answer counts every record that found an element.
    CDataNodeArray back;
    for (unsigned short index : {model.front().m_Index, model.back().m_Index, static_cast<unsigned short>(65535)}) {
        CDataNode want;
        want.m_Index = index;
        back.Add(want);
    }
    long long matches = 0;
    std::vector<const CDataNode*> last(3, nullptr);
    for (const CDataNode& r : model) {
        for (int e = 0; e < 3; ++e) {
            if (back[e].m_Index != r.m_Index) continue;
            last[static_cast<std::size_t>(e)] = &r;
            ++matches;
            break;
        }
    }
    EXPECT_EQ(SornReadDataNode(back, name), matches == 3 ? 1 : 0);
    for (int e = 0; e < 3; ++e) {
        const CDataNode* want = last[static_cast<std::size_t>(e)];
        if (!want) continue;
        EXPECT_EQ(back[e].MakeIndex(), want->MakeIndex());
        EXPECT_EQ(back[e].GetString(), want->GetString());
        EXPECT_EQ(back[e].GetInt(), want->GetInt());
    }
}

}  // namespace
