// The host's CArchive, CFile and CStdioFile: byte layout, buffering across
// the buffer edge, ends of files, narrow text and the write-failure hook.
#include <filesystem>

#include "data/data_test_support.h"

namespace {

template <class Store>
Bytes StoredBy(Store store, int bufSize = 4096) {
    TempDir dir;
    CFile file(dir.name("a.bin"), CFile::modeCreate | CFile::modeWrite);
    {
        CArchive ar(&file, CArchive::store, bufSize);
        store(ar);
    }  // the destructor flushes
    file.Close();
    return ReadBytes(dir.file("a.bin"));
}

template <class Load>
void LoadFrom(const Bytes& bytes, Load load, int bufSize = 4096) {
    TempDir dir;
    WriteBytes(dir.file("a.bin"), bytes);
    CFile file(dir.name("a.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load, bufSize);
    load(ar);
}

// The next value of type T in the archive.
template <class T>
T Next(CArchive& ar) {
    T value{};
    ar >> value;
    return value;
}

CString LoadString(const Bytes& bytes) {
    CString s;
    LoadFrom(bytes, [&](CArchive& ar) { s = Next<CString>(ar); });
    return s;
}

TEST(CArchive, NumbersAreLittleEndian) {
    const Bytes bytes = StoredBy([](CArchive& ar) {
        ar << BYTE(0xAB) << WORD(0x1234) << int(-2) << DWORD(0x89ABCDEF) << 1.5 << LONGLONG(-1) << true;
    });
    EXPECT_EQ(bytes, (Bytes{0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xCD, 0xAB, 0x89, 0, 0, 0, 0, 0, 0,
                            0xF8, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1}));
    LoadFrom(bytes, [](CArchive& ar) {
        EXPECT_EQ(Next<BYTE>(ar), 0xAB);
        EXPECT_EQ(Next<WORD>(ar), 0x1234);
        EXPECT_EQ(Next<int>(ar), -2);
        EXPECT_EQ(Next<DWORD>(ar), 0x89ABCDEFu);
        EXPECT_EQ(Next<double>(ar), 1.5);
        EXPECT_EQ(Next<LONGLONG>(ar), -1);
        EXPECT_TRUE(Next<bool>(ar));
    });
}

TEST(CArchive, ValuesStraddlingTheBufferEdgeSurvive) {
    // 128-byte buffer and 3-, 8- and 2-byte steps: many values cross the edge.
    const int kCount = 1000;
    const Bytes bytes = StoredBy(
        [&](CArchive& ar) {
            for (int i = 0; i < kCount; ++i) ar << BYTE(i) << (i * 0.25) << WORD(i) << CString(L"ab");
        },
        128);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(kCount) * (1 + 8 + 2 + 8));
    LoadFrom(
        bytes,
        [&](CArchive& ar) {
            for (int i = 0; i < kCount; ++i) {
                ASSERT_EQ(Next<BYTE>(ar), BYTE(i)) << i;
                ASSERT_EQ(Next<double>(ar), i * 0.25) << i;
                ASSERT_EQ(Next<WORD>(ar), WORD(i)) << i;
                ASSERT_EQ(Next<CString>(ar), CString(L"ab")) << i;
            }
            EXPECT_EQ(ArchiveCause([&] { Next<BYTE>(ar); }), CArchiveException::endOfFile);
        },
        128);
}

TEST(CArchive, ReadAnswersWhatIsLeftWhileOperatorsThrow) {
    LoadFrom({1, 2, 3}, [](CArchive& ar) {
        BYTE buf[8] = {};
        EXPECT_EQ(ar.Read(buf, 2), 2u);
        EXPECT_EQ(ar.Read(buf, 8), 1u);
        EXPECT_EQ(buf[0], 3);
        EXPECT_EQ(ar.Read(buf, 8), 0u);
    });
    LoadFrom({1, 2, 3}, [](CArchive& ar) {
        EXPECT_EQ(ArchiveCause([&] { Next<int>(ar); }), CArchiveException::endOfFile);
    });
    StoredBy([](CArchive& ar) { EXPECT_EQ(ArchiveCause([&] { Next<BYTE>(ar); }), CArchiveException::writeOnly); });
    LoadFrom({1}, [](CArchive& ar) { EXPECT_EQ(ArchiveCause([&] { ar << BYTE(1); }), CArchiveException::readOnly); });
}

TEST(CArchive, StringLengthForms) {
    struct Case {
        std::size_t units;
        Bytes prefix;
    };
    const Case cases[] = {{0, {0xFF, 0xFE, 0xFF, 0x00}},
                          {254, {0xFF, 0xFE, 0xFF, 0xFE}},
                          {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
                          {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
                          {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                          {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}};
    for (const Case& c : cases) {
        const CString text(std::wstring(c.units, L'é'));
        const Bytes bytes = StoredBy([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + 2 * c.units) << c.units;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())), c.prefix) << c.units;
        EXPECT_EQ(LoadString(bytes), text) << c.units;
    }
}

TEST(CArchive, NarrowTextFromOldFiles) {
    struct Case {
        const char* what;
        Bytes bytes;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"ASCII", {3, 'a', 'b', 'c'}, L"abc"},
        {"UTF-8", {6, 0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}, L"中文"},
        {"code page 936", {4, 0xD6, 0xD0, 0xCE, 0xC4}, L"中文"},
        {"Latin-1 when neither fits", {4, 'c', 'a', 'f', 0xE9}, L"caf\u00E9"},
        {"16-bit length", Concat({{0xFF, 0xFF, 0x00}, Bytes(255, 'z')}), nullptr},
        // A wide string whose units hold a lone surrogate reads as U+FFFD.
        {"lone surrogate", {0xFF, 0xFE, 0xFF, 2, 0x00, 0xD8, 'a', 0}, L"\uFFFDa"},
    };
    for (const Case& c : cases) {
        const CString expected = c.text ? CString(c.text) : CString(std::wstring(255, L'z'));
        EXPECT_EQ(LoadString(c.bytes), expected) << c.what;
    }
    EXPECT_EQ(host::NarrowArchiveTextToWide(""), L"");
}

TEST(CFile, OpenFailuresAndTheThrowingConstructor) {
    TempDir dir;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(dir.name("missing"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.Open(dir.name(""), CFile::modeRead, &error));  // the folder itself
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(dir.name("missing"), CFile::modeWrite, &error));  // no modeCreate: must exist
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    int cause = -1;
    try {
        CFile thrown(dir.name("missing"), CFile::modeRead);
    } catch (CFileException* e) {
        cause = e->m_cause;
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        wchar_t message[256];
        EXPECT_TRUE(e->GetErrorMessage(message, 256));
        EXPECT_NE(CString(message).Find(L"file not found"), -1);
        e->Delete();
    }
    EXPECT_EQ(cause, CFileException::fileNotFound);
}

TEST(CFile, SeekLengthAndNoTruncate) {
    TempDir dir;
    WriteBytes(dir.file("a.bin"), {1, 2, 3, 4, 5});
    CFile file(dir.name("a.bin"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    EXPECT_EQ(file.GetLength(), 5u);
    EXPECT_EQ(file.Seek(-2, CFile::end), 3u);
    const BYTE more[] = {9, 9, 9};
    file.Write(more, 3);
    EXPECT_EQ(file.GetPosition(), 6u);
    file.Close();
    EXPECT_EQ(ReadBytes(dir.file("a.bin")), (Bytes{1, 2, 3, 9, 9, 9}));
}

TEST(CFile, WriteBudgetBreaksAWriteAtTheChosenByte) {
    TempDir dir;
    CFile file(dir.name("a.bin"), CFile::modeCreate | CFile::modeWrite);
    const BYTE data[] = {1, 2, 3, 4, 5, 6};
    host::SetFileWriteBudget(4);
    int causes[2] = {-1, -1};
    for (int& cause : causes) {
        try {
            file.Write(data, 6);
        } catch (CFileException* e) {
            cause = e->m_cause;
            e->Delete();
        }
    }
    host::ClearFileWriteBudget();
    file.Write(data, 1);
    file.Close();
    EXPECT_EQ(causes[0], CFileException::diskFull);
    EXPECT_EQ(causes[1], CFileException::diskFull);
    EXPECT_EQ(ReadBytes(dir.file("a.bin")), (Bytes{1, 2, 3, 4, 1}));  // what fitted, then the later write
}

TEST(CStdioFile, Utf8LinesWithLf) {
    TempDir dir;
    {
        CStdioFile out(dir.name("t.txt"), CFile::modeCreate | CFile::modeWrite);
        out.WriteString(L"中文\nline two\r\n");
        out.WriteString(std::wstring(5000, L'x').c_str());  // longer than the buffer
        out.WriteString(L"\n\U0001F600");
        EXPECT_EQ(out.GetPosition(), 6u + 1 + 8 + 2 + 5000 + 1 + 4);
        out.Close();
    }
    const Bytes bytes = ReadBytes(dir.file("t.txt"));
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 7), (Bytes{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, '\n'}));

    CStdioFile in(dir.name("t.txt"), CFile::modeRead);
    CString line;
    const CString expected[] = {L"中文", L"line two", CString(std::wstring(5000, L'x')), L"\U0001F600"};
    for (const CString& e : expected) {
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_EQ(line, e);
    }
    EXPECT_FALSE(in.ReadString(line));
}

}  // namespace
