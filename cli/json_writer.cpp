// A small JSON writer.
#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include <widetext.h>

namespace drovik::cli {

std::string JsonQuote(const std::string& bytes) {
    std::string out = "\"";
    out.reserve(bytes.size() + 2);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t start = i;
        char32_t c = 0;
        if (!host::DecodeUtf8(bytes, i, c)) {
            host::AppendUtf8(out, 0xFFFD);
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out.append(bytes, start, i - start);
                }
        }
    }
    return out + "\"";
}

std::string ShortestNumber(double value) {
    char buf[32];
    // to_chars is locale-free: always a dot, shortest form that reads back.
    const auto result = std::to_chars(buf, buf + sizeof buf, value == 0.0 ? 0.0 : value);
    return std::string(buf, result.ptr);
}

JsonWriter::JsonWriter(std::string& out, int indent) : m_out(out), m_indent(indent) {}

void JsonWriter::NewLine() {
    if (m_indent <= 0) return;
    m_out += '\n';
    m_out.append(m_empty.size() * static_cast<std::size_t>(m_indent), ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_empty.empty()) return;
    if (!m_empty.back()) m_out += ',';
    m_empty.back() = false;
    NewLine();
}

JsonWriter& JsonWriter::Key(const std::string& name) {
    BeforeValue();
    m_out += JsonQuote(name);
    m_out += m_indent > 0 ? ": " : ":";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    m_out += '{';
    m_empty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    m_out += '[';
    m_empty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    const bool wasEmpty = m_empty.back();
    m_empty.pop_back();
    if (!wasEmpty) NewLine();
    m_out += '}';
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    const bool wasEmpty = m_empty.back();
    m_empty.pop_back();
    if (!wasEmpty) NewLine();
    m_out += ']';
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& utf8) {
    BeforeValue();
    m_out += JsonQuote(utf8);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    m_out += ShortestNumber(value);
    return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
    BeforeValue();
    m_out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
    return *this;
}

}  // namespace drovik::cli
