// Text utilities.
#include <climits>

#include "drovik/drovik.h"
#include "test_support.h"

namespace {

// The digit test is the C runtime's: the Microsoft runtime counts full-width
// digits as digits, glibc only 0 to 9.
#if defined(_WIN32)
constexpr bool kFullWidthDigitsAreDigits = true;
#else
constexpr bool kFullWidthDigitsAreDigits = false;
#endif

TEST(StrIsNum, PlainDecimalsOnly) {
    struct Case {
        const wchar_t* text;
        bool isNumber;
    };
    const Case cases[] = {{L" 12.5 ", true}, {L"-.5", true},  {L"5.", true},     {L"0", true},
                          {L"\t-7\n", true}, {L".", false},   {L"-", false},     {L"-.", false},
                          {L"1-2", false},   {L"--1", false}, {L"1.2.3", false}, {L"+3", false},
                          {L"1e5", false},   {L"1 2", false}, {L"", false},      {L"   ", false},
                          {L"1,000", false}, {L"１２", kFullWidthDigitsAreDigits}};
    for (const auto& tc : cases) EXPECT_EQ(StrIsNum(tc.text), tc.isNumber) << Show(tc.text);
}

TEST(GetCodeFromStr, PrefixAndNumber) {
    struct Case {
        const wchar_t* text;
        int number;
        const wchar_t* prefix;
    };
    const Case cases[] = {{L"YS12A", 12, L"YS"},  {L"ABC", 0, L""},  {L"W-3", 3, L"W-"},
                          {L"井15", 15, L"井"},   {L"7", 7, L""},    {L"", 0, L""},
                          {L"P0042x9", 42, L"P"}, {L"N99999999999", INT_MAX, L"N"}};
    for (const auto& tc : cases) {
        CString prefix = L"stale";
        EXPECT_EQ(GetCodeFromStr(tc.text, prefix), tc.number) << Show(tc.text);
        EXPECT_EQ(prefix, CString(tc.prefix));
    }
}

TEST(DecomposeString, SplitsAtBlanksOnly) {
    CStringArray words;
    words.Add(CString(L"stale"));
    ASSERT_EQ(DecomposeString(L"  a  bb c ", words), 3);
    EXPECT_EQ(words[0], L"a");
    EXPECT_EQ(words[1], L"bb");
    EXPECT_EQ(words[2], L"c");
    ASSERT_EQ(DecomposeString(L"x\ty  z", words), 2);  // a tab inside a word stays
    EXPECT_EQ(words[0], L"x\ty");
    EXPECT_EQ(words[1], L"z");
    EXPECT_EQ(DecomposeString(L" \t ", words), 0);
    EXPECT_EQ(words.GetSize(), 0);
    ASSERT_EQ(DecomposeString(L"井1 井2", words), 2);
    EXPECT_EQ(words[1], L"井2");
}

TEST(GetSpeiString, SplitsAtTheFirstSeparator) {
    struct Case {
        const wchar_t* text;
        wchar_t sep;
        const wchar_t* left;
        const wchar_t* right;
    };
    const Case cases[] = {
        {L"12+300", L'+', L"12", L"300"},
        {L" a+b+c ", L'+', L"a", L"b+c"},
        {L"+200", L'+', L"", L"200"},
        {L"12+", L'+', L"12", L""},
        // Regression: a missing separator used to drop the first character.
        {L"abc", L'+', L"", L"abc"},
        {L"  abc  ", L',', L"", L"abc"},
        {L"", L'+', L"", L""},
    };
    for (const auto& tc : cases) {
        CString left = L"stale", right = L"stale";
        GetSpeiString(tc.text, tc.sep, left, right);
        EXPECT_EQ(left, CString(tc.left)) << Show(tc.text);
        EXPECT_EQ(right, CString(tc.right)) << Show(tc.text);
    }
}

TEST(GetRoadStakeValue, StakeTextsToMetres) {
    struct Case {
        const wchar_t* text;
        double metres;
    };
    const Case cases[] = {{L"K12+345.6", 12345.6}, {L"k0+050", 50},   {L"12+300", 12300}, {L"345.6", 345.6},
                          {L"K12", 0},            {L"AK1+200", 200}, {L"K1+20a", 1000},  {L"+200", 200},
                          {L"", 0},               {L"  ", 0},        {L"KK2+1", 2001},   {L"Kk3+0.5", 3000.5},
                          {L"kK3+1", 1},          {L"-1+5", -995},   {L"K1+2+3", 1000}};
    for (const auto& tc : cases) EXPECT_DOUBLE_EQ(GetRoadStakeValue(tc.text), tc.metres) << Show(tc.text);
}
}  // namespace
