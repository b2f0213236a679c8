#pragma once
// The drovik program's subcommands, callable from tests.
#include <cstdio>
#include <string>
#include <vector>

namespace drovik::cli {

constexpr int kExitOk = 0;
constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;

// Runs one command line (without the program name), reading a drawing named
// "-" from in, printing results to out and messages to err. Answers the
// exit code.
int Run(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err);
// The same with standard input as in.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace drovik::cli
