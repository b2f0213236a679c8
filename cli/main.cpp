// drovik: runs the library's typical requests on DXF drawings.
//
// Exit codes: 0 success, 2 bad usage, 1 a file that cannot be read or
// written (with a one-line message naming the file and the cause).
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return drovik::cli::Run(args, stdin, stdout, stderr);
}
