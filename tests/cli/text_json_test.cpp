// Message text and JSON output of the drovik program: always valid UTF-8,
// one line for messages, JSON that a strict parser reads back.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include <widetext.h>

#include "json_writer.h"
#include "test_support.h"
#include "text_escape.h"

namespace {
using drovik::cli::JsonQuote;
using drovik::cli::JsonWriter;
using drovik::cli::Printable;

TEST(Printable, KeepsCharactersAndEscapesBytesAndControls) {
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"road.dxf", "road.dxf"},
        {"Stra\xC3\x9F" "e \xE4\xB8\xAD \xF0\x9F\x98\x80", "Stra\xC3\x9F" "e \xE4\xB8\xAD \xF0\x9F\x98\x80"},
        {"a\xFF" "b", "a\\xFFb"},                        // a stray byte
        {"\xC3", "\\xC3"},                               // truncated sequence
        {"\xC0\xAF", "\\xC0\\xAF"},                      // overlong '/'
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},             // a surrogate
        {"line\nnext\r\ttab", "line\\nnext\\r\\ttab"},
        {std::string("nul\0bell\x07", 9), "nul\\x00bell\\x07"},
        {"del\x7F", "del\\x7F"},
        {"\xC2\x85" "x\xE2\x80\xA8", "\\u{85}x\\u{2028}"},  // C1 next line, line separator
        {"C:\\x41", "C:\\\\x41"},                       // a backslash cannot fake an escape
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(Printable(tc.bytes), tc.shown) << ::testing::PrintToString(tc.bytes);
        EXPECT_TRUE(host::IsValidUtf8(Printable(tc.bytes)));
    }
}

// Any bytes at all give one line of valid UTF-8 without control characters.
TEST(Printable, RandomBytesGiveOneValidLine) {
    std::mt19937 random(12);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 40, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 256);
        const std::string shown = Printable(bytes);
        ASSERT_TRUE(host::IsValidUtf8(shown)) << ::testing::PrintToString(bytes);
        for (unsigned char c : shown) ASSERT_FALSE(c < 0x20 || c == 0x7F) << ::testing::PrintToString(bytes);
    }
}

TEST(JsonQuote, EscapesPerRfc8259AndReplacesBadBytes) {
    struct Case {
        std::string bytes;
        std::string json;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"a\nb\tc\r\b\f", "\"a\\nb\\tc\\r\\b\\f\""},
        {std::string("\0\x1F", 2), "\"\\u0000\\u001F\""},
        {"\xE4\xB8\xAD/", "\"\xE4\xB8\xAD/\""},
        {"x\xFFy", "\"x\xEF\xBF\xBDy\""},  // U+FFFD
        {"\x7F", "\"\x7F\""},              // DEL needs no escape in JSON
    };
    for (const auto& tc : cases) EXPECT_EQ(JsonQuote(tc.bytes), tc.json) << ::testing::PrintToString(tc.bytes);
}

TEST(JsonWriter, NestsWithCommasAndWritesNumbersExactly) {
    std::string out;
    JsonWriter json(out, 0);
    json.BeginObject()
        .Key("a").Integer(-3)
        .Key("b").BeginArray().Number(0.1).Number(-0.0).Number(1e300).Number(std::nan("")).EndArray()
        .Key("c").BeginObject().EndObject()
        .Key("d").BeginArray().EndArray()
        .Key("e").Bool(true)
        .Key("f").Null()
        .Key("g").String("x")
        .EndObject();
    EXPECT_EQ(out, "{\"a\":-3,\"b\":[0.1,0,1e+300,null],\"c\":{},\"d\":[],\"e\":true,\"f\":null,\"g\":\"x\"}");
    std::string indented;
    JsonWriter(indented, 2).BeginObject().Key("k").BeginArray().Integer(1).Integer(2).EndArray().EndObject();
    EXPECT_EQ(indented, "{\n  \"k\": [\n    1,\n    2\n  ]\n}");
}

// Python's strict parser reads random strings back as they went in (bad
// bytes as U+FFFD).
TEST(JsonWriter, PythonReadsRandomStringsBack) {
    if (std::system("/usr/bin/python3 -c 'import json' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no /usr/bin/python3";
    std::mt19937 random(16);
    std::string doc;
    JsonWriter json(doc);
    json.BeginArray();
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) {
        std::string bytes(random() % 12, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 256);
        json.String(bytes);
        expected.push_back(host::WideToUtf8(host::Utf8ToWide(bytes)));
    }
    json.EndArray();
    const std::string docPath = UniqueTempPath("strings.json");
    const std::string wantPath = UniqueTempPath("strings.txt");
    std::ofstream(docPath, std::ios::binary) << doc;
    {
        std::ofstream want(wantPath, std::ios::binary);
        // Hex, so the expectation does not go through the code under test.
        for (const std::string& s : expected) {
            for (unsigned char c : s) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", c);
                want << hex;
            }
            want << "\n";
        }
    }
    const std::string check =
        "/usr/bin/python3 -c \"import json,sys; d=json.load(open(sys.argv[1],encoding='utf-8'));"
        " w=[bytes.fromhex(l.strip()).decode('utf-8') for l in open(sys.argv[2])];"
        " sys.exit(0 if d==w else 1)\" " +
        docPath + " " + wantPath;
    EXPECT_EQ(std::system(check.c_str()), 0);
    std::remove(docPath.c_str());
    std::remove(wantPath.c_str());
}
}  // namespace
