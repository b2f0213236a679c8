#pragma once
// Text from drawings and file names, made safe to quote in a message.
#include <string>

namespace drovik::cli {

// The bytes as one line of valid UTF-8: well-formed characters stay as they
// are; every byte of a malformed sequence becomes "\xNN" (two upper-case
// hex digits); control characters become "\n", "\r", "\t" or "\xNN" (C0 and
// DEL) and "\u{85}" style forms (C1 controls, U+2028, U+2029); a backslash
// becomes "\\", so an escaped text never reads as another.
std::string Printable(const std::string& bytes);

}  // namespace drovik::cli
