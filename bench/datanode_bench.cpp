// Data node files at scale: 100,000 nodes written into a file that already
// holds 100,000 records, and read back. Two baselines write the same bytes:
// a single fwrite into a file, and the crash-safe way (fwrite into a
// temporary file, then rename it over the target), which is what the
// writer must do too. Targets: write at most 2x the crash-safe baseline,
// read at most 3x the single fwrite. The ratios are reported as counters
// (medians of the per-repetition ratios inside one run).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "drovik/drovik.h"

namespace {
constexpr int kNodes = 100000;
constexpr int kSamples = 31;
namespace fs = std::filesystem;

// Integers, reals and short texts in turn, the mix clients keep.
CDataNode MakeNode(int i, unsigned short index) {
    CDataNode node;
    node.m_Index = index;
    switch (i % 3) {
        case 0: node.m_Type = CDataNode::typeInt; node.SetValue(i); break;
        case 1: node.m_Type = CDataNode::typeDouble; node.SetValue(i * 0.5); break;
        default: {
            node.m_Type = CDataNode::typeString;
            CString text;
            text.Format(L"桩号 K%d+%03d", i / 1000, i % 1000);
            node.SetValue(text);
        }
    }
    return node;
}

class Scratch {
public:
    Scratch() : m_dir(fs::temp_directory_path() / ("drovik-bench-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(m_dir);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    CString Name(const char* file) const { return CString((m_dir / file).c_str()); }
    fs::path Path(const char* file) const { return m_dir / file; }

private:
    fs::path m_dir;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Process CPU time (user and system), which the disk traffic of other
// processes on the machine does not disturb the way it does wall time.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall;
    double cpu;
};

Timing TimeOf(const std::function<void()>& f) {
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), CpuSeconds() - cpu0};
}

void BM_DataNodeFileVsFwrite(benchmark::State& state) {
    Scratch scratch;
    const CString file = scratch.Name("values.dat");
    {
        // The file: 100,000 records; 16-bit indices, so the upper ones repeat.
        CDataNodeArray initial;
        initial.Reserve(kNodes);
        for (int i = 0; i < kNodes; ++i) {
            CDataNode node = MakeNode(i, static_cast<unsigned short>(i));
            initial.Add(node);
        }
        if (SornWriteDataNode(initial, file) != 1) state.SkipWithError("could not write the initial file");
    }
    // The array: 100,000 nodes over the whole index range, every one
    // replacing a record, so the file keeps its 100,000 records. Argument 0
    // scatters them (index i * 7: each record's node lies far from the last
    // one's); argument 1 keeps the file's order, as when a client writes back
    // the array it read.
    const int step = state.range(0) == 0 ? 7 : 1;
    CDataNodeArray nodes;
    nodes.Reserve(kNodes);
    for (int i = 0; i < kNodes; ++i) {
        CDataNode node = MakeNode(i + 1, static_cast<unsigned short>(i * step));
        nodes.Add(node);
    }
    if (SornWriteDataNode(nodes, file) != 1) state.SkipWithError("could not write the array");

    // The same bytes again, for the baseline.
    std::vector<char> bytes(fs::file_size(scratch.Path("values.dat")));
    {
        std::FILE* in = std::fopen(scratch.Path("values.dat").c_str(), "rb");
        if (!in || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) state.SkipWithError("read back");
        if (in) std::fclose(in);
    }
    const std::string baselinePath = scratch.Path("baseline.bin").string();
    const std::string safePath = scratch.Path("safe.bin").string();
    const std::string safeTemp = scratch.Path("safe.bin.tmp").string();
    auto writeAll = [&](const std::string& path) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    };
    writeAll(safePath);  // so every rename below replaces a file, as the writer's does

    std::vector<Timing> fwriteTimes, safeTimes, writeTimes, readTimes;
    CDataNodeArray readBack;
    readBack.Copy(nodes);
    for (auto _ : state) {
        // Start every repetition with no dirty pages, so that writeback of the
        // previous repetition does not land on whichever timing comes next.
        state.PauseTiming();
        ::sync();
        state.ResumeTiming();
        fwriteTimes.push_back(TimeOf([&] { writeAll(baselinePath); }));
        safeTimes.push_back(TimeOf([&] {
            writeAll(safeTemp);
            std::rename(safeTemp.c_str(), safePath.c_str());
        }));
        int written = 0, read = 0;
        writeTimes.push_back(TimeOf([&] { written = SornWriteDataNode(nodes, file); }));
        // Every record matches some element, so the answer is 0; the work is the same.
        readTimes.push_back(TimeOf([&] { read = SornReadDataNode(readBack, file); }));
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(read);
        if (written != 1) state.SkipWithError("write failed");
    }
    // Ratios are taken per repetition (the three timings ran back to back, under
    // the same machine load) and then their median is reported; wall time
    // first, then process CPU time.
    auto median = [](const std::vector<Timing>& times, double Timing::*part) {
        std::vector<double> v;
        for (const Timing& t : times) v.push_back(t.*part);
        return Median(v);
    };
    auto medianRatio = [](const std::vector<Timing>& a, const std::vector<Timing>& b, double Timing::*part) {
        std::vector<double> v;
        for (std::size_t i = 0; i < a.size(); ++i) v.push_back(a[i].*part / std::max(b[i].*part, 1e-6));
        return Median(v);
    };
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["fwrite_ms"] = median(fwriteTimes, &Timing::wall) * 1e3;
    state.counters["safe_ms"] = median(safeTimes, &Timing::wall) * 1e3;
    state.counters["write_ms"] = median(writeTimes, &Timing::wall) * 1e3;
    state.counters["read_ms"] = median(readTimes, &Timing::wall) * 1e3;
    state.counters["write_vs_safe"] = medianRatio(writeTimes, safeTimes, &Timing::wall);
    state.counters["write_ratio"] = medianRatio(writeTimes, fwriteTimes, &Timing::wall);
    state.counters["read_ratio"] = medianRatio(readTimes, fwriteTimes, &Timing::wall);
    state.counters["fwrite_cpu_ms"] = median(fwriteTimes, &Timing::cpu) * 1e3;
    state.counters["safe_cpu_ms"] = median(safeTimes, &Timing::cpu) * 1e3;
    state.counters["write_cpu_ms"] = median(writeTimes, &Timing::cpu) * 1e3;
    state.counters["read_cpu_ms"] = median(readTimes, &Timing::cpu) * 1e3;
    state.counters["write_cpu_ratio"] = median(writeTimes, &Timing::cpu) / median(fwriteTimes, &Timing::cpu);
    state.counters["read_cpu_ratio"] = median(readTimes, &Timing::cpu) / median(fwriteTimes, &Timing::cpu);
}
BENCHMARK(BM_DataNodeFileVsFwrite)->Arg(0)->Arg(1)->Iterations(kSamples)->Unit(benchmark::kMillisecond);

// One node into the same 100,000-record file: the cost of a single setting.
void BM_WriteOneNodeIntoLargeFile(benchmark::State& state) {
    Scratch scratch;
    const CString file = scratch.Name("values.dat");
    CDataNodeArray initial;
    for (int i = 0; i < kNodes; ++i) {
        CDataNode node = MakeNode(i, static_cast<unsigned short>(i));
        initial.Add(node);
    }
    SornWriteDataNode(initial, file);
    CDataNode node = MakeNode(2, 4242);
    for (auto _ : state) benchmark::DoNotOptimize(SornWriteDataNode(node, file));
}
BENCHMARK(BM_WriteOneNodeIntoLargeFile)->Unit(benchmark::kMillisecond);

}  // namespace
