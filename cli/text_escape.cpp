// Text made safe to quote in a message.
#include "text_escape.h"

#include <cstdio>

#include <widetext.h>

namespace drovik::cli {

std::string Printable(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    char buf[16];
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t start = i;
        char32_t c = 0;
        if (!host::DecodeUtf8(bytes, i, c)) {
            for (std::size_t k = start; k < i; ++k) {
                std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(bytes[k]));
                out += buf;
            }
            continue;
        }
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
            out += buf;
        } else if ((c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029) {
            // Characters that end a line or control a terminal in some readers.
            std::snprintf(buf, sizeof buf, "\\u{%X}", static_cast<unsigned>(c));
            out += buf;
        } else {
            out.append(bytes, start, i - start);
        }
    }
    return out;
}

}  // namespace drovik::cli
