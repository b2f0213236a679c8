// The headless host's CString, arrays and wide runtime, where they carry logic.
#include <climits>

#include "drovik/host/mfc.h"
#include "test_support.h"
#include "widetext.h"

namespace {

TEST(HostCString, FormatKeepsMfcMeaningOfConversions) {
    const CString name(L"井1");
    CString text;
    text.Format(L"%s|%S|%c|%C|%d|%I64d|%.3f|%5.1f|%%|%ls|%hs", name.GetString(), "narrow", L'宋', 'n', -42,
                static_cast<long long>(1) << 40, 3.14159, 2.25, L"wide", "hs");
    EXPECT_EQ(text, L"井1|narrow|宋|n|-42|1099511627776|3.142|  2.2|%|wide|hs");
    text.AppendFormat(L"+%s", L"more");
    EXPECT_EQ(text.Right(5), L"+more");
    CString longText;  // longer than any first guess of the buffer
    longText.Format(L"%s%s", std::wstring(3000, L'a').c_str(), std::wstring(3000, L'b').c_str());
    EXPECT_EQ(longText.GetLength(), 6000);
}

TEST(HostCString, SubstringsClampLikeMfc) {
    const CString s(L"abcdef");
    EXPECT_EQ(s.Left(3), L"abc");
    EXPECT_EQ(s.Left(99), L"abcdef");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Mid(2), L"cdef");
    EXPECT_EQ(s.Mid(2, 2), L"cd");
    EXPECT_EQ(s.Mid(10), L"");
    EXPECT_EQ(s.Mid(-3, 2), L"ab");
    EXPECT_EQ(s.Right(2), L"ef");
    EXPECT_EQ(s.Right(99), L"abcdef");
    EXPECT_EQ(s.Find(L'c'), 2);
    EXPECT_EQ(s.Find(L"de"), 3);
    EXPECT_EQ(s.Find(L'z'), -1);
    EXPECT_EQ(s.Find(L'a', 1), -1);
    EXPECT_EQ(s.Find(L'a', 99), -1);
    EXPECT_EQ(CString(L"a.b.c").ReverseFind(L'.'), 3);
}

TEST(HostCString, TrimRemoveAndCompare) {
    CString s(L" \t x y \n");
    s.Trim();
    EXPECT_EQ(s, L"x y");
    CString k(L"KKk12");
    k.TrimLeft(L'K');
    EXPECT_EQ(k, L"k12");
    CString r(L"1.2.3-");
    EXPECT_EQ(r.Remove(L'.'), 2);
    EXPECT_EQ(r, L"123-");
    EXPECT_EQ(CString(L"Layer").CompareNoCase(L"LAYER"), 0);
    EXPECT_LT(CString(L"a").Compare(L"b"), 0);
    EXPECT_EQ(CString(L"a") + L"b" + CString(L"c") + L'd', L"abcd");
    EXPECT_EQ(CString("UTF-8 \xe5\xae\x8b"), L"UTF-8 宋");
    CString buf;
    wcscpy(buf.GetBuffer(10), L"abc");
    buf.ReleaseBuffer();
    EXPECT_EQ(buf.GetLength(), 3);
}

TEST(HostRuntime, WideConversions) {
    EXPECT_EQ(_wtoi(L"  -12abc"), -12);
    EXPECT_EQ(_wtoi(L"x"), 0);
    EXPECT_EQ(_wtoi(L"99999999999"), INT_MAX);
    EXPECT_DOUBLE_EQ(_wtof(L"345.6m"), 345.6);
    EXPECT_EQ(_wcsicmp(L"Model", L"MODEL"), 0);
    EXPECT_LT(_wcsicmp(L"a", L"B"), 0);
    wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _wsplitpath(L"/opt/cad/bin/acad.exe", drive, dir, fname, ext);
    EXPECT_STREQ(drive, L"");
    EXPECT_STREQ(dir, L"/opt/cad/bin/");
    EXPECT_STREQ(fname, L"acad");
    EXPECT_STREQ(ext, L".exe");
}

TEST(HostText, Utf16AndUtf8RoundTrips) {
    const std::wstring text = L"a井\U0001F600";
    const std::u16string units = host::WideToUtf16(text);
    ASSERT_EQ(units.size(), 4u);  // the emoji takes a surrogate pair
    EXPECT_EQ(units[2], 0xD83D);
    EXPECT_EQ(host::Utf16ToWide(units), text);
    EXPECT_EQ(host::Utf8ToWide(host::WideToUtf8(text)), text);
    EXPECT_FALSE(host::IsValidUtf8("\xe5\xae"));       // truncated
    EXPECT_FALSE(host::IsValidUtf8("\xc0\xaf"));       // overlong
    EXPECT_EQ(host::Utf8ToWide("a\xff"), L"a\uFFFD");  // invalid bytes become U+FFFD
    EXPECT_EQ(host::Latin1ToWide("\xe9"), L"\u00e9");
}

TEST(HostArrays, IndexFaultsThrowInsteadOfCorrupting) {
    CArray<int, int> a;
    a.Add(1);
    a.InsertAt(0, 0);
    a.Add(2);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a.GetUpperBound(), 2);
    EXPECT_THROW(a[3], std::out_of_range);
    EXPECT_THROW(a.RemoveAt(2, 2), std::out_of_range);
    a.RemoveAt(0, 2);
    EXPECT_EQ(a.GetSize(), 1);
    AcArray<int> b;
    EXPECT_EQ(b.append(5), 0);
    EXPECT_EQ(b.append(6), 1);
    int at = -1;
    EXPECT_TRUE(b.find(6, at));
    EXPECT_EQ(at, 1);
    EXPECT_THROW(b.at(2), std::out_of_range);
    b.append(b);  // appending itself doubles it
    EXPECT_EQ(b.length(), 4);
}
}  // namespace
