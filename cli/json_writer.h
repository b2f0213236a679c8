#pragma once
// A small JSON writer for the drovik commands' --json outputs (RFC 8259):
// objects and arrays nest, commas and indentation come by themselves, and
// every string written is valid UTF-8.
#include <string>
#include <vector>

namespace drovik::cli {

class JsonWriter {
public:
    // Appends to out; indent spaces per level (0: all on one line).
    explicit JsonWriter(std::string& out, int indent = 2);

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member; only inside an object.
    JsonWriter& Key(const std::string& name);
    JsonWriter& String(const std::string& utf8);
    // A finite number in its shortest exact form; null when not finite (JSON
    // has no NaN or infinity).
    JsonWriter& Number(double value);
    JsonWriter& Integer(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

private:
    void BeforeValue();
    void NewLine();
    std::string& m_out;
    int m_indent;
    // One entry per open object or array: true until it holds a member.
    std::vector<bool> m_empty;
    bool m_afterKey = false;
};

// A finite number in its shortest form that reads back exactly, with a dot
// in any locale ("7.5", "-0.25", "1e+300"); -0 gives "0".
std::string ShortestNumber(double value);

// The bytes as a quoted JSON string: '"' and '\' escaped, control
// characters as \n, \t ... or \u00XX, and bytes that are not UTF-8 replaced
// by U+FFFD, so the result is always valid JSON and valid UTF-8.
std::string JsonQuote(const std::string& bytes);

}  // namespace drovik::cli
