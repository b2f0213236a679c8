// dxftool: DXF loading and saving from the command line, for benchmarks and
// interoperability tests.
//   dxftool gen N out.dxf        a drawing of N mixed entities (mixed_drawing.h), saved
//   dxftool load in.dxf          load; prints the time, peak memory, report
//   dxftool save in.dxf out.dxf  load, then save; prints the save time
//   dxftool copy in.dxf out.dxf  load and save, quietly
// Exit status 0 on success, 1 on a DXF error (printed), 2 on bad usage.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dbgroup.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dxfio.h"
#include "hostharness.h"
#include "widetext.h"
#include "mixed_drawing.h"

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Peak resident memory of this program (VmHWM: unlike getrusage it does not
// carry over the peak of a parent that forked it).
long PeakRssKiB() {
    long kib = 0;
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    std::fclose(f);
    return kib;
}

long CurrentRssKiB() {
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * 4;
}

std::wstring Wide(const char* s) { return host::Utf8ToWide(s); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dxftool gen N out.dxf | load in.dxf | save in.dxf out.dxf | copy in.dxf out.dxf\n");
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "gen" && argc == 4) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        host::tools::MakeMixedDrawing(db, std::atol(argv[2]));
        host::dxf::DxfError err;
        if (!host::dxf::WriteDxf(db, Wide(argv[3]).c_str(), err)) {
            std::fprintf(stderr, "%s\n", err.what().c_str());
            return 1;
        }
        return 0;
    }
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    host::dxf::DxfError err;
    host::dxf::DxfReport report;
    const long rssBefore = CurrentRssKiB();
    const double t0 = Now();
    if (!host::dxf::ReadDxf(Wide(argv[2]).c_str(), db, err, &report)) {
        std::fprintf(stderr, "%s\n", err.what().c_str());
        return 1;
    }
    const double t1 = Now();
    if (cmd == "load") {
        const long peak = PeakRssKiB();
        std::printf("load_seconds %.4f\n", t1 - t0);
        std::printf("entities %d\n", report.entities);
        std::printf("peak_rss_kib %ld\nrss_before_kib %ld\n", peak, rssBefore);
        std::printf("bytes_per_entity %.0f\n",
                    report.entities ? (peak - rssBefore) * 1024.0 / report.entities : 0.0);
        std::printf("version %s\n", report.version.c_str());
        for (const auto& kv : report.skipped) std::printf("skipped %s %d\n", kv.first.c_str(), kv.second);
        for (const auto& w : report.warnings) std::printf("warning %s\n", w.c_str());
        return 0;
    }
    if ((cmd == "save" || cmd == "copy") && argc == 4) {
        const double t2 = Now();
        if (!host::dxf::WriteDxf(db, Wide(argv[3]).c_str(), err)) {
            std::fprintf(stderr, "%s\n", err.what().c_str());
            return 1;
        }
        if (cmd == "save") std::printf("save_seconds %.4f\n", Now() - t2);
        return 0;
    }
    std::fprintf(stderr, "usage: dxftool gen N out.dxf | load in.dxf | save in.dxf out.dxf | copy in.dxf out.dxf\n");
    return 2;
}
