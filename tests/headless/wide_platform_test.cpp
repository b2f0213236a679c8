// Wide text and file names where wchar_t has 16 bits (Windows, UTF-16) as
// well as 32 (Linux): each case names what broke on the 16-bit platform.
#include <filesystem>

#include "data/data_test_support.h"
#include "drovik/host/mfc.h"
#include "test_support.h"
#include "widetext.h"

namespace {
namespace fs = std::filesystem;

// U+1F600 and U+20BB7 as UTF-8 and as UTF-16 units.
const char kEmojiUtf8[] = "\xF0\x9F\x98\x80";
const char kRareHanUtf8[] = "\xF0\xA0\xAE\xB7";

// Broke with a 16-bit wchar_t: each half of a surrogate pair was taken for a
// character, so UTF-8 got two U+FFFD instead of the character, and UTF-8 of a
// character beyond the plane was cut to 16 bits on the way back.
TEST(WideTextPlatform, Utf8OfCharactersBeyondTheBasicPlane) {
    const std::wstring text = L"桩\U0001F600\U00020BB7";
    EXPECT_EQ(host::WideToUtf8(text), std::string("\xE6\xA1\xA9") + kEmojiUtf8 + kRareHanUtf8);
    EXPECT_EQ(host::Utf8ToWide(std::string(kEmojiUtf8) + kRareHanUtf8), L"\U0001F600\U00020BB7");
    EXPECT_EQ(host::Utf16Length(text), 5u);
    EXPECT_EQ(host::WideToUtf16(text), u"桩\U0001F600\U00020BB7");
    EXPECT_EQ(host::Utf16ToWide(u"\U0001F600"), L"\U0001F600");
    // What is no character becomes U+FFFD, on both platforms.
    std::wstring lone = L"a";
    lone += static_cast<wchar_t>(0xD83D);  // a high surrogate with no low one
    lone += L"b";
    EXPECT_EQ(host::WideToUtf8(lone), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(host::Utf16Length(lone), 3u);
    EXPECT_EQ(host::Utf16ToWide(std::u16string(1, u'\xDE00')), L"\uFFFD");
}

TEST(WideTextPlatform, CharacterStepsHoldForBothSizes) {
    const std::wstring text = L"x\U0010FFFF\U00010000";
    std::vector<char32_t> chars;
    for (std::size_t i = 0; i < text.size();) chars.push_back(host::NextChar(text.data(), text.size(), i));
    EXPECT_EQ(chars, (std::vector<char32_t>{U'x', 0x10FFFF, 0x10000}));
    std::wstring rebuilt;
    for (char32_t c : chars) host::AppendChar(rebuilt, c);
    EXPECT_EQ(rebuilt, text);
}

// Broke under the Microsoft runtime: %S and %hs were handed on as a bare %s,
// which a wide format there reads as wide text, so narrow arguments came out
// as garbage (or a crash); %s / %c / %ls must stay wide on both.
TEST(WideTextPlatform, FormatReadsNarrowAndWideArgumentsAsMfcDoes) {
    CString text;
    text.Format(L"[%s][%ls][%S][%hs][%c][%lc][%C][%hc]", L"宽\U0001F600", L"ls", "narrow", "hs", L'宋', L'c', 'C', 'h');
    EXPECT_EQ(text, L"[宽\U0001F600][ls][narrow][hs][宋][c][C][h]");
    text.Format(L"%-6s|%6S|", L"ab", "cd");
    EXPECT_EQ(text, L"ab    |    cd|");
}

// Broke with a 16-bit wchar_t: the archive wrote each surrogate as U+FFFD;
// the length in the archive counts UTF-16 code units on both platforms.
TEST(WideTextPlatform, ArchiveStringLengthCountsUtf16Units) {
    TempDir dir;
    const CString text(L"中\U0001F600");
    {
        CFile file(dir.name("s.bin"), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << text;
        ar.Close();
    }
    EXPECT_EQ(ReadBytes(dir.file("s.bin")), (Bytes{0xFF, 0xFE, 0xFF, 3, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}));
    CFile file(dir.name("s.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CString back;
    ar >> back;
    EXPECT_EQ(back, text);
}

// Broke on Windows: CFile handed names to the narrow (code page) functions as
// UTF-8, and the host's fopen replacement did the same, so no file with a
// Chinese name could be made, found, renamed or removed.
TEST(WideTextPlatform, FilesWithChineseNames) {
    TempDir dir;
    const CString folder = dir.name("图纸");
    ASSERT_TRUE(fs::create_directory(NativePath(folder)));
    const CString first = folder + L"/第一.bin";
    const CString second = folder + L"/第二.bin";
    {
        CFile file(first, CFile::modeCreate | CFile::modeWrite);
        file.Write("abc", 3);
    }
    EXPECT_TRUE(fs::exists(NativePath(first)));
    CFile reader;
    ASSERT_TRUE(reader.Open(first, CFile::modeRead));
    EXPECT_EQ(reader.GetLength(), 3u);
    EXPECT_EQ(reader.GetFileName(), CString(L"第一.bin"));
    reader.Close();
    // Rename replaces an existing file (Windows renames refuse that unless asked).
    WriteBytes(NativePath(second), Bytes{'o', 'l', 'd'});
    CFile::Rename(first, second);
    EXPECT_FALSE(fs::exists(NativePath(first)));
    EXPECT_EQ(ReadBytes(NativePath(second)), (Bytes{'a', 'b', 'c'}));
    std::FILE* f = _wfopen(second.GetString(), L"ab");
    ASSERT_NE(f, nullptr);
    std::fputs("d", f);
    std::fclose(f);
    EXPECT_EQ(ReadBytes(NativePath(second)), (Bytes{'a', 'b', 'c', 'd'}));
    CFile::Remove(second);
    EXPECT_FALSE(fs::exists(NativePath(second)));
}

}  // namespace
