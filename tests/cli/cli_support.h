#pragma once
// Running drovik command lines in tests and keeping what they print.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "text_escape.h"

namespace cli_support {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

inline std::string Drain(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

// Runs a command line with `input` as its standard input.
inline Outcome RunCli(const std::vector<std::string>& args, const std::string& input = "") {
    std::FILE* in = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome outcome;
    outcome.code = drovik::cli::Run(args, in, out, err);
    std::fclose(in);
    outcome.out = Drain(out);
    outcome.err = Drain(err);
    return outcome;
}

// A file name as the program's messages show it (a Windows path's
// backslashes come escaped).
inline std::string Shown(const std::string& path) { return drovik::cli::Printable(path); }

}  // namespace cli_support
