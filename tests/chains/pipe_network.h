#pragma once
// A generated pipe network for the point-selection tests and benchmarks
// (no GoogleTest here): wells on a square grid, joined to their neighbours by
// straight pipes (lines) and bent ones (arcs bulging to one side), until the
// wanted number of pipes stands in model space.
#include <cmath>
#include <vector>

#include <dbents.h>
#include <sornbase.h>

struct PipeNetwork {
    struct Pipe {
        AcDbObjectId id;
        int wellA;  // the well at its start point
        int wellB;  // the well at its end point
    };
    int columns = 0;
    double spacing = 0.0;
    std::vector<AcGePoint3d> wells;
    std::vector<Pipe> pipes;
    // Pipes meeting at each well, by index into pipes.
    std::vector<std::vector<int>> pipesAt;

    int WellIndex(int column, int row) const { return row * columns + column; }
};

// Builds columns x rows wells spacing apart (at z = elevation) and nPipes
// pipes, which fits up to about 5.9 pipes per well. Pipes are added kind by
// kind across the whole grid (east lines, north lines, east arcs, north
// arcs, north-east lines, north-west lines) until there are nPipes. Arcs
// bulge by a fifth of the spacing to the left of their direction, so no pipe
// passes near a well it does not meet.
inline PipeNetwork BuildPipeNetwork(int columns, int rows, int nPipes, double spacing = 10.0,
                                    double elevation = 0.0) {
    PipeNetwork net;
    net.columns = columns;
    net.spacing = spacing;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < columns; ++col) net.wells.emplace_back(col * spacing, row * spacing, elevation);
    net.pipesAt.resize(net.wells.size());

    auto add = [&net](AcDbEntity* ent, int a, int b) {
        AcDbObjectId id;
        if (!sorn::ent::AddToDb(ent, id)) {
            delete ent;
            return;
        }
        ent->close();
        net.pipesAt[a].push_back(static_cast<int>(net.pipes.size()));
        net.pipesAt[b].push_back(static_cast<int>(net.pipes.size()));
        net.pipes.push_back({id, a, b});
    };
    auto line = [&](int a, int b) { add(new AcDbLine(net.wells[a], net.wells[b]), a, b); };
    // The counter-clockwise arc from well a to well b bulging to the right of
    // a -> b (its centre lies to the left).
    auto arc = [&](int a, int b) {
        const AcGePoint3d& pa = net.wells[a];
        const AcGePoint3d& pb = net.wells[b];
        const double chord = pa.distanceTo(pb);
        const double sagitta = chord / 5;
        const double radius = (chord * chord / 4 + sagitta * sagitta) / (2 * sagitta);
        const AcGeVector3d along = (pb - pa) / chord;
        const AcGeVector3d left(-along.y, along.x, 0);
        const AcGePoint3d center = pa + (pb - pa) / 2 + left * (radius - sagitta);
        const double start = std::atan2(pa.y - center.y, pa.x - center.x);
        const double end = std::atan2(pb.y - center.y, pb.x - center.x);
        add(new AcDbArc(center, radius, start, end), a, b);
    };
    enum Kind { kEastLine, kNorthLine, kEastArc, kNorthArc, kNorthEastLine, kNorthWestLine, kKinds };
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < columns; ++col) {
                if (static_cast<int>(net.pipes.size()) >= nPipes) return net;
                const int here = net.WellIndex(col, row);
                const bool east = col + 1 < columns;
                const bool north = row + 1 < rows;
                switch (kind) {
                case kEastLine: if (east) line(here, net.WellIndex(col + 1, row)); break;
                case kNorthLine: if (north) line(here, net.WellIndex(col, row + 1)); break;
                case kEastArc: if (east) arc(here, net.WellIndex(col + 1, row)); break;
                case kNorthArc: if (north) arc(here, net.WellIndex(col, row + 1)); break;
                case kNorthEastLine: if (east && north) line(here, net.WellIndex(col + 1, row + 1)); break;
                case kNorthWestLine: if (col > 0 && north) line(here, net.WellIndex(col - 1, row + 1)); break;
                default: break;
                }
            }
        }
    }
    return net;
}
