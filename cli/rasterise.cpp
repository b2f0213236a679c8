// PNG pictures through rsvg-convert.
#include "rasterise.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <cerrno>
#include <unistd.h>
extern char** environ;
#endif

#include "args.h"
#include "text_escape.h"

namespace drovik::cli {

namespace fs = std::filesystem;

const char* const kRasteriser = "rsvg-convert";

bool FindRasteriser(std::string& path) {
    const char* env = std::getenv("PATH");
    if (!env) return false;
#ifdef _WIN32
    const char separator = ';';
    const std::string name = std::string(kRasteriser) + ".exe";
#else
    const char separator = ':';
    const std::string name = kRasteriser;
#endif
    std::stringstream dirs(env);
    for (std::string dir; std::getline(dirs, dir, separator);) {
        if (dir.empty()) continue;
        std::error_code ec;
        const fs::path candidate = fs::path(dir) / name;
        if (fs::is_regular_file(candidate, ec)) {
#ifndef _WIN32
            if (access(candidate.c_str(), X_OK) != 0) continue;
#endif
            path = candidate.string();
            return true;
        }
    }
    return false;
}

namespace {

// Runs the program with the arguments; its exit code, or -1 when it could
// not be started. Its messages go to the file `messages`.
int Run(const std::vector<std::string>& argv, const std::string& messages) {
#ifdef _WIN32
    std::vector<const char*> args;
    for (const std::string& a : argv) args.push_back(a.c_str());
    args.push_back(nullptr);
    (void)messages;
    const intptr_t code = _spawnv(_P_WAIT, argv[0].c_str(), args.data());
    return static_cast<int>(code);
#else
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

}  // namespace

void RasteriseSvg(const std::string& rasteriser, const std::string& svg, const std::string& output, int widthPx) {
    const std::string name = Printable(output);
    const std::string svgTemp = output + ".svg.tmp", pngTemp = output + ".tmp", messages = output + ".err.tmp";
    auto cleanUp = [&] {
        std::error_code ignored;
        for (const std::string& temp : {svgTemp, pngTemp, messages}) fs::remove(temp, ignored);
    };
    {
        std::ofstream file(svgTemp, std::ios::binary | std::ios::trunc);
        file << svg;
        if (!file.flush()) {
            cleanUp();
            throw FileError{"cannot write '" + name + "': the file could not be written"};
        }
    }
    const int code = Run({rasteriser, "-w", std::to_string(widthPx), "-b", "white", "-o", pngTemp, svgTemp}, messages);
    const std::string why = FirstLine(messages);
    std::error_code ec;
    if (code != 0 || !fs::exists(pngTemp, ec)) {
        cleanUp();
        throw FileError{"cannot write '" + name + "': " + kRasteriser +
                        (code < 0 ? std::string(" could not be started") : " failed" + (why.empty() ? "" : ": " + why))};
    }
    fs::rename(pngTemp, output, ec);
    if (ec) {
        cleanUp();
        throw FileError{"cannot write '" + name + "': " + ec.message()};
    }
    cleanUp();
}

}  // namespace drovik::cli
