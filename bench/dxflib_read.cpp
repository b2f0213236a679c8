// Parses a DXF file with dxflib and nothing more: the yardstick for
// bench/dxf_convert_bench.py. Prints the entities seen and the seconds.
//
//     dxflib_read FILE
#include <chrono>
#include <cstdio>

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

namespace {
// Counts what dxflib hands over, so the parse is not optimised away.
class Counter : public DL_CreationAdapter {
public:
    long entities = 0;
    void addLine(const DL_LineData&) override { ++entities; }
    void addArc(const DL_ArcData&) override { ++entities; }
    void addCircle(const DL_CircleData&) override { ++entities; }
    void addPolyline(const DL_PolylineData&) override { ++entities; }
    void addText(const DL_TextData&) override { ++entities; }
    void addMText(const DL_MTextData&) override { ++entities; }
    void addInsert(const DL_InsertData&) override { ++entities; }
    void addSpline(const DL_SplineData&) override { ++entities; }
    void addHatch(const DL_HatchData&) override { ++entities; }
    void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { ++entities; }
    void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { ++entities; }
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dxflib_read FILE\n");
        return 2;
    }
    Counter counter;
    DL_Dxf dxf;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = dxf.in(argv[1], &counter);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "dxflib_read: cannot read '%s'\n", argv[1]);
        return 1;
    }
    std::printf("entities %ld\nseconds %.6f\n", counter.entities, seconds);
    return 0;
}
